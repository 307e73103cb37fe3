// The palette bar at the bottom of the main frame: its buttons drive the view through the
// frame, its swatches set and redefine the pen colour, and its colours survive a restart.

#include "ScriptedPrompts.h"
#include "TestApplication.h"

#include "platform/CommandIds.h"
#include "platform/ScreenMetrics.h"
#include "platform/Settings.h"
#include "shell/bars/BarArtwork.h"
#include "shell/widgets/CHoverBitmapButton.h"
#include "shell/frame/CMainFrame.h"
#include "shell/bars/CPaletteBar.h"
#include "shell/tables/StringTable.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

bool SameImage(const QPixmap& a, const QPixmap& b)
{
    return a.toImage().convertToFormat(QImage::Format_ARGB32) == b.toImage().convertToFormat(QImage::Format_ARGB32);
}

class PaletteBarTest : public ::testing::Test {
protected:
    PaletteBarTest()
    {
        TestApplication();
        ScreenMetrics::SetFixedScreen(QSize(1024, 768));
        OverrideSettingsFolder(m_dir.path());
        MakeFrame();
    }
    ~PaletteBarTest() override
    {
        m_frame.reset();
        ScreenMetrics::SetFixedScreen(std::nullopt);
    }

    void MakeFrame()
    {
        m_frame = std::make_unique<CMainFrame>(m_doc, "LETTER", [](UINT) { return false; });
        m_doc.OnNewDocument();
        m_frame->resize(1024, 700);
        m_frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_frame.get()));
    }
    CPaletteBar& Bar() { return *m_frame->PaletteBar(); }
    CScrivaView& View() { return *m_frame->View(); }
    void Click(UINT command) { QTest::mouseClick(Bar().Button(command), Qt::LeftButton, {}, QPoint(5, 5)); }
    void ClickSwatch(int i) { QTest::mouseClick(&Bar(), Qt::LeftButton, {}, Bar().SwatchRect(i).center()); }
    void DoubleClickSwatch(int i)
    {
        const QPoint at = Bar().SwatchRect(i).center();
        QTest::mouseClick(&Bar(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(&Bar(), Qt::LeftButton, {}, at);
    }

    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    CScrivaDoc m_doc;
    std::unique_ptr<CMainFrame> m_frame;
};

}  // namespace

TEST_F(PaletteBarTest, sits_below_the_view_across_the_frame)
{
    ASSERT_NE(m_frame->PaletteBar(), nullptr);
    const QRect bar(Bar().mapTo(m_frame.get(), QPoint(0, 0)), Bar().size());
    const QRect view(View().mapTo(m_frame.get(), QPoint(0, 0)), View().size());
    EXPECT_EQ(bar.height(), CPaletteBar::kHeight);
    EXPECT_GE(bar.top(), view.bottom());
    EXPECT_GE(bar.width(), m_frame->width() - 8);
}

TEST_F(PaletteBarTest, tool_buttons_select_the_tool_and_show_it_selected)
{
    const std::pair<UINT, int> tools[] = {{IDC_BRUSH, CScrivaView::kBrush},
                                          {IDC_MARKER, CScrivaView::kMarker},
                                          {IDC_ERASER, CScrivaView::kEraser},
                                          {IDC_MOVE_PICTURE, CScrivaView::kToolNone},
                                          {IDC_PENCIL, CScrivaView::kPencil}};
    for (const auto& [command, tool] : tools) {
        Click(command);
        EXPECT_EQ(View().Tool(), tool) << command;
        for (const auto& [other, otherTool] : tools) {
            const BarArtwork::ButtonImages art = BarArtwork::ButtonArt(other, other == command);
            EXPECT_TRUE(SameImage(Bar().Button(other)->CurrentBitmap(), art.normal)) << command << " " << other;
        }
    }
}

TEST_F(PaletteBarTest, buttons_run_their_commands_through_the_frame)
{
    Click(IDC_ZOOM_OUT);
    EXPECT_EQ(View().Zoom(), 0.5f);
    Click(IDC_ZOOM_IN);
    EXPECT_EQ(View().Zoom(), 1.0f);

    Click(IDC_BRUSH_THICKNESS);
    EXPECT_EQ(View().PenWidthPopupTool(), CScrivaView::kBrush);
    ClickSwatch(0);  // any click on the bar closes the popup
    EXPECT_EQ(View().PenWidthPopupTool(), 0);
}

TEST_F(PaletteBarTest, letter_mode_hides_close_and_minimise_only)
{
    for (UINT command : CPaletteBar::kCommands) {
        const bool hidden = command == ID_APP_EXIT || command == IDC_MINIMIZE;
        EXPECT_EQ(Bar().Button(command)->isVisible(), !hidden) << command;
    }
    EXPECT_TRUE(Bar().LineHeightArrows()->isVisible());
}

TEST_F(PaletteBarTest, swatch_click_sets_the_pen_colour)
{
    ClickSwatch(2);
    EXPECT_EQ(View().PenColor(), 0xFF0000u);
    ClickSwatch(7);
    EXPECT_EQ(View().PenColor(), 0x208020u);
    EXPECT_EQ(m_prompts.ColorDialogs(), 0);
}

TEST_F(PaletteBarTest, double_click_redefines_the_swatch_and_the_pen_colour)
{
    m_prompts.QueueColor(COLORREF(0x123456));
    DoubleClickSwatch(4);
    EXPECT_EQ(m_prompts.ColorDialogs(), 1);
    EXPECT_EQ(Bar().ColorBlock(4), 0x123456u);
    EXPECT_EQ(View().PenColor(), 0x123456u);
    EXPECT_EQ(Bar().ColorBlock(3), 0x00FFFFu);

    // Cancelled: the swatch keeps its colour (the first click of the pair still picks it).
    DoubleClickSwatch(5);
    EXPECT_EQ(m_prompts.ColorDialogs(), 2);
    EXPECT_EQ(Bar().ColorBlock(5), 0x000000u);
    EXPECT_EQ(View().PenColor(), 0x000000u);
}

TEST_F(PaletteBarTest, indicators_choose_pen_and_page_colours)
{
    m_prompts.QueueColor(COLORREF(0x0000AA));
    QTest::mouseClick(&Bar(), Qt::LeftButton, {}, Bar().PenColorRect().center());
    EXPECT_EQ(View().PenColor(), 0x0000AAu);

    m_prompts.QueueColor(COLORREF(0xEEFFEE));
    QTest::mouseClick(&Bar(), Qt::LeftButton, {}, Bar().PageColorRect().bottomRight() - QPoint(2, 2));
    EXPECT_EQ(View().Page().m_crBack, 0xEEFFEEu);
    EXPECT_EQ(m_prompts.ColorDialogs(), 2);
}

TEST_F(PaletteBarTest, swatches_and_colours_survive_a_restart)
{
    const QString file = SettingsFilePath();
    EXPECT_FALSE(QFile::exists(file));
    m_prompts.QueueColor(COLORREF(0x0A0B0C));
    DoubleClickSwatch(11);
    View().Page().m_crBack = 0xDDEEFF;
    m_frame.reset();

    EXPECT_EQ(ReadSetting(Settings::ColorBlock(11)), 0x0A0B0C);
    EXPECT_EQ(ReadSetting(Settings::ColorBlock(0)), 0x0000FF);
    EXPECT_EQ(ReadSetting(Settings::PenColor), 0x0A0B0C);
    EXPECT_EQ(ReadSetting(Settings::BackColor), 0xDDEEFF);
    EXPECT_EQ(ReadSetting(Settings::LineHeight), 90);
    QFile text(file);
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    const QString content = QString::fromLatin1(text.readAll());
    int last = -1;
    for (const char* key : {"PENCOLOR=", "BKCOLOR=", "LINECOLOR=", "COLORBLOCK0=", "COLORBLOCK11=", "LINEHEIGHT="}) {
        const int at = content.indexOf(QLatin1String(key));
        EXPECT_GT(at, last) << key;
        last = at;
    }

    MakeFrame();
    EXPECT_EQ(Bar().ColorBlock(11), 0x0A0B0Cu);
    EXPECT_EQ(Bar().ColorBlock(1), 0x00FF00u);
}

TEST_F(PaletteBarTest, line_height_arrows_work_only_on_a_blank_page)
{
    QScrollBar* arrows = Bar().LineHeightArrows();
    const int start = View().Page().m_nLineHeight;
    ASSERT_TRUE(arrows->isEnabled());
    arrows->triggerAction(QAbstractSlider::SliderSingleStepSub);
    const int raised = View().Page().m_nLineHeight;
    EXPECT_GT(raised, start);
    arrows->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(View().Page().m_nLineHeight, start);

    View().SetHasInk(true);
    m_frame->OnCommand(IDC_HIDDEN);
    EXPECT_FALSE(arrows->isEnabled());
    arrows->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(View().Page().m_nLineHeight, start);
}

TEST_F(PaletteBarTest, a_pasted_picture_keeps_the_line_height_arrows_from_wiping_it)
{
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(qRgb(200, 30, 30));
    QGuiApplication::clipboard()->setImage(picture);
    EXPECT_TRUE(View().OnCommand(ID_EDIT_PASTE));
    ASSERT_EQ(View().Page().Surface().GetPixel(10, 10), RGB(200, 30, 30));

    QScrollBar* arrows = Bar().LineHeightArrows();
    const int start = View().Page().m_nLineHeight;
    arrows->triggerAction(QAbstractSlider::SliderSingleStepSub);
    arrows->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(View().Page().m_nLineHeight, start);
    EXPECT_EQ(View().Page().Surface().GetPixel(10, 10), RGB(200, 30, 30));
    EXPECT_TRUE(View().HasInkFlag());
}

TEST_F(PaletteBarTest, tooltips_come_from_the_string_table)
{
    EXPECT_EQ(Bar().Button(IDC_PENCIL)->toolTip(), "Pencil");
    EXPECT_EQ(Bar().Button(IDC_INSERT_IMAGE)->toolTip(), "Insert Image from file");
    EXPECT_EQ(Bar().Button(IDC_NEXT_PAGE)->toolTip(), TooltipOf(LoadString(IDC_NEXT_PAGE)));
    EXPECT_EQ(Bar().Button(IDC_MINIMIZE)->toolTip(), "Minimize");
    for (UINT command : CPaletteBar::kCommands)
        EXPECT_FALSE(Bar().Button(command)->toolTip().isEmpty()) << command;
}
