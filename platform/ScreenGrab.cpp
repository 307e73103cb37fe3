#include "ScreenGrab.h"

#include "PortalScreenGrab.h"
#include "WindowSystem.h"
#include "X11ScreenGrab.h"

#include <QGuiApplication>

std::unique_ptr<IScreenGrab> MakeScreenGrab()
{
    switch (ChooseScreenGrab(SessionEnvironment::FromProcess(), QGuiApplication::platformName())) {
    case ScreenGrabKind::DesktopPortal:
        return std::make_unique<PortalScreenGrab>();
    case ScreenGrabKind::QtScreens:
        break;
    }
    return std::make_unique<X11ScreenGrab>();
}
