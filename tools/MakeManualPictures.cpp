// make-manual-pictures: puts the pictures into the user manual at build time.
//
//   make-manual-pictures MANUAL.html BUNDLE OUT_DIR
//
// Draws every bar in every mode, the pen-width popup and the three modes from the program's
// own bars, in the built-in look and in the compact look of BUNDLE (IlfRes.rcc), and writes
// them as OUT_DIR/pictures/NAME.png, then the manual with its picture markers replaced as
// OUT_DIR/manual.html (see ManualPage). The pictures have twice the pixels they are shown with,
// so they stay sharp in print. Runs on Qt's offscreen platform, never showing a window, with
// the English strings and default settings whatever the machine has. Exit status: 0 done,
// 1 a file could not be read or written (or the manual names a picture that is not drawn),
// 2 a usage error.

#include "ManualPage.h"
#include "ManualPictures.h"
#include "OffscreenBuildApp.h"

#include "platform/Resources.h"
#include "platform/ScreenMetrics.h"
#include "platform/Settings.h"
#include "shell/tables/StringTable.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

constexpr char kPixelRatio[] = "2";
// The bars are laid out for a screen wide enough for the wide letter band.
constexpr QSize kScreen{1920, 1080};

int Complain(const QString& message)
{
    std::fprintf(stderr, "make-manual-pictures: %s\n", qUtf8Printable(message));
    return kFailed;
}

bool Write(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
    return false;
}

bool WritePicture(const QString& path, const ManualFigure& figure, QString* error)
{
    QSaveFile file(path);
    // Opaque: a PDF would carry an alpha channel as a second image.
    const QImage opaque = figure.image.convertToFormat(QImage::Format_RGB32);
    if (file.open(QIODevice::WriteOnly) && opaque.save(&file, "PNG") && file.commit())
        return true;
    *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
    return false;
}

// The built-in look's figures and the modes, then the compact look's; empty when the bundle
// cannot be loaded.
std::vector<ManualFigure> DrawFigures(const QString& bundle, QString* error)
{
    std::vector<ManualFigure> figures = ManualPictures::BarFigures();
    figures.push_back(ManualPictures::ModesFigure());
    if (!Resources::LoadResourceLibrary(bundle)) {
        *error = QStringLiteral("cannot load the compact look from %1").arg(bundle);
        return {};
    }
    StringTable::Instance().ReadReplacements();
    for (ManualFigure& figure : ManualPictures::BarFigures())
        figures.push_back(std::move(figure));
    Resources::FreeResourceLibrary();
    StringTable::Instance().ReadReplacements();
    return figures;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc != 4) {
        std::fputs("usage: make-manual-pictures MANUAL.html BUNDLE OUT_DIR\n", stderr);
        return kUsage;
    }
    const QString input = QFile::decodeName(argv[1]);
    const QString bundle = QFile::decodeName(argv[2]);
    const QDir out(QFile::decodeName(argv[3]));

    // Widgets need an application, but no display: the offscreen platform, at a pixel ratio
    // that draws the pictures for print.
    qputenv("QT_SCALE_FACTOR", kPixelRatio);
    const OffscreenBuildApp<QApplication> application(argv[0]);
    // The bars read and write their colours there: the defaults, never the user's.
    QTemporaryDir settings;
    if (!settings.isValid())
        return Complain(QStringLiteral("cannot make a temporary folder: %1").arg(settings.errorString()));
    OverrideSettingsFolder(settings.path());
    ScreenMetrics::SetFixedScreen(kScreen);
    StringTable::Instance().Load(QStringLiteral("en"));

    QFile manual(input);
    if (!manual.open(QIODevice::ReadOnly))
        return Complain(QStringLiteral("cannot read %1: %2").arg(input, manual.errorString()));
    const QString source = QString::fromUtf8(manual.readAll());

    QString error;
    const std::vector<ManualFigure> figures = DrawFigures(bundle, &error);
    if (figures.empty())
        return Complain(error);
    const std::optional<QString> html = ManualPage::Expand(source, figures, &error);
    if (!html)
        return Complain(error);

    if (!out.mkpath(QStringLiteral("pictures")))
        return Complain(QStringLiteral("cannot make %1").arg(out.filePath(QStringLiteral("pictures"))));
    QStringList written;
    for (const ManualFigure& figure : figures) {
        written << QFileInfo(ManualPage::PictureFile(figure.name)).fileName();
        if (!WritePicture(out.filePath(ManualPage::PictureFile(figure.name)), figure, &error))
            return Complain(error);
    }
    // Pictures of an earlier build that are no longer drawn would be installed with the rest.
    QDir pictures(out.filePath(QStringLiteral("pictures")));
    for (const QString& file : pictures.entryList({QStringLiteral("*.png")}, QDir::Files))
        if (!written.contains(file))
            pictures.remove(file);
    // The manual last: it is what the build waits for.
    if (!Write(out.filePath(QStringLiteral("manual.html")), html->toUtf8(), &error))
        return Complain(error);
    return kDone;
}
