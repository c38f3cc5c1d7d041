#include "platform/SqlScript.h"

#include "platform/Statement.h"

#include <QFile>
#include <QFileInfo>

#include <sqlcipher/sqlite3.h>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {
void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

bool exec(sqlite3* db, const char* sql, QString* error)
{
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    setError(error,
             QStringLiteral("%1: %2").arg(QString::fromUtf8(sql), QString::fromUtf8(message ? message : "failed")));
    sqlite3_free(message);
    return false;
}

// Without SQLCipher underneath, a key is silently ignored and the file would
// be written in the clear: refuse instead.
bool cipherAnswers(sqlite3* db)
{
    int rc = SQLITE_OK;
    const Statement stmt = Statement::prepare(db, "PRAGMA cipher_version", -1, &rc);
    return stmt && stmt.step() == SQLITE_ROW && sqlite3_column_bytes(stmt.get(), 0) > 0;
}

bool fillDatabase(const QString& path, const QString& key, const QStringList& scripts, QString* error)
{
    sqlite3* db = nullptr;
    const QByteArray file = QFile::encodeName(path);
    if (sqlite3_open_v2(file.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        setError(error, QStringLiteral("cannot create %1: %2").arg(path, QString::fromUtf8(sqlite3_errmsg(db))));
        sqlite3_close(db);
        return false;
    }
    const QByteArray keyBytes = key.toUtf8();
    bool ok = sqlite3_key(db, keyBytes.constData(), int(keyBytes.size())) == SQLITE_OK;
    if (!ok)
        setError(error, QStringLiteral("the key was refused"));
    if (ok && !cipherAnswers(db)) {
        setError(error, QStringLiteral("the SQLite library in use does not encrypt (no cipher_version)"));
        ok = false;
    }
    // The scripts' own rows are checked against the relationships too.
    ok = ok && exec(db, "PRAGMA foreign_keys = ON", error) && exec(db, "BEGIN", error);
    if (ok) {
        for (const QString& script : scripts) {
            ok = runSqlScript(db, script, error);
            if (!ok)
                break;
        }
        ok = ok && exec(db, "COMMIT", error);
        if (!ok)
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    if (sqlite3_close(db) != SQLITE_OK && ok) {
        setError(error, QStringLiteral("cannot close %1").arg(path));
        ok = false;
    }
    return ok;
}
}  // namespace

bool runSqlScript(sqlite3* db, const QString& sql, QString* error)
{
    const QByteArray text = sql.toUtf8();
    const char* next = text.constData();
    const char* const end = next + text.size();
    while (next < end) {
        const char* tail = nullptr;
        const char* const start = next;
        int prepared = SQLITE_OK;
        const Statement stmt = Statement::prepare(db, start, int(end - start), &prepared, &tail);
        if (prepared != SQLITE_OK) {
            setError(error,
                     QStringLiteral("%1 in: %2")
                         .arg(QString::fromUtf8(sqlite3_errmsg(db)),
                              QString::fromUtf8(start, int(tail ? tail - start : end - start)).trimmed().left(200)));
            return false;
        }
        next = tail;
        if (!stmt)  // only blanks or comments were left
            continue;
        int rc;
        do
            rc = stmt.step();
        while (rc == SQLITE_ROW);
        if (rc != SQLITE_DONE) {
            setError(error,
                     QStringLiteral("%1 in: %2")
                         .arg(QString::fromUtf8(sqlite3_errmsg(db)),
                              QString::fromUtf8(sqlite3_sql(stmt.get())).trimmed().left(200)));
            return false;
        }
    }
    return true;
}

bool createDatabaseFromScripts(const QString& path, const QString& key, const QStringList& scripts, QString* error)
{
    if (QFileInfo::exists(path)) {
        setError(error, QStringLiteral("%1 already exists; it is left as it is").arg(path));
        return false;
    }
    if (key.isEmpty()) {
        setError(error, QStringLiteral("a database is never made without a key"));
        return false;
    }
    // Built beside the target and linked into place: link() refuses an
    // existing name, so even a file that appeared meanwhile is never replaced.
    const QString part = path + QStringLiteral(".part");
    QFile::remove(part);
    QFile::remove(part + QStringLiteral("-journal"));
    bool ok = fillDatabase(part, key, scripts, error);
    if (ok && ::link(QFile::encodeName(part).constData(), QFile::encodeName(path).constData()) != 0) {
        const int code = errno;
        setError(error,
                 code == EEXIST ? QStringLiteral("%1 already exists; it is left as it is").arg(path)
                                : QStringLiteral("cannot name the database %1: %2")
                                      .arg(path, QString::fromLocal8Bit(std::strerror(code))));
        ok = false;
    }
    QFile::remove(part);
    return ok;
}
