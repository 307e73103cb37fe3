// The pen-width popup above the palette bar's thickness buttons: it follows the view's idea of
// which tool it is open for, offers the widths other than the current one, rolls out upward
// from its button in four steps and sends the chosen width through the frame.

#include "ScriptedPrompts.h"
#include "TestApplication.h"

#include "platform/CommandIds.h"
#include "platform/ScreenMetrics.h"
#include "platform/Settings.h"
#include "shell/widgets/CHoverBitmapButton.h"
#include "shell/frame/CMainFrame.h"
#include "shell/bars/CPaletteBar.h"
#include "shell/bars/CPenWidthPopup.h"

#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace {

class PenWidthPopupTest : public ::testing::Test {
protected:
    PenWidthPopupTest()
    {
        TestApplication();
        ScreenMetrics::SetFixedScreen(QSize(1024, 768));
        OverrideSettingsFolder(m_dir.path());
        m_frame = std::make_unique<CMainFrame>(m_doc, "LETTER", [](UINT) { return false; });
        m_doc.OnNewDocument();
        m_frame->resize(1024, 700);
        m_frame->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_frame.get()));
    }
    ~PenWidthPopupTest() override
    {
        m_frame.reset();
        ScreenMetrics::SetFixedScreen(std::nullopt);
    }

    CPaletteBar& Bar() { return *m_frame->PaletteBar(); }
    CScrivaView& View() { return *m_frame->View(); }
    CPenWidthPopup* Popup() { return Bar().PenWidthPopup(); }
    void Click(QWidget* widget, QPoint at = QPoint(5, 5)) { QTest::mouseClick(widget, Qt::LeftButton, {}, at); }
    // Lets the animation timer run out.
    void Settle()
    {
        if (Popup()) {
            EXPECT_TRUE(QTest::qWaitFor([this] { return !Popup()->IsAnimating(); }));
        }
    }
    bool Shown() { return Popup() && Popup()->isVisible(); }
    // The rectangle of widget in the frame's coordinates.
    // Frame client pixels; the popup is a window of its own, so this goes through the screen.
    QRect InFrame(const QWidget* widget)
    {
        return QRect(widget->mapToGlobal(QPoint(0, 0)) - m_frame->mapToGlobal(QPoint(0, 0)), widget->size());
    }

    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    CScrivaDoc m_doc;
    std::unique_ptr<CMainFrame> m_frame;
};

}  // namespace

TEST_F(PenWidthPopupTest, thickness_button_opens_it_and_pressing_it_again_rolls_it_in)
{
    Click(Bar().Button(IDC_BRUSH_THICKNESS));
    ASSERT_NE(Popup(), nullptr);
    EXPECT_EQ(View().PenWidthPopupTool(), CScrivaView::kBrush);
    EXPECT_EQ(Popup()->Tool(), CScrivaView::kBrush);
    Settle();
    EXPECT_TRUE(Shown());

    Click(Bar().Button(IDC_BRUSH_THICKNESS));
    EXPECT_EQ(View().PenWidthPopupTool(), 0);
    EXPECT_EQ(Popup()->Tool(), 0);
    Settle();
    EXPECT_FALSE(Shown());
}

TEST_F(PenWidthPopupTest, another_tools_thickness_moves_it_above_that_button)
{
    m_frame->OnCommand(IDC_PENCIL_THICKNESS);
    Settle();
    m_frame->OnCommand(IDC_MARKER_THICKNESS);
    Settle();
    EXPECT_EQ(View().PenWidthPopupTool(), CScrivaView::kMarker);
    EXPECT_EQ(Popup()->Tool(), CScrivaView::kMarker);
    EXPECT_TRUE(Shown());
    EXPECT_EQ(InFrame(Popup()).x(), InFrame(Bar().Button(IDC_MARKER_THICKNESS)).x());
}

TEST_F(PenWidthPopupTest, stands_on_top_of_its_thickness_button_at_full_size)
{
    m_frame->OnCommand(IDC_BRUSH_THICKNESS);
    Settle();
    ASSERT_TRUE(Shown());
    EXPECT_EQ(Popup()->parentWidget(), Bar().window());
    const QRect anchor = InFrame(Bar().Button(IDC_BRUSH_THICKNESS));
    const QRect popup = InFrame(Popup());
    EXPECT_EQ(popup.bottom() + 1, anchor.top());
    EXPECT_EQ(popup.left(), anchor.left());
    EXPECT_EQ(popup.size(), Popup()->FullSize());
    EXPECT_LT(popup.top(), InFrame(&Bar()).top());  // over the view, not clipped by the bar
}

TEST_F(PenWidthPopupTest, the_current_width_is_not_offered)
{
    View().SetToolWidth(CScrivaView::kBrush, 3);
    m_frame->OnCommand(IDC_BRUSH_THICKNESS);
    for (int n = 1; n <= 5; ++n)
        EXPECT_EQ(Popup()->WidthButton(n)->isHidden(), n == 3) << n;

    m_frame->OnCommand(IDC_BRUSH_THICKNESS);
    View().SetToolWidth(CScrivaView::kBrush, 5);
    m_frame->OnCommand(IDC_BRUSH_THICKNESS);
    for (int n = 1; n <= 5; ++n)
        EXPECT_EQ(Popup()->WidthButton(n)->isHidden(), n == 5) << n;
}

TEST_F(PenWidthPopupTest, choosing_a_width_sets_it_and_rolls_the_popup_in)
{
    View().SetToolWidth(CScrivaView::kPencil, 1);
    m_frame->OnCommand(IDC_PENCIL_THICKNESS);
    Settle();
    Click(Popup()->WidthButton(4));
    EXPECT_EQ(View().ToolWidth(CScrivaView::kPencil), 4);
    EXPECT_EQ(View().PenWidthPopupTool(), 0);
    EXPECT_EQ(Popup()->Tool(), 0);
    Settle();
    EXPECT_FALSE(Shown());
}

TEST_F(PenWidthPopupTest, a_tool_command_or_undo_rolls_it_in)
{
    for (UINT command : {IDC_MARKER, IDC_UNDO}) {
        m_frame->OnCommand(IDC_BRUSH_THICKNESS);
        Settle();
        ASSERT_TRUE(Shown()) << command;
        m_frame->OnCommand(command);
        Settle();
        EXPECT_FALSE(Shown()) << command;
    }
}

TEST_F(PenWidthPopupTest, a_click_between_the_buttons_rolls_it_in)
{
    m_frame->OnCommand(IDC_BRUSH_THICKNESS);
    Settle();
    Click(Popup(), QPoint(2, Popup()->height() / 2));
    EXPECT_EQ(View().PenWidthPopupTool(), 0);
    Settle();
    EXPECT_FALSE(Shown());
}

TEST_F(PenWidthPopupTest, rolls_out_and_in_over_four_steps_with_its_bottom_on_the_button)
{
    m_frame->OnCommand(IDC_PENCIL_THICKNESS);
    CPenWidthPopup& popup = *Popup();
    const int full = popup.FullSize().height();
    const int top = InFrame(Bar().Button(IDC_PENCIL_THICKNESS)).top();

    std::vector<int> heights;
    for (int step = 0; step < CPenWidthPopup::kSteps; ++step) {
        popup.OnStep();  // what the timer does; no event runs in between
        EXPECT_TRUE(popup.isVisible());
        EXPECT_EQ(InFrame(&popup).bottom() + 1, top);
        heights.push_back(popup.height());
    }
    EXPECT_FALSE(popup.IsAnimating());
    EXPECT_LT(heights.front(), full / 2);
    EXPECT_TRUE(std::is_sorted(heights.begin(), heights.end()));
    EXPECT_LT(heights[2], full);
    EXPECT_EQ(heights.back(), full);

    m_frame->OnCommand(IDC_PENCIL_THICKNESS);
    heights.clear();
    while (popup.isVisible() && heights.size() < 10) {
        heights.push_back(popup.height());
        popup.OnStep();
    }
    EXPECT_FALSE(popup.isVisible());
    EXPECT_FALSE(popup.IsAnimating());
    EXPECT_EQ(heights.size(), size_t(CPenWidthPopup::kSteps));
    EXPECT_TRUE(std::is_sorted(heights.rbegin(), heights.rend()));
    EXPECT_LT(heights.back(), full);
}

TEST_F(PenWidthPopupTest, is_shaped_like_its_rounded_sheet)
{
    m_frame->OnCommand(IDC_MARKER_THICKNESS);
    Settle();
    const QRegion mask = Popup()->mask();
    ASSERT_FALSE(mask.isEmpty());
    EXPECT_FALSE(mask.contains(QPoint(0, 0)));  // the rounded corner is see-through
    EXPECT_TRUE(mask.contains(QRect(QPoint(0, 0), Popup()->size()).center()));
}

TEST_F(PenWidthPopupTest, a_press_elsewhere_only_rolls_it_in)
{
    m_frame->OnCommand(IDC_PENCIL_THICKNESS);
    Settle();
    ASSERT_TRUE(Shown());
    const int width = View().ToolWidth(CScrivaView::kPencil);
    QTest::mouseClick(View().viewport(), Qt::LeftButton, {}, QPoint(200, 150));
    EXPECT_EQ(View().PenWidthPopupTool(), 0);
    EXPECT_FALSE(View().HasInkFlag());
    Settle();
    EXPECT_FALSE(Shown());
    EXPECT_EQ(View().ToolWidth(CScrivaView::kPencil), width);

    // Closed, the popup leaves presses alone.
    QTest::mouseClick(Bar().Button(IDC_BRUSH), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(View().Tool(), CScrivaView::kBrush);
}
