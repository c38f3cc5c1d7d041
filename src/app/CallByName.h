#pragma once

#include "platform/AppError.h"

#include <QMetaMethod>
#include <QMetaObject>
#include <QMetaType>
#include <QObject>

// Calls a window's member by its name, as windows call each other's public
// members. The member must be Q_INVOKABLE (or a public slot); a window that
// does not have it raises 438. An AppError thrown by the member reaches the
// caller: the call is direct, on this thread.
namespace CallByName {

template <typename T>
QArgument<T> arg(const T& value)
{
    return QArgument<T>(QMetaType::fromType<T>().name(), value);
}

[[noreturn]] inline void notSupported(const QObject* target, const char* member)
{
    throw AppError(ErrNo::MemberNotSupported, AppError::standardDescription(ErrNo::MemberNotSupported),
                   (target ? target->objectName() : QString()) + QLatin1Char('.') + QLatin1String(member));
}

template <typename... Args>
void call(QObject* target, const char* member, const Args&... args)
{
    if (!target || !QMetaObject::invokeMethod(target, member, Qt::DirectConnection, arg(args)...))
        notSupported(target, member);
}

template <typename R, typename... Args>
R get(QObject* target, const char* member, const Args&... args)
{
    R result{};
    if (!target
        || !QMetaObject::invokeMethod(target, member, Qt::DirectConnection,
                                      QReturnArgument<R>(QMetaType::fromType<R>().name(), result), arg(args)...))
        notSupported(target, member);
    return result;
}

// Whether the window has the member, for menus that are enabled only where it exists.
inline bool has(const QObject* target, const char* member)
{
    if (!target)
        return false;
    const QMetaObject* mo = target->metaObject();
    for (int i = 0; i < mo->methodCount(); ++i)
        if (mo->method(i).name() == member)
            return true;
    return false;
}

}  // namespace CallByName
