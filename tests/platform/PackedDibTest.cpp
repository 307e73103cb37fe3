#include "SurfaceTestSupport.h"

#include "platform/PackedDib.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<BYTE> Bytes(const QByteArray& block, int from, int count)
{
    return std::vector<BYTE>(block.begin() + from, block.begin() + from + count);
}

// A surface whose pixels are numbered: pixel i gets RGB(3i + 1, 3i + 2, 3i + 3).
DrawingSurface NumberedSurface(int width, int height)
{
    DrawingSurface dc = FilledSurface(width, height);
    for (int i = 0; i < width * height; ++i)
        dc.SetPixel(i % width, i / width, RGB(3 * i + 1, 3 * i + 2, 3 * i + 3));
    return dc;
}

// The image as text, one line per row: the first letter of a known colour's name.
std::string Letters(const QImage& image)
{
    std::string text = "\n";
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            switch (image.pixel(x, y) & 0xFFFFFF) {
            case 0xFF0000: text += 'r'; break;
            case 0x00FF00: text += 'g'; break;
            case 0x0000FF: text += 'b'; break;
            case 0xFFFFFF: text += '.'; break;
            case 0x000000: text += 'k'; break;
            default: text += '?';
            }
        }
        text += '\n';
    }
    return text;
}

QImage White(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

// Two columns by three rows, top-down: red green / blue red / green blue.
QByteArray ColourDib(WORD bits)
{
    DrawingSurface dc = FilledSurface(2, 3);
    const COLORREF rows[3][2] = {{RGB(255, 0, 0), RGB(0, 255, 0)}, {RGB(0, 0, 255), RGB(255, 0, 0)},
                                 {RGB(0, 255, 0), RGB(0, 0, 255)}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 2; ++x)
            dc.SetPixel(x, y, rows[y][x]);
    return BitmapToDib(dc, bits, BI_RGB);
}

TEST(PackedDib, a_24_bit_dib_is_a_header_then_padded_rows_bottom_up)
{
    const QByteArray dib = BitmapToDib(NumberedSurface(3, 2), 24, BI_RGB);
    ASSERT_EQ(dib.size(), 40 + 2 * 12);
    BITMAPINFOHEADER header;
    ASSERT_TRUE(ReadDibHeader(dib, header));
    EXPECT_EQ(header.biSize, 40u);
    EXPECT_EQ(header.biWidth, 3);
    EXPECT_EQ(header.biHeight, 2);
    EXPECT_EQ(header.biPlanes, 1);
    EXPECT_EQ(header.biBitCount, 24);
    EXPECT_EQ(header.biSizeImage, 24u);
    // Blue, green, red; the bottom row first; three bytes of padding close each row.
    EXPECT_EQ(Bytes(dib, 40, 12), (std::vector<BYTE>{12, 11, 10, 15, 14, 13, 18, 17, 16, 0, 0, 0}));
    EXPECT_EQ(Bytes(dib, 52, 12), (std::vector<BYTE>{3, 2, 1, 6, 5, 4, 9, 8, 7, 0, 0, 0}));
}

TEST(PackedDib, depth_zero_takes_the_bitmaps_own_32_bits)
{
    const QByteArray dib = BitmapToDib(NumberedSurface(2, 2), 0, BI_RGB);
    BITMAPINFOHEADER header;
    ASSERT_TRUE(ReadDibHeader(dib, header));
    EXPECT_EQ(header.biBitCount, 32);
    EXPECT_EQ(header.biSizeImage, 16u);
    EXPECT_EQ(Bytes(dib, 40, 8), (std::vector<BYTE>{9, 8, 7, 0, 12, 11, 10, 0}));
    EXPECT_EQ(Bytes(dib, 48, 8), (std::vector<BYTE>{3, 2, 1, 0, 6, 5, 4, 0}));
}

TEST(PackedDib, other_depths_compression_and_empty_bitmaps_fail)
{
    EXPECT_TRUE(BitmapToDib(NumberedSurface(2, 2), 8, BI_RGB).isEmpty());
    EXPECT_TRUE(BitmapToDib(NumberedSurface(2, 2), 1, BI_RGB).isEmpty());
    EXPECT_TRUE(BitmapToDib(NumberedSurface(2, 2), 24, BI_RLE8).isEmpty());
    EXPECT_TRUE(BitmapToDib(DrawingSurface(), 0, BI_RGB).isEmpty());
    BITMAPINFOHEADER header;
    EXPECT_FALSE(ReadDibHeader(ColourDib(24).left(50), header));  // rows cut short
}

TEST(PackedDib, stretching_in_coloroncolor_keeps_whole_source_pixels)
{
    for (WORD bits : {24, 32}) {
        SCOPED_TRACE(bits);
        QImage sheet = White(4, 6);
        QPainter dc(&sheet);
        SetStretchBltMode(dc, COLORONCOLOR);
        EXPECT_TRUE(StretchDib(dc, 0, 0, 4, 6, 0, 0, 2, 3, SRCCOPY, ColourDib(bits)));
        dc.end();
        EXPECT_EQ(Letters(sheet), "\nrrgg\nrrgg\nbbrr\nbbrr\nggbb\nggbb\n");
    }
}

TEST(PackedDib, source_rows_count_up_from_the_bottom)
{
    QImage sheet = White(2, 2);
    QPainter dc(&sheet);
    // The bottom row alone, then the top row alone.
    StretchDib(dc, 0, 0, 2, 1, 0, 0, 2, 1, SRCCOPY, ColourDib(32));
    StretchDib(dc, 0, 1, 2, 1, 0, 2, 2, 1, SRCCOPY, ColourDib(32));
    dc.end();
    EXPECT_EQ(Letters(sheet), "\ngb\nrg\n");
}

TEST(PackedDib, a_source_reaching_past_the_dib_draws_only_its_rows)
{
    // Four source rows asked for, the top one above the DIB: the destination's top quarter stays.
    QImage sheet = White(2, 4);
    QPainter dc(&sheet);
    EXPECT_TRUE(StretchDib(dc, 0, 0, 2, 4, 0, 0, 2, 4, SRCCOPY, ColourDib(32)));
    dc.end();
    EXPECT_EQ(Letters(sheet), "\n..\nrg\nbr\ngb\n");
}

TEST(PackedDib, without_a_dib_only_the_raster_operation_is_applied)
{
    QImage sheet = White(3, 2);
    QPainter dc(&sheet);
    EXPECT_FALSE(StretchDib(dc, 0, 0, 3, 2, 0, 0, 2, 3, SRCCOPY, QByteArray()));
    EXPECT_EQ(Letters(sheet.copy()), "\n...\n...\n");  // a copy reads a source: nothing to do
    EXPECT_FALSE(StretchDib(dc, 1, 0, 2, 2, 0, 0, 2, 3, BLACKNESS, QByteArray()));
    dc.end();
    EXPECT_EQ(Letters(sheet), "\n.kk\n.kk\n");
}

}  // namespace
