#pragma once
// A part of the palette bar that the bar paints and clicks itself: a colour swatch or a colour
// indicator. The spot is a see-through child over the part's rectangle that carries its tooltip
// and its name for screen readers (as a button); it paints nothing and passes every mouse event
// on to the bar, which keeps hit-testing the part by its rectangle.

#include <QWidget>

class PaletteSpot : public QWidget {
    Q_OBJECT
public:
    PaletteSpot(const QString& text, QWidget* bar);
};
