// inkleaf-tool: notes on the command line, without a window or a display. Notes are opened
// through the program's own document and page rendering, so what the tool reports, renders
// and writes is what the program would show and write.

#include "CommandLine.h"
#include "NoteInfo.h"
#include "PageSettingsView.h"

#include "canvas/HeadlessView.h"
#include "document/CScrivaDoc.h"
#include "pictures/ImageFiles.h"
#include "platform/Prompts.h"
#include "platform/Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QJsonDocument>
#include <QSaveFile>
#include <QTemporaryDir>

#include <cstdio>
#include <exception>

namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;    // a file could not be read or written
constexpr int kUsage = 2;

constexpr int kJpegFormat = 1;  // CreateAttachment's format number for JPEG

// The document's messages on standard error, counted, so the tool adds its own line only
// when the document failed without saying why.
class CountingPrompts : public ConsolePrompts {
public:
    int MessageBox(const QString& text, const QString& caption, UINT type) override
    {
        ++m_count;
        return ConsolePrompts::MessageBox(text, caption, type);
    }
    int Count() const { return m_count; }

private:
    int m_count = 0;
};

void Complain(const QString& text)
{
    std::fprintf(stderr, "inkleaf-tool: %s\n", qUtf8Printable(text));
}

// Whether path may go to the document as a note; says why not. Folders and missing files are
// left to the document, which has its own message for them.
bool IsNoteInput(const QString& path)
{
    const QString name = QFileInfo(path).fileName().toUpper();
    if (!name.contains(QLatin1String(".ILF"))) {
        if (name.contains(QLatin1String(".QVN")))
            Complain(QStringLiteral("%1: device files (.QVN) are not supported by inkleaf-tool yet").arg(path));
        else
            Complain(QStringLiteral("%1: not a note (a note's name holds .Ilf)").arg(path));
        return false;
    }
    const QFileInfo info(path);
    if (info.exists() && !info.isFile() && !info.isDir()) {
        // Reading a pipe or a device could wait or run for ever.
        Complain(QStringLiteral("%1: not a regular file").arg(path));
        return false;
    }
    return true;
}

// Opens the note as the program's File Open does, with view attached to doc.
bool OpenNote(CScrivaDoc& doc, const QString& path, const CountingPrompts& prompts)
{
    if (!IsNoteInput(path))
        return false;
    const int before = prompts.Count();
    if (doc.OnOpenDocument(path))
        return true;
    if (prompts.Count() == before)
        Complain(QStringLiteral("%1: could not be opened").arg(path));
    return false;
}

// Reports a failed write unless the document already did.
int WriteResult(bool written, const QString& path, const CountingPrompts& prompts, int messagesBefore)
{
    if (written)
        return kDone;
    if (prompts.Count() == messagesBefore)
        Complain(QStringLiteral("%1: could not be written").arg(path));
    return kFailed;
}

// PNG through Qt's writer, JPEG through the program's own JPEG writer; either replaces path
// only when the new file is complete. Returns why the file could not be written, or nothing.
QString WriteImage(const QImage& image, const QString& path, const PageSettings& page)
{
    if (IsJpegName(path)) {
        const bool written = CreateAttachment(nullptr, image, path, kJpegFormat, page.background, page.lineColor);
        return written ? QString() : QStringLiteral("could not be written");
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    QImageWriter writer(&file, "png");
    // Qt's PNG writer turns quality into a zlib level (100 none, 0 the most). A page of flat
    // colours compresses about as well at this lighter level, in much less time than the
    // default.
    writer.setQuality(70);
    if (!writer.write(image)) {
        file.cancelWriting();
        return writer.errorString();
    }
    return file.commit() ? QString() : file.errorString();
}

int Info(const ToolCommand& command, const CountingPrompts& prompts)
{
    CScrivaDoc doc;
    PageSettingsView view;
    doc.SetView(&view);
    if (!OpenNote(doc, command.files[0], prompts))
        return kFailed;
    const QJsonObject info = NoteInfo(view.GetPageSettings(), doc.m_lines, doc.m_pictures, command.listStrokes);
    const QByteArray text = QJsonDocument(info).toJson(QJsonDocument::Compact) + '\n';
    const bool written = std::fwrite(text.constData(), 1, size_t(text.size()), stdout) == size_t(text.size()) &&
                         std::fflush(stdout) == 0;
    if (!written) {
        Complain(QStringLiteral("standard output could not be written"));
        return kFailed;
    }
    return kDone;
}

int Render(const ToolCommand& command, const CountingPrompts& prompts)
{
    CScrivaDoc doc;
    HeadlessView view(doc, command.screen, SettingsFilePath());
    if (!OpenNote(doc, command.files[0], prompts))
        return kFailed;
    const QString problem = WriteImage(view.Page().Surface().Bitmap(), command.files[1], view.GetPageSettings());
    if (problem.isEmpty())
        return kDone;
    Complain(QStringLiteral("%1: %2").arg(command.files[1], problem));
    return kFailed;
}

int Export(const ToolCommand& command, const CountingPrompts& prompts)
{
    CScrivaDoc doc;
    HeadlessView view(doc, command.screen, SettingsFilePath());
    if (!OpenNote(doc, command.files[0], prompts))
        return kFailed;
    const int before = prompts.Count();
    return WriteResult(doc.ExportPageImage(command.files[1]), command.files[1], prompts, before);
}

// The page settings pass through the view unchanged, as they do through the page of a window,
// so the page need not be rendered to store the note again.
int Convert(const ToolCommand& command, const CountingPrompts& prompts)
{
    CScrivaDoc doc;
    PageSettingsView view;
    doc.SetView(&view);
    if (!OpenNote(doc, command.files[0], prompts))
        return kFailed;
    const int before = prompts.Count();
    return WriteResult(doc.OnSaveDocument(command.files[1]), command.files[1], prompts, before);
}

int Run(const ToolCommand& command, const CountingPrompts& prompts)
{
    switch (command.kind) {
    case ToolCommand::Info:
        return Info(command, prompts);
    case ToolCommand::Render:
        return Render(command, prompts);
    case ToolCommand::Export:
        return Export(command, prompts);
    case ToolCommand::Convert:
        return Convert(command, prompts);
    default:
        return kUsage;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    const ToolCommand command = ParseCommandLine(args);
    if (command.kind == ToolCommand::Help) {
        std::fputs(qUtf8Printable(UsageText()), stdout);
        return kDone;
    }
    if (!command.error.isEmpty()) {
        Complain(command.error);
        std::fputs(qUtf8Printable(UsageText()), stderr);
        return kUsage;
    }

    // The user's settings never reach the tool: in a fresh folder every setting reads as its
    // default, so the same note gives the same result on every machine.
    QTemporaryDir settings(QDir::tempPath() + QStringLiteral("/inkleaf-tool-XXXXXX"));
    if (!settings.isValid()) {
        Complain(QStringLiteral("no temporary folder for settings: %1").arg(settings.errorString()));
        return kFailed;
    }
    OverrideSettingsFolder(settings.path());

    CountingPrompts prompts;
    SetPrompts(&prompts);
    int status = kFailed;
    try {
        status = Run(command, prompts);
    } catch (const std::exception& error) {
        // Out of memory for a huge page, most likely.
        Complain(QString::fromLocal8Bit(error.what()));
    }
    SetPrompts(nullptr);
    return status;
}
