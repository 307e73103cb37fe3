// The program started as each desktop launcher starts it, on a real X server: its window
// carries the class the launcher names in StartupWMClass, so the desktop groups the window
// under its launcher and ends the launch feedback.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// The value of key in the launcher made at build time, or empty.
QString LauncherValue(const char* launcher, const char* key)
{
    QFile file(QStringLiteral(INKLEAF_DESKTOP_DIR "/") + QLatin1String(launcher));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QRegularExpression line(QStringLiteral("^%1=(.*)$").arg(QLatin1String(key)),
                                  QRegularExpression::MultilineOption);
    return line.match(QString::fromUtf8(file.readAll())).captured(1);
}

// Whether a window of this class exists within ten seconds.
bool WindowOfClassAppears(const QString& windowClass)
{
    return QTest::qWaitFor([&] {
        QProcess search;
        search.start(QStringLiteral("xdotool"), {"search", "--class", "^" + windowClass + "$"});
        search.waitForFinished(5000);
        return search.exitCode() == 0 && !search.readAllStandardOutput().trimmed().isEmpty();
    }, 10000);
}

class LauncherWindowTest : public ::testing::TestWithParam<const char*> {};

TEST_P(LauncherWindowTest, the_window_has_the_class_the_launcher_names)
{
    const QString windowClass = LauncherValue(GetParam(), "StartupWMClass");
    QStringList arguments = LauncherValue(GetParam(), "Exec").split(' ', Qt::SkipEmptyParts);
    ASSERT_FALSE(windowClass.isEmpty());
    ASSERT_FALSE(arguments.isEmpty());
    ASSERT_EQ(arguments.takeFirst(), "inkleaf");
    arguments.removeAll("%f");

    QTemporaryDir runtime, config;
    ::chmod(QFile::encodeName(runtime.path()).constData(), 0700);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    env.insert("XDG_CONFIG_HOME", config.path());
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(INKLEAF_PROGRAM), arguments);
    ASSERT_TRUE(program.waitForStarted(5000));
    EXPECT_TRUE(WindowOfClassAppears(windowClass)) << qPrintable(GetParam() + QStringLiteral(": ") + windowClass);
    program.kill();
    program.waitForFinished(5000);
}

INSTANTIATE_TEST_SUITE_P(Launchers, LauncherWindowTest,
                         ::testing::Values("org.inkleaf.Inkleaf.desktop", "org.inkleaf.Lumora.desktop"));

}  // namespace
