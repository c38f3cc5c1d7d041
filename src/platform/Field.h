#pragma once

#include "platform/Value.h"

#include <QString>

class Recordset;

// What a record set knows of one of its columns.
struct FieldInfo {
    // How values of the column are read and written, from its declared type.
    enum class DataType { Variant, Integer, Double, Text, Memo, Date, Time, DateTime, Boolean };

    FieldInfo() = default;
    FieldInfo(QString fieldName, DataType fieldType, int size = 0)
        : name(std::move(fieldName)), type(fieldType), definedSize(size)
    {
    }

    QString name;
    DataType type = DataType::Variant;
    QString declType;        // as declared in the table ("" for expressions)
    QString table;           // base table the column comes from ("" for expressions)
    QString originName;      // the column's name in that table
    int definedSize = 0;     // characters for text, bytes otherwise
    bool isKey = false;      // part of the base table's primary key
    bool isAutoKey = false;  // the table's INTEGER PRIMARY KEY (rowid)

    // The column kind for a declared SQL type ("INTEGER", "TEXT COLLATE NOCASE", ...).
    static DataType typeForDecl(const QString& declType);
    // The data-access type number of a kind (3 integer, 5 double, 202 text,
    // 203 memo, 7 date, 134 time, 135 date-time, 11 boolean, 12 variant).
    static int adoTypeOf(DataType type);
    static DataType typeForAdo(int adoType);
    static int defaultSizeOf(DataType type);

    // Brings a value into the column's kind: "" to Null for non-text columns,
    // any non-zero to True for flags, text parsed for dates and times (ISO
    // first, then the user's locale). Raises 13 when it cannot convert.
    static Value coerce(const Value& v, DataType type);
};

// A handle on one column of a record set; reads and writes the current row.
// Cheap to copy; valid while its record set stays open.
class Field {
public:
    Field() = default;
    Field(Recordset* rs, int index) : m_rs(rs), m_index(index) {}

    QString Name() const;
    ::Value Value() const;         // raises 3021 without a current row
    void Value(const ::Value& v);  // edits the current row (see Recordset)
    FieldInfo::DataType DataType() const;
    int Type() const;  // data-access type number
    QString DeclType() const;
    int DefinedSize() const;
    int Index() const { return m_index; }
    const FieldInfo& Info() const;

    // Shorthands for the common reads.
    bool IsNull() const { return Value().isNullOrEmpty(); }
    operator ::Value() const { return Value(); }

private:
    Recordset* m_rs = nullptr;
    int m_index = -1;
};
