#pragma once
// The screen the page geometry is derived from, in physical pixels: the primary screen, or a
// fixed size set by tests and the headless tool so results do not depend on the machine.
// Windows and bars are placed and measured in Qt's logical pixels, which the Logical
// functions give (the same as the physical ones on a fixed screen).

#include "Rect.h"

#include <QPointF>
#include <QRect>
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
    // The screen and the work area in logical pixels, where windows are placed.
    static QSize LogicalScreenSize();
    static QRect LogicalWorkArea();
    // Physical pixels per logical pixel of the primary screen (1 for a fixed screen).
    static double DevicePixelRatio();
    // A point of Qt's desktop (logical pixels) in the pixels of the screen it is on, as the
    // windowing system and the pen place it. Qt keeps each screen's top left where the system
    // has it and scales only from there, so one ratio for the whole desktop is wrong on every
    // screen away from the origin, and on every screen when their scales differ.
    static POINT NativePoint(const QPointF& global);
    // A rectangle of Qt's desktop in the pixels of the screen its top left is on.
    static CRect NativeRect(const QRect& global);
    // Fixes the screen size; nothing goes back to the real screen.
    static void SetFixedScreen(std::optional<QSize> size);
};
