#include "CommandLine.h"

#include "Thumbnail.h"
#include "ToolSupport.h"

#include "canvas/CanvasPage.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace {

struct CommandShape {
    const char* name;
    ToolCommand::Kind kind;
    int files;      // file names the command takes, the least when more may follow
    bool moreFiles;
    const char* usage;  // its lines of the usage text
};

constexpr CommandShape kCommands[] = {
    {"info", ToolCommand::Info, 1, false,
     "  info NOTE [--strokes]      the note's page settings and counts as JSON; --strokes also\n"
     "                             lists every stroke and picture\n"
     "  info DEVICE.QVN            the device file's header fields, its packets and the packets\n"
     "                             with the pen down, as JSON\n"},
    {"render", ToolCommand::Render, 2, false,
     "  render NOTE OUT.png        the whole page as the program shows it after opening the\n"
     "                             note; OUT.jpg writes it as JPEG\n"},
    {"export", ToolCommand::Export, 2, false,
     "  export NOTE OUT.pdf [--paper A4|Letter] [--scale 2|4]\n"
     "                             the note as printing writes it: one PDF page per page\n"
     "                             height of the note, on A4 or Letter paper (default: the\n"
     "                             locale's); --scale draws the page again at that zoom first\n"
     "  export NOTE OUT.png [--scale 2|4]\n"
     "                             the part of the page the JPEG export holds, as PNG\n"
     "  export NOTE OUT.jpg        the JPEG file that saving the note as .jpg writes\n"
     "  export --out-dir DIR [--to pdf|png|jpg] [--paper P] [--scale S] NOTE...\n"
     "                             exports every NOTE to DIR/NAME.pdf (the default), .png or\n"
     "                             .jpg; goes on after a failed file\n"},
    {"convert", ToolCommand::Convert, 2, false,
     "  convert IN OUT             IN a note (.Ilf) or a device file (.QVN), OUT likewise: a\n"
     "                             device file is replayed onto a new page as the program\n"
     "                             imports it; a note is written as a device file of its strokes\n"
     "  convert --out-dir DIR [--to ilf|qvn] IN...\n"
     "                             converts every IN to DIR/NAME.Ilf (--to ilf, the default) or\n"
     "                             DIR/NAME.QVN (--to qvn), NAME the input's name without its\n"
     "                             last extension; goes on after a failed file\n"},
    {"split", ToolCommand::Split, 4, false,  // the cut counts as a file name here
     "  split IN CUT OUT1.QVN OUT2.QVN\n"
     "                             the first CUT strokes of IN (a note or a device file) to\n"
     "                             OUT1, the rest to OUT2; CUT from 1 to the strokes less one\n"},
    {"merge", ToolCommand::Merge, 3, true,
     "  merge BASE OUT.Ilf ADD.QVN...\n"
     "                             BASE (a note or a device file) with every ADD replayed on\n"
     "                             top, saved as a note\n"},
    {"thumbnail", ToolCommand::Thumbnail, 2, false,
     "  thumbnail --size N IN OUT.png\n"
     "                             the page of IN (a note or a device file) as render draws\n"
     "                             it, scaled so its longer side is N pixels (1 to 2048); for\n"
     "                             file managers, so notes over 64 MB, device files over\n"
     "                             1 MB and pages over 32 million pixels are refused at once\n"},
};

constexpr const char* kScreenUsage =
    "  --screen WxH               the screen a new page is derived from and device files are\n"
    "                             replayed on (default 1024x768); a note keeps the page it\n"
    "                             was saved with\n";
constexpr const char* kStatusUsage = "Exit status: 0 done, 1 a file could not be read or written, 2 a usage error.\n";

const CommandShape* FindCommand(const QString& name)
{
    for (const CommandShape& candidate : kCommands) {
        if (name == QLatin1String(candidate.name))
            return &candidate;
    }
    return nullptr;
}

bool IsHelp(const QString& arg)
{
    return arg == QLatin1String("--help") || arg == QLatin1String("-h");
}

bool EndsWithAny(const QString& path, std::initializer_list<const char*> suffixes)
{
    for (const char* suffix : suffixes) {
        if (path.endsWith(QLatin1String(suffix), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

// The output name must say what the command writes.
QString CheckOutputName(ToolCommand::Kind kind, const QString& output)
{
    switch (kind) {
    case ToolCommand::Render:
        if (!EndsWithAny(output, {".png", ".jpg", ".jpeg"}))
            return QStringLiteral("render writes .png or .jpg files, not %1").arg(output);
        break;
    case ToolCommand::Export:
        if (!IsJpegName(output) && !EndsWithAny(output, {".png", ".pdf"}))
            return QStringLiteral("export writes .pdf, .png or .jpg files, not %1").arg(output);
        break;
    case ToolCommand::Convert:
        if (OutputKindOf(output) == FileKind::Other)
            return QStringLiteral("convert writes notes, whose names hold .Ilf, or device files, whose names end "
                                  "in .QVN, not %1")
                .arg(output);
        break;
    case ToolCommand::Split:
        if (OutputKindOf(output) != FileKind::Device)
            return QStringLiteral("split writes device files, whose names end in .QVN, not %1").arg(output);
        break;
    case ToolCommand::Merge:
        if (OutputKindOf(output) != FileKind::Note)
            return QStringLiteral("merge writes a note, whose name holds .Ilf, not %1").arg(output);
        break;
    case ToolCommand::Thumbnail:
        if (!EndsWithAny(output, {".png"}))
            return QStringLiteral("thumbnail writes .png files, not %1").arg(output);
        break;
    default:
        break;
    }
    return QString();
}

// Takes split's cut out of the file names: "split IN CUT OUT1 OUT2".
QString TakeCut(ToolCommand& command)
{
    static const QRegularExpression number(QStringLiteral("^-?[0-9]{1,9}$"));
    const QString cut = command.files.takeAt(1);
    if (!number.match(cut).hasMatch())
        return QStringLiteral("split wants the number of strokes that go to the first file, not %1").arg(cut);
    command.cut = cut.toInt();
    return QString();
}

// convert and export --out-dir: no two inputs may be written to the same file.
QString CheckBatch(const ToolCommand& command)
{
    if (command.kind != ToolCommand::Convert && command.kind != ToolCommand::Export)
        return QStringLiteral("only convert and export take --out-dir");
    if (command.files.isEmpty())
        return QStringLiteral("%1 --out-dir takes at least one file name")
            .arg(QLatin1String(command.kind == ToolCommand::Export ? "export" : "convert"));
    QStringList outputs;
    for (const QString& input : command.files) {
        const QString output = command.BatchOutput(input);
        if (outputs.contains(output, Qt::CaseInsensitive))
            return QStringLiteral("two inputs would both be written to %1").arg(output);
        outputs.append(output);
    }
    return QString();
}

// The paper is a PDF's, and a JPEG export is the program's own, at the page's pixels.
QString CheckExportOptions(const ToolCommand& command, const QString& output)
{
    if (!command.paper.isEmpty() && !output.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        return QStringLiteral("--paper goes with PDF files");
    if (command.scale != 1 && IsJpegName(output))
        return QStringLiteral("--scale goes with PDF and PNG files; a JPEG export has the page's own pixels");
    return QString();
}

ToolCommand Failed(const QString& reason)
{
    ToolCommand command;
    command.error = reason;
    return command;
}

}  // namespace

QString ToolCommand::BatchOutput(const QString& input) const
{
    const QString extension = kind == Export ? QLatin1Char('.') + exportType : QLatin1String(toDevice ? ".QVN" : ".Ilf");
    const QString name = QFileInfo(input).completeBaseName() + extension;
    return QDir(outDir).filePath(name);
}

bool IsJpegName(const QString& path)
{
    return EndsWithAny(path, {".jpg", ".jpeg"});
}

bool ParseScreenSize(const QString& text, CRect& screen)
{
    static const QRegularExpression pattern(QStringLiteral("^([0-9]{1,6})[xX]([0-9]{1,6})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return false;
    const LONG width = match.captured(1).toInt();
    const LONG height = match.captured(2).toInt();
    const CRect candidate(0, 0, width, height);
    if (width <= 0 || height <= 0 || !PageSettings::IsPageAllowed(CanvasPage::NewPageRect(candidate)))
        return false;
    screen = candidate;
    return true;
}

ToolCommand ParseCommandLine(const QStringList& args)
{
    if (args.isEmpty())
        return Failed(QStringLiteral("no command given"));
    const CommandShape* shape = FindCommand(args[0]);
    if ((args.size() == 1 && IsHelp(args[0])) || (shape && std::any_of(args.begin(), args.end(), IsHelp))) {
        ToolCommand help;
        help.kind = ToolCommand::Help;
        help.helpFor = shape ? shape->kind : ToolCommand::None;
        return help;
    }
    if (!shape)
        return Failed(QStringLiteral("unknown command %1").arg(args[0]));

    ToolCommand command;
    command.kind = shape->kind;
    QString to;
    // The value of an option given as "--name value" or "--name=value"; false when missing.
    const auto value = [&args](qsizetype& i, QString& value) {
        if (args[i].contains(QLatin1Char('=')))
            value = args[i].section(QLatin1Char('='), 1);
        else if (i + 1 < args.size())
            value = args[++i];
        else
            return false;
        return true;
    };
    const auto isOption = [](const QString& arg, const char* name) {
        return arg == QLatin1String(name) || arg.startsWith(QLatin1String(name) + QLatin1Char('='));
    };
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--strokes") && command.kind == ToolCommand::Info) {
            command.listStrokes = true;
        } else if (isOption(arg, "--out-dir")
                   && (command.kind == ToolCommand::Convert || command.kind == ToolCommand::Export)) {
            if (!value(i, command.outDir) || command.outDir.isEmpty())
                return Failed(QStringLiteral("--out-dir wants a folder"));
        } else if (isOption(arg, "--to") && command.kind == ToolCommand::Convert) {
            if (!value(i, to) || (to.compare(QLatin1String("ilf"), Qt::CaseInsensitive) != 0
                                  && to.compare(QLatin1String("qvn"), Qt::CaseInsensitive) != 0))
                return Failed(QStringLiteral("--to wants ilf (notes) or qvn (device files)"));
            command.toDevice = to.compare(QLatin1String("qvn"), Qt::CaseInsensitive) == 0;
        } else if (isOption(arg, "--to") && command.kind == ToolCommand::Export) {
            static const QStringList types{QStringLiteral("pdf"), QStringLiteral("png"), QStringLiteral("jpg")};
            if (!value(i, to) || !types.contains(to.toLower()))
                return Failed(QStringLiteral("--to wants pdf, png or jpg"));
            command.exportType = to.toLower();
        } else if (isOption(arg, "--paper") && command.kind == ToolCommand::Export) {
            if (!value(i, command.paper) || (command.paper.compare(QLatin1String("A4"), Qt::CaseInsensitive) != 0
                                             && command.paper.compare(QLatin1String("Letter"), Qt::CaseInsensitive) != 0))
                return Failed(QStringLiteral("--paper wants A4 or Letter"));
        } else if (isOption(arg, "--scale") && command.kind == ToolCommand::Export) {
            QString scale;
            if (!value(i, scale) || (scale != QLatin1String("1") && scale != QLatin1String("2")
                                     && scale != QLatin1String("4")))
                return Failed(QStringLiteral("--scale wants 1, 2 or 4"));
            command.scale = scale.toInt();
        } else if (isOption(arg, "--size") && command.kind == ToolCommand::Thumbnail) {
            QString size;
            bool number = false;
            if (value(i, size))
                command.size = size.toInt(&number);
            if (!number || command.size < 1 || command.size > Thumbnail::kMaxSize)
                return Failed(QStringLiteral("--size wants the thumbnail's size in pixels, 1 to %1").arg(Thumbnail::kMaxSize));
        } else if (isOption(arg, "--screen")) {
            QString size;
            if (!value(i, size) || !ParseScreenSize(size, command.screen))
                return Failed(QStringLiteral("--screen wants WIDTHxHEIGHT in pixels, such as 1024x768"));
        } else if (arg.startsWith(QLatin1String("--"))) {
            return Failed(QStringLiteral("%1 does not take %2").arg(QLatin1String(shape->name), arg));
        } else {
            command.files.append(arg);
        }
    }
    if (command.IsBatch()) {
        QString problem = CheckBatch(command);
        if (problem.isEmpty())
            problem = CheckExportOptions(command, command.BatchOutput(command.files[0]));
        return problem.isEmpty() ? command : Failed(problem);
    }
    if (!to.isEmpty())
        return Failed(QStringLiteral("--to goes with --out-dir; otherwise the output's name says what to write"));
    if (command.kind == ToolCommand::Thumbnail && command.size == 0)
        return Failed(QStringLiteral("thumbnail wants --size N, the size in pixels"));
    if (command.kind == ToolCommand::Split) {
        if (command.files.size() != shape->files)
            return Failed(QStringLiteral("split takes an input, a number of strokes and two outputs"));
        const QString problem = TakeCut(command);
        if (!problem.isEmpty())
            return Failed(problem);
    } else if (command.files.size() < shape->files || (!shape->moreFiles && command.files.size() > shape->files)) {
        return Failed(QStringLiteral("%1 takes %2%3 file name%4")
                          .arg(QLatin1String(shape->name), QLatin1String(shape->moreFiles ? "at least " : ""))
                          .arg(shape->files)
                          .arg(QLatin1String(shape->files == 1 ? "" : "s")));
    }
    // The outputs: the second file name, and split's third.
    for (qsizetype i = 1; i < command.files.size() && i < (command.kind == ToolCommand::Split ? 3 : 2); ++i) {
        const QString problem = CheckOutputName(command.kind, command.files[i]);
        if (!problem.isEmpty())
            return Failed(problem);
    }
    if (command.kind == ToolCommand::Export) {
        const QString problem = CheckExportOptions(command, command.files[1]);
        if (!problem.isEmpty())
            return Failed(problem);
    }
    return command;
}

QString UsageText(ToolCommand::Kind kind)
{
    QString text = QStringLiteral("usage: inkleaf-tool COMMAND [--screen WxH] FILES\n");
    for (const CommandShape& shape : kCommands) {
        if (kind == ToolCommand::None || kind == shape.kind)
            text += QLatin1String(shape.usage);
    }
    text += QLatin1String(kScreenUsage);
    text += QLatin1String(kStatusUsage);
    return text;
}
