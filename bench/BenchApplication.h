#pragma once

#include <QApplication>

// Widgets need a GUI application; the benchmarks run without a display
// unless QT_QPA_PLATFORM names another platform (xcb under Xvfb, say, where
// every pointer change is a round trip to the X server).
inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "splitwerk_bench";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        // The offscreen platform says so for every window shown.
        static const QtMessageHandler previous =
            qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
                if (!text.contains(QLatin1String("propagateSizeHints")))
                    previous(type, context, text);
            });
        static QApplication app(argc, argv);
    }
}
