#pragma once

#include "platform/WinTypes.h"

// One point of a stroke. Page pixels for strokes on the page, screen pixels for strokes
// written on the desktop. Only x, y and width are stored in note files.
struct StrokePoint {
    LONG x = 0;
    LONG y = 0;
    SHORT width = 0;      // ink renderer width value, or the pen width in pixels for a marker
    BYTE isLive = 0;      // 1: added during live capture (the device-file writer uses it)
    DWORD pressure = 0;   // pressure at capture time, in a device file's levels 0..511
};

// Points are held by value in one array; keep them small.
static_assert(sizeof(StrokePoint) == 16);
