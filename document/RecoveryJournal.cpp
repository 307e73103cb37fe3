#include "RecoveryJournal.h"

#include "JournalFormat.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Below this a journal is never rewritten: a small note would be rewritten at every stroke.
constexpr qint64 kMinCompactBytes = 64 * 1024;
// Records after a snapshot may grow to this many times its size before it is taken again.
constexpr qint64 kCompactFactor = 2;

bool WriteAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        left -= n;
    }
    return true;
}

}  // namespace

RecoveryJournal::RecoveryJournal(const QString& folder, const QString& kind, RewriteRunner runner)
    : m_folder(folder), m_kind(kind), m_runner(std::move(runner))
{
}

RecoveryJournal::~RecoveryJournal()
{
    FinishRewrite();
    Close();
}

QString RecoveryJournal::DefaultFolder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/inkleaf");
}

bool RecoveryJournal::IsOpen() const
{
    std::lock_guard lock(m_mutex);
    return m_fd >= 0;
}

bool RecoveryJournal::WantsSnapshot() const
{
    std::lock_guard lock(m_mutex);
    return m_fd < 0 || m_broken || (!m_noteKnown && m_appendedBytes > std::max(kMinCompactBytes, kCompactFactor * m_snapshotBytes));
}

QString RecoveryJournal::NewPath() const
{
    const quint64 token = QRandomGenerator::system()->generate64();
    return QDir(m_folder).filePath(QStringLiteral("%1-%2-%3.journal")
                                       .arg(m_kind)
                                       .arg(QCoreApplication::applicationPid())
                                       .arg(token, 16, 16, QLatin1Char('0')));
}

int RecoveryJournal::WriteNewFile(const QString& target, const QByteArray& snapshot) const
{
    const QByteArray temporary = QFile::encodeName(target + QStringLiteral(".new"));
    // Locked before it takes the journal's name, so no other instance ever sees it unlocked.
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0
        || !WriteAll(fd, JournalFormat::Signature()
                             + JournalFormat::InstanceRecord(QCoreApplication::applicationPid(), m_kind) + snapshot)) {
        ::unlink(temporary.constData());
        ::close(fd);
        return -1;
    }
    return fd;
}

bool RecoveryJournal::Snapshot(const QByteArray& note, const QString& pathName, const QString& currentPath)
{
    FinishRewrite();
    if (!QDir().mkpath(m_folder))
        return false;
    ::chmod(QFile::encodeName(m_folder).constData(), 0700);
    const QString target = m_path.isEmpty() ? NewPath() : m_path;
    const QByteArray snapshot = JournalFormat::SnapshotRecord(note, pathName, currentPath);
    const int fd = WriteNewFile(target, snapshot);
    if (fd < 0)
        return false;
    const QByteArray temporary = QFile::encodeName(target + QStringLiteral(".new"));
    if (::rename(temporary.constData(), QFile::encodeName(target).constData()) != 0) {
        ::unlink(temporary.constData());
        ::close(fd);
        return false;
    }
    Close();
    std::lock_guard lock(m_mutex);
    m_fd = fd;
    m_path = target;
    m_broken = false;
    m_snapshotBytes = snapshot.size();
    m_appendedBytes = 0;
    m_note = JournalState();
    m_note.pathName = pathName;
    m_note.currentPath = currentPath;
    m_noteKnown = JournalFormat::SplitNote(m_note, note);
    return true;
}

bool RecoveryJournal::AppendStroke(const QByteArray& stroke)
{
    if (!Append(JournalFormat::Record(JournalFormat::AppendStroke, stroke)))
        return false;
    m_note.strokes.append(stroke);
    RewriteIfDue();
    return true;
}

bool RecoveryJournal::CutStrokes(int count)
{
    if (!Append(JournalFormat::CutRecord(count)))
        return false;
    if (count < 0 || count > m_note.strokes.size())
        m_noteKnown = false;  // the file says more than we know: no rewrites from m_note
    else
        m_note.strokes.resize(count);
    RewriteIfDue();
    return true;
}

bool RecoveryJournal::Append(const QByteArray& record)
{
    std::lock_guard lock(m_mutex);
    if (m_fd < 0 || m_broken)
        return false;
    if (!WriteAll(m_fd, record)) {
        // A record half written hides those after it; the next change rewrites the journal.
        // The file stays locked meanwhile: it is still this instance's.
        m_broken = true;
        return false;
    }
    m_appendedBytes += record.size();
    if (m_rewriting)
        m_sinceRewrite += record;
    return true;
}

void RecoveryJournal::RewriteIfDue()
{
    {
        std::lock_guard lock(m_mutex);
        const qint64 due = std::max(kMinCompactBytes, kCompactFactor * m_snapshotBytes);
        if (!m_noteKnown || m_broken || m_appendedBytes <= due)
            return;
        // A rewrite starved of the processor must not let the journal grow without bound.
        if (m_rewriting && m_appendedBytes <= due + m_snapshotBytes / 2)
            return;
    }
    FinishRewrite();
    {
        std::lock_guard lock(m_mutex);
        if (m_rewriting)
            return;  // a runner of our caller's still holds it
        m_rewriting = true;
        m_sinceRewrite.clear();
    }
    auto rewrite = [this, note = m_note] { Rewrite(note); };
    if (m_runner)
        m_runner(rewrite);
    else
        m_rewriter = std::thread(rewrite);
}

void RecoveryJournal::Rewrite(const JournalState& note)
{
    // m_path and m_kind do not change while a rewrite runs: Snapshot, Remove and the end wait.
    const QByteArray snapshot = JournalFormat::SnapshotRecord(note.Note(), note.pathName, note.currentPath);
    const int fd = WriteNewFile(m_path, snapshot);
    const QByteArray temporary = QFile::encodeName(m_path + QStringLiteral(".new"));
    std::lock_guard lock(m_mutex);
    m_rewriting = false;
    const QByteArray since = std::exchange(m_sinceRewrite, QByteArray());
    if (fd < 0)
        return;  // the old file still holds every record
    if (!WriteAll(fd, since) || ::rename(temporary.constData(), QFile::encodeName(m_path).constData()) != 0) {
        ::unlink(temporary.constData());
        ::close(fd);
        return;
    }
    ::close(m_fd);
    m_fd = fd;
    m_snapshotBytes = snapshot.size();
    m_appendedBytes = since.size();
}

void RecoveryJournal::FinishRewrite()
{
    if (m_rewriter.joinable())
        m_rewriter.join();
}

void RecoveryJournal::Remove()
{
    FinishRewrite();
    if (!m_path.isEmpty())
        ::unlink(QFile::encodeName(m_path).constData());
    Close();
    m_path.clear();
}

void RecoveryJournal::Close()
{
    std::lock_guard lock(m_mutex);
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_broken = false;
    m_noteKnown = false;
}
