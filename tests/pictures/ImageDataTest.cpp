#include "ScriptedPrompts.h"
#include "pictures/ImageData.h"

#include <gtest/gtest.h>

#include <QImage>

#include <vector>

namespace {

// A bitmap whose every pixel differs from its neighbours in each channel.
QImage PatternBitmap(int width, int height)
{
    QImage bitmap(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap.setPixel(x, y, qRgb((x * 37 + y * 11) & 0xFF, (x * 5 + y * 71) & 0xFF, (x * y * 13 + 7) & 0xFF));
    return bitmap;
}

TEST(ImageData, size_pads_each_row_to_four_bytes)
{
    EXPECT_EQ(ImageDataSize(1, 1), 4u);
    EXPECT_EQ(ImageDataSize(2, 3), 24u);  // 6 bytes of pixels, rows of 8
    EXPECT_EQ(ImageDataSize(4, 2), 24u);  // 12 bytes of pixels need no padding
    EXPECT_EQ(ImageDataSize(5, 1), 16u);
    EXPECT_EQ(ImageDataSize(0, 9), 0u);
    EXPECT_EQ(ImageDataSize(-1, 5), 0u);
    EXPECT_EQ(ImageDataSize(5, -1), 0u);
    // Sizes read from a file cannot wrap around.
    EXPECT_EQ(ImageDataSize(0x7FFFFFFF, 0x7FFFFFFF), uint64_t(0x60000000) * 0x7FFFFFFF * 4);

    ScriptedPrompts prompts;
    const QImage tiny = PatternBitmap(1, 1), small = PatternBitmap(2, 3);
    DWORD size = 0;
    ASSERT_TRUE(SavePicture1(&tiny, &size));
    EXPECT_EQ(size, 4u);
    ASSERT_TRUE(SavePicture1(&small, &size));
    EXPECT_EQ(size, 24u);
    EXPECT_TRUE(prompts.Messages().empty());
}

TEST(ImageData, picture_sizes_from_files_are_bounded)
{
    EXPECT_TRUE(IsPictureSizeAllowed(1, 1));
    EXPECT_TRUE(IsPictureSizeAllowed(32767, 4096));  // exactly 2^27 pixels
    EXPECT_FALSE(IsPictureSizeAllowed(32767, 4097));
    EXPECT_FALSE(IsPictureSizeAllowed(32768, 1));
    EXPECT_FALSE(IsPictureSizeAllowed(1, 32768));
    EXPECT_FALSE(IsPictureSizeAllowed(0, 10));
    EXPECT_FALSE(IsPictureSizeAllowed(10, 0));
    EXPECT_FALSE(IsPictureSizeAllowed(-3, 10));
    EXPECT_FALSE(IsPictureSizeAllowed(int64_t(1) << 40, int64_t(1) << 40));
}

TEST(ImageData, save_writes_bottom_up_bgr_rows_with_zero_padding)
{
    QImage bitmap(2, 3, QImage::Format_RGB32);
    for (int i = 0; i < 6; ++i)
        bitmap.setPixel(i % 2, i / 2, qRgb(10 * i + 1, 10 * i + 2, 10 * i + 3));

    std::vector<BYTE> buffer(24, 0xEE);
    ASSERT_TRUE(SavePicture2(&bitmap, DWORD(buffer.size()), buffer.data()));
    // Blue, green, red; the bottom row first; two zero bytes end each row of 8.
    EXPECT_EQ(buffer, (std::vector<BYTE>{43, 42, 41, 53, 52, 51, 0, 0,
                                         23, 22, 21, 33, 32, 31, 0, 0,
                                         3, 2, 1, 13, 12, 11, 0, 0}));

    // Alpha and the pixel format of the bitmap make no difference.
    const QImage argb = bitmap.convertToFormat(QImage::Format_ARGB32);
    std::vector<BYTE> again(24, 0xEE);
    ASSERT_TRUE(SavePicture2(&argb, DWORD(again.size()), again.data()));
    EXPECT_EQ(again, buffer);
}

TEST(ImageData, open_reads_bottom_up_bgr_rows)
{
    const std::vector<BYTE> data{43, 42, 41, 53, 52, 51, 0xEE, 0xEE,
                                 23, 22, 21, 33, 32, 31, 0xEE, 0xEE,
                                 3, 2, 1, 13, 12, 11, 0xEE, 0xEE};
    const QImage bitmap = OpenPicture(2, 3, DWORD(data.size()), data.data());
    ASSERT_EQ(bitmap.size(), QSize(2, 3));
    EXPECT_EQ(bitmap.format(), QImage::Format_RGB32);
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(bitmap.pixel(i % 2, i / 2), qRgb(10 * i + 1, 10 * i + 2, 10 * i + 3));
    }
}

TEST(ImageData, round_trip_keeps_every_pixel)
{
    ScriptedPrompts prompts;
    // Widths with each amount of row padding, and a single row and column.
    for (auto [width, height] : {std::pair{4, 3}, {5, 4}, {6, 2}, {7, 5}, {1, 9}, {9, 1}}) {
        SCOPED_TRACE(width);
        const QImage bitmap = PatternBitmap(width, height);
        DWORD size = 0;
        ASSERT_TRUE(SavePicture1(&bitmap, &size));
        std::vector<BYTE> data(size);
        ASSERT_TRUE(SavePicture2(&bitmap, size, data.data()));
        const QImage back = OpenPicture(width, height, size, data.data());
        ASSERT_EQ(back.size(), bitmap.size());
        EXPECT_EQ(back, bitmap);
    }
    EXPECT_TRUE(prompts.Messages().empty());
}

TEST(ImageData, missing_bitmap_is_a_parameter_error)
{
    ScriptedPrompts prompts;
    const QImage null;
    DWORD size = 77;
    BYTE buffer[16] = {};
    EXPECT_FALSE(SavePicture1(nullptr, &size));
    EXPECT_FALSE(SavePicture1(&null, &size));
    EXPECT_EQ(size, 77u);
    EXPECT_FALSE(SavePicture2(nullptr, sizeof buffer, buffer));
    EXPECT_FALSE(SavePicture2(&null, sizeof buffer, buffer));

    ASSERT_EQ(prompts.Messages().size(), 4u);
    const char* captions[] = {"SavePicture1", "SavePicture1", "SavePicture2", "SavePicture2"};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(prompts.Messages()[i].text, "Function parameter error");
        EXPECT_EQ(prompts.Messages()[i].caption, captions[i]);
    }
}

TEST(ImageData, save_into_a_short_or_missing_buffer_fails_silently)
{
    ScriptedPrompts prompts;
    const QImage bitmap = PatternBitmap(3, 2);  // 12 bytes a row
    std::vector<BYTE> buffer(24, 0xEE);
    EXPECT_FALSE(SavePicture2(&bitmap, 23, buffer.data()));
    EXPECT_FALSE(SavePicture2(&bitmap, 24, nullptr));
    EXPECT_EQ(buffer, std::vector<BYTE>(24, 0xEE));
    EXPECT_TRUE(SavePicture2(&bitmap, 24, buffer.data()));
    EXPECT_TRUE(prompts.Messages().empty());
}

TEST(ImageData, open_with_too_little_data_is_reported)
{
    ScriptedPrompts prompts;
    const std::vector<BYTE> data(24, 0x40);
    EXPECT_TRUE(OpenPicture(2, 3, 23, data.data()).isNull());
    EXPECT_TRUE(OpenPicture(2, 3, 24, nullptr).isNull());
    EXPECT_TRUE(OpenPicture(-2, 3, 24, data.data()).isNull());

    ASSERT_EQ(prompts.Messages().size(), 3u);
    for (const ScriptedPrompts::Message& message : prompts.Messages()) {
        EXPECT_EQ(message.text, "Too small buffer size");
        EXPECT_EQ(message.caption, "OpenPicture");
    }
    // Just enough data is fine.
    const QImage bitmap = OpenPicture(2, 3, 24, data.data());
    EXPECT_EQ(bitmap.size(), QSize(2, 3));
    EXPECT_EQ(bitmap.pixel(1, 2), qRgb(0x40, 0x40, 0x40));
    EXPECT_EQ(prompts.Messages().size(), 3u);
}

}  // namespace
