#pragma once
// The recovery journal of one running instance: every change to the open note since it was
// last saved, appended as it happens, so that a note survives the program being killed.
//
// The file "<kind>-<pid>-<token>.journal" (JournalFormat.h) lives in the journal folder with
// mode 0600. Records are appended with one write() on a descriptor opened O_APPEND, without
// fsync: once write() returns the kernel has the record, and a crash of the program loses
// nothing; a power loss may lose the last seconds. The instance holds an exclusive flock on the
// file while it is open, which the kernel drops when the process ends however it ends: a
// journal whose lock can be taken was left by an instance that is no longer running.
//
// The file is created at the first change and starts with a snapshot of the whole note; when
// the records appended after it outgrow the snapshot, the journal is rewritten as a fresh
// snapshot (beside it, then renamed over it), so it stays a small multiple of the note's size.
// The rewrite builds that snapshot from the journal's own copy of the note's records, away
// from the interface thread, so the pen never waits for it: records appended meanwhile go to
// the old file as usual and are copied after the new snapshot just before it takes the name.
// Write errors are not reported: the journal then starts afresh at the next change.

#include "JournalFormat.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <mutex>
#include <thread>

class RecoveryJournal {
public:
    // Runs one rewrite of the journal. By default each runs on a thread of its own; a runner
    // given instead must have run it before the journal's next Snapshot, Remove or end.
    using RewriteRunner = std::function<void(std::function<void()> rewrite)>;

    // A journal of this kind ("letter" or "inking") in folder, which is created (mode 0700)
    // at the first write.
    RecoveryJournal(const QString& folder, const QString& kind, RewriteRunner runner = {});
    // Waits for a rewrite under way, closes the file and leaves it for the next start to find.
    ~RecoveryJournal();
    RecoveryJournal(const RecoveryJournal&) = delete;
    RecoveryJournal& operator=(const RecoveryJournal&) = delete;

    // $XDG_STATE_HOME/inkleaf, or ~/.local/state/inkleaf without XDG_STATE_HOME.
    static QString DefaultFolder();

    QString Folder() const { return m_folder; }
    QString Kind() const { return m_kind; }
    // The journal file; empty while there is none.
    QString Path() const { return m_path; }
    bool IsOpen() const;

    // Whether the next change must be a snapshot: there is no journal yet, or a write failed.
    bool WantsSnapshot() const;
    // Replaces the journal by one snapshot of the note (its bytes as a note file holds them).
    // False when it could not be written.
    bool Snapshot(const QByteArray& note, const QString& pathName, const QString& currentPath);
    // One stroke written or redone (its bytes as in a note file), or the shown strokes cut to
    // count by an undo. False when there is no journal or the write failed.
    bool AppendStroke(const QByteArray& stroke);
    bool CutStrokes(int count);
    // The note is safe elsewhere (saved, discarded, replaced): the journal is deleted.
    void Remove();

private:
    bool Append(const QByteArray& record);
    void Close();
    // A new file name of this instance.
    QString NewPath() const;
    // Writes the journal's first records into target.new, locked; its descriptor, or -1.
    int WriteNewFile(const QString& target, const QByteArray& snapshot) const;
    // Starts a rewrite when the records have outgrown the snapshot; waits for the one under way
    // only when the records have grown far past it meanwhile.
    void RewriteIfDue();
    // The rewrite itself: a snapshot of note, then the records appended since it began.
    void Rewrite(const JournalState& note);
    void FinishRewrite();

    QString m_folder;
    QString m_kind;
    RewriteRunner m_runner;
    QString m_path;
    JournalState m_note;         // the note as the journal holds it, for rewrites
    bool m_noteKnown = false;    // m_note follows the file
    std::thread m_rewriter;      // the default runner's thread

    // Shared with the rewrite.
    mutable std::mutex m_mutex;
    int m_fd = -1;               // holds the lock
    bool m_broken = false;       // a write failed: records after it would be lost
    qint64 m_snapshotBytes = 0;  // the last snapshot record
    qint64 m_appendedBytes = 0;  // records after it
    bool m_rewriting = false;
    QByteArray m_sinceRewrite;   // records appended while a rewrite runs
};
