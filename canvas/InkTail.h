#pragma once
// Ink drawn ahead of the stroke on the window: the ink renderer draws a curve only when the
// packet after its control point arrives, so without help the ink trails the pen by a packet.
// The tail is a plain line from where the drawn curves end to the newest packet, drawn on the
// window surface only (never into the page buffer or the stroke), and taken off again, pixel for
// pixel as the window was, before the next curve is drawn.

#include "platform/DrawingSurface.h"

#include <QImage>

class InkTail {
public:
    // Draws the tail from from to to (logical pixels of dc), width pixels wide, keeping what it
    // covers. Returns the device pixels it drew on (empty when there was nothing to draw).
    CRect Draw(DrawingSurface& dc, POINT from, POINT to, int width, COLORREF color);
    // Puts back what the tail covered; returns those device pixels (empty without a tail).
    CRect Remove(DrawingSurface& dc);
    // The surface was drawn afresh: nothing to put back.
    void Drop() { m_rect.SetRectEmpty(); }
    bool IsShown() const { return !m_rect.IsRectEmpty(); }

private:
    QImage m_under;  // the device pixels of m_rect as they were
    CRect m_rect;    // device pixels
};
