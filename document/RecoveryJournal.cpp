#include "RecoveryJournal.h"

#include "JournalFormat.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>

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

RecoveryJournal::RecoveryJournal(const QString& folder, const QString& kind) : m_folder(folder), m_kind(kind) {}

RecoveryJournal::~RecoveryJournal()
{
    Close();
}

QString RecoveryJournal::DefaultFolder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/inkleaf");
}

bool RecoveryJournal::WantsSnapshot() const
{
    return m_fd < 0 || m_broken || m_appendedBytes > std::max(kMinCompactBytes, kCompactFactor * m_snapshotBytes);
}

QString RecoveryJournal::NewPath() const
{
    const quint64 token = QRandomGenerator::system()->generate64();
    return QDir(m_folder).filePath(QStringLiteral("%1-%2-%3.journal")
                                       .arg(m_kind)
                                       .arg(QCoreApplication::applicationPid())
                                       .arg(token, 16, 16, QLatin1Char('0')));
}

bool RecoveryJournal::Snapshot(const QByteArray& note, const QString& pathName, const QString& currentPath)
{
    if (!QDir().mkpath(m_folder))
        return false;
    ::chmod(QFile::encodeName(m_folder).constData(), 0700);
    const QString target = m_path.isEmpty() ? NewPath() : m_path;
    const QByteArray temporary = QFile::encodeName(target + QStringLiteral(".new"));
    // Locked before it takes the journal's name, so no other instance ever sees it unlocked.
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const QByteArray snapshot = JournalFormat::SnapshotRecord(note, pathName, currentPath);
    const bool written = ::flock(fd, LOCK_EX | LOCK_NB) == 0
                         && WriteAll(fd, JournalFormat::Signature()
                                             + JournalFormat::InstanceRecord(QCoreApplication::applicationPid(), m_kind)
                                             + snapshot)
                         && ::rename(temporary.constData(), QFile::encodeName(target).constData()) == 0;
    if (!written) {
        ::unlink(temporary.constData());
        ::close(fd);
        return false;
    }
    Close();
    m_fd = fd;
    m_path = target;
    m_broken = false;
    m_snapshotBytes = snapshot.size();
    m_appendedBytes = 0;
    return true;
}

bool RecoveryJournal::AppendStroke(const QByteArray& stroke)
{
    return Append(JournalFormat::Record(JournalFormat::AppendStroke, stroke));
}

bool RecoveryJournal::CutStrokes(int count)
{
    return Append(JournalFormat::CutRecord(count));
}

bool RecoveryJournal::Append(const QByteArray& record)
{
    if (m_fd < 0 || m_broken)
        return false;
    if (!WriteAll(m_fd, record)) {
        // A record half written hides those after it; the next change rewrites the journal.
        // The file stays locked meanwhile: it is still this instance's.
        m_broken = true;
        return false;
    }
    m_appendedBytes += record.size();
    return true;
}

void RecoveryJournal::Remove()
{
    if (!m_path.isEmpty())
        ::unlink(QFile::encodeName(m_path).constData());
    Close();
    m_path.clear();
}

void RecoveryJournal::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_broken = false;
}
