#pragma once

#include "platform/DataGridColumn.h"
#include "platform/DataGridSelBookmarks.h"
#include "platform/Value.h"

#include <QPersistentModelIndex>
#include <QPointer>
#include <QTableView>

#include <functional>
#include <memory>
#include <vector>

class DataGridPrintInfo;
class Recordset;
class RecordsetModel;

// A table bound to a record set. Rows are the record set's view (its Sort and
// Filter), read on demand, and the grid follows every change the record set
// signals. The current row is the record set's current row, both ways.
// Columns are objects with the design's properties; events are signals whose
// pointer arguments let a handler cancel or change what happens.
class DataGrid : public QTableView {
    Q_OBJECT
public:
    explicit DataGrid(QWidget* parent = nullptr);
    ~DataGrid() override;

    // Binding. Designed columns (AddColumn before binding) are bound to their
    // DataField by name; a grid without columns gets one per field.
    Recordset* DataSource() const { return m_rs; }
    void DataSource(Recordset* rs);
    // Binds the columns again and rereads every row.
    void ReBind();
    // Rereads the rows shown; the selection and position stay.
    void Refresh();

    // Columns by design index.
    int ColumnCount() const { return static_cast<int>(m_columns.size()); }
    DataGridColumn* Columns(int index) const;  // 9 when out of range
    DataGridColumn* AddColumn(const QString& dataField, const QString& caption = {});
    void ClearColumns();

    // The current row's bookmark (Null when none); setting it moves there.
    Value Bookmark() const;
    void Bookmark(const Value& bookmark);
    // Current column (design index), -1 when none.
    int Col() const;
    void Col(int column);
    // Current view row, -1 when none.
    int Row() const;

    DataGridSelBookmarks& SelBookmarks() { return m_selBookmarks; }
    const DataGridSelBookmarks& SelBookmarks() const { return m_selBookmarks; }
    // Selected columns as a range of visual positions' design indexes; -1 when none.
    int SelStartCol() const { return m_selStartCol; }
    void SelStartCol(int column);
    int SelEndCol() const { return m_selEndCol; }
    void SelEndCol(int column);
    void ClearSelCols();
    // Design indexes of the selected columns, left to right as shown.
    QList<int> selectedColumns() const;

    bool AllowUpdate() const { return m_allowUpdate; }
    void AllowUpdate(bool on) { m_allowUpdate = on; }

    // Editing. EditActive is true while a cell editor is open; setting it
    // opens the current cell's editor or commits it. A refused text keeps its
    // editor open, and its cell current, until it is put right or taken back
    // (Escape, cancelPendingEdit); the row keeps what it had meanwhile.
    bool EditActive() const;
    void EditActive(bool on);
    int SelStart() const;
    void SelStart(int position);
    int SelLength() const;
    void SelLength(int length);
    QString SelText() const;
    // The open editor's text differs from the cell's.
    bool CurrentCellModified() const;
    // The current row has changes not yet committed (a cell edit or a record
    // set edit in progress).
    bool DataChanged() const;
    // Ends the cell edit, checking and storing it; false when refused.
    bool commitPendingEdit();
    // For a box that a handler of BeforeColUpdate or ValueNotInList raises:
    // those run inside the cell's commit, which may be a focus change, and a
    // modal box there would run its own event loop while the view is closing
    // the editor. The box is shown once the commit has returned; a refused
    // cell's editor has the focus again afterwards.
    void showAfterCommit(std::function<void()> box);
    // Drops the cell edit and any uncommitted change of the current row.
    void cancelPendingEdit();
    // Gives the open cell back its stored text; the row keeps its other changes.
    void cancelCellEdit();
    // A column the user types into, or a command of the program writes:
    // shown, taking the focus, not locked, its field stored. (AllowUpdate off
    // keeps only the user's own cell editors shut.)
    bool columnWritable(int column) const;
    // For the program's own commands (find and replace): enters a text into
    // the current row's cell of a writable column as if typed and the cell
    // left, through the column's list, BeforeColUpdate and AfterColEdit; a
    // refusal is told before it returns. False when the column is not
    // writable or the text was refused.
    bool typeIntoCell(int column, const QString& text);
    // Commits the cell edit and then the row; false when a BeforeUpdate
    // handler refused the row (its edit stays pending).
    bool Update();

    // Rereads a column (-1: all) of the current row, or a whole row (Null: current).
    void RefetchCol(int column = -1);
    void RefetchRow(const Value& bookmark = Value());

    DataGridPrintInfo* PrintInfo();

    // The cell's shown text (translated, formatted); used by the model and printing.
    QString cellText(int viewRow, int column) const;
    // The editor widget while a cell is edited.
    QWidget* cellEditor() const { return EditActive() ? m_editor.data() : nullptr; }

signals:
    void HeadClick(int col);
    void BeforeColEdit(int col, int key, bool* cancel);
    void BeforeColUpdate(int col, Value oldValue, bool* cancel);
    void AfterColEdit(int col);
    // A typed text not in a validating value list; a handler may change the
    // text or the list and set retry to check again.
    void ValueNotInList(int col, QString* text, bool* retry);
    // Cells of a column with NumberFormat "FormatText Event": set the value
    // to what the cell shows.
    void FormatText(int col, Value* value);
    // Before a row's changes are written: a handler may refuse them.
    void BeforeUpdate(bool* cancel);
    void AfterUpdate();
    void DblClick();
    // Mouse buttons 1 left, 2 right, 4 middle; shift 1 Shift, 2 Ctrl, 4 Alt.
    void MouseUp(int button, int shift, int x, int y);
    void GotFocus();
    void LostFocus();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    friend class DataGridColumn;
    friend class DataGridSelBookmarks;
    friend class DataGridDelegate;
    friend class RecordsetModel;

    void bindColumns();
    void applyColumnLayout(DataGridColumn* c);
    void columnChanged(DataGridColumn* c);
    void mirrorSelection();
    void onRecordsetCurrentChanged(int viewRow);
    void onRowsReset();
    void onSectionClicked(int logical);
    void onRowHeaderClicked(int row);
    void onSectionResized(int logical, int oldSize, int newSize);
    void onFocusChanged(QWidget* old, QWidget* now);
    bool ownsWidget(const QWidget* w) const;
    // Checks a typed text for a column and stores it (without NUL characters); false when refused.
    bool storeEditedText(int viewRow, int column, const QString& text);
    QString editText(int viewRow, int column) const;
    QString editorText() const;
    void setEditorText(const QString& text);
    void snapshotOrder();
    void restoreLayout();
    void editorOpened(QWidget* editor, const QModelIndex& index);
    // Closes the cell editor whatever its text, through this view.
    void dropEditor();
    bool holdsRefusedCell() const { return m_refused && EditActive(); }
    void runAfterCommit();
    void tellAfterCommit(const QString& text);
    // Tab in a cell editor: the cell is stored through its checks, then the
    // next (or previous) editable column becomes current, on to the next row.
    void tabFromEditor(bool forward);

    Recordset* m_rs = nullptr;
    std::unique_ptr<RecordsetModel> m_model;
    std::vector<std::unique_ptr<DataGridColumn>> m_columns;
    bool m_autoColumns = false;  // columns made from the fields, remade on rebind
    DataGridSelBookmarks m_selBookmarks{this};
    int m_selStartCol = -1;
    int m_selEndCol = -1;
    int m_rowAnchor = -1;
    bool m_allowUpdate = true;
    bool m_syncing = false;
    bool m_layingOut = false;
    bool m_hasFocus = false;
    QPointer<QWidget> m_editor;
    QPersistentModelIndex m_editIndex;
    QString m_editOriginalText;
    // The open editor's text was refused at its last commit.
    bool m_refused = false;
    // The last refusal was of a text not in its list that nobody answers for.
    bool m_silentRefusal = false;
    // A press the refused cell held back: its release is not a click either.
    bool m_pressHeld = false;
    std::vector<std::function<void()>> m_afterCommit;
    bool m_showingAfterCommit = false;
    // While an edit is checked, the text being entered (Text of the column).
    bool m_checking = false;
    int m_checkColumn = -1;
    bool m_lastStoreOk = true;
    bool m_commitAttempted = false;
    std::vector<int> m_visualOrder;  // design indexes as shown, kept over model resets
    int m_columnBeforeReset = -1;
    QString m_checkText;
    std::unique_ptr<DataGridPrintInfo> m_printInfo;
};
