#pragma once

#include <QApplication>

// Widgets need a GUI application; the benchmarks run without a display.
inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "splitwerk_bench";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static QApplication app(argc, argv);
    }
}
