#include "platform/Connection.h"

#include "platform/AppError.h"
#include "platform/RecordsetFilter.h"
#include "platform/Statement.h"
#include "platform/TextOrder.h"

#include <sqlcipher/sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace {

constexpr qint32 NoTransaction = 3034;
// The engine's "not a database it recognizes, or the file may be corrupt".
constexpr qint32 UnrecognizedDatabase = 3049;
constexpr int MaxCachedStatements = 64;

QString sqliteMessage(sqlite3* db, int rc)
{
    if (db) {
        const char* msg = sqlite3_errmsg(db);
        if (msg && *msg)
            return QString::fromUtf8(msg);
    }
    return QString::fromUtf8(sqlite3_errstr(rc));
}

QString quoteIdentifier(const QString& name)
{
    QString s = name;
    s.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

QString quoteLiteral(const QString& text)
{
    QString s = text;
    s.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + s + QLatin1Char('\'');
}

// Every page of a keyed file is enciphered, its first bytes included: the
// plain header is a database without any key.
bool hasPlainHeader(const QString& filePath)
{
    QFile file(filePath);
    static const QByteArray plain("SQLite format 3\0", 16);
    return file.open(QIODevice::ReadOnly) && file.read(plain.size()) == plain;
}

QStringView utf16Of(sqlite3_value* v)
{
    const auto* text = static_cast<const char16_t*>(sqlite3_value_text16(v));
    return QStringView(text, text ? sqlite3_value_bytes16(v) / 2 : 0);
}

// like(pattern, text[, escape]), which "text LIKE pattern" calls: SQLite's
// own folds the case of ASCII letters only, so "ångström" would miss
// "Ångström" where Find and the record sets' filters find it.
void likeFunction(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    for (int i = 0; i < argc; ++i)
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL)
            return;  // Null, as SQLite answers
    QChar escape;
    if (argc == 3) {
        const QStringView e = utf16Of(argv[2]);
        if (e.size() != 1) {
            sqlite3_result_error(context, "ESCAPE expression must be a single character", -1);
            return;
        }
        escape = e.front();
    }
    const QString pattern = utf16Of(argv[0]).toString();
    const QString text = utf16Of(argv[1]).toString();
    sqlite3_result_int(context, RecordsetExpr::sqlLikeMatch(text, pattern, escape) ? 1 : 0);
}

int localeCollation(void*, int leftBytes, const void* left, int rightBytes, const void* right)
{
    return TextOrder::compare(QStringView(static_cast<const char16_t*>(left), leftBytes / 2),
                              QStringView(static_cast<const char16_t*>(right), rightBytes / 2));
}

// What queries of this program expect of every connection. The collation
// follows the user's locale, so it orders queries only: nothing stored in the
// file (an index, a view) may name it, or it would be ordered one way in one
// run and another way in the next.
int registerTextFunctions(sqlite3* db)
{
    int rc = sqlite3_create_collation_v2(db, TextOrder::CollationName, SQLITE_UTF16_ALIGNED, nullptr, localeCollation,
                                         nullptr);
    for (const int argc : {2, 3})
        if (rc == SQLITE_OK)
            rc = sqlite3_create_function_v2(db, "like", argc, SQLITE_UTF16 | SQLITE_DETERMINISTIC, nullptr,
                                            likeFunction, nullptr, nullptr, nullptr);
    return rc;
}

struct StringHash {
    size_t operator()(const QString& s) const noexcept { return qHash(s); }
};
}  // namespace

struct Connection::Impl {
    sqlite3* db = nullptr;
    QString path;
    int depth = 0;
    QList<ErrorInfo> errors;
    // Owns its statements: dropping one finalizes it.
    std::unordered_map<QString, Statement, StringHash> cache;
    std::shared_ptr<int> token = std::make_shared<int>(0);
    // The file as it was opened, to tell a replaced or deleted one later.
    dev_t device = 0;
    ino_t inode = 0;
};

Connection::Connection() : d(std::make_unique<Impl>()) {}

Connection::~Connection()
{
    try {
        Close();
    } catch (...) {
    }
}

qint32 Connection::errorNumberFor(int rc)
{
    switch (rc & 0xff) {
    case SQLITE_ERROR: return ErrNo::OleDbSyntax;
    case SQLITE_NOTADB: return ErrNo::NotValidPassword;
    // Past the open this is the journal that cannot be made beside the file.
    case SQLITE_CANTOPEN: return ErrNo::DatabaseReadOnly;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return ErrNo::DatabaseLocked;
    case SQLITE_FULL: return ErrNo::DiskFull;
    case SQLITE_READONLY:
    case SQLITE_PERM: return ErrNo::DatabaseReadOnly;
    case SQLITE_IOERR: return ErrNo::DiskError;
    case SQLITE_CORRUPT: return ErrNo::DatabaseDamaged;
    default: return ErrNo::OleDbFailed;  // a constraint, anything else
    }
}

bool Connection::fileMoved() const
{
    if (d->path.isEmpty())
        return false;
    struct stat now {};
    if (::stat(QFile::encodeName(d->path).constData(), &now) != 0)
        return errno == ENOENT || errno == ENOTDIR;
    return now.st_dev != d->device || now.st_ino != d->inode;
}

void Connection::raiseSqlite(int rc, const QString& context)
{
    QString msg = sqliteMessage(d->db, rc);
    if (!context.isEmpty())
        msg = context + QStringLiteral(": ") + msg;
    qint32 number = errorNumberFor(rc);
    // SQLite refuses to write a file that left its path as if it were
    // read-only; the user must hear what really happened to it.
    if (rc == SQLITE_READONLY_DBMOVED
        || ((number == ErrNo::DatabaseReadOnly || number == ErrNo::DiskError) && fileMoved())) {
        number = DatabaseMoved;
        msg = QStringLiteral("The database file '%1' was deleted, moved or replaced while it was open. (%2)")
                  .arg(QDir::toNativeSeparators(d->path), msg);
    }
    d->errors.append({number, msg});
    throw AppError(number, msg);
}

void Connection::Open(const QString& filePath, const QString& password, int busyTimeoutMs)
{
    Close();
    d->errors.clear();
    auto fail = [&](qint32 number, const QString& msg) {
        if (d->db) {
            sqlite3_close_v2(d->db);
            d->db = nullptr;
        }
        d->errors.append({number, msg});
        throw AppError(number, msg);
    };

    // Never create the file: a missing database must be a clear error.
    const QFileInfo info(filePath);
    if (!info.isFile())
        fail(ErrNo::DatabaseNotFound,
             info.exists() || info.isSymLink()
                 ? QStringLiteral("'%1' is not a file but a folder, a link that leads nowhere or a device.")
                       .arg(filePath)
                 : QStringLiteral("Could not find file '%1'.").arg(filePath));
    // SQLite takes an empty file for a new database, and anything written to
    // it then replaces what the user handed us: refuse what cannot be ours.
    const QString shown = QDir::toNativeSeparators(filePath);
    if (info.size() == 0)
        fail(UnrecognizedDatabase, QStringLiteral("The database file '%1' is empty: it holds no database.").arg(shown));
    if (info.size() % 512 != 0 || (!password.isEmpty() && hasPlainHeader(filePath)))
        fail(UnrecognizedDatabase,
             QStringLiteral("The database file '%1' is no database of this program, or it is damaged.").arg(shown));

    sqlite3* db = nullptr;
    int rc =
        sqlite3_open_v2(filePath.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr);
    d->db = db;
    if (rc != SQLITE_OK)
        fail(ErrNo::DatabaseNotFound,
             QStringLiteral("Could not open file '%1': %2").arg(filePath, sqliteMessage(db, rc)));
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, busyTimeoutMs);
    rc = registerTextFunctions(db);
    if (rc != SQLITE_OK)
        fail(ErrNo::OleDbFailed, sqliteMessage(db, rc));

    auto exec = [&](const QString& sql) {
        return sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    };

    rc = exec(QStringLiteral("PRAGMA key = ") + quoteLiteral(password));
    if (rc != SQLITE_OK)
        fail(ErrNo::OleDbFailed, sqliteMessage(db, rc));

    // Without the cipher the key is silently ignored and the file unreadable or, worse, plain.
    {
        int prepared = SQLITE_OK;
        const Statement st = Statement::prepare(db, "PRAGMA cipher_version", -1, &prepared);
        const bool answered = st && st.step() == SQLITE_ROW && sqlite3_column_text(st.get(), 0);
        if (!answered)
            fail(ErrNo::OleDbFailed, QStringLiteral("The database library has no encryption support."));
    }

    // Reading the schema is what checks the key.
    rc = exec(QStringLiteral("SELECT count(*) FROM sqlite_master"));
    if (rc != SQLITE_OK) {
        const int primary = rc & 0xff;
        if (primary == SQLITE_NOTADB)
            fail(ErrNo::NotValidPassword,
                 QStringLiteral("Not a valid password, or the database file '%1' is damaged or no database. (%2)")
                     .arg(shown, sqliteMessage(db, rc)));
        if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
            fail(ErrNo::DatabaseInUse, sqliteMessage(db, rc));
        fail(errorNumberFor(rc), sqliteMessage(db, rc));
    }

    rc = exec(QStringLiteral("PRAGMA foreign_keys = ON"));
    if (rc != SQLITE_OK)
        fail(errorNumberFor(rc), sqliteMessage(db, rc));

    // A file another process holds locked must show at open, not at the first save.
    rc = exec(QStringLiteral("BEGIN IMMEDIATE"));
    if (rc != SQLITE_OK) {
        const int primary = rc & 0xff;
        if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
            fail(ErrNo::DatabaseInUse,
                 QStringLiteral("The database is in use by another process. (%1)").arg(sqliteMessage(db, rc)));
        if (primary == SQLITE_READONLY)
            fail(ErrNo::DatabaseReadOnly,
                 QStringLiteral("The database file '%1' cannot be written: %2").arg(shown, sqliteMessage(db, rc)));
        fail(errorNumberFor(rc), sqliteMessage(db, rc));
    }
    exec(QStringLiteral("ROLLBACK"));
    // Every write makes its journal beside the file: a folder that cannot be
    // written refuses them all, however writable the file itself is.
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    if (::access(folder.constData(), W_OK | X_OK) != 0)
        fail(ErrNo::DatabaseReadOnly,
             QStringLiteral("The folder '%1' of the database cannot be written: %2")
                 .arg(QDir::toNativeSeparators(info.absolutePath()), QString::fromLocal8Bit(std::strerror(errno))));

    struct stat opened {};
    if (::stat(QFile::encodeName(filePath).constData(), &opened) == 0) {
        d->device = opened.st_dev;
        d->inode = opened.st_ino;
    }
    d->path = filePath;
    d->depth = 0;
}

void Connection::finalizeCache() { d->cache.clear(); }

void Connection::Close()
{
    if (!d->db)
        return;
    finalizeCache();
    if (!sqlite3_get_autocommit(d->db))
        sqlite3_exec(d->db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close_v2(d->db);
    d->db = nullptr;
    d->depth = 0;
    d->path.clear();
}

bool Connection::IsOpen() const { return d->db != nullptr; }
QString Connection::FilePath() const { return d->path; }
sqlite3* Connection::handle() const { return d->db; }
std::weak_ptr<void> Connection::lifetimeToken() const { return d->token; }
int Connection::TransactionDepth() const { return d->depth; }
const QList<Connection::ErrorInfo>& Connection::lastErrors() const { return d->errors; }
void Connection::clearErrors() { d->errors.clear(); }

void Connection::requireOpen() const
{
    if (!d->db) {
        const QString msg = QStringLiteral("Operation is not allowed when the object is closed.");
        d->errors.append({3704, msg});
        throw AppError(3704, msg);
    }
}

qint64 Connection::LastInsertRowId() const { return d->db ? sqlite3_last_insert_rowid(d->db) : 0; }

sqlite3_stmt* Connection::cachedStatement(const QString& sql)
{
    requireOpen();
    const auto it = d->cache.find(sql);
    if (it != d->cache.end()) {
        sqlite3_reset(it->second.get());
        sqlite3_clear_bindings(it->second.get());
        return it->second.get();
    }
    if (int(d->cache.size()) >= MaxCachedStatements)
        finalizeCache();
    int rc = SQLITE_OK;
    Statement st = Statement::prepare(d->db, sql, &rc);
    if (rc != SQLITE_OK)
        raiseSqlite(rc);
    return d->cache.emplace(sql, std::move(st)).first->second.get();
}

qint64 Connection::runPrepared(sqlite3_stmt* stmt)
{
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    const bool isWrite = !sqlite3_stmt_readonly(stmt);
    sqlite3_reset(stmt);
    if (rc != SQLITE_DONE)
        raiseSqlite(rc);
    if (!isWrite)
        return -1;
    // Only DML reports a count; DDL and transaction control answer -1.
    const char* sql = sqlite3_sql(stmt);
    QByteArray head = QByteArray(sql ? sql : "").trimmed().left(7).toUpper();
    if (head.startsWith("INSERT") || head.startsWith("UPDATE") || head.startsWith("DELETE")
        || head.startsWith("REPLACE") || head.startsWith("WITH"))
        return sqlite3_changes(d->db);
    return -1;
}

qint64 Connection::Execute(const QString& sql)
{
    d->errors.clear();
    requireOpen();
    const QByteArray utf8 = sql.toUtf8();
    const char* tail = utf8.constData();
    const char* end = tail + utf8.size();
    qint64 result = -1;
    while (tail && tail < end) {
        const char* next = nullptr;
        int rc = SQLITE_OK;
        const Statement st = Statement::prepare(d->db, tail, int(end - tail), &rc, &next);
        if (rc != SQLITE_OK)
            raiseSqlite(rc);
        if (!st) {
            // SQLite reads no further than a NUL: past it only blanks may follow,
            // else part of the script would silently never run.
            if (!next || next <= tail) {
                if (QByteArray(tail, int(end - tail)).replace('\0', QByteArray()).trimmed().isEmpty())
                    break;
                const QString msg = QStringLiteral("The command text holds a NUL character before its end.");
                d->errors.append({ErrNo::OleDbSyntax, msg});
                throw AppError(ErrNo::OleDbSyntax, msg);
            }
            tail = next;
            continue;  // blank or comment
        }
        tail = next;
        result = runPrepared(st.get());
    }
    return result;
}

sqlite3_stmt* Connection::boundStatement(const QString& sql, const QList<Value>& params)
{
    d->errors.clear();
    sqlite3_stmt* st = cachedStatement(sql);
    for (int i = 0; i < params.size(); ++i)
        Statement::bind(st, i + 1, params.at(i));
    return st;
}

qint64 Connection::Execute(const QString& sql, const QList<Value>& params)
{
    sqlite3_stmt* st = boundStatement(sql, params);
    const qint64 n = runPrepared(st);
    sqlite3_clear_bindings(st);
    return n;
}

Value Connection::ExecuteScalar(const QString& sql, const QList<Value>& params)
{
    sqlite3_stmt* st = boundStatement(sql, params);
    const int rc = sqlite3_step(st);
    Value result = Value::null();
    if (rc == SQLITE_ROW) {
        switch (sqlite3_column_type(st, 0)) {
        case SQLITE_INTEGER: result = Value(qint64(sqlite3_column_int64(st, 0))); break;
        case SQLITE_FLOAT: result = Value(sqlite3_column_double(st, 0)); break;
        case SQLITE_NULL: break;
        default:
            result = Value(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)),
                                             sqlite3_column_bytes(st, 0)));
        }
    }
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        raiseSqlite(rc);
    return result;
}

void Connection::BeginTrans()
{
    d->errors.clear();
    requireOpen();
    Execute(QStringLiteral("SAVEPOINT sw_%1").arg(d->depth + 1));
    ++d->depth;
}

void Connection::CommitTrans()
{
    d->errors.clear();
    requireOpen();
    if (d->depth == 0) {
        const QString msg =
            QStringLiteral("You tried to commit or rollback a transaction without first beginning a transaction.");
        d->errors.append({NoTransaction, msg});
        throw AppError(NoTransaction, msg);
    }
    Execute(QStringLiteral("RELEASE sw_%1").arg(d->depth));
    --d->depth;
}

void Connection::Rollback()
{
    d->errors.clear();
    requireOpen();
    if (d->depth == 0) {
        const QString msg =
            QStringLiteral("You tried to commit or rollback a transaction without first beginning a transaction.");
        d->errors.append({NoTransaction, msg});
        throw AppError(NoTransaction, msg);
    }
    const int level = d->depth;
    // The savepoint is gone either way; the depth must not stay behind on a failure.
    --d->depth;
    if (sqlite3_get_autocommit(d->db)) {
        // SQLite already rolled everything back after a hard failure.
        d->depth = 0;
        return;
    }
    if (level == 1) {
        Execute(QStringLiteral("ROLLBACK"));
        return;
    }
    Execute(QStringLiteral("ROLLBACK TO sw_%1; RELEASE sw_%1").arg(level));
}

QList<Connection::SchemaObject> Connection::SchemaObjects() const
{
    requireOpen();
    QList<SchemaObject> out;
    int rc = SQLITE_OK;
    const Statement st = Statement::prepare(d->db,
                                            "SELECT name, type FROM sqlite_master WHERE type IN ('table','view') "
                                            "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name",
                                            -1, &rc);
    if (rc != SQLITE_OK)
        const_cast<Connection*>(this)->raiseSqlite(rc);
    int step;
    while ((step = st.step()) == SQLITE_ROW)
        out.append({st.columnText(0), st.columnText(1)});
    if (step != SQLITE_DONE)
        const_cast<Connection*>(this)->raiseSqlite(step);
    return out;
}

QStringList Connection::TableNames() const
{
    QStringList names;
    for (const SchemaObject& o : SchemaObjects())
        if (o.type == QLatin1String("table"))
            names.append(o.name);
    return names;
}

QStringList Connection::ViewNames() const
{
    QStringList names;
    for (const SchemaObject& o : SchemaObjects())
        if (o.type == QLatin1String("view"))
            names.append(o.name);
    return names;
}

void Connection::DropTable(const QString& name)
{
    if (name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive))
        throw AppError(ErrNo::InvalidCall, QStringLiteral("SQLite's own objects cannot be dropped."));
    // Cached statements may name the table; they are cheap to prepare again.
    finalizeCache();
    Execute(QStringLiteral("DROP TABLE ") + quoteIdentifier(name));
}

void Connection::DropView(const QString& name)
{
    if (name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive))
        throw AppError(ErrNo::InvalidCall, QStringLiteral("SQLite's own objects cannot be dropped."));
    finalizeCache();
    Execute(QStringLiteral("DROP VIEW ") + quoteIdentifier(name));
}
