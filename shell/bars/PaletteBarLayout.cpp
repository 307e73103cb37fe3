#include "PaletteBarLayout.h"

#include "platform/CommandIds.h"

#include <algorithm>

namespace {

using Place = PaletteBarLayout::Place;

constexpr QRect Square(int x, int y, int size) { return QRect(x, y, size, size); }

// The default look: 34-pixel buttons, small thickness buttons stacked beside the tools.
PaletteBarLayout LetterLayout()
{
    PaletteBarLayout l;
    auto b = [](int x) { return Square(x, 25, 34); };
    auto t = [](int y) { return QRect(204, y, 24, 22); };
    l.buttons = {{IDC_PENCIL, b(8)},         {IDC_BRUSH, b(46)},         {IDC_MARKER, b(84)},
                 {IDC_ERASER, b(122)},       {IDC_MOVE_PICTURE, b(164)}, {IDC_PENCIL_THICKNESS, t(6)},
                 {IDC_BRUSH_THICKNESS, t(31)}, {IDC_MARKER_THICKNESS, t(56)}, {IDC_LINE_COLOR, b(304)},
                 {IDC_UNDO, b(532)},         {IDC_REDO, b(570)},         {IDC_ZOOM_IN, b(618)},
                 {IDC_ZOOM_OUT, b(656)},     {IDC_CAPTURE_SCREEN, b(704)}, {IDC_INSERT_IMAGE, b(742)},
                 {IDC_ADD_LINE, b(780)},     {IDC_PREV_PAGE, b(828)},    {IDC_NEXT_PAGE, b(866)},
                 {IDC_SPLIT, b(904)},        {IDC_MERGE, b(942)}};
    l.penColor = QRect(250, 12, 30, 30);
    l.pageColor = QRect(268, 40, 30, 30);
    l.arrows = QRect(342, 14, 16, 58);
    l.swatchOrigin = QPoint(364, 33);
    l.swatchSecondRow = 61;
    l.widthTextX = 230;
    return l;
}

// Under 800 pixels everything fits one low band no wider than a 640-pixel screen; the pen
// widths go under their buttons.
PaletteBarLayout SmallLetterLayout()
{
    PaletteBarLayout l;
    auto b = [](int x) { return Square(x, 15, 24); };
    auto t = [](int x) { return QRect(x, 5, 20, 18); };
    l.buttons = {{IDC_PENCIL, b(2)},         {IDC_BRUSH, b(26)},         {IDC_MARKER, b(50)},
                 {IDC_ERASER, b(74)},        {IDC_MOVE_PICTURE, b(98)},  {IDC_PENCIL_THICKNESS, t(125)},
                 {IDC_BRUSH_THICKNESS, t(146)}, {IDC_MARKER_THICKNESS, t(167)}, {IDC_LINE_COLOR, b(190)},
                 {IDC_UNDO, b(348)},         {IDC_REDO, b(372)},         {IDC_ZOOM_IN, b(400)},
                 {IDC_ZOOM_OUT, b(424)},     {IDC_CAPTURE_SCREEN, b(452)}, {IDC_INSERT_IMAGE, b(476)},
                 {IDC_ADD_LINE, b(500)},     {IDC_PREV_PAGE, b(528)},    {IDC_NEXT_PAGE, b(552)},
                 {IDC_SPLIT, b(576)},        {IDC_MERGE, b(600)}};
    l.penColor = QRect(231, 7, 18, 18);
    l.pageColor = QRect(240, 28, 18, 18);
    l.arrows = QRect(216, 5, 12, 45);
    l.swatchOrigin = QPoint(262, 12);
    l.swatchSecondRow = 30;
    l.swatchPitch = 14;
    l.swatchSize = 12;
    l.widthsBelow = true;
    return l;
}

// The small frame of desktop and inking modes: the writing tools, undo and redo, the pen
// colour and the swatches; the thickness buttons are on the command bar there.
PaletteBarLayout FrameLayout(bool withClose)
{
    PaletteBarLayout l;
    auto b = [](int x) { return Square(x, 14, 34); };
    l.buttons = {{IDC_PENCIL, b(8)}, {IDC_BRUSH, b(44)}, {IDC_MARKER, b(80)}, {IDC_ERASER, b(116)},
                 {IDC_UNDO, b(164)}, {IDC_REDO, b(200)}};
    if (withClose)
        l.buttons.push_back({ID_APP_EXIT, b(585)});
    l.penColor = QRect(250, 16, 30, 30);
    l.swatchOrigin = QPoint(301, 13);
    l.swatchSecondRow = 41;
    return l;
}

// The compact look: 26-pixel buttons on lower backgrounds.
PaletteBarLayout CompactLetterLayout()
{
    PaletteBarLayout l;
    auto b = [](int x) { return Square(x, 19, 26); };
    auto t = [](int y) { return QRect(150, y, 20, 18); };
    l.buttons = {{IDC_PENCIL, b(6)},         {IDC_BRUSH, b(34)},         {IDC_MARKER, b(62)},
                 {IDC_ERASER, b(90)},        {IDC_MOVE_PICTURE, b(118)}, {IDC_PENCIL_THICKNESS, t(4)},
                 {IDC_BRUSH_THICKNESS, t(23)}, {IDC_MARKER_THICKNESS, t(42)}, {IDC_LINE_COLOR, b(196)},
                 {IDC_UNDO, b(424)},         {IDC_REDO, b(452)},         {IDC_ZOOM_IN, b(486)},
                 {IDC_ZOOM_OUT, b(514)},     {IDC_CAPTURE_SCREEN, b(548)}, {IDC_INSERT_IMAGE, b(576)},
                 {IDC_ADD_LINE, b(604)},     {IDC_PREV_PAGE, b(638)},    {IDC_NEXT_PAGE, b(666)},
                 {IDC_SPLIT, b(694)},        {IDC_MERGE, b(722)}};
    l.penColor = QRect(246, 8, 24, 24);
    l.pageColor = QRect(258, 32, 24, 24);
    l.arrows = QRect(226, 8, 14, 48);
    l.swatchOrigin = QPoint(290, 14);
    l.swatchSecondRow = 36;
    l.swatchPitch = 22;
    l.swatchSize = 14;
    l.widthTextX = 172;
    return l;
}

PaletteBarLayout CompactSmallLetterLayout()
{
    PaletteBarLayout l;
    auto b = [](int x) { return Square(x, 11, 22); };
    auto t = [](int x) { return QRect(x, 3, 20, 16); };
    l.buttons = {{IDC_PENCIL, b(2)},         {IDC_BRUSH, b(24)},         {IDC_MARKER, b(46)},
                 {IDC_ERASER, b(68)},        {IDC_MOVE_PICTURE, b(90)},  {IDC_PENCIL_THICKNESS, t(114)},
                 {IDC_BRUSH_THICKNESS, t(135)}, {IDC_MARKER_THICKNESS, t(156)}, {IDC_LINE_COLOR, b(179)},
                 {IDC_UNDO, b(324)},         {IDC_REDO, b(346)},         {IDC_ZOOM_IN, b(372)},
                 {IDC_ZOOM_OUT, b(394)},     {IDC_CAPTURE_SCREEN, b(420)}, {IDC_INSERT_IMAGE, b(442)},
                 {IDC_ADD_LINE, b(464)},     {IDC_PREV_PAGE, b(490)},    {IDC_NEXT_PAGE, b(512)},
                 {IDC_SPLIT, b(534)},        {IDC_MERGE, b(556)}};
    l.penColor = QRect(216, 4, 16, 16);
    l.pageColor = QRect(224, 22, 16, 16);
    l.arrows = QRect(203, 3, 10, 38);
    l.swatchOrigin = QPoint(244, 8);
    l.swatchSecondRow = 24;
    l.swatchPitch = 13;
    l.swatchSize = 11;
    l.widthsBelow = true;
    return l;
}

// In the compact look the inking frame's window buttons are on this bar, not the command bar.
PaletteBarLayout CompactFrameLayout(bool inking)
{
    PaletteBarLayout l;
    auto b = [](int x) { return Square(x, 12, 26); };
    l.buttons = {{IDC_PENCIL, b(6)}, {IDC_BRUSH, b(34)}, {IDC_MARKER, b(62)}, {IDC_ERASER, b(90)},
                 {IDC_UNDO, b(124)}, {IDC_REDO, b(152)}, {ID_APP_EXIT, b(446)}};
    if (inking)
        l.buttons.push_back({IDC_MINIMIZE, b(418)});
    l.penColor = QRect(186, 13, 24, 24);
    l.swatchOrigin = QPoint(220, 9);
    l.swatchSecondRow = 27;
    l.swatchPitch = 20;
    l.swatchSize = 14;
    return l;
}

}  // namespace

const PaletteBarLayout& PaletteBarLayout::For(FrameMode mode, bool smallScreen, bool compact)
{
    static const PaletteBarLayout letter = LetterLayout(), smallLetter = SmallLetterLayout(),
                                  desktop = FrameLayout(true), inking = FrameLayout(false),
                                  compactLetter = CompactLetterLayout(),
                                  compactSmallLetter = CompactSmallLetterLayout(),
                                  compactDesktop = CompactFrameLayout(false),
                                  compactInking = CompactFrameLayout(true);
    if (mode == FrameMode::Desktop)
        return compact ? compactDesktop : desktop;
    if (mode == FrameMode::Inking)
        return compact ? compactInking : inking;
    if (smallScreen)
        return compact ? compactSmallLetter : smallLetter;
    return compact ? compactLetter : letter;
}

QRect PaletteBarLayout::ButtonRect(UINT command) const
{
    for (const Place& place : buttons)
        if (place.command == command)
            return place.rect;
    return {};
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
    for (const Place& place : buttons)
        reach(place.rect);
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
