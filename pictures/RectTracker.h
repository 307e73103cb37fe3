#pragma once
// The frame around a selected picture: a hatched border with eight square handles outside the
// rectangle, hit testing of the handles, and the inverted frame shown while dragging.

#include "platform/Rect.h"

class DrawingSurface;

class CRectTracker {
public:
    enum Style : unsigned { solidLine = 1, dottedLine = 2, hatchedBorder = 4, resizeInside = 8, resizeOutside = 16 };
    enum TrackerHit : int {
        hitNothing = -1,
        hitTopLeft = 0,
        hitTopRight = 1,
        hitBottomRight = 2,
        hitBottomLeft = 3,
        hitTop = 4,
        hitRight = 5,
        hitBottom = 6,
        hitLeft = 7,
        hitMiddle = 8,
    };

    CRect m_rect;                // page pixels
    unsigned m_nStyle = 0;
    int m_nHandleSize = 4;       // pixels

    // The rectangle with the border and handles around it.
    CRect GetTrueRect() const;
    // The square of one handle, 0..7.
    CRect GetHandleRect(int hit) const;
    // Draws the hatched border and the handles on a window that shows the page at zoom, page
    // point (0, 0) at window point origin; m_rect is in page pixels. Only the window's own
    // pixels are visited, however large the rectangle.
    void Draw(DrawingSurface* window, double zoom, POINT origin) const;
    // The handle under p (0..7), hitMiddle inside the rectangle or on its border, or hitNothing.
    int HitTest(POINT p) const;

    // Shows the drag frame of rect inverted on dc, first erasing the one shown before.
    void DrawTrackerRect(const RECT& rect, DrawingSurface* dc);
    // Erases the drag frame shown on dc, if any. Returns whether one was shown.
    bool EraseTrackerRect(DrawingSurface* dc);
    // Forgets the drag frame without touching dc (dc has been drawn over).
    void ForgetTrackerRect() { m_frameShown = false; }
    bool IsTrackerRectShown() const { return m_frameShown; }

private:
    static CRect OnWindow(const RECT& page, const DrawingSurface& window, double zoom, POINT origin);
    void InvertFrame(const CRect& rect, DrawingSurface* dc) const;

    bool m_frameShown = false;
    CRect m_rectLast;
};
