#pragma once

#include "platform/Field.h"
#include "platform/Value.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class Connection;
struct RecordsetStore;

// A client-side snapshot of a query's rows. Opening runs the statement to its
// end and finalizes it, so the count is exact and no statement stays open.
//
// Modes:
//  ReadOnly  - any edit raises 3251.
//  Editable  - a query over one table; Update/Delete write through at once as
//              INSERT/UPDATE/DELETE by the table's primary key. After an insert
//              the new key is in the key field. A row gone from the table makes
//              Update or Delete fail (0x80040E38), never silently succeed.
//  InMemory  - editable, nothing is ever written (detached copies, lists).
//
// Clones share the rows: each has its own position, Sort and Filter; edits and
// deletions made through one are seen by all. Bookmarks are valid across clones.
//
// Editing: assigning a field of the current row starts an edit (EditMode
// InProgress) and the new value is seen at once by every clone; Update commits
// it (writes it through when Editable), CancelUpdate takes back this side's
// own changes (another clone's pending changes of the row stay). In an
// Editable record set a column the base table does not hold (a joined
// table's, an expression) refuses assignment with 3251.
// Moving away from, or closing, a row with a pending edit updates it first.
// AddNew appends a row at the end of this view and makes it current.
//
// Positions: AbsolutePosition is 1-based within the filtered, sorted view;
// view rows (0-based) are what the change signals report.
//
// Errors carry the raw numbers (callers add the object-error base where their
// class does): 3021 no current row, 3265 unknown field, 3251 not updatable,
// 3704 closed, 3159 bad bookmark, 3001 bad argument or criteria, 0x80040E38
// row gone, 13 a value the column cannot take; SQLite refusals as Connection.
// A failed Update leaves the edit pending so it can be fixed or cancelled.
class Recordset : public QObject {
    Q_OBJECT
public:
    enum class Mode { ReadOnly, Editable, InMemory };
    enum EditModeEnum { EditNone = 0, EditInProgress = 1, EditAdd = 2 };
    enum StateEnum { StateClosed = 0, StateOpen = 1 };
    enum SearchDirection { SearchForward = 1, SearchBackward = -1 };

    explicit Recordset(QObject* parent = nullptr);
    ~Recordset() override;  // stores a pending edit if it can; never throws

    // Opens a snapshot of a query; closes first when already open.
    void Open(Connection& conn, const QString& sql, Mode mode = Mode::ReadOnly);
    void Open(Connection& conn, const QString& sql, const QList<Value>& params, Mode mode);
    // An empty in-memory record set with the given columns.
    void OpenInMemory(const QList<FieldInfo>& fields);
    void Close();
    int State() const;
    bool IsOpen() const { return State() == StateOpen; }
    Mode OpenMode() const;
    QString Source() const;     // the SQL it was opened with
    QString BaseTable() const;  // the table edits write to ("" when none)

    // Fields of the current row.
    int FieldCount() const;
    Field Fields(int index) const;              // raises 3265 when out of range
    Field Fields(const QString& name) const;    // case-insensitive; 3265 when unknown
    int FieldIndex(const QString& name) const;  // -1 when unknown
    const FieldInfo& fieldInfo(int index) const;
    QList<FieldInfo> fieldInfos() const;

    // Navigation over the filtered, sorted view.
    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();
    void Move(int rows);
    bool IsEOF() const;
    bool IsBOF() const;
    int RecordCount() const;
    int AbsolutePosition() const;  // 1-based; -2 at BOF or when empty, -3 at EOF
    void AbsolutePosition(int position);

    // Stable identity of a row, valid across clones and kept by Requery; 3159
    // when it names no row (any more).
    qint32 Bookmark() const;
    void Bookmark(qint32 bookmark);

    // Editing.
    void AddNew();
    void Update();
    void CancelUpdate();
    void Delete();  // the current row; the position stays on it until a move
    int EditMode() const;

    // "field [ASC|DESC] [NULLS LAST], ...": text case-insensitive, Nulls first
    // (after the rest with NULLS LAST), stable.
    // Keeps the current row when it is still in the view.
    QString Sort() const;
    void Sort(const QString& sortText);
    // Criteria such as "a = 1 AND (b LIKE 'T*' OR c <> 'x')"; "" or "0" clears.
    // Setting it moves to the first row of the new view.
    QString Filter() const;
    void Filter(const QString& criteria);
    // Moves to the next row (from the current one, skipping `skipRows`) that
    // meets the criterion; EOF (or BOF when searching backward) when none does.
    void Find(const QString& criterion, int skipRows = 0, SearchDirection direction = SearchForward);

    // A record set over the same rows with its own position, Sort and Filter;
    // it starts unsorted and unfiltered, on the first row.
    std::unique_ptr<Recordset> Clone() const;
    // An unconnected, editable in-memory copy of every row of the view, from
    // the first whatever the current row is. This record set does not move.
    std::unique_ptr<Recordset> DetachedCopy() const;
    // Makes an in-memory record set (and its clones) unconnected, as a
    // detached copy is, without copying a row: it keeps its rows and forgets
    // its connection and statement, so Requery raises 3251. 3251 for a record
    // set of another mode.
    void Disconnect();
    // Runs the query again (a new snapshot); Sort and Filter are kept and
    // reapplied; clones made before keep the old rows. Every row found again
    // by its key (the base table's primary key, else field 0) keeps its
    // bookmark, and the current row stays current; when it is gone the first
    // row is current.
    void Requery();

    // Runs the query again for the rows whose field `column` holds `key`,
    // and for no other: each such row takes the values read again and keeps
    // its bookmark, one the query no longer returns goes, one it returns anew
    // comes at the end. The rows are read by the record set's own statement,
    // narrowed to the key, so they are exactly what a Requery would hold.
    // Every record set over the rows follows: a view with a Sort or Filter,
    // or one that gained or lost rows, is built again on its current row (the
    // first when that is gone), any other hears of each changed row. A
    // pending edit of this record set is stored first; 3251 without a connection.
    void RequeryRows(int column, const Value& key);

    // What an in-memory record set's owner writes back itself, as one batch:
    // the rows added, assigned to or deleted since the rows were read (or
    // since AcceptChanges), in the order the rows came, with their values (a
    // deleted row's as it went). A row added and deleted again is not among
    // them, nor one assigned none of `columns` (columnBit of each). A row's
    // `columns` has the bit of each column assigned, every bit for a row
    // added or deleted. Other modes write through and have none.
    struct PendingRow {
        qint32 bookmark = 0;
        bool added = false;
        bool deleted = false;
        quint64 columns = 0;
        std::vector<Value> values;
    };
    std::vector<PendingRow> PendingRows(quint64 columns = ~quint64(0)) const;
    static quint64 columnBit(int column) { return quint64(1) << (column < 63 ? column : 63); }
    // The rows as they are now count as read: nothing is pending.
    void AcceptChanges();

    // Stores values the program works out itself (derived columns) into one
    // column of the rows of this view: valueOf(viewRow) for each, nothing
    // where it gives no value; a cell holding the same kind and value is left
    // alone. In-memory record sets only (3251 otherwise). No edit starts and
    // nothing moves; every record set over the rows signals valuesChanged()
    // once when a cell changed. Returns how many cells changed.
    int storeColumn(int column, const std::function<std::optional<Value>(int viewRow)>& valueOf);

    // Access by view row without moving, for a bound grid.
    Value valueAt(int viewRow, int column) const;
    // Moves to the row and assigns the field (starting an edit as above).
    void setValueAt(int viewRow, int column, const Value& v);
    qint32 bookmarkAt(int viewRow) const;
    // Whether an edit of the column can be stored: false when read-only, and
    // in an Editable record set for columns its base table does not hold.
    bool isFieldUpdatable(int column) const;
    int viewRowOfBookmark(qint32 bookmark) const;  // -1 when not in this view
    int currentViewRow() const;                    // -1 when at BOF/EOF or on a deleted row
    void setCurrentViewRow(int viewRow);

signals:
    void rowsReset();                          // open, requery, sort, filter, close
    void rowInserted(int viewRow);             // AddNew here or in a clone
    void rowRemoved(int viewRow);              // Delete here or in a clone, cancelled AddNew
    void rowChanged(int viewRow, int column);  // column -1: the whole row
    void currentChanged(int viewRow);          // -1 at BOF/EOF
    void valuesChanged();                      // cells of many rows at once (storeColumn)

private:
    friend class Field;
    friend struct RecordsetStore;

    void requireOpen() const;
    void requireCurrent() const;
    void requireWritable() const;
    Value currentValue(int column) const;
    void setCurrentValue(int column, const Value& v);
    void loadFrom(Connection& conn, const QString& sql, const QList<Value>& params);
    // Rebuilds the view from Sort and Filter, on the given store row when it
    // is in the new view, else on the first row.
    void rebuildView(int currentRow);
    int currentStoreRow() const;  // -1 when there is no current row
    void endEdit();
    bool changedHere(int column) const
    {
        return size_t(column) < m_editStamp.size() && m_editStamp[size_t(column)] != 0;
    }
    // Another clone with a pending change of the column on the row, the latest one.
    const Recordset* latestOtherEdit(int row, int column) const;
    void setPosition(int pos, bool currentDeleted = false);
    void commitPendingOnMove();
    void writeInsert(int row);
    void writeUpdate(int row);
    void writeDelete(int row);
    void refreshRowFromTable(int row);
    void resetBookkeeping();
    void attach(std::shared_ptr<RecordsetStore> store);
    void detach();
    void indexDirty() { m_posOfRowValid = false; }
    int posOfRow(int row) const;

    // Store notifications, translated into this view's rows.
    void storeRowAppended(int row, const Recordset* origin);
    void storeRowRemoved(int row);
    void storeRowChanged(int row, int column);

    std::shared_ptr<RecordsetStore> m_store;
    std::vector<int> m_view;  // store rows in view order
    mutable std::vector<int> m_posOfRow;
    mutable bool m_posOfRowValid = false;
    int m_pos = -1;            // index in m_view; -1 BOF, m_view.size() EOF
    bool m_onDeleted = false;  // the current row was deleted; m_pos is where it was
    int m_editMode = EditNone;
    int m_editRow = -1;
    int m_rowBeforeAdd = -1;
    // Per column: when this side last assigned it (0: never) and what it assigned.
    std::vector<quint64> m_editStamp;
    std::vector<Value> m_editWritten;
    QString m_sort;
    QString m_filter;
};
