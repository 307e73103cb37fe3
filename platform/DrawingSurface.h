#pragma once
// The drawing surface: a bitmap (QImage, Format_RGB32) with the state a device context keeps
// while something draws on it — viewport origin, raster operation for pen lines, the selected
// pen and brush, the current position. All coordinates handed to it are logical; device pixel
// = logical point + viewport origin, worked out in 64 bits so that no pair of 32-bit values
// wraps round onto the bitmap. Nothing ever reads or writes outside the clip rectangle, which
// is the whole bitmap unless narrowed (ScopedClipRect): GetPixel answers CLR_INVALID there and
// every write (pixels, fills, pen lines, flood fills, blits) is clipped; lines that start or
// end far outside cost only the pixels they cross.
//
// Pixel reads and writes are inline and go straight to the image rows: the ink renderer calls
// them millions of times per page.

#include "ColorRef.h"
#include "RasterOp.h"
#include "Rect.h"

#include <QImage>

#include <cstdint>
#include <span>

enum PenStyle : int {
    PS_SOLID = 0,
    PS_NULL = 5,
    PS_INSIDEFRAME = 6,
};

struct Pen {
    PenStyle style = PS_SOLID;
    int width = 1;  // pixels; 0 and 1 draw one-pixel lines
    COLORREF color = 0;
};

class DrawingSurface {
public:
    DrawingSurface() = default;  // no bitmap: every operation does nothing
    explicit DrawingSurface(QImage bitmap);
    DrawingSurface(const DrawingSurface&) = delete;  // would share the cached row pointers
    DrawingSurface& operator=(const DrawingSurface&) = delete;
    DrawingSurface(DrawingSurface&& other) noexcept;
    DrawingSurface& operator=(DrawingSurface&& other) noexcept;

    // A new bitmap of the given size, black like a fresh compatible bitmap.
    static QImage CreateBitmap(int width, int height);

    // Puts bitmap into the surface and hands back the one it held before.
    QImage SelectBitmap(QImage bitmap);
    // The pixels. A copy taken from here shares them until the next write to the surface.
    const QImage& Bitmap() const;
    int DeviceWidth() const { return m_width; }
    int DeviceHeight() const { return m_height; }
    bool IsNull() const { return m_width == 0 || m_height == 0; }

    POINT SetViewportOrg(LONG x, LONG y);  // returns the previous origin
    POINT GetViewportOrg() const { return m_org; }
    RasterOp SetROP2(RasterOp op);          // returns the previous operation
    RasterOp GetROP2() const { return m_rop2; }
    Pen SelectPen(const Pen& pen);          // returns the previous pen
    const Pen& GetPen() const { return m_pen; }
    COLORREF SelectBrush(COLORREF solid);   // returns the previous solid brush colour
    COLORREF GetBrush() const { return m_brush; }
    // The clip rectangle in device pixels, always within the bitmap. Selecting a bitmap makes
    // it the whole bitmap again.
    const CRect& DeviceClipRect() const { return m_clip; }
    // Narrows the clip to rect (logical, at the current viewport origin); returns the previous
    // clip, device pixels.
    CRect IntersectClipRect(const RECT& rect);
    // Sets the clip to rect (device pixels) within the bitmap.
    void SelectClipRect(const RECT& device);

    COLORREF GetPixel(LONG x, LONG y) const
    {
        const int64_t dx = int64_t(x) + m_org.x;
        const int64_t dy = int64_t(y) + m_org.y;
        if (!InClip(dx, dy))
            return CLR_INVALID;
        return QRgbToColorRef(ConstDeviceRow(LONG(dy))[dx]);
    }
    // Writes the colour as it is; pixel writes ignore the raster operation.
    void SetPixel(LONG x, LONG y, COLORREF color)
    {
        const int64_t dx = int64_t(x) + m_org.x;
        const int64_t dy = int64_t(y) + m_org.y;
        if (!InClip(dx, dy))
            return;
        DeviceRow(LONG(dy))[dx] = ColorRefToQRgb(color);
    }

    // A surface over this one's pixels, not a copy, with its viewport origin, pen, brush and
    // raster operation and the clip narrowed to device (device pixels): what is drawn on it is
    // drawn here. Parts over rows of their own can be drawn on from several threads at once.
    // A part must not outlive this surface's bitmap, and this surface must not be drawn on
    // while its parts are.
    DrawingSurface SharedPart(const RECT& device);

    // Device row dy (0 <= dy < DeviceHeight) for reading and writing in place, for loops that
    // blend many pixels: the caller keeps within DeviceClipRect and writes opaque pixels.
    QRgb* DeviceScanLine(LONG dy) { return DeviceRow(dy); }
    // The distance in pixels from one device row to the next.
    qsizetype DeviceRowPixels() const { return m_bpl / qsizetype(sizeof(QRgb)); }

    void FillSolidRect(const RECT& rect, COLORREF color);
    // Fills the rectangle with the selected brush, combined by a ternary raster operation.
    void PatBlt(LONG x, LONG y, LONG width, LONG height, DWORD rop);

    // Pen lines with the selected pen and raster operation. One-pixel lines leave out their
    // last pixel; wider lines are filled with round ends, every covered pixel touched once.
    void MoveTo(LONG x, LONG y);
    POINT GetCurrentPosition() const { return m_pos; }
    void LineTo(LONG x, LONG y);
    void Polyline(std::span<const POINT> points);

    // Fills with the selected brush from (x, y) outwards through 4-connected pixels, stopping
    // at pixels of the border colour. Returns false when (x, y) is outside or on the border.
    bool FloodFill(LONG x, LONG y, COLORREF border);

    // Copies width × height pixels from src at (sx, sy) to (x, y), combined by rop.
    void BitBlt(LONG x, LONG y, LONG width, LONG height, const DrawingSurface& src, LONG sx,
                LONG sy, DWORD rop);
    // Scales src's rectangle onto this one keeping whole source pixels (nearest neighbour).
    void StretchBlt(LONG x, LONG y, LONG width, LONG height, const DrawingSurface& src, LONG sx,
                    LONG sy, LONG srcWidth, LONG srcHeight, DWORD rop);

private:
    bool InClip(int64_t dx, int64_t dy) const
    {
        return uint64_t(dx - m_clip.left) < uint64_t(m_clip.right - m_clip.left)
            && uint64_t(dy - m_clip.top) < uint64_t(m_clip.bottom - m_clip.top);
    }
    QRgb* DeviceRow(LONG dy)
    {
        if (!m_writable)
            MakeWritable();
        return reinterpret_cast<QRgb*>(m_bits + qsizetype(dy) * m_bpl);
    }
    const QRgb* ConstDeviceRow(LONG dy) const
    {
        return reinterpret_cast<const QRgb*>(m_constBits + qsizetype(dy) * m_bpl);
    }
    void MakeWritable();
    void AttachPointers();
    CRect DeviceClip(int64_t x, int64_t y, int64_t width, int64_t height) const;
    void FillDeviceRect(const CRect& device, QRgb value);
    void CombinePenPixel(int64_t dx, int64_t dy);
    void ThinLine(int64_t x0, int64_t y0, int64_t x1, int64_t y1);
    void WideLine(int64_t x0, int64_t y0, int64_t x1, int64_t y1);

    QImage m_image;
    mutable bool m_writable = false;  // m_bits may be written without sharing pixels
    uchar* m_bits = nullptr;
    const uchar* m_constBits = nullptr;
    qsizetype m_bpl = 0;
    int m_width = 0;
    int m_height = 0;
    CRect m_clip;  // device pixels within the bitmap

    POINT m_org;
    POINT m_pos;
    RasterOp m_rop2 = R2_COPYPEN;
    Pen m_pen;
    COLORREF m_brush = RGB(255, 255, 255);
};

// Restores the viewport origin when it goes out of scope.
class ScopedViewportOrg {
public:
    ScopedViewportOrg(DrawingSurface& dc, LONG x, LONG y) : m_dc(dc), m_old(dc.SetViewportOrg(x, y)) {}
    ~ScopedViewportOrg() { m_dc.SetViewportOrg(m_old.x, m_old.y); }
    ScopedViewportOrg(const ScopedViewportOrg&) = delete;
    ScopedViewportOrg& operator=(const ScopedViewportOrg&) = delete;

private:
    DrawingSurface& m_dc;
    POINT m_old;
};

// Narrows the clip to a rectangle (logical) while it lives, then restores the previous clip.
class ScopedClipRect {
public:
    ScopedClipRect(DrawingSurface& dc, const RECT& rect) : m_dc(dc), m_old(dc.IntersectClipRect(rect)) {}
    ~ScopedClipRect() { m_dc.SelectClipRect(m_old); }
    ScopedClipRect(const ScopedClipRect&) = delete;
    ScopedClipRect& operator=(const ScopedClipRect&) = delete;

private:
    DrawingSurface& m_dc;
    CRect m_old;
};

// Restores the raster operation when it goes out of scope.
class ScopedRop2 {
public:
    ScopedRop2(DrawingSurface& dc, RasterOp op) : m_dc(dc), m_old(dc.SetROP2(op)) {}
    ~ScopedRop2() { m_dc.SetROP2(m_old); }
    ScopedRop2(const ScopedRop2&) = delete;
    ScopedRop2& operator=(const ScopedRop2&) = delete;

private:
    DrawingSurface& m_dc;
    RasterOp m_old;
};

// Restores the previously selected pen when it goes out of scope.
class ScopedPen {
public:
    ScopedPen(DrawingSurface& dc, const Pen& pen) : m_dc(dc), m_old(dc.SelectPen(pen)) {}
    ~ScopedPen() { m_dc.SelectPen(m_old); }
    ScopedPen(const ScopedPen&) = delete;
    ScopedPen& operator=(const ScopedPen&) = delete;

private:
    DrawingSurface& m_dc;
    Pen m_old;
};
