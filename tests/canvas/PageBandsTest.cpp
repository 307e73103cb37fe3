// The page drawn in bands on several threads against the page drawn on one: every byte the
// same, for pencil, brush and marker strokes, pictures under them, and every zoom the page is
// drawn at.

#include "canvas/CanvasPage.h"
#include "canvas/PageBands.h"
#include "canvas/ZoomedPage.h"
#include "ink/CLines.h"
#include "pictures/CPictureList.h"

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>
#include <random>
#include <vector>

namespace {

constexpr WORD kPencil = 2;
constexpr WORD kBrush = 3;
constexpr WORD kMarker = 4;
const CRect kScreen(0, 0, 640, 480);  // a page of 640 × 853

// A stroke of loops from (x, y) rightwards, a sample every 3 pixels or so; widths run from
// low to high and back, as pressure does.
std::unique_ptr<CLine> Loops(WORD penType, LONG x, LONG y, double size, int points, SHORT maxWidth,
                             COLORREF color, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> jitter(0.8, 1.2);
    auto line = std::make_unique<CLine>();
    line->SetColor(color);
    line->SetPenType(penType, penType == kMarker ? 0 : 1);
    double theta = 0;
    const double radius = size / 2 * jitter(random);
    for (int i = 0; i < points; ++i) {
        const LONG px = x + LONG(std::lround(theta * size / 12 + radius * std::sin(theta)));
        const LONG py = y + LONG(std::lround(-radius * std::cos(theta)));
        const SHORT width = SHORT(std::lround(maxWidth * std::sin(3.14159 * (i + 1) / (points + 1))));
        line->AddPoint(px, py, width);
        theta += 3 / std::max(1.0, radius) * jitter(random);
    }
    return line;
}

// Pencil, brush and marker writing over the whole page and past its edges, strokes across
// every band edge, a dot, and two pictures under the ink, one partly off the page.
struct Note {
    CLines lines;
    CPictureList pictures;

    Note()
    {
        for (int i = 0; i < 3; ++i) {
            auto picture = std::make_unique<CPictureItem>();
            QImage bitmap(37 + i * 11, 23 + i * 7, QImage::Format_RGB32);
            for (int y = 0; y < bitmap.height(); ++y)
                for (int x = 0; x < bitmap.width(); ++x)
                    bitmap.setPixel(x, y, qRgb(x * 7 % 256, y * 11 % 256, (x + y) * 5 % 256));
            EXPECT_TRUE(picture->SetBitmap(bitmap, bitmap.width(), bitmap.height()));
            picture->SetRect(i == 2 ? CRect(500, 700, 760, 900) : CRect(40 + i * 200, 60 + i * 250, 330 + i * 200, 290 + i * 250));
            pictures.Add(std::move(picture));
        }
        unsigned seed = 1;
        for (LONG y = -10; y < 880; y += 37) {
            for (LONG x = -20; x < 640; x += 150) {
                const WORD pen = seed % 5 == 0 ? kMarker : seed % 2 == 0 ? kBrush : kPencil;
                const SHORT width = pen == kMarker ? SHORT(8 + seed % 25) : pen == kBrush ? 255 : 160;
                const COLORREF color = RGB(seed * 37 % 256, seed * 91 % 200, 255 - seed * 13 % 256);
                lines.Add(Loops(pen, x, y, 24 + double(seed % 30), 40 + int(seed % 60), width, color, seed));
                ++seed;
            }
        }
        // Long strokes down the page cross every band edge; one stroke is a single dot.
        lines.Add(Loops(kBrush, 100, -30, 400, 900, 255, RGB(200, 30, 30), 77));
        lines.Add(Loops(kMarker, 300, 0, 300, 700, 40, RGB(250, 250, 40), 78));
        auto dot = std::make_unique<CLine>();
        dot->SetPenType(kBrush, 1);
        dot->AddPoint(320, 426, 255);
        lines.Add(std::move(dot));
    }
};

// How many pixels of two pictures of the same size differ; -1 when the sizes differ.
long long DifferingPixels(const QImage& a, const QImage& b)
{
    if (a.size() != b.size() || a.format() != b.format())
        return -1;
    long long differing = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* ra = reinterpret_cast<const quint32*>(a.constScanLine(y));
        const auto* rb = reinterpret_cast<const quint32*>(b.constScanLine(y));
        if (std::memcmp(ra, rb, size_t(a.width()) * 4) == 0)
            continue;
        for (int x = 0; x < a.width(); ++x)
            differing += ra[x] != rb[x];
    }
    return differing;
}

// Rows of each seventh of the picture that differ from the bare page: ink and pictures in
// every band of the finest cut, so that each band has something to draw.
std::vector<long long> ChangedPerSeventh(const QImage& drawn, const QImage& bare)
{
    std::vector<long long> changed(7, 0);
    for (int y = 0; y < drawn.height(); ++y) {
        const auto* rd = reinterpret_cast<const quint32*>(drawn.constScanLine(y));
        const auto* rb = reinterpret_cast<const quint32*>(bare.constScanLine(y));
        for (int x = 0; x < drawn.width(); ++x)
            changed[size_t(y * 7 / drawn.height())] += rd[x] != rb[x];
    }
    return changed;
}

class PageBandsTest : public ::testing::Test {
protected:
    Note note;
    CanvasPage page{kScreen};

    void SetUp() override { page.SetContent(&note.lines, &note.pictures); }

    QImage Drawn(int bands)
    {
        page.DrawRuledLines(true, bands);
        return page.Surface().Bitmap().copy();
    }
};

TEST_F(PageBandsTest, the_page_in_bands_is_the_page_drawn_on_one_thread)
{
    page.DrawRuledLines(false);
    const QImage bare = page.Surface().Bitmap().copy();
    const QImage one = Drawn(1);
    for (long long changed : ChangedPerSeventh(one, bare))
        EXPECT_GT(changed, 5000);
    for (int bands : {2, 3, 7, 16})
        EXPECT_EQ(DifferingPixels(Drawn(bands), one), 0) << bands << " bands";
}

// What a window showing the page as it fills is told: the ruled page, then each band as soon as
// its rows hold their final pixels, until the whole page is there.
TEST_F(PageBandsTest, each_band_is_shown_as_soon_as_its_rows_are_final)
{
    const QImage final = Drawn(1);
    page.DrawRuledLines(false);
    const QImage bare = page.Surface().Bitmap().copy();
    std::vector<CRect> told;
    long long wrongRows = 0;
    page.SetBandDrawnHandler([&](const CRect& part) {
        told.push_back(part);
        const QImage& now = page.Surface().Bitmap();
        const QImage& want = told.size() == 1 ? bare : final;
        for (LONG y = part.top; y < part.bottom; ++y)
            wrongRows += std::memcmp(now.constScanLine(y), want.constScanLine(y), size_t(now.width()) * 4) != 0;
    });
    page.DrawRuledLines(true, 5);
    page.SetBandDrawnHandler({});
    ASSERT_EQ(told.size(), 6u);
    EXPECT_EQ(told.front(), page.PageRect());
    std::sort(told.begin() + 1, told.end(), [](const CRect& a, const CRect& b) { return a.top < b.top; });
    EXPECT_EQ(told[1].top, 0);
    EXPECT_EQ(told.back().bottom, page.PageHeight());
    for (size_t i = 1; i + 1 < told.size(); ++i)
        EXPECT_EQ(told[i].bottom, told[i + 1].top);
    EXPECT_EQ(wrongRows, 0);
}

TEST_F(PageBandsTest, a_redrawn_rectangle_in_bands_is_the_rectangle_drawn_on_one_thread)
{
    const CRect area(30, 45, 610, 800);
    page.DrawRuledLines(true, 1);
    page.RedrawPageRect(area, 1);
    const QImage one = page.Surface().Bitmap().copy();
    for (int bands : {2, 3, 7}) {
        page.DrawRuledLines(true, 1);
        page.RedrawPageRect(area, bands);
        EXPECT_EQ(DifferingPixels(page.Surface().Bitmap(), one), 0) << bands << " bands";
    }
}

TEST_F(PageBandsTest, the_zoomed_page_in_bands_is_the_zoomed_page_drawn_on_one_thread)
{
    const PageSettings settings = page.GetPageSettings();
    for (int zoom : {2, 4}) {
        DrawingSurface one;
        ASSERT_TRUE(ZoomedPage::Draw(settings, note.pictures, note.lines, zoom, one, 1));
        long long inked = 0;
        for (int y = 0; y < one.DeviceHeight(); y += zoom)
            for (int x = 0; x < one.DeviceWidth(); x += zoom)
                inked += one.GetPixel(x, y) != settings.background && one.GetPixel(x, y) != settings.lineColor;
        EXPECT_GT(inked, 100000) << "zoom " << zoom;
        for (int bands : {2, 3, 7}) {
            DrawingSurface banded;
            ASSERT_TRUE(ZoomedPage::Draw(settings, note.pictures, note.lines, zoom, banded, bands));
            EXPECT_EQ(DifferingPixels(banded.Bitmap(), one.Bitmap()), 0) << "zoom " << zoom << ", " << bands << " bands";
        }
    }
}

TEST(PageBands, bands_cover_the_area_once_with_their_edges_between_zoomed_pixels)
{
    DrawingSurface dc(DrawingSurface::CreateBitmap(50, 1000));
    dc.SetViewportOrg(0, -100);
    std::mutex mutex;
    std::vector<CRect> drawnOn;  // what each part could draw on, logical
    std::vector<CRect> reported;
    PageBands::Draw(
        dc, CRect(0, 102, 50, 1002), 7, 4,
        [&](DrawingSurface& part, const CRect& band) {
            part.FillSolidRect(CRect(0, 0, 50, 2000), RGB(1, 2, 3));  // stays within the band
            const CRect clip = part.DeviceClipRect();
            const std::lock_guard lock(mutex);
            drawnOn.push_back(CRect(clip.left, clip.top + 100, clip.right, clip.bottom + 100));
            EXPECT_EQ(drawnOn.back(), band);
        },
        [&](const CRect& band) { reported.push_back(band); });
    ASSERT_EQ(reported.size(), 7u);
    std::sort(reported.begin(), reported.end(), [](const CRect& a, const CRect& b) { return a.top < b.top; });
    EXPECT_EQ(reported.front().top, 102);
    EXPECT_EQ(reported.back().bottom, 1002);
    for (size_t i = 0; i + 1 < reported.size(); ++i) {
        EXPECT_EQ(reported[i].bottom, reported[i + 1].top);
        EXPECT_EQ(reported[i].bottom % 4, 0) << reported[i].bottom;
    }
    // Logical rows 102..1001 are filled (bitmap rows 2..901), and no others.
    EXPECT_EQ(dc.GetPixel(10, 101), RGB(0, 0, 0));
    EXPECT_EQ(dc.GetPixel(10, 102), RGB(1, 2, 3));
    EXPECT_EQ(dc.GetPixel(49, 1001), RGB(1, 2, 3));
    EXPECT_EQ(dc.GetPixel(0, 1002), RGB(0, 0, 0));
}

// Bands cut by the work of their rows: all of it in the top tenth, so the bands share those
// rows, their edges on multiples of the row step, and the last band takes the idle rest.
TEST(PageBands, bands_share_the_work_of_their_rows)
{
    DrawingSurface dc(DrawingSurface::CreateBitmap(50, 1000));
    PageBands::RowWork work(1000, 0);
    std::fill(work.begin(), work.begin() + 100, 3);
    const auto edgesOf = [&](int bands, LONG step) {
        std::vector<CRect> reported;
        PageBands::Draw(
            dc, CRect(0, 0, 50, 1000), bands, step, [](DrawingSurface&, const CRect&) {},
            [&](const CRect& band) { reported.push_back(band); }, work);
        std::sort(reported.begin(), reported.end(), [](const CRect& a, const CRect& b) { return a.top < b.top; });
        std::vector<LONG> edges;
        for (const CRect& band : reported)
            edges.push_back(band.top);
        if (!reported.empty())
            edges.push_back(reported.back().bottom);
        return edges;
    };
    EXPECT_EQ(edgesOf(2, 1), (std::vector<LONG>{0, 50, 1000}));
    EXPECT_EQ(edgesOf(4, 4), (std::vector<LONG>{0, 24, 48, 72, 1000}));
    work.assign(1000, 0);  // no work anywhere: equal heights
    EXPECT_EQ(edgesOf(4, 1), (std::vector<LONG>{0, 250, 500, 750, 1000}));
}

// An edge between bands of equal height moves off the strokes it would cut in two (each would
// be drawn whole in both bands) onto the nearest row that cuts none, if one lies within reach.
TEST(PageBands, band_edges_move_onto_the_nearest_row_that_cuts_no_stroke)
{
    const auto stroke = [](LONG top, LONG bottom) {
        auto line = std::make_unique<CLine>();
        line->SetPenType(kPencil, 1);
        for (LONG y = top; y <= bottom; y += 10)
            line->AddPoint(20, y, 100);
        return line;
    };
    DrawingSurface dc(DrawingSurface::CreateBitmap(50, 1000));
    const CRect area(0, 0, 50, 1000);
    const auto middleEdge = [&](LONG firstBottom, LONG secondTop) {
        CLines lines;
        lines.Add(stroke(10, firstBottom));
        lines.Add(stroke(secondTop, 990));
        std::vector<CRect> reported;
        PageBands::Draw(
            dc, area, 2, 1, [](DrawingSurface&, const CRect&) {}, [&](const CRect& band) { reported.push_back(band); },
            {}, lines.CutWorkPerRow(area));
        EXPECT_EQ(reported.size(), 2u);
        return reported.empty() ? LONG(-1) : std::min(reported.front().bottom, reported.back().bottom);
    };
    // A band draws the first stroke when it reaches row 517, 7 below its last point (the nib
    // reaches 6, and a sample's rounding one more), so the first edge that leaves the stroke
    // wholly above it is 518.
    EXPECT_EQ(middleEdge(510, 540), 518);
    EXPECT_EQ(middleEdge(400, 450), 500);  // the even edge cuts nothing already
    EXPECT_EQ(middleEdge(580, 620), 500);  // the gap is too far: the edge stays
}

}  // namespace
