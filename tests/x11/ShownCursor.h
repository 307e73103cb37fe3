#pragma once
// The cursor the X server shows now, as the XFixes extension reports it: what the user sees,
// whatever Qt was told.

#include <QImage>
#include <QPoint>

struct ShownCursor {
    QImage image;    // ARGB, one pixel per X pixel; null when the server does not say
    QPoint hotSpot;  // in the image
};

ShownCursor CursorShown();
