#include "lists/ListsFixture.h"

#include "lists/frmRoster.h"
#include "platform/Connection.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>

class RosterWindow : public ListsTest {
protected:
    // The athlete's links in the order they were written.
    QString links(int athlete)
    {
        return value(QStringLiteral("SELECT group_concat(lCategoryID) FROM (SELECT lCategoryID FROM tblRoster_Category "
                                    "WHERE lRosterID = %1 ORDER BY rowid)")
                         .arg(athlete));
    }
    static QList<int> items(QListWidget* list)
    {
        QList<int> ids;
        for (int i = 0; i < list->count(); ++i)
            ids << list->item(i)->data(Qt::UserRole).toInt();
        return ids;
    }
    // A new athlete as the detail window prepares one.
    static void prepare(frmRoster* w, const char* last, std::initializer_list<int> categories = {})
    {
        w->NewRecord_Pf();
        w->txtLastName->setText(QString::fromLatin1(last));
        w->txtFirstName->setText(QStringLiteral("Kim"));
        w->Dirty_pf(true);
        for (int id : categories)
            w->AppendCategory_p(id);
    }
    int athletes() { return value(QStringLiteral("SELECT COUNT(*) FROM tblRoster")).toInt(); }
};

TEST_F(RosterWindow, ANewAthleteIsLinkedToAllAthletesAndItsCategoriesOrElseUnassigned)
{
    frmRoster* w = open<frmRoster>();
    w->ssTab1->setTabEnabled(0, false);  // as the detail window opens it
    prepare(w, "Berg");
    EXPECT_EQ(w->mode(), RecordWindow::NewRow);
    EXPECT_TRUE(w->chkActive->isChecked());
    EXPECT_EQ(items(w->lstCategories), (QList<int>{3, 5, 4, 7})) << "built-in categories are never offered";
    w->cmdSave->click();
    EXPECT_EQ(links(w->rememberedId().toLong()), QStringLiteral("2,1"));

    prepare(w, "Dahl", {5, 7, 1});
    EXPECT_EQ(items(w->lstSelected), (QList<int>{5, 7}));
    w->cmdSave->click();
    EXPECT_EQ(links(w->rememberedId().toLong()), QStringLiteral("2,7,5"));

    // An edit of the name alone writes the links again, for the row it shows.
    w->txtNickName->setFocus();
    w->Dirty_pf(true);
    w->cmdSave->click();
    EXPECT_EQ(links(w->rememberedId().toLong()), QStringLiteral("2,7,5"));
    openRow(w, 2);
    EXPECT_EQ(items(w->lstSelected), QList<int>{3});
    EXPECT_FALSE(w->dbgMain->cellText(0, 4).isEmpty()) << "Hanna is active";
}

TEST_F(RosterWindow, OnlyTheUsersChangesMarkThePageAndBothNamesAreRequired)
{
    frmRoster* w = open<frmRoster>();
    openRow(w, 3);
    w->txtFirstName->clear();  // by the program, while another box has the focus
    w->chkActive->setChecked(true);
    w->cmdRemoveAll->click();  // nothing to move
    w->AppendCategory_p(2);    // never offered
    EXPECT_FALSE(w->dirty());
    emit w->lstCategories->itemDoubleClicked(w->lstCategories->item(0));
    EXPECT_EQ(items(w->lstSelected), QList<int>{3});
    EXPECT_TRUE(w->dirty());
    emit w->lstSelected->itemDoubleClicked(w->lstSelected->item(0));
    w->cmdAddAll->click();
    EXPECT_EQ(items(w->lstSelected).size(), 4);
    w->Dirty_pf(false);
    w->cmdAddAll->click();  // an empty list still counts as a change
    EXPECT_TRUE(w->dirty());
    w->cmdRemoveAll->click();
    EXPECT_EQ(items(w->lstCategories).size(), 4);

    w->cmdSave->click();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("The following fields are required:\r\n\r\nFirst Name\r\n"));
    EXPECT_EQ(boxes.last().style, 48);
    EXPECT_TRUE(w->dirty());
    EXPECT_EQ(value(QStringLiteral("SELECT sFirstName FROM tblRoster WHERE lRosterID = 3")), QStringLiteral("Tom"));
}

TEST_F(RosterWindow, AthletesAreDeletedAllOrNoneWhenOneIsInUse)
{
    frmRoster* w = open<frmRoster>();
    select(w, {3, 2, 4});
    boxes.answer(6);
    w->cmdDelete->click();
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_EQ(boxes.shown()[0].text,
              QStringLiteral("delete the following records?\r\n\r\nMann, Tom\r\nHanna, Ida\r\nSmith, Al"));
    EXPECT_EQ(boxes.last().text, QStringLiteral("Records could not be deleted since they have already been assigned"));
    EXPECT_EQ(athletes(), 4);
    EXPECT_EQ(links(3), QStringLiteral("2,1"));

    w->dbgMain->SelBookmarks().Clear();
    select(w, {3, 4});
    boxes.answer(6);
    w->cmdDelete->click();
    EXPECT_EQ(listedIds(w), QList<int>{2});
    EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM tblRoster_Category WHERE lRosterID IN (3, 4)")),
              QStringLiteral("0"));
}

TEST_F(RosterWindow, AFailedSaveLeavesNoHalfWrittenAthleteAndARetryAddsOne)
{
    // The second link of any save fails.
    ASSERT_TRUE(folder.execSql(
        QStringLiteral("CREATE TRIGGER failSecondLink BEFORE INSERT ON tblRoster_Category "
                       "WHEN (SELECT COUNT(*) FROM tblRoster_Category WHERE lRosterID = NEW.lRosterID) >= 1 "
                       "BEGIN SELECT RAISE(ABORT, 'injected'); END;")));
    frmRoster* w = open<frmRoster>();
    openRow(w, 4);
    w->txtLastName->setFocus();
    w->txtLastName->setText(QStringLiteral("Smyth"));
    w->cmdSave->click();
    EXPECT_EQ(value(QStringLiteral("SELECT sLastName FROM tblRoster WHERE lRosterID = 4")), QStringLiteral("Smith"));
    EXPECT_EQ(links(4), QStringLiteral("2,1"));

    boxes.answer(7);
    prepare(w, "Berg", {5});
    w->cmdSave->click();
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("injected")));
    EXPECT_EQ(athletes(), 4);
    EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM tblRoster_Category")), QStringLiteral("6"));
    EXPECT_EQ(w->mode(), RecordWindow::NewRow);
    EXPECT_TRUE(w->dirty());

    ASSERT_TRUE(folder.execSql(QStringLiteral("DROP TRIGGER failSecondLink")));
    w->cmdSave->click();
    EXPECT_EQ(athletes(), 5);
    EXPECT_EQ(links(w->rememberedId().toLong()), QStringLiteral("2,5"));
    EXPECT_EQ(listedIds(w).count(w->rememberedId().toLong()), 1);
}

// Another program holds the database: one message in words, the page keeps
// its change, nothing stored; the same save goes through once it lets go.
TEST_F(RosterWindow, ALockedDatabaseIsSaidInWordsAndTheChangeIsKept)
{
    frmRoster* w = open<frmRoster>();
    openRow(w, 4);
    w->txtLastName->setText(QStringLiteral("Smyth"));
    w->Dirty_pf(true);
    Connection other;
    other.Open(folder.databasePath(), QString::fromLatin1(TempProgramFolder::DefaultPassword));
    other.Execute(QStringLiteral("BEGIN EXCLUSIVE"));
    boxes.clear();
    w->cmdSave->click();
    other.Execute(QStringLiteral("ROLLBACK"));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text,
              "The athlete could not be saved: the database is in use by another program. Nothing was changed: try "
              "again once the other program has finished with it.\r\n\r\nError 3218: database is locked");
    EXPECT_TRUE(w->dirty());
    EXPECT_EQ(value(QStringLiteral("SELECT sLastName FROM tblRoster WHERE lRosterID = 4")), QStringLiteral("Smith"));
    w->cmdSave->click();
    EXPECT_EQ(value(QStringLiteral("SELECT sLastName FROM tblRoster WHERE lRosterID = 4")), QStringLiteral("Smyth"));
    EXPECT_EQ(boxes.count(), 1);
}

TEST_F(RosterWindow, ALongPastedNameIsStoredWhole)
{
    frmRoster* w = open<frmRoster>();
    openRow(w, 4);
    const QString name(40000, QLatin1Char('x'));
    w->txtLastName->selectAll();
    w->txtLastName->insert(name);
    w->Dirty_pf(true);
    w->cmdSave->click();
    EXPECT_EQ(value(QStringLiteral("SELECT length(sLastName) FROM tblRoster WHERE lRosterID = 4")),
              QStringLiteral("40000"));
    EXPECT_EQ(boxes.count(), 0);
}

// The list sorted by a column's heading and the lists a query sorts put
// names where the user's locale puts them: accented letters beside their
// base letters, or after Z where the locale says so.
TEST_F(RosterWindow, NamesSortAsTheLocaleDoesInTheGridAndInTheQueriesLists)
{
    const QStringList names{QStringLiteral("Ångström"), QStringLiteral("Zimmer"), QStringLiteral("Çelik"),
                            QStringLiteral("Öberg"), QStringLiteral("Adams")};
    clsAdoConnectJet& db = *app->DatabaseAdo_Po();
    for (const QString& name : names) {
        db.SQLExecute_pl(QStringLiteral("INSERT INTO tblRoster (sLastName, sFirstName) VALUES (?, 'Kim')"),
                         {Value(name)});
        db.SQLExecute_pl(QStringLiteral("INSERT INTO tblCategory (sCategory) VALUES (?)"), {Value(name)});
    }
    // The names of the table, in the order the list shows them.
    const auto ours = [&](const QStringList& shown) {
        QStringList out;
        for (const QString& s : shown)
            if (names.contains(s))
                out << s;
        return out.join(QLatin1Char(' '));
    };
    const struct {
        const char* locale;
        const char* order;
    } rows[] = {
        {"de_DE", "Adams Ångström Çelik Öberg Zimmer"},
        {"en_US", "Adams Ångström Çelik Öberg Zimmer"},
        {"sv_SE", "Adams Çelik Zimmer Ångström Öberg"},  // Swedish puts Å and Ö after Z
    };
    const QLocale before;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.locale);
        QLocale::setDefault(QLocale(QString::fromLatin1(row.locale)));
        frmRoster* w = open<frmRoster>();
        w->dbgMain->SelStartCol(1);  // Last Name, its heading chosen for the sort menu
        w->dbgMain->SelEndCol(1);
        emit w->dbgMain->MouseUp(2, 0, 0, 0);
        w->SetOrder_P(QStringLiteral("ASC"));
        QStringList grid;
        for (int r = 0; r < w->DataSource_Po()->RecordCount(); ++r)
            grid << w->dbgMain->cellText(r, 1);
        EXPECT_EQ(ours(grid), QString::fromUtf8(row.order));
        w->NewRecord_Pf();
        QStringList offered;
        for (int i = 0; i < w->lstCategories->count(); ++i)
            offered << w->lstCategories->item(i)->text();
        EXPECT_EQ(ours(offered), QString::fromUtf8(row.order));
        QLocale::setDefault(before);
    }
}
