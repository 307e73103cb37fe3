#pragma once
// The one QApplication of a test program, made on first use (widgets need it). It is never
// destroyed: Qt's own statics (input devices of key and mouse simulation) must not outlive it.

#include <QApplication>

inline QApplication& TestApplication()
{
    static int argc = 1;
    static char name[] = "inkleaf-tests";
    static char* argv[] = {name, nullptr};
    static QApplication* application = new QApplication(argc, argv);
    return *application;
}
