// Capture Screen and desktop mode on a real X server, with the mouse as the pen: the frame's
// buttons, the capture panel and the overlay are clicked and dragged on by the X server
// itself, and the screen is read back through X to see what the user sees.

#include "ScriptedPrompts.h"
#include "TestApplication.h"
#include "X11Desk.h"

#include "canvas/CScreenOverlay.h"
#include "platform/CommandIds.h"
#include "platform/ScreenMetrics.h"
#include "platform/Settings.h"
#include "platform/X11ScreenGrab.h"
#include "shell/bars/CCommandBar.h"
#include "shell/bars/CPaletteBar.h"
#include "shell/dialogs/CCaptureControlDlg.h"
#include "shell/frame/CMainFrame.h"
#include "shell/widgets/CHoverBitmapButton.h"
#include "tablet/TabletBinding.h"

#include <QPainter>
#include <QRasterWindow>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// (x, y) of the picture is RGB(x * 2 & 255, y * 3 & 255, x + y & 255): no two neighbours alike.
QImage KnownPicture(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb((x * 2) & 255, (y * 3) & 255, (x + y) & 255));
    return image;
}

// A frameless window that shows a picture pixel for pixel.
class PictureWindow : public QRasterWindow {
public:
    explicit PictureWindow(QImage picture) : m_picture(std::move(picture)) { setFlags(Qt::FramelessWindowHint); }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).drawImage(0, 0, m_picture); }

private:
    QImage m_picture;
};

// Points from a to b in n steps, each shown to the X server a fifth of a second apart, so the
// rubber band, which follows at most every 150 ms, takes each of them.
bool SlowDrag(QPoint a, QPoint b, int n = 5)
{
    QStringList arguments{QStringLiteral("mousemove"), QString::number(a.x()), QString::number(a.y()),
                          QStringLiteral("mousedown"), QStringLiteral("1")};
    for (int i = 1; i <= n; ++i) {
        const QPoint p = a + (b - a) * i / n;
        arguments << QStringLiteral("sleep") << QStringLiteral("0.2") << QStringLiteral("mousemove")
                  << QString::number(p.x()) << QString::number(p.y());
    }
    arguments << QStringLiteral("sleep") << QStringLiteral("0.2") << QStringLiteral("mouseup") << QStringLiteral("1");
    const bool dragged = X11Desk::Run(QStringLiteral("xdotool"), arguments);
    X11Desk::Settle(300);
    return dragged;
}

QImage Screen()
{
    return X11ScreenGrab().Grab().image;
}

class OverlayTest : public ::testing::Test {
protected:
    OverlayTest()
    {
        TestApplication();
        OverrideSettingsFolder(m_dir.path());
        TabletBinding::Instance().SetMousePen(true);
        TabletBinding::Instance().LoadTabletInterface(true);
    }
    ~OverlayTest() override
    {
        m_frame.reset();
        TabletBinding::Instance().SetMousePen(false);
    }
    void SetUp() override
    {
        ASSERT_TRUE(X11Desk::Available());
        // The known picture stands on the desktop, under the letter frame.
        m_picture = KnownPicture(QSize(400, 300));
        m_pictureWindow = std::make_unique<PictureWindow>(m_picture);
        m_pictureWindow->setGeometry(QRect(m_pictureAt, m_picture.size()));
        m_pictureWindow->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_pictureWindow.get()));
        m_frame = std::make_unique<CMainFrame>(m_doc, "LETTER", [](UINT) { return false; });
        m_frame->UseViewOverlay();
        m_doc.OnNewDocument();
        m_frame->ShowMaximized();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_frame.get()));
        X11Desk::Settle(300);
    }
    // The centre of a widget in X pixels.
    static QPoint Centre(const QWidget* widget) { return widget->mapToGlobal(widget->rect().center()); }
    // A hand comes to a button of the frame and then clicks it: coming from the overlay, the
    // frame is raised on the way (a window manager may have put the overlay above it).
    static bool ClickOnFrame(const QWidget* button)
    {
        X11Desk::MoveMouse(Centre(button) + QPoint(0, 3));
        X11Desk::Settle(300);
        return X11Desk::Click(Centre(button));
    }
    CScrivaView& View() { return *m_frame->View(); }
    // Moves the mouse about over the screen, as a hand does before it writes.
    void Wander(int moves = 12)
    {
        for (int i = 0; i < moves; ++i)
            X11Desk::MoveMouse(QPoint(1500 + 10 * i, 800 + 5 * i));
    }

    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    CScrivaDoc m_doc;
    std::unique_ptr<CMainFrame> m_frame;
    QImage m_picture;
    const QPoint m_pictureAt{1200, 300};
    std::unique_ptr<PictureWindow> m_pictureWindow;
};

}  // namespace

TEST_F(OverlayTest, a_rectangle_dragged_over_the_screen_becomes_the_same_pixels_at_the_page_corner)
{
    ASSERT_TRUE(Screen().copy(QRect(m_pictureAt, m_picture.size())) != m_picture);  // the frame covers it
    ASSERT_TRUE(X11Desk::Click(Centre(m_frame->PaletteBar()->Button(IDC_CAPTURE_SCREEN))));
    CCaptureControlDlg* panel = m_frame->CaptureControl();
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel->isVisible() && !m_frame->isVisible(); }, 3000));
    X11Desk::Settle(300);
    ASSERT_TRUE(X11Desk::Click(Centre(panel->StartButton())));
    ASSERT_TRUE(QTest::qWaitFor([&] { return View().ViewMode() == 2 && View().IsOverlayShown(); }, 3000));
    X11Desk::Settle(300);

    // The screen is frozen and tinted: the picture shows darker and blue.
    const QImage tinted = Screen();
    const QRgb shown = tinted.pixel(m_pictureAt + QPoint(100, 50));
    const QRgb under = m_picture.pixel(100, 50);  // RGB(200, 150, 150)
    EXPECT_EQ(under, qRgb(200, 150, 150));
    EXPECT_EQ(shown, qRgb(128, 128, 150));

    Wander();
    ASSERT_TRUE(SlowDrag(m_pictureAt + QPoint(20, 30), m_pictureAt + QPoint(220, 180)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_frame->isVisible(); }, 3000));
    EXPECT_EQ(View().ViewMode(), 0);
    EXPECT_FALSE(View().IsOverlayShown());
    ASSERT_EQ(m_doc.m_pictures.GetCount(), 1);
    const CPictureItem* picture = m_doc.m_pictures.GetAt(0);
    EXPECT_EQ(picture->GetRect(), CRect(0, 0, 200, 150));
    EXPECT_TRUE(picture->Bitmap().copy(0, 0, 200, 150) == m_picture.copy(20, 30, 200, 150));
    EXPECT_TRUE(m_doc.IsModified());
}

TEST_F(OverlayTest, desktop_mode_freezes_the_screen_the_pen_writes_on_it_and_letter_mode_comes_back)
{
    ASSERT_TRUE(X11Desk::Click(Centre(m_frame->CommandBar()->ButtonFor(ID_DESKTOP_MODE))));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_frame->Mode() == FrameMode::Desktop && View().IsOverlayShown(); }, 3000));
    X11Desk::Settle(500);
    // The small frame stands in the work area's bottom-right corner, over the overlay.
    const QRect work = ScreenMetrics::LogicalWorkArea();
    EXPECT_EQ(m_frame->frameGeometry().bottomRight(), work.bottomRight());
    EXPECT_EQ(View().Overlay().ScreenRect(), CRect(0, 0, 1920, 1080));
    EXPECT_EQ(View().Overlay().geometry(), QRect(0, 0, 1920, 1080));

    // The picture window goes; the frozen screen still shows it.
    m_pictureWindow->hide();
    X11Desk::Settle(300);
    QImage screen = Screen();
    EXPECT_TRUE(screen.copy(QRect(m_pictureAt, m_picture.size())) == m_picture);

    // The pen writes on it in screen pixels.
    Wander(2);
    ASSERT_TRUE(X11Desk::Drag(X11Desk::Line(m_pictureAt + QPoint(50, 100), m_pictureAt + QPoint(300, 100), 25)));
    ASSERT_EQ(m_doc.m_lines.GetCount(), 1);
    const CLine* line = m_doc.m_lines.GetAt(0);
    EXPECT_EQ(line->GetPoint(0).x, m_pictureAt.x() + 50);
    EXPECT_EQ(line->GetPoint(0).y, m_pictureAt.y() + 100);
    screen = Screen();
    const QPoint inked = m_pictureAt + QPoint(175, 100);
    EXPECT_NE(screen.pixel(inked), m_picture.pixel(175, 100));
    EXPECT_EQ(screen.pixel(m_pictureAt + QPoint(175, 160)), m_picture.pixel(175, 160));

    // Undo puts the frozen screen back under the stroke.
    ASSERT_TRUE(ClickOnFrame(m_frame->PaletteBar()->Button(IDC_UNDO)));
    EXPECT_EQ(m_doc.m_lines.GetCount(), 0);
    EXPECT_EQ(Screen().pixel(inked), m_picture.pixel(175, 100));

    // Escape takes the overlay away and leaves the frame; desktop mode goes on.
    ASSERT_TRUE(X11Desk::Run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("600"),
                                                          QStringLiteral("600"), QStringLiteral("key"),
                                                          QStringLiteral("Escape")}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !View().IsOverlayShown(); }, 3000));
    EXPECT_TRUE(m_frame->isVisible());
    EXPECT_EQ(m_frame->Mode(), FrameMode::Desktop);

    // Letter mode: nothing written since, so no question.
    ASSERT_TRUE(ClickOnFrame(m_frame->CommandBar()->ButtonFor(ID_LETTER_MODE)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_frame->Mode() == FrameMode::Letter; }, 3000));
    X11Desk::Settle(300);
    EXPECT_TRUE(m_frame->isMaximized());
    EXPECT_FALSE(m_frame->windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST_F(OverlayTest, a_monitor_added_while_the_overlay_is_up_is_covered_too)
{
    m_frame->OnCommand(ID_DESKTOP_MODE);
    ASSERT_TRUE(View().IsOverlayShown());
    ASSERT_TRUE(X11Desk::AddMonitor(QStringLiteral("Right"), QRect(1920, 0, 1920, 1200)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return View().Overlay().ScreenRect() == CRect(0, 0, 3840, 1200); }, 5000));
    X11Desk::Settle(300);
    EXPECT_TRUE(View().IsOverlayShown());
    EXPECT_EQ(View().Overlay().geometry(), QRect(0, 0, 3840, 1200));
    EXPECT_EQ(View().DesktopSnapshot().DeviceWidth(), 3840);
    // The pen writes on the new monitor.
    Wander(2);
    ASSERT_TRUE(X11Desk::Drag(X11Desk::Line(QPoint(2500, 500), QPoint(2700, 520), 20)));
    ASSERT_EQ(m_doc.m_lines.GetCount(), 1);
    EXPECT_EQ(m_doc.m_lines.GetAt(0)->GetPoint(0).x, 2500);

    // And taken away again: the overlay shrinks with the desktop.
    ASSERT_TRUE(X11Desk::RemoveMonitor(QStringLiteral("Right")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return View().Overlay().ScreenRect() == CRect(0, 0, 1920, 1080); }, 5000));
    EXPECT_TRUE(View().IsOverlayShown());
}
