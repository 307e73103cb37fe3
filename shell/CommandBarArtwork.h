#pragma once
// The pictures of the command bar, painted in code: one glyph per button in four looks
// (normal, pressed, focused, disabled) and the bar's background per frame mode. Sizes are
// logical pixels.

#include <QPixmap>
#include <QSize>

namespace CommandBarArtwork {

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

// The button picture of glyph in one look, size × size of the button.
QPixmap Button(Glyph glyph, Look look, QSize size);
// The background of the bar in mode (0 letter, 1 desktop, 2 inking): a size of 1300 × 52 in
// letter mode and 629 × 53 otherwise.
QPixmap Background(int mode);
// The size of the background of mode, without painting it.
QSize BackgroundSize(int mode);

}  // namespace CommandBarArtwork
