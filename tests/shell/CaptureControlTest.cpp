// The capture control panel offscreen: where it stands above the capture-screen button, its two
// layouts, what Start and Exit do, its tooltips, and dragging it by its background.

#include "TestApplication.h"

#include "platform/CommandIds.h"
#include "platform/Resources.h"
#include "shell/dialogs/CCaptureControlDlg.h"
#include "shell/widgets/CHoverBitmapButton.h"
#include "shell/tables/StringTable.h"

#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A main window at a known place with a stand-in for the palette bar's capture-screen button,
// and a panel owned by it that counts the captures it runs.
class CaptureControlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { TestApplication(); }

    CaptureControlTest()
    {
        m_main.setGeometry(100, 300, 1000, 200);
        m_anchor = new QWidget(&m_main);
        m_anchor->setGeometry(704, 125, 32, 32);
        m_main.show();
    }

    std::unique_ptr<CCaptureControlDlg> MakePanel(bool bundleLayout = false)
    {
        return std::make_unique<CCaptureControlDlg>(
            [this] {
                ++m_captures;
                m_panelVisibleAtCapture = m_panel && m_panel->isVisible();
            },
            &m_main, bundleLayout);
    }

    void Show(bool bundleLayout = false)
    {
        m_panel = MakePanel(bundleLayout);
        m_panel->ShowAbove(m_anchor);
    }

    // Sends a mouse event to the panel at a point of the panel.
    void SendMouse(QEvent::Type type, QPoint local, Qt::MouseButtons buttons)
    {
        const QPoint global = m_panel->mapToGlobal(local);
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(local), QPointF(global), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(m_panel.get(), &event);
    }

    QWidget m_main;
    QWidget* m_anchor;
    std::unique_ptr<CCaptureControlDlg> m_panel;
    int m_captures = 0;
    bool m_panelVisibleAtCapture = true;
};

TEST_F(CaptureControlTest, stands_top_most_63_pixels_left_of_the_button_with_its_bottom_on_the_button_top)
{
    Show();
    EXPECT_TRUE(m_panel->isVisible());
    EXPECT_TRUE(m_panel->isEnabled());
    EXPECT_TRUE(m_panel->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(m_panel->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(m_panel->size(), QSize(192, 60));
    // The button's top-left corner is (804, 425) on the screen.
    EXPECT_EQ(m_panel->pos(), QPoint(804 - 63, 425 - 60));
    EXPECT_EQ(CCaptureControlDlg::PlaceAbove(QRect(10, 100, 32, 32)), QPoint(-53, 40));

    // Moved elsewhere and shown again: it goes back above the button.
    m_panel->move(5, 5);
    m_panel->ShowAbove(m_anchor);
    EXPECT_EQ(m_panel->pos(), QPoint(741, 365));
}

TEST_F(CaptureControlTest, built_in_look_is_a_rounded_panel_with_the_buttons_at_41_and_110)
{
    EXPECT_FALSE(CCaptureControlDlg([] {}).IsBundleLayout());  // no bundle is loaded here
    Show();
    const CHoverBitmapButton* start = m_panel->StartButton();
    const CHoverBitmapButton* cancel = m_panel->CancelButton();
    EXPECT_EQ(start->pos(), QPoint(41, 11));
    EXPECT_EQ(cancel->pos(), QPoint(110, 11));
    for (const CHoverBitmapButton* button : {start, cancel}) {
        EXPECT_FALSE(button->CurrentBitmap().isNull());
        EXPECT_EQ(button->size(), QSize(40, 38));
    }

    // Ellipses 60 × 60 round the corners of (0, 0)-(192, 60): half circles at both ends.
    const QRegion shape = m_panel->mask();
    EXPECT_EQ(shape, CCaptureControlDlg::PanelShape());
    EXPECT_EQ(shape.boundingRect(), QRect(0, 0, 192, 60));
    for (const QPoint inside : {QPoint(0, 30), QPoint(191, 30), QPoint(96, 0), QPoint(96, 59), QPoint(30, 1)})
        EXPECT_TRUE(shape.contains(inside)) << inside.x() << "," << inside.y();
    for (const QPoint outside : {QPoint(0, 0), QPoint(191, 0), QPoint(0, 59), QPoint(191, 59), QPoint(5, 5)})
        EXPECT_FALSE(shape.contains(outside)) << outside.x() << "," << outside.y();
    // The buttons lie wholly inside the shape.
    EXPECT_TRUE((QRegion(start->geometry()) - shape).isEmpty());
    EXPECT_TRUE((QRegion(cancel->geometry()) - shape).isEmpty());
}

TEST_F(CaptureControlTest, bundle_layout_puts_the_buttons_at_58_and_100_and_leaves_the_panel_unshaped)
{
    Show(true);
    EXPECT_TRUE(m_panel->IsBundleLayout());
    EXPECT_EQ(m_panel->StartButton()->pos(), QPoint(58, 18));
    EXPECT_EQ(m_panel->CancelButton()->pos(), QPoint(100, 18));
    EXPECT_TRUE(m_panel->mask().isEmpty());
}

TEST_F(CaptureControlTest, a_loaded_bundle_chooses_the_bundle_layout)
{
    struct BundleLoaded {
        BundleLoaded() { loaded = Resources::LoadResourceLibrary(QStringLiteral(INKLEAF_BUNDLE)); }
        ~BundleLoaded() { Resources::FreeResourceLibrary(); }
        bool loaded;
    } bundle;
    ASSERT_TRUE(bundle.loaded) << INKLEAF_BUNDLE;
    CCaptureControlDlg panel([] {}, &m_main);
    EXPECT_TRUE(panel.IsBundleLayout());
    EXPECT_EQ(panel.StartButton()->pos(), QPoint(58, 18));
    EXPECT_TRUE(panel.mask().isEmpty());
}

TEST_F(CaptureControlTest, start_hides_the_panel_then_runs_the_capture_and_closes_with_ok)
{
    m_main.hide();
    Show();
    EXPECT_EQ(m_panel->StartButton()->GetDlgCtrlID(), UINT(IDC_START_CAPTURE));
    QSignalSpy finished(m_panel.get(), &QDialog::finished);
    QTest::mouseClick(m_panel->StartButton(), Qt::LeftButton, {}, QPoint(20, 19));

    // Out of the way at once; the capture follows after a short wait.
    EXPECT_FALSE(m_panel->isVisible());
    EXPECT_TRUE(m_panel->IsCapturePending());
    EXPECT_EQ(m_captures, 0);
    // A second Start while waiting runs no second capture.
    m_panel->OnStartCapture();

    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(m_captures, 1);
    EXPECT_FALSE(m_panelVisibleAtCapture);
    EXPECT_EQ(finished.first().first().toInt(), int(QDialog::Accepted));
    EXPECT_EQ(m_panel->result(), QDialog::Accepted);
    EXPECT_FALSE(m_panel->isEnabled());
    EXPECT_FALSE(m_panel->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(m_main.isVisible());  // the capture brings the main window back itself

    // Shown for the next capture, it is on top and usable again.
    m_panel->ShowAbove(m_anchor);
    EXPECT_TRUE(m_panel->isEnabled());
    EXPECT_TRUE(m_panel->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(m_panel->isVisible());
}

TEST_F(CaptureControlTest, exit_or_escape_shows_the_main_window_and_closes_with_cancel)
{
    for (const bool escape : {false, true}) {
        m_main.hide();
        Show();
        EXPECT_EQ(m_panel->CancelButton()->GetDlgCtrlID(), UINT(IDCANCEL_BUTTON));
        if (escape)
            QTest::keyClick(m_panel.get(), Qt::Key_Escape);
        else
            QTest::mouseClick(m_panel->CancelButton(), Qt::LeftButton, {}, QPoint(20, 19));
        EXPECT_TRUE(m_main.isVisible()) << escape;
        EXPECT_FALSE(m_panel->isVisible()) << escape;
        EXPECT_EQ(m_panel->result(), QDialog::Rejected) << escape;
        EXPECT_FALSE(m_panel->IsCapturePending()) << escape;
    }
    EXPECT_EQ(m_captures, 0);
}

TEST_F(CaptureControlTest, buttons_tell_what_they_do_in_the_users_language)
{
    Show();
    EXPECT_EQ(m_panel->StartButton()->toolTip(), LoadString(IDS_START_CAPTURE));
    EXPECT_EQ(m_panel->CancelButton()->toolTip(), LoadString(IDS_EXIT_CAPTURE));
    EXPECT_FALSE(m_panel->StartButton()->toolTip().isEmpty());
    EXPECT_NE(m_panel->StartButton()->toolTip(), m_panel->CancelButton()->toolTip());

    StringTable english;
    ASSERT_TRUE(english.Load("en"));
    EXPECT_EQ(english.LoadString(IDS_START_CAPTURE), "Start to Capture");
    EXPECT_EQ(english.LoadString(IDS_EXIT_CAPTURE), "Exit Capture Mode");
}

TEST_F(CaptureControlTest, a_press_on_the_background_drags_the_panel)
{
    Show();
    const QPoint start = m_panel->pos();
    const QPoint groove(96, 30);  // between the two buttons
    SendMouse(QEvent::MouseButtonPress, groove, Qt::LeftButton);
    SendMouse(QEvent::MouseMove, groove + QPoint(30, -40), Qt::LeftButton);
    EXPECT_EQ(m_panel->pos(), start + QPoint(30, -40));
    // The point under the mouse stays under it as the panel follows.
    SendMouse(QEvent::MouseMove, groove + QPoint(-10, 5), Qt::LeftButton);
    EXPECT_EQ(m_panel->pos(), start + QPoint(20, -35));
    SendMouse(QEvent::MouseButtonRelease, groove, Qt::NoButton);
    const QPoint dropped = m_panel->pos();
    SendMouse(QEvent::MouseMove, groove + QPoint(50, 50), Qt::NoButton);
    EXPECT_EQ(m_panel->pos(), dropped);
}

}  // namespace
