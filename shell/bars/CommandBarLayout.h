#pragma once
// The command bar as one table: a row per button with the command it sends, the string whose
// tooltip (and name for screen readers) it shows, its glyph and, in each look, the frame modes
// that show it after a layout and where it stands in the letter-mode strip and in the small
// frame that desktop and inking modes share. A button a mode hides keeps its place there: the
// write-over swaps the buttons of inking mode without a new layout. Bar pixels throughout.

#include "platform/FrameMode.h"
#include "platform/WinTypes.h"

#include <QRect>

#include <span>

struct CommandBarLayout {
    static constexpr int kButtonCount = 18;

    struct Look {
        const char* shown;  // "LDI": letter, desktop and inking mode show it; '-' hides it there
        QRect letter;
        QRect frame;  // desktop and inking modes
    };
    struct Button {
        UINT command;
        UINT tooltip;       // the string whose tooltip line the button shows
        const char* glyph;  // under glyph/
        Look look;          // the default look
        Look compact;       // the compact look
    };
    // Every button, in creation order.
    static std::span<const Button, kButtonCount> Buttons();

    FrameMode mode = FrameMode::Letter;
    bool compact = false;

    // Where button stands in this layout.
    QRect Place(const Button& button) const;
    // Whether the layout shows button; the write-over changes that afterwards.
    bool Shows(const Button& button) const;
};
