#include "SearchFixture.h"

#include "app/CallByName.h"
#include "app/clsFormRefresher.h"
#include "data/clsAdoConnectJet.h"
#include "platform/AppError.h"
#include "platform/ComboBox.h"
#include "platform/DataGrid.h"
#include "platform/DatePicker.h"

#include "detail/frmSegmentDetail.h"
#include "search/clsExportToFile.h"

#include <QCheckBox>
#include <QClipboard>
#include <QCoreApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include <functional>

namespace {
using SegmentList = SearchFixture;
using Ids = QList<int>;

// Back to the search page with every box cleared.
void clearBoxes(frmSegmentList& w)
{
    w.SetTab_p(0);
    w.cmdClear->click();
}

bool buttonsEnabled(const frmSegmentList& w)
{
    return w.cmdDetails->isEnabled() || w.cmdExport->isEnabled() || w.cmdDelete->isEnabled();
}
}  // namespace

TEST_F(SegmentList, OpensOnTheSearchPageWithEveryBoxAtAllAndAnEmptyList)
{
    EXPECT_EQ(window->objectName(), QStringLiteral("frmSegmentList"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Segment List"));
    EXPECT_EQ(window->ssTab1->currentIndex(), 0);
    EXPECT_TRUE(listedIds().isEmpty());
    for (QLineEdit* box : {window->txtSegmentNumber, window->txtLastName, window->txtEvent})
        EXPECT_EQ(box->text(), QStringLiteral("<ALL>"));
    for (ComboBox* cbo : {window->cboCategory, window->cboSegmentType, window->cboSegmentStatus})
        EXPECT_EQ(cbo->Text(), QStringLiteral("<ALL>"));
    for (DatePicker* d :
         {window->dtpImportDateFrom, window->dtpImportDateTo, window->dtpSegmentDateFrom, window->dtpSegmentDateTo})
        EXPECT_TRUE(d->Value().isNull());
    // Category 2 is never offered.
    QStringList categories;
    for (int i = 0; i < window->cboCategory->ListCount(); ++i)
        categories << window->cboCategory->List(i);
    EXPECT_EQ(categories, (QStringList{"Unassigned", "Juniors", "Seniors"}));
    EXPECT_FALSE(buttonsEnabled(*window));
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(SegmentList, EveryBoxAtAllListsEachSegmentOnceAndShowsTheList)
{
    window->Search_p();
    EXPECT_EQ(sortedIds(), (Ids{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(window->ssTab1->currentIndex(), 1);
    EXPECT_TRUE(window->cmdDetails->isEnabled());
    EXPECT_TRUE(window->cmdExport->isEnabled());
    EXPECT_TRUE(window->cmdDelete->isEnabled());
    EXPECT_FALSE(window->fraSearch->isEnabled());
    EXPECT_EQ(status, QString());  // "Searching" cleared again
    // Dates as short dates with four-digit years, reviewed segments marked.
    const int row = viewRowOf(1);
    EXPECT_TRUE(
        window->dbgMain->cellText(row, 0).contains(QLocale().toString(2024).remove(QLocale().groupSeparator())));
    EXPECT_FALSE(window->dbgMain->cellText(row, 7).isEmpty());
    EXPECT_TRUE(window->dbgMain->cellText(viewRowOf(2), 7).isEmpty());
}

TEST_F(SegmentList, EachCriterionAloneFindsItsSegments)
{
    const auto found = [this](auto setUp) {
        clearBoxes(*window);
        setUp();
        window->Search_p();
        return sortedIds();
    };
    EXPECT_EQ(found([&] { window->txtSegmentNumber->setText("3"); }), (Ids{3}));
    // Labels compare without regard to case.
    EXPECT_EQ(found([&] { window->txtSegmentNumber->setText("a1"); }), (Ids{5}));
    EXPECT_EQ(found([&] { window->txtEvent->setText("reg"); }), (Ids{1}));
    EXPECT_EQ(found([&] { window->cboCategory->ListIndex(1); }), (Ids{1, 3, 6}));     // Juniors
    EXPECT_EQ(found([&] { window->cboSegmentType->ListIndex(2); }), (Ids{2, 5, 6}));  // Practice
    EXPECT_EQ(found([&] { window->cboSegmentStatus->ListIndex(1); }), (Ids{1, 4}));   // Reviewed
    // An imported Null flag counts as unreviewed.
    EXPECT_EQ(found([&] { window->cboSegmentStatus->ListIndex(2); }), (Ids{2, 3, 5, 6}));  // Unreviewed
    EXPECT_EQ(found([&] { window->dtpImportDateFrom->Value(Value(QDate(2024, 3, 5))); }), (Ids{3, 4, 5, 6}));
    EXPECT_EQ(found([&] { window->dtpSegmentDateTo->Value(Value(QDate(2024, 2, 20))); }), (Ids{1, 2}));
}

TEST_F(SegmentList, AllCriteriaTogetherNarrowToOneSegment)
{
    window->txtLastName->setText("ann");
    window->txtEvent->setText("reg");
    window->txtSegmentNumber->setText("1");
    window->cboCategory->ListIndex(1);
    window->cboSegmentType->ListIndex(1);
    window->cboSegmentStatus->ListIndex(1);
    window->dtpImportDateFrom->Value(Value(QDate(2024, 3, 1)));
    window->dtpImportDateTo->Value(Value(QDate(2024, 3, 1)));
    window->dtpSegmentDateFrom->Value(Value(QDate(2024, 2, 28)));
    window->dtpSegmentDateTo->Value(Value(QDate(2024, 2, 1)));
    window->Search_p();
    EXPECT_EQ(sortedIds(), (Ids{1}));
    // One box off: nothing.
    clearBoxes(*window);
    window->txtLastName->setText("ann");
    window->cboSegmentStatus->ListIndex(2);
    window->txtSegmentNumber->setText("1");
    boxes.answer(1);
    window->Search_p();
    EXPECT_TRUE(listedIds().isEmpty());
}

TEST_F(SegmentList, DateRangesFollowFromToEqualAndReversedRules)
{
    const auto found = [this](QDate from, QDate to, bool import) {
        clearBoxes(*window);
        DatePicker* f = import ? window->dtpImportDateFrom : window->dtpSegmentDateFrom;
        DatePicker* t = import ? window->dtpImportDateTo : window->dtpSegmentDateTo;
        if (from.isValid())
            f->Value(Value(from));
        if (to.isValid())
            t->Value(Value(to));
        window->Search_p();
        return sortedIds();
    };
    EXPECT_EQ(found(QDate(2024, 3, 5), {}, true), (Ids{3, 4, 5, 6}));                 // on or after
    EXPECT_EQ(found({}, QDate(2024, 3, 1), true), (Ids{1, 2}));                       // on or before
    EXPECT_EQ(found(QDate(2024, 3, 5), QDate(2024, 3, 5), true), (Ids{3, 4}));        // equal
    EXPECT_EQ(found(QDate(2024, 4, 1), QDate(2024, 3, 5), true), (Ids{3, 4, 5, 6}));  // reversed
    EXPECT_EQ(found(QDate(2024, 3, 3), QDate(2024, 2, 20), false), (Ids{2, 3, 4}));
    EXPECT_EQ(found(QDate(2024, 3, 1), {}, false), (Ids{3, 4, 5, 6}));
}

TEST_F(SegmentList, LastNameMatchesEachSegmentOnceAndTypedSpecialsAreLiteral)
{
    const auto found = [this](QLineEdit* box, const QString& text) {
        clearBoxes(*window);
        box->setText(text);
        window->Search_p();
        return listedIds();
    };
    // Segment 1 has two Hanna rows and a Mann row; it is still listed once.
    EXPECT_EQ(found(window->txtLastName, "ann").size(), 2);
    EXPECT_EQ(sortedIds(), (Ids{1, 2}));
    EXPECT_EQ(found(window->txtLastName, "O'Brien"), (Ids{3}));
    EXPECT_EQ(found(window->txtEvent, "_"), (Ids{2}));
    EXPECT_EQ(found(window->txtEvent, "%"), (Ids{4}));
    EXPECT_EQ(found(window->txtEvent, "|"), (Ids{6}));
    // A quote cannot end the literal early.
    EXPECT_EQ(found(window->txtEvent, "x') OR 1=1 OR ('"), Ids{});
    EXPECT_EQ(count("SELECT count(*) FROM tblSegment"), 6);
}

TEST_F(SegmentList, NamesMatchWhateverTheCaseOfEveryLetter)
{
    clsAdoConnectJet& db = *app->DatabaseAdo_Po();
    db.SQLExecute_pl(QStringLiteral("INSERT INTO tblRoster (lRosterID, sLastName) VALUES (6, 'Ångström'), "
                                    "(7, 'ÇELIK'), (8, 'Öberg')"));
    db.SQLExecute_pl(QStringLiteral("INSERT INTO tblSegmentDetail (lSegmentID, lOrdinalPosition, lRosterId) "
                                    "VALUES (6, 1, 6), (5, 2, 7), (2, 4, 8)"));
    db.SQLExecute_pl(QStringLiteral("UPDATE tblEvent SET sEvent = 'Élan Cup' WHERE lEventID = 7"));
    const struct {
        QLineEdit* box;
        const char* typed;
        Ids found;
    } rows[] = {
        {window->txtLastName, "ångström", Ids{6}},
        {window->txtLastName, "çelik", Ids{5}},
        {window->txtLastName, "öberg", Ids{2}},
        {window->txtEvent, "élan", Ids{6}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        clearBoxes(*window);
        row.box->setText(QString::fromUtf8(row.typed));
        window->Search_p();
        EXPECT_EQ(sortedIds(), row.found);
    }
}

TEST_F(SegmentList, NulPastedOrSetInASearchBoxNeverBreaksTheStatement)
{
    const QChar nul(0);
    const struct {
        QLineEdit* box;
        QString text;
        Ids found;
    } rows[] = {
        {window->txtSegmentNumber, QStringLiteral("3") + nul, Ids{3}},
        {window->txtLastName, QStringLiteral("O'B") + nul + QStringLiteral("rien"), Ids{3}},
        {window->txtEvent, nul + QStringLiteral("reg") + nul, Ids{1}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.box->objectName().toStdString());
        for (const bool paste : {true, false}) {
            clearBoxes(*window);
            if (paste) {
                QGuiApplication::clipboard()->setText(row.text);
                row.box->selectAll();
                row.box->paste();
            } else {
                row.box->setText(row.text);
            }
            window->cmdSearch->click();
            EXPECT_EQ(boxes.count(), 0) << (boxes.count() ? boxes.last().text.toStdString() : std::string());
            boxes.clear();
            EXPECT_EQ(sortedIds(), row.found);
        }
    }
}

TEST_F(SegmentList, NoMatchShowsText2005StaysOnTheSearchPageAndDisablesTheButtons)
{
    window->Search_p();
    clearBoxes(*window);
    window->txtSegmentNumber->setText("zzz");
    window->Search_p();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("No records match the entered criteria"));
    EXPECT_EQ(boxes.last().style & 0x70, 64);
    EXPECT_EQ(window->ssTab1->currentIndex(), 0);
    EXPECT_TRUE(listedIds().isEmpty());
    EXPECT_FALSE(buttonsEnabled(*window));
    EXPECT_EQ(status, QString());
}

TEST_F(SegmentList, TypedComboTextPicksAnEqualItemOrSetsNoCondition)
{
    window->cboCategory->ListIndex(-1);
    window->cboCategory->Text("juniors");
    window->Search_p();
    EXPECT_EQ(sortedIds(), (Ids{1, 3, 6}));
    EXPECT_EQ(window->cboCategory->ListIndex(), 1);

    clearBoxes(*window);
    window->cboSegmentType->ListIndex(-1);
    window->cboSegmentType->Text("Rac");
    window->Search_p();
    EXPECT_EQ(sortedIds(), (Ids{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(window->cboSegmentType->Text(), QStringLiteral("<ALL>"));
}

TEST_F(SegmentList, SetOrderSortsTheChosenColumnBothWays)
{
    searchAll();
    window->sortColumn(5);  // Segment Date
    window->SetOrder_P(QStringLiteral("DESC"));
    EXPECT_EQ(listedIds(), (Ids{6, 5, 4, 3, 2, 1}));
    EXPECT_EQ(window->listRecordset()->Sort(), QStringLiteral("dtSegmentDate DESC"));
    window->SetOrder_P(QStringLiteral("ASC"));
    EXPECT_EQ(listedIds(), (Ids{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(window->sortOrder(), QStringLiteral("ASC"));
    window->sortColumn(1);  // Segment label, text without regard to case
    window->SetOrder_P(QStringLiteral("DESC"));
    EXPECT_EQ(listedIds().first(), 5);
    EXPECT_EQ(status, QString());
}

TEST_F(SegmentList, RefreshRequestFromElsewhereRequeriesAndTheButtonsFollow)
{
    searchAll();
    ASSERT_TRUE(folder.execSql(QStringLiteral("DELETE FROM tblSegmentDetail WHERE lSegmentID = 4;"
                                              "DELETE FROM tblSegment WHERE lSegmentID = 4;")));
    app->FormRefresher_po()->SendRefreshRequest_p(clsFormRefresher::rtAthlete);
    EXPECT_EQ(sortedIds(), (Ids{1, 2, 3, 5, 6}));
    ASSERT_TRUE(folder.execSql(QStringLiteral("DELETE FROM tblSegmentDetail; DELETE FROM tblSegment;")));
    app->FormRefresher_po()->SendRefreshRequest_p(clsFormRefresher::rtSegmentList);
    EXPECT_TRUE(listedIds().isEmpty());
    EXPECT_FALSE(buttonsEnabled(*window));
}

// A save in a detail window reads the saved segment's row again and no
// other: segment 1's label, changed behind the list's back, stays as listed.
// The row comes, changes or goes as the search has it; sort and selection stay.
TEST_F(SegmentList, ASavedSegmentsRowAloneIsReadAgainKeepingSortAndSelection)
{
    window->cboCategory->ListIndex(window->cboCategory->findText("Juniors"));
    window->Search_p();
    ASSERT_EQ(listedIds().size(), 3);
    window->sortColumn(5);  // Segment Date
    window->SetOrder_P(QStringLiteral("DESC"));
    select({1, 6});
    ASSERT_TRUE(folder.execSql(QStringLiteral("UPDATE tblSegment SET sSegmentLabel = 'B1' WHERE lSegmentID = 1;")));
    const auto saved = [&](const char* sql, qint32 id) {
        return [=, this] {
            ASSERT_TRUE(folder.execSql(QLatin1String(sql)));
            app->FormRefresher_po()->SendRefreshRequest_p(clsFormRefresher::rtSegmentDetail, id);
        };
    };
    const struct {
        const char* name;
        std::function<void()> save;
        Ids listed;
    } steps[] = {
        {"its header changed in the detail window",
         [&] {
             frmSegmentDetail detail;
             detail.FormRefresher_po(app->FormRefresher_po());
             ASSERT_TRUE(detail.Retrieve_pf(3));
             for (auto [cbo, id] : {std::pair{detail.cbolEventId, 7}, std::pair{detail.cbolSegmentTypeID, 3}})
                 for (int i = 0; i < cbo->ListCount(); ++i)
                     if (cbo->ItemData(i) == id)
                         cbo->ListIndex(i);
             detail.txtsSegmentLabel->setText("Z3");
             detail.dtpdtSegmentDate->Value(Value(QDate(2024, 3, 30)));
             detail.dtpdtImportDate->Value(Value(QDate(2024, 5, 2)));
             detail.chkfReviewed->setChecked(true);
             detail.cmdSave->click();
             EXPECT_EQ(boxes.count(), 0);
             EXPECT_EQ(window->listRecordset()->valueAt(viewRowOf(3), 2).asText(), "a|b");
         },
         {3, 6, 1}},
        {"moved to another category", saved("UPDATE tblSegment SET lCategoryID = 4 WHERE lSegmentID = 3;", 3), {6, 1}},
        {"new and matching",
         saved("INSERT INTO tblSegment (lSegmentID, lCategoryID, lEventID, sSegmentLabel, dtImportDate, dtSegmentDate) "
               "VALUES (7, 3, 2, '7', '2024-03-05', '2024-03-05');",
               7),
         {6, 7, 1}},
        {"new, not matching",
         saved("INSERT INTO tblSegment (lSegmentID, lCategoryID, sSegmentLabel, dtSegmentDate) VALUES (8, 4, '8', "
               "'2024-03-06');",
               8),
         {6, 7, 1}},
        {"deleted", saved("DELETE FROM tblSegment WHERE lSegmentID = 6;", 6), {7, 1}},
    };
    Recordset* list = window->listRecordset();
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        step.save();
        EXPECT_EQ(window->listRecordset(), list);
        EXPECT_EQ(listedIds(), step.listed);
        EXPECT_EQ(list->Sort(), QStringLiteral("dtSegmentDate DESC"));
        Ids selected;
        for (const qint32 bookmark : window->dbgMain->SelBookmarks().list())
            selected << list->valueAt(list->viewRowOfBookmark(bookmark), 0).toLong();
        EXPECT_EQ(selected, step.listed.contains(6) ? (Ids{1, 6}) : (Ids{1}));
        // Every row as a new search shows it, but segment 1's.
        Recordset fresh;
        fresh.Open(*app->DatabaseAdo_Po()->Connection(), list->Source());
        ASSERT_EQ(fresh.RecordCount(), list->RecordCount());
        for (int r = 0; r < fresh.RecordCount(); ++r) {
            const int row = viewRowOf(fresh.valueAt(r, 0).toLong());
            for (int c = 1; c < fresh.FieldCount(); ++c) {
                if (fresh.valueAt(r, 0).toLong() != 1 || c != 1) {
                    EXPECT_EQ(list->valueAt(row, c).asText(), fresh.valueAt(r, c).asText()) << r << "/" << c;
                }
            }
        }
        EXPECT_EQ(list->valueAt(viewRowOf(1), 1).asText(), "1");
    }
}

TEST_F(SegmentList, ImportDateHandOffListsThatDaysSegments)
{
    auto list = std::make_unique<frmSegmentList>();
    CallByName::call(list.get(), "FormRefresher_po", app->FormRefresher_po());
    CallByName::call(list.get(), "ImportDateFrom_p", QDate(2024, 3, 5));
    CallByName::call(list.get(), "ImportDateTo_p", QDate(2024, 3, 5));
    CallByName::call(list.get(), "Search_p");
    QList<int> ids;
    for (int row = 0; row < list->listRecordset()->RecordCount(); ++row)
        ids << list->listRecordset()->valueAt(row, 0).toLong();
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, (Ids{3, 4}));
    EXPECT_EQ(list->ssTab1->currentIndex(), 1);
    CallByName::call(list.get(), "SetTab_p", qint32(0));
    EXPECT_EQ(list->ssTab1->currentIndex(), 0);
}

TEST_F(SegmentList, SearchErrorsReachTheCallerAndKeepTheList)
{
    searchAll();
    ASSERT_TRUE(folder.execSql(QStringLiteral("ALTER TABLE tblEvent RENAME TO tblEventGone;")));
    try {
        window->Search_p();
        FAIL() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.source(), QStringLiteral("Search_p"));
    }
    EXPECT_EQ(listedIds().size(), 6);
    EXPECT_EQ(status, QString());
}

TEST_F(SegmentList, SelectAllRowsSelectsEveryRowInListOrder)
{
    searchAll();
    window->SelectAllRows_p();
    ASSERT_EQ(window->dbgMain->SelBookmarks().Count(), 6);
    for (int row = 0; row < 6; ++row)
        EXPECT_EQ(window->dbgMain->SelBookmarks().Item(row).toLong(), window->listRecordset()->bookmarkAt(row));
}

// ---- deletion ------------------------------------------------------------------

TEST_F(SegmentList, DeleteWithAnEmptyListSaysNoRecordSelected)
{
    window->deleteRows_p();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("No Record Selected"));
    EXPECT_EQ(count("SELECT count(*) FROM tblSegment"), 6);
    EXPECT_EQ(status, QString());
}

TEST_F(SegmentList, DeleteWithoutSelectionTakesTheCurrentRow)
{
    searchAll();
    window->dbgMain->Bookmark(Value(window->listRecordset()->bookmarkAt(viewRowOf(2))));
    boxes.answer(6);
    window->deleteRows_p();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text.count(QStringLiteral("Segment # ")), 1);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("Segment # 2 Timed On ")));
    EXPECT_EQ(count("SELECT count(*) FROM tblSegment WHERE lSegmentID = 2"), 0);
    EXPECT_EQ(count("SELECT count(*) FROM tblSegmentDetail WHERE lSegmentID = 2"), 0);
    EXPECT_EQ(sortedIds(), (Ids{1, 3, 4, 5, 6}));
}

TEST_F(SegmentList, DeleteThreeSelectedAsksInSelectionOrderAndRemovesTheirRows)
{
    searchAll();
    select({3, 1, 6});
    boxes.answer(6);
    window->cmdDelete->click();
    ASSERT_EQ(boxes.count(), 1);
    const QString expected = QStringLiteral("delete the following records (and related detail)?\r\n")
        + QStringLiteral("\r\nSegment # 3 Timed On %1\r\nSegment # 1 Timed On %2\r\nSegment # 6 Timed On %3");
    EXPECT_EQ(boxes.last().text,
              expected.arg(clsExportToFile::ShortDate_gs(QDate(2024, 3, 1)),
                           clsExportToFile::ShortDate_gs(QDate(2024, 2, 10)),
                           clsExportToFile::ShortDate_gs(QDate(2024, 3, 25))));
    EXPECT_EQ(boxes.last().style, 292);
    EXPECT_EQ(count("SELECT count(*) FROM tblSegment WHERE lSegmentID IN (1, 3, 6)"), 0);
    EXPECT_EQ(count("SELECT count(*) FROM tblSegmentDetail WHERE lSegmentID IN (1, 3, 6)"), 0);
    EXPECT_EQ(count("SELECT count(*) FROM tblSegmentDetail"), 5);
    EXPECT_EQ(sortedIds(), (Ids{2, 4, 5}));
    EXPECT_EQ(status, QString());
}

TEST_F(SegmentList, DeleteOfManyNamesTheFirstTenAndHowManyMoreAndListsEveryOneInTheDetails)
{
    ASSERT_TRUE(folder.execSql(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 7 UNION ALL SELECT i + 1 FROM n WHERE i < 30) INSERT INTO tblSegment "
        "(lSegmentID, lSegmentTypeID, lEventID, lCategoryID, lRateTypeID, lSpeedTypeID, lDistanceTypeID, "
        "sSegmentLabel, dtImportDate, dtSegmentDate) SELECT i, 1, 1, 1, 1, 1, 1, 'S' || i, '2024-05-01', "
        "'2024-05-02' FROM n")));
    window->Search_p();
    const Ids chosen{30, 8, 1, 12, 7, 29, 9, 10, 11, 13, 14, 15, 16, 17, 18};
    for (int id : chosen)
        window->dbgMain->SelBookmarks().Add(Value(window->listRecordset()->bookmarkAt(viewRowOf(id))));
    boxes.answer(7);
    window->deleteRows_p();
    ASSERT_EQ(boxes.count(), 1);
    const auto line = [&](int id) {
        return QStringLiteral("Segment # %1 Timed On %2")
            .arg(id == 1 ? QStringLiteral("1") : QStringLiteral("S%1").arg(id),
                 clsExportToFile::ShortDate_gs(id == 1 ? QDate(2024, 2, 10) : QDate(2024, 5, 2)));
    };
    QStringList named, every;
    for (int i = 0; i < chosen.size(); ++i) {
        every << line(chosen[i]);
        if (i < 10)
            named << line(chosen[i]);
    }
    EXPECT_EQ(boxes.last().text,
              QStringLiteral("delete the following records (and related detail)?\r\n\r\n")
                  + named.join(QStringLiteral("\r\n")) + QStringLiteral("\r\nand 5 more"));
    EXPECT_EQ(boxes.last().details, every.join(QStringLiteral("\r\n")));
    EXPECT_EQ(boxes.last().style, 292);
    EXPECT_EQ(count("SELECT count(*) FROM tblSegment"), 30);
}

TEST_F(SegmentList, AnsweringNoChangesNothingAndClearsTheStatus)
{
    searchAll();
    select({1, 2});
    boxes.answer(7);
    window->deleteRows_p();
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_EQ(count("SELECT count(*) FROM tblSegment"), 6);
    EXPECT_EQ(listedIds().size(), 6);
    EXPECT_EQ(status, QString());
}

TEST_F(SegmentList, SegmentAlreadyGoneRollsBackWith4120AndKeepsItsRows)
{
    searchAll();
    select({4});
    // Another window removed the segment but its row is still there.
    ASSERT_TRUE(folder.execSql(QStringLiteral("DELETE FROM tblSegment WHERE lSegmentID = 4;")));
    boxes.answer(6);
    try {
        window->deleteRows_p();
        FAIL() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), 4120);
        EXPECT_EQ(e.description(),
                  QStringLiteral("Records could not be deleted since they have already been assigned"));
        EXPECT_EQ(e.source(), QStringLiteral("deleteRows_p"));
    }
    EXPECT_EQ(count("SELECT count(*) FROM tblSegmentDetail WHERE lSegmentID = 4"), 1);
    EXPECT_EQ(app->DatabaseAdo_Po()->TransactionLevel(), 0);
}

TEST_F(SegmentList, FailingRefreshAfterCommitIsReportedAsItselfNotAsRollback)
{
    searchAll();
    select({5});
    QObject receiver;
    QObject::connect(
        app->FormRefresher_po(), &clsFormRefresher::RefreshRequested, &receiver,
        [](qint32, const QVariant&) { throw AppError(1234, QStringLiteral("refresh failed")); }, Qt::DirectConnection);
    boxes.answer(6);
    try {
        window->deleteRows_p();
        FAIL() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), 1234);
    }
    EXPECT_EQ(count("SELECT count(*) FROM tblSegment WHERE lSegmentID = 5"), 0);
}

TEST_F(SegmentList, DeleteKeyOnTheGridNeedsASelection)
{
    searchAll();
    window->dbgMain->Bookmark(Value(window->listRecordset()->bookmarkAt(0)));
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QCoreApplication::sendEvent(window->dbgMain, &press);
    EXPECT_EQ(boxes.count(), 0);
    select({6});
    boxes.answer(6);
    QCoreApplication::sendEvent(window->dbgMain, &press);
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_EQ(sortedIds(), (Ids{1, 2, 3, 4, 5}));
}
