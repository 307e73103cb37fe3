#pragma once
// The pictures of the bars, loaded through Resources so that a replacement bundle restyles
// them. A button picture is composed of two SVG pictures: a plate per look ("plate/normal",
// "plate/pressed", "plate/focused", "plate/disabled", "plate/selected") and the button's glyph
// ("glyph/pencil", ...). A bar's background is one picture per mode ("bitmap/272", ...).
// Sizes are logical pixels; with a ratio (the screen's physical pixels per logical pixel) the
// pictures are drawn with that many more pixels and carry the ratio, so they stay crisp.

#include "platform/FrameMode.h"
#include "platform/WinTypes.h"

#include <QPixmap>
#include <QSize>
#include <QString>

namespace BarArtwork {

struct ButtonImages {
    QPixmap normal;
    QPixmap pressed;   // darker plate, the glyph one pixel down and right
    QPixmap focused;   // the hover look
    QPixmap disabled;  // grey plate, greyed glyph
};

enum class Look { Normal, Pressed, Focused, Disabled, Selected };

// The picture of a button showing glyph (a name under glyph/, e.g. "pencil") in one look,
// size pixels: the look's plate, its middle row or column stretched to size, with the glyph
// centred on it, scaled down to fit but never up. A button at least twice as wide as high
// shows "<glyph>-wide" instead when there is one. Null for an empty size.
QPixmap ComposeButton(const QString& glyph, Look look, QSize size, qreal ratio = 1.0);
// The four looks of glyph at size; with selected every look is the Selected one (a tool in
// use keeps its lit plate under the mouse and while pressed).
ButtonImages ComposeLooks(const QString& glyph, QSize size, bool selected = false, qreal ratio = 1.0);

// The glyph of the palette bar's button sending command; empty for any other command.
QString GlyphName(UINT command);
// The size of a button's pictures: 34 × 34, the thickness buttons 24 × 22; while the
// replacement bundle is loaded (the compact look) 26 × 26 and 20 × 18.
QSize ButtonSize(UINT command);
// The four looks of the button sending command at ButtonSize(command). With selected (the
// tools) every look is the one of the tool in use: a lit plate.
ButtonImages ButtonArt(UINT command, bool selected = false);
// The same at size, for layouts that give the button another size.
ButtonImages ButtonArt(UINT command, bool selected, QSize size, qreal ratio = 1.0);

// The background of mode (letter, desktop, inking): "bitmap/272", or "bitmap/433" on a
// small screen, "bitmap/319" and "bitmap/327".
QString BackgroundName(FrameMode mode, bool smallScreen = false);
// That background at its own size, which is the bar's size in the mode.
QPixmap Background(FrameMode mode, bool smallScreen, qreal ratio = 1.0);
QSize BackgroundSize(FrameMode mode, bool smallScreen);
// The letter-mode background drawn at size.
QPixmap Background(QSize size, qreal ratio = 1.0);

}  // namespace BarArtwork
