#pragma once
// What pictures (and later the document) need of the canvas view, and no more, so that they
// build and are tested without a window.

#include "platform/Rect.h"

class DrawingSurface;

class IPageView {
public:
    virtual ~IPageView() = default;
    // Renders a page rectangle anew into the page buffer: background and ruled lines, then
    // the pictures in stacking order, then the strokes.
    virtual void RedrawPageRect(const RECT& rect) = 0;
    // The page back buffer, page pixels at scale 1.
    virtual DrawingSurface* PageBuffer() = 0;
    // Shows the "Picture" menu at the mouse; the chosen command reaches the view's handlers.
    virtual void ShowPictureMenu() = 0;
};
