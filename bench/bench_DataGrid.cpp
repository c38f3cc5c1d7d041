#include "BenchApplication.h"
#include "platform/DataGrid.h"
#include "platform/Recordset.h"

#include <QScrollBar>

#include <benchmark/benchmark.h>

namespace {

// 100,000 rows shaped like segment detail rows, made once.
Recordset& bigRecordset()
{
    static Recordset rs;
    if (!rs.IsOpen()) {
        rs.OpenInMemory({FieldInfo(QStringLiteral("lDetailID"), FieldInfo::DataType::Integer),
                         FieldInfo(QStringLiteral("sLabel"), FieldInfo::DataType::Text),
                         FieldInfo(QStringLiteral("dCumTime"), FieldInfo::DataType::Double),
                         FieldInfo(QStringLiteral("dRate"), FieldInfo::DataType::Double),
                         FieldInfo(QStringLiteral("sComments"), FieldInfo::DataType::Text)});
        for (int i = 0; i < 100000; ++i) {
            rs.AddNew();
            rs.Fields(0).Value(Value(i + 1));
            rs.Fields(1).Value(Value(QStringLiteral("T%1").arg(i % 1000, 3, 10, QLatin1Char('0'))));
            rs.Fields(2).Value(Value(i * 1.25));
            rs.Fields(3).Value(Value(1.5));
            rs.Fields(4).Value(Value(QStringLiteral("comment %1").arg(i)));
            rs.Update();
        }
    }
    rs.MoveFirst();
    return rs;
}

void BM_GridOpen100kAndScrollToEnd(benchmark::State& state)
{
    ensureApplication();
    Recordset& rs = bigRecordset();
    for (auto _ : state) {
        DataGrid grid;
        grid.resize(900, 600);
        grid.DataSource(&rs);
        grid.show();
        grid.viewport()->repaint();
        rs.MoveLast();  // the grid follows and scrolls there
        grid.viewport()->repaint();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(grid.verticalScrollBar()->value());
        if (grid.currentIndex().row() != 99999)
            state.SkipWithError("the grid did not follow to the last row");
        rs.MoveFirst();
    }
}
BENCHMARK(BM_GridOpen100kAndScrollToEnd)->Unit(benchmark::kMillisecond);

void BM_GridFollowsSortOf100k(benchmark::State& state)
{
    ensureApplication();
    Recordset& rs = bigRecordset();
    DataGrid grid;
    grid.resize(900, 600);
    grid.DataSource(&rs);
    grid.show();
    bool descending = false;
    for (auto _ : state) {
        descending = !descending;
        rs.Sort(descending ? QStringLiteral("dCumTime DESC") : QStringLiteral("dCumTime"));
        grid.viewport()->repaint();
    }
    rs.Sort(QString());
}
BENCHMARK(BM_GridFollowsSortOf100k)->Unit(benchmark::kMillisecond);

}  // namespace
