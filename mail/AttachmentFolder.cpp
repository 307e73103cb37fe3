#include "AttachmentFolder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace {

const QString kBaseName = QStringLiteral("inkleaf-mail");
const QString kSendPrefix = QStringLiteral("pvm.tmp-");

// Makes path a folder of this user's with mode 0700, or checks that it is one. A symbolic
// link, or a folder of another user, is refused.
bool MakePrivateFolder(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat info {};
    if (::lstat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
        return false;
    if ((info.st_mode & 0777) != 0700 && ::chmod(native.constData(), 0700) != 0)
        return false;
    return true;
}

// The runtime folder is private and emptied at logout; the cache folder stands in without one.
QString ParentFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime;
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cache.isEmpty() || !QDir().mkpath(cache))
        return QString();
    return cache;
}

}  // namespace

QString AttachmentFolder::BaseFolder()
{
    const QString parent = ParentFolder();
    if (parent.isEmpty())
        return QString();
    const QString base = QDir(parent).filePath(kBaseName);
    return MakePrivateFolder(base) ? base : QString();
}

QString AttachmentFolder::NewAttachmentPath(const QString& name)
{
    RemoveCurrent();
    const QString base = BaseFolder();
    if (base.isEmpty())
        return QString();
    RemoveStale(base);
    QByteArray pattern = QFile::encodeName(QDir(base).filePath(kSendPrefix + QStringLiteral("XXXXXX")));
    if (!::mkdtemp(pattern.data()))  // 0700, and a name no one else can guess
        return QString();
    m_current = QFile::decodeName(pattern);
    return QDir(m_current).filePath(name);
}

void AttachmentFolder::RemoveCurrent()
{
    if (m_current.isEmpty())
        return;
    QDir(m_current).removeRecursively();
    m_current.clear();
}

// Folders of sends that no program removed (a crash, another instance that ran long ago).
// Another instance's recent send is left alone: its mail program may not have read it yet.
void AttachmentFolder::RemoveStale(const QString& base)
{
    const QDateTime limit = QDateTime::currentDateTime().addSecs(-kMaxAgeSeconds);
    const QDir folder(base);
    for (const QFileInfo& entry : folder.entryInfoList({kSendPrefix + QLatin1Char('*')},
                                                       QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)) {
        if (entry.isSymLink() || entry.lastModified() >= limit)
            continue;
        QDir(entry.absoluteFilePath()).removeRecursively();
    }
}
