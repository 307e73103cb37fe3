#pragma once
// The manual's source with its pictures put in. The source marks each picture with a line of
// its own,
//
//   <!-- picture: command-bar-letter -->
//
// which becomes the picture (pictures/NAME.png beside the manual, as wide as the text allows)
// and, for a picture with numbers, its legend: a table naming each number.

#include "ManualPictures.h"

#include <QString>

#include <optional>
#include <vector>

namespace ManualPage {

// The widest a picture is shown, CSS pixels: the text width of the typeset manual.
inline constexpr int kTextWidth = 600;

// The picture's file, relative to the manual.
QString PictureFile(const QString& name);
// html with every marker replaced; nothing, and error naming the marker, when a marker names
// no figure.
std::optional<QString> Expand(const QString& html, const std::vector<ManualFigure>& figures, QString* error);

}  // namespace ManualPage
