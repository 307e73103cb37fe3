#pragma once
// The pictures of the palette bar, painted in code: its background and the four looks of
// every button (normal, pressed, focused, disabled), plus the look of a selected tool.

#include "platform/WinTypes.h"

#include <QPixmap>
#include <QSize>

namespace BarArtwork {

struct ButtonImages {
    QPixmap normal;
    QPixmap pressed;   // darker, the glyph one pixel down and right
    QPixmap focused;   // the hover look: a highlight ring
    QPixmap disabled;  // greyed
};

// The size of a button's pictures: the three thickness buttons are small, the rest square.
QSize ButtonSize(UINT command);
// The four looks of the button sending command. With selected (the tools) every look is the
// one of the tool in use: a lit plate.
ButtonImages ButtonArt(UINT command, bool selected = false);
// The bar's background at size: a soft vertical gradient with a light top edge.
QPixmap Background(QSize size);

}  // namespace BarArtwork
