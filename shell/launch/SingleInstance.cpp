#include "SingleInstance.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMutex>
#include <QRegularExpression>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kMaxLine = 256;          // bytes of one request or answer, '\n' included
constexpr int kMaxOpenLine = 16384;    // an OPEN request: a path of 4096 bytes, percent-encoded
const QByteArray kOpenVerb = QByteArrayLiteral("OPEN");
const QByteArray kPathKeep = QByteArrayLiteral("-._~/");  // bytes an encoded path keeps as they are

// The longest line allowed for the request that starts pending.
qsizetype LineLimit(const QByteArray& pending)
{
    return pending.startsWith(kOpenVerb + ' ') ? kMaxOpenLine : kMaxLine;
}
constexpr off_t kStateSize = 2 * sizeof(DWORD);
const char* const kSocketSuffix = ".sock";

// Creates path with mode 0700 when missing; returns it when it is private, else empty.
QString EnsurePrivateFolder(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) == 0)
        ::chmod(native.constData(), 0700);  // the umask may have taken bits away
    else if (errno != EEXIST)
        return {};
    return IsPrivateFolder(path) ? path : QString();
}

// Opens (creating) a file of ours in the runtime folder, never through a link and never
// inherited by programs we start.
int OpenPrivateFile(const QString& name)
{
    const QString folder = RuntimeFolder();
    if (folder.isEmpty())
        return -1;
    const QByteArray path = QFile::encodeName(folder + '/' + name);
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        ::close(fd);
        return -1;
    }
    return fd;
}

int Flock(int fd, int operation)
{
    int result;
    do
        result = ::flock(fd, operation);
    while (result != 0 && errno == EINTR);
    return result;
}

bool ProcessExists(qint64 pid)
{
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

// Channels served by this process, with the thread that answers them.
QMutex g_servedMutex;
QHash<QString, QThread*> g_served;

bool ServedByCurrentThread(const QString& path)
{
    QMutexLocker locker(&g_servedMutex);
    return g_served.value(path) == QThread::currentThread();
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Runtime folder

bool IsPrivateFolder(const QString& path)
{
    struct stat st {};
    if (path.isEmpty() || ::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 07777) == 0700;
}

QString RuntimeFolderFor(const QString& xdgRuntimeDir, const QString& tempFolder)
{
    if (QDir::isAbsolutePath(xdgRuntimeDir) && IsPrivateFolder(xdgRuntimeDir))
        return EnsurePrivateFolder(QDir::cleanPath(xdgRuntimeDir) + "/inkleaf");
    return EnsurePrivateFolder(QDir::cleanPath(tempFolder) + "/inkleaf-" + QString::number(::geteuid()));
}

QString RuntimeFolder()
{
    return RuntimeFolderFor(qEnvironmentVariable("XDG_RUNTIME_DIR"), QStringLiteral("/tmp"));
}

// ---------------------------------------------------------------------------------------------
// Launch locks

InstanceLock::~InstanceLock()
{
    Release();
}

bool InstanceLock::Acquire(const QString& name)
{
    static const QRegularExpression valid(QStringLiteral("^[A-Za-z0-9_-]+$"));
    Release();
    if (!valid.match(name).hasMatch())
        return false;
    const int fd = OpenPrivateFile(name + ".lock");
    if (fd < 0)
        return false;
    if (Flock(fd, LOCK_EX | LOCK_NB) == 0) {
        m_fd = fd;
        return false;
    }
    const bool held = errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

void InstanceLock::Release()
{
    if (m_fd >= 0)
        ::close(m_fd);  // closing the only descriptor drops the lock
    m_fd = -1;
}

// ---------------------------------------------------------------------------------------------
// Shared flags

SharedInstanceState::~SharedInstanceState()
{
    Close();
}

bool SharedInstanceState::Open()
{
    Close();
    const int fd = OpenPrivateFile(QStringLiteral("instances.state"));
    if (fd < 0)
        return false;
    // Alone with the file: nobody runs, so whatever a crashed instance left is stale.
    // Writers always hold the shared lock, so the words are never zeroed under a live one.
    if (Flock(fd, LOCK_EX | LOCK_NB) == 0) {
        const bool zeroed = ::ftruncate(fd, 0) == 0 && ::ftruncate(fd, kStateSize) == 0;
        if (!zeroed || Flock(fd, LOCK_SH) != 0) {
            ::close(fd);
            return false;
        }
    } else if (Flock(fd, LOCK_SH) != 0) {
        ::close(fd);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || (st.st_size < kStateSize && ::ftruncate(fd, kStateSize) != 0)) {
        ::close(fd);
        return false;
    }
    void* block = ::mmap(nullptr, kStateSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (block == MAP_FAILED) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_words = static_cast<DWORD*>(block);
    return true;
}

void SharedInstanceState::Close()
{
    if (m_words)
        ::munmap(m_words, kStateSize);
    if (m_fd >= 0)
        ::close(m_fd);
    m_words = nullptr;
    m_fd = -1;
}

DWORD SharedInstanceState::Read(int word) const
{
    return m_words ? std::atomic_ref<DWORD>(m_words[word]).load() : 0;
}

void SharedInstanceState::Write(int word, DWORD value)
{
    if (m_words)
        std::atomic_ref<DWORD>(m_words[word]).store(value);
}

// ---------------------------------------------------------------------------------------------
// Window channel: answering side

WindowChannel::WindowChannel(IWindowRequests& handler, QObject* parent)
    : QObject(parent), m_handler(handler)
{
}

WindowChannel::~WindowChannel()
{
    Close();
}

bool WindowChannel::Listen(const QString& frameClass)
{
    Close();
    const QString folder = RuntimeFolder();
    if (folder.isEmpty())
        return false;
    const QString path = folder + '/' + frameClass + '-' + QString::number(::getpid()) + kSocketSuffix;
    QLocalServer::removeServer(path);  // left by an earlier process that had our pid
    m_server = new QLocalServer(this);
    if (!m_server->listen(path)) {
        delete m_server;
        m_server = nullptr;
        return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, &WindowChannel::Accept);
    m_frameClass = frameClass;
    m_path = path;
    QMutexLocker locker(&g_servedMutex);
    g_served.insert(m_path, thread());
    return true;
}

void WindowChannel::Close()
{
    if (!m_server)
        return;
    {
        QMutexLocker locker(&g_servedMutex);
        g_served.remove(m_path);
    }
    delete m_server;  // closes the server and removes the socket file
    m_server = nullptr;
    m_path.clear();
}

void WindowChannel::Accept()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        auto pending = std::make_shared<QByteArray>();
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, pending] { Serve(socket, *pending); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (socket->bytesAvailable() > 0)
            Serve(socket, *pending);
    }
}

void WindowChannel::Serve(QLocalSocket* socket, QByteArray& pending)
{
    pending += socket->readAll();
    QByteArray answers;
    const bool fits = AnswerRequests(pending, answers);
    socket->write(answers);
    if (!fits) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    socket->flush();
}

bool WindowChannel::AnswerRequests(QByteArray& pending, QByteArray& answers)
{
    qsizetype end;
    while ((end = pending.indexOf('\n')) >= 0) {
        if (end >= LineLimit(pending))
            break;
        const QByteArray request = pending.left(end).trimmed();
        pending.remove(0, end + 1);
        answers += Answer(request) + '\n';
    }
    return pending.size() < LineLimit(pending);
}

QByteArray WindowChannel::Answer(const QByteArray& request)
{
    const qsizetype blank = request.indexOf(' ');
    const QByteArray verb = blank < 0 ? request : request.left(blank);
    const QString argument = blank < 0 ? QString() : QString::fromUtf8(request.mid(blank + 1)).trimmed();
    if (verb == "HELLO")
        return "OK " + m_frameClass.toUtf8() + ' ' + QByteArray::number(::getpid());
    if (verb == "VISIBLE")
        return m_handler.IsWindowVisible() ? "OK 1" : "OK 0";
    if (verb == "MINIMIZE") {
        m_handler.Minimize();
        return "OK";
    }
    if (verb == "RESTORE") {
        m_handler.RestoreToForeground();
        return "OK";
    }
    if (verb == "TOPMOST") {
        m_handler.ShowTopmost();
        return "OK";
    }
    if (verb == "ADD-PAGE-LENGTH") {
        m_handler.AddPageLength();
        return "OK";
    }
    if (verb == "CLOSE-OVERLAY") {
        if (argument.isEmpty())
            return "ERR no overlay class";
        return m_handler.CloseOverlay(argument) ? "OK 1" : "OK 0";
    }
    if (verb == kOpenVerb) {
        const QString path = QFile::decodeName(QByteArray::fromPercentEncoding(request.mid(blank + 1).trimmed()));
        if (blank < 0 || !path.startsWith(QLatin1Char('/')))
            return "ERR no full path";
        m_handler.OpenDocumentFile(path);
        return "OK";
    }
    return "ERR unknown request";
}

// ---------------------------------------------------------------------------------------------
// Window channel: asking side

RemoteWindow::RemoteWindow(std::unique_ptr<QLocalSocket> socket, const ChannelTimeouts& timeouts)
    : m_socket(std::move(socket)), m_timeouts(timeouts)
{
}

RemoteWindow::RemoteWindow(RemoteWindow&&) noexcept = default;
RemoteWindow& RemoteWindow::operator=(RemoteWindow&&) noexcept = default;
RemoteWindow::~RemoteWindow() = default;

std::optional<QString> RemoteWindow::Ask(const QString& request)
{
    if (!m_socket || m_socket->state() != QLocalSocket::ConnectedState)
        return std::nullopt;
    const QDeadlineTimer deadline(m_timeouts.answerMs);
    m_socket->write(request.toUtf8() + '\n');
    m_socket->flush();
    bool answered = true;
    while (answered && m_socket->bytesToWrite() > 0)
        answered = !deadline.hasExpired() && m_socket->waitForBytesWritten(int(deadline.remainingTime()));
    while (answered && !m_socket->canReadLine())
        answered = !deadline.hasExpired() && m_socket->waitForReadyRead(int(deadline.remainingTime()));
    if (!answered) {
        m_socket.reset();  // a late answer would be taken for the next request's
        return std::nullopt;
    }
    const QByteArray answer = m_socket->readLine(kMaxLine + 1).trimmed();
    if (answer == "OK")
        return QString();
    if (answer.startsWith("OK "))
        return QString::fromUtf8(answer.mid(3));
    return std::nullopt;
}

bool RemoteWindow::IsWindowVisible()
{
    return Ask(QStringLiteral("VISIBLE")) == QStringLiteral("1");
}

bool RemoteWindow::Minimize()
{
    return Ask(QStringLiteral("MINIMIZE")).has_value();
}

bool RemoteWindow::RestoreToForeground()
{
    return Ask(QStringLiteral("RESTORE")).has_value();
}

bool RemoteWindow::ShowTopmost()
{
    return Ask(QStringLiteral("TOPMOST")).has_value();
}

bool RemoteWindow::AddPageLength()
{
    return Ask(QStringLiteral("ADD-PAGE-LENGTH")).has_value();
}

bool RemoteWindow::CloseOverlay(const QString& overlayClass)
{
    if (overlayClass.isEmpty() || overlayClass.contains('\n'))
        return false;
    return Ask("CLOSE-OVERLAY " + overlayClass) == QStringLiteral("1");
}

bool RemoteWindow::OpenDocumentFile(const QString& path)
{
    if (!path.startsWith(QLatin1Char('/')))
        return false;
    const QByteArray request = kOpenVerb + ' ' + QFile::encodeName(path).toPercentEncoding(kPathKeep);
    if (request.size() >= kMaxOpenLine)
        return false;
    return Ask(QString::fromLatin1(request)).has_value();
}

// The channels in the runtime folder.
class ChannelDirectory {
public:
    struct Entry {
        QString path;
        QString frameClass;
        qint64 pid = 0;
        QDateTime modified;
    };

    // The channels of frameClass (every class when empty), newest first. Removes the files of
    // processes that no longer exist.
    static std::vector<Entry> List(const QString& frameClass)
    {
        std::vector<Entry> entries;
        const QString folder = RuntimeFolder();
        if (folder.isEmpty())
            return entries;
        static const QRegularExpression name(QStringLiteral("^([A-Z]+)-([1-9][0-9]*)\\.sock$"));
        const QString pattern = (frameClass.isEmpty() ? QStringLiteral("*") : frameClass) + "-*" + kSocketSuffix;
        const QFileInfoList files = QDir(folder).entryInfoList({pattern}, QDir::Files | QDir::System | QDir::Hidden);
        for (const QFileInfo& file : files) {
            const QRegularExpressionMatch match = name.match(file.fileName());
            if (!match.hasMatch())
                continue;
            const qint64 pid = match.captured(2).toLongLong();
            if (!ProcessExists(pid)) {
                QFile::remove(file.filePath());
                continue;
            }
            entries.push_back({file.filePath(), match.captured(1), pid, file.lastModified()});
        }
        std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
            return a.modified != b.modified ? a.modified > b.modified : a.pid > b.pid;
        });
        return entries;
    }

    // A connection to the instance behind entry when it answers in time as what its file says.
    static std::optional<RemoteWindow> Connect(const Entry& entry, const ChannelTimeouts& timeouts)
    {
        if (ServedByCurrentThread(entry.path))
            return std::nullopt;
        auto socket = std::make_unique<QLocalSocket>();
        socket->connectToServer(entry.path);
        if (!socket->waitForConnected(timeouts.connectMs))
            return std::nullopt;
        RemoteWindow window(std::move(socket), timeouts);
        const std::optional<QString> hello = window.Ask(QStringLiteral("HELLO"));
        if (!hello)
            return std::nullopt;
        const QStringList words = hello->split(' ');
        if (words.size() != 2 || words[0] != entry.frameClass || words[1].toLongLong() != entry.pid)
            return std::nullopt;
        window.m_frameClass = entry.frameClass;
        window.m_pid = entry.pid;
        return window;
    }
};

std::optional<RemoteWindow> FindWindowOfClass(const QString& frameClass, const ChannelTimeouts& timeouts)
{
    if (frameClass.isEmpty())
        return std::nullopt;
    for (const ChannelDirectory::Entry& entry : ChannelDirectory::List(frameClass)) {
        if (std::optional<RemoteWindow> window = ChannelDirectory::Connect(entry, timeouts))
            return window;
    }
    return std::nullopt;
}

bool CloseOverlayOfClass(const QString& overlayClass, const ChannelTimeouts& timeouts)
{
    for (const ChannelDirectory::Entry& entry : ChannelDirectory::List(QString())) {
        std::optional<RemoteWindow> window = ChannelDirectory::Connect(entry, timeouts);
        if (window && window->CloseOverlay(overlayClass))
            return true;
    }
    return false;
}
