// The small frames, the bars, the pen-width popup and the cursors on a screen scaled by two,
// where Qt places windows in logical pixels and the X server shows physical ones. A program of
// its own: the scale is set before the application is made.

#include "QtPrinting.h"
#include "ScriptedPrompts.h"
#include "TestApplication.h"
#include "ShownCursor.h"
#include "X11Desk.h"

#include "platform/CommandIds.h"
#include "platform/Settings.h"
#include "shell/bars/CCommandBar.h"
#include "shell/bars/CPaletteBar.h"
#include "shell/bars/CPenWidthPopup.h"
#include "shell/frame/CMainFrame.h"
#include "shell/widgets/CHoverBitmapButton.h"
#include "canvas/CScreenOverlay.h"
#include "canvas/CScrivaView.h"
#include "tablet/TabletBinding.h"

#include <QPainter>
#include <QPixmap>
#include <QRasterWindow>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class HiDpiTest : public ::testing::Test {
protected:
    HiDpiTest()
    {
        qputenv("QT_SCALE_FACTOR", "2");
        TestApplication();
        OverrideSettingsFolder(m_dir.path());
    }

    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    CScrivaDoc m_doc;
};

// A screen as the X server shows it, one pixel per X pixel.
QImage ScreenShot(QScreen* screen = QGuiApplication::primaryScreen())
{
    return screen->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
}

// Where a widget (or a rectangle of it, logical pixels) stands in a screen shot of its screen
// scaled by two.
QRect Physical(const QWidget* widget, QRect part = {})
{
    if (part.isNull())
        part = widget->rect();
    const QPoint onScreen = widget->mapToGlobal(part.topLeft()) - widget->screen()->geometry().topLeft();
    return QRect(onScreen * 2, part.size() * 2);
}

// A picture stretched from logical pixels shows each of them as a uniform 2 x 2 block; one
// drawn for the screen has detail inside the blocks. Counts the blocks that are not uniform.
int DetailedBlocks(const QImage& shot, const QRect& physical)
{
    int detailed = 0;
    for (int y = physical.top(); y + 1 <= physical.bottom(); y += 2)
        for (int x = physical.left(); x + 1 <= physical.right(); x += 2) {
            const QRgb first = shot.pixel(x, y);
            detailed += shot.pixel(x + 1, y) != first || shot.pixel(x, y + 1) != first ||
                        shot.pixel(x + 1, y + 1) != first;
        }
    return detailed;
}

// The bounding box of the pixels a cursor draws.
QRect Drawn(const QImage& cursor)
{
    QRect drawn;
    for (int y = 0; y < cursor.height(); ++y)
        for (int x = 0; x < cursor.width(); ++x)
            if (qAlpha(cursor.pixel(x, y)) != 0)
                drawn |= QRect(x, y, 1, 1);
    return drawn;
}

// Opens the pen-width popup above the pencil's thickness button of the frame's command bar,
// on a screen scaled by two, and checks it is drawn for the screen and fills its outline.
void ExpectCrispPopupInItsOutline(CMainFrame& frame)
{
    CHoverBitmapButton* thickness = frame.CommandBar()->ButtonFor(IDC_PENCIL_THICKNESS);
    X11Desk::Click(Physical(thickness).center() + thickness->screen()->geometry().topLeft());  // X pixels
    CPenWidthPopup* popup = frame.PaletteBar()->PenWidthPopup();
    ASSERT_NE(popup, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return popup->isVisible() && !popup->IsAnimating(); }, 3000));
    X11Desk::MoveMouse(QPoint(40, 40));
    X11Desk::Settle(300);
    const QImage shot = ScreenShot(popup->screen());
    const QRect sheet = Physical(popup);
    ASSERT_EQ(sheet.size(), QSize(88, 208));
    EXPECT_GT(DetailedBlocks(shot, Physical(popup->WidthButton(1))), 100);

    // The window is cut to its outline in logical pixels; the sheet drawn for the screen must
    // fill every pixel of it (no white of the cut inside) and leave the rest to what is below.
    const QRegion shape = popup->mask();
    ASSERT_FALSE(shape.isEmpty());
    QRegion buttons;  // their plates may be white
    for (int n = 1; n <= 5; ++n)
        if (popup->WidthButton(n)->isVisible())
            buttons += QRect(popup->WidthButton(n)->mapTo(popup, QPoint(0, 0)), popup->WidthButton(n)->size());
    const int frameTop = frame.geometry().top();
    int inside = 0, outside = 0;
    for (int y = 0; y < popup->height(); ++y)
        for (int x = 0; x < popup->width(); ++x) {
            if (buttons.contains(QPoint(x, y)))
                continue;
            const QPoint at = sheet.topLeft() + QPoint(x, y) * 2;
            const QRgb block[4] = {shot.pixel(at), shot.pixel(at + QPoint(1, 0)), shot.pixel(at + QPoint(0, 1)),
                                   shot.pixel(at + QPoint(1, 1))};
            for (QRgb pixel : block) {
                if (shape.contains(QPoint(x, y))) {
                    ++inside;
                    ASSERT_NE(pixel & 0xFFFFFF, 0xFFFFFFu) << "white inside the outline at " << x << "," << y;
                } else if (popup->mapToGlobal(QPoint(x, y)).y() < frameTop) {
                    ++outside;
                    ASSERT_EQ(pixel & 0xFFFFFF, 0u) << "the popup drawn outside its outline at " << x << "," << y;
                }
            }
        }
    EXPECT_GT(inside, 4 * 1500);
    EXPECT_GT(outside, 4 * 10);
}

}  // namespace

TEST_F(HiDpiTest, the_inking_frame_stands_in_the_work_area_corner_and_the_palette_measures_logical_width)
{
    ASSERT_TRUE(X11Desk::Available());
    ASSERT_EQ(QGuiApplication::primaryScreen()->devicePixelRatio(), 2.0);
    // A primary monitor 1400 pixels wide shows 700 logical pixels: too narrow for the letter
    // palette of 1300.
    ASSERT_TRUE(X11Desk::AddMonitor(QStringLiteral("Narrow"), QRect(1920, 0, 1400, 900), true));
    CMainFrame frame(m_doc, "INKING", [](UINT) { return false; });
    EXPECT_TRUE(frame.PaletteBar()->IsSmallScreen());
    frame.OnDisplayChange(QGuiApplication::primaryScreen()->geometry().size());
    EXPECT_TRUE(frame.PaletteBar()->IsSmallScreen());

    frame.MakeInkingFrame();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    X11Desk::Settle(300);
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(work.size(), QSize(700, 450));
    EXPECT_EQ(frame.size(), QSize(629, 116));
    EXPECT_EQ(frame.geometry().bottomRight(), work.bottomRight());
    EXPECT_TRUE(frame.screen() == QGuiApplication::primaryScreen());
}

TEST_F(HiDpiTest, bars_and_the_pen_width_popup_are_drawn_for_the_screen_and_the_popup_keeps_its_outline)
{
    ASSERT_TRUE(X11Desk::Available());
    CMainFrame frame(m_doc, "INKING", [](UINT) { return false; });
    frame.MakeInkingFrame();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    X11Desk::MoveMouse(QPoint(40, 40));  // away from every button: no hover looks
    X11Desk::Settle(300);
    CCommandBar& commandBar = *frame.CommandBar();
    CPaletteBar& palette = *frame.PaletteBar();

    QImage shot = ScreenShot();
    ASSERT_EQ(shot.size(), QSize(1920, 1080));
    // Two buttons, 34 x 34 and 26 x 40 logical pixels, and two bare stretches of background.
    EXPECT_GT(DetailedBlocks(shot, Physical(palette.Button(IDC_PENCIL))), 200);
    EXPECT_GT(DetailedBlocks(shot, Physical(commandBar.ButtonFor(IDC_PENCIL_THICKNESS))), 200);
    EXPECT_GT(DetailedBlocks(shot, Physical(&palette, QRect(palette.width() - 60, 4, 50, 50))), 100);
    EXPECT_GT(DetailedBlocks(shot, Physical(&commandBar, QRect(372, 8, 100, 36))), 100);

    ExpectCrispPopupInItsOutline(frame);
}

TEST_F(HiDpiTest, the_pen_cursor_keeps_its_physical_size_centred_on_the_hot_spot_and_the_eraser_is_drawn_for_the_screen)
{
    ASSERT_TRUE(X11Desk::Available());
    CMainFrame frame(m_doc, "LETTER", [](UINT) { return false; });
    m_doc.OnNewDocument();
    frame.ShowMaximized();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    X11Desk::Settle(300);
    CScrivaView& view = *frame.View();
    view.OnPencil();
    X11Desk::MoveMouse(Physical(view.viewport()).center());

    // A cursor square as large as a cursor of 32 logical pixels, and in it the circle of the
    // pen's width in the page's own pixels, which are the X server's: radius step + 3,
    // centred on the hot spot at every step, odd and even radii alike.
    const QRect circles[5] = {QRect(28, 28, 9, 9), QRect(27, 27, 11, 11), QRect(26, 26, 13, 13),
                              QRect(25, 25, 15, 15), QRect(24, 24, 17, 17)};
    for (int step = 1; step <= 5; ++step) {
        SCOPED_TRACE(step);
        view.SetToolWidth(CScrivaView::kPencil, step);
        X11Desk::Settle();
        const ShownCursor shown = CursorShown();
        EXPECT_EQ(shown.image.size(), QSize(64, 64));
        EXPECT_EQ(shown.hotSpot, QPoint(32, 32));
        EXPECT_EQ(Drawn(shown.image), circles[step - 1]);
    }

    // The eraser is a picture like the bars': drawn for the screen, its hot spot where its
    // picture puts it, (5, 26) of 32 logical pixels.
    view.OnEraser();
    X11Desk::MoveMouse(Physical(view.viewport()).center() + QPoint(10, 10));
    const ShownCursor eraser = CursorShown();
    EXPECT_EQ(eraser.image.size(), QSize(64, 64));
    EXPECT_EQ(eraser.hotSpot, QPoint(10, 52));
    EXPECT_GT(DetailedBlocks(eraser.image.convertToFormat(QImage::Format_RGB32), QRect(0, 0, 64, 64)), 50);
}

namespace {

// A desk of two monitors side by side, the left one at scale 1 and the right one at scale 2.
class MixedDeskTest : public ::testing::Test {
protected:
    MixedDeskTest()
    {
        // The scales name their monitors, which must be there when the application starts.
        QProcess::execute(QStringLiteral("xrandr"), {QStringLiteral("--setmonitor"), QStringLiteral("Sharp"),
                                                     QStringLiteral("1920/254x1080/143+1920+0"), QStringLiteral("none")});
        qunsetenv("QT_SCALE_FACTOR");
        qputenv("QT_SCREEN_SCALE_FACTORS", "Main=1;Sharp=2");
        TestApplication();
        OverrideSettingsFolder(m_dir.path());
    }
    static QScreen* Screen(const QString& name)
    {
        for (QScreen* screen : QGuiApplication::screens())
            if (screen->name() == name)
                return screen;
        return nullptr;
    }

    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    CScrivaDoc m_doc;
};

}  // namespace

TEST_F(MixedDeskTest, bars_are_drawn_again_for_the_screen_the_frame_moves_to)
{
    ASSERT_TRUE(X11Desk::Available());
    QScreen* sharp = Screen(QStringLiteral("Sharp"));
    ASSERT_NE(sharp, nullptr);
    ASSERT_EQ(sharp->devicePixelRatio(), 2.0);
    ASSERT_EQ(QGuiApplication::primaryScreen()->devicePixelRatio(), 1.0);
    CMainFrame frame(m_doc, "INKING", [](UINT) { return false; });
    frame.MakeInkingFrame();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    X11Desk::MoveMouse(QPoint(40, 40));
    ASSERT_TRUE(frame.screen() == QGuiApplication::primaryScreen());

    frame.move(sharp->geometry().topLeft() + QPoint(100, 200));
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame.screen() == sharp; }, 3000));
    X11Desk::Settle(300);
    const QImage shot = ScreenShot(sharp);
    ASSERT_EQ(shot.size(), QSize(1920, 1080));
    EXPECT_GT(DetailedBlocks(shot, Physical(frame.PaletteBar()->Button(IDC_PENCIL))), 200);
    EXPECT_GT(DetailedBlocks(shot, Physical(frame.CommandBar()->ButtonFor(IDC_PENCIL_THICKNESS))), 200);
    EXPECT_GT(DetailedBlocks(shot, Physical(frame.PaletteBar(), QRect(frame.PaletteBar()->width() - 60, 4, 50, 50))),
              100);
    ExpectCrispPopupInItsOutline(frame);
}

// The pen's packets and the view's place on the screen must agree in the screen's own pixels,
// which on the right-hand monitor begin at 1920 and step two to a logical pixel.
TEST_F(MixedDeskTest, the_pen_writes_where_it_stands_on_a_screen_of_another_scale)
{
    ASSERT_TRUE(X11Desk::Available());
    QScreen* sharp = Screen(QStringLiteral("Sharp"));
    ASSERT_NE(sharp, nullptr);
    TabletBinding::Instance().SetMousePen(true);
    TabletBinding::Instance().LoadTabletInterface(true);
    CMainFrame frame(m_doc, "LETTER", [](UINT) { return false; });
    m_doc.OnNewDocument();
    frame.setGeometry(QRect(sharp->geometry().topLeft() + QPoint(60, 40), QSize(800, 450)));
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame.screen() == sharp; }, 3000));
    X11Desk::Settle(300);

    CScrivaView& view = *frame.View();
    const QPoint logical = view.viewport()->mapToGlobal(QPoint(0, 0));
    const QPoint origin(1920 + 2 * (logical.x() - 1920), 2 * logical.y());
    EXPECT_EQ(view.ScreenRect().left, origin.x());
    EXPECT_EQ(view.ScreenRect().top, origin.y());
    // Both ends on the page, not on the grey beside it.
    const QPoint from(700, 150);
    const QPoint to(1100, 250);
    const POINT first = view.WindowToPage({from.x(), from.y()});
    const POINT last = view.WindowToPage({to.x(), to.y()});
    ASSERT_GT(first.x, 0);
    ASSERT_LT(last.x, view.Page().PageWidth());
    const QPoint middle = origin + (from + to) / 2 - QPoint(1920, 0);
    const QImage before = ScreenShot(sharp).copy(QRect(middle - QPoint(4, 4), QSize(9, 9)));
    X11Desk::MoveMouse(origin + QPoint(100, 300));
    ASSERT_TRUE(X11Desk::Drag(X11Desk::Line(origin + from, origin + to, 20)));
    TabletBinding::Instance().SetMousePen(false);

    ASSERT_EQ(m_doc.m_lines.GetCount(), 1);
    const CLine* line = m_doc.m_lines.GetAt(0);
    EXPECT_NEAR(line->GetPoint(0).x, first.x, 2);
    EXPECT_NEAR(line->GetPoint(0).y, first.y, 2);
    EXPECT_NEAR(line->GetPoint(line->GetPointCount() - 1).x, last.x, 2);
    EXPECT_NEAR(line->GetPoint(line->GetPointCount() - 1).y, last.y, 2);
    // And the ink shows under the pen on that screen.
    EXPECT_NE(ScreenShot(sharp).copy(QRect(middle - QPoint(4, 4), QSize(9, 9))), before);
}

namespace {

// A window that shows a picture one to one in the screen's own pixels.
class PhysicalPictureWindow : public QRasterWindow {
public:
    explicit PhysicalPictureWindow(QImage picture) : m_picture(std::move(picture))
    {
        setFlags(Qt::FramelessWindowHint);
        m_picture.setDevicePixelRatio(2);
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).drawImage(0, 0, m_picture); }

private:
    QImage m_picture;
};

}  // namespace

TEST_F(HiDpiTest, desktop_mode_freezes_the_screen_pixel_for_pixel_and_the_pen_writes_in_physical_pixels)
{
    ASSERT_TRUE(X11Desk::Available());
    TabletBinding::Instance().SetMousePen(true);
    TabletBinding::Instance().LoadTabletInterface(true);
    // Detail in every pixel, which a picture stretched by two would lose.
    QImage picture(400, 300, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb((x * 7) & 255, (y * 5) & 255, (x ^ y) & 255));
    PhysicalPictureWindow shown(picture);
    shown.setGeometry(500, 150, 200, 150);  // logical: physical (1000, 300), 400 x 300
    shown.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&shown));
    X11Desk::Settle(300);
    ASSERT_TRUE(ScreenShot().copy(1000, 300, 400, 300) == picture);

    CMainFrame frame(m_doc, "LETTER", [](UINT) { return false; });
    frame.UseViewOverlay();
    frame.setGeometry(520, 170, 300, 200);  // over the picture
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    frame.OnCommand(ID_DESKTOP_MODE);
    CScrivaView& view = *frame.View();
    ASSERT_TRUE(view.IsOverlayShown());
    X11Desk::Settle(500);
    EXPECT_EQ(view.Overlay().ScreenRect(), CRect(0, 0, 1920, 1080));
    EXPECT_EQ(view.Overlay().geometry(), QRect(0, 0, 960, 540));
    shown.hide();
    X11Desk::Settle(300);
    EXPECT_TRUE(ScreenShot().copy(1000, 300, 400, 300) == picture);

    for (int i = 0; i < 3; ++i)
        X11Desk::MoveMouse(QPoint(1100 + 10 * i, 700));
    ASSERT_TRUE(X11Desk::Drag(X11Desk::Line(QPoint(1100, 400), QPoint(1300, 400), 20)));
    ASSERT_EQ(m_doc.m_lines.GetCount(), 1);
    EXPECT_EQ(m_doc.m_lines.GetAt(0)->GetPoint(0).x, 1100);
    EXPECT_EQ(m_doc.m_lines.GetAt(0)->GetPoint(0).y, 400);
    EXPECT_NE(ScreenShot().pixel(1200, 400), picture.pixel(200, 100));
    TabletBinding::Instance().SetMousePen(false);
}

namespace {

// A small letter frame switched to desktop mode, with the mouse as the pen.
void StartDesktopMode(CMainFrame& frame)
{
    TabletBinding::Instance().SetMousePen(true);
    TabletBinding::Instance().LoadTabletInterface(true);
    frame.UseViewOverlay();
    frame.setGeometry(100, 100, 300, 200);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    frame.OnCommand(ID_DESKTOP_MODE);
    ASSERT_TRUE(frame.View()->IsOverlayShown());
    X11Desk::Settle(500);
}

}  // namespace

// Two monitors at scale 2 side by side: the frozen screen spans both, and the pen writes on the
// right-hand one where it stands, in that monitor's own pixels.
TEST_F(HiDpiTest, desktop_mode_takes_the_pen_on_the_second_monitor_where_it_stands)
{
    ASSERT_TRUE(X11Desk::Available());
    ASSERT_TRUE(X11Desk::AddMonitor(QStringLiteral("Right"), QRect(1920, 0, 1920, 1080)));
    CMainFrame frame(m_doc, "LETTER", [](UINT) { return false; });
    ASSERT_NO_FATAL_FAILURE(StartDesktopMode(frame));
    ASSERT_EQ(frame.View()->Overlay().ScreenRect(), CRect(0, 0, 3840, 1080));

    for (int i = 0; i < 3; ++i)
        X11Desk::MoveMouse(QPoint(3000 + 10 * i, 700));
    ASSERT_TRUE(X11Desk::Drag(X11Desk::Line(QPoint(3000, 400), QPoint(3300, 500), 20)));
    TabletBinding::Instance().SetMousePen(false);
    ASSERT_EQ(m_doc.m_lines.GetCount(), 1);
    const CLine* line = m_doc.m_lines.GetAt(0);
    EXPECT_EQ(line->GetPoint(0).x, 3000);
    EXPECT_EQ(line->GetPoint(0).y, 400);
    EXPECT_NEAR(line->GetPoint(line->GetPointCount() - 1).x, 3300, 1);
    EXPECT_NEAR(line->GetPoint(line->GetPointCount() - 1).y, 500, 1);
}

// The frozen screen spans a monitor at scale 1 and one at scale 2; the pen writes on both in
// their own pixels, and the ink shows under it on each.
TEST_F(MixedDeskTest, desktop_mode_writes_on_both_monitors_in_their_own_pixels)
{
    ASSERT_TRUE(X11Desk::Available());
    CMainFrame frame(m_doc, "LETTER", [](UINT) { return false; });
    ASSERT_NO_FATAL_FAILURE(StartDesktopMode(frame));
    ASSERT_EQ(frame.View()->Overlay().ScreenRect(), CRect(0, 0, 3840, 1080));
    QScreen* sharp = Screen(QStringLiteral("Sharp"));
    const QRgb sharpBefore = ScreenShot(sharp).pixel(3150 - 1920, 450);
    const QRgb mainBefore = ScreenShot().pixel(1150, 450);

    for (int i = 0; i < 3; ++i)
        X11Desk::MoveMouse(QPoint(3000 + 10 * i, 700));
    ASSERT_TRUE(X11Desk::Drag(X11Desk::Line(QPoint(3000, 400), QPoint(3300, 500), 20)));
    ASSERT_TRUE(X11Desk::Drag(X11Desk::Line(QPoint(1000, 400), QPoint(1300, 500), 20)));
    TabletBinding::Instance().SetMousePen(false);
    ASSERT_EQ(m_doc.m_lines.GetCount(), 2);
    EXPECT_EQ(m_doc.m_lines.GetAt(0)->GetPoint(0).x, 3000);
    EXPECT_EQ(m_doc.m_lines.GetAt(0)->GetPoint(0).y, 400);
    EXPECT_EQ(m_doc.m_lines.GetAt(1)->GetPoint(0).x, 1000);
    EXPECT_EQ(m_doc.m_lines.GetAt(1)->GetPoint(0).y, 400);
    EXPECT_NE(ScreenShot(sharp).pixel(3150 - 1920, 450), sharpBefore);
    EXPECT_NE(ScreenShot().pixel(1150, 450), mainBefore);
}
