// The view on a fixed 1024 × 768 screen: what the window shows at each zoom, how window points
// map to the page, scrolling, and the view's own commands.

#include "QtPrinting.h"
#include "ScriptedPrompts.h"
#include "TestApplication.h"

#include "canvas/CScrivaView.h"
#include "platform/CommandIds.h"
#include "platform/ScreenMetrics.h"
#include "platform/Settings.h"

#include <QPaintEvent>
#include <QScrollBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr COLORREF kBack = 0xCCE2E5;
constexpr COLORREF kLine = 0xACC0C5;
constexpr COLORREF kGrey = RGB(200, 200, 200);

class ViewTest : public ::testing::Test {
protected:
    ViewTest()
    {
        TestApplication();
        ScreenMetrics::SetFixedScreen(QSize(1024, 768));
        OverrideSettingsFolder(m_dir.path());
        m_view = std::make_unique<CScrivaView>(m_doc);
        m_view->resize(800, 600);
        m_doc.OnNewDocument();
    }
    ~ViewTest() override { ScreenMetrics::SetFixedScreen(std::nullopt); }

    QImage Window()
    {
        QImage image = DrawingSurface::CreateBitmap(800, 600);
        m_view->OnDraw(image);
        return image;
    }
    static COLORREF At(const QImage& image, int x, int y) { return QRgbToColorRef(image.pixel(x, y)); }

    void AddStroke(POINT a, POINT b)
    {
        auto line = std::make_unique<CLine>();
        line->SetColor(RGB(0, 0, 0));
        line->SetPenType(2, 1);
        for (int i = 0; i <= 20; ++i)
            line->AddPoint(a.x + (b.x - a.x) * i / 20, a.y + (b.y - a.y) * i / 20, 200);
        m_doc.m_lines.Add(std::move(line));
    }

    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    CScrivaDoc m_doc;
    std::unique_ptr<CScrivaView> m_view;
};

}  // namespace

TEST_F(ViewTest, half_zoom_centres_the_page_between_grey_bands)
{
    const QImage window = Window();
    EXPECT_EQ(m_view->PageMarginX(), 256);
    EXPECT_EQ(At(window, 255, 10), kGrey);
    EXPECT_EQ(At(window, 256, 10), kBack);
    EXPECT_EQ(At(window, 767, 10), kBack);
    EXPECT_EQ(At(window, 768, 10), kGrey);
    EXPECT_EQ(At(window, 400, 45), kLine);  // page row 90 lands on window row 45
    EXPECT_EQ(m_view->WindowToPage({256, 0}), (POINT{0, 0}));
    EXPECT_EQ(m_view->WindowToPage({300, 100}), (POINT{88, 200}));
    // Below the page's 682 rows at half size the window is grey too.
    QImage tall = DrawingSurface::CreateBitmap(800, 760);
    tall.fill(Qt::black);
    m_view->OnDraw(tall);
    EXPECT_EQ(At(tall, 400, 681), kBack);
    EXPECT_EQ(At(tall, 400, 682), kGrey);
    EXPECT_EQ(At(tall, 100, 759), kGrey);
}

TEST_F(ViewTest, zoom_steps_between_half_and_four_and_sizes_the_scrolling)
{
    EXPECT_EQ(m_view->TotalScrollSize(), QSize(768, 682));
    m_view->OnZoomOut();
    EXPECT_EQ(m_view->Zoom(), 0.5f);
    for (int i = 0; i < 3; ++i)
        m_view->OnZoomIn();
    EXPECT_EQ(m_view->Zoom(), 4.0f);
    m_view->OnZoomIn();
    EXPECT_EQ(m_view->Zoom(), 4.0f);
    m_view->OnZoomOut();
    EXPECT_EQ(m_view->TotalScrollSize(), QSize(2048, 2730));

    m_view->ScrollTo(300, 400);
    EXPECT_EQ(m_view->ScrollPosition(), QPoint(300, 400));
    m_view->OnZoomOut();
    EXPECT_EQ(m_view->ScrollPosition(), QPoint(300, 400));  // zoom 1 keeps the place
    m_view->OnZoomOut();
    EXPECT_EQ(m_view->ScrollPosition(), QPoint(0, 0));      // back at 0.5: the top-left
}

TEST_F(ViewTest, double_zoom_shows_each_page_pixel_as_a_square)
{
    AddStroke({40, 40}, {300, 60});
    m_view->DrawRuledLines(true);
    m_view->OnZoomIn();
    m_view->OnZoomIn();
    m_view->ScrollTo(20, 30);
    const QImage window = Window();
    const DrawingSurface& page = m_view->Page().Surface();
    for (POINT p : {POINT{10, 15}, POINT{45, 88}, POINT{100, 89}, POINT{150, 50}, POINT{399, 299}}) {
        const int wx = p.x * 2 - 20, wy = p.y * 2 - 30;
        for (int d = 0; d < 4; ++d)
            EXPECT_EQ(At(window, wx + d % 2, wy + d / 2), page.GetPixel(p.x, p.y)) << p.x << "," << p.y;
    }
    EXPECT_EQ(m_view->PageMarginX(), 0);
    EXPECT_EQ(m_view->WindowToPage({100, 100}), (POINT{60, 65}));
}

TEST_F(ViewTest, the_page_scrolls_to_its_last_pixel_at_every_zoom)
{
    // The page's bottom-right corner in a colour of its own, three pixels square so that half
    // zoom, which shows every other pixel, shows it too.
    constexpr COLORREF kCorner = RGB(255, 0, 0);
    const LONG w = m_view->Page().PageWidth();
    const LONG h = m_view->Page().PageHeight();
    m_view->Page().Surface().FillSolidRect(CRect(w - 3, h - 3, w, h), kCorner);
    const QSize client = m_view->viewport()->size();
    for (float zoom : {0.5f, 1.0f, 2.0f, 4.0f}) {
        ASSERT_EQ(m_view->Zoom(), zoom);
        m_view->ScrollTo(INT_MAX, INT_MAX);  // as far as the scroll bars go
        QImage window = DrawingSurface::CreateBitmap(client.width(), client.height());
        m_view->OnDraw(window);
        int corner = 0;
        for (int y = 0; y < window.height(); ++y)
            for (int x = 0; x < window.width(); ++x)
                corner += At(window, x, y) == kCorner;
        EXPECT_GT(corner, 0) << "zoom " << zoom;
        if (zoom >= 1) {
            const POINT last = m_view->WindowToPage({client.width() - 1, client.height() - 1});
            EXPECT_EQ(last, (POINT{w - 1, h - 1})) << "zoom " << zoom;
            EXPECT_EQ(At(window, client.width() - 1, client.height() - 1), kCorner) << "zoom " << zoom;
        }
        m_view->OnZoomIn();
    }
}

TEST_F(ViewTest, add_line_lengthens_the_page_by_a_page_height)
{
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(m_view->OnCommand(IDC_ADD_LINE));
    EXPECT_EQ(m_view->Page().PageHeight(), 5460);
    EXPECT_EQ(m_view->TotalScrollSize().height(), 2730);
    m_doc.OnNewDocument();
    EXPECT_EQ(m_view->Page().PageHeight(), 1365);
}

TEST_F(ViewTest, placeholder_commands_are_accepted_and_change_nothing)
{
    const QImage before = m_view->Page().Surface().Bitmap().copy();
    EXPECT_TRUE(m_view->OnCommand(IDC_TEST));
    EXPECT_TRUE(m_view->OnCommand(IDC_HIDDEN));
    EXPECT_EQ(m_view->Page().Surface().Bitmap(), before);
    EXPECT_FALSE(m_view->OnCommand(ID_FILE_OPEN));
}

TEST_F(ViewTest, undo_repaints_the_stroke_away_and_redo_brings_it_back)
{
    m_view->DrawRuledLines(true);
    const QImage blank = m_view->Page().Surface().Bitmap().copy();
    AddStroke({100, 120}, {400, 150});
    m_view->DrawRuledLines(true);
    const QImage inked = m_view->Page().Surface().Bitmap().copy();
    ASSERT_NE(inked, blank);
    EXPECT_TRUE(m_view->OnCommand(IDC_UNDO));
    EXPECT_EQ(m_doc.m_lines.GetCount(), 0);
    EXPECT_EQ(m_view->Page().Surface().Bitmap(), blank);
    EXPECT_TRUE(m_view->OnCommand(IDC_REDO));
    EXPECT_EQ(m_doc.m_lines.GetCount(), 1);
    EXPECT_EQ(m_view->Page().Surface().Bitmap(), inked);
    EXPECT_FALSE(m_doc.IsModified());
}

TEST_F(ViewTest, line_colour_comes_from_the_colour_chooser)
{
    m_prompts.QueueColor(std::nullopt);
    m_view->OnCommand(IDC_LINE_COLOR);
    EXPECT_EQ(m_view->Page().Surface().GetPixel(10, 90), kLine);
    m_prompts.QueueColor(RGB(255, 0, 0));
    m_view->OnCommand(IDC_LINE_COLOR);
    EXPECT_EQ(m_view->Page().Surface().GetPixel(10, 90), RGB(255, 0, 0));
    EXPECT_EQ(m_prompts.ColorDialogs(), 2);
}

// File Open in a shown window: the ruled page goes up at once and the ink band by band, and the
// window is painted whole only that once; afterwards it shows exactly what a full redraw of the
// window gives, the rows between the bands included.
TEST_F(ViewTest, an_opened_note_paints_the_whole_window_once_and_ends_as_a_full_redraw)
{
    // Strokes down the whole page, across every band edge, and across it near the top and bottom.
    for (LONG x = 40; x < 1000; x += 90)
        AddStroke({x, 0}, {x + 30, 1364});
    AddStroke({0, 2}, {1023, 4});
    AddStroke({0, 1362}, {1023, 1360});
    const QString note = m_dir.filePath(QStringLiteral("tall.Ilf"));
    ASSERT_TRUE(m_doc.OnSaveDocument(note));
    m_doc.OnNewDocument();
    m_view->show();
    QCoreApplication::processEvents();

    struct PaintLog : QObject {
        std::vector<QRect> rects;
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Paint)
                rects.push_back(static_cast<QPaintEvent*>(event)->rect());
            return false;
        }
    } paints;
    m_view->viewport()->installEventFilter(&paints);
    m_prompts.QueueFileName(note);
    m_doc.OnFileOpen();
    QCoreApplication::processEvents();
    m_view->viewport()->removeEventFilter(&paints);

    ASSERT_EQ(m_doc.m_lines.GetCount(), 13);
    const QRect whole = m_view->viewport()->rect();
    EXPECT_EQ(std::count(paints.rects.begin(), paints.rects.end(), whole), 1);
    const QImage shown = m_view->WindowImage().copy();
    QImage redrawn = DrawingSurface::CreateBitmap(shown.width(), shown.height());
    m_view->OnDraw(redrawn);
    EXPECT_EQ(shown, redrawn);
    // The first stroke crosses window row 300 (page row 600) near page x 53, window x 282.
    int inked = 0;
    for (int x = 272; x < 292; ++x)
        inked += At(shown, x, 300) != kBack;
    EXPECT_GT(inked, 0);
}
