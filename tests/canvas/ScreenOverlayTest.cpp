// The screen overlay on a fixed 1024 × 768 screen: a rectangle cut out of the frozen screen
// with the pen (Capture Screen), and desktop mode's ink written on the frozen screen. The
// screen is a known picture handed to the view by a grab of the test's own.

#include "ScriptedPrompts.h"
#include "TestApplication.h"

#include "canvas/CScreenOverlay.h"
#include "canvas/CScrivaView.h"
#include "platform/CommandIds.h"
#include "platform/ScreenGrab.h"
#include "platform/ScreenMetrics.h"
#include "platform/Settings.h"
#include "tablet/TabletBinding.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>

namespace {

// Pictures of the screen, one per grab (the last one again when they run out), or a refusal.
class PictureGrab : public IScreenGrab {
public:
    explicit PictureGrab(std::deque<QImage> pictures, QPoint origin = {}) : m_pictures(std::move(pictures)), m_origin(origin) {}
    ScreenGrabResult Grab() override
    {
        ++grabs;
        if (m_pictures.empty())
            return ScreenGrabResult::Failure(QStringLiteral("The desktop refused to share the screen."));
        QImage next = m_pictures.front();
        if (m_pictures.size() > 1)
            m_pictures.pop_front();
        return {next, m_origin, QString()};
    }
    int grabs = 0;

private:
    std::deque<QImage> m_pictures;
    QPoint m_origin;
};

// A screen where every pixel differs from its neighbours: (x, y) is RGB(x & 255, y & 255, 77).
QImage PatternScreen(int width = 1024, int height = 768)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x & 255, y & 255, 77));
    return image;
}

QImage PlainScreen(QRgb colour, int width = 1024, int height = 768)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// What the screen got of widget's window in rect (logical pixels of the window): its pixels
// as last painted, not as it would paint now.
QImage OnScreen(QWidget& widget, const QRect& rect)
{
    return QGuiApplication::primaryScreen()
        ->grabWindow(widget.winId(), rect.x(), rect.y(), rect.width(), rect.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

constexpr DWORD kDown = MakeButtons(0, TBN_DOWN);
constexpr DWORD kUp = MakeButtons(0, TBN_UP);

class ScreenOverlayTest : public ::testing::Test {
protected:
    ScreenOverlayTest()
    {
        TestApplication();
        ScreenMetrics::SetFixedScreen(QSize(1024, 768));
        OverrideSettingsFolder(m_dir.path());
        TabletBinding::Instance().SetMousePen(true);
        TabletBinding::Instance().LoadTabletInterface(true);
        m_view = std::make_unique<CScrivaView>(m_doc);
        m_view->setGeometry(0, 0, 1024, 768);
        m_view->show();
        QCoreApplication::processEvents();
        m_doc.OnNewDocument();
        m_view->SetPenColor(RGB(0, 0, 0));
    }
    ~ScreenOverlayTest() override
    {
        m_view.reset();
        TabletBinding::Instance().SetMousePen(false);
        ScreenMetrics::SetFixedScreen(std::nullopt);
    }

    PictureGrab& UseGrab(std::deque<QImage> pictures, QPoint origin = {})
    {
        auto grab = std::make_unique<PictureGrab>(std::move(pictures), origin);
        PictureGrab& kept = *grab;
        m_view->SetScreenGrab(std::move(grab));
        return kept;
    }
    // A packet through the tablet's queue, as the pen's come.
    void Packet(LONG x, LONG y, DWORD pressure, DWORD buttons = 0, DWORD step = 5)
    {
        TabletBinding::Instance().QueuePacket({m_time += step, buttons, x, y, pressure});
        QCoreApplication::sendPostedEvents(m_view.get());
    }
    // A straight stroke from a to b through n steps.
    void Stroke(POINT a, POINT b, int n = 30)
    {
        std::vector<POINT> points;
        for (int i = 0; i <= n; ++i)
            points.push_back({a.x + (b.x - a.x) * i / n, a.y + (b.y - a.y) * i / n});
        Stroke(points);
    }
    void Stroke(const std::vector<POINT>& points, DWORD pressure = 700)
    {
        for (size_t i = 0; i < points.size(); ++i)
            Packet(points[i].x, points[i].y, pressure, i == 0 ? kDown : 0);
        Packet(points.back().x, points.back().y, 0, kUp);
    }
    // The click on Start leaves its packets behind: they are passed over.
    void StrayPackets(int count)
    {
        for (int i = 0; i < count; ++i)
            Packet(900, 700, 0);
    }
    CScreenOverlay& Overlay() { return m_view->Overlay(); }
    COLORREF Shown(LONG x, LONG y) { return Overlay().WindowSurface().GetPixel(x, y); }
    COLORREF Back(LONG x, LONG y) { return Overlay().BackBuffer().GetPixel(x, y); }
    void EnterDesktopMode()
    {
        m_view->SetFrameMode(FrameMode::Desktop);
        ASSERT_TRUE(m_view->ShowSnapshotOverlay());
    }

    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    CScrivaDoc m_doc;
    std::unique_ptr<CScrivaView> m_view;
    DWORD m_time = 1000;
};

}  // namespace

TEST_F(ScreenOverlayTest, the_selection_shows_the_tinted_screen_with_the_band_clear_and_outlined)
{
    UseGrab({PatternScreen()});
    m_view->BeginCaptureSelection();
    ASSERT_TRUE(m_view->IsOverlayShown());
    EXPECT_TRUE(Overlay().IsCaptureMode());
    EXPECT_EQ(m_view->ViewMode(), 2);
    EXPECT_EQ(Overlay().ScreenRect(), CRect(0, 0, 1024, 768));
    // RGB(250, 150, 77) with the tint's RGB(128, 128, 255) ANDed in.
    EXPECT_EQ(Shown(250, 150), RGB(128, 128, 77));
    EXPECT_EQ(Shown(5, 6), RGB(0, 0, 77));

    // The first ten packets are passed over, a press among them too.
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(m_view->SelectCapturePacket(m_time += 5, i == 4 ? kDown : 0, 500, 500, 700), 0);
    EXPECT_FALSE(m_view->IsStroking());

    // Down at (300, 200); the band follows the pen up and to the left only 150 ms of packet
    // time after its last redraw.
    EXPECT_EQ(m_view->SelectCapturePacket(2000, kDown, 300, 200, 700), 0);
    EXPECT_EQ(m_view->SelectCapturePacket(2100, 0, 250, 150, 700), 0);
    EXPECT_EQ(m_view->CaptureRect(), CRect(300, 200, 300, 200));
    EXPECT_EQ(m_view->SelectCapturePacket(2150, 0, 200, 100, 700), 1);
    EXPECT_EQ(m_view->CaptureRect(), CRect(300, 200, 200, 100));
    EXPECT_EQ(m_view->SelectCapturePacket(2160, 0, 150, 50, 700), 0);  // too soon: not drawn
    EXPECT_EQ(m_view->CaptureRect(), CRect(300, 200, 200, 100));

    // Inside the band the screen shows as it is; its edge is the not-xor of black, which
    // inverts the screen; outside it stays tinted.
    EXPECT_EQ(Shown(250, 150), RGB(250, 150, 77));
    EXPECT_EQ(Shown(201, 101), RGB(201, 101, 77));
    EXPECT_EQ(Shown(200, 150), RGB(55, 105, 178));
    EXPECT_EQ(Shown(299, 199), RGB(212, 56, 178));
    EXPECT_EQ(Shown(199, 150), RGB(128, 128, 77));
    EXPECT_EQ(Shown(300, 150), RGB(0, 128, 77));

    // Moved back inside: the part the band left is tinted again.
    EXPECT_EQ(m_view->SelectCapturePacket(2400, 0, 260, 160, 700), 1);
    EXPECT_EQ(Shown(230, 130), RGB(128, 128, 77));
    EXPECT_EQ(Shown(270, 170), RGB(14, 170, 77));
}

TEST_F(ScreenOverlayTest, lifting_the_pen_places_the_rectangle_at_the_page_corner_under_the_ink)
{
    // Ink first, near the page's corner: at half zoom screen x 270..330 of the window are
    // page x 28..148.
    const CRect window = m_view->ScreenRect();
    Stroke({window.left + 270, window.top + 10}, {window.left + 330, window.top + 10});
    ASSERT_EQ(m_doc.m_lines.GetCount(), 1);
    const CRect ink = m_doc.m_lines.GetAt(0)->GetBounds();
    const QImage screen = PatternScreen();
    UseGrab({screen});
    m_view->BeginCaptureSelection();
    StrayPackets(10);
    // Dragged up and to the left: the same picture as the mirrored drag.
    Packet(300, 220, 700, kDown);
    Packet(100, 20, 700, 0, 200);
    Packet(100, 20, 0, kUp);

    EXPECT_EQ(m_view->ViewMode(), 0);
    EXPECT_FALSE(m_view->IsOverlayShown());
    EXPECT_TRUE(m_view->DesktopSnapshot().IsNull());
    EXPECT_TRUE(m_view->HasInk());
    EXPECT_TRUE(m_doc.IsModified());
    ASSERT_EQ(m_doc.m_pictures.GetCount(), 1);
    const CPictureItem* picture = m_doc.m_pictures.GetAt(0);
    EXPECT_EQ(picture->GetRect(), CRect(0, 0, 200, 200));
    EXPECT_EQ(picture->Bitmap().copy(0, 0, 200, 200), screen.copy(100, 20, 200, 200));
    const DrawingSurface& page = m_view->Page().Surface();
    EXPECT_EQ(page.GetPixel(0, 0), RGB(100, 20, 77));
    EXPECT_EQ(page.GetPixel(199, 199), RGB(43, 219, 77));
    // The stroke is drawn over the picture again: where it runs, the page is not the screen.
    ASSERT_EQ(ink, CRect(28, 20, 148, 20));
    EXPECT_EQ(page.GetPixel(88, 20), RGB(0, 0, 0));
}

TEST_F(ScreenOverlayTest, a_tap_among_the_passed_over_packets_does_not_finish_the_capture)
{
    UseGrab({PatternScreen()});
    m_view->BeginCaptureSelection();
    Packet(400, 400, 700, kDown);
    Packet(400, 400, 0, kUp);
    StrayPackets(8);
    EXPECT_EQ(m_view->ViewMode(), 2);
    EXPECT_EQ(m_doc.m_pictures.GetCount(), 0);

    Packet(10, 10, 700, kDown);
    Packet(60, 40, 700, 0, 200);
    Packet(60, 40, 0, kUp);
    EXPECT_EQ(m_view->ViewMode(), 0);
    ASSERT_EQ(m_doc.m_pictures.GetCount(), 1);
    EXPECT_EQ(m_doc.m_pictures.GetAt(0)->GetRect(), CRect(0, 0, 50, 30));
}

TEST_F(ScreenOverlayTest, escape_drops_the_selection_and_the_next_capture_takes_a_fresh_screen)
{
    PictureGrab& grab = UseGrab({PlainScreen(qRgb(10, 20, 30)), PlainScreen(qRgb(200, 100, 50))});
    m_view->BeginCaptureSelection();
    StrayPackets(10);
    Packet(100, 100, 700, kDown);
    Packet(200, 200, 700, 0, 200);
    ASSERT_TRUE(m_view->IsStroking());

    QTest::keyClick(&Overlay(), Qt::Key_Escape);
    EXPECT_FALSE(m_view->IsOverlayShown());
    EXPECT_EQ(m_view->ViewMode(), 0);
    EXPECT_FALSE(m_view->IsStroking());
    EXPECT_EQ(m_doc.m_pictures.GetCount(), 0);
    EXPECT_TRUE(m_view->isVisible());

    m_view->BeginCaptureSelection();
    EXPECT_EQ(grab.grabs, 2);
    EXPECT_EQ(Shown(500, 500), RGB(128, 0, 50));  // the second screen, tinted
}

TEST_F(ScreenOverlayTest, a_screen_that_cannot_be_taken_is_said_and_nothing_is_frozen)
{
    UseGrab({});
    m_view->SetFrameMode(FrameMode::Desktop);
    EXPECT_FALSE(m_view->ShowSnapshotOverlay());
    EXPECT_FALSE(m_view->IsOverlayShown());
    EXPECT_TRUE(m_view->isVisible());
    ASSERT_EQ(m_prompts.Messages().size(), 1u);
    EXPECT_EQ(m_prompts.Messages()[0].text, QStringLiteral("The desktop refused to share the screen."));

    m_view->SetFrameMode(FrameMode::Letter);
    m_view->BeginCaptureSelection();
    EXPECT_EQ(m_view->ViewMode(), 0);
    EXPECT_FALSE(m_view->IsOverlayShown());
    EXPECT_EQ(m_prompts.Messages().size(), 2u);
}

TEST_F(ScreenOverlayTest, desktop_ink_lands_in_screen_pixels_on_the_frozen_screen_and_undo_restores_it)
{
    UseGrab({PlainScreen(qRgb(255, 255, 255))});
    EnterDesktopMode();
    EXPECT_FALSE(Overlay().IsCaptureMode());
    EXPECT_EQ(Back(700, 500), RGB(255, 255, 255));

    Stroke({600, 500}, {800, 500});
    ASSERT_EQ(m_doc.m_lines.GetCount(), 1);
    const CLine* line = m_doc.m_lines.GetAt(0);
    EXPECT_EQ(line->GetPoint(0).x, 600);
    EXPECT_EQ(line->GetPoint(0).y, 500);
    EXPECT_EQ(line->GetPoint(line->GetPointCount() - 1).x, 800);
    EXPECT_EQ(Back(700, 500), RGB(0, 0, 0));
    EXPECT_EQ(Shown(700, 500), RGB(0, 0, 0));
    EXPECT_TRUE(m_view->HasInk());
    EXPECT_TRUE(m_doc.IsModified());
    // Nothing of it reaches the page.
    EXPECT_EQ(m_view->Page().Surface().GetPixel(700, 500), m_view->Page().Surface().GetPixel(700, 520));

    m_view->OnUndo();
    EXPECT_EQ(Back(700, 500), RGB(255, 255, 255));
    EXPECT_EQ(Shown(700, 500), RGB(255, 255, 255));
    m_view->OnRedo();
    EXPECT_EQ(Back(700, 500), RGB(0, 0, 0));
    EXPECT_EQ(Shown(700, 500), RGB(0, 0, 0));

    // The eraser's loop takes the stroke away, and its own trail with it.
    m_view->OnEraser();
    Stroke({{580, 480}, {820, 480}, {820, 520}, {580, 520}, {580, 480}});
    EXPECT_EQ(m_doc.m_lines.GetCount(), 0);
    EXPECT_EQ(Back(700, 500), RGB(255, 255, 255));
    EXPECT_EQ(Back(580, 500), RGB(255, 255, 255));
    EXPECT_EQ(Shown(700, 500), RGB(255, 255, 255));
}

TEST_F(ScreenOverlayTest, the_overlay_covers_a_desktop_away_from_the_origin_and_comes_back_fresh)
{
    PictureGrab& grab = UseGrab({PlainScreen(qRgb(255, 255, 255), 800, 600), PlainScreen(qRgb(0, 0, 255), 800, 600)},
                                QPoint(-200, 100));
    EnterDesktopMode();
    EXPECT_EQ(Overlay().ScreenRect(), CRect(-200, 100, 600, 700));
    Stroke({-100, 200}, {100, 200});
    EXPECT_EQ(Back(0, 200), RGB(0, 0, 0));

    // Leaving lets the frozen screen go; the next visit shows the screen as it is then.
    m_view->HideOverlay();
    EXPECT_FALSE(m_view->IsOverlayShown());
    EXPECT_TRUE(m_view->DesktopSnapshot().IsNull());
    m_doc.OnNewDocument();
    ASSERT_TRUE(m_view->ShowSnapshotOverlay());
    EXPECT_EQ(grab.grabs, 2);
    EXPECT_EQ(Back(300, 300), RGB(0, 0, 255));
    EXPECT_EQ(Back(0, 200), RGB(0, 0, 255));
}

TEST_F(ScreenOverlayTest, a_new_note_shows_the_bare_frozen_screen_and_the_width_popup_holds_the_pen)
{
    UseGrab({PlainScreen(qRgb(255, 255, 255))});
    EnterDesktopMode();
    Stroke({100, 100}, {200, 100});
    ASSERT_EQ(Back(150, 100), RGB(0, 0, 0));
    m_doc.OnNewDocument();
    EXPECT_EQ(Back(150, 100), RGB(255, 255, 255));
    EXPECT_EQ(Shown(150, 100), RGB(255, 255, 255));

    // With the pen-width popup open, the pen writes nothing under it.
    m_view->OnCommand(IDC_PENCIL_THICKNESS);
    EXPECT_TRUE(m_view->IsTabletParked());
    Stroke({100, 300}, {200, 300});
    EXPECT_EQ(m_doc.m_lines.GetCount(), 0);
    m_view->OnCommand(IDC_PENCIL_THICKNESS);
    EXPECT_FALSE(m_view->IsTabletParked());
    Stroke({100, 300}, {200, 300});
    EXPECT_EQ(m_doc.m_lines.GetCount(), 1);
}

TEST_F(ScreenOverlayTest, a_click_on_the_overlay_while_a_dialog_is_open_asks_for_the_frame)
{
    UseGrab({PlainScreen(qRgb(255, 255, 255))});
    EnterDesktopMode();
    QCoreApplication::processEvents();  // painted: the pen is off the frame
    QSignalSpy wanted(m_view.get(), &CScrivaView::frameWanted);
    QTest::mouseClick(&Overlay(), Qt::LeftButton, {}, QPoint(300, 300));
    EXPECT_EQ(wanted.count(), 0);
    {
        ScopedTabletPark dialog(m_view.get());
        QTest::mouseClick(&Overlay(), Qt::LeftButton, {}, QPoint(300, 300));
        EXPECT_EQ(wanted.count(), 1);
    }
    QTest::mouseClick(&Overlay(), Qt::LeftButton, {}, QPoint(300, 300));
    EXPECT_EQ(wanted.count(), 1);
}

// The renderer draws a curve only once the packet after its control point has come. On the
// overlay the ink still reaches the screen up to the newest packet before the next one is
// taken, drawn ahead on the overlay's window alone: once the pen is up, the overlay, the frozen
// screen and the stroke are exactly as they are without that.
TEST_F(ScreenOverlayTest, desktop_ink_reaches_the_screen_up_to_the_newest_packet_and_leaves_nothing_behind)
{
    UseGrab({PlainScreen(qRgb(255, 255, 255))});
    EnterDesktopMode();
    QCoreApplication::processEvents();
    std::vector<POINT> wave;
    for (int i = 0; i <= 40; ++i)
        wave.push_back({300 + 6 * i, 300 + (i % 8 < 4 ? 3 * (i % 8) : 3 * (8 - i % 8))});
    struct Written {
        QImage window;
        QImage back;
        QImage screen;
        std::vector<StrokePoint> points;
        int tipsShown = 0;
        size_t timed = 0;
    };
    const auto write = [&](bool tail) {
        m_doc.OnNewDocument();
        QCoreApplication::processEvents();
        m_view->SetInkTail(tail);
        // Stamps of the monotonic clock, as the window system's.
        m_time = DWORD(LatencyMeter::NowMs()) - 2000;
        const size_t timedBefore = m_view->Latency().Count();
        Written written;
        for (size_t i = 0; i < wave.size(); ++i) {
            Packet(wave[i].x, wave[i].y, 700, i == 0 ? kDown : 0);
            // What the screen got of the overlay, before the next packet: ink at the tip?
            const QImage tip = OnScreen(Overlay(), QRect(wave[i].x - 1, wave[i].y - 1, 3, 3));
            written.tipsShown += tip != PlainScreen(qRgb(255, 255, 255), 3, 3);
        }
        written.timed = m_view->Latency().Count() - timedBefore;
        Packet(wave.back().x, wave.back().y, 0, kUp);
        EXPECT_FALSE(Overlay().IsTailShown());
        written.window = Overlay().WindowSurface().Bitmap().copy();
        written.back = Overlay().BackBuffer().Bitmap().copy();
        written.screen = OnScreen(Overlay(), QRect(0, 0, 1024, 768));
        written.points = m_doc.m_lines.GetAt(m_doc.m_lines.GetCount() - 1)->Points();
        return written;
    };
    const Written without = write(false);
    const Written with = write(true);
    // Every packet shows at once, and is timed; without the tail most wait for the next one,
    // but what was drawn shows at once all the same.
    EXPECT_EQ(with.tipsShown, int(wave.size()));
    EXPECT_EQ(with.timed, wave.size());
    EXPECT_LT(without.tipsShown, int(wave.size()) / 2);
    EXPECT_GT(without.tipsShown, 0);
    EXPECT_GT(without.timed, 0u);
    // The overlay's surfaces, what the screen shows of it and the stroke: the same bytes.
    EXPECT_TRUE(with.window == without.window);
    EXPECT_TRUE(with.back == without.back);
    EXPECT_TRUE(with.screen == without.screen);
    EXPECT_TRUE(m_view->DesktopSnapshot().Bitmap() == PlainScreen(qRgb(255, 255, 255)));
    ASSERT_EQ(with.points.size(), without.points.size());
    for (size_t i = 0; i < with.points.size(); ++i) {
        EXPECT_EQ(with.points[i].x, without.points[i].x);
        EXPECT_EQ(with.points[i].y, without.points[i].y);
        EXPECT_EQ(with.points[i].width, without.points[i].width);
    }
}

// Whatever ends the stroke's drawing, the ink drawn ahead goes with it.
TEST_F(ScreenOverlayTest, the_ink_drawn_ahead_on_the_overlay_is_never_left_behind)
{
    UseGrab({PlainScreen(qRgb(255, 255, 255))});
    EnterDesktopMode();
    QCoreApplication::processEvents();
    const auto halfStroke = [&](LONG y) {
        for (int i = 0; i <= 10; ++i)
            Packet(300 + 9 * i, y + (i % 2) * 4, 700, i == 0 ? kDown : 0);
        ASSERT_TRUE(Overlay().IsTailShown());
        ASSERT_FALSE(Overlay().WindowSurface().Bitmap() == Overlay().BackBuffer().Bitmap());
    };
    // Painted over from the back buffer (a dialog stood over it): the tail stays on top.
    halfStroke(200);
    Overlay().repaint();
    EXPECT_TRUE(Overlay().IsTailShown());
    EXPECT_FALSE(Overlay().WindowSurface().Bitmap() == Overlay().BackBuffer().Bitmap());
    Packet(390, 204, 0, kUp);
    EXPECT_FALSE(Overlay().IsTailShown());
    EXPECT_TRUE(Overlay().WindowSurface().Bitmap() == Overlay().BackBuffer().Bitmap());

    // A dialog takes the pen in the middle of a stroke: the stroke ends there.
    halfStroke(300);
    {
        ScopedTabletPark dialog(m_view.get());
        EXPECT_FALSE(Overlay().IsTailShown());
        EXPECT_TRUE(Overlay().WindowSurface().Bitmap() == Overlay().BackBuffer().Bitmap());
    }

    // Undo in the middle of a stroke.
    halfStroke(400);
    m_view->OnUndo();
    EXPECT_FALSE(Overlay().IsTailShown());
    EXPECT_TRUE(Overlay().WindowSurface().Bitmap() == Overlay().BackBuffer().Bitmap());
    Packet(390, 404, 0, kUp);

    // Escape puts the overlay away in the middle of a stroke.
    halfStroke(500);
    QTest::keyClick(&Overlay(), Qt::Key_Escape);
    EXPECT_FALSE(m_view->IsOverlayShown());
    EXPECT_FALSE(Overlay().IsTailShown());
    EXPECT_TRUE(Overlay().WindowSurface().Bitmap() == Overlay().BackBuffer().Bitmap());
}
