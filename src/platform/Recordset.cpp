#include "platform/Recordset.h"

#include "platform/AppError.h"
#include "platform/ColumnReader.h"
#include "platform/Connection.h"
#include "platform/RecordsetFilter.h"
#include "platform/RecordsetStore.h"
#include "platform/Statement.h"
#include "platform/TextOrder.h"

#include <sqlcipher/sqlite3.h>

#include <QCollator>
#include <QHash>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

constexpr qint32 NotSupported = 3251;
constexpr qint32 ObjectClosed = 3704;
constexpr qint32 BadBookmark = 3159;
constexpr qint32 BadArguments = 3001;
constexpr qint32 RowNotLocated = static_cast<qint32>(0x80040E38u);

[[noreturn]] void raise(qint32 number, const QString& text) { throw AppError(number, text); }

QString itemNotFoundText()
{
    return QStringLiteral("Item cannot be found in the collection corresponding to the requested name or ordinal.");
}

}  // namespace

Recordset::Recordset(QObject* parent) : QObject(parent) {}

Recordset::~Recordset()
{
    // A confirmed edit still pending is stored; if that fails it is dropped,
    // since nothing may leave a destructor.
    if (m_store && m_editMode != EditNone) {
        try {
            Update();
        } catch (...) {
            try {
                CancelUpdate();
            } catch (...) {
            }
        }
    }
    detach();
}

// --- opening and closing ---------------------------------------------------

void Recordset::attach(std::shared_ptr<RecordsetStore> store)
{
    detach();
    m_store = std::move(store);
    m_store->members.push_back(this);
}

void Recordset::detach()
{
    if (m_store) {
        auto& m = m_store->members;
        m.erase(std::remove(m.begin(), m.end(), this), m.end());
        m_store.reset();
    }
}

void Recordset::resetBookkeeping()
{
    m_view.clear();
    m_posOfRow.clear();
    m_posOfRowValid = false;
    m_pos = -1;
    m_onDeleted = false;
    m_editMode = EditNone;
    m_editRow = -1;
    m_editStamp.clear();
    m_editWritten.clear();
}

void Recordset::Open(Connection& conn, const QString& sql, Mode mode) { Open(conn, sql, {}, mode); }

void Recordset::Open(Connection& conn, const QString& sql, const QList<Value>& params, Mode mode)
{
    if (IsOpen())
        Close();
    auto store = std::make_shared<RecordsetStore>();
    store->mode = mode;
    store->conn = &conn;
    store->connAlive = conn.lifetimeToken();
    store->sql = sql;
    store->params = params;
    m_sort.clear();
    m_filter.clear();
    attach(store);
    try {
        loadFrom(conn, sql, params);
    } catch (...) {
        detach();
        resetBookkeeping();
        throw;
    }
    rebuildView(-1);
}

void Recordset::loadFrom(Connection& conn, const QString& sql, const QList<Value>& params)
{
    conn.clearErrors();
    sqlite3* db = conn.handle();
    if (!db)
        raise(ObjectClosed, QStringLiteral("Operation is not allowed when the object is closed."));
    RecordsetStore& s = *m_store;
    int rc = SQLITE_OK;
    const Statement owned = Statement::prepare(db, sql, &rc);
    if (rc != SQLITE_OK)
        conn.raiseSqlite(rc);
    if (!owned)
        raise(BadArguments, QStringLiteral("The command text holds no statement."));
    sqlite3_stmt* st = owned.get();

    const int n = sqlite3_column_count(st);
    std::vector<FieldInfo> fields(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        FieldInfo& f = fields[size_t(i)];
        f.name = QString::fromUtf8(sqlite3_column_name(st, i));
        const char* decl = sqlite3_column_decltype(st, i);
        f.declType = decl ? QString::fromUtf8(decl) : QString();
        const char* table = sqlite3_column_table_name(st, i);
        f.table = table ? QString::fromUtf8(table) : QString();
        const char* origin = sqlite3_column_origin_name(st, i);
        f.originName = origin ? QString::fromUtf8(origin) : QString();
        f.type = FieldInfo::typeForDecl(f.declType);
        f.definedSize = declaredSize(f.declType, f.type);
    }
    for (int i = 0; i < params.size(); ++i)
        owned.bind(i + 1, params.at(i));

    std::vector<FieldInfo::DataType> types(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        types[size_t(i)] = fields[size_t(i)].type;
    s.setFields(std::move(fields));
    ColumnReader reader(st, std::move(types));
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        s.appendLoadedRow([&](int i) { return reader.read(i); });
    if (rc != SQLITE_DONE)
        conn.raiseSqlite(rc);

    // The table edits go to: the one the first table column comes from.
    s.table.clear();
    s.keyColumns.clear();
    s.autoKeyColumn = -1;
    for (const FieldInfo& f : s.fields)
        if (!f.table.isEmpty()) {
            s.table = f.table;
            break;
        }
    if (s.mode == Mode::Editable) {
        s.keyColumns = s.primaryKeyColumns(db, &s.autoKeyColumn);
        for (int k : s.keyColumns)
            s.fields[size_t(k)].isKey = true;
        if (s.autoKeyColumn >= 0)
            s.fields[size_t(s.autoKeyColumn)].isAutoKey = true;
    }
}

void Recordset::OpenInMemory(const QList<FieldInfo>& fields)
{
    if (IsOpen())
        Close();
    auto store = std::make_shared<RecordsetStore>();
    store->mode = Mode::InMemory;
    std::vector<FieldInfo> f(fields.begin(), fields.end());
    for (FieldInfo& fi : f)
        if (fi.definedSize <= 0)
            fi.definedSize = FieldInfo::defaultSizeOf(fi.type);
    store->setFields(std::move(f));
    m_sort.clear();
    m_filter.clear();
    attach(store);
    rebuildView(-1);
}

void Recordset::Close()
{
    if (!m_store)
        return;
    if (m_editMode != EditNone)
        Update();
    detach();
    resetBookkeeping();
    m_sort.clear();
    m_filter.clear();
    emit rowsReset();
    emit currentChanged(-1);
}

int Recordset::State() const { return m_store ? StateOpen : StateClosed; }

Recordset::Mode Recordset::OpenMode() const
{
    requireOpen();
    return m_store->mode;
}

QString Recordset::Source() const { return m_store ? m_store->sql : QString(); }
QString Recordset::BaseTable() const { return m_store && m_store->mode == Mode::Editable ? m_store->table : QString(); }

void Recordset::requireOpen() const
{
    if (!m_store)
        raise(ObjectClosed, QStringLiteral("Operation is not allowed when the object is closed."));
}

void Recordset::requireCurrent() const
{
    requireOpen();
    if (m_onDeleted || m_pos < 0 || m_pos >= int(m_view.size()))
        raise(ErrNo::NoCurrentRecord,
              QStringLiteral("Either BOF or EOF is True, or the current record has been deleted. Requested "
                             "operation requires a current record."));
}

void Recordset::requireWritable() const
{
    requireOpen();
    if (m_store->mode == Mode::ReadOnly)
        raise(NotSupported,
              QStringLiteral("Current Recordset does not support updating. This may be a limitation "
                             "of the provider, or of the selected locktype."));
}

// --- fields ----------------------------------------------------------------

int Recordset::FieldCount() const { return m_store ? m_store->columns : 0; }

int Recordset::FieldIndex(const QString& name) const
{
    if (!m_store)
        return -1;
    return m_store->byName.value(name.trimmed().toLower(), -1);
}

Field Recordset::Fields(int index) const
{
    requireOpen();
    if (index < 0 || index >= m_store->columns)
        raise(ErrNo::ItemNotFound, itemNotFoundText());
    return Field(const_cast<Recordset*>(this), index);
}

Field Recordset::Fields(const QString& name) const
{
    requireOpen();
    const int i = FieldIndex(name);
    if (i < 0)
        raise(ErrNo::ItemNotFound, itemNotFoundText() + QStringLiteral(" (%1)").arg(name));
    return Field(const_cast<Recordset*>(this), i);
}

const FieldInfo& Recordset::fieldInfo(int index) const
{
    requireOpen();
    if (index < 0 || index >= m_store->columns)
        raise(ErrNo::ItemNotFound, itemNotFoundText());
    return m_store->fields[size_t(index)];
}

QList<FieldInfo> Recordset::fieldInfos() const
{
    requireOpen();
    return QList<FieldInfo>(m_store->fields.begin(), m_store->fields.end());
}

Value Recordset::currentValue(int column) const
{
    requireOpen();
    if (column < 0 || column >= m_store->columns)
        raise(ErrNo::ItemNotFound, itemNotFoundText());
    requireCurrent();
    return m_store->cell(m_view[size_t(m_pos)], column);
}

void Recordset::setCurrentValue(int column, const Value& v)
{
    requireOpen();
    if (column < 0 || column >= m_store->columns)
        raise(ErrNo::ItemNotFound, itemNotFoundText());
    requireCurrent();
    requireWritable();
    RecordsetStore& s = *m_store;
    // A value the table cannot take would be dropped at Update: refuse it now.
    if (s.mode == Mode::Editable && !s.writable(column))
        raise(NotSupported,
              s.table.isEmpty() ? QStringLiteral("Field '%1' cannot be updated: the record set has no base table.")
                                      .arg(s.fields[size_t(column)].name)
                                : QStringLiteral("Field '%1' cannot be updated: it is not a column of table %2.")
                                      .arg(s.fields[size_t(column)].name, s.table));
    const Value coerced = FieldInfo::coerce(v, s.fields[size_t(column)].type);
    const int row = m_view[size_t(m_pos)];
    if (m_editMode == EditNone) {
        m_editMode = EditInProgress;
        m_editRow = row;
        m_editStamp.assign(size_t(s.columns), 0);
        m_editWritten.assign(size_t(s.columns), Value());
        if (s.committed.find(row) == s.committed.end()) {
            const Value* cells = s.cells.row(row);
            s.committed.emplace(row, std::vector<Value>(cells, cells + s.columns));
        }
    }
    s.cell(row, column) = coerced;
    s.markAssigned(row, column);
    m_editStamp[size_t(column)] = ++s.editClock;
    m_editWritten[size_t(column)] = coerced;
    s.notifyChanged(row, column);
}

// --- navigation ------------------------------------------------------------

int Recordset::posOfRow(int row) const
{
    if (!m_posOfRowValid) {
        m_posOfRow.assign(size_t(m_store->rowCount()), -1);
        for (size_t i = 0; i < m_view.size(); ++i)
            m_posOfRow[size_t(m_view[i])] = int(i);
        m_posOfRowValid = true;
    }
    if (row < 0 || row >= int(m_posOfRow.size()))
        return -1;
    return m_posOfRow[size_t(row)];
}

void Recordset::setPosition(int pos, bool currentDeleted)
{
    const int size = int(m_view.size());
    pos = std::clamp(pos, -1, size);
    const bool changed = pos != m_pos || currentDeleted != m_onDeleted;
    m_pos = pos;
    m_onDeleted = currentDeleted;
    if (changed)
        emit currentChanged(currentViewRow());
}

void Recordset::commitPendingOnMove()
{
    // Leaving an edited row stores it: a move never drops a pending edit.
    if (m_editMode != EditNone)
        Update();
}

void Recordset::MoveFirst()
{
    requireOpen();
    commitPendingOnMove();
    setPosition(0);
}

void Recordset::MoveLast()
{
    requireOpen();
    commitPendingOnMove();
    setPosition(m_view.empty() ? 0 : int(m_view.size()) - 1);
}

void Recordset::MoveNext()
{
    requireOpen();
    if (!m_onDeleted && IsEOF())
        raise(ErrNo::NoCurrentRecord,
              QStringLiteral("Either BOF or EOF is True, or the current record has been "
                             "deleted. Requested operation requires a current record."));
    commitPendingOnMove();
    // After a delete the next row has moved into the deleted row's place.
    setPosition(m_onDeleted ? m_pos : m_pos + 1);
}

void Recordset::MovePrevious()
{
    requireOpen();
    if (!m_onDeleted && IsBOF())
        raise(ErrNo::NoCurrentRecord,
              QStringLiteral("Either BOF or EOF is True, or the current record has been "
                             "deleted. Requested operation requires a current record."));
    commitPendingOnMove();
    setPosition(m_pos - 1);
}

void Recordset::Move(int rows)
{
    requireOpen();
    commitPendingOnMove();
    if (rows == 0)
        return;
    int base = m_pos;
    if (m_onDeleted && rows > 0)
        base = m_pos - 1;
    setPosition(base + rows);
}

bool Recordset::IsEOF() const
{
    requireOpen();
    if (m_onDeleted)
        return false;
    return m_view.empty() || m_pos >= int(m_view.size());
}

bool Recordset::IsBOF() const
{
    requireOpen();
    if (m_onDeleted)
        return false;
    return m_view.empty() || m_pos < 0;
}

int Recordset::RecordCount() const
{
    requireOpen();
    return int(m_view.size());
}

int Recordset::AbsolutePosition() const
{
    requireOpen();
    if (m_view.empty() || m_pos < 0)
        return -2;
    if (m_pos >= int(m_view.size()))
        return -3;
    return m_pos + 1;
}

void Recordset::AbsolutePosition(int position)
{
    requireOpen();
    if (position < 1 || position > int(m_view.size()))
        raise(BadArguments,
              QStringLiteral("Arguments are of the wrong type, are out of acceptable range, or are in "
                             "conflict with one another."));
    commitPendingOnMove();
    setPosition(position - 1);
}

qint32 Recordset::Bookmark() const
{
    requireCurrent();
    return m_store->bookmarkOf(m_view[size_t(m_pos)]);
}

void Recordset::Bookmark(qint32 bookmark)
{
    requireOpen();
    const int row = m_store->rowOf(bookmark);
    const int p = row >= 0 ? posOfRow(row) : -1;
    if (p < 0)
        raise(BadBookmark, QStringLiteral("Not a valid bookmark."));
    commitPendingOnMove();
    setPosition(p);
}

int Recordset::currentViewRow() const
{
    if (!m_store || m_onDeleted || m_pos < 0 || m_pos >= int(m_view.size()))
        return -1;
    return m_pos;
}

void Recordset::setCurrentViewRow(int viewRow)
{
    requireOpen();
    if (viewRow < 0 || viewRow >= int(m_view.size()))
        raise(BadArguments,
              QStringLiteral("Arguments are of the wrong type, are out of acceptable range, or are in "
                             "conflict with one another."));
    if (viewRow == m_pos && !m_onDeleted)
        return;
    commitPendingOnMove();
    setPosition(viewRow);
}

Value Recordset::valueAt(int viewRow, int column) const
{
    requireOpen();
    if (column < 0 || column >= m_store->columns)
        raise(ErrNo::ItemNotFound, itemNotFoundText());
    if (viewRow < 0 || viewRow >= int(m_view.size()))
        raise(ErrNo::NoCurrentRecord, AppError::standardDescription(ErrNo::NoCurrentRecord));
    return m_store->cell(m_view[size_t(viewRow)], column);
}

int Recordset::storeColumn(int column, const std::function<std::optional<Value>(int viewRow)>& valueOf)
{
    requireOpen();
    if (column < 0 || column >= m_store->columns)
        raise(ErrNo::ItemNotFound, itemNotFoundText());
    RecordsetStore& s = *m_store;
    if (s.mode != Mode::InMemory)
        raise(NotSupported, QStringLiteral("Only an in-memory record set takes values for many rows at once."));
    const FieldInfo::DataType type = s.fields[size_t(column)].type;
    int changed = 0;
    try {
        for (size_t p = 0; p < m_view.size(); ++p) {
            const std::optional<Value> v = valueOf(int(p));
            if (!v)
                continue;
            const Value coerced = FieldInfo::coerce(*v, type);
            const int row = m_view[p];
            Value& cell = s.cell(row, column);
            if (Value::identical(cell, coerced))
                continue;
            cell = coerced;
            s.markAssigned(row, column);
            // A pending edit elsewhere that is cancelled goes back to this value.
            if (const auto pending = s.committed.find(row); pending != s.committed.end())
                pending->second[size_t(column)] = coerced;
            ++changed;
        }
    } catch (...) {
        // What was stored before a value failed is told all the same.
        if (changed > 0)
            s.notifyValuesChanged();
        throw;
    }
    if (changed > 0)
        s.notifyValuesChanged();
    return changed;
}

void Recordset::setValueAt(int viewRow, int column, const Value& v)
{
    setCurrentViewRow(viewRow);
    setCurrentValue(column, v);
}

qint32 Recordset::bookmarkAt(int viewRow) const
{
    requireOpen();
    if (viewRow < 0 || viewRow >= int(m_view.size()))
        raise(BadBookmark, QStringLiteral("Not a valid bookmark."));
    return m_store->bookmarkOf(m_view[size_t(viewRow)]);
}

bool Recordset::isFieldUpdatable(int column) const
{
    if (!m_store || column < 0 || column >= m_store->columns || m_store->mode == Mode::ReadOnly)
        return false;
    return m_store->mode == Mode::InMemory || m_store->writable(column);
}

int Recordset::viewRowOfBookmark(qint32 bookmark) const
{
    if (!m_store)
        return -1;
    const int row = m_store->rowOf(bookmark);
    return row >= 0 ? posOfRow(row) : -1;
}

// --- editing ---------------------------------------------------------------

int Recordset::EditMode() const
{
    requireOpen();
    return m_editMode;
}

void Recordset::AddNew()
{
    requireWritable();
    commitPendingOnMove();
    m_rowBeforeAdd = currentViewRow() >= 0 ? m_view[size_t(m_pos)] : -1;
    const int row = m_store->appendRow();
    m_store->markAdded(row);
    m_store->notifyAppended(row, this);
    m_editMode = EditAdd;
    m_editRow = row;
    m_editStamp.assign(size_t(m_store->columns), 0);
    m_editWritten.assign(size_t(m_store->columns), Value());
    setPosition(int(m_view.size()) - 1);
}

void Recordset::Update()
{
    requireOpen();
    if (m_editMode == EditNone)
        return;
    const int row = m_editRow;
    if (m_store->mode == Mode::Editable) {
        // On a failure the edit stays pending: the caller may fix it or cancel.
        if (m_editMode == EditAdd)
            writeInsert(row);
        else
            writeUpdate(row);
    }
    // What this side changed is stored now; another side's pending changes stay pending.
    const auto base = m_store->committed.find(row);
    if (base != m_store->committed.end())
        for (int c = 0; c < m_store->columns; ++c)
            if (changedHere(c))
                base->second[size_t(c)] = m_editWritten[size_t(c)];
    endEdit();
    m_store->notifyChanged(row, -1);
}

void Recordset::CancelUpdate()
{
    requireOpen();
    if (m_editMode == EditNone)
        return;
    const int row = m_editRow;
    const int mode = m_editMode;
    if (mode == EditInProgress) {
        // Only this side's changes go back: a column another side has changed
        // too keeps that side's value, any other the value last stored.
        RecordsetStore& s = *m_store;
        for (int c = 0; c < s.columns; ++c) {
            if (!changedHere(c))
                continue;
            const Recordset* other = latestOtherEdit(row, c);
            s.cell(row, c) = other ? other->m_editWritten[size_t(c)] : s.storedValue(row, c);
        }
    }
    endEdit();
    if (mode == EditAdd) {
        m_store->deleted[size_t(row)] = 1;
        m_store->markDeleted(row);
        m_store->notifyRemoved(row);
        // Back to the row that was current before AddNew.
        const int back = m_rowBeforeAdd >= 0 ? posOfRow(m_rowBeforeAdd) : -1;
        setPosition(back >= 0 ? back : int(m_view.size()), false);
        return;
    }
    m_store->notifyChanged(row, -1);
}

void Recordset::endEdit()
{
    const int row = m_editRow;
    m_editMode = EditNone;
    m_editRow = -1;
    m_editStamp.clear();
    m_editWritten.clear();
    if (!m_store || row < 0)
        return;
    for (const Recordset* r : m_store->members)
        if (r->m_editRow == row)
            return;  // still pending elsewhere
    m_store->committed.erase(row);
}

const Recordset* Recordset::latestOtherEdit(int row, int column) const
{
    const Recordset* latest = nullptr;
    for (const Recordset* r : m_store->members)
        if (r != this && r->m_editRow == row && r->changedHere(column)
            && (!latest || r->m_editStamp[size_t(column)] > latest->m_editStamp[size_t(column)]))
            latest = r;
    return latest;
}

void Recordset::Delete()
{
    requireWritable();
    requireCurrent();
    const int row = m_view[size_t(m_pos)];
    if (m_editMode == EditAdd && m_editRow == row) {
        CancelUpdate();
        return;
    }
    if (m_editMode != EditNone)
        CancelUpdate();
    if (m_store->mode == Mode::Editable)
        writeDelete(row);
    m_store->deleted[size_t(row)] = 1;
    m_store->markDeleted(row);
    m_store->notifyRemoved(row);
}

// --- writing through -------------------------------------------------------

void Recordset::writeInsert(int row)
{
    RecordsetStore& s = *m_store;
    if (s.table.isEmpty())
        raise(NotSupported, QStringLiteral("Current Recordset does not support updating: it has no base table."));
    Connection* conn = s.liveConnection();
    conn->clearErrors();
    QStringList names, marks;
    QList<Value> values;
    for (int c = 0; c < s.columns; ++c)
        if (changedHere(c)) {
            names.append(quoteSqlIdentifier(s.fields[size_t(c)].originName));
            marks.append(QStringLiteral("?"));
            values.append(m_editWritten[size_t(c)]);
        }
    const QString sql = names.isEmpty()
        ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteSqlIdentifier(s.table))
        : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
              .arg(quoteSqlIdentifier(s.table), names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
    conn->Execute(sql, values);
    const qint64 rowid = conn->LastInsertRowId();
    if (s.autoKeyColumn >= 0)
        s.cell(row, s.autoKeyColumn) = Value(rowid);
    refreshRowFromTable(row);
}

void Recordset::refreshRowFromTable(int row)
{
    // Defaults and the new key come from the table itself, not from our guess.
    RecordsetStore& s = *m_store;
    Connection* conn = s.liveConnection();
    QStringList names;
    std::vector<int> cols;
    for (int c = 0; c < s.columns; ++c)
        if (s.writable(c)) {
            names.append(quoteSqlIdentifier(s.fields[size_t(c)].originName));
            cols.push_back(c);
        }
    if (cols.empty())
        return;
    sqlite3_stmt* st = conn->cachedStatement(QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?")
                                                 .arg(names.join(QLatin1Char(',')), quoteSqlIdentifier(s.table)));
    sqlite3_bind_int64(st, 1, conn->LastInsertRowId());
    if (sqlite3_step(st) == SQLITE_ROW)
        for (size_t i = 0; i < cols.size(); ++i)
            s.cell(row, cols[i]) = readColumn(st, int(i), s.fields[size_t(cols[i])].type);
    sqlite3_reset(st);
}

void Recordset::writeUpdate(int row)
{
    RecordsetStore& s = *m_store;
    if (s.table.isEmpty())
        raise(NotSupported, QStringLiteral("Current Recordset does not support updating: it has no base table."));
    QStringList sets;
    QList<Value> values;
    for (int c = 0; c < s.columns; ++c)
        if (changedHere(c)) {
            sets.append(quoteSqlIdentifier(s.fields[size_t(c)].originName) + QStringLiteral(" = ?"));
            values.append(m_editWritten[size_t(c)]);
        }
    if (sets.isEmpty())
        return;
    if (s.keyColumns.empty())
        raise(
            NotSupported,
            QStringLiteral("Current Recordset does not support updating: the query holds no key of %1.").arg(s.table));
    Connection* conn = s.liveConnection();
    conn->clearErrors();
    // The row is found by its key as last stored, whatever is pending.
    QStringList where;
    for (int k : s.keyColumns) {
        const Value& key = s.storedValue(row, k);
        if (key.isNullOrEmpty())
            raise(RowNotLocated, QStringLiteral("Row cannot be located for updating: its key is empty."));
        where.append(quoteSqlIdentifier(s.fields[size_t(k)].originName) + QStringLiteral(" = ?"));
        values.append(key);
    }
    const qint64 n = conn->Execute(
        QStringLiteral("UPDATE %1 SET %2 WHERE %3")
            .arg(quoteSqlIdentifier(s.table), sets.join(QLatin1Char(',')), where.join(QStringLiteral(" AND "))),
        values);
    if (n == 0)
        raise(RowNotLocated,
              QStringLiteral("Row cannot be located for updating. Some values may have been changed "
                             "since it was last read."));
}

void Recordset::writeDelete(int row)
{
    RecordsetStore& s = *m_store;
    if (s.table.isEmpty() || s.keyColumns.empty())
        raise(NotSupported, QStringLiteral("Current Recordset does not support deleting: the query holds no key."));
    Connection* conn = s.liveConnection();
    conn->clearErrors();
    QStringList where;
    QList<Value> values;
    for (int k : s.keyColumns) {
        const Value& key = s.storedValue(row, k);
        if (key.isNullOrEmpty())
            raise(RowNotLocated, QStringLiteral("Row cannot be located for deleting: its key is empty."));
        where.append(quoteSqlIdentifier(s.fields[size_t(k)].originName) + QStringLiteral(" = ?"));
        values.append(key);
    }
    const qint64 n = conn->Execute(
        QStringLiteral("DELETE FROM %1 WHERE %2").arg(quoteSqlIdentifier(s.table), where.join(QStringLiteral(" AND "))),
        values);
    if (n == 0)
        raise(RowNotLocated,
              QStringLiteral("Row cannot be located for deleting. It may have been deleted since it "
                             "was last read."));
}

// --- store notifications ---------------------------------------------------

void Recordset::storeRowAppended(int row, const Recordset* /*origin*/)
{
    m_view.push_back(row);
    if (m_posOfRowValid) {
        m_posOfRow.resize(size_t(m_store->rowCount()), -1);
        m_posOfRow[size_t(row)] = int(m_view.size()) - 1;
    }
    // An EOF position must stay past the end.
    if (m_pos == int(m_view.size()) - 1 && !m_onDeleted)
        ++m_pos;
    emit rowInserted(int(m_view.size()) - 1);
}

void Recordset::storeRowRemoved(int row)
{
    if (row == m_editRow)
        endEdit();
    const int p = posOfRow(row);
    if (p < 0)
        return;
    m_view.erase(m_view.begin() + p);
    m_posOfRowValid = false;
    if (m_pos == p && !m_onDeleted) {
        m_onDeleted = true;  // stays on the deleted row until the next move
    } else if (m_pos > p) {
        --m_pos;
    }
    emit rowRemoved(p);
    emit currentChanged(currentViewRow());
}

void Recordset::storeRowChanged(int row, int column)
{
    const int p = posOfRow(row);
    if (p >= 0)
        emit rowChanged(p, column);
}

// --- sort, filter, find ----------------------------------------------------

int Recordset::currentStoreRow() const { return currentViewRow() >= 0 ? m_view[size_t(m_pos)] : -1; }

namespace {
// An empty cell, as NULLS LAST puts it after the others.
bool blankForSort(const Value& v)
{
    return v.isNullOrEmpty() || (v.kind() == Value::Kind::Text && v.toText().isEmpty());
}
}  // namespace

void Recordset::rebuildView(int currentRow)
{
    RecordsetStore& s = *m_store;
    auto lookup = [this](const QString& name) { return FieldIndex(name); };

    std::optional<RecordsetExpr::Criteria> criteria;
    if (!m_filter.isEmpty())
        criteria.emplace(m_filter, lookup);
    const QList<RecordsetExpr::SortKey> keys = RecordsetExpr::parseSort(m_sort, lookup);

    const QCollator& text = TextOrder::collator();
    std::vector<int> view;
    view.reserve(size_t(s.rowCount()));
    for (int r = 0; r < s.rowCount(); ++r) {
        if (s.deleted[size_t(r)])
            continue;
        if (criteria && !criteria->matches([&](int c) -> const Value& { return s.cell(r, c); }))
            continue;
        view.push_back(r);
    }
    const auto before = [&](int a, int b) {
        for (const RecordsetExpr::SortKey& k : keys) {
            const Value& x = s.cell(a, k.column);
            const Value& y = s.cell(b, k.column);
            if (k.nullsLast && blankForSort(x) != blankForSort(y))
                return blankForSort(y);
            const int c = RecordsetExpr::compareForSort(x, y, text);
            if (c != 0)
                return k.descending ? c > 0 : c < 0;
        }
        return false;
    };
    // Rows the statement returned in this order already stay as they are,
    // which is what a stable sort would leave, for one look at each.
    if (!keys.isEmpty() && !std::is_sorted(view.begin(), view.end(), before))
        std::stable_sort(view.begin(), view.end(), before);
    m_view = std::move(view);
    m_posOfRowValid = false;
    m_onDeleted = false;
    int pos = 0;
    if (currentRow >= 0) {
        const int p = posOfRow(currentRow);
        pos = p >= 0 ? p : 0;
    }
    m_pos = std::clamp(pos, -1, int(m_view.size()));
    emit rowsReset();
    emit currentChanged(currentViewRow());
}

QString Recordset::Sort() const { return m_sort; }

void Recordset::Sort(const QString& sortText)
{
    requireOpen();
    commitPendingOnMove();
    const QString old = m_sort;
    m_sort = sortText;
    try {
        rebuildView(currentStoreRow());
    } catch (...) {
        m_sort = old;
        throw;
    }
}

QString Recordset::Filter() const { return m_filter; }

void Recordset::Filter(const QString& criteria)
{
    requireOpen();
    commitPendingOnMove();
    const QString trimmed = criteria.trimmed();
    const QString old = m_filter;
    m_filter = (trimmed.isEmpty() || trimmed == QLatin1String("0")) ? QString() : criteria;
    try {
        rebuildView(-1);
    } catch (...) {
        m_filter = old;
        throw;
    }
}

void Recordset::Find(const QString& criterion, int skipRows, SearchDirection direction)
{
    requireOpen();
    const RecordsetExpr::Criteria c(criterion, [this](const QString& name) { return FieldIndex(name); });
    commitPendingOnMove();
    const RecordsetStore& s = *m_store;
    const int size = int(m_view.size());
    const int step = direction == SearchBackward ? -1 : 1;
    int start;
    if (m_onDeleted)
        start = step > 0 ? m_pos : m_pos - 1;
    else if (m_pos < 0)
        start = step > 0 ? 0 : -1;
    else if (m_pos >= size)
        start = step > 0 ? size : size - 1;
    else
        start = m_pos;
    start += step * skipRows;
    for (int p = start; p >= 0 && p < size; p += step) {
        const int r = m_view[size_t(p)];
        if (c.matches([&](int col) -> const Value& { return s.cell(r, col); })) {
            setPosition(p);
            return;
        }
    }
    setPosition(step > 0 ? size : -1);
}

// --- clones, copies, requery -----------------------------------------------

std::unique_ptr<Recordset> Recordset::Clone() const
{
    requireOpen();
    auto clone = std::make_unique<Recordset>();
    clone->attach(m_store);
    clone->rebuildView(-1);
    return clone;
}

std::unique_ptr<Recordset> Recordset::DetachedCopy() const
{
    requireOpen();
    auto copy = std::make_unique<Recordset>();
    auto store = std::make_shared<RecordsetStore>();
    store->mode = Mode::InMemory;
    store->setFields(m_store->fields);
    store->table = m_store->table;
    store->cells.reserve(int(m_view.size()));
    store->deleted.reserve(m_view.size());
    for (int r : m_view) {
        const Value* cells = m_store->cells.row(r);
        store->appendLoadedRow([cells](int c) { return cells[c]; });
    }
    copy->attach(store);
    copy->rebuildView(-1);
    return copy;
}

void Recordset::Disconnect()
{
    requireOpen();
    if (m_store->mode != Mode::InMemory)
        raise(NotSupported, QStringLiteral("Only an in-memory record set can be disconnected."));
    m_store->conn = nullptr;
    m_store->connAlive.reset();
    m_store->sql.clear();
    m_store->params.clear();
}

void Recordset::Requery()
{
    requireOpen();
    if (m_store->mode == Mode::InMemory && !m_store->conn)
        raise(NotSupported, QStringLiteral("Operation is not allowed on a record set without a connection."));
    commitPendingOnMove();
    Connection* conn = m_store->liveConnection();
    auto store = std::make_shared<RecordsetStore>();
    store->mode = m_store->mode;
    store->conn = m_store->conn;
    store->connAlive = m_store->connAlive;
    store->sql = m_store->sql;
    store->params = m_store->params;
    auto old = m_store;
    const int oldRow = currentStoreRow();
    const qint32 current = oldRow >= 0 ? old->bookmarkOf(oldRow) : 0;
    attach(store);
    resetBookkeeping();
    try {
        loadFrom(*conn, store->sql, store->params);
        // Rows found again keep their bookmarks, so a selection follows them.
        store->adoptBookmarks(*old, conn->handle());
    } catch (...) {
        attach(old);  // keep the rows we had
        rebuildView(oldRow);
        throw;
    }
    // The current row stays current while it is there; else the first row is.
    rebuildView(current ? store->rowOf(current) : -1);
}
