#include "app/clsThisApp.h"
#include "app/modapp.h"
#include "data/clsAdoConnectJet.h"
#include "platform/AppError.h"
#include "platform/RegistryStore.h"
#include "support/ScriptedMessages.h"
#include "support/TempProgramFolder.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>

namespace {
struct StartUp : ::testing::Test {
    TempProgramFolder folder;
    ScriptedMessages boxes;
    bool windowShown = false;

    void SetUp() override
    {
        modapp::setSplashMinimumSeconds(0);
        modapp::setMainWindowFactory([this] {
            windowShown = true;
            return true;
        });
    }
    void TearDown() override
    {
        if (modapp::ThisApp())
            modapp::EndApplication_m();
        modapp::setMainWindowFactory({});
        modapp::releaseAll();
    }

    QStringList tmpFiles() const
    {
        return QDir(folder.path()).entryList(QStringList{QStringLiteral("~tmp*")}, QDir::Files | QDir::Hidden);
    }
    QString version() const
    {
        return RegistryStore::value(QStringLiteral("SOFTWARE\\Splitwerk\\General"), QStringLiteral("Version"));
    }
    qint64 count(const QString& sql)
    {
        QString err;
        sqlite3* db = nullptr;
        qint64 n = -1;
        if (sqlite3_open_v2(folder.databasePath().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
            sqlite3_exec(db, "PRAGMA key = 'RORUDAZE'", nullptr, nullptr, nullptr);
            sqlite3_stmt* st = nullptr;
            if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
                n = sqlite3_column_int64(st, 0);
            sqlite3_finalize(st);
        }
        sqlite3_close(db);
        return n;
    }
};
}

TEST_F(StartUp, OpensTheDatabaseRemovesLeftoversAndShowsTheMainWindow)
{
    ASSERT_TRUE(folder.makeProgramFiles());
    ASSERT_TRUE(folder.execSql(QStringLiteral(
        "CREATE TABLE TEMPORARY (a INTEGER); CREATE TABLE tblTempX (a INTEGER);"
        "CREATE VIEW qry_Temp_1 AS SELECT 1; CREATE VIEW QRYTEMP AS SELECT 2; CREATE VIEW qryMain AS SELECT 3;")));
    EXPECT_EQ(modapp::Main(), 0);
    EXPECT_TRUE(windowShown);
    EXPECT_EQ(boxes.count(), 0);
    ASSERT_NE(modapp::ThisApp(), nullptr);
    EXPECT_EQ(modapp::ThisApp()->Language_ps(), QStringLiteral("English"));
    EXPECT_EQ(modapp::ThisApp()->StringsIniFile_ps(), QDir(folder.path()).filePath(QStringLiteral("splitwerk.ini")));
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name LIKE '%temp%'")), 0);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name IN ('qryMain', 'tblSegment')")), 2);
}

TEST_F(StartUp, EmptyStringsFileSettingEndsWithOneCriticalBox)
{
    ASSERT_TRUE(folder.makeProgramFiles());
    ASSERT_TRUE(folder.execSql(QStringLiteral("UPDATE tblSysStrings SET sString = '' WHERE lStringID = 170")));
    EXPECT_NE(modapp::Main(), 0);
    EXPECT_FALSE(windowShown);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("Critical Error: 4001\r\nDescription: No message string file is specified "
                                                "(tblSysStrings), contact system administrator"));
    EXPECT_EQ(boxes.last().style, 16);
    EXPECT_EQ(modapp::ThisApp(), nullptr);
    EXPECT_EQ(version(), clsThisApp::versionText());  // the shut-down still ran
}

TEST_F(StartUp, EmptyLanguageEndsStartUpButAMissingStringsFileDoesNot)
{
    ASSERT_TRUE(folder.createDatabase());
    ASSERT_TRUE(folder.writeUdl());  // no strings file at all
    EXPECT_EQ(modapp::Main(), 0);
    EXPECT_TRUE(windowShown);
    modapp::EndApplication_m();

    ASSERT_TRUE(folder.execSql(QStringLiteral("UPDATE tblSysStrings SET sString = NULL WHERE lStringID = 180")));
    windowShown = false;
    EXPECT_NE(modapp::Main(), 0);
    EXPECT_FALSE(windowShown);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("Critical Error: 4001\r\nDescription: No Language is specified "
                                                "(tblsysStrings), contact system administrator"));
}

TEST_F(StartUp, MissingDataLinkFileOrDatabaseIsACriticalError)
{
    ASSERT_TRUE(folder.createDatabase());
    EXPECT_NE(modapp::Main(), 0);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("Critical Error: 432\r\nDescription: "))) << boxes.last().text.toStdString();

    TempProgramFolder empty;  // no database: nothing may be created
    boxes.clear();
    EXPECT_NE(modapp::Main(), 0);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("Critical Error: ")));
    EXPECT_EQ(boxes.last().style, 16);
    EXPECT_FALSE(QFileInfo::exists(empty.databasePath()));
}

TEST_F(StartUp, ADatabaseHeldByAnotherProgramShowsTheLockedBox)
{
    ASSERT_TRUE(folder.makeProgramFiles());
    const QByteArray before = [&] {
        QFile f(folder.databasePath());
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open_v2(folder.databasePath().toUtf8().constData(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    sqlite3_exec(other, "PRAGMA key = 'RORUDAZE'; BEGIN EXCLUSIVE;", nullptr, nullptr, nullptr);

    EXPECT_NE(modapp::Main(), 0);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("The system database is locked by an administrative user OR may be "
                                                "opened by Access. \r\nPlease try again later."));
    EXPECT_EQ(boxes.last().style, 48);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);

    QFile f(folder.databasePath());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
    EXPECT_TRUE(tmpFiles().isEmpty());
}

TEST_F(StartUp, ShutDownRollsBackOpenWorkAndCompactsInPlace)
{
    ASSERT_TRUE(folder.makeProgramFiles());
    QString bulk = QStringLiteral("BEGIN;");
    for (int i = 0; i < 3000; ++i)
        bulk += QStringLiteral("INSERT INTO tblSegment (sSegmentLabel, mNotes) VALUES ('bulk %1', '%2');").arg(i).arg(QString(200, QLatin1Char('x')));
    bulk += QStringLiteral("INSERT INTO tblSegment (sSegmentLabel) VALUES ('keep'); COMMIT;");
    ASSERT_TRUE(folder.execSql(bulk));
    ASSERT_TRUE(folder.execSql(QStringLiteral("DELETE FROM tblSegment WHERE sSegmentLabel LIKE 'bulk%'")));
    const qint64 sizeBefore = QFileInfo(folder.databasePath()).size();

    ASSERT_EQ(modapp::Main(), 0);
    ASSERT_NE(modapp::ThisApp(), nullptr);
    ASSERT_TRUE(folder.execSql(QStringLiteral("CREATE VIEW qryTempLater AS SELECT 1")));
    auto* ado = modapp::ThisApp()->DatabaseAdo_Po();
    ASSERT_TRUE(ado->BeginTrans_pf());
    ado->SQLExecute_pl(QStringLiteral("INSERT INTO tblSegment (sSegmentLabel) VALUES ('uncommitted')"));
    modapp::EndApplication_m();

    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM tblSegment WHERE sSegmentLabel = 'uncommitted'")), 0);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM tblSegment WHERE sSegmentLabel = 'keep'")), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'qryTempLater'")), 0);
    EXPECT_LT(QFileInfo(folder.databasePath()).size(), sizeBefore);
    EXPECT_TRUE(tmpFiles().isEmpty());
    EXPECT_EQ(version(), clsThisApp::versionText());
    EXPECT_EQ(boxes.count(), 0);
}
