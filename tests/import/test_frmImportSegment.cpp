#include "app/CallByName.h"
#include "app/ChildForms.h"
#include "app/MenuRow.h"
#include "app/clsFormRefresher.h"
#include "app/clsThisApp.h"
#include "app/modapp.h"
#include "data/clsAdoConnectJet.h"
#include "import/frmImportSegment.h"
#include "platform/AppError.h"
#include "platform/Connection.h"
#include "platform/DataGrid.h"
#include "platform/DatePicker.h"
#include "platform/LocaleText.h"
#include "shell/mdiMain.h"
#include "support/ScriptedMessages.h"
#include "support/TempProgramFolder.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QDate ImportDay(2024, 3, 5);

// Stands in for the segment list: records what the review window handed it.
class FakeSegmentList : public QWidget {
    Q_OBJECT
public:
    FakeSegmentList()
    {
        setObjectName(QStringLiteral("frmSegmentList"));
        from = new DatePicker(this);
        from->setObjectName(QStringLiteral("dtpImportDateFrom"));
        to = new DatePicker(this);
        to->setObjectName(QStringLiteral("dtpImportDateTo"));
        from->Value(Value::null());
        to->Value(Value::null());
        ++created;
    }
    Q_INVOKABLE void FormRefresher_po(clsFormRefresher* r) { refresher = r; }
    Q_INVOKABLE void Search_p()
    {
        ++searches;
        searchedFrom = from->Value();
        searchedTo = to->Value();
        if (failSearch)
            throw AppError(2005, QStringLiteral("The list could not search"), QStringLiteral("Search_p"));
    }

    static void reset()
    {
        created = searches = 0;
        searchedFrom = searchedTo = Value();
        refresher = nullptr;
        failSearch = false;
    }

    DatePicker* from;
    DatePicker* to;
    static inline int created = 0;
    static inline int searches = 0;
    static inline Value searchedFrom;
    static inline Value searchedTo;
    static inline clsFormRefresher* refresher = nullptr;
    static inline bool failSearch = false;
};

class ReviewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.makeProgramFiles());
        ASSERT_TRUE(folder.execSql(stagingSql()));
        app = std::make_unique<clsThisApp>();
        modapp::publishApp(app.get());
        modapp::publishMessageHandler(app->messageHandlerShared());
        modapp::publishErrorHandler(app->errorHandlerShared());
        app->LoginAttempt_p();

        main = std::make_unique<mdiMain>();
        sortMenu = main->SortContextMenu();
        main->show();

        FakeSegmentList::reset();
        ChildForms::registerForm(QStringLiteral("frmSegmentList"), [] { return new FakeSegmentList; });
    }

    void TearDown() override
    {
        ChildForms::registerForm(QStringLiteral("frmSegmentList"), [] { return nullptr; });
        main.reset();
        app.reset();
        modapp::releaseAll();
    }

    // Five staged segments, labels 1..5, all unticked as an earlier review
    // might have left them; segment k has rows T000..T00k, segment 2 also a
    // rate row; rows of a header the parser dropped (id 9) lie about too.
    static QString stagingSql()
    {
        QString sql = QStringLiteral(
            "INSERT INTO tblCategory (lCategoryID, sCategory, sDescription, fSysLock) VALUES (3, 'Masters', '', 0);");
        for (int k = 1; k <= 5; ++k) {
            sql += QStringLiteral(
                       "INSERT INTO tblImportSegment (lSegmentID, sSegmentLabel, dtImportDate, dtSegmentDate, "
                       "dtSegmentTime, lSegmentTypeID, lCategoryID, lRateTypeID, lSpeedTypeID, lDistanceTypeID, "
                       "mNotes, fSave) VALUES (%1, '%1', '2024-03-05', '2024-03-0%1', '0%1:30:00', 1, 1, 2, 1, 3, "
                       "'note %1', 0);")
                       .arg(k);
            for (int j = 0; j <= k; ++j)
                sql += QStringLiteral("INSERT INTO tblImportSegmentDetail (lSegmentID, sSegmentDetailLabel, "
                                      "lOrdinalPosition, dCumTime, dRate) VALUES (%1, 'T%2', %3, %4, 0);")
                           .arg(k)
                           .arg(j, 3, 10, QLatin1Char('0'))
                           .arg(j)
                           .arg(j == 0 ? 0.0 : j * 10.5 + k);
        }
        sql += QStringLiteral("INSERT INTO tblImportSegmentDetail (lSegmentID, sSegmentDetailLabel, lOrdinalPosition, "
                              "dCumTime, dRate) VALUES (2, 'R001', 3, 0, 0.8), (9, 'T000', 0, 0, 0), "
                              "(9, 'T001', 1, 4.5, 0);");
        return sql;
    }

    frmImportSegment* openReview()
    {
        QWidget* w = frmImportSegment::openAfterDownload(ImportDay);
        review = qobject_cast<frmImportSegment*>(w);
        grid = w ? w->findChild<DataGrid*>(QStringLiteral("dbgMain")) : nullptr;
        return review;
    }

    Value scalar(const QString& sql) { return app->DatabaseAdo_Po()->Connection()->ExecuteScalar(sql, {}); }
    qint64 count(const QString& sql) { return scalar(sql).toLong(); }
    QString shown(int row, int col) { return grid->model()->index(row, col).data(Qt::DisplayRole).toString(); }
    QStringList column(int col)
    {
        QStringList out;
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            out << shown(r, col);
        return out;
    }

    // A click on the tick of a row, as the user gives it.
    void clickTick(int row)
    {
        const QModelIndex i = grid->model()->index(row, frmImportSegment::colSave);
        grid->scrollTo(i);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(i).center());
    }

    QPushButton* buttonNamed(const char* name) { return review->findChild<QPushButton*>(QLatin1String(name)); }

    static bool closesSoon(QPointer<QWidget> w)
    {
        if (!w)
            return true;
        if (w->isVisible())
            return false;
        QSignalSpy gone(w.data(), &QObject::destroyed);
        return gone.wait(2000) || !w;
    }

    TempProgramFolder folder;
    ScriptedMessages boxes;
    std::unique_ptr<clsThisApp> app;
    std::unique_ptr<mdiMain> main;
    QMenu* sortMenu = nullptr;
    QPointer<frmImportSegment> review;
    DataGrid* grid = nullptr;
};

}  // namespace

TEST_F(ReviewTest, SavesTheKeptSegmentsWithTheirRowsAndOpensTheListAtTheImportDate)
{
    ASSERT_NE(openReview(), nullptr);
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(review->windowTitle(), "Imported Segments");
    EXPECT_EQ(review->ImportDate_pdt(), ImportDay);
    // Opening ticks every staged segment and shows names for the ids.
    EXPECT_EQ(count("SELECT COUNT(*) FROM tblImportSegment WHERE fSave = -1"), 5);
    QStringList captions;
    for (int c = 0; c < grid->ColumnCount(); ++c)
        captions << grid->Columns(c)->Caption();
    EXPECT_EQ(captions,
              QStringList({"Segment", "Segment Type", "Category", "Import Date", "Segment Date", "SegmentTime", "Notes",
                           "Save?"}));
    EXPECT_EQ(column(frmImportSegment::colCategory), QStringList(5, "Unassigned"));
    EXPECT_EQ(grid->Columns(frmImportSegment::colCategory)->ValueItems().Count(), 3);

    // Drop segments 2 and 4; segment 3 goes to Masters, its editor still open.
    clickTick(1);
    clickTick(3);
    grid->setCurrentIndex(grid->model()->index(2, frmImportSegment::colCategory));
    grid->EditActive(true);
    auto* combo = qobject_cast<QComboBox*>(grid->cellEditor());
    ASSERT_NE(combo, nullptr);
    combo->setEditText(QStringLiteral("Masters"));

    QPointer<QWidget> w(review.data());
    buttonNamed("cmdSave")->click();
    EXPECT_EQ(boxes.count(), 0) << (boxes.count() ? boxes.last().text.toStdString() : "");

    EXPECT_EQ(count("SELECT COUNT(*) FROM tblSegment"), 3);
    EXPECT_EQ(count("SELECT COUNT(*) FROM tblSegment WHERE sSegmentLabel IN ('1', '3', '5')"), 3);
    EXPECT_EQ(scalar("SELECT lCategoryID FROM tblSegment WHERE sSegmentLabel = '3'"), Value(3));
    EXPECT_EQ(count("SELECT COUNT(*) FROM tblSegment WHERE lCategoryID = 1 AND lSegmentTypeID = 1"), 2);
    EXPECT_EQ(count("SELECT COUNT(*) FROM tblSegment WHERE sSegmentLabel = '5' AND dtImportDate = '2024-03-05' "
                    "AND dtSegmentDate = '2024-03-05' AND dtSegmentTime = '05:30:00' AND lRateTypeID = 2 "
                    "AND lSpeedTypeID = 1 AND lDistanceTypeID = 3 AND mNotes = 'note 5' AND lEventID IS NULL "
                    "AND fReviewed = 0"),
              1);

    // Rows of the kept segments only, under their new ids, athlete 1, ordinals kept.
    EXPECT_EQ(count("SELECT COUNT(*) FROM tblSegmentDetail"), 2 + 4 + 6);
    EXPECT_EQ(count("SELECT COUNT(*) FROM tblSegmentDetail d JOIN tblSegment s ON s.lSegmentID = d.lSegmentID "
                    "WHERE d.lRosterId = 1"),
              12);
    EXPECT_EQ(count("SELECT COUNT(*) FROM tblSegmentDetail d JOIN tblSegment s ON s.lSegmentID = d.lSegmentID "
                    "WHERE s.sSegmentLabel = '5' AND d.sSegmentDetailLabel = 'T004' AND d.lOrdinalPosition = 4 "
                    "AND d.dCumTime = 47.0 AND d.dDistance IS NULL"),
              1);
    EXPECT_EQ(count("SELECT COUNT(*) FROM tblSegmentDetail WHERE dRate = 0.8 OR dCumTime = 4.5"), 0);

    // The list got the refresher and both dates before it searched; the review is gone.
    EXPECT_EQ(FakeSegmentList::created, 1);
    EXPECT_EQ(FakeSegmentList::refresher, app->FormRefresher_po());
    EXPECT_EQ(FakeSegmentList::searches, 1);
    EXPECT_EQ(FakeSegmentList::searchedFrom, Value(ImportDay));
    EXPECT_EQ(FakeSegmentList::searchedTo, Value(ImportDay));
    EXPECT_TRUE(closesSoon(w));
}

// A typed date or time is stored when written as the grid shows it (a date
// also as year-month-day), or refused naming the column and the forms it
// takes; the refused text stays in its cell. In every locale the grid shows
// four-digit years and takes its own text back.
TEST_F(ReviewTest, TypedDatesAndTimesAreStoredOrRefusedInWords)
{
    struct DefaultLocale {
        explicit DefaultLocale(const char* name) { QLocale::setDefault(QLocale(QString::fromLatin1(name))); }
        ~DefaultLocale() { QLocale::setDefault(QLocale::system()); }
    };
    for (const char* name : {"en_GB", "C", "en_US", "de_DE", "fr_FR", "es_ES", "ja_JP", "hu_HU"}) {
        SCOPED_TRACE(name);
        const DefaultLocale scope(name);
        ASSERT_TRUE(folder.execSql(
            QStringLiteral("UPDATE tblImportSegment SET dtSegmentTime = '01:30:00', dtSegmentDate = '2024-03-01', "
                           "dtImportDate = '2024-03-05' WHERE lSegmentID = 1;")));
        ASSERT_NE(openReview(), nullptr);
        const QString time = " takes a time of day written like " + LocaleText::time(QTime(14, 5, 30))
            + ", hours up to 23 and minutes and seconds up to 59: ";
        const QString date = " takes a date written like " + LocaleText::date(QDate(2024, 3, 5)) + " or 2024-03-05: ";
        struct Case {
            int column;
            const char* field;
            QString typed;
            QString says;  // empty: taken
            const char* stored;
        };
        const Case cases[] = {
            {frmImportSegment::colSegmentTime, "dtSegmentTime", "25:61:00",
             "SegmentTime" + time + "\"25:61:00\" is not one.", "01:30:00"},
            {frmImportSegment::colSegmentTime, "dtSegmentTime", "abc", "SegmentTime" + time + "\"abc\" is not one.",
             "01:30:00"},
            {frmImportSegment::colSegmentDate, "dtSegmentDate", "abc", "Segment Date" + date + "\"abc\" is not one.",
             "2024-03-01"},
            {frmImportSegment::colImportDate, "dtImportDate", "30/02/2024",
             "Import Date" + date + "\"30/02/2024\" is not one.", "2024-03-05"},
            {frmImportSegment::colSegmentTime, "dtSegmentTime", "7:05", {}, "07:05:00"},
            {frmImportSegment::colSegmentDate, "dtSegmentDate", "2024-3-7", {}, "2024-03-07"},
            {frmImportSegment::colImportDate, "dtImportDate", "shown", {}, "2024-03-05"},
            {frmImportSegment::colImportDate, "dtImportDate", LocaleText::date(QDate(1925, 6, 1)), {}, "1925-06-01"},
            {frmImportSegment::colSegmentDate, "dtSegmentDate", LocaleText::date(QDate(2035, 7, 4)), {}, "2035-07-04"},
        };
        for (const Case& k : cases) {
            SCOPED_TRACE(k.typed.toStdString());
            boxes.clear();
            grid->setCurrentIndex(grid->model()->index(0, k.column));
            const QString typed = k.typed == "shown" ? grid->cellText(0, k.column) : k.typed;
            grid->EditActive(true);
            auto* editor = qobject_cast<QLineEdit*>(grid->cellEditor());
            ASSERT_NE(editor, nullptr);
            editor->setText(typed);
            const bool taken = grid->commitPendingEdit();
            QCoreApplication::processEvents();
            if (k.says.isEmpty()) {
                EXPECT_TRUE(taken);
                EXPECT_EQ(boxes.count(), 0);
                grid->Update();
            } else {
                EXPECT_FALSE(taken);
                ASSERT_EQ(boxes.count(), 1);
                EXPECT_TRUE(boxes.last().text.startsWith(k.says)) << boxes.last().text.toStdString();
                EXPECT_EQ(editor->text(), typed);
                grid->cancelPendingEdit();
            }
            EXPECT_EQ(scalar(QStringLiteral("SELECT %1 || '' FROM tblImportSegment WHERE lSegmentID = 1").arg(k.field))
                          .asText(),
                      QString::fromLatin1(k.stored));
        }
        review->close();
        QCoreApplication::processEvents();
    }
}

TEST_F(ReviewTest, AFailureOnTheThirdSegmentWritesNothingAndTheNextTrySucceeds)
{
    // No such category: the database refuses the third segment.
    ASSERT_TRUE(folder.execSql(QStringLiteral("UPDATE tblImportSegment SET lCategoryID = 99 WHERE lSegmentID = 3")));
    ASSERT_NE(openReview(), nullptr);
    clickTick(1);  // a pending tick the failed save must not lose

    buttonNamed("cmdSave")->click();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains("cmdSave_Click")) << boxes.last().text.toStdString();
    EXPECT_EQ(count("SELECT COUNT(*) FROM tblSegment"), 0);
    EXPECT_EQ(count("SELECT COUNT(*) FROM tblSegmentDetail"), 0);
    EXPECT_EQ(FakeSegmentList::created, 0);
    ASSERT_TRUE(review);
    EXPECT_TRUE(review->isVisible());
    EXPECT_FALSE(review->saved());
    EXPECT_TRUE(buttonNamed("cmdSave")->isEnabled());
    EXPECT_EQ(count("SELECT COUNT(*) FROM tblImportSegment WHERE fSave <> 0"), 4);

    // The user picks a real category and saves again: all four go in once.
    grid->setCurrentIndex(grid->model()->index(2, frmImportSegment::colCategory));
    grid->Columns(frmImportSegment::colCategory)->Text(QStringLiteral("Masters"));
    buttonNamed("cmdSave")->click();
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_EQ(count("SELECT COUNT(*) FROM tblSegment"), 4);
    EXPECT_EQ(count("SELECT COUNT(*) FROM tblSegmentDetail"), 2 + 4 + 5 + 6);
    EXPECT_EQ(FakeSegmentList::searches, 1);
}

TEST_F(ReviewTest, KeepAllKeepNoneWriteTheTableAndNoTickSavesNothingButStillOpensTheList)
{
    ASSERT_NE(openReview(), nullptr);
    buttonNamed("cmdUnselectAll")->click();
    EXPECT_EQ(count("SELECT COUNT(*) FROM tblImportSegment WHERE fSave = 0"), 5);
    EXPECT_EQ(column(frmImportSegment::colSave), QStringList(5, QStringLiteral("\u2610")));
    clickTick(0);
    buttonNamed("cmdSelectAll")->click();
    EXPECT_EQ(count("SELECT COUNT(*) FROM tblImportSegment WHERE fSave = -1"), 5);
    EXPECT_EQ(column(frmImportSegment::colSave), QStringList(5, QStringLiteral("\u2611")));

    // Selecting rows is not ticking them.
    buttonNamed("cmdUnselectAll")->click();
    CallByName::call(review, "SelectAllRows_p");
    EXPECT_EQ(grid->SelBookmarks().Count(), 5);
    EXPECT_EQ(count("SELECT COUNT(*) FROM tblImportSegment WHERE fSave <> 0"), 0);

    QPointer<QWidget> w(review.data());
    buttonNamed("cmdSave")->click();
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_EQ(count("SELECT COUNT(*) FROM tblSegment"), 0);
    EXPECT_EQ(count("SELECT COUNT(*) FROM tblSegmentDetail"), 0);
    EXPECT_EQ(FakeSegmentList::searches, 1);
    EXPECT_EQ(FakeSegmentList::searchedFrom, Value(ImportDay));
    EXPECT_TRUE(closesSoon(w));
}

TEST_F(ReviewTest, AnErrorOpeningTheListAfterTheCommitIsReportedAndNoSecondSaveHappens)
{
    FakeSegmentList::failSearch = true;
    // Shown outside the main window so it outlives its closing for the check.
    auto* own = new frmImportSegment;
    review = own;
    own->ImportDate_pdt(ImportDay);
    own->show();
    own->findChild<QPushButton*>(QStringLiteral("cmdSave"))->click();

    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains("The list could not search")) << boxes.last().text.toStdString();
    EXPECT_EQ(count("SELECT COUNT(*) FROM tblSegment"), 5);
    ASSERT_TRUE(review);
    EXPECT_FALSE(review->isVisible());
    EXPECT_TRUE(review->saved());
    EXPECT_FALSE(own->findChild<QPushButton*>(QStringLiteral("cmdSave"))->isEnabled());

    // Even reached past the disabled button, the save does not run again.
    QMetaObject::invokeMethod(own, "cmdSave_Click", Qt::DirectConnection);
    EXPECT_EQ(count("SELECT COUNT(*) FROM tblSegment"), 5);
    EXPECT_EQ(count("SELECT COUNT(*) FROM tblSegmentDetail"), 2 + 4 + 4 + 5 + 6);  // segment 2 has a rate row too
    EXPECT_EQ(boxes.count(), 1);
    delete own;
}

TEST_F(ReviewTest, SortsOnTheChosenColumnsOwnFieldAscendingOnlyForAsc)
{
    // Labels and notes in orders that differ from the ids and the times.
    ASSERT_TRUE(
        folder.execSql(QStringLiteral("UPDATE tblImportSegment SET sSegmentLabel = substr('CAEBD', lSegmentID, 1), "
                                      "mNotes = substr('qtrps', lSegmentID, 1)")));
    ASSERT_NE(openReview(), nullptr);

    for (const char* order : {"asc", "ASC", "Asc"}) {
        CallByName::call(review, "SetOrder_P", QString::fromLatin1(order));
        EXPECT_EQ(column(frmImportSegment::colSegment), QStringList({"A", "B", "C", "D", "E"})) << order;
    }
    for (const char* order : {"DESC", "x"}) {
        CallByName::call(review, "SetOrder_P", QString::fromLatin1(order));
        EXPECT_EQ(column(frmImportSegment::colSegment), QStringList({"E", "D", "C", "B", "A"})) << order;
    }

    // A right click with the Notes column selected chooses it and pops up the sort menu.
    grid->SelStartCol(frmImportSegment::colNotes);
    grid->SelEndCol(frmImportSegment::colNotes);
    QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(review->sortColumn(), int(frmImportSegment::colNotes));
    EXPECT_TRUE(sortMenu->isVisible());
    EXPECT_EQ(grid->SelStartCol(), -1);
    sortMenu->hide();
    CallByName::call(review, "SetOrder_P", QStringLiteral("ASC"));
    EXPECT_EQ(column(frmImportSegment::colNotes), QStringList({"p", "q", "r", "s", "t"}));
    EXPECT_EQ(review->sortOrder(), "ASC");

    // Two columns, or none, choose nothing.
    grid->SelStartCol(frmImportSegment::colSegment);
    grid->SelEndCol(frmImportSegment::colSegmentType);
    QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_FALSE(sortMenu->isVisible());
    grid->ClearSelCols();
    QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_FALSE(sortMenu->isVisible());
    EXPECT_EQ(review->sortColumn(), int(frmImportSegment::colNotes));
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(ReviewTest, AppliesItsMenuRowWhenActiveAndCancelWritesNothing)
{
    for (QAction* a : main->findChildren<QAction*>())
        a->setEnabled(!a->isEnabled());
    ASSERT_NE(openReview(), nullptr);
    CallByName::call(review, "Form_Activate");
    const MenuRow row = frmImportSegment::menuRow();
    for (const QString& item : MenuRow::controlledItems())
        EXPECT_EQ(main->MenuItem(item)->isEnabled(), row.isEnabled(item)) << item.toStdString();
    EXPECT_TRUE(main->MenuItem("mnuSortAscending")->isEnabled());
    EXPECT_TRUE(main->MenuItem("mnuEditUndo")->isEnabled());
    EXPECT_FALSE(main->MenuItem("mnuFileImport")->isEnabled());
    EXPECT_FALSE(main->MenuItem("mnuEditSelectAll")->isEnabled());
    EXPECT_EQ(row.enabled.size(), 9);

    // A refresh request rebuilds the lists and rereads the staging rows.
    app->DatabaseAdo_Po()->SQLExecute_pl(
        QStringLiteral("INSERT INTO tblCategory (sCategory, fSysLock) VALUES ('Juniors', 0); "));
    app->DatabaseAdo_Po()->SQLExecute_pl(QStringLiteral(
        "UPDATE tblImportSegment SET lCategoryID = (SELECT lCategoryID FROM tblCategory WHERE sCategory = 'Juniors') "
        "WHERE lSegmentID = 1"));
    app->FormRefresher_po()->SendRefreshRequest_p(clsFormRefresher::rtCategory);
    EXPECT_EQ(grid->Columns(frmImportSegment::colCategory)->ValueItems().Count(), 4);
    EXPECT_EQ(shown(0, frmImportSegment::colCategory), "Juniors");

    clickTick(0);
    QPointer<QWidget> w(review.data());
    review->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
    EXPECT_TRUE(closesSoon(w));
    EXPECT_EQ(count("SELECT COUNT(*) FROM tblSegment"), 0);
    EXPECT_EQ(FakeSegmentList::created, 0);
}

TEST_F(ReviewTest, OpensWideEnoughToShowEveryColumnWithinTheMainWindow)
{
    main->showNormal();  // its first open fills the screen
    main->resize(1280, 1024);
    ASSERT_NE(openReview(), nullptr);
    QCoreApplication::processEvents();
    auto* sub = qobject_cast<QMdiSubWindow*>(review->parentWidget());
    ASSERT_NE(sub, nullptr);
    const QHeaderView* header = grid->horizontalHeader();
    EXPECT_GE(grid->viewport()->width(), header->length()) << grid->viewport()->width();
    EXPECT_TRUE(sub->mdiArea()->viewport()->rect().contains(sub->geometry()));
    // Where the area is narrower, the window keeps to it and the grid scrolls.
    main->resize(700, 600);
    QCoreApplication::processEvents();
    QPointer<QWidget> second(frmImportSegment::openAfterDownload(ImportDay));
    ASSERT_TRUE(second);
    auto* narrow = qobject_cast<QMdiSubWindow*>(second->parentWidget());
    EXPECT_LE(narrow->width(), narrow->mdiArea()->viewport()->width());
}

#include "test_frmImportSegment.moc"
