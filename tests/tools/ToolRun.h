#pragma once
// inkleaf-tool run as its own process, as a user would run it without a display.

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

struct ToolRun {
    bool finished = false;  // within 20 s
    bool crashed = false;
    int status = -1;
    QByteArray out;
    QString err;
};

// The tool in workDir with no display, no platform plugin named, and home as its home folder;
// extra adds variables of its own.
inline ToolRun RunTool(const QStringList& args, const QString& workDir, const QString& home,
                       const QProcessEnvironment& extra = {})
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(extra);
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QString::fromLatin1(name));
    env.insert("HOME", home);
    env.insert("XDG_CONFIG_HOME", home + "/config");
    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(workDir);
    process.start(QStringLiteral(INKLEAF_TOOL), args);
    ToolRun run;
    run.finished = process.waitForFinished(20000);
    if (!run.finished) {
        process.kill();
        process.waitForFinished();
    }
    run.crashed = process.exitStatus() == QProcess::CrashExit;
    run.status = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}
