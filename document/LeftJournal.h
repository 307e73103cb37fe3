#pragma once
// A recovery journal left by an instance that is no longer running (RecoveryJournal.h): found
// at start-up, offered for restoring, then taken over, or moved aside when declined.
//
// While the object lives it holds the journal's lock, so another instance starting at the
// same time neither offers it too nor takes it for a live one's.

#include "JournalFormat.h"

#include <QString>

#include <optional>
#include <vector>

class LeftJournal {
public:
    // Journals of kind in folder whose instance has ended, the most recently written first.
    // Journals of running instances are left out. Snapshots that an ended instance left
    // half written beside them are removed.
    static std::vector<LeftJournal> Find(const QString& folder, const QString& kind);

    LeftJournal(LeftJournal&& other) noexcept;
    LeftJournal& operator=(LeftJournal&& other) noexcept;
    ~LeftJournal();

    QString Path() const { return m_path; }
    // What it holds; nothing when the file cannot be read or is no journal.
    std::optional<JournalState> Read() const;
    // Renames it to its name followed by suffix, in the same folder, where no start looks for
    // journals. Returns the new path, empty when it could not be renamed.
    QString MoveAside(const QString& suffix);
    // Its note lives on elsewhere (restored, and in this instance's own journal).
    void Remove();

private:
    LeftJournal(const QString& path, int fd) : m_path(path), m_fd(fd) {}
    void Release();

    QString m_path;
    int m_fd = -1;  // holds the lock
};
