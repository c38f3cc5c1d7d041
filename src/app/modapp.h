#pragma once

#include <QString>
#include <functional>
#include <memory>

class AppError;

class clsThisApp;
class clsLibrary;
class clsMessageHandler;
class clsErrorHandler;

// The program-wide references of the start-up module. The library, message
// handler and error handler are shared with the application object and stay
// valid until the process ends, so a late caller (a guard released after the
// application object) never reaches a dead service.
namespace modapp {
clsThisApp* ThisApp();
clsLibrary* Library();
clsMessageHandler* MessageHandler();
clsErrorHandler* ErrorHandler();
std::shared_ptr<clsErrorHandler> ErrorHandlerShared();

void publishApp(clsThisApp* app);
void publishLibrary(std::shared_ptr<clsLibrary> library);
void publishMessageHandler(std::shared_ptr<clsMessageHandler> handler);
void publishErrorHandler(std::shared_ptr<clsErrorHandler> handler);
// Drops every program-wide reference (tests, and the very end of the run).
void releaseAll();

// The entry routine: builds everything, opens the database and shows the main
// window. Returns the process exit code to use when start-up failed (non-zero),
// or 0 when the program runs on the main window's events.
int Main();
// The main window registers how it is shown; it returns false when it could
// not be shown.
void setMainWindowFactory(std::function<bool()> showMainWindow);
// The splash's least display time (2 seconds) and its clock; tests shorten
// the time or pass a fake clock. An empty clock restores the real one.
void setSplashMinimumSeconds(qint32 seconds);
void setSplashClock(std::function<qint64()> elapsedMs, std::function<void(int ms)> sleepMs);
// What a second copy says when a copy already runs from the program folder.
QString alreadyRunningText();
// The one box a failed start-up shows, and its style.
QString startupFailureText(const AppError& e, qint32* style);
// Called once by the main window's unload: runs the shut-down sequence.
void EndApplication_m();
}  // namespace modapp
