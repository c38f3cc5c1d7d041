#include "platform/Value.h"

#include "platform/AppError.h"
#include "platform/LocaleText.h"

#include <QLocale>
#include <cmath>
#include <limits>

namespace {
[[noreturn]] void mismatch() { throw AppError(ErrNo::TypeMismatch, {}); }
[[noreturn]] void overflow() { throw AppError(ErrNo::Overflow, {}); }

// Text to number as a user's text is read everywhere (the locale's form or
// "."), and VB's words and literals beside it. "nan" and "inf" are words, not
// numbers, as they always were to the program.
bool parseNumber(const QString& text, double& out)
{
    const QString t = text.trimmed();
    if (const std::optional<double> n = LocaleText::readNumber(t)) {
        out = *n;
        return true;
    }
    bool ok = false;
    if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) {
        out = -1;
        return true;
    }
    if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) {
        out = 0;
        return true;
    }
    // Hexadecimal and octal literals of the &H / &O form.
    if (t.startsWith(QLatin1String("&H"), Qt::CaseInsensitive)) {
        const qlonglong n = t.mid(2).toLongLong(&ok, 16);
        if (ok) {
            out = double(n);
            return true;
        }
    }
    return false;
}

double toDoubleOrMismatch(const Value& v) { return v.toDouble(); }

bool isIntegral(const Value& v)
{
    return v.kind() == Value::Kind::Long || v.kind() == Value::Kind::Boolean || v.kind() == Value::Kind::Empty;
}

Value fromDouble(double d, bool preferLong)
{
    if (preferLong && d >= std::numeric_limits<qint32>::min() && d <= std::numeric_limits<qint32>::max())
        return Value(int(d));
    return Value(d);
}
}  // namespace

Value::Value(bool b) : m_kind(Kind::Boolean), m_bits(0) { m_bool = b; }
Value::Value(int n) : m_kind(Kind::Long), m_bits(0) { m_long = n; }
Value::Value(qint64 n) : m_bits(0)
{
    if (n >= std::numeric_limits<qint32>::min() && n <= std::numeric_limits<qint32>::max()) {
        m_kind = Kind::Long;
        m_long = qint32(n);
    } else {
        m_kind = Kind::Double;
        m_double = double(n);
    }
}
Value::Value(double d) : m_kind(Kind::Double), m_double(d) {}
Value::Value(const QString& s) : m_kind(Kind::Text), m_text(s) {}
Value::Value(const char* s) : m_kind(Kind::Text), m_text(QString::fromUtf8(s)) {}
Value::Value(const QDate& d) : Value(d.isValid() ? dateAndTime(Kind::Date, d.toJulianDay(), 0) : null()) {}
Value::Value(const QTime& t) : Value(t.isValid() ? dateAndTime(Kind::Time, Day0, t.msecsSinceStartOfDay()) : null()) {}
Value::Value(const QDateTime& dt)
    : Value(dt.isValid() ? dateAndTime(Kind::DateTime, dt.date().toJulianDay(), dt.time().msecsSinceStartOfDay())
                         : null())
{
}

Value Value::dateAndTime(Kind kind, qint64 julianDay, qint32 msecs)
{
    Value v;
    v.m_kind = kind;
    v.m_julianDay = julianDay;
    v.m_msecs = msecs;
    return v;
}

Value Value::null()
{
    Value v;
    v.m_kind = Kind::Null;
    return v;
}

Value Value::fromVariant(const QVariant& v)
{
    if (!v.isValid())
        return Value();
    if (v.isNull() && v.typeId() != QMetaType::QString)
        return null();
    switch (v.typeId()) {
    case QMetaType::Bool: return Value(v.toBool());
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Char:
    case QMetaType::UShort:
    case QMetaType::UChar: return Value(v.toInt());
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong: return Value(qint64(v.toLongLong()));
    case QMetaType::Double:
    case QMetaType::Float: return Value(v.toDouble());
    case QMetaType::QDate: return Value(v.toDate());
    case QMetaType::QTime: return Value(v.toTime());
    case QMetaType::QDateTime: return Value(v.toDateTime());
    default: return Value(v.toString());
    }
}

QVariant Value::toVariant() const
{
    switch (m_kind) {
    case Kind::Empty: return QVariant();
    case Kind::Null: return QVariant(QMetaType(QMetaType::Int));  // a typed null
    case Kind::Boolean: return QVariant(m_bool);
    case Kind::Long: return QVariant(m_long);
    case Kind::Double: return QVariant(m_double);
    case Kind::Text: return QVariant(m_text);
    case Kind::Date: return QVariant(datePart());
    case Kind::Time: return QVariant(timePart());
    case Kind::DateTime: return QVariant(QDateTime(datePart(), timePart()));
    }
    return QVariant();
}

bool Value::isNumeric() const
{
    switch (m_kind) {
    case Kind::Empty:
    case Kind::Boolean:
    case Kind::Long:
    case Kind::Double: return true;
    case Kind::Text: {
        double d;
        return parseNumber(m_text, d);
    }
    default: return false;
    }
}

bool Value::toBool() const
{
    switch (m_kind) {
    case Kind::Empty: return false;
    case Kind::Boolean: return m_bool;
    case Kind::Text: {
        double d;
        if (!parseNumber(m_text, d))
            mismatch();
        return d != 0;
    }
    case Kind::Null: mismatch();
    default: return toDouble() != 0;
    }
}

qint32 Value::roundToLong(double d)
{
    if (std::isnan(d))
        overflow();
    const double r = std::nearbyint(d);  // default rounding mode: half to even
    if (r < double(std::numeric_limits<qint32>::min()) || r > double(std::numeric_limits<qint32>::max()))
        overflow();
    return qint32(r);
}

qint32 Value::toLong() const
{
    if (m_kind == Kind::Long)
        return m_long;
    return roundToLong(toDouble());
}

double Value::toDouble() const
{
    switch (m_kind) {
    case Kind::Empty: return 0;
    case Kind::Null: mismatch();
    case Kind::Boolean: return m_bool ? -1 : 0;
    case Kind::Long: return m_long;
    case Kind::Double: return m_double;
    case Kind::Text: {
        double d;
        if (!parseNumber(m_text, d))
            mismatch();
        return d;
    }
    case Kind::Date:
    case Kind::Time:
    case Kind::DateTime: {
        // Days since 30 December 1899, the fraction being the time of day.
        return double(m_julianDay - Day0) + m_msecs / 86400000.0;
    }
    }
    mismatch();
}

QString Value::toText() const
{
    switch (m_kind) {
    case Kind::Empty: return QString();
    case Kind::Null: mismatch();
    case Kind::Boolean: return m_bool ? QStringLiteral("True") : QStringLiteral("False");
    case Kind::Long: return QString::number(m_long);
    case Kind::Double: return generalNumber(m_double);
    case Kind::Text: return m_text;
    case Kind::Date: return LocaleText::date(datePart());
    case Kind::Time: return LocaleText::time(timePart());
    case Kind::DateTime: return LocaleText::dateTime(QDateTime(datePart(), timePart()));
    }
    return QString();
}

QString Value::generalNumber(double d)
{
    QString s = QString::number(d, 'g', 15);
    if (s.contains(QLatin1Char('e')))
        s.replace(QLatin1String("e+"), QLatin1String("E+")).replace(QLatin1String("e-"), QLatin1String("E-"));
    const QString dec = QLocale().decimalPoint();
    if (dec != QLatin1String("."))
        s.replace(QLatin1Char('.'), dec);
    return s;
}

QString Value::asText() const { return isNullOrEmpty() ? QString() : toText(); }

QDate Value::toDate() const
{
    switch (m_kind) {
    case Kind::Date:
    case Kind::DateTime: return datePart();
    case Kind::Time: return QDate(1899, 12, 30);
    case Kind::Text: {
        if (const std::optional<QDate> d = LocaleText::readDate(m_text))
            return *d;
        if (const std::optional<QDateTime> dt = LocaleText::readDateTime(m_text))
            return dt->date();
        mismatch();
    }
    case Kind::Long:
    case Kind::Double: return QDate(1899, 12, 30).addDays(qint64(std::floor(toDouble())));
    default: mismatch();
    }
}

QTime Value::toTime() const
{
    switch (m_kind) {
    case Kind::Time:
    case Kind::DateTime: return timePart();
    case Kind::Date: return QTime(0, 0);
    case Kind::Text: {
        if (const std::optional<QTime> t = LocaleText::readTime(m_text))
            return *t;
        if (const std::optional<QDateTime> dt = LocaleText::readDateTime(m_text))
            return dt->time();
        mismatch();
    }
    case Kind::Long:
    case Kind::Double: {
        const double frac = toDouble() - std::floor(toDouble());
        return QTime(0, 0).addMSecs(int(std::llround(frac * 86400000.0)) % 86400000);
    }
    default: mismatch();
    }
}

QDateTime Value::toDateTime() const
{
    if (m_kind == Kind::Text) {
        if (const std::optional<QDateTime> dt = LocaleText::readDateTime(m_text))
            return *dt;
        mismatch();
    }
    return QDateTime(toDate(), toTime());
}

double Value::val(const QString& text)
{
    // Blanks anywhere are skipped; reading stops at the first character that
    // cannot continue the number.
    QString s;
    for (QChar c : text)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n') && c != QLatin1Char('\r'))
            s.append(c);
    int i = 0;
    const int n = s.size();
    QString num;
    if (i < n && (s[i] == QLatin1Char('-') || s[i] == QLatin1Char('+')))
        num.append(s[i++]);
    bool digits = false, dot = false;
    while (i < n) {
        const QChar c = s[i];
        if (c.isDigit() && c.unicode() < 128) {
            num.append(c);
            digits = true;
            ++i;
        } else if (c == QLatin1Char('.') && !dot) {
            num.append(c);
            dot = true;
            ++i;
        } else
            break;
    }
    if (digits && i < n && (s[i] == QLatin1Char('e') || s[i] == QLatin1Char('E'))) {
        int j = i + 1;
        QString ex = QStringLiteral("e");
        if (j < n && (s[j] == QLatin1Char('-') || s[j] == QLatin1Char('+')))
            ex.append(s[j++]);
        bool expDigits = false;
        while (j < n && s[j].isDigit() && s[j].unicode() < 128) {
            ex.append(s[j++]);
            expDigits = true;
        }
        if (expDigits)
            num.append(ex);
    }
    if (!digits)
        return 0;
    return QLocale::c().toDouble(num);
}

bool Value::operator==(const Value& o) const
{
    if (m_kind == o.m_kind) {
        switch (m_kind) {
        case Kind::Empty:
        case Kind::Null: return true;
        case Kind::Boolean: return m_bool == o.m_bool;
        case Kind::Long: return m_long == o.m_long;
        case Kind::Double: return m_double == o.m_double;
        case Kind::Text: return m_text == o.m_text;
        default: return m_julianDay == o.m_julianDay && m_msecs == o.m_msecs;
        }
    }
    if (isNull() || o.isNull())
        return false;
    if (m_kind == Kind::Text || o.m_kind == Kind::Text) {
        const Value& txt = m_kind == Kind::Text ? *this : o;
        const Value& other = m_kind == Kind::Text ? o : *this;
        if (other.isEmpty())
            return txt.m_text.isEmpty();
        double d;
        if (!parseNumber(txt.m_text, d))
            return false;
        try {
            return d == other.toDouble();
        } catch (const AppError&) {
            return false;
        }
    }
    try {
        return toDouble() == o.toDouble();
    } catch (const AppError&) {
        return false;
    }
}

namespace {
template <class Op>
Value arith(const Value& a, const Value& b, Op op, bool integral)
{
    if (a.isNull() || b.isNull())
        return Value::null();
    const double r = op(toDoubleOrMismatch(a), toDoubleOrMismatch(b));
    return fromDouble(r, integral && isIntegral(a) && isIntegral(b));
}
}  // namespace

Value operator+(const Value& a, const Value& b)
{
    if (a.kind() == Value::Kind::Text && b.kind() == Value::Kind::Text)
        return Value(a.m_text + b.m_text);
    return arith(
        a, b, [](double x, double y) { return x + y; }, true);
}
Value operator-(const Value& a, const Value& b)
{
    return arith(
        a, b, [](double x, double y) { return x - y; }, true);
}
Value operator*(const Value& a, const Value& b)
{
    return arith(
        a, b, [](double x, double y) { return x * y; }, true);
}
Value operator/(const Value& a, const Value& b)
{
    if (a.isNull() || b.isNull())
        return Value::null();
    const double d = b.toDouble();
    if (d == 0)
        throw AppError(11, QStringLiteral("Division by zero"));
    return Value(a.toDouble() / d);
}

// Record sets hold a Value a cell: it must stay this small.
static_assert(sizeof(Value) == 32, "a Value is four words");
