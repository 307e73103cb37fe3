#pragma once
// Support for the single-instance tests: a fresh private runtime folder per test, a window
// channel answered from its own thread's event loop, and child processes that hold something
// until the test lets them go or kills them.

#include "shell/launch/SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QMutex>
#include <QSemaphore>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <functional>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// Points XDG_RUNTIME_DIR at a new 0700 folder for the length of each test.
class RuntimeFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "shell_tests";
        static char* argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);  // event loops of the channel threads
        ASSERT_TRUE(m_xdg.isValid());
        ASSERT_EQ(::chmod(QFile::encodeName(m_xdg.path()).constData(), 0700), 0);
        m_previous = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_xdg.path()));
        ASSERT_EQ(RuntimeFolder(), m_xdg.path() + "/inkleaf");
    }
    void TearDown() override { qputenv("XDG_RUNTIME_DIR", m_previous); }

    QString Xdg() const { return m_xdg.path(); }
    QString Folder() const { return m_xdg.path() + "/inkleaf"; }
    QString SocketPath(const QString& frameClass, qint64 pid) const
    {
        return Folder() + '/' + frameClass + '-' + QString::number(pid) + ".sock";
    }
    QStringList FolderEntries() const { return QDir(Folder()).entryList(QDir::Files | QDir::System); }

private:
    QTemporaryDir m_xdg;
    QByteArray m_previous;
};

// A main frame that records what other instances ask of it. Called on the channel's thread.
class RecordingWindow : public IWindowRequests {
public:
    bool IsWindowVisible() override
    {
        if (blockVisible)
            release.tryAcquire(1, 5000);
        return visible;
    }
    void Minimize() override { ++minimized; }
    void RestoreToForeground() override { ++restored; }
    void ShowTopmost() override { ++topmost; }
    void AddPageLength() override { ++pageLengths; }
    bool CloseOverlay(const QString& overlayClass) override
    {
        QMutexLocker locker(&mutex);
        asked << overlayClass;
        if (overlayClass != overlay)
            return false;
        overlay.clear();
        return true;
    }
    QStringList Asked()
    {
        QMutexLocker locker(&mutex);
        return asked;
    }
    void OpenDocumentFile(const QString& path) override
    {
        QMutexLocker locker(&mutex);
        opened << path;
    }
    QStringList Opened()
    {
        QMutexLocker locker(&mutex);
        return opened;
    }

    std::atomic<bool> visible = true;
    std::atomic<bool> blockVisible = false;  // VISIBLE waits for release
    QSemaphore release;
    std::atomic<int> minimized = 0, restored = 0, topmost = 0, pageLengths = 0;
    QMutex mutex;
    QString overlay = QStringLiteral("KestroScribon-L");
    QStringList asked;
    QStringList opened;
};

// A WindowChannel served by the event loop of its own thread, starting to listen after delayMs.
class ServedChannel {
public:
    ServedChannel(const QString& frameClass, IWindowRequests& window, int delayMs = 0)
    {
        m_context.moveToThread(&m_thread);
        m_thread.start();
        auto listen = [this, frameClass, &window] {
            m_channel = new WindowChannel(window);
            m_listening = m_channel->Listen(frameClass);
        };
        if (delayMs == 0)
            QMetaObject::invokeMethod(&m_context, listen, Qt::BlockingQueuedConnection);
        else
            QMetaObject::invokeMethod(&m_context, [this, listen, delayMs] {
                QTimer::singleShot(delayMs, &m_context, listen);
            });
    }
    ~ServedChannel()
    {
        QMetaObject::invokeMethod(&m_context, [this] { delete m_channel; }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }
    bool Listening() const { return m_listening; }
    QString Path() const
    {
        QString path;
        QMetaObject::invokeMethod(&m_context, [&] { path = m_channel ? m_channel->Path() : QString(); },
                                  Qt::BlockingQueuedConnection);
        return path;
    }

private:
    QThread m_thread;
    mutable QObject m_context;
    WindowChannel* m_channel = nullptr;
    std::atomic<bool> m_listening = false;
};

// A forked child: runs body (which returns its exit code) and tells the parent when it is
// ready; body may wait until the parent lets it go. Only plain POSIX and our own classes are
// used in the child, which ends with _exit.
class Child {
public:
    explicit Child(const std::function<int(Child&)>& body)
    {
        EXPECT_EQ(::pipe(m_ready), 0);
        EXPECT_EQ(::pipe(m_go), 0);
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(m_ready[0]);
            ::close(m_go[1]);
            ::_exit(body(*this));
        }
        ::close(m_ready[1]);
        ::close(m_go[0]);
    }
    ~Child()
    {
        if (m_pid > 0)
            Kill();
    }

    // In the child.
    void Ready() { (void)!::write(m_ready[1], "r", 1); }
    void WaitForParent()
    {
        char byte;
        while (::read(m_go[0], &byte, 1) > 0) {}
    }

    // In the parent. Returns whether the child said it was ready.
    bool WaitReady()
    {
        char byte;
        return ::read(m_ready[0], &byte, 1) == 1;
    }
    // Lets the child go; returns its exit code.
    int Finish()
    {
        ::close(m_go[1]);
        m_go[1] = -1;
        return Reap();
    }
    void Kill()
    {
        ::kill(m_pid, SIGKILL);
        Reap();
    }
    pid_t Pid() const { return m_pid; }

private:
    int Reap()
    {
        int status = 0;
        ::waitpid(m_pid, &status, 0);  // a zombie would still count as alive
        ::close(m_ready[0]);
        if (m_go[1] >= 0)
            ::close(m_go[1]);
        m_go[1] = -1;
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    pid_t m_pid = -1;
    int m_ready[2] = {-1, -1};
    int m_go[2] = {-1, -1};
};
