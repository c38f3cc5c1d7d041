#pragma once

#include "platform/Value.h"

#include <QString>

#include <optional>
#include <vector>

// The derived columns of a segment's rows (lap, speed, displayed rate,
// distance per stroke, cumulative time as text), worked out from the stored
// times, rates and distances in the segment's units. Pure: no database, no
// window, one pass over the rows whatever their number.
namespace DetailCalculation {

// Factors and decimal places of the segment's three units. A factor of 0 or
// one that is no finite number counts as 1.
struct Units {
    double speedDistanceFactor = 1.0;  // distance units per metre of the speed unit
    double speedTimeFactor = 1.0;      // time units per second of the speed unit
    qint32 speedDigits = 4;
    double rateFactor = 1.0;
    qint32 rateDigits = 4;
    double distanceFactor = 1.0;  // of the segment's distance unit
    qint32 dipsDigits = 4;
    qint32 rateType = 1;  // 1 seconds per cycle; any other shows strokes per time
};

// One shown row as stored; Null is an empty optional.
struct Row {
    QString label;
    std::optional<double> cumTime;
    std::optional<double> distance;
    std::optional<double> rate;
};

// What the row shows. Null values are empty cells.
struct Derived {
    Value lspeed;
    Value ldips;
    Value dRateDisplay;
    Value lLap;
    // The stored rate a time row is given (0); empty for rate rows, which keep theirs.
    std::optional<double> resetRate;
    // The cumulative time as text; empty when the row has no time (its cell keeps what it shows).
    std::optional<QString> cumTimeDisplay;
};

// A row whose label begins with "R" (either case) is a rate row; all others,
// empty labels included, are time rows.
bool isRateRow(const QString& label);

// Round half to even at the given decimal places (0 when negative); minus
// zero comes out as zero.
double roundHalfEven(double value, qint32 digits);

// A decimal-places value of a unit table: rounded half to even, at least 0;
// Null, empty or not a number gives the default.
qint32 digitsOf(const Value& digits, double defaultDigits);

// Neighbours are taken among the given rows in the given order: the nearest
// time row above (previous time) and below (next time and its distance).
std::vector<Derived> computeDerived(const std::vector<Row>& rows, const Units& units);

}  // namespace DetailCalculation
