#include "InkTail.h"

#include <algorithm>

CRect InkTail::Draw(DrawingSurface& dc, POINT from, POINT to, int width, COLORREF color)
{
    Drop();
    if (from == to || dc.IsNull())
        return CRect();
    const POINT org = dc.GetViewportOrg();
    const LONG reach = width / 2 + 2;
    CRect device(std::min(from.x, to.x) - reach, std::min(from.y, to.y) - reach, std::max(from.x, to.x) + reach + 1,
                 std::max(from.y, to.y) + reach + 1);
    device.OffsetRect(org.x, org.y);
    if (!device.IntersectRect(device, CRect(0, 0, dc.DeviceWidth(), dc.DeviceHeight())))
        return CRect();
    m_under = dc.Bitmap().copy(device.left, device.top, device.Width(), device.Height());
    m_rect = device;
    ScopedPen pen(dc, Pen{PS_SOLID, std::max(1, width), color});
    dc.MoveTo(from.x, from.y);
    dc.LineTo(to.x, to.y);
    return m_rect;
}

CRect InkTail::Remove(DrawingSurface& dc)
{
    if (!IsShown())
        return CRect();
    const CRect rect = m_rect;
    Drop();
    const DrawingSurface under(std::move(m_under));
    ScopedViewportOrg device(dc, 0, 0);
    dc.BitBlt(rect.left, rect.top, rect.Width(), rect.Height(), under, 0, 0, SRCCOPY);
    return rect;
}
