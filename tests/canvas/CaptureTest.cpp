// Writing on the real view with pen packets, on a fixed 1024 × 768 screen: the packets go
// through the tablet binding's queue to the view, as the pen's do.

#include "QtPrinting.h"
#include "ScriptedPrompts.h"
#include "TestApplication.h"

#include "canvas/CScrivaView.h"
#include "platform/CommandIds.h"
#include "platform/ProfileFile.h"
#include "platform/Resources.h"
#include "platform/ScreenMetrics.h"
#include "platform/Settings.h"
#include "tablet/TabletBinding.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QPaintEvent>
#include <QRegularExpression>
#include <QPointingDevice>
#include <QSignalSpy>
#include <QTabletEvent>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr COLORREF kBack = 0xCCE2E5;

// Collects the region of every paint event a widget gets.
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(QWidget* widget) { widget->installEventFilter(this); }
    QRegion painted;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
};
constexpr DWORD kFull = 1023;

// Pixels where two pictures of the same size differ, those in skip left out.
int DifferingPixels(const QImage& a, const QImage& b, const QRect& skip = QRect())
{
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            count += !skip.contains(x, y) && a.pixel(x, y) != b.pixel(x, y);
    return count;
}

class CaptureTest : public ::testing::Test {
protected:
    CaptureTest()
    {
        TestApplication();
        ScreenMetrics::SetFixedScreen(QSize(1024, 768));
        OverrideSettingsFolder(m_dir.path());
        TabletBinding::Instance().SetMousePen(true);  // binds without a tablet device
        TabletBinding::Instance().LoadTabletInterface(true);
        m_view = std::make_unique<CScrivaView>(m_doc);
        m_view->setGeometry(0, 0, 1024, 768);
        m_view->show();
        QCoreApplication::processEvents();
        m_doc.OnNewDocument();
    }
    ~CaptureTest() override
    {
        m_view.reset();
        TabletBinding::Instance().SetMousePen(false);
        ScreenMetrics::SetFixedScreen(std::nullopt);
    }

    void Packet(LONG x, LONG y, DWORD pressure, DWORD buttons = 0)
    {
        TabletBinding::Instance().QueuePacket({m_time += 5, buttons, x, y, pressure});
        QCoreApplication::sendPostedEvents(m_view.get());
    }
    // A stroke along the points: pen down at the first, up after the last.
    void Stroke(const std::vector<POINT>& points, DWORD pressure = 700)
    {
        for (size_t i = 0; i < points.size(); ++i)
            Packet(points[i].x, points[i].y, pressure, i == 0 ? MakeButtons(0, TBN_DOWN) : 0);
        Packet(points.back().x, points.back().y, 0, MakeButtons(0, TBN_UP));
    }
    static std::vector<POINT> Line(POINT a, POINT b, int n = 30)
    {
        std::vector<POINT> points;
        for (int i = 0; i <= n; ++i)
            points.push_back({a.x + (b.x - a.x) * i / n, a.y + (b.y - a.y) * i / n});
        return points;
    }
    static std::vector<POINT> Loop(const CRect& r, int perSide = 20)
    {
        std::vector<POINT> points;
        const POINT corners[] = {{r.left, r.top}, {r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom}};
        for (int side = 0; side < 4; ++side) {
            const auto part = Line(corners[side], corners[(side + 1) % 4], perSide);
            points.insert(points.end(), part.begin(), part.end() - 1);
        }
        points.push_back(corners[0]);
        return points;
    }
    COLORREF Page(POINT p) { return m_view->Page().Surface().GetPixel(p.x, p.y); }

    // A tablet event as Qt delivers one: to the window, which hands it to the widget under the
    // pen (here the view's viewport) and, while nobody accepts it, on to that widget's parents.
    // at is in viewport pixels. Packets wait until the test lets the view take them.
    void PenEvent(const QPointingDevice& pen, QEvent::Type type, QPoint at, qreal pressure,
                  Qt::MouseButton button = Qt::NoButton, Qt::MouseButtons buttons = Qt::LeftButton)
    {
        const QPointF local = m_view->viewport()->mapTo(m_view.get(), QPointF(at));
        const QPointF global = m_view->viewport()->mapToGlobal(QPointF(at));
        QTabletEvent event(type, &pen, local, global, pressure, 0, 0, 0, 0, 0, Qt::NoModifier, button, buttons);
        event.setTimestamp(m_time += 5);
        QApplication::sendEvent(m_view->windowHandle(), &event);
    }
    void PenStroke(const QPointingDevice& pen, const std::vector<POINT>& points, qreal pressure = 0.6)
    {
        PenEvent(pen, QEvent::TabletPress, {points[0].x, points[0].y}, pressure, Qt::LeftButton);
        for (size_t i = 1; i < points.size(); ++i)
            PenEvent(pen, QEvent::TabletMove, {points[i].x, points[i].y}, pressure);
        PenEvent(pen, QEvent::TabletRelease, {points.back().x, points.back().y}, 0, Qt::LeftButton, Qt::NoButton);
        QCoreApplication::sendPostedEvents(m_view.get());
    }

    QPointingDevice m_pen{QStringLiteral("test stylus"), 78, QInputDevice::DeviceType::Stylus,
                          QPointingDevice::PointerType::Pen,
                          QInputDevice::Capability::Position | QInputDevice::Capability::Pressure, 1, 3};
    QPointingDevice m_eraser{QStringLiteral("test stylus eraser"), 79, QInputDevice::DeviceType::Stylus,
                             QPointingDevice::PointerType::Eraser,
                             QInputDevice::Capability::Position | QInputDevice::Capability::Pressure, 1, 3};
    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    CScrivaDoc m_doc;
    std::unique_ptr<CScrivaView> m_view;
    DWORD m_time = 1000;
};

}  // namespace

TEST_F(CaptureTest, a_pencil_stroke_lands_on_the_page_at_half_zoom)
{
    EXPECT_EQ(m_view->PressureMax(), 511);
    EXPECT_EQ(m_view->PressureDivisor(), 2);
    Stroke(Line({356, 100}, {556, 140}));
    ASSERT_EQ(m_doc.m_lines.GetCount(), 1);
    const CLine& line = *m_doc.m_lines.GetAt(0);
    EXPECT_EQ(line.GetPointCount(), 31);
    EXPECT_EQ(line.GetPenType(), 2);
    EXPECT_EQ(line.GetColor(), 0x800000u);
    // 100 window pixels right of the 256-pixel margin is page x 200.
    const CRect window = m_view->ScreenRect();
    EXPECT_EQ(line.GetPoint(0).x, 200 - 2 * window.left);
    EXPECT_EQ(line.GetPoint(0).y, 200 - 2 * window.top);
    EXPECT_EQ(m_view->ScreenToPage(356 + window.left, 100 + window.top), (POINT{200, 200}));
    EXPECT_EQ(line.GetPoint(0).width, 160);
    EXPECT_EQ(line.GetPoint(0).pressure, 350u);  // 700 of 1023, in a device file's 511 levels
    EXPECT_NE(Page(m_view->ScreenToPage(456, 120)), kBack);  // under the stroke's middle
    EXPECT_EQ(Page(m_view->ScreenToPage(456, 160)), kBack);
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_TRUE(m_view->HasInkFlag());
    EXPECT_FALSE(m_view->IsStroking());
}

TEST_F(CaptureTest, widths_follow_the_tool_and_pressure)
{
    EXPECT_EQ(m_view->PacketWidth(kFull), 160);  // pencil, step 2, 512 levels
    m_view->OnCommand(IDC_BRUSH);
    EXPECT_EQ(m_view->PacketWidth(kFull), 204);  // brush, step 2, full pressure
    EXPECT_EQ(m_view->PacketWidth(kFull / 2), 102);
    m_view->OnCommand(IDC_MARKER);
    EXPECT_EQ(m_view->PacketWidth(kFull), 4);
    m_view->OnCommand(IDC_MARKER_THICKNESS);  // the width popup opens for the marker
    EXPECT_EQ(m_view->PenWidthPopupTool(), 4);
    m_view->OnCommand(ID_PEN_WIDTH5);
    EXPECT_EQ(m_view->PacketWidth(kFull), 10);
    EXPECT_EQ(m_view->PenWidthPopupTool(), 0);
}

TEST_F(CaptureTest, every_zoom_and_scroll_writes_where_the_pen_is)
{
    for (int steps = 0; steps < 3; ++steps) {
        m_doc.OnNewDocument();
        for (int i = 0; i < steps; ++i)
            m_view->OnZoomIn();
        m_view->ScrollTo(steps * 100, steps * 150);
        Stroke(Line({300, 300}, {500, 320}));
        ASSERT_EQ(m_doc.m_lines.GetCount(), 1);
        const POINT first = m_view->ScreenToPage(300, 300);
        EXPECT_EQ(m_doc.m_lines.GetAt(0)->GetPoint(0).x, first.x);
        EXPECT_EQ(m_doc.m_lines.GetAt(0)->GetPoint(0).y, first.y);
        const POINT middle = m_view->ScreenToPage(400, 310);
        EXPECT_NE(Page(middle), kBack) << "zoom " << m_view->Zoom();
        for (int i = 0; i < steps; ++i)
            m_view->OnZoomOut();
    }
}

TEST_F(CaptureTest, undo_and_redo_move_strokes_and_a_new_stroke_drops_the_redo_list)
{
    Stroke(Line({300, 100}, {500, 100}));
    Stroke(Line({300, 200}, {500, 200}));
    const POINT second = m_view->ScreenToPage(400, 200);
    EXPECT_NE(Page(second), kBack);
    m_view->OnCommand(IDC_UNDO);
    EXPECT_EQ(m_doc.m_lines.GetCount(), 1);
    EXPECT_EQ(m_doc.m_lines.GetRedoCount(), 1);
    EXPECT_EQ(Page(second), kBack);
    m_view->OnCommand(IDC_REDO);
    EXPECT_EQ(m_doc.m_lines.GetCount(), 2);
    EXPECT_NE(Page(second), kBack);
    m_view->OnCommand(IDC_UNDO);
    Stroke(Line({300, 300}, {500, 300}));
    EXPECT_EQ(m_doc.m_lines.GetRedoCount(), 0);
    m_view->OnCommand(IDC_REDO);
    EXPECT_EQ(m_doc.m_lines.GetCount(), 2);
}

TEST_F(CaptureTest, the_eraser_loop_takes_what_it_encloses_and_an_open_path_what_it_crosses)
{
    Stroke(Line({400, 150}, {440, 160}));  // inside the loop below
    Stroke(Line({300, 400}, {600, 400}));  // crossed by the open path
    Stroke(Line({650, 500}, {700, 500}));  // left alone
    m_view->OnCommand(IDC_ERASER);
    Stroke(Loop(CRect(380, 120, 480, 190)), 500);
    ASSERT_EQ(m_doc.m_lines.GetCount(), 2);
    EXPECT_EQ(Page(m_view->ScreenToPage(420, 155)), kBack);
    Stroke(Line({450, 350}, {460, 450}), 500);
    ASSERT_EQ(m_doc.m_lines.GetCount(), 1);
    EXPECT_EQ(m_doc.m_lines.GetAt(0)->GetPoint(0).x, m_view->ScreenToPage(650, 500).x);
}

TEST_F(CaptureTest, undo_after_an_erase_brings_the_erased_strokes_back_and_redo_erases_them_again)
{
    Stroke(Line({400, 150}, {440, 160}));  // inside the loop below
    Stroke(Line({300, 400}, {600, 400}));
    Stroke(Line({650, 500}, {700, 500}));
    const POINT erased = m_view->ScreenToPage(420, 155);
    const POINT kept = m_view->ScreenToPage(675, 500);
    m_view->OnCommand(IDC_ERASER);
    Stroke(Loop(CRect(380, 120, 480, 190)), 500);
    ASSERT_EQ(m_doc.m_lines.GetCount(), 2);
    ASSERT_EQ(Page(erased), kBack);

    m_view->OnCommand(IDC_UNDO);
    ASSERT_EQ(m_doc.m_lines.GetCount(), 3);
    EXPECT_EQ(m_doc.m_lines.GetAt(0)->GetPoint(0).x, m_view->ScreenToPage(400, 150).x);  // first again
    EXPECT_NE(Page(erased), kBack);
    EXPECT_NE(Page(kept), kBack);

    m_view->OnCommand(IDC_REDO);
    ASSERT_EQ(m_doc.m_lines.GetCount(), 2);
    EXPECT_EQ(Page(erased), kBack);
    EXPECT_NE(Page(kept), kBack);

    // Undone once more, then a new stroke: the erase cannot come back.
    m_view->OnCommand(IDC_UNDO);
    m_view->OnCommand(IDC_PENCIL);
    Stroke(Line({300, 600}, {400, 600}));
    m_view->OnCommand(IDC_REDO);
    EXPECT_EQ(m_doc.m_lines.GetCount(), 4);
    EXPECT_NE(Page(erased), kBack);
}

TEST_F(CaptureTest, leaving_the_page_ends_strokes_at_the_first_then_the_second_packet_outside)
{
    // At half zoom the page covers screen x 256 to 768.
    for (int i = 0; i < 5; ++i)
        Packet(600 + i * 20, 300, 600, i == 0 ? MakeButtons(0, TBN_DOWN) : 0);
    Packet(800, 300, 600);  // first packet outside: the stroke ends
    EXPECT_FALSE(m_view->IsStroking());
    Packet(820, 300, 0, MakeButtons(0, TBN_UP));
    ASSERT_EQ(m_doc.m_lines.GetCount(), 1);
    EXPECT_EQ(m_doc.m_lines.GetAt(0)->GetPointCount(), 5);

    for (int i = 0; i < 5; ++i)
        Packet(600 + i * 20, 400, 600, i == 0 ? MakeButtons(0, TBN_DOWN) : 0);
    Packet(800, 400, 600);  // this time the first packet outside is passed over
    EXPECT_TRUE(m_view->IsStroking());
    Packet(810, 400, 600);  // and the second ends the stroke
    EXPECT_FALSE(m_view->IsStroking());
    Packet(820, 400, 0, MakeButtons(0, TBN_UP));
    ASSERT_EQ(m_doc.m_lines.GetCount(), 2);
    EXPECT_EQ(m_doc.m_lines.GetAt(1)->GetPointCount(), 5);
}

TEST_F(CaptureTest, the_marker_masks_the_page_and_keeps_its_first_point_undrawn)
{
    m_view->OnCommand(IDC_MARKER);
    Packet(400, 300, 600, MakeButtons(0, TBN_DOWN));
    const POINT at = m_view->ScreenToPage(400, 300);
    EXPECT_EQ(Page(at), kBack);  // a marker's first point draws nothing
    Packet(500, 300, 600);
    Packet(500, 300, 0, MakeButtons(0, TBN_UP));
    ASSERT_EQ(m_doc.m_lines.GetCount(), 1);
    EXPECT_EQ(m_doc.m_lines.GetAt(0)->GetPenType(), 4);
    EXPECT_EQ(m_doc.m_lines.GetAt(0)->GetMaskPen(), 1);
    EXPECT_EQ(Page(m_view->ScreenToPage(450, 300)), kBack & 0x800000u);  // pen AND paper
}

TEST_F(CaptureTest, real_tablet_events_reach_the_capture)
{
    QPointingDevice stylus(QStringLiteral("test stylus"), 77, QInputDevice::DeviceType::Stylus,
                           QPointingDevice::PointerType::Pen,
                           QInputDevice::Capability::Position | QInputDevice::Capability::Pressure, 1, 3);
    QWidget* target = m_view->viewport();
    const auto send = [&](QEvent::Type type, QPointF at, qreal pressure) {
        const QPointF global = target->mapToGlobal(at);
        QTabletEvent event(type, &stylus, at, global, pressure, 0, 0, 0, 0, 0, Qt::NoModifier,
                           type == QEvent::TabletMove ? Qt::NoButton : Qt::LeftButton,
                           type == QEvent::TabletRelease ? Qt::NoButton : Qt::LeftButton);
        QApplication::sendEvent(target, &event);
        QCoreApplication::sendPostedEvents(m_view.get());
    };
    send(QEvent::TabletPress, {300, 300}, 0.6);
    for (int i = 1; i <= 20; ++i)
        send(QEvent::TabletMove, {300.0 + i * 10, 300.0 + i * 2}, 0.6);
    send(QEvent::TabletRelease, {500, 340}, 0.0);
    ASSERT_EQ(m_doc.m_lines.GetCount(), 1);
    EXPECT_EQ(m_doc.m_lines.GetAt(0)->GetPointCount(), 21);
    EXPECT_EQ(m_doc.m_lines.GetAt(0)->GetPoint(0).pressure, 307u);  // 0.6 of 1023 is 614, kept as 307 of 511
}

TEST_F(CaptureTest, each_pen_event_is_one_packet_and_lagging_packets_keep_the_end_of_the_stroke)
{
    m_view->OnCommand(IDC_MARKER);  // the marker keeps every packet, repeated points too
    PenEvent(m_pen, QEvent::TabletPress, {300, 300}, 0.6, Qt::LeftButton);
    for (int i = 1; i <= 10; ++i)
        PenEvent(m_pen, QEvent::TabletMove, {300 + i * 10, 300}, 0.6);
    QCoreApplication::sendPostedEvents(m_view.get());
    // The interface lags: the rest of the stroke is still queued when the mouse release Qt
    // makes from the pen's comes.
    for (int i = 11; i <= 20; ++i)
        PenEvent(m_pen, QEvent::TabletMove, {300 + i * 10, 300}, 0.6);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(500, 300), m_view->viewport()->mapToGlobal(QPointF(500, 300)),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier, &m_pen);
    QApplication::sendEvent(m_view->viewport(), &release);
    PenEvent(m_pen, QEvent::TabletRelease, {500, 300}, 0, Qt::LeftButton, Qt::NoButton);
    QCoreApplication::sendPostedEvents(m_view.get());

    ASSERT_EQ(m_doc.m_lines.GetCount(), 1);
    const CLine& line = *m_doc.m_lines.GetAt(0);
    EXPECT_EQ(line.GetPointCount(), 21);
    EXPECT_EQ(line.GetPoint(20).x, 488);  // viewport x 500 at half zoom, less the margin of 256, doubled
}

TEST_F(CaptureTest, a_barrel_button_leaves_the_stroke_whole_and_the_eraser_end_erases_with_the_lasso)
{
    PenEvent(m_pen, QEvent::TabletPress, {300, 300}, 0.6, Qt::LeftButton);
    for (int i = 1; i <= 5; ++i)
        PenEvent(m_pen, QEvent::TabletMove, {300 + i * 10, 300}, 0.6);
    PenEvent(m_pen, QEvent::TabletPress, {350, 300}, 0.6, Qt::MiddleButton, Qt::LeftButton | Qt::MiddleButton);
    PenEvent(m_pen, QEvent::TabletMove, {360, 300}, 0.6, Qt::NoButton, Qt::LeftButton | Qt::MiddleButton);
    PenEvent(m_pen, QEvent::TabletRelease, {370, 300}, 0.6, Qt::MiddleButton, Qt::LeftButton);
    for (int i = 8; i <= 10; ++i)
        PenEvent(m_pen, QEvent::TabletMove, {300 + i * 10, 300}, 0.6);
    PenEvent(m_pen, QEvent::TabletRelease, {400, 300}, 0, Qt::LeftButton, Qt::NoButton);
    QCoreApplication::sendPostedEvents(m_view.get());
    ASSERT_EQ(m_doc.m_lines.GetCount(), 1);
    const CLine& line = *m_doc.m_lines.GetAt(0);
    EXPECT_EQ(line.GetPointCount(), 11);
    EXPECT_EQ(line.GetPoint(10).x, 288);

    // The other end of the pen: a lasso round the stroke takes it, and the pencil stays in hand.
    m_doc.SetModifiedFlag(false);
    PenStroke(m_eraser, Loop(CRect(280, 270, 420, 330)));
    EXPECT_EQ(m_doc.m_lines.GetCount(), 0);
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_EQ(Page(m_view->ScreenToPage(350, 300)), kBack);
    EXPECT_EQ(m_view->Tool(), CScrivaView::kPencil);
    PenStroke(m_pen, Line({300, 400}, {400, 400}));
    ASSERT_EQ(m_doc.m_lines.GetCount(), 1);
    EXPECT_EQ(m_doc.m_lines.GetAt(0)->GetPenType(), 2);
}

TEST_F(CaptureTest, a_pen_that_comes_after_start_up_writes_at_once)
{
    m_view.reset();
    TabletBinding::Instance().SetMousePen(false);
    TabletBinding::Instance().LoadTabletInterface(true);  // no tablet attached yet
    ASSERT_FALSE(TabletBinding::Instance().IsLoaded());
    m_view = std::make_unique<CScrivaView>(m_doc);
    m_view->setGeometry(0, 0, 1024, 768);
    m_view->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(m_view->TabletContext(), 0);

    PenStroke(m_pen, Line({300, 300}, {400, 340}, 10));
    ASSERT_EQ(m_doc.m_lines.GetCount(), 1);
    EXPECT_EQ(m_doc.m_lines.GetAt(0)->GetPointCount(), 11);
    EXPECT_NE(m_view->TabletContext(), 0);
}

TEST_F(CaptureTest, writing_repaints_only_around_the_new_ink)
{
    QCoreApplication::processEvents();  // the first paint of the whole window
    PaintRecorder recorder(m_view->viewport());
    Stroke(Line({400, 300}, {440, 310}, 8));
    QCoreApplication::processEvents();
    ASSERT_EQ(m_doc.m_lines.GetCount(), 1);
    ASSERT_FALSE(recorder.painted.isEmpty());
    EXPECT_TRUE(recorder.painted.boundingRect().contains(QRect(400, 300, 36, 6)));  // the ink shows
    EXPECT_TRUE(QRect(370, 270, 100, 60).contains(recorder.painted.boundingRect()))
        << recorder.painted.boundingRect().x() << "," << recorder.painted.boundingRect().y() << " "
        << recorder.painted.boundingRect().width() << "x" << recorder.painted.boundingRect().height();
}

TEST_F(CaptureTest, the_pen_cursor_is_a_circle_of_the_pen_colour_on_a_see_through_square)
{
    const QImage black = CScrivaView::PenCursorImage(RGB(0, 0, 0), 2, true);
    EXPECT_EQ(qAlpha(black.pixel(0, 0)), 0);            // white around a black pen is keyed out
    EXPECT_EQ(black.pixel(16, 16), qRgb(0, 0, 0));      // the nib
    EXPECT_EQ(black.pixel(21, 16), qRgb(128, 128, 128)); // its grey outline, radius 5
    EXPECT_EQ(qAlpha(black.pixel(23, 16)), 0);

    const QImage red = CScrivaView::PenCursorImage(RGB(255, 0, 0), 4, true);
    EXPECT_EQ(qAlpha(red.pixel(0, 0)), 0);               // black is keyed out around colours
    EXPECT_EQ(red.pixel(16, 16), qRgb(255, 0, 0));
    EXPECT_EQ(red.pixel(23, 16), qRgb(128, 128, 128));   // radius 7
    EXPECT_EQ(CScrivaView::PenCursorHotSpot(), QPoint(16, 16));

    // The view's cursor points with the centre of its circle, where the ink lands.
    const QCursor cursor = m_view->PenCursor();
    const QImage shown = cursor.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    QRect drawn;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            if (qAlpha(shown.pixel(x, y)) != 0)
                drawn |= QRect(x, y, 1, 1);
    EXPECT_EQ(drawn, QRect(11, 11, 11, 11));  // the pencil's circle, radius 5 around (16, 16)
    EXPECT_EQ(cursor.hotSpot(), QPoint(16, 16));

    const QImage grey = CScrivaView::PenCursorImage(0x808080, 1, true);
    EXPECT_EQ(grey.pixel(20, 16), qRgb(255, 255, 255));  // a grey pen gets a white outline
}

TEST_F(CaptureTest, the_eraser_shows_its_own_cursor_with_the_hot_spot_of_its_picture)
{
    QWidget* target = m_view->viewport();
    m_view->OnCommand(IDC_ERASER);
    QTest::mouseMove(target, QPoint(300, 200));
    QTest::mouseMove(target, QPoint(310, 205));
    const QCursor eraser = target->cursor();
    ASSERT_EQ(eraser.shape(), Qt::BitmapCursor);
    const Resources::CursorImage picture = Resources::LoadCursorImage("cursor/178");
    EXPECT_EQ(eraser.hotSpot(), picture.hotSpot);
    EXPECT_NE(eraser.hotSpot(), QPoint(0, 0));
    EXPECT_EQ(eraser.pixmap().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
              picture.image.convertToFormat(QImage::Format_ARGB32_Premultiplied));

    // A pen tool brings the pen cursor back.
    m_view->OnCommand(IDC_PENCIL);
    QTest::mouseMove(target, QPoint(320, 210));
    EXPECT_EQ(target->cursor().hotSpot(), CScrivaView::PenCursorHotSpot());
}

TEST_F(CaptureTest, with_move_picture_the_mouse_drags_pictures_and_the_right_button_asks_for_the_menu)
{
    auto picture = std::make_unique<CPictureItem>();
    QImage bitmap(100, 60, QImage::Format_RGB32);
    bitmap.fill(qRgb(200, 30, 30));
    picture->SetBitmap(bitmap, 100, 60);
    m_doc.m_pictures.Add(std::move(picture));
    m_view->DrawRuledLines(true);
    m_view->OnCommand(IDC_MOVE_PICTURE);
    EXPECT_EQ(m_view->Tool(), 0);

    QWidget* target = m_view->viewport();
    // Page (50, 30) is window (256 + 25, 15) at half zoom.
    QTest::mousePress(target, Qt::LeftButton, Qt::NoModifier, QPoint(281, 15));
    QTest::mouseMove(target, QPoint(301, 25));
    QTest::mouseRelease(target, Qt::LeftButton, Qt::NoModifier, QPoint(301, 25));
    EXPECT_EQ(m_doc.m_pictures.GetAt(0)->GetRect(), CRect(40, 20, 140, 80));
    EXPECT_EQ(Page({130, 70}), RGB(200, 30, 30));

    // Copy takes the picture as the page shows it; paste puts a new one at the top-left.
    m_view->OnCommand(ID_EDIT_COPY);
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(100, 60));
    m_doc.SetModifiedFlag(false);
    m_view->OnCommand(ID_EDIT_PASTE);
    ASSERT_EQ(m_doc.m_pictures.GetCount(), 2);
    EXPECT_EQ(m_doc.m_pictures.GetAt(1)->GetRect(), CRect(0, 0, 100, 60));
    EXPECT_TRUE(m_doc.IsModified());
    m_doc.m_pictures.GetAt(1)->SetRect(CRect(600, 600, 700, 660));  // out of the way

    QSignalSpy menu(m_view.get(), &CScrivaView::pictureMenuRequested);
    QTest::mousePress(target, Qt::RightButton, Qt::NoModifier, QPoint(300, 30));
    EXPECT_EQ(menu.count(), 1);
    // QTest remembers a button held down for the events of every later test.
    QTest::mouseRelease(target, Qt::RightButton, Qt::NoModifier, QPoint(300, 30));
    m_view->OnCommand(ID_PICTURE_DELETE);
    EXPECT_EQ(m_doc.m_pictures.GetCount(), 1);
    EXPECT_EQ(Page({130, 70}), kBack);
}

TEST_F(CaptureTest, a_device_file_written_from_strokes_replays_into_the_same_strokes)
{
    Stroke(Line({300, 200}, {520, 260}, 40));
    Stroke(Line({320, 400}, {330, 600}, 25));
    ASSERT_EQ(m_doc.m_lines.GetCount(), 2);
    std::vector<std::vector<StrokePoint>> original;
    for (int i = 0; i < 2; ++i)
        original.push_back(m_doc.m_lines.GetAt(i)->Points());
    const QString path = m_dir.filePath("page.QVN");
    ASSERT_TRUE(m_doc.OnSaveDocument(path));
    QFile written(path);
    EXPECT_EQ(written.size(), 32 + 6 * (41 + 1 + 26 + 1));  // each stroke ends with a pen-up copy

    m_doc.OnNewDocument();
    ASSERT_TRUE(m_view->ImportDeviceFile(path));
    ASSERT_EQ(m_doc.m_lines.GetCount(), 2);
    EXPECT_EQ(m_view->Tool(), CScrivaView::kBrush);
    EXPECT_FALSE(m_doc.IsModified());
    for (int i = 0; i < 2; ++i) {
        const auto& points = m_doc.m_lines.GetAt(i)->Points();
        ASSERT_EQ(points.size(), original[size_t(i)].size()) << i;
        for (size_t k = 0; k < points.size(); ++k) {
            EXPECT_NEAR(points[k].x, original[size_t(i)][k].x, 4) << i << "/" << k;
            EXPECT_NEAR(points[k].y, original[size_t(i)][k].y, 4) << i << "/" << k;
        }
    }
    EXPECT_EQ(GetPrivateProfileInt("Tavlo File Packet Number", "Data Packets Count ", -1, ReportFilePath()), 69);
    EXPECT_EQ(GetPrivateProfileInt("Tavlo File", "QVN File Size ", -1, ReportFilePath()), int(written.size()));
    EXPECT_TRUE(m_prompts.Messages().empty());
}

TEST_F(CaptureTest, unusable_device_files_are_refused_with_their_messages_and_leave_the_page)
{
    const auto write = [this](const QString& name, const QByteArray& bytes) {
        QFile file(m_dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return m_dir.filePath(name);
    };
    EXPECT_FALSE(m_view->ImportDeviceFile(write("notes.txt", QByteArray(64, '\1'))));
    EXPECT_FALSE(m_view->ImportDeviceFile(write("short.QVN", QByteArray(10, '\0'))));
    QByteArray noArea(32, '\0');
    noArea.append(QByteArray::fromHex("0700100010ff"));
    EXPECT_FALSE(m_view->ImportDeviceFile(write("flat.QVN", noArea)));
    QDir(m_dir.path()).mkdir("folder.QVN");
    EXPECT_FALSE(m_view->ImportDeviceFile(m_dir.filePath("folder.QVN")));
    EXPECT_EQ(m_doc.m_lines.GetCount(), 0);

    std::vector<QString> texts;
    for (const auto& message : m_prompts.Messages())
        texts.push_back(message.text);
    ASSERT_EQ(texts.size(), 5u);
    EXPECT_EQ(texts[0], "This file is not QVN file.");
    EXPECT_EQ(texts[1], "Read Header Fail= 10.");
    EXPECT_TRUE(texts[2].startsWith("This device file gives no writing area"));
    EXPECT_TRUE(texts[3].startsWith("This device file gives no writing area"));
    EXPECT_EQ(texts[4], "file size error");

    // A header alone is a device file without writing.
    QByteArray header = QByteArray::fromHex("514f5256454e" "00 0000 00 20 00 00 00 a00f 1d10 ff01") + QByteArray(12, '\0');
    EXPECT_TRUE(m_view->ImportDeviceFile(write("empty.qvn.bak", header)));
    EXPECT_EQ(m_doc.m_lines.GetCount(), 0);
    EXPECT_EQ(GetPrivateProfileInt("Tavlo File Packet Number", "Data Packets Count ", -1, ReportFilePath()), 0);
}

TEST_F(CaptureTest, erasing_undoing_and_redoing_leave_the_page_as_a_full_render_draws_it)
{
    // Wide brush strokes crossing one another over a picture, reopened from the note so the
    // page is a whole render to begin with.
    QImage picture(400, 300, QImage::Format_RGB32);
    picture.fill(qRgb(90, 160, 210));
    QGuiApplication::clipboard()->setImage(picture);
    m_view->OnCommand(ID_EDIT_PASTE);
    m_view->OnCommand(IDC_BRUSH);
    m_view->SetToolWidth(CScrivaView::kBrush, 5);
    Stroke(Line({330, 130}, {520, 170}), kFull);
    Stroke(Line({340, 185}, {500, 120}), kFull);
    Stroke(Line({420, 110}, {430, 200}), kFull);
    Stroke(Line({300, 160}, {330, 165}), kFull);
    const QString path = m_dir.filePath("crossing.Ilf");
    ASSERT_TRUE(m_doc.OnSaveDocument(path));
    ASSERT_TRUE(m_doc.OnOpenDocument(path));
    ASSERT_EQ(m_doc.m_lines.GetCount(), 4);
    ASSERT_EQ(m_doc.m_pictures.GetCount(), 1);

    for (int round = 0; round < 3; ++round) {
        m_view->OnCommand(IDC_UNDO);  // the short stroke beside the others
        m_view->OnCommand(IDC_UNDO);  // the upright one across both
        m_view->OnCommand(IDC_REDO);
        m_view->OnCommand(IDC_REDO);
    }
    m_view->OnCommand(IDC_ERASER);
    Stroke(Loop(CRect(290, 150, 340, 175)), 500);  // takes the short stroke
    ASSERT_EQ(m_doc.m_lines.GetCount(), 3);
    m_view->OnCommand(IDC_UNDO);
    m_view->OnCommand(IDC_REDO);
    m_view->OnCommand(IDC_UNDO);
    ASSERT_EQ(m_doc.m_lines.GetCount(), 4);
    // The picture dragged 20 page pixels down and right: page (100, 100) is window (306, 50).
    m_view->OnCommand(IDC_MOVE_PICTURE);
    QTest::mousePress(m_view->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(306, 50));
    QTest::mouseMove(m_view->viewport(), QPoint(316, 60));
    QTest::mouseRelease(m_view->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(316, 60));
    ASSERT_EQ(m_doc.m_pictures.GetAt(0)->GetRect(), CRect(20, 20, 420, 320));
    m_view->OnCommand(IDC_PENCIL);  // takes the selection off the picture

    const QImage partial = m_view->Page().Surface().Bitmap().copy();
    m_view->DrawRuledLines(true);
    EXPECT_EQ(DifferingPixels(partial, m_view->Page().Surface().Bitmap()), 0);
}

TEST_F(CaptureTest, a_tap_draws_its_dot_and_nothing_else)
{
    Stroke(Line({300, 200}, {500, 260}));
    const QImage page = m_view->Page().Surface().Bitmap().copy();
    const QImage window = m_view->WindowImage().copy();
    Packet(600, 500, 700, MakeButtons(0, TBN_DOWN));
    Packet(600, 500, 0, MakeButtons(0, TBN_UP));
    ASSERT_EQ(m_doc.m_lines.GetCount(), 2);
    EXPECT_EQ(m_doc.m_lines.GetAt(1)->GetPointCount(), 1);

    // The dot, within the nib's reach of the tap, on the page and on the window.
    const POINT dot = m_view->ScreenToPage(600, 500);
    const QRect pageDot(dot.x - 6, dot.y - 6, 13, 13);
    EXPECT_GT(DifferingPixels(page, m_view->Page().Surface().Bitmap()), 0);
    EXPECT_EQ(DifferingPixels(page, m_view->Page().Surface().Bitmap(), pageDot), 0);
    const CRect screen = m_view->ScreenRect();
    const QRect windowDot(600 - screen.left - 6, 500 - screen.top - 6, 13, 13);
    EXPECT_GT(DifferingPixels(window, m_view->WindowImage()), 0);
    EXPECT_EQ(DifferingPixels(window, m_view->WindowImage(), windowDot), 0);
}

// The renderer draws a curve only when the packet after its control point comes; the window
// shows ink up to the newest packet meanwhile, and the note is exactly as it is without that.
TEST_F(CaptureTest, the_window_shows_ink_up_to_the_newest_packet_and_the_note_stays_as_without_it)
{
    QCoreApplication::processEvents();
    std::vector<POINT> wave;
    for (int i = 0; i <= 40; ++i)
        wave.push_back({300 + 6 * i, 300 + (i % 8 < 4 ? 3 * (i % 8) : 3 * (8 - i % 8))});
    struct Written {
        QImage page;
        QImage window;
        std::vector<StrokePoint> points;
        int tipsInked = 0;
    };
    const auto write = [&](bool tail) {
        m_doc.OnNewDocument();
        m_view->Invalidate();
        m_view->SetInkTail(tail);
        const QImage blank = m_view->viewport()->grab().toImage();
        const CRect screen = m_view->ScreenRect();
        Written written;
        for (size_t i = 0; i < wave.size(); ++i) {
            Packet(wave[i].x, wave[i].y, 700, i == 0 ? MakeButtons(0, TBN_DOWN) : 0);
            // The window as the screen gets it, before the next packet: ink at the pen's tip?
            const QImage shown = m_view->viewport()->grab().toImage();
            const QRect tip(wave[i].x - screen.left - 1, wave[i].y - screen.top - 1, 3, 3);
            written.tipsInked += DifferingPixels(shown.copy(tip), blank.copy(tip)) > 0;
        }
        Packet(wave.back().x, wave.back().y, 0, MakeButtons(0, TBN_UP));
        EXPECT_FALSE(m_view->IsInkTailShown());
        written.page = m_view->Page().Surface().Bitmap().copy();
        written.window = m_view->viewport()->grab().toImage();
        written.points = m_doc.m_lines.GetAt(m_doc.m_lines.GetCount() - 1)->Points();
        return written;
    };
    const Written without = write(false);
    const Written with = write(true);
    // Every packet shows at once; without the tail most wait for the next one.
    EXPECT_EQ(with.tipsInked, int(wave.size()));
    EXPECT_LT(without.tipsInked, int(wave.size()) / 2);
    // The page buffer, the stroke and, once the pen is up, the window: the same bytes.
    EXPECT_TRUE(with.page == without.page);
    EXPECT_EQ(DifferingPixels(with.window, without.window), 0);
    ASSERT_EQ(with.points.size(), without.points.size());
    for (size_t i = 0; i < with.points.size(); ++i) {
        EXPECT_EQ(with.points[i].x, without.points[i].x);
        EXPECT_EQ(with.points[i].y, without.points[i].y);
        EXPECT_EQ(with.points[i].width, without.points[i].width);
        EXPECT_EQ(with.points[i].pressure, without.points[i].pressure);
    }
}

TEST_F(CaptureTest, with_the_latency_shown_the_status_line_gets_the_pen_to_screen_times)
{
    QCoreApplication::processEvents();  // the window is shown before the pen comes
    m_view->SetLatencyShown(true);
    QSignalSpy status(m_view.get(), &CScrivaView::statusTextChanged);
    // Stamps of the monotonic clock, as the window system's: two seconds old.
    m_time = DWORD(LatencyMeter::NowMs()) - 2000;
    Stroke(Line({300, 200}, {500, 260}, 20));
    EXPECT_EQ(m_view->Latency().Count(), 21u);  // every packet that pressed on the page
    EXPECT_GE(m_view->Latency().Median(), 1880.0);
    EXPECT_LE(m_view->Latency().Percentile95(), 2500.0);
    ASSERT_GE(status.count(), 1);
    const QString text = status.last().at(0).toString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^Pen to screen: median 19\d\d\.\d ms, p95 \d+\.\d ms \(21 packets\)$)"))
                    .match(text)
                    .hasMatch())
        << text.toStdString();
    // Stamps of another clock are not taken for times.
    m_time = 1000;
    Stroke(Line({300, 300}, {500, 360}, 20));
    EXPECT_EQ(m_view->Latency().Count(), 21u);
}
