#pragma once
// COLORREF: 0x00BBGGRR, red in the low byte. Colours stay COLORREF everywhere inside the
// program and the files; conversion to Qt's 0xAARRGGBB happens only at the edges.

#include "WinTypes.h"

#include <QRgb>

using COLORREF = DWORD;

// Answer of GetPixel for a point outside the surface.
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b)
{
    return COLORREF(r) | (COLORREF(g) << 8) | (COLORREF(b) << 16);
}
constexpr BYTE GetRValue(COLORREF c) { return BYTE(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return BYTE((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return BYTE((c >> 16) & 0xFF); }

// Surfaces hold opaque pixels; the alpha byte of a QRgb is dropped and set to 0xFF.
constexpr QRgb ColorRefToQRgb(COLORREF c)
{
    return 0xFF000000u | (QRgb(GetRValue(c)) << 16) | (QRgb(GetGValue(c)) << 8) | GetBValue(c);
}
constexpr COLORREF QRgbToColorRef(QRgb q)
{
    return RGB(BYTE((q >> 16) & 0xFF), BYTE((q >> 8) & 0xFF), BYTE(q & 0xFF));
}
