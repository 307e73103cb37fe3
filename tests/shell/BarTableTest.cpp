// The tables the two bars are built from, row by row: in every mode and band of both looks
// the parts a bar shows stand on its background without covering each other, every row names
// its own command and picture, and the buttons the code addresses by name are the rows of
// their commands.

#include "TestApplication.h"

#include "platform/CommandIds.h"
#include "platform/Resources.h"
#include "shell/bars/BarArtwork.h"
#include "shell/bars/CCommandBar.h"
#include "shell/bars/CommandBarArtwork.h"
#include "shell/bars/CommandBarLayout.h"
#include "shell/bars/PaletteBarLayout.h"
#include "shell/tables/StringTable.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

struct Part {
    std::string name;
    QRect rect;
};

// Every part lies on the background and none covers another.
void ExpectApartOn(QSize background, const std::vector<Part>& parts)
{
    const QRect bar(QPoint(0, 0), background);
    ASSERT_FALSE(bar.isEmpty());
    for (size_t a = 0; a < parts.size(); ++a) {
        EXPECT_TRUE(bar.contains(parts[a].rect)) << parts[a].name;
        for (size_t b = a + 1; b < parts.size(); ++b)
            EXPECT_FALSE(parts[a].rect.intersects(parts[b].rect)) << parts[a].name << " and " << parts[b].name;
    }
}

std::vector<Part> PaletteParts(const PaletteBarLayout& layout)
{
    std::vector<Part> parts;
    for (const PaletteBarLayout::Button& button : PaletteBarLayout::Buttons())
        if (!layout.Place(button).isEmpty())
            parts.push_back({button.glyph, layout.Place(button)});
    for (int i = 0; i < PaletteBarLayout::kSwatchCount; ++i)
        parts.push_back({"swatch " + std::to_string(i), layout.SwatchRect(i)});
    parts.push_back({"pen colour", layout.penColor});
    if (!layout.pageColor.isEmpty())
        parts.push_back({"page colour", layout.pageColor});
    if (!layout.arrows.isEmpty())
        parts.push_back({"line-height arrows", layout.arrows});
    return parts;
}

// The buttons of the command bar a layout shows, or, with writeOver, those shown while a
// write-over runs: "Inking" and "Cancel" instead of "Start to write" and "Minimize".
std::vector<Part> CommandBarParts(const CommandBarLayout& layout, bool writeOver)
{
    std::vector<Part> parts;
    const auto rows = CommandBarLayout::Buttons();
    for (int i = 0; i < CommandBarLayout::kButtonCount; ++i) {
        bool shown = layout.Shows(rows[i]);
        if (writeOver && (i == CCommandBar::kStartWrite || i == CCommandBar::kMinimize))
            shown = false;
        if (writeOver && (i == CCommandBar::kInking || i == CCommandBar::kCancel))
            shown = true;
        if (shown)
            parts.push_back({rows[i].glyph, layout.Place(rows[i])});
    }
    return parts;
}

class BarTableTest : public ::testing::Test {
protected:
    BarTableTest()
    {
        TestApplication();
        StringTable::Instance().Load(QStringLiteral("en"));
    }
    ~BarTableTest() override { Resources::FreeResourceLibrary(); }

    // Runs check in the built-in look, then with the compact bundle loaded.
    template <typename Check>
    void ForBothLooks(Check check)
    {
        for (bool compact : {false, true}) {
            SCOPED_TRACE(compact ? "compact look" : "built-in look");
            if (compact) {
                ASSERT_TRUE(Resources::LoadResourceLibrary(QStringLiteral(INKLEAF_BUNDLE)));
            }
            check(compact);
        }
    }
};

constexpr FrameMode kModes[] = {FrameMode::Letter, FrameMode::Desktop, FrameMode::Inking};

}  // namespace

TEST_F(BarTableTest, palette_parts_stand_apart_on_the_background_of_every_band)
{
    ForBothLooks([](bool compact) {
        for (FrameMode mode : kModes)
            for (bool narrow : {false, true}) {
                if (mode != FrameMode::Letter && narrow)
                    continue;
                SCOPED_TRACE(testing::Message() << "mode " << int(mode) << (narrow ? " narrow" : ""));
                const PaletteBarLayout& layout = PaletteBarLayout::For(mode, narrow, compact);
                ExpectApartOn(BarArtwork::BackgroundSize(mode, narrow), PaletteParts(layout));
            }
    });
}

TEST_F(BarTableTest, command_bar_buttons_stand_apart_on_the_background_of_every_mode)
{
    ForBothLooks([](bool compact) {
        for (FrameMode mode : kModes) {
            SCOPED_TRACE(testing::Message() << "mode " << int(mode));
            const CommandBarLayout layout{mode, compact};
            ExpectApartOn(CommandBarArtwork::BackgroundSize(mode), CommandBarParts(layout, false));
            if (mode == FrameMode::Inking) {
                SCOPED_TRACE("during a write-over");
                ExpectApartOn(CommandBarArtwork::BackgroundSize(mode), CommandBarParts(layout, true));
            }
        }
    });
}

TEST_F(BarTableTest, each_row_sends_its_own_command_with_its_own_picture_and_tooltip)
{
    const auto check = [](const auto& rows) {
        std::set<UINT> commands;
        std::set<std::string> glyphs;
        for (const auto& row : rows) {
            SCOPED_TRACE(row.glyph);
            EXPECT_TRUE(commands.insert(row.command).second) << "command " << row.command << " twice";
            EXPECT_TRUE(glyphs.insert(row.glyph).second) << "picture twice";
            EXPECT_TRUE(Resources::HasImage(QStringLiteral("glyph/") + QLatin1String(row.glyph)));
            EXPECT_FALSE(TooltipOf(LoadString(row.tooltip)).isEmpty());
        }
    };
    check(PaletteBarLayout::Buttons());
    check(CommandBarLayout::Buttons());
}

TEST_F(BarTableTest, buttons_the_code_names_are_the_rows_of_their_commands)
{
    using CommandBarArtwork::Glyph;
    const struct {
        CCommandBar::Button index;
        UINT command;
        Glyph glyph;
        const char* picture;
    } named[] = {
        {CCommandBar::kMinimize, IDC_MINIMIZE, Glyph::Minimize, "minimize"},
        {CCommandBar::kStartWrite, ID_START_WRITE, Glyph::StartWrite, "start-write"},
        {CCommandBar::kCancel, ID_CANCEL_WRITE, Glyph::Cancel, "cancel"},
        {CCommandBar::kInking, ID_INKING, Glyph::Inking, "inking"},
        {CCommandBar::kPencilWidth, IDC_PENCIL_THICKNESS, Glyph::PencilWidth, "pencil-width"},
        {CCommandBar::kBrushWidth, IDC_BRUSH_THICKNESS, Glyph::BrushWidth, "brush-width"},
        {CCommandBar::kMarkerWidth, IDC_MARKER_THICKNESS, Glyph::MarkerWidth, "marker-width"},
    };
    for (const auto& button : named) {
        SCOPED_TRACE(button.picture);
        EXPECT_EQ(CCommandBar::Buttons()[button.index].command, button.command);
        EXPECT_EQ(CCommandBar::Buttons()[button.index].glyph, button.glyph);
        EXPECT_EQ(CommandBarArtwork::GlyphName(button.glyph), QLatin1String(button.picture));
    }
    EXPECT_EQ(BarArtwork::GlyphName(IDC_MINIMIZE), "minimize");
    EXPECT_EQ(BarArtwork::GlyphName(ID_FILE_NEW), QString());  // not on the palette bar
}
