#pragma once
// Every picture of the manual, by the name its source refers to it with: each bar in each mode
// and the pen-width popup, numbered, with their legends, and the three modes side by side.

#include "BarPicture.h"

#include <QImage>
#include <QString>

#include <vector>

struct ManualFigure {
    QString name;                           // "command-bar-letter", "compact-palette-bar-narrow", ...
    QImage image;                           // carries the pixel ratio it was drawn at
    std::vector<BarPicture::Entry> legend;  // empty for a picture without numbers
};

namespace ManualPictures {

// The command bar of letter, desktop and inking mode, the palette bar of the same and of the
// narrow letter band, and the pen-width popup, in the look in use; the compact look's names
// start with "compact-".
std::vector<ManualFigure> BarFigures();
// "modes": the three modes side by side, in the look in use.
ManualFigure ModesFigure();

}  // namespace ManualPictures
