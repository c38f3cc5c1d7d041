#pragma once

#include <QString>
#include <QTemporaryDir>

#include <sqlcipher/sqlite3.h>

#include <stdexcept>

// Makes a keyed database file for a test. The program never creates one; this
// helper is the only place that opens with the create flag.
inline QString makeKeyedDb(const QTemporaryDir& dir, const QString& key, const char* script,
                           const QString& name = QStringLiteral("test.mdb"))
{
    const QString path = dir.filePath(name);
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr)
        != SQLITE_OK)
        throw std::runtime_error("cannot create test database");
    QString k = key;
    k.replace(QLatin1Char('\''), QStringLiteral("''"));
    const QByteArray pragma = (QStringLiteral("PRAGMA key = '") + k + QLatin1Char('\'')).toUtf8();
    char* err = nullptr;
    int rc = sqlite3_exec(db, pragma.constData(), nullptr, nullptr, &err);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, script, nullptr, nullptr, &err);
    const std::string msg = err ? err : "";
    sqlite3_free(err);
    sqlite3_close(db);
    if (rc != SQLITE_OK)
        throw std::runtime_error("test database script failed: " + msg);
    return path;
}

// The tables the record-set tests work on, declared the way the program's schema is.
inline const char* testSchema()
{
    return "CREATE TABLE tblParent (lParentID INTEGER PRIMARY KEY AUTOINCREMENT, sName TEXT COLLATE NOCASE);"
           "CREATE TABLE tblItem ("
           " lItemID INTEGER PRIMARY KEY AUTOINCREMENT,"
           " lParentID INTEGER REFERENCES tblParent(lParentID) ON DELETE RESTRICT,"
           " sLabel TEXT COLLATE NOCASE,"
           " dValue DOUBLE,"
           " dtDate DATE,"
           " dtTime TIME,"
           " fFlag BOOLEAN NOT NULL ON CONFLICT REPLACE DEFAULT 0,"
           " mNotes LONGTEXT COLLATE NOCASE);"
           "INSERT INTO tblParent (lParentID, sName) VALUES (1, 'one'), (2, 'two');"
           "INSERT INTO tblItem (lParentID, sLabel, dValue, dtDate, dtTime, fFlag) VALUES"
           " (1, 'T001', 1.5, '2001-07-04', '14:30:00', -1),"
           " (1, 'R001', 2.5, NULL, NULL, 0),"
           " (2, 't002', NULL, '2002-01-31', '08:00:05', 0);"
           "CREATE TABLE tblLink (lA INTEGER NOT NULL, lB INTEGER NOT NULL, sNote TEXT COLLATE NOCASE,"
           " PRIMARY KEY (lA, lB));"
           "INSERT INTO tblLink VALUES (1, 1, 'a'), (1, 2, 'b'), (2, 1, 'c');"
           "CREATE VIEW qry_TempItems AS SELECT * FROM tblItem;";
}
