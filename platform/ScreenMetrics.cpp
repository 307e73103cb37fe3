#include "ScreenMetrics.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace {
std::optional<QSize> g_fixed;

const QScreen* Primary()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::primaryScreen() : nullptr;
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
