#include "ProgramBench.h"
#include "SqliteBaseline.h"
#include "data/clsAdoConnectJet.h"
#include "lists/frmRoster.h"
#include "platform/Connection.h"
#include "platform/DataGrid.h"
#include "platform/Recordset.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// A program over a database with n athletes besides the seeded ones.
struct RosterBench : ProgramBench {
    explicit RosterBench(int n)
        : ProgramBench(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1)"
                                      " INSERT INTO tblRoster (sLastName, sFirstName, sNickName, fActive, mNotes)"
                                      " SELECT 'Lastname' || i, 'First' || (i % 300), CASE WHEN i % 4 = 0 THEN 'Nick'"
                                      " END, -(i % 2), CASE WHEN i % 10 = 0 THEN 'notes on ' || i END FROM n;")
                           .arg(n))
    {
    }
    clsAdoConnectJet& ado() const { return *(*app)->DatabaseAdo_Po(); }
    // The athlete window's own statement, as it opened it.
    QString listSql() const
    {
        frmRoster w;
        return w.DataSource_Po() ? w.DataSource_Po()->Source() : QString();
    }
};

// The athlete window's record set: its statement opened editable.
void BM_AthleteRecordset(benchmark::State& state)
{
    RosterBench bench(int(state.range(0)));
    if (!bench.ready(state))
        return;
    const QString sql = bench.listSql();
    qint32 rows = 0;
    for (auto _ : state) {
        std::unique_ptr<Recordset> rs;
        rows = bench.ado().SQLOpenRecordset_pl(rs, sql, clsAdoConnectJet::adOpenStatic,
                                               clsAdoConnectJet::adLockOptimistic);
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_AthleteRecordset)->Arg(10000)->Unit(benchmark::kMillisecond);

// The baseline: the same statement stepped on the same connection.
void BM_AthleteRecordset_Sqlite(benchmark::State& state)
{
    RosterBench bench(int(state.range(0)));
    if (!bench.ready(state))
        return;
    const QByteArray sql = bench.listSql().toUtf8();
    int rows = 0;
    for (auto _ : state)
        rows = stepEveryColumn(bench.ado().Connection()->handle(), sql);
    state.counters["rows"] = rows;
}
BENCHMARK(BM_AthleteRecordset_Sqlite)->Arg(10000)->Unit(benchmark::kMillisecond);

// The whole window: made, loaded, shown and painted.
void BM_AthleteWindowOpen(benchmark::State& state)
{
    RosterBench bench(int(state.range(0)));
    if (!bench.ready(state))
        return;
    for (auto _ : state) {
        auto window = std::make_unique<frmRoster>();
        window->resize(800, 600);
        window->show();
        window->dbgMain->viewport()->repaint();
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AthleteWindowOpen)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
