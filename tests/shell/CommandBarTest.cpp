// The command bar on an offscreen frame: the commands of its buttons, which buttons each mode
// shows, the tooltips, the "Start to write" hint and dragging the frame by the bar.

#include "TestApplication.h"

#include "platform/CommandIds.h"
#include "platform/ScreenMetrics.h"
#include "shell/bars/CCommandBar.h"
#include "shell/bars/CommandBarArtwork.h"
#include "shell/tables/StringTable.h"

#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <set>

namespace {

class CommandBarTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        TestApplication();
        ScreenMetrics::SetFixedScreen(QSize(1024, 768));
        StringTable::Instance().Load(QStringLiteral("en"));
    }

    CommandBarTest()
    {
        m_frame.setGeometry(50, 40, 900, 500);
        m_bar = new CCommandBar(&m_frame);
        m_frame.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&m_frame));
    }

    // The commands of the buttons shown now.
    std::set<UINT> Shown() const
    {
        std::set<UINT> shown;
        for (int i = 0; i < CCommandBar::kButtonCount; ++i)
            if (m_bar->GetButton(CCommandBar::Button(i))->isVisible())
                shown.insert(m_bar->GetButton(CCommandBar::Button(i))->GetDlgCtrlID());
        return shown;
    }

    // Clicks the button of command and returns what the bar sent.
    QList<UINT> Click(UINT command)
    {
        QSignalSpy spy(m_bar, &CCommandBar::commandTriggered);
        CHoverBitmapButton* button = m_bar->ButtonFor(command);
        EXPECT_NE(button, nullptr);
        if (button)
            QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
        QList<UINT> sent;
        for (const QList<QVariant>& args : spy)
            sent.push_back(args.at(0).value<UINT>());
        return sent;
    }

    void Mouse(QEvent::Type type, QPoint global, Qt::MouseButtons held)
    {
        QMouseEvent event(type, m_bar->mapFromGlobal(QPointF(global)), QPointF(global),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(m_bar, &event);
    }

    QWidget m_frame;
    CCommandBar* m_bar;
};

TEST_F(CommandBarTest, letter_mode_shows_the_file_print_mail_mode_and_help_buttons)
{
    EXPECT_EQ(Shown(), (std::set<UINT>{ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_FILE_PRINT_PREVIEW, ID_FILE_PRINT,
                                       ID_SEND_MAIL, ID_DESKTOP_MODE, ID_APP_ABOUT}));
}

TEST_F(CommandBarTest, every_letter_mode_button_sends_its_command)
{
    for (UINT command : {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_FILE_PRINT_PREVIEW, ID_FILE_PRINT, ID_SEND_MAIL,
                         ID_DESKTOP_MODE, ID_APP_ABOUT})
        EXPECT_EQ(Click(command), QList<UINT>{command}) << command;
}

TEST_F(CommandBarTest, desktop_and_inking_modes_show_their_own_sets)
{
    m_bar->LayoutForMode(FrameMode::Desktop);
    EXPECT_EQ(Shown(), (std::set<UINT>{ID_FILE_NEW, ID_FILE_SAVE, ID_FILE_PRINT_PREVIEW, ID_FILE_PRINT, ID_LETTER_MODE,
                                       ID_SEND_MAIL, ID_APP_ABOUT, IDC_PENCIL_THICKNESS, IDC_BRUSH_THICKNESS,
                                       IDC_MARKER_THICKNESS}));
    m_bar->LayoutForMode(FrameMode::Inking);
    EXPECT_EQ(Shown(), (std::set<UINT>{ID_START_WRITE, ID_APP_ABOUT, ID_APP_EXIT, IDC_MINIMIZE, IDC_PENCIL_THICKNESS,
                                       IDC_BRUSH_THICKNESS, IDC_MARKER_THICKNESS}));
    for (UINT command : {ID_APP_EXIT, IDC_MINIMIZE, IDC_PENCIL_THICKNESS, IDC_BRUSH_THICKNESS, IDC_MARKER_THICKNESS})
        EXPECT_EQ(Click(command), QList<UINT>{command}) << command;
}

TEST_F(CommandBarTest, visible_buttons_lie_inside_the_background_and_do_not_overlap)
{
    for (const FrameMode mode : {FrameMode::Letter, FrameMode::Desktop, FrameMode::Inking}) {
        m_bar->LayoutForMode(mode);
        const QRect bar = m_bar->GetBarRect(false);
        std::vector<QRect> shown;
        for (int i = 0; i < CCommandBar::kButtonCount; ++i) {
            CHoverBitmapButton* button = m_bar->GetButton(CCommandBar::Button(i));
            if (!button->isVisible())
                continue;
            EXPECT_TRUE(bar.contains(button->geometry())) << int(mode) << " " << button->GetDlgCtrlID();
            for (const QRect& other : shown)
                EXPECT_FALSE(other.intersects(button->geometry())) << int(mode) << " " << button->GetDlgCtrlID();
            shown.push_back(button->geometry());
        }
    }
}

TEST_F(CommandBarTest, tooltips_come_from_the_string_table)
{
    EXPECT_EQ(m_bar->ButtonFor(ID_FILE_NEW)->toolTip(), QStringLiteral("New (Ctrl+N)"));
    EXPECT_EQ(m_bar->ButtonFor(ID_FILE_PRINT_PREVIEW)->toolTip(), QStringLiteral("Print Preview"));
    EXPECT_EQ(m_bar->ButtonFor(ID_SEND_MAIL)->toolTip(), QStringLiteral("Send to Mail Recipient(Ctrl+M)"));
    EXPECT_EQ(m_bar->ButtonFor(IDC_SCALE)->toolTip(), QStringLiteral("Scale"));
    EXPECT_EQ(m_bar->ButtonFor(IDC_MINIMIZE)->toolTip(), QStringLiteral("Minimize"));
    EXPECT_EQ(m_bar->ButtonFor(ID_START_WRITE)->toolTip(), QStringLiteral("Start to write"));
    EXPECT_EQ(m_bar->ButtonFor(ID_APP_EXIT)->toolTip(), QStringLiteral("Close"));
    EXPECT_EQ(m_bar->ButtonFor(IDC_PENCIL_THICKNESS)->toolTip(), QStringLiteral("Thickness of Pencil"));
}

TEST_F(CommandBarTest, bar_spans_the_frame_at_the_height_of_the_mode_background)
{
    EXPECT_EQ(m_bar->GetBarRect(false), QRect(0, 0, 1300, 52));
    EXPECT_EQ(m_bar->geometry(), QRect(0, 0, 900, 52));
    m_frame.resize(1200, 500);
    EXPECT_EQ(m_bar->geometry(), QRect(0, 0, 1200, 52));
    m_bar->LayoutForMode(FrameMode::Inking);
    EXPECT_EQ(m_bar->GetBarRect(false), QRect(0, 0, 629, 53));
    EXPECT_EQ(m_bar->GetBarRect(true), QRect(0, 0, 629, 53));
    EXPECT_EQ(m_bar->geometry(), QRect(0, 0, 1024, 53));  // the work area's width
}

TEST_F(CommandBarTest, hint_points_at_start_to_write_after_an_inking_layout)
{
    EXPECT_FALSE(m_bar->HintTip().IsActive());
    m_bar->LayoutForMode(FrameMode::Inking);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_bar->HintTip().IsActive(); }, 5000));
    EXPECT_EQ(m_bar->HintTip().Text(), QStringLiteral("Start to write"));
    const QRect button = m_bar->ButtonFor(ID_START_WRITE)->geometry();
    // The stem stands on the middle of the button's top edge, the balloon above the bar.
    const QPoint expected = m_bar->mapToGlobal(QPoint(button.left() + button.width() / 2, button.top()));
    EXPECT_EQ(m_bar->HintTip().geometry().topLeft() + m_bar->HintTip().StemTip(), expected);
    EXPECT_LE(m_bar->HintTip().geometry().bottom(), expected.y());

    m_bar->HideHint();
    EXPECT_FALSE(m_bar->HintTip().IsActive());
}

TEST_F(CommandBarTest, hint_never_shows_again_after_the_first_press)
{
    m_bar->LayoutForMode(FrameMode::Inking);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_bar->HintTip().IsActive(); }, 5000));
    EXPECT_EQ(Click(ID_START_WRITE), QList<UINT>{ID_START_WRITE});
    EXPECT_FALSE(m_bar->HintTip().IsActive());

    m_bar->LayoutForMode(FrameMode::Letter);
    m_bar->LayoutForMode(FrameMode::Inking);
    m_bar->UpdateHint();
    QTest::qWait(10 * CCommandBar::kHintDelay);
    EXPECT_FALSE(m_bar->HintTip().IsActive());
}

TEST_F(CommandBarTest, write_over_swaps_start_and_minimize_for_inking_and_cancel)
{
    m_bar->LayoutForMode(FrameMode::Inking);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_bar->HintTip().IsActive(); }, 5000));
    m_bar->ShowWriteOverButtons();
    EXPECT_FALSE(m_bar->HintTip().IsActive());
    EXPECT_FALSE(m_bar->HintWanted());
    EXPECT_EQ(Shown(), (std::set<UINT>{ID_INKING, ID_CANCEL_WRITE, ID_APP_ABOUT, ID_APP_EXIT, IDC_PENCIL_THICKNESS,
                                       IDC_BRUSH_THICKNESS, IDC_MARKER_THICKNESS}));
    EXPECT_EQ(Click(ID_INKING), QList<UINT>{ID_INKING});
    EXPECT_EQ(Click(ID_CANCEL_WRITE), QList<UINT>{ID_CANCEL_WRITE});

    m_bar->ShowIdleButtons();
    EXPECT_EQ(Shown(), (std::set<UINT>{ID_START_WRITE, ID_APP_ABOUT, ID_APP_EXIT, IDC_MINIMIZE, IDC_PENCIL_THICKNESS,
                                       IDC_BRUSH_THICKNESS, IDC_MARKER_THICKNESS}));
}

TEST_F(CommandBarTest, dragging_the_bar_moves_the_frame_along_every_move)
{
    const QPoint start = m_frame.pos();
    const QPoint grip = m_bar->mapToGlobal(QPoint(700, 20));
    Mouse(QEvent::MouseButtonPress, grip, Qt::LeftButton);
    Mouse(QEvent::MouseMove, grip + QPoint(30, 0), Qt::LeftButton);
    EXPECT_EQ(m_frame.pos(), start + QPoint(30, 0));
    Mouse(QEvent::MouseMove, grip + QPoint(40, 5), Qt::LeftButton);
    EXPECT_EQ(m_frame.pos(), start + QPoint(40, 5));
    Mouse(QEvent::MouseButtonRelease, grip + QPoint(40, 5), Qt::NoButton);
    Mouse(QEvent::MouseMove, grip + QPoint(80, 25), Qt::NoButton);
    EXPECT_EQ(m_frame.pos(), start + QPoint(40, 5));
}

TEST_F(CommandBarTest, maximised_frame_is_not_dragged)
{
    m_frame.showMaximized();
    QTest::qWait(20);
    const QPoint start = m_frame.pos();
    const QPoint grip = m_bar->mapToGlobal(QPoint(700, 20));
    Mouse(QEvent::MouseButtonPress, grip, Qt::LeftButton);
    Mouse(QEvent::MouseMove, grip + QPoint(30, 30), Qt::LeftButton);
    EXPECT_EQ(m_frame.pos(), start);
    Mouse(QEvent::MouseButtonRelease, grip + QPoint(30, 30), Qt::NoButton);
}

TEST_F(CommandBarTest, pen_widths_are_written_outside_letter_mode_only)
{
    m_frame.resize(1300, 200);
    const QRect numbers(97, 11, 120, 22);
    const QImage letter = m_bar->grab(numbers).toImage();
    m_bar->SetPenWidths(8, 8, 8);
    EXPECT_EQ(m_bar->grab(numbers).toImage(), letter);

    m_bar->LayoutForMode(FrameMode::Desktop);
    const QImage eights = m_bar->grab(numbers).toImage();
    m_bar->SetPenWidths(1, 1, 1);
    EXPECT_NE(m_bar->grab(numbers).toImage(), eights);
}

QRgb MeanOf(const QPixmap& pixmap)
{
    const QImage image = pixmap.toImage();
    qint64 r = 0, g = 0, b = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            r += c.red(), g += c.green(), b += c.blue();
        }
    const qint64 n = qint64(image.width()) * image.height();
    return qRgb(int(r / n), int(g / n), int(b / n));
}

TEST(CommandBarArtworkTest, looks_are_darker_pressed_highlighted_focused_and_grey_disabled)
{
    TestApplication();  // pixmaps need the application
    using namespace CommandBarArtwork;
    const QSize size(40, 40);
    for (Glyph glyph : {Glyph::NewPage, Glyph::Open, Glyph::Save, Glyph::Print, Glyph::Mail, Glyph::Help}) {
        const QPixmap normal = Button(glyph, Look::Normal, size);
        ASSERT_EQ(normal.size(), size);
        EXPECT_LT(qGray(MeanOf(Button(glyph, Look::Pressed, size))), qGray(MeanOf(normal)));
        const QRgb focused = MeanOf(Button(glyph, Look::Focused, size));
        EXPECT_GT(qBlue(focused) - qRed(focused), qBlue(MeanOf(normal)) - qRed(MeanOf(normal)));
        const QImage disabled = Button(glyph, Look::Disabled, size).toImage();
        for (int y = 0; y < disabled.height(); ++y)
            for (int x = 0; x < disabled.width(); ++x) {
                const QColor c = disabled.pixelColor(x, y);
                ASSERT_TRUE(c.red() == c.green() && c.green() == c.blue()) << x << "," << y;
            }
    }
    // No two buttons look alike.
    std::vector<QImage> glyphs;
    for (int g = 0; g <= int(Glyph::MarkerWidth); ++g)
        glyphs.push_back(Button(Glyph(g), Look::Normal, size).toImage());
    for (size_t a = 0; a < glyphs.size(); ++a)
        for (size_t b = a + 1; b < glyphs.size(); ++b)
            EXPECT_NE(glyphs[a], glyphs[b]) << a << " " << b;
}

}  // namespace
