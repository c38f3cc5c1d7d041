#include "platform/Statement.h"

#include "platform/Value.h"

#include <sqlcipher/sqlite3.h>

Statement::~Statement() { sqlite3_finalize(m_st); }

Statement& Statement::operator=(Statement&& other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(m_st);
        m_st = other.release();
    }
    return *this;
}

sqlite3_stmt* Statement::release() noexcept
{
    sqlite3_stmt* st = m_st;
    m_st = nullptr;
    return st;
}

Statement Statement::prepare(sqlite3* db, const char* sql, int bytes, int* rc, const char** tail)
{
    sqlite3_stmt* st = nullptr;
    *rc = sqlite3_prepare_v2(db, sql, bytes, &st, tail);
    Statement owned(st);
    if (*rc != SQLITE_OK)
        return Statement();
    return owned;
}

Statement Statement::prepare(sqlite3* db, const QString& sql, int* rc)
{
    const QByteArray utf8 = sql.toUtf8();
    return prepare(db, utf8.constData(), int(utf8.size()), rc);
}

void Statement::bind(int index, const Value& v) const { bind(m_st, index, v); }

void Statement::bind(sqlite3_stmt* st, int index, const Value& v)
{
    const auto text = [&](const QString& s) {
        const QByteArray utf8 = s.toUtf8();
        sqlite3_bind_text(st, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    };
    switch (v.kind()) {
    case Value::Kind::Empty:
    case Value::Kind::Null: sqlite3_bind_null(st, index); break;
    case Value::Kind::Boolean: sqlite3_bind_int(st, index, v.toBool() ? -1 : 0); break;
    case Value::Kind::Long: sqlite3_bind_int(st, index, v.toLong()); break;
    case Value::Kind::Double: sqlite3_bind_double(st, index, v.toDouble()); break;
    case Value::Kind::Date: text(v.toDate().toString(QStringLiteral("yyyy-MM-dd"))); break;
    case Value::Kind::Time: text(v.toTime().toString(QStringLiteral("HH:mm:ss"))); break;
    case Value::Kind::DateTime: text(v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))); break;
    case Value::Kind::Text: text(v.toText()); break;
    }
}

int Statement::step() const { return sqlite3_step(m_st); }
void Statement::reset() const { sqlite3_reset(m_st); }
int Statement::columnCount() const { return sqlite3_column_count(m_st); }
int Statement::columnType(int column) const { return sqlite3_column_type(m_st, column); }
qint64 Statement::columnInt64(int column) const { return sqlite3_column_int64(m_st, column); }
double Statement::columnDouble(int column) const { return sqlite3_column_double(m_st, column); }

QString Statement::columnText(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_st, column));
    return text ? QString::fromUtf8(text, sqlite3_column_bytes(m_st, column)) : QString();
}
