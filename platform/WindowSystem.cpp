#include "WindowSystem.h"

#include <QtGlobal>

SessionEnvironment SessionEnvironment::FromProcess()
{
    return {qgetenv("QT_QPA_PLATFORM"), qgetenv("WAYLAND_DISPLAY"), qgetenv("XDG_SESSION_TYPE"),
            qgetenv("DISPLAY")};
}

bool SessionEnvironment::IsWaylandSession() const
{
    return !waylandDisplay.isEmpty() || sessionType == "wayland";
}

QByteArray ChooseQtPlatform(const SessionEnvironment& session)
{
    if (!session.qtPlatform.isEmpty() || !session.IsWaylandSession() || session.x11Display.isEmpty())
        return {};
    return QByteArrayLiteral("xcb;wayland");
}

ScreenGrabKind ChooseScreenGrab(const SessionEnvironment& session, const QString& qtPlatform)
{
    if (qtPlatform == QLatin1String("offscreen") || qtPlatform == QLatin1String("minimal"))
        return ScreenGrabKind::QtScreens;
    return session.IsWaylandSession() ? ScreenGrabKind::DesktopPortal : ScreenGrabKind::QtScreens;
}
