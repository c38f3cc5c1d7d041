#include "platform/RecordsetStore.h"

#include "platform/AppError.h"
#include "platform/Connection.h"
#include "platform/Statement.h"

#include <sqlcipher/sqlite3.h>

#include <algorithm>
#include <iterator>

QString quoteSqlIdentifier(const QString& name)
{
    QString s = name;
    s.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

void RecordsetStore::setFields(std::vector<FieldInfo> f)
{
    fields = std::move(f);
    columns = int(fields.size());
    cells.reset(columns);
    deleted.clear();
    byName.clear();
    for (int i = columns - 1; i >= 0; --i)
        byName.insert(fields[size_t(i)].name.toLower(), i);
}

int RecordsetStore::appendRow()
{
    appendLoadedRow([](int) { return Value::null(); });
    const int row = rowCount() - 1;
    if (!m_bookmarks.empty()) {
        m_bookmarks.push_back(m_nextBookmark);
        m_rowOfBookmark.insert(m_nextBookmark++, row);
    }
    return row;
}

RecordsetStore::Pending* RecordsetStore::pendingOf(int row)
{
    if (mode != Recordset::Mode::InMemory)
        return nullptr;
    if (pending.size() < size_t(rowCount()))
        pending.resize(size_t(rowCount()));
    return &pending[size_t(row)];
}

qint32 RecordsetStore::bookmarkOf(int row) const { return m_bookmarks.empty() ? row + 1 : m_bookmarks[size_t(row)]; }

int RecordsetStore::rowOf(qint32 bookmark) const
{
    int row = -1;
    if (m_bookmarks.empty())
        row = bookmark >= 1 && bookmark <= rowCount() ? bookmark - 1 : -1;
    else
        row = m_rowOfBookmark.value(bookmark, -1);
    return row >= 0 && !deleted[size_t(row)] ? row : -1;
}

qint32 RecordsetStore::nextFreeBookmark() const { return m_bookmarks.empty() ? rowCount() + 1 : m_nextBookmark; }

std::vector<int> RecordsetStore::primaryKeyColumns(sqlite3* db, int* autoKey) const
{
    if (autoKey)
        *autoKey = -1;
    std::vector<int> keys;
    if (table.isEmpty() || !db)
        return keys;
    int rc = SQLITE_OK;
    const Statement info = Statement::prepare(
        db, QStringLiteral("PRAGMA table_info(") + quoteSqlIdentifier(table) + QLatin1Char(')'), &rc);
    if (!info)
        return keys;
    QStringList keyNames;
    QString keyDecl;
    while (info.step() == SQLITE_ROW) {
        if (info.columnInt64(5) > 0) {
            keyNames.append(info.columnText(1));
            keyDecl = info.columnText(2);
        }
    }
    for (const QString& key : keyNames)
        for (int i = 0; i < columns; ++i) {
            const FieldInfo& f = fields[size_t(i)];
            if (f.table == table && f.originName.compare(key, Qt::CaseInsensitive) == 0) {
                keys.push_back(i);
                if (autoKey && keyNames.size() == 1
                    && keyDecl.trimmed().compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0)
                    *autoKey = i;
                break;
            }
        }
    if (keys.size() != size_t(keyNames.size())) {
        keys.clear();  // part of the key is missing from the query
        if (autoKey)
            *autoKey = -1;
    }
    return keys;
}

bool RecordsetStore::writable(int column) const
{
    const FieldInfo& f = fields[size_t(column)];
    return !table.isEmpty() && f.table == table && !f.originName.isEmpty();
}

Connection* RecordsetStore::liveConnection() const
{
    if (!conn || connAlive.expired() || !conn->IsOpen())
        throw AppError(3704, QStringLiteral("Operation is not allowed when the object is closed."));
    return conn;
}

// --- bookmarks across a requery ------------------------------------------------

std::vector<int> RecordsetStore::identityColumns(sqlite3* db) const
{
    std::vector<int> keys = keyColumns.empty() ? primaryKeyColumns(db) : keyColumns;
    if (keys.empty() && columns > 0)
        keys.push_back(0);
    return keys;
}

size_t RecordsetStore::identityHash(int row, const std::vector<int>& keys) const
{
    size_t h = 0;
    for (int c : keys) {
        const Value& v = cell(row, c);
        size_t part = size_t(v.kind());
        switch (v.kind()) {
        case Value::Kind::Empty:
        case Value::Kind::Null: break;
        case Value::Kind::Boolean: part = qHash(v.toBool()); break;
        case Value::Kind::Long: part = qHash(v.toLong()); break;
        case Value::Kind::Double: part = qHash(v.toDouble()); break;
        case Value::Kind::Text: part = qHash(v.toText()); break;
        case Value::Kind::Date:
        case Value::Kind::Time:
        case Value::Kind::DateTime: part = qHash(v.toDouble()); break;
        }
        h ^= part + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2);
    }
    return h;
}

bool RecordsetStore::sameValues(int row, const RecordsetStore& other, int otherRow, const std::vector<int>& cols) const
{
    for (int c : cols) {
        if (!Value::identical(cell(row, c), other.cell(otherRow, c)))
            return false;
    }
    return true;
}

void RecordsetStore::adoptBookmarks(const RecordsetStore& previous, sqlite3* db)
{
    m_bookmarks.clear();
    m_rowOfBookmark.clear();
    if (previous.columns != columns || rowCount() == 0)
        return;
    const std::vector<int> keys = identityColumns(db);
    std::vector<int> all(static_cast<size_t>(columns));
    for (int c = 0; c < columns; ++c)
        all[size_t(c)] = c;

    std::unordered_multimap<size_t, int> before;  // key hash -> live rows of the previous store
    before.reserve(size_t(previous.rowCount()));
    for (int r = 0; r < previous.rowCount(); ++r)
        if (!previous.deleted[size_t(r)])
            before.emplace(previous.identityHash(r, keys), r);
    std::vector<size_t> hashes(static_cast<size_t>(rowCount()));
    std::unordered_map<size_t, int> counts;
    counts.reserve(size_t(rowCount()));
    for (int r = 0; r < rowCount(); ++r)
        ++counts[hashes[size_t(r)] = identityHash(r, keys)];

    std::vector<uint8_t> claimed(static_cast<size_t>(previous.rowCount()), 0);
    qint32 next = previous.nextFreeBookmark();
    std::vector<qint32> marks(static_cast<size_t>(rowCount()));
    bool asOpened = next <= rowCount() + 1;
    for (int r = 0; r < rowCount(); ++r) {
        const size_t h = hashes[size_t(r)];
        const auto [first, last] = before.equal_range(h);
        qint32 mark = 0;
        if (first != last && std::next(first) == last && counts[h] == 1) {
            // One row with this key before and after: the same row.
            if (sameValues(r, previous, first->second, keys))
                mark = previous.bookmarkOf(first->second);
        } else {
            // The key repeats (field 0 of a join): only an identical row is the same row.
            for (auto it = first; it != last; ++it)
                if (!claimed[size_t(it->second)] && sameValues(r, previous, it->second, all)) {
                    claimed[size_t(it->second)] = 1;
                    mark = previous.bookmarkOf(it->second);
                    break;
                }
        }
        if (mark == 0)
            mark = next++;
        marks[size_t(r)] = mark;
        asOpened = asOpened && mark == r + 1;
    }
    if (asOpened)
        return;
    m_bookmarks = std::move(marks);
    m_rowOfBookmark.reserve(rowCount());
    for (int r = 0; r < rowCount(); ++r)
        m_rowOfBookmark.insert(m_bookmarks[size_t(r)], r);
    m_nextBookmark = next;
}

// --- notifications ---------------------------------------------------------------

void RecordsetStore::notifyAppended(int row, const Recordset* origin)
{
    const auto copy = members;
    for (Recordset* r : copy)
        r->storeRowAppended(row, origin);
}

void RecordsetStore::notifyRemoved(int row)
{
    const auto copy = members;
    for (Recordset* r : copy)
        r->storeRowRemoved(row);
}

void RecordsetStore::notifyChanged(int row, int column)
{
    const auto copy = members;
    for (Recordset* r : copy)
        r->storeRowChanged(row, column);
}

void RecordsetStore::notifyValuesChanged()
{
    const auto copy = members;
    for (Recordset* r : copy)
        emit r->valuesChanged();
}
