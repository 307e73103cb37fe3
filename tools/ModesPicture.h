#pragma once
// The three modes side by side for the manual: a schematic screen each, built from the bars as
// the program draws them and the page buffer of a new page. Letter mode fills the screen with
// the page between its bars; desktop mode writes on a frozen picture of the desktop with the
// small frame in the bottom-right corner; inking mode writes over another program with the
// inking frame there.

#include <QImage>
#include <QSize>

struct ModesPicture {
    // The screen each mode is shown on, logical pixels: as wide as the letter-mode bars.
    static constexpr QSize kScreen{1300, 812};

    QImage letterCommandBar;
    QImage letterPaletteBar;
    QImage page;  // the page buffer of a new page, page pixels: as wide as the screen
    QImage desktopCommandBar;
    QImage desktopPaletteBar;
    QImage inkingCommandBar;
    QImage inkingPaletteBar;

    // The three screens at half size, each named below it.
    QImage Draw() const;
};
