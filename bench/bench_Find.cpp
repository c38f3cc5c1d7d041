#include "BenchApplication.h"
#include "DetailBench.h"
#include "lists/frmRoster.h"
#include "platform/DataGrid.h"
#include "platform/Recordset.h"
#include "shell/clsFindAndReplace.h"
#include "support/RunningApp.h"
#include "support/ScriptedMessages.h"
#include "support/TempProgramFolder.h"

#include <QStringList>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// 10,000 athletes; only the last one's last name holds "Zebra".
struct RosterBench {
    RosterBench()
    {
        ensureApplication();
        ok = folder.makeProgramFiles()
            && folder.execSql(QStringLiteral(
                "INSERT INTO tblRoster (lRosterID, sLastName, sFirstName, sNickName, fActive) "
                "WITH RECURSIVE n(i) AS (SELECT 2 UNION ALL SELECT i + 1 FROM n WHERE i < 10001) "
                "SELECT i, CASE WHEN i = 10001 THEN 'Zebra' ELSE printf('Name%05d', i) END, 'First', 'Nick', -1 "
                "FROM n;"));
        if (ok) {
            app = std::make_unique<RunningApp>();
            window = std::make_unique<frmRoster>();
        }
    }
    TempProgramFolder folder;
    ScriptedMessages boxes;
    std::unique_ptr<RunningApp> app;
    std::unique_ptr<frmRoster> window;
    bool ok = false;
};

// The texts the grid shows in the columns Find reads, row by row.
QStringList shownTexts(DataGrid* grid)
{
    QStringList texts;
    const int rows = grid->DataSource()->RecordCount();
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < grid->ColumnCount(); ++c)
            if (grid->Columns(c)->Visible() && grid->Columns(c)->AllowFocus())
                texts << grid->cellText(r, c);
    return texts;
}

void findFirst(QWidget* window, const QString& text, const char* match, benchmark::State& state)
{
    clsFindAndReplace().Find_P(window, text, clsFindAndReplace::FindFirst, {}, QLatin1String(match), false,
                               clsFindAndReplace::TextCompare);
    if (!window->findChild<DataGrid*>(QStringLiteral("dbgMain")))
        state.SkipWithError("no grid");
}

// The baseline: the same texts already in a list, searched in a plain loop.
void plainLoop(const QStringList& texts, const QString& text, benchmark::State& state)
{
    for (auto _ : state) {
        int found = -1;
        for (int i = 0; i < texts.size() && found < 0; ++i)
            if (texts[i].contains(text, Qt::CaseInsensitive))
                found = i;
        benchmark::DoNotOptimize(found);
    }
    state.counters["cells"] = double(texts.size());
}

void BM_FindLastOf10kAthletes(benchmark::State& state)
{
    RosterBench bench;
    if (!bench.ok) {
        state.SkipWithError("no program folder");
        return;
    }
    for (auto _ : state)
        findFirst(bench.window.get(), QStringLiteral("Zebra"), "Any Part Of Field", state);
    if (bench.window->DataSource_Po()->Fields(1).Value().asText() != QLatin1String("Zebra"))
        state.SkipWithError("not found");
}
BENCHMARK(BM_FindLastOf10kAthletes)->Unit(benchmark::kMillisecond);

void BM_FindLastOf10kAthletes_PlainLoop(benchmark::State& state)
{
    RosterBench bench;
    if (!bench.ok) {
        state.SkipWithError("no program folder");
        return;
    }
    plainLoop(shownTexts(bench.window->dbgMain), QStringLiteral("Zebra"), state);
}
BENCHMARK(BM_FindLastOf10kAthletes_PlainLoop)->Unit(benchmark::kMillisecond);

// The last row of a 50,000-row segment is the only "R49999".
void BM_FindLastOf50kRows(benchmark::State& state)
{
    DetailBench bench(50000);
    if (!bench.ready(state))
        return;
    auto window = bench.openWindow();
    for (auto _ : state)
        findFirst(window.get(), QStringLiteral("R49999"), "Whole Field", state);
    if (window->DataSource_Po()->AbsolutePosition() != 50000)
        state.SkipWithError("not found");
    window->Dirty_pf(false);
}
BENCHMARK(BM_FindLastOf50kRows)->Unit(benchmark::kMillisecond);

void BM_FindLastOf50kRows_PlainLoop(benchmark::State& state)
{
    DetailBench bench(50000);
    if (!bench.ready(state))
        return;
    auto window = bench.openWindow();
    plainLoop(shownTexts(window->dbgMain), QStringLiteral("R49999"), state);
    window->Dirty_pf(false);
}
BENCHMARK(BM_FindLastOf50kRows_PlainLoop)->Unit(benchmark::kMillisecond);

}  // namespace
