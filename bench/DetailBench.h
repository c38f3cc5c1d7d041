#pragma once

#include "ProgramBench.h"
#include "detail/frmSegmentDetail.h"
#include "platform/DataGrid.h"

#include <QString>

#include <benchmark/benchmark.h>

#include <memory>

// Segment 1 with n rows: two time rows of 100 m to every rate row, 12.5 s apart.
inline QString segmentSql(int n)
{
    return QStringLiteral(
               "INSERT INTO tblSegment (lSegmentID, lSegmentTypeID, lEventID, lCategoryID, lRateTypeID, lSpeedTypeID, "
               "lDistanceTypeID, sSegmentLabel, dtImportDate, dtSegmentDate, dtSegmentTime) VALUES (1, 1, 1, 1, 1, 1, "
               "1, '1', '2024-03-01', '2024-03-01', '08:00:00');"
               "INSERT INTO tblSegmentDetail (lSegmentID, lOrdinalPosition, sSegmentDetailLabel, dCumTime, dRate, "
               "dDistance, lRosterId) WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
               "SELECT 1, i, CASE WHEN i % 3 = 1 THEN 'R' ELSE 'T' END || printf('%03d', i), i * 12.5, "
               "CASE WHEN i % 3 = 1 THEN 2.1 END, CASE WHEN i % 3 = 1 THEN NULL ELSE 100 END, 1 FROM n;")
        .arg(n - 1);
}

// Segments 2 to `last`, without rows, beside segment 1.
inline QString moreSegmentsSql(int last)
{
    return QStringLiteral(
               "INSERT INTO tblSegment (lSegmentID, lSegmentTypeID, lEventID, lCategoryID, lRateTypeID, lSpeedTypeID, "
               "lDistanceTypeID, sSegmentLabel, dtImportDate, dtSegmentDate, dtSegmentTime, fReviewed) WITH RECURSIVE "
               "n(i) AS (SELECT 2 UNION ALL SELECT i + 1 FROM n WHERE i < %1) SELECT i, 1, 1, 1, 1, 1, 1, '' || i, "
               "date('2020-01-01', '+' || (i / 20) || ' days'), date('2020-01-01', '+' || (i / 15) || ' days'), "
               "'07:15:00', -(i % 2) FROM n;")
        .arg(last);
}

// A running program over a database holding one segment of n rows, and
// whatever `more` adds.
struct DetailBench : ProgramBench {
    explicit DetailBench(int n, const QString& more = {}) : ProgramBench(segmentSql(n) + more) {}
    std::unique_ptr<frmSegmentDetail> openWindow() const
    {
        auto w = std::make_unique<frmSegmentDetail>();
        w->FormRefresher_po((*app)->FormRefresher_po());
        w->Retrieve_pf(1);
        return w;
    }

    // The window shown at its size with its grid painted.
    static void paint(frmSegmentDetail& w)
    {
        w.resize(900, 650);
        w.show();
        w.dbgMain->viewport()->repaint();
    }
    // The statement the window reads segment 1's rows with.
    static QString rowsSql()
    {
        return QStringLiteral("SELECT lSegmentDetailID, lSegmentID, lOrdinalPosition, sSegmentDetailLabel, dCumTime, "
                              "NULL as dCumTimeDisplay, NULL as lLap, dRate, NULL as dRateDisplay, NULL as ldips, "
                              "NULL as lspeed, dDistance, lRosterId, sComments FROM tblSegmentDetail WHERE "
                              "lSegmentId = 1 ORDER BY dCumTime, lOrdinalPosition, lSegmentDetailID");
    }
};
