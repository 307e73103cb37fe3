#pragma once
// The pictures of the pen-width popup, painted in code: a rounded sheet on white (white is
// see-through when the popup is shaped) and the four looks of the five width buttons, each
// showing a stroke as thick as its width.

#include "BarArtwork.h"

#include <QImage>
#include <QPoint>
#include <QSize>

namespace PenWidthArtwork {

constexpr int kWidthCount = 5;
constexpr QSize kPopupSize{44, 104};
constexpr QSize kButtonSize{32, 16};

// Where the button of width n (1..5) stands on the popup, top to bottom.
constexpr QPoint ButtonPlace(int n) { return QPoint(6, 8 + (n - 1) * 18); }
// The stroke thickness, pixels, the button of width n (1..5) shows.
constexpr int StrokeThickness(int n) { return 2 * n - 1; }

// The popup's sheet at kPopupSize: white round the rounded corners, no white inside.
QImage Background();
// The four looks of the button of width n (1..5).
BarArtwork::ButtonImages WidthButton(int n);

}  // namespace PenWidthArtwork
