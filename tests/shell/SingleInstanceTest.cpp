#include "InstanceTestSupport.h"

#include <QFile>
#include <QLocalSocket>
#include <QProcess>

#include <sys/socket.h>
#include <sys/un.h>

namespace {

mode_t ModeOf(const QString& path)
{
    struct stat st {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

// Binds a Unix socket at path that never accepts; returns its descriptor.
int ListenWithoutAnswering(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray native = QFile::encodeName(path);
    std::memcpy(address.sun_path, native.constData(), native.size());
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 8) != 0)
        return -1;
    return fd;
}

const ChannelTimeouts kShort{100, 200};

}  // namespace

using RuntimeFolders = RuntimeFolderTest;

TEST_F(RuntimeFolders, private_xdg_folder_gets_an_inkleaf_folder_of_mode_0700)
{
    QDir(Folder()).removeRecursively();
    const mode_t previous = ::umask(0277);  // would leave the new folder without write access
    EXPECT_EQ(RuntimeFolderFor(Xdg(), "/nonexistent"), Folder());
    ::umask(previous);
    EXPECT_EQ(ModeOf(Folder()), 0700u);
}

TEST_F(RuntimeFolders, unusable_xdg_folder_falls_back_to_a_private_temporary_folder)
{
    const QString temp = Xdg() + "/tmp";
    ASSERT_TRUE(QDir().mkdir(temp));
    const QString fallback = temp + "/inkleaf-" + QString::number(::geteuid());
    EXPECT_EQ(RuntimeFolderFor(QString(), temp), fallback);
    EXPECT_EQ(ModeOf(fallback), 0700u);
    EXPECT_EQ(RuntimeFolderFor("relative/dir", temp), fallback);
    ASSERT_EQ(::chmod(QFile::encodeName(Xdg()).constData(), 0755), 0);
    EXPECT_EQ(RuntimeFolderFor(Xdg(), temp), fallback);
    ::chmod(QFile::encodeName(Xdg()).constData(), 0700);
}

TEST_F(RuntimeFolders, folder_that_others_could_reach_is_refused)
{
    const QString temp = Xdg() + "/tmp";
    const QString fallback = temp + "/inkleaf-" + QString::number(::geteuid());
    ASSERT_TRUE(QDir().mkpath(fallback));
    ASSERT_EQ(::chmod(QFile::encodeName(fallback).constData(), 0755), 0);
    EXPECT_EQ(RuntimeFolderFor(QString(), temp), QString()) << "open to others";
    EXPECT_EQ(ModeOf(fallback), 0755u) << "someone else's setting is left alone";

    ASSERT_TRUE(QDir(fallback).removeRecursively());
    ASSERT_TRUE(QFile::link(Folder(), fallback));
    EXPECT_EQ(RuntimeFolderFor(QString(), temp), QString()) << "a link, even to a private folder";

    ASSERT_TRUE(QFile::remove(fallback));
    ASSERT_TRUE(QDir().mkdir(fallback));
    ::chmod(QFile::encodeName(fallback).constData(), 0700);
    if (::chown(QFile::encodeName(fallback).constData(), 65534, 65534) == 0) {  // needs root
        EXPECT_EQ(RuntimeFolderFor(QString(), temp), QString()) << "owned by another user";
    }
}

TEST_F(RuntimeFolders, without_a_runtime_folder_nothing_is_shared)
{
    ASSERT_EQ(::chmod(QFile::encodeName(Folder()).constData(), 0755), 0);
    EXPECT_EQ(RuntimeFolder(), QString());
    InstanceLock first, second;
    EXPECT_FALSE(first.Acquire("Inkleaf_"));
    EXPECT_FALSE(second.Acquire("Inkleaf_"));
    EXPECT_FALSE(first.IsHeld());
    SharedInstanceState state;
    EXPECT_FALSE(state.Open());
    state.SetLetterRunning(1);
    EXPECT_EQ(state.LetterRunning(), 0u);
}

using InstanceLocks = RuntimeFolderTest;

TEST_F(InstanceLocks, lock_held_by_another_process_is_reported_until_that_process_ends)
{
    for (const bool killed : {false, true}) {
        Child child([](Child& self) {
            InstanceLock lock;
            if (lock.Acquire("Inkleaf_") || !lock.IsHeld())
                return 1;
            self.Ready();
            self.WaitForParent();
            return 0;
        });
        ASSERT_TRUE(child.WaitReady());
        InstanceLock mine;
        EXPECT_TRUE(mine.Acquire("Inkleaf_")) << "already existed";
        EXPECT_FALSE(mine.IsHeld());
        InstanceLock inking;
        EXPECT_FALSE(inking.Acquire("Lumora_")) << "the inking name is separate";
        if (killed)
            child.Kill();
        else
            EXPECT_EQ(child.Finish(), 0);
        EXPECT_FALSE(mine.Acquire("Inkleaf_")) << (killed ? "killed" : "ended");
        EXPECT_TRUE(mine.IsHeld());
    }
}

TEST_F(InstanceLocks, lock_is_released_with_its_holder_and_not_kept_by_started_programs)
{
    InstanceLock first, second;
    EXPECT_FALSE(first.Acquire("Inkleaf_"));
    EXPECT_TRUE(second.Acquire("Inkleaf_"));

    QProcess program;  // as the mail program would be started
    program.start("sleep", {"30"});
    ASSERT_TRUE(program.waitForStarted());
    first.Release();
    EXPECT_FALSE(second.Acquire("Inkleaf_"));
    program.kill();
    program.waitForFinished();

    EXPECT_FALSE(first.Acquire("../Inkleaf_")) << "not a lock name";
    EXPECT_FALSE(first.IsHeld());
}

using SharedFlags = RuntimeFolderTest;

TEST_F(SharedFlags, flags_written_by_one_process_are_seen_by_the_others)
{
    Child child([](Child& self) {
        SharedInstanceState state;
        if (!state.Open())
            return 100;
        state.SetInkingRunning(1);
        self.Ready();
        self.WaitForParent();
        return int(state.LetterRunning());
    });
    ASSERT_TRUE(child.WaitReady());
    SharedInstanceState mine;
    ASSERT_TRUE(mine.Open());
    EXPECT_EQ(mine.InkingRunning(), 1u) << "opening beside a live instance keeps its flags";
    EXPECT_EQ(mine.LetterRunning(), 0u);
    mine.SetLetterRunning(7);
    EXPECT_EQ(child.Finish(), 7);
    EXPECT_EQ(mine.InkingRunning(), 1u);

    QFile file(Folder() + "/instances.state");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("\x01\0\0\0\x07\0\0\0", 8)) << "InkingRunning first";
}

TEST_F(SharedFlags, flags_start_at_zero_after_every_instance_has_ended)
{
    Child crashed([](Child& self) {
        SharedInstanceState state;
        state.Open();
        state.SetInkingRunning(1);
        state.SetLetterRunning(1);
        self.Ready();
        self.WaitForParent();
        return 0;
    });
    ASSERT_TRUE(crashed.WaitReady());
    crashed.Kill();
    SharedInstanceState first;
    ASSERT_TRUE(first.Open());
    EXPECT_EQ(first.InkingRunning(), 0u);
    EXPECT_EQ(first.LetterRunning(), 0u);
}

using WindowChannels = RuntimeFolderTest;

TEST_F(WindowChannels, requests_are_carried_out_by_the_answering_instance)
{
    RecordingWindow window;
    ServedChannel served("LETTER", window);
    ASSERT_TRUE(served.Listening());
    EXPECT_EQ(served.Path(), SocketPath("LETTER", ::getpid()));
    EXPECT_FALSE(FindWindowOfClass("INKING", kShort)) << "another class";

    std::optional<RemoteWindow> remote = FindWindowOfClass("LETTER", kShort);
    ASSERT_TRUE(remote);
    EXPECT_EQ(remote->FrameClass(), "LETTER");
    EXPECT_EQ(remote->Pid(), ::getpid());
    EXPECT_TRUE(remote->IsWindowVisible());
    window.visible = false;
    EXPECT_FALSE(remote->IsWindowVisible());
    EXPECT_TRUE(remote->Minimize());
    EXPECT_TRUE(remote->RestoreToForeground());
    EXPECT_TRUE(remote->ShowTopmost());
    EXPECT_TRUE(remote->AddPageLength());
    EXPECT_TRUE(remote->AddPageLength());
    EXPECT_EQ(window.minimized.load(), 1);
    EXPECT_EQ(window.restored.load(), 1);
    EXPECT_EQ(window.topmost.load(), 1);
    EXPECT_EQ(window.pageLengths.load(), 2);

    EXPECT_FALSE(CloseOverlayOfClass("KestroScribon-I", kShort));
    EXPECT_TRUE(CloseOverlayOfClass("KestroScribon-L", kShort));
    EXPECT_FALSE(CloseOverlayOfClass("KestroScribon-L", kShort)) << "already closed";
    EXPECT_EQ(window.Asked(), QStringList({"KestroScribon-I", "KestroScribon-L", "KestroScribon-L"}));
}

TEST_F(WindowChannels, a_file_to_open_reaches_the_instance_whole)
{
    RecordingWindow window;
    ServedChannel served("LETTER", window);
    std::optional<RemoteWindow> remote = FindWindowOfClass("LETTER", kShort);
    ASSERT_TRUE(remote);
    const QString odd = QStringLiteral("/home/me/My Notes/100%20 sure\nOPEN /etc/x.Ilf");
    const QString longest = '/' + QString(1360, QChar(0x00E9)) + QStringLiteral(".Ilf");  // 2725 bytes
    EXPECT_TRUE(remote->OpenDocumentFile(odd));
    EXPECT_TRUE(remote->OpenDocumentFile(longest));
    EXPECT_FALSE(remote->OpenDocumentFile(QStringLiteral("notes/a.Ilf"))) << "relative to which folder?";
    EXPECT_EQ(window.Opened(), QStringList({odd, longest}));
    EXPECT_TRUE(remote->IsWindowVisible()) << "the connection is still good";
}

TEST_F(WindowChannels, socket_file_goes_with_the_channel)
{
    RecordingWindow window;
    {
        ServedChannel served("INKING", window);
        ASSERT_TRUE(served.Listening());
        EXPECT_EQ(FolderEntries().filter(".sock").size(), 1);
    }
    EXPECT_EQ(FolderEntries().filter(".sock"), QStringList());
    EXPECT_FALSE(FindWindowOfClass("INKING", kShort));
}

TEST_F(WindowChannels, dead_and_hung_instances_are_passed_over)
{
    RecordingWindow window;
    ServedChannel served("INKING", window);
    ASSERT_TRUE(served.Listening());

    Child dead([this](Child&) { return ListenWithoutAnswering(SocketPath("INKING", ::getpid())) >= 0 ? 0 : 1; });
    const QString deadPath = SocketPath("INKING", dead.Pid());
    EXPECT_EQ(dead.Finish(), 0);
    ASSERT_TRUE(QFile::exists(deadPath)) << "a crashed instance leaves its socket file";

    Child hung([this](Child& self) {
        if (ListenWithoutAnswering(SocketPath("INKING", ::getpid())) < 0)
            return 1;
        self.Ready();
        self.WaitForParent();
        return 0;
    });
    ASSERT_TRUE(hung.WaitReady());
    const QString hungPath = SocketPath("INKING", hung.Pid());

    std::optional<RemoteWindow> remote = FindWindowOfClass("INKING", kShort);
    ASSERT_TRUE(remote);
    EXPECT_EQ(remote->Pid(), ::getpid());
    EXPECT_FALSE(QFile::exists(deadPath));
    EXPECT_TRUE(QFile::exists(hungPath)) << "alive, only slow";

    hung.Kill();
    EXPECT_TRUE(FindWindowOfClass("INKING", kShort));
    EXPECT_FALSE(QFile::exists(hungPath));
}

TEST_F(WindowChannels, late_answer_fails_the_request_and_drops_the_connection)
{
    RecordingWindow window;
    ServedChannel served("LETTER", window);
    std::optional<RemoteWindow> remote = FindWindowOfClass("LETTER", kShort);
    ASSERT_TRUE(remote);
    window.blockVisible = true;
    EXPECT_FALSE(remote->IsWindowVisible());
    window.release.release();
    EXPECT_FALSE(remote->Minimize()) << "the late answer must not count for this one";
    EXPECT_TRUE(FindWindowOfClass("LETTER", kShort)->Minimize()) << "the instance itself is fine";
    EXPECT_EQ(window.minimized.load(), 1);
}

TEST_F(WindowChannels, malformed_requests_are_refused_and_overlong_ones_end_the_connection)
{
    RecordingWindow window;
    ServedChannel served("LETTER", window);
    QLocalSocket socket;
    socket.connectToServer(served.Path());
    ASSERT_TRUE(socket.waitForConnected(1000));
    auto ask = [&](const QByteArray& line) {
        socket.write(line);
        while (!socket.canReadLine() && socket.waitForReadyRead(1000)) {}
        return socket.readLine().trimmed();
    };
    EXPECT_TRUE(ask("SHUTDOWN\n").startsWith("ERR"));
    EXPECT_TRUE(ask("CLOSE-OVERLAY\n").startsWith("ERR"));
    EXPECT_EQ(ask("VISIBLE\n"), "OK 1") << "still served";
    EXPECT_EQ(ask("HELLO\n"), "OK LETTER " + QByteArray::number(::getpid()));
    socket.write(QByteArray(300, 'A'));
    EXPECT_FALSE(socket.waitForReadyRead(2000));
    EXPECT_NE(socket.state(), QLocalSocket::ConnectedState);
}
