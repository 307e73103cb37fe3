#include "platform/ColorRef.h"
#include "platform/RasterOp.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

TEST(ColorRef, colorref_low_byte_is_red)
{
    constexpr COLORREF c = RGB(0x12, 0x34, 0x56);
    EXPECT_EQ(c, 0x00563412u);
    EXPECT_EQ(GetRValue(c), 0x12);
    EXPECT_EQ(GetGValue(c), 0x34);
    EXPECT_EQ(GetBValue(c), 0x56);
}

TEST(ColorRef, converts_to_opaque_qrgb_and_back)
{
    EXPECT_EQ(ColorRefToQRgb(RGB(0x12, 0x34, 0x56)), 0xFF123456u);
    EXPECT_EQ(ColorRefToQRgb(0x00000000u), 0xFF000000u);
    // The alpha byte of a QRgb never reaches a COLORREF.
    EXPECT_EQ(QRgbToColorRef(0x80ABCDEFu), 0x00EFCDABu);
    EXPECT_EQ(QRgbToColorRef(ColorRefToQRgb(0x00C0FFEEu)), 0x00C0FFEEu);
}

// Pen 0xCC and destination 0xAA in every byte hold all four bit pairs, so each result byte
// is the operation's truth table; binary operation n gives 0x11 * (n - 1).
TEST(RasterOp, binary_ops_follow_their_truth_tables)
{
    const std::pair<RasterOp, COLORREF> expected[] = {
        {R2_BLACK, 0x000000},      {R2_NOTMERGEPEN, 0x111111}, {R2_MASKNOTPEN, 0x222222},
        {R2_NOTCOPYPEN, 0x333333}, {R2_MASKPENNOT, 0x444444},  {R2_NOT, 0x555555},
        {R2_XORPEN, 0x666666},     {R2_NOTMASKPEN, 0x777777},  {R2_MASKPEN, 0x888888},
        {R2_NOTXORPEN, 0x999999},  {R2_NOP, 0xAAAAAA},         {R2_MERGENOTPEN, 0xBBBBBB},
        {R2_COPYPEN, 0xCCCCCC},    {R2_MERGEPENNOT, 0xDDDDDD}, {R2_MERGEPEN, 0xEEEEEE},
        {R2_WHITE, 0xFFFFFF},
    };
    for (const auto& [op, result] : expected)
        EXPECT_EQ(combine(op, 0xCCCCCC, 0xAAAAAA), result) << "operation " << int(op);
}

TEST(RasterOp, binary_ops_combine_each_channel_on_its_own)
{
    const COLORREF pen = RGB(0xFF, 0x00, 0xF0);
    const COLORREF dst = RGB(0x0F, 0xFF, 0x3C);
    EXPECT_EQ(combine(R2_MASKPEN, pen, dst), RGB(0x0F, 0x00, 0x30));
    EXPECT_EQ(combine(R2_NOTXORPEN, pen, dst), RGB(0x0F, 0x00, 0x33));
    EXPECT_EQ(combine(R2_XORPEN, pen, dst), RGB(0xF0, 0xFF, 0xCC));
    EXPECT_EQ(combine(R2_COPYPEN, pen, dst), pen);
    // Results are COLORREFs: the top byte stays clear even where every bit is set.
    EXPECT_EQ(combine(R2_WHITE, pen, dst), 0x00FFFFFFu);
    EXPECT_EQ(combine(R2_NOTXORPEN, 0, 0), 0x00FFFFFFu);
}

// Pattern 0xF0, source 0xCC and destination 0xAA in every byte hold all eight bit triples,
// so each result byte is the operation's index byte.
TEST(RasterOp, ternary_ops_follow_their_truth_tables)
{
    const std::pair<DWORD, COLORREF> expected[] = {
        {SRCCOPY, 0xCCCCCC},    {SRCPAINT, 0xEEEEEE}, {SRCAND, 0x888888},    {SRCINVERT, 0x666666},
        {NOTSRCCOPY, 0x333333}, {PATCOPY, 0xF0F0F0},  {PATINVERT, 0x5A5A5A}, {DSTINVERT, 0x555555},
        {BLACKNESS, 0x000000},  {WHITENESS, 0xFFFFFF},
    };
    for (const auto& [rop, result] : expected)
        EXPECT_EQ(combineTernary(rop, 0xF0F0F0, 0xCCCCCC, 0xAAAAAA), result) << std::hex << rop;
}

TEST(RasterOp, ternary_ops_combine_each_channel_on_its_own)
{
    const COLORREF src = RGB(0xFF, 0x0F, 0x00);
    const COLORREF dst = RGB(0x12, 0x34, 0x56);
    EXPECT_EQ(combineTernary(SRCAND, 0, src, dst), RGB(0x12, 0x04, 0x00));
    EXPECT_EQ(combineTernary(SRCPAINT, 0, src, dst), RGB(0xFF, 0x3F, 0x56));
    EXPECT_EQ(combineTernary(PATINVERT, RGB(0xFF, 0x00, 0x0F), src, dst), RGB(0xED, 0x34, 0x59));
    EXPECT_EQ(combineTernary(DSTINVERT, 0x123456, src, dst), RGB(0xED, 0xCB, 0xA9));
    EXPECT_EQ(combineTernary(PATCOPY, RGB(1, 2, 3), src, dst), RGB(1, 2, 3));
}

}  // namespace
