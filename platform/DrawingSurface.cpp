#include "DrawingSurface.h"

#include <cmath>
#include <cstring>
#include <vector>

DrawingSurface::DrawingSurface(QImage bitmap)
{
    SelectBitmap(std::move(bitmap));
}

DrawingSurface::DrawingSurface(DrawingSurface&& other) noexcept
{
    *this = std::move(other);
}

DrawingSurface& DrawingSurface::operator=(DrawingSurface&& other) noexcept
{
    if (this == &other)
        return *this;
    m_image = std::move(other.m_image);
    AttachPointers();
    other.m_image = QImage();
    other.AttachPointers();
    m_org = other.m_org;
    m_pos = other.m_pos;
    m_rop2 = other.m_rop2;
    m_pen = other.m_pen;
    m_brush = other.m_brush;
    return *this;
}

QImage DrawingSurface::CreateBitmap(int width, int height)
{
    QImage image(std::max(width, 0), std::max(height, 0), QImage::Format_RGB32);
    image.fill(0xFF000000u);
    return image;
}

QImage DrawingSurface::SelectBitmap(QImage bitmap)
{
    if (!bitmap.isNull() && bitmap.format() != QImage::Format_RGB32)
        bitmap = bitmap.convertToFormat(QImage::Format_RGB32);
    QImage previous = std::move(m_image);
    m_image = std::move(bitmap);
    AttachPointers();
    return previous;
}

const QImage& DrawingSurface::Bitmap() const
{
    // The caller may keep a shallow copy: the next write must detach first.
    m_writable = false;
    return m_image;
}

void DrawingSurface::AttachPointers()
{
    m_width = m_image.width();
    m_height = m_image.height();
    m_bpl = m_image.bytesPerLine();
    m_constBits = m_image.isNull() ? nullptr : m_image.constBits();
    m_bits = nullptr;
    m_writable = false;
}

void DrawingSurface::MakeWritable()
{
    m_bits = m_image.bits();  // detaches from any shallow copy
    m_constBits = m_bits;
    m_writable = true;
}

POINT DrawingSurface::SetViewportOrg(LONG x, LONG y)
{
    const POINT old = m_org;
    m_org = {x, y};
    return old;
}

RasterOp DrawingSurface::SetROP2(RasterOp op)
{
    const RasterOp old = m_rop2;
    m_rop2 = op;
    return old;
}

Pen DrawingSurface::SelectPen(const Pen& pen)
{
    const Pen old = m_pen;
    m_pen = pen;
    return old;
}

COLORREF DrawingSurface::SelectBrush(COLORREF solid)
{
    const COLORREF old = m_brush;
    m_brush = solid;
    return old;
}

// The device rectangle of a logical one, clipped to the bitmap. Negative sizes extend
// towards smaller coordinates.
CRect DrawingSurface::DeviceClip(LONG x, LONG y, LONG width, LONG height) const
{
    CRect r(x, y, x + width, y + height);
    r.NormalizeRect();
    r.OffsetRect(m_org.x, m_org.y);
    CRect clipped;
    clipped.IntersectRect(r, CRect(0, 0, m_width, m_height));
    return clipped;
}

void DrawingSurface::FillSolidRect(const RECT& rect, COLORREF color)
{
    const CRect r = DeviceClip(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    const QRgb value = ColorRefToQRgb(color);
    for (LONG dy = r.top; dy < r.bottom; ++dy) {
        QRgb* row = DeviceRow(dy);
        std::fill(row + r.left, row + r.right, value);
    }
}

void DrawingSurface::PatBlt(LONG x, LONG y, LONG width, LONG height, DWORD rop)
{
    const CRect r = DeviceClip(x, y, width, height);
    if (rop == PATCOPY) {
        FillSolidRect(CRect(r.left - m_org.x, r.top - m_org.y, r.right - m_org.x, r.bottom - m_org.y),
                      m_brush);
        return;
    }
    for (LONG dy = r.top; dy < r.bottom; ++dy) {
        QRgb* row = DeviceRow(dy);
        for (LONG dx = r.left; dx < r.right; ++dx)
            row[dx] = ColorRefToQRgb(combineTernary(rop, m_brush, 0, QRgbToColorRef(row[dx])));
    }
}

void DrawingSurface::CombinePenPixel(LONG dx, LONG dy)
{
    if (!InDevice(dx, dy))
        return;
    QRgb& pixel = DeviceRow(dy)[dx];
    pixel = ColorRefToQRgb(combine(m_rop2, m_pen.color, QRgbToColorRef(pixel)));
}

void DrawingSurface::MoveTo(LONG x, LONG y)
{
    m_pos = {x, y};
}

void DrawingSurface::LineTo(LONG x, LONG y)
{
    const POINT from = m_pos;
    m_pos = {x, y};
    if (m_pen.style == PS_NULL || IsNull())
        return;
    if (m_pen.width <= 1)
        ThinLine(from.x + m_org.x, from.y + m_org.y, x + m_org.x, y + m_org.y);
    else
        WideLine(from.x + m_org.x, from.y + m_org.y, x + m_org.x, y + m_org.y);
}

void DrawingSurface::Polyline(std::span<const POINT> points)
{
    if (points.empty())
        return;
    const POINT saved = m_pos;
    MoveTo(points[0].x, points[0].y);
    for (size_t i = 1; i < points.size(); ++i)
        LineTo(points[i].x, points[i].y);
    m_pos = saved;  // a polyline leaves the current position alone
}

// Bresenham's line in device pixels, first pixel drawn, last pixel left out.
void DrawingSurface::ThinLine(LONG x0, LONG y0, LONG x1, LONG y1)
{
    const LONG adx = std::abs(x1 - x0);
    const LONG ady = std::abs(y1 - y0);
    const LONG stepX = x0 < x1 ? 1 : -1;
    const LONG stepY = y0 < y1 ? 1 : -1;
    LONG err = adx - ady;
    LONG x = x0;
    LONG y = y0;
    while (x != x1 || y != y1) {
        CombinePenPixel(x, y);
        const LONG e2 = 2 * err;
        if (e2 > -ady) {
            err -= ady;
            x += stepX;
        }
        if (e2 < adx) {
            err += adx;
            y += stepY;
        }
    }
}

namespace {

// The interval of x for which a * x + b lies in [lo, hi]; empty when lo > hi on return.
void SolveBand(double a, double b, double lo, double hi, double& xLo, double& xHi)
{
    if (a == 0) {
        if (b < lo || b > hi) {
            xLo = 1;
            xHi = 0;
        } else {
            xLo = -1e18;
            xHi = 1e18;
        }
        return;
    }
    double u = (lo - b) / a;
    double v = (hi - b) / a;
    if (u > v)
        std::swap(u, v);
    xLo = u;
    xHi = v;
}

struct Span {
    double lo = 1;
    double hi = 0;
    bool Empty() const { return lo > hi; }
    void Hull(double l, double h)
    {
        if (l > h)
            return;
        if (Empty()) {
            lo = l;
            hi = h;
        } else {
            lo = std::min(lo, l);
            hi = std::max(hi, h);
        }
    }
};

void HullDisc(Span& span, double cx, double cy, double r, double py)
{
    const double dy = py - cy;
    const double q = r * r - dy * dy;
    if (q < 0)
        return;
    const double half = std::sqrt(q);
    span.Hull(cx - half, cx + half);
}

}  // namespace

// A line of the pen's width with round ends: every pixel whose centre lies within half the
// width of the segment. Even widths centre the segment between pixels so the line is exactly
// width pixels across. The shape is convex, so each row is one span and no pixel is touched
// twice, which keeps not-xor and xor lines exact.
void DrawingSurface::WideLine(LONG x0, LONG y0, LONG x1, LONG y1)
{
    const double r = m_pen.width / 2.0;
    const double offset = (m_pen.width % 2 == 0) ? 0.5 : 0.0;
    const double ax = x0 - offset, ay = y0 - offset;
    const double bx = x1 - offset, by = y1 - offset;
    const double dx = bx - ax, dy = by - ay;
    const double len2 = dx * dx + dy * dy;
    const double len = std::sqrt(len2);
    const double eps = 1e-9;

    const LONG top = std::max<LONG>(0, LONG(std::floor(std::min(ay, by) - r)));
    const LONG bottom = std::min<LONG>(m_height - 1, LONG(std::ceil(std::max(ay, by) + r)));
    for (LONG py = top; py <= bottom; ++py) {
        Span span;
        HullDisc(span, ax, ay, r, py);
        HullDisc(span, bx, by, r, py);
        if (len2 > 0) {
            // Projection onto the segment within [0, len2], distance from it within r * len.
            double l1, h1, l2, h2;
            SolveBand(dx, (py - ay) * dy - ax * dx, 0, len2, l1, h1);
            SolveBand(dy, -(py - ay) * dx - ax * dy, -r * len, r * len, l2, h2);
            span.Hull(std::max(l1, l2), std::min(h1, h2));
        }
        if (span.Empty())
            continue;
        const LONG from = std::max<LONG>(0, LONG(std::ceil(span.lo - eps)));
        const LONG to = std::min<LONG>(m_width - 1, LONG(std::floor(span.hi + eps)));
        for (LONG px = from; px <= to; ++px)
            CombinePenPixel(px, py);
    }
}

bool DrawingSurface::FloodFill(LONG x, LONG y, COLORREF border)
{
    const LONG sx = x + m_org.x;
    const LONG sy = y + m_org.y;
    if (!InDevice(sx, sy))
        return false;
    const QRgb borderPixel = ColorRefToQRgb(border) & 0x00FFFFFF;
    const QRgb fill = ColorRefToQRgb(m_brush);
    std::vector<bool> done(size_t(m_width) * size_t(m_height), false);
    auto fillable = [&](LONG px, LONG py) {
        return !done[size_t(py) * m_width + px] && (ConstDeviceRow(py)[px] & 0x00FFFFFF) != borderPixel;
    };
    if (!fillable(sx, sy))
        return false;

    std::vector<POINT> seeds{{sx, sy}};
    while (!seeds.empty()) {
        const POINT seed = seeds.back();
        seeds.pop_back();
        if (!fillable(seed.x, seed.y))
            continue;
        LONG left = seed.x;
        while (left > 0 && fillable(left - 1, seed.y))
            --left;
        LONG right = seed.x;
        while (right + 1 < m_width && fillable(right + 1, seed.y))
            ++right;
        QRgb* row = DeviceRow(seed.y);
        for (LONG px = left; px <= right; ++px) {
            row[px] = fill;
            done[size_t(seed.y) * m_width + px] = true;
        }
        for (LONG ny : {seed.y - 1, seed.y + 1}) {
            if (ny < 0 || ny >= m_height)
                continue;
            bool inRun = false;
            for (LONG px = left; px <= right; ++px) {
                const bool open = fillable(px, ny);
                if (open && !inRun)
                    seeds.push_back({px, ny});
                inRun = open;
            }
        }
    }
    return true;
}

void DrawingSurface::BitBlt(LONG x, LONG y, LONG width, LONG height, const DrawingSurface& src,
                            LONG sx, LONG sy, DWORD rop)
{
    if (width <= 0 || height <= 0 || IsNull() || src.IsNull())
        return;
    if (&src == this) {
        DrawingSurface copy(m_image.copy());
        copy.SetViewportOrg(m_org.x, m_org.y);
        BitBlt(x, y, width, height, copy, sx, sy, rop);
        return;
    }
    // Offsets i, j within the block that land inside both bitmaps.
    const LONG dx0 = x + m_org.x, dy0 = y + m_org.y;
    const LONG sx0 = sx + src.m_org.x, sy0 = sy + src.m_org.y;
    const LONG iFrom = std::max({LONG(0), -dx0, -sx0});
    const LONG iTo = std::min({width, LONG(m_width) - dx0, LONG(src.m_width) - sx0});
    const LONG jFrom = std::max({LONG(0), -dy0, -sy0});
    const LONG jTo = std::min({height, LONG(m_height) - dy0, LONG(src.m_height) - sy0});
    if (iFrom >= iTo || jFrom >= jTo)
        return;
    for (LONG j = jFrom; j < jTo; ++j) {
        QRgb* d = DeviceRow(dy0 + j) + dx0;
        const QRgb* s = src.ConstDeviceRow(sy0 + j) + sx0;
        switch (rop) {
        case SRCCOPY:
            std::memcpy(d + iFrom, s + iFrom, size_t(iTo - iFrom) * sizeof(QRgb));
            break;
        case SRCAND:
            for (LONG i = iFrom; i < iTo; ++i)
                d[i] &= s[i];
            break;
        case SRCPAINT:
            for (LONG i = iFrom; i < iTo; ++i)
                d[i] |= s[i];
            break;
        default:
            for (LONG i = iFrom; i < iTo; ++i)
                d[i] = ColorRefToQRgb(combineTernary(rop, m_brush, QRgbToColorRef(s[i]), QRgbToColorRef(d[i])));
            break;
        }
    }
}

void DrawingSurface::StretchBlt(LONG x, LONG y, LONG width, LONG height, const DrawingSurface& src,
                                LONG sx, LONG sy, LONG srcWidth, LONG srcHeight, DWORD rop)
{
    if (width == srcWidth && height == srcHeight) {
        BitBlt(x, y, width, height, src, sx, sy, rop);
        return;
    }
    if (width <= 0 || height <= 0 || srcWidth <= 0 || srcHeight <= 0 || IsNull() || src.IsNull())
        return;
    if (&src == this) {
        DrawingSurface copy(m_image.copy());
        copy.SetViewportOrg(m_org.x, m_org.y);
        StretchBlt(x, y, width, height, copy, sx, sy, srcWidth, srcHeight, rop);
        return;
    }
    const CRect target = DeviceClip(x, y, width, height);
    const LONG dx0 = x + m_org.x, dy0 = y + m_org.y;
    const LONG sx0 = sx + src.m_org.x, sy0 = sy + src.m_org.y;
    // Each target column takes one whole source column; work the columns out once.
    std::vector<LONG> columns(size_t(std::max<LONG>(0, target.Width())));
    for (LONG dx = target.left; dx < target.right; ++dx)
        columns[size_t(dx - target.left)] = sx0 + LONG((int64_t(dx - dx0) * srcWidth) / width);
    for (LONG dy = target.top; dy < target.bottom; ++dy) {
        const LONG sRow = sy0 + LONG((int64_t(dy - dy0) * srcHeight) / height);
        if (sRow < 0 || sRow >= src.m_height)
            continue;
        const QRgb* s = src.ConstDeviceRow(sRow);
        QRgb* d = DeviceRow(dy);
        for (LONG dx = target.left; dx < target.right; ++dx) {
            const LONG sCol = columns[size_t(dx - target.left)];
            if (sCol < 0 || sCol >= src.m_width)
                continue;
            if (rop == SRCCOPY)
                d[dx] = s[sCol];
            else
                d[dx] = ColorRefToQRgb(combineTernary(rop, m_brush, QRgbToColorRef(s[sCol]), QRgbToColorRef(d[dx])));
        }
    }
}
