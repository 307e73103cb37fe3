#include "SurfaceTestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <utility>
#include <vector>

namespace {

TEST(DrawingSurface, get_pixel_outside_answers_clr_invalid)
{
    DrawingSurface dc = FilledSurface(16, 16, kInk);
    EXPECT_EQ(dc.GetPixel(0, 0), kInk);
    EXPECT_EQ(dc.GetPixel(15, 15), kInk);
    for (POINT p : {POINT{-1, 0}, POINT{16, 0}, POINT{0, -1}, POINT{0, 16}, POINT{INT_MIN, 0}, POINT{0, INT_MAX}})
        EXPECT_EQ(dc.GetPixel(p.x, p.y), CLR_INVALID) << p.x << ", " << p.y;
    EXPECT_EQ(DrawingSurface().GetPixel(0, 0), CLR_INVALID);
}

TEST(DrawingSurface, set_pixel_writes_only_inside_and_ignores_the_raster_op)
{
    DrawingSurface dc = FilledSurface(16, 16);
    // (-1, 1) and (16, 0) are the neighbours of row ends in memory.
    for (POINT p : {POINT{-1, 0}, POINT{-1, 1}, POINT{16, 0}, POINT{0, -1}, POINT{0, 16}, POINT{16, 15}})
        dc.SetPixel(p.x, p.y, kInk);
    EXPECT_EQ(Picture(dc).find('#'), std::string::npos);

    dc.SetROP2(R2_XORPEN);
    dc.SetPixel(1, 2, kInk);
    EXPECT_EQ(DevicePixel(dc, 1, 2), kInk);
}

TEST(DrawingSurface, viewport_origin_maps_left_top_to_device_origin)
{
    DrawingSurface dc = FilledSurface(16, 16);
    {
        ScopedViewportOrg org(dc, -100, -50);
        dc.SetPixel(100, 50, kInk);
        dc.SetPixel(115, 65, kInk);
        EXPECT_EQ(dc.GetPixel(99, 50), CLR_INVALID);
        EXPECT_EQ(dc.GetPixel(100, 66), CLR_INVALID);
        EXPECT_EQ(dc.SetViewportOrg(3, 4), (POINT{-100, -50}));
    }
    EXPECT_EQ(dc.GetViewportOrg(), (POINT{0, 0}));
    EXPECT_EQ(DevicePixel(dc, 0, 0), kInk);
    EXPECT_EQ(DevicePixel(dc, 15, 15), kInk);
}

TEST(DrawingSurface, fill_solid_rect_is_clipped_and_excludes_right_and_bottom)
{
    DrawingSurface dc = FilledSurface(8, 6);
    dc.FillSolidRect(CRect(2, 1, 4, 3), kInk);
    dc.FillSolidRect(CRect(-3, 4, 3, 20), kInk);
    dc.FillSolidRect(CRect(6, -2, 50, 1), kInk);
    EXPECT_EQ(Picture(dc), R"(
......##
..##....
..##....
........
###.....
###.....
)");

    DrawingSurface moved = FilledSurface(8, 6);
    moved.SetViewportOrg(-10, -10);
    moved.FillSolidRect(CRect(16, 14, 30, 30), kInk);
    EXPECT_EQ(DevicePixel(moved, 6, 4), kInk);
    EXPECT_EQ(DevicePixel(moved, 5, 4), kWhite);
    EXPECT_EQ(DevicePixel(moved, 6, 3), kWhite);
}

TEST(DrawingSurface, pat_blt_copies_or_inverts_with_the_brush)
{
    const COLORREF background = RGB(0x12, 0x34, 0x56);
    DrawingSurface dc = FilledSurface(6, 4, background);
    dc.SelectBrush(kInk);
    dc.PatBlt(4, 2, 5, 5, PATCOPY);
    EXPECT_EQ(Picture(dc, background), "\n......\n......\n....##\n....##\n");

    dc.SelectBrush(RGB(0xFF, 0x00, 0x0F));
    dc.SetViewportOrg(1, 0);
    dc.PatBlt(-1, 0, 2, 1, PATINVERT);
    EXPECT_EQ(DevicePixel(dc, 0, 0), RGB(0xED, 0x34, 0x59));
    EXPECT_EQ(DevicePixel(dc, 1, 0), RGB(0xED, 0x34, 0x59));
    EXPECT_EQ(DevicePixel(dc, 2, 0), background);
    dc.PatBlt(-1, 0, 2, 1, PATINVERT);
    EXPECT_EQ(DevicePixel(dc, 0, 0), background);
}

TEST(DrawingSurface, one_pixel_lines_leave_out_their_last_pixel)
{
    DrawingSurface dc = FilledSurface(8, 8);
    const auto line = [&](int width, PenStyle style, POINT from, POINT to) {
        dc.SelectPen({style, width, kInk});
        dc.MoveTo(from.x, from.y);
        dc.LineTo(to.x, to.y);
    };
    line(1, PS_SOLID, {1, 0}, {6, 0});
    EXPECT_EQ(dc.GetCurrentPosition(), (POINT{6, 0}));
    line(1, PS_SOLID, {0, 7}, {0, 2});
    line(1, PS_SOLID, {2, 2}, {6, 6});
    line(0, PS_SOLID, {7, 7}, {4, 7});
    line(1, PS_NULL, {0, 1}, {7, 1});
    EXPECT_EQ(Picture(dc), R"(
.#####..
........
..#.....
#..#....
#...#...
#....#..
#.......
#....###
)");
}

TEST(DrawingSurface, wide_lines_are_exactly_width_pixels_across)
{
    for (int width : {2, 3, 4, 5, 8}) {
        SCOPED_TRACE(width);
        for (bool horizontal : {true, false}) {
            DrawingSurface dc = FilledSurface(24, 24);
            dc.SelectPen({PS_SOLID, width, kInk});
            dc.MoveTo(horizontal ? 6 : 12, horizontal ? 12 : 18);
            dc.LineTo(horizontal ? 18 : 12, horizontal ? 12 : 6);
            int across = 0;
            for (int i = 0; i < 24; ++i)
                across += (horizontal ? DevicePixel(dc, 12, i) : DevicePixel(dc, i, 12)) == kInk;
            EXPECT_EQ(across, width);
        }
    }
}

TEST(DrawingSurface, wide_lines_have_round_ends)
{
    DrawingSurface dc = FilledSurface(15, 11);
    dc.SelectPen({PS_INSIDEFRAME, 7, kInk});
    dc.MoveTo(5, 5);
    dc.LineTo(9, 5);
    EXPECT_EQ(Picture(dc), R"(
...............
...............
....#######....
...#########...
..###########..
..###########..
..###########..
...#########...
....#######....
...............
...............
)");

    // A line of no length is the pen's disc.
    DrawingSurface dot = FilledSurface(7, 7);
    dot.SelectPen({PS_SOLID, 5, kInk});
    dot.MoveTo(3, 3);
    dot.LineTo(3, 3);
    EXPECT_EQ(Picture(dot), "\n.......\n..###..\n.#####.\n.#####.\n.#####.\n..###..\n.......\n");
}

// On black, a pixel an xor line touched twice would be black again: a hole in the line.
TEST(DrawingSurface, xor_lines_touch_each_pixel_once)
{
    for (int width : {1, 2, 5, 6}) {
        SCOPED_TRACE(width);
        DrawingSurface copied = FilledSurface(24, 18, kBlack);
        DrawingSurface xored = FilledSurface(24, 18, kBlack);
        xored.SetROP2(R2_XORPEN);
        for (DrawingSurface* dc : {&copied, &xored}) {
            dc->SelectPen({PS_SOLID, width, kInk});
            dc->MoveTo(3, 4);
            dc->LineTo(20, 13);
        }
        EXPECT_EQ(Picture(xored, kBlack), Picture(copied, kBlack));
    }
}

TEST(DrawingSurface, not_xor_line_drawn_twice_restores_the_surface)
{
    DrawingSurface dc = FilledSurface(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            dc.SetPixel(x, y, RGB(x * 16, y * 16, (x ^ y) * 8));
    const QImage before = dc.Bitmap().copy();

    ScopedRop2 rop(dc, R2_NOTXORPEN);
    for (int width : {1, 4, 7}) {
        SCOPED_TRACE(width);
        dc.SelectPen({PS_SOLID, width, RGB(0x5A, 0xC3, 0x0F)});
        dc.MoveTo(-2, 3);
        dc.LineTo(13, 18);
        // (5, 10) lies on the line and was RGB(80, 160, 120).
        EXPECT_EQ(dc.GetPixel(5, 10), RGB(0xF5, 0x9C, 0x88));
        dc.MoveTo(-2, 3);
        dc.LineTo(13, 18);
        EXPECT_EQ(dc.Bitmap(), before);
    }
}

TEST(DrawingSurface, mask_line_ands_the_pen_with_coloured_pixels)
{
    const COLORREF background = RGB(0xF0, 0x3C, 0xFF);
    DrawingSurface dc = FilledSurface(12, 12, background);
    dc.FillSolidRect(CRect(0, 6, 12, 12), RGB(0x0F, 0x0F, 0x0F));
    ScopedRop2 rop(dc, R2_MASKPEN);
    ScopedPen pen(dc, {PS_SOLID, 3, RGB(0x0F, 0xFF, 0x33)});
    dc.MoveTo(6, 1);
    dc.LineTo(6, 10);
    EXPECT_EQ(DevicePixel(dc, 5, 3), RGB(0x00, 0x3C, 0x33));
    EXPECT_EQ(DevicePixel(dc, 7, 8), RGB(0x0F, 0x0F, 0x03));
    EXPECT_EQ(DevicePixel(dc, 4, 3), background);
    EXPECT_EQ(DevicePixel(dc, 8, 8), RGB(0x0F, 0x0F, 0x0F));
}

TEST(DrawingSurface, polyline_joins_the_points_and_keeps_the_current_position)
{
    DrawingSurface dc = FilledSurface(7, 6);
    dc.SelectPen({PS_SOLID, 1, kInk});
    dc.MoveTo(6, 5);
    const POINT points[] = {{1, 1}, {5, 1}, {5, 4}, {2, 4}};
    dc.Polyline(points);
    EXPECT_EQ(dc.GetCurrentPosition(), (POINT{6, 5}));
    EXPECT_EQ(Picture(dc), "\n.......\n.#####.\n.....#.\n.....#.\n...###.\n.......\n");
}

TEST(DrawingSurface, lines_from_far_outside_draw_only_the_pixels_they_cross)
{
    DrawingSurface dc = FilledSurface(8, 8);
    const auto line = [&](int width, POINT from, POINT to) {
        dc.SelectPen({PS_SOLID, width, kInk});
        dc.MoveTo(from.x, from.y);
        dc.LineTo(to.x, to.y);
    };
    line(1, {-2147483000, 1}, {2147483000, 1});
    line(1, {-1000000000, -1000000000}, {1000000000, 1000000000});
    line(1, {-2147483647, -1073741824}, {2147483647, 1073741825});  // crosses at y = x / 2 + 0.5
    line(2, {6, INT_MIN}, {6, INT_MAX});                            // pixel centres 5 and 6
    EXPECT_EQ(Picture(dc), R"(
#....##.
########
..##.##.
...####.
....####
.....##.
.....##.
.....###
)");
}

TEST(DrawingSurface, device_coordinates_beyond_32_bits_are_outside)
{
    // Origin and point add up to -2^32: a 32-bit sum would wrap round to device pixel 0.
    DrawingSurface dc = FilledSurface(8, 8);
    dc.SetViewportOrg(INT_MIN, INT_MIN);
    for (int width : {1, 3}) {
        dc.SelectPen({PS_SOLID, width, kInk});
        dc.MoveTo(INT_MIN, INT_MIN);
        dc.LineTo(INT_MIN, INT_MIN + 6);
        dc.MoveTo(INT_MIN, INT_MIN);
        dc.LineTo(INT_MIN + 6, INT_MIN);
    }
    dc.SelectBrush(kInk);
    EXPECT_FALSE(dc.FloodFill(INT_MIN, INT_MIN, kBlack));
    EXPECT_EQ(dc.GetPixel(INT_MIN, INT_MIN), CLR_INVALID);
    dc.SetPixel(INT_MIN, INT_MIN, kInk);
    dc.FillSolidRect(CRect(INT_MIN, INT_MIN, INT_MIN + 4, INT_MIN + 4), kInk);
    EXPECT_EQ(Picture(dc).find('#'), std::string::npos);
}

TEST(DrawingSurface, the_clip_rectangle_keeps_every_write_inside_it)
{
    // Logical (12, 11)..(15, 14) at origin (-10, -10): device columns 2..4, rows 1..3.
    const CRect clip(12, 11, 15, 14);
    const std::string block = "\n........\n..###...\n..###...\n..###...\n........\n........\n";
    DrawingSurface source = FilledSurface(40, 40, kInk);
    const std::vector<std::pair<const char*, std::function<void(DrawingSurface&)>>> covering = {
        {"fill", [](DrawingSurface& dc) { dc.FillSolidRect(CRect(0, 0, 40, 40), kInk); }},
        {"pattern", [](DrawingSurface& dc) { dc.SelectBrush(kInk), dc.PatBlt(0, 0, 40, 40, PATCOPY); }},
        {"wide line", [](DrawingSurface& dc) { dc.SelectPen({PS_SOLID, 20, kInk}), dc.MoveTo(0, 12), dc.LineTo(40, 12); }},
        {"blit", [&](DrawingSurface& dc) { dc.BitBlt(0, 0, 40, 40, source, 0, 0, SRCCOPY); }},
        {"stretch", [&](DrawingSurface& dc) { dc.StretchBlt(0, 0, 40, 40, source, 0, 0, 20, 20, SRCCOPY); }},
        {"flood fill", [](DrawingSurface& dc) { dc.SelectBrush(kInk), dc.FloodFill(13, 12, kBlack); }},
        {"pixels", [](DrawingSurface& dc) {
             for (LONG y = 0; y < 40; ++y)
                 for (LONG x = 0; x < 40; ++x)
                     dc.SetPixel(x, y, kInk);
         }},
    };
    for (const auto& [name, draw] : covering) {
        DrawingSurface dc = FilledSurface(8, 6);
        dc.SetViewportOrg(-10, -10);
        {
            ScopedClipRect clipped(dc, clip);
            draw(dc);
        }
        EXPECT_EQ(Picture(dc), block) << name;
    }

    // Reads stop at the clip too, a clip only ever narrows, and the scope gives the whole
    // bitmap back.
    DrawingSurface dc = FilledSurface(8, 6);
    dc.SetViewportOrg(-10, -10);
    {
        ScopedClipRect clipped(dc, clip);
        EXPECT_EQ(dc.DeviceClipRect(), CRect(2, 1, 5, 4));
        EXPECT_EQ(dc.GetPixel(12, 11), kWhite);
        EXPECT_EQ(dc.GetPixel(11, 11), CLR_INVALID);  // on the bitmap, off the clip
        {
            ScopedClipRect narrower(dc, CRect(0, 0, 14, 40));
            EXPECT_EQ(dc.DeviceClipRect(), CRect(2, 1, 4, 4));
            ScopedClipRect elsewhere(dc, CRect(30, 30, 40, 40));
            dc.FillSolidRect(CRect(0, 0, 40, 40), kInk);
        }
        dc.SelectPen({PS_SOLID, 1, kInk});
        dc.MoveTo(0, 12);
        dc.LineTo(40, 12);
        EXPECT_EQ(Picture(dc), "\n........\n........\n..###...\n........\n........\n........\n");
    }
    EXPECT_EQ(dc.DeviceClipRect(), CRect(0, 0, 8, 6));
    dc.SetPixel(10, 10, kInk);
    EXPECT_EQ(DevicePixel(dc, 0, 0), kInk);
}

TEST(DrawingSurface, flood_fill_does_not_leak_through_a_diagonal_border)
{
    DrawingSurface dc = FilledSurface(16, 16);
    dc.SelectPen({PS_SOLID, 1, kBlack});
    dc.MoveTo(0, 0);
    dc.LineTo(16, 16);
    dc.SelectBrush(kInk);
    EXPECT_TRUE(dc.FloodFill(10, 2, kBlack));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(DevicePixel(dc, x, y), x > y ? kInk : x == y ? kBlack : kWhite) << x << ", " << y;
}

TEST(DrawingSurface, flood_fill_stops_at_the_border_colour_only)
{
    const COLORREF border = RGB(0x80, 0, 0);
    DrawingSurface dc = FilledSurface(8, 7);
    dc.FillSolidRect(CRect(1, 1, 7, 6), border);
    dc.FillSolidRect(CRect(2, 2, 6, 5), kWhite);
    dc.SetPixel(4, 3, kBlack);  // any other colour is filled over
    dc.SelectBrush(kInk);
    dc.SetViewportOrg(-10, -20);
    EXPECT_TRUE(dc.FloodFill(12, 22, border));
    EXPECT_EQ(Picture(dc), R"(
........
.??????.
.?####?.
.?####?.
.?####?.
.??????.
........
)");
}

TEST(DrawingSurface, flood_fill_refuses_a_start_on_the_border_or_outside)
{
    DrawingSurface dc = FilledSurface(8, 8);
    dc.FillSolidRect(CRect(0, 3, 8, 4), kBlack);
    dc.SelectBrush(kInk);
    const QImage before = dc.Bitmap().copy();
    EXPECT_FALSE(dc.FloodFill(2, 3, kBlack));
    EXPECT_FALSE(dc.FloodFill(-1, 0, kBlack));
    EXPECT_FALSE(dc.FloodFill(8, 0, kBlack));
    dc.SetViewportOrg(-4, 0);
    EXPECT_FALSE(dc.FloodFill(2, 0, kBlack));  // device (-2, 0)
    EXPECT_EQ(dc.Bitmap(), before);
}

}  // namespace
