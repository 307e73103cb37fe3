#include "PenWidthArtwork.h"

#include "platform/Resources.h"

#include <QPainter>

namespace PenWidthArtwork {

namespace {

const QString kSheet = QStringLiteral("bitmap/360");
const QString kOutline = QStringLiteral("bitmap/384");

bool Compact()
{
    return Resources::UsingResourceLibrary();
}

}  // namespace

QPoint ButtonPlace(int n)
{
    return Compact() ? QPoint(3, 10 * n) : QPoint(6, 8 + (n - 1) * 18);
}

QSize PopupSize()
{
    const QSize size = Resources::ImageSize(kSheet);
    return size.isEmpty() ? kPopupSize : size;
}

QSize ButtonSize()
{
    return Compact() ? kCompactButtonSize : kButtonSize;
}

// The outline is drawn smooth; each pixel is then window or not, by its darkness.
QImage Shape()
{
    const QSize size = PopupSize();
    QImage shape(size, QImage::Format_RGB32);
    shape.fill(Qt::white);
    {
        QPainter p(&shape);
        p.drawImage(0, 0, Resources::LoadImage(kOutline, size));
    }
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(shape.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            line[x] = qGray(line[x]) < 128 ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
    }
    return shape;
}

QImage Background()
{
    const QSize size = PopupSize();
    QImage sheet(size, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    {
        QPainter p(&sheet);
        p.drawImage(0, 0, Resources::LoadImage(kSheet, size));
    }
    // The window is made of the sheet's non-white pixels: white exactly outside the outline.
    const QImage shape = Shape();
    const QRgb white = qRgb(255, 255, 255);
    for (int y = 0; y < size.height(); ++y) {
        const auto* outline = reinterpret_cast<const QRgb*>(shape.constScanLine(y));
        auto* line = reinterpret_cast<QRgb*>(sheet.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            if (outline[x] == white)
                line[x] = white;
            else if ((line[x] & 0xFFFFFF) == (white & 0xFFFFFF))
                line[x] = qRgb(254, 254, 254);
        }
    }
    return sheet;
}

BarArtwork::ButtonImages WidthButton(int n)
{
    return BarArtwork::ComposeLooks(QStringLiteral("width-%1").arg(n), ButtonSize());
}

}  // namespace PenWidthArtwork
