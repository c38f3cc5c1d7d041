#include "platform/AppError.h"
#include "platform/Value.h"

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
