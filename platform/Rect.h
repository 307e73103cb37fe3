#pragma once
// Points and rectangles with the meaning the page geometry relies on: right and bottom are
// exclusive, a rectangle is empty when right <= left or bottom <= top, and a union ignores
// empty rectangles. (QRect counts right and bottom inclusively and is only used at the edges.)

#include "WinTypes.h"

#include <algorithm>

struct POINT {
    LONG x = 0;
    LONG y = 0;
    friend constexpr bool operator==(const POINT&, const POINT&) = default;
};

struct SIZE {
    LONG cx = 0;
    LONG cy = 0;
    friend constexpr bool operator==(const SIZE&, const SIZE&) = default;
};

struct RECT {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
    friend constexpr bool operator==(const RECT&, const RECT&) = default;
};

class CRect : public RECT {
public:
    constexpr CRect() = default;
    constexpr CRect(LONG l, LONG t, LONG r, LONG b) : RECT{l, t, r, b} {}
    constexpr CRect(const RECT& r) : RECT(r) {}  // NOLINT: converts like the Win32 type

    constexpr LONG Width() const { return right - left; }
    constexpr LONG Height() const { return bottom - top; }
    constexpr bool IsRectEmpty() const { return right <= left || bottom <= top; }
    constexpr bool IsRectNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    constexpr bool PtInRect(POINT p) const
    {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    constexpr void SetRectEmpty() { left = top = right = bottom = 0; }

    constexpr void InflateRect(LONG dx, LONG dy)
    {
        left -= dx;
        top -= dy;
        right += dx;
        bottom += dy;
    }
    constexpr void OffsetRect(LONG dx, LONG dy)
    {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }
    // Swaps the sides so that left <= right and top <= bottom.
    constexpr void NormalizeRect()
    {
        if (left > right)
            std::swap(left, right);
        if (top > bottom)
            std::swap(top, bottom);
    }

    // Sets this rectangle to the smallest one holding both; an empty operand is ignored and
    // two empty operands give the empty rectangle. Returns false when the result is empty.
    constexpr bool UnionRect(const RECT& a, const RECT& b)
    {
        const CRect ra(a), rb(b);
        if (ra.IsRectEmpty()) {
            *this = rb.IsRectEmpty() ? CRect() : rb;
        } else if (rb.IsRectEmpty()) {
            *this = ra;
        } else {
            *this = CRect(std::min(a.left, b.left), std::min(a.top, b.top),
                          std::max(a.right, b.right), std::max(a.bottom, b.bottom));
        }
        return !IsRectEmpty();
    }
    // Sets this rectangle to the overlap; no overlap gives all zero. Returns false then.
    constexpr bool IntersectRect(const RECT& a, const RECT& b)
    {
        CRect r(std::max(a.left, b.left), std::max(a.top, b.top),
                std::min(a.right, b.right), std::min(a.bottom, b.bottom));
        if (r.IsRectEmpty() || CRect(a).IsRectEmpty() || CRect(b).IsRectEmpty())
            r.SetRectEmpty();
        *this = r;
        return !IsRectEmpty();
    }
};

constexpr bool IntersectsRect(const RECT& a, const RECT& b)
{
    CRect r;
    return r.IntersectRect(a, b);
}
