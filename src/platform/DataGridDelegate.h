#pragma once

#include "platform/Value.h"

#include <QStyledItemDelegate>

class DataGrid;

// Editors for the grid's cells: a combo box for columns with a drop-down value
// list, a plain line edit otherwise.
class DataGridDelegate : public QStyledItemDelegate {
public:
    explicit DataGridDelegate(DataGrid* grid);
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    DataGrid* m_grid;
};

// A cell value in a column's number format: named formats ("Medium Time",
// "Short Date", "Fixed", ...) and simple "0.00" pictures; anything else shows
// the value as is.
QString formatCellValue(const Value& v, const QString& format);

// The line edit of a cell editor (a combo box's own one), or null.
class QLineEdit;
QLineEdit* lineEditOfCellEditor(QWidget* editor);
