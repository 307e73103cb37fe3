// Holds a PNG file on the X clipboard as another program would (a web browser copying an
// image), until another client takes the clipboard or a minute has passed. Prints "ready"
// once the clipboard is its own.
//
//   x11_clipboard_owner FILE.png
//   x11_clipboard_owner --hang
//
// With --hang it offers four formats and hangs for half a minute when asked for any of them,
// as a program stuck in its own work does.

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QTimer>

#include <QThread>

#include <cstdio>
#include <cstring>

namespace {

class HangingData : public QMimeData {
public:
    QStringList formats() const override
    {
        return {QStringLiteral("text/plain"), QStringLiteral("text/html"), QStringLiteral("image/png"),
                QStringLiteral("application/x-held")};
    }

protected:
    QVariant retrieveData(const QString&, QMetaType) const override
    {
        QThread::sleep(30);
        return {};
    }
};

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: x11_clipboard_owner FILE.png | --hang\n");
        return 2;
    }
    QMimeData* data = nullptr;
    if (std::strcmp(argv[1], "--hang") == 0) {
        data = new HangingData;
    } else {
        QFile file(QString::fromLocal8Bit(argv[1]));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "x11_clipboard_owner: cannot read %s\n", argv[1]);
            return 1;
        }
        data = new QMimeData;
        data->setData(QStringLiteral("image/png"), file.readAll());
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setMimeData(data);
    if (!clipboard->ownsClipboard()) {
        std::fprintf(stderr, "x11_clipboard_owner: the clipboard was not taken\n");
        return 1;
    }
    QObject::connect(clipboard, &QClipboard::dataChanged, &application, [&] {
        if (!clipboard->ownsClipboard())
            application.quit();
    });
    QTimer::singleShot(60000, &application, &QCoreApplication::quit);
    std::printf("ready\n");
    std::fflush(stdout);
    return application.exec();
}
