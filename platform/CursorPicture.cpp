#include "CursorPicture.h"

#include <QGuiApplication>
#include <QPixmap>

QCursor CursorFromPicture(const QImage& picture, QPoint hotSpot)
{
    const qreal ratio = picture.devicePixelRatio();
    const bool takesPixels = QGuiApplication::platformName() == QLatin1String("xcb");
    const QPoint given = takesPixels ? hotSpot : QPoint(qRound(hotSpot.x() / ratio), qRound(hotSpot.y() / ratio));
    return QCursor(QPixmap::fromImage(picture), given.x(), given.y());
}
