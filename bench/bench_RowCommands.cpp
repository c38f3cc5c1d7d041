#include "DetailBench.h"
#include "detail/clsSegmentRows.h"
#include "platform/DataGrid.h"
#include "platform/Recordset.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int Yes = 6;

// Fill Down of the first row's distance over all n rows of a window whose
// grid shows them: the values written, the recalculation, the rebind. The
// value alternates so that every row changes.
void BM_FillDownDistance(benchmark::State& state)
{
    const int n = int(state.range(0));
    DetailBench bench(n);
    if (!bench.ready(state))
        return;
    auto window = bench.openWindow();
    Recordset& rows = *window->DataSource_Po();
    double distance = 100;
    for (auto _ : state) {
        state.PauseTiming();
        distance = distance == 100 ? 125 : 100;
        rows.MoveFirst();
        rows.Fields(clsSegmentRows::colDistance).Value(Value(distance));
        rows.Update();
        window->dbgMain->Col(clsSegmentRows::colDistance);
        state.ResumeTiming();
        if (!window->FillDown_pf())
            state.SkipWithError("nothing filled");
    }
    window->Dirty_pf(false);
    state.SetComplexityN(n);
    state.counters["rows"] = double(rows.RecordCount());
}
BENCHMARK(BM_FillDownDistance)
    ->Arg(1000)
    ->Arg(2500)
    ->Arg(5000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

// Deleting every fifth row (1,000 of 5,000) after Yes: the rows removed from
// the grid's record set, the recalculation of the rest, the rebind.
void BM_DeleteFifthOfRows(benchmark::State& state)
{
    const int n = int(state.range(0));
    DetailBench bench(n);
    if (!bench.ready(state))
        return;
    int left = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto window = bench.openWindow();
        Recordset& rows = *window->DataSource_Po();
        for (int r = 0; r < rows.RecordCount(); r += 5)
            window->dbgMain->SelBookmarks().Add(Value(rows.bookmarkAt(r)));
        bench.boxes.answer(Yes);
        state.ResumeTiming();
        window->deleteRows_p();
        state.PauseTiming();
        left = rows.RecordCount();
        window->Dirty_pf(false);
        window.reset();
        state.ResumeTiming();
    }
    state.SetComplexityN(n);
    state.counters["rows left"] = double(left);
}
BENCHMARK(BM_DeleteFifthOfRows)
    ->Arg(1000)
    ->Arg(2500)
    ->Arg(5000)
    ->Iterations(10)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

}  // namespace
