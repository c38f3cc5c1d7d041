#pragma once

#include "data/clsAdoConnectJet.h"
#include "detail/clsSegmentRows.h"
#include "detail/frmSegmentDetail.h"
#include "platform/Connection.h"
#include "platform/DataGrid.h"
#include "platform/Recordset.h"
#include "support/RunningApp.h"
#include "support/ScriptedMessages.h"
#include "support/TempProgramFolder.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <gtest/gtest.h>

#include <memory>

// A running application over segments with rows:
//   1  "7"  2024-02-10  category 3, event 2, type 2, units 1/1/1, reviewed, notes "calm water"
//      T000 0 s, R001 at 60 s rate 2, T001 120 s 500 m, R002 at 180 s rate 2.5 (athlete 2),
//      T002 250 s 1000 m (athlete 2)
//   2  "8"  2024-02-10  no category, event 2, type 2, rate unit 0, not reviewed, no rows
class DetailFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.makeProgramFiles());
        ASSERT_TRUE(folder.execSql(QStringLiteral(R"(
INSERT INTO tblCategory (lCategoryID, sCategory) VALUES (3, 'Juniors'), (4, 'Seniors');
INSERT INTO tblSegmentType (lSegmentTypeID, sSegmentType) VALUES (2, 'Race');
INSERT INTO tblEvent (lEventID, sEvent) VALUES (2, 'Regatta North'), (3, 'Cup');
INSERT INTO tblRoster (lRosterID, sLastName, sFirstName) VALUES (2, 'Hanna', 'Ida');
INSERT INTO tblSegment (lSegmentID, lSegmentTypeID, lEventID, lCategoryID, lRateTypeID, lSpeedTypeID,
    lDistanceTypeID, sSegmentLabel, dtImportDate, dtSegmentDate, dtSegmentTime, fReviewed, mNotes) VALUES
    (1, 2, 2, 3, 1, 1, 1, '7', '2024-03-01', '2024-02-10', '08:15:00', -1, 'calm water'),
    (2, 2, 2, NULL, 0, 1, 1, '8', '2024-03-01', '2024-02-10', '09:00:00', 0, NULL);
INSERT INTO tblSegmentDetail (lSegmentID, lOrdinalPosition, sSegmentDetailLabel, dCumTime, dRate, dDistance,
    lRosterId, sComments) VALUES
    (1, 0, 'T000', 0, NULL, 0, 1, NULL), (1, 1, 'R001', 60, 2, NULL, 1, NULL),
    (1, 2, 'T001', 120, NULL, 500, 1, 'start'), (1, 4, 'T002', 250, NULL, 1000, 2, NULL),
    (1, 3, 'R002', 180, 2.5, NULL, 2, NULL);
)")));
        running = std::make_unique<RunningApp>();
        app = running->get();
        app->setStatusSink([this](const QString& text) { statusSeen << text; });
    }

    void TearDown() override
    {
        window.reset();
        running.reset();
    }

    frmSegmentDetail& open(qint32 segmentID)
    {
        window = std::make_unique<frmSegmentDetail>();
        window->FormRefresher_po(app->FormRefresher_po());
        EXPECT_TRUE(window->Retrieve_pf(segmentID));
        return *window;
    }

    // The rows of the window under test (the fixture's own unless another is shown).
    Recordset& rows() { return *(shown ? shown : window.get())->DataSource_Po(); }
    // A shown cell's value by label (first row with it) and column.
    Value cell(const QString& label, int column)
    {
        for (int i = 0; i < rows().RecordCount(); ++i)
            if (rows().valueAt(i, clsSegmentRows::colLabel).asText() == label)
                return rows().valueAt(i, column);
        ADD_FAILURE() << "no row " << label.toStdString();
        return Value();
    }
    QString text(const QString& label, int column) { return cell(label, column).asText(); }

    Value scalar(const QString& sql) { return db().ExecuteScalar(sql, {}); }
    Connection& db() { return *app->DatabaseAdo_Po()->Connection(); }
    // Every stored segment and row, to compare a database before and after.
    QString dump()
    {
        return scalar("SELECT (SELECT group_concat(quote(lSegmentID) || quote(lSegmentTypeID) || quote(lEventID) || "
                      "quote(lCategoryID) || quote(lRateTypeID) || quote(lSpeedTypeID) || quote(lDistanceTypeID) || "
                      "quote(sSegmentLabel) || quote(dtImportDate) || quote(dtSegmentDate) || quote(dtSegmentTime) || "
                      "quote(fReviewed) || quote(mNotes), '/') FROM tblSegment) || ' | ' || (SELECT "
                      "group_concat(quote(lSegmentDetailID) || quote(lSegmentID) || quote(lOrdinalPosition) || "
                      "quote(sSegmentDetailLabel) || quote(dCumTime) || quote(dRate) || quote(dDistance) || "
                      "quote(lRosterId) || quote(sComments), '/') FROM tblSegmentDetail)")
            .asText();
    }

    TempProgramFolder folder;
    ScriptedMessages boxes;
    std::unique_ptr<RunningApp> running;
    clsThisApp* app = nullptr;
    std::unique_ptr<frmSegmentDetail> window;
    frmSegmentDetail* shown = nullptr;
    QStringList statusSeen;
};
