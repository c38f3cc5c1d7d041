#pragma once

#include "detail/DetailCalculation.h"
#include "platform/Value.h"

#include <QString>

#include <functional>
#include <optional>

class Recordset;
class clsAdoConnectJet;

// Reads the unit tables for a segment's rate, speed and distance units: the
// factors and decimal places the derived columns use, and the grid captions
// that name the units. A unit without a row is no error: factor 1, the
// default places, and no caption.
class clsSegmentUnits {
public:
    explicit clsSegmentUnits(clsAdoConnectJet& db) : m_db(db) {}

    DetailCalculation::Units Factors_p(const Value& rateTypeID, const Value& speedTypeID, const Value& distanceTypeID,
                                       double defaultDigits) const;

    struct Headers {
        std::optional<QString> rate;      // grid column 8
        std::optional<QString> dips;      // 9
        std::optional<QString> speed;     // 10
        std::optional<QString> distance;  // 11
    };
    Headers GridHeaders_p(const Value& rateTypeID, const Value& speedTypeID, const Value& distanceTypeID) const;

private:
    // An id as the statement's literal: a whole number, or NULL (no row).
    QString idText(const Value& id) const;
    // Runs the statement with the id and hands its first row, if any, to take.
    void onFirstRow(const QString& sql, const Value& id, const std::function<void(Recordset&)>& take) const;

    clsAdoConnectJet& m_db;
};
