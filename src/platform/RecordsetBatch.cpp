// Rows read again by key, and the changes an in-memory record set's owner
// writes back itself.
#include "platform/AppError.h"
#include "platform/Connection.h"
#include "platform/Recordset.h"
#include "platform/RecordsetStore.h"

void Recordset::RequeryRows(int column, const Value& key)
{
    const FieldInfo& field = fieldInfo(column);
    if (m_store->mode == Mode::InMemory && !m_store->conn)
        throw AppError(3251, QStringLiteral("Operation is not allowed on a record set without a connection."));
    commitPendingOnMove();
    RecordsetStore& s = *m_store;
    Connection* conn = s.liveConnection();
    QString inner = s.sql.trimmed();
    while (inner.endsWith(QLatin1Char(';')))
        inner = inner.chopped(1).trimmed();
    QList<Value> params = s.params;
    params.append(key);
    Recordset fresh;
    // Line breaks keep a trailing comment of the statement from swallowing the narrowing.
    fresh.Open(*conn,
               QStringLiteral("SELECT * FROM (\n") + inner + QStringLiteral("\n) WHERE ")
                   + quoteSqlIdentifier(field.name) + QStringLiteral(" = ?"),
               params, Mode::ReadOnly);
    const RecordsetStore& f = *fresh.m_store;
    if (f.columns != s.columns)
        throw AppError(3001, QStringLiteral("The rows read again do not have the record set's columns."));

    const Value wanted = FieldInfo::coerce(key, field.type);
    std::vector<int> mine;
    for (int r = 0; r < s.rowCount(); ++r)
        if (!s.deleted[size_t(r)] && Value::identical(s.cell(r, column), wanted))
            mine.push_back(r);
    const int both = std::min(int(mine.size()), f.rowCount());
    std::vector<int> changed;
    for (int i = 0; i < both; ++i) {
        const int row = mine[size_t(i)];
        bool differs = false;
        for (int c = 0; c < s.columns; ++c)
            if (!Value::identical(s.cell(row, c), f.cell(i, c))) {
                s.cell(row, c) = f.cell(i, c);
                differs = true;
            }
        if (differs)
            changed.push_back(row);
    }
    for (size_t i = size_t(both); i < mine.size(); ++i)
        s.deleted[size_t(mine[i])] = 1;
    for (int i = both; i < f.rowCount(); ++i) {
        const int row = s.appendRow();
        for (int c = 0; c < s.columns; ++c)
            s.cell(row, c) = f.cell(i, c);
    }
    const bool reshaped = int(mine.size()) != f.rowCount();
    if (!reshaped && changed.empty())
        return;
    const auto members = s.members;
    for (Recordset* m : members) {
        if (reshaped || !m->m_sort.isEmpty() || !m->m_filter.isEmpty()) {
            m->rebuildView(m->currentStoreRow());
        } else {
            for (int row : changed)
                m->storeRowChanged(row, -1);
        }
    }
}

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
