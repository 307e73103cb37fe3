#pragma once
// A picture of a bar (or of the pen-width popup) for the manual: the program's own widget,
// laid out as the program lays it out, drawn offscreen; each button it shows carries a number
// on its top-left corner (over a corner of its neighbour where buttons stand close), and the
// legend names each number with the button's tooltip. Hidden
// buttons get neither a number nor a line in the legend.

#include "platform/WinTypes.h"

#include <QImage>
#include <QRect>
#include <QString>

#include <vector>

class QWidget;

struct BarPicture {
    // Room around the bar, logical pixels, so the numbers on the buttons at its edges are whole.
    static constexpr int kMargin = 10;
    // The diameter of a number's disc, logical pixels.
    static constexpr int kBadge = 15;

    struct Entry {
        int number = 0;  // 1, 2, ...: left to right, and top to bottom where buttons share a column
        UINT command = 0;
        QString name;    // the button's tooltip
        QRect place;     // the button, logical pixels of the picture
        QRect badge;     // the disc with its number, logical pixels of the picture
    };

    QImage image;                // carries the pixel ratio it was drawn at
    std::vector<Entry> legend;   // in number order

    // widget laid out and sized; its picture stops a little right of the rightmost part it
    // shows (a letter-mode bar stretches across an empty screen width).
    static BarPicture Draw(QWidget* widget);

    // The picture's size in logical pixels.
    QSize LogicalSize() const;
};
