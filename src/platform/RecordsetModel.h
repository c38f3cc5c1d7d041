#pragma once

#include <QAbstractTableModel>
#include <QPointer>

class DataGrid;
class Recordset;

// The rows of a bound record set's view as a table model, read on demand
// through Recordset::valueAt: nothing is copied, so a large record set opens
// at once. Columns are the grid's columns by design index.
class RecordsetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit RecordsetModel(DataGrid* grid);

    void setRecordset(Recordset* rs);
    Recordset* recordset() const { return m_rs; }
    // Rereads rows and columns after a rebind.
    void reset();
    void columnsChanged();
    void refetch(int row, int column);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void onRowsReset();
    void onRowInserted(int viewRow);
    void onRowRemoved(int viewRow);
    void onRowChanged(int viewRow, int column);
    void onCurrentChanged(int viewRow);
    void onValuesChanged();

    DataGrid* m_grid;
    QPointer<Recordset> m_rs;
    int m_rows = 0;
    int m_columns = 0;
    int m_markedRow = -1;  // the record selector showing the current row
};
