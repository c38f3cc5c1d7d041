#pragma once

#include "platform/Recordset.h"
#include "platform/Value.h"

#include <optional>

// Walks a record set for the combo and list box fills: one call of add(text,
// itemData) per record, the item data absent when no item-data column is
// given or its value is Null. A column argument that reads as a number is a
// column position, otherwise a name. A Null text gives an empty item so one
// blank name does not cut the list short. The record set ends on its first record.
template <typename AddItem>
void fillFromRecordset(Recordset& rs, const Value& textColumn, const Value& dataColumn, AddItem&& add)
{
    const auto fieldOf = [&rs](const Value& column) {
        return column.isNumeric() ? rs.Fields(column.toLong()) : rs.Fields(column.asText());
    };
    const bool withData = !dataColumn.asText().isEmpty();
    if (rs.RecordCount() != 0) {
        const Field text = fieldOf(textColumn);
        const Field data = withData ? fieldOf(dataColumn) : Field();
        rs.MoveFirst();
        while (!rs.IsEOF()) {
            std::optional<qint32> itemData;
            if (withData) {
                const Value v = data.Value();
                if (!v.isNullOrEmpty())
                    itemData = v.toLong();
            }
            add(text.Value().asText(), itemData);
            rs.MoveNext();
        }
    }
    rs.MoveFirst();
}
