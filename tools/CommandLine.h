#pragma once
// The tool's command line: a command, its files and the options, checked before any file is
// touched. Anything that does not fit is a usage error with a one-line reason.

#include "platform/Rect.h"

#include <QString>
#include <QStringList>

struct ToolCommand {
    enum Kind { None, Help, Info, Render, Export, Convert, Split, Merge, Thumbnail };

    Kind kind = None;
    // info: the file. render, export, convert: input, output. split: input, first output,
    // second output. merge: base, output, then the device files added. convert --out-dir: the
    // inputs.
    QStringList files;
    CRect screen{0, 0, 1024, 768};    // screen pixels; a new page is derived from it
    bool listStrokes = false;         // info --strokes
    int cut = 0;                      // split: strokes before it go to the first output
    QString outDir;                   // convert, export --out-dir: outputs go here, named after the inputs
    bool toDevice = false;            // convert --out-dir --to qvn: write device files, not notes
    QString exportType = QStringLiteral("pdf");  // export --out-dir --to: pdf, png or jpg
    QString paper;                    // export to PDF: "A4" or "Letter"; empty: the locale's
    int scale = 1;                    // export to PDF or PNG: the zoom the page is drawn at
    int size = 0;                     // thumbnail --size: pixels of the square it fits in
    Kind helpFor = None;              // help: the command asked about, None for all
    QString error;                    // set for a usage error

    bool IsBatch() const { return !outDir.isEmpty(); }
    // convert and export --out-dir: where an input is written.
    QString BatchOutput(const QString& input) const;
};

// args without the program name.
ToolCommand ParseCommandLine(const QStringList& args);

// Reads "WxH"; false unless both are whole numbers and a page derived from that screen can
// be held in memory.
bool ParseScreenSize(const QString& text, CRect& screen);

// Whether the name ends in .jpg or .jpeg, in any case.
bool IsJpegName(const QString& path);

// The usage text of every command, or of one (kind), ending in a newline.
QString UsageText(ToolCommand::Kind kind = ToolCommand::None);
