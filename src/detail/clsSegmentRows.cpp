#include "detail/clsSegmentRows.h"

#include "app/clsLibrary.h"
#include "data/clsAdoConnectJet.h"
#include "platform/AppError.h"
#include "platform/Recordset.h"

namespace {

std::optional<double> number(const Value& v)
{
    if (v.isNullOrEmpty())
        return std::nullopt;
    return v.toDouble();
}

// Only what differs is written, so a recalculation that changes little
// signals little.
void store(Recordset& rs, int column, const Value& v)
{
    const Value now = rs.Fields(column).Value();
    if (now.kind() != v.kind() || now != v)
        rs.Fields(column).Value(v);
}

}  // namespace

const QStringList& clsSegmentRows::ColumnNames()
{
    static const QStringList names = {
        QStringLiteral("lSegmentDetailID"), QStringLiteral("lSegmentID"),      QStringLiteral("lOrdinalPosition"),
        QStringLiteral("sSegmentDetailLabel"), QStringLiteral("dCumTime"),     QStringLiteral("dCumTimeDisplay"),
        QStringLiteral("lLap"),             QStringLiteral("dRate"),           QStringLiteral("dRateDisplay"),
        QStringLiteral("ldips"),            QStringLiteral("lspeed"),          QStringLiteral("dDistance"),
        QStringLiteral("lRosterId"),        QStringLiteral("sComments")};
    return names;
}

std::unique_ptr<Recordset> clsSegmentRows::Retrieve_prs(clsAdoConnectJet& db, const Value& segmentID)
{
    // The derived columns start empty; the recalculation fills them.
    const QString id = segmentID.isNullOrEmpty() ? QStringLiteral("NULL") : QString::number(segmentID.toLong());
    Recordset stored;
    db.SQLOpenRecordset_pl(stored,
                           QStringLiteral("SELECT lSegmentDetailID, lSegmentID, lOrdinalPosition, sSegmentDetailLabel, "
                                          "dCumTime, NULL as dCumTimeDisplay, NULL as lLap, dRate, NULL as dRateDisplay, "
                                          "NULL as ldips, NULL as lspeed, dDistance, lRosterId, sComments FROM "
                                          "tblSegmentDetail WHERE lSegmentId = ")
                               + id + QStringLiteral(" ORDER BY dCumTime, lOrdinalPosition, lSegmentDetailID"),
                           clsAdoConnectJet::adOpenStatic, clsAdoConnectJet::adLockBatchOptimistic);
    std::unique_ptr<Recordset> rows = clsLibrary().CopyADORecordsetPrs(stored);
    try {
        stored.Close();
    } catch (const AppError&) {
    }
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
    const std::vector<DetailCalculation::Row> shown = ShownRows(rows);
    const std::vector<DetailCalculation::Derived> derived = DetailCalculation::computeDerived(shown, units);
    std::vector<qint32> bookmarks(shown.size());
    for (size_t r = 0; r < shown.size(); ++r)
        bookmarks[r] = rows.bookmarkAt(int(r));

    // Written through a clone: the record set (and a grid bound to it) keeps its row.
    std::unique_ptr<Recordset> writer = rows.Clone();
    for (size_t r = 0; r < derived.size(); ++r) {
        const DetailCalculation::Derived& d = derived[r];
        writer->Bookmark(bookmarks[r]);
        store(*writer, colSpeed, d.lspeed);
        store(*writer, colDips, d.ldips);
        if (d.resetRate)
            store(*writer, colRate, Value(*d.resetRate));
        store(*writer, colRateDisplay, d.dRateDisplay);
        store(*writer, colLap, d.lLap);
        if (d.cumTimeDisplay)
            store(*writer, colCumTimeDisplay, Value(*d.cumTimeDisplay));
    }
    writer->Update();
    writer->Close();
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
