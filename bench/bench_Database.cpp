#include "data/clsAdoConnectJet.h"
#include "data/clsConnectJet.h"
#include "support/TempProgramFolder.h"

#include <QFileInfo>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

QString connectString(const TempProgramFolder& folder)
{
    return QStringLiteral(";DATABASE=%1;PWD=RORUDAZE").arg(folder.databasePath());
}

// Start-up's two opens: the maintenance connection and the record-set
// connection through the data link file.
void BM_OpenBothConnections(benchmark::State& state)
{
    TempProgramFolder folder;
    if (!folder.createDatabase() || !folder.writeUdl()) {
        state.SkipWithError("no program folder");
        return;
    }
    for (auto _ : state) {
        clsConnectJet dao;
        dao.Connect_ps(connectString(folder));
        dao.OpenConnection_pf();
        clsAdoConnectJet ado;
        ado.UDL(folder.udlPath());
        ado.OpenConnection_pf();
        benchmark::DoNotOptimize(ado.IsOpen());
    }
}
BENCHMARK(BM_OpenBothConnections)->Unit(benchmark::kMillisecond);

// The exit compaction of a well-used database: 20,000 segments with
// 1,000,000 rows, after a tenth of the segments were deleted.
void BM_VacuumLargeDatabase(benchmark::State& state)
{
    TempProgramFolder folder;
    if (!folder.createDatabase()) {
        state.SkipWithError("no program folder");
        return;
    }
    const bool filled = folder.execSql(QStringLiteral(
        "BEGIN;"
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000)"
        " INSERT INTO tblSegment (sSegmentLabel, dtImportDate, dtSegmentDate, dtSegmentTime, lCategoryID, lEventID,"
        " lSegmentTypeID, lRateTypeID, lSpeedTypeID, lDistanceTypeID, mNotes)"
        " SELECT 'Piece ' || i, '2026-05-01', '2026-04-30', '07:15:00', 1, 1, 1, 1, 1, 1, 'notes' FROM n;"
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 999999)"
        " INSERT INTO tblSegmentDetail (lSegmentID, lOrdinalPosition, sSegmentDetailLabel, dCumTime, dRate,"
        " dDistance, lRosterId, sComments)"
        " SELECT i / 50 + 1, i % 50, CASE WHEN i % 5 = 0 THEN 'R' ELSE 'T' END || substr('000' || (i % 50), -3),"
        " (i % 50) * 30.25, 2.1, 250, 1, NULL FROM n;"
        "COMMIT;"
        "DELETE FROM tblSegmentDetail WHERE lSegmentID % 10 = 0;"
        "DELETE FROM tblSegment WHERE lSegmentID % 10 = 0;"));
    if (!filled) {
        state.SkipWithError("fill failed");
        return;
    }
    state.counters["MiB before"] = double(QFileInfo(folder.databasePath()).size()) / (1 << 20);
    for (auto _ : state) {
        clsConnectJet dao;
        dao.Connect_ps(connectString(folder));
        dao.OpenConnection_pf();
        dao.compact();
    }
    state.counters["MiB after"] = double(QFileInfo(folder.databasePath()).size()) / (1 << 20);
}
BENCHMARK(BM_VacuumLargeDatabase)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
