// The sheets of a page drawn onto small images, pixel by pixel: which band of the page each
// sheet shows and where, and the desktop-mode sheet.

#include "canvas/PagePrinter.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// Rows of colour: rows[i] fills row i of a surface width pixels wide.
DrawingSurface Striped(int width, const std::vector<COLORREF>& rows)
{
    DrawingSurface dc(DrawingSurface::CreateBitmap(width, int(rows.size())));
    for (int y = 0; y < int(rows.size()); ++y)
        dc.FillSolidRect(CRect(0, y, width, y + 1), rows[y]);
    return dc;
}

// One letter a row, taken from its first pixel: r red, b blue, . white, ? else; the row must be
// of one colour throughout, or it shows as '!'.
std::string Rows(const QImage& sheet)
{
    std::string text;
    for (int y = 0; y < sheet.height(); ++y) {
        const QRgb first = sheet.pixel(0, y);
        bool even = true;
        for (int x = 1; x < sheet.width(); ++x)
            even = even && sheet.pixel(x, y) == first;
        const QRgb rgb = first & 0xFFFFFF;
        text += !even ? '!' : rgb == 0xFF0000 ? 'r' : rgb == 0x0000FF ? 'b' : rgb == 0xFFFFFF ? '.' : '?';
    }
    return text;
}

QImage Sheet(int width, int height)
{
    QImage sheet(width, height, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    return sheet;
}

TEST(PagePrinter, the_page_prints_on_as_many_sheets_as_it_has_whole_units)
{
    EXPECT_EQ(PagePrinter::MaxPage(CRect(0, 0, 1024, 1365)), 1);
    EXPECT_EQ(PagePrinter::MaxPage(CRect(0, 0, 1024, 3 * 1365)), 3);
    EXPECT_EQ(PagePrinter::MaxPage(CRect(0, 0, 1024, 1000)), 0);
    EXPECT_EQ(PagePrinter::PageUnit(CRect(0, 0, 1366, 1821)), 1821);
}

TEST(PagePrinter, each_sheet_shows_its_band_stretched_over_the_draw_area)
{
    // Two bands of two rows: red, then blue with a red last row.
    const DrawingSurface page = Striped(3, {kRed, kRed, kBlue, kRed});
    const PagePrinter sheets(page, 2);
    for (bool preview : {false, true}) {
        QImage first = Sheet(6, 8), second = Sheet(6, 8);
        QPainter one(&first), two(&second);
        sheets.OnPrint(one, QRect(0, 0, 6, 8), 1, preview);
        sheets.OnPrint(two, QRect(0, 0, 6, 8), 2, preview);
        one.end();
        two.end();
        EXPECT_EQ(Rows(first), "rrrrrrrr");
        EXPECT_EQ(Rows(second), "bbbbrrrr");
    }
}

TEST(PagePrinter, a_short_last_band_leaves_the_rest_of_its_sheet_blank)
{
    const DrawingSurface page = Striped(2, {kRed, kRed, kRed, kRed, kBlue, kBlue});
    const PagePrinter sheets(page, 4);
    QImage sheet = Sheet(4, 8);
    QPainter dc(&sheet);
    sheets.OnPrint(dc, QRect(0, 0, 4, 8), 2, true);
    dc.end();
    EXPECT_EQ(Rows(sheet), "bbbb....");
}

TEST(PagePrinter, the_desktop_sheet_is_the_screen_at_full_width_200_units_down)
{
    // A screen 4 wide and 2 high, printed 8 wide: 4 rows high from row 200.
    DrawingSurface screen = Striped(4, {kBlue, kRed});
    QImage sheet = Sheet(8, 210);
    QPainter dc(&sheet);
    PagePrinter::PrintScreenSheet(dc, QRect(0, 0, 8, 210), screen, false);
    dc.end();
    EXPECT_EQ(Rows(sheet), std::string(200, '.') + "bbrr" + std::string(6, '.'));
}

}  // namespace
