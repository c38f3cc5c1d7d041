#pragma once

#include "platform/Field.h"
#include "platform/Recordset.h"
#include "platform/RecordsetCells.h"
#include "platform/Value.h"

#include <QHash>
#include <QList>
#include <QString>

#include <memory>
#include <unordered_map>
#include <vector>

class Connection;
struct sqlite3;

// "name" as an SQL identifier.
QString quoteSqlIdentifier(const QString& name);

// The rows behind a record set and all its clones. Rows are never removed,
// only marked deleted, so a row's bookmark stays valid for as long as the
// store lives; a requery's new store hands the bookmarks on to the rows it
// finds again.
struct RecordsetStore {
    std::vector<FieldInfo> fields;
    QHash<QString, int> byName;  // lower-case name -> index
    int columns = 0;
    RecordsetCells cells;
    std::vector<uint8_t> deleted;
    std::vector<Recordset*> members;

    Recordset::Mode mode = Recordset::Mode::ReadOnly;
    Connection* conn = nullptr;
    std::weak_ptr<void> connAlive;
    QString sql;
    QList<Value> params;
    QString table;
    std::vector<int> keyColumns;
    int autoKeyColumn = -1;

    // What changed in an in-memory store since its rows were read or last
    // accepted, per row: the columns assigned (Recordset::columnBit), whether the row
    // was added, whether it was deleted. Empty while nothing changed; other
    // modes write their changes through and keep none.
    struct Pending {
        quint64 columns = 0;
        bool added = false;
        bool deleted = false;
    };
    std::vector<Pending> pending;
    void markAssigned(int row, int column)
    {
        if (Pending* p = pendingOf(row))
            p->columns |= Recordset::columnBit(column);
    }
    void markAdded(int row)
    {
        if (Pending* p = pendingOf(row))
            p->added = true;
    }
    void markDeleted(int row)
    {
        if (Pending* p = pendingOf(row))
            p->deleted = true;
    }

    // Rows with an edit pending in any member: their values as last stored,
    // so a cancel can take back one member's changes and leave another's.
    std::unordered_map<int, std::vector<Value>> committed;
    quint64 editClock = 0;  // orders the members' assignments

    int rowCount() const { return int(deleted.size()); }
    Value& cell(int row, int col) { return cells.at(row, col); }
    const Value& cell(int row, int col) const { return cells.at(row, col); }

    // A cell as last stored: what a pending edit replaced, else the cell.
    const Value& storedValue(int row, int col) const
    {
        const auto it = committed.find(row);
        return it != committed.end() ? it->second[size_t(col)] : cell(row, col);
    }

    // Sets the columns of a store without rows.
    void setFields(std::vector<FieldInfo> f);
    // A row of Nulls added at the end; its index.
    int appendRow();
    // A row added at the end with the cells make(column) gives.
    template <class Make>
    void appendLoadedRow(Make&& make)
    {
        cells.appendRow(std::forward<Make>(make));
        deleted.push_back(0);
    }

    qint32 bookmarkOf(int row) const;
    // The live row a bookmark names, -1 when none (unknown or deleted).
    int rowOf(qint32 bookmark) const;
    // Gives each row the bookmark it had in the store this one replaces, the
    // row being found by its key; rows not found get bookmarks never used.
    void adoptBookmarks(const RecordsetStore& previous, sqlite3* db);

    // The table's primary key as columns of the query; empty when the query
    // lacks part of it. `autoKey` is the INTEGER PRIMARY KEY column or -1.
    std::vector<int> primaryKeyColumns(sqlite3* db, int* autoKey = nullptr) const;
    // Whether edits of the column can be written to the base table.
    bool writable(int column) const;

    Connection* liveConnection() const;

    void notifyAppended(int row, const Recordset* origin);
    void notifyRemoved(int row);
    void notifyChanged(int row, int column);
    void notifyValuesChanged();

private:
    // The pending record of a row; none outside in-memory mode.
    Pending* pendingOf(int row);
    // Which columns name a row across requeries: the primary key, else field 0.
    std::vector<int> identityColumns(sqlite3* db) const;
    size_t identityHash(int row, const std::vector<int>& keys) const;
    bool sameValues(int row, const RecordsetStore& other, int otherRow, const std::vector<int>& columns) const;
    qint32 nextFreeBookmark() const;

    // Empty while every row's bookmark is its index + 1 (a store as opened).
    std::vector<qint32> m_bookmarks;
    QHash<qint32, int> m_rowOfBookmark;
    qint32 m_nextBookmark = 1;
};
