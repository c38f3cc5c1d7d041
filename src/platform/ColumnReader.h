#pragma once

#include "platform/Field.h"
#include "platform/Value.h"

#include <QByteArray>

#include <utility>
#include <vector>

struct sqlite3_stmt;

// Reading a result row into values, as every record set load does.

// One column of a result row as the program expects it, by declared type first.
Value readColumn(sqlite3_stmt* st, int i, FieldInfo::DataType type);
// The size a declared type such as "TEXT(50)" gives, else the type's default.
int declaredSize(const QString& decl, FieldInfo::DataType type);

// Reads the columns of a statement's rows as readColumn does. Texts a column
// keeps repeating (a joined name, a category) share one copy instead of a
// copy a row; a column whose texts do not repeat soon stops looking.
class ColumnReader {
public:
    ColumnReader(sqlite3_stmt* st, std::vector<FieldInfo::DataType> types);
    Value read(int column);

private:
    struct RecentTexts {
        std::vector<std::pair<QByteArray, Value>> texts;
        int hits = 0;
        int misses = 0;
        bool looking = true;
    };
    Value text(RecentTexts& recent, const char* s, int n);

    sqlite3_stmt* m_st;
    std::vector<FieldInfo::DataType> m_types;
    std::vector<RecentTexts> m_recent;
};
