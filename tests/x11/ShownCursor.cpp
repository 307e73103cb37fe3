#include "ShownCursor.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

// After the Qt headers: Xlib defines macros that clash with their names.
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

ShownCursor CursorShown()
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->display())
        return {};
    XSync(x11->display(), False);
    XFixesCursorImage* shown = XFixesGetCursorImage(x11->display());
    if (!shown)
        return {};
    QImage image(shown->width, shown->height, QImage::Format_ARGB32);
    for (int y = 0; y < shown->height; ++y)
        for (int x = 0; x < shown->width; ++x)
            image.setPixel(x, y, QRgb(shown->pixels[y * shown->width + x]));  // 32 bits in a long
    const ShownCursor cursor{image, QPoint(shown->xhot, shown->yhot)};
    XFree(shown);
    return cursor;
}
