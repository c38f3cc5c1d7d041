#pragma once

#include "app/clsErrorHandler.h"
#include "app/modapp.h"
#include "platform/AppError.h"

#include <QString>
#include <new>

// Reports through the program's error handler, or a stand-alone one before
// it exists, so that an error is never lost.
inline void reportError(qint32 number, const QString& description) noexcept
{
    if (auto* h = modapp::ErrorHandler())
        h->HandleError_pl(number, description);
    else
        clsErrorHandler().HandleError_pl(number, description);
}

// Runs the body of a window procedure: registered with the error handler for
// its duration, every failure reported once in the error dialog, nothing
// thrown back into the event loop.
template <class F>
void guarded(const char* module, const char* proc, F&& body) noexcept
{
    clsThisActiveProc registration;
    try {
        if (auto handler = modapp::ErrorHandlerShared())
            registration = handler->RegisterProc_po(QString::fromLatin1(module), QString::fromLatin1(proc));
        body();
    } catch (const AppError& e) {
        reportError(e.number(), e.description());
    } catch (const std::bad_alloc&) {
        reportError(ErrNo::OutOfMemory, AppError::standardDescription(ErrNo::OutOfMemory));
    } catch (const std::exception& e) {
        reportError(ErrNo::InvalidCall, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        reportError(ErrNo::InvalidCall, AppError::standardDescription(ErrNo::InvalidCall));
    }
}

// "Errors ignored" steps: each one is tried and a failure skipped.
template <class F>
void ignoringErrors(F&& step) noexcept
{
    try {
        step();
    } catch (...) {
    }
}
