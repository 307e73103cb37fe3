#pragma once
// A file that is replaced whole or not at all. The new contents go to a temporary file beside
// the target; Commit forces them to the disk, renames the temporary file over the target and
// forces the folder's new entry to the disk too. Until the rename the old file is untouched,
// so a crash, a power loss, a full disk or a read-only folder at any moment leaves either the
// complete old file or the complete new one. A SafeFile dropped without Commit removes its
// temporary file.
//
// Every file the program and its tool write for the user goes through it: notes, device
// files, pictures, settings and reports.

#include <QByteArray>
#include <QIODevice>
#include <QSaveFile>
#include <QString>

class SafeFile {
public:
    explicit SafeFile(const QString& path);

    // Creates the temporary file; false when the folder cannot take it.
    bool Open();
    // Where the new contents are written, between Open and Commit.
    QIODevice& Device() { return m_file; }
    // Gives up: the target stays as it was, and Commit answers false.
    void Cancel();
    // True when the target holds the new contents and they are on the disk.
    bool Commit();
    QString ErrorString() const { return m_error; }

    // Open, write bytes, Commit.
    static bool Write(const QString& path, const QByteArray& bytes, QString* error = nullptr);

private:
    bool Fail(const QString& why);

    QSaveFile m_file;
    QString m_error;
    bool m_cancelled = false;
};
