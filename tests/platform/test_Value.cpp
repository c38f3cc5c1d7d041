#include "platform/AppError.h"
#include "platform/Value.h"
#include "support/RaisedBy.h"

#include <QLocale>
#include <gtest/gtest.h>

TEST(Value, LongConversionRoundsHalfToEvenAndChecksRange)
{
    EXPECT_EQ(Value(2.5).toLong(), 2);
    EXPECT_EQ(Value(3.5).toLong(), 4);
    EXPECT_EQ(Value(-2.5).toLong(), -2);
    EXPECT_EQ(Value(true).toLong(), -1);
    try {
        Value(3e10).toLong();
        FAIL() << "no overflow";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), ErrNo::Overflow);
    }
}

TEST(Value, NullPropagatesAndFailedConversionRaises13)
{
    EXPECT_TRUE((Value::null() + Value(1)).isNull());
    EXPECT_TRUE((Value(2.0) * Value::null()).isNull());
    EXPECT_EQ((Value() + Value(3)).toLong(), 3);
    try {
        Value(QStringLiteral("abc")).toDouble();
        FAIL() << "no mismatch";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), ErrNo::TypeMismatch);
    }
    EXPECT_THROW(Value::null().toLong(), AppError);
}

TEST(Value, ValReadsTheLeadingNumberWithAPoint)
{
    EXPECT_DOUBLE_EQ(Value::val(QStringLiteral("12.5abc")), 12.5);
    EXPECT_DOUBLE_EQ(Value::val(QStringLiteral(" 1 2")), 12);
    EXPECT_DOUBLE_EQ(Value::val(QStringLiteral("abc")), 0);
    EXPECT_DOUBLE_EQ(Value::val(QStringLiteral("-3e2x")), -300);
}

TEST(Value, ComparisonAcrossKinds)
{
    EXPECT_EQ(Value(QStringLiteral("5")), Value(5));
    EXPECT_NE(Value::null(), Value(0));
    EXPECT_EQ(Value(QString()), Value());
    EXPECT_NE(Value(QStringLiteral("x")), Value(0));
}

TEST(Value, DatesAndTimesReadBackFromTheirOwnText)
{
    const Value t(QTime(7, 15, 30));
    EXPECT_FALSE(t.toText().contains(QStringLiteral("UTC")));
    EXPECT_EQ(Value(t.toText()).toTime(), QTime(7, 15, 30));
    EXPECT_EQ(Value(QStringLiteral("07:15:00")).toTime(), QTime(7, 15));
    EXPECT_EQ(Value(QStringLiteral("2026-12-08")).toDate(), QDate(2026, 12, 8));
    EXPECT_DOUBLE_EQ(Value(QDate(1900, 1, 1)).toDouble(), 2.0);
    EXPECT_THROW(Value(QStringLiteral("25:99")).toTime(), AppError);
}

TEST(Value, NotANumberAndInfinityTextsAreNoNumbers)
{
    for (const char* text : {"nan", "NaN", "inf", "-inf", "+INF", "infinity", " nan "}) {
        SCOPED_TRACE(text);
        const Value v{QString::fromUtf8(text)};
        EXPECT_FALSE(v.isNumeric());
        EXPECT_EQ(errorOf([&] { v.toDouble(); }), ErrNo::TypeMismatch);
    }
    EXPECT_TRUE(Value(QStringLiteral("1e3")).isNumeric());
}

// CStr's form of a double: up to 15 significant digits, plain below 1E+15
// and down to 1E-04, exponent form beyond.
TEST(Value, GeneralNumberFormIsPlainUpToFifteenDigits)
{
    QLocale::setDefault(QLocale::c());
    const struct {
        double d;
        const char* text;
    } cases[] = {
        {100000, "100000"},
        {0.0001, "0.0001"},
        {123456789012345, "123456789012345"},
        {1e15, "1E+15"},
        {0.00001, "1E-05"},
        {-2.5, "-2.5"},
        {0.1 + 0.2, "0.3"},
        {1.0 / 3, "0.333333333333333"},
        {1234567.25, "1234567.25"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Value(c.d).toText(), QString::fromUtf8(c.text));
        EXPECT_EQ(Value::generalNumber(c.d), QString::fromUtf8(c.text));
    }
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(Value::generalNumber(1234567.25), QStringLiteral("1234567,25")) << "the user's decimal sign, no grouping";
    QLocale::setDefault(QLocale::system());
}
