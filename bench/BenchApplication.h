#pragma once

#include <QApplication>

#include <memory>

// The one application of the run. main() lets it go before it returns:
// destroyed among the statics, it would take down windows a benchmark left
// after Qt's thread storage, which they still use, is gone.
inline std::unique_ptr<QApplication>& benchApplication()
{
    static std::unique_ptr<QApplication> app;
    return app;
}

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
        benchApplication() = std::make_unique<QApplication>(argc, argv);
    }
}
