// A desktop portal with only the Screenshot call, on the session bus, for the tests of the
// portal grab. It answers every call in one way, chosen on the command line:
//
//   fake_screenshot_portal answer URI    Response 0 with results {uri: URI} (none when empty)
//   fake_screenshot_portal refuse CODE   Response CODE with no results
//   fake_screenshot_portal silent        no Response ever
//   fake_screenshot_portal moved URI     as answer, from a request path other than the one
//                                        the caller's token asks for (older portals)
//
// It prints "ready" once it owns its name, then one line per call: "screenshot" with the
// options it was given, and "closed PATH" when a caller closes a request.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QObject>
#include <QTimer>
#include <QVariantMap>

#include <cstdio>

namespace {

void Say(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

// A request object: the path the Response comes from, which callers may close.
class Request : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Request")
public:
    explicit Request(QString path) : m_path(std::move(path)) {}

public slots:
    void Close() { Say(QStringLiteral("closed %1").arg(m_path)); }

private:
    QString m_path;
};

class ScreenshotPortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Screenshot")
public:
    ScreenshotPortal(QString mode, QString argument) : m_mode(std::move(mode)), m_argument(std::move(argument)) {}

public slots:
    QDBusObjectPath Screenshot(const QString& parent, const QVariantMap& options, const QDBusMessage& call)
    {
        Say(QStringLiteral("screenshot parent=\"%1\" handle_token=%2 interactive=%3")
                .arg(parent, options.value(QStringLiteral("handle_token")).toString(),
                     options.contains(QStringLiteral("interactive"))
                         ? QString::fromLatin1(options.value(QStringLiteral("interactive")).toBool() ? "true" : "false")
                         : QStringLiteral("unset")));
        QString sender = call.service();
        sender.remove(0, 1).replace(QLatin1Char('.'), QLatin1Char('_'));
        const QString path = m_mode == QLatin1String("moved")
                                 ? QStringLiteral("/org/freedesktop/portal/desktop/request/elsewhere/r1")
                                 : QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                                       .arg(sender, options.value(QStringLiteral("handle_token")).toString());
        auto* request = new Request(path);
        QDBusConnection::sessionBus().registerObject(path, request, QDBusConnection::ExportAllSlots);
        // The answer follows the method's return, as a real portal's does.
        if (m_mode != QLatin1String("silent"))
            QTimer::singleShot(50, this, [this, path] { Respond(path); });
        return QDBusObjectPath(path);
    }

private:
    void Respond(const QString& path)
    {
        uint code = 0;
        QVariantMap results;
        if (m_mode == QLatin1String("refuse"))
            code = m_argument.toUInt();
        else if (!m_argument.isEmpty())
            results.insert(QStringLiteral("uri"), m_argument);
        QDBusMessage signal =
            QDBusMessage::createSignal(path, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        signal << code << results;
        QDBusConnection::sessionBus().send(signal);
    }

    QString m_mode;
    QString m_argument;
};

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString mode = arguments.value(1);
    if (mode != QLatin1String("answer") && mode != QLatin1String("refuse") && mode != QLatin1String("silent") &&
        mode != QLatin1String("moved")) {
        std::fprintf(stderr, "usage: fake_screenshot_portal answer URI | refuse CODE | silent | moved URI\n");
        return 2;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    ScreenshotPortal portal(mode, arguments.value(2));
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), &portal, QDBusConnection::ExportAllSlots) ||
        !bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"))) {
        std::fprintf(stderr, "fake_screenshot_portal: %s\n", qPrintable(bus.lastError().message()));
        return 1;
    }
    Say(QStringLiteral("ready"));
    QTimer::singleShot(60000, &application, &QCoreApplication::quit);
    return application.exec();
}

#include "FakeScreenshotPortal.moc"
