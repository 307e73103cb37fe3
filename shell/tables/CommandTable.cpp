#include "CommandTable.h"

#include <algorithm>
#include <array>

namespace {

using enum CommandTarget;

constexpr CommandInfo kCommands[] = {
    {ID_FILE_NEW, Application},       {ID_FILE_OPEN, Document},         {ID_FILE_SAVE, Document},
    {ID_FILE_PRINT_SETUP, Framework}, {ID_FILE_PRINT, View},            {ID_FILE_PRINT_DIRECT, Framework},
    {ID_FILE_PRINT_PREVIEW, View},    {ID_EDIT_COPY, View},             {ID_EDIT_PASTE, View},
    {ID_APP_ABOUT, Application},      {ID_APP_EXIT, Framework},         {ID_SEND_MAIL, Document},
    {ID_LETTER_MODE, Frame},          {ID_DESKTOP_MODE, Frame},         {ID_INKING, View},
    {ID_INK_BUTTON, Frame},           {ID_PEN_WIDTH1, View},            {ID_PEN_WIDTH1 + 1, View},
    {ID_PEN_WIDTH1 + 2, View},        {ID_PEN_WIDTH1 + 3, View},        {ID_PEN_WIDTH5, View},
    {ID_PICTURE_DELETE, View},        {ID_PICTURE_TO_FRONT, View},      {ID_PICTURE_TO_BACK, View},
    {ID_PICTURE_FORWARD, View},       {ID_PICTURE_BACKWARD, View},      {ID_START_WRITE, View},
    {ID_CANCEL_WRITE, View},          {IDC_LINE_COLOR, View},           {IDC_BRUSH, View},
    {IDC_PENCIL, View},               {IDC_MARKER, View},               {IDC_UNDO, View},
    {IDC_REDO, View},                 {IDC_CAPTURE_SCREEN, View},       {IDC_INSERT_IMAGE, View},
    {IDC_ZOOM_IN, View},              {IDC_ZOOM_OUT, View},             {IDC_ERASER, View},
    {IDC_TEST, View},                 {IDC_HIDDEN, View},               {IDC_ADD_LINE, View},
    {IDC_MOVE_PICTURE, View},         {IDC_START_CAPTURE, View},        {IDC_PENCIL_THICKNESS, View},
    {IDC_BRUSH_THICKNESS, View},      {IDC_MARKER_THICKNESS, View},     {IDC_SCALE, View},
    {IDC_MINIMIZE, View},             {IDC_PREV_PAGE, Document},        {IDC_NEXT_PAGE, Document},
    {IDC_SPLIT, Document},            {IDC_MERGE, Document},
};

constexpr Accelerator kAccelerators[] = {
    {'C', ID_EDIT_COPY}, {'M', ID_SEND_MAIL}, {'N', ID_FILE_NEW}, {'O', ID_FILE_OPEN}, {'P', ID_FILE_PRINT},
    {'S', ID_FILE_SAVE}, {'V', ID_EDIT_PASTE}, {'Y', IDC_REDO},   {'Z', IDC_UNDO},
};

MenuItem Item(const char* text, UINT command)
{
    return {MenuItem::Command, text, command, {}};
}

MenuItem Separator()
{
    return {MenuItem::Separator, "", 0, {}};
}

MenuItem Popup(const char* text, std::vector<MenuItem> items)
{
    return {MenuItem::Popup, text, 0, std::move(items)};
}

}  // namespace

const CommandInfo* FindCommand(UINT id)
{
    const auto found = std::find_if(std::begin(kCommands), std::end(kCommands),
                                    [id](const CommandInfo& c) { return c.id == id; });
    return found == std::end(kCommands) ? nullptr : found;
}

std::span<const Accelerator> AcceleratorTable()
{
    return kAccelerators;
}

const std::vector<MenuItem>& MainMenu()
{
    static const std::vector<MenuItem> menu = {
        Popup("&File",
              {Item("&New\tCtrl+N", ID_FILE_NEW), Item("&Open...\tCtrl+O", ID_FILE_OPEN),
               Item("&Save\tCtrl+S", ID_FILE_SAVE), Separator(), Item("&Print...\tCtrl+P", ID_FILE_PRINT),
               Item("Print Pre&view", ID_FILE_PRINT_PREVIEW), Item("P&rint Setup...", ID_FILE_PRINT_SETUP),
               Separator(), {MenuItem::Disabled, "Recent File", ID_FILE_MRU_FILE1, {}}, Separator(),
               Item("E&xit", ID_APP_EXIT)}),
        Popup("&View", {Item("&Toolbar", ID_VIEW_TOOLBAR), Item("&Status Bar", ID_VIEW_STATUS_BAR)}),
        Popup("&Help", {Item("&About ...", ID_APP_ABOUT)}),
    };
    return menu;
}

const MenuItem& PictureMenu()
{
    static const MenuItem menu = Popup("Picture", {
        Item("Move To Front", ID_PICTURE_TO_FRONT),
        Item("Move To Back", ID_PICTURE_TO_BACK),
        Item("Move Forward", ID_PICTURE_FORWARD),
        Item("Move Back", ID_PICTURE_BACKWARD),
        Item("Delete", ID_PICTURE_DELETE),
    });
    return menu;
}

const DialogTemplate& PaletteBarTemplate()
{
    static const DialogTemplate bar = [] {
        DialogTemplate t{"Palette bar", 513, 43, "", {{IDC_SCROLL, ""}}};
        for (UINT id = IDC_COLOR_BLOCK0; id < IDC_COLOR_BLOCK0 + 12; ++id)
            t.controls.push_back({id, ""});
        for (UINT id : {1161u, 1162u, 1164u})
            t.controls.push_back({id, ""});
        for (UINT id = 1147; id <= 1155; ++id)
            t.controls.push_back({id, ""});
        t.controls.push_back({IDC_TEST, "Test"});
        t.controls.push_back({IDC_HIDDEN, "Hid"});
        return t;
    }();
    return bar;
}

const DialogTemplate& CommandBarTemplate()
{
    static const DialogTemplate bar{"Command bar", 513, 26, "", {{ID_INK_BUTTON, "Ink"}, {IDC_HIDDEN, "Hid"}}};
    return bar;
}

const DialogTemplate& CaptureControlTemplate()
{
    static const DialogTemplate dialog{
        "Capture control", 96, 31, "",
        {{IDC_START_CAPTURE, "StartCapture"}, {IDCANCEL_BUTTON, "CancelCapture"}, {IDC_HIDDEN, "hid"}}};
    return dialog;
}

const DialogTemplate& PenWidthPopupTemplate()
{
    static const DialogTemplate popup{"Pen width popup", 25, 49, "",
                                      {{ID_PEN_WIDTH1, "PenWidth1"},
                                       {ID_PEN_WIDTH1 + 1, "PenWidth2"},
                                       {ID_PEN_WIDTH1 + 2, "PenWidth3"},
                                       {ID_PEN_WIDTH1 + 3, "PenWidth4"},
                                       {ID_PEN_WIDTH5, "PenWidth5"},
                                       {IDC_HIDDEN, ""}}};
    return popup;
}

const DialogTemplate& SplitFileTemplate()
{
    static const DialogTemplate dialog{"Split file", 444, 265, "Split File",
                                       {{IDOK_BUTTON, "OK"},
                                        {IDCANCEL_BUTTON, "Cancel"},
                                        {IDC_SCROLL, ""},
                                        {IDC_SPLIT_EDIT, ""},
                                        {IDC_SPLIT_STATIC, ""},
                                        {IDC_SPLIT_PAGE1, "Page.1"},
                                        {IDC_SPLIT_PAGE2, "Page.2"},
                                        {IDC_SPLIT_BUTTON, ""}}};
    return dialog;
}
