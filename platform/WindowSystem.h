#pragma once
// Which window system the program runs on, and where its pictures of the screen come from.
// Both are pure functions of the environment (and of the Qt platform in use), so every kind
// of session can be checked without one of each at hand.
//
// On a Wayland session a program can neither place its windows nor keep them above others,
// and Qt ignores position, stay-on-top and window shapes there without a word. The small
// frames and the full-screen overlay need all three, so when the session also offers an X
// server (XWayland: DISPLAY is set) the program runs on it. No program may read a Wayland
// screen, and XWayland sees only X windows, so on such a session the picture of the screen
// comes from the desktop portal whichever way the program runs.

#include <QByteArray>
#include <QString>

struct SessionEnvironment {
    QByteArray qtPlatform;      // QT_QPA_PLATFORM: the user's own choice, when set
    QByteArray waylandDisplay;  // WAYLAND_DISPLAY
    QByteArray sessionType;     // XDG_SESSION_TYPE: "x11", "wayland", "tty", ...
    QByteArray x11Display;      // DISPLAY: an X server, XWayland on a Wayland session

    // The variables of this process.
    static SessionEnvironment FromProcess();

    // A Wayland compositor runs the desktop: WAYLAND_DISPLAY is set, or XDG_SESSION_TYPE says so.
    bool IsWaylandSession() const;
};

// The value for QT_QPA_PLATFORM before the application is made: "xcb;wayland" (X first, the
// compositor itself if the X server cannot be reached) on a Wayland session that offers an X
// server, unless the user chose a platform. Empty: leave Qt's own choice.
QByteArray ChooseQtPlatform(const SessionEnvironment& session);

enum class ScreenGrabKind {
    QtScreens,      // the root window through Qt's screens (X11, and the offscreen platform)
    DesktopPortal,  // org.freedesktop.portal.Screenshot over D-Bus
};

// Where pictures of the screen come from, for the Qt platform in use (platformName()).
// Without a real screen (offscreen, minimal) Qt's screens hold all there is to see.
ScreenGrabKind ChooseScreenGrab(const SessionEnvironment& session, const QString& qtPlatform);
