#include "BenchApplication.h"
#include "DetailBench.h"
#include "MemoryUse.h"
#include "SqliteBaseline.h"
#include "data/clsAdoConnectJet.h"
#include "detail/DetailCalculation.h"
#include "detail/clsSegmentRows.h"
#include "detail/clsStoredRows.h"
#include "detail/frmSegmentDetail.h"
#include "platform/Connection.h"
#include "platform/Recordset.h"
#include "search/clsSearchSegment.h"
#include "search/frmSegmentList.h"
#include "support/RunningApp.h"
#include "support/ScriptedMessages.h"
#include "support/TempProgramFolder.h"

#include <QPushButton>

#include <optional>

#include <benchmark/benchmark.h>

namespace {

// Retrieve of an n-row segment into a window whose grid shows it: the
// segment, its rows, the derived columns, the sort and the unit captions.
void BM_OpenSegment_Retrieve(benchmark::State& state)
{
    DetailBench bench(int(state.range(0)));
    if (!bench.ready(state))
        return;
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<frmSegmentDetail>();
        state.ResumeTiming();
        benchmark::DoNotOptimize(window->Retrieve_pf(1));
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
    state.counters["boxes"] = double(bench.boxes.count());
}
BENCHMARK(BM_OpenSegment_Retrieve)->Arg(500)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond);

// What the user waits for: the window made, the segment retrieved, the
// window shown and its grid painted.
void BM_OpenSegment_NewWindow(benchmark::State& state)
{
    DetailBench bench(int(state.range(0)));
    if (!bench.ready(state))
        return;
    for (auto _ : state) {
        auto window = bench.openWindow();
        bench.paint(*window);
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenSegment_NewWindow)->Arg(500)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond);

// The baseline: the rows' statement stepped on the program's connection.
void BM_OpenSegment_Sqlite(benchmark::State& state)
{
    DetailBench bench(int(state.range(0)));
    if (!bench.ready(state))
        return;
    sqlite3* db = (*bench.app)->DatabaseAdo_Po()->Connection()->handle();
    const QByteArray sql = DetailBench::rowsSql().toUtf8();
    int rows = 0;
    for (auto _ : state)
        rows = stepEveryColumn(db, sql);
    state.counters["rows"] = rows;
}
BENCHMARK(BM_OpenSegment_Sqlite)->Arg(500)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond);

// Resident memory with one segment open and painted, and the peak on the way.
void BM_OpenSegment_Memory(benchmark::State& state)
{
    DetailBench bench(int(state.range(0)));
    if (!bench.ready(state))
        return;
    std::unique_ptr<frmSegmentDetail> window;
    const double base = MemoryUse::residentMiB();
    MemoryUse::resetPeak();
    for (auto _ : state) {
        window = bench.openWindow();
        bench.paint(*window);
    }
    MemoryUse::report(state, base, MemoryUse::residentMiB(), MemoryUse::peakMiB());
}
BENCHMARK(BM_OpenSegment_Memory)->Arg(50000)->Iterations(1)->Unit(benchmark::kMillisecond);

// A unit change over n rows: the unit queries, the pass over the shown rows,
// the changed cells written and the grid rebound. The speed unit alternates
// so that every time row's speed changes.
void BM_RecalculateUnitChange(benchmark::State& state)
{
    const int n = int(state.range(0));
    DetailBench bench(n);
    if (!bench.ready(state))
        return;
    auto window = bench.openWindow();
    qint32 speed = 1;
    for (auto _ : state) {
        speed = speed == 1 ? 2 : 1;
        window->SetSpeedType_p(speed);
    }
    window->Dirty_pf(false);
    state.SetComplexityN(n);
    state.counters["rows"] = double(window->DataSource_Po()->RecordCount());
}
BENCHMARK(BM_RecalculateUnitChange)
    ->Arg(500)
    ->Arg(5000)
    ->Arg(50000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

// The calculation alone, on rows already read.
void BM_ComputeDerived(benchmark::State& state)
{
    const int n = int(state.range(0));
    std::vector<DetailCalculation::Row> rows;
    for (int i = 0; i < n; ++i)
        rows.push_back({QString(i % 3 == 1 ? "R%1" : "T%1").arg(i), i * 12.5,
                        i % 3 == 1 ? std::nullopt : std::optional(100.0),
                        i % 3 == 1 ? std::optional(2.1) : std::nullopt});
    const DetailCalculation::Units units;
    for (auto _ : state)
        benchmark::DoNotOptimize(DetailCalculation::computeDerived(rows, units));
    state.SetComplexityN(n);
}
BENCHMARK(BM_ComputeDerived)->Arg(500)->Arg(5000)->Arg(50000)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);

// Rows a save finds changed: `changed` of the n rows, spread evenly.
bool changedRow(int row, int n, int changed) { return changed >= n || row % (n / changed) == 0; }

// A round's edit in the window: the comment of the changed rows set to the
// round's text, as a fill down of the comments would.
void changeComments(Recordset& rows, int changed, int round)
{
    const int n = rows.RecordCount();
    const Value comment(round % 2 ? "odd" : "even");
    rows.storeColumn(clsSegmentRows::colComments,
                     [&](int r) { return changedRow(r, n, changed) ? std::optional(comment) : std::nullopt; });
}

// The saves measured: rows of the segment, rows changed, segments listed.
void saveSizes(benchmark::internal::Benchmark* b)
{
    for (const auto& size : std::vector<std::vector<int64_t>>{
             {500, 500, 0}, {5000, 5000, 0}, {50000, 50000, 0}, {50000, 5, 0}, {5000, 5000, 20000}})
        b->Args(size);
}
struct SaveSize {
    explicit SaveSize(const benchmark::State& state)
        : rows(int(state.range(0))), changed(int(state.range(1))), listed(int(state.range(2)))
    {
    }
    // The program over the segment and the segments listed besides it.
    DetailBench bench() const { return DetailBench(rows, listed > 0 ? moreSegmentsSql(listed) : QString()); }
    int rows, changed, listed;
};

// Save of an n-row segment on the keyed database on disk whose comment
// changed in `changed` rows (second argument): the segment row, the rows
// that changed, the commit. The segment was saved once before, as one
// opened from the list usually was. The window is shown, so that under a
// window system (QT_QPA_PLATFORM=xcb) every change of the pointer costs what
// it costs there. With a third argument above 0, a segment list holding the
// refresher shows that many segments and follows each save.
void BM_SaveSegment(benchmark::State& state)
{
    const SaveSize size(state);
    DetailBench bench = size.bench();
    if (!bench.ready(state))
        return;
    std::unique_ptr<frmSegmentList> list;
    if (size.listed > 0) {
        list = std::make_unique<frmSegmentList>();
        list->FormRefresher_po((*bench.app)->FormRefresher_po());
        list->resize(800, 600);
        list->show();
        list->Search_p();
    }
    auto window = bench.openWindow();
    bench.paint(*window);
    Recordset& rows = *window->DataSource_Po();
    window->Dirty_pf(true);
    window->cmdSave->click();
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        changeComments(rows, size.changed, ++round);
        window->Dirty_pf(true);
        state.ResumeTiming();
        window->cmdSave->click();
    }
    Connection* db = (*bench.app)->DatabaseAdo_Po()->Connection();
    state.counters["rows"] =
        double(db->ExecuteScalar(QStringLiteral("SELECT COUNT(*) FROM tblSegmentDetail"), {}).toLong());
    if (list)
        state.counters["listed"] = double(list->listRecordset()->RecordCount());
    state.counters["boxes"] = double(bench.boxes.count());
}
BENCHMARK(BM_SaveSegment)->Apply(saveSizes)->Unit(benchmark::kMillisecond);

// The baseline of BM_SaveSegment, stepped on the program's connection: in
// one transaction the segment row and the changed rows' comments updated by
// key with one bound statement; with a third argument above 0, the list's
// row of the segment then read again by the list's own statement.
void BM_SaveSegment_ChangedSqlite(benchmark::State& state)
{
    const SaveSize size(state);
    DetailBench bench = size.bench();
    if (!bench.ready(state))
        return;
    sqlite3* db = (*bench.app)->DatabaseAdo_Po()->Connection()->handle();
    QByteArray listRow;
    if (size.listed > 0) {
        clsSearchSegment everything;
        listRow = ("SELECT * FROM (" + everything.GetSearchSqlString_ps() + ") WHERE lSegmentID = 1").toUtf8();
    }
    std::vector<sqlite3_int64> keys;
    int rc = SQLITE_OK;
    {
        const Statement reading = Statement::prepare(
            db, "SELECT lSegmentDetailID FROM tblSegmentDetail WHERE lSegmentID = 1 ORDER BY dCumTime", -1, &rc);
        for (int r = 0; sqlite3_step(reading.get()) == SQLITE_ROW; ++r)
            if (changedRow(r, size.rows, size.changed))
                keys.push_back(sqlite3_column_int64(reading.get(), 0));
    }
    int round = 0;
    for (auto _ : state) {
        const QByteArray comment = ++round % 2 ? "odd" : "even";
        sqlite3_exec(db, "SAVEPOINT bench", nullptr, nullptr, nullptr);
        sqlite3_exec(db, "UPDATE tblSegment SET sSegmentLabel = '1' WHERE lSegmentID = 1", nullptr, nullptr, nullptr);
        const Statement updating =
            Statement::prepare(db, "UPDATE tblSegmentDetail SET sComments = ? WHERE lSegmentDetailID = ?", -1, &rc);
        sqlite3_stmt* update = updating.get();
        for (const sqlite3_int64 key : keys) {
            sqlite3_bind_text(update, 1, comment.constData(), int(comment.size()), SQLITE_STATIC);
            sqlite3_bind_int64(update, 2, key);
            if (sqlite3_step(update) != SQLITE_DONE)
                state.SkipWithError(sqlite3_errmsg(db));
            sqlite3_reset(update);
        }
        sqlite3_exec(db, "RELEASE bench", nullptr, nullptr, nullptr);
        if (!listRow.isEmpty() && stepEveryColumn(db, listRow) != 1)
            state.SkipWithError("no list row");
    }
    state.counters["changed"] = double(keys.size());
}
BENCHMARK(BM_SaveSegment_ChangedSqlite)->Apply(saveSizes)->Unit(benchmark::kMillisecond);

// The floor of a save that writes every row again: the rows deleted and
// inserted again in one transaction on the program's connection, one bound
// statement for all the inserts.
void BM_SaveSegment_Sqlite(benchmark::State& state)
{
    DetailBench bench(int(state.range(0)));
    if (!bench.ready(state))
        return;
    Connection* conn = (*bench.app)->DatabaseAdo_Po()->Connection();
    sqlite3* db = conn->handle();
    struct Row {
        sqlite3_int64 ordinal;
        QByteArray label;
        double cum;
        std::optional<double> rate, distance;
    };
    std::vector<Row> rows;
    int rc = SQLITE_OK;
    const Statement reading = Statement::prepare(db,
                                                 "SELECT lOrdinalPosition, sSegmentDetailLabel, dCumTime, "
                                                 "dRate, dDistance FROM tblSegmentDetail WHERE lSegmentID = 1",
                                                 -1, &rc);
    sqlite3_stmt* read = reading.get();
    const auto optional = [&](int c) {
        return sqlite3_column_type(read, c) == SQLITE_NULL ? std::nullopt
                                                           : std::optional(sqlite3_column_double(read, c));
    };
    while (sqlite3_step(read) == SQLITE_ROW)
        rows.push_back({sqlite3_column_int64(read, 0), reinterpret_cast<const char*>(sqlite3_column_text(read, 1)),
                        sqlite3_column_double(read, 2), optional(3), optional(4)});
    const auto bindOptional = [](sqlite3_stmt* st, int i, const std::optional<double>& v) {
        if (v)
            sqlite3_bind_double(st, i, *v);
        else
            sqlite3_bind_null(st, i);
    };
    for (auto _ : state) {
        sqlite3_exec(db, "SAVEPOINT bench", nullptr, nullptr, nullptr);
        sqlite3_exec(db, "DELETE FROM tblSegmentDetail WHERE lSegmentID = 1", nullptr, nullptr, nullptr);
        const Statement inserting = Statement::prepare(
            db,
            "INSERT INTO tblSegmentDetail (lSegmentID,lRosterId,sSegmentDetailLabel,lOrdinalPosition,dCumTime,"
            "dRate,dDistance,sComments) VALUES (1, 1, ?, ?, ?, ?, ?, NULL)",
            -1, &rc);
        sqlite3_stmt* insert = inserting.get();
        for (const Row& r : rows) {
            sqlite3_bind_text(insert, 1, r.label.constData(), int(r.label.size()), SQLITE_STATIC);
            sqlite3_bind_int64(insert, 2, r.ordinal);
            sqlite3_bind_double(insert, 3, r.cum);
            bindOptional(insert, 4, r.rate);
            bindOptional(insert, 5, r.distance);
            if (sqlite3_step(insert) != SQLITE_DONE)
                state.SkipWithError(sqlite3_errmsg(db));
            sqlite3_reset(insert);
        }
        sqlite3_exec(db, "RELEASE bench", nullptr, nullptr, nullptr);
    }
    state.counters["rows"] = double(rows.size());
}
BENCHMARK(BM_SaveSegment_Sqlite)->Arg(500)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond);

// The checks measured: rows of the segment, a commit elsewhere before (1) or not (0).
void checkSizes(benchmark::internal::Benchmark* b) { b->Args({50000, 0})->Args({500, 1})->Args({50000, 1}); }

// The save's check, inside its transaction, that segment 1's stored rows are
// those the window read: with nothing committed by another connection since
// (second argument 0) it reads the data version only; after a commit
// elsewhere (1) it reads the segment's rows again and sums their checksums.
void BM_SaveSegment_StoredRowsCheck(benchmark::State& state)
{
    DetailBench bench(int(state.range(0)));
    if (!bench.ready(state))
        return;
    clsAdoConnectJet& db = *(*bench.app)->DatabaseAdo_Po();
    clsStoredRows stored;
    stored.Begin_p(db);
    stored.Take_p(*clsSegmentRows::Retrieve_prs(db, Value(1)));
    if (state.range(1) != 0) {
        Connection other;
        other.Open(bench.folder.databasePath(), QString::fromLatin1(TempProgramFolder::DefaultPassword));
        other.Execute(QStringLiteral("UPDATE tblSegment SET mNotes = 'elsewhere' WHERE lSegmentID = 1"));
    }
    bool same = false;
    for (auto _ : state) {
        db.BeginTrans_pf();
        same = stored.Unchanged_pf(db, Value(1));
        db.Rollback_pf();
    }
    if (!same)
        state.SkipWithError("the rows read differ");
}
BENCHMARK(BM_SaveSegment_StoredRowsCheck)->Apply(checkSizes)->Unit(benchmark::kMillisecond);

// Its baseline, stepped on the program's connection in a transaction: the
// data version read (0), or the segment's rows stepped (1).
void BM_SaveSegment_StoredRowsCheck_Sqlite(benchmark::State& state)
{
    DetailBench bench(int(state.range(0)));
    if (!bench.ready(state))
        return;
    sqlite3* db = (*bench.app)->DatabaseAdo_Po()->Connection()->handle();
    const QByteArray sql = state.range(1) != 0 ? DetailBench::rowsSql().toUtf8() : QByteArray("PRAGMA data_version");
    for (auto _ : state) {
        sqlite3_exec(db, "SAVEPOINT bench", nullptr, nullptr, nullptr);
        benchmark::DoNotOptimize(stepEveryColumn(db, sql));
        sqlite3_exec(db, "ROLLBACK TO bench; RELEASE bench", nullptr, nullptr, nullptr);
    }
}
BENCHMARK(BM_SaveSegment_StoredRowsCheck_Sqlite)->Apply(checkSizes)->Unit(benchmark::kMillisecond);

// The first Add Time in a segment just opened: the new row numbered, added,
// shown. Each round opens the segment again so that the add is the first.
void BM_FirstAddTime(benchmark::State& state)
{
    DetailBench bench(int(state.range(0)));
    if (!bench.ready(state))
        return;
    auto window = bench.openWindow();
    window->resize(900, 650);
    window->show();
    for (auto _ : state) {
        state.PauseTiming();
        window->Dirty_pf(false);
        window->Retrieve_pf(1);
        window->dbgMain->viewport()->repaint();
        state.ResumeTiming();
        window->cmdAddTime->click();
        window->dbgMain->viewport()->repaint();
    }
    window->Dirty_pf(false);
    state.counters["rows"] = double(window->DataSource_Po()->RecordCount());
}
BENCHMARK(BM_FirstAddTime)->Arg(5000)->Arg(50000)->Iterations(10)->Unit(benchmark::kMillisecond);

}  // namespace
