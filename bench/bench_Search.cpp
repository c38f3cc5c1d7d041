#include "MemoryUse.h"
#include "SearchData.h"
#include "SqliteBaseline.h"
#include "data/clsAdoConnectJet.h"
#include "platform/Connection.h"
#include "platform/DataGrid.h"
#include "platform/Recordset.h"
#include "search/clsSearchSegment.h"

#include <QLineEdit>

#include <sqlcipher/sqlite3.h>

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>

namespace {

using Criteria = std::function<void(clsSearchSegment&)>;

QString statementOf(clsAdoConnectJet& ado, const Criteria& criteria)
{
    clsSearchSegment search;
    search.Initialize_p(ado.ConnectString_ps());
    criteria(search);
    return search.GetSearchSqlString_ps();
}

// The program's way: the statement built by the query object, opened as the list's record set.
void searchThroughTheProgram(benchmark::State& state, int segments, const Criteria& criteria)
{
    SearchData& data = SearchData::get(segments);
    if (!data.ok) {
        state.SkipWithError("no database");
        return;
    }
    clsAdoConnectJet* ado = (*data.app)->DatabaseAdo_Po();
    qint32 found = 0;
    for (auto _ : state) {
        std::unique_ptr<Recordset> rs;
        found = ado->SQLOpenRecordset_pl(rs, statementOf(*ado, criteria), 3, 1);
    }
    state.counters["segments"] = found;
}

// The baseline: the same statement stepped through on the same connection,
// every value of every row fetched once.
void searchStraightThroughSqlite(benchmark::State& state, int segments, const Criteria& criteria)
{
    SearchData& data = SearchData::get(segments);
    if (!data.ok) {
        state.SkipWithError("no database");
        return;
    }
    clsAdoConnectJet* ado = (*data.app)->DatabaseAdo_Po();
    sqlite3* db = ado->Connection()->handle();
    const QByteArray utf8 = statementOf(*ado, criteria).toUtf8();
    int found = 0;
    for (auto _ : state)
        if ((found = stepEveryColumn(db, utf8)) < 0) {
            state.SkipWithError(sqlite3_errmsg(db));
            return;
        }
    state.counters["segments"] = found;
}

const QString Like = QStringLiteral("Like");
const QString Eq = QStringLiteral("=");

QList<Value> days(QDate from, QDate to) { return {Value(from), Value(to)}; }

// Every criterion the search page sets, alone and all together. The dates
// pick the middle of the data: a day of 20 imports, a month of 450 segments.
std::vector<std::pair<const char*, Criteria>> criteria(int segments)
{
    const QDate importDay = QDate(2020, 1, 1).addDays(segments / 2 / 20);
    const QDate month = QDate(2020, 1, 1).addDays(segments / 2 / 15);
    return {
        {"All", [](clsSearchSegment&) {}},
        {"Label", [](clsSearchSegment& q) { q.sSegmentLabel()->SetCriteria_p(Eq, Value("1234")); }},
        {"LastName", [](clsSearchSegment& q) { q.sLastName()->SetCriteria_p(Like, Value("*ann*")); }},
        {"LastNameRare", [](clsSearchSegment& q) { q.sLastName()->SetCriteria_p(Like, Value("*zyz*")); }},
        {"Event", [](clsSearchSegment& q) { q.sEvent()->SetCriteria_p(Like, Value("*reg*")); }},
        {"Category", [](clsSearchSegment& q) { q.lCategoryID()->SetCriteria_p(Eq, Value(3)); }},
        {"SegmentType", [](clsSearchSegment& q) { q.lSegmentTypeID()->SetCriteria_p(Eq, Value(2)); }},
        {"Reviewed", [](clsSearchSegment& q) { q.fReviewed()->SetCriteria_p(Eq, Value(-1)); }},
        {"Unreviewed", [](clsSearchSegment& q) { q.fReviewed()->SetCriteria_p(Eq, Value(0)); }},
        {"ImportYears",
         [](clsSearchSegment& q) {
             q.dtImportDate()->SetCriteria_p(QStringLiteral("Between"), days(QDate(2020, 1, 1), QDate(2025, 12, 31)));
         }},
        {"ImportDay", [=](clsSearchSegment& q) { q.dtImportDate()->SetCriteria_p(Eq, Value(importDay)); }},
        {"SegmentDateRange",
         [=](clsSearchSegment& q) {
             q.dtSegmentDate()->SetCriteria_p(QStringLiteral("Between"), days(month, month.addDays(29)));
         }},
        {"Combined",
         [=](clsSearchSegment& q) {
             q.sLastName()->SetCriteria_p(Like, Value("*ann*"));
             q.sEvent()->SetCriteria_p(Like, Value("*reg*"));
             q.lCategoryID()->SetCriteria_p(Eq, Value(3));
             q.fReviewed()->SetCriteria_p(Eq, Value(-1));
             q.dtSegmentDate()->SetCriteria_p(QStringLiteral("Between"), days(QDate(2020, 1, 1), month));
         }},
    };
}

// The whole list window: every box at "<ALL>", Search_p, and the list page
// with all its rows painted once. From the second search on the list before
// is released while the new one shows, as when the user searches again; run
// once (SegmentListMemory), resident memory with the one list shown.
void segmentListShowsAllSegments(benchmark::State& state, int segments)
{
    const auto window = listWindow(state, segments);
    if (!window)
        return;
    const double base = MemoryUse::residentMiB();
    MemoryUse::resetPeak();
    for (auto _ : state) {
        window->SetTab_p(0);
        window->Search_p();
        benchmark::DoNotOptimize(window->dbgMain->grab());
    }
    MemoryUse::report(state, base, MemoryUse::residentMiB(), MemoryUse::peakMiB());
    state.counters["rows"] = window->listRecordset() ? window->listRecordset()->RecordCount() : 0;
}

// A click on the segment date's heading of the list of every segment: the
// rows, in label order before, sorted newest first and painted.
void segmentListSortsByDate(benchmark::State& state, int segments)
{
    const auto window = listWindow(state, segments);
    if (!window)
        return;
    window->SetTab_p(0);
    window->Search_p();
    Recordset* rows = window->listRecordset();
    if (!rows || rows->RecordCount() != segments) {
        state.SkipWithError("no list");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        rows->Sort(QStringLiteral("sSegmentLabel"));
        state.ResumeTiming();
        rows->Sort(QStringLiteral("dtSegmentDate DESC"));
        window->dbgMain->viewport()->repaint();
    }
}

// Grouped by size so that each database is made once; every name has the
// size as its last part (before "/iterations:1"), so the filter "/200000"
// picks, and "-/200000" leaves out, the largest, whose database takes a
// minute or two to make.
const bool registered = [] {
    for (const int segments : {2000, 20000, 200000}) {
        for (const auto& [name, set] : criteria(segments)) {
            const std::string suffix = std::string(name) + "/" + std::to_string(segments);
            benchmark::RegisterBenchmark(("Search/" + suffix).c_str(), searchThroughTheProgram, segments, set)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("Sqlite/" + suffix).c_str(), searchStraightThroughSqlite, segments, set)
                ->Unit(benchmark::kMillisecond);
        }
        benchmark::RegisterBenchmark(("SegmentListShowsAllSegments/" + std::to_string(segments)).c_str(),
                                     segmentListShowsAllSegments, segments)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("SegmentListSortsByDate/" + std::to_string(segments)).c_str(),
                                     segmentListSortsByDate, segments)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("SegmentListMemory/" + std::to_string(segments)).c_str(),
                                     segmentListShowsAllSegments, segments)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    }
    return true;
}();

}  // namespace
