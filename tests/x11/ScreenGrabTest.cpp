// The whole screen read from a real X server: the root window's background painted by another
// program (xsetroot), windows of this process at known places, monitors of different scales,
// a primary monitor that is not the leftmost, and a desktop that does not begin at (0, 0).
// A program of its own: the right-hand monitor "Side" is scaled by two, which Qt fixes when
// the application is made.

#include "TestApplication.h"
#include "X11Desk.h"

#include "platform/ScreenGrab.h"
#include "platform/X11ScreenGrab.h"

#include <QPainter>
#include <QRasterWindow>

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr QRgb kBackground = 0xFF204060;  // the root window's, set with xsetroot

// A frameless window painted in two colours, left half and right half.
class TwoColourWindow : public QRasterWindow {
public:
    TwoColourWindow(QRgb left, QRgb right) : m_left(left), m_right(right) { setFlags(Qt::FramelessWindowHint); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(QRect(0, 0, width() / 2, height()), QColor::fromRgb(m_left));
        painter.fillRect(QRect(width() / 2, 0, width() - width() / 2, height()), QColor::fromRgb(m_right));
    }

private:
    QRgb m_left;
    QRgb m_right;
};

class ScreenGrabTest : public ::testing::Test {
protected:
    ScreenGrabTest()
    {
        qputenv("QT_SCREEN_SCALE_FACTORS", "Side=2");
        TestApplication();
    }

    void SetUp() override
    {
        ASSERT_TRUE(X11Desk::Available());
        ASSERT_TRUE(X11Desk::Run(QStringLiteral("xsetroot"), {QStringLiteral("-solid"), QStringLiteral("#204060")}));
    }

    // Shows a window at a place in Qt's logical pixels and waits until the X server shows it.
    void Show(QRgb left, QRgb right, const QRect& where)
    {
        auto window = std::make_unique<TwoColourWindow>(left, right);
        window->setGeometry(where);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        m_windows.push_back(std::move(window));
        X11Desk::Settle(300);
    }

    std::vector<std::unique_ptr<TwoColourWindow>> m_windows;
};

}  // namespace

TEST_F(ScreenGrabTest, one_monitor_comes_pixel_for_pixel_with_windows_over_the_root)
{
    Show(0xFFFF0000, 0xFF00FF00, QRect(100, 200, 300, 100));

    const ScreenGrabResult grab = X11ScreenGrab().Grab();
    ASSERT_TRUE(grab.Ok()) << grab.error.toStdString();
    EXPECT_TRUE(grab.error.isEmpty());
    EXPECT_EQ(grab.image.format(), QImage::Format_RGB32);
    EXPECT_EQ(grab.image.size(), QSize(1920, 1080));
    EXPECT_EQ(grab.image.devicePixelRatio(), 1.0);
    EXPECT_EQ(grab.origin, QPoint(0, 0));

    EXPECT_EQ(grab.image.pixel(0, 0), kBackground);
    EXPECT_EQ(grab.image.pixel(99, 200), kBackground);
    EXPECT_EQ(grab.image.pixel(100, 200), 0xFFFF0000);
    EXPECT_EQ(grab.image.pixel(249, 299), 0xFFFF0000);
    EXPECT_EQ(grab.image.pixel(250, 200), 0xFF00FF00);
    EXPECT_EQ(grab.image.pixel(399, 299), 0xFF00FF00);
    EXPECT_EQ(grab.image.pixel(400, 300), kBackground);
    EXPECT_EQ(grab.image.pixel(1919, 1079), kBackground);
}

TEST_F(ScreenGrabTest, a_primary_monitor_on_the_right_scaled_by_two_joins_in_physical_pixels)
{
    // The monitor "Side" is 1000 x 800 physical pixels, 500 x 400 logical ones.
    ASSERT_TRUE(X11Desk::AddMonitor(QStringLiteral("Side"), QRect(1920, 0, 1000, 800), true));
    ASSERT_EQ(QGuiApplication::primaryScreen()->devicePixelRatio(), 2.0);
    Show(0xFFFF0000, 0xFFFF0000, QRect(10, 10, 20, 20));
    // 100 x 50 logical pixels, 100 and 50 into the monitor: 200 x 100 physical ones at 200, 100.
    Show(0xFF0000FF, 0xFFFFFF00, QRect(1920 + 100, 50, 100, 50));

    const ScreenGrabResult grab = X11ScreenGrab().Grab();
    ASSERT_TRUE(grab.Ok()) << grab.error.toStdString();
    EXPECT_EQ(grab.image.format(), QImage::Format_RGB32);
    EXPECT_EQ(grab.image.size(), QSize(2920, 1080));
    EXPECT_EQ(grab.origin, QPoint(0, 0));

    EXPECT_EQ(grab.image.pixel(10, 10), 0xFFFF0000);
    EXPECT_EQ(grab.image.pixel(29, 29), 0xFFFF0000);
    EXPECT_EQ(grab.image.pixel(30, 30), kBackground);
    EXPECT_EQ(grab.image.pixel(1919, 1079), kBackground);
    EXPECT_EQ(grab.image.pixel(2119, 100), kBackground);
    EXPECT_EQ(grab.image.pixel(2120, 100), 0xFF0000FF);
    EXPECT_EQ(grab.image.pixel(2219, 199), 0xFF0000FF);
    EXPECT_EQ(grab.image.pixel(2220, 100), 0xFFFFFF00);
    EXPECT_EQ(grab.image.pixel(2319, 199), 0xFFFFFF00);
    EXPECT_EQ(grab.image.pixel(2320, 100), kBackground);
    EXPECT_EQ(grab.image.pixel(2919, 799), kBackground);
    // Below the shorter monitor no monitor shows anything.
    EXPECT_EQ(grab.image.pixel(1920, 800), 0xFF000000);
    EXPECT_EQ(grab.image.pixel(2919, 1079), 0xFF000000);
}

TEST_F(ScreenGrabTest, a_desktop_away_from_the_root_corner_starts_at_the_images_corner_with_its_offset_reported)
{
    // "Left" takes over the X server's output from "Main": no monitor shows the root's corner.
    ASSERT_TRUE(X11Desk::AddMonitor(QStringLiteral("Right"), QRect(1100, 0, 600, 400), true));
    ASSERT_TRUE(X11Desk::RemoveMonitor(QStringLiteral("Main")));
    ASSERT_TRUE(X11Desk::AddMonitor(QStringLiteral("Left"), QRect(300, 40, 800, 600), false, QStringLiteral("screen")));
    ASSERT_TRUE(QTest::qWaitFor([] { return QGuiApplication::screens().size() == 2; }, 5000));
    Show(0xFFFF0000, 0xFF00FF00, QRect(350, 100, 20, 10));

    const ScreenGrabResult grab = X11ScreenGrab().Grab();
    ASSERT_TRUE(grab.Ok()) << grab.error.toStdString();
    EXPECT_EQ(grab.origin, QPoint(300, 0));
    EXPECT_EQ(grab.image.size(), QSize(1400, 640));

    EXPECT_EQ(grab.image.pixel(0, 0), 0xFF000000);  // above "Left", which begins 40 pixels down
    EXPECT_EQ(grab.image.pixel(0, 40), kBackground);
    EXPECT_EQ(grab.image.pixel(50, 100), 0xFFFF0000);
    EXPECT_EQ(grab.image.pixel(69, 109), 0xFF00FF00);
    EXPECT_EQ(grab.image.pixel(800, 0), kBackground);
    EXPECT_EQ(grab.image.pixel(1399, 399), kBackground);
    EXPECT_EQ(grab.image.pixel(1399, 400), 0xFF000000);
}
