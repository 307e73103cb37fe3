#include "PenWidthArtwork.h"

#include <QPainter>

namespace PenWidthArtwork {

namespace {

enum class Look { Normal, Pressed, Focused, Disabled };

QPixmap RenderButton(int n, Look look)
{
    QPixmap pixmap(kButtonSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF plate = QRectF(QPointF(0, 0), QSizeF(kButtonSize)).adjusted(0.5, 0.5, -0.5, -0.5);
    const QColor fill = look == Look::Pressed ? QColor(0xB4, 0xC2, 0xD2)
                        : look == Look::Focused ? QColor(0xF6, 0xF9, 0xFC)
                                                : QColor(0xE2, 0xE8, 0xEF);
    p.setPen(look == Look::Focused ? QPen(QColor(0x3C, 0x8C, 0xE6), 1.5) : QPen(QColor(0x9A, 0xA6, 0xB5)));
    p.setBrush(fill);
    p.drawRoundedRect(plate, 4, 4);

    const QColor ink = look == Look::Disabled ? QColor(0xA8, 0xA8, 0xA8) : QColor(0x20, 0x28, 0x34);
    const qreal shift = look == Look::Pressed ? 1 : 0;
    const qreal y = kButtonSize.height() / 2.0 + shift;
    p.setPen(QPen(ink, StrokeThickness(n), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(9 + shift, y), QPointF(kButtonSize.width() - 9 + shift, y));
    return pixmap;
}

}  // namespace

QImage Background()
{
    QImage image(kPopupSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    // No antialiasing: an edge pixel blended towards white would still count as window.
    QLinearGradient fill(0, 0, 0, kPopupSize.height());
    fill.setColorAt(0, QColor(0xE9, 0xEE, 0xF4));
    fill.setColorAt(1, QColor(0xCF, 0xD8, 0xE3));
    p.setPen(QColor(0x7A, 0x86, 0x95));
    p.setBrush(fill);
    p.drawRoundedRect(QRect(QPoint(0, 0), kPopupSize).adjusted(0, 0, -1, -1), 7, 7);
    return image;
}

BarArtwork::ButtonImages WidthButton(int n)
{
    return {RenderButton(n, Look::Normal), RenderButton(n, Look::Pressed), RenderButton(n, Look::Focused),
            RenderButton(n, Look::Disabled)};
}

}  // namespace PenWidthArtwork
