#pragma once
// Settings files in the INI format with private-profile meaning: "[Section]" lines and
// "Key=Value" lines; sections and keys compare without regard to case or surrounding blanks; a
// key is written exactly as given, blanks at its end included, and an existing key keeps its
// spelling; every read has a default for a missing file, section
// or key; the first write creates the file and the section; the last write wins. Integers are
// signed decimal text. The file is read afresh at every call and rewritten whole at every
// write, through a temporary file, so a failed write never leaves half a file. Only a regular
// file is read; anything else in its place reads as missing and is never written over.

#include <QList>
#include <QString>

#include <utility>

// The value's text, cut to bufferSize - 1 characters; defaultValue when missing.
QString GetPrivateProfileString(const QString& section, const QString& key, const QString& defaultValue,
                                int bufferSize, const QString& file);

// The value read as a signed decimal number (leading digits only, 0 when there are none);
// defaultValue when missing.
int GetPrivateProfileInt(const QString& section, const QString& key, int defaultValue, const QString& file);

// Sets the value, creating the file, section and key as needed. Returns false when the file
// cannot be written, and when it is there but cannot be read: it is then left as it is, since
// writing one key would lose every other.
bool WritePrivateProfileString(const QString& section, const QString& key, const QString& value,
                               const QString& file);
// The same for several keys of one section (key, value), in one rewrite of the file: each
// rewrite waits for the disk.
bool WritePrivateProfileStrings(const QString& section, const QList<std::pair<QString, QString>>& entries,
                                const QString& file);
