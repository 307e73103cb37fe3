#pragma once
// The Qt application of a build-time tool: fonts, pictures and widgets without a display, on
// Qt's offscreen platform, so the build runs on machines and in containers with no screen.
// Qt also wants a private runtime folder, which such environments often lack; one is made
// for the tool's run when none is set.

#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>

#include <memory>

template <typename Application>
class OffscreenBuildApp {
public:
    explicit OffscreenBuildApp(char* program)
        : m_runtime(Prepare()), m_argv{program, nullptr}, m_application(m_argc, m_argv)
    {
    }

private:
    static QTemporaryDir* Prepare()
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
            return nullptr;
        auto* runtime = new QTemporaryDir;  // private (0700)
        if (runtime->isValid())
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime->path()));
        return runtime;
    }

    std::unique_ptr<QTemporaryDir> m_runtime;
    int m_argc = 1;
    char* m_argv[2];
    Application m_application;
};
