#include "data/clsConnectJet.h"
#include "platform/Statement.h"

#include "support/TempProgramFolder.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {
// Opens the file as the program would and reads back what must survive.
struct Survey {
    bool opened = false;
    QString integrity;
    qint64 segments = -1;
    qint64 details = -1;
};

Survey survey(const QString& path)
{
    Survey s;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return s;
    }
    sqlite3_exec(db, "PRAGMA key = 'RORUDAZE'", nullptr, nullptr, nullptr);
    auto scalar = [&](const char* sql, QString* text) -> qint64 {
        int rc = SQLITE_OK;
        qint64 n = -1;
        const Statement st = Statement::prepare(db, sql, -1, &rc);
        if (st && st.step() == SQLITE_ROW) {
            n = st.columnInt64(0);
            if (text)
                *text = st.columnText(0);
        }
        return n;
    };
    s.opened = true;
    scalar("PRAGMA integrity_check", &s.integrity);
    s.segments = scalar("SELECT count(*) FROM tblSegment", nullptr);
    s.details = scalar("SELECT count(*) FROM tblSegmentDetail", nullptr);
    sqlite3_close(db);
    return s;
}
}  // namespace

// A compaction killed at any moment leaves the previous database whole: the
// child compacts over and over, the parent kills it at a random moment, and
// every time the file opens with its key, checks clean and holds every row.
TEST(CompactionKill, AKilledCompactionNeverLosesOrCorruptsTheDatabase)
{
    TempProgramFolder folder;
    ASSERT_TRUE(folder.createDatabase());
    QString fill = QStringLiteral("BEGIN;");
    for (int i = 0; i < 400; ++i) {
        fill += QStringLiteral("INSERT INTO tblSegment (sSegmentLabel, mNotes) VALUES ('s%1', '%2');")
                    .arg(i)
                    .arg(QString(400, QLatin1Char('n')));
        fill += QStringLiteral("INSERT INTO tblSegmentDetail (lSegmentID, sSegmentDetailLabel, dCumTime) "
                               "VALUES (last_insert_rowid(), 'T001', %1);")
                    .arg(i);
    }
    fill += QStringLiteral("COMMIT; DELETE FROM tblSegment WHERE lSegmentID % 3 = 0 "
                           "AND lSegmentID NOT IN (SELECT lSegmentID FROM tblSegmentDetail);");
    ASSERT_TRUE(folder.execSql(fill));
    ASSERT_TRUE(folder.execSql(QStringLiteral("DELETE FROM tblSegmentDetail WHERE lSegmentDetailID % 2 = 0")));
    const Survey before = survey(folder.databasePath());
    ASSERT_EQ(before.integrity, QStringLiteral("ok"));

    const QString connect = QStringLiteral(";DATABASE=%1;PWD=RORUDAZE").arg(folder.databasePath());
    auto* rng = QRandomGenerator::global();
    for (int round = 0; round < 8; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // No test framework and no Qt event loop here: compact until killed.
            for (int i = 0; i < 200; ++i) {
                try {
                    clsConnectJet dao;
                    dao.Connect_ps(connect);
                    dao.OpenConnection_pf();
                    dao.compact();
                } catch (...) {
                }
            }
            _exit(0);
        }
        usleep(useconds_t(rng->bounded(5000, 250000)));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);

        const Survey after = survey(folder.databasePath());
        ASSERT_TRUE(after.opened) << "round " << round;
        EXPECT_EQ(after.integrity, QStringLiteral("ok")) << "round " << round;
        EXPECT_EQ(after.segments, before.segments) << "round " << round;
        EXPECT_EQ(after.details, before.details) << "round " << round;
    }
}
