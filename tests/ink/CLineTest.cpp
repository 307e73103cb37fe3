#include "InkTestSupport.h"

#include "ink/CLine.h"
#include "platform/Archive.h"

#include <QBuffer>
#include <QByteArray>

#include <gtest/gtest.h>

namespace {

QByteArray Store(CLine& line)
{
    return StoreToBytes(line);
}

std::unique_ptr<CLine> Load(const QByteArray& bytes)
{
    auto line = std::make_unique<CLine>();
    LoadFromBytes(*line, bytes);
    return line;
}

template <typename T>
T ReadLE(const QByteArray& bytes, int offset)
{
    T value;
    std::memcpy(&value, bytes.constData() + offset, sizeof value);
    return qFromLittleEndian(value);
}

}  // namespace

TEST(CLineBounds, marker_bounds_grow_by_the_half_width_rule)
{
    // width → half: 1 → 1, 2 → 0, 3 → 2, 4 → 1, 5 → 3, 6 → 2
    const int expected[] = {0, 1, 0, 2, 1, 3, 2};
    for (SHORT width = 1; width <= 6; ++width) {
        CLine line;
        line.SetPenType(4, 0);
        line.AddPoint(100, 50, width);
        EXPECT_EQ(line.GetBounds(), CRect(100 - expected[width], 50 - expected[width], 100 + expected[width],
                                          50 + expected[width]))
            << width;
    }
}

TEST(CLineBounds, ink_rendered_bounds_are_the_bare_point_extents)
{
    auto line = MakeStroke(3, {{10, 40}, {30, 20}, {25, 60}}, 255);
    EXPECT_EQ(line->GetBounds(), CRect(10, 20, 30, 60));
}

TEST(CLineBounds, bounds_grow_one_side_at_a_time)
{
    CLine line;
    line.SetPenType(4, 0);
    line.AddPoint(50, 50, 4);
    line.AddPoint(60, 45, 4);
    line.AddPoint(40, 70, 4);
    EXPECT_EQ(line.GetBounds(), CRect(39, 44, 61, 71));
}

TEST(CLineBounds, a_point_that_leaves_all_zero_bounds_lets_the_next_point_reset_them)
{
    CLine line;
    line.SetPenType(4, 0);
    line.AddPoint(0, 0, 2);
    EXPECT_TRUE(line.GetBounds().IsRectNull());
    line.AddPoint(30, 40, 2);
    EXPECT_EQ(line.GetBounds(), CRect(30, 40, 30, 40));
}

TEST(CLinePenType, marker_turns_on_the_mask_for_good)
{
    CLine line;
    EXPECT_EQ(line.GetPenType(), 2);
    EXPECT_EQ(line.GetMaskPen(), 0);
    line.SetPenType(4, 0);
    line.SetPenType(2, 1);
    EXPECT_EQ(line.GetMaskPen(), 1);
    EXPECT_EQ(line.GetPenType(), 2);
    EXPECT_EQ(line.IsInkRendered(), 1u);
}

TEST(CLinePressure, pressure_range_comes_from_the_bound_tablet)
{
    CLine unbound;
    EXPECT_EQ(unbound.GetPressureMax(), 0);
    EXPECT_EQ(unbound.GetPressureStep(), 0);
    FixedPressureAxis axis(1023);
    CLine bound;
    EXPECT_EQ(bound.GetPressureMax(), 1023);
    EXPECT_EQ(bound.GetPressureStep(), 2);
}

TEST(CLinePoints, live_points_keep_pressure_and_other_points_do_not)
{
    CLine line;
    line.AddPoint(1, 2, 3, 400, 1);
    line.AddPoint(4, 5, 6);
    EXPECT_EQ(line.GetPoint(0).pressure, 400u);
    EXPECT_EQ(line.GetPoint(0).isLive, 1);
    EXPECT_EQ(line.GetPoint(1).pressure, 0u);
    EXPECT_EQ(line.GetPoint(1).isLive, 0);
    EXPECT_THROW(line.GetPoint(2), CInvalidArgException);
    EXPECT_THROW(line.GetPoint(-1), CInvalidArgException);
    line.RemoveAllPoints();
    EXPECT_EQ(line.GetPointCount(), 0);
}

TEST(CLineRecord, empty_stroke_is_a_32_byte_head)
{
    CLine line;
    line.SetPenType(3, 1);
    line.SetColor(0x00123456);
    const QByteArray bytes = Store(line);
    ASSERT_EQ(bytes.size(), 32);
    EXPECT_EQ(ReadLE<LONG>(bytes, 0), 0);
    EXPECT_EQ(ReadLE<DWORD>(bytes, 20), 0x00123456u);
    EXPECT_EQ(ReadLE<WORD>(bytes, 26), 3);
    EXPECT_EQ(ReadLE<DWORD>(bytes, 28), 1u);
}

TEST(CLineRecord, fields_sit_at_their_offsets)
{
    CLine line;
    line.SetColor(RGB(1, 2, 3));
    line.SetPenType(4, 0);
    line.AddPoint(-7, 300, 5, 99, 1);
    line.AddPoint(70000, -2, 6);
    const QByteArray bytes = Store(line);
    ASSERT_EQ(bytes.size(), 32 + 2 * 10);
    EXPECT_EQ(ReadLE<LONG>(bytes, 0), 2);
    EXPECT_EQ(ReadLE<LONG>(bytes, 4), -10);    // left: -7 - 3
    EXPECT_EQ(ReadLE<LONG>(bytes, 8), -4);     // top: -2 - 2
    EXPECT_EQ(ReadLE<LONG>(bytes, 12), 70002);
    EXPECT_EQ(ReadLE<LONG>(bytes, 16), 303);
    EXPECT_EQ(ReadLE<DWORD>(bytes, 20), RGB(1, 2, 3));
    EXPECT_EQ(ReadLE<WORD>(bytes, 24), 1);     // mask pen
    EXPECT_EQ(ReadLE<WORD>(bytes, 26), 4);
    EXPECT_EQ(ReadLE<DWORD>(bytes, 28), 0u);
    EXPECT_EQ(ReadLE<LONG>(bytes, 32), -7);
    EXPECT_EQ(ReadLE<LONG>(bytes, 36), 300);
    EXPECT_EQ(ReadLE<SHORT>(bytes, 40), 5);
    EXPECT_EQ(ReadLE<LONG>(bytes, 42), 70000);
    EXPECT_EQ(ReadLE<LONG>(bytes, 46), -2);
    EXPECT_EQ(ReadLE<SHORT>(bytes, 50), 6);
}

TEST(CLineRecord, round_trip_keeps_every_stored_field_and_drops_pressure)
{
    auto line = MakeStroke(3, {{10, 10}, {20, 25}, {31, 12}}, 211, RGB(9, 8, 7));
    line->AddPoint(40, 40, 12, 777, 1);
    const QByteArray bytes = Store(*line);
    auto loaded = Load(bytes);
    EXPECT_EQ(loaded->GetPointCount(), 4);
    EXPECT_EQ(loaded->GetBounds(), line->GetBounds());
    EXPECT_EQ(loaded->GetColor(), RGB(9, 8, 7));
    EXPECT_EQ(loaded->GetPenType(), 3);
    EXPECT_EQ(loaded->IsInkRendered(), 1u);
    EXPECT_EQ(loaded->GetPoint(3).x, 40);
    EXPECT_EQ(loaded->GetPoint(3).width, 12);
    EXPECT_EQ(loaded->GetPoint(3).pressure, 0u);
    EXPECT_EQ(loaded->GetPoint(3).isLive, 0);
    EXPECT_EQ(Store(*loaded), bytes);
}

TEST(CLineRecord, stored_bounds_win_over_the_points)
{
    auto line = MakeStroke(2, {{10, 10}, {20, 20}});
    QByteArray bytes = Store(*line);
    const LONG farRight = qToLittleEndian<LONG>(5000);
    std::memcpy(bytes.data() + 12, &farRight, 4);
    EXPECT_EQ(Load(bytes)->GetBounds(), CRect(10, 10, 5000, 20));
}

TEST(CLineRecord, every_truncation_raises_end_of_file)
{
    auto line = MakeStroke(2, {{1, 2}, {3, 4}, {5, 6}});
    const QByteArray bytes = Store(*line);
    for (int size = 0; size < bytes.size(); ++size) {
        try {
            Load(bytes.left(size));
            ADD_FAILURE() << "loaded " << size << " bytes";
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.m_cause, CArchiveException::endOfFile) << size;
        }
    }
}

TEST(CLineRecord, counts_beyond_the_stream_fail_before_allocating)
{
    const struct {
        LONG count;
        int size;
    } cases[] = {{2000000000, 40}, {-1, 40}, {3, 32 + 29}};
    for (const auto& c : cases) {
        QByteArray bytes(c.size, '\0');
        const LONG le = qToLittleEndian(c.count);
        std::memcpy(bytes.data(), &le, 4);
        try {
            Load(bytes);
            ADD_FAILURE() << "loaded a count of " << c.count;
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.m_cause, CArchiveException::endOfFile) << c.count;
        }
    }
}

TEST(CLineDraw, marker_draws_masked_lines_and_nothing_for_one_point)
{
    DrawingSurface dc = WhiteSurface(40, 20);
    auto single = MakeStroke(4, {{10, 10}}, 4, RGB(255, 255, 0));
    single->Draw(&dc);
    EXPECT_EQ(InkedPixels(dc), 0);

    dc.SetPixel(20, 10, RGB(0, 0, 200));
    auto marker = MakeStroke(4, {{5, 10}, {35, 10}}, 4, RGB(255, 255, 0));
    marker->Draw(&dc);
    EXPECT_EQ(dc.GetPixel(10, 10), RGB(255, 255, 0));
    EXPECT_EQ(dc.GetPixel(20, 10), RGB(0, 0, 0));  // yellow AND blue
    EXPECT_EQ(dc.GetPixel(10, 14), kWhite);
    EXPECT_EQ(dc.GetROP2(), R2_COPYPEN);           // the raster operation is put back
}

TEST(CLineDraw, pencil_point_zero_is_the_renderer_disc)
{
    DrawingSurface byLine = WhiteSurface(24, 24);
    DrawingSurface byRenderer = WhiteSurface(24, 24);
    MakeStroke(2, {{12, 12}}, 200)->Draw(&byLine);
    InkRenderer r;
    r.DrawSegment(&byRenderer, 0, 0, 12, 12, 200, kBlack, InkRenderer::Segment::First, 0, 1.0f);
    EXPECT_EQ(byLine.Bitmap(), byRenderer.Bitmap());
    EXPECT_GT(InkedPixels(byLine), 0);
}

TEST(CLineDraw, drawing_twice_gives_the_same_ink)
{
    // Each Draw starts its renderer afresh, so a redraw after an undo looks like the original.
    auto line = MakeStroke(3, LinePoints({5, 5}, {60, 40}), 220, RGB(0, 0, 160));
    DrawingSurface first = WhiteSurface(70, 50);
    DrawingSurface second = WhiteSurface(70, 50);
    line->Draw(&first);
    line->Draw(&second);
    EXPECT_EQ(first.Bitmap(), second.Bitmap());
}

TEST(CLineDraw, visible_within_five_pixels_of_the_bounds)
{
    auto line = MakeStroke(2, LinePoints({20, 20}, {40, 20}), 160);
    DrawingSurface dc = WhiteSurface(64, 64);
    line->DrawIfVisible(&dc, CRect(0, 0, 15, 15));  // touches the grown bounds at a corner only
    EXPECT_EQ(InkedPixels(dc), 0);
    line->DrawIfVisible(&dc, CRect(44, 22, 60, 60));  // 4 pixels right of the bounds
    EXPECT_GT(InkedPixels(dc), 0);
}
