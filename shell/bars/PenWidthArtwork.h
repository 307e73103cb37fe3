#pragma once
// The pictures of the pen-width popup: its sheet ("bitmap/360"), its outline ("bitmap/384":
// white is see-through, everything else is window) and the four looks of the five width
// buttons, each a plate with a stroke as thick as its width ("glyph/width-1" ...). While the
// replacement bundle is loaded the popup takes the compact look, with its own button places.
// Sizes and places are logical pixels; the sheet and the buttons can be drawn for a screen of
// ratio physical pixels per logical pixel, the outline stays in logical pixels, as window
// shapes are.

#include "BarArtwork.h"

#include <QImage>
#include <QPoint>
#include <QSize>

namespace PenWidthArtwork {

constexpr int kWidthCount = 5;
// The default look; the compact look is 36 × 62 with 30 × 9 buttons.
constexpr QSize kPopupSize{44, 104};
constexpr QSize kButtonSize{32, 16};
constexpr QSize kCompactButtonSize{30, 9};

// Where the button of width n (1..5) stands on the popup, top to bottom.
QPoint ButtonPlace(int n);
// The stroke thickness, pixels, the button of width n (1..5) shows in the default look.
constexpr int StrokeThickness(int n) { return 2 * n - 1; }

// The size of the whole popup: the sheet's size.
QSize PopupSize();
// The size of a width button.
QSize ButtonSize();
// The outline at PopupSize: black window pixels on white.
QImage Shape();
// The popup's sheet at PopupSize, cut to the outline: white outside it, no white inside. At a
// ratio, each logical pixel of the outline decides for all its physical pixels, so the sheet
// fills the window's shape exactly.
QImage Background(qreal ratio = 1.0);
// The four looks of the button of width n (1..5).
BarArtwork::ButtonImages WidthButton(int n, qreal ratio = 1.0);

}  // namespace PenWidthArtwork
