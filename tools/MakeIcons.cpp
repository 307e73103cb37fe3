// make-icons: renders one of the program's SVG icons into an icon theme at build time, as the
// scalable picture and as PNG files at the sizes menus, file managers and panels ask for.
//
//   make-icons ICON.svg THEME CONTEXT/NAME
//
// writes THEME/scalable/CONTEXT/NAME.svg and THEME/NxN/CONTEXT/NAME.png for every size below.
// Runs on Qt's offscreen platform. Exit status: 0 done, 1 the icon could not be read or a file
// not written, 2 a usage error.

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;
constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};  // pixels

int Complain(const QString& message)
{
    std::fprintf(stderr, "make-icons: %s\n", qUtf8Printable(message));
    return kFailed;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc != 4) {
        std::fputs("usage: make-icons ICON.svg THEME CONTEXT/NAME\n", stderr);
        return kUsage;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir runtime;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtime.isValid())
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));  // private (0700)
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QGuiApplication application(qtArgc, qtArgv);

    const QString svg = QFile::decodeName(argv[1]);
    const QString theme = QFile::decodeName(argv[2]);
    const QString name = QFile::decodeName(argv[3]);
    QSvgRenderer renderer(svg);
    if (!renderer.isValid())
        return Complain(QStringLiteral("cannot read %1").arg(svg));

    const QString scalable = QStringLiteral("%1/scalable/%2.svg").arg(theme, name);
    QDir().mkpath(QFileInfo(scalable).absolutePath());
    QFile::remove(scalable);
    if (!QFile::copy(svg, scalable))
        return Complain(QStringLiteral("cannot write %1").arg(scalable));
    for (int size : kSizes) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        const QString png = QStringLiteral("%1/%2x%2/%3.png").arg(theme).arg(size).arg(name);
        if (!QDir().mkpath(QFileInfo(png).absolutePath()) || !image.save(png, "png"))
            return Complain(QStringLiteral("cannot write %1").arg(png));
    }
    return kDone;
}
