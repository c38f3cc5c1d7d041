#pragma once

#include "platform/Statement.h"

#include <QByteArray>

#include <sqlcipher/sqlite3.h>

#include <benchmark/benchmark.h>

// The baseline every load is measured against: a statement stepped to its
// end, every column of every row read in its own type. The row count, or -1
// when the statement does not prepare.
inline int stepEveryColumn(sqlite3* db, const QByteArray& sql)
{
    int rc = SQLITE_OK;
    const Statement owned = Statement::prepare(db, sql.constData(), int(sql.size()), &rc);
    if (!owned)
        return -1;
    sqlite3_stmt* st = owned.get();
    int rows = 0;
    const int columns = sqlite3_column_count(st);
    while (sqlite3_step(st) == SQLITE_ROW) {
        ++rows;
        for (int c = 0; c < columns; ++c)
            switch (sqlite3_column_type(st, c)) {
            case SQLITE_INTEGER: benchmark::DoNotOptimize(sqlite3_column_int64(st, c)); break;
            case SQLITE_FLOAT: benchmark::DoNotOptimize(sqlite3_column_double(st, c)); break;
            case SQLITE_NULL: break;
            default:
                benchmark::DoNotOptimize(sqlite3_column_text(st, c));
                benchmark::DoNotOptimize(sqlite3_column_bytes(st, c));
            }
    }
    return rows;
}
