#pragma once

#include "detail/DetailCalculation.h"
#include "platform/Value.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class Recordset;
class clsAdoConnectJet;

// The time and rate rows of one segment as the detail window holds them: a
// detached in-memory record set of fourteen columns (stored ones and derived
// ones, a column's position being its grid column), read from and written
// back to tblSegmentDetail.
class clsSegmentRows {
public:
    enum Column : int {
        colSegmentDetailID = 0,
        colSegmentID = 1,
        colOrdinalPosition = 2,
        colLabel = 3,
        colCumTime = 4,
        colCumTimeDisplay = 5,
        colLap = 6,
        colRate = 7,
        colRateDisplay = 8,
        colDips = 9,
        colSpeed = 10,
        colDistance = 11,
        colRosterId = 12,
        colComments = 13,
        ColumnCount = 14
    };
    static const QStringList& ColumnNames();

    // The segment's rows in time order (ties by entry order, then key) as an
    // unconnected editable copy; a segment without an id has none.
    static std::unique_ptr<Recordset> Retrieve_prs(clsAdoConnectJet& db, const Value& segmentID);

    // Adds the first time row of a new segment (T000 at 0, placeholder athlete).
    static void AppendFirstRow_p(Recordset& rows, const Value& segmentID);

    // The rows the record set shows (its filter and sort), as the calculation reads them.
    static std::vector<DetailCalculation::Row> ShownRows(const Recordset& rows);
    // Works out and stores the derived columns of every shown row in one pass.
    // The record set stays on its row; a pending edit of it is stored first.
    static void Recalculate_p(Recordset& rows, const DetailCalculation::Units& units);

    // Of the current row, among the shown rows: the time of the nearest time
    // row above it, of the nearest below it, and the distance of that one;
    // 0 when there is none. The current row itself never counts.
    static double CumPrevious_d(Recordset& rows);
    static double CumNext_d(Recordset& rows);
    static double DistanceNext_d(Recordset& rows);

private:
    static double neighbour(Recordset& rows, bool below, int column);
};
