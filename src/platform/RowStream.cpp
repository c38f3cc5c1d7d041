#include "platform/RowStream.h"

#include "platform/AppError.h"
#include "platform/Connection.h"
#include "platform/Field.h"

#include <sqlcipher/sqlite3.h>

#include <vector>

RowStream::RowStream(Connection& conn, const QString& sql) : m_conn(conn)
{
    if (!conn.IsOpen())
        AppError::raise(3704, QStringLiteral("Operation is not allowed when the object is closed."));
    conn.clearErrors();
    int rc = SQLITE_OK;
    m_statement = Statement::prepare(conn.handle(), sql, &rc);
    if (rc != SQLITE_OK)
        conn.raiseSqlite(rc);
    if (!m_statement)
        AppError::raise(ErrNo::OleDbSyntax, QStringLiteral("The command text holds no statement."));
    sqlite3_stmt* st = m_statement.get();
    const int n = sqlite3_column_count(st);
    std::vector<FieldInfo::DataType> types;
    types.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        m_names << QString::fromUtf8(sqlite3_column_name(st, i));
        const char* decl = sqlite3_column_decltype(st, i);
        types.push_back(FieldInfo::typeForDecl(decl ? QString::fromUtf8(decl) : QString()));
    }
    m_reader.emplace(st, std::move(types));
}

bool RowStream::next()
{
    const int rc = sqlite3_step(m_statement.get());
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        m_conn.raiseSqlite(rc);
    return false;
}
