#include "ProfileFile.h"

#include "SafeFile.h"

#include "RegularFile.h"

#include <QFile>
#include <QStringList>

#include <limits>
#include <optional>

#include <cerrno>
#include <sys/stat.h>

namespace {

// Settings files are a few kilobytes; anything this big is not one of ours.
constexpr qint64 kMaxProfileBytes = 4 * 1024 * 1024;

// The file's lines; none when there is no file. Nothing at all when a file is there but cannot
// be read (no permission, a folder or FIFO in its place, a read error, far too large): reads
// then give their defaults, and a write must not replace what it could not read.
std::optional<QStringList> ReadLines(const QString& file)
{
    struct stat st {};
    if (::stat(QFile::encodeName(file).constData(), &st) != 0 && errno == ENOENT)
        return QStringList();
    QFile in;
    if (!OpenRegularFile(in, file) || in.size() > kMaxProfileBytes)
        return std::nullopt;
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError)
        return std::nullopt;
    QString text = QString::fromUtf8(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text.split(QLatin1Char('\n'));
}

// The name of a "[Section]" line, or nothing for other lines.
std::optional<QString> SectionName(const QString& line)
{
    const QString trimmed = line.trimmed();
    if (!trimmed.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
    if (close < 0)
        return std::nullopt;
    return trimmed.mid(1, close - 1);
}

// Names match without regard to case or to blanks around them; a key written with a trailing
// blank is still written with it.
bool SameName(const QString& a, const QString& b)
{
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

// The key of a "Key=Value" line as written (leading blanks aside), or nothing.
std::optional<QString> KeyName(const QString& line)
{
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals < 0 || line.trimmed().startsWith(QLatin1Char(';')))
        return std::nullopt;
    qsizetype start = 0;
    while (start < equals && line.at(start).isSpace())
        ++start;
    return line.mid(start, equals - start);
}

struct Location {
    qsizetype sectionLine = -1;  // the "[Section]" line
    qsizetype keyLine = -1;      // the "Key=Value" line
    qsizetype sectionEnd = -1;   // the line after the section's last non-blank line
};

Location Find(const QStringList& lines, const QString& section, const QString& key)
{
    Location at;
    bool inSection = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (const auto name = SectionName(lines[i])) {
            if (inSection)
                break;  // the first section of that name is the one that counts
            inSection = SameName(*name, section);
            if (inSection) {
                at.sectionLine = i;
                at.sectionEnd = i + 1;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (!lines[i].trimmed().isEmpty())
            at.sectionEnd = i + 1;
        const auto name = KeyName(lines[i]);
        if (name && SameName(*name, key) && at.keyLine < 0)
            at.keyLine = i;
    }
    return at;
}

std::optional<QString> ReadValue(const QString& section, const QString& key, const QString& file)
{
    const QStringList lines = ReadLines(file).value_or(QStringList());
    const Location at = Find(lines, section, key);
    if (at.keyLine < 0)
        return std::nullopt;
    const QString& line = lines[at.keyLine];
    return line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed();
}

}  // namespace

QString GetPrivateProfileString(const QString& section, const QString& key, const QString& defaultValue,
                                int bufferSize, const QString& file)
{
    const QString value = ReadValue(section, key, file).value_or(defaultValue);
    if (bufferSize <= 0)
        return QString();
    return value.left(bufferSize - 1);
}

int GetPrivateProfileInt(const QString& section, const QString& key, int defaultValue, const QString& file)
{
    const auto value = ReadValue(section, key, file);
    if (!value)
        return defaultValue;
    qsizetype i = 0;
    bool negative = false;
    if (i < value->size() && (value->at(i) == QLatin1Char('-') || value->at(i) == QLatin1Char('+')))
        negative = value->at(i++) == QLatin1Char('-');
    long long number = 0;
    for (; i < value->size() && value->at(i).isDigit() && value->at(i).unicode() < 128; ++i) {
        number = number * 10 + (value->at(i).unicode() - '0');
        if (number > std::numeric_limits<unsigned int>::max())
            number = std::numeric_limits<unsigned int>::max();
    }
    if (negative)
        number = -number;
    // Like the 32-bit conversion it stands in for: a colour written above 2^31 reads back whole.
    return int(static_cast<unsigned int>(number));
}

bool WritePrivateProfileString(const QString& section, const QString& key, const QString& value,
                               const QString& file)
{
    return WritePrivateProfileStrings(section, {{key, value}}, file);
}

bool WritePrivateProfileStrings(const QString& section, const QList<std::pair<QString, QString>>& entries,
                                const QString& file)
{
    std::optional<QStringList> read = ReadLines(file);
    if (!read)
        return false;
    QStringList& lines = *read;
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();  // the final line break
    for (const auto& [key, value] : entries) {
        const QString entry = key + QLatin1Char('=') + value;
        const Location at = Find(lines, section, key);
        if (at.keyLine >= 0) {
            // The key keeps the spelling it has in the file.
            QString& line = lines[at.keyLine];
            line = line.left(line.indexOf(QLatin1Char('=')) + 1) + value;
        } else if (at.sectionLine >= 0) {
            lines.insert(at.sectionEnd, entry);
        } else {
            if (!lines.isEmpty() && !lines.back().trimmed().isEmpty())
                lines.append(QString());
            lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
            lines.append(entry);
        }
    }
    return SafeFile::Write(file, lines.join(QLatin1Char('\n')).toUtf8() + '\n');
}
