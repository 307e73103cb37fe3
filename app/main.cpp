// Inkleaf: handwriting on a ruled page with a pressure-sensitive pen.

#include "WelcomeInk.h"

#include "canvas/PageBufferWidget.h"
#include "ink/CLines.h"
#include "platform/DrawingSurface.h"
#include "platform/QtPrompts.h"

#include <QApplication>
#include <QMainWindow>
#include <QScreen>
#include <QScrollArea>

#include <cmath>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Inkleaf"));

    QMainWindow frame;
    QtPrompts dialogs(&frame);
    SetPrompts(&dialogs);

    // A page is as wide as the screen, in physical pixels, and 4/3 of that tall.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const LONG pageWidth = LONG(std::lround(screen->size().width() * screen->devicePixelRatio()));
    const LONG pageHeight = pageWidth * 4 / 3;
    DrawingSurface page(DrawingSurface::CreateBitmap(pageWidth, pageHeight));
    page.FillSolidRect(CRect(0, 0, pageWidth, pageHeight), RGB(255, 255, 255));

    CLines lines;
    WriteWelcomeInk(lines, pageWidth);
    lines.DrawAll(&page);

    auto* view = new PageBufferWidget;
    auto* scroller = new QScrollArea;
    scroller->setWidget(view);
    scroller->setAlignment(Qt::AlignHCenter);
    frame.setCentralWidget(scroller);
    frame.setWindowTitle(QStringLiteral("Inkleaf"));
    // Without a window manager a maximise request does nothing: start at the full work area.
    frame.setGeometry(screen->availableGeometry());
    frame.showMaximized();
    view->SetPage(page.Bitmap());

    const int result = QApplication::exec();
    SetPrompts(nullptr);
    return result;
}
