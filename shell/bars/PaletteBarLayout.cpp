#include "PaletteBarLayout.h"

#include "platform/CommandIds.h"

#include <algorithm>
#include <iterator>

namespace {

using Button = PaletteBarLayout::Button;
using enum PaletteBarLayout::Band;

// The shapes of the buttons in each band, bar pixels. The default look has 34-pixel keys in a
// row, with small thickness buttons stacked beside the tools in the letter band; under 800
// pixels everything fits one low band no wider than a 640-pixel screen, thickness buttons in
// the row. The compact look has smaller keys on lower backgrounds.
constexpr QRect Key(int x) { return {x, 25, 34, 34}; }
constexpr QRect Width(int y) { return {204, y, 24, 22}; }
constexpr QRect FrameKey(int x) { return {x, 14, 34, 34}; }
constexpr QRect NarrowKey(int x) { return {x, 15, 24, 24}; }
constexpr QRect NarrowWidth(int x) { return {x, 5, 20, 18}; }
constexpr QRect CompactKey(int x) { return {x, 19, 26, 26}; }
constexpr QRect CompactWidth(int y) { return {150, y, 20, 18}; }
constexpr QRect CompactFrameKey(int x) { return {x, 12, 26, 26}; }
constexpr QRect CompactNarrowKey(int x) { return {x, 11, 22, 22}; }
constexpr QRect CompactNarrowWidth(int x) { return {x, 3, 20, 16}; }
constexpr QRect Hidden;  // the band has no place for the button

// The small frames of desktop and inking modes carry the writing tools, undo and redo; the
// thickness buttons are on the command bar there. Close shows on the default desktop frame and
// on both compact frames; the compact inking frame has its minimise button here too, not on
// the command bar.
constexpr Button kButtons[] = {
    // command             glyph               tooltip
    // letter               desktop               inking                narrow letter       (default look)
    // letter               desktop               inking                narrow letter       (compact look)
    {IDC_LINE_COLOR,       "line-color",       IDC_LINE_COLOR,
     {Key(304),             Hidden,               Hidden,               NarrowKey(190)},
     {CompactKey(196),      Hidden,               Hidden,               CompactNarrowKey(179)}},
    {IDC_PENCIL,           "pencil",           IDC_PENCIL,
     {Key(8),               FrameKey(8),          FrameKey(8),          NarrowKey(2)},
     {CompactKey(6),        CompactFrameKey(6),   CompactFrameKey(6),   CompactNarrowKey(2)}},
    {IDC_BRUSH,            "brush",            IDC_BRUSH,
     {Key(46),              FrameKey(44),         FrameKey(44),         NarrowKey(26)},
     {CompactKey(34),       CompactFrameKey(34),  CompactFrameKey(34),  CompactNarrowKey(24)}},
    {IDC_ERASER,           "eraser",           IDC_ERASER,
     {Key(122),             FrameKey(116),        FrameKey(116),        NarrowKey(74)},
     {CompactKey(90),       CompactFrameKey(90),  CompactFrameKey(90),  CompactNarrowKey(68)}},
    {IDC_MARKER,           "marker",           IDC_MARKER,
     {Key(84),              FrameKey(80),         FrameKey(80),         NarrowKey(50)},
     {CompactKey(62),       CompactFrameKey(62),  CompactFrameKey(62),  CompactNarrowKey(46)}},
    {IDC_MOVE_PICTURE,     "move-picture",     IDC_MOVE_PICTURE,
     {Key(164),             Hidden,               Hidden,               NarrowKey(98)},
     {CompactKey(118),      Hidden,               Hidden,               CompactNarrowKey(90)}},
    {ID_APP_EXIT,          "close",            ID_APP_EXIT,
     {Hidden,               FrameKey(585),        Hidden,               Hidden},
     {Hidden,               CompactFrameKey(446), CompactFrameKey(446), Hidden}},
    {IDC_MINIMIZE,         "minimize",         IDS_MINIMIZE,
     {Hidden,               Hidden,               Hidden,               Hidden},
     {Hidden,               Hidden,               CompactFrameKey(418), Hidden}},
    {IDC_UNDO,             "undo",             IDC_UNDO,
     {Key(532),             FrameKey(164),        FrameKey(164),        NarrowKey(348)},
     {CompactKey(424),      CompactFrameKey(124), CompactFrameKey(124), CompactNarrowKey(324)}},
    {IDC_REDO,             "redo",             IDC_REDO,
     {Key(570),             FrameKey(200),        FrameKey(200),        NarrowKey(372)},
     {CompactKey(452),      CompactFrameKey(152), CompactFrameKey(152), CompactNarrowKey(346)}},
    {IDC_ZOOM_IN,          "zoom-in",          IDC_ZOOM_IN,
     {Key(618),             Hidden,               Hidden,               NarrowKey(400)},
     {CompactKey(486),      Hidden,               Hidden,               CompactNarrowKey(372)}},
    {IDC_ZOOM_OUT,         "zoom-out",         IDC_ZOOM_OUT,
     {Key(656),             Hidden,               Hidden,               NarrowKey(424)},
     {CompactKey(514),      Hidden,               Hidden,               CompactNarrowKey(394)}},
    {IDC_CAPTURE_SCREEN,   "capture-screen",   IDC_CAPTURE_SCREEN,
     {Key(704),             Hidden,               Hidden,               NarrowKey(452)},
     {CompactKey(548),      Hidden,               Hidden,               CompactNarrowKey(420)}},
    {IDC_INSERT_IMAGE,     "insert-image",     IDC_INSERT_IMAGE,
     {Key(742),             Hidden,               Hidden,               NarrowKey(476)},
     {CompactKey(576),      Hidden,               Hidden,               CompactNarrowKey(442)}},
    {IDC_ADD_LINE,         "add-line",         IDC_ADD_LINE,
     {Key(780),             Hidden,               Hidden,               NarrowKey(500)},
     {CompactKey(604),      Hidden,               Hidden,               CompactNarrowKey(464)}},
    {IDC_PENCIL_THICKNESS, "pencil-width",     IDC_PENCIL_THICKNESS,
     {Width(6),             Hidden,               Hidden,               NarrowWidth(125)},
     {CompactWidth(4),      Hidden,               Hidden,               CompactNarrowWidth(114)}},
    {IDC_BRUSH_THICKNESS,  "brush-width",      IDC_BRUSH_THICKNESS,
     {Width(31),            Hidden,               Hidden,               NarrowWidth(146)},
     {CompactWidth(23),     Hidden,               Hidden,               CompactNarrowWidth(135)}},
    {IDC_MARKER_THICKNESS, "marker-width",     IDC_MARKER_THICKNESS,
     {Width(56),            Hidden,               Hidden,               NarrowWidth(167)},
     {CompactWidth(42),     Hidden,               Hidden,               CompactNarrowWidth(156)}},
    {IDC_PREV_PAGE,        "prev-page",        IDC_PREV_PAGE,
     {Key(828),             Hidden,               Hidden,               NarrowKey(528)},
     {CompactKey(638),      Hidden,               Hidden,               CompactNarrowKey(490)}},
    {IDC_NEXT_PAGE,        "next-page",        IDC_NEXT_PAGE,
     {Key(866),             Hidden,               Hidden,               NarrowKey(552)},
     {CompactKey(666),      Hidden,               Hidden,               CompactNarrowKey(512)}},
    {IDC_SPLIT,            "split",            IDC_SPLIT,
     {Key(904),             Hidden,               Hidden,               NarrowKey(576)},
     {CompactKey(694),      Hidden,               Hidden,               CompactNarrowKey(534)}},
    {IDC_MERGE,            "merge",            IDC_MERGE,
     {Key(942),             Hidden,               Hidden,               NarrowKey(600)},
     {CompactKey(722),      Hidden,               Hidden,               CompactNarrowKey(556)}},
};

// A row per band and look, in the order of For: the default look's bands, then the compact
// look's. The swatch grid is given by its origin, the y of its second row, its pitch and the
// size of a swatch. The narrow bands write the pen widths under the thickness buttons, the
// others right of them, from x.
constexpr PaletteBarLayout kLayouts[] = {
    // band        compact pen colour         page colour        arrows             swatch grid            widths
    {kLetter,       false, {250, 12, 30, 30}, {268, 42, 30, 30}, {342, 14, 16, 58}, {364, 33}, 61, 28, 15, false, 230},
    {kDesktop,      false, {250, 16, 30, 30}, Hidden,            Hidden,            {301, 13}, 41, 28, 15, false, 0},
    {kInking,       false, {250, 16, 30, 30}, Hidden,            Hidden,            {301, 13}, 41, 28, 15, false, 0},
    {kNarrowLetter, false, {231, 7, 18, 18},  {240, 28, 18, 18}, {216, 5, 12, 45},  {262, 12}, 30, 14, 12, true, 0},
    {kLetter,       true,  {246, 8, 24, 24},  {258, 32, 24, 24}, {226, 8, 14, 48},  {290, 14}, 36, 22, 14, false, 172},
    {kDesktop,      true,  {186, 13, 24, 24}, Hidden,            Hidden,            {220, 9},  27, 20, 14, false, 0},
    {kInking,       true,  {186, 13, 24, 24}, Hidden,            Hidden,            {220, 9},  27, 20, 14, false, 0},
    {kNarrowLetter, true,  {216, 4, 16, 16},  {224, 22, 16, 16}, {203, 3, 10, 38},  {244, 8},  24, 13, 11, true, 0},
};

constexpr bool LayoutsInOrder()
{
    for (size_t i = 0; i < std::size(kLayouts); ++i)
        if (kLayouts[i].band != PaletteBarLayout::Band(i % kBandCount) || kLayouts[i].compact != (i >= kBandCount))
            return false;
    return true;
}
static_assert(std::size(kLayouts) == 2 * kBandCount && LayoutsInOrder(), "For indexes the layouts by look and band");

}  // namespace

std::span<const Button, PaletteBarLayout::kButtonCount> PaletteBarLayout::Buttons()
{
    return kButtons;
}

const Button* PaletteBarLayout::Find(UINT command)
{
    const auto found = std::find_if(std::begin(kButtons), std::end(kButtons),
                                    [command](const Button& button) { return button.command == command; });
    return found == std::end(kButtons) ? nullptr : found;
}

const PaletteBarLayout& PaletteBarLayout::For(FrameMode mode, bool smallScreen, bool compact)
{
    const Band band = mode == FrameMode::Desktop ? kDesktop
        : mode == FrameMode::Inking              ? kInking
        : smallScreen                            ? kNarrowLetter
                                                 : kLetter;
    return kLayouts[(compact ? kBandCount : 0) + band];
}

QRect PaletteBarLayout::Place(const Button& button) const
{
    return (compact ? button.compactPlaces : button.places)[band];
}

QRect PaletteBarLayout::ButtonRect(UINT command) const
{
    const Button* button = Find(command);
    return button ? Place(*button) : QRect();
}

QRect PaletteBarLayout::SwatchRect(int i) const
{
    const int row = i / 6, column = i % 6;
    return QRect(swatchOrigin.x() + column * swatchPitch, row ? swatchSecondRow : swatchOrigin.y(), swatchSize,
                 swatchSize);
}

int PaletteBarLayout::Extent() const
{
    int right = 0;
    const auto reach = [&right](const QRect& r) {
        if (!r.isEmpty())
            right = std::max(right, r.x() + r.width());
    };
    for (const Button& button : kButtons)
        reach(Place(button));
    for (int i = 0; i < kSwatchCount; ++i)
        reach(SwatchRect(i));
    reach(penColor);
    reach(pageColor);
    reach(arrows);
    return right;
}

bool PaletteBarLayout::WideLetterBandFits(int width, bool compact)
{
    return For(FrameMode::Letter, false, compact).Extent() <= width;
}
