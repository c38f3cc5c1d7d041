#include "detail/clsSegmentWriter.h"

#include "app/WindowProc.h"
#include "data/clsAdoConnectJet.h"
#include "data/clsBrSegment.h"
#include "detail/clsSegmentRows.h"
#include "detail/clsStoredRows.h"
#include "platform/AppError.h"
#include "platform/Connection.h"
#include "platform/Recordset.h"

#include <QStringList>

namespace {
const QString Source = QStringLiteral("frmSegmentDetail.Save_mf");
using R = clsSegmentRows;

quint64 storedColumns()
{
    quint64 bits = 0;
    for (const auto& c : clsSegmentWriter::StoredColumns())
        bits |= Recordset::columnBit(c.column);
    return bits;
}
}  // namespace

const std::vector<clsSegmentWriter::StoredColumn>& clsSegmentWriter::StoredColumns()
{
    static const std::vector<StoredColumn> columns{{R::colRosterId, "lRosterId"},
                                                   {R::colLabel, "sSegmentDetailLabel"},
                                                   {R::colOrdinalPosition, "lOrdinalPosition"},
                                                   {R::colCumTime, "dCumTime"},
                                                   {R::colRate, "dRate"},
                                                   {R::colDistance, "dDistance"},
                                                   {R::colComments, "sComments"}};
    return columns;
}

bool clsSegmentWriter::Save_p(clsBrSegment& segment, Recordset& rows, clsStoredRows& stored)
{
    if (rows.EditMode() != Recordset::EditNone)
        rows.Update();
    const Value idBefore = segment.lSegmentID();
    std::vector<Given> given;
    bool open = false;
    bool changedElsewhere = false;
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
        // Read in this transaction, so nothing can change them before the commit.
        changedElsewhere = !stored.Unchanged_pf(m_db, idBefore);
        if (!segment.Save_pf())
            throw AppError(4100, m_failureText, Source);
        const Value id = segment.lSegmentID();
        std::unique_ptr<Recordset> all = rows.Clone();
        clsStoredRows::Written written;
        written.everyRow = changedElsewhere;
        std::vector<Recordset::PendingRow> changes;
        if (changedElsewhere) {
            // What the window shows is what is stored: every row again, as added.
            m_db.SQLExecute_pl(QStringLiteral("DELETE FROM tblSegmentDetail WHERE lSegmentID = ?"), {id});
            for (int r = 0; r < all->RecordCount(); ++r) {
                changes.push_back({all->bookmarkAt(r), true, false, ~quint64(0), {}});
                for (int c = 0; c < all->FieldCount(); ++c)
                    changes.back().values.push_back(all->valueAt(r, c));
            }
        } else {
            // Only what changed since the rows were read or last saved.
            changes = rows.PendingRows(storedColumns());
        }
        for (const Recordset::PendingRow& row : changes) {
            writeRow_m(row, id, *all, given);
            if (row.deleted)
                written.gone.push_back(row.bookmark);
            else
                written.stored.emplace_back(row.bookmark,
                                            clsStoredRows::Checksum_pq(*all, all->viewRowOfBookmark(row.bookmark)));
        }
        all->Close();
        m_db.CommitTrans_pf();
        open = false;
        rows.AcceptChanges();
        stored.Saved_p(written);
    } catch (...) {
        if (open)
            ignoringErrors([&] { m_db.Rollback_pf(); });
        ignoringErrors([&] {
            if (idBefore.isNull())
                segment.ForgetKey_p();
            else
                segment.lSegmentID(idBefore);
        });
        // The rows take back the keys and ids the rolled-back rows gave them.
        ignoringErrors([&] {
            std::unique_ptr<Recordset> all = rows.Clone();
            for (auto it = given.rbegin(); it != given.rend(); ++it)
                if (all->viewRowOfBookmark(it->bookmark) >= 0) {
                    all->Bookmark(it->bookmark);
                    all->Fields(it->column).Value(it->before);
                    all->Update();
                }
            all->Close();
        });
        throw;
    }
    return changedElsewhere;
}

void clsSegmentWriter::writeRow_m(const Recordset::PendingRow& row, const Value& id, Recordset& all,
                                  std::vector<Given>& given)
{
    const Value key = row.values[R::colSegmentDetailID];
    if (row.deleted) {
        if (!key.isNullOrEmpty())
            m_db.SQLExecute_pl(
                QStringLiteral("DELETE FROM tblSegmentDetail WHERE lSegmentDetailID = ? AND lSegmentID = ?"),
                {key, id});
        return;
    }
    if (!row.added && !key.isNullOrEmpty()) {
        QStringList sets;
        QList<Value> values;
        for (const auto& c : StoredColumns())
            if (row.columns & Recordset::columnBit(c.column)) {
                sets << QLatin1String(c.name) + QStringLiteral(" = ?");
                values << row.values[size_t(c.column)];
            }
        if (sets.isEmpty())
            return;
        values << key << id;
        if (m_db.SQLExecute_pl(QStringLiteral("UPDATE tblSegmentDetail SET ") + sets.join(QStringLiteral(", "))
                                   + QStringLiteral(" WHERE lSegmentDetailID = ? AND lSegmentID = ?"),
                               values)
            > 0)
            return;
        // Still there, yet not written: refused.
        if (m_db.Connection()
                ->ExecuteScalar(QStringLiteral("SELECT count(*) FROM tblSegmentDetail WHERE lSegmentDetailID = ?"),
                                {key})
                .toLong()
            > 0)
            throw AppError(4100, m_failureText, Source);
        // Deleted in another window since it was read: stored again as shown.
    }
    QList<Value> values{id};
    for (const auto& c : StoredColumns())
        values << row.values[size_t(c.column)];
    if (m_db.SQLExecute_pl(QStringLiteral("INSERT INTO tblSegmentDetail (lSegmentID,lRosterId,sSegmentDetailLabel,"
                                          "lOrdinalPosition,dCumTime,dRate,dDistance,sComments) VALUES (?, ?, ?, ?, ?, "
                                          "?, ?, ?)"),
                           values)
        < 1)
        throw AppError(4100, m_failureText, Source);
    // The row carries its new key and the segment's id from now on.
    const Value newKey(qint32(m_db.Connection()->LastInsertRowId()));
    all.Bookmark(row.bookmark);
    for (const auto& [column, value] :
         {std::pair{int(R::colSegmentDetailID), newKey}, std::pair{int(R::colSegmentID), id}}) {
        const Value now = all.Fields(column).Value();
        if (!Value::identical(now, value)) {
            given.push_back({row.bookmark, column, now});
            all.Fields(column).Value(value);
        }
    }
    all.Update();
}
