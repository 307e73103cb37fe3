// A real Wayland session: a headless Weston with XWayland (run-in-weston), on a private bus
// with a fake desktop portal (run-on-private-bus). The program's platform is chosen as at
// start, the small frame is checked in the compositor's own picture of its output, and the
// screen picture comes from the portal, not from XWayland's root window.

#include "QtPrinting.h"
#include "TestApplication.h"

#include "inking/InkInserter.h"
#include "platform/DrawingSurface.h"
#include "platform/ScreenGrab.h"
#include "platform/WindowSystem.h"

#include <QClipboard>
#include <QDir>
#include <QMimeData>
#include <QPainter>
#include <QProcess>
#include <QRasterWindow>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

constexpr QRgb kFrameColour = 0xFFFF0000;
constexpr QRgb kOtherColour = 0xFF0000FF;

class SolidWindow : public QRasterWindow {
public:
    SolidWindow(QRgb colour, Qt::WindowFlags flags) : m_colour(colour) { setFlags(flags); }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(QRect(QPoint(0, 0), size()), QColor::fromRgb(m_colour)); }

private:
    QRgb m_colour;
};

// The platform is chosen before the application is made, as the program's main does.
QApplication& SessionApplication()
{
    static const bool chosen = [] {
        const QByteArray platform = ChooseQtPlatform(SessionEnvironment::FromProcess());
        if (!platform.isEmpty())
            qputenv("QT_QPA_PLATFORM", platform);
        return true;
    }();
    (void)chosen;
    return TestApplication();
}

class WaylandSessionTest : public ::testing::Test {
protected:
    WaylandSessionTest() { SessionApplication(); }
    ~WaylandSessionTest() override
    {
        m_portal.kill();
        m_portal.waitForFinished();
    }

    void Show(SolidWindow& window, const QRect& where)
    {
        window.setGeometry(where);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QTest::qWait(500);
    }

    // The compositor's picture of its output, taken by weston-screenshooter.
    QImage CompositorPicture()
    {
        QTemporaryDir folder;
        QProcess shooter;
        shooter.setWorkingDirectory(folder.path());
        shooter.start(QStringLiteral("weston-screenshooter"), {});
        if (!QTest::qWaitFor([&] { return shooter.state() == QProcess::NotRunning; }, 10000))
            return {};
        const QStringList pictures = QDir(folder.path()).entryList({QStringLiteral("*.png")});
        return pictures.isEmpty() ? QImage() : QImage(QDir(folder.path()).filePath(pictures.first()));
    }

    QProcess m_portal;
};

}  // namespace

TEST_F(WaylandSessionTest, the_program_runs_on_xwayland_where_the_compositor_offers_it)
{
    EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), "xcb;wayland");
    EXPECT_EQ(QGuiApplication::platformName(), "xcb");
    EXPECT_EQ(QGuiApplication::primaryScreen()->geometry(), QRect(0, 0, 1280, 720));
}

TEST_F(WaylandSessionTest, the_small_frame_stands_in_the_work_areas_bottom_right_corner)
{
    // The small frames' window kind: frameless and asking to stay on top.
    SolidWindow frame(kFrameColour, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    Show(frame, QRect(work.right() - 628, work.bottom() - 115, 629, 116));

    const QImage picture = CompositorPicture();
    ASSERT_EQ(picture.size(), QSize(1280, 720));
    EXPECT_EQ(picture.pixel(651, 604), kFrameColour);
    EXPECT_EQ(picture.pixel(1279, 719), kFrameColour);
    EXPECT_NE(picture.pixel(650, 719), kFrameColour);
    EXPECT_NE(picture.pixel(1279, 603), kFrameColour);
}

TEST_F(WaylandSessionTest, a_frame_the_window_manager_does_not_manage_stays_above_a_window_activated_after_it)
{
    // Weston's X window manager keeps no window above others (_NET_WM_STATE_ABOVE is not among
    // what it supports); a window it does not manage is stacked by the compositor above them.
    SolidWindow frame(kFrameColour, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                                        Qt::X11BypassWindowManagerHint);
    Show(frame, QRect(1280 - 629, 720 - 116, 629, 116));
    SolidWindow other(kOtherColour, Qt::Window | Qt::FramelessWindowHint);
    Show(other, QRect(0, 0, 1280, 720));
    other.raise();
    other.requestActivate();
    QTest::qWait(500);

    const QImage picture = CompositorPicture();
    ASSERT_EQ(picture.size(), QSize(1280, 720));
    EXPECT_EQ(picture.pixel(651, 604), kFrameColour);
    EXPECT_EQ(picture.pixel(1279, 719), kFrameColour);
    EXPECT_EQ(picture.pixel(640, 360), kOtherColour);
    EXPECT_EQ(picture.pixel(650, 719), kOtherColour);
}

TEST_F(WaylandSessionTest, the_screen_picture_comes_from_the_portal_though_the_program_runs_on_xwayland)
{
    QTemporaryDir folder;
    QImage shot(64, 48, QImage::Format_RGB32);
    shot.fill(0xFF336699);
    const QString path = folder.filePath(QStringLiteral("shot.png"));
    ASSERT_TRUE(shot.save(path));
    m_portal.start(QStringLiteral(INKLEAF_FAKE_PORTAL), {QStringLiteral("answer"), QUrl::fromLocalFile(path).toString()});
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_portal.canReadLine(); }, 10000));

    const ScreenGrabResult grab = MakeScreenGrab()->Grab();
    ASSERT_TRUE(grab.Ok()) << grab.error.toStdString();
    EXPECT_EQ(grab.image.size(), QSize(64, 48));
    EXPECT_EQ(grab.image.pixel(0, 0), 0xFF336699);
}

namespace {

// Answers the clipboard's requests with the inserter's rendering, as the view does.
class InkOwner : public IInkOwner {
public:
    explicit InkOwner(InkInserter& inserter) : m_inserter(inserter) {}
    void OnRenderFormat(const QString& format) override
    {
        m_inserter.RenderFormat(*this, format);
        m_inserter.RenderFormatHtmlTimeOut(*this);
    }
    void OnRenderAllFormats() override { m_inserter.RenderFormat(*this, QString()); }

private:
    InkInserter& m_inserter;
};

}  // namespace

// Only XWayland's windows can be typed into; where none stands under the ink, a native Wayland
// window may: the ink waits on the clipboard for the user's Ctrl+V instead of being refused.
TEST_F(WaylandSessionTest, ink_where_no_x_window_stands_waits_on_the_clipboard)
{
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    InkInserter inserter;
    InkOwner owner(inserter);
    DrawingSurface ink(DrawingSurface::CreateBitmap(40, 30));
    ink.FillSolidRect(CRect(0, 0, 40, 30), RGB(255, 255, 255));
    ink.FillSolidRect(CRect(10, 10, 30, 20), RGB(0, 0, 128));
    const CRect where(400, 300, 440, 330);
    EXPECT_FALSE(inserter.OfficeBegin(owner, where));
    EXPECT_EQ(inserter.Insert(owner, where, ink), InkHandOver::OnClipboard);

    const QMimeData* offered = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(offered, nullptr);
    const QImage pasted = QImage::fromData(offered->data(QStringLiteral("image/png")), "PNG");
    ASSERT_EQ(pasted.size(), QSize(40, 30));
    EXPECT_EQ(pasted.pixel(20, 15), qRgb(0, 0, 128));
    EXPECT_EQ(pasted.pixel(5, 5), qRgb(255, 255, 255));
}
