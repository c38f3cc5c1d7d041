#include "detail/clsSegmentRows.h"

#include "data/clsAdoConnectJet.h"
#include "platform/Recordset.h"

namespace {

std::optional<double> number(const Value& v)
{
    if (v.isNullOrEmpty())
        return std::nullopt;
    return v.toDouble();
}

}  // namespace

const QStringList& clsSegmentRows::ColumnNames()
{
    static const QStringList names = {QStringLiteral("lSegmentDetailID"),
                                      QStringLiteral("lSegmentID"),
                                      QStringLiteral("lOrdinalPosition"),
                                      QStringLiteral("sSegmentDetailLabel"),
                                      QStringLiteral("dCumTime"),
                                      QStringLiteral("dCumTimeDisplay"),
                                      QStringLiteral("lLap"),
                                      QStringLiteral("dRate"),
                                      QStringLiteral("dRateDisplay"),
                                      QStringLiteral("ldips"),
                                      QStringLiteral("lspeed"),
                                      QStringLiteral("dDistance"),
                                      QStringLiteral("lRosterId"),
                                      QStringLiteral("sComments")};
    return names;
}

std::unique_ptr<Recordset> clsSegmentRows::Retrieve_prs(clsAdoConnectJet& db, const Value& segmentID)
{
    // The derived columns start empty; the recalculation fills them.
    const QString id = segmentID.isNullOrEmpty() ? QStringLiteral("NULL") : QString::number(segmentID.toLong());
    std::unique_ptr<Recordset> rows;
    db.SQLOpenRecordset_pl(
        rows,
        QStringLiteral("SELECT lSegmentDetailID, lSegmentID, lOrdinalPosition, sSegmentDetailLabel, "
                       "dCumTime, NULL as dCumTimeDisplay, NULL as lLap, dRate, NULL as dRateDisplay, "
                       "NULL as ldips, NULL as lspeed, dDistance, lRosterId, sComments FROM "
                       "tblSegmentDetail WHERE lSegmentId = ")
            + id + QStringLiteral(" ORDER BY dCumTime, lOrdinalPosition, lSegmentDetailID"),
        clsAdoConnectJet::adOpenStatic, clsAdoConnectJet::adLockBatchOptimistic);
    // The rows as read, unconnected: no copy of them is made.
    rows->Disconnect();
    return rows;
}

void clsSegmentRows::AppendFirstRow_p(Recordset& rows, const Value& segmentID)
{
    rows.AddNew();
    rows.Fields(colSegmentID).Value(segmentID);
    rows.Fields(colOrdinalPosition).Value(Value(0));
    rows.Fields(colLabel).Value(Value("T000"));
    rows.Fields(colCumTime).Value(Value(0.0));
    rows.Fields(colDistance).Value(Value(0.0));
    rows.Fields(colRosterId).Value(Value(1));
    rows.Update();
}

std::vector<DetailCalculation::Row> clsSegmentRows::ShownRows(const Recordset& rows)
{
    std::vector<DetailCalculation::Row> shown;
    const int n = rows.RecordCount();
    shown.reserve(size_t(n));
    for (int r = 0; r < n; ++r)
        shown.push_back({rows.valueAt(r, colLabel).asText(), number(rows.valueAt(r, colCumTime)),
                         number(rows.valueAt(r, colDistance)), number(rows.valueAt(r, colRate))});
    return shown;
}

void clsSegmentRows::Recalculate_p(Recordset& rows, const DetailCalculation::Units& units)
{
    if (rows.EditMode() != Recordset::EditNone)
        rows.Update();
    const std::vector<DetailCalculation::Derived> derived = DetailCalculation::computeDerived(ShownRows(rows), units);
    // Stored in place, a column at a time: the record set (and a grid bound
    // to it) keeps its row, only what differs is written, and a grid hears of
    // it once a column instead of once a cell.
    using D = DetailCalculation::Derived;
    const auto store = [&](int column, std::optional<Value> (*pick)(const D&)) {
        rows.storeColumn(column, [&](int r) { return pick(derived[size_t(r)]); });
    };
    store(colSpeed, [](const D& d) { return std::optional(d.lspeed); });
    store(colDips, [](const D& d) { return std::optional(d.ldips); });
    store(colRate, [](const D& d) { return d.resetRate ? std::optional(Value(*d.resetRate)) : std::nullopt; });
    store(colRateDisplay, [](const D& d) { return std::optional(d.dRateDisplay); });
    store(colLap, [](const D& d) { return std::optional(d.lLap); });
    store(colCumTimeDisplay,
          [](const D& d) { return d.cumTimeDisplay ? std::optional(Value(*d.cumTimeDisplay)) : std::nullopt; });
}

double clsSegmentRows::neighbour(Recordset& rows, bool below, int column)
{
    std::unique_ptr<Recordset> look = rows.Clone();
    look->Filter(rows.Filter());
    look->Sort(rows.Sort());
    look->Bookmark(rows.Bookmark());
    for (;;) {
        if (below)
            look->MoveNext();
        else
            look->MovePrevious();
        if (look->IsBOF() || look->IsEOF())
            return 0.0;
        if (!DetailCalculation::isRateRow(look->Fields(colLabel).Value().asText())) {
            const Value v = look->Fields(column).Value();
            return v.isNullOrEmpty() ? 0.0 : v.toDouble();
        }
    }
}

double clsSegmentRows::CumPrevious_d(Recordset& rows) { return neighbour(rows, false, colCumTime); }
double clsSegmentRows::CumNext_d(Recordset& rows) { return neighbour(rows, true, colCumTime); }
double clsSegmentRows::DistanceNext_d(Recordset& rows) { return neighbour(rows, true, colDistance); }
