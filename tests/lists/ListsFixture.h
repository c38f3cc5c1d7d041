#pragma once

#include "app/clsThisApp.h"
#include "app/modapp.h"
#include "data/clsAdoConnectJet.h"
#include "lists/FakeCaller.h"
#include "lists/RecordWindow.h"
#include "platform/DataGrid.h"
#include "platform/Recordset.h"
#include "support/ScriptedMessages.h"
#include "support/TempProgramFolder.h"

#include <QLineEdit>
#include <QTabWidget>
#include <QVariant>
#include <gtest/gtest.h>

#include <memory>

// A running application over reference rows that a segment partly uses:
//   categories 3 Juniors (segment 1, athlete 2), 4 Seniors, 5 Masters, 7 Veterans
//   segment types 2 Race (segment 1), 3 Practice
//   events 2 Regatta (segment 1, 2024-04-12..14, 08:30-17:00), 3 Open Day (no dates, no times)
//   athletes 2 Hanna Ida (a row of segment 1), 3 Mann Tom, 4 Smith Al
class ListsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.makeProgramFiles());
        ASSERT_TRUE(folder.execSql(QStringLiteral(R"(
INSERT INTO tblCategory (lCategoryID, sCategory, sDescription) VALUES
    (3, 'Juniors', 'Under 18'), (4, 'Seniors', ''), (5, 'Masters', NULL), (7, 'Veterans', NULL);
INSERT INTO tblSegmentType (lSegmentTypeID, sSegmentType) VALUES (2, 'Race'), (3, 'Practice');
INSERT INTO tblEvent (lEventID, sEvent, dtStartDate, dtEndDate, dtStartTime, dtEndTime) VALUES
    (2, 'Regatta', '2024-04-12', '2024-04-14', '08:30:00', '17:00:00'), (3, 'Open Day', NULL, NULL, NULL, NULL);
INSERT INTO tblRoster (lRosterID, sLastName, sFirstName, fActive) VALUES
    (2, 'Hanna', 'Ida', -1), (3, 'Mann', 'Tom', 0), (4, 'Smith', 'Al', -1);
INSERT INTO tblRoster_Category (lRosterID, lCategoryID) VALUES (2, 2), (2, 3), (3, 2), (3, 1), (4, 2), (4, 1);
INSERT INTO tblSegment (lSegmentID, lSegmentTypeID, lEventID, lCategoryID, sSegmentLabel) VALUES (1, 2, 2, 3, '1');
INSERT INTO tblSegmentDetail (lSegmentID, lOrdinalPosition, sSegmentDetailLabel, lRosterId) VALUES (1, 1, 'T000', 2);
)")));
        app = std::make_unique<clsThisApp>();
        modapp::publishApp(app.get());
        modapp::publishLibrary(app->libraryShared());
        modapp::publishMessageHandler(app->messageHandlerShared());
        modapp::publishErrorHandler(app->errorHandlerShared());
        app->LoginAttempt_p();
    }

    void TearDown() override
    {
        windows.clear();
        app.reset();
        modapp::releaseAll();
    }

    // A window as its opener makes it: created, then handed the refresher.
    template <class W>
    W* open()
    {
        auto* w = new W;
        w->FormRefresher_po(app->FormRefresher_po());
        windows.emplace_back(w);
        return w;
    }

    // The first field of the first row, as text ("<none>" without a row).
    QString value(const QString& sql)
    {
        Recordset r;
        r.Open(*app->DatabaseAdo_Po()->Connection(), sql);
        return r.RecordCount() ? r.Fields(0).Value().asText() : QStringLiteral("<none>");
    }

    static QList<int> listedIds(RecordWindow* w)
    {
        QList<int> ids;
        for (int row = 0; row < w->DataSource_Po()->RecordCount(); ++row)
            ids << w->DataSource_Po()->valueAt(row, 0).toLong();
        return ids;
    }
    static void select(RecordWindow* w, std::initializer_list<int> ids)
    {
        for (int id : ids)
            w->dbgMain->SelBookmarks().Add(Value(w->DataSource_Po()->bookmarkAt(int(listedIds(w).indexOf(id)))));
    }
    // Opens the row on the detail page, as a double click on it does.
    static void openRow(RecordWindow* w, int id)
    {
        w->ssTab1->setCurrentIndex(0);
        w->dbgMain->Bookmark(Value(w->DataSource_Po()->bookmarkAt(int(listedIds(w).indexOf(id)))));
        w->ssTab1->setCurrentIndex(1);
    }
    TempProgramFolder folder;
    ScriptedMessages boxes;
    std::unique_ptr<clsThisApp> app;
    std::vector<std::unique_ptr<RecordWindow>> windows;
};
