#pragma once
// Fills the desktop's files (launchers, file types, the store listing) with the program's own
// strings in every language it has. A template line that holds "@51490@" is written once with
// the English string and then once per language whose string differs:
//
//   desktop entry:  Comment=@51490@       ->  Comment=Write by hand ...
//                                             Comment[de]=Mit einem ...
//   XML:            <summary>@51490@</summary>
//                                         ->  <summary>Write by hand ...</summary>
//                                             <summary xml:lang="de">Mit einem ...</summary>
//
// In XML the language goes on the line's first element and the strings are escaped. Lines
// without a placeholder are copied as they are.

#include "platform/WinTypes.h"

#include <QHash>
#include <QMap>
#include <QString>

class TemplateTranslator {
public:
    enum class Format { DesktopEntry, Xml };
    using Table = QHash<UINT, QString>;

    // tables: one per language ("de", "pt_PT", ...), which must include "en".
    explicit TemplateTranslator(QMap<QString, Table> tables) : m_tables(std::move(tables)) {}

    // The filled text; false, with the reason in error, for a placeholder that English lacks.
    bool Translate(const QString& text, Format format, QString& out, QString& error) const;

private:
    // The line with every placeholder replaced by the language's string (English where the
    // language has none); false when English lacks one.
    bool Fill(const QString& line, const QString& language, Format format, QString& out, QString& error) const;
    static QString Tagged(const QString& line, const QString& language, Format format);

    QMap<QString, Table> m_tables;
};
