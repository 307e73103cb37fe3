#pragma once
// The user-visible strings in the user's language. The tables are text files compiled into
// the program, one per language (resources/strings/<language>.txt); a string missing from the
// chosen language falls back to English.

#include "platform/StringSource.h"
#include "platform/WinTypes.h"

#include <QHash>
#include <QLocale>
#include <QString>
#include <QStringList>

class StringTable : public IStringSource {
public:
    // The table for the user's locale, loaded on first use; from then on it also serves the
    // code below the shell (platform/StringSource.h).
    static StringTable& Instance();

    // The file name (without .txt) of the language used for locale: "de", "zh_TW", "pt_PT", ...
    // "en" for a language that has no table.
    static QString LanguageFor(const QLocale& locale);
    // Every language that has a table.
    static QStringList Languages();
    // Reads the table of one language; the English one is read as the fallback first.
    // Returns false when the language has no table.
    bool Load(const QString& language);
    QString Language() const { return m_language; }

    // Takes the replacement strings from the bundle in use, or drops them when there is none.
    void ReadReplacements();

    // The text of the string, or an empty string when no table has it.
    QString LoadString(UINT id) const override;
    // Every identifier of one language's table, in file order.
    static QList<UINT> Identifiers(const QString& language);
    // Every string of a file in the tables' format, anywhere; empty when it cannot be read.
    static QHash<UINT, QString> ReadFile(const QString& path, QList<UINT>* order = nullptr);

private:
    static QHash<UINT, QString> Read(const QString& language, QList<UINT>* order = nullptr);

    QString m_language;
    QHash<UINT, QString> m_strings;
    QHash<UINT, QString> m_english;
    QHash<UINT, QString> m_replaced;  // from the replacement bundle
};

// The string in the user's language.
QString LoadString(UINT id);
// The tooltip of a command string: the part after its line break, or the whole text.
QString TooltipOf(const QString& text);
