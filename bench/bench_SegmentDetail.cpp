#include "BenchApplication.h"
#include "DetailBench.h"
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

// Retrieve of a 500-row segment into a window whose grid shows it: the
// segment, its rows, the derived columns, the sort and the unit captions.
void BM_OpenSegment500_Retrieve(benchmark::State& state)
{
    DetailBench bench(500);
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
BENCHMARK(BM_OpenSegment500_Retrieve)->Unit(benchmark::kMillisecond);

// The same with the window made first (lists filled, grid laid out).
void BM_OpenSegment500_NewWindow(benchmark::State& state)
{
    DetailBench bench(500);
    if (!bench.ready(state))
        return;
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
    if (!bench.ready(state))
        return;
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
