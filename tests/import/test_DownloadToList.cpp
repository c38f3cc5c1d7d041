// The program's main road, as a user takes it: File, Upload Watch Data;
// Import; the watch answers; the review lists what came; one segment is
// dropped and one gets another category; Save; the segment list opens at
// today's import date with exactly the kept segments.
#include "WindowKinds.h"
#include "app/ChildForms.h"
#include "app/clsThisApp.h"
#include "app/modapp.h"
#include "data/clsAdoConnectJet.h"
#include "import/clsDownloadSession.h"
#include "import/frmImport.h"
#include "import/frmImportSegment.h"
#include "platform/DataGrid.h"
#include "platform/Recordset.h"
#include "search/frmSegmentList.h"
#include "shell/mdiMain.h"
#include "support/ScriptedMessages.h"
#include "support/SimulatedWatch.h"
#include "support/TempProgramFolder.h"
#include "support/WatchImageBuilder.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {
template <class T>
T* childWindow(mdiMain& main, const char* name)
{
    for (QMdiSubWindow* sub : main.mdiArea()->subWindowList())
        if (sub->widget() && sub->widget()->objectName() == QLatin1String(name))
            return qobject_cast<T*>(sub->widget());
    return nullptr;
}

QList<QStringList> rows(clsAdoConnectJet* ado, const QString& sql)
{
    std::unique_ptr<Recordset> rs;
    ado->SQLOpenRecordset_pl(rs, sql);
    QList<QStringList> out;
    for (rs->MoveFirst(); !rs->IsEOF(); rs->MoveNext()) {
        QStringList row;
        for (int i = 0; i < rs->FieldCount(); ++i)
            row << rs->Fields(i).Value().asText();
        out << row;
    }
    return out;
}
}  // namespace

TEST(MainRoad, FromTheWatchToTheSegmentList)
{
    TempProgramFolder folder;
    ScriptedMessages boxes;
    SimulatedWatch watch;
    ASSERT_TRUE(watch.isOpen());
    ASSERT_TRUE(folder.makeProgramFiles());
    ASSERT_TRUE(
        folder.execSql(QStringLiteral("UPDATE tblSysStrings SET sString = '3' WHERE lStringID = 110;"
                                      "INSERT INTO tblCategory (lCategoryID, sCategory) VALUES (3, 'Juniors');")));
    qputenv("SPLITWERK_COM3", watch.devicePath().toLocal8Bit());

    // Three pieces of work: 2 time rows and a rate row, 1 time row, 3 time
    // rows; between the last two one the watch stored on a 13th month.
    watch.setImage(WatchImageBuilder()
                       .segment(QDate(2026, 12, 8), QTime(7, 15))
                       .time(6050)
                       .rateAt(60, 200)
                       .time(12175)
                       .segment(QDate(2026, 12, 8), QTime(8, 2))
                       .time(9000)
                       .segmentBytes({0xFF, 0x20, 0x26, 0x13}, {0x08, 0x09, 0x10, 0x00})
                       .time(4000)
                       .segment(QDate(2026, 12, 8), QTime(9, 40))
                       .time(3000)
                       .time(6100)
                       .time(9025)
                       .finalTime(9025)
                       .build());

    WindowKinds::registerAll();
    modapp::setSplashMinimumSeconds(0);
    std::unique_ptr<mdiMain> owned;
    modapp::setMainWindowFactory([&] {
        owned = std::make_unique<mdiMain>();
        owned->show();
        return true;
    });
    ASSERT_EQ(modapp::Main(), 0);
    mdiMain& main = *owned;
    clsAdoConnectJet* ado = modapp::ThisApp()->DatabaseAdo_Po();

    main.MenuItem(QStringLiteral("mnuFileImport"))->trigger();
    auto* download = childWindow<frmImport>(main, "frmImport");
    ASSERT_NE(download, nullptr);
    download->session()->setSilenceIntervalMs(300);  // the real two seconds are tested elsewhere
    QTest::mouseClick(download->findChild<QPushButton*>(QStringLiteral("cmdImport")), Qt::LeftButton);

    frmImportSegment* review = nullptr;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return (review = childWindow<frmImportSegment>(main, "frmImportSegment")) != nullptr; }, 10000));
    // One box over the review says which segment stayed behind and why.
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text,
              QStringLiteral("Segment 3 from the watch was not imported: its start, 2026-13-08 09:10:00, is no real "
                             "date and time.\nThe other segments were imported. Check the watch's date and time "
                             "before the next session."));
    boxes.clear();
    EXPECT_EQ(watch.wakeBytesReceived(), 1);

    auto* grid = review->findChild<DataGrid*>(QStringLiteral("dbgMain"));
    ASSERT_NE(grid, nullptr);
    Recordset* staged = grid->DataSource();
    ASSERT_EQ(staged->RecordCount(), 3);
    // Drop the second segment, move the last to Juniors.
    staged->MoveFirst();
    for (int i = 0; !staged->IsEOF(); staged->MoveNext(), ++i) {
        EXPECT_NE(staged->Fields(QStringLiteral("fSave")).Value().toLong(), 0) << "row " << i << " not ticked";
        if (i == 1)
            staged->Fields(QStringLiteral("fSave")).Value(Value(false));
        if (i == 2)
            staged->Fields(QStringLiteral("lCategoryID")).Value(Value(3));
    }
    staged->MoveFirst();
    QTest::mouseClick(review->findChild<QPushButton*>(QStringLiteral("cmdSave")), Qt::LeftButton);

    frmSegmentList* list = nullptr;
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return (list = childWindow<frmSegmentList>(main, "frmSegmentList")) != nullptr; }, 5000));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return childWindow<frmImportSegment>(main, "frmImportSegment") == nullptr; }, 5000));
    // The list is the active window, and its row stands after the review has closed.
    EXPECT_EQ(main.ActiveForm_mo(), list);
    for (const char* name :
         {"mnuFileExport", "mnuEditDelete", "mnuEditSelectAll", "mnuSortAscending", "mnuSortDescending"})
        EXPECT_TRUE(main.MenuItem(QString::fromLatin1(name))->isEnabled()) << name;
    EXPECT_TRUE(main.ToolbarButton(QStringLiteral("Export"))->isEnabled());
    EXPECT_EQ(boxes.count(), 0) << (boxes.count() ? boxes.last().text.toStdString() : std::string());

    ASSERT_NE(list->listRecordset(), nullptr);
    EXPECT_EQ(list->listRecordset()->RecordCount(), 2);

    const QString today = QDate::currentDate().toString(Qt::ISODate);
    const auto segments =
        rows(ado,
             QStringLiteral("SELECT dtImportDate, dtSegmentDate, dtSegmentTime, lCategoryID, "
                            "(SELECT count(*) FROM tblSegmentDetail d WHERE d.lSegmentID = s.lSegmentID) "
                            "FROM tblSegment s ORDER BY dtSegmentTime"));
    ASSERT_EQ(segments.size(), 2);
    EXPECT_EQ(Value(segments[0][0]).toDate().toString(Qt::ISODate), today);
    EXPECT_EQ(Value(segments[0][2]).toTime(), QTime(7, 15));
    EXPECT_EQ(segments[0][3], QStringLiteral("1"));
    EXPECT_EQ(segments[0][4], QStringLiteral("4"));
    EXPECT_EQ(Value(segments[1][2]).toTime(), QTime(9, 40));
    EXPECT_EQ(segments[1][3], QStringLiteral("3"));
    EXPECT_EQ(segments[1][4], QStringLiteral("5"));  // T000, three times, and the trailer's closing time

    const auto details =
        rows(ado,
             QStringLiteral("SELECT d.sSegmentDetailLabel, d.lOrdinalPosition, d.dCumTime, d.lRosterId "
                            "FROM tblSegmentDetail d JOIN tblSegment s ON s.lSegmentID = d.lSegmentID "
                            "WHERE s.dtSegmentTime = '07:15:00' ORDER BY d.lSegmentDetailID"));
    // Stored in the watch's order, which the export follows.
    ASSERT_EQ(details.size(), 4);
    EXPECT_EQ((QStringList{details[0][0], details[1][0], details[2][0], details[3][0]}),
              (QStringList{"T000", "T001", "R001", "T002"}));
    EXPECT_EQ((QStringList{details[0][1], details[1][1], details[2][1], details[3][1]}),
              (QStringList{"0", "1", "2", "3"}));
    EXPECT_DOUBLE_EQ(Value(details[1][2]).toDouble(), 60.5);
    EXPECT_DOUBLE_EQ(Value(details[3][2]).toDouble(), 121.75);
    for (const auto& d : details)
        EXPECT_EQ(d[3], QStringLiteral("1"));
    EXPECT_TRUE(rows(ado, QStringLiteral("SELECT 1 FROM tblSegment WHERE dtSegmentTime = '08:02:00'")).isEmpty());

    modapp::EndApplication_m();
    frmImport::setStagingClearer({});
    frmImport::setImageParser({});
    frmImport::setReviewOpener({});
    owned.reset();
    modapp::setMainWindowFactory({});
    modapp::setSplashMinimumSeconds(2);
    modapp::releaseAll();
    qunsetenv("SPLITWERK_COM3");
}
