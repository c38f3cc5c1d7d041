// The record-window design, tried in full on the category window and in
// short on all four.
#include "lists/ListsFixture.h"

#include "WindowKinds.h"
#include "app/ChildForms.h"
#include "app/clsFormRefresher.h"
#include "lists/frmCategory.h"
#include "lists/frmEvent.h"
#include "lists/frmRoster.h"
#include "lists/frmSegmentType.h"
#include "shell/clsFindAndReplace.h"
#include "shell/mdiMain.h"

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

namespace {

struct Kind {
    const char* name;
    RecordWindow* (*make)();
    const char* menuItem;
    const char* table;
    const char* idColumn;
    const char* nameBox;
    const char* nameColumn;
    qint32 tag;
    int usedId;        // a row segment 1 uses
    QString usedName;  // its line in the delete question
};
void PrintTo(const Kind& kind, std::ostream* os) { *os << kind.name; }

template <class W>
RecordWindow* make()
{
    return new W;
}

const Kind Kinds[] = {
    {"frmCategory", make<frmCategory>, "mnuViewSegCategory", "tblCategory", "lCategoryID", "txtCategory", "sCategory",
     1, 3, "Juniors"},
    {"frmSegmentType", make<frmSegmentType>, "mnuViewSegType", "tblSegmentType", "lSegmentTypeID", "txtSegmentType",
     "sSegmentType", 6, 2, "Race"},
    {"frmEvent", make<frmEvent>, "mnuViewEvents", "tblEvent", "lEventID", "txtEvent", "sEvent", 2, 2, "Regatta"},
    {"frmRoster", make<frmRoster>, "mnuViewRoster", "tblRoster", "lRosterID", "txtLastName", "sLastName", 3, 2,
     "Hanna, Ida"},
};
}  // namespace

class EveryList : public ListsTest, public ::testing::WithParamInterface<Kind> {
protected:
    RecordWindow* openKind()
    {
        windows.emplace_back(GetParam().make());
        windows.back()->FormRefresher_po(app->FormRefresher_po());
        return windows.back().get();
    }
    // What the detail window does for a new entry: its text in the name box.
    static void fillName(RecordWindow* w, const QString& name)
    {
        w->findChild<QLineEdit*>(QString::fromLatin1(GetParam().nameBox))->setText(name);
        if (auto* roster = qobject_cast<frmRoster*>(w)) {
            roster->txtFirstName->setText(QStringLiteral("Kim"));
            roster->Dirty_pf(true);
        }
    }
    QString stored(const QVariant& id)
    {
        const Kind& k = GetParam();
        return value(
            QStringLiteral("SELECT %1 FROM %2 WHERE %3 = %4")
                .arg(QLatin1String(k.nameColumn), QLatin1String(k.table), QLatin1String(k.idColumn), id.toString()));
    }
    QString rows() { return value(QStringLiteral("SELECT COUNT(*) FROM ") + QLatin1String(GetParam().table)); }
};

TEST_P(EveryList, AnEmptyListOpensNothingDeletesNothingSelectsNothing)
{
    ASSERT_TRUE(
        folder.execSql(QStringLiteral("DELETE FROM tblSegmentDetail; DELETE FROM tblSegment; DELETE FROM "
                                      "tblRoster_Category WHERE lRosterID <> 1; DELETE FROM %1 WHERE fSysLock = 0;")
                           .arg(QLatin1String(GetParam().table))));
    RecordWindow* w = openKind();
    emit w->dbgMain->DblClick();
    EXPECT_EQ(w->ssTab1->currentIndex(), 0);
    w->cmdNew->click();
    EXPECT_EQ(w->ssTab1->currentIndex(), 1);
    EXPECT_EQ(w->mode(), RecordWindow::NewRow);
    EXPECT_TRUE(w->rememberedId().isNull());
    w->ssTab1->setCurrentIndex(0);
    EXPECT_EQ(w->mode(), RecordWindow::ListPage);
    w->deleteRows_p();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("No Record Selected"));
    EXPECT_EQ(boxes.last().style, 64);
    w->SelectAllRows_p();
    EXPECT_EQ(w->dbgMain->SelBookmarks().Count(), 0);
}

TEST_P(EveryList, ANewRowReachesEveryWindowASecondSaveUpdatesItAndTheCallerGetsItsId)
{
    const int before = rows().toInt();
    RecordWindow* other = openKind();
    RecordWindow* w = openKind();
    w->NewRecord_Pf();
    fillName(w, QStringLiteral("Zeta"));  // by the program, as the detail window does: still a change
    w->cmdSave->click();
    const QVariant id = w->rememberedId().toVariant();
    EXPECT_EQ(stored(id), QStringLiteral("Zeta"));
    EXPECT_EQ(w->mode(), RecordWindow::EditRow);
    EXPECT_TRUE(listedIds(other).contains(id.toInt()));
    EXPECT_EQ(w->DataSource_Po()->Fields(0).Value().toLong(), id.toInt()) << "the list returns to the saved row";
    fillName(w, QStringLiteral("Eta"));
    w->cmdSave->click();
    EXPECT_EQ(stored(id), QStringLiteral("Eta"));
    EXPECT_EQ(rows().toInt(), before + 1);
    // A NUL pasted into a box of the page never gets in; the save stores the rest.
    QGuiApplication::clipboard()->setText(QStringLiteral("Et") + QChar(0) + QStringLiteral("a2"));
    auto* name = w->findChild<QLineEdit*>(QString::fromLatin1(GetParam().nameBox));
    name->selectAll();
    name->paste();
    for (QPlainTextEdit* memo : w->findChildren<QPlainTextEdit*>()) {
        memo->selectAll();
        memo->paste();
        EXPECT_EQ(memo->toPlainText(), QStringLiteral("Eta2"));
    }
    if (auto* roster = qobject_cast<frmRoster*>(w))
        roster->Dirty_pf(true);  // it counts the user's own changes only
    w->cmdSave->click();
    EXPECT_EQ(stored(id), QStringLiteral("Eta2"));

    FakeCaller caller;
    RecordWindow* picker = openKind();
    picker->CallBack_Pobj(&caller);
    picker->NewRecord_Pf();
    fillName(picker, QStringLiteral("Theta"));
    picker->cmdSave->click();
    ASSERT_EQ(caller.tags, QList<qint32>{GetParam().tag});
    EXPECT_EQ(stored(caller.ids.value(0)), QStringLiteral("Theta"));
    EXPECT_TRUE(picker->unloaded());
    EXPECT_EQ(boxes.count(), 0);
}

TEST_P(EveryList, ARowASegmentUsesIsNotDeleted)
{
    // Every window says the one text of the strings file, in a plain box.
    QFile ini(folder.stringsPath());
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    QString texts = QString::fromUtf8(ini.readAll());
    ini.close();
    texts.replace(QRegularExpression(QStringLiteral("\\n4120=[^\\n]*")), QStringLiteral("\n4120=Still in use: kept."));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ini.write(texts.toUtf8());
    ini.close();
    RecordWindow* w = openKind();
    select(w, {GetParam().usedId});
    boxes.answer(6);
    w->cmdDelete->click();
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_EQ(boxes.shown()[0].text, QStringLiteral("delete the following records?\r\n\r\n") + GetParam().usedName);
    EXPECT_EQ(boxes.shown()[0].style, 292);
    EXPECT_EQ(boxes.last().text, QStringLiteral("Still in use: kept."));
    EXPECT_EQ(boxes.last().style, 48);
    EXPECT_EQ(stored(GetParam().usedId), GetParam().usedName.section(QLatin1Char(','), 0, 0));
    EXPECT_TRUE(listedIds(w).contains(GetParam().usedId));
}

TEST_P(EveryList, TheViewMenuOpensItAndItsPagesSetTheMenus)
{
    WindowKinds::registerAll();
    mdiMain main;
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    main.MenuItem(QString::fromLatin1(GetParam().menuItem))->trigger();
    auto* w = qobject_cast<RecordWindow*>(main.ActiveForm_mo());
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->objectName(), QLatin1String(GetParam().name));
    const auto on = [&](const char* item) { return main.MenuItem(QString::fromLatin1(item))->isEnabled(); };
    EXPECT_TRUE(on("mnuEditDelete") && on("mnuSortAscending") && !on("mnuEditCopy") && !on("mnuFilePrint"));
    EXPECT_EQ(on("mnuEditClear"), GetParam().tag != 1);
    w->ssTab1->setCurrentIndex(1);
    EXPECT_TRUE(!on("mnuEditDelete") && on("mnuEditCopy") && main.ToolbarButton(QStringLiteral("Copy"))->isEnabled());
    EXPECT_EQ(on("mnuEditClear"), GetParam().tag != 1);
    QSignalSpy gone(w, &QObject::destroyed);
    w->cmdClose->click();
    ASSERT_TRUE(gone.wait(5000));
    EXPECT_TRUE(!on("mnuEditDelete") && on("mnuViewSegCategory"));
}

// The hidden key column is never searched: no id is found, none is replaced,
// and an empty find text stops at a cell the user can see.
TEST_P(EveryList, FindAndReplaceNeverReachTheHiddenKey)
{
    RecordWindow* w = openKind();
    const QList<int> ids = listedIds(w);
    auto find = [&](const QString& text, qint32 mode, std::optional<QString> with = {}) {
        boxes.clear();
        clsFindAndReplace().Find_P(w, text, mode, with,
                                   text.isEmpty() ? QStringLiteral("Any Part Of Field") : QStringLiteral("Whole Field"),
                                   false, clsFindAndReplace::TextCompare);
        return boxes.last().text;
    };
    for (int id : ids)
        EXPECT_EQ(find(QString::number(id), clsFindAndReplace::FindFirst),
                  QStringLiteral("no records match the selected criteria"));
    EXPECT_EQ(find(QString::number(ids.first()), clsFindAndReplace::ReplaceAll, QStringLiteral("99")),
              QStringLiteral("no further records match the selected criteria"));
    EXPECT_EQ(listedIds(w), ids);
    EXPECT_EQ(find(QString(), clsFindAndReplace::FindFirst),
              QStringLiteral("There is nothing to find: the Find What box is empty."));
}

INSTANTIATE_TEST_SUITE_P(Lists, EveryList, ::testing::ValuesIn(Kinds),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- the design in full, on the category window ---------------------------------------

using CategoryWindow = ListsTest;

TEST_F(CategoryWindow, LeavingAChangedPageCancelKeepsItNoDropsTheEdits)
{
    frmCategory* w = open<frmCategory>();
    openRow(w, 3);
    EXPECT_FALSE(w->dirty()) << "filling the page is no change";
    w->txtCategory->setText(QStringLiteral("Juniors A"));
    boxes.answer(2);
    w->ssTab1->setCurrentIndex(0);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("Save Modified Record?"));
    EXPECT_EQ(boxes.last().style, 35);
    EXPECT_EQ(w->ssTab1->currentIndex(), 1);
    EXPECT_EQ(w->mode(), RecordWindow::EditRow);
    EXPECT_EQ(w->txtCategory->text(), QStringLiteral("Juniors A"));

    boxes.answer(7);
    w->ssTab1->setCurrentIndex(0);
    EXPECT_EQ(w->ssTab1->currentIndex(), 0);
    EXPECT_EQ(w->mode(), RecordWindow::ListPage);
    w->cmdClose->click();  // nothing left to ask about, nothing written
    EXPECT_TRUE(w->unloaded());
    EXPECT_EQ(boxes.count(), 2);
    EXPECT_EQ(value(QStringLiteral("SELECT sCategory FROM tblCategory WHERE lCategoryID = 3")),
              QStringLiteral("Juniors"));
}

TEST_F(CategoryWindow, ASaveWritesTheRowThePageShowsWhateverTheListDidMeanwhile)
{
    frmCategory* a = open<frmCategory>();
    frmCategory* b = open<frmCategory>();
    openRow(a, 4);
    a->txtCategory->setText(QStringLiteral("Seniors B"));
    b->NewRecord_Pf();
    b->txtCategory->setText(QStringLiteral("Aaa"));
    b->cmdSave->click();  // a requeries; its current row moves
    a->cmdSave->click();
    EXPECT_EQ(value(QStringLiteral(
                  "SELECT group_concat(sCategory || '=' || COALESCE(sDescription, 'NULL'), '|') FROM (SELECT * FROM "
                  "tblCategory WHERE fSysLock = 0 ORDER BY lCategoryID)")),
              QStringLiteral("Juniors=Under 18|Seniors B=|Masters=NULL|Veterans=NULL|Aaa="))
        << "empty boxes write empty texts";

    openRow(a, 5);  // and another window deletes it
    a->txtNotes->setPlainText(QStringLiteral("note"));
    select(b, {5});
    boxes.answer(6);
    b->deleteRows_p();
    a->cmdSave->click();
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("deleted meanwhile")));
    EXPECT_TRUE(a->dirty());
    EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM tblCategory")), QStringLiteral("6"));
}

TEST_F(CategoryWindow, TheQuestionNamesEveryRowAndTheSortSurvivesARefresh)
{
    frmCategory* a = open<frmCategory>();
    frmCategory* b = open<frmCategory>();
    select(a, {4, 5});
    boxes.answer(7);
    a->deleteRows_p();
    EXPECT_EQ(boxes.last().text, QStringLiteral("delete the following records?\r\n\r\nSeniors\r\nMasters"));
    EXPECT_EQ(listedIds(a), (QList<int>{3, 4, 5, 7})) << "No deletes nothing";

    a->SetOrder_P(QStringLiteral("desc"));
    EXPECT_EQ(listedIds(a), (QList<int>{7, 5, 4, 3}));
    b->NewRecord_Pf();
    b->txtCategory->setText(QStringLiteral("Youth"));
    b->cmdSave->click();
    a->Form_Activate();
    EXPECT_EQ(listedIds(a), (QList<int>{8, 7, 5, 4, 3}));
}

TEST_F(CategoryWindow, ThePickerHandsBackTheRowItShowsAndNothingForAnUntouchedNewRow)
{
    FakeCaller caller;
    frmCategory* w = open<frmCategory>();
    w->CallBack_Pobj(&caller);
    w->Retrieve_pf(1);  // a built-in row is not listed: the list page stays
    EXPECT_EQ(w->ssTab1->currentIndex(), 0);
    w->Retrieve_pf(4);
    EXPECT_EQ(w->txtCategory->text(), QStringLiteral("Seniors"));
    w->cmdSave->click();
    EXPECT_EQ(caller.ids, QList<QVariant>{4});
    EXPECT_TRUE(w->unloaded());

    frmCategory* fresh = open<frmCategory>();
    fresh->CallBack_Pobj(&caller);
    fresh->NewRecord_Pf();
    fresh->cmdSave->click();
    ASSERT_EQ(caller.ids.size(), 2);
    EXPECT_TRUE(caller.ids[1].isNull());
    EXPECT_TRUE(fresh->unloaded());

    frmCategory* orphan = open<frmCategory>();
    {
        FakeCaller gone;
        orphan->CallBack_Pobj(&gone);
    }
    orphan->Retrieve_pf(3);
    orphan->cmdSave->click();  // the caller closed first: skipped, and the window still closes
    EXPECT_TRUE(orphan->unloaded());
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM tblCategory")), QStringLiteral("6"));
}

TEST_F(CategoryWindow, TheSegmentTypeWindowReportsRowsAlreadyGone)
{
    frmSegmentType* w = open<frmSegmentType>();
    ASSERT_TRUE(folder.execSql(QStringLiteral("DELETE FROM tblSegmentType WHERE lSegmentTypeID = 3")));
    QSignalSpy refreshes(app->FormRefresher_po(), &clsFormRefresher::RefreshRequested);
    select(w, {3});
    boxes.answer(6);
    w->cmdDelete->click();
    ASSERT_EQ(boxes.count(), 2);  // the question, then the message
    EXPECT_EQ(boxes.last().text, QStringLiteral("Records could not be deleted since they have already been assigned"));
    EXPECT_EQ(boxes.last().style, 48);
    EXPECT_EQ(refreshes.count(), 0);
    EXPECT_EQ(listedIds(w), (QList<int>{2, 3}));
}
