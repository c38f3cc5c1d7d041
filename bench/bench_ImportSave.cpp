#include "BenchApplication.h"
#include "app/ChildForms.h"
#include "app/clsThisApp.h"
#include "app/modapp.h"
#include "data/clsAdoConnectJet.h"
#include "import/frmImportSegment.h"
#include "platform/Connection.h"
#include "support/TempProgramFolder.h"

#include <QElapsedTimer>
#include <QPushButton>

#include <benchmark/benchmark.h>

namespace {

// 50 staged segments of 40 rows each: 2,000 rows in all.
QString stagingSql()
{
    QString sql = QStringLiteral("BEGIN;");
    for (int k = 1; k <= 50; ++k) {
        sql += QStringLiteral("INSERT INTO tblImportSegment (lSegmentID, sSegmentLabel, dtImportDate, dtSegmentDate, "
                              "dtSegmentTime, lSegmentTypeID, lCategoryID, lRateTypeID, lSpeedTypeID, "
                              "lDistanceTypeID, fSave) VALUES (%1, '%1', '2024-03-05', '2024-03-05', '06:30:00', "
                              "1, 1, 1, 1, 1, -1);")
                   .arg(k);
        for (int j = 0; j < 40; ++j)
            sql += QStringLiteral("INSERT INTO tblImportSegmentDetail (lSegmentID, sSegmentDetailLabel, "
                                  "lOrdinalPosition, dCumTime, dRate) VALUES (%1, 'T%2', %3, %4, 0);")
                       .arg(k)
                       .arg(j, 3, 10, QLatin1Char('0'))
                       .arg(j)
                       .arg(j * 12.25);
    }
    return sql + QStringLiteral("COMMIT;");
}

// The review's Save on a keyed database on disk: 50 segments and their rows
// copied in one transaction. With commitOnly the clock stops when the window
// asks for the segment list, right after the commit; otherwise it runs on
// through the window's closing (layout and position written to the settings
// store). No list is made either way.
void saveFifty(benchmark::State& state, bool commitOnly)
{
    ensureApplication();
    TempProgramFolder folder;
    if (!folder.makeProgramFiles() || !folder.execSql(stagingSql())) {
        state.SkipWithError("no program folder");
        return;
    }
    auto app = std::make_unique<clsThisApp>();
    modapp::publishApp(app.get());
    modapp::publishMessageHandler(app->messageHandlerShared());
    modapp::publishErrorHandler(app->errorHandlerShared());
    app->LoginAttempt_p();
    Connection* db = app->DatabaseAdo_Po()->Connection();

    QElapsedTimer clock;
    qint64 committedNs = 0;
    ChildForms::registerForm(QStringLiteral("frmSegmentList"), [&]() -> QWidget* {
        committedNs = clock.nsecsElapsed();
        return nullptr;
    });

    qint64 rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        db->ExecuteScalar(QStringLiteral("DELETE FROM tblSegmentDetail"), {});
        db->ExecuteScalar(QStringLiteral("DELETE FROM tblSegment"), {});
        auto review = std::make_unique<frmImportSegment>();
        auto* save = review->findChild<QPushButton*>(QStringLiteral("cmdSave"));
        state.ResumeTiming();

        clock.start();
        save->click();
        if (commitOnly)
            state.SetIterationTime(double(committedNs) / 1e9);

        state.PauseTiming();
        rows = db->ExecuteScalar(QStringLiteral("SELECT COUNT(*) FROM tblSegmentDetail"), {}).toLong();
        review.reset();
        state.ResumeTiming();
    }
    state.counters["rows"] = double(rows);
    ChildForms::registerForm(QStringLiteral("frmSegmentList"), [] { return nullptr; });
    app.reset();
    modapp::releaseAll();
}

void BM_SaveFiftyKeptSegments_ToCommit(benchmark::State& state) { saveFifty(state, true); }
BENCHMARK(BM_SaveFiftyKeptSegments_ToCommit)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_SaveFiftyKeptSegments_WithClose(benchmark::State& state) { saveFifty(state, false); }
BENCHMARK(BM_SaveFiftyKeptSegments_WithClose)->Unit(benchmark::kMillisecond);

}  // namespace
