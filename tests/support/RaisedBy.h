#pragma once

#include "platform/AppError.h"

#include <functional>

// The error a call raises, or error 0 when it raises none.
inline AppError raisedBy(const std::function<void()>& f)
{
    try {
        f();
    } catch (const AppError& e) {
        return e;
    }
    return AppError(0, QStringLiteral("no error"));
}

inline qint32 errorOf(const std::function<void()>& f) { return raisedBy(f).number(); }
