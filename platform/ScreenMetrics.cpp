#include "ScreenMetrics.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace {
std::optional<QSize> g_fixed;

const QScreen* Primary()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::primaryScreen() : nullptr;
}

// The screen a point of the desktop is on, or the nearest one: Qt puts a point on a screen's
// last pixel at its right or bottom edge, which that screen's geometry does not hold.
const QScreen* ScreenAt(const QPointF& global)
{
    if (g_fixed || !Primary())
        return nullptr;
    const QPoint pixel(int(std::floor(global.x())), int(std::floor(global.y())));
    if (const QScreen* screen = QGuiApplication::screenAt(pixel))
        return screen;
    const QScreen* nearest = Primary();
    double best = -1;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRectF area = QRectF(screen->geometry());
        const double dx = std::max({area.left() - global.x(), 0.0, global.x() - area.right()});
        const double dy = std::max({area.top() - global.y(), 0.0, global.y() - area.bottom()});
        const double distance = dx * dx + dy * dy;
        if (best < 0 || distance < best) {
            best = distance;
            nearest = screen;
        }
    }
    return nearest;
}

LONG Scaled(double from, double origin, double ratio)
{
    return LONG(std::lround(origin + (from - origin) * ratio));
}
}  // namespace

void ScreenMetrics::SetFixedScreen(std::optional<QSize> size)
{
    g_fixed = size;
}

double ScreenMetrics::DevicePixelRatio()
{
    const QScreen* screen = g_fixed ? nullptr : Primary();
    return screen ? screen->devicePixelRatio() : 1.0;
}

POINT ScreenMetrics::NativePoint(const QPointF& global)
{
    const QScreen* screen = ScreenAt(global);
    if (!screen)
        return {LONG(std::lround(global.x())), LONG(std::lround(global.y()))};
    const QPoint origin = screen->geometry().topLeft();
    const double ratio = screen->devicePixelRatio();
    return {Scaled(global.x(), origin.x(), ratio), Scaled(global.y(), origin.y(), ratio)};
}

CRect ScreenMetrics::NativeRect(const QRect& global)
{
    const POINT topLeft = NativePoint(global.topLeft());
    const QScreen* screen = ScreenAt(global.topLeft());
    const double ratio = screen ? screen->devicePixelRatio() : 1.0;
    return CRect(topLeft.x, topLeft.y, topLeft.x + LONG(std::lround(global.width() * ratio)),
                 topLeft.y + LONG(std::lround(global.height() * ratio)));
}

QSize ScreenMetrics::ScreenSize()
{
    if (g_fixed)
        return *g_fixed;
    const QScreen* screen = Primary();
    if (!screen)
        return QSize(1024, 768);
    const double ratio = screen->devicePixelRatio();
    return QSize(int(std::lround(screen->size().width() * ratio)), int(std::lround(screen->size().height() * ratio)));
}

CRect ScreenMetrics::DesktopRect()
{
    const QSize size = ScreenSize();
    return CRect(0, 0, size.width(), size.height());
}

QSize ScreenMetrics::LogicalScreenSize()
{
    const QScreen* screen = g_fixed ? nullptr : Primary();
    return screen ? screen->size() : ScreenSize();
}

QRect ScreenMetrics::LogicalWorkArea()
{
    const QScreen* screen = g_fixed ? nullptr : Primary();
    return screen ? screen->availableGeometry() : QRect(QPoint(0, 0), ScreenSize());
}

CRect ScreenMetrics::WorkArea()
{
    const QScreen* screen = g_fixed ? nullptr : Primary();
    if (!screen)
        return DesktopRect();
    const QRect area = screen->availableGeometry();
    const double ratio = screen->devicePixelRatio();
    return CRect(LONG(area.left() * ratio), LONG(area.top() * ratio), LONG((area.left() + area.width()) * ratio),
                 LONG((area.top() + area.height()) * ratio));
}
