#include "platform/ColumnReader.h"

#include <sqlcipher/sqlite3.h>

#include <cmath>
#include <cstring>

namespace {

int twoDigits(const char* p)
{
    if (p[0] < '0' || p[0] > '9' || p[1] < '0' || p[1] > '9')
        return -1;
    return (p[0] - '0') * 10 + (p[1] - '0');
}

// Fast readers for the stored ISO forms; anything else falls back to Qt.
QDate readDate(const char* s, int n)
{
    if (n >= 10 && s[4] == '-' && s[7] == '-') {
        const int hi = twoDigits(s), lo = twoDigits(s + 2), m = twoDigits(s + 5), d = twoDigits(s + 8);
        if (hi >= 0 && lo >= 0 && m >= 0 && d >= 0)
            return QDate(hi * 100 + lo, m, d);
    }
    return QDate();
}

QTime readTime(const char* s, int n)
{
    if (n >= 8 && s[2] == ':' && s[5] == ':') {
        const int h = twoDigits(s), m = twoDigits(s + 3), sec = twoDigits(s + 6);
        if (h >= 0 && m >= 0 && sec >= 0)
            return QTime(h, m, sec);
    }
    if (n == 5 && s[2] == ':') {
        const int h = twoDigits(s), m = twoDigits(s + 3);
        if (h >= 0 && m >= 0)
            return QTime(h, m);
    }
    return QTime();
}

// The value of column i in the column's kind; a text that is no date or time
// (or any other text) comes from makeText. The column is asked for once and
// read as a value: each sqlite3_column_* call takes the connection's lock,
// which guards nothing here, as no connection is used by two threads at once.
template <class MakeText>
Value readWith(sqlite3_stmt* st, int i, FieldInfo::DataType type, MakeText&& makeText)
{
    using T = FieldInfo::DataType;
    sqlite3_value* cell = sqlite3_column_value(st, i);
    switch (sqlite3_value_type(cell)) {
    case SQLITE_NULL: return Value::null();
    case SQLITE_INTEGER: {
        const sqlite3_int64 n = sqlite3_value_int64(cell);
        switch (type) {
        case T::Boolean: return Value(n != 0);
        case T::Double: return Value(double(n));
        case T::Text:
        case T::Memo: return Value(QString::number(n));
        default: return Value(qint64(n));
        }
    }
    case SQLITE_FLOAT: {
        const double d = sqlite3_value_double(cell);
        switch (type) {
        case T::Boolean: return Value(d != 0);
        case T::Integer:
            if (d == std::floor(d) && std::abs(d) <= 2147483647.0)
                return Value(qint32(d));
            return Value(d);
        default: return Value(d);
        }
    }
    default: {
        const char* s = reinterpret_cast<const char*>(sqlite3_value_text(cell));
        const int n = sqlite3_value_bytes(cell);
        switch (type) {
        case T::Date: {
            const QDate d = readDate(s, n);
            if (d.isValid()) {
                if (n >= 19 && (s[10] == ' ' || s[10] == 'T')) {
                    const QTime t = readTime(s + 11, n - 11);
                    if (t.isValid() && t != QTime(0, 0))
                        return Value(QDateTime(d, t));
                }
                return Value(d);
            }
            break;
        }
        case T::Time: {
            const QTime t = readTime(s, n);
            if (t.isValid())
                return Value(t);
            break;
        }
        case T::DateTime: {
            const QDate d = readDate(s, n);
            if (d.isValid()) {
                const QTime t = n >= 19 ? readTime(s + 11, n - 11) : QTime();
                return t.isValid() ? Value(QDateTime(d, t)) : Value(d);
            }
            break;
        }
        default: break;
        }
        return makeText(s, n);
    }
    }
}

}  // namespace

Value readColumn(sqlite3_stmt* st, int i, FieldInfo::DataType type)
{
    return readWith(st, i, type, [](const char* s, int n) { return Value(QString::fromUtf8(s, n)); });
}

ColumnReader::ColumnReader(sqlite3_stmt* st, std::vector<FieldInfo::DataType> types)
    : m_st(st), m_types(std::move(types)), m_recent(m_types.size())
{
}

Value ColumnReader::read(int column)
{
    return readWith(m_st, column, m_types[size_t(column)],
                    [&](const char* s, int n) { return text(m_recent[size_t(column)], s, n); });
}

Value ColumnReader::text(RecentTexts& recent, const char* s, int n)
{
    constexpr size_t Kept = 8;
    if (!recent.looking)
        return Value(QString::fromUtf8(s, n));
    for (const auto& [bytes, value] : recent.texts)
        if (bytes.size() == n && (n == 0 || std::memcmp(bytes.constData(), s, size_t(n)) == 0)) {
            ++recent.hits;
            return value;
        }
    Value v(QString::fromUtf8(s, n));
    if (++recent.misses > 64 && recent.misses > recent.hits) {
        recent.looking = false;
        recent.texts.clear();
    } else if (recent.texts.size() < Kept) {
        recent.texts.emplace_back(QByteArray(s, n), v);
    }
    return v;
}

int declaredSize(const QString& decl, FieldInfo::DataType type)
{
    const int open = decl.indexOf(QLatin1Char('('));
    const int close = decl.indexOf(QLatin1Char(')'), open + 1);
    if (open > 0 && close > open) {
        bool ok = false;
        const int n = decl.mid(open + 1, close - open - 1).trimmed().toInt(&ok);
        if (ok && n > 0)
            return n;
    }
    return FieldInfo::defaultSizeOf(type);
}
