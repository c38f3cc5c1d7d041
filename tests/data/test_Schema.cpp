// The shipped database as the scripts make it: encryption, tables and their
// declared types, built-in rows, relationships, and the unit factors.

#include "platform/Statement.h"
#include "support/TempProgramFolder.h"

#include <QFile>
#include <QMap>
#include <QSet>
#include <QStringList>
#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>

#include <cmath>

namespace {

// A direct handle on the test database, keyed (or not) and with foreign keys
// on, as the program's connections open it.
class Db {
public:
    explicit Db(const QString& path, const QByteArray& key = "RORUDAZE")
    {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_extended_result_codes(m_db, 1);
        if (!key.isEmpty())
            sqlite3_key(m_db, key.constData(), int(key.size()));
        sqlite3_exec(m_db, "PRAGMA foreign_keys = ON", nullptr, nullptr, nullptr);
    }
    ~Db() { sqlite3_close(m_db); }
    Db(const Db&) = delete;
    Db& operator=(const Db&) = delete;

    sqlite3* handle() const { return m_db; }
    QString message() const { return QString::fromUtf8(sqlite3_errmsg(m_db)); }

    // The extended result code of one statement run to its end.
    int exec(const char* sql)
    {
        int rc = SQLITE_OK;
        const Statement stmt = Statement::prepare(m_db, sql, -1, &rc);
        if (rc == SQLITE_OK && stmt) {
            while ((rc = stmt.step()) == SQLITE_ROW) {
            }
            rc = rc == SQLITE_DONE ? SQLITE_OK : sqlite3_extended_errcode(m_db);
        }
        return rc;
    }

    // Every row of a query, each column as text ("NULL" for a Null).
    QList<QStringList> rows(const char* sql)
    {
        QList<QStringList> result;
        int rc = SQLITE_OK;
        const Statement stmt = Statement::prepare(m_db, sql, -1, &rc);
        if (rc != SQLITE_OK) {
            ADD_FAILURE() << sql << ": " << sqlite3_errmsg(m_db);
            return result;
        }
        while (stmt.step() == SQLITE_ROW) {
            QStringList row;
            for (int c = 0; c < stmt.columnCount(); ++c)
                row << (stmt.columnType(c) == SQLITE_NULL ? QStringLiteral("NULL") : stmt.columnText(c));
            result << row;
        }
        return result;
    }

    QString scalar(const char* sql)
    {
        const auto all = rows(sql);
        return all.isEmpty() || all.first().isEmpty() ? QString() : all.first().first();
    }

    double number(const char* sql) { return scalar(sql).toDouble(); }

private:
    sqlite3* m_db = nullptr;
};

class Schema : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.createDatabase()); }
    TempProgramFolder folder;
};

const QStringList TableNames = {
    "tblCategory",  "tblDIPSType",   "tblDistanceType",    "tblEvent",   "tblImportSegment", "tblImportSegmentDetail",
    "tblRateType",  "tblRoster",     "tblRoster_Category", "tblSegment", "tblSegmentDetail", "tblSegmentType",
    "tblSpeedType", "tblSysStrings", "tblTimeType"};

QStringList columnNames(Db& db, const QString& table)
{
    QStringList names;
    for (const QStringList& row : db.rows(qPrintable(QStringLiteral("PRAGMA table_info(%1)").arg(table))))
        names << row.at(1);
    return names;
}

// Rounding to decimal places as the detail window does: halves to even.
double roundTo(double x, int places)
{
    const double scale = std::pow(10.0, places);
    return std::nearbyint(x * scale) / scale;
}

}  // namespace

TEST_F(Schema, IsEncryptedAndOpensOnlyWithItsKey)
{
    QFile file(folder.databasePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_FALSE(file.read(16).startsWith("SQLite format 3"));
    file.close();

    for (const QByteArray& key : {QByteArray(), QByteArray("rorudaze")}) {
        Db db(folder.databasePath(), key);
        EXPECT_EQ(db.exec("SELECT count(*) FROM sqlite_master"), SQLITE_NOTADB) << key.constData();
        EXPECT_TRUE(db.message().contains(QLatin1String("not a database"))) << qPrintable(db.message());
    }
    Db keyed(folder.databasePath());
    EXPECT_EQ(keyed.exec("SELECT count(*) FROM sqlite_master"), SQLITE_OK) << qPrintable(keyed.message());
}

TEST_F(Schema, HoldsExactlyTheFifteenTables)
{
    Db db(folder.databasePath());
    QStringList names;
    for (const QStringList& row : db.rows("SELECT name FROM sqlite_master WHERE type = 'table' "
                                          "AND name NOT LIKE 'sqlite!_%' ESCAPE '!' ORDER BY name"))
        names << row.first();
    EXPECT_EQ(names, TableNames);
    // Start-up drops every table and view whose name contains "temp".
    EXPECT_EQ(db.scalar("SELECT count(*) FROM sqlite_master WHERE name LIKE '%temp%'"), "0");
}

// Our record-set layer types values by the declared type, so each column's
// type and collation must follow its name's prefix.
TEST_F(Schema, ColumnsAreDeclaredAfterTheirPrefix)
{
    Db db(folder.databasePath());
    for (const QString& table : TableNames) {
        for (const QStringList& col : db.rows(qPrintable(QStringLiteral("PRAGMA table_info(%1)").arg(table)))) {
            const QString name = col.at(1), type = col.at(2), dflt = col.at(4);
            const bool notNull = col.at(3) == QLatin1String("1");
            const char* collation = nullptr;
            ASSERT_EQ(sqlite3_table_column_metadata(db.handle(), nullptr, qPrintable(table), qPrintable(name), nullptr,
                                                    &collation, nullptr, nullptr, nullptr),
                      SQLITE_OK);
            const QString where = table + QLatin1Char('.') + name;
            const bool nocase =
                QString::fromLatin1(collation).compare(QLatin1String("NOCASE"), Qt::CaseInsensitive) == 0;
            if (name.startsWith(QLatin1String("dt"))) {
                EXPECT_TRUE(type == QLatin1String("DATE") || type == QLatin1String("TIME")) << qPrintable(where);
            } else if (name.startsWith(QLatin1Char('l'))) {
                EXPECT_EQ(type, "INTEGER") << qPrintable(where);
            } else if (name.startsWith(QLatin1Char('d'))) {
                EXPECT_EQ(type, "DOUBLE") << qPrintable(where);
            } else if (name.startsWith(QLatin1Char('s'))) {
                EXPECT_EQ(type, "TEXT") << qPrintable(where);
                EXPECT_TRUE(nocase) << qPrintable(where);
            } else if (name.startsWith(QLatin1Char('m'))) {
                EXPECT_EQ(type, "LONGTEXT") << qPrintable(where);
                EXPECT_TRUE(nocase) << qPrintable(where);
            } else if (name.startsWith(QLatin1Char('f'))) {
                EXPECT_EQ(type, "BOOLEAN") << qPrintable(where);
                EXPECT_TRUE(notNull) << qPrintable(where);
                EXPECT_EQ(dflt, "0") << qPrintable(where);
            } else {
                ADD_FAILURE() << "column without a kind prefix: " << qPrintable(where);
            }
        }
    }
}

// The review save copies the staging header's middle columns into a segment
// by name, and the staging rows' columns into segment rows.
TEST_F(Schema, StagingColumnsMatchTheTablesTheyAreCopiedInto)
{
    Db db(folder.databasePath());
    const QStringList staging = columnNames(db, "tblImportSegment");
    const QStringList segment = columnNames(db, "tblSegment");
    ASSERT_GE(staging.size(), 3);
    EXPECT_EQ(staging.first(), "lSegmentID");
    EXPECT_EQ(staging.last(), "fSave");
    for (const QString& name : staging.mid(1, staging.size() - 2))
        EXPECT_TRUE(segment.contains(name)) << qPrintable(name);

    const QStringList detail = columnNames(db, "tblSegmentDetail");
    for (const QString& name : columnNames(db, "tblImportSegmentDetail"))
        EXPECT_TRUE(detail.contains(name)) << qPrintable(name);

    // The download leaves the distance empty, not 0.
    ASSERT_EQ(db.exec("INSERT INTO tblImportSegmentDetail (lSegmentID, sSegmentDetailLabel) VALUES (1, 'T001')"),
              SQLITE_OK);
    EXPECT_EQ(db.scalar("SELECT dDistance FROM tblImportSegmentDetail"), "NULL");
}

TEST_F(Schema, ShipsLockedBuiltInRowsAndTheSettings)
{
    Db db(folder.databasePath());
    EXPECT_EQ(db.rows("SELECT lRosterID, sLastName, fActive, fSysLock FROM tblRoster"),
              (QList<QStringList>{{"1", "All Competitors", "-1", "-1"}}));
    EXPECT_EQ(db.rows("SELECT lCategoryID, fSysLock FROM tblCategory ORDER BY 1"),
              (QList<QStringList>{{"1", "-1"}, {"2", "-1"}}));
    EXPECT_EQ(db.rows("SELECT lEventID, fSysLock FROM tblEvent"), (QList<QStringList>{{"1", "-1"}}));
    EXPECT_EQ(db.rows("SELECT lSegmentTypeID, fSysLock FROM tblSegmentType"), (QList<QStringList>{{"1", "-1"}}));

    QMap<QString, QString> settings;
    for (const QStringList& row : db.rows("SELECT lStringID, sString FROM tblSysStrings"))
        settings.insert(row.at(0), row.at(1));
    const QMap<QString, QString> expected = {{"100", "30"},
                                             {"110", "1"},
                                             {"115", "splitwerk.html"},
                                             {"120", ""},
                                             {"130", ""},
                                             {"170", "splitwerk.ini"},
                                             {"180", "English"},
                                             {"200", "1"},
                                             {"210", "1"},
                                             {"220", "1"},
                                             {"230", "4"},
                                             {"8002", "Invalid Com Port"},
                                             {"8007", "Baud rate not supported for selected com port"},
                                             {"8013", "Port already open"}};
    EXPECT_EQ(settings, expected);

    // The strings file the settings name is the one the build ships.
    EXPECT_TRUE(QFile::exists(QStringLiteral(SPLITWERK_RESOURCES_DIR "/") + settings.value("170")));
}

// Each enforced relationship refuses to delete a parent a child still uses,
// deletes nothing, and lets the parent go once the child is gone.
TEST_F(Schema, RefusesToDeleteParentsStillInUse)
{
    struct Case {
        const char* setUp;
        const char* deleteParent;
        const char* parentCount;
        const char* deleteChild;
    };
    const Case cases[] = {
        {"INSERT INTO tblCategory (lCategoryID, sCategory) VALUES (10, 'Juniors');"
         "INSERT INTO tblSegment (lCategoryID) VALUES (10)",
         "DELETE FROM tblCategory WHERE lCategoryID = 10", "SELECT count(*) FROM tblCategory WHERE lCategoryID = 10",
         "DELETE FROM tblSegment WHERE lCategoryID = 10"},
        {"INSERT INTO tblEvent (lEventID, sEvent) VALUES (10, 'Regatta');"
         "INSERT INTO tblSegment (lEventID) VALUES (10)",
         "DELETE FROM tblEvent WHERE lEventID = 10", "SELECT count(*) FROM tblEvent WHERE lEventID = 10",
         "DELETE FROM tblSegment WHERE lEventID = 10"},
        {"INSERT INTO tblSegmentType (lSegmentTypeID, sSegmentType) VALUES (10, 'Race');"
         "INSERT INTO tblSegment (lSegmentTypeID) VALUES (10)",
         "DELETE FROM tblSegmentType WHERE lSegmentTypeID = 10",
         "SELECT count(*) FROM tblSegmentType WHERE lSegmentTypeID = 10",
         "DELETE FROM tblSegment WHERE lSegmentTypeID = 10"},
        {"INSERT INTO tblCategory (lCategoryID, sCategory) VALUES (10, 'Juniors');"
         "INSERT INTO tblRoster (lRosterID, sLastName) VALUES (5, 'Ames');"
         "INSERT INTO tblRoster_Category (lRosterID, lCategoryID) VALUES (5, 10)",
         "DELETE FROM tblCategory WHERE lCategoryID = 10", "SELECT count(*) FROM tblCategory WHERE lCategoryID = 10",
         "DELETE FROM tblRoster_Category WHERE lCategoryID = 10"},
    };
    for (const Case& c : cases) {
        TempProgramFolder own;
        ASSERT_TRUE(own.createDatabase());
        ASSERT_TRUE(own.execSql(QString::fromLatin1(c.setUp)));
        Db db(own.databasePath());
        // RESTRICT is carried out as a trigger: the refusal comes as a constraint
        // error with SQLite's foreign-key text, not as SQLITE_CONSTRAINT_FOREIGNKEY.
        EXPECT_EQ(db.exec(c.deleteParent) & 0xff, SQLITE_CONSTRAINT) << c.deleteParent;
        EXPECT_EQ(db.message(), "FOREIGN KEY constraint failed") << c.deleteParent;
        EXPECT_EQ(db.scalar(c.parentCount), "1") << c.deleteParent;
        ASSERT_EQ(db.exec(c.deleteChild), SQLITE_OK) << c.deleteChild;
        EXPECT_EQ(db.exec(c.deleteParent), SQLITE_OK) << c.deleteParent;
        EXPECT_EQ(db.scalar(c.parentCount), "0") << c.deleteParent;
    }

    // A segment cannot point at a category that does not exist either.
    Db db(folder.databasePath());
    EXPECT_EQ(db.exec("INSERT INTO tblSegment (lCategoryID) VALUES (99)"), SQLITE_CONSTRAINT_FOREIGNKEY);
}

TEST_F(Schema, FlagsTurnNullIntoFalseAndKeysAreNeverReused)
{
    Db db(folder.databasePath());
    ASSERT_EQ(db.exec("INSERT INTO tblSegment (sSegmentLabel, fReviewed) VALUES ('a', NULL)"), SQLITE_OK);
    ASSERT_EQ(db.exec("INSERT INTO tblSegment (sSegmentLabel) VALUES ('b')"), SQLITE_OK);
    EXPECT_EQ(db.rows("SELECT sSegmentLabel, fReviewed FROM tblSegment ORDER BY lSegmentID"),
              (QList<QStringList>{{"a", "0"}, {"b", "0"}}));
    ASSERT_EQ(db.exec("UPDATE tblSegment SET fReviewed = -1"), SQLITE_OK);
    ASSERT_EQ(db.exec("UPDATE tblSegment SET fReviewed = NULL WHERE sSegmentLabel = 'a'"), SQLITE_OK);
    EXPECT_EQ(db.rows("SELECT fReviewed FROM tblSegment ORDER BY lSegmentID"), (QList<QStringList>{{"0"}, {"-1"}}));

    // Deleting the newest row must not hand its id to the next insert.
    const QString top = db.scalar("SELECT max(lSegmentID) FROM tblSegment");
    ASSERT_EQ(db.exec("DELETE FROM tblSegment WHERE sSegmentLabel = 'b'"), SQLITE_OK);
    ASSERT_EQ(db.exec("INSERT INTO tblSegment (sSegmentLabel) VALUES ('c')"), SQLITE_OK);
    EXPECT_GT(db.scalar("SELECT max(lSegmentID) FROM tblSegment").toInt(), top.toInt());
    // Seeded ids count too: the first category the user adds is 3.
    ASSERT_EQ(db.exec("INSERT INTO tblCategory (sCategory) VALUES ('Masters')"), SQLITE_OK);
    EXPECT_EQ(db.scalar("SELECT lCategoryID FROM tblCategory WHERE sCategory = 'masters'"), "3");
}

// 500 m in 120 s shown in every speed unit, the way the detail window works
// it out from the unit rows: distance / Fd * Fd(speed) / (lap * Ft(speed)).
TEST_F(Schema, UnitFactorsGiveTheWorkedExample)
{
    Db db(folder.databasePath());
    const auto speeds = db.rows("SELECT s.lSpeedTypeID, d.dfactor, t.dfactor, s.lSignificantDigits FROM tblSpeedType s "
                                "JOIN tblDistanceType d ON d.lDistanceTypeID = s.lDistanceTypeID "
                                "JOIN tblTimeType t ON t.lTimeTypeID = s.lTimeTypeID ORDER BY s.lSpeedTypeID");
    ASSERT_EQ(speeds.size(), 5);
    const double metreFactor = db.number("SELECT dfactor FROM tblDistanceType WHERE lDistanceTypeID = 1");
    const double expected[] = {4.17, 15, 9.32, 820.2, 273.4};
    for (int i = 0; i < 5; ++i) {
        const QStringList& s = speeds.at(i);
        const double speed =
            roundTo(500 / metreFactor * s.at(1).toDouble() / (120 * s.at(2).toDouble()), s.at(3).toInt());
        EXPECT_DOUBLE_EQ(speed, expected[i]) << "speed unit " << qPrintable(s.at(0));
    }

    // The same split typed as 0.5 under kilometres.
    const double km = db.number("SELECT dfactor FROM tblDistanceType WHERE lDistanceTypeID = 2");
    const double hour = db.number("SELECT dfactor FROM tblTimeType WHERE lTimeTypeID = 3");
    EXPECT_DOUBLE_EQ(roundTo(0.5 / km * km / (120 * hour), 2), 15);

    // A rate of 2 s per cycle: stored as typed under unit 1, 30 strokes a minute under unit 2.
    const auto rates = db.rows("SELECT dfactor, lSignificantDigits FROM tblRateType ORDER BY lRateTypeID");
    ASSERT_EQ(rates.size(), 2);
    EXPECT_DOUBLE_EQ(roundTo(2.0 * rates.at(0).at(0).toDouble(), rates.at(0).at(1).toInt()), 2);
    EXPECT_DOUBLE_EQ(roundTo(1 / 2.0 * rates.at(1).at(0).toDouble(), rates.at(1).at(1).toInt()), 30);

    // Every distance unit has its distance-per-stroke row.
    EXPECT_EQ(db.scalar("SELECT count(*) FROM tblDistanceType d JOIN tblDIPSType p USING (lDistanceTypeID)"), "5");
}
