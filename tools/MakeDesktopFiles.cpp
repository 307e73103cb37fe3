// make-desktop-files: fills a template of the desktop's files (a launcher, the file types, the
// store listing) with the program's strings in all its languages, at build time.
//
//   make-desktop-files STRINGS TEMPLATE OUT
//
// STRINGS is the folder of the desktop's own string tables (desktop/strings/LANGUAGE.txt, one
// per language of the program); the program's string tables are compiled in. OUT is a desktop
// entry when its name ends in .desktop, else XML. Written in full or not at all. Exit status:
// 0 done, 1 a file could not be read or written or a string is missing, 2 a usage error.

#include "TemplateTranslator.h"

#include "shell/tables/StringTable.h"

#include <QFile>
#include <QSaveFile>

#include <cstdio>

namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

int Complain(const QString& message)
{
    std::fprintf(stderr, "make-desktop-files: %s\n", qUtf8Printable(message));
    return kFailed;
}

// Every language's program strings with its desktop strings on top. False, with the reason,
// when a language lacks a desktop string that English has.
bool ReadTables(const QString& folder, QMap<QString, TemplateTranslator::Table>& tables, QString& error)
{
    const auto desktopTable = [&folder](const QString& language) {
        return StringTable::ReadFile(folder + QLatin1Char('/') + language + QStringLiteral(".txt"));
    };
    const TemplateTranslator::Table english = desktopTable(QStringLiteral("en"));
    if (english.isEmpty()) {
        error = QStringLiteral("no desktop strings in %1").arg(folder);
        return false;
    }
    for (const QString& language : StringTable::Languages()) {
        StringTable program;
        program.Load(language);
        TemplateTranslator::Table table;
        for (UINT id : StringTable::Identifiers(QStringLiteral("en")))
            table.insert(id, program.LoadString(id));
        const TemplateTranslator::Table desktop = desktopTable(language);
        for (auto string = english.constBegin(); string != english.constEnd(); ++string) {
            if (!desktop.contains(string.key())) {
                error = QStringLiteral("%1/%2.txt has no string %3").arg(folder, language).arg(string.key());
                return false;
            }
            table.insert(string.key(), desktop.value(string.key()));
        }
        tables.insert(language, table);
    }
    return true;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc != 4) {
        std::fputs("usage: make-desktop-files STRINGS TEMPLATE OUT\n", stderr);
        return kUsage;
    }
    const QString strings = QFile::decodeName(argv[1]);
    const QString input = QFile::decodeName(argv[2]);
    const QString output = QFile::decodeName(argv[3]);

    QMap<QString, TemplateTranslator::Table> tables;
    QString error;
    if (!ReadTables(strings, tables, error))
        return Complain(error);
    QFile source(input);
    if (!source.open(QIODevice::ReadOnly))
        return Complain(QStringLiteral("cannot read %1: %2").arg(input, source.errorString()));
    const auto format = output.endsWith(QLatin1String(".desktop")) ? TemplateTranslator::Format::DesktopEntry
                                                                     : TemplateTranslator::Format::Xml;
    QString text;
    if (!TemplateTranslator(tables).Translate(QString::fromUtf8(source.readAll()), format, text, error))
        return Complain(QStringLiteral("%1: %2").arg(input, error));

    QSaveFile file(output);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit())
        return Complain(QStringLiteral("cannot write %1: %2").arg(output, file.errorString()));
    return kDone;
}
