#pragma once

#include "app/clsThisApp.h"
#include "app/modapp.h"
#include "data/clsAdoConnectJet.h"
#include "platform/DataGrid.h"
#include "platform/Recordset.h"
#include "search/frmSegmentList.h"
#include "support/ScriptedMessages.h"
#include "support/TempProgramFolder.h"

#include <QList>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

// A running application over a small segment database:
//   segment  label type      event          category  import      segment date  reviewed  rows (athletes)
//   1        "1"   Race      Regatta North  Juniors   2024-03-01  2024-02-10    yes       Hanna, Hanna, Mann, -, -
//   2        "2"   Practice  Cup_A          Seniors   2024-03-01  2024-02-20    no        Mann, -, -
//   3        "3"   Race      CupXA          Juniors   2024-03-05  2024-03-01    no        O'Brien
//   4        "4"   Unass.    50% off        Unass.    2024-03-05  2024-03-03    yes       Smith
//   5        "A1"  Practice  500 off        Seniors   2024-04-01  2024-03-20    no        -
//   6        "6"   Practice  a|b            Juniors   2024-04-01  2024-03-25    (Null)    none
class SearchFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.makeProgramFiles());
        ASSERT_TRUE(folder.execSql(QStringLiteral(R"(
INSERT INTO tblCategory (lCategoryID, sCategory) VALUES (3, 'Juniors'), (4, 'Seniors');
INSERT INTO tblSegmentType (lSegmentTypeID, sSegmentType) VALUES (2, 'Race'), (3, 'Practice');
INSERT INTO tblEvent (lEventID, sEvent) VALUES (2, 'Regatta North'), (3, 'Cup_A'), (4, 'CupXA'),
    (5, '50% off'), (6, '500 off'), (7, 'a|b');
INSERT INTO tblRoster (lRosterID, sLastName, sFirstName, sNickName) VALUES
    (2, 'Hanna', 'Ida', NULL), (3, 'Mann', 'Tom', 'Tommy'), (4, 'O''Brien', 'Pat', NULL), (5, 'Smith', 'Al', NULL);
INSERT INTO tblSegment (lSegmentID, lSegmentTypeID, lEventID, lCategoryID, lRateTypeID, lSpeedTypeID,
    lDistanceTypeID, sSegmentLabel, dtImportDate, dtSegmentDate, dtSegmentTime, fReviewed, mNotes) VALUES
    (1, 2, 2, 3, 1, 1, 1, '1', '2024-03-01', '2024-02-10', '08:15:00', -1, 'calm water'),
    (2, 3, 3, 4, 2, 2, 2, '2', '2024-03-01', '2024-02-20', '09:00:00', 0, NULL),
    (3, 2, 4, 3, 1, 1, 1, '3', '2024-03-05', '2024-03-01', '10:00:00', 0, NULL),
    (4, 1, 5, 1, 1, 1, 1, '4', '2024-03-05', '2024-03-03', NULL, -1, NULL),
    (5, 3, 6, 4, 1, 1, 1, 'A1', '2024-04-01', '2024-03-20', '11:30:00', 0, NULL),
    (6, 3, 7, 3, 1, 1, 1, '6', '2024-04-01', '2024-03-25', '12:00:00', NULL, NULL);
INSERT INTO tblSegmentDetail (lSegmentID, lOrdinalPosition, sSegmentDetailLabel, dCumTime, dRate, dDistance,
    lRosterId, sComments) VALUES
    (1, 1, 'T001', 61.25, NULL, 500, 2, 'start'), (1, 2, 'T002', 123.5, NULL, 1000, 2, NULL),
    (1, 3, 'T003', 1234.5, NULL, NULL, 3, NULL), (1, 4, 'R001', 2.5, 2.5, NULL, 1, NULL),
    (1, 5, 'R002', 2.25, 2.25, NULL, 1, NULL),
    (2, 1, 'T001', 70, NULL, NULL, 3, NULL), (2, 2, 'T002', 140, NULL, NULL, 1, NULL),
    (2, 3, 'R001', 3, 3, NULL, 1, NULL),
    (3, 1, 'T001', 50, NULL, NULL, 4, NULL),
    (4, 1, 'T001', 40, NULL, NULL, 5, NULL),
    (5, 1, 'T001', 30, NULL, NULL, 1, NULL);
)")));
        app = std::make_unique<clsThisApp>();
        modapp::publishApp(app.get());
        modapp::publishMessageHandler(app->messageHandlerShared());
        modapp::publishErrorHandler(app->errorHandlerShared());
        app->LoginAttempt_p();
        app->setStatusSink([this](const QString& text) { status = text; });
        window = std::make_unique<frmSegmentList>();
        window->FormRefresher_po(app->FormRefresher_po());
    }

    void TearDown() override
    {
        window.reset();
        frmSegmentList::setSaveFileAsker({});
        app.reset();
        modapp::releaseAll();
    }

    // The segment ids the list shows, in its order.
    QList<int> listedIds() const
    {
        QList<int> ids;
        Recordset* rs = window->listRecordset();
        for (int row = 0; rs && row < rs->RecordCount(); ++row)
            ids << rs->valueAt(row, 0).toLong();
        return ids;
    }
    QList<int> sortedIds() const
    {
        QList<int> ids = listedIds();
        std::sort(ids.begin(), ids.end());
        return ids;
    }
    int viewRowOf(int segmentId) const { return int(listedIds().indexOf(segmentId)); }
    void select(std::initializer_list<int> segmentIds)
    {
        for (int id : segmentIds)
            window->dbgMain->SelBookmarks().Add(Value(window->listRecordset()->bookmarkAt(viewRowOf(id))));
    }
    qint64 count(const QString& sql)
    {
        Recordset r;
        r.Open(*app->DatabaseAdo_Po()->Connection(), sql);
        return r.Fields(0).Value().toLong();
    }
    void searchAll()
    {
        window->Search_p();
        ASSERT_EQ(listedIds().size(), 6);
    }

    TempProgramFolder folder;
    ScriptedMessages boxes;
    std::unique_ptr<clsThisApp> app;
    std::unique_ptr<frmSegmentList> window;
    QString status = QStringLiteral("untouched");
};
