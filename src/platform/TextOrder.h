#pragma once

#include <QStringView>

class QCollator;

// Text in the order of the user's locale (QLocale(), so QLocale::setDefault
// counts): case ignored for every letter, accented letters beside their base
// letters. The record sets' Sort and the database's LOCALE collation both
// compare through it, so a list sorted in memory agrees with one a query sorted.
namespace TextOrder {

// The name queries give the collation: "ORDER BY sName COLLATE LOCALE".
inline constexpr const char* CollationName = "LOCALE";

// This thread's collator for the current locale; made again when the locale changes.
const QCollator& collator();

// Only texts that differ in case alone are equal: where the locale also
// takes others for one (a soft hyphen it skips, an "Å" written as "A" and a
// ring), they still come in one order, code point by code point.
int compare(QStringView a, QStringView b);
int compare(const QCollator& order, QStringView a, QStringView b);

}  // namespace TextOrder
