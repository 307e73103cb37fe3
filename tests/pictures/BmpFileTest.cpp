#include "BmpBuilder.h"
#include "pictures/BmpFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <climits>
#include <string>
#include <vector>

namespace {

const QRgb kRed = qRgb(255, 0, 0), kGreen = qRgb(0, 255, 0), kBlue = qRgb(0, 0, 255);
const QRgb kBlack = qRgb(0, 0, 0), kWhite = qRgb(255, 255, 255);

QString DataFile(const char* name)
{
    return QStringLiteral(INKLEAF_TEST_DATA "/data/") + QLatin1String(name);
}

// Decodes file, which must be taken as a BMP file.
BmpFileImage Decoded(const QByteArray& file)
{
    BmpFileImage image;
    EXPECT_EQ(DecodeBmp(file, image), BmpLoad::Loaded);
    return image;
}

// The pixels of a bitmap, row by row from the top.
std::vector<std::vector<QRgb>> PixelsOf(const QImage& bitmap)
{
    std::vector<std::vector<QRgb>> rows(bitmap.height());
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x)
            rows[y].push_back(bitmap.pixel(x, y));
    return rows;
}

// 256 colours, each telling its index apart from every other.
std::vector<QRgb> RampPalette()
{
    std::vector<QRgb> palette;
    for (int i = 0; i < 256; ++i)
        palette.push_back(qRgb(i, 255 - i, (i * 7) & 0xFF));
    return palette;
}

TEST(BmpFile, eight_bit_table_without_colour_count_holds_256_colours)
{
    const std::vector<QRgb> palette = RampPalette();
    BmpParts parts{.width = 3, .height = 2, .bitCount = 8, .palette = palette,
                   .rows = {{0, 1, 2}, {200, 254, 255}}};
    // With no usable pixel offset the pixels follow the 40-byte header and 256 colours.
    parts.offBits = 0;
    const QByteArray file = BuildBmp(parts);
    const BmpFileImage image = Decoded(file);

    EXPECT_EQ(image.info.biClrUsed, 256u);
    EXPECT_EQ(image.info.biSizeImage, 6u);  // width × height
    EXPECT_EQ(image.info.biWidth, 3);
    EXPECT_EQ(image.info.biHeight, 2);
    EXPECT_EQ(image.info.biBitCount, 8);
    // The kept block is the file after its header, with both counts written in.
    ASSERT_EQ(image.block.size(), file.size() - 14);
    EXPECT_EQ(DwordAt(image.block, 32), 256u);
    EXPECT_EQ(DwordAt(image.block, 20), 6u);
    EXPECT_EQ(image.block.left(20), file.mid(14, 20));
    EXPECT_EQ(image.block.mid(24, 8), file.mid(38, 8));
    EXPECT_EQ(image.block.mid(36), file.mid(50));

    ASSERT_EQ(image.bitmap.size(), QSize(3, 2));
    EXPECT_EQ(image.bitmap.format(), QImage::Format_RGB32);
    EXPECT_EQ(PixelsOf(image.bitmap), (std::vector<std::vector<QRgb>>{
                                          {palette[200], palette[254], palette[255]},
                                          {palette[0], palette[1], palette[2]}}));
}

TEST(BmpFile, counts_given_by_the_header_are_kept)
{
    const BmpParts parts{.width = 2, .height = 1, .bitCount = 8, .sizeImage = 4, .clrUsed = 2,
                         .palette = {kRed, kGreen}, .offBits = 0, .rows = {{1, 5}}};
    const QByteArray file = BuildBmp(parts);
    const BmpFileImage image = Decoded(file);
    EXPECT_EQ(image.info.biClrUsed, 2u);
    EXPECT_EQ(image.info.biSizeImage, 4u);
    EXPECT_EQ(image.block, file.mid(14));
    // Pixels at 40 + 2 × 4; index 5 is past the two colours and reads black.
    EXPECT_EQ(PixelsOf(image.bitmap), (std::vector<std::vector<QRgb>>{{kGreen, kBlack}}));

    // No colour table for 24 bits: the count stays 0 and the pixels follow the header.
    const BmpFileImage rgb = Decoded(BuildBmp({.width = 1, .height = 1, .offBits = 0, .rows = {{3, 2, 1}}}));
    EXPECT_EQ(rgb.info.biClrUsed, 0u);
    EXPECT_EQ(DwordAt(rgb.block, 32), 0u);
    EXPECT_EQ(PixelsOf(rgb.bitmap), (std::vector<std::vector<QRgb>>{{qRgb(1, 2, 3)}}));
}

TEST(BmpFile, rows_are_bottom_up_unless_the_height_is_negative)
{
    // Three 24-bit pixels a row, padded to 12 bytes.
    const std::vector<std::vector<BYTE>> rows{{1, 2, 3, 4, 5, 6, 7, 8, 9},
                                              {11, 12, 13, 14, 15, 16, 17, 18, 19}};
    const std::vector<QRgb> first{qRgb(3, 2, 1), qRgb(6, 5, 4), qRgb(9, 8, 7)};
    const std::vector<QRgb> second{qRgb(13, 12, 11), qRgb(16, 15, 14), qRgb(19, 18, 17)};

    const BmpFileImage bottomUp = Decoded(BuildBmp({.width = 3, .height = 2, .rows = rows}));
    EXPECT_EQ(PixelsOf(bottomUp.bitmap), (std::vector<std::vector<QRgb>>{second, first}));

    const BmpFileImage topDown = Decoded(BuildBmp({.width = 3, .height = -2, .rows = rows}));
    EXPECT_EQ(topDown.info.biHeight, -2);
    ASSERT_EQ(topDown.bitmap.size(), QSize(3, 2));
    EXPECT_EQ(PixelsOf(topDown.bitmap), (std::vector<std::vector<QRgb>>{first, second}));
}

TEST(BmpFile, one_and_four_bit_pixels_index_the_table_from_the_high_bits)
{
    // Ten pixels over two bytes of one bit each.
    const BmpFileImage mono = Decoded(BuildBmp({.width = 10, .height = 1, .bitCount = 1,
                                                .palette = {kWhite, kBlue},
                                                .rows = {{0b1011'0000, 0b0100'0000}}}));
    EXPECT_EQ(mono.info.biClrUsed, 2u);
    EXPECT_EQ(DwordAt(mono.block, 32), 2u);
    std::string seen;
    for (int x = 0; x < mono.bitmap.width(); ++x)
        seen += mono.bitmap.pixel(x, 0) == kBlue ? '#' : mono.bitmap.pixel(x, 0) == kWhite ? '.' : '?';
    EXPECT_EQ(seen, "#.##.....#");

    // Three pixels over two bytes of four bits each; 16 colours.
    const std::vector<QRgb> ramp = RampPalette();
    const std::vector<QRgb> sixteen(ramp.begin(), ramp.begin() + 16);
    const BmpFileImage nibbles = Decoded(BuildBmp({.width = 3, .height = 1, .bitCount = 4,
                                                   .palette = sixteen, .rows = {{0x1F, 0x70}}}));
    EXPECT_EQ(nibbles.info.biClrUsed, 16u);
    EXPECT_EQ(PixelsOf(nibbles.bitmap),
              (std::vector<std::vector<QRgb>>{{sixteen[1], sixteen[15], sixteen[7]}}));
}

TEST(BmpFile, sixteen_bits_are_5_5_5_or_as_the_masks_say)
{
    // 0x7C00 red, 0x03E0 green, 0x001F blue, the top bit unused.
    const BmpFileImage plain = Decoded(BuildBmp({.width = 5, .height = 1, .bitCount = 16,
                                                 .rows = {{0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00,
                                                           0x01, 0x80, 0x10, 0x42}}}));
    EXPECT_EQ(PixelsOf(plain.bitmap),
              (std::vector<std::vector<QRgb>>{{kRed, kGreen, kBlue, qRgb(0, 0, 8), qRgb(132, 132, 132)}}));

    // 5-6-5 masks right after the header; six bits of green.
    BmpParts masked{.width = 4, .height = 1, .bitCount = 16, .compression = 3,
                    .masks = {0xF800, 0x07E0, 0x001F},
                    .rows = {{0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0x20, 0x00}}};
    const std::vector<std::vector<QRgb>> expected{{kRed, kGreen, kBlue, qRgb(0, 4, 0)}};
    EXPECT_EQ(PixelsOf(Decoded(BuildBmp(masked)).bitmap), expected);
    // Without a usable pixel offset the masks are still stepped over.
    masked.offBits = 0;
    EXPECT_EQ(PixelsOf(Decoded(BuildBmp(masked)).bitmap), expected);
}

TEST(BmpFile, thirty_two_bits_are_bgrx_or_as_the_masks_say)
{
    const BmpFileImage plain = Decoded(BuildBmp({.width = 2, .height = 1, .bitCount = 32,
                                                 .rows = {{1, 2, 3, 0xFF, 0xFE, 0x80, 0x00, 0x00}}}));
    EXPECT_EQ(PixelsOf(plain.bitmap), (std::vector<std::vector<QRgb>>{{qRgb(3, 2, 1), qRgb(0, 0x80, 0xFE)}}));

    // Red in the low byte, blue in the third.
    const BmpFileImage masked = Decoded(BuildBmp({.width = 2, .height = 1, .bitCount = 32, .compression = 3,
                                                  .masks = {0x000000FF, 0x0000FF00, 0x00FF0000},
                                                  .rows = {{1, 2, 3, 0xFF, 0xFE, 0x80, 0x00, 0x00}}}));
    EXPECT_EQ(PixelsOf(masked.bitmap), (std::vector<std::vector<QRgb>>{{qRgb(1, 2, 3), qRgb(0xFE, 0x80, 0)}}));
}

TEST(BmpFile, pixel_offset_of_the_file_header_steps_over_a_gap)
{
    const BmpFileImage rgb = Decoded(BuildBmp({.width = 1, .height = 2, .gap = 6,
                                               .rows = {{10, 20, 30}, {40, 50, 60}}}));
    EXPECT_EQ(PixelsOf(rgb.bitmap), (std::vector<std::vector<QRgb>>{{qRgb(60, 50, 40)}, {qRgb(30, 20, 10)}}));

    const BmpFileImage indexed = Decoded(BuildBmp({.width = 2, .height = 1, .bitCount = 8,
                                                   .palette = RampPalette(), .gap = 10, .rows = {{7, 9}}}));
    EXPECT_EQ(PixelsOf(indexed.bitmap), (std::vector<std::vector<QRgb>>{{RampPalette()[7], RampPalette()[9]}}));

    // An offset inside the info header or past the end of the file is not believed.
    for (DWORD offBits : {20u, 53u, 5000u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(offBits);
        const BmpFileImage image = Decoded(BuildBmp({.width = 1, .height = 1, .offBits = offBits,
                                                     .rows = {{10, 20, 30}}}));
        EXPECT_EQ(PixelsOf(image.bitmap), (std::vector<std::vector<QRgb>>{{qRgb(30, 20, 10)}}));
    }
}

TEST(BmpFile, decodes_like_qts_reader_for_layouts_both_read)
{
    // 13 × 7: every row needs padding at each bit count.
    const std::vector<QRgb> ramp = RampPalette();
    for (WORD bitCount : {1, 4, 8, 24, 32}) {
        for (LONG height : {7, -7}) {
            SCOPED_TRACE(std::to_string(bitCount) + " bits, height " + std::to_string(height));
            BmpParts parts{.width = 13, .height = height, .bitCount = bitCount};
            if (bitCount <= 8)
                parts.palette.assign(ramp.begin(), ramp.begin() + (1 << bitCount));
            unsigned seed = 12345;
            for (int y = 0; y < 7; ++y) {
                std::vector<BYTE> row((13 * bitCount + 7) / 8);
                for (BYTE& byte : row)
                    byte = BYTE((seed = seed * 1103515245u + 12345u) >> 16);
                parts.rows.push_back(row);
            }
            const QByteArray file = BuildBmp(parts);
            const QImage reference = QImage::fromData(file, "BMP").convertToFormat(QImage::Format_RGB32);
            ASSERT_FALSE(reference.isNull());
            EXPECT_EQ(PixelsOf(Decoded(file).bitmap), PixelsOf(reference));
        }
    }
}

TEST(BmpFile, run_length_and_old_headers_and_long_headers_are_read)
{
    BmpFileImage image;
    ASSERT_EQ(LoadBmpFile(DataFile("rle8_4x2.bmp"), image), BmpLoad::Loaded);
    EXPECT_EQ(image.info.biCompression, 1u);
    EXPECT_EQ(image.info.biClrUsed, 3u);
    EXPECT_EQ(PixelsOf(image.bitmap), (std::vector<std::vector<QRgb>>{{kRed, kRed, kRed, kRed},
                                                                      {kGreen, kGreen, kBlue, kBlue}}));

    ASSERT_EQ(LoadBmpFile(DataFile("core_2x2.bmp"), image), BmpLoad::Loaded);
    EXPECT_EQ(image.info.biSize, 12u);
    EXPECT_EQ(image.info.biWidth, 2);
    EXPECT_EQ(image.info.biHeight, 2);
    EXPECT_EQ(image.info.biBitCount, 24);
    EXPECT_EQ(image.block.size(), 12 + 16);
    EXPECT_EQ(PixelsOf(image.bitmap), (std::vector<std::vector<QRgb>>{{kRed, kWhite}, {kBlue, kGreen}}));

    // A 124-byte header carries its 5-6-5 masks inside.
    ASSERT_EQ(LoadBmpFile(DataFile("v5_565_3x1.bmp"), image), BmpLoad::Loaded);
    EXPECT_EQ(image.info.biSize, 124u);
    EXPECT_EQ(PixelsOf(image.bitmap), (std::vector<std::vector<QRgb>>{{kRed, kGreen, kBlue}}));
}

TEST(BmpFile, other_files_are_not_bmp_and_missing_ones_unreadable)
{
    const QByteArray valid = BuildBmp({.rows = {{1, 2, 3}}});
    QByteArray wrongMagic = valid;
    wrongMagic[1] = 'A';
    QByteArray swapped = valid;
    std::swap(swapped[0], swapped[1]);
    for (const QByteArray& file : {wrongMagic, swapped, valid.left(13), QByteArray("BM"), QByteArray()}) {
        SCOPED_TRACE(file.size());
        BmpFileImage image;
        image.block = "stale";
        EXPECT_EQ(DecodeBmp(file, image), BmpLoad::NotBmp);
        EXPECT_TRUE(image.bitmap.isNull());
        EXPECT_TRUE(image.block.isEmpty());
    }

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    BmpFileImage image;
    EXPECT_EQ(LoadBmpFile(dir.filePath("missing.bmp"), image), BmpLoad::Unreadable);
    EXPECT_EQ(LoadBmpFile(dir.path(), image), BmpLoad::Unreadable);  // a folder
    QFile written(dir.filePath("valid.bmp"));
    ASSERT_TRUE(written.open(QIODevice::WriteOnly));
    written.write(valid);
    written.close();
    ASSERT_EQ(LoadBmpFile(written.fileName(), image), BmpLoad::Loaded);
    EXPECT_EQ(PixelsOf(image.bitmap), (std::vector<std::vector<QRgb>>{{qRgb(3, 2, 1)}}));
}

TEST(BmpFile, every_truncation_takes_the_error_path)
{
    const QByteArray file = BuildBmp({.width = 3, .height = 2, .bitCount = 8, .palette = RampPalette(),
                                      .rows = {{0, 1, 2}, {3, 4, 5}}});
    ASSERT_FALSE(Decoded(file).bitmap.isNull());
    for (qsizetype length = 0; length < file.size(); ++length) {
        SCOPED_TRACE(length);
        BmpFileImage image;
        const BmpLoad result = DecodeBmp(file.left(length), image);
        EXPECT_EQ(result, length < 14 ? BmpLoad::NotBmp : BmpLoad::Loaded);
        EXPECT_TRUE(image.bitmap.isNull());
    }
}

TEST(BmpFile, damaged_headers_give_no_bitmap)
{
    const std::vector<BYTE> row{1, 2, 3};
    const std::vector<BmpParts> damaged{
        {.width = 0, .height = 1, .rows = {row}},
        {.width = -1, .height = 1, .rows = {row}},
        {.width = 1, .height = 0, .rows = {row}},
        {.width = 1, .height = INT_MIN, .rows = {row}},
        {.width = 100000, .height = 1, .rows = {row}},
        {.width = 1, .height = 40000, .rows = {row}},
        {.width = 32767, .height = 4096, .rows = {row}},  // allowed size, but no pixels for it
        {.width = 20000, .height = 20000, .rows = {row}},  // each side allowed, too many pixels
        {.width = 1, .height = 1, .bitCount = 8, .clrUsed = 0xFFFFFFFF, .rows = {row}},
        {.width = 1, .height = 1, .bitCount = 8, .rows = {row}},  // 256 colours missing
        {.width = 1, .height = 1, .bitCount = 16, .compression = 3, .rows = {}},  // no masks
        {.width = 1, .height = 1, .bitCount = 24, .compression = 3, .masks = {1, 2, 4}, .rows = {row}},
        {.width = 1, .height = 1, .bitCount = 24, .compression = 4, .rows = {row}},  // JPEG inside
        {.width = 1, .height = 1, .bitCount = 2, .rows = {row}},
        // Run-length pixels with no pixel offset to find them by.
        {.width = 4, .height = 2, .bitCount = 8, .compression = 1, .clrUsed = 3,
         .palette = {kRed, kGreen, kBlue}, .offBits = 0, .rows = {{2, 1, 2, 2, 0, 0, 4, 0, 0, 1}}},
        {.width = 1, .height = 1, .bitCount = 0, .rows = {row}},
    };
    for (size_t i = 0; i < damaged.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(Decoded(BuildBmp(damaged[i])).bitmap.isNull());
    }

    // Header sizes that do not fit: nothing of the header is taken.
    // The block is 44 bytes: the header and one padded row.
    for (DWORD size : {0u, 20u, 39u, 45u, 0xFFFFFFF0u}) {
        SCOPED_TRACE(size);
        QByteArray file = BuildBmp({.rows = {row}});
        qToLittleEndian<quint32>(size, file.data() + 14);
        const BmpFileImage image = Decoded(file);
        EXPECT_TRUE(image.bitmap.isNull());
        EXPECT_EQ(image.info.biSize, 0u);
        EXPECT_EQ(image.info.biWidth, 0);
        EXPECT_EQ(image.block, file.mid(14));
    }
}

}  // namespace
