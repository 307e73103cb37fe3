// Inkleaf: handwriting on a ruled page with a pressure-sensitive pen.

#include "platform/QtPrompts.h"
#include "shell/app/CScrivaApp.h"

#include <QApplication>

int main(int argc, char* argv[])
{
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
