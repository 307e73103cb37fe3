#pragma once
// Where the palette bar's parts stand in each frame mode: the buttons, the colour indicators,
// the line-height arrows and the swatch grid, in bar pixels. Letter mode has a second layout,
// one low band, for screens too narrow for the wide one, and the compact replacement look has
// a layout of its own for each case. Anything a layout does not place is hidden.

#include "platform/FrameMode.h"
#include "platform/WinTypes.h"

#include <QPoint>
#include <QRect>

#include <vector>

struct PaletteBarLayout {
    static constexpr int kSwatchCount = 12;  // two rows of six
    struct Place {
        UINT command;
        QRect rect;
    };
    std::vector<Place> buttons;
    QRect penColor;
    QRect pageColor;    // empty: not shown
    QRect arrows;       // the line-height arrows; empty: not shown
    QPoint swatchOrigin;
    int swatchSecondRow = 0;  // y of the second row of six
    int swatchPitch = 28;
    int swatchSize = 15;
    bool widthsBelow = false;  // pen widths under the thickness buttons instead of right of them
    int widthTextX = 0;        // left edge of the pen widths when they stand right of the buttons

    static const PaletteBarLayout& For(FrameMode mode, bool smallScreen, bool compact);

    // The rectangle of the button sending command; empty when the layout hides it.
    QRect ButtonRect(UINT command) const;
    QRect SwatchRect(int i) const;
    // The width everything placed needs: the right edge of the rightmost part, bar pixels.
    int Extent() const;
    // Whether the wide letter band of the look shows all its parts in width pixels.
    static bool WideLetterBandFits(int width, bool compact);
};
