// Making a keyed database from scripts: never over an existing file, and
// never a half-made file left under the database's name.

#include "platform/SqlScript.h"
#include "platform/Statement.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>

TEST(SqlScript, MakesAKeyedDatabaseAndNeverReplacesOne)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.mdb");
    QString error;
    ASSERT_TRUE(createDatabaseFromScripts(
        path, "k", {"CREATE TABLE t (x INTEGER); -- note\n", "INSERT INTO t VALUES (1); INSERT INTO t VALUES (2);"},
        &error))
        << qPrintable(error);

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_key(db, "k", 1);
    {
        int rc = SQLITE_ERROR;
        const Statement stmt = Statement::prepare(db, "SELECT sum(x) FROM t", -1, &rc);
        ASSERT_EQ(rc, SQLITE_OK);
        ASSERT_EQ(stmt.step(), SQLITE_ROW);
        EXPECT_EQ(stmt.columnInt64(0), 3);
    }
    sqlite3_close(db);

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    EXPECT_FALSE(createDatabaseFromScripts(path, "k", {"CREATE TABLE u (y INTEGER);"}, &error));
    EXPECT_TRUE(error.contains("already exists")) << qPrintable(error);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
}

TEST(SqlScript, AFailingStatementLeavesNoFileAndNamesTheStatement)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("b.mdb");
    QString error;
    EXPECT_FALSE(createDatabaseFromScripts(path, "k",
                                           {"CREATE TABLE t (x INTEGER);", "INSERT INTO nowhere VALUES (1);"}, &error));
    EXPECT_TRUE(error.contains("nowhere")) << qPrintable(error);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(QFile::exists(path + ".part"));
    // A database without a key would be written in the clear.
    EXPECT_FALSE(createDatabaseFromScripts(path, "", {"CREATE TABLE t (x INTEGER);"}, &error));
    EXPECT_FALSE(QFile::exists(path));
}
