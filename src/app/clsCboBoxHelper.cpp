#include "app/clsCboBoxHelper.h"

#include "app/RecordsetFill.h"
#include "platform/AppError.h"
#include "platform/ComboBox.h"
#include "platform/Recordset.h"

#include <QAbstractItemView>
#include <QFontMetrics>

namespace {
template <typename F>
auto rethrown(const char* member, F&& body)
{
    return withErrorSource(QStringLiteral("clsCboBoxHelper:") + QLatin1String(member), std::forward<F>(body));
}
}  // namespace

void clsCboBoxHelper::ADORecordSetToComboBox(Recordset& rs, ComboBox* cbo, const Value& textColumn,
                                             const Value& itemDataColumn)
{
    rethrown("ADORecordSetToComboBox", [&] {
        cbo->Clear();
        fillFromRecordset(rs, textColumn, itemDataColumn, [cbo](const QString& text, std::optional<qint32> data) {
            cbo->AddItem(text);
            if (data)
                cbo->ItemData(cbo->NewIndex(), *data);
        });
    });
}

qint16 clsCboBoxHelper::AddItemDataComboBox(ComboBox* cbo, const QString& text, qint32 itemData)
{
    return rethrown("AddItemDataComboBox", [&] {
        cbo->AddItem(text);
        cbo->ItemData(cbo->NewIndex(), itemData);
        return qint16(cbo->NewIndex());
    });
}

qint16 clsCboBoxHelper::BinarySearchComboBox(ComboBox* cbo, const QString& text)
{
    return rethrown("BinarySearchComboBox", [&]() -> qint16 {
        const QString wanted = text.toUpper();
        int low = 0;
        int high = cbo->ListCount() - 1;
        while (high >= low) {
            const int middle = (low + high) / 2;
            const int cmp = wanted.compare(cbo->List(middle).toUpper(), Qt::CaseSensitive);
            if (cmp < 0)
                high = middle - 1;
            else if (cmp > 0)
                low = middle + 1;
            else
                return qint16(middle);
        }
        return -1;
    });
}

void clsCboBoxHelper::DropComboBoxList(ComboBox* cbo, bool drop)
{
    if (drop)
        cbo->showPopup();
    else
        cbo->hidePopup();
}

qint32 clsCboBoxHelper::FindStringComboBoxPl(ComboBox* cbo, const QString& text, bool exact)
{
    for (qint32 i = 0; i < cbo->ListCount(); ++i) {
        const QString item = cbo->List(i);
        const bool match =
            exact ? item.compare(text, Qt::CaseInsensitive) == 0 : item.startsWith(text, Qt::CaseInsensitive);
        if (match)
            return i;
    }
    return -1;
}

void clsCboBoxHelper::IncrementalSearchComboP(ComboBox* cbo, int& keyAscii)
{
    rethrown("IncrementalSearchComboP", [&] {
        if (keyAscii < 32 || keyAscii > 127)
            return;
        const QString text = cbo->Text();
        const QString search = (cbo->SelLength() != 0 ? text.left(cbo->SelStart()) : text) + QChar(keyAscii);
        const qint32 found = FindStringComboBoxPl(cbo, search, false);
        if (found < 0)
            return;
        cbo->ListIndex(found);
        cbo->Text(cbo->List(found));
        cbo->SelStart(qint32(search.size()));
        cbo->SelLength(qint32(cbo->Text().size()) - cbo->SelStart());
        keyAscii = 0;
    });
}

bool clsCboBoxHelper::IsComboBoxDropped(ComboBox* cbo) { return cbo->view() && cbo->view()->isVisible(); }

void clsCboBoxHelper::SetComboBoxItemHeight(ComboBox* cbo, float factor)
{
    rethrown("SetComboBoxItemHeight", [&] {
        const int current = qMax(cbo->view()->sizeHintForRow(0), QFontMetrics(cbo->font()).height());
        const int height = Value::roundToLong(double(factor) * current);
        cbo->view()->setStyleSheet(QStringLiteral("QAbstractItemView::item { min-height: %1px; }").arg(height));
        cbo->update();
    });
}

void clsCboBoxHelper::SetComboBoxListItems(ComboBox* cbo, qint16 items)
{
    cbo->setMaxVisibleItems(qMax<int>(1, items));
}

void clsCboBoxHelper::SetComboBoxListWidth(ComboBox* cbo, float factor)
{
    rethrown("SetComboBoxListWidth", [&] {
        // A width set before counts as the list's extent, else the box's own width.
        const int extent = cbo->view()->minimumWidth();
        const int base = extent != 0 ? extent : cbo->width();
        cbo->view()->setMinimumWidth(Value::roundToLong(double(factor) * base));
        cbo->update();
    });
}

qint32 clsCboBoxHelper::getListIndexOfItemData_pl(const Value& value, ComboBox* cbo)
{
    return rethrown("getListIndexOfItemData_pl", [&]() -> qint32 {
        if (value.isNullOrEmpty())
            return -1;
        // Item data compares as a number; a text value is read as one (13 when it is not).
        const double wanted = value.toDouble();
        for (qint32 i = 0; i < cbo->ListCount(); ++i)
            if (double(cbo->ItemData(i)) == wanted)
                return i;
        return -1;
    });
}
