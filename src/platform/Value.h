#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <QVariant>

#include <new>
#include <utility>

// A loosely typed value with the conversion rules the program was designed
// around: Empty and Null are distinct, Null propagates through arithmetic,
// True is -1, integer conversion rounds half to even, and a conversion that
// cannot be made raises error 13 (6 when the number does not fit).
//
// Compact: dates and times are kept as numbers (a day and a time of day) and
// become Qt's types only when asked for; a text shares its QString's data.
class Value {
public:
    enum class Kind : quint8 { Empty, Null, Boolean, Long, Double, Text, Date, Time, DateTime };

    Value() : m_kind(Kind::Empty), m_bits(0) {}
    Value(const Value& other) : m_kind(other.m_kind), m_msecs(other.m_msecs)
    {
        if (m_kind == Kind::Text)
            new (&m_text) QString(other.m_text);
        else
            m_bits = other.m_bits;
    }
    Value(Value&& other) noexcept : m_kind(other.m_kind), m_msecs(other.m_msecs)
    {
        if (m_kind == Kind::Text)
            new (&m_text) QString(std::move(other.m_text));
        else
            m_bits = other.m_bits;
    }
    Value& operator=(const Value& other)
    {
        if (this != &other) {
            if (m_kind == Kind::Text && other.m_kind == Kind::Text) {
                m_text = other.m_text;
            } else {
                this->~Value();
                new (this) Value(other);
            }
        }
        return *this;
    }
    Value& operator=(Value&& other) noexcept
    {
        if (this != &other) {
            if (m_kind == Kind::Text && other.m_kind == Kind::Text) {
                m_text = std::move(other.m_text);
            } else {
                this->~Value();
                new (this) Value(std::move(other));
            }
        }
        return *this;
    }
    ~Value()
    {
        if (m_kind == Kind::Text)
            m_text.~QString();
    }

    Value(bool b);
    Value(int n);
    Value(qint64 n);  // stored as Long when it fits, else Double
    Value(double d);
    Value(const QString& s);
    Value(const char* s);
    Value(const QDate& d);
    Value(const QTime& t);
    Value(const QDateTime& dt);

    static Value null();
    static Value fromVariant(const QVariant& v);
    QVariant toVariant() const;

    Kind kind() const { return m_kind; }
    bool isEmpty() const { return m_kind == Kind::Empty; }
    bool isNull() const { return m_kind == Kind::Null; }
    bool isNullOrEmpty() const { return isNull() || isEmpty(); }
    bool isNumeric() const;  // holds or converts to a number (IsNumeric)
    bool isDateLike() const { return m_kind == Kind::Date || m_kind == Kind::Time || m_kind == Kind::DateTime; }

    // Conversions; each raises AppError 13 (or 6) where the value cannot convert.
    bool toBool() const;      // CBool
    qint32 toLong() const;    // CLng
    double toDouble() const;  // CDbl
    QString toText() const;   // CStr; Empty gives "", Null raises 94-like 13 -> use asText()
    QString asText() const;   // Value & "": Null and Empty give ""
    QDate toDate() const;
    QTime toTime() const;
    QDateTime toDateTime() const;

    // CStr's general form of a double: up to 15 significant digits, plain
    // from 1E-04 to below 1E+15, else with an exponent ("1E+15", "1E-05");
    // the user's decimal sign, no grouping.
    static QString generalNumber(double d);
    // Val(): the leading number of a text read with "." as the decimal sign.
    static double val(const QString& text);
    // CLng's rounding: half to even.
    static qint32 roundToLong(double d);

    bool operator==(const Value& other) const;
    bool operator!=(const Value& other) const { return !(*this == other); }
    // Same kind and value: a text "1" is not the number 1, as == would have it.
    static bool identical(const Value& a, const Value& b) { return a.kind() == b.kind() && a == b; }

    // Arithmetic with Null propagation; Empty counts as 0.
    friend Value operator+(const Value& a, const Value& b);
    friend Value operator-(const Value& a, const Value& b);
    friend Value operator*(const Value& a, const Value& b);
    friend Value operator/(const Value& a, const Value& b);

private:
    // Dates and times: the Julian day (30 December 1899 for a Time) and the
    // milliseconds since its midnight (0 for a Date), as shown, whatever zone.
    static constexpr qint64 Day0 = 2415019;  // 30 December 1899
    static Value dateAndTime(Kind kind, qint64 julianDay, qint32 msecs);
    QDate datePart() const { return QDate::fromJulianDay(m_julianDay); }
    QTime timePart() const { return QTime::fromMSecsSinceStartOfDay(m_msecs); }

    Kind m_kind;
    qint32 m_msecs = 0;
    union {
        quint64 m_bits;  // copies whichever of the plain members is in use
        bool m_bool;
        qint32 m_long;
        double m_double;
        qint64 m_julianDay;
        QString m_text;
    };
};
