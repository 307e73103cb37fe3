#include "CommandBarLayout.h"

#include "platform/CommandIds.h"

#include <string_view>

namespace {

using Button = CommandBarLayout::Button;

// The shapes of the buttons, bar pixels: a file or mode key (the write-over keys are longer),
// a window button, and a pen-width button that has its width written just right of it. The
// compact look has smaller keys on a lower bar.
constexpr QRect Key(int x, int width = 40) { return {x, 6, width, 40}; }
constexpr QRect Window(int x) { return {x, 4, 26, 26}; }
constexpr QRect Width(int x) { return {x, 6, 26, 40}; }
constexpr QRect CompactKey(int x, int width = 30) { return {x, 5, width, 30}; }
constexpr QRect CompactWindow(int x) { return {x, 5, 20, 20}; }
constexpr QRect CompactWidth(int x) { return {x, 5, 20, 30}; }

// Letter mode has a wide strip: the file group, the print group, mail, the mode switch and
// help, the window buttons at the far right. The small frame has the pen widths on the left,
// then the commands and the window buttons at its right edge; the compact inking frame has its
// window buttons on the palette bar.
constexpr Button kButtons[] = {
    // command             tooltip                glyph            shown  letter              frame
    //                                                             (default look, then compact look)
    {ID_FILE_NEW,          ID_FILE_NEW,           "new",           {"LD-", Key(12),             Key(228)},
                                                                   {"LD-", CompactKey(8),       CompactKey(120)}},
    {ID_FILE_OPEN,         ID_FILE_OPEN,          "open",          {"L--", Key(56),             Key(228)},
                                                                   {"L--", CompactKey(42),      CompactKey(120)}},
    {ID_FILE_SAVE,         ID_FILE_SAVE,          "save",          {"LD-", Key(100),            Key(272)},
                                                                   {"LD-", CompactKey(76),      CompactKey(154)}},
    {ID_FILE_PRINT_PREVIEW,ID_FILE_PRINT_PREVIEW, "print-preview", {"LD-", Key(156),            Key(316)},
                                                                   {"LD-", CompactKey(118),     CompactKey(188)}},
    {ID_FILE_PRINT,        ID_FILE_PRINT,         "print",         {"LD-", Key(200),            Key(360)},
                                                                   {"LD-", CompactKey(152),     CompactKey(222)}},
    {ID_LETTER_MODE,       ID_LETTER_MODE,        "letter-mode",   {"-D-", Key(312),            Key(404)},
                                                                   {"-D-", CompactKey(236),     CompactKey(256)}},
    {ID_SEND_MAIL,         ID_SEND_MAIL,          "mail",          {"LD-", Key(256),            Key(448)},
                                                                   {"LD-", CompactKey(194),     CompactKey(290)}},
    {ID_DESKTOP_MODE,      ID_DESKTOP_MODE,       "desktop-mode",  {"L--", Key(312),            Key(404)},
                                                                   {"L--", CompactKey(236),     CompactKey(256)}},
    {ID_APP_ABOUT,         ID_APP_ABOUT,          "help",          {"LDI", Key(368),            Key(492)},
                                                                   {"LDI", CompactKey(278),     CompactKey(324)}},
    {ID_APP_EXIT,          ID_APP_EXIT,           "close",         {"--I", Window(1268),        Window(596)},
                                                                   {"---", CompactWindow(1270), CompactWindow(452)}},
    {IDC_SCALE,            IDS_SCALE,             "scale",         {"---", Window(1240),        Window(568)},
                                                                   {"---", CompactWindow(1246), CompactWindow(428)}},
    {IDC_MINIMIZE,         IDS_MINIMIZE,          "minimize",      {"--I", Window(1212),        Window(540)},
                                                                   {"---", CompactWindow(1222), CompactWindow(404)}},
    {ID_START_WRITE,       ID_START_WRITE,        "start-write",   {"--I", Key(424, 120),       Key(228, 120)},
                                                                   {"--I", CompactKey(320, 90), CompactKey(120, 90)}},
    {ID_CANCEL_WRITE,      ID_CANCEL_WRITE,       "cancel",        {"---", Key(508),            Key(312)},
                                                                   {"---", CompactKey(384),     CompactKey(184)}},
    {ID_INKING,            ID_INKING,             "inking",        {"---", Key(424, 80),        Key(228, 80)},
                                                                   {"---", CompactKey(320, 60), CompactKey(120, 60)}},
    {IDC_PENCIL_THICKNESS, IDC_PENCIL_THICKNESS,  "pencil-width",  {"-DI", Width(560),          Width(70)},
                                                                   {"-DI", CompactWidth(420),   CompactWidth(8)}},
    {IDC_BRUSH_THICKNESS,  IDC_BRUSH_THICKNESS,   "brush-width",   {"-DI", Width(608),          Width(118)},
                                                                   {"-DI", CompactWidth(456),   CompactWidth(44)}},
    {IDC_MARKER_THICKNESS, IDC_MARKER_THICKNESS,  "marker-width",  {"-DI", Width(656),          Width(166)},
                                                                   {"-DI", CompactWidth(492),   CompactWidth(80)}},
};

constexpr bool Valid(const char* shown)
{
    return std::string_view(shown).size() == 3 && (shown[0] == 'L' || shown[0] == '-') &&
           (shown[1] == 'D' || shown[1] == '-') && (shown[2] == 'I' || shown[2] == '-');
}

constexpr bool ShownColumnsValid()
{
    for (const Button& button : kButtons)
        if (!Valid(button.look.shown) || !Valid(button.compact.shown))
            return false;
    return true;
}
static_assert(ShownColumnsValid(), "a shown column is not of the form \"LDI\"");

}  // namespace

std::span<const Button, CommandBarLayout::kButtonCount> CommandBarLayout::Buttons()
{
    return kButtons;
}

QRect CommandBarLayout::Place(const Button& button) const
{
    const Look& look = compact ? button.compact : button.look;
    return mode == FrameMode::Letter ? look.letter : look.frame;
}

bool CommandBarLayout::Shows(const Button& button) const
{
    return (compact ? button.compact : button.look).shown[static_cast<int>(mode)] != '-';
}
