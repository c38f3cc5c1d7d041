#include "platform/LocaleInfo.h"

#include <QLocale>

namespace {
QString& decimalOverride()
{
    static QString s;
    return s;
}
QString& countryOverride()
{
    static QString s;
    return s;
}
}  // namespace

QString LocaleInfo::decimalSign()
{
    if (!decimalOverride().isEmpty())
        return decimalOverride();
    return QLocale().decimalPoint();
}

QString LocaleInfo::countryCode()
{
    if (!countryOverride().isEmpty())
        return countryOverride();
    const QLocale locale;
    const QString code = QLocale::territoryToCode(locale.territory());
    // The C locale has no territory; its name is just as stable.
    return code.isEmpty() ? locale.name() : code;
}

void LocaleInfo::setDecimalSignOverride(const QString& sign) { decimalOverride() = sign; }
void LocaleInfo::setCountryCodeOverride(const QString& code) { countryOverride() = code; }
