#pragma once
// Cursors made from pictures drawn for the screen. A cursor picture carries its pixel ratio
// (physical pixels per logical pixel) and its hot spot is one of its pixels. Qt's contract
// takes the hot spot in logical pixels, and Wayland shows the picture at its ratio; Qt's X11
// plugin (Qt 6.4) shows the picture's pixels one to one and takes the hot spot as one of them,
// whatever the ratio. Both end up pointing with the same pixel.

#include <QCursor>
#include <QImage>
#include <QPoint>

// The cursor showing picture with its hot spot on pixel hotSpot of the picture.
QCursor CursorFromPicture(const QImage& picture, QPoint hotSpot);
