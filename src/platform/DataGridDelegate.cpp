#include "platform/DataGridDelegate.h"

#include "platform/AppError.h"
#include "platform/DataGrid.h"
#include "platform/LocaleText.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>

#include <limits>

QLineEdit* lineEditOfCellEditor(QWidget* editor)
{
    if (auto* le = qobject_cast<QLineEdit*>(editor))
        return le;
    if (auto* cb = qobject_cast<QComboBox*>(editor))
        return cb->lineEdit();
    return nullptr;
}

QString formatCellValue(const Value& v, const QString& format)
{
    if (format.isEmpty() || v.isNullOrEmpty())
        return v.asText();
    const QLocale loc;
    try {
        if (format.compare(QLatin1String("Medium Time"), Qt::CaseInsensitive) == 0)
            return v.toTime().toString(QStringLiteral("hh:mm AP"));
        if (format.compare(QLatin1String("Short Time"), Qt::CaseInsensitive) == 0)
            return v.toTime().toString(QStringLiteral("HH:mm"));
        if (format.compare(QLatin1String("Long Time"), Qt::CaseInsensitive) == 0)
            return LocaleText::time(v.toTime(), loc);
        if (format.compare(QLatin1String("Short Date"), Qt::CaseInsensitive) == 0)
            return LocaleText::date(v.toDate(), loc);
        if (format.compare(QLatin1String("Long Date"), Qt::CaseInsensitive) == 0)
            return LocaleText::date(v.toDate(), loc, QLocale::LongFormat);
        if (!v.isNumeric())
            return v.asText();
        const double d = v.toDouble();
        if (format.compare(QLatin1String("General Number"), Qt::CaseInsensitive) == 0)
            return Value::generalNumber(d);
        if (format.compare(QLatin1String("Fixed"), Qt::CaseInsensitive) == 0)
            return loc.toString(d, 'f', 2).remove(loc.groupSeparator());
        if (format.compare(QLatin1String("Standard"), Qt::CaseInsensitive) == 0)
            return loc.toString(d, 'f', 2);
        if (format.compare(QLatin1String("Percent"), Qt::CaseInsensitive) == 0)
            return loc.toString(d * 100, 'f', 2) + QLatin1Char('%');
        if (format.contains(QLatin1Char('0')) || format.contains(QLatin1Char('#'))) {
            const int dot = format.indexOf(QLatin1Char('.'));
            const int decimals = dot < 0 ? 0 : int(format.size()) - dot - 1;
            QString s = loc.toString(d, 'f', decimals);
            if (!format.contains(QLatin1Char(',')))
                s.remove(loc.groupSeparator());
            return s;
        }
    } catch (const AppError&) {
    }
    return v.asText();
}

DataGridDelegate::DataGridDelegate(DataGrid* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

QWidget* DataGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const
{
    const DataGridColumn* c = m_grid->Columns(index.column());
    const DataGridValueItems& items = c->ValueItems();
    QWidget* editor = nullptr;
    if (items.Count() > 0 && (items.isDropDown() || c->Button())) {
        auto* cb = new QComboBox(parent);
        cb->setEditable(true);
        cb->setInsertPolicy(QComboBox::NoInsert);
        for (int i = 0; i < items.Count(); ++i)
            cb->addItem(items.Item(i).DisplayValue());
        if (items.Presentation() == DataGridValueItems::SortedComboBox)
            cb->model()->sort(0);
        editor = cb;
    } else {
        auto* le = new QLineEdit(parent);
        le->setFrame(false);
        le->setMaxLength(std::numeric_limits<int>::max());  // a cell takes what its column stores
        editor = le;
    }
    m_grid->editorOpened(editor, index);
    return editor;
}

void DataGridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    const QString text = index.data(Qt::EditRole).toString();
    if (auto* cb = qobject_cast<QComboBox*>(editor)) {
        cb->setCurrentIndex(cb->findText(text, Qt::MatchFixedString));
        cb->setEditText(text);
        // The first key typed replaces the text, as in every other cell.
        cb->lineEdit()->selectAll();
    } else if (auto* le = qobject_cast<QLineEdit*>(editor)) {
        le->setText(text);
    }
}

void DataGridDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    if (QLineEdit* le = lineEditOfCellEditor(editor))
        m_grid->m_lastStoreOk = model->setData(index, le->text(), Qt::EditRole);
}

bool DataGridDelegate::eventFilter(QObject* object, QEvent* event)
{
    // Tab and Shift+Tab store the cell and go on along the row, as in a
    // spreadsheet; Qt's own next-item step would land wherever the current
    // cell is put back after the store.
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
        if (tab && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            m_grid->tabFromEditor(key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier));
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}
