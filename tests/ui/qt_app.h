// One QApplication for a test executable (the offscreen platform is set by ctest).
#pragma once
#include <cstdlib>

#include <QApplication>

inline QApplication& testApp() {
    static int argc = 1;
    static char name[] = "kv-ui-test";
    static char* argv[] = {name, nullptr};
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Never destroyed: tearing Qt down among the other static objects at exit crashes.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// fontconfig keeps its font caches until the process ends; LeakSanitizer counts
// them as leaks. Nothing else is suppressed.
extern "C" __attribute__((used)) inline const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
