#include "SqliteBaseline.h"
#include "platform/Connection.h"
#include "platform/Recordset.h"
#include "platform/RecordsetFilter.h"

#include <QTemporaryDir>

#include <sqlcipher/sqlite3.h>

#include <benchmark/benchmark.h>

#include <memory>
#include <stdexcept>

namespace {

const QString Key = QStringLiteral("bench-key");

// One keyed file for all benchmarks, with a detail-like table of 100,000 rows.
struct BenchDb {
    QTemporaryDir dir;
    QString path;

    BenchDb()
    {
        path = dir.filePath(QStringLiteral("bench.mdb"));
        sqlite3* db = nullptr;
        if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr)
            != SQLITE_OK)
            throw std::runtime_error("cannot create the benchmark database");
        const QByteArray key = (QStringLiteral("PRAGMA key = '") + Key + QLatin1Char('\'')).toUtf8();
        sqlite3_exec(db, key.constData(), nullptr, nullptr, nullptr);
        const char* script =
            "CREATE TABLE tblDetail (lDetailID INTEGER PRIMARY KEY AUTOINCREMENT, lSegmentID INTEGER,"
            " lOrdinalPosition INTEGER, sLabel TEXT COLLATE NOCASE, dCumTime DOUBLE, dRate DOUBLE,"
            " dtDate DATE, fFlag BOOLEAN NOT NULL ON CONFLICT REPLACE DEFAULT 0, sComments TEXT COLLATE NOCASE);"
            "CREATE TABLE tblInsert (lID INTEGER PRIMARY KEY AUTOINCREMENT, lSegmentID INTEGER,"
            " sLabel TEXT COLLATE NOCASE, dCumTime DOUBLE, dtDate DATE,"
            " fFlag BOOLEAN NOT NULL ON CONFLICT REPLACE DEFAULT 0);"
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000)"
            " INSERT INTO tblDetail (lSegmentID, lOrdinalPosition, sLabel, dCumTime, dRate, dtDate, fFlag, sComments)"
            " SELECT i / 50, i % 50, 'T' || substr('000' || (i % 50), -3), i * 1.25, 1.5, '2024-05-17', -(i % 2),"
            " CASE WHEN i % 10 = 0 THEN NULL ELSE 'comment ' || i END FROM n;";
        char* err = nullptr;
        const int rc = sqlite3_exec(db, script, nullptr, nullptr, &err);
        sqlite3_free(err);
        sqlite3_close(db);
        if (rc != SQLITE_OK)
            throw std::runtime_error("benchmark database script failed");
    }
};

BenchDb& benchDb()
{
    static BenchDb db;
    return db;
}

void BM_OpenConnection(benchmark::State& state)
{
    const QString path = benchDb().path;
    for (auto _ : state) {
        Connection conn;
        conn.Open(path, Key);
        benchmark::DoNotOptimize(conn.IsOpen());
    }
}
BENCHMARK(BM_OpenConnection)->Unit(benchmark::kMillisecond);

void BM_Snapshot100k(benchmark::State& state)
{
    Connection conn;
    conn.Open(benchDb().path, Key);
    for (auto _ : state) {
        Recordset rs;
        rs.Open(conn, QStringLiteral("SELECT * FROM tblDetail"));
        if (rs.RecordCount() != 100000)
            state.SkipWithError("wrong row count");
    }
}
BENCHMARK(BM_Snapshot100k)->Unit(benchmark::kMillisecond);

// The baseline of the loads below: the same statement stepped on the same
// connection, every column of every row read in its own type.
void BM_Snapshot100k_Sqlite(benchmark::State& state)
{
    Connection conn;
    conn.Open(benchDb().path, Key);
    for (auto _ : state) {
        const int rows = stepEveryColumn(conn.handle(), QByteArrayLiteral("SELECT * FROM tblDetail"));
        if (rows != 100000)
            state.SkipWithError("wrong row count");
    }
}
BENCHMARK(BM_Snapshot100k_Sqlite)->Unit(benchmark::kMillisecond);

// A big detached set as the detail window makes one: the snapshot opened
// editable in memory, copied unconnected, the snapshot closed.
void BM_LoadDetached100k(benchmark::State& state)
{
    Connection conn;
    conn.Open(benchDb().path, Key);
    for (auto _ : state) {
        Recordset rs;
        rs.Open(conn, QStringLiteral("SELECT * FROM tblDetail"), Recordset::Mode::InMemory);
        std::unique_ptr<Recordset> copy = rs.DetachedCopy();
        rs.Close();
        if (copy->RecordCount() != 100000)
            state.SkipWithError("wrong row count");
    }
}
BENCHMARK(BM_LoadDetached100k)->Unit(benchmark::kMillisecond);

// The copy alone, of rows already loaded.
void BM_DetachedCopy100k(benchmark::State& state)
{
    Connection conn;
    conn.Open(benchDb().path, Key);
    Recordset rs;
    rs.Open(conn, QStringLiteral("SELECT * FROM tblDetail"), Recordset::Mode::InMemory);
    for (auto _ : state)
        benchmark::DoNotOptimize(rs.DetachedCopy()->RecordCount());
}
BENCHMARK(BM_DetachedCopy100k)->Unit(benchmark::kMillisecond);

// The first row added to a detached set of 50,000 rows just loaded: the
// AddNew, four fields and the Update.
void BM_FirstAddNewAt50k(benchmark::State& state)
{
    Connection conn;
    conn.Open(benchDb().path, Key);
    Recordset rs;
    rs.Open(conn, QStringLiteral("SELECT * FROM tblDetail WHERE lDetailID <= 50000"), Recordset::Mode::InMemory);
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<Recordset> copy = rs.DetachedCopy();
        state.ResumeTiming();
        copy->AddNew();
        copy->Fields(1).Value(Value(1));
        copy->Fields(2).Value(Value(50001));
        copy->Fields(3).Value(Value(QStringLiteral("T999")));
        copy->Fields(4).Value(Value(0.0));
        copy->Update();
        state.PauseTiming();
        if (copy->RecordCount() != 50001)
            state.SkipWithError("the row was not added");
        copy.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FirstAddNewAt50k)->Unit(benchmark::kMicrosecond);

void BM_Snapshot100kSortAndFilter(benchmark::State& state)
{
    Connection conn;
    conn.Open(benchDb().path, Key);
    Recordset rs;
    rs.Open(conn, QStringLiteral("SELECT * FROM tblDetail"));
    for (auto _ : state) {
        rs.Filter(QStringLiteral("sLabel LIKE 'T01*' OR dCumTime < 1000"));
        rs.Sort(QStringLiteral("sLabel DESC, dCumTime"));
        benchmark::DoNotOptimize(rs.RecordCount());
        rs.Filter(QString());
        rs.Sort(QString());
    }
}
BENCHMARK(BM_Snapshot100kSortAndFilter)->Unit(benchmark::kMillisecond);

void BM_Insert10kThroughRecordset(benchmark::State& state)
{
    Connection conn;
    conn.Open(benchDb().path, Key);
    for (auto _ : state) {
        Recordset rs;
        rs.Open(conn, QStringLiteral("SELECT * FROM tblInsert WHERE 0"), Recordset::Mode::Editable);
        conn.BeginTrans();
        for (int i = 0; i < 10000; ++i) {
            rs.AddNew();
            rs.Fields(1).Value(Value(i / 50));
            rs.Fields(2).Value(Value(QStringLiteral("T%1").arg(i % 50)));
            rs.Fields(3).Value(Value(i * 1.25));
            rs.Fields(4).Value(Value(QDate(2024, 5, 17)));
            rs.Fields(5).Value(Value(i % 2 == 0));
            rs.Update();
        }
        conn.CommitTrans();
        state.PauseTiming();
        conn.Execute(QStringLiteral("DELETE FROM tblInsert"));
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Insert10kThroughRecordset)->Unit(benchmark::kMillisecond);

void BM_Insert10kBoundExecute(benchmark::State& state)
{
    Connection conn;
    conn.Open(benchDb().path, Key);
    const QString sql =
        QStringLiteral("INSERT INTO tblInsert (lSegmentID, sLabel, dCumTime, dtDate, fFlag) VALUES (?, ?, ?, ?, ?)");
    for (auto _ : state) {
        conn.BeginTrans();
        for (int i = 0; i < 10000; ++i)
            conn.Execute(sql,
                         {Value(i / 50), Value(QStringLiteral("T%1").arg(i % 50)), Value(i * 1.25),
                          Value(QDate(2024, 5, 17)), Value(i % 2 == 0)});
        conn.CommitTrans();
        state.PauseTiming();
        conn.Execute(QStringLiteral("DELETE FROM tblInsert"));
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Insert10kBoundExecute)->Unit(benchmark::kMillisecond);

// A requery where the first row has gone, so every other row has to be found
// again by its key: compare with BM_Snapshot100k, the same load without it.
void BM_Requery100kAfterADelete(benchmark::State& state)
{
    Connection conn;
    conn.Open(benchDb().path, Key);
    Recordset rs;
    rs.Open(conn, QStringLiteral("SELECT * FROM tblDetail"));
    rs.MoveLast();
    conn.BeginTrans();
    conn.Execute(QStringLiteral("DELETE FROM tblDetail WHERE lDetailID = 1"));
    for (auto _ : state) {
        rs.Requery();
        if (rs.RecordCount() != 99999 || rs.AbsolutePosition() != 99999)
            state.SkipWithError("the current row was not kept");
    }
    rs.Close();
    conn.Rollback();
}
BENCHMARK(BM_Requery100kAfterADelete)->Unit(benchmark::kMillisecond);

// The wildcard pattern whose backtracking cost grew with the number of stars,
// on rows of 40, 400 and 4,000 characters that never match.
void BM_LikeSevenStars(benchmark::State& state)
{
    const QString row(int(state.range(0)), QLatin1Char('a'));
    const QString pattern = QStringLiteral("*a*a*a*a*a*a*a*b");
    for (auto _ : state)
        benchmark::DoNotOptimize(RecordsetExpr::likeMatch(row, pattern));
}
BENCHMARK(BM_LikeSevenStars)->Arg(40)->Arg(400)->Arg(4000)->Unit(benchmark::kMicrosecond);

}  // namespace
