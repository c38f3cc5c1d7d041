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
    g_app = nullptr;
    g_library.reset();
    g_messageHandler.reset();
    g_errorHandler.reset();
}
}
