#include "KeyedDbFile.h"

#include "platform/AppError.h"
#include "platform/Connection.h"
#include "platform/Recordset.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString Key = QStringLiteral("S3cr'et");

class ConnectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = makeKeyedDb(dir, Key, testSchema());
        conn.Open(path, Key);
    }

    qint32 errorOf(const std::function<void()>& f)
    {
        try {
            f();
        } catch (const AppError& e) {
            lastDescription = e.description();
            return e.number();
        }
        return 0;
    }

    Value scalar(const char* sql) { return conn.ExecuteScalar(QString::fromUtf8(sql)); }

    QTemporaryDir dir;
    QString path;
    Connection conn;
    QString lastDescription;
};

}  // namespace

TEST_F(ConnectionTest, OpenRefusesMissingFileWrongKeyAndLockedFile)
{
    Connection other;
    const QString missing = dir.filePath(QStringLiteral("nothere.mdb"));
    EXPECT_EQ(errorOf([&] { other.Open(missing, Key); }), ErrNo::DatabaseNotFound);
    EXPECT_FALSE(QFileInfo::exists(missing)) << "opening must never create the file";
    EXPECT_FALSE(other.IsOpen());

    EXPECT_EQ(errorOf([&] { other.Open(path, QStringLiteral("wrong")); }), ErrNo::NotValidPassword);
    EXPECT_FALSE(other.IsOpen());
    ASSERT_FALSE(other.lastErrors().isEmpty());
    EXPECT_EQ(other.lastErrors().constFirst().number, ErrNo::NotValidPassword);

    // Another connection holds the file under an exclusive lock.
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.toUtf8().constData(), &holder, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    const QByteArray key = QStringLiteral("PRAGMA key = 'S3cr''et'").toUtf8();
    ASSERT_EQ(sqlite3_exec(holder, key.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(holder, "BEGIN EXCLUSIVE; INSERT INTO tblParent (sName) VALUES ('x');", nullptr, nullptr, nullptr),
        SQLITE_OK);
    EXPECT_EQ(errorOf([&] { other.Open(path, Key, 100); }), ErrNo::DatabaseInUse);
    EXPECT_FALSE(other.IsOpen());
    // A write lock without the exclusive one is caught by the probe too.
    sqlite3_exec(holder, "ROLLBACK; BEGIN IMMEDIATE;", nullptr, nullptr, nullptr);
    EXPECT_EQ(errorOf([&] { other.Open(path, Key, 100); }), ErrNo::DatabaseInUse);
    sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(holder);

    other.Open(path, Key);
    EXPECT_TRUE(other.IsOpen());
    EXPECT_EQ(other.ExecuteScalar(QStringLiteral("PRAGMA foreign_keys")).toLong(), 1);
}

TEST_F(ConnectionTest, ErrorsMapToTheNumbersAndKeepTheMessage)
{
    // Deleting a parent that items still use is refused and deletes nothing.
    EXPECT_EQ(errorOf([&] { conn.Execute(QStringLiteral("DELETE FROM tblParent WHERE lParentID = 1")); }),
              ErrNo::OleDbFailed);
    EXPECT_TRUE(lastDescription.contains(QStringLiteral("FOREIGN KEY"))) << lastDescription.toStdString();
    ASSERT_EQ(conn.lastErrors().size(), 1);
    EXPECT_EQ(conn.lastErrors().constFirst().number, ErrNo::OleDbFailed);
    EXPECT_EQ(scalar("SELECT count(*) FROM tblParent").toLong(), 2);

    EXPECT_EQ(errorOf([&] { conn.Execute(QStringLiteral("SELEC * FROM tblItem")); }), ErrNo::OleDbSyntax);
    EXPECT_EQ(errorOf([&] { conn.Execute(QStringLiteral("SELECT nope FROM tblItem")); }), ErrNo::OleDbSyntax);
    EXPECT_TRUE(lastDescription.contains(QStringLiteral("nope")));
    EXPECT_EQ(errorOf([&] { conn.Execute(QStringLiteral("DELETE FROM tblMissing")); }), ErrNo::OleDbSyntax);
    EXPECT_EQ(errorOf([&] {
                  conn.Execute(QStringLiteral("INSERT INTO tblParent (lParentID, sName) VALUES (?, ?)"),
                               {Value(1), Value(QStringLiteral("dup"))});
              }),
              ErrNo::OleDbFailed);

    // The list is cleared when the next operation starts.
    EXPECT_EQ(conn.Execute(QStringLiteral("UPDATE tblItem SET sLabel = 'x' WHERE lItemID = 999")), 0);
    EXPECT_TRUE(conn.lastErrors().isEmpty());
    EXPECT_EQ(conn.Execute(QStringLiteral("UPDATE tblItem SET dValue = 1")), 3);
    EXPECT_EQ(conn.Execute(QStringLiteral("CREATE TABLE tblX (a INTEGER)")), -1);
}

// A NUL ends what SQLite reads of a script: the run ends there, and text
// behind it that would never run is refused rather than skipped.
TEST_F(ConnectionTest, NulInAScriptEndsItWithoutLooping)
{
    const QChar nul(0);
    EXPECT_EQ(conn.Execute(QStringLiteral("UPDATE tblItem SET dValue = 7;") + nul), 3);
    EXPECT_EQ(conn.Execute(QStringLiteral("UPDATE tblItem SET dValue = 8") + nul + nul + QStringLiteral("  ")), 3);
    EXPECT_EQ(errorOf([&] {
                  conn.Execute(QStringLiteral("UPDATE tblItem SET dValue = 9;") + nul
                               + QStringLiteral("DELETE FROM tblItem"));
              }),
              ErrNo::OleDbSyntax);
    EXPECT_EQ(scalar("SELECT count(*) FROM tblItem").toLong(), 3);
}

TEST_F(ConnectionTest, BoundParametersWriteTheStorageForms)
{
    conn.Execute(QStringLiteral("INSERT INTO tblItem (sLabel, fFlag, dtDate, dtTime, dValue) VALUES (?, ?, ?, ?, ?)"),
                 {Value(QStringLiteral("O'Brien | x")), Value(true), Value(QDate(2001, 7, 4)), Value(QTime(14, 30, 0)),
                  Value(2.5)});
    const qint64 id = conn.LastInsertRowId();
    EXPECT_EQ(id, 4);
    const QString where = QStringLiteral(" FROM tblItem WHERE lItemID = %1").arg(id);
    EXPECT_EQ(conn.ExecuteScalar(QStringLiteral("SELECT fFlag") + where).toLong(), -1);
    EXPECT_EQ(conn.ExecuteScalar(QStringLiteral("SELECT dtDate") + where).toText(), QStringLiteral("2001-07-04"));
    EXPECT_EQ(conn.ExecuteScalar(QStringLiteral("SELECT dtTime") + where).toText(), QStringLiteral("14:30:00"));
    EXPECT_EQ(conn.ExecuteScalar(QStringLiteral("SELECT sLabel") + where).toText(), QStringLiteral("O'Brien | x"));
    EXPECT_TRUE(
        conn.ExecuteScalar(QStringLiteral("SELECT sLabel FROM tblItem WHERE lItemID = ?"), {Value(99)}).isNull());
}

TEST_F(ConnectionTest, TransactionsNestAsSavepoints)
{
    const auto count = [&] { return scalar("SELECT count(*) FROM tblParent").toLong(); };
    conn.BeginTrans();
    conn.Execute(QStringLiteral("INSERT INTO tblParent (sName) VALUES ('outer')"));
    conn.BeginTrans();
    EXPECT_EQ(conn.TransactionDepth(), 2);
    conn.Execute(QStringLiteral("INSERT INTO tblParent (sName) VALUES ('inner')"));
    conn.Rollback();
    EXPECT_EQ(conn.TransactionDepth(), 1);
    EXPECT_EQ(count(), 3);
    conn.CommitTrans();
    EXPECT_EQ(conn.TransactionDepth(), 0);
    EXPECT_EQ(count(), 3);
    EXPECT_EQ(scalar("SELECT count(*) FROM tblParent WHERE sName = 'inner'").toLong(), 0);

    // A failure half-way through: the caller rolls back and nothing stays.
    conn.BeginTrans();
    conn.Execute(QStringLiteral("INSERT INTO tblParent (sName) VALUES ('a')"));
    conn.BeginTrans();
    conn.Execute(QStringLiteral("INSERT INTO tblParent (sName) VALUES ('b')"));
    EXPECT_EQ(errorOf([&] { conn.Execute(QStringLiteral("DELETE FROM tblParent WHERE lParentID = 1")); }),
              ErrNo::OleDbFailed);
    conn.Rollback();
    conn.Rollback();
    EXPECT_EQ(count(), 3);
    EXPECT_NE(errorOf([&] { conn.CommitTrans(); }), 0);

    // Closing with a transaction open rolls it back.
    conn.BeginTrans();
    conn.Execute(QStringLiteral("INSERT INTO tblParent (sName) VALUES ('lost')"));
    conn.Close();
    conn.Open(path, Key);
    EXPECT_EQ(count(), 3);
    EXPECT_EQ(conn.TransactionDepth(), 0);
}

TEST_F(ConnectionTest, SchemaListingDropAndVacuumWithARecordSetOpen)
{
    const QStringList tables = conn.TableNames();
    EXPECT_EQ(tables, (QStringList{QStringLiteral("tblItem"), QStringLiteral("tblLink"), QStringLiteral("tblParent")}));
    EXPECT_EQ(conn.ViewNames(), QStringList{QStringLiteral("qry_TempItems")});

    Recordset rs;
    rs.Open(conn, QStringLiteral("SELECT * FROM qry_TempItems"));
    EXPECT_EQ(rs.RecordCount(), 3);
    // A snapshot keeps no statement open, so the view can go and the file can be compacted.
    conn.DropView(QStringLiteral("qry_TempItems"));
    EXPECT_TRUE(conn.ViewNames().isEmpty());
    EXPECT_NO_THROW(conn.Execute(QStringLiteral("VACUUM")));
    EXPECT_EQ(rs.RecordCount(), 3);
    EXPECT_NE(errorOf([&] { conn.DropTable(QStringLiteral("sqlite_sequence")); }), 0);
    conn.Execute(QStringLiteral("CREATE TABLE tblTemp1 (a INTEGER)"));
    conn.DropTable(QStringLiteral("tblTemp1"));
    EXPECT_FALSE(conn.TableNames().contains(QStringLiteral("tblTemp1")));

    // The file stays keyed after compaction.
    conn.Close();
    Connection again;
    EXPECT_EQ(errorOf([&] { again.Open(path, QStringLiteral("other")); }), ErrNo::NotValidPassword);
    again.Open(path, Key);
    EXPECT_EQ(again.ExecuteScalar(QStringLiteral("SELECT count(*) FROM tblItem")).toLong(), 3);
}
