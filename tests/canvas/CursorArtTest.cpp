// The cursor pictures: each loads at the cursor size with its hot spot on what it points with.

#include "TestApplication.h"

#include "platform/Resources.h"

#include <gtest/gtest.h>

namespace {

// Opaque, dark pixels within radius of the point.
int DarkPixelsAround(const QImage& image, QPoint centre, int radius)
{
    int dark = 0;
    for (int y = centre.y() - radius; y <= centre.y() + radius; ++y)
        for (int x = centre.x() - radius; x <= centre.x() + radius; ++x) {
            if (!image.rect().contains(x, y))
                continue;
            const QRgb pixel = image.pixel(x, y);
            dark += qAlpha(pixel) == 255 && qGray(pixel) < 80;
        }
    return dark;
}

TEST(CursorArtTest, every_cursor_is_32_pixels_square_with_its_hot_spot_on_something_drawn)
{
    TestApplication();
    for (const char* name : {"cursor/178", "cursor/221", "cursor/425", "cursor/426", "cursor/427"}) {
        const Resources::CursorImage cursor = Resources::LoadCursorImage(name);
        ASSERT_FALSE(cursor.image.isNull()) << name;
        EXPECT_EQ(cursor.image.size(), QSize(32, 32)) << name;
        EXPECT_TRUE(cursor.image.rect().contains(cursor.hotSpot)) << name;
        EXPECT_GT(qAlpha(cursor.image.pixel(cursor.hotSpot)), 0) << name;
        EXPECT_EQ(qAlpha(cursor.image.pixel(0, 0)), 0) << name;  // see-through around the picture
    }
}

TEST(CursorArtTest, capture_crosshair_is_centred_and_open_around_its_point)
{
    TestApplication();
    const Resources::CursorImage cross = Resources::LoadCursorImage("cursor/221");
    EXPECT_EQ(cross.hotSpot, QPoint(15, 15));
    // Dark arms on all four sides, away from the middle.
    for (const QPoint arm : {QPoint(15, 5), QPoint(15, 25), QPoint(5, 15), QPoint(25, 15)})
        EXPECT_LT(qGray(cross.image.pixel(arm)), 80) << arm.x() << "," << arm.y();
    EXPECT_EQ(qAlpha(cross.image.pixel(5, 5)), 0);
}

TEST(CursorArtTest, pen_cursors_show_a_small_a_medium_and_a_large_dot_at_the_hot_spot)
{
    TestApplication();
    const Resources::CursorImage small = Resources::LoadCursorImage("cursor/425");
    const Resources::CursorImage medium = Resources::LoadCursorImage("cursor/426");
    const Resources::CursorImage large = Resources::LoadCursorImage("cursor/427");
    EXPECT_EQ(small.hotSpot, medium.hotSpot);
    EXPECT_EQ(medium.hotSpot, large.hotSpot);
    const int smallDot = DarkPixelsAround(small.image, small.hotSpot, 4);
    const int mediumDot = DarkPixelsAround(medium.image, medium.hotSpot, 4);
    const int largeDot = DarkPixelsAround(large.image, large.hotSpot, 6);
    EXPECT_GT(smallDot, 0);
    EXPECT_LT(smallDot, mediumDot);
    EXPECT_LT(DarkPixelsAround(medium.image, medium.hotSpot, 6), largeDot);
}

}  // namespace
