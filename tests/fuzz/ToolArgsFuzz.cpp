// inkleaf-tool's argument parsing: the input is the arguments, separated by zero bytes. A
// command line is either refused with a reason or names a command with the files it needs.

#include "FuzzSupport.h"

#include "tools/CommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QStringList args;
    for (const QByteArray& arg : QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)).split('\0'))
        args.append(QString::fromUtf8(arg));
    const ToolCommand command = ParseCommandLine(args);
    if (!command.error.isEmpty())
        return 0;
    if (command.kind == ToolCommand::None)
        Broken("a command line without an error names no command");
    UsageText(command.helpFor);
    if (command.IsBatch())
        for (const QString& input : command.files)
            command.BatchOutput(input);
    if (command.screen.Width() <= 0 || command.screen.Height() <= 0)
        Broken("a command line was taken with an empty screen");
    CRect screen;
    if (!args.isEmpty())
        ParseScreenSize(args.last(), screen);
    return 0;
}
