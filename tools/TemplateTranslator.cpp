#include "TemplateTranslator.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

const QRegularExpression& Placeholder()
{
    static const QRegularExpression pattern(QStringLiteral("@([0-9]+)@"));
    return pattern;
}

}  // namespace

bool TemplateTranslator::Translate(const QString& text, Format format, QString& out, QString& error) const
{
    const QString english = QStringLiteral("en");
    if (!m_tables.contains(english)) {
        error = QStringLiteral("no English strings");
        return false;
    }
    QStringList lines;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (!Placeholder().match(line).hasMatch()) {
            lines << line;
            continue;
        }
        QString filled;
        if (!Fill(line, english, format, filled, error))
            return false;
        lines << filled;
        for (auto table = m_tables.constBegin(); table != m_tables.constEnd(); ++table) {
            QString translated;
            if (table.key() == english || !Fill(line, table.key(), format, translated, error))
                continue;
            if (translated != filled)
                lines << Tagged(translated, table.key(), format);
        }
    }
    out = lines.join(QLatin1Char('\n'));
    return true;
}

bool TemplateTranslator::Fill(const QString& line, const QString& language, Format format, QString& out,
                              QString& error) const
{
    const Table& table = m_tables[language];
    const Table& english = m_tables[QStringLiteral("en")];
    out.clear();
    qsizetype done = 0;
    for (const QRegularExpressionMatch& match : Placeholder().globalMatch(line)) {
        const UINT id = match.captured(1).toUInt();
        if (!english.contains(id)) {
            error = QStringLiteral("no string %1").arg(id);
            return false;
        }
        QString text = table.value(id, english.value(id));
        // One line per entry: a line break would end the entry or the element early.
        text.replace(QLatin1Char('\n'), QLatin1Char(' '));
        out += line.mid(done, match.capturedStart() - done);
        out += format == Format::Xml ? text.toHtmlEscaped() : text;
        done = match.capturedEnd();
    }
    out += line.mid(done);
    return true;
}

QString TemplateTranslator::Tagged(const QString& line, const QString& language, Format format)
{
    if (format == Format::DesktopEntry) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        return line.left(equals) + QStringLiteral("[%1]").arg(language) + line.mid(equals);
    }
    // After the name of the line's first element.
    static const QRegularExpression element(QStringLiteral("<[A-Za-z][A-Za-z0-9_:-]*"));
    const QRegularExpressionMatch match = element.match(line);
    if (!match.hasMatch())
        return line;
    return line.left(match.capturedEnd()) + QStringLiteral(" xml:lang=\"%1\"").arg(language) +
           line.mid(match.capturedEnd());
}
