#pragma once
// The screen the page geometry is derived from, in physical pixels: the primary screen, or a
// fixed size set by tests and the headless tool so results do not depend on the machine.

#include "Rect.h"

#include <QSize>

#include <optional>

class ScreenMetrics {
public:
    // SM_CXSCREEN × SM_CYSCREEN.
    static QSize ScreenSize();
    // The desktop window's rectangle: (0, 0) to the screen size.
    static CRect DesktopRect();
    // The desktop without panels and docks.
    static CRect WorkArea();
    // Physical pixels per logical pixel of the primary screen (1 for a fixed screen).
    static double DevicePixelRatio();
    // Fixes the screen size; nothing goes back to the real screen.
    static void SetFixedScreen(std::optional<QSize> size);
};
