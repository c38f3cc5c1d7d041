#include "detail/DetailCalculation.h"

#include "app/clsLibrary.h"
#include "platform/AppError.h"
#include "platform/LocaleInfo.h"

#include <algorithm>
#include <cmath>

namespace DetailCalculation {

namespace {

double factorOrOne(double f) { return (std::isfinite(f) && f != 0.0) ? f : 1.0; }

// A number, shown in its general text form and sorted by its value; a result
// that is no finite number (a huge quotient) shows nothing rather than "inf".
Value numberText(double d)
{
    if (!std::isfinite(d))
        return Value::null();
    return Value(d);
}

Value roundedText(double d, qint32 digits) { return numberText(roundHalfEven(d, digits)); }

}  // namespace

bool isRateRow(const QString& label) { return !label.isEmpty() && label.at(0).toUpper() == QLatin1Char('R'); }

double roundHalfEven(double value, qint32 digits)
{
    if (!std::isfinite(value))
        return value;
    // Beyond 22 places a double holds nothing more to round.
    const int places = std::clamp(digits, 0, 22);
    const double scale = std::pow(10.0, places);
    const double scaled = value * scale;
    double r = std::isfinite(scaled) ? std::nearbyint(scaled) / scale : value;
    if (r == 0.0)
        r = 0.0;  // no "-0"
    return r;
}

qint32 digitsOf(const Value& digits, double defaultDigits)
{
    double d = defaultDigits;
    try {
        if (!digits.isNullOrEmpty())
            d = digits.toDouble();
    } catch (const AppError&) {
    }
    if (!std::isfinite(d))
        d = std::isfinite(defaultDigits) ? defaultDigits : 0.0;
    return Value::roundToLong(std::clamp(d, 0.0, 22.0));
}

std::vector<Derived> computeDerived(const std::vector<Row>& rows, const Units& u)
{
    const size_t n = rows.size();
    std::vector<bool> rate(n);
    for (size_t i = 0; i < n; ++i)
        rate[i] = isRateRow(rows[i].label);

    // The time row below each row: its time and distance (0 when none).
    std::vector<double> nextCum(n, 0.0), nextDist(n, 0.0);
    double belowCum = 0.0, belowDist = 0.0;
    for (size_t i = n; i-- > 0;) {
        nextCum[i] = belowCum;
        nextDist[i] = belowDist;
        if (!rate[i]) {
            belowCum = rows[i].cumTime.value_or(0.0);
            belowDist = rows[i].distance.value_or(0.0);
        }
    }

    const double fdSpeed = factorOrOne(u.speedDistanceFactor);
    const double ftSpeed = factorOrOne(u.speedTimeFactor);
    const double fd = factorOrOne(u.distanceFactor);
    const double fr = factorOrOne(u.rateFactor);
    const QString decimalSign = LocaleInfo::decimalSign();

    std::vector<Derived> out(n);
    double aboveCum = 0.0;  // the time row above
    for (size_t i = 0; i < n; ++i) {
        const Row& row = rows[i];
        Derived& d = out[i];
        const double prev = aboveCum;
        if (rate[i]) {
            d.lLap = Value::null();
            d.lspeed = Value::null();
            const double span = nextCum[i] - prev;
            if (span != 0.0)
                d.ldips = row.rate ? roundedText(*row.rate / span * nextDist[i], u.dipsDigits) : Value::null();
            else
                d.ldips = numberText(0.0);
            if (!row.rate)
                d.dRateDisplay = Value::null();
            else if (u.rateType == 1)
                d.dRateDisplay = roundedText(*row.rate * fr, u.rateDigits);
            else if (*row.rate == 0.0)
                d.dRateDisplay = Value::null();  // no strokes per minute for an empty rate
            else
                d.dRateDisplay = roundedText((1.0 / *row.rate) * fr, u.rateDigits);
        } else {
            const double cum = row.cumTime.value_or(0.0);
            double lap = cum - prev;
            if (lap > 0.0) {
                d.lspeed = roundedText((row.distance.value_or(0.0) / fd) * fdSpeed / (lap * ftSpeed), u.speedDigits);
            } else {
                lap = 0.0;
                d.lspeed = numberText(0.0);
            }
            d.lLap = Value(clsLibrary::SecondsToTime(lap, decimalSign));
            d.ldips = Value::null();
            d.dRateDisplay = Value::null();
            d.resetRate = 0.0;
            aboveCum = cum;
        }
        if (row.cumTime)
            d.cumTimeDisplay = clsLibrary::SecondsToTime(*row.cumTime, decimalSign);
    }
    return out;
}

}  // namespace DetailCalculation
