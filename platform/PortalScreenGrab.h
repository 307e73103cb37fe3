#pragma once
// The virtual desktop taken by the desktop portal, the one way a program may read the screen
// on a Wayland session: org.freedesktop.portal.Screenshot on the session bus.
//
//   Screenshot(parent "", {handle_token: T, interactive: false})  -> request object path
//   The request object /org/freedesktop/portal/desktop/request/SENDER/T (SENDER: our unique
//   bus name without the ':' and with '_' for '.') later sends
//   org.freedesktop.portal.Request.Response(u code, a{sv} results):
//     0   results["uri"] names the picture, a file:// URI
//     1   the user cancelled
//     2   refused (no permission, or the portal failed)
//
// We listen on the request's path before calling, so the answer cannot come before we listen;
// a portal that hands back another path (older versions do) is followed there.
//
// The picture file is the portal's and the user's (it may be saved among their pictures): it
// is read and never deleted.
//
// While the portal works the wait cursor shows and the program's windows repaint, but input
// waits, so nothing can start a second grab. A portal that has not answered within the
// patience is asked to close the request, and the grab fails with a message.

#include "ScreenGrab.h"

#include <QDBusConnection>
#include <QObject>
#include <QVariantMap>

#include <chrono>
#include <optional>

class QEventLoop;

class PortalScreenGrab : public QObject, public IScreenGrab {
    Q_OBJECT
public:
    // Enough for a first-use permission question the user has to read and answer; without
    // one the portal answers within a second.
    static constexpr std::chrono::milliseconds kPatience{20000};

    explicit PortalScreenGrab(std::chrono::milliseconds patience = kPatience);
    ScreenGrabResult Grab() override;

private slots:
    void OnResponse(uint code, const QVariantMap& results);

private:
    struct Response {
        uint code = 2;
        QVariantMap results;
    };
    // The portal's answer, or an error message when there is none.
    struct Outcome {
        std::optional<Response> response;
        QString error;
    };

    Outcome CallAndWait(const QString& token);
    QString TimeoutMessage() const;
    void Listen(const QString& requestPath);
    void StopListening();
    void CloseRequest();

    std::chrono::milliseconds m_patience;
    QDBusConnection m_bus;
    QString m_requestPath;              // where the answer is listened for; empty when not
    std::optional<Response> m_response;  // set by OnResponse
    QEventLoop* m_loop = nullptr;        // the wait in progress
};
