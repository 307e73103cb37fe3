#pragma once
// The accelerators, menus and dialog templates as data: the frame, the bars, the popups and
// the dialogs build themselves from these.

#include "platform/CommandIds.h"

#include <span>
#include <vector>

// Who handles a command; commands are offered to them in this order.
enum class CommandTarget { View, Document, Frame, Application, Framework };

struct CommandInfo {
    UINT id;
    CommandTarget handler;
};

// Every command with its handler.
const CommandInfo* FindCommand(UINT id);

struct Accelerator {
    char key;  // with Ctrl held
    UINT command;
};

// Ctrl+C, M, N, O, P, S, V, Y, Z.
std::span<const Accelerator> AcceleratorTable();

struct MenuItem {
    enum Kind { Command, Separator, Popup, Disabled };
    Kind kind = Command;
    const char* text = "";  // English; '&' marks the mnemonic, '\t' precedes the shortcut
    UINT command = 0;
    std::vector<MenuItem> items;  // of a popup
};

// "&File", "&View" and "&Help".
const std::vector<MenuItem>& MainMenu();
// The right-button menu of a selected picture, "Picture": front, back, forward, back one,
// delete. Its item texts are the string table's for these commands.
const MenuItem& PictureMenu();

struct ControlTemplate {
    UINT id;
    const char* caption;  // "" for none
};

struct DialogTemplate {
    const char* name;
    int width;   // dialog units
    int height;
    const char* caption;
    std::vector<ControlTemplate> controls;  // the controls the program addresses
};

const DialogTemplate& PaletteBarTemplate();
const DialogTemplate& CommandBarTemplate();
const DialogTemplate& CaptureControlTemplate();
const DialogTemplate& PenWidthPopupTemplate();
const DialogTemplate& SplitFileTemplate();
