#pragma once
// The user's most recently opened or saved notes, newest first, kept in the user's
// configuration folder (never beside the program): section "Recent File List", keys
// "File1".."File4".

#include <QString>
#include <QStringList>

class RecentFileList {
public:
    static constexpr int kSize = 4;

    // The list kept in file; read at once.
    explicit RecentFileList(const QString& file);
    // The per-user file: $XDG_CONFIG_HOME/inkleaf, else ~/.config/inkleaf.
    static QString DefaultFile();

    // Puts path first (once) and writes the list.
    void Add(const QString& path);
    const QStringList& Files() const { return m_files; }

private:
    void Write() const;

    QString m_file;
    QStringList m_files;
};
