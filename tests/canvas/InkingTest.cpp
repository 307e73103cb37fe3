// Inking mode on a fixed 1024 × 768 screen: Start to write, the pen's plain lines on the frozen
// screen, and Inking's calls into the inserter with their bitmaps, in order. The inserter
// here records what it is given; the clipboard's side is checked with the real one.

#include "ScriptedPrompts.h"
#include "TestApplication.h"

#include "canvas/CScreenOverlay.h"
#include "canvas/CScrivaView.h"
#include "inking/ClipboardInkOffer.h"
#include "inking/InkInserter.h"
#include "platform/ScreenGrab.h"
#include "platform/ScreenMetrics.h"
#include "platform/Settings.h"
#include "tablet/TabletBinding.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The same picture at every grab.
class FixedGrab : public IScreenGrab {
public:
    explicit FixedGrab(QImage picture) : m_picture(std::move(picture)) {}
    ScreenGrabResult Grab() override
    {
        ++grabs;
        return {m_picture, QPoint(), QString()};
    }
    int grabs = 0;

private:
    QImage m_picture;
};

QString Text(const CRect& r)
{
    return QStringLiteral("(%1,%2,%3,%4)").arg(r.left).arg(r.top).arg(r.right).arg(r.bottom);
}

// Records every call, with the bitmap it was given, and answers as told.
class RecordingInserter : public IInkInserter {
public:
    bool OfficeBegin(IInkOwner&, const CRect& ink) override
    {
        calls << QStringLiteral("OfficeBegin") + Text(ink);
        return office;
    }
    InkHandOver OfficeInsert(IInkOwner&, const CRect& ink, DrawingSurface& dc, bool highlighter) override
    {
        calls << QStringLiteral("OfficeInsert") + Text(ink) + QString::number(highlighter);
        bitmaps.push_back(dc.Bitmap().copy());
        return answer;
    }
    void OfficeEnd() override { calls << QStringLiteral("OfficeEnd"); }
    InkHandOver Insert(IInkOwner&, const CRect& ink, DrawingSurface& dc) override
    {
        calls << QStringLiteral("Insert") + Text(ink);
        bitmaps.push_back(dc.Bitmap().copy());
        return answer;
    }
    void RenderFormat(IInkOwner&, const QString& format) override { calls << QStringLiteral("RenderFormat:") + format; }
    void RenderFormatHtmlTimeOut(IInkOwner&) override { calls << QStringLiteral("RenderFormatHtmlTimeOut"); }

    bool office = false;
    InkHandOver answer = InkHandOver::Pasted;
    QStringList calls;
    std::vector<QImage> bitmaps;
};

constexpr DWORD kDown = MakeButtons(0, TBN_DOWN);
constexpr DWORD kUp = MakeButtons(0, TBN_UP);
constexpr QRgb kScreen = qRgb(90, 160, 200);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr QRgb kWhite = qRgb(255, 255, 255);

class InkingTest : public ::testing::Test {
protected:
    InkingTest()
    {
        TestApplication();
        ScreenMetrics::SetFixedScreen(QSize(1024, 768));
        OverrideSettingsFolder(m_dir.path());
        TabletBinding::Instance().SetMousePen(true);
        TabletBinding::Instance().LoadTabletInterface(true);
        m_view = std::make_unique<CScrivaView>(m_doc);
        // The small frame of inking mode, in the screen's bottom-right corner.
        m_view->setGeometry(824, 668, 200, 100);
        m_view->show();
        QCoreApplication::processEvents();
        m_doc.OnNewDocument();
        m_view->SetFrameMode(FrameMode::Inking);
        m_view->SetPenColor(RGB(0, 0, 0));
        QImage screen(1024, 768, QImage::Format_RGB32);
        screen.fill(kScreen);
        auto grab = std::make_unique<FixedGrab>(screen);
        m_grab = grab.get();
        m_view->SetScreenGrab(std::move(grab));
        auto inserter = std::make_unique<RecordingInserter>();
        m_inserter = inserter.get();
        m_view->SetInkInserter(std::move(inserter));
    }
    ~InkingTest() override
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
    // A straight stroke from a to b through n steps.
    void Stroke(POINT a, POINT b, int n = 10)
    {
        for (int i = 0; i <= n; ++i)
            Packet(a.x + (b.x - a.x) * i / n, a.y + (b.y - a.y) * i / n, 700, i == 0 ? kDown : 0);
        Packet(b.x, b.y, 0, kUp);
    }
    void StartToWrite()
    {
        m_view->OnStartToWrite();
        ASSERT_TRUE(m_view->IsWritingOver());
        ASSERT_TRUE(m_view->IsOverlayShown());
    }
    void MarkerStroke(POINT a, POINT b)
    {
        m_view->OnMarker();
        m_view->SetPenColor(kYellow);
        Stroke(a, b);
        m_view->OnPencil();
        m_view->SetPenColor(RGB(0, 0, 0));
    }
    CScreenOverlay& Overlay() { return m_view->Overlay(); }

    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    CScrivaDoc m_doc;
    std::unique_ptr<CScrivaView> m_view;
    FixedGrab* m_grab = nullptr;
    RecordingInserter* m_inserter = nullptr;
    DWORD m_time = 1000;
};

}  // namespace

TEST_F(InkingTest, the_pen_draws_plain_lines_on_the_frozen_screen_and_keeps_them_in_screen_pixels)
{
    StartToWrite();
    EXPECT_EQ(m_grab->grabs, 1);
    EXPECT_FALSE(Overlay().IsCaptureMode());
    m_view->SetToolWidth(CScrivaView::kPencil, 3);
    Stroke({100, 200}, {300, 200});

    ASSERT_EQ(m_doc.m_lines.GetCount(), 1);
    const CLine* line = m_doc.m_lines.GetAt(0);
    EXPECT_EQ(line->GetPenType(), CScrivaView::kPencil);
    EXPECT_EQ(line->IsInkRendered(), 0u);
    // Eleven drawing packets, the first point stored twice; the width is the step in pixels.
    ASSERT_EQ(line->GetPointCount(), 12);
    EXPECT_EQ(line->GetPoint(0).x, 100);
    EXPECT_EQ(line->GetPoint(1).x, 100);
    EXPECT_EQ(line->GetPoint(11).x, 300);
    EXPECT_EQ(line->GetPoint(5).width, 3);
    EXPECT_EQ(line->GetBounds(), CRect(98, 198, 302, 202));
    // The line is on the overlay and in its back buffer; beside it the frozen screen shows.
    EXPECT_EQ(Overlay().WindowSurface().GetPixel(200, 200), RGB(0, 0, 0));
    EXPECT_EQ(Overlay().BackBuffer().GetPixel(200, 200), RGB(0, 0, 0));
    EXPECT_EQ(Overlay().BackBuffer().GetPixel(200, 210), RGB(90, 160, 200));
    // Writing over other programs does not change the note.
    EXPECT_FALSE(m_doc.IsModified());
    EXPECT_FALSE(m_view->HasInk());

    // A press on the frame is not writing.
    Stroke({900, 700}, {950, 720});
    EXPECT_EQ(m_doc.m_lines.GetCount(), 1);
}

TEST_F(InkingTest, only_marker_ink_is_one_office_picture_with_the_highlighter_flag)
{
    m_inserter->office = true;
    StartToWrite();
    MarkerStroke({100, 100}, {200, 150});
    ASSERT_EQ(m_doc.m_lines.GetMarkerBounds(), CRect(99, 99, 201, 151));
    m_view->OnInking();

    EXPECT_EQ(m_inserter->calls, QStringList({"OfficeBegin(99,99,201,151)", "OfficeInsert(99,99,201,151)1",
                                               "OfficeEnd"}));
    ASSERT_EQ(m_inserter->bitmaps.size(), 1u);
    const QImage& marker = m_inserter->bitmaps[0];
    EXPECT_EQ(marker.size(), QSize(102, 52));
    EXPECT_EQ(marker.pixel(101, 0), kWhite);
    EXPECT_EQ(marker.pixel(0, 51), kWhite);
    EXPECT_EQ(marker.pixel(51, 26), qRgb(255, 255, 0));  // (150, 125) on the screen
    EXPECT_EQ(marker.pixel(51, 5), kWhite);
    // Handed over: the write-over is done and its strokes gone.
    EXPECT_FALSE(m_view->IsWritingOver());
    EXPECT_FALSE(m_view->IsOverlayShown());
    EXPECT_EQ(m_doc.m_lines.GetCount(), 0);
    EXPECT_EQ(m_doc.m_lines.GetRedoCount(), 0);
}

TEST_F(InkingTest, pencil_and_marker_ink_go_to_an_office_program_as_two_pictures_pencil_first)
{
    m_inserter->office = true;
    StartToWrite();
    m_view->SetToolWidth(CScrivaView::kPencil, 3);
    Stroke({400, 300}, {500, 340});
    MarkerStroke({100, 100}, {200, 150});
    Stroke({420, 360}, {480, 380});
    ASSERT_EQ(m_doc.m_lines.GetInkBounds(), CRect(398, 298, 502, 382));
    m_view->OnInking();

    EXPECT_EQ(m_inserter->calls,
              QStringList({"OfficeBegin(398,298,502,382)", "OfficeInsert(398,298,502,382)0", "OfficeEnd",
                           "OfficeBegin(99,99,201,151)", "OfficeInsert(99,99,201,151)1", "OfficeEnd"}));
    ASSERT_EQ(m_inserter->bitmaps.size(), 2u);
    // Each picture holds only its own ink, at its own size.
    const QImage& pencil = m_inserter->bitmaps[0];
    EXPECT_EQ(pencil.size(), QSize(104, 84));
    EXPECT_EQ(pencil.pixel(52, 22), qRgb(0, 0, 0));  // (450, 320)
    EXPECT_EQ(pencil.pixel(52, 72), qRgb(0, 0, 0));  // (450, 370)
    EXPECT_EQ(pencil.pixel(10, 70), kWhite);
    const QImage& marker = m_inserter->bitmaps[1];
    EXPECT_EQ(marker.size(), QSize(102, 52));
    EXPECT_EQ(marker.pixel(51, 26), qRgb(255, 255, 0));
    EXPECT_EQ(m_doc.m_lines.GetCount(), 0);
}

TEST_F(InkingTest, a_program_that_refuses_the_office_protocol_gets_all_the_ink_on_white_at_once)
{
    StartToWrite();
    m_view->SetToolWidth(CScrivaView::kPencil, 3);
    Stroke({400, 300}, {500, 340});
    MarkerStroke({100, 100}, {200, 150});
    m_view->OnInking();

    EXPECT_EQ(m_inserter->calls,
              QStringList({"OfficeBegin(398,298,502,342)", "OfficeEnd", "Insert(99,99,502,342)"}));
    ASSERT_EQ(m_inserter->bitmaps.size(), 1u);
    const QImage& all = m_inserter->bitmaps[0];
    EXPECT_EQ(all.size(), QSize(403, 243));
    EXPECT_EQ(all.pixel(0, 242), kWhite);
    EXPECT_EQ(all.pixel(402, 0), kWhite);
    EXPECT_EQ(all.pixel(51, 26), qRgb(255, 255, 0));  // the marker at (150, 125)
    EXPECT_EQ(all.pixel(351, 221), qRgb(0, 0, 0));    // the pencil at (450, 320)
    EXPECT_EQ(m_doc.m_lines.GetCount(), 0);
}

// A straight underline at the pencil's even width has bounds without area; it is still writing,
// and is handed over with its ink.
TEST_F(InkingTest, a_straight_line_at_an_even_width_is_handed_over_not_dropped)
{
    StartToWrite();
    m_view->SetToolWidth(CScrivaView::kPencil, 2);
    Stroke({100, 200}, {300, 200});
    ASSERT_EQ(m_doc.m_lines.GetCount(), 1);
    ASSERT_TRUE(m_doc.m_lines.GetAt(0)->GetBounds().IsRectEmpty());
    m_view->OnInking();

    EXPECT_EQ(m_inserter->calls, QStringList({"OfficeBegin(100,199,300,201)", "OfficeEnd", "Insert(100,199,300,201)"}));
    ASSERT_EQ(m_inserter->bitmaps.size(), 1u);
    const QImage& line = m_inserter->bitmaps[0];
    ASSERT_EQ(line.size(), QSize(200, 2));
    int black = 0;
    for (int y = 0; y < line.height(); ++y)
        for (int x = 0; x < line.width(); ++x)
            black += line.pixel(x, y) == qRgb(0, 0, 0);
    EXPECT_GE(black, 190);
    EXPECT_EQ(m_doc.m_lines.GetCount(), 0);
}

TEST_F(InkingTest, inking_with_nothing_written_hides_the_overlay_and_calls_nothing)
{
    QSignalSpy ended(m_view.get(), &CScrivaView::writeOverEnded);
    StartToWrite();
    m_view->OnInking();
    EXPECT_TRUE(m_inserter->calls.isEmpty());
    EXPECT_FALSE(m_view->IsOverlayShown());
    EXPECT_FALSE(m_view->IsWritingOver());
    EXPECT_EQ(ended.count(), 1);
    EXPECT_EQ(m_doc.m_lines.GetCount(), 0);
}

TEST_F(InkingTest, ink_nothing_took_stays_on_the_overlay_and_the_user_is_told)
{
    m_inserter->answer = InkHandOver::NotTaken;
    QSignalSpy notices(m_view.get(), &CScrivaView::inkingNotice);
    QSignalSpy begun(m_view.get(), &CScrivaView::writeOverBegun);
    StartToWrite();
    Stroke({400, 300}, {500, 340});
    m_view->OnInking();

    ASSERT_EQ(m_inserter->calls.size(), 3);
    EXPECT_EQ(m_doc.m_lines.GetCount(), 1);
    EXPECT_TRUE(m_view->IsWritingOver());
    EXPECT_TRUE(m_view->IsOverlayShown());
    EXPECT_EQ(Overlay().BackBuffer().GetPixel(450, 320), RGB(0, 0, 0));
    EXPECT_EQ(begun.count(), 2);  // the bars show Inking and Cancel again
    ASSERT_EQ(notices.count(), 1);
    EXPECT_TRUE(notices[0][0].toString().startsWith("No program took the ink"));

    // Once a program takes it, it goes.
    m_inserter->answer = InkHandOver::Pasted;
    m_view->OnInking();
    EXPECT_EQ(m_doc.m_lines.GetCount(), 0);
    EXPECT_FALSE(m_view->IsOverlayShown());
}

TEST_F(InkingTest, start_to_write_does_not_stack_a_second_overlay)
{
    QSignalSpy begun(m_view.get(), &CScrivaView::writeOverBegun);
    // Desktop mode's overlay is up, and the frame turns to inking mode over it.
    m_view->SetFrameMode(FrameMode::Desktop);
    ASSERT_TRUE(m_view->ShowSnapshotOverlay());
    m_view->SetFrameMode(FrameMode::Inking);
    m_view->OnStartToWrite();
    EXPECT_FALSE(m_view->IsWritingOver());
    EXPECT_EQ(m_grab->grabs, 1);
    EXPECT_EQ(begun.count(), 0);

    // A write-over of its own, pressed twice.
    m_view->HideOverlay();
    StartToWrite();
    m_view->OnStartToWrite();
    EXPECT_EQ(m_grab->grabs, 2);
    EXPECT_EQ(begun.count(), 1);
}

TEST_F(InkingTest, taking_up_a_pen_starts_writing_once_start_to_write_has_been_used)
{
    m_view->OnBrush();
    EXPECT_FALSE(m_view->IsWritingOver());
    EXPECT_EQ(m_grab->grabs, 0);

    StartToWrite();
    m_view->OnInkingCancel();
    m_view->OnEraser();
    EXPECT_FALSE(m_view->IsWritingOver());
    m_view->OnMarker();
    EXPECT_TRUE(m_view->IsWritingOver());
    EXPECT_TRUE(m_view->IsOverlayShown());
    EXPECT_EQ(m_grab->grabs, 2);
    m_view->OnPencil();  // already writing: nothing more
    EXPECT_EQ(m_grab->grabs, 2);
}

TEST_F(InkingTest, cancel_drops_the_strokes_and_escape_keeps_them_for_inking)
{
    QSignalSpy ended(m_view.get(), &CScrivaView::writeOverEnded);
    StartToWrite();
    Stroke({400, 300}, {500, 340});
    m_view->OnInkingCancel();
    EXPECT_FALSE(m_view->IsOverlayShown());
    EXPECT_FALSE(m_view->IsWritingOver());
    EXPECT_EQ(m_doc.m_lines.GetCount(), 0);
    EXPECT_EQ(ended.count(), 1);
    EXPECT_TRUE(m_inserter->calls.isEmpty());

    // Escape puts the overlay away and leaves the write-over open with its strokes.
    StartToWrite();
    Stroke({400, 300}, {500, 340});
    QTest::keyClick(&Overlay(), Qt::Key_Escape);
    EXPECT_FALSE(m_view->IsOverlayShown());
    EXPECT_TRUE(m_view->IsWritingOver());
    EXPECT_EQ(m_doc.m_lines.GetCount(), 1);
    Packet(450, 450, 700, kDown);  // the pen has nothing to write on
    Packet(450, 450, 0, kUp);
    EXPECT_EQ(m_doc.m_lines.GetCount(), 1);
    m_view->OnInking();
    EXPECT_EQ(m_inserter->calls, QStringList({"OfficeBegin(400,300,500,340)", "OfficeEnd", "Insert(400,300,500,340)"}));
    EXPECT_EQ(m_doc.m_lines.GetCount(), 0);
}

TEST_F(InkingTest, a_render_request_calls_the_inserter_twice_and_render_all_once)
{
    m_view->OnRenderFormat(QStringLiteral("image/png"));
    EXPECT_EQ(m_inserter->calls, QStringList({"RenderFormat:image/png", "RenderFormatHtmlTimeOut"}));
    m_inserter->calls.clear();
    m_view->OnRenderAllFormats();
    EXPECT_EQ(m_inserter->calls, QStringList({"RenderFormat:"}));
}

// Offscreen no program can be typed into: the ink waits on the clipboard, made only when it
// is read, through the view's render request.
TEST_F(InkingTest, without_a_program_to_type_into_the_ink_waits_on_the_clipboard_made_when_read)
{
    m_view->SetInkInserter(std::make_unique<InkInserter>());
    QSignalSpy notices(m_view.get(), &CScrivaView::inkingNotice);
    StartToWrite();
    m_view->SetToolWidth(CScrivaView::kPencil, 3);
    Stroke({400, 300}, {500, 340});
    m_view->OnInking();

    EXPECT_EQ(m_doc.m_lines.GetCount(), 0);
    ASSERT_EQ(notices.count(), 1);
    EXPECT_TRUE(notices[0][0].toString().contains("Ctrl+V"));
    const auto* offer = qobject_cast<const ClipboardInkOffer*>(QGuiApplication::clipboard()->mimeData());
    ASSERT_NE(offer, nullptr);
    EXPECT_EQ(offer->RequestCount(), 0);
    EXPECT_FALSE(offer->IsProvided(ClipboardInkOffer::kPng));
    EXPECT_EQ(offer->formats(), QStringList({"image/png", "image/bmp", "text/html"}));

    const QImage png = QImage::fromData(offer->data(ClipboardInkOffer::kPng), "PNG");
    EXPECT_EQ(offer->RequestCount(), 1);
    ASSERT_EQ(png.size(), QSize(104, 44));
    EXPECT_EQ(png.pixel(52, 22), qRgb(0, 0, 0));
    EXPECT_EQ(png.pixel(0, 43), kWhite);
    const QImage bmp = QImage::fromData(offer->data(ClipboardInkOffer::kBmp), "BMP");
    EXPECT_EQ(bmp.convertToFormat(QImage::Format_RGB32), png.convertToFormat(QImage::Format_RGB32));
    const QByteArray html = offer->data(ClipboardInkOffer::kHtml);
    EXPECT_TRUE(html.contains("<img src=\"data:image/png;base64,"));
    EXPECT_EQ(offer->RequestCount(), 3);
    offer->data(ClipboardInkOffer::kPng);
    EXPECT_EQ(offer->RequestCount(), 3);  // made once
}

// Every packet's line reaches the screen before the next packet is taken; with the ink drawn
// ahead on or off, the overlay, the strokes and the picture handed over are the same bytes.
TEST_F(InkingTest, each_packet_reaches_the_screen_at_once_and_the_picture_handed_over_is_the_same_either_way)
{
    struct Written {
        QImage window;
        QImage back;
        std::vector<StrokePoint> points;
        std::vector<QImage> handed;
        int tipsShown = 0;
    };
    const auto write = [&](bool tail) {
        m_view->SetInkTail(tail);
        m_inserter->bitmaps.clear();
        StartToWrite();
        QCoreApplication::processEvents();
        m_view->SetToolWidth(CScrivaView::kBrush, 3);
        Written written;
        for (int i = 0; i <= 30; ++i) {
            const POINT at{200 + 7 * i, 300 + (i % 6 < 3 ? 4 * (i % 6) : 4 * (6 - i % 6))};
            Packet(at.x, at.y, 700, i == 0 ? kDown : 0);
            // What the screen got of the overlay before the next packet: ink at the tip?
            const QImage tip = QGuiApplication::primaryScreen()
                                   ->grabWindow(Overlay().winId(), at.x - 1, at.y - 1, 3, 3)
                                   .toImage()
                                   .convertToFormat(QImage::Format_RGB32);
            QImage screen(3, 3, QImage::Format_RGB32);
            screen.fill(kScreen);
            written.tipsShown += tip != screen;
        }
        Packet(410, 300, 0, kUp);
        EXPECT_FALSE(Overlay().IsTailShown());
        written.window = Overlay().WindowSurface().Bitmap().copy();
        written.back = Overlay().BackBuffer().Bitmap().copy();
        const CLine& line = *m_doc.m_lines.GetAt(0);
        for (int i = 0; i < line.GetPointCount(); ++i)
            written.points.push_back(line.GetPoint(i));
        m_view->OnInking();
        written.handed = m_inserter->bitmaps;
        return written;
    };
    const Written without = write(false);
    const Written with = write(true);
    EXPECT_EQ(without.tipsShown, 31);
    EXPECT_EQ(with.tipsShown, 31);
    EXPECT_TRUE(with.window == without.window);
    EXPECT_TRUE(with.back == without.back);
    ASSERT_EQ(with.points.size(), without.points.size());
    for (size_t i = 0; i < with.points.size(); ++i) {
        EXPECT_EQ(with.points[i].x, without.points[i].x);
        EXPECT_EQ(with.points[i].y, without.points[i].y);
        EXPECT_EQ(with.points[i].width, without.points[i].width);
    }
    ASSERT_EQ(with.handed.size(), 1u);
    ASSERT_EQ(without.handed.size(), 1u);
    EXPECT_TRUE(with.handed[0] == without.handed[0]);
}
