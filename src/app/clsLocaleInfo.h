#pragma once

#include "platform/Value.h"

// Locale settings and numbers written for SQL and the settings store.
class clsLocaleInfo {
public:
    // Locale ids: the user's (0x400) and the system's (0x800) default; here
    // both are the user's locale.
    static constexpr qint32 LOCALE_USER_DEFAULT = 0x400;
    static constexpr qint32 LOCALE_SYSTEM_DEFAULT = 0x800;
    // Setting numbers that have an answer here.
    static constexpr qint32 LOCALE_ICOUNTRY = 5;
    static constexpr qint32 LOCALE_SDECIMAL = 14;
    static constexpr qint32 LOCALE_STHOUSAND = 15;

    clsLocaleInfo() = default;
    virtual ~clsLocaleInfo() = default;

    // The text of one locale setting; an id or setting without an answer
    // raises 5.
    Value GetLocaleInfoPv(qint32 lcid, qint32 lctype) const;
    // The value as text with "." as the decimal sign whatever the locale;
    // numbers in the shortest form that reads back exactly.
    Value cUSDecimalSymbol(const Value& value) const;
};
