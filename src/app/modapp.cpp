#include "app/modapp.h"

#include "app/clsErrorHandler.h"
#include "app/clsMessageHandler.h"
#include "app/clsThisApp.h"
#include "platform/AppError.h"
#include "platform/BusyCursor.h"
#include "platform/MessagePresenter.h"

#include <QCoreApplication>

namespace {
clsThisApp* g_app = nullptr;
// Owns the application object from a successful start-up to the unload of
// the main window.
std::unique_ptr<clsThisApp> g_runningApp;
std::function<bool()> g_showMainWindow;

std::shared_ptr<clsLibrary> g_library;
std::shared_ptr<clsMessageHandler> g_messageHandler;
std::shared_ptr<clsErrorHandler> g_errorHandler;
}

namespace modapp {
clsThisApp* ThisApp() { return g_app; }
clsLibrary* Library() { return g_library.get(); }
clsMessageHandler* MessageHandler() { return g_messageHandler.get(); }
clsErrorHandler* ErrorHandler() { return g_errorHandler.get(); }
std::shared_ptr<clsErrorHandler> ErrorHandlerShared() { return g_errorHandler; }

void publishApp(clsThisApp* app) { g_app = app; }
void publishLibrary(std::shared_ptr<clsLibrary> library) { g_library = std::move(library); }
void publishMessageHandler(std::shared_ptr<clsMessageHandler> handler) { g_messageHandler = std::move(handler); }
void publishErrorHandler(std::shared_ptr<clsErrorHandler> handler) { g_errorHandler = std::move(handler); }

void releaseAll()
{
    g_runningApp.reset();
    g_app = nullptr;
    g_library.reset();
    g_messageHandler.reset();
    g_errorHandler.reset();
}
void setMainWindowFactory(std::function<bool()> showMainWindow) { g_showMainWindow = std::move(showMainWindow); }

QString startupFailureText(const AppError& e, qint32* style)
{
    static const QString crlf = QStringLiteral("\r\n");
    if (e.number() == AppError::withObjectBase(ErrNo::DatabaseInUse)) {
        *style = 48;
        return QStringLiteral("The system database is locked by an administrative user ")
               + QStringLiteral("OR may be opened by Access. ") + crlf + QStringLiteral("Please try again later.");
    }
    *style = 16;
    if (e.number() == ErrNo::CantCreateObject) {
        return QStringLiteral("The following error occurred: ") + crlf + crlf + QString::number(e.number())
               + QStringLiteral(": ") + e.description() + crlf + crlf
               + QStringLiteral("This error may be related to an older version of the ")
               + QStringLiteral("Microsoft Data Access Components being installed over a newer version of the same file. ")
               + QStringLiteral("Please refer to the Readme.txt file found on the installation CD for this ")
               + QStringLiteral("software further instructions.");
    }
    return QStringLiteral("Critical Error: ") + QString::number(e.number()) + crlf + QStringLiteral("Description: ")
           + e.description();
}

int Main()
{
    std::unique_ptr<clsThisApp> app;
    auto busy = std::make_unique<BusyCursor>();
    try {
        try {
            app = std::make_unique<clsThisApp>();
            publishApp(app.get());
            publishLibrary(app->libraryShared());
            publishMessageHandler(app->messageHandlerShared());
            publishErrorHandler(app->errorHandlerShared());
            app->LoginAttempt_p();
            g_runningApp = std::move(app);
            busy.reset();
            if (!g_showMainWindow || !g_showMainWindow()) {
                // No window to run on: end the way leaving the main window would.
                EndApplication_m();
            }
            return 0;
        } catch (const std::bad_alloc&) {
            throw AppError(ErrNo::OutOfMemory, {});
        } catch (const AppError&) {
            throw;
        } catch (const std::exception& e) {
            throw AppError(ErrNo::InvalidCall, QString::fromLocal8Bit(e.what()));
        }
    } catch (const AppError& e) {
        qint32 style = 0;
        const QString text = startupFailureText(e, &style);
        try {
            if (auto* mh = MessageHandler())
                mh->ShowMessage_gl(text, style);
            else
                MessagePresenter::show(text, style);
        } catch (...) {
        }
        try { busy.reset(); } catch (...) {}
        try { app.reset(); } catch (...) {}
        g_app = nullptr;
        releaseAll();
        return 1;
    }
}

void EndApplication_m()
{
    try {
        g_runningApp.reset();
    } catch (...) {
    }
    g_app = nullptr;
    if (QCoreApplication::instance())
        QCoreApplication::quit();
}
}
