#include "BenchApplication.h"
#include "app/clsThisApp.h"
#include "app/modapp.h"
#include "data/clsAdoConnectJet.h"
#include "platform/DataGrid.h"
#include "platform/Recordset.h"
#include "search/clsSearchSegment.h"
#include "search/frmSegmentList.h"
#include "support/ScriptedMessages.h"
#include "support/TempProgramFolder.h"

#include <QLineEdit>

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>

namespace {

// Years of data: 20,000 segments of 50 rows each over 200 athletes, made
// once for the whole run.
struct SearchData {
    SearchData()
    {
        ensureApplication();
        folder = std::make_unique<TempProgramFolder>();
        ok = folder->makeProgramFiles() && folder->execSql(QStringLiteral(
            "BEGIN;"
            "INSERT INTO tblCategory (lCategoryID, sCategory) VALUES (3, 'Juniors'), (4, 'Seniors');"
            "INSERT INTO tblSegmentType (lSegmentTypeID, sSegmentType) VALUES (2, 'Race'), (3, 'Practice');"
            "INSERT INTO tblEvent (lEventID, sEvent) VALUES (2, 'Regatta North'), (3, 'Spring Cup'),"
            " (4, 'Head Race'), (5, 'Club Regatta');"
            "WITH RECURSIVE n(i) AS (SELECT 2 UNION ALL SELECT i + 1 FROM n WHERE i < 200)"
            " INSERT INTO tblRoster (lRosterID, sLastName, sFirstName)"
            " SELECT i, CASE WHEN i % 20 = 0 THEN 'Hanna' || i ELSE 'Smith' || i END, 'First' || i FROM n;"
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000)"
            " INSERT INTO tblSegment (lSegmentID, sSegmentLabel, dtImportDate, dtSegmentDate, dtSegmentTime,"
            " lCategoryID, lEventID, lSegmentTypeID, lRateTypeID, lSpeedTypeID, lDistanceTypeID, fReviewed, mNotes)"
            " SELECT i, '' || i, date('2020-01-01', '+' || (i / 20) || ' days'),"
            " date('2020-01-01', '+' || (i / 15) || ' days'), '07:15:00',"
            " CASE i % 3 WHEN 0 THEN 1 WHEN 1 THEN 3 ELSE 4 END, 1 + i % 5, 1 + i % 3, 1, 1, 1, -(i % 2), 'notes'"
            " FROM n;"
            "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 999999)"
            " INSERT INTO tblSegmentDetail (lSegmentID, lOrdinalPosition, sSegmentDetailLabel, dCumTime, dRate,"
            " dDistance, lRosterId, sComments)"
            " SELECT i / 50 + 1, i % 50, 'T' || substr('000' || (i % 50), -3), (i % 50) * 30.25, 2.1, 250,"
            " CASE WHEN i % 50 < 10 THEN 1 + (i / 50 + i % 50) % 200 ELSE 1 END, NULL FROM n;"
            "COMMIT;"));
        if (!ok)
            return;
        app = std::make_unique<clsThisApp>();
        modapp::publishApp(app.get());
        modapp::publishMessageHandler(app->messageHandlerShared());
        modapp::publishErrorHandler(app->errorHandlerShared());
        app->LoginAttempt_p();
    }

    static SearchData& get()
    {
        static SearchData data;
        return data;
    }

    std::unique_ptr<TempProgramFolder> folder;
    std::unique_ptr<clsThisApp> app;
    ScriptedMessages boxes;
    bool ok = false;
};

// Opens the search statement as the list does and reports how many segments it found.
void runSearch(benchmark::State& state, const std::function<void(clsSearchSegment&)>& criteria)
{
    SearchData& data = SearchData::get();
    if (!data.ok) {
        state.SkipWithError("no database");
        return;
    }
    clsAdoConnectJet* ado = data.app->DatabaseAdo_Po();
    qint32 found = 0;
    for (auto _ : state) {
        clsSearchSegment search;
        search.Initialize_p(ado->ConnectString_ps());
        criteria(search);
        std::unique_ptr<Recordset> rs;
        found = ado->SQLOpenRecordset_pl(rs, search.GetSearchSqlString_ps(), 3, 1);
    }
    state.counters["segments"] = found;
}

const QString Like = QStringLiteral("Like");
const QString Eq = QStringLiteral("=");

void BM_SearchAll(benchmark::State& s) { runSearch(s, [](clsSearchSegment&) {}); }
void BM_SearchLabel(benchmark::State& s)
{
    runSearch(s, [](clsSearchSegment& q) { q.sSegmentLabel()->SetCriteria_p(Eq, Value("12345")); });
}
void BM_SearchLastName(benchmark::State& s)
{
    runSearch(s, [](clsSearchSegment& q) { q.sLastName()->SetCriteria_p(Like, Value("*ann*")); });
}
void BM_SearchEvent(benchmark::State& s)
{
    runSearch(s, [](clsSearchSegment& q) { q.sEvent()->SetCriteria_p(Like, Value("*reg*")); });
}
void BM_SearchCategory(benchmark::State& s)
{
    runSearch(s, [](clsSearchSegment& q) { q.lCategoryID()->SetCriteria_p(Eq, Value(3)); });
}
void BM_SearchSegmentType(benchmark::State& s)
{
    runSearch(s, [](clsSearchSegment& q) { q.lSegmentTypeID()->SetCriteria_p(Eq, Value(2)); });
}
void BM_SearchReviewed(benchmark::State& s)
{
    runSearch(s, [](clsSearchSegment& q) { q.fReviewed()->SetCriteria_p(Eq, Value(-1)); });
}
void BM_SearchImportDay(benchmark::State& s)
{
    runSearch(s, [](clsSearchSegment& q) { q.dtImportDate()->SetCriteria_p(Eq, Value(QDate(2021, 6, 1))); });
}
void BM_SearchSegmentDateRange(benchmark::State& s)
{
    runSearch(s, [](clsSearchSegment& q) {
        q.dtSegmentDate()->SetCriteria_p(QStringLiteral("Between"),
                                         QList<Value>{Value(QDate(2021, 1, 1)), Value(QDate(2021, 1, 31))});
    });
}
void BM_SearchCombined(benchmark::State& s)
{
    runSearch(s, [](clsSearchSegment& q) {
        q.sLastName()->SetCriteria_p(Like, Value("*ann*"));
        q.sEvent()->SetCriteria_p(Like, Value("*reg*"));
        q.lCategoryID()->SetCriteria_p(Eq, Value(3));
        q.fReviewed()->SetCriteria_p(Eq, Value(-1));
        q.dtSegmentDate()->SetCriteria_p(QStringLiteral("Between"),
                                         QList<Value>{Value(QDate(2020, 1, 1)), Value(QDate(2022, 12, 31))});
    });
}
BENCHMARK(BM_SearchAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchLabel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchLastName)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchEvent)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchCategory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchSegmentType)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchReviewed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchImportDay)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchSegmentDateRange)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchCombined)->Unit(benchmark::kMillisecond);

// The whole list window: every box at "<ALL>", Search_p, and the list page
// with its 20,000 rows painted once.
void BM_SegmentListShowsAllSegments(benchmark::State& state)
{
    SearchData& data = SearchData::get();
    if (!data.ok) {
        state.SkipWithError("no database");
        return;
    }
    frmSegmentList window;
    window.resize(800, 600);
    window.show();
    for (auto _ : state) {
        window.SetTab_p(0);
        window.Search_p();
        benchmark::DoNotOptimize(window.dbgMain->grab());
    }
    state.counters["rows"] = window.listRecordset() ? window.listRecordset()->RecordCount() : 0;
}
BENCHMARK(BM_SegmentListShowsAllSegments)->Unit(benchmark::kMillisecond);

}  // namespace
