#include "platform/LocaleText.h"
#include "platform/Value.h"

#include <QLocale>
#include <gtest/gtest.h>

#include <optional>

namespace {
const QDate Today(2026, 12, 10);

struct DefaultLocale {
    explicit DefaultLocale(const QLocale& locale) { QLocale::setDefault(locale); }
    ~DefaultLocale() { QLocale::setDefault(QLocale::system()); }
};
}  // namespace

// What the program shows, it reads back as the same value, in every locale Qt
// knows: no century lost to a two-digit year, no time lost to a zone's brackets,
// a literal letter or another script's digits.
TEST(LocaleText, EveryLocaleReadsBackTheDatesAndTimesItShows)
{
    const QList<QDate> dates = {QDate(1925, 6, 1), QDate(2035, 7, 4), QDate(2024, 2, 10), QDate(1999, 12, 31)};
    const QList<QTime> times = {QTime(0, 0), QTime(9, 30), QTime(12, 0, 1), QTime(14, 5, 30), QTime(23, 59, 59)};
    int locales = 0;
    for (const QLocale& locale :
         QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
        ++locales;
        for (const QDate& d : dates) {
            const QString shown = LocaleText::date(d, locale);
            EXPECT_EQ(LocaleText::readDate(shown, locale, {}, Today), d)
                << locale.name().toStdString() << " " << shown.toStdString();
        }
        for (const QTime& t : times) {
            const QString shown = LocaleText::time(t, locale);
            EXPECT_EQ(LocaleText::readTime(shown, locale), t)
                << locale.name().toStdString() << " " << shown.toStdString();
            EXPECT_FALSE(shown.contains(QLatin1String("()")) || shown.contains(QLatin1String("[]"))
                         || shown != shown.trimmed())
                << locale.name().toStdString() << " " << shown.toStdString();
        }
        const QDateTime dt(QDate(1925, 6, 1), QTime(14, 5, 30));
        EXPECT_EQ(LocaleText::readDateTime(LocaleText::dateTime(dt, locale), locale), dt)
            << locale.name().toStdString();
    }
    EXPECT_GT(locales, 300);
}

TEST(LocaleText, TypedDatesGiveExactlyThatDateOrNone)
{
    const struct {
        const char* locale;
        const char* typed;
        QDate expected;  // invalid: refused
    } cases[] = {
        {"en_US", "7/4/2035", QDate(2035, 7, 4)},
        {"en_US", "6/1/1925", QDate(1925, 6, 1)},
        {"en_US", "1925-06-01", QDate(1925, 6, 1)},
        {"en_US", "1/15/30", QDate(2030, 1, 15)},
        {"en_US", "Feb 10, 2024", QDate(2024, 2, 10)},
        {"en_US", "15 Feb 2022", QDate(2022, 2, 15)},
        {"en_US", "2/30/2024", {}},
        {"en_GB", "04/07/2035", QDate(2035, 7, 4)},
        {"de_DE", "04.07.2035", QDate(2035, 7, 4)},
        {"de_DE", "1.6.25", QDate(2025, 6, 1)},
        {"de_DE", "10. Februar 2024", QDate(2024, 2, 10)},
        {"de_DE", "Sonntag, 10. März 2024", QDate(2024, 3, 10)},
        {"fr_FR", "4 juil. 2035", QDate(2035, 7, 4)},
        {"es_ES", "4/7/35", QDate(2035, 7, 4)},
        {"ja_JP", "2035/07/04", QDate(2035, 7, 4)},
        {"ja_JP", "2035年7月4日", QDate(2035, 7, 4)},
        {"hu_HU", "2035. 07. 04.", QDate(2035, 7, 4)},
        {"C", "4 Jul 2035", QDate(2035, 7, 4)},
        {"C", "31 Feb 2022", {}},
        {"C", "14:05:30", {}},
        {"C", "abc", {}},
        {"C", "1/2", {}},
        {"C", "1/2/203", {}},
        {"de_DE", "04.07.2035 x", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.locale) + " " + c.typed);
        const std::optional<QDate> read =
            LocaleText::readDate(QString::fromUtf8(c.typed), QLocale(QString::fromLatin1(c.locale)), {}, Today);
        EXPECT_EQ(read.value_or(QDate()), c.expected);
    }
}

TEST(LocaleText, TwoDigitYearsMoveWithToday)
{
    EXPECT_EQ(LocaleText::fullYear(30, Today), 2030);
    EXPECT_EQ(LocaleText::fullYear(45, Today), 2045);
    EXPECT_EQ(LocaleText::fullYear(47, Today), 1947);
    EXPECT_EQ(LocaleText::fullYear(29, QDate(2060, 1, 1)), 2029);
    EXPECT_EQ(LocaleText::fullYear(81, QDate(2060, 1, 1)), 1981);
}

TEST(LocaleText, TypedTimesGiveExactlyThatTimeOrNone)
{
    const struct {
        const char* locale;
        const char* typed;
        QTime expected;
    } cases[] = {
        {"es_ES", "9:30:00", QTime(9, 30)},
        {"ja_JP", "9時30分00秒", QTime(9, 30)},
        {"fi_FI", "9.30.00", QTime(9, 30)},
        {"fi_FI", "9:30", QTime(9, 30)},
        {"en_US", "2:05 PM", QTime(14, 5)},
        {"en_US", "2:05 p.m.", QTime(14, 5)},
        {"en_US", "12 am", QTime(0, 0)},
        {"es_ES", "2:05 p. m.", QTime(14, 5)},
        {"ko_KR", "오후 2:05:30", QTime(14, 5, 30)},
        {"de_DE", "23:59:59", QTime(23, 59, 59)},
        {"de_DE", "25:00", {}},
        {"de_DE", "9", {}},
        {"de_DE", "9:30 xy", {}},
        {"en_US", "13:00 PM", {}},
        {"C", "2024-02-10", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.locale) + " " + c.typed);
        const auto read = LocaleText::readTime(QString::fromUtf8(c.typed), QLocale(QString::fromLatin1(c.locale)));
        EXPECT_EQ(read.value_or(QTime()), c.expected);
    }
}

// One text, one number: what a check accepts is what a value stores.
TEST(LocaleText, ANumberIsReadOneWayOrRefused)
{
    const struct {
        const char* locale;
        const char* typed;
        std::optional<double> expected;
    } cases[] = {
        {"de_DE", "25,5", 25.5},    {"de_DE", "25.500", std::nullopt}, {"de_DE", "25.5", std::nullopt},
        {"de_DE", "-3", -3},        {"en_US", "25.5", 25.5},           {"en_US", "1,000", std::nullopt},
        {"fr_FR", "25,5", 25.5},    {"fr_FR", "25.5", 25.5},           {"C", "1e3", 1000},
        {"ja_JP", "25.5", 25.5},    {"hu_HU", "25,5", 25.5},           {"es_ES", "1.000", std::nullopt},
        {"C", "nan", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.locale) + " " + c.typed);
        const DefaultLocale locale{QLocale(QString::fromLatin1(c.locale))};
        const QString text = QString::fromUtf8(c.typed);
        EXPECT_EQ(LocaleText::readNumber(text), c.expected);
        EXPECT_EQ(Value(text).isNumeric(), c.expected.has_value());
        if (c.expected) {
            EXPECT_EQ(Value(text).toDouble(), *c.expected);
        }
    }
}
