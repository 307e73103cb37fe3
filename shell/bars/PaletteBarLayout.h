#pragma once
// The palette bar as two tables. The button table has a row per button: the command it sends,
// its glyph, the string whose tooltip it shows and where it stands in each band of each look.
// The layout table has a row per band and look for the parts the bar paints itself: the colour
// indicators, the line-height arrows, the swatch grid and the pen widths. The bands are the
// letter, desktop and inking modes' and, for screens too narrow for the wide letter band, one
// low letter band; the compact replacement look has its own places in each. Anything a layout
// does not place is hidden. Bar pixels throughout.

#include "platform/FrameMode.h"
#include "platform/WinTypes.h"

#include <QPoint>
#include <QRect>

#include <array>
#include <span>

struct PaletteBarLayout {
    static constexpr int kButtonCount = 22;
    static constexpr int kSwatchCount = 12;  // two rows of six

    // The columns of the button table: the letter, desktop and inking modes by number, then
    // the narrow letter band.
    enum Band { kLetter, kDesktop, kInking, kNarrowLetter, kBandCount };

    struct Button {
        UINT command;
        const char* glyph;  // under glyph/
        UINT tooltip;       // the string whose tooltip line the button shows
        std::array<QRect, kBandCount> places;         // the default look; empty: hidden there
        std::array<QRect, kBandCount> compactPlaces;  // the compact look
    };
    // Every button, in creation order.
    static std::span<const Button, kButtonCount> Buttons();
    // The row of the button sending command; null for any other command.
    static const Button* Find(UINT command);

    Band band;
    bool compact;
    QRect penColor;
    QRect pageColor;    // empty: not shown
    QRect arrows;       // the line-height arrows; empty: not shown
    QPoint swatchOrigin;
    int swatchSecondRow;  // y of the second row of six
    int swatchPitch;
    int swatchSize;
    bool widthsBelow;  // pen widths under the thickness buttons instead of right of them
    int widthTextX;    // left edge of the pen widths when they stand right of the buttons

    static const PaletteBarLayout& For(FrameMode mode, bool smallScreen, bool compact);

    // Where button stands in this layout; empty when the layout hides it.
    QRect Place(const Button& button) const;
    // The same for the button sending command.
    QRect ButtonRect(UINT command) const;
    QRect SwatchRect(int i) const;
    // The width everything placed needs: the right edge of the rightmost part, bar pixels.
    int Extent() const;
    // Whether the wide letter band of the look shows all its parts in width pixels.
    static bool WideLetterBandFits(int width, bool compact);
};
