#pragma once
// The one QApplication of a widget test program, on the offscreen platform
// unless the environment names another.
#include <QApplication>

inline QApplication& widgetApp() {
    static int argc = 1;
    static char name[] = "window_tests";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}
