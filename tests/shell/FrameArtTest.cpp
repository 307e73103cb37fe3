// Pictures of the inking frame: the outline it is cut to and its icon.

#include "TestApplication.h"

#include "platform/Resources.h"
#include "shell/widgets/WindowShape.h"

#include <QWidget>

#include <gtest/gtest.h>

namespace {

TEST(FrameArtTest, inking_frame_is_cut_to_two_full_width_bars_with_rounded_outer_corners)
{
    TestApplication();
    const QImage outline = Resources::LoadImage("bitmap/379");
    ASSERT_EQ(outline.size(), QSize(629, 116));
    QWidget frame;
    frame.resize(outline.size());
    ASSERT_TRUE(ShapeWindowFromBitmap(&frame, outline));
    const QRegion shape = frame.mask();
    EXPECT_EQ(shape.boundingRect(), QRect(0, 0, 629, 116));
    // The four outer corners are cut away ...
    for (const QPoint corner : {QPoint(0, 0), QPoint(628, 0), QPoint(0, 115), QPoint(628, 115)})
        EXPECT_FALSE(shape.contains(corner)) << corner.x() << "," << corner.y();
    // ... while the edges between them, the seam of the two bars (53 and 63 high) and the
    // middle stay whole.
    for (int y = 14; y < 102; ++y) {
        EXPECT_TRUE(shape.contains(QPoint(0, y))) << y;
        EXPECT_TRUE(shape.contains(QPoint(628, y))) << y;
    }
    for (int x = 14; x < 615; ++x) {
        EXPECT_TRUE(shape.contains(QPoint(x, 0))) << x;
        EXPECT_TRUE(shape.contains(QPoint(x, 115))) << x;
        EXPECT_TRUE(shape.contains(QPoint(x, 52)) && shape.contains(QPoint(x, 53))) << x;
    }
}

TEST(FrameArtTest, inking_frame_has_an_icon_of_its_own)
{
    TestApplication();
    const QImage inking = Resources::LoadImage("icon/391");
    const QImage letter = Resources::LoadImage("icon/128");
    ASSERT_FALSE(inking.isNull());
    EXPECT_EQ(inking.size(), QSize(64, 64));
    EXPECT_NE(inking, letter);
    EXPECT_EQ(qAlpha(inking.pixel(32, 32)), 255);  // drawn across its middle
}

}  // namespace
