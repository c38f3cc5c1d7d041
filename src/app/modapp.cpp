#include "app/modapp.h"

#include "app/DatabaseFault.h"
#include "app/InstanceLock.h"
#include "app/WindowServices.h"
#include "app/clsErrorHandler.h"
#include "app/clsMessageHandler.h"
#include "app/clsRegistry.h"
#include "app/clsThisApp.h"
#include "app/frmSplash.h"
#include "platform/AppError.h"
#include "platform/AppInfo.h"
#include "platform/BusyCursor.h"
#include "platform/MessagePresenter.h"
#include "platform/RegistryStore.h"

#include <QApplication>
#include <QDir>

namespace {
clsThisApp* g_app = nullptr;
// Owns the application object from a successful start-up to the unload of
// the main window.
std::unique_ptr<clsThisApp> g_runningApp;
std::function<bool()> g_showMainWindow;

std::shared_ptr<clsLibrary> g_library;
std::shared_ptr<clsMessageHandler> g_messageHandler;
std::shared_ptr<clsErrorHandler> g_errorHandler;

// Held from before the database opens to the end of the run.
std::unique_ptr<InstanceLock> g_instanceLock;

constexpr qint32 DefaultSplashSeconds = 2;
qint32 g_splashSeconds = DefaultSplashSeconds;
frmSplash::Clock g_splashClock;

// The splash needs a widget application; without one start-up runs without it.
std::unique_ptr<frmSplash> showSplash_m()
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return {};
    auto splash = std::make_unique<frmSplash>(g_splashSeconds, g_splashClock);
    splash->show();
    splash->Refresh();
    return splash;
}

// What a copy says when the folder's lock is not its own to take.
QString lockRefusalText(const InstanceLock& lock, InstanceLock::Outcome outcome)
{
    const QString file = QDir::toNativeSeparators(lock.path());
    const QString& host = lock.ownerHost();
    if (outcome == InstanceLock::Outcome::Held)
        return modapp::alreadyRunningText();
    if (outcome == InstanceLock::Outcome::HeldElsewhere)
        return QStringLiteral("Splitwerk is already running from the folder\r\n%1\r\non the computer \"%2\".\r\n\r\n"
                              "Only one copy can work on that folder at a time: close Splitwerk there first.")
            .arg(QDir::toNativeSeparators(AppInfo::path()), host);
    if (outcome == InstanceLock::Outcome::NotReadable) {
        const QString account = lock.fileAccount();
        return QStringLiteral("The lock file\r\n%1\r\nbelongs to %2, and this user account may not read it (%3): "
                              "Splitwerk cannot tell whether a copy of that account works on this folder.\r\n\r\n"
                              "Once no copy of Splitwerk is running, have %2 or an administrator delete the lock file, "
                              "then start Splitwerk again.")
            .arg(file,
                 account.isEmpty() ? QStringLiteral("another user account")
                                   : QStringLiteral("the user account \"%1\"").arg(account),
                 lock.reason());
    }
    if (lock.ownerElsewhere())
        return QStringLiteral("The lock file\r\n%1\r\nsays that Splitwerk is working on this folder from the computer "
                              "\"%2\", and this computer cannot tell whether it still is.\r\n\r\n"
                              "If Splitwerk is not running on \"%2\", delete the lock file, then start Splitwerk "
                              "again.")
            .arg(file, host);
    return QStringLiteral("Splitwerk cannot tell whether another copy works on this folder: the lock file\r\n%1\r\n"
                          "cannot be used (%2).\r\n\r\nOnce no copy of Splitwerk is running, delete the lock file, "
                          "then start Splitwerk again.")
        .arg(file, lock.reason());
}

// One running copy a program folder: two would share the download image and
// the staging tables, and each would store the other's download. A folder the
// lock cannot be written in lets the start go on: the database open then says
// what is wrong. Returns the text to end with, or an empty text to go on.
QString takeInstanceLock_m()
{
    auto lock = std::make_unique<InstanceLock>(
        QDir(AppInfo::path()).filePath(AppInfo::exeName() + QStringLiteral(".mdb.lock")));
    const InstanceLock::Outcome outcome = lock->take();
    switch (outcome) {
    case InstanceLock::Outcome::Taken: g_instanceLock = std::move(lock); return {};
    case InstanceLock::Outcome::NotWritable: return {};
    default: return lockRefusalText(*lock, outcome);
    }
}

// The settings file refused a write: which file, and why as far as its
// folder and disk show it; empty for any other error.
QString settingsFault(const QString& what, const AppError& e)
{
    if (e.number() != clsRegistry::ErrSetValue && e.number() != clsRegistry::ErrKey)
        return {};
    QString why;
    switch (RegistryStore::writeFault()) {
    case RegistryStore::WriteFault::ReadOnly:
        why = WindowServices::text(4270,
                                   QStringLiteral("the settings file | cannot be written: it or its folder is "
                                                  "read-only for you. Make both writable for your user, then start "
                                                  "Splitwerk again."));
        break;
    case RegistryStore::WriteFault::DiskFull:
        why = WindowServices::text(4271,
                                   QStringLiteral("the settings file | cannot be written: its disk is full. Make room "
                                                  "on that disk, then start Splitwerk again."));
        break;
    case RegistryStore::WriteFault::Other:
        why = WindowServices::text(4272,
                                   QStringLiteral("the settings file | cannot be written. Check that its folder is a "
                                                  "folder you may write to and that its disk has room, then start "
                                                  "Splitwerk again."));
        break;
    }
    // "|" is filled here: the failure may come before any strings file is read.
    why.replace(QLatin1Char('|'), QDir::toNativeSeparators(RegistryStore::filePath()));
    return what + QStringLiteral(": ") + why
        + QStringLiteral("\r\n\r\nError %1: %2").arg(e.number()).arg(e.description());
}

void splashProgress_m(frmSplash* splash, qint32 percent, const QString& detail)
{
    if (!splash)
        return;
    splash->Progress_pl(percent);
    splash->StatusDetail_ps(detail);
}
}  // namespace

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
    g_instanceLock.reset();
    g_app = nullptr;
    g_library.reset();
    g_messageHandler.reset();
    g_errorHandler.reset();
}
void setSplashMinimumSeconds(qint32 seconds) { g_splashSeconds = seconds; }
void setSplashClock(std::function<qint64()> elapsedMs, std::function<void(int ms)> sleepMs)
{
    g_splashClock = {std::move(elapsedMs), std::move(sleepMs)};
}
void setMainWindowFactory(std::function<bool()> showMainWindow) { g_showMainWindow = std::move(showMainWindow); }

QString startupFailureText(const AppError& e, qint32* style)
{
    static const QString crlf = QStringLiteral("\r\n");
    // In use elsewhere at open, whichever connection met it first.
    if (e.number() == AppError::withObjectBase(ErrNo::DatabaseInUse) || e.number() == ErrNo::DatabaseInUse) {
        *style = 48;
        return QStringLiteral("The system database is locked by an administrative user ")
            + QStringLiteral("OR may be opened by Access. ") + crlf + QStringLiteral("Please try again later.");
    }
    *style = 16;
    // A database file that is missing, damaged, read-only or on a failing
    // disk, or a data link file that does not lead to it: what to do about it,
    // and its number without the object-error base.
    if (const QString words =
            DatabaseFault::atStartUp(WindowServices::text(4193, QStringLiteral("Splitwerk could not start")), e);
        !words.isEmpty())
        return words;
    if (const QString words = settingsFault(WindowServices::text(4193, QStringLiteral("Splitwerk could not start")), e);
        !words.isEmpty())
        return words;
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

QString alreadyRunningText()
{
    return QStringLiteral("Splitwerk is already running from the folder\r\n%1\r\n\r\nOnly one copy can work on "
                          "that folder at a time: switch to the Splitwerk window that is open.")
        .arg(QDir::toNativeSeparators(AppInfo::path()));
}

int Main()
{
    if (const QString refused = takeInstanceLock_m(); !refused.isEmpty()) {
        // Nothing is opened, read or written: the running copy owns it all.
        MessagePresenter::show(refused, 48, AppInfo::title());
        return 1;
    }
    std::unique_ptr<clsThisApp> app;
    auto busy = std::make_unique<BusyCursor>();
    std::unique_ptr<frmSplash> splash;
    try {
        try {
            splash = showSplash_m();
            if (splash) {
                splash->Progress_pl(10);
                splash->Status_ps(QStringLiteral("Initializing Global Objects.."));
            }
            splashProgress_m(splash.get(), 25, QStringLiteral("Application.."));
            app = std::make_unique<clsThisApp>();
            publishApp(app.get());
            splashProgress_m(splash.get(), 40, QStringLiteral("Function Library.."));
            publishLibrary(app->libraryShared());
            splashProgress_m(splash.get(), 60, QStringLiteral("Message Handler.."));
            publishMessageHandler(app->messageHandlerShared());
            splashProgress_m(splash.get(), 80, QStringLiteral("Error Handler.."));
            publishErrorHandler(app->errorHandlerShared());
            if (splash) {
                splash->Progress_pl(90);
                // Returns once the splash has been up for its minimum time.
                splash->close();
                splash.reset();
            }
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
        // The splash stays up behind the box and goes last, without its wait.
        try {
            if (splash)
                splash->yieldTopmost();
        } catch (...) {
        }
        qint32 style = 0;
        const QString text = startupFailureText(e, &style);
        if (app && DatabaseFault::atOpen(e.number()) == ErrNo::DatabaseDamaged)
            app->damageTold();
        try {
            if (auto* mh = MessageHandler())
                mh->ShowMessage_gl(text, style);
            else
                MessagePresenter::show(text, style);
        } catch (...) {
        }
        try {
            busy.reset();
        } catch (...) {
        }
        try {
            app.reset();
        } catch (...) {
        }
        g_app = nullptr;
        releaseAll();  // the lock too
        try {
            if (splash) {
                splash->MinimumSeconds(0);
                splash->close();
                splash.reset();
            }
        } catch (...) {
        }
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
    // Only once the database is compacted and closed may another copy start.
    g_instanceLock.reset();
    if (QCoreApplication::instance())
        QCoreApplication::quit();
}
}  // namespace modapp
