#pragma once

#include "BenchApplication.h"
#include "app/modapp.h"
#include "search/frmSegmentList.h"
#include "support/RunningApp.h"
#include "support/ScriptedMessages.h"
#include "support/TempProgramFolder.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <optional>

// Years of data: the given number of segments with 50 rows each, ten of them
// assigned to athletes out of 200 (one in twenty named "Hanna..."), and one
// row of one segment to an athlete no other row has. One size lives at a time.
struct SearchData {
    explicit SearchData(int segmentCount) : segments(segmentCount)
    {
        ensureApplication();
        folder = std::make_unique<TempProgramFolder>();
        const QString n = QString::number(segmentCount);
        ok = folder->makeProgramFiles()
            && folder->execSql(
                QStringLiteral(
                    "BEGIN;"
                    "INSERT INTO tblCategory (lCategoryID, sCategory) VALUES (3, 'Juniors'), (4, 'Seniors');"
                    "INSERT INTO tblSegmentType (lSegmentTypeID, sSegmentType) VALUES (2, 'Race'), (3, 'Practice');"
                    "INSERT INTO tblEvent (lEventID, sEvent) VALUES (2, 'Regatta North'), (3, 'Spring Cup'),"
                    " (4, 'Head Race'), (5, 'Club Regatta');"
                    "WITH RECURSIVE n(i) AS (SELECT 2 UNION ALL SELECT i + 1 FROM n WHERE i < 201)"
                    " INSERT INTO tblRoster (lRosterID, sLastName, sFirstName)"
                    " SELECT i, CASE WHEN i = 201 THEN 'Zyzzyva' WHEN i % 20 = 0 THEN 'Hanna' || i ELSE 'Smith' || i "
                    "END,"
                    " 'First' || i FROM n;"
                    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1)"
                    " INSERT INTO tblSegment (lSegmentID, sSegmentLabel, dtImportDate, dtSegmentDate, dtSegmentTime,"
                    " lCategoryID, lEventID, lSegmentTypeID, lRateTypeID, lSpeedTypeID, lDistanceTypeID, fReviewed, "
                    "mNotes)"
                    " SELECT i, '' || i, date('2020-01-01', '+' || (i / 20) || ' days'),"
                    " date('2020-01-01', '+' || (i / 15) || ' days'), '07:15:00',"
                    " CASE i % 3 WHEN 0 THEN 1 WHEN 1 THEN 3 ELSE 4 END, 1 + i % 5, 1 + i % 3, 1, 1, 1, -(i % 2), "
                    "'notes'"
                    " FROM n;"
                    "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < %1 * 50 - 1)"
                    " INSERT INTO tblSegmentDetail (lSegmentID, lOrdinalPosition, sSegmentDetailLabel, dCumTime, dRate,"
                    " dDistance, lRosterId, sComments)"
                    " SELECT i / 50 + 1, i % 50, 'T' || substr('000' || (i % 50), -3), (i % 50) * 30.25, 2.1, 250,"
                    " CASE WHEN i = 777 THEN 201 WHEN i % 50 < 10 THEN 1 + (i / 50 + i % 50) % 200 ELSE 1 END, NULL "
                    "FROM n;"
                    "COMMIT;")
                    .arg(n));
        if (ok)
            app = std::make_unique<RunningApp>();
    }

    static std::unique_ptr<SearchData>& current()
    {
        static std::unique_ptr<SearchData> data;
        return data;
    }
    static SearchData& get(int segmentCount)
    {
        std::unique_ptr<SearchData>& data = current();
        if (!data || data->segments != segmentCount) {
            data.reset();
            data = std::make_unique<SearchData>(segmentCount);
            // Registered after the database's crypto library set up its own
            // clean-up, so the data (and the exit compaction) goes first.
            static const bool released = std::atexit([] { current().reset(); }) == 0;
            (void)released;
        } else if (data->app && modapp::ThisApp() != data->app->get()) {
            // Another benchmark's program ran meanwhile and took its references along.
            modapp::publishApp(data->app->get());
            modapp::publishMessageHandler((*data->app)->messageHandlerShared());
            modapp::publishErrorHandler((*data->app)->errorHandlerShared());
            data->boxes.emplace();
        }
        return *data;
    }

    int segments;
    std::unique_ptr<TempProgramFolder> folder;
    std::optional<ScriptedMessages> boxes{std::in_place};
    std::unique_ptr<RunningApp> app;
    bool ok = false;
};

// The list window over the data, shown; none (and the benchmark skipped)
// without the data.
inline std::unique_ptr<frmSegmentList> listWindow(benchmark::State& state, int segments)
{
    if (!SearchData::get(segments).ok) {
        state.SkipWithError("no database");
        return nullptr;
    }
    auto window = std::make_unique<frmSegmentList>();
    window->resize(800, 600);
    window->show();
    return window;
}
