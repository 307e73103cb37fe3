#include "RectTracker.h"

#include "platform/DrawingSurface.h"

#include <algorithm>
#include <cmath>

namespace {

// The frame shown while dragging is this many pixels thick.
int FrameThickness(int handleSize)
{
    return std::max(1, handleSize - 1);
}

}  // namespace

CRect CRectTracker::GetTrueRect() const
{
    CRect r = m_rect;
    r.NormalizeRect();
    if (m_nStyle & (resizeOutside | hatchedBorder))
        r.InflateRect(m_nHandleSize, m_nHandleSize);
    return r;
}

CRect CRectTracker::GetHandleRect(int hit) const
{
    CRect r = m_rect;
    r.NormalizeRect();
    const LONG s = m_nHandleSize;
    // Outside handles sit just beyond the edges; inside ones just within.
    const bool outside = (m_nStyle & resizeOutside) != 0;
    const LONG left = outside ? r.left - s : r.left;
    const LONG top = outside ? r.top - s : r.top;
    const LONG right = outside ? r.right : r.right - s;
    const LONG bottom = outside ? r.bottom : r.bottom - s;
    const LONG midX = r.left + (r.Width() - s) / 2;
    const LONG midY = r.top + (r.Height() - s) / 2;
    POINT at;
    switch (hit) {
    case hitTopLeft: at = {left, top}; break;
    case hitTopRight: at = {right, top}; break;
    case hitBottomRight: at = {right, bottom}; break;
    case hitBottomLeft: at = {left, bottom}; break;
    case hitTop: at = {midX, top}; break;
    case hitRight: at = {right, midY}; break;
    case hitBottom: at = {midX, bottom}; break;
    case hitLeft: at = {left, midY}; break;
    default: return CRect();
    }
    return CRect(at.x, at.y, at.x + s, at.y + s);
}

// A page rectangle as the window pixels that show it, cut to the window.
CRect CRectTracker::OnWindow(const RECT& page, const DrawingSurface& window, double zoom, POINT origin)
{
    const POINT org = window.GetViewportOrg();
    const auto toWindow = [&](LONG at, LONG from, LONG deviceOrg, LONG size) {
        const double device = std::floor(from + double(at) * zoom) + deviceOrg;
        return LONG(std::clamp(device, 0.0, double(size))) - deviceOrg;
    };
    return CRect(toWindow(page.left, origin.x, org.x, window.DeviceWidth()),
                 toWindow(page.top, origin.y, org.y, window.DeviceHeight()),
                 toWindow(page.right, origin.x, org.x, window.DeviceWidth()),
                 toWindow(page.bottom, origin.y, org.y, window.DeviceHeight()));
}

void CRectTracker::Draw(DrawingSurface* window, double zoom, POINT origin) const
{
    if (m_nStyle & hatchedBorder) {
        // Diagonal black lines on white, one pixel in four, fixed to the window's pixels.
        CRect picture = m_rect;
        picture.NormalizeRect();
        const CRect inner = OnWindow(picture, *window, zoom, origin);
        const CRect outer = OnWindow(GetTrueRect(), *window, zoom, origin);
        const POINT org = window->GetViewportOrg();
        for (LONG y = outer.top; y < outer.bottom; ++y) {
            for (LONG x = outer.left; x < outer.right; ++x) {
                if (inner.PtInRect({x, y})) {
                    x = inner.right - 1;  // skip the picture itself
                    continue;
                }
                const bool line = ((x + org.x + y + org.y) & 3) == 3;
                window->SetPixel(x, y, line ? RGB(0, 0, 0) : RGB(255, 255, 255));
            }
        }
    }
    if (m_nStyle & (resizeOutside | resizeInside)) {
        for (int hit = hitTopLeft; hit <= hitLeft; ++hit)
            window->FillSolidRect(OnWindow(GetHandleRect(hit), *window, zoom, origin), RGB(0, 0, 0));
    }
}

int CRectTracker::HitTest(POINT p) const
{
    if (!GetTrueRect().PtInRect(p))
        return hitNothing;
    if (m_nStyle & (resizeOutside | resizeInside)) {
        for (int hit = hitTopLeft; hit <= hitLeft; ++hit) {
            if (GetHandleRect(hit).PtInRect(p))
                return hit;
        }
    }
    return hitMiddle;
}

// Inverts every other pixel of a band inside rect's edges, so that doing it twice restores dc.
void CRectTracker::InvertFrame(const CRect& rect, DrawingSurface* dc) const
{
    CRect outer = rect;
    outer.NormalizeRect();
    CRect inner = outer;
    const int thickness = FrameThickness(m_nHandleSize);
    inner.InflateRect(-thickness, -thickness);
    const POINT org = dc->GetViewportOrg();
    const LONG left = std::max(outer.left, LONG(-org.x));
    const LONG top = std::max(outer.top, LONG(-org.y));
    const LONG right = std::min(outer.right, LONG(dc->DeviceWidth() - org.x));
    const LONG bottom = std::min(outer.bottom, LONG(dc->DeviceHeight() - org.y));
    for (LONG y = top; y < bottom; ++y) {
        const bool fullRow = y < inner.top || y >= inner.bottom;
        for (LONG x = left; x < right; ++x) {
            if (!fullRow && x >= inner.left && x < inner.right) {
                x = inner.right - 1;  // skip the hollow middle
                continue;
            }
            if (((x + org.x + y + org.y) & 1) == 0)
                dc->SetPixel(x, y, dc->GetPixel(x, y) ^ 0xFFFFFF);
        }
    }
}

void CRectTracker::DrawTrackerRect(const RECT& rect, DrawingSurface* dc)
{
    EraseTrackerRect(dc);
    InvertFrame(rect, dc);
    m_rectLast = rect;
    m_frameShown = true;
}

bool CRectTracker::EraseTrackerRect(DrawingSurface* dc)
{
    if (!m_frameShown)
        return false;
    InvertFrame(m_rectLast, dc);
    m_frameShown = false;
    return true;
}
