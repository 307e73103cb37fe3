#pragma once
// The pictures of the command bar: one glyph per button in four looks (normal, pressed,
// focused, disabled), composed like the palette bar's (see BarArtwork), and the bar's
// background per frame mode. Sizes are logical pixels; with a ratio (the screen's physical
// pixels per logical pixel) the pictures are drawn for that screen and carry the ratio.

#include "platform/FrameMode.h"

#include <QPixmap>
#include <QSize>
#include <QString>

namespace CommandBarArtwork {

// The command bar's buttons, in the order of the rows of CommandBarLayout's table.
enum class Glyph {
    NewPage,
    Open,
    Save,
    PrintPreview,
    Print,
    LetterMode,
    Mail,
    DesktopMode,
    Help,
    Close,
    Scale,
    Minimize,
    StartWrite,
    Cancel,
    Inking,
    PencilWidth,
    BrushWidth,
    MarkerWidth,
};

enum class Look { Normal, Pressed, Focused, Disabled };

// The name of glyph's picture under glyph/, e.g. "save", from its row of the bar's table.
QString GlyphName(Glyph glyph);
// The button picture of glyph in one look, at the button's size.
QPixmap Button(Glyph glyph, Look look, QSize size, qreal ratio = 1.0);

// The background of mode (letter, desktop, inking): "bitmap/260", "bitmap/269" and
// "bitmap/271".
QString BackgroundName(FrameMode mode);
// That background at its own size: 1300 × 52 in letter mode and 629 × 53 otherwise with the
// built-in pictures.
QPixmap Background(FrameMode mode, qreal ratio = 1.0);
// The size of the background of mode, without drawing it.
QSize BackgroundSize(FrameMode mode);

}  // namespace CommandBarArtwork
