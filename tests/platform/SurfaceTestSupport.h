#pragma once
// Small builders shared by the drawing surface tests. Pixels are read from the bitmap itself,
// not through GetPixel, so a fault in the viewport arithmetic cannot hide itself.

#include "platform/DrawingSurface.h"

#include <QImage>

#include <string>

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kInk = RGB(0x20, 0x40, 0xC0);

// A surface of the given size filled with one colour, viewport origin at (0, 0).
inline DrawingSurface FilledSurface(int width, int height, COLORREF color = kWhite)
{
    DrawingSurface dc(DrawingSurface::CreateBitmap(width, height));
    dc.FillSolidRect(CRect(0, 0, width, height), color);
    return dc;
}

// The device pixel at (x, y), whatever the viewport origin.
inline COLORREF DevicePixel(const DrawingSurface& dc, int x, int y)
{
    return QRgbToColorRef(dc.Bitmap().pixel(x, y));
}

// The device pixels as text after a newline, one line per row: '.' background, '#' ink,
// '?' anything else. Compares well with a raw string literal that starts on its own line.
inline std::string Picture(const DrawingSurface& dc, COLORREF background = kWhite, COLORREF ink = kInk)
{
    std::string text = "\n";
    for (int y = 0; y < dc.DeviceHeight(); ++y) {
        for (int x = 0; x < dc.DeviceWidth(); ++x) {
            const COLORREF c = DevicePixel(dc, x, y);
            text += c == background ? '.' : c == ink ? '#' : '?';
        }
        text += '\n';
    }
    return text;
}
