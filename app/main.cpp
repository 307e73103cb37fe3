// Inkleaf: handwriting on a ruled page with a pressure-sensitive pen.

#include "platform/QtPrompts.h"
#include "platform/WindowSystem.h"
#include "shell/app/CScrivaApp.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    // On a Wayland session the small frames and the overlay run on XWayland, where windows can
    // be placed and kept above others; the platform is fixed when the application is made.
    const QByteArray platform = ChooseQtPlatform(SessionEnvironment::FromProcess());
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Inkleaf"));

    QtPrompts dialogs;
    SetPrompts(&dialogs);
    int result = 0;
    {
        CScrivaApp app;
        if (app.InitInstance(QApplication::arguments().mid(1))) {
            dialogs.SetParent(app.Frame());
            dialogs.SetTabletPark(app.Frame()->View());
            result = QApplication::exec();
        }
    }
    SetPrompts(nullptr);
    return result;
}
