// One QApplication for a test executable (the offscreen platform is set by ctest).
#pragma once
#include <cstdlib>

#include <QApplication>

inline QApplication& testApp() {
    static int argc = 1;
    static char name[] = "kv-ui-test";
    static char* argv[] = {name, nullptr};
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication app(argc, argv);
    return app;
}
