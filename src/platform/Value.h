#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <QVariant>

// A loosely typed value with the conversion rules the program was designed
// around: Empty and Null are distinct, Null propagates through arithmetic,
// True is -1, integer conversion rounds half to even, and a conversion that
// cannot be made raises error 13 (6 when the number does not fit).
class Value {
public:
    enum class Kind { Empty, Null, Boolean, Long, Double, Text, Date, Time, DateTime };

    Value() = default;
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
    bool isNumeric() const;   // holds or converts to a number (IsNumeric)
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

    // Arithmetic with Null propagation; Empty counts as 0.
    friend Value operator+(const Value& a, const Value& b);
    friend Value operator-(const Value& a, const Value& b);
    friend Value operator*(const Value& a, const Value& b);
    friend Value operator/(const Value& a, const Value& b);

private:
    Kind m_kind = Kind::Empty;
    bool m_bool = false;
    qint32 m_long = 0;
    double m_double = 0;
    QString m_text;
    QDateTime m_dateTime;  // date part for Date, time part for Time
};
