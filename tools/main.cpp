// inkleaf-tool: notes and device files on the command line, without a display. Notes are
// opened through the program's own document and page rendering, and device files are replayed
// through the program's own view on an offscreen screen, so what the tool reports, renders and
// writes is what the program would show and write.

#include "CommandLine.h"
#include "DeviceInfo.h"
#include "NoteInfo.h"
#include "PageSettingsView.h"
#include "ReplayCanvas.h"
#include "Thumbnail.h"
#include "ToolSupport.h"

#include "canvas/HeadlessView.h"
#include "canvas/PagePrinter.h"
#include "canvas/ZoomedPage.h"
#include "document/CScrivaDoc.h"
#include "pictures/ImageFiles.h"
#include "pictures/PngWriter.h"
#include "platform/Settings.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QPageSize>
#include <QTemporaryDir>

#include <cstdio>
#include <exception>
#include <optional>

namespace {

constexpr int kJpegFormat = 1;  // CreateAttachment's format number for JPEG

// Whether path may go to the document as a note; says why not. Folders and missing files are
// left to the document, which has its own message for them.
bool IsNoteInput(const QString& path, const char* command)
{
    switch (InputKindOf(path)) {
    case FileKind::Note:
        return IsSafeToRead(path);
    case FileKind::Device:
        Complain(QStringLiteral("%1: %2 takes notes; convert a device file (.QVN) to a note first")
                     .arg(path, QLatin1String(command)));
        return false;
    default: {
        const bool devicesToo = qstrcmp(command, "info") == 0 || qstrcmp(command, "convert") == 0;
        Complain(QStringLiteral("%1: not a note (a note's name holds .Ilf)%2")
                     .arg(path, devicesToo ? QStringLiteral(" nor a device file (.QVN)") : QString()));
        return false;
    }
    }
}

// Opens the note as the program's File Open does, with view attached to doc.
bool OpenNote(CScrivaDoc& doc, const QString& path, const CountingPrompts& prompts, const char* command)
{
    if (!IsNoteInput(path, command))
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

// PNG through the program's own writer, on every core; JPEG through the program's own JPEG
// writer. Either replaces path only when the new file is complete. Returns why the file could
// not be written, or nothing.
QString WriteImage(const QImage& image, const QString& path, const PageSettings& page)
{
    if (IsJpegName(path)) {
        const bool written = CreateAttachment(nullptr, image, path, kJpegFormat, page.background, page.lineColor);
        return written ? QString() : QStringLiteral("could not be written");
    }
    return PngWriter::WriteFile(image, path);
}

// JSON on standard output, one line.
int PrintJson(const QJsonObject& object)
{
    const QByteArray text = QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
    const bool written = std::fwrite(text.constData(), 1, size_t(text.size()), stdout) == size_t(text.size()) &&
                         std::fflush(stdout) == 0;
    if (!written) {
        Complain(QStringLiteral("standard output could not be written"));
        return kFailed;
    }
    return kDone;
}

int Info(const ToolCommand& command, const CountingPrompts& prompts)
{
    const QString& path = command.files[0];
    if (InputKindOf(path) == FileKind::Device) {
        DeviceFileSummary summary;
        if (!ReadDeviceSummary(path, summary))
            return kFailed;
        return PrintJson(DeviceInfo(summary));
    }
    CScrivaDoc doc;
    PageSettingsView view;
    doc.SetView(&view);
    if (!OpenNote(doc, path, prompts, "info"))
        return kFailed;
    return PrintJson(NoteInfo(view.GetPageSettings(), doc.m_lines, doc.m_pictures, command.listStrokes));
}

int Render(const ToolCommand& command, const CountingPrompts& prompts)
{
    CScrivaDoc doc;
    HeadlessView view(doc, command.screen, SettingsFilePath(), HeadlessView::Start::OpeningNote);
    if (!OpenNote(doc, command.files[0], prompts, "render"))
        return kFailed;
    const QString problem = WriteImage(view.Page().Surface().Bitmap(), command.files[1], view.GetPageSettings());
    if (problem.isEmpty())
        return kDone;
    Complain(QStringLiteral("%1: %2").arg(command.files[1], problem));
    return kFailed;
}

QPageSize PaperOf(const ToolCommand& command)
{
    if (command.paper.isEmpty())
        return PagePrinter::DefaultPaper();
    return QPageSize(command.paper.compare(QLatin1String("Letter"), Qt::CaseInsensitive) == 0 ? QPageSize::Letter
                                                                                              : QPageSize::A4);
}

// The sheets of the page, or the written part of it as a PNG picture, drawn from source: the
// page buffer, or the page drawn at the zoom.
int WriteZoomedExport(const CScrivaDoc& doc, const DrawingSurface& source, const PageSettings& page,
                      const QString& output, const ToolCommand& command)
{
    if (output.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
        const PagePrinter sheets(source, PagePrinter::PageUnit(page.page) * command.scale);
        if (sheets.WritePdf(output, PagePrinter::MaxPage(page.page), PaperOf(command)))
            return kDone;
        Complain(QStringLiteral("%1: could not be written").arg(output));
        return kFailed;
    }
    const SIZE extent = doc.ExportExtent();
    const QImage image = source.Bitmap().copy(0, 0, extent.cx * command.scale, extent.cy * command.scale);
    const QString problem = WriteImage(image, output, page);
    if (problem.isEmpty())
        return kDone;
    Complain(QStringLiteral("%1: %2").arg(output, problem));
    return kFailed;
}

int ExportFile(const QString& input, const QString& output, const ToolCommand& command,
               const CountingPrompts& prompts)
{
    CScrivaDoc doc;
    if (command.scale > 1) {
        // Only the zoomed page is drawn: the page buffer is not needed.
        PageSettingsView view;
        doc.SetView(&view);
        if (!OpenNote(doc, input, prompts, "export"))
            return kFailed;
        DrawingSurface zoomed;
        if (!ZoomedPage::Draw(view.GetPageSettings(), doc.m_pictures, doc.m_lines, command.scale, zoomed)) {
            Complain(QStringLiteral("%1: the page is too large to draw at scale %2").arg(input).arg(command.scale));
            return kFailed;
        }
        return WriteZoomedExport(doc, zoomed, view.GetPageSettings(), output, command);
    }
    HeadlessView view(doc, command.screen, SettingsFilePath(), HeadlessView::Start::OpeningNote);
    if (!OpenNote(doc, input, prompts, "export"))
        return kFailed;
    if (!IsJpegName(output))
        return WriteZoomedExport(doc, view.Page().Surface(), view.GetPageSettings(), output, command);
    const int before = prompts.Count();
    return WriteResult(doc.ExportPageImage(output), output, prompts, before);
}

int Export(const ToolCommand& command, const CountingPrompts& prompts)
{
    if (!command.IsBatch())
        return ExportFile(command.files[0], command.files[1], command, prompts);
    if (!QFileInfo(command.outDir).isDir()) {
        Complain(QStringLiteral("%1: no such folder").arg(command.outDir));
        return kFailed;
    }
    int status = kDone;
    for (const QString& input : command.files) {
        if (ExportFile(input, command.BatchOutput(input), command, prompts) != kDone)
            status = kFailed;
    }
    return status;
}

// One input to one output, each a note or a device file as its name says.
int ConvertFile(const QString& input, const QString& output, const ToolCommand& command,
                const CountingPrompts& prompts)
{
    // Each file starts from the header state of a fresh run, so converting several files gives
    // each the result it gets on its own.
    DeviceState() = DeviceHeaderState{};
    if (InputKindOf(input) == FileKind::Device) {
        ReplayCanvas canvas(command.screen, prompts);
        if (!canvas.Open(input))
            return kFailed;
        const int before = prompts.Count();
        return WriteResult(canvas.Document().OnSaveDocument(output), output, prompts, before);
    }
    CScrivaDoc doc;
    if (OutputKindOf(output) == FileKind::Device) {
        // The strokes are written as the window-less view writes them, without rendering the
        // page they would be drawn on.
        DeviceWriterView view(doc.m_lines, command.screen);
        doc.SetView(&view);
        if (!OpenNote(doc, input, prompts, "convert"))
            return kFailed;
        const int before = prompts.Count();
        return WriteResult(doc.OnSaveDocument(output), output, prompts, before);
    }
    // The page settings pass through the view unchanged, as they do through the page of a
    // window, so the page need not be rendered to store the note again.
    PageSettingsView view;
    doc.SetView(&view);
    if (!OpenNote(doc, input, prompts, "convert"))
        return kFailed;
    const int before = prompts.Count();
    return WriteResult(doc.OnSaveDocument(output), output, prompts, before);
}

int Convert(const ToolCommand& command, const CountingPrompts& prompts)
{
    if (!command.IsBatch())
        return ConvertFile(command.files[0], command.files[1], command, prompts);
    if (!QFileInfo(command.outDir).isDir()) {
        Complain(QStringLiteral("%1: no such folder").arg(command.outDir));
        return kFailed;
    }
    int status = kDone;
    for (const QString& input : command.files) {
        if (ConvertFile(input, command.BatchOutput(input), command, prompts) != kDone)
            status = kFailed;
    }
    return status;
}

int Split(const ToolCommand& command, const CountingPrompts& prompts)
{
    const QString& first = command.files[1];
    const QString& second = command.files[2];
    ReplayCanvas canvas(command.screen, prompts);
    if (!canvas.Open(command.files[0]))
        return kFailed;
    const int strokes = canvas.StrokeCount();
    if (command.cut < 1 || command.cut >= strokes) {
        Complain(QStringLiteral("%1 has %2 stroke%3: a cut at %4 is Out of Range (1 to %5)")
                     .arg(command.files[0])
                     .arg(strokes)
                     .arg(QLatin1String(strokes == 1 ? "" : "s"))
                     .arg(command.cut)
                     .arg(strokes - 1));
        return kFailed;
    }
    const bool firstExisted = QFileInfo::exists(first);
    if (!canvas.View().WriteDeviceFile(first, 0, command.cut)) {
        Complain(QStringLiteral("%1: could not be written").arg(first));
        return kFailed;
    }
    if (!canvas.View().WriteDeviceFile(second, command.cut, strokes)) {
        Complain(QStringLiteral("%1: could not be written").arg(second));
        // Half a split is no split: the first part goes again unless it replaced a file.
        if (!firstExisted)
            QFile::remove(first);
        return kFailed;
    }
    return kDone;
}

int Merge(const ToolCommand& command, const CountingPrompts& prompts)
{
    ReplayCanvas canvas(command.screen, prompts);
    if (!canvas.Open(command.files[0]))
        return kFailed;
    for (const QString& added : command.files.mid(2)) {
        if (!canvas.Import(added))
            return kFailed;
    }
    const QString& output = command.files[1];
    const int before = prompts.Count();
    return WriteResult(canvas.Document().OnSaveDocument(output), output, prompts, before);
}

int MakeThumbnail(const ToolCommand& command, const CountingPrompts& prompts)
{
    const QImage thumbnail = Thumbnail::Draw(command.files[0], command.size, command.screen, prompts);
    if (thumbnail.isNull())
        return kFailed;
    const QString problem = WriteImage(thumbnail, command.files[1], PageSettings{});
    if (problem.isEmpty())
        return kDone;
    Complain(QStringLiteral("%1: %2").arg(command.files[1], problem));
    return kFailed;
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
    case ToolCommand::Split:
        return Split(command, prompts);
    case ToolCommand::Merge:
        return Merge(command, prompts);
    case ToolCommand::Thumbnail:
        return MakeThumbnail(command, prompts);
    default:
        return kUsage;
    }
}

// Whether the command replays device files or writes them with the program's view, which
// needs an application object.
bool NeedsWidgets(const ToolCommand& command)
{
    switch (command.kind) {
    case ToolCommand::Split:
    case ToolCommand::Merge:
        return true;
    case ToolCommand::Convert:
    case ToolCommand::Thumbnail:
        return std::any_of(command.files.begin(), command.files.end(),
                           [](const QString& path) { return InputKindOf(path) == FileKind::Device; });
    default:
        return false;
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
        std::fputs(qUtf8Printable(UsageText(command.helpFor)), stdout);
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

    // The view lives on the offscreen platform whatever the session offers: the tool never
    // shows a window. Qt sees only the program's name, never the files.
    std::optional<QApplication> application;
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    if (NeedsWidgets(command)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(settings.path()));  // private (0700)
        application.emplace(qtArgc, qtArgv);
    }

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
