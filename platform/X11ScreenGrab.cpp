#include "X11ScreenGrab.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QRect>
#include <QScreen>

#include <vector>

namespace {

// One screen's picture and where its top-left corner stands on the desktop, physical pixels.
struct ScreenPart {
    QPoint at;
    QImage image;
};

QImage Compose(const std::vector<ScreenPart>& parts, const QRect& desktop)
{
    if (parts.size() == 1 && parts.front().at == desktop.topLeft())
        return parts.front().image.convertToFormat(QImage::Format_RGB32);
    QImage image(desktop.size(), QImage::Format_RGB32);
    if (image.isNull())
        return image;
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (const ScreenPart& part : parts)
        painter.drawImage(part.at - desktop.topLeft(), part.image);
    return image;
}

}  // namespace

ScreenGrabResult X11ScreenGrab::Grab()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return ScreenGrabResult::Failure(QStringLiteral("The screen cannot be taken: the program has no display."));
    std::vector<ScreenPart> parts;
    QRect desktop;
    for (QScreen* screen : QGuiApplication::screens()) {
        const QPixmap pixmap = screen->grabWindow(0);
        if (pixmap.isNull())
            return ScreenGrabResult::Failure(
                QStringLiteral("The screen cannot be taken: the monitor \"%1\" could not be read.").arg(screen->name()));
        ScreenPart part{screen->geometry().topLeft(), pixmap.toImage()};
        part.image.setDevicePixelRatio(1);  // placed pixel for pixel
        desktop |= QRect(part.at, part.image.size());
        parts.push_back(std::move(part));
    }
    if (parts.empty())
        return ScreenGrabResult::Failure(QStringLiteral("The screen cannot be taken: no monitor is connected."));
    QImage image = Compose(parts, desktop);
    if (image.isNull())
        return ScreenGrabResult::Failure(QStringLiteral("The screen cannot be taken: not enough memory for a picture "
                                                        "of %1 x %2 pixels.").arg(desktop.width()).arg(desktop.height()));
    image.setDevicePixelRatio(1);
    return {std::move(image), desktop.topLeft(), QString()};
}
