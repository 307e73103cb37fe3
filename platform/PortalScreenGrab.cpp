#include "PortalScreenGrab.h"

#include "Prompts.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QEventLoop>
#include <QImageReader>
#include <QTimer>
#include <QUrl>

#include <algorithm>

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kScreenshot = QStringLiteral("org.freedesktop.portal.Screenshot");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");

QString Unable(const QString& why)
{
    return QStringLiteral("The screen cannot be taken: %1").arg(why);
}

// A token no earlier grab of this connection used; path elements allow [A-Za-z0-9_].
QString NextToken()
{
    static unsigned counter = 0;
    return QStringLiteral("inkleaf_grab%1").arg(++counter);
}

QString RequestPathFor(const QDBusConnection& bus, const QString& token)
{
    QString sender = bus.baseService();
    sender.remove(0, 1).replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
}

QString CallErrorMessage(const QDBusError& error)
{
    switch (error.type()) {
    case QDBusError::ServiceUnknown:
        return Unable(QStringLiteral("no desktop portal (xdg-desktop-portal) runs on this session."));
    case QDBusError::UnknownObject:
    case QDBusError::UnknownInterface:
    case QDBusError::UnknownMethod:
        return Unable(QStringLiteral("the desktop portal of this session takes no screenshots."));
    default:
        return Unable(QStringLiteral("the desktop portal answered \"%1\".").arg(error.message()));
    }
}

ScreenGrabResult ReadPicture(const QVariantMap& results)
{
    const QString uri = results.value(QStringLiteral("uri")).toString();
    if (uri.isEmpty())
        return ScreenGrabResult::Failure(Unable(QStringLiteral("the desktop portal sent no picture.")));
    const QUrl url(uri);
    if (!url.isLocalFile())
        return ScreenGrabResult::Failure(
            Unable(QStringLiteral("the desktop portal's picture is not a local file (%1).").arg(uri)));
    // The reader's allocation limit bounds what a damaged file can make us allocate.
    QImageReader reader(url.toLocalFile());
    QImage image = reader.read();
    if (image.isNull())
        return ScreenGrabResult::Failure(Unable(QStringLiteral("the desktop portal's picture %1 could not be read (%2).")
                                                    .arg(url.toLocalFile(), reader.errorString())));
    image = image.convertToFormat(QImage::Format_RGB32);
    image.setDevicePixelRatio(1);
    return {std::move(image), QPoint(0, 0), QString()};
}

}  // namespace

PortalScreenGrab::PortalScreenGrab(std::chrono::milliseconds patience)
    : m_patience(patience), m_bus(QDBusConnection::sessionBus())
{
}

ScreenGrabResult PortalScreenGrab::Grab()
{
    if (!m_bus.isConnected())
        return ScreenGrabResult::Failure(Unable(QStringLiteral("this session has no message bus for the desktop portal.")));
    WaitCursor wait;
    const QString token = NextToken();
    Listen(RequestPathFor(m_bus, token));
    const Outcome outcome = CallAndWait(token);
    StopListening();
    if (!outcome.response)
        return ScreenGrabResult::Failure(outcome.error);
    switch (outcome.response->code) {
    case 0:
        return ReadPicture(outcome.response->results);
    case 1:
        return ScreenGrabResult::Failure(Unable(QStringLiteral("taking the screen was cancelled.")));
    default:
        return ScreenGrabResult::Failure(Unable(QStringLiteral("the desktop portal refused to take it.")));
    }
}

PortalScreenGrab::Outcome PortalScreenGrab::CallAndWait(const QString& token)
{
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPortalPath, kScreenshot, QStringLiteral("Screenshot"));
    call << QString() << QVariantMap{{QStringLiteral("handle_token"), token}, {QStringLiteral("interactive"), false}};
    QDBusPendingCallWatcher watcher(m_bus.asyncCall(call, int(m_patience.count())));

    QEventLoop loop;
    Outcome outcome;
    connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, [&] {
        const QDBusPendingReply<QDBusObjectPath> reply = watcher;
        if (reply.isError()) {
            outcome.error = CallErrorMessage(reply.error());
            loop.quit();
        } else if (reply.value().path() != m_requestPath) {
            Listen(reply.value().path());
        }
    });
    QTimer patience;
    patience.setSingleShot(true);
    connect(&patience, &QTimer::timeout, &loop, [&] {
        outcome.error = TimeoutMessage();
        CloseRequest();
        loop.quit();
    });
    patience.start(m_patience);

    m_response.reset();
    m_loop = &loop;
    if (outcome.error.isEmpty())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    m_loop = nullptr;
    if (m_response && outcome.error.isEmpty())
        outcome.response = std::move(m_response);
    return outcome;
}

QString PortalScreenGrab::TimeoutMessage() const
{
    const long long seconds = std::max<long long>(1, (m_patience.count() + 999) / 1000);
    return Unable(QStringLiteral("the desktop portal gave no picture within %1 %2.")
                      .arg(seconds)
                      .arg(seconds == 1 ? QStringLiteral("second") : QStringLiteral("seconds")));
}

void PortalScreenGrab::OnResponse(uint code, const QVariantMap& results)
{
    if (!m_loop)
        return;  // the answer to a request we gave up on
    m_response = Response{code, results};
    m_loop->quit();
}

void PortalScreenGrab::Listen(const QString& requestPath)
{
    StopListening();
    m_requestPath = requestPath;
    m_bus.connect(kService, m_requestPath, kRequest, QStringLiteral("Response"), this,
                  SLOT(OnResponse(uint, QVariantMap)));
}

void PortalScreenGrab::StopListening()
{
    if (m_requestPath.isEmpty())
        return;
    m_bus.disconnect(kService, m_requestPath, kRequest, QStringLiteral("Response"), this,
                     SLOT(OnResponse(uint, QVariantMap)));
    m_requestPath.clear();
}

void PortalScreenGrab::CloseRequest()
{
    m_bus.send(QDBusMessage::createMethodCall(kService, m_requestPath, kRequest, QStringLiteral("Close")));
}
