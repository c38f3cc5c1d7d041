// The way a text gets into a cell: typed by the user, or entered by a
// command of the program as if typed.
#include "platform/AppError.h"
#include "platform/DataGrid.h"
#include "platform/Recordset.h"
#include "platform/TypedText.h"

#include <QMetaMethod>

bool DataGrid::columnWritable(int column) const
{
    if (!m_rs || !m_rs->IsOpen() || column < 0 || column >= ColumnCount())
        return false;
    const DataGridColumn* c = m_columns[size_t(column)].get();
    return c->Visible() && c->AllowFocus() && !c->Locked() && m_rs->isFieldUpdatable(c->fieldIndex());
}

bool DataGrid::typeIntoCell(int column, const QString& text)
{
    const int row = Row();
    if (row < 0 || !columnWritable(column))
        return false;
    // A refused text left open in a cell is taken back: the program moves on.
    dropEditor();
    Col(column);
    const bool stored = storeEditedText(row, column, text);
    if (stored)
        emit AfterColEdit(column);
    // No commit of the view is running: a refusal is said now, before the
    // command goes on.
    if (!m_afterCommit.empty())
        runAfterCommit();
    return stored;
}

void DataGrid::cancelCellEdit() { dropEditor(); }

bool DataGrid::storeEditedText(int viewRow, int column, const QString& typed)
{
    QString t = typed;
    TypedText::dropNul(t);
    if (!m_rs || !m_rs->IsOpen() || column < 0 || column >= ColumnCount())
        return false;
    const DataGridColumn* c = m_columns[size_t(column)].get();
    const int field = c->fieldIndex();
    if (field < 0)
        return false;
    const bool fromEditor = EditActive() && m_editIndex.column() == column;
    if (fromEditor) {
        m_commitAttempted = true;
        // An edit that changed nothing stores nothing and asks nobody.
        if (t == m_editOriginalText)
            return true;
    }
    const DataGridValueItems& items = c->ValueItems();
    const bool listed = items.Count() > 0 || items.Validate();
    Value newValue;
    const auto toValue = [&](const QString& s, Value* out) {
        if (listed)
            return items.valueFor(s, out);
        *out = s.isEmpty() ? Value::null() : Value(s);
        return true;
    };
    if (!toValue(t, &newValue)) {
        // With nobody to say why, the text is taken back rather than kept.
        m_silentRefusal = !isSignalConnected(QMetaMethod::fromSignal(&DataGrid::ValueNotInList));
        bool retry = false;
        emit ValueNotInList(column, &t, &retry);
        if (!retry || !toValue(t, &newValue))
            return false;
    }
    try {
        const Value old = m_rs->valueAt(viewRow, field);
        bool cancel = false;
        m_checking = true;
        m_checkColumn = column;
        m_checkText = t;
        emit BeforeColUpdate(column, old, &cancel);
        const QString checked = m_checkText;
        m_checking = false;
        m_checkColumn = -1;
        if (cancel) {
            // The refused cell shows what the handler left in its Text.
            if (fromEditor && checked != t)
                setEditorText(checked);
            return false;
        }
        if (checked != t && !toValue(checked, &newValue))
            return false;
        m_syncing = true;
        m_rs->setValueAt(viewRow, field, newValue);
        m_syncing = false;
    } catch (const AppError& e) {
        m_checking = false;
        m_checkColumn = -1;
        m_syncing = false;
        // A text the column's type cannot hold is said in the user's terms.
        tellAfterCommit(e.number() == ErrNo::TypeMismatch
                            ? QStringLiteral("'%1' is not a valid value for column: %2").arg(t, c->Caption())
                            : e.description());
        return false;
    }
    return true;
}
