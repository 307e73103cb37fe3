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
    m_clip = other.m_clip;
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
    m_clip = CRect(0, 0, m_width, m_height);
}

void DrawingSurface::MakeWritable()
{
    m_bits = m_image.bits();  // detaches from any shallow copy
    m_constBits = m_bits;
    m_writable = true;
}

DrawingSurface DrawingSurface::SharedPart(const RECT& device)
{
    if (IsNull())
        return DrawingSurface();
    if (!m_writable)
        MakeWritable();  // detaches here, once, and not in a part
    DrawingSurface part(QImage(m_bits, m_width, m_height, m_bpl, QImage::Format_RGB32));
    if (!part.m_clip.IntersectRect(m_clip, device))
        part.m_clip = CRect();
    part.m_org = m_org;
    part.m_pos = m_pos;
    part.m_rop2 = m_rop2;
    part.m_pen = m_pen;
    part.m_brush = m_brush;
    return part;
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

CRect DrawingSurface::IntersectClipRect(const RECT& rect)
{
    const CRect old = m_clip;
    // An empty rectangle, or one outside the clip, leaves nothing to draw on.
    m_clip = CRect(rect).IsRectEmpty()
        ? CRect()
        : DeviceClip(rect.left, rect.top, int64_t(rect.right) - rect.left, int64_t(rect.bottom) - rect.top);
    return old;
}

void DrawingSurface::SelectClipRect(const RECT& device)
{
    if (!m_clip.IntersectRect(device, CRect(0, 0, m_width, m_height)))
        m_clip = CRect();
}

namespace {

// The part of [from, to) (either order) that lies within [lo, hi).
bool ClipSpan(int64_t from, int64_t to, LONG lo, LONG hi, LONG& clippedLo, LONG& clippedHi)
{
    if (to < from)
        std::swap(from, to);
    from = std::max<int64_t>(from, lo);
    to = std::min<int64_t>(to, hi);
    if (from >= to)
        return false;
    clippedLo = LONG(from);
    clippedHi = LONG(to);
    return true;
}

}  // namespace

// The device rectangle of a logical one, clipped to the clip rectangle; all zero when they do
// not meet. Negative sizes extend towards smaller coordinates.
CRect DrawingSurface::DeviceClip(int64_t x, int64_t y, int64_t width, int64_t height) const
{
    const int64_t left = x + m_org.x;
    const int64_t top = y + m_org.y;
    CRect clipped;
    if (!ClipSpan(left, left + width, m_clip.left, m_clip.right, clipped.left, clipped.right)
        || !ClipSpan(top, top + height, m_clip.top, m_clip.bottom, clipped.top, clipped.bottom))
        return CRect();
    return clipped;
}

void DrawingSurface::FillDeviceRect(const CRect& device, QRgb value)
{
    if (device.IsRectEmpty())
        return;
    // The first row pixel by pixel, the others copied from it: a page's paper is filled at
    // the speed of a copy.
    const QRgb* first = DeviceRow(device.top) + device.left;
    std::fill(DeviceRow(device.top) + device.left, DeviceRow(device.top) + device.right, value);
    const size_t bytes = size_t(device.Width()) * sizeof(QRgb);
    for (LONG dy = device.top + 1; dy < device.bottom; ++dy)
        std::memcpy(DeviceRow(dy) + device.left, first, bytes);
}

void DrawingSurface::FillSolidRect(const RECT& rect, COLORREF color)
{
    FillDeviceRect(DeviceClip(rect.left, rect.top, int64_t(rect.right) - rect.left, int64_t(rect.bottom) - rect.top),
                   ColorRefToQRgb(color));
}

void DrawingSurface::PatBlt(LONG x, LONG y, LONG width, LONG height, DWORD rop)
{
    const CRect r = DeviceClip(x, y, width, height);
    if (rop == PATCOPY) {
        FillDeviceRect(r, ColorRefToQRgb(m_brush));
        return;
    }
    for (LONG dy = r.top; dy < r.bottom; ++dy) {
        QRgb* row = DeviceRow(dy);
        for (LONG dx = r.left; dx < r.right; ++dx)
            row[dx] = ColorRefToQRgb(combineTernary(rop, m_brush, 0, QRgbToColorRef(row[dx])));
    }
}

void DrawingSurface::CombinePenPixel(int64_t dx, int64_t dy)
{
    if (!InClip(dx, dy))
        return;
    QRgb& pixel = DeviceRow(LONG(dy))[dx];
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
    const int64_t x0 = int64_t(from.x) + m_org.x, y0 = int64_t(from.y) + m_org.y;
    const int64_t x1 = int64_t(x) + m_org.x, y1 = int64_t(y) + m_org.y;
    if (m_pen.width <= 1)
        ThinLine(x0, y0, x1, y1);
    else
        WideLine(x0, y0, x1, y1);
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

namespace {

// Products of two device distances need up to 67 bits.
__extension__ using Wide = __int128;

// floor(a / b) for b > 0, kept within 64 bits (the callers clamp it to a step range).
int64_t FloorDiv(Wide a, Wide b)
{
    Wide q = a / b;
    if (a % b != 0 && a < 0)
        --q;
    constexpr Wide kLimit = Wide(1) << 62;
    return int64_t(std::clamp(q, -kLimit, kLimit));
}

// The steps k, lo..hi, at which p0 + step * k lies within [0, size).
void StepsInside(int64_t p0, int64_t step, int size, int64_t& lo, int64_t& hi)
{
    lo = step > 0 ? -p0 : p0 - (size - 1);
    hi = step > 0 ? size - 1 - p0 : p0;
}

// One axis of a line in device pixels: where it starts (from the clip's edge), its direction,
// its length in pixels, and the clip's size along it.
struct Axis {
    int64_t start;
    int64_t step;
    int64_t length;
    int size;
};

// Moves along the shorter axis after k steps of a walk along the longer one.
Wide ShorterMoves(int64_t k, const Axis& longer, const Axis& shorter)
{
    if (shorter.length == 0)
        return 0;
    return FloorDiv(2 * Wide(shorter.length) * k - longer.length + 2 * Wide(longer.length) - 1,
                    2 * Wide(longer.length));  // rounded up
}

// The steps first..last of the walk whose pixels can land in the clip; none when first > last.
void StepsOnBitmap(const Axis& longer, const Axis& shorter, int64_t& first, int64_t& last)
{
    int64_t lo, hi;
    StepsInside(longer.start, longer.step, longer.size, lo, hi);
    first = std::max<int64_t>(0, lo);
    last = std::min(longer.length - 1, hi);  // the last pixel is left out
    int64_t movesLo, movesHi;
    StepsInside(shorter.start, shorter.step, shorter.size, movesLo, movesHi);
    if (shorter.length == 0) {
        if (movesLo > 0 || movesHi < 0)
            last = first - 1;
        return;
    }
    // m(k) >= movesLo from k = floor(L·(2·movesLo − 1) / (2·S)) + 1 on; m(k) <= movesHi up to
    // k = floor(L·(2·movesHi + 1) / (2·S)).
    const Wide twiceShorter = 2 * Wide(shorter.length);
    first = std::max(first, FloorDiv(Wide(longer.length) * (2 * Wide(movesLo) - 1), twiceShorter) + 1);
    last = std::min(last, FloorDiv(Wide(longer.length) * (2 * Wide(movesHi) + 1), twiceShorter));
}

}  // namespace

// Bresenham's line in device pixels, first pixel drawn, last pixel left out: each step moves
// one pixel along the longer axis (length L) and, by the error term, sometimes one along the
// shorter one (length S). After k steps the shorter axis has moved
// m(k) = ceil((2·S·k − L) / (2·L)) pixels and the error term follows from k and m(k), so the
// walk starts at the first step that can land in the clip and stops after the last one.
void DrawingSurface::ThinLine(int64_t x0, int64_t y0, int64_t x1, int64_t y1)
{
    const int64_t adx = std::abs(x1 - x0);
    const int64_t ady = std::abs(y1 - y0);
    // The axes measured from the clip's corner, so the walk covers the steps within the clip.
    const Axis ax{x0 - m_clip.left, x0 < x1 ? 1 : -1, adx, int(m_clip.Width())};
    const Axis ay{y0 - m_clip.top, y0 < y1 ? 1 : -1, ady, int(m_clip.Height())};
    const bool xLonger = adx >= ady;
    const Axis& longer = xLonger ? ax : ay;
    const Axis& shorter = xLonger ? ay : ax;
    if (longer.length == 0)
        return;
    int64_t first, last;
    StepsOnBitmap(longer, shorter, first, last);
    if (first > last)
        return;

    // The walk's state after `first` steps.
    const Wide moved = ShorterMoves(first, longer, shorter);
    const Wide err = Wide(longer.length) - shorter.length - Wide(first) * shorter.length + moved * longer.length;
    int64_t e = int64_t(xLonger ? err : -err);
    int64_t x = x0 + ax.step * (xLonger ? first : int64_t(moved));
    int64_t y = y0 + ay.step * (xLonger ? int64_t(moved) : first);
    for (int64_t k = first; k <= last; ++k) {
        CombinePenPixel(x, y);
        const int64_t e2 = 2 * e;
        if (e2 > -ady) {
            e -= ady;
            x += ax.step;
        }
        if (e2 < adx) {
            e += adx;
            y += ay.step;
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
void DrawingSurface::WideLine(int64_t x0, int64_t y0, int64_t x1, int64_t y1)
{
    const double r = m_pen.width / 2.0;
    const double offset = (m_pen.width % 2 == 0) ? 0.5 : 0.0;
    const double ax = double(x0) - offset, ay = double(y0) - offset;
    const double bx = double(x1) - offset, by = double(y1) - offset;
    const double dx = bx - ax, dy = by - ay;
    const double len2 = dx * dx + dy * dy;
    const double len = std::sqrt(len2);
    const double eps = 1e-9;

    // Rows and columns are clipped while still in floating point: converting a coordinate
    // far outside to an integer would not fit.
    const double top = std::max(double(m_clip.top), std::floor(std::min(ay, by) - r));
    const double bottom = std::min(double(m_clip.bottom - 1), std::ceil(std::max(ay, by) + r));
    if (top > bottom)
        return;
    for (LONG py = LONG(top); py <= LONG(bottom); ++py) {
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
        const double from = std::max(double(m_clip.left), std::ceil(span.lo - eps));
        const double to = std::min(double(m_clip.right - 1), std::floor(span.hi + eps));
        if (from > to)
            continue;
        for (LONG px = LONG(from); px <= LONG(to); ++px)
            CombinePenPixel(px, py);
    }
}

bool DrawingSurface::FloodFill(LONG x, LONG y, COLORREF border)
{
    const int64_t startX = int64_t(x) + m_org.x;
    const int64_t startY = int64_t(y) + m_org.y;
    if (!InClip(startX, startY))
        return false;
    const LONG sx = LONG(startX);
    const LONG sy = LONG(startY);
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
        while (left > m_clip.left && fillable(left - 1, seed.y))
            --left;
        LONG right = seed.x;
        while (right + 1 < m_clip.right && fillable(right + 1, seed.y))
            ++right;
        QRgb* row = DeviceRow(seed.y);
        for (LONG px = left; px <= right; ++px) {
            row[px] = fill;
            done[size_t(seed.y) * m_width + px] = true;
        }
        for (LONG ny : {seed.y - 1, seed.y + 1}) {
            if (ny < m_clip.top || ny >= m_clip.bottom)
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
    // Offsets i, j within the block that land inside the clip and the source bitmap.
    const int64_t dx0 = int64_t(x) + m_org.x, dy0 = int64_t(y) + m_org.y;
    const int64_t sx0 = int64_t(sx) + src.m_org.x, sy0 = int64_t(sy) + src.m_org.y;
    const int64_t iFrom = std::max({int64_t(0), m_clip.left - dx0, -sx0});
    const int64_t iTo = std::min({int64_t(width), m_clip.right - dx0, src.m_width - sx0});
    const int64_t jFrom = std::max({int64_t(0), m_clip.top - dy0, -sy0});
    const int64_t jTo = std::min({int64_t(height), m_clip.bottom - dy0, src.m_height - sy0});
    if (iFrom >= iTo || jFrom >= jTo)
        return;
    for (int64_t j = jFrom; j < jTo; ++j) {
        QRgb* d = DeviceRow(LONG(dy0 + j)) + dx0;
        const QRgb* s = src.ConstDeviceRow(LONG(sy0 + j)) + sx0;
        switch (rop) {
        case SRCCOPY:
            std::memcpy(d + iFrom, s + iFrom, size_t(iTo - iFrom) * sizeof(QRgb));
            break;
        case SRCAND:
            for (int64_t i = iFrom; i < iTo; ++i)
                d[i] &= s[i];
            break;
        case SRCPAINT:
            for (int64_t i = iFrom; i < iTo; ++i)
                d[i] |= s[i];
            break;
        default:
            for (int64_t i = iFrom; i < iTo; ++i)
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
    const int64_t dx0 = int64_t(x) + m_org.x, dy0 = int64_t(y) + m_org.y;
    const int64_t sx0 = int64_t(sx) + src.m_org.x, sy0 = int64_t(sy) + src.m_org.y;
    // Each target column takes one whole source column; work the columns out once.
    std::vector<int64_t> columns(size_t(std::max<LONG>(0, target.Width())));
    for (LONG dx = target.left; dx < target.right; ++dx)
        columns[size_t(dx - target.left)] = sx0 + int64_t(Wide(dx - dx0) * srcWidth / width);
    // The columns never go back, so those inside the source are one run: the loops below
    // check nothing per pixel (a window is painted this way at every paint).
    size_t first = 0, end = columns.size();
    while (first < end && columns[first] < 0)
        ++first;
    while (end > first && columns[end - 1] >= src.m_width)
        --end;
    for (LONG dy = target.top; dy < target.bottom; ++dy) {
        const int64_t sRow = sy0 + int64_t(Wide(dy - dy0) * srcHeight / height);
        if (sRow < 0 || sRow >= src.m_height)
            continue;
        const QRgb* s = src.ConstDeviceRow(LONG(sRow));
        QRgb* d = DeviceRow(dy) + target.left;
        if (rop == SRCCOPY) {
            for (size_t i = first; i < end; ++i)
                d[i] = s[columns[i]];
            continue;
        }
        for (size_t i = first; i < end; ++i)
            d[i] = ColorRefToQRgb(combineTernary(rop, m_brush, QRgbToColorRef(s[columns[i]]), QRgbToColorRef(d[i])));
    }
}
