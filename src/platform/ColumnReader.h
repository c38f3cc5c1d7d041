#pragma once

#include "platform/Field.h"
#include "platform/Value.h"

#include <QHash>

struct sqlite3_stmt;

// Reading a result row into values, as every record set load does.

// Dates and times repeat a lot in a result, and building each one anew costs a
// time-zone look-up; a load keeps the ones it has made.
struct DateCache {
    QHash<int, Value> dates;
    QHash<int, Value> times;

    Value date(const QDate& d)
    {
        const int key = d.year() * 10000 + d.month() * 100 + d.day();
        auto it = dates.constFind(key);
        if (it != dates.constEnd())
            return *it;
        Value v(d);
        if (dates.size() < 100000)
            dates.insert(key, v);
        return v;
    }
    Value time(const QTime& t)
    {
        const int key = t.msecsSinceStartOfDay();
        auto it = times.constFind(key);
        if (it != times.constEnd())
            return *it;
        Value v(t);
        if (times.size() < 100000)
            times.insert(key, v);
        return v;
    }
};

// One column of a result row as the program expects it, by declared type first.
Value readColumn(sqlite3_stmt* st, int i, FieldInfo::DataType type, DateCache* cache = nullptr);
// The size a declared type such as "TEXT(50)" gives, else the type's default.
int declaredSize(const QString& decl, FieldInfo::DataType type);
