#include "platform/RecordsetModel.h"

#include "platform/AppError.h"
#include "platform/DataGrid.h"
#include "platform/Recordset.h"

RecordsetModel::RecordsetModel(DataGrid* grid) : QAbstractTableModel(nullptr), m_grid(grid) {}

void RecordsetModel::setRecordset(Recordset* rs)
{
    if (m_rs)
        disconnect(m_rs, nullptr, this, nullptr);
    m_rs = rs;
    if (rs) {
        connect(rs, &Recordset::rowsReset, this, &RecordsetModel::onRowsReset);
        connect(rs, &Recordset::rowInserted, this, &RecordsetModel::onRowInserted);
        connect(rs, &Recordset::rowRemoved, this, &RecordsetModel::onRowRemoved);
        connect(rs, &Recordset::rowChanged, this, &RecordsetModel::onRowChanged);
        connect(rs, &Recordset::currentChanged, this, &RecordsetModel::onCurrentChanged);
        connect(rs, &Recordset::valuesChanged, this, &RecordsetModel::onValuesChanged);
    }
    reset();
}

void RecordsetModel::onCurrentChanged(int viewRow)
{
    for (int row : {m_markedRow, viewRow})
        if (row >= 0 && row < m_rows)
            emit headerDataChanged(Qt::Vertical, row, row);
    m_markedRow = viewRow;
}

void RecordsetModel::reset()
{
    beginResetModel();
    m_rows = (m_rs && m_rs->IsOpen()) ? m_rs->RecordCount() : 0;
    m_columns = m_grid->ColumnCount();
    endResetModel();
}

void RecordsetModel::columnsChanged()
{
    if (m_columns != m_grid->ColumnCount())
        reset();
    else if (m_columns > 0)
        emit headerDataChanged(Qt::Horizontal, 0, m_columns - 1);
}

void RecordsetModel::refetch(int row, int column)
{
    if (row < 0 || row >= m_rows || m_columns == 0)
        return;
    const int first = column < 0 ? 0 : column;
    const int last = column < 0 ? m_columns - 1 : column;
    emit dataChanged(index(row, first), index(row, last));
}

int RecordsetModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_rows; }

int RecordsetModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_columns; }

QVariant RecordsetModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !m_rs || !m_rs->IsOpen())
        return {};
    try {
        switch (role) {
        case Qt::DisplayRole: return m_grid->cellText(index.row(), index.column());
        case Qt::EditRole: return m_grid->editText(index.row(), index.column());
        case Qt::TextAlignmentRole: {
            const DataGridColumn* c = m_grid->Columns(index.column());
            if (c->fieldIndex() < 0)
                return {};
            const Value v = m_rs->valueAt(index.row(), c->fieldIndex());
            // A number shown as its listed text, or as its owner's text beside
            // such, reads as text.
            const DataGridValueItems& items = c->ValueItems();
            const bool number = (v.kind() == Value::Kind::Long || v.kind() == Value::Kind::Double)
                && !(items.Translate()
                     && (items.indexOfValue(v) >= 0 || c->NumberFormat() == QLatin1String("FormatText Event")));
            return QVariant::fromValue(Qt::Alignment((number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
        }
        default: return {};
        }
    } catch (const AppError&) {
        // A row gone between the signal and the paint shows empty.
        return {};
    }
}

bool RecordsetModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    return m_grid->storeEditedText(index.row(), index.column(), value.toString());
}

Qt::ItemFlags RecordsetModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const DataGridColumn* c = m_grid->Columns(index.column());
    // A joined table's column cannot be stored: it opens no editor.
    if (m_grid->AllowUpdate() && !c->Locked() && c->AllowFocus() && m_rs && m_rs->isFieldUpdatable(c->fieldIndex()))
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant RecordsetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal && section >= 0 && section < m_columns)
        return m_grid->Columns(section)->Caption();
    // Record selectors carry no numbers; the current row's shows a marker,
    // so the row a command works on is seen even while the grid has no focus.
    if (orientation == Qt::Vertical && m_rs && m_rs->IsOpen() && section == m_rs->currentViewRow())
        return QStringLiteral("\u25B6");
    return QString();
}

void RecordsetModel::onRowsReset() { reset(); }

void RecordsetModel::onRowInserted(int viewRow)
{
    const int count = m_rs->IsOpen() ? m_rs->RecordCount() : 0;
    if (viewRow < 0 || viewRow > m_rows || count != m_rows + 1) {
        reset();
        return;
    }
    beginInsertRows(QModelIndex(), viewRow, viewRow);
    m_rows = count;
    endInsertRows();
}

void RecordsetModel::onRowRemoved(int viewRow)
{
    const int count = m_rs->IsOpen() ? m_rs->RecordCount() : 0;
    if (viewRow < 0 || viewRow >= m_rows || count != m_rows - 1) {
        reset();
        return;
    }
    beginRemoveRows(QModelIndex(), viewRow, viewRow);
    m_rows = count;
    endRemoveRows();
}

void RecordsetModel::onRowChanged(int viewRow, int column)
{
    if (viewRow < 0 || viewRow >= m_rows || m_columns == 0)
        return;
    if (column < 0) {
        emit dataChanged(index(viewRow, 0), index(viewRow, m_columns - 1));
        return;
    }
    for (int c = 0; c < m_columns; ++c)
        if (m_grid->Columns(c)->fieldIndex() == column)
            emit dataChanged(index(viewRow, c), index(viewRow, c));
}

void RecordsetModel::onValuesChanged()
{
    if (m_rows > 0 && m_columns > 0)
        emit dataChanged(index(0, 0), index(m_rows - 1, m_columns - 1));
}
