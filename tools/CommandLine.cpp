#include "CommandLine.h"

#include "canvas/CanvasPage.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace {

struct CommandShape {
    const char* name;
    ToolCommand::Kind kind;
    int files;
};

constexpr CommandShape kCommands[] = {
    {"info", ToolCommand::Info, 1},
    {"render", ToolCommand::Render, 2},
    {"export", ToolCommand::Export, 2},
    {"convert", ToolCommand::Convert, 2},
};

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
        if (!IsJpegName(output))
            return QStringLiteral("export writes .jpg files, not %1").arg(output);
        break;
    case ToolCommand::Convert:
        if (!QFileInfo(output).fileName().toUpper().contains(QLatin1String(".ILF")))
            return QStringLiteral("convert writes notes, whose names hold .Ilf, not %1").arg(output);
        break;
    default:
        break;
    }
    return QString();
}

ToolCommand Failed(const QString& reason)
{
    ToolCommand command;
    command.error = reason;
    return command;
}

}  // namespace

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
    if (args.size() == 1 && (args[0] == QLatin1String("--help") || args[0] == QLatin1String("-h"))) {
        ToolCommand help;
        help.kind = ToolCommand::Help;
        return help;
    }

    const CommandShape* shape = nullptr;
    for (const CommandShape& candidate : kCommands) {
        if (args[0] == QLatin1String(candidate.name))
            shape = &candidate;
    }
    if (!shape)
        return Failed(QStringLiteral("unknown command %1").arg(args[0]));

    ToolCommand command;
    command.kind = shape->kind;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--strokes") && command.kind == ToolCommand::Info) {
            command.listStrokes = true;
        } else if (arg == QLatin1String("--screen") || arg.startsWith(QLatin1String("--screen="))) {
            QString value;
            if (arg.contains(QLatin1Char('=')))
                value = arg.section(QLatin1Char('='), 1);
            else if (i + 1 < args.size())
                value = args[++i];
            if (!ParseScreenSize(value, command.screen))
                return Failed(QStringLiteral("--screen wants WIDTHxHEIGHT in pixels, such as 1024x768"));
        } else if (arg.startsWith(QLatin1String("--"))) {
            return Failed(QStringLiteral("%1 does not take %2").arg(QLatin1String(shape->name), arg));
        } else {
            command.files.append(arg);
        }
    }
    if (command.files.size() != shape->files) {
        return Failed(QStringLiteral("%1 takes %2 file name%3").arg(QLatin1String(shape->name)).arg(shape->files)
                          .arg(QLatin1String(shape->files == 1 ? "" : "s")));
    }
    if (command.files.size() > 1) {
        const QString problem = CheckOutputName(command.kind, command.files[1]);
        if (!problem.isEmpty())
            return Failed(problem);
    }
    return command;
}

QString UsageText()
{
    return QStringLiteral(
        "usage: inkleaf-tool COMMAND [--screen WxH] FILES\n"
        "  info NOTE [--strokes]      the note's page settings and counts as JSON; --strokes also\n"
        "                             lists every stroke and picture\n"
        "  render NOTE OUT.png        the whole page as the program shows it after opening the\n"
        "                             note; OUT.jpg writes it as JPEG\n"
        "  export NOTE OUT.jpg        the JPEG file that saving the note as .jpg writes\n"
        "  convert NOTE OUT.Ilf       opens the note and saves it again\n"
        "  --screen WxH               the screen a new page is derived from (default 1024x768);\n"
        "                             a note keeps the page it was saved with\n"
        "Exit status: 0 done, 1 a file could not be read or written, 2 a usage error.\n");
}
