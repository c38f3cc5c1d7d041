#pragma once

#include <QString>

// What the program reads of the user's locale. Tests may pin either answer.
class LocaleInfo {
public:
    // The decimal sign of the user's locale (QLocale(), so QLocale::setDefault counts).
    static QString decimalSign();
    // A stable code of the user's country. It is only ever compared with an
    // earlier answer, so any identifier that stays the same will do.
    static QString countryCode();

    // An empty text returns to the locale's own answer.
    static void setDecimalSignOverride(const QString& sign);
    static void setCountryCodeOverride(const QString& code);
};
