// make-help: typesets the user manual (one HTML file) as the PDF shipped beside the program.
//
//   make-help MANUAL.html OUT.pdf
//
// Runs at build time on Qt's offscreen platform, so it never needs a display. The PDF is A4 at
// 300 dpi with page numbers at the foot of every page. The output is written in full or not at
// all. Exit status: 0 done, 1 the manual could not be read or the PDF not written, 2 a usage error.

#include "OffscreenBuildApp.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>
#include <QUrl>

#include <cstdio>

namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

constexpr int kResolution = 300;  // dots per inch
// Millimetres around the printable area. QTextDocument::print lays the text out a further
// 2 cm inside it and puts the page numbers in that band.
const QMarginsF kMargins(5.0, 5.0, 5.0, 5.0);

int Complain(const QString& message, int status)
{
    std::fprintf(stderr, "make-help: %s\n", qUtf8Printable(message));
    return status;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fputs("usage: make-help MANUAL.html OUT.pdf\n", stderr);
        return kUsage;
    }
    const QString input = QFile::decodeName(argv[1]);
    const QString output = QFile::decodeName(argv[2]);

    // Typesetting needs fonts, hence a GUI application, but never a window: the offscreen
    // platform works on build machines without a display.
    const OffscreenBuildApp<QGuiApplication> application(argv[0]);

    QFile manual(input);
    if (!manual.open(QIODevice::ReadOnly | QIODevice::Text))
        return Complain(QStringLiteral("cannot read %1: %2").arg(input, manual.errorString()), kFailed);
    const QString html = QString::fromUtf8(manual.readAll());

    QTextDocument document;
    // Relative links and pictures resolve against the manual's folder. Printing lays out a
    // copy of the document, which finds pictures through the document's own address.
    document.setBaseUrl(QUrl::fromLocalFile(QFileInfo(input).absolutePath() + QLatin1Char('/')));
    document.setMetaInformation(QTextDocument::DocumentUrl, QUrl::fromLocalFile(QFileInfo(input).absoluteFilePath()).toString());
    document.setHtml(html);

    QSaveFile file(output);
    if (!file.open(QIODevice::WriteOnly))
        return Complain(QStringLiteral("cannot write %1: %2").arg(output, file.errorString()), kFailed);
    {
        QPdfWriter writer(&file);
        writer.setResolution(kResolution);
        writer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, kMargins, QPageLayout::Millimeter));
        const QString title = document.metaInformation(QTextDocument::DocumentTitle);
        writer.setTitle(title.isEmpty() ? QStringLiteral("Inkleaf") : title);
        writer.setCreator(QStringLiteral("Inkleaf make-help"));
        document.print(&writer);
    }  // the writer finishes the file when it goes
    if (!file.commit())
        return Complain(QStringLiteral("cannot write %1: %2").arg(output, file.errorString()), kFailed);
    return kDone;
}
