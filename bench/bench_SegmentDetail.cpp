#include "BenchApplication.h"
#include "data/clsAdoConnectJet.h"
#include "detail/DetailCalculation.h"
#include "detail/clsSegmentRows.h"
#include "detail/frmSegmentDetail.h"
#include "platform/Connection.h"
#include "platform/Recordset.h"
#include "support/RunningApp.h"
#include "support/ScriptedMessages.h"
#include "support/TempProgramFolder.h"

#include <QPushButton>

#include <benchmark/benchmark.h>

namespace {

// Segment 1 with n rows: two time rows of 100 m to every rate row, 12.5 s apart.
QString segmentSql(int n)
{
    return QStringLiteral(
               "INSERT INTO tblSegment (lSegmentID, lSegmentTypeID, lEventID, lCategoryID, lRateTypeID, lSpeedTypeID, "
               "lDistanceTypeID, sSegmentLabel, dtImportDate, dtSegmentDate, dtSegmentTime) VALUES (1, 1, 1, 1, 1, 1, "
               "1, '1', '2024-03-01', '2024-03-01', '08:00:00');"
               "INSERT INTO tblSegmentDetail (lSegmentID, lOrdinalPosition, sSegmentDetailLabel, dCumTime, dRate, "
               "dDistance, lRosterId) WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
               "SELECT 1, i, CASE WHEN i % 3 = 1 THEN 'R' ELSE 'T' END || printf('%03d', i), i * 12.5, "
               "CASE WHEN i % 3 = 1 THEN 2.1 END, CASE WHEN i % 3 = 1 THEN NULL ELSE 100 END, 1 FROM n;")
        .arg(n - 1);
}

// A running program over a database holding one segment of n rows.
struct DetailBench {
    explicit DetailBench(int n)
    {
        ensureApplication();
        ok = folder.makeProgramFiles() && folder.execSql(segmentSql(n));
        if (ok)
            app = std::make_unique<RunningApp>();
    }
    std::unique_ptr<frmSegmentDetail> openWindow() const
    {
        auto w = std::make_unique<frmSegmentDetail>();
        w->FormRefresher_po((*app)->FormRefresher_po());
        w->Retrieve_pf(1);
        return w;
    }

    TempProgramFolder folder;
    ScriptedMessages boxes;
    std::unique_ptr<RunningApp> app;
    bool ok = false;
};

// Retrieve of a 500-row segment into a window whose grid shows it: the
// segment, its rows, the derived columns, the sort and the unit captions.
void BM_OpenSegment500_Retrieve(benchmark::State& state)
{
    DetailBench bench(500);
    if (!bench.ok) {
        state.SkipWithError("no program folder");
        return;
    }
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
BENCHMARK(BM_OpenSegment500_Retrieve)->Unit(benchmark::kMillisecond);

// The same with the window made first (lists filled, grid laid out).
void BM_OpenSegment500_NewWindow(benchmark::State& state)
{
    DetailBench bench(500);
    if (!bench.ok) {
        state.SkipWithError("no program folder");
        return;
    }
    for (auto _ : state) {
        auto window = bench.openWindow();
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenSegment500_NewWindow)->Unit(benchmark::kMillisecond);

// A unit change over n rows: the unit queries, the pass over the shown rows,
// the changed cells written and the grid rebound. The speed unit alternates
// so that every time row's speed changes.
void BM_RecalculateUnitChange(benchmark::State& state)
{
    const int n = int(state.range(0));
    DetailBench bench(n);
    if (!bench.ok) {
        state.SkipWithError("no program folder");
        return;
    }
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
BENCHMARK(BM_RecalculateUnitChange)->Arg(500)->Arg(5000)->Arg(50000)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);

// The calculation alone, on rows already read.
void BM_ComputeDerived(benchmark::State& state)
{
    const int n = int(state.range(0));
    std::vector<DetailCalculation::Row> rows;
    for (int i = 0; i < n; ++i)
        rows.push_back({QString(i % 3 == 1 ? "R%1" : "T%1").arg(i), i * 12.5, i % 3 == 1 ? std::nullopt : std::optional(100.0),
                        i % 3 == 1 ? std::optional(2.1) : std::nullopt});
    const DetailCalculation::Units units;
    for (auto _ : state)
        benchmark::DoNotOptimize(DetailCalculation::computeDerived(rows, units));
    state.SetComplexityN(n);
}
BENCHMARK(BM_ComputeDerived)->Arg(500)->Arg(5000)->Arg(50000)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);

// Save of a changed 500-row segment on the keyed database on disk: the
// segment row, the rows deleted and inserted again, the commit.
void BM_SaveSegment500(benchmark::State& state)
{
    DetailBench bench(500);
    if (!bench.ok) {
        state.SkipWithError("no program folder");
        return;
    }
    auto window = bench.openWindow();
    Connection* db = (*bench.app)->DatabaseAdo_Po()->Connection();
    for (auto _ : state) {
        window->Dirty_pf(true);
        window->cmdSave->click();
    }
    state.counters["rows"] = double(db->ExecuteScalar(QStringLiteral("SELECT COUNT(*) FROM tblSegmentDetail"), {}).toLong());
    state.counters["boxes"] = double(bench.boxes.count());
}
BENCHMARK(BM_SaveSegment500)->Unit(benchmark::kMillisecond);

}  // namespace
