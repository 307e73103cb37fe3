#include "platform/Rect.h"

#include <gtest/gtest.h>

namespace {

TEST(Rect, right_and_bottom_are_exclusive)
{
    const CRect r(2, 3, 5, 7);
    EXPECT_EQ(r.Width(), 3);
    EXPECT_EQ(r.Height(), 4);
    EXPECT_TRUE(r.PtInRect({2, 3}));
    EXPECT_TRUE(r.PtInRect({4, 6}));
    EXPECT_FALSE(r.PtInRect({5, 3}));
    EXPECT_FALSE(r.PtInRect({2, 7}));
    EXPECT_FALSE(r.PtInRect({1, 3}));
}

TEST(Rect, empty_when_right_not_after_left_or_bottom_not_below_top)
{
    EXPECT_TRUE(CRect(5, 0, 5, 10).IsRectEmpty());
    EXPECT_TRUE(CRect(6, 0, 5, 10).IsRectEmpty());
    EXPECT_TRUE(CRect(0, 4, 10, 4).IsRectEmpty());
    EXPECT_TRUE(CRect(0, 5, 10, 4).IsRectEmpty());
    EXPECT_FALSE(CRect(-3, -3, -2, -2).IsRectEmpty());
    // Empty is not the same as null.
    EXPECT_FALSE(CRect(3, 3, 3, 3).IsRectNull());
    EXPECT_TRUE(CRect().IsRectNull());
}

TEST(Rect, union_ignores_empty_rect)
{
    const CRect page(10, 10, 20, 20);
    CRect r;
    // Neither a null rectangle at the origin nor an inverted one far away stretches the union.
    EXPECT_TRUE(r.UnionRect(page, CRect()));
    EXPECT_EQ(r, page);
    EXPECT_TRUE(r.UnionRect(CRect(100, 100, 50, 50), page));
    EXPECT_EQ(r, page);

    EXPECT_TRUE(r.UnionRect(page, CRect(15, -5, 30, 12)));
    EXPECT_EQ(r, CRect(10, -5, 30, 20));

    EXPECT_FALSE(r.UnionRect(CRect(5, 5, 5, 9), CRect(7, 7, 1, 1)));
    EXPECT_TRUE(r.IsRectNull());
}

TEST(Rect, intersection_without_overlap_is_all_zero)
{
    CRect r;
    EXPECT_TRUE(r.IntersectRect(CRect(0, 0, 10, 10), CRect(5, 5, 20, 20)));
    EXPECT_EQ(r, CRect(5, 5, 10, 10));

    // Rectangles that only touch share no pixel.
    EXPECT_FALSE(r.IntersectRect(CRect(0, 0, 10, 10), CRect(10, 0, 20, 10)));
    EXPECT_TRUE(r.IsRectNull());
    r = CRect(1, 2, 3, 4);
    EXPECT_FALSE(r.IntersectRect(CRect(0, 0, 10, 10), CRect(20, 20, 30, 30)));
    EXPECT_TRUE(r.IsRectNull());
    // An inverted rectangle inside the other one is still empty.
    r = CRect(1, 2, 3, 4);
    EXPECT_FALSE(r.IntersectRect(CRect(0, 0, 10, 10), CRect(6, 6, 4, 4)));
    EXPECT_TRUE(r.IsRectNull());

    EXPECT_TRUE(IntersectsRect(CRect(0, 0, 10, 10), CRect(9, 9, 11, 11)));
    EXPECT_FALSE(IntersectsRect(CRect(0, 0, 10, 10), CRect(0, 10, 10, 20)));
}

TEST(Rect, inflate_offset_and_normalize_move_the_sides)
{
    CRect r(2, 2, 4, 4);
    r.InflateRect(1, 2);
    EXPECT_EQ(r, CRect(1, 0, 5, 6));
    r.InflateRect(-1, -2);
    EXPECT_EQ(r, CRect(2, 2, 4, 4));
    r.OffsetRect(-5, 7);
    EXPECT_EQ(r, CRect(-3, 9, -1, 11));

    CRect inverted(10, 20, 0, 5);
    inverted.NormalizeRect();
    EXPECT_EQ(inverted, CRect(0, 5, 10, 20));
    CRect halfInverted(0, 20, 10, 5);
    halfInverted.NormalizeRect();
    EXPECT_EQ(halfInverted, CRect(0, 5, 10, 20));
}

}  // namespace
