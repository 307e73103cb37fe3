#include "LeftJournal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A journal is a note with its history; none near this size is real.
constexpr qint64 kMaxJournalBytes = qint64(1) << 30;

// The descriptor of path, locked, when no running instance holds the file; -1 otherwise.
int LockIfLeft(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return -1;
    struct stat opened {}, named {};
    // The lock must be on the file that still has the name: a journal being rewritten is
    // renamed over, and the old file's lock says nothing about the new one.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)
        || ::stat(name.constData(), &named) != 0 || opened.st_ino != named.st_ino || opened.st_dev != named.st_dev) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Removes the ".new" files of kind that no running instance is writing: a snapshot cut short
// by a crash, which is never renamed over a journal again (the journal beside it, if any,
// holds every record).
void RemoveDeadSnapshots(const QString& folder, const QString& kind)
{
    const QFileInfoList files = QDir(folder).entryInfoList({kind + QStringLiteral("-*.journal.new")}, QDir::Files);
    for (const QFileInfo& file : files) {
        const int fd = LockIfLeft(file.filePath());
        if (fd < 0)
            continue;
        ::unlink(QFile::encodeName(file.filePath()).constData());
        ::close(fd);
    }
}

}  // namespace

std::vector<LeftJournal> LeftJournal::Find(const QString& folder, const QString& kind)
{
    RemoveDeadSnapshots(folder, kind);
    const QFileInfoList files = QDir(folder).entryInfoList({kind + QStringLiteral("-*.journal")}, QDir::Files,
                                                           QDir::Time);  // newest first
    std::vector<LeftJournal> found;
    for (const QFileInfo& file : files) {
        const int fd = LockIfLeft(file.filePath());
        if (fd >= 0)
            found.push_back(LeftJournal(file.filePath(), fd));
    }
    return found;
}

LeftJournal::LeftJournal(LeftJournal&& other) noexcept : m_path(std::move(other.m_path)), m_fd(other.m_fd)
{
    other.m_fd = -1;
}

LeftJournal& LeftJournal::operator=(LeftJournal&& other) noexcept
{
    if (this != &other) {
        Release();
        m_path = std::move(other.m_path);
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

LeftJournal::~LeftJournal()
{
    Release();
}

void LeftJournal::Release()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

std::optional<JournalState> LeftJournal::Read() const
{
    QFile file(m_path);
    if (file.size() > kMaxJournalBytes || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return JournalFormat::Parse(file.readAll());
}

QString LeftJournal::MoveAside(const QString& suffix)
{
    const QString aside = m_path + suffix;
    if (!QFile::exists(aside) && ::rename(QFile::encodeName(m_path).constData(), QFile::encodeName(aside).constData()) == 0) {
        Release();
        m_path = aside;
        return aside;
    }
    return QString();
}

void LeftJournal::Remove()
{
    ::unlink(QFile::encodeName(m_path).constData());
    Release();
}
