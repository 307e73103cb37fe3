// Whole-program launches: a second letter launch hands over to the first and ends, a "PVM"
// launch always runs, and a crashed instance does not keep the next one out. Files named on
// the command line: opened as notes whatever their folders are called, handed to the running
// letter instance by a second letter launch, and never waited on when they are no files.

#include "QtPrinting.h"
#include "TestApplication.h"

#include "platform/ProfileFile.h"
#include "shell/app/CScrivaApp.h"
#include "shell/frame/CMainFrame.h"
#include "shell/launch/SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// An empty note of a 1024-pixel-wide page.
const QByteArray kEmptyNote = QByteArray::fromHex("e5e2cc00" "c5c0ac00" "5a000000" "00000000" "00000000"
                                                  "00040000" "55050000" "00000000" "00000000");

class LaunchTest : public ::testing::Test {
protected:
    LaunchTest()
    {
        ::chmod(m_runtime.path().toLocal8Bit().constData(), 0700);
        qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert("QT_QPA_PLATFORM", "offscreen");
        m_env.insert("XDG_RUNTIME_DIR", m_runtime.path());
        m_env.insert("XDG_CONFIG_HOME", m_config.path());
        // Notes left unsaved by the user's own runs are never offered to a test's launches.
        m_env.insert("XDG_STATE_HOME", m_config.filePath("state"));
    }

    ~LaunchTest() override
    {
        for (auto& process : m_processes) {
            process->kill();
            process->waitForFinished(5000);
        }
    }

    QProcess& Launch(const QStringList& arguments)
    {
        m_processes.push_back(std::make_unique<QProcess>());
        QProcess& process = *m_processes.back();
        process.setProcessEnvironment(m_env);
        process.start(QStringLiteral(INKLEAF_PROGRAM), arguments);
        EXPECT_TRUE(process.waitForStarted(5000));
        return process;
    }

    // Waits until an instance answers as a "LETTER" window (a visible one unless told).
    bool WaitForLetterWindow(bool visible = true)
    {
        for (int i = 0; i < 100; ++i) {
            if (auto window = FindWindowOfClass(kLetterFrameClass); window && (!visible || window->IsWindowVisible()))
                return true;
            QThread::msleep(100);
        }
        return false;
    }

    // A note at name under a folder of its own; returns its full path.
    QString WriteNote(const QString& name)
    {
        const QString path = m_notes.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(kEmptyNote);
        return path;
    }

    // Waits until the instances' list of recent notes starts with path.
    bool WaitForRecentNote(const QString& path)
    {
        const QString list = m_config.filePath("inkleaf/Local AppWizard-Generated Applications.ini");
        for (int i = 0; i < 100; ++i) {
            if (GetPrivateProfileString("Recent File List", "File1", QString(), 4096, list) == path)
                return true;
            QThread::msleep(100);
        }
        return false;
    }

    QTemporaryDir m_runtime;
    QTemporaryDir m_config;
    QTemporaryDir m_notes;
    QProcessEnvironment m_env;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

}  // namespace

TEST_F(LaunchTest, a_second_letter_launch_brings_the_first_forward_and_ends)
{
    QProcess& first = Launch({"/letter"});
    ASSERT_TRUE(WaitForLetterWindow());
    QProcess& second = Launch({"-LETTER"});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);
    auto window = FindWindowOfClass(kLetterFrameClass);
    ASSERT_TRUE(window.has_value());
    EXPECT_EQ(window->Pid(), first.processId());
    EXPECT_TRUE(window->IsWindowVisible());
    EXPECT_TRUE(window->AddPageLength());  // any process may lengthen the page

    // "PVM" skips the launch rules: it runs beside the letter instance.
    QProcess& plain = Launch({"/pvm", "/letter"});
    EXPECT_FALSE(plain.waitForFinished(1500));
}

TEST_F(LaunchTest, a_crashed_letter_instance_does_not_keep_the_next_one_out)
{
    QProcess& first = Launch({"/letter"});
    ASSERT_TRUE(WaitForLetterWindow());
    first.kill();
    ASSERT_TRUE(first.waitForFinished(5000));
    QProcess& next = Launch({"/letter"});
    EXPECT_FALSE(next.waitForFinished(1500));
    EXPECT_TRUE(WaitForLetterWindow());
}

TEST_F(LaunchTest, a_damaged_note_on_the_command_line_is_reported_without_a_crash)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("broken.Ilf");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a note");
    file.close();
    m_env.insert("QT_QPA_PLATFORM", "offscreen");
    QProcess& launch = Launch({path});
    // The message box waits for an answer; the program must still be alive and not crashed.
    EXPECT_FALSE(launch.waitForFinished(1500));
    EXPECT_EQ(launch.state(), QProcess::Running);
}

TEST_F(LaunchTest, a_note_in_a_folder_named_like_a_launch_word_opens_in_a_plain_letter_window)
{
    const QString note = WriteNote("Thinking/a.Ilf");
    Launch({note});
    EXPECT_TRUE(WaitForLetterWindow());
    EXPECT_TRUE(WaitForRecentNote(note));
    EXPECT_FALSE(FindWindowOfClass(kInkingFrameClass).has_value());
}

// A long note takes a while to draw: the window shows first, and the note opens in it once it
// has been painted, so that its ink fills the window as it is drawn.
TEST_F(LaunchTest, a_note_named_at_start_up_opens_in_the_letter_window_once_it_shows)
{
    const QString note = WriteNote("notes/start.Ilf");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    qputenv("XDG_STATE_HOME", m_config.filePath("state").toLocal8Bit());
    TestApplication();
    CScrivaApp app;
    ASSERT_TRUE(app.InitInstance({note}));
    EXPECT_TRUE(app.Frame()->isVisible());
    EXPECT_TRUE(app.Document().GetPathName().isEmpty()) << "opened before the window showed";
    EXPECT_TRUE(QTest::qWaitFor([&] { return app.Document().GetPathName() == note; }, 5000));
    EXPECT_TRUE(WaitForRecentNote(note));
}

TEST_F(LaunchTest, a_second_letter_launch_hands_its_note_to_the_first)
{
    QProcess& first = Launch({"/letter"});
    ASSERT_TRUE(WaitForLetterWindow());
    const QString note = WriteNote("notes/b c.Ilf");
    m_processes.push_back(std::make_unique<QProcess>());
    QProcess& second = *m_processes.back();
    second.setProcessEnvironment(m_env);
    second.setWorkingDirectory(m_notes.filePath("notes"));
    second.start(QStringLiteral(INKLEAF_PROGRAM), {"-LETTER", "b c.Ilf"});  // named from its own folder
    ASSERT_TRUE(second.waitForFinished(15000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(WaitForRecentNote(note)) << "the first instance opens it";
    EXPECT_EQ(first.state(), QProcess::Running);
}

TEST_F(LaunchTest, a_fifo_named_like_a_note_does_not_freeze_the_program)
{
    const QString fifo = m_notes.filePath("pipe.Ilf");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QProcess& launch = Launch({fifo});
    // The failure message waits for an answer meanwhile; the program still answers others.
    EXPECT_TRUE(WaitForLetterWindow(false));
    EXPECT_EQ(launch.state(), QProcess::Running);
}
