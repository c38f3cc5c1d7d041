#pragma once

#include "platform/Value.h"

#include <QString>

class QListWidget;
class Recordset;

// List box chores: items with item data (a 32-bit number kept under
// Qt::UserRole), look-ups, fills from a record set and copying to the clipboard.
class clsLstBoxHelper {
public:
    static constexpr int ItemDataRole = Qt::UserRole;

    clsLstBoxHelper() = default;
    virtual ~clsLstBoxHelper() = default;

    virtual qint16 AddItemDataListBoxPl(QListWidget* lst, const QString& text, qint32 itemData);
    virtual void ClearSelectionsListBoxP(QListWidget* lst);
    // Each item (or each selected one) followed by the delimiter; the
    // clipboard is left alone when that gives nothing.
    virtual void CopyListBoxItemsToCbP(QListWidget* lst, bool selectedOnly, const QString& delimiter);
    // The first item whose item data equals the value (numerically); -1 when
    // none or the value is Null or Empty. The selection does not move.
    virtual qint32 FindItemDataInListBoxPl(QListWidget* lst, const Value& value);
    virtual qint32 FindStringListBoxPl(QListWidget* lst, const QString& text, bool exact);
    virtual void AdoRecordSetToListBoxP(Recordset& rs, QListWidget* lst, const Value& textColumn,
                                        const Value& itemDataColumn = Value());

    static qint32 itemData(const QListWidget* lst, int row);
};
