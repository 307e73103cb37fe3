#pragma once
// What the fuzz targets share: Qt on its offscreen platform, messages that go nowhere (a
// fuzzer sees thousands of damaged files a second), and a private folder for readers that take
// a path. A target that finds its program broken calls Broken(), which aborts, so libFuzzer
// and the replay driver both report the input.

#include "platform/Prompts.h"
#include "platform/Settings.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

// Answers every question with its first button, shows nothing, counts the messages.
class SilentPrompts : public IPrompts {
public:
    SilentPrompts() { SetPrompts(this); }
    int MessageBox(const QString&, const QString&, UINT type) override
    {
        ++m_messages;
        return FirstButtonOf(type);
    }
    QString GetFileName(const FileDialogRequest&) override { return {}; }
    std::optional<COLORREF> ChooseColor(COLORREF) override { return std::nullopt; }
    void SetWaitCursor(bool) override {}
    int Messages() const { return m_messages; }

private:
    int m_messages = 0;
};

inline SilentPrompts& FuzzPrompts()
{
    static SilentPrompts* prompts = new SilentPrompts;
    return *prompts;
}

// The one QApplication of a fuzz target, on the offscreen platform; never destroyed, since
// libFuzzer ends the process from inside the run.
inline void StartQt()
{
    if (QCoreApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "inkleaf-fuzz";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

// A folder of the target's own (in memory when /dev/shm is there), where settings and reports
// go too, so that fuzzing never writes beside the program.
inline QString FuzzFolder()
{
    static QTemporaryDir* folder = [] {
        const bool shm = QFileInfo(QStringLiteral("/dev/shm")).isWritable();
        auto* dir = shm ? new QTemporaryDir(QStringLiteral("/dev/shm/inkleaf-fuzz-XXXXXX")) : new QTemporaryDir;
        if (!dir->isValid()) {
            std::fprintf(stderr, "inkleaf fuzz: no temporary folder\n");
            std::abort();
        }
        OverrideSettingsFolder(dir->path());
        return dir;
    }();
    return folder->path();
}

// Writes bytes to name in the folder and returns its path.
inline QString FuzzFile(const QString& name, const char* data, size_t size)
{
    const QString path = FuzzFolder() + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(data, qint64(size)) != qint64(size)) {
        std::fprintf(stderr, "inkleaf fuzz: cannot write %s\n", qPrintable(path));
        std::abort();
    }
    return path;
}

[[noreturn]] inline void Broken(const char* what)
{
    std::fprintf(stderr, "inkleaf fuzz: %s\n", what);
    std::abort();
}
