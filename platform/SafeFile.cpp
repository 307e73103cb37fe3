#include "SafeFile.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace {

QString SystemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The rename is a change to the folder; without this a power loss may bring back the old
// entry, or none, even though the new file's bytes reached the disk.
int SyncFolderOf(const QString& path)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int result = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    // Some file systems cannot sync a folder; the rename itself has happened.
    return result == EINVAL || result == EROFS ? 0 : result;
}

}  // namespace

SafeFile::SafeFile(const QString& path) : m_file(path) {}

bool SafeFile::Open()
{
    if (m_file.open(QIODevice::WriteOnly))
        return true;
    return Fail(m_file.errorString());
}

void SafeFile::Cancel()
{
    m_cancelled = true;
    m_file.cancelWriting();
}

bool SafeFile::Commit()
{
    if (!m_file.isOpen())
        return Fail(m_error.isEmpty() ? QStringLiteral("not open") : m_error);
    if (m_cancelled) {
        m_file.commit();  // removes the temporary file
        return Fail(QStringLiteral("cancelled"));
    }
    // QSaveFile syncs before its rename but ignores a failed sync, which on a full or failing
    // disk is the first sign that the bytes never arrived.
    if (!m_file.flush())
        return Fail(m_file.errorString());
    if (::fsync(m_file.handle()) != 0) {
        const int error = errno;
        m_file.cancelWriting();
        m_file.commit();
        return Fail(SystemError(error));
    }
    if (!m_file.commit())
        return Fail(m_file.errorString());
    if (const int error = SyncFolderOf(m_file.fileName()))
        return Fail(SystemError(error));
    return true;
}

bool SafeFile::Fail(const QString& why)
{
    m_error = why;
    return false;
}

bool SafeFile::Write(const QString& path, const QByteArray& bytes, QString* error)
{
    SafeFile file(path);
    const bool written = file.Open() && file.Device().write(bytes) == bytes.size() && file.Commit();
    if (!written && error)
        *error = file.ErrorString().isEmpty() ? file.Device().errorString() : file.ErrorString();
    return written;
}
