#pragma once
// The application object of the offscreen GUI tests: created on first use, kept to the end.
#include <QApplication>
#include <cstdlib>

inline QApplication* EnsureGuiTestApp()
{
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) return app;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "tests_app";
    static char* argv[] = {name, nullptr};
    // Never destroyed: Qt's own objects that outlive main() must not find it gone.
    static QApplication* app = new QApplication(argc, argv);
    return app;
}
