#pragma once

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTime>

#include <optional>

// Where a date, a time or a number meets text: one writer that shows it in the
// user's locale and one reader that takes what a user types, pastes or
// replaces. What the writer shows, the reader reads back as the same value in
// every locale; nothing else in the program parses or formats these on its own.
namespace LocaleText {

// ---- writers ----
// The locale's short (or long) date with a four-digit year, so 1925 and 2025 never look alike.
QString date(const QDate& date, const QLocale& locale = QLocale(), QLocale::FormatType type = QLocale::ShortFormat);
// The locale's long time without its zone part (plain times have none).
QString time(const QTime& time, const QLocale& locale = QLocale());
QString dateTime(const QDateTime& dateTime, const QLocale& locale = QLocale());
// The display patterns the writers use, for widgets that show dates and times themselves.
QString dateFormat(const QLocale& locale = QLocale(), QLocale::FormatType type = QLocale::ShortFormat);
QString timeFormat(const QLocale& locale = QLocale());
// A number as the locale writes it, with `decimals` places (-1: as few as show
// it exactly) and no group signs: the reader refuses them, and a limit a
// refusal names must be one the user can type.
QString number(double value, int decimals = -1, const QLocale& locale = QLocale());
// The locale's time for files other programs read: its hours and AM/PM, with
// ":" between hours, minutes and seconds. A spreadsheet takes "07.05.09" for
// 7 May 2009; ":" makes a time in every locale.
QString fileTimeFormat(const QLocale& locale = QLocale());

// ---- readers ----
// A date: the day, the month (its number or name) and the year in the order of
// `format` (the locale's short date when empty), apart by blanks, the format's
// own separators or "/", ".", "-", ","; or yyyy-mm-dd; digits of any script.
// A two-digit year falls in the hundred years around `today`.
std::optional<QDate> readDate(const QString& text, const QLocale& locale = QLocale(), const QString& format = {},
                              const QDate& today = QDate::currentDate());
// A time of day: hours, then minutes and seconds, apart by any signs the
// locale's times use, with the locale's or English AM/PM; an hour alone only
// with AM/PM.
std::optional<QTime> readTime(const QString& text, const QLocale& locale = QLocale());
// A date and a time, or either ISO form.
std::optional<QDateTime> readDateTime(const QString& text, const QLocale& locale = QLocale());
// A number in the locale's form or with "." as the decimal sign, never with
// group signs: one reading for every text, so the check and the store agree.
std::optional<double> readNumber(const QString& text, const QLocale& locale = QLocale());

// The year a two-digit year names: within 80 years before and 19 after `today`.
int fullYear(int twoDigitYear, const QDate& today = QDate::currentDate());

}  // namespace LocaleText
