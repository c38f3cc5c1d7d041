// The changes an in-memory record set's owner writes back itself.
#include "platform/Recordset.h"
#include "platform/RecordsetStore.h"

std::vector<Recordset::PendingRow> Recordset::PendingRows(quint64 columns) const
{
    requireOpen();
    const RecordsetStore& s = *m_store;
    std::vector<PendingRow> rows;
    for (size_t r = 0; r < s.pending.size(); ++r) {
        const RecordsetStore::Pending& p = s.pending[r];
        if ((p.added && p.deleted) || (!p.added && !p.deleted && (p.columns & columns) == 0))
            continue;
        const Value* cells = s.cells.row(int(r));
        rows.push_back({s.bookmarkOf(int(r)), p.added, p.deleted, p.added || p.deleted ? ~quint64(0) : p.columns,
                        std::vector<Value>(cells, cells + s.columns)});
    }
    return rows;
}

void Recordset::AcceptChanges()
{
    requireOpen();
    m_store->pending.clear();
}
