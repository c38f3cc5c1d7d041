#include "platform/DataGridColumn.h"

#include "platform/AppError.h"
#include "platform/DataGrid.h"
#include "platform/Recordset.h"

#include <QHeaderView>
#include <QLineEdit>

#include <cmath>

namespace {

constexpr qint32 SubscriptOutOfRange = 9;

bool sameValue(const Value& a, const Value& b)
{
    if (a.isNullOrEmpty() || b.isNullOrEmpty())
        return a.isNullOrEmpty() && b.isNullOrEmpty();
    try {
        // A list of flags or ids holds numbers; the cell may hold "1" or 1.0.
        if (a.isNumeric() && b.isNumeric())
            return a.toDouble() == b.toDouble();
        return a == b;
    } catch (const AppError&) {
        return false;
    }
}

}  // namespace

// --- value items -------------------------------------------------------------

void DataGridValueItems::Remove(int index)
{
    if (index < 0 || index >= Count())
        AppError::raise(SubscriptOutOfRange, {}, QStringLiteral("ValueItems"));
    m_items.removeAt(index);
}

const ValueItem& DataGridValueItems::Item(int index) const
{
    if (index < 0 || index >= Count())
        AppError::raise(SubscriptOutOfRange, {}, QStringLiteral("ValueItems"));
    return m_items[index];
}

int DataGridValueItems::indexOfValue(const ::Value& value) const
{
    for (int i = 0; i < Count(); ++i)
        if (sameValue(m_items[i].Value(), value))
            return i;
    return -1;
}

int DataGridValueItems::indexOfDisplay(const QString& text) const
{
    for (int i = 0; i < Count(); ++i)
        if (m_items[i].DisplayValue().compare(text, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString DataGridValueItems::displayFor(const ::Value& value) const
{
    if (m_translate) {
        const int i = indexOfValue(value);
        if (i >= 0)
            return m_items[i].DisplayValue();
    }
    return value.asText();
}

bool DataGridValueItems::valueFor(const QString& text, ::Value* out) const
{
    int i = indexOfDisplay(text);
    if (i < 0 && !m_translate)
        i = indexOfValue(::Value(text));
    if (i >= 0) {
        *out = m_translate ? m_items[i].Value() : ::Value(text);
        return true;
    }
    // An empty cell is always allowed: it stores Null.
    if (text.isEmpty()) {
        *out = ::Value::null();
        return true;
    }
    *out = ::Value(text);
    return !m_validate;
}

// --- column --------------------------------------------------------------------

DataGridColumn::DataGridColumn(DataGrid* grid, int index) : m_grid(grid), m_index(index) {}

void DataGridColumn::DataField(const QString& name)
{
    m_dataField = name;
    m_fieldIndex = -1;
    if (Recordset* rs = m_grid->DataSource(); rs && rs->IsOpen() && !name.isEmpty())
        m_fieldIndex = rs->FieldIndex(name);
    m_grid->columnChanged(this);
}

void DataGridColumn::Caption(const QString& text)
{
    m_caption = text;
    m_grid->columnChanged(this);
}

void DataGridColumn::Visible(bool on)
{
    m_visible = on;
    m_grid->applyColumnLayout(this);
}

void DataGridColumn::NumberFormat(const QString& format)
{
    m_numberFormat = format;
    m_grid->columnChanged(this);
}

void DataGridColumn::Width(double twips)
{
    m_width = twips < 0 ? 0 : twips;
    m_grid->applyColumnLayout(this);
}

int DataGridColumn::Order() const { return m_grid->horizontalHeader()->visualIndex(m_index); }

void DataGridColumn::Order(int visualPosition)
{
    QHeaderView* h = m_grid->horizontalHeader();
    const int last = h->count() - 1;
    if (last < 0)
        return;
    const int to = std::clamp(visualPosition, 0, last);
    const int from = h->visualIndex(m_index);
    if (from >= 0 && from != to)
        h->moveSection(from, to);
}

::Value DataGridColumn::Value() const
{
    Recordset* rs = m_grid->DataSource();
    if (!rs || !rs->IsOpen() || m_fieldIndex < 0)
        return ::Value::null();
    const int row = rs->currentViewRow();
    if (row < 0)
        return ::Value::null();
    return rs->valueAt(row, m_fieldIndex);
}

void DataGridColumn::Value(const ::Value& v)
{
    Recordset* rs = m_grid->DataSource();
    if (!rs || !rs->IsOpen() || m_fieldIndex < 0)
        AppError::raise(SubscriptOutOfRange, {}, QStringLiteral("DataGridColumn"));
    const int row = rs->currentViewRow();
    if (row < 0)
        AppError::raise(3021, AppError::standardDescription(3021), QStringLiteral("DataGridColumn"));
    rs->setValueAt(row, m_fieldIndex, v);
}

QString DataGridColumn::Text() const
{
    if (m_grid->m_checking && m_grid->m_checkColumn == m_index)
        return m_grid->m_checkText;
    if (m_grid->EditActive() && m_grid->m_editIndex.column() == m_index)
        return m_grid->editorText();
    const int row = m_grid->Row();
    return row < 0 ? QString() : m_grid->cellText(row, m_index);
}

void DataGridColumn::Text(const QString& text)
{
    if (m_grid->m_checking && m_grid->m_checkColumn == m_index) {
        m_grid->m_checkText = text;
        return;
    }
    if (m_grid->EditActive() && m_grid->m_editIndex.column() == m_index) {
        m_grid->setEditorText(text);
        return;
    }
    // Outside an edit, the text is stored as if typed.
    const int row = m_grid->Row();
    if (row >= 0)
        m_grid->storeEditedText(row, m_index, text);
}
