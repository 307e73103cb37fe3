#pragma once
// A FIFO at a path, with a writer that waits on its own thread for each reader to open it,
// then writes some bytes and closes. A program that wrongly opens the FIFO thus reads those bytes
// and an end of file instead of blocking the test for ever; one that leaves it alone never
// wakes the writer, which the destructor then lets go.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class FifoFeeder {
public:
    FifoFeeder(const QString& path, QByteArray bytes) : m_path(QFile::encodeName(path))
    {
        // A reader that stops early must not end the test program with SIGPIPE.
        std::signal(SIGPIPE, SIG_IGN);
        m_made = ::mkfifo(m_path.constData(), 0600) == 0;
        EXPECT_TRUE(m_made) << m_path.constData();
        if (!m_made)
            return;
        // The FIFO itself, reached through this handle even if something is renamed over it.
        m_handle = ::open(m_path.constData(), O_PATH | O_CLOEXEC);
        m_inode = "/proc/self/fd/" + QByteArray::number(m_handle);
        m_writer = std::thread([this, bytes = std::move(bytes)] {
            for (;;) {
                const int fd = ::open(m_inode.constData(), O_WRONLY | O_CLOEXEC);  // waits for a reader
                if (fd < 0 || m_released) {
                    if (fd >= 0)
                        ::close(fd);
                    return;
                }
                m_opened = true;
                (void)!::write(fd, bytes.constData(), size_t(bytes.size()));
                ::close(fd);
            }
        });
    }

    ~FifoFeeder()
    {
        if (!m_made)
            return;
        // A reader of our own lets the writer's open return, whether or not anyone read.
        m_released = true;
        const int fd = ::open(m_inode.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        m_writer.join();
        if (fd >= 0)
            ::close(fd);
        ::close(m_handle);
        ::unlink(m_path.constData());
    }

    FifoFeeder(const FifoFeeder&) = delete;
    FifoFeeder& operator=(const FifoFeeder&) = delete;

    // Whether someone other than this object opened the FIFO for reading so far.
    bool Opened() const { return m_opened; }

private:
    QByteArray m_path;
    int m_handle = -1;
    QByteArray m_inode;
    bool m_made = false;
    std::atomic<bool> m_released = false;
    std::atomic<bool> m_opened = false;
    std::thread m_writer;
};
