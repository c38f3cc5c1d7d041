#include "app/clsLibrary.h"

#include "platform/Recordset.h"

#include "platform/AppError.h"
#include "platform/LocaleInfo.h"
#include "platform/LocaleText.h"

#include <QDate>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
constexpr qint64 kLongMax = std::numeric_limits<qint32>::max();

// CLng of a field of the time text: plain digits only, 13 otherwise, 6 when
// the number does not fit 32 bits.
qint64 fieldToLong(const QString& digits)
{
    if (digits.isEmpty())
        AppError::raise(ErrNo::TypeMismatch);
    for (QChar c : digits)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            AppError::raise(ErrNo::TypeMismatch);
    qsizetype first = 0;
    while (first < digits.size() - 1 && digits[first] == QLatin1Char('0'))
        ++first;
    if (digits.size() - first > 10)
        AppError::raise(ErrNo::Overflow);
    const qint64 n = digits.mid(first).toLongLong();
    if (n > kLongMax)
        AppError::raise(ErrNo::Overflow);
    return n;
}

// The fraction part: the decimal sign (the locale's or ".") and its digits.
double fractionOf(QString text)
{
    const QString dec = LocaleInfo::decimalSign();
    if (dec != QLatin1String("."))
        text.replace(dec, QStringLiteral("."));
    static const QRegularExpression number(QStringLiteral("^[0-9]*\\.?[0-9]*$"));
    if (!number.match(text).hasMatch() || !text.contains(QRegularExpression(QStringLiteral("[0-9]"))))
        AppError::raise(ErrNo::TypeMismatch);
    return text.toDouble();
}
}  // namespace

QString clsLibrary::StrTran_gs(const QString& text, const QString& find, const QString& replacement) const
{
    if (find.isEmpty())
        return text;
    QString result;
    qsizetype start = 0;
    for (qsizetype p = text.indexOf(find, start, Qt::CaseInsensitive); p >= 0;
         p = text.indexOf(find, start, Qt::CaseInsensitive)) {
        result += QStringView(text).mid(start, p - start);
        result += replacement;
        start = p + find.size();
    }
    result += QStringView(text).mid(start);
    return result;
}

QString clsLibrary::StrInsert_gs(const QString& text, const QString& placeholder, const QList<Value>& values) const
{
    if (placeholder.isEmpty() || values.isEmpty())
        return text;
    QString result;
    qsizetype start = 0;
    for (const Value& v : values) {
        const qsizetype p = text.indexOf(placeholder, start, Qt::CaseInsensitive);
        if (p < 0)
            break;
        result += QStringView(text).mid(start, p - start);
        result += v.asText();
        start = p + placeholder.size();
    }
    result += QStringView(text).mid(start);
    return result;
}

void clsLibrary::Wait_g(qint32 seconds) const
{
    if (seconds <= 0)
        return;
    // Sleeps in short steps rather than spinning on the clock.
    const QDeadlineTimer deadline(qint64(seconds) * 1000, Qt::PreciseTimer);
    while (!deadline.hasExpired())
        QThread::msleep(static_cast<unsigned long>(std::clamp<qint64>(deadline.remainingTime(), 1, 50)));
}

bool clsLibrary::lib_IsFile_gf(const QString& path) const { return !path.isEmpty() && QFileInfo(path).isFile(); }

bool clsLibrary::lib_IsDirectory_gf(const QString& path) const { return !path.isEmpty() && QFileInfo(path).isDir(); }

bool clsLibrary::ValidTime_gf(const QString& text) const { return TimeOfDay_g(text).isValid(); }

QTime clsLibrary::TimeOfDay_g(const QString& text) const
{
    if (const std::optional<QTime> time = LocaleText::readTime(text))
        return *time;
    // A date alone is that day's midnight.
    return LocaleText::readDate(text) ? QTime(0, 0) : QTime();
}

QString clsLibrary::SecondsToTime_gs(double seconds) const { return SecondsToTime(seconds, LocaleInfo::decimalSign()); }

QString clsLibrary::SecondsToTime(double seconds, const QString& decimalSign)
{
    if (!std::isfinite(seconds) || std::fabs(seconds) * 100 >= 9.2e18)
        AppError::raise(ErrNo::Overflow);
    // Whole hundredths first, so 59.999 carries into the minute instead of
    // showing 60 seconds.
    const qint64 cs = std::llround(std::fabs(seconds) * 100);
    // Written in place: a grid of many rows shows one of these a row.
    char16_t digits[40];
    char16_t* p = digits;
    const auto two = [&p](qint64 n) {
        char16_t reversed[20];
        int k = 0;
        do {
            reversed[k++] = char16_t(u'0' + n % 10);
            n /= 10;
        } while (n > 0);
        if (k < 2)
            reversed[k++] = u'0';
        while (k > 0)
            *p++ = reversed[--k];
    };
    if (seconds < 0 && cs != 0)
        *p++ = u'-';
    two(cs / 360000);
    *p++ = u':';
    two((cs / 6000) % 60);
    *p++ = u'\'';
    two((cs / 100) % 60);
    const qsizetype head = p - digits;
    two(cs % 100);
    QString text;
    text.reserve(p - digits + decimalSign.size());
    text.append(QStringView(digits, head)).append(decimalSign).append(QStringView(digits + head, p - digits - head));
    return text;
}

double clsLibrary::parseTime(const QString& filled)
{
    QString t = filled;
    const bool negative = t.startsWith(QLatin1Char('-'));
    if (negative)
        t.remove(0, 1);
    const qsizetype p = t.indexOf(QLatin1Char(':'));
    if (p < 0)
        AppError::raise(ErrNo::TypeMismatch);
    // Fixed places from the first ":": two minute digits after it, two second
    // digits three further on, then the decimal sign and hundredths.
    const qint64 hours = fieldToLong(t.left(p));
    const qint64 minutes = fieldToLong(t.mid(p + 1, 2));
    const qint64 secs = fieldToLong(t.mid(p + 4, 2));
    const double fraction = fractionOf(t.mid(p + 6, 3));
    const qint64 whole = hours * 3600 + minutes * 60 + secs;
    if (whole > kLongMax)
        AppError::raise(ErrNo::Overflow);
    const double total = double(whole) + fraction;
    return negative ? -total : total;
}

double clsLibrary::TimeToSeconds_gd(QString& text) const
{
    text.replace(QLatin1Char(' '), QLatin1Char('0'));
    return parseTime(text);
}

double clsLibrary::TimeToSeconds_gd(const QString& text) const
{
    QString filled = text;
    return TimeToSeconds_gd(filled);
}

Value clsLibrary::NullToZero_g(Value& value, const std::optional<Value>& defaultValue) const
{
    try {
        if (value.asText().isEmpty())
            value = defaultValue ? *defaultValue : Value(QString());
        return value;
    } catch (const AppError& e) {
        throw e.withSource(QStringLiteral("clsLibrary.NullToZero_g"));
    }
}

std::unique_ptr<Recordset> clsLibrary::CopyADORecordsetPrs(Recordset& source) const
{
    try {
        auto copy = source.DetachedCopy();
        if (!source.IsEOF()) {
            source.MoveLast();
            source.MoveNext();
        }
        return copy;
    } catch (const AppError& e) {
        throw e.withSource(QStringLiteral("clsLibrary.CopyADORecordsetPrs"));
    }
}
