#include "app/clsLstBoxHelper.h"

#include "app/RecordsetFill.h"
#include "platform/AppError.h"
#include "platform/Recordset.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QListWidget>

namespace {
template <typename F>
auto rethrown(const char* member, F&& body)
{
    return withErrorSource(QStringLiteral("clsLstBoxHelper.") + QLatin1String(member), std::forward<F>(body));
}

bool isMultiSelect(const QListWidget* lst)
{
    const auto mode = lst->selectionMode();
    return mode == QAbstractItemView::MultiSelection || mode == QAbstractItemView::ExtendedSelection;
}
}  // namespace

qint32 clsLstBoxHelper::itemData(const QListWidget* lst, int row)
{
    const QListWidgetItem* item = lst->item(row);
    return item ? item->data(ItemDataRole).toInt() : 0;
}

qint16 clsLstBoxHelper::AddItemDataListBoxPl(QListWidget* lst, const QString& text, qint32 itemData)
{
    return rethrown("AddItemDataListBoxPl", [&] {
        auto* item = new QListWidgetItem(text);
        item->setData(ItemDataRole, itemData);
        lst->addItem(item);
        return qint16(lst->row(item));
    });
}

void clsLstBoxHelper::ClearSelectionsListBoxP(QListWidget* lst) { lst->clearSelection(); }

void clsLstBoxHelper::CopyListBoxItemsToCbP(QListWidget* lst, bool selectedOnly, const QString& delimiter)
{
    rethrown("CopyListBoxItemsToCbP", [&] {
        QString text;
        if (!selectedOnly || isMultiSelect(lst)) {
            for (int i = 0; i < lst->count(); ++i)
                if (!selectedOnly || lst->item(i)->isSelected())
                    text += lst->item(i)->text() + delimiter;
        } else if (lst->currentRow() != -1) {
            text = lst->currentItem()->text() + delimiter;
        }
        if (text.isEmpty())
            return;
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->clear();
        clipboard->setText(text);
    });
}

qint32 clsLstBoxHelper::FindItemDataInListBoxPl(QListWidget* lst, const Value& value)
{
    return rethrown("FindItemDataInListBoxPl", [&]() -> qint32 {
        if (value.isNullOrEmpty())
            return -1;
        const double wanted = value.toDouble();
        for (int i = 0; i < lst->count(); ++i)
            if (double(itemData(lst, i)) == wanted)
                return i;
        return -1;
    });
}

qint32 clsLstBoxHelper::FindStringListBoxPl(QListWidget* lst, const QString& text, bool exact)
{
    for (int i = 0; i < lst->count(); ++i) {
        const QString item = lst->item(i)->text();
        if (exact ? item.compare(text, Qt::CaseInsensitive) == 0 : item.startsWith(text, Qt::CaseInsensitive))
            return i;
    }
    return -1;
}

void clsLstBoxHelper::AdoRecordSetToListBoxP(Recordset& rs, QListWidget* lst, const Value& textColumn,
                                             const Value& itemDataColumn)
{
    rethrown("AdoRecordSetToListBoxP", [&] {
        lst->clear();
        fillFromRecordset(rs, textColumn, itemDataColumn, [lst](const QString& text, std::optional<qint32> data) {
            auto* item = new QListWidgetItem(text);
            item->setData(ItemDataRole, data.value_or(0));
            lst->addItem(item);
        });
    });
}
