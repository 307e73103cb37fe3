#pragma once
// The part of the screen a mail sends in desktop mode: the ink, and every window the ink lies
// on, so the recipient sees what was written on. Windows are taken in stacking order from the
// top; each one that meets the area so far widens it, so a window met by the widened area is
// taken too, even when the ink does not touch it.

#include "platform/Rect.h"

#include <QString>

#include <vector>

// A top-level window as the window system lists it; screen pixels.
struct TopLevelWindow {
    CRect rect;
    QString title;
    bool iconic = false;      // minimised
    bool enabled = true;      // takes input
    bool visible = true;      // mapped and shown
    bool desktopOrDock = false;  // the desktop's own background window, a panel or a dock
    bool own = false;         // one of this program's windows (the frame, the overlay)
    unsigned long id = 0;     // the window system's handle (an X window), 0 when unknown
    QString windowInstance;   // WM_CLASS: the instance name and
    QString windowClass;      // the class name; empty when it has none
};

// desk: the whole screen; inkBounds: the union of the strokes' bounds (screen pixels, as
// desktop-mode strokes are stored); windows: from the top of the stack down. Windows without
// a title, the desktop ("Program Manager"), panels, docks, minimised, disabled or hidden
// windows, and the program's own (put away while a mail is sent) are passed over. Empty when there is no ink.
CRect ComputeDesktopCaptureRect(const CRect& desk, const CRect& inkBounds, const std::vector<TopLevelWindow>& windows);
