#include "platform/AppError.h"
#include "platform/Connection.h"
#include "platform/DataGrid.h"
#include "platform/DataGridDelegate.h"
#include "platform/DataGridPrint.h"
#include "platform/KeyedDbFile.h"
#include "platform/Recordset.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QPaintEngine>
#include <QPainter>
#include <QPrinter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

// lID, sName, lKind over five rows: 1 Delta 1, 2 alpha 2, 3 Charlie 1, 4 Bravo 2, 5 echo 1.
void fill(Recordset& rs)
{
    rs.OpenInMemory({FieldInfo(QStringLiteral("lID"), FieldInfo::DataType::Integer),
                     FieldInfo(QStringLiteral("sName"), FieldInfo::DataType::Text),
                     FieldInfo(QStringLiteral("lKind"), FieldInfo::DataType::Integer)});
    const QStringList names{"Delta", "alpha", "Charlie", "Bravo", "echo"};
    for (int i = 0; i < names.size(); ++i) {
        rs.AddNew();
        rs.Fields(0).Value(Value(i + 1));
        rs.Fields(1).Value(Value(names[i]));
        rs.Fields(2).Value(Value(i % 2 == 0 ? 1 : 2));
        rs.Update();
    }
    rs.MoveFirst();
}

QString shown(const DataGrid& g, int row, int col)
{
    return g.model()->index(row, col).data(Qt::DisplayRole).toString();
}

QStringList columnTexts(const DataGrid& g, int col)
{
    QStringList out;
    for (int r = 0; r < g.model()->rowCount(); ++r)
        out << shown(g, r, col);
    return out;
}

// Opens the current cell's editor, types the text and commits it.
bool typeIntoCurrentCell(DataGrid& g, const QString& text)
{
    g.EditActive(true);
    auto* le = qobject_cast<QLineEdit*>(g.cellEditor());
    if (!le)
        if (auto* cb = qobject_cast<QComboBox*>(g.cellEditor()))
            le = cb->lineEdit();
    if (!le)
        return false;
    le->setText(text);
    return g.commitPendingEdit();
}

class DataGridTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fill(rs);
        grid.DataSource(&rs);
    }
    Recordset rs;
    DataGrid grid;
};

}  // namespace

TEST_F(DataGridTest, ShowsRowsAndFollowsSortFilterAddAndDelete)
{
    ASSERT_EQ(grid.ColumnCount(), 3);
    EXPECT_EQ(grid.Columns(1)->Caption(), "sName");
    EXPECT_EQ(grid.model()->rowCount(), 5);
    EXPECT_EQ(columnTexts(grid, 1), QStringList({"Delta", "alpha", "Charlie", "Bravo", "echo"}));

    rs.Sort(QStringLiteral("sName DESC"));
    EXPECT_EQ(columnTexts(grid, 1), QStringList({"echo", "Delta", "Charlie", "Bravo", "alpha"}));

    rs.Filter(QStringLiteral("lKind = 2"));
    EXPECT_EQ(columnTexts(grid, 1), QStringList({"Bravo", "alpha"}));
    rs.Filter(QString());
    EXPECT_EQ(grid.model()->rowCount(), 5);

    rs.AddNew();
    rs.Fields(1).Value(Value("foxtrot"));
    EXPECT_EQ(grid.model()->rowCount(), 6);
    rs.Update();
    EXPECT_TRUE(columnTexts(grid, 1).contains("foxtrot"));

    rs.Bookmark(Value(grid.model()->rowCount()).toLong());  // any row; delete the current one
    const QString gone = shown(grid, rs.currentViewRow(), 1);
    rs.Delete();
    EXPECT_EQ(grid.model()->rowCount(), 5);
    EXPECT_FALSE(columnTexts(grid, 1).contains(gone));

    // Column layout survives the resets the record set causes.
    grid.Columns(2)->Visible(false);
    grid.Columns(0)->Order(2);
    rs.Sort(QStringLiteral("lID"));
    EXPECT_TRUE(grid.isColumnHidden(2));
    EXPECT_EQ(grid.Columns(0)->Order(), 2);
}

namespace {

// A grid over "SELECT * FROM t ORDER BY lID" of a keyed table t (lID, sName).
class DataGridRequery : public ::testing::Test {
protected:
    void open(const char* names, Recordset::Mode mode)
    {
        ASSERT_TRUE(dir.isValid());
        conn.Open(makeKeyedDb(dir, "k",
                              (QByteArray("CREATE TABLE t (lID INTEGER PRIMARY KEY AUTOINCREMENT, sName TEXT COLLATE "
                                          "NOCASE); INSERT INTO t (sName) VALUES ")
                               + names + ";")
                                  .constData()),
                  "k");
        rs.Open(conn, QStringLiteral("SELECT * FROM t ORDER BY lID"), mode);
        grid.DataSource(&rs);
    }
    QTemporaryDir dir;
    Connection conn;
    Recordset rs;
    DataGrid grid;
};

}  // namespace

TEST_F(DataGridRequery, FollowsRequeryOfAnOpenQuery)
{
    open("('one'), ('two')", Recordset::Mode::ReadOnly);
    EXPECT_EQ(grid.model()->rowCount(), 2);
    conn.Execute(QStringLiteral("INSERT INTO t (sName) VALUES ('three')"));
    rs.Requery();
    EXPECT_EQ(columnTexts(grid, 1), QStringList({"one", "two", "three"}));
    rs.Close();
    EXPECT_EQ(grid.model()->rowCount(), 0);
}

// The selected rows and the current row are rows, not places: they follow
// their rows through a requery, a sort, a filter and deletions here or in a
// clone, and a row that is gone drops out.
TEST_F(DataGridRequery, SelectionAndCurrentRowFollowTheirRows)
{
    open("('s1'), ('s2'), ('s3'), ('s4'), ('s5'), ('s6')", Recordset::Mode::Editable);
    const auto nameAt = [&](int row) { return rs.valueAt(row, 1).asText(); };
    const auto rowOf = [&](const QString& name) {
        for (int r = 0; r < rs.RecordCount(); ++r)
            if (nameAt(r) == name)
                return r;
        return -1;
    };
    // The selection by name in selection order, checked against what the view shows.
    const auto selected = [&] {
        QStringList names;
        for (int i = 0; i < grid.SelBookmarks().Count(); ++i) {
            const int row = rs.viewRowOfBookmark(grid.SelBookmarks().Item(i).toLong());
            names << (row < 0 ? QStringLiteral("<gone>") : nameAt(row));
            EXPECT_TRUE(row < 0 || grid.selectionModel()->isRowSelected(row, {})) << names.last().toStdString();
        }
        int shown = 0;
        for (int r = 0; r < grid.model()->rowCount(); ++r)
            shown += grid.selectionModel()->isRowSelected(r, {}) ? 1 : 0;
        EXPECT_EQ(shown, names.size());
        return names;
    };
    const auto current = [&] { return grid.Row() < 0 ? QStringLiteral("<none>") : nameAt(grid.Row()); };

    for (const char* name : {"s4", "s2", "s5"})
        grid.SelBookmarks().Add(Value(rs.bookmarkAt(rowOf(QString::fromUtf8(name)))));
    grid.Bookmark(Value(rs.bookmarkAt(rowOf("s5"))));
    grid.Col(1);

    conn.Execute(QStringLiteral("DELETE FROM t WHERE sName = 's2'"));
    rs.Requery();
    EXPECT_EQ(selected(), (QStringList{"s4", "s5"}));
    EXPECT_EQ(current(), "s5");
    EXPECT_EQ(grid.currentIndex().row(), grid.Row());
    EXPECT_EQ(grid.Col(), 1) << "the current cell stays in its column";

    // A row that stays keeps its place in the selection when others go before it.
    conn.Execute(QStringLiteral("DELETE FROM t WHERE sName IN ('s1', 's3')"));
    conn.Execute(QStringLiteral("INSERT INTO t (lID, sName) VALUES (0, 's0')"));
    rs.Requery();
    EXPECT_EQ(selected(), (QStringList{"s4", "s5"}));
    EXPECT_EQ(current(), "s5");

    rs.Sort(QStringLiteral("sName DESC"));
    EXPECT_EQ(selected(), (QStringList{"s4", "s5"}));
    EXPECT_EQ(current(), "s5");

    rs.Filter(QStringLiteral("sName <> 's6'"));
    EXPECT_EQ(selected(), (QStringList{"s4", "s5"}));

    // Deleted through a clone: gone from the selection.
    auto clone = rs.Clone();
    clone->Find(QStringLiteral("sName = 's4'"));
    clone->Delete();
    EXPECT_EQ(selected(), QStringList{"s5"});
    EXPECT_EQ(conn.ExecuteScalar(QStringLiteral("SELECT count(*) FROM t WHERE sName = 's4'")).toLong(), 0);

    // The current row deleted elsewhere: the grid moves to the first row.
    conn.Execute(QStringLiteral("DELETE FROM t WHERE sName = 's5'"));
    rs.Requery();
    EXPECT_TRUE(selected().isEmpty());
    EXPECT_EQ(grid.Row(), 0);
    EXPECT_EQ(grid.currentIndex().row(), 0);
}

TEST_F(DataGridTest, CurrentRowFollowsTheRecordsetBothWays)
{
    rs.MoveLast();
    EXPECT_EQ(grid.currentIndex().row(), 4);
    EXPECT_EQ(grid.Bookmark(), Value(rs.Bookmark()));

    grid.setCurrentIndex(grid.model()->index(1, 2));
    EXPECT_EQ(rs.AbsolutePosition(), 2);
    EXPECT_EQ(grid.Columns(1)->Value(), Value("alpha"));
    EXPECT_EQ(grid.Col(), 2);

    const Value third = Value(rs.bookmarkAt(2));
    grid.Bookmark(third);
    EXPECT_EQ(rs.currentViewRow(), 2);
    EXPECT_EQ(grid.currentIndex().row(), 2);
    EXPECT_EQ(grid.Col(), 2);  // the column stays

    // A sort keeps the current row and the grid shows it where it moved.
    rs.Sort(QStringLiteral("sName"));
    EXPECT_EQ(grid.Columns(1)->Text(), "Charlie");
    EXPECT_EQ(grid.currentIndex().row(), rs.currentViewRow());

    rs.MoveLast();
    rs.MoveNext();  // EOF
    EXPECT_TRUE(grid.Bookmark().isNull());
    EXPECT_TRUE(grid.Columns(1)->Value().isNull());
}

TEST_F(DataGridTest, RowSelectionKeepsItsOrderAndShowsInTheView)
{
    const qint32 b4 = rs.bookmarkAt(4), b1 = rs.bookmarkAt(1), b2 = rs.bookmarkAt(2);
    auto& sel = grid.SelBookmarks();
    sel.Add(Value(b4));
    sel.Add(Value(b1));
    sel.Add(Value(b2));
    sel.Add(Value(b1));  // already there
    ASSERT_EQ(sel.Count(), 3);
    EXPECT_EQ(sel.Item(0), Value(b4));
    EXPECT_EQ(sel.Item(2), Value(b2));
    EXPECT_TRUE(grid.selectionModel()->isRowSelected(4, {}));
    EXPECT_FALSE(grid.selectionModel()->isRowSelected(0, {}));

    sel.Remove(0);
    EXPECT_EQ(sel.Item(0), Value(b1));
    EXPECT_FALSE(grid.selectionModel()->isRowSelected(4, {}));
    EXPECT_THROW(sel.Item(5), AppError);

    // Bookmarks hold across a sort: the same records stay selected.
    rs.Sort(QStringLiteral("sName"));
    EXPECT_TRUE(grid.selectionModel()->isRowSelected(rs.viewRowOfBookmark(b1), {}));
    // A filter that hides a selected row drops it.
    rs.Filter(QStringLiteral("lKind = 1"));
    ASSERT_EQ(sel.Count(), 1);
    EXPECT_EQ(sel.Item(0), Value(b2));
    sel.Clear();
    EXPECT_TRUE(grid.selectionModel()->selectedIndexes().isEmpty());

    // Rows added one by one or many at once, in any order and across view
    // changes, show as the few ranges of adjacent rows they make.
    rs.Filter(QString());
    const auto shownRows = [&] {
        QList<int> rows;
        for (int r = 0; r < grid.model()->rowCount(); ++r)
            if (grid.selectionModel()->isRowSelected(r, {}))
                rows << r;
        return rows;
    };
    const auto selectedRows = [&] {
        QList<int> rows;
        for (qint32 b : sel.list())
            rows << rs.viewRowOfBookmark(b);
        std::sort(rows.begin(), rows.end());
        return rows;
    };
    for (int r : {3, 1, 2})
        sel.Add(Value(rs.bookmarkAt(r)));
    EXPECT_EQ(shownRows(), (QList<int>{1, 2, 3}));
    EXPECT_EQ(grid.selectionModel()->selection().size(), 1);
    sel.Add(std::vector<qint32>{rs.bookmarkAt(4), rs.bookmarkAt(2), rs.bookmarkAt(0)});
    ASSERT_EQ(sel.Count(), 5);
    EXPECT_EQ(sel.Item(3), Value(rs.bookmarkAt(4)));
    EXPECT_EQ(sel.Item(4), Value(rs.bookmarkAt(0)));
    EXPECT_EQ(shownRows(), (QList<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(grid.selectionModel()->selection().size(), 1);
    sel.Remove(2);
    rs.Sort(QStringLiteral("sName DESC"));
    EXPECT_EQ(shownRows(), selectedRows());
    rs.AddNew();
    rs.Fields(0).Value(Value(6));
    rs.Fields(1).Value(Value("foxtrot"));
    rs.Update();
    sel.Add(Value(rs.Bookmark()));
    sel.Add(Value(rs.bookmarkAt(rs.viewRowOfBookmark(sel.Item(0).toLong()))));  // already there
    ASSERT_EQ(sel.Count(), 5);
    EXPECT_EQ(shownRows(), selectedRows());
    EXPECT_EQ(shownRows().size(), 5);
}

TEST_F(DataGridTest, HeaderClickSelectsTheColumn)
{
    grid.resize(500, 300);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    grid.SelBookmarks().Add(Value(rs.bookmarkAt(0)));
    QSignalSpy heads(&grid, &DataGrid::HeadClick);
    QHeaderView* h = grid.horizontalHeader();
    const int before = rs.currentViewRow();

    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(h->sectionViewportPosition(1) + 5, 5));
    ASSERT_EQ(heads.count(), 1);
    EXPECT_EQ(heads.at(0).at(0).toInt(), 1);
    EXPECT_EQ(grid.SelStartCol(), 1);
    EXPECT_EQ(grid.SelEndCol(), 1);
    EXPECT_EQ(grid.SelBookmarks().Count(), 0);
    EXPECT_TRUE(grid.selectionModel()->isColumnSelected(1, {}));
    EXPECT_EQ(rs.currentViewRow(), before);  // the current row does not move

    QTest::mouseClick(h->viewport(), Qt::LeftButton, Qt::ShiftModifier, QPoint(h->sectionViewportPosition(2) + 5, 5));
    EXPECT_EQ(grid.selectedColumns(), QList<int>({1, 2}));

    QSignalSpy ups(&grid, &DataGrid::MouseUp);
    QTest::mouseClick(h->viewport(), Qt::RightButton, {}, QPoint(h->sectionViewportPosition(1) + 5, 5));
    ASSERT_EQ(ups.count(), 1);
    EXPECT_EQ(ups.at(0).at(0).toInt(), 2);
    EXPECT_EQ(heads.count(), 2);  // a right click selects nothing

    grid.ClearSelCols();
    EXPECT_EQ(grid.SelStartCol(), -1);
    EXPECT_FALSE(grid.selectionModel()->isColumnSelected(1, {}));
}

TEST_F(DataGridTest, RowHeaderClicksBuildAnOrderedSelection)
{
    grid.resize(500, 300);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    QHeaderView* v = grid.verticalHeader();
    const auto rowPoint = [&](int r) {
        return QPoint(v->width() / 2, v->sectionViewportPosition(r) + v->sectionSize(r) / 2);
    };
    ASSERT_GT(v->width(), 5);
    QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, rowPoint(3));
    QTest::mouseClick(v->viewport(), Qt::LeftButton, Qt::ControlModifier, rowPoint(0));
    ASSERT_EQ(grid.SelBookmarks().Count(), 2);
    EXPECT_EQ(grid.SelBookmarks().Item(0), Value(rs.bookmarkAt(3)));
    EXPECT_EQ(grid.SelBookmarks().Item(1), Value(rs.bookmarkAt(0)));
    QTest::mouseClick(v->viewport(), Qt::LeftButton, Qt::ControlModifier, rowPoint(3));
    EXPECT_EQ(grid.SelBookmarks().Count(), 1);
    // Shift extends from the row clicked last, which replaces the selection.
    QTest::mouseClick(v->viewport(), Qt::LeftButton, Qt::ShiftModifier, rowPoint(1));
    ASSERT_EQ(grid.SelBookmarks().Count(), 3);
    EXPECT_EQ(grid.SelBookmarks().Item(0), Value(rs.bookmarkAt(3)));
    EXPECT_EQ(grid.SelBookmarks().Item(2), Value(rs.bookmarkAt(1)));
    EXPECT_TRUE(grid.selectionModel()->isRowSelected(2, {}));
    EXPECT_FALSE(grid.selectionModel()->isRowSelected(0, {}));
}

TEST_F(DataGridTest, ValueItemsTranslateBothWaysAndRefuseUnlistedTexts)
{
    DataGridColumn* kind = grid.Columns(2);
    kind->ValueItems().Add(Value(1), QStringLiteral("Men"));
    kind->ValueItems().Add(Value(2), QStringLiteral("Women"));
    kind->ValueItems().Translate(true);
    kind->ValueItems().Validate(true);
    kind->ValueItems().Presentation(DataGridValueItems::ComboBox);
    EXPECT_EQ(columnTexts(grid, 2), QStringList({"Men", "Women", "Men", "Women", "Men"}));

    grid.setCurrentIndex(grid.model()->index(0, 2));
    ASSERT_TRUE(typeIntoCurrentCell(grid, QStringLiteral("women")));
    EXPECT_EQ(rs.valueAt(0, 2), Value(2));
    EXPECT_EQ(shown(grid, 0, 2), "Women");

    // Refused with nobody to say why: taken back at once.
    EXPECT_FALSE(typeIntoCurrentCell(grid, QStringLiteral("Kids")));
    EXPECT_FALSE(grid.EditActive());
    QSignalSpy notInList(&grid, &DataGrid::ValueNotInList);
    EXPECT_FALSE(typeIntoCurrentCell(grid, QStringLiteral("Kids")));
    ASSERT_EQ(notInList.count(), 1);
    EXPECT_EQ(rs.valueAt(0, 2), Value(2));

    // A handler that adds the text to the list and asks again gets it stored.
    QObject::connect(&grid, &DataGrid::ValueNotInList, [&](int col, QString* text, bool* retry) {
        grid.Columns(col)->ValueItems().Add(Value(3), *text);
        *retry = true;
    });
    EXPECT_TRUE(typeIntoCurrentCell(grid, QStringLiteral("Kids")));
    EXPECT_EQ(rs.valueAt(0, 2), Value(3));
    EXPECT_EQ(grid.Columns(2)->Text(), "Kids");
}

// The first key typed into a cell replaces what it showed, in a drop-down
// cell as in a plain one.
TEST_F(DataGridTest, TypingIntoACellReplacesItsText)
{
    DataGridValueItems& kinds = grid.Columns(2)->ValueItems();
    kinds.Add(Value(1), QStringLiteral("Men"));
    kinds.Add(Value(2), QStringLiteral("Women"));
    kinds.Translate(true);
    kinds.Validate(true);
    kinds.Presentation(DataGridValueItems::ComboBox);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&grid));
    const struct {
        int column;
        Value stored;
    } cells[] = {{1, Value("Women")}, {2, Value(2)}};
    for (const auto& c : cells) {
        SCOPED_TRACE(c.column);
        grid.setCurrentIndex(grid.model()->index(0, c.column));
        grid.setFocus();
        QTest::keyClick(&grid, 'W');
        ASSERT_TRUE(grid.EditActive());
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("omen"));
        EXPECT_EQ(lineEditOfCellEditor(grid.cellEditor())->text(), "Women");
        EXPECT_TRUE(grid.commitPendingEdit());
        EXPECT_EQ(rs.valueAt(0, c.column), c.stored);
    }
}

TEST_F(DataGridTest, BeforeColUpdateChecksAndCanCancelTheEdit)
{
    QList<Value> olds;
    QObject::connect(&grid, &DataGrid::BeforeColUpdate, [&](int col, Value old, bool* cancel) {
        olds << old;
        DataGridColumn* c = grid.Columns(col);
        c->Text(c->Text().toUpper());
        if (!c->Text().startsWith('T')) {
            *cancel = true;
            c->Text(old.asText());
        }
    });
    QSignalSpy after(&grid, &DataGrid::AfterColEdit);
    grid.setCurrentIndex(grid.model()->index(1, 1));

    // Refused: the row keeps its value, the edit goes on with the text the handler left.
    EXPECT_FALSE(typeIntoCurrentCell(grid, QStringLiteral("x12")));
    EXPECT_EQ(rs.valueAt(1, 1), Value("alpha"));
    ASSERT_EQ(olds.size(), 1);
    EXPECT_EQ(olds[0], Value("alpha"));
    EXPECT_EQ(after.count(), 0);
    ASSERT_TRUE(grid.EditActive());
    EXPECT_EQ(lineEditOfCellEditor(grid.cellEditor())->text(), "alpha");

    EXPECT_TRUE(typeIntoCurrentCell(grid, QStringLiteral("t001")));
    EXPECT_EQ(rs.valueAt(1, 1), Value("T001"));  // stored as the handler changed it
    EXPECT_TRUE(grid.DataChanged());             // the row is not committed yet
    grid.Update();
    EXPECT_FALSE(grid.DataChanged());

    // An edit that changed nothing asks nobody.
    typeIntoCurrentCell(grid, QStringLiteral("T001"));
    EXPECT_EQ(olds.size(), 2);
}

// What is said after a refused commit comes in boxes, each with an event
// loop of its own, in which the grid's window may close and go: nothing more
// runs on that grid.
TEST(DataGridRefusal, NothingRunsOnAGridItsWindowDeletedWhileABoxWasUp)
{
    Recordset rs;
    fill(rs);
    auto* window = new QWidget;
    auto* grid = new DataGrid(window);
    grid->DataSource(&rs);
    QStringList said;
    QObject::connect(grid, &DataGrid::BeforeColUpdate, [&](int, Value, bool* cancel) {
        *cancel = true;
        grid->showAfterCommit([&] { said << "refused", delete window; });
        grid->showAfterCommit([&] { said << "more about the gone cell"; });
    });
    window->show();
    grid->setCurrentIndex(grid->model()->index(0, 1));
    EXPECT_FALSE(typeIntoCurrentCell(*grid, QStringLiteral("x")));
    QCoreApplication::processEvents();
    EXPECT_EQ(said, QStringList{"refused"});
}

TEST_F(DataGridTest, PendingEditCanBeCancelledAndBeforeColEditCanRefuse)
{
    grid.setCurrentIndex(grid.model()->index(0, 1));
    grid.EditActive(true);
    ASSERT_TRUE(grid.EditActive());
    auto* le = qobject_cast<QLineEdit*>(grid.cellEditor());
    ASSERT_NE(le, nullptr);
    le->setText(QStringLiteral("Dexter"));
    grid.SelStart(1);
    grid.SelLength(3);
    EXPECT_EQ(grid.SelText(), "ext");
    EXPECT_TRUE(grid.CurrentCellModified());
    grid.cancelPendingEdit();
    EXPECT_FALSE(grid.EditActive());
    EXPECT_EQ(rs.valueAt(0, 1), Value("Delta"));

    // A stored cell edit not yet committed to the row is dropped too.
    ASSERT_TRUE(typeIntoCurrentCell(grid, QStringLiteral("Dexter")));
    EXPECT_EQ(rs.EditMode(), Recordset::EditInProgress);
    grid.cancelPendingEdit();
    EXPECT_EQ(rs.valueAt(0, 1), Value("Delta"));
    EXPECT_FALSE(grid.DataChanged());

    QObject::connect(&grid, &DataGrid::BeforeColEdit, [](int, int, bool* cancel) { *cancel = true; });
    grid.EditActive(true);
    EXPECT_FALSE(grid.EditActive());
}

// A NUL typed or pasted into a cell never reaches the record set: no
// statement built from the value may break on it.
TEST_F(DataGridTest, NulInACellEditIsDropped)
{
    const QChar nul(0);
    const struct {
        QString typed;
        Value stored;
    } cases[] = {
        {QStringLiteral("De") + nul + QStringLiteral("xter"), Value("Dexter")},
        {nul + QStringLiteral("Dex"), Value("Dex")},
        {QStringLiteral("Dex") + nul + nul, Value("Dex")},
        {QString(nul), Value::null()},
    };
    QStringList checked;
    QObject::connect(&grid, &DataGrid::BeforeColUpdate,
                     [&](int col, Value, bool*) { checked << grid.Columns(col)->Text(); });
    for (const auto& c : cases) {
        grid.setCurrentIndex(grid.model()->index(0, 1));
        ASSERT_TRUE(typeIntoCurrentCell(grid, c.typed));
        EXPECT_EQ(rs.valueAt(0, 1), c.stored);
        EXPECT_FALSE(checked.last().contains(nul)) << "the check sees the text that is stored";
        rs.Update();
    }
    // A listed column matches the text without the NUL.
    DataGridColumn* kind = grid.Columns(2);
    kind->ValueItems().Add(Value(1), QStringLiteral("Men"));
    kind->ValueItems().Add(Value(2), QStringLiteral("Women"));
    kind->ValueItems().Translate(true);
    kind->ValueItems().Validate(true);
    grid.setCurrentIndex(grid.model()->index(0, 2));
    ASSERT_TRUE(typeIntoCurrentCell(grid, QStringLiteral("Wo") + nul + QStringLiteral("men")));
    EXPECT_EQ(rs.valueAt(0, 2), Value(2));
}

TEST_F(DataGridTest, OwnCellEditorTakingFocusIsNotALostFocus)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* other = new QLineEdit(&window);
    grid.setParent(&window);
    layout->addWidget(&grid);
    layout->addWidget(other);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QSignalSpy got(&grid, &DataGrid::GotFocus);
    QSignalSpy lost(&grid, &DataGrid::LostFocus);
    grid.setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(got.count(), 1);

    grid.setCurrentIndex(grid.model()->index(0, 1));
    grid.EditActive(true);
    ASSERT_NE(grid.cellEditor(), nullptr);
    grid.cellEditor()->setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), grid.cellEditor());
    EXPECT_EQ(lost.count(), 0);
    EXPECT_EQ(got.count(), 1);

    other->setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(lost.count(), 1);

    // A window raised by the cell check takes the focus away from the editor:
    // once it is gone, the grid has the focus back, not the next control.
    QWidget box;
    QObject::connect(&grid, &DataGrid::BeforeColUpdate, &box, [&](int, Value, bool*) {
        box.show();
        box.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&box));
    });
    grid.setFocus();
    grid.EditActive(true);
    grid.cellEditor()->setFocus();
    EXPECT_TRUE(typeIntoCurrentCell(grid, QStringLiteral("checked")));
    box.close();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_EQ(QApplication::focusWidget(), &grid);
    grid.setParent(nullptr);
}

TEST_F(DataGridTest, HiddenColumnRemembersItsWidthAndFormatsApply)
{
    grid.Columns(1)->Width(1500);
    EXPECT_EQ(grid.columnWidth(1), 100);
    grid.Columns(1)->Visible(false);
    EXPECT_EQ(grid.columnWidth(1), 0);
    EXPECT_DOUBLE_EQ(grid.Columns(1)->Width(), 1500);
    grid.Columns(1)->Visible(true);
    EXPECT_EQ(grid.columnWidth(1), 100);
    grid.horizontalHeader()->resizeSection(1, 80);  // a user drag
    EXPECT_DOUBLE_EQ(grid.Columns(1)->Width(), 1200);

    grid.Columns(0)->NumberFormat(QStringLiteral("FormatText Event"));
    QObject::connect(&grid, &DataGrid::FormatText,
                     [](int, Value* v) { *v = Value(QStringLiteral("#") + v->asText()); });
    EXPECT_EQ(shown(grid, 2, 0), "#3");
    grid.Columns(0)->NumberFormat(QStringLiteral("0.00"));
    EXPECT_EQ(shown(grid, 2, 0), QLocale().toString(3.0, 'f', 2));
    EXPECT_THROW(grid.Columns(3), AppError);
    // "General Number" is the general form: no grouping, no exponent below 1E+15.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(formatCellValue(Value(100000.0), QStringLiteral("General Number")), "100000");
    EXPECT_EQ(formatCellValue(Value(0.0001), QStringLiteral("General Number")), "0.0001");
    QLocale::setDefault(QLocale::system());
}

namespace {

// A paint device that keeps the texts drawn on it, with where they were drawn.
class TextRecorder : public QPaintDevice {
public:
    struct Item {
        QString text;
        QPointF pos;
    };
    class Engine : public QPaintEngine {
    public:
        explicit Engine(std::vector<Item>* items) : QPaintEngine(AllFeatures), m_items(items) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawPath(const QPainterPath&) override {}
        void drawTextItem(const QPointF& p, const QTextItem& ti) override
        {
            m_items->push_back({ti.text(), painter()->transform().map(p)});
        }
        Type type() const override { return User; }

    private:
        std::vector<Item>* m_items;
    };

    TextRecorder() : m_engine(&items) {}
    QPaintEngine* paintEngine() const override { return const_cast<Engine*>(&m_engine); }
    std::vector<Item> items;

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth: return 2000;
        case PdmHeight: return 2800;
        case PdmWidthMM: return 169;
        case PdmHeightMM: return 237;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return 300;
        case PdmDepth: return 32;
        case PdmNumColors: return 0x7fffffff;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
        default: return 0;
        }
    }

private:
    Engine m_engine;
};

const TextRecorder::Item* findText(const std::vector<TextRecorder::Item>& items, const QString& t)
{
    for (const auto& i : items)
        if (i.text == t)
            return &i;
    return nullptr;
}

}  // namespace

TEST_F(DataGridTest, PrintsTheHeaderAndTheRowsToAPdf)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString pdf = dir.filePath("grid.pdf");
    PrintDialogService::Hooks hooks;
    hooks.printerAvailable = [] { return true; };
    hooks.preparePrinter = [&](QPrinter& p) {
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(pdf);
    };
    PrintDialogService::install(hooks);

    for (int i = 0; i < 150; ++i) {  // enough rows for several pages
        rs.AddNew();
        rs.Fields(0).Value(Value(100 + i));
        rs.Fields(1).Value(Value(QStringLiteral("row%1").arg(100 + i)));
        rs.Update();
    }
    grid.Columns(2)->Visible(false);
    DataGridPrintInfo* info = grid.PrintInfo();
    info->PageHeader(QStringLiteral("SEGMENT #: T1\tmiddle\tright side\nsecond line\n\t2024-05-01"));
    info->PrintData();

    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    const int pageObjects = int(bytes.count("/Type /Page\n") + bytes.count("/Type /Page "));
    EXPECT_GT(pageObjects, 1);

    // The same painting, recorded: header parts left, centre and right; the rows; no hidden column.
    TextRecorder rec;
    QPainter painter(&rec);
    int pages = 0;
    const int painted = info->paint(painter, QRect(0, 0, 2000, 2800), 300, [&] { ++pages; });
    painter.end();
    EXPECT_EQ(painted, pages + 1);
    const auto* left = findText(rec.items, "SEGMENT #: T1");
    const auto* mid = findText(rec.items, "middle");
    const auto* right = findText(rec.items, "right side");
    ASSERT_TRUE(left && mid && right);
    EXPECT_LT(left->pos.x(), mid->pos.x());
    EXPECT_LT(mid->pos.x(), right->pos.x());
    EXPECT_NEAR(left->pos.y(), right->pos.y(), 1.0);
    EXPECT_NE(findText(rec.items, "second line"), nullptr);
    EXPECT_NE(findText(rec.items, "2024-05-01"), nullptr);
    EXPECT_NE(findText(rec.items, "Delta"), nullptr);
    EXPECT_NE(findText(rec.items, "row249"), nullptr);
    EXPECT_NE(findText(rec.items, "sName"), nullptr);
    EXPECT_EQ(findText(rec.items, "lKind"), nullptr);

    hooks.printerAvailable = [] { return false; };
    PrintDialogService::install(hooks);
    try {
        info->PrintData();
        ADD_FAILURE() << "printed without a printer";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), 482);
    }
    PrintDialogService::install({});
}
