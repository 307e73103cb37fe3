#include "CLine.h"

#include "InkRenderer.h"
#include "PressureAxis.h"

#include "platform/Archive.h"
#include "platform/DibTransfer.h"
#include "platform/DrawingSurface.h"

#include <cstring>

namespace {
using Segment = InkRenderer::Segment;
constexpr COLORREF kPathColor = 0xFF0000;  // the eraser's path and stroke ink in masks
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kBlack = 0x000000;
}  // namespace

// A note may hold hundreds of thousands of strokes: the record itself stays small, with the
// points in one array beside it and no renderer (one is made for each drawing pass).
static_assert(sizeof(CLine) <= 64);

CLine::CLine()
{
    if (const IPressureAxisSource* axis = PressureAxisSource()) {
        m_pressureMax = axis->PressureAxisMaximum();
        m_pressureStep = (m_pressureMax + 1) / 512;
    }
}

void CLine::SetPenType(WORD penType, DWORD inkRendered)
{
    m_inkRendered = inkRendered;
    m_penType = penType;
    if (penType == 4)
        m_maskPen = 1;
}

void CLine::AddPoint(LONG x, LONG y, SHORT width, DWORD pressure, DWORD isLive)
{
    m_points.push_back({x, y, width, BYTE(isLive ? 1 : 0), pressure});
    ExtendBounds(x, y, width);
}

void CLine::AddPoint(LONG x, LONG y, SHORT width)
{
    AddPoint(x, y, width, 0, 0);
}

void CLine::ExtendBounds(LONG x, LONG y, SHORT width)
{
    LONG half = (width - 1) / 2;
    if (width % 2 != 0)
        ++half;
    if (m_inkRendered)
        half = 0;
    if (m_bounds.left == 0 && m_bounds.top == 0 && m_bounds.right == 0 && m_bounds.bottom == 0) {
        m_bounds = {x - half, y - half, x + half, y + half};
        return;
    }
    m_bounds.left = std::min(m_bounds.left, x - half);
    m_bounds.right = std::max(m_bounds.right, x + half);
    m_bounds.top = std::min(m_bounds.top, y - half);
    m_bounds.bottom = std::max(m_bounds.bottom, y + half);
}

const StrokePoint& CLine::GetPoint(int index) const
{
    if (index < 0 || size_t(index) >= m_points.size())
        throw CInvalidArgException("stroke point index out of range");
    return m_points[size_t(index)];
}

void CLine::RemoveAllPoints()
{
    m_points.clear();
    m_points.shrink_to_fit();
}

void CLine::Draw(DrawingSurface* dc) const
{
    InkRenderer renderer;
    Draw(dc, renderer);
}

void CLine::Draw(DrawingSurface* dc, InkRenderer& renderer) const
{
    const size_t count = m_points.size();
    for (size_t i = 0; i < count; ++i) {
        const StrokePoint& point = m_points[i];
        if (i == 0) {
            if (m_inkRendered)
                renderer.DrawSegment(dc, 0, 0, point.x, point.y, point.width, m_color, Segment::First,
                                     m_pressureMax, 1.0f);
            continue;
        }
        const StrokePoint& prev = m_points[i - 1];
        if (m_inkRendered) {
            const Segment phase = i + 1 == count ? Segment::Last : Segment::Middle;
            renderer.DrawSegment(dc, prev.x, prev.y, point.x, point.y, point.width, m_color, phase,
                                   m_pressureMax, 1.0f);
        } else {
            DrawMarkerSegment(dc, prev, point);
        }
    }
}

void CLine::DrawMarkerSegment(DrawingSurface* dc, const StrokePoint& from, const StrokePoint& to) const
{
    const RasterOp rop = m_maskPen == 1 ? R2_MASKPEN : dc->GetROP2();
    ScopedRop2 keepRop(*dc, rop);
    ScopedPen keepPen(*dc, Pen{PS_SOLID, to.width, m_color});
    dc->MoveTo(from.x, from.y);
    dc->LineTo(to.x, to.y);
}

void CLine::DrawIfVisible(DrawingSurface* dc, const RECT& area) const
{
    InkRenderer renderer;
    DrawIfVisible(dc, area, renderer);
}

void CLine::DrawIfVisible(DrawingSurface* dc, const RECT& area, InkRenderer& renderer) const
{
    CRect grown(m_bounds);
    grown.InflateRect(kVisibilitySlack, kVisibilitySlack);
    if (IntersectsRect(grown, area))
        Draw(dc, renderer);
}

QImage CLine::BuildLassoMask(DrawingSurface& maskDC, CRect& maskRect) const
{
    maskRect = m_bounds;
    maskRect.InflateRect(kVisibilitySlack, kVisibilitySlack);
    QImage previous = maskDC.SelectBitmap(DrawingSurface::CreateBitmap(maskRect.Width(), maskRect.Height()));
    ScopedViewportOrg pageCoordinates(maskDC, -maskRect.left, -maskRect.top);
    maskDC.FillSolidRect(maskRect, kBlack);
    {
        ScopedRop2 copy(maskDC, R2_COPYPEN);
        ScopedPen path(maskDC, Pen{PS_SOLID, 1, kPathColor});
        std::vector<POINT> loop;
        loop.reserve(m_points.size());
        for (const StrokePoint& p : m_points)
            loop.push_back({p.x, p.y});
        maskDC.Polyline(loop);
    }
    const COLORREF oldBrush = maskDC.SelectBrush(kWhite);
    maskDC.FloodFill(maskRect.left, maskRect.top, kPathColor);
    maskDC.SelectBrush(oldBrush);
    return previous;
}

// Width of the pen that stands for this stroke's ink when testing it against a lasso.
int CLine::TouchWidth(const StrokePoint& point) const
{
    if (!m_inkRendered)
        return point.width + 1;
    return (m_pressureMax / 256) * (point.width / 50) + 2;
}

CRect CLine::TouchesMask(DrawingSurface* maskDC, const RECT& maskRect) const
{
    CRect grown(m_bounds);
    grown.InflateRect(kVisibilitySlack, kVisibilitySlack);
    CRect area;
    if (!area.IntersectRect(maskRect, grown))
        return CRect();

    DrawingSurface ink(DrawingSurface::CreateBitmap(area.Width(), area.Height()));
    {
        ScopedViewportOrg pageCoordinates(ink, -area.left, -area.top);
        ink.FillSolidRect(area, kWhite);
        for (size_t i = 0; i < m_points.size(); ++i) {
            const StrokePoint& from = m_points[i == 0 ? 0 : i - 1];
            const StrokePoint& to = m_points[i];
            ScopedPen pen(ink, Pen{PS_SOLID, TouchWidth(to), kPathColor});
            ink.MoveTo(from.x, from.y);
            ink.LineTo(to.x, to.y);
        }
        ScopedViewportOrg maskPage(*maskDC, -maskRect.left, -maskRect.top);
        ink.BitBlt(area.left, area.top, area.Width(), area.Height(), *maskDC, area.left, area.top, SRCPAINT);
    }

    // Any pixel left non-white is ink inside the loop or on the eraser's path.
    BITMAPINFOHEADER info;
    DWORD size = 0;
    const QImage& bitmap = ink.Bitmap();
    if (!GetEraseInfo(&ink, &bitmap, info, size))
        return CRect();
    std::vector<BYTE> buffer(size, 0xFF);
    if (!MemoryTransferToBuffer(&ink, &bitmap, size, buffer.data()))
        return CRect();
    const DWORD rowBytes = PackedRowBytes(info.biWidth);
    const DWORD usedBytes = DWORD(info.biWidth) * 3;
    for (LONG row = 0; row < info.biHeight; ++row)
        std::memset(buffer.data() + size_t(row) * rowBytes + usedBytes, 0xFF, rowBytes - usedBytes);
    for (size_t offset = 0; offset + 4 <= buffer.size(); offset += 4) {
        DWORD word;
        std::memcpy(&word, buffer.data() + offset, 4);
        if (word != 0xFFFFFFFF)
            return grown;
    }
    return CRect();
}

namespace {

// Drawing and erasing a stroke work in page pixels; a stored value beyond any page is damage.
void RefuseFarOut(LONG x, LONG y)
{
    const auto far = [](LONG v) { return v < -CLine::kMaxCoordinate || v > CLine::kMaxCoordinate; };
    if (far(x) || far(y))
        throw CArchiveException(CArchiveException::genericException, "a stroke lies far outside any page");
}

}  // namespace

void CLine::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << LONG(m_points.size()) << m_bounds.left << m_bounds.top << m_bounds.right << m_bounds.bottom
           << m_color << m_maskPen << m_penType << m_inkRendered;
        for (const StrokePoint& p : m_points)
            ar << p.x << p.y << p.width;
        return;
    }
    LONG count = 0;
    RECT bounds;
    COLORREF color = 0;
    WORD maskPen = 0, penType = 0;
    DWORD inkRendered = 0;
    ar >> count >> bounds.left >> bounds.top >> bounds.right >> bounds.bottom >> color >> maskPen >> penType
        >> inkRendered;
    RefuseFarOut(bounds.left, bounds.top);
    RefuseFarOut(bounds.right, bounds.bottom);
    ar.CheckCount(count, kRecordPointBytes);
    // A note holds millions of points: they are taken from the archive in one block and
    // decoded here, rather than through a buffer check and a call for every value.
    const char* record = ar.ReadBlock(size_t(count) * kRecordPointBytes);
    std::vector<StrokePoint> points(static_cast<size_t>(count));
    for (StrokePoint& p : points) {
        p.x = qFromLittleEndian<LONG>(record);
        p.y = qFromLittleEndian<LONG>(record + 4);
        p.width = qFromLittleEndian<SHORT>(record + 8);
        RefuseFarOut(p.x, p.y);
        record += kRecordPointBytes;
    }
    m_points = std::move(points);
    m_bounds = bounds;
    m_color = color;
    m_maskPen = maskPen;
    m_penType = penType;
    m_inkRendered = inkRendered;
}
