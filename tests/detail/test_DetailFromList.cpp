// A coach's way through a stored segment: the segment list, Details, the
// rows in other units, a header edit saved, and the list showing it.
#include "DetailFixture.h"
#include "PinnedLocale.h"

#include "WindowKinds.h"
#include "app/ChildForms.h"
#include "search/frmSegmentList.h"
#include "shell/mdiMain.h"

#include <QAction>
#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>

using Col = clsSegmentRows::Column;

namespace {
QList<QWidget*> children(mdiMain& main, const char* name)
{
    QList<QWidget*> found;
    for (QMdiSubWindow* sub : main.mdiArea()->subWindowList())
        if (sub->widget() && sub->widget()->objectName() == QLatin1String(name))
            found << sub->widget();
    return found;
}
}  // namespace

TEST_F(DetailFixture, FromTheListsDetailsToASavedHeader)
{
    const PinnedLocale c;  // expects C's forms ("00:02'00.00", "4.17")
    WindowKinds::registerAll();
    auto main = std::make_unique<mdiMain>();
    main->show();
    main->MenuItem(QStringLiteral("mnuViewAllSegments"))->trigger();
    auto* list = qobject_cast<frmSegmentList*>(children(*main, "frmSegmentList").value(0));
    ASSERT_TRUE(list);
    Recordset* listed = list->listRecordset();
    ASSERT_EQ(listed->RecordCount(), 2);
    for (int r = 0; r < listed->RecordCount(); ++r)
        if (listed->valueAt(r, 0).toLong() == 1)
            listed->setCurrentViewRow(r);

    list->cmdDetails->click();
    auto* detail = qobject_cast<frmSegmentDetail*>(main->ActiveForm_mo());
    ASSERT_TRUE(detail);
    shown = detail;
    EXPECT_EQ(text("T001", Col::colSpeed), "4.17");
    EXPECT_EQ(text("R001", Col::colDips), "8.33");

    // The menus follow the loaded segment's units (seconds per cycle, metres).
    EXPECT_TRUE(main->MenuItem(QStringLiteral("mnuViewRatesSecondsPerCycle"))->isChecked());
    EXPECT_FALSE(main->MenuItem(QStringLiteral("mnuViewRatesStrokesPerMinute"))->isChecked());
    EXPECT_TRUE(main->MenuItem(QStringLiteral("mnuViewDistanceMeters"))->isChecked());
    EXPECT_FALSE(main->MenuItem(QStringLiteral("mnuFileExport"))->isEnabled());

    // The main window's View menu reaches the active detail window.
    QAction* km = main->MenuItem(QStringLiteral("mnuViewDistanceKilometers"));
    ASSERT_TRUE(km->isEnabled());
    km->trigger();
    EXPECT_EQ(detail->dbgMain->Columns(Col::colDistance)->Caption(), "Dist (km)");
    EXPECT_EQ(detail->dbgMain->Columns(Col::colSpeed)->Caption(), "Speed (km/h)");
    EXPECT_EQ(text("T001", Col::colSpeed), "15000");  // 500 read as km
    main->MenuItem(QStringLiteral("mnuViewRatesStrokesPerMinute"))->trigger();
    EXPECT_EQ(text("R001", Col::colRateDisplay), "30");
    main->MenuItem(QStringLiteral("mnuViewComments"))->trigger();
    EXPECT_FALSE(detail->dbgMain->Columns(Col::colComments)->Visible());

    detail->txtsSegmentLabel->setText("7b");
    detail->cmdSave->click();
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_EQ(scalar("SELECT sSegmentLabel || '/' || lDistanceTypeID || '/' || lSpeedTypeID || '/' || lRateTypeID "
                     "FROM tblSegment WHERE lSegmentID = 1")
                  .asText(),
              "7b/2/2/2");
    QStringList labels;
    for (int r = 0; r < listed->RecordCount(); ++r)
        labels << list->dbgMain->cellText(r, 1);
    EXPECT_TRUE(labels.contains("7b")) << labels.join(',').toStdString();

    // The segment has one detail window: a double click or Details on it
    // again brings that one forward, restored when it was minimised.
    auto* sub = qobject_cast<QMdiSubWindow*>(detail->parentWidget());
    ASSERT_TRUE(sub);
    sub->showMinimized();
    main->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(list->parentWidget()));
    emit list->dbgMain->DblClick();
    EXPECT_EQ(children(*main, "frmSegmentDetail").size(), 1);
    EXPECT_EQ(main->ActiveForm_mo(), detail);
    EXPECT_FALSE(sub->isMinimized());
    main->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(list->parentWidget()));
    list->cmdDetails->click();
    EXPECT_EQ(children(*main, "frmSegmentDetail").size(), 1);
    EXPECT_EQ(main->ActiveForm_mo(), detail);

    // New opens an empty one; a segment deleted meanwhile says so and leaves
    // no empty window.
    db().Execute(QStringLiteral("DELETE FROM tblSegment WHERE lSegmentID = 2"));
    for (int r = 0; r < listed->RecordCount(); ++r)
        if (listed->valueAt(r, 0).toLong() == 2)
            listed->setCurrentViewRow(r);
    list->cmdDetails->click();
    EXPECT_EQ(boxes.last().text, "Unable to retrieve requested record.");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    list->cmdNew->click();
    EXPECT_EQ(children(*main, "frmSegmentDetail").size(), 2);
    auto* fresh = qobject_cast<frmSegmentDetail*>(main->ActiveForm_mo());
    ASSERT_TRUE(fresh);
    EXPECT_EQ(fresh->txtsSegmentLabel->text(), "1");
    main.reset();
}
