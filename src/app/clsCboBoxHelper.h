#pragma once

#include "platform/Value.h"

#include <QString>

class ComboBox;
class Recordset;

// Combo box chores of the windows: fills from a record set, look-ups by text
// and by item data, completion while typing, and sizing of the drop-down list.
class clsCboBoxHelper {
public:
    clsCboBoxHelper() = default;
    virtual ~clsCboBoxHelper() = default;

    // Clears the box and adds one item per record (text column, optional
    // item-data column, each by position or name); the record set ends on its first record.
    virtual void ADORecordSetToComboBox(Recordset& rs, ComboBox* cbo, const Value& textColumn,
                                        const Value& itemDataColumn = Value());
    virtual qint16 AddItemDataComboBox(ComboBox* cbo, const QString& text, qint32 itemData);
    // The list must be sorted by its upper-cased texts.
    virtual qint16 BinarySearchComboBox(ComboBox* cbo, const QString& text);
    virtual void DropComboBoxList(ComboBox* cbo, bool drop);
    // Case-blind: the whole text when exact, else a prefix; -1 when none.
    virtual qint32 FindStringComboBoxPl(ComboBox* cbo, const QString& text, bool exact);
    // For a printable key: completes the text to the first item that begins
    // with what the key would make, selects the completed rest and sets the key to 0.
    virtual void IncrementalSearchComboP(ComboBox* cbo, int& keyAscii);
    virtual bool IsComboBoxDropped(ComboBox* cbo);
    virtual void SetComboBoxItemHeight(ComboBox* cbo, float factor);
    virtual void SetComboBoxListItems(ComboBox* cbo, qint16 items);
    virtual void SetComboBoxListWidth(ComboBox* cbo, float factor);
    // The first item whose item data equals the value (numerically); -1 when
    // none or the value is Null. The selection does not move.
    virtual qint32 getListIndexOfItemData_pl(const Value& value, ComboBox* cbo);
};
