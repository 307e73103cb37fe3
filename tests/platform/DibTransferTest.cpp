#include "SurfaceTestSupport.h"
#include "ScriptedPrompts.h"
#include "platform/DibTransfer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(DibTransfer, erase_info_size_pads_each_row_to_four_bytes)
{
    const DrawingSurface dc;
    // {width, padded row bytes}
    for (auto [width, rowBytes] : {std::pair{1, 4}, {2, 8}, {3, 12}, {4, 12}, {5, 16}, {7, 24}}) {
        SCOPED_TRACE(width);
        const QImage bitmap = DrawingSurface::CreateBitmap(width, 3);
        BITMAPINFOHEADER info;
        DWORD size = 0;
        ASSERT_TRUE(GetEraseInfo(&dc, &bitmap, info, size));
        EXPECT_EQ(size, DWORD(rowBytes * 3));
        EXPECT_EQ(info.biSizeImage, size);
        EXPECT_EQ(info.biWidth, width);
        EXPECT_EQ(info.biHeight, 3);
        EXPECT_EQ(info.biBitCount, 24);
    }
}

TEST(DibTransfer, transfer_writes_bottom_up_bgr_rows)
{
    DrawingSurface dc = FilledSurface(3, 2);
    for (int i = 0; i < 6; ++i)
        dc.SetPixel(i % 3, i / 3, RGB(3 * i + 1, 3 * i + 2, 3 * i + 3));
    const QImage bitmap = dc.Bitmap();

    std::vector<BYTE> buffer(24, 0xEE);
    ASSERT_TRUE(MemoryTransferToBuffer(&dc, &bitmap, DWORD(buffer.size()), buffer.data()));
    // Each row is 9 bytes of pixels and 3 of padding; the bottom row comes first.
    EXPECT_EQ(std::vector<BYTE>(buffer.begin(), buffer.begin() + 9),
              (std::vector<BYTE>{12, 11, 10, 15, 14, 13, 18, 17, 16}));
    EXPECT_EQ(std::vector<BYTE>(buffer.begin() + 12, buffer.begin() + 21),
              (std::vector<BYTE>{3, 2, 1, 6, 5, 4, 9, 8, 7}));

    // Another pixel format gives the same bytes.
    const QImage argb = bitmap.convertToFormat(QImage::Format_ARGB32);
    std::vector<BYTE> again(24, 0xEE);
    ASSERT_TRUE(MemoryTransferToBuffer(&dc, &argb, DWORD(again.size()), again.data()));
    EXPECT_EQ(again, buffer);
}

TEST(DibTransfer, transfer_fails_for_a_short_or_null_buffer_or_an_empty_bitmap)
{
    ScriptedPrompts prompts;
    const DrawingSurface dc;
    const QImage bitmap = DrawingSurface::CreateBitmap(5, 4);  // 16 bytes a row
    const QImage empty, noRows = DrawingSurface::CreateBitmap(5, 0);
    std::vector<BYTE> buffer(64, 0xEE);
    EXPECT_FALSE(MemoryTransferToBuffer(&dc, &bitmap, 63, buffer.data()));
    EXPECT_FALSE(MemoryTransferToBuffer(&dc, &bitmap, 64, nullptr));
    EXPECT_FALSE(MemoryTransferToBuffer(&dc, &empty, 64, buffer.data()));
    EXPECT_FALSE(MemoryTransferToBuffer(&dc, &noRows, 64, buffer.data()));
    EXPECT_EQ(buffer, std::vector<BYTE>(64, 0xEE));
    EXPECT_TRUE(MemoryTransferToBuffer(&dc, &bitmap, 64, buffer.data()));
    // These are ordinary failures, not parameter errors.
    EXPECT_TRUE(prompts.Messages().empty());
}

TEST(DibTransfer, null_surface_or_bitmap_reports_a_parameter_error)
{
    ScriptedPrompts prompts;
    const DrawingSurface dc;
    const QImage bitmap = DrawingSurface::CreateBitmap(2, 2);
    BITMAPINFOHEADER info;
    DWORD size = 0;
    BYTE buffer[16] = {};
    EXPECT_FALSE(GetEraseInfo(nullptr, &bitmap, info, size));
    EXPECT_FALSE(GetEraseInfo(&dc, nullptr, info, size));
    EXPECT_FALSE(MemoryTransferToBuffer(nullptr, &bitmap, sizeof buffer, buffer));
    EXPECT_FALSE(MemoryTransferToBuffer(&dc, nullptr, sizeof buffer, buffer));

    std::vector<std::pair<QString, QString>> shown;
    for (const auto& message : prompts.Messages())
        shown.emplace_back(message.text, message.caption);
    const std::vector<std::pair<QString, QString>> expected = {
        {"Function parameter error", "GetEraseInfo"},
        {"Function parameter error", "GetEraseInfo"},
        {"Function parameter error", "MemoryTransferToBuffer"},
        {"Function parameter error", "MemoryTransferToBuffer"},
    };
    EXPECT_EQ(shown, expected);
}

}  // namespace
