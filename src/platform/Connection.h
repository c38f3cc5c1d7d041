#pragma once

#include "platform/Value.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

struct sqlite3;
struct sqlite3_stmt;

// One open, keyed database file over the sqlite3 C API of SQLCipher.
// Errors are thrown as AppError with the raw numbers (no object-error base):
//   missing file at open 3024, wrong key 3031, busy or locked at open 3045,
//   a file or folder that cannot be written 3027 (at open too), a file
//   deleted or replaced while it is open 3044 (DatabaseMoved),
//   constraint refusal 0x80004005, syntax / unknown table or column 0x80040E14,
//   anything else 0x80004005. The SQLite message stays in the description.
class Connection {
public:
    struct ErrorInfo {
        qint32 number = 0;
        QString description;
    };
    struct SchemaObject {
        QString name;
        QString type;  // "table" or "view"
    };

    static constexpr int DefaultBusyTimeoutMs = 2000;
    // The open file is no longer the one its path names: it was deleted,
    // moved or replaced meanwhile, and nothing can be written to it.
    static constexpr qint32 DatabaseMoved = 3044;

    Connection();
    ~Connection();  // closes, rolling back any open transaction; never throws
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens an existing file read-write (never creates one) and checks the key.
    void Open(const QString& filePath, const QString& password, int busyTimeoutMs = DefaultBusyTimeoutMs);
    // Rolls back any open transaction and closes; does nothing when closed.
    void Close();
    bool IsOpen() const;
    QString FilePath() const;

    // Runs one or more statements; returns the rows the last one changed,
    // or -1 when it was not an INSERT, UPDATE or DELETE.
    qint64 Execute(const QString& sql);
    // Runs one statement with its ? parameters bound in order.
    qint64 Execute(const QString& sql, const QList<Value>& params);
    // The first column of the first row (Null when there is no row).
    Value ExecuteScalar(const QString& sql, const QList<Value>& params = {});
    qint64 LastInsertRowId() const;

    // Savepoints, so they nest. Rollback of the outermost one ends the transaction.
    void BeginTrans();
    void CommitTrans();
    void Rollback();
    int TransactionDepth() const;

    // Errors of the last operation; cleared when each operation starts.
    const QList<ErrorInfo>& lastErrors() const;
    void clearErrors();

    // Tables and views of the file, never SQLite's own sqlite_* objects.
    QList<SchemaObject> SchemaObjects() const;
    QStringList TableNames() const;
    QStringList ViewNames() const;
    void DropTable(const QString& name);
    void DropView(const QString& name);

    // Raw handle for the record sets and for tests; null when closed.
    sqlite3* handle() const;
    // Alive for as long as this object is: record sets hold a weak copy so a
    // destroyed connection is detected instead of used.
    std::weak_ptr<void> lifetimeToken() const;

    // A prepared statement kept for reuse (reset and unbound when handed out).
    // Owned by the connection; valid until the next Close or cache overflow.
    sqlite3_stmt* cachedStatement(const QString& sql);
    // The cached statement with the parameters bound, errors cleared.
    sqlite3_stmt* boundStatement(const QString& sql, const QList<Value>& params);

    // Raises the AppError for a failed sqlite3 call and records it in lastErrors().
    [[noreturn]] void raiseSqlite(int rc, const QString& context = {});
    // The number an SQLite result maps to outside of opening.
    static qint32 errorNumberFor(int rc);

private:
    void requireOpen() const;
    bool fileMoved() const;
    void finalizeCache();
    qint64 runPrepared(sqlite3_stmt* stmt);

    struct Impl;
    std::unique_ptr<Impl> d;
};
