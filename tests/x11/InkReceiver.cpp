// A program that takes pasted pictures, as a text editor or an office program would: a window
// that, on Ctrl+V, reads the PNG picture on the X clipboard and writes it, alpha and all, to
// FOLDER/picture-N.png (N counts from 1; picture-N.missing when the clipboard had none).
// With TEXT it first puts TEXT on the clipboard, as the user's last copy. Writes FOLDER/ready
// once its window shows. The window class is the X resource name: set RESOURCE_NAME.
//
//   x11_ink_receiver FOLDER X Y WIDTH HEIGHT [TEXT]

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QRasterWindow>
#include <QTimer>

#include <cstdio>

namespace {

class Receiver : public QRasterWindow {
public:
    explicit Receiver(QString folder) : m_folder(std::move(folder)) { setTitle(QStringLiteral("Ink receiver")); }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(QRect(QPoint(), size()), QColor(240, 240, 200)); }
    void exposeEvent(QExposeEvent* event) override
    {
        QRasterWindow::exposeEvent(event);
        if (isExposed() && !m_ready) {
            m_ready = true;
            QTimer::singleShot(300, this, [this] { Touch(QStringLiteral("ready")); });
        }
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->matches(QKeySequence::Paste))
            TakePicture();
    }

private:
    void TakePicture()
    {
        ++m_count;
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        const QImage picture = data ? QImage::fromData(data->data(QStringLiteral("image/png")), "PNG") : QImage();
        const QString name = QStringLiteral("%1/picture-%2").arg(m_folder).arg(m_count);
        if (picture.isNull() || !picture.save(name + QStringLiteral(".png.part"), "PNG")
            || !QFile::rename(name + QStringLiteral(".png.part"), name + QStringLiteral(".png")))
            Touch(QStringLiteral("picture-%1.missing").arg(m_count));
    }
    void Touch(const QString& name)
    {
        QFile file(m_folder + QLatin1Char('/') + name);
        file.open(QIODevice::WriteOnly);
    }

    QString m_folder;
    bool m_ready = false;
    int m_count = 0;
};

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    if (argc != 6 && argc != 7) {
        std::fprintf(stderr, "usage: x11_ink_receiver FOLDER X Y WIDTH HEIGHT [TEXT]\n");
        return 2;
    }
    if (argc == 7)
        QGuiApplication::clipboard()->setText(QString::fromLocal8Bit(argv[6]));
    Receiver receiver(QString::fromLocal8Bit(argv[1]));
    receiver.setGeometry(QRect(atoi(argv[2]), atoi(argv[3]), atoi(argv[4]), atoi(argv[5])));
    receiver.show();
    receiver.requestActivate();
    QTimer::singleShot(120000, &application, &QCoreApplication::quit);
    return application.exec();
}
