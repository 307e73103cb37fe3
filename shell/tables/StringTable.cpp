#include "StringTable.h"

#include "platform/Resources.h"

#include <QDir>
#include <QFile>

namespace {

const QString kResourceFolder = QStringLiteral(":/strings/");

QString Unescape(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != QLatin1Char('\\') || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const QChar next = text[++i];
        if (next == QLatin1Char('n'))
            out += QLatin1Char('\n');
        else if (next == QLatin1Char('t'))
            out += QLatin1Char('\t');
        else
            out += next;  // "\\" and any other escaped character stand for themselves
    }
    return out;
}

}  // namespace

StringTable& StringTable::Instance()
{
    static StringTable table;
    static const bool installed = [] {
        table.Load(LanguageFor(QLocale::system()));
        SetStringSource(&table);
        return true;
    }();
    Q_UNUSED(installed);
    return table;
}

QString StringTable::LanguageFor(const QLocale& locale)
{
    switch (locale.language()) {
    case QLocale::Chinese: {
        const bool traditional = locale.script() == QLocale::TraditionalChineseScript
            || locale.territory() == QLocale::Taiwan || locale.territory() == QLocale::HongKong
            || locale.territory() == QLocale::Macao;
        return traditional ? QStringLiteral("zh_TW") : QStringLiteral("zh_CN");
    }
    case QLocale::German: return QStringLiteral("de");
    case QLocale::French: return QStringLiteral("fr");
    case QLocale::Italian: return QStringLiteral("it");
    case QLocale::Japanese: return QStringLiteral("ja");
    case QLocale::Korean: return QStringLiteral("ko");
    case QLocale::Dutch: return QStringLiteral("nl");
    case QLocale::Polish: return QStringLiteral("pl");
    case QLocale::Portuguese: return QStringLiteral("pt_PT");
    case QLocale::Spanish: return QStringLiteral("es");
    default: return QStringLiteral("en");
    }
}

QStringList StringTable::Languages()
{
    QStringList languages;
    for (const QString& file : QDir(kResourceFolder).entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name))
        languages << file.chopped(4);
    return languages;
}

QHash<UINT, QString> StringTable::Read(const QString& language, QList<UINT>* order)
{
    return ReadFile(kResourceFolder + language + QStringLiteral(".txt"), order);
}

QHash<UINT, QString> StringTable::ReadFile(const QString& path, QList<UINT>* order)
{
    QHash<UINT, QString> strings;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return strings;
    const QString text = QString::fromUtf8(file.readAll());
    for (QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        if (line.startsWith(QLatin1Char('#')) || tab <= 0)
            continue;
        bool ok = false;
        const UINT id = line.left(tab).toUInt(&ok);
        if (!ok)
            continue;
        strings.insert(id, Unescape(line.mid(tab + 1)));
        if (order)
            order->append(id);
    }
    return strings;
}

bool StringTable::Load(const QString& language)
{
    if (m_english.isEmpty())
        m_english = Read(QStringLiteral("en"));
    QHash<UINT, QString> strings = Read(language);
    if (strings.isEmpty())
        return false;
    m_strings = std::move(strings);
    m_language = language;
    return true;
}

void StringTable::ReadReplacements()
{
    m_replaced.clear();
    if (!Resources::UsingResourceLibrary())
        return;
    // The bundle's English strings stand in for every language that it has no table for.
    for (const QString& language : {QStringLiteral("en"), m_language}) {
        const QString path = Resources::Locate(QStringLiteral("strings/%1.txt").arg(language));
        if (path.startsWith(QLatin1String(":/IlfRes/")))
            m_replaced.insert(ReadFile(path));
    }
}

QString StringTable::LoadString(UINT id) const
{
    if (const auto replaced = m_replaced.constFind(id); replaced != m_replaced.constEnd())
        return *replaced;
    const auto found = m_strings.constFind(id);
    if (found != m_strings.constEnd())
        return *found;
    return m_english.value(id);
}

QList<UINT> StringTable::Identifiers(const QString& language)
{
    QList<UINT> order;
    Read(language, &order);
    return order;
}

QString LoadString(UINT id)
{
    return StringTable::Instance().LoadString(id);
}

QString TooltipOf(const QString& text)
{
    const qsizetype newline = text.indexOf(QLatin1Char('\n'));
    return newline < 0 ? text : text.mid(newline + 1);
}
