#pragma once

#include "platform/Field.h"
#include "platform/Value.h"

struct sqlite3_stmt;

// Reading a result row into values, as every record set load does.

// One column of a result row as the program expects it, by declared type first.
Value readColumn(sqlite3_stmt* st, int i, FieldInfo::DataType type);
// The size a declared type such as "TEXT(50)" gives, else the type's default.
int declaredSize(const QString& decl, FieldInfo::DataType type);
