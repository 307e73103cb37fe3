#pragma once
// The virtual desktop read through Qt's screens: each screen's part of the X root window
// (QScreen::grabWindow(0)), placed at its physical position. On X11 a screen's geometry keeps
// its physical top-left even when Qt scales the screen, and its grab comes in physical pixels,
// so screens of different device pixel ratios join without seams. Parts of the desktop's
// bounding rectangle that no monitor shows stay black.
//
// Under the offscreen platform the screens hold only the program's own windows, on black.

#include "ScreenGrab.h"

class X11ScreenGrab : public IScreenGrab {
public:
    ScreenGrabResult Grab() override;
};
