// Every button of the bars and the pen-width popup, every swatch and colour indicator, has a
// tooltip and a name for screen readers, in each language of the string tables.

#include "ScriptedPrompts.h"
#include "TestApplication.h"

#include "platform/CommandIds.h"
#include "platform/ScreenMetrics.h"
#include "platform/Settings.h"
#include "shell/bars/CCommandBar.h"
#include "shell/widgets/CHoverBitmapButton.h"
#include "shell/frame/CMainFrame.h"
#include "shell/bars/CPaletteBar.h"
#include "shell/bars/CPenWidthPopup.h"
#include "shell/tables/StringTable.h"

#include <QAccessible>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <map>

namespace {

QString AccessibleName(QWidget* widget)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible ? accessible->text(QAccessible::Name) : QString();
}

QAccessible::Role AccessibleRole(QWidget* widget)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible ? accessible->role() : QAccessible::NoRole;
}

class BarNamesTest : public ::testing::Test {
protected:
    BarNamesTest()
    {
        TestApplication();
        ScreenMetrics::SetFixedScreen(QSize(1024, 768));
        OverrideSettingsFolder(m_dir.path());
    }
    ~BarNamesTest() override
    {
        m_frame.reset();
        StringTable::Instance().Load(QStringLiteral("en"));
        ScreenMetrics::SetFixedScreen(std::nullopt);
    }

    void MakeFrame(const QString& language)
    {
        m_frame.reset();
        ASSERT_TRUE(StringTable::Instance().Load(language));
        m_frame = std::make_unique<CMainFrame>(m_doc, "LETTER", [](UINT) { return false; });
        m_doc.OnNewDocument();
        m_frame->resize(1024, 700);
        m_frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_frame.get()));
    }
    CPaletteBar& Palette() { return *m_frame->PaletteBar(); }
    // What the tooltip and the screen reader get at a point of the palette bar.
    QWidget* PaletteChildAt(const QRect& part) { return Palette().childAt(part.center()); }

    // Every button of both bars, shown or not.
    std::vector<CHoverBitmapButton*> Buttons()
    {
        std::vector<CHoverBitmapButton*> buttons;
        for (int i = 0; i < CCommandBar::kButtonCount; ++i)
            buttons.push_back(m_frame->CommandBar()->GetButton(CCommandBar::Button(i)));
        for (UINT command : CPaletteBar::kCommands)
            buttons.push_back(Palette().Button(command));
        return buttons;
    }

    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    CScrivaDoc m_doc;
    std::unique_ptr<CMainFrame> m_frame;
};

}  // namespace

TEST_F(BarNamesTest, the_parts_that_had_no_tooltip_are_named_in_english)
{
    MakeFrame("en");
    CCommandBar* commands = m_frame->CommandBar();
    const std::map<UINT, QString> named = {{ID_APP_EXIT, "Close"},
                                           {IDC_PENCIL_THICKNESS, "Thickness of Pencil"},
                                           {IDC_BRUSH_THICKNESS, "Thickness of Brush"},
                                           {IDC_MARKER_THICKNESS, "Thickness of Marker"}};
    for (const auto& [command, text] : named) {
        EXPECT_EQ(commands->ButtonFor(command)->toolTip(), text) << command;
        EXPECT_EQ(AccessibleName(commands->ButtonFor(command)), text) << command;
    }

    QWidget* swatch = PaletteChildAt(Palette().SwatchRect(0));
    ASSERT_NE(swatch, nullptr);
    EXPECT_EQ(swatch->toolTip(), "Color 1 (double-click to change)");
    EXPECT_EQ(AccessibleName(swatch), "Color 1 (double-click to change)");
    EXPECT_EQ(AccessibleRole(swatch), QAccessible::Button);
    ASSERT_NE(PaletteChildAt(Palette().SwatchRect(11)), nullptr);
    EXPECT_EQ(PaletteChildAt(Palette().SwatchRect(11))->toolTip(), "Color 12 (double-click to change)");
    ASSERT_NE(PaletteChildAt(Palette().PenColorRect()), nullptr);
    EXPECT_EQ(AccessibleName(PaletteChildAt(Palette().PenColorRect())), "Pen Color");
    ASSERT_NE(PaletteChildAt(Palette().PageColorRect()), nullptr);
    EXPECT_EQ(AccessibleName(PaletteChildAt(Palette().PageColorRect())), "Page Color");
    EXPECT_EQ(Palette().LineHeightArrows()->toolTip(), "Line Height");

    // A click on a swatch still reaches the bar: the pen takes the swatch's colour.
    QTest::mouseClick(PaletteChildAt(Palette().SwatchRect(2)), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(m_frame->View()->PenColor(), Palette().ColorBlock(2));
}

TEST_F(BarNamesTest, every_button_and_colour_part_is_named_in_every_language)
{
    for (const QString& language : StringTable::Languages()) {
        MakeFrame(language);
        for (CHoverBitmapButton* button : Buttons()) {
            EXPECT_FALSE(button->toolTip().isEmpty()) << language.toStdString() << " " << button->GetDlgCtrlID();
            EXPECT_EQ(AccessibleName(button), button->toolTip()) << language.toStdString();
        }
        QList<QRect> parts{Palette().PenColorRect(), Palette().PageColorRect()};
        for (int i = 0; i < Settings::kColorBlocks; ++i)
            parts << Palette().SwatchRect(i);
        for (const QRect& part : parts) {
            QWidget* spot = PaletteChildAt(part);
            ASSERT_NE(spot, nullptr) << language.toStdString();
            EXPECT_FALSE(spot->toolTip().isEmpty()) << language.toStdString();
            EXPECT_EQ(AccessibleName(spot), spot->toolTip()) << language.toStdString();
        }
        // The pen-width popup's buttons.
        m_frame->OnCommand(IDC_PENCIL_THICKNESS);
        ASSERT_NE(Palette().PenWidthPopup(), nullptr);
        const auto widths = Palette().PenWidthPopup()->findChildren<CHoverBitmapButton*>();
        EXPECT_EQ(widths.size(), 5);
        for (CHoverBitmapButton* button : widths)
            EXPECT_FALSE(AccessibleName(button).isEmpty()) << language.toStdString();
    }
    // The German names are German.
    MakeFrame("de");
    EXPECT_EQ(m_frame->CommandBar()->ButtonFor(IDC_PENCIL_THICKNESS)->toolTip(), "Bleistiftstärke");
    EXPECT_EQ(m_frame->CommandBar()->ButtonFor(ID_APP_EXIT)->toolTip(), "Schließen");
    EXPECT_EQ(PaletteChildAt(Palette().PenColorRect())->toolTip(), "Stiftfarbe");
}
