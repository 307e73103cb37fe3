#include "PenWidthArtwork.h"

#include "platform/Resources.h"

#include <QPainter>

#include <algorithm>

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

QImage Background(qreal ratio)
{
    const QSize size = PopupSize();
    const QSize pixels = Resources::PhysicalSize(size, ratio);
    QImage sheet(pixels, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    {
        QPainter p(&sheet);
        p.drawImage(0, 0, Resources::LoadImage(kSheet, pixels));
    }
    // The window is made of the sheet's non-white pixels: white exactly outside the outline.
    const QImage shape = Shape();
    const QRgb white = qRgb(255, 255, 255);
    for (int y = 0; y < pixels.height(); ++y) {
        const int row = std::min(int(y / ratio), size.height() - 1);
        const auto* outline = reinterpret_cast<const QRgb*>(shape.constScanLine(row));
        auto* line = reinterpret_cast<QRgb*>(sheet.scanLine(y));
        for (int x = 0; x < pixels.width(); ++x) {
            if (outline[std::min(int(x / ratio), size.width() - 1)] == white)
                line[x] = white;
            else if ((line[x] & 0xFFFFFF) == (white & 0xFFFFFF))
                line[x] = qRgb(254, 254, 254);
        }
    }
    sheet.setDevicePixelRatio(ratio);
    return sheet;
}

BarArtwork::ButtonImages WidthButton(int n, qreal ratio)
{
    return BarArtwork::ComposeLooks(QStringLiteral("width-%1").arg(n), ButtonSize(), false, ratio);
}

}  // namespace PenWidthArtwork
