#include "detail/clsSegmentWriter.h"

#include "app/WindowProc.h"
#include "data/clsAdoConnectJet.h"
#include "data/clsBrSegment.h"
#include "detail/clsSegmentRows.h"
#include "platform/AppError.h"
#include "platform/Connection.h"
#include "platform/Recordset.h"

#include <utility>
#include <vector>

namespace {
const QString Source = QStringLiteral("frmSegmentDetail.Save_mf");

void setSegmentID(Recordset& row, const Value& id)
{
    const Value now = row.Fields(clsSegmentRows::colSegmentID).Value();
    if (now.kind() != id.kind() || now != id)
        row.Fields(clsSegmentRows::colSegmentID).Value(id);
}
}  // namespace

void clsSegmentWriter::Save_p(clsBrSegment& segment, Recordset& rows)
{
    if (rows.EditMode() != Recordset::EditNone)
        rows.Update();
    const Value idBefore = segment.lSegmentID();
    // What each row held as its segment id before this save, by bookmark.
    std::vector<std::pair<qint32, Value>> previous;
    bool open = false;
    try {
        m_db.BeginTrans_pf();
        open = true;
        // Deleted in another window: saving would bring back its rows alone.
        if (!idBefore.isNull()
            && m_db.Connection()
                    ->ExecuteScalar(QStringLiteral("SELECT count(*) FROM tblSegment WHERE lSegmentID = ?"), {idBefore})
                    .toLong()
                == 0)
            throw AppError(SegmentGone, m_goneText, Source);
        if (!segment.Save_pf())
            throw AppError(4100, m_failureText, Source);
        const Value id = segment.lSegmentID();
        m_db.SQLExecute_pl(QStringLiteral("DELETE FROM tblSegmentDetail WHERE lSegmentID = ?"), {id});
        // A fresh clone sees every row that is not deleted, in the order they came.
        std::unique_ptr<Recordset> all = rows.Clone();
        const QString insert = QStringLiteral(
            "INSERT INTO tblSegmentDetail (lSegmentID,lRosterId,sSegmentDetailLabel,lOrdinalPosition,dCumTime,dRate,"
            "dDistance,sComments) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
        for (; !all->IsEOF(); all->MoveNext()) {
            previous.emplace_back(all->Bookmark(), all->Fields(clsSegmentRows::colSegmentID).Value());
            setSegmentID(*all, id);
            const auto field = [&](int column) { return all->Fields(column).Value(); };
            using R = clsSegmentRows;
            if (m_db.SQLExecute_pl(insert,
                                   {id, field(R::colRosterId), field(R::colLabel), field(R::colOrdinalPosition),
                                    field(R::colCumTime), field(R::colRate), field(R::colDistance),
                                    field(R::colComments)})
                < 1)
                throw AppError(4100, m_failureText, Source);
        }
        all->Close();
        m_db.CommitTrans_pf();
    } catch (...) {
        if (open)
            ignoringErrors([&] { m_db.Rollback_pf(); });
        ignoringErrors([&] {
            if (idBefore.isNull())
                segment.ForgetKey_p();
            else
                segment.lSegmentID(idBefore);
        });
        ignoringErrors([&] {
            std::unique_ptr<Recordset> all = rows.Clone();
            for (const auto& [bookmark, id] : previous)
                if (all->viewRowOfBookmark(bookmark) >= 0) {
                    all->Bookmark(bookmark);
                    setSegmentID(*all, id);
                }
            all->Close();
        });
        throw;
    }
}
