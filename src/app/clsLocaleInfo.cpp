#include "app/clsLocaleInfo.h"

#include "platform/AppError.h"
#include "platform/LocaleInfo.h"

#include <QLocale>

Value clsLocaleInfo::GetLocaleInfoPv(qint32 lcid, qint32 lctype) const
{
    if (lcid != LOCALE_USER_DEFAULT && lcid != LOCALE_SYSTEM_DEFAULT)
        AppError::raise(ErrNo::InvalidCall);
    switch (lctype) {
    case LOCALE_ICOUNTRY: return Value(LocaleInfo::countryCode());
    case LOCALE_SDECIMAL: return Value(LocaleInfo::decimalSign());
    case LOCALE_STHOUSAND: return Value(QLocale().groupSeparator());
    default: AppError::raise(ErrNo::InvalidCall);
    }
}

Value clsLocaleInfo::cUSDecimalSymbol(const Value& value) const
{
    switch (value.kind()) {
    case Value::Kind::Double:
        // Never the locale's text: a "2,5" inside an SQL values list shifts
        // the columns, and six digits lose data.
        return Value(QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest));
    case Value::Kind::Long: return Value(QString::number(value.toLong()));
    case Value::Kind::Text: {
        // A number already in text form (a grid width as typed or stored).
        QString text = value.toText();
        const QString dec = LocaleInfo::decimalSign();
        if (dec != QLatin1String("."))
            text.replace(dec, QStringLiteral("."), Qt::CaseInsensitive);
        return Value(text);
    }
    default: return Value(value.toText());
    }
}
