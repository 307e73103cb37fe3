#pragma once
// Raster operations: how a pen, brush or source pixel combines with the destination pixel.
// Binary operations (R2_*) apply to pen lines and pixel writes; ternary operations (the blit
// codes) to pattern fills and blits. Both are evaluated bitwise from their truth tables, so
// every code gives the exact result of the operation of the same number.

#include "ColorRef.h"

enum RasterOp : int {
    R2_BLACK = 1,
    R2_NOTMERGEPEN = 2,
    R2_MASKNOTPEN = 3,
    R2_NOTCOPYPEN = 4,
    R2_MASKPENNOT = 5,
    R2_NOT = 6,
    R2_XORPEN = 7,
    R2_NOTMASKPEN = 8,
    R2_MASKPEN = 9,
    R2_NOTXORPEN = 10,
    R2_NOP = 11,
    R2_MERGENOTPEN = 12,
    R2_COPYPEN = 13,
    R2_MERGEPENNOT = 14,
    R2_MERGEPEN = 15,
    R2_WHITE = 16,
};

// Ternary raster operation codes; bits 16..23 hold the truth table.
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD SRCPAINT = 0x00EE0086;
constexpr DWORD SRCAND = 0x008800C6;
constexpr DWORD SRCINVERT = 0x00660046;
constexpr DWORD NOTSRCCOPY = 0x00330008;
constexpr DWORD PATCOPY = 0x00F00021;
constexpr DWORD PATINVERT = 0x005A0049;
constexpr DWORD DSTINVERT = 0x00550009;
constexpr DWORD BLACKNESS = 0x00000042;
constexpr DWORD WHITENESS = 0x00FF0062;

// Combines pen and destination exactly as the binary raster operation of the same number.
// The truth table bit for (pen bit P, destination bit D) is bit 2P + D of (op - 1).
constexpr COLORREF combine(RasterOp op, COLORREF pen, COLORREF dst)
{
    const unsigned table = unsigned(op - 1) & 0xF;
    COLORREF result = 0;
    if (table & 1) result |= ~pen & ~dst;
    if (table & 2) result |= ~pen & dst;
    if (table & 4) result |= pen & ~dst;
    if (table & 8) result |= pen & dst;
    return result & 0x00FFFFFF;
}

// Combines pattern, source and destination as the ternary raster operation rop.
// The truth table bit for (P, S, D) is bit 4P + 2S + D of the operation's index byte.
constexpr COLORREF combineTernary(DWORD rop, COLORREF pat, COLORREF src, COLORREF dst)
{
    const unsigned table = (rop >> 16) & 0xFF;
    COLORREF result = 0;
    for (unsigned index = 0; index < 8; ++index) {
        if (!(table & (1u << index)))
            continue;
        const COLORREF p = (index & 4) ? pat : ~pat;
        const COLORREF s = (index & 2) ? src : ~src;
        const COLORREF d = (index & 1) ? dst : ~dst;
        result |= p & s & d;
    }
    return result & 0x00FFFFFF;
}

static_assert(combine(R2_COPYPEN, 0x123456, 0xABCDEF) == 0x123456);
static_assert(combine(R2_MASKPEN, 0x00FF00, 0xFFFFFF) == 0x00FF00);
static_assert(combineTernary(SRCCOPY, 0, 0x123456, 0xABCDEF) == 0x123456);
static_assert(combineTernary(SRCPAINT, 0, 0x0F0000, 0x00F000) == 0x0FF000);
