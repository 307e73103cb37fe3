#include "SurfaceTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

// A distinct colour for every source pixel, none of them white.
constexpr COLORREF SourceColor(int x, int y) { return RGB(0x10 + x, 0x20 + y, 0x30); }

DrawingSurface SourceSurface(int width, int height)
{
    DrawingSurface src = FilledSurface(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            src.SetPixel(x, y, SourceColor(x, y));
    return src;
}

// Expects dst's device pixels inside `block` to be source pixel (x + dx, y + dy), all others
// white.
void ExpectCopied(const DrawingSurface& dst, const CRect& block, int dx, int dy)
{
    for (int y = 0; y < dst.DeviceHeight(); ++y)
        for (int x = 0; x < dst.DeviceWidth(); ++x)
            ASSERT_EQ(DevicePixel(dst, x, y), block.PtInRect({x, y}) ? SourceColor(x + dx, y + dy) : kWhite)
                << x << ", " << y;
}

TEST(BitBlt, srccopy_is_clipped_at_the_edges_of_both_surfaces)
{
    const DrawingSurface src = SourceSurface(4, 4);
    DrawingSurface dst = FilledSurface(8, 8);
    dst.BitBlt(-2, -1, 4, 4, src, 0, 0, SRCCOPY);
    ExpectCopied(dst, CRect(0, 0, 2, 3), 2, 1);

    dst = FilledSurface(8, 8);
    dst.BitBlt(6, 5, 4, 4, src, 0, 0, SRCCOPY);
    ExpectCopied(dst, CRect(6, 5, 8, 8), -6, -5);

    // Nothing is read from outside the source, and nothing written for it.
    dst = FilledSurface(8, 8);
    dst.BitBlt(1, 1, 6, 6, src, -2, -1, SRCCOPY);
    ExpectCopied(dst, CRect(3, 2, 7, 6), -3, -2);
}

TEST(BitBlt, honours_the_viewport_origins_of_both_surfaces)
{
    DrawingSurface src = SourceSurface(4, 4);
    src.SetViewportOrg(-20, -30);
    DrawingSurface dst = FilledSurface(8, 8);
    dst.SetViewportOrg(-10, -10);
    // Logical (21, 30) of the source is device (1, 0); logical (13, 12) of the target is (3, 2).
    dst.BitBlt(13, 12, 2, 3, src, 21, 30, SRCCOPY);
    ExpectCopied(dst, CRect(3, 2, 5, 5), -2, -2);
}

TEST(BitBlt, srcand_and_srcpaint_combine_bitwise)
{
    const DrawingSurface src = FilledSurface(2, 2, RGB(0x0F, 0xFF, 0xCC));
    DrawingSurface dst = FilledSurface(4, 1, RGB(0xF0, 0x3C, 0xAA));
    dst.BitBlt(0, 0, 2, 1, src, 0, 0, SRCAND);
    dst.BitBlt(2, 0, 2, 1, src, 0, 0, SRCPAINT);
    EXPECT_EQ(DevicePixel(dst, 1, 0), RGB(0x00, 0x3C, 0x88));
    EXPECT_EQ(DevicePixel(dst, 2, 0), RGB(0xFF, 0xFF, 0xEE));
    EXPECT_EQ(qAlpha(dst.Bitmap().pixel(0, 0)), 0xFF);
}

TEST(BitBlt, overlapping_copy_within_one_surface_reads_the_old_pixels)
{
    DrawingSurface dc = SourceSurface(4, 4);
    dc.BitBlt(1, 1, 3, 3, dc, 0, 0, SRCCOPY);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(DevicePixel(dc, x, y), x == 0 || y == 0 ? SourceColor(x, y) : SourceColor(x - 1, y - 1));
}

TEST(StretchBlt, doubling_repeats_whole_source_pixels)
{
    const DrawingSurface src = SourceSurface(2, 2);
    DrawingSurface dst = FilledSurface(6, 6);
    dst.StretchBlt(1, 1, 4, 4, src, 0, 0, 2, 2, SRCCOPY);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool inside = x >= 1 && x < 5 && y >= 1 && y < 5;
            EXPECT_EQ(DevicePixel(dst, x, y), inside ? SourceColor((x - 1) / 2, (y - 1) / 2) : kWhite);
        }
}

TEST(StretchBlt, halving_keeps_every_other_source_pixel_unblended)
{
    const DrawingSurface src = SourceSurface(4, 4);
    DrawingSurface dst = FilledSurface(2, 2);
    dst.StretchBlt(0, 0, 2, 2, src, 0, 0, 4, 4, SRCCOPY);
    EXPECT_EQ(DevicePixel(dst, 0, 0), SourceColor(0, 0));
    EXPECT_EQ(DevicePixel(dst, 1, 0), SourceColor(2, 0));
    EXPECT_EQ(DevicePixel(dst, 0, 1), SourceColor(0, 2));
    EXPECT_EQ(DevicePixel(dst, 1, 1), SourceColor(2, 2));
}

// A source rectangle reaching past the source on every side (a window wider and taller than the
// page): target pixels over the source get it, the others keep what they had.
TEST(StretchBlt, target_pixels_beyond_the_source_are_left_alone)
{
    const DrawingSurface src = SourceSurface(4, 3);
    constexpr COLORREF kUnder = RGB(0xF0, 0x3C, 0xAA);
    for (DWORD rop : {DWORD(SRCCOPY), DWORD(SRCAND)}) {
        SCOPED_TRACE(rop == SRCCOPY ? "copy" : "and");
        DrawingSurface dst = FilledSurface(12, 8, kUnder);
        // Twice the size from (-1, -1): target columns 0, 1, 10, 11 and rows 0, 1 lie beyond it.
        dst.StretchBlt(0, 0, 12, 8, src, -1, -1, 6, 4, rop);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 12; ++x) {
                const int sx = x / 2 - 1, sy = y / 2 - 1;
                const bool inside = sx >= 0 && sx < 4 && sy >= 0 && sy < 3;
                const COLORREF source = inside ? SourceColor(sx, sy) : kUnder;
                EXPECT_EQ(DevicePixel(dst, x, y), rop == SRCCOPY ? source : source & kUnder) << x << ", " << y;
            }
    }
}

// The surface's 16 × 16 bitmap lives inside a larger buffer with a one-pixel guard frame, rows
// padded by the guard column, so a write one pixel beyond any edge, or wrapping around a row
// end, lands on a guard pixel.
struct GuardedSurface {
    static constexpr int kStride = 18;
    static constexpr QRgb kGuard = 0xFF5A5A5A;

    GuardedSurface() : pixels(size_t(kStride) * kStride, kGuard)
    {
        dc.SelectBitmap(QImage(reinterpret_cast<uchar*>(&pixels[kStride + 1]), 16, 16,
                               kStride * sizeof(QRgb), QImage::Format_RGB32));
        dc.FillSolidRect(CRect(0, 0, 16, 16), kWhite);
    }
    // Pixel of the buffer, the guard frame at -1 and 16.
    COLORREF At(int x, int y) const { return QRgbToColorRef(pixels[size_t(y + 1) * kStride + x + 1]); }
    int GuardPixelsChanged() const
    {
        int changed = 0;
        for (int y = -1; y <= 16; ++y)
            for (int x = -1; x <= 16; ++x)
                changed += (x < 0 || y < 0 || x == 16 || y == 16) && At(x, y) != QRgbToColorRef(kGuard);
        return changed;
    }

    std::vector<QRgb> pixels;
    DrawingSurface dc;
};

TEST(DrawingSurface, stamping_near_the_corners_never_writes_outside)
{
    const DrawingSurface src = SourceSurface(6, 6);
    const std::vector<std::pair<const char*, std::function<void(DrawingSurface&, int, int)>>> stamps = {
        {"disc", [](DrawingSurface& dc, int x, int y) {
             dc.SelectPen({PS_SOLID, 9, kInk});
             dc.MoveTo(x, y);
             dc.LineTo(x, y);
         }},
        {"wide line", [](DrawingSurface& dc, int x, int y) {
             dc.SelectPen({PS_SOLID, 6, kInk});
             dc.MoveTo(x - 5, y + 5);
             dc.LineTo(x + 5, y - 5);
         }},
        {"rectangle", [](DrawingSurface& dc, int x, int y) { dc.PatBlt(x - 3, y - 3, 7, 7, DSTINVERT); }},
        {"blit", [&src](DrawingSurface& dc, int x, int y) { dc.BitBlt(x - 3, y - 3, 6, 6, src, 0, 0, SRCCOPY); }},
        {"stretch", [&src](DrawingSurface& dc, int x, int y) { dc.StretchBlt(x - 4, y - 4, 8, 8, src, 1, 1, 4, 4, SRCCOPY); }},
        {"flood", [](DrawingSurface& dc, int x, int y) {
             // A box whose sides beyond the edges are missing: the fill runs up to the edges.
             dc.FillSolidRect(CRect(x - 4, y - 4, x + 5, y + 5), kBlack);
             dc.FillSolidRect(CRect(x - 3, y - 3, x + 4, y + 4), kWhite);
             dc.FloodFill(x, y, kBlack);
         }},
    };
    for (const auto& [name, stamp] : stamps) {
        for (POINT corner : {POINT{0, 0}, POINT{15, 0}, POINT{0, 15}, POINT{15, 15}}) {
            SCOPED_TRACE(testing::Message() << name << " at " << corner.x << ", " << corner.y);
            GuardedSurface guarded;
            guarded.dc.SelectBrush(kInk);
            guarded.dc.SetViewportOrg(-100, -200);
            stamp(guarded.dc, corner.x + 100, corner.y + 200);
            // The stamp landed in the bitmap itself, and nowhere around it.
            EXPECT_NE(guarded.At(corner.x, corner.y), kWhite);
            EXPECT_EQ(guarded.GuardPixelsChanged(), 0);
            EXPECT_EQ(guarded.At(15 - corner.x, corner.y), kWhite);
            EXPECT_EQ(guarded.At(corner.x, 15 - corner.y), kWhite);
            EXPECT_EQ(guarded.dc.Bitmap().size(), QSize(16, 16));
        }
    }
}

TEST(DrawingSurface, bitmap_copy_is_not_changed_by_later_writes)
{
    const DrawingSurface src = FilledSurface(4, 4, kInk);
    const std::vector<std::pair<const char*, std::function<void(DrawingSurface&)>>> writes = {
        {"pixel", [](DrawingSurface& dc) { dc.SetPixel(1, 1, kInk); }},
        {"fill", [](DrawingSurface& dc) { dc.FillSolidRect(CRect(0, 0, 3, 3), kInk); }},
        {"line", [](DrawingSurface& dc) { dc.MoveTo(0, 1); dc.LineTo(3, 1); }},
        {"flood", [](DrawingSurface& dc) { dc.FloodFill(1, 1, kBlack); }},
        {"blit", [&src](DrawingSurface& dc) { dc.BitBlt(0, 0, 3, 3, src, 0, 0, SRCCOPY); }},
    };
    for (const auto& [name, write] : writes) {
        SCOPED_TRACE(name);
        DrawingSurface dc = FilledSurface(4, 4);
        dc.SelectPen({PS_SOLID, 1, kInk});
        dc.SelectBrush(kInk);
        dc.SetPixel(3, 3, kBlack);  // the surface has written before the copy is taken
        const QImage copy = dc.Bitmap();
        write(dc);
        EXPECT_EQ(dc.GetPixel(1, 1), kInk);
        EXPECT_EQ(QRgbToColorRef(copy.pixel(1, 1)), kWhite);
        EXPECT_EQ(QRgbToColorRef(copy.pixel(3, 3)), kBlack);
    }
}

}  // namespace
