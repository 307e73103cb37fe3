// The picture buttons of the bars and dialogs and the balloon tip, shown offscreen and
// checked pixel by pixel.

#include "TestApplication.h"

#include "platform/ColorRef.h"
#include "platform/CommandIds.h"
#include "shell/widgets/CBalloonTip.h"
#include "shell/widgets/CHoverBitmapButton.h"

#include <QEnterEvent>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr QRgb kNormal = 0xFF102030, kPressed = 0xFF405060, kFocused = 0xFF708090, kDisabled = 0xFFA0B0C0;

QPixmap Filled(QRgb colour, QSize size = QSize(24, 20))
{
    QPixmap pixmap(size);
    pixmap.fill(QColor::fromRgb(colour));
    return pixmap;
}

// The colour of every pixel of the button as it paints itself now, or 0 when they differ.
QRgb Shown(QWidget& widget)
{
    const QImage image = widget.grab().toImage();
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != first)
                return 0;
    return first;
}

// A bar with its hidden control (1096), a line edit standing for another control, and one
// hover button that records the commands it sends.
class HoverButtonTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { TestApplication(); }

    HoverButtonTest()
    {
        m_bar.setGeometry(100, 100, 200, 60);
        m_hidden = new QPushButton("Hid", &m_bar);
        m_hidden->setGeometry(0, 0, 1, 1);
        m_edit = new QLineEdit(&m_bar);
        m_edit->setGeometry(120, 10, 60, 20);
        m_button = new CHoverBitmapButton(ID_APP_ABOUT, Filled(kNormal), Filled(kPressed), Filled(kFocused),
                                          Filled(kDisabled), &m_bar);
        m_button->move(30, 10);
        m_button->SetHiddenControl(m_hidden);
        QObject::connect(m_button, &CHoverBitmapButton::commandTriggered,
                         [this](UINT id) { m_commands.push_back(id); });
        m_bar.show();
        QApplication::setActiveWindow(&m_bar);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&m_bar));
        m_edit->setFocus();
    }

    // The mouse starts elsewhere on the bar: a move to where the cursor already is sends nothing.
    void Enter()
    {
        QTest::mouseMove(&m_bar, QPoint(190, 55));
        QTest::mouseMove(m_button, QPoint(5, 5));
    }
    void Leave() { QTest::mouseMove(&m_bar, QPoint(100, 50)); }

    QWidget m_bar;
    QPushButton* m_hidden;
    QLineEdit* m_edit;
    CHoverBitmapButton* m_button;
    std::vector<UINT> m_commands;
};

}  // namespace

TEST_F(HoverButtonTest, button_takes_the_size_of_its_normal_image)
{
    EXPECT_EQ(m_button->size(), QSize(24, 20));
    m_button->LoadBitmaps(Filled(kNormal, QSize(40, 30)), Filled(kPressed), Filled(kFocused), Filled(kDisabled));
    EXPECT_EQ(m_button->size(), QSize(40, 30));
    EXPECT_FALSE(m_button->LoadBitmaps(QPixmap(), Filled(kPressed), Filled(kFocused)));
}

TEST_F(HoverButtonTest, each_state_shows_its_image)
{
    EXPECT_EQ(Shown(*m_button), kNormal);
    Enter();
    EXPECT_EQ(Shown(*m_button), kFocused);
    QTest::mousePress(m_button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(Shown(*m_button), kPressed);
    QTest::mouseRelease(m_button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(Shown(*m_button), kFocused);
    m_button->setEnabled(false);
    EXPECT_EQ(Shown(*m_button), kDisabled);
}

TEST_F(HoverButtonTest, missing_images_fall_back_to_the_normal_one)
{
    m_button->LoadBitmaps(Filled(kNormal), Filled(kPressed), QPixmap());
    Enter();
    EXPECT_EQ(Shown(*m_button), kNormal);
    m_button->setEnabled(false);
    EXPECT_EQ(Shown(*m_button), kNormal);
}

TEST_F(HoverButtonTest, hover_look_follows_the_mouse_and_the_keyboard_stays_where_it_was)
{
    ASSERT_TRUE(m_edit->hasFocus());
    Enter();
    EXPECT_TRUE(m_edit->hasFocus());
    EXPECT_TRUE(m_button->IsHovering());
    EXPECT_EQ(Shown(*m_button), kFocused);
    Leave();
    EXPECT_TRUE(m_edit->hasFocus());
    EXPECT_FALSE(m_button->IsHovering());
    EXPECT_EQ(Shown(*m_button), kNormal);
}

TEST_F(HoverButtonTest, hover_look_stays_while_the_mouse_button_is_held)
{
    Enter();
    QTest::mousePress(m_button, Qt::LeftButton, {}, QPoint(5, 5));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(m_button, &leave);
    EXPECT_TRUE(m_button->IsHovering());
    // Released outside: no command, no hover look, and the keyboard never left the edit.
    QTest::mouseRelease(m_button, Qt::LeftButton, {}, QPoint(60, 5));
    EXPECT_TRUE(m_commands.empty());
    EXPECT_FALSE(m_button->IsHovering());
    EXPECT_TRUE(m_edit->hasFocus());
}

TEST_F(HoverButtonTest, click_sends_the_command_while_another_control_has_the_focus)
{
    ASSERT_TRUE(m_edit->hasFocus());
    QTest::mouseClick(m_button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(m_commands, (std::vector<UINT>{ID_APP_ABOUT}));
    EXPECT_EQ(m_button->GetDlgCtrlID(), UINT(ID_APP_ABOUT));
}

TEST_F(HoverButtonTest, disabled_button_shows_its_image_and_sends_nothing)
{
    m_button->setEnabled(false);
    Enter();
    EXPECT_FALSE(m_button->hasFocus());
    QTest::mouseClick(m_button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(m_commands.empty());
    EXPECT_EQ(Shown(*m_button), kDisabled);
}

namespace {

class BalloonTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { TestApplication(); }

    BalloonTest()
    {
        m_owner.setGeometry(50, 50, 300, 200);
        EXPECT_TRUE(m_tip.Create(&m_owner));
        m_tip.AddTool(&m_owner, true);
        m_tip.SetText("Start to Capture");
    }

    // Whether some pixel of the text rectangle is near colour (each channel within 0x40).
    bool TextHasPixelNear(const QImage& image, QRgb colour) const
    {
        const QRect text = m_tip.TextRect();
        for (int y = text.top(); y <= text.bottom(); ++y)
            for (int x = text.left(); x <= text.right(); ++x) {
                const QRgb p = image.pixel(x, y);
                if (std::abs(qRed(p) - qRed(colour)) < 0x40 && std::abs(qGreen(p) - qGreen(colour)) < 0x40
                    && std::abs(qBlue(p) - qBlue(colour)) < 0x40)
                    return true;
            }
        return false;
    }

    QWidget m_owner;
    CBalloonTip m_tip;
};

}  // namespace

TEST_F(BalloonTest, balloon_is_a_top_most_tip_window_owned_by_its_owner)
{
    EXPECT_TRUE(m_tip.isWindow());
    EXPECT_EQ(m_tip.parentWidget(), &m_owner);
    EXPECT_TRUE(m_tip.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(m_tip.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(m_tip.windowType(), Qt::ToolTip);
}

TEST_F(BalloonTest, body_is_pale_yellow_with_black_text)
{
    const QImage image = m_tip.grab().toImage();
    const QRect text = m_tip.TextRect();
    // Between the body's edge and the text.
    EXPECT_EQ(image.pixel(text.left() - 3, text.top() - 3), ColorRefToQRgb(0x00C8FFFF));
    EXPECT_EQ(image.pixel(text.left() - 3, text.bottom()), ColorRefToQRgb(0x00C8FFFF));
    EXPECT_TRUE(TextHasPixelNear(image, qRgb(0, 0, 0)));
    // Outside the body, beside the stem, nothing is drawn.
    EXPECT_EQ(qAlpha(image.pixel(m_tip.width() - 2, 1)), 0);
}

TEST_F(BalloonTest, colours_can_be_changed)
{
    m_tip.SetColors(RGB(255, 0, 0), RGB(0, 0, 255));
    const QImage image = m_tip.grab().toImage();
    const QRect text = m_tip.TextRect();
    EXPECT_EQ(image.pixel(text.left() - 3, text.top() - 3), qRgb(0, 0, 255));
    EXPECT_TRUE(TextHasPixelNear(image, qRgb(255, 0, 0)));
    EXPECT_FALSE(TextHasPixelNear(image, qRgb(0, 0, 0)));
}

TEST_F(BalloonTest, stem_tip_stands_on_the_tracked_point)
{
    m_tip.TrackPosition(200, 150);
    EXPECT_EQ(m_tip.pos() + m_tip.StemTip(), QPoint(200, 150));
    EXPECT_GT(qAlpha(m_tip.grab().toImage().pixel(m_tip.StemTip())), 0);
    m_tip.TrackPosition(260, 90);
    EXPECT_EQ(m_tip.pos() + m_tip.StemTip(), QPoint(260, 90));
}

TEST_F(BalloonTest, near_the_screen_corner_the_balloon_turns_to_stay_on_screen)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint corner = screen.bottomRight() - QPoint(CBalloonTip::kStemOffset + 2, 2);
    m_tip.TrackPosition(corner.x(), corner.y());
    EXPECT_EQ(m_tip.StemTip().y(), m_tip.height() - 1);  // the body above the point
    EXPECT_EQ(m_tip.pos() + m_tip.StemTip(), corner);
    EXPECT_TRUE(screen.contains(m_tip.geometry()));
    EXPECT_GT(qAlpha(m_tip.grab().toImage().pixel(m_tip.StemTip())), 0);
}

TEST_F(BalloonTest, activate_shows_and_deactivate_hides_a_tracking_tip)
{
    m_tip.TrackPosition(200, 150);
    EXPECT_FALSE(m_tip.isVisible());
    m_tip.Activate(true);
    EXPECT_TRUE(m_tip.isVisible());
    EXPECT_EQ(m_tip.pos() + m_tip.StemTip(), QPoint(200, 150));
    m_tip.Activate(false);
    EXPECT_FALSE(m_tip.isVisible());
}

TEST_F(BalloonTest, non_tracking_tip_waits_for_the_mouse)
{
    m_tip.AddTool(&m_owner, false);
    m_tip.Activate(true);
    EXPECT_FALSE(m_tip.isVisible());
    EXPECT_TRUE(m_tip.IsActive());
}

TEST_F(BalloonTest, text_sets_the_size_and_the_stem_stays_on_the_point)
{
    m_tip.TrackPosition(200, 150);
    m_tip.SetText("Go");
    const QSize small = m_tip.GetBubbleSize();
    m_tip.SetText("Exit Capture Mode, and a good deal more");
    EXPECT_GT(m_tip.GetBubbleSize().width(), small.width());
    EXPECT_EQ(m_tip.GetBubbleSize().height(), small.height());
    m_tip.SetText("Exit Capture Mode\nsecond line");
    EXPECT_GT(m_tip.GetBubbleSize().height(), small.height());
    EXPECT_EQ(m_tip.pos() + m_tip.StemTip(), QPoint(200, 150));
    EXPECT_EQ(m_tip.Text(), "Exit Capture Mode\nsecond line");
}
