#include "MailLauncher.h"

#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

QString MailLauncher::Find()
{
    return QStandardPaths::findExecutable(QString::fromLatin1(kProgram));
}

DWORD MailLauncher::Send(const QString& program, const QString& subject, const QString& attachment)
{
    // Owned by itself from here on: a launcher that outlives the wait is not killed.
    auto* process = new QProcess;
    process->setProgram(program);
    process->setArguments({QStringLiteral("--subject"), subject, QStringLiteral("--attach"), attachment});
    process->setStandardInputFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    QObject::connect(process, &QProcess::errorOccurred, process, [process](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            process->deleteLater();
    });

    QEventLoop wait;
    bool ended = false;
    bool started = true;
    QProcess::ExitStatus status = QProcess::NormalExit;
    int code = 0;
    QObject::connect(process, &QProcess::finished, &wait, [&](int exitCode, QProcess::ExitStatus exitStatus) {
        ended = true;
        code = exitCode;
        status = exitStatus;
        wait.quit();
    });
    QObject::connect(process, &QProcess::errorOccurred, &wait, [&](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        started = false;
        wait.quit();
    });
    QTimer::singleShot(kHandOverMs, &wait, &QEventLoop::quit);
    process->start();
    if (started && !ended)
        wait.exec(QEventLoop::ExcludeUserInputEvents);
    if (!started)
        return MAPI_E_FAILURE;
    if (!ended)
        return SUCCESS_SUCCESS;  // handed over to a mail program that is still open
    if (status == QProcess::CrashExit)
        return MAPI_USER_ABORT;
    return code == 0 ? SUCCESS_SUCCESS : MAPI_E_FAILURE;
}
