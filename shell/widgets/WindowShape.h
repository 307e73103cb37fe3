#pragma once
// Windows shaped like a picture: every pixel that is not the transparent colour belongs to
// the window, the rest is see-through and lets the mouse through.

#include "platform/ColorRef.h"

#include <QImage>
#include <QRegion>

class QWidget;

// The union of one-pixel-high runs of pixels that differ from transparent (pixels of bitmap).
QRegion RegionFromBitmap(const QImage& bitmap, COLORREF transparent = RGB(255, 255, 255));

// Gives window the shape of bitmap's non-white pixels. Returns false when the bitmap has none.
bool ShapeWindowFromBitmap(QWidget* window, const QImage& bitmap);

// Gives window the shape of region (logical pixels) and keeps it when the window goes to a
// screen of another pixel ratio: Qt turns a shape into the screen's pixels once, when it is
// set, and would otherwise cut the window to its old size there.
void SetWindowShape(QWidget* window, const QRegion& region);
