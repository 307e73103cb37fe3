// Whole-program launches: a second letter launch hands over to the first and ends, a "PVM"
// launch always runs, and a crashed instance does not keep the next one out.

#include "QtPrinting.h"

#include "shell/SingleInstance.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

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

    // Waits until an instance answers as a "LETTER" window.
    bool WaitForLetterWindow()
    {
        for (int i = 0; i < 100; ++i) {
            if (auto window = FindWindowOfClass(kLetterFrameClass); window && window->IsWindowVisible())
                return true;
            QThread::msleep(100);
        }
        return false;
    }

    QTemporaryDir m_runtime;
    QTemporaryDir m_config;
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
