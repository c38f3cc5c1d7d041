// Rows and their athletes in the detail window: the athlete column's value
// list, the checklist and its row filter, a typed name not in the list, and a
// category change that sends rows back to the placeholder.
#include "HeaderFixture.h"
#include "PinnedLocale.h"

#include "app/clsFormRefresher.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QPushButton>
#include <QTest>

namespace {
constexpr int Yes = 6, No = 7;

// The checklist row of the athlete clicked, which toggles it.
void toggle(frmSegmentDetail& w, int athlete)
{
    Recordset* r = w.dbgRosterForDetail->DataSource();
    for (int i = 0; i < r->RecordCount(); ++i)
        if (r->valueAt(i, 0).toLong() == athlete)
            r->setCurrentViewRow(i);
    bool cancel = false;
    emit w.dbgRosterForDetail->BeforeColEdit(2, 0, &cancel);
    EXPECT_TRUE(cancel);
}

void pickCategory(frmSegmentDetail& w, int id)
{
    w.cbolCategoryID->ListIndex(w.cbolCategoryID->findData(id));
    emit w.cbolCategoryID->activated(w.cbolCategoryID->ListIndex());
    QCoreApplication::processEvents();
}
}  // namespace

TEST_F(HeaderFixture, TheValueListHoldsTheCategorysActiveAthletesAndThePlaceholder)
{
    window = std::make_unique<frmSegmentDetail>();
    ASSERT_TRUE(window->NewRecord_Pf());
    EXPECT_EQ(rows().RecordCount(), 1);
    EXPECT_EQ(checklist(*window), QStringList{"1+"});
    EXPECT_EQ(valueList(*window), QStringList{"1=All Competitors"});
    // A name stands where text stands, though its id is a number.
    const QVariant align = window->dbgMain->model()->index(0, 12).data(Qt::TextAlignmentRole);
    EXPECT_TRUE(align.value<Qt::Alignment>() & Qt::AlignLeft);

    // No first name reads " Lastname"; no category lists every active athlete.
    window->MakeAthleteValueItems_m(Value(4));
    EXPECT_EQ(valueList(*window), (QStringList{"21= Dahl", "1=All Competitors", "12=Ola Berg"}));
    window->MakeAthleteValueItems_m(Value::null());
    EXPECT_EQ(valueList(*window).size(), 7);
    EXPECT_FALSE(valueList(*window).contains("30=Eva Sand"));
    EXPECT_EQ(window->inValueItems_pl(12, Value("OLA BERG"), 1), 12);
}

// Ida's rows stay hers when she leaves the segment's category or stops: the
// grid names her, the drop-down and typing keep to the category's active ones.
TEST_F(HeaderFixture, ARowsAthleteOutsideTheListIsShownByNameAndNotOffered)
{
    const struct {
        const char* what;
        const char* sql;
    } cases[] = {{"another category", "UPDATE tblRoster_Category SET lCategoryID = 4 WHERE lRosterID = 2"},
                 {"inactive", "UPDATE tblRoster SET fActive = 0 WHERE lRosterID = 2"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(folder.execSql(QString::fromLatin1(c.sql)));
        frmSegmentDetail& w = open(1);
        EXPECT_EQ(valueList(w), (QStringList{"1=All Competitors", "12=Ola Berg"}));
        int r002 = -1;
        for (int i = 0; i < rows().RecordCount(); ++i)
            if (rows().valueAt(i, clsSegmentRows::colLabel).asText() == "R002")
                r002 = i;
        const QModelIndex ida = w.dbgMain->model()->index(r002, clsSegmentRows::colRosterId);
        EXPECT_EQ(ida.data(Qt::DisplayRole).toString(), "Ida Hanna");
        EXPECT_EQ(ida.data(Qt::EditRole).toString(), "Ida Hanna");
        EXPECT_TRUE(ida.data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignLeft);

        // Her cell edited and left as it was keeps her; its drop-down offers the list.
        typeAthlete(w, "R002", "Ida Hanna");
        EXPECT_EQ(athletesShown(), "T000:1 R001:1 T001:1 R002:2 T002:2");
        w.dbgMain->Col(clsSegmentRows::colRosterId);
        w.dbgMain->EditActive(true);
        auto* offered = qobject_cast<QComboBox*>(w.dbgMain->cellEditor());
        ASSERT_TRUE(offered);
        QStringList items;
        for (int i = 0; i < offered->count(); ++i)
            items << offered->itemText(i);
        EXPECT_EQ(items, (QStringList{"All Competitors", "Ola Berg"}));
        w.dbgMain->EditActive(false);

        // Typed into another row, her name is not in the list: the question as ever.
        boxes.clear();
        boxes.answer(No);
        typeAthlete(w, "T001", "Ida Hanna");
        QCoreApplication::processEvents();
        ASSERT_EQ(boxes.count(), 1);
        EXPECT_TRUE(boxes.last().text.startsWith("Athlete Not Found, Add?"));
        EXPECT_EQ(athletesShown(), "T000:1 R001:1 T001:1 R002:2 T002:2");
        window.reset();
        ASSERT_TRUE(folder.execSql(QStringLiteral(
            "UPDATE tblRoster_Category SET lCategoryID = 3 WHERE lRosterID = 2; UPDATE tblRoster SET fActive = -1 "
            "WHERE lRosterID = 2")));
    }

    // The list opens over the cell: the focus going into it ends no edit.
    frmSegmentDetail* w = openInMain(1);
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    w->dbgMain->setFocus();
    w->dbgMain->AllowUpdate(true);
    w->dbgMain->Col(clsSegmentRows::colRosterId);
    w->dbgMain->EditActive(true);
    const QPointer<QComboBox> offered = qobject_cast<QComboBox*>(w->dbgMain->cellEditor());
    ASSERT_TRUE(offered);
    offered->showPopup();
    QCoreApplication::processEvents();
    ASSERT_TRUE(offered);
    EXPECT_TRUE(offered->view()->isVisible());
    EXPECT_EQ(w->dbgMain->cellEditor(), offered.data());
    offered->hidePopup();
}

TEST_F(HeaderFixture, TheChecklistFiltersTheRowsAndTheSaveKeepsThemAll)
{
    const PinnedLocale c;  // expects C's forms ("00:02'00.00", "4.17")
    frmSegmentDetail& w = open(1);
    EXPECT_EQ(checklist(w), (QStringList{"1+", "2+"}));
    toggle(w, 1);
    EXPECT_EQ(athletesShown(), "R002:2 T002:2");
    EXPECT_EQ(text("T002", clsSegmentRows::colLap), "00:04'10.00");  // over the rows shown

    // The athletes changed elsewhere: the marks still say what the filter shows.
    app->FormRefresher_po()->SendRefreshRequest_p(clsFormRefresher::rtAthlete);
    EXPECT_EQ(checklist(w), (QStringList{"1-", "2+"}));
    toggle(w, 2);
    EXPECT_EQ(rows().RecordCount(), 0);
    w.txtsSegmentLabel->setText("7x");
    w.cmdSave->click();
    EXPECT_EQ(scalar("SELECT count(*) FROM tblSegmentDetail WHERE lSegmentID = 1").toLong(), 5);
    toggle(w, 1);
    EXPECT_EQ(rows().RecordCount(), 3);
}

// Whoever the first stored row belongs to, every athlete of the rows is listed,
// and unticking and ticking one again brings its rows back.
TEST_F(HeaderFixture, TheChecklistListsEveryAthleteWhateverTheFirstStoredRow)
{
    const struct {
        int first;
        QStringList listed;
    } cases[] = {{2, {"1+", "2+"}}, {12, {"1+", "2+", "12+"}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        db().Execute(QStringLiteral("UPDATE tblSegmentDetail SET lRosterId = %1 WHERE sSegmentDetailLabel = 'T000'")
                         .arg(c.first));
        frmSegmentDetail& w = open(1);
        EXPECT_EQ(checklist(w), c.listed);
        toggle(w, 1);
        toggle(w, 1);
        EXPECT_EQ(rows().RecordCount(), 5);
        EXPECT_EQ(checklist(w), c.listed);
    }
}

TEST_F(HeaderFixture, ACategoryChangeMovesRowsOfAthletesOutsideItToThePlaceholder)
{
    frmSegmentDetail& w = open(1);
    toggle(w, 2);  // Ida's rows hidden: they move all the same

    // Seniors links Ola and Dahl, not Ida. No keeps category 3.
    boxes.answer(No);
    pickCategory(w, 4);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().style, 3 + 64);  // the handler adds the information icon
    EXPECT_TRUE(boxes.last().text.contains("These Athletes \r\n\r\n\r\nIda Hanna\r\n\r\nwill be changed"));
    EXPECT_EQ(w.cbolCategoryID->ItemData(w.cbolCategoryID->ListIndex()), 3);
    EXPECT_FALSE(w.Dirty_pf());

    boxes.answer(Yes);
    pickCategory(w, 4);
    EXPECT_EQ(checklist(w), QStringList{"1+"});
    EXPECT_TRUE(valueList(w).contains("21= Dahl"));
    rows().Filter(QString());
    EXPECT_EQ(athletesShown(), "T000:1 R001:1 T001:1 R002:1 T002:1");
    // Back to the first category: the move still counts as a change.
    pickCategory(w, 3);
    EXPECT_TRUE(w.Dirty_pf());

    // No category: no question, every active athlete listed.
    w.cbolCategoryID->ListIndex(-1);
    focus(w.cbolCategoryID, QEvent::FocusOut);
    EXPECT_EQ(boxes.count(), 2);
    EXPECT_EQ(valueList(w).size(), 7);
}

TEST_F(HeaderFixture, ATypedNameIsSearchedLiterallyAndAskedOnceAfterTheEdit)
{
    frmSegmentDetail& w = open(1);
    const struct {
        const char* typed;
        const char* listed;
    } cases[] = {{"O'Brien", "\r\n\r\nPat O'Brien\r\n\r\n"}, {"50%", "\r\n\r\nAl 50%er\r\n\r\n"}, {"zz_", ""}};
    for (const auto& c : cases) {
        boxes.clear();
        boxes.answer(No);
        typeAthlete(w, "T001", c.typed);
        typeAthlete(w, "T000", "Nobody");  // while one question waits, no second one
        EXPECT_EQ(boxes.count(), 0);
        QCoreApplication::processEvents();
        ASSERT_EQ(boxes.count(), 1) << c.typed;
        EXPECT_EQ(boxes.last().text, QStringLiteral("Athlete Not Found, Add?") + c.listed);
        EXPECT_EQ(boxes.last().style, 51);
        EXPECT_EQ(athletesShown(), "T000:1 R001:1 T001:1 R002:2 T002:2");
    }
    typeAthlete(w, "T001", "ola berg");
    EXPECT_EQ(text("T001", clsSegmentRows::colRosterId), "12");
    EXPECT_EQ(checklist(w), (QStringList{"1+", "2+", "12+"}));
}
