#include "InkTestSupport.h"

#include "ink/InkRenderer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

using Segment = InkRenderer::Segment;

// Runs a whole stroke through the renderer: First, Middle, ..., Last.
void DrawStroke(InkRenderer& r, DrawingSurface& dc, const std::vector<POINT>& points, SHORT width,
                LONG pressureMax = 0, float zoom = 1.0f, COLORREF color = kBlack)
{
    for (size_t i = 0; i < points.size(); ++i) {
        const POINT prev = i == 0 ? POINT{0, 0} : points[i - 1];
        const Segment phase = i == 0 ? Segment::First
                              : i + 1 == points.size() ? Segment::Last
                                                       : Segment::Middle;
        r.DrawSegment(&dc, prev.x, prev.y, points[i].x, points[i].y, width, color, phase, pressureMax, zoom);
    }
}

// Prepares colour, width scale and zoom without touching the surface.
void SetUpRenderer(InkRenderer& r, float zoom, COLORREF color = kBlack)
{
    DrawingSurface none;
    r.DrawSegment(&none, 0, 0, 0, 0, 0, color, Segment::First, 0, zoom);
}

}  // namespace

TEST(InkRendererTemplates, rows_match_the_direction_table)
{
    const DWORD expected[5][3] = {{}, {0x1000, 0x1FC0, 0x1FFF}, {0x0001, 0x007F, 0x1FFF},
                                  {0x1FFF, 0x007F, 0x0001}, {0x1FFF, 0x1FC0, 0x1000}};
    for (int t = 1; t <= 4; ++t) {
        const auto mask = InkRenderer::DirectionTemplate(t);
        EXPECT_EQ(mask[0], expected[t][0]) << "template " << t;
        EXPECT_EQ(mask[6], expected[t][1]) << "template " << t;
        EXPECT_EQ(mask[12], expected[t][2]) << "template " << t;
        for (DWORD row : mask)
            EXPECT_EQ(row & ~0x1FFFu, 0u);
    }
}

TEST(InkRendererSetup, width_is_halved_only_above_256_pressure_levels)
{
    DrawingSurface dc = WhiteSurface(16, 16);
    InkRenderer r;
    r.DrawSegment(&dc, 0, 0, 8, 8, 255, kBlack, Segment::First, 1023, 1.0f);
    EXPECT_EQ(r.Width(), 127);
    EXPECT_EQ(r.Softness(), 200);
    r.DrawSegment(&dc, 0, 0, 8, 8, 255, kBlack, Segment::First, 255, 1.0f);
    EXPECT_EQ(r.Width(), 255);
    EXPECT_EQ(r.Softness(), 100);  // hard, wide ink
    r.DrawSegment(&dc, 0, 0, 8, 8, 0, kBlack, Segment::First, 255, 1.0f);
    EXPECT_EQ(r.Softness(), 300);
}

TEST(InkRendererSetup, zoom_becomes_whole_magnification_or_reduction)
{
    const struct {
        float zoom;
        LONG up, down;
    } cases[] = {{0.5f, 1, 2}, {0.4f, 1, 2}, {1.0f, 1, 1}, {1.5f, 1, 1}, {2.0f, 2, 1}, {4.0f, 4, 1}};
    for (const auto& c : cases) {
        InkRenderer r;
        SetUpRenderer(r, c.zoom);
        EXPECT_EQ(r.ZoomUp(), c.up) << c.zoom;
        EXPECT_EQ(r.ZoomDown(), c.down) << c.zoom;
    }
}

TEST(InkRendererSetup, widths_outside_the_caller_range_are_clamped)
{
    // A damaged stroke may carry any 16-bit width; the nib must stay well defined.
    DrawingSurface dc = WhiteSurface(32, 32);
    for (SHORT width : {SHORT(30000), SHORT(383), SHORT(-500)}) {
        InkRenderer r;
        DrawStroke(r, dc, {{4, 4}, {10, 12}, {16, 8}, {24, 20}, {28, 28}}, width);
        EXPECT_GE(r.Softness(), 100) << width;
        EXPECT_LE(r.Softness(), 300) << width;
    }
}

TEST(InkRendererPixels, plot_blends_the_ink_by_distance)
{
    DrawingSurface dc = WhiteSurface(8, 8);
    InkRenderer r;
    SetUpRenderer(r, 1.0f);
    r.SetWidth(0);
    r.PlotPixel(&dc, 1, 1, 0);
    r.PlotPixel(&dc, 2, 1, 128);
    r.PlotPixel(&dc, 3, 1, -128);
    r.PlotPixel(&dc, 4, 1, 256);
    EXPECT_EQ(dc.GetPixel(1, 1), kBlack);
    EXPECT_EQ(dc.GetPixel(2, 1), RGB(127, 127, 127));
    EXPECT_EQ(dc.GetPixel(3, 1), RGB(127, 127, 127));
    EXPECT_EQ(dc.GetPixel(4, 1), kWhite);  // beyond the fade: untouched

    // A wider nib is fully inked up to 1.5 × width units from the centre.
    r.SetWidth(100);
    r.PlotPixel(&dc, 5, 1, 150);
    EXPECT_EQ(dc.GetPixel(5, 1), kBlack);
}

TEST(InkRendererPixels, plot_blends_each_channel_with_the_ink_colour)
{
    DrawingSurface dc = WhiteSurface(4, 4);
    dc.SetPixel(1, 1, RGB(200, 100, 50));
    InkRenderer r;
    SetUpRenderer(r, 1.0f, RGB(0, 255, 100));
    r.SetWidth(0);
    r.PlotPixel(&dc, 1, 1, 100);
    // new = (old × a + ink × (255 − a)) >> 8 with a = 100
    EXPECT_EQ(dc.GetPixel(1, 1), RGB((200 * 100 + 0 * 155) >> 8, (100 * 100 + 255 * 155) >> 8,
                                     (50 * 100 + 100 * 155) >> 8));
}

TEST(InkRendererPixels, half_zoom_draws_every_second_row_and_column)
{
    DrawingSurface dc = WhiteSurface(8, 8);
    InkRenderer r;
    SetUpRenderer(r, 0.5f);
    r.SetWidth(0);
    r.PlotPixel(&dc, 0, 0, 0);
    r.PlotPixel(&dc, 2, 2, 0);
    r.PlotPixel(&dc, 5, 2, 0);  // x + 1 even: skipped
    r.PlotPixel(&dc, 4, 3, 0);  // y + 1 even: skipped
    EXPECT_EQ(dc.GetPixel(0, 0), kBlack);
    EXPECT_EQ(dc.GetPixel(1, 1), kBlack);
    EXPECT_EQ(dc.GetPixel(2, 1), kWhite);
    EXPECT_EQ(dc.GetPixel(2, 2), kWhite);
    EXPECT_EQ(InkedPixels(dc), 2);
}

TEST(InkRendererPixels, double_zoom_fills_two_by_two_squares)
{
    DrawingSurface dc = WhiteSurface(12, 12);
    InkRenderer r;
    SetUpRenderer(r, 2.0f);
    r.SetWidth(0);
    r.PlotPixel(&dc, 3, 4, 0);
    for (int y = 8; y < 10; ++y)
        for (int x = 6; x < 8; ++x)
            EXPECT_EQ(dc.GetPixel(x, y), kBlack);
    EXPECT_EQ(InkedPixels(dc), 4);
}

TEST(InkRendererStroke, single_point_stamps_one_round_disc)
{
    DrawingSurface dc = WhiteSurface(20, 20);
    InkRenderer r;
    r.DrawSegment(&dc, 0, 0, 8, 8, 255, kBlack, Segment::First, 0, 1.0f);
    // Width 255: softness 100, full ink within 3.82 pixels, fading out by 6.37 pixels.
    EXPECT_EQ(dc.GetPixel(8, 8), kBlack);
    EXPECT_EQ(dc.GetPixel(11, 8), kBlack);
    EXPECT_EQ(dc.GetPixel(13, 8), RGB(117, 117, 117));
    EXPECT_EQ(dc.GetPixel(14, 8), RGB(217, 217, 217));
    EXPECT_EQ(dc.GetPixel(15, 8), kWhite);
    EXPECT_EQ(dc.GetPixel(13, 13), kWhite);
    for (int dy = -7; dy <= 7; ++dy)
        for (int dx = -7; dx <= 7; ++dx)
            EXPECT_EQ(dc.GetPixel(8 + dx, 8 + dy), dc.GetPixel(8 - dx, 8 - dy)) << dx << "," << dy;
}

TEST(InkRendererStroke, second_point_only_starts_the_curve)
{
    DrawingSurface one = WhiteSurface(24, 24);
    DrawingSurface two = WhiteSurface(24, 24);
    InkRenderer a, b;
    DrawStroke(a, one, {{8, 8}}, 160);
    DrawStroke(b, two, {{8, 8}, {16, 12}}, 160);
    EXPECT_EQ(one.Bitmap(), two.Bitmap());
}

TEST(InkRendererStroke, points_within_a_pixel_are_skipped_until_the_last)
{
    DrawingSurface with = WhiteSurface(80, 40);
    DrawingSurface without = WhiteSurface(80, 40);
    InkRenderer a, b;
    DrawStroke(a, with, {{10, 10}, {20, 14}, {30, 10}, {31, 11}, {40, 16}, {50, 10}, {60, 20}}, 160);
    DrawStroke(b, without, {{10, 10}, {20, 14}, {30, 10}, {40, 16}, {50, 10}, {60, 20}}, 160);
    EXPECT_EQ(with.Bitmap(), without.Bitmap());
}

TEST(InkRendererStroke, last_curve_tapers_to_at_most_30)
{
    DrawingSurface dc = WhiteSurface(80, 40);
    InkRenderer r;
    DrawStroke(r, dc, {{10, 10}, {20, 20}, {30, 10}, {40, 20}, {50, 10}}, 200);
    EXPECT_LE(r.WidthEnd(), 30);
    InkRenderer odd;
    DrawStroke(odd, dc, {{10, 10}, {20, 20}, {30, 10}, {40, 20}, {50, 10}, {60, 20}}, 200);
    EXPECT_LE(odd.WidthEnd(), 30);
}

TEST(InkRendererStroke, a_line_of_points_leaves_unbroken_ink_along_it_and_nothing_far_away)
{
    DrawingSurface dc = WhiteSurface(100, 60);
    InkRenderer r;
    DrawStroke(r, dc, LinePoints({10, 30}, {90, 30}), 160);
    for (int x = 14; x <= 86; ++x)
        EXPECT_NE(dc.GetPixel(x, 30), kWhite) << x;
    for (int x = 0; x < 100; ++x) {
        EXPECT_EQ(dc.GetPixel(x, 20), kWhite) << x;
        EXPECT_EQ(dc.GetPixel(x, 40), kWhite) << x;
    }
}

TEST(InkRendererStroke, a_point_far_off_the_surface_costs_no_samples_there_and_the_ink_near_it_stays)
{
    // A damaged note: one point of a short stroke lies 650,000 pixels below the page. The
    // curves through it cannot show; sampling them pixel by pixel took seconds per point.
    const std::vector<POINT> far = {{20, 30}, {27, 655390}, {34, 34}, {41, 39}, {48, 35}, {55, 33}};
    DrawingSurface dc = WhiteSurface(64, 48);
    InkRenderer r;
    DrawStroke(r, dc, far, 160);
    EXPECT_LT(r.SamplesStamped(), 2000u);
    // The ink going down to it and coming back up is drawn as ever.
    for (int y = 34; y < 48; ++y) {
        EXPECT_NE(dc.GetPixel(20, y), kWhite) << y;
        EXPECT_NE(dc.GetPixel(54, y), kWhite) << y;
        EXPECT_EQ(dc.GetPixel(37, y), kWhite) << y;
    }
}

// Nibs and discs wholly inside the clip are blended from lists made once per mask or width;
// those cut by the clip's edge are blended pixel by pixel. Drawn one row at a time, every nib
// is cut: the strokes must come out as drawn whole, for pencil and brush, every width from
// thin to 255, sharp corners, single points and steps of more than a pixel.
TEST(InkRendererStroke, strokes_drawn_one_row_at_a_time_are_the_strokes_drawn_whole)
{
    std::vector<std::unique_ptr<CLine>> strokes;
    for (int k = 0; k < 6; ++k) {
        auto line = std::make_unique<CLine>();
        line->SetColor(RGB(40 * k, 200 - 30 * k, 90 + 25 * k));
        line->SetPenType(k % 2 ? 3 : 2, 1);
        for (int i = 0; i <= 60; ++i) {
            const double t = i / 60.0;
            const LONG x = LONG(15 + 130 * t);
            const LONG y = LONG(20 + 16 * k + 14 * std::sin(t * (3 + k) * 3.14159) + (i % 17 == 5 ? 9 : 0));
            line->AddPoint(x, y, SHORT((i * (37 + 40 * k)) % 256));
        }
        strokes.push_back(std::move(line));
    }
    strokes.push_back(MakeStroke(3, LoopPoints(CRect(30, 30, 110, 95), 7), 255));
    strokes.push_back(MakeStroke(3, {{140, 100}}, 230));

    DrawingSurface whole = WhiteSurface(160, 130);
    InkRenderer renderer;
    for (const auto& line : strokes)
        line->Draw(&whole, renderer);
    DrawingSurface byRows = WhiteSurface(160, 130);
    for (LONG row = 0; row < 130; ++row) {
        ScopedClipRect clip(byRows, CRect(0, row, 160, row + 1));
        InkRenderer rowRenderer;
        for (const auto& line : strokes)
            line->Draw(&byRows, rowRenderer);
    }
    EXPECT_GT(InkedPixels(whole), 5000);
    int differing = 0;
    for (LONG y = 0; y < 130; ++y)
        for (LONG x = 0; x < 160; ++x)
            differing += whole.GetPixel(x, y) != byRows.GetPixel(x, y);
    EXPECT_EQ(differing, 0);
}

TEST(InkRendererStroke, double_zoom_turns_every_page_pixel_into_four)
{
    DrawingSurface page = WhiteSurface(100, 60);
    DrawingSurface zoomed = WhiteSurface(200, 120);
    InkRenderer a, b;
    const auto points = LinePoints({10, 20}, {90, 40});
    DrawStroke(a, page, points, 160);
    DrawStroke(b, zoomed, points, 160, 0, 2.0f);
    EXPECT_EQ(InkedPixels(zoomed), 4 * InkedPixels(page));
}

TEST(InkRendererStroke, strokes_across_the_edges_stay_inside_the_surface)
{
    DrawingSurface dc = WhiteSurface(16, 16);
    InkRenderer r;
    DrawStroke(r, dc, {{-6, -6}, {0, 0}, {8, 3}, {15, 15}, {22, 9}, {40, -3}}, 255);
    EXPECT_EQ(dc.Bitmap().size(), QSize(16, 16));
    EXPECT_NE(dc.GetPixel(0, 0), kWhite);
    EXPECT_GT(InkedPixels(dc), 40);
}

TEST(InkRendererStroke, far_away_points_finish_without_touching_the_surface)
{
    // Damaged input: coordinates far off any page must neither overflow nor sample for ever.
    DrawingSurface dc = WhiteSurface(16, 16);
    InkRenderer r;
    DrawStroke(r, dc, {{100, 100}, {2000000000, 5}, {-2000000000, 1900000000}, {7, 2000000000}, {300, 300}},
               160);
    // Points on the same far column one after another: a curve's midpoint is taken from the
    // sum of two of them.
    DrawStroke(r, dc, {{100, 100}, {2000000000, 0}, {2000000000, 50}, {2000000000, 100}, {300, 300}}, 160);
    EXPECT_EQ(InkedPixels(dc), 0);
}

TEST(InkRendererGeometry, turn_angle_is_180_for_straight_and_small_for_sharp)
{
    InkRenderer r;
    EXPECT_EQ(r.TurnAngle({0, 0}, {10, 0}, {20, 0}), 180);
    EXPECT_EQ(r.TurnAngle({0, 0}, {10, 0}, {10, 10}), 90);
    EXPECT_EQ(r.TurnAngle({0, 0}, {10, 0}, {0, 0}), 0);
    EXPECT_EQ(r.TurnAngle({0, 10}, {10, 0}, {20, 10}), 90);
    EXPECT_EQ(r.TurnAngle({0, 0}, {10, 10}, {20, 20}), 180);
}

TEST(InkRendererGeometry, sharp_turn_agrees_with_the_turn_angle_everywhere)
{
    // Every pair of legs up to 14 pixels long, then long legs, far from the origin, which
    // pass near the 130 degree bound from both sides.
    InkRenderer r;
    int sharp = 0;
    int checked = 0;
    const auto check = [&](POINT p1, POINT p2, POINT p3) {
        const bool expected = r.TurnAngle(p1, p2, p3) < 130;
        ASSERT_EQ(r.SharpTurn(p1, p2, p3), expected)
            << p1.x << "," << p1.y << " " << p2.x << "," << p2.y << " " << p3.x << "," << p3.y;
        sharp += expected;
        ++checked;
    };
    for (LONG ux = -14; ux <= 14; ++ux)
        for (LONG uy = -14; uy <= 14; ++uy)
            for (LONG vx = -14; vx <= 14; ++vx)
                for (LONG vy = -14; vy <= 14; ++vy)
                    check({1000 + ux, -50 + uy}, {1000, -50}, {1000 + vx, -50 + vy});
    uint32_t seed = 12345;
    const auto next = [&seed](LONG range) {
        seed = seed * 1664525u + 1013904223u;
        return LONG(seed >> 8) % (2 * range + 1) - range;
    };
    for (int i = 0; i < 200000; ++i) {
        const POINT p2{next(4000000), next(4000000)};
        check({p2.x + next(3000), p2.y + next(3000)}, p2, {p2.x + next(3000), p2.y + next(3000)});
    }
    EXPECT_GT(sharp, checked / 4);
    EXPECT_LT(sharp, checked * 3 / 4);
}

TEST(InkRendererGeometry, bezier_truncates_and_keeps_equal_coordinates_exact)
{
    EXPECT_EQ(InkRenderer::Bezier({0, 0}, {256, 512}, {512, 0}, 0.5f), (POINT{256, 256}));
    EXPECT_EQ(InkRenderer::Bezier({0, 0}, {256, 512}, {512, 0}, 0.0f), (POINT{0, 0}));
    EXPECT_EQ(InkRenderer::Bezier({0, 0}, {256, 512}, {512, 0}, 1.0f), (POINT{512, 0}));
    EXPECT_EQ(InkRenderer::Bezier({0, 0}, {0, 0}, {10, 0}, 0.5f).x, 2);  // 2.5 truncated
    for (float t : {0.1f, 0.3f, 0.7f, 0.9f}) {
        const POINT p = InkRenderer::Bezier({7777, 3}, {7777, 900}, {7777, 17}, t);
        EXPECT_EQ(p.x, 7777) << t;
    }
}

// The nib's direction scales as the angle's cosine and sine give them, truncated.
void TrigonometricScales(LONG a, LONG b, LONG softness, LONG& kx, LONG& ky)
{
    if (a <= b) {
        const double theta = std::atan2(double(a), double(b));
        kx = LONG(std::cos(theta) * softness);
        ky = LONG(std::sin(theta) * softness);
    } else {
        const double theta = std::atan2(double(b), double(a));
        kx = LONG(std::sin(theta) * softness);
        ky = LONG(std::cos(theta) * softness);
    }
}

// Every step of up to a pixel each way at every softness a width gives, then steps
// of any length from a fixed seed: a single scale off by one would move ink by a pixel.
TEST(InkRendererGeometry, direction_scales_truncate_exactly_as_the_trigonometry)
{
    long long mismatches = 0;
    const auto check = [&](LONG a, LONG b, LONG softness) {
        LONG kx = -1, ky = -1, wantX = -2, wantY = -2;
        InkRenderer::DirectionScales(a, b, softness, kx, ky);
        TrigonometricScales(a, b, softness, wantX, wantY);
        if (kx != wantX || ky != wantY) {
            if (++mismatches <= 5)
                ADD_FAILURE() << "step " << a << ", " << b << " softness " << softness << ": " << kx << ", " << ky
                              << " instead of " << wantX << ", " << wantY;
        }
    };
    for (LONG softness = 100; softness <= 300; ++softness)
        for (LONG a = 0; a <= 256; ++a)
            for (LONG b = 0; b <= 256; ++b)
                check(a, b, softness);
    std::mt19937 random(18);
    std::uniform_int_distribution<LONG> step(0, 1 << 24);
    std::uniform_int_distribution<LONG> softness(100, 300);
    for (int i = 0; i < 2000000; ++i)
        check(step(random), step(random), softness(random));
    EXPECT_EQ(mismatches, 0);
    LONG kx = 0, ky = 0;
    InkRenderer::DirectionScales(3, 4, 200, kx, ky);  // a 3-4-5 step: cos 0.8, sin 0.6
    EXPECT_EQ(kx, 160);
    EXPECT_EQ(ky, 120);
}

TEST(InkRendererMasks, step_right_shifts_previous_coverage_to_the_high_bits)
{
    InkRenderer r;
    InkRenderer::NibMask centre{};
    centre[6] = 1u << 6;
    r.SetCurMask(centre);
    r.UpdateNibMasks(0, 0, 1, 0, 256, 0);
    EXPECT_EQ(r.CurMask(), InkRenderer::DirectionTemplate(1));
    EXPECT_EQ(r.PrevMask()[6], 1u << 7);
    EXPECT_EQ(r.NewMask()[6], 0x1FC0u & ~(1u << 7));
    EXPECT_EQ(r.NewMask()[0], InkRenderer::DirectionTemplate(1)[0]);
}

TEST(InkRendererMasks, step_down_moves_previous_coverage_towards_row_zero)
{
    InkRenderer r;
    InkRenderer::NibMask centre{};
    centre[6] = 1u << 6;
    r.SetCurMask(centre);
    r.UpdateNibMasks(0, 0, 0, 1, 0, 256);
    EXPECT_EQ(r.CurMask(), InkRenderer::DirectionTemplate(3));
    EXPECT_EQ(r.PrevMask()[5], 1u << 6);
    EXPECT_EQ(r.PrevMask()[6], 0u);
    // Moving up-left instead picks template 2 and pushes coverage the other way.
    r.SetCurMask(centre);
    r.UpdateNibMasks(5, 5, 3, 4, -512, -256);
    EXPECT_EQ(r.CurMask(), InkRenderer::DirectionTemplate(2));
    EXPECT_EQ(r.PrevMask()[7], 1u << 4);
}

TEST(InkRendererMasks, a_fresh_disc_also_covers_the_new_template)
{
    InkRenderer r;
    r.SetCurMask({});
    r.SetDiscDone(true);
    r.UpdateNibMasks(0, 0, 0, 0, 256, 256);
    // The disc already inked everything the template would stamp: nothing is new.
    for (DWORD row : r.NewMask())
        EXPECT_EQ(row, 0u);
}

TEST(InkRendererMasks, stamp_nib_plots_only_pixels_of_the_new_mask)
{
    DrawingSurface dc = WhiteSurface(20, 20);
    InkRenderer r;
    SetUpRenderer(r, 1.0f);
    r.SetWidth(255);
    r.SetSoftness(100);
    InkRenderer::NibMask onlyRight{};
    for (auto& row : onlyRight)
        row = 0x003F;  // dx = 1..6
    r.SetNewMask(onlyRight);
    r.StampNib(&dc, 10, 10, 0, 0, 0, 100, 100);
    EXPECT_EQ(dc.GetPixel(10, 10), kBlack);  // the centre is always plotted
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(dc.GetPixel(x, y), kWhite) << x << "," << y;
    EXPECT_NE(dc.GetPixel(12, 10), kWhite);
}

// A disc blends each pixel within its reach as plotting it alone with its distance from the
// centre does, and marks as covered the offsets whose ink reaches within the width; for every
// disc width and a spread of sample widths, over a background of many colours.
TEST(InkRendererMasks, every_disc_blends_and_covers_as_its_pixels_plotted_one_by_one)
{
    const auto background = [] {
        DrawingSurface dc(DrawingSurface::CreateBitmap(21, 21));
        for (LONG y = 0; y < 21; ++y)
            for (LONG x = 0; x < 21; ++x)
                dc.SetPixel(x, y, RGB(x * 12, y * 12, (x * 5 + y * 7) % 256));
        return dc;
    };
    const COLORREF ink = RGB(30, 160, 220);
    for (LONG sampleWidth = 0; sampleWidth <= 255; sampleWidth += 5) {
        for (LONG discWidth = 0; discWidth <= 255; ++discWidth) {
            InkRenderer disc;
            SetUpRenderer(disc, 1.0f, ink);
            DrawingSurface stamped = background();
            disc.SetCurMask({});
            disc.SetWidth(sampleWidth);
            disc.StampDisc(&stamped, 10, 10, discWidth);
            const LONG softness = disc.Softness();

            InkRenderer one;
            SetUpRenderer(one, 1.0f, ink);
            one.SetWidth(sampleWidth);
            DrawingSurface plotted = background();
            const LONG reach = std::min<LONG>(6, 255 / softness + 1 + (sampleWidth >= 70 ? sampleWidth / 70 : 0));
            InkRenderer::NibMask covered{};
            for (LONG dy = -reach; dy <= reach; ++dy) {
                for (LONG dx = -reach; dx <= reach; ++dx) {
                    const LONG d = LONG(std::sqrt(double(dx * dx + dy * dy)) * softness);
                    one.PlotPixel(&plotted, 10 + dx, 10 + dy, d);
                    if ((dx != 0 || dy != 0) && d < sampleWidth + 255)
                        covered[size_t(dy + 6)] |= 1u << (6 - dx);
                }
            }
            ASSERT_EQ(stamped.Bitmap(), plotted.Bitmap()) << "disc " << discWidth << ", sample " << sampleWidth;
            ASSERT_EQ(disc.CurMask(), covered) << "disc " << discWidth << ", sample " << sampleWidth;
        }
    }
}
