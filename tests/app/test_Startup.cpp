#include "app/DatabaseFault.h"
#include "app/InstanceLock.h"
#include "app/clsThisApp.h"
#include "app/modapp.h"
#include "data/clsAdoConnectJet.h"
#include "platform/AppError.h"
#include "platform/RegistryStore.h"
#include "platform/Statement.h"
#include "support/ScriptedMessages.h"
#include "support/SmallDisk.h"
#include "support/TempProgramFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <atomic>
#include <functional>
#include <iostream>
#include <latch>
#include <thread>

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

    // A start that must end with one box and no main window: the box's text
    // and style (empty and 0 without exactly one box).
    QString failedStartText(qint32* style = nullptr)
    {
        boxes.clear();
        windowShown = false;
        EXPECT_NE(modapp::Main(), 0);
        EXPECT_FALSE(windowShown);
        EXPECT_EQ(boxes.count(), 1);
        const bool one = boxes.count() == 1;
        if (style)
            *style = one ? boxes.last().style : 0;
        return one ? boxes.last().text : QString();
    }
    QStringList tmpFiles() const
    {
        return QDir(folder.path()).entryList(QStringList{QStringLiteral("~tmp*")}, QDir::Files | QDir::Hidden);
    }
    QString version() const
    {
        return RegistryStore::value(QStringLiteral("SOFTWARE\\Splitwerk\\General"), QStringLiteral("Version"));
    }
    static QByteArray bytesOf(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
    static bool writeBytes(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
    }
    static QByteArray randomBytes(int size, quint32 seed)
    {
        QByteArray out(size, '\0');
        for (char& c : out) {
            seed = seed * 1103515245u + 12345u;
            c = char(seed >> 16);
        }
        return out;
    }
    // An ordinary SQLite file: a database, but never keyed.
    static QByteArray plainDatabase()
    {
        QTemporaryDir dir;
        const QByteArray path = dir.filePath(QStringLiteral("plain.db")).toUtf8();
        sqlite3* db = nullptr;
        sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        sqlite3_exec(db, "CREATE TABLE tblSysStrings (lStringID INTEGER, sString TEXT)", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        return bytesOf(QString::fromUtf8(path));
    }
    qint64 count(const QString& sql)
    {
        QString err;
        sqlite3* db = nullptr;
        qint64 n = -1;
        if (sqlite3_open_v2(folder.databasePath().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr)
            == SQLITE_OK) {
            sqlite3_exec(db, "PRAGMA key = 'RORUDAZE'", nullptr, nullptr, nullptr);
            int rc = SQLITE_OK;
            const Statement st = Statement::prepare(db, sql, &rc);
            if (st && st.step() == SQLITE_ROW)
                n = st.columnInt64(0);
        }
        sqlite3_close(db);
        return n;
    }
};
}  // namespace

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
    EXPECT_EQ(boxes.last().text,
              QStringLiteral("Critical Error: 4001\r\nDescription: No message string file is specified "
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
    EXPECT_EQ(boxes.last().text,
              QStringLiteral("Critical Error: 4001\r\nDescription: No Language is specified "
                             "(tblsysStrings), contact system administrator"));
}

TEST_F(StartUp, MissingDataLinkFileOrDatabaseIsSaidInWords)
{
    ASSERT_TRUE(folder.createDatabase());
    EXPECT_NE(modapp::Main(), 0);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("Splitwerk could not start: the data link file "
                                                            "SPLITWERK.UDL is missing from the program folder %1.")
                                                 .arg(QDir::toNativeSeparators(folder.path()))))
        << boxes.last().text.toStdString();
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("\r\n\r\nError 432: "))) << boxes.last().text.toStdString();

    TempProgramFolder empty;  // no database: nothing may be created
    boxes.clear();
    EXPECT_NE(modapp::Main(), 0);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("\r\nError 3024: "))) << boxes.last().text.toStdString();
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
    ASSERT_EQ(sqlite3_open_v2(folder.databasePath().toUtf8().constData(), &other, SQLITE_OPEN_READWRITE, nullptr),
              SQLITE_OK);
    sqlite3_exec(other, "PRAGMA key = 'RORUDAZE'; BEGIN EXCLUSIVE;", nullptr, nullptr, nullptr);

    EXPECT_NE(modapp::Main(), 0);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text,
              QStringLiteral("The system database is locked by an administrative user OR may be "
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
        bulk += QStringLiteral("INSERT INTO tblSegment (sSegmentLabel, mNotes) VALUES ('bulk %1', '%2');")
                    .arg(i)
                    .arg(QString(200, QLatin1Char('x')));
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

// Files the program is handed that it cannot use: one clear box naming the
// file, no main window, and the file byte for byte as it was.
TEST_F(StartUp, UnusableFilesGiveOneBoxNamingTheFileAndStayAsTheyWere)
{
    enum Which { Database, DataLink };
    const struct {
        const char* name;
        Which which;
        QByteArray content;
        const char* says;
    } cases[] = {
        {"zero-byte database", Database, QByteArray(), "is empty"},
        {"database of random bytes", Database, randomBytes(8192, 7), "database file"},
        {"text in place of the database", Database, QByteArray("this is no database\r\n"),
         "no database of this program"},
        {"a database without any key", Database, plainDatabase(), "no database of this program"},
        {"data link file of random bytes", DataLink, randomBytes(700, 3), "names no database"},
        {"empty data link file", DataLink, QByteArray(), "is empty"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempProgramFolder own;
        ASSERT_TRUE(own.makeProgramFiles());
        const QString path = c.which == Database ? own.databasePath() : own.udlPath();
        ASSERT_TRUE(writeBytes(path, c.content));

        const QString text = failedStartText();
        // Told in words, and the database is never said to need its backup for a bad data link file.
        EXPECT_TRUE(text.startsWith(c.which == Database ? QStringLiteral("Splitwerk could not start: the database file")
                                                        : QStringLiteral("Splitwerk could not start: the data link "
                                                                         "file SPLITWERK.UDL")))
            << text.toStdString();
        if (c.which == DataLink) {
            EXPECT_TRUE(
                text.contains(QStringLiteral("Installing or building Splitwerk again writes the data link file")))
                << text.toStdString();
            EXPECT_FALSE(text.contains(QStringLiteral("restore the backup"))) << text.toStdString();
        }
        EXPECT_TRUE(text.contains(QDir::toNativeSeparators(path))) << text.toStdString();
        EXPECT_TRUE(text.contains(QLatin1String(c.says))) << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("''"))) << text.toStdString();
        EXPECT_EQ(bytesOf(path), c.content);
        EXPECT_TRUE(QDir(own.path()).entryList({QStringLiteral("~tmp*")}, QDir::Files | QDir::Hidden).isEmpty());
    }
}

// A damaged settings file is put aside as it was and the program starts on
// empty settings.
TEST_F(StartUp, ADamagedSettingsFileIsKeptAsideAndTheProgramStarts)
{
    ASSERT_TRUE(folder.makeProgramFiles());
    const QByteArray damaged = randomBytes(3000, 5);
    ASSERT_TRUE(writeBytes(folder.registryPath(), damaged));
    EXPECT_EQ(modapp::Main(), 0);
    EXPECT_TRUE(windowShown);
    EXPECT_EQ(boxes.count(), 0);
    const QStringList aside = QDir(folder.path()).entryList({QStringLiteral("registry.ini.damaged*")}, QDir::Files);
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(bytesOf(QDir(folder.path()).filePath(aside.front())), damaged);
    modapp::EndApplication_m();
    EXPECT_EQ(version(), clsThisApp::versionText());
}

// A damaged page that start-up never reads shows at exit: one box says the
// file is damaged and was not compacted, and the file is left exactly as it was.
TEST_F(StartUp, ADamagedPageIsReportedOnceAtExitAndTheFileIsLeftAlone)
{
    ASSERT_TRUE(folder.makeProgramFiles());
    QString bulk = QStringLiteral("BEGIN;");
    for (int i = 0; i < 400; ++i)
        bulk += QStringLiteral("INSERT INTO tblSegment (sSegmentLabel, mNotes) VALUES ('s%1', '%2');")
                    .arg(i)
                    .arg(QString(300, QLatin1Char('n')));
    ASSERT_TRUE(folder.execSql(bulk + QStringLiteral("COMMIT;")));
    QByteArray bytes = bytesOf(folder.databasePath());
    ASSERT_GT(bytes.size(), 64 * 1024);
    // The middle of the last page: segment rows, which start-up does not read.
    bytes[bytes.size() - 512] = char(bytes.at(bytes.size() - 512) ^ 0x5a);
    ASSERT_TRUE(writeBytes(folder.databasePath(), bytes));

    ASSERT_EQ(modapp::Main(), 0);
    EXPECT_EQ(boxes.count(), 0);
    modapp::EndApplication_m();
    ASSERT_EQ(boxes.count(), 1);
    const QString text = boxes.last().text;
    EXPECT_TRUE(text.contains(QDir::toNativeSeparators(folder.databasePath()))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("damaged"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("not compacted"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("copy"))) << text.toStdString();
    EXPECT_EQ(boxes.last().style, 48);
    EXPECT_EQ(bytesOf(folder.databasePath()), bytes);
    EXPECT_TRUE(tmpFiles().isEmpty());
}

// The two connections open side by side, but their failures are reported in
// the order of the steps: the maintenance connection's comes first.
TEST_F(StartUp, TheMaintenanceConnectionsFailureIsTheOneReported)
{
    ASSERT_TRUE(folder.makeProgramFiles());
    const QString other = QDir(folder.path()).filePath(QStringLiteral("other.mdb"));
    ASSERT_TRUE(QFile::rename(folder.databasePath(), other));
    ASSERT_TRUE(folder.writeUdl("Provider=SQLCipher;Data Source=other.mdb;Jet OLEDB:Database Password=RORUDAZE"));
    const QByteArray before = bytesOf(other);

    EXPECT_NE(modapp::Main(), 0);
    EXPECT_FALSE(windowShown);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(
        QStringLiteral("\r\nError 3024: Could not find file '%1'").arg(folder.databasePath())))
        << boxes.last().text.toStdString();
    EXPECT_EQ(bytesOf(other), before);
}

// The program started twice on one folder: the second copy says so and ends
// without touching anything; once the first has died its lock is taken over.
TEST_F(StartUp, ASecondCopyOnTheFolderEndsWithOneMessageAndTouchesNothing)
{
    ASSERT_TRUE(folder.makeProgramFiles());
    const QString program = QDir(folder.path()).filePath(QStringLiteral("splitwerk"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(SPLITWERK_EXE), program));
    QProcess first;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), QDir(folder.path()).filePath(QStringLiteral("config")));
    first.setProcessEnvironment(env);
    first.start(program, {});
    ASSERT_TRUE(first.waitForStarted(10000));
    const QString lock = folder.databasePath() + QStringLiteral(".lock");
    for (int i = 0; i < 200 && !QFileInfo::exists(lock); ++i)
        QThread::msleep(50);
    ASSERT_TRUE(QFileInfo::exists(lock));

    const QByteArray before = bytesOf(folder.databasePath());
    const QStringList files = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
    EXPECT_EQ(modapp::Main(), 1);
    EXPECT_FALSE(windowShown);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, modapp::alreadyRunningText());
    EXPECT_TRUE(boxes.last().text.contains(QDir::toNativeSeparators(folder.path())));
    EXPECT_EQ(bytesOf(folder.databasePath()), before);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), files);

    first.kill();
    ASSERT_TRUE(first.waitForFinished(10000));
    EXPECT_EQ(modapp::Main(), 0);
    EXPECT_TRUE(windowShown);
}

// A lock no running copy holds is taken over and let go at the end; one that a
// copy may still hold on another computer, or that cannot be judged, is named
// with what to do.
TEST_F(StartUp, AStaleLockIsTakenOverAndAnUnclearOneNamedWithWhatToDo)
{
    ASSERT_TRUE(folder.makeProgramFiles());
    const QString lock = folder.databasePath() + QStringLiteral(".lock");
    const QString shownLock = QDir::toNativeSeparators(lock);
    QProcess ended;
    ended.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("echo $$")});
    ASSERT_TRUE(ended.waitForFinished(10000));
    const QByteArray deadPid = ended.readAllStandardOutput().trimmed();
    const QByteArray host = QSysInfo::machineHostName().toUtf8();
    const QString deleteIt = QStringLiteral("delete the lock file");

    enum Kind { File, Directory, Link, Running };
    const struct {
        const char* name;
        Kind kind;
        QByteArray content;  // a directory's: the name of a file in it
        QStringList says;    // empty: the program starts
    } cases[] = {
        {"empty file", File, QByteArray(), {}},
        {"garbled file", File, randomBytes(300, 11), {}},
        {"empty directory", Directory, QByteArray(), {}},
        {"dangling link", Link, QByteArray(), {}},
        {"ended process on this computer", File, deadPid + "\nsplitwerk\n" + host + "\n", {}},
        {"another computer's",
         File,
         "4242\nsplitwerk\nfar-away-pc\n",
         {QStringLiteral("\"far-away-pc\""), shownLock, deleteIt}},
        {"directory with a file in it", Directory, "keep", {shownLock, deleteIt}},
        {"running copy", Running, QByteArray(), {modapp::alreadyRunningText()}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QLockFile running(lock);  // how a copy of an earlier build held it
        switch (c.kind) {
        case File: ASSERT_TRUE(writeBytes(lock, c.content)); break;
        case Directory:
            ASSERT_TRUE(QDir().mkdir(lock));
            if (!c.content.isEmpty()) {
                ASSERT_TRUE(writeBytes(lock + QLatin1Char('/') + QString::fromLatin1(c.content), "x"));
            }
            break;
        case Link: ASSERT_TRUE(QFile::link(QDir(folder.path()).filePath(QStringLiteral("gone/away")), lock)); break;
        case Running: ASSERT_TRUE(running.tryLock(0)); break;
        }
        boxes.clear();
        windowShown = false;

        const bool starts = c.says.isEmpty();
        EXPECT_EQ(modapp::Main() == 0, starts);
        EXPECT_EQ(windowShown, starts);
        if (starts) {
            EXPECT_EQ(boxes.count(), 0);
            modapp::EndApplication_m();
            EXPECT_FALSE(QFileInfo(lock).exists() || QFileInfo(lock).isSymLink());
        } else {
            ASSERT_EQ(boxes.count(), 1);
            for (const QString& words : c.says)
                EXPECT_TRUE(boxes.last().text.contains(words)) << boxes.last().text.toStdString();
        }
        running.unlock();
        QDir(lock).removeRecursively();
        QFile::remove(lock);
    }
}

// A stale lock file this account may not write (another account's, or a
// read-only one) is taken over: made anew where the folder allows, else held
// as it is. One it may not even read is named with the real reason, and this
// computer is never said to be still working on the folder.
TEST_F(StartUp, AStaleLockThisAccountCannotWriteIsTakenOverOrItsReasonNamed)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads and writes whatever the permissions say";
    ASSERT_TRUE(folder.makeProgramFiles());
    const QString lock = folder.databasePath() + QStringLiteral(".lock");
    const QByteArray host = QSysInfo::machineHostName().toUtf8();
    const QByteArray stale = "4242\nsplitwerk\n" + host + "\n";
    const struct {
        const char* name;
        QFile::Permissions permissions;
        bool starts;
    } cases[] = {
        {"read-only", QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther, true},
        {"unreadable", {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(writeBytes(lock, stale));
        ASSERT_TRUE(QFile::setPermissions(lock, c.permissions));
        boxes.clear();
        windowShown = false;
        EXPECT_EQ(modapp::Main() == 0, c.starts);
        EXPECT_EQ(windowShown, c.starts);
        if (c.starts) {
            EXPECT_EQ(boxes.count(), 0);
            EXPECT_TRUE(QFileInfo(lock).isWritable());  // made anew as this account's
            modapp::EndApplication_m();
            EXPECT_FALSE(QFileInfo::exists(lock));
        } else {
            ASSERT_EQ(boxes.count(), 1);
            const QString text = boxes.last().text;
            EXPECT_TRUE(text.contains(QDir::toNativeSeparators(lock))) << text.toStdString();
            EXPECT_TRUE(text.contains(
                QStringLiteral("may not read it (%1)").arg(QString::fromLocal8Bit(std::strerror(EACCES)))))
                << text.toStdString();
            EXPECT_FALSE(text.contains(QString::fromUtf8(host))) << text.toStdString();
        }
        QFile::setPermissions(lock, QFile::ReadOwner | QFile::WriteOwner);
        QFile::remove(lock);
    }

    // A folder that keeps the file: it is held as it is, and keeps a second copy out.
    QTemporaryDir dir;
    const QString kept = dir.filePath(QStringLiteral("splitwerk.mdb.lock"));
    ASSERT_TRUE(writeBytes(kept, stale));
    ASSERT_TRUE(QFile::setPermissions(kept, QFile::ReadOwner));
    const QFile::Permissions open = QFile::permissions(dir.path());
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
    {
        InstanceLock first(kept);
        InstanceLock second(kept);
        EXPECT_EQ(first.take(), InstanceLock::Outcome::Taken);
        EXPECT_EQ(second.take(), InstanceLock::Outcome::Held);
    }
    QFile::setPermissions(dir.path(), open);
}

// Copies that meet the same stale lock at the same moment: one of them takes
// it over, never two, whatever the stale entry is.
TEST(InstanceLockRace, OnlyOneOfManyCopiesTakesOverAStaleLock)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("splitwerk.mdb.lock"));
    for (int round = 0; round < 60; ++round) {
        switch (round % 3) {
        case 0: ASSERT_TRUE(QFile(path).open(QIODevice::WriteOnly)); break;
        case 1: ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("nowhere")), path)); break;
        default: ASSERT_TRUE(QDir().mkdir(path)); break;
        }
        constexpr int copies = 6;
        std::vector<std::unique_ptr<InstanceLock>> locks;
        for (int i = 0; i < copies; ++i)
            locks.push_back(std::make_unique<InstanceLock>(path));
        std::latch together(copies);
        std::atomic<int> taken{0};
        std::vector<std::thread> threads;
        for (auto& l : locks)
            threads.emplace_back([&, lock = l.get()] {
                together.arrive_and_wait();
                if (lock->take() == InstanceLock::Outcome::Taken)
                    ++taken;
            });
        for (auto& t : threads)
            t.join();
        ASSERT_EQ(taken.load(), 1) << "round " << round;
        locks.clear();  // the holder lets go and removes the file
        ASSERT_FALSE(QFileInfo(path).exists() || QFileInfo(path).isSymLink()) << "round " << round;
    }
}

// A database file the start cannot use is told in words with what to do, and
// its number without the object-error base for support.
TEST_F(StartUp, DatabaseFileFaultsAtStartUpAreSaidInWordsWithTheirNumber)
{
    ASSERT_TRUE(folder.makeProgramFiles());
    const qint64 pageSize = count(QStringLiteral("PRAGMA page_size"));
    const qint64 settingsPage =
        count(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = 'tblSysStrings'"));
    ASSERT_GT(pageSize, 0);
    ASSERT_GT(settingsPage, 1);
    const auto damage = [&](qint64 offset) {
        QByteArray bytes = bytesOf(folder.databasePath());
        bytes[offset] = char(bytes.at(offset) ^ 0x5a);
        return writeBytes(folder.databasePath(), bytes);
    };
    const QString restoring = QStringLiteral("splitwerk.mdb-journal");
    const QString helpPage = QStringLiteral("splitwerk.html in the program folder says more under \"Backing up and "
                                            "restoring\"");
    const QString dataLinkAdvice = QStringLiteral(
        "The database was not touched. Installing or building Splitwerk again writes the data link file");
    const struct {
        const char* name;
        std::function<bool()> spoil;
        QStringList says;
        QStringList never;
    } cases[] = {
        {"missing database",
         [&] { return QFile::remove(folder.databasePath()); },
         {QStringLiteral("the database file is missing"), QDir::toNativeSeparators(folder.path()),
          QStringLiteral("backup copy"), restoring, helpPage, QStringLiteral("\r\n\r\nError 3024: ")},
         {QStringLiteral("README")}},
        {"damaged settings page",
         [&] { return damage((settingsPage - 1) * pageSize + pageSize / 2); },
         {QStringLiteral("the database file is damaged"), QStringLiteral("restore the backup copy"), restoring,
          helpPage, QStringLiteral("\r\n\r\nError 3049: ")},
         {QStringLiteral("README")}},
        {"damaged first page",
         [&] { return damage(pageSize / 2); },
         {QStringLiteral("cannot be read with the program's key"), QStringLiteral("restore the backup copy"), restoring,
          helpPage, QStringLiteral("\r\n\r\nError 3031: ")},
         {QStringLiteral("README")}},
        {"a folder in the database's place",
         [&] { return QFile::remove(folder.databasePath()) && QDir().mkdir(folder.databasePath()); },
         {QStringLiteral("there is a folder of that name"), restoring, QStringLiteral("\r\n\r\nError 3024: ")},
         {QStringLiteral("is missing")}},
        {"a wrong key in the data link file",
         [&] { return folder.writeUdl("Provider=SQLCipher;Data Source=splitwerk.mdb;Password=RORUDAZ"); },
         {QStringLiteral("the password in the data link file SPLITWERK.UDL"), dataLinkAdvice,
          QStringLiteral("\r\n\r\nError 3031: ")},
         {QStringLiteral("restore the backup"), QStringLiteral("damaged")}},
        {"a data link file naming another file",
         [&] { return folder.writeUdl("Provider=SQLCipher;Data Source=splitwerk.mbd;Password=RORUDAZE"); },
         {QStringLiteral("names another database file than splitwerk.mdb"), dataLinkAdvice,
          QStringLiteral("\r\n\r\nError 3024: ")},
         {QStringLiteral("restore the backup"), QStringLiteral("is missing")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(folder.databasePath()).removeRecursively();
        QFile::remove(folder.databasePath());
        ASSERT_TRUE(folder.createDatabase());
        ASSERT_TRUE(folder.writeUdl());
        ASSERT_TRUE(c.spoil());
        qint32 style = 0;
        const QString text = failedStartText(&style);
        EXPECT_TRUE(text.startsWith(QStringLiteral("Splitwerk could not start: "))) << text.toStdString();
        for (const QString& words : c.says)
            EXPECT_TRUE(text.contains(words)) << text.toStdString();
        const QString advice = text.section(QStringLiteral("\r\n\r\nError "), 0, 0);
        for (const QString& words : c.never)
            EXPECT_FALSE(advice.contains(words)) << text.toStdString();
        EXPECT_EQ(style, 16);
    }
    // The page that restoring names says how, and that the journal goes too.
    const QString help = QString::fromUtf8(bytesOf(QStringLiteral(SPLITWERK_RESOURCES_DIR "/splitwerk.html")));
    EXPECT_TRUE(help.contains(QStringLiteral(">Backing up and restoring<"))) << help.toStdString();
    EXPECT_TRUE(help.contains(restoring)) << help.toStdString();

    // The faults a root user's start cannot meet here, as the connections raise them.
    const struct {
        qint32 number;
        const char* says;
    } raised[] = {
        {AppError::withObjectBase(3027), "the database or its folder cannot be written"},
        {3027, "write to the program folder"},
        {3026, "the disk is full"},
        {AppError::withObjectBase(3043), "the disk could not be read or written"},
        {3218, "in use by another program"},
    };
    for (const auto& r : raised) {
        SCOPED_TRACE(r.number);
        qint32 style = 0;
        const QString text = modapp::startupFailureText(AppError(r.number, QStringLiteral("why")), &style);
        EXPECT_TRUE(text.startsWith(QStringLiteral("Splitwerk could not start: "))) << text.toStdString();
        EXPECT_TRUE(text.contains(QLatin1String(r.says))) << text.toStdString();
        EXPECT_TRUE(text.endsWith(QStringLiteral("\r\n\r\nError %1: why").arg(r.number & 0xFFFF)))
            << text.toStdString();
        EXPECT_EQ(style, 16);
    }
}

// A folder or database file that cannot be written stops the start in words.
TEST_F(StartUp, AReadOnlyFolderOrDatabaseStopsTheStartInWords)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes whatever the permissions say; the words are checked with the raised faults";
    ASSERT_TRUE(folder.makeProgramFiles());
    const struct {
        const char* name;
        QString path;
        QFile::Permissions readOnly;
    } cases[] = {
        {"read-only folder", folder.path(), QFile::ReadOwner | QFile::ExeOwner},
        {"read-only database", folder.databasePath(), QFile::ReadOwner},
    };
    const QByteArray before = bytesOf(folder.databasePath());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QFile::Permissions writable = QFile::permissions(c.path);
        ASSERT_TRUE(QFile::setPermissions(c.path, c.readOnly));
        const QString text = failedStartText();
        QFile::setPermissions(c.path, writable);
        EXPECT_TRUE(text.startsWith(QStringLiteral("Splitwerk could not start: the database or its folder cannot be "
                                                   "written")))
            << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("\r\n\r\nError 3027: "))) << text.toStdString();
        EXPECT_EQ(bytesOf(folder.databasePath()), before);
    }
}

// A settings file the start cannot write is named with why: read-only for
// this user, a full disk, or neither that can be seen.
TEST_F(StartUp, ASettingsFileThatCannotBeWrittenIsNamedWithWhy)
{
    ASSERT_TRUE(folder.makeProgramFiles());
    // root writes through any permission: only a read-only disk stops it.
    const bool root = ::geteuid() == 0;
    SmallDisk readOnlyDisk;
    SmallDisk fullDisk;
    const QString blocker = QDir(folder.path()).filePath(QStringLiteral("blocker"));
    const QString readOnly = root ? readOnlyDisk.filePath(QStringLiteral("registry.ini")) : folder.registryPath();
    const struct {
        const char* name;
        QString file;
        std::function<bool()> spoil;  // false: this account cannot make the fault
        const char* says;
    } cases[] = {
        {"a file where its folder should be", blocker + QStringLiteral("/registry.ini"),
         [&] { return writeBytes(blocker, "x"); }, "Check that its folder is a folder you may write to"},
        {"read-only", readOnly,
         [&] {
             return writeBytes(readOnly, "[General]\n")
                 && (root ? readOnlyDisk.makeReadOnly() : QFile::setPermissions(readOnly, QFile::ReadOwner));
         },
         "it or its folder is read-only for you"},
        {"a full disk", fullDisk.filePath(QStringLiteral("registry.ini")),
         [&] { return fullDisk.isReady() && fullDisk.fill(); }, "its disk is full"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.spoil()) {
            std::cout << "[  SKIPPED ] " << c.name << ": only root can make this fault here\n";
            continue;
        }
        RegistryStore::setFilePath(c.file);
        qint32 style = 0;
        const QString text = failedStartText(&style);
        EXPECT_TRUE(text.startsWith(QStringLiteral("Splitwerk could not start: the settings file ")
                                    + QDir::toNativeSeparators(c.file) + QStringLiteral(" cannot be written")))
            << text.toStdString();
        EXPECT_TRUE(text.contains(QLatin1String(c.says))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("\r\n\r\nError -2147194455: Failed to set registry value")))
            << text.toStdString();
        EXPECT_EQ(style, 16);
    }
}

// The database file deleted or replaced under the running program: a save
// says what happened to the file, not that it cannot be written, and the
// file now at its place is left alone, at the exit too.
TEST_F(StartUp, ADatabaseDeletedOrReplacedWhileRunningIsSaidAsSuch)
{
    const struct {
        const char* name;
        bool replace;
    } cases[] = {{"deleted", false}, {"replaced", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempProgramFolder own;
        ASSERT_TRUE(own.makeProgramFiles());
        const QString other = QDir(own.path()).filePath(QStringLiteral("other.mdb"));
        ASSERT_TRUE(QFile::copy(own.databasePath(), other));
        ASSERT_EQ(modapp::Main(), 0);
        boxes.clear();
        if (c.replace)
            ASSERT_EQ(::rename(QFile::encodeName(other).constData(), QFile::encodeName(own.databasePath()).constData()),
                      0);
        else
            ASSERT_TRUE(QFile::remove(own.databasePath()));
        const QByteArray now = bytesOf(own.databasePath());

        EXPECT_FALSE(DatabaseFault::saying(QStringLiteral("The athlete could not be saved"), [] {
            modapp::ThisApp()->DatabaseAdo_Po()->SQLExecute_pl(
                QStringLiteral("INSERT INTO tblRoster (sLastName) VALUES ('Berg')"));
        }));
        ASSERT_EQ(boxes.count(), 1);
        const QString text = boxes.last().text;
        EXPECT_TRUE(text.startsWith(QStringLiteral("The athlete could not be saved: the database file was deleted, "
                                                   "moved or replaced while Splitwerk was running")))
            << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("cannot be written"))) << text.toStdString();
        modapp::EndApplication_m();
        EXPECT_EQ(QFileInfo::exists(own.databasePath()), c.replace);
        EXPECT_EQ(bytesOf(own.databasePath()), now);
        EXPECT_EQ(boxes.count(), 1);
    }
}
