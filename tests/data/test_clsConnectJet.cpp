#include "data/clsConnectJet.h"

#include "platform/AppError.h"
#include "platform/Connection.h"
#include "platform/Recordset.h"
#include "support/ScriptedMessages.h"
#include "support/TempProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

QString connectFor(const QString& path, const QString& password = QStringLiteral("RORUDAZE"))
{
    return QStringLiteral(";DATABASE=%1;PWD=%2").arg(path, password);
}

struct Raised {
    qint32 number = 0;
    QString description;
    QString source;
};

template <typename F>
Raised raisedBy(F&& f)
{
    try {
        f();
    } catch (const AppError& e) {
        return {e.number(), e.description(), e.source()};
    }
    return {};
}

class MaintenanceConnectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.createDatabase());
        dao.Connect_ps(connectFor(folder.databasePath()));
    }
    qint64 count(const QString& sql) { return dao.Database_pdb()->ExecuteScalar(sql).toLong(); }

    TempProgramFolder folder;
    clsConnectJet dao;
};

TEST_F(MaintenanceConnectionTest, OpensTheKeyedFileAndNamesIt)
{
    ASSERT_TRUE(dao.OpenConnection_pf());
    EXPECT_EQ(dao.Database_ps(), folder.databasePath());
    // A second open replaces the first handle.
    ASSERT_TRUE(dao.OpenConnection_pf());
    EXPECT_EQ(count("SELECT count(*) FROM tblSysStrings WHERE lStringID = 170"), 1);
    dao.CloseConnection();
    EXPECT_EQ(raisedBy([&] { dao.Database_ps(); }).number, 91);
}

TEST_F(MaintenanceConnectionTest, EmptyConnectStringShowsTheCriticalBoxAndFails)
{
    ScriptedMessages boxes;
    dao.Connect_ps(QString());
    const Raised r = raisedBy([&] { dao.OpenConnection_pf(); });
    EXPECT_NE(r.number, 0);
    EXPECT_EQ(r.source, "clsConnectJet.OpenConnection_pf");
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, "An incorrect connection is being attempted");
    EXPECT_EQ(boxes.last().style & 0x70, 16);
}

TEST_F(MaintenanceConnectionTest, WrongKeyRaises3031WithThePasswordText)
{
    dao.Connect_ps(connectFor(folder.databasePath(), "nope"));
    const Raised r = raisedBy([&] { dao.OpenConnection_pf(); });
    EXPECT_EQ(r.number, AppError::withObjectBase(3031));
    // The file is named: with our built-in key, a foreign or damaged file fails the same way.
    EXPECT_EQ(r.description,
              "The password being passed to the password-protected database is incorrect, "
              "please contact software supplier. The database file '"
                  + QDir::toNativeSeparators(folder.databasePath()) + "' may also be damaged or no database.");
    EXPECT_EQ(r.source, "clsConnectJet.OpenConnection_pf");
}

TEST_F(MaintenanceConnectionTest, MissingFileRaises3024AndMakesNoFile)
{
    const QString missing = QDir(folder.path()).filePath("absent.mdb");
    dao.Connect_ps(connectFor(missing));
    EXPECT_EQ(raisedBy([&] { dao.OpenConnection_pf(); }).number, AppError::withObjectBase(3024));
    EXPECT_FALSE(QFile::exists(missing));
}

TEST_F(MaintenanceConnectionTest, FileLockedByAnotherHandleArrivesAs3045)
{
    Connection holder;
    holder.Open(folder.databasePath(), "RORUDAZE", 0);
    holder.Execute("BEGIN EXCLUSIVE");
    const Raised r = raisedBy([&] { dao.OpenConnection_pf(); });
    EXPECT_EQ(r.number, AppError::withObjectBase(3045));
    EXPECT_EQ(r.number, -2147218459);
    holder.Execute("ROLLBACK");
    EXPECT_TRUE(dao.OpenConnection_pf());
}

TEST_F(MaintenanceConnectionTest, HousekeepingDropsOnlyNamesContainingTheText)
{
    ASSERT_TRUE(folder.execSql(
        "CREATE TABLE TEMPORARY (a); CREATE TABLE \"my \"\"temp\"\" tbl\" (a); CREATE TABLE tblKeep (a);"
        "CREATE VIEW qry_Temp_1 AS SELECT 1; CREATE VIEW qry_Temp_2 AS SELECT 2; CREATE VIEW qryMain AS SELECT 3;"));
    ASSERT_TRUE(dao.OpenConnection_pf());
    EXPECT_EQ(dao.DropTablesContaining(""), 0);
    EXPECT_EQ(dao.DropViewsContaining(""), 0);
    EXPECT_EQ(dao.DropViewsContaining("TEMP"), 2);
    EXPECT_EQ(dao.DropTablesContaining("temp"), 2);
    EXPECT_FALSE(dao.TableExists("temporary"));
    EXPECT_TRUE(dao.TableExists("TBLSEGMENT"));
    EXPECT_TRUE(dao.TableExists("tblKeep"));
    EXPECT_EQ(count("SELECT count(*) FROM sqlite_master WHERE name = 'qryMain'"), 1);
    EXPECT_EQ(count("SELECT count(*) FROM sqlite_master WHERE name = 'sqlite_sequence'"), 1);
    EXPECT_EQ(count("SELECT count(*) FROM sqlite_master WHERE name LIKE '%temp%'"), 0);
}

TEST_F(MaintenanceConnectionTest, TemporaryQueriesAreViews)
{
    ASSERT_TRUE(dao.OpenConnection_pf());
    clsConnectJet::QueryDef q = dao.CreateTempQuery_pqd();
    EXPECT_TRUE(q.Name().startsWith("qry_Temp_"));
    q.SQL("SELECT lStringID FROM tblSysStrings WHERE lStringID < 200");
    EXPECT_EQ(dao.QueryDef_pqd(q.Name().toUpper()).SQL(), q.SQL());
    std::unique_ptr<Recordset> rs;
    EXPECT_EQ(dao.SQLOpenRecordset_pl(rs, "SELECT * FROM \"" + q.Name() + "\""),
              count("SELECT count(*) FROM tblSysStrings WHERE lStringID < 200"));
    EXPECT_TRUE(dao.KillTempQuery_pf(q.Name()));
    EXPECT_EQ(raisedBy([&] { dao.QueryDef_pqd(q.Name()); }).number, ErrNo::ItemNotFound);
    // The unnamed kind is never stored.
    clsConnectJet::QueryDef unnamed = dao.QueryDef_pqd();
    unnamed.SQL("UPDATE tblSysStrings SET sString = '9' WHERE lStringID = 110");
    EXPECT_EQ(unnamed.Execute(), 1);
    EXPECT_EQ(count("SELECT count(*) FROM sqlite_master WHERE type = 'view'"), 0);
}

TEST_F(MaintenanceConnectionTest, QuotingFollowsTheFileConventions)
{
    EXPECT_EQ(dao.SQLString_ps(Value(QDate(2001, 3, 1)), clsConnectJet::dbDate), "'2001-03-01'");
    EXPECT_EQ(dao.SQLString_ps(Value(QTime(14, 5, 30)), clsConnectJet::dbDate), "'14:05:30'");
    EXPECT_EQ(dao.SQLString_ps(Value("it's"), clsConnectJet::dbMemo), "'it''s'");
    EXPECT_EQ(dao.SQLString_ps(Value(true), clsConnectJet::dbBoolean), "-1");
    EXPECT_EQ(dao.SQLString_ps(Value(1.5), clsConnectJet::dbDouble), "1.5");
    EXPECT_EQ(raisedBy([&] { dao.SQLString_ps(Value("x"), clsConnectJet::dbLong); }).number, ErrNo::TypeMismatch);
    EXPECT_EQ(dao.SQLLikeString_ps(Value("t*_"), clsConnectJet::dbText), "'t%\\_' ESCAPE '\\'");
    EXPECT_EQ(raisedBy([&] { dao.SQLLikeString_ps(Value("1"), clsConnectJet::dbLong); }).number,
              ErrNo::InvalidPropertyValue);
}

TEST_F(MaintenanceConnectionTest, CompactionShrinksTheFileAndKeepsKeyAndData)
{
    ASSERT_TRUE(dao.OpenConnection_pf());
    dao.BeginTrans_pf();
    for (int i = 0; i < 2000; ++i)
        dao.Database_pdb()->Execute("INSERT INTO tblSegment (mNotes) VALUES (?)", {Value(QString(400, 'n'))});
    dao.CommitTrans_pf();
    dao.SQLExecute_pl("DELETE FROM tblSegment");
    const qint64 before = QFileInfo(folder.databasePath()).size();

    // On the handle that has just been used (its cached statements are idle).
    dao.compact();
    EXPECT_LT(QFileInfo(folder.databasePath()).size(), before / 4);
    dao.CloseConnection();
    dao.compact();  // opens itself
    dao.CloseConnection();
    const QStringList left = QDir(folder.path()).entryList({"*tmp*", "*-journal"}, QDir::Files);
    EXPECT_TRUE(left.isEmpty()) << qPrintable(left.join(','));

    Connection check;
    check.Open(folder.databasePath(), "RORUDAZE");
    EXPECT_EQ(check.ExecuteScalar("PRAGMA integrity_check").asText(), "ok");
    EXPECT_EQ(check.ExecuteScalar("SELECT sString FROM tblSysStrings WHERE lStringID = 180").asText(), "English");
    check.Close();
    EXPECT_EQ(raisedBy([&] { check.Open(folder.databasePath(), ""); }).number, ErrNo::NotValidPassword);
}

TEST_F(MaintenanceConnectionTest, CompactionFailsFastWhileAnotherHandleReads)
{
    Connection reader;
    reader.Open(folder.databasePath(), "RORUDAZE");
    reader.BeginTrans();
    reader.ExecuteScalar("SELECT count(*) FROM tblSysStrings");
    const Raised r = raisedBy([&] { dao.compact(); });
    EXPECT_EQ(r.number & AppError::ObjectErrorBase, AppError::ObjectErrorBase);
    EXPECT_EQ(r.source, "clsConnectJet.compact");
    reader.Rollback();
    EXPECT_EQ(reader.ExecuteScalar("SELECT sString FROM tblSysStrings WHERE lStringID = 170").asText(),
              "splitwerk.ini");
}

}  // namespace
