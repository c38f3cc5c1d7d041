#include "app/clsActiveControl.h"
#include "app/clsCboBoxHelper.h"
#include "app/clsLstBoxHelper.h"
#include "app/clsTxtBoxHelper.h"
#include "platform/AppError.h"
#include "platform/ComboBox.h"
#include "platform/DataGrid.h"
#include "platform/DatePicker.h"
#include "platform/Recordset.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QIntValidator>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {
// An in-memory record set of (lID, sName) rows; a null name stays Null.
std::unique_ptr<Recordset> namesRecordset(const QList<std::pair<int, Value>>& rows)
{
    auto rs = std::make_unique<Recordset>();
    rs->OpenInMemory({FieldInfo(QStringLiteral("lID"), FieldInfo::DataType::Integer),
                      FieldInfo(QStringLiteral("sName"), FieldInfo::DataType::Text, 50)});
    for (const auto& [id, name] : rows) {
        rs->AddNew();
        rs->Fields(0).Value(Value(id));
        rs->Fields(1).Value(name);
        rs->Update();
    }
    return rs;
}

void addItems(ComboBox& cbo, std::initializer_list<const char*> texts)
{
    for (const char* t : texts)
        cbo.AddItem(QString::fromLatin1(t));
}
}  // namespace

// ---- key filters

TEST(TxtBoxHelper, KeyFiltersKeepOnlyTheirCharacters)
{
    clsTxtBoxHelper h;
    struct Row {
        qint16 key;
        bool alpha;
        bool integer;
        bool decimal;
    };
    const Row rows[] = {
        {8, true, true, true},                                // backspace
        {27, false, true, true},                              // escape
        {13, false, false, false},                            // enter
        {32, false, false, false}, {45, false, false, true},  // minus
        {46, false, false, true},                             // full stop
        {44, false, false, false},                            // comma
        {47, false, false, false}, {48, false, true, true},  {57, false, true, true},   {58, false, false, false},
        {64, false, false, false}, {65, true, false, false}, {90, true, false, false},  {91, false, false, false},
        {96, false, false, false}, {97, true, false, false}, {122, true, false, false}, {123, false, false, false},
        {22, false, false, false},  // Ctrl+V
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.key);
        EXPECT_EQ(h.FilterKeyPressAlphaPi(r.key), r.alpha ? r.key : 0);
        EXPECT_EQ(h.FilterKeyPressNumericPi(r.key, true), r.integer ? r.key : 0);
        EXPECT_EQ(h.FilterKeyPressNumericPi(r.key, false), r.decimal ? r.key : 0);
    }
}

TEST(TxtBoxHelper, ValuesFilterTakesTheListedCodes)
{
    clsTxtBoxHelper h;
    const QString timeKeys = QStringLiteral("8|13|32|48|49|50|51|52|53|54|55|56|57|58|65|77|80|97|109|112");
    for (const QChar c : QStringLiteral("12:30 pm AM"))
        EXPECT_EQ(h.FilterKeyPressValuesPi(qint16(c.unicode()), timeKeys, QStringLiteral("|")), c.unicode())
            << c.toLatin1();
    EXPECT_EQ(h.FilterKeyPressValuesPi('x', timeKeys, QStringLiteral("|")), 0);
    EXPECT_EQ(h.FilterKeyPressValuesPi(8, timeKeys, QStringLiteral("|")), 8);
    EXPECT_EQ(h.FilterKeyPressValuesPi('1', QString(), QStringLiteral("|")), 0);
    // A part that is no number fails once the walk reaches it.
    EXPECT_EQ(h.FilterKeyPressValuesPi('0', QStringLiteral("48|x"), QStringLiteral("|")), '0');
    try {
        h.FilterKeyPressValuesPi('1', QStringLiteral("48|x"), QStringLiteral("|"));
        FAIL() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), 13);
        EXPECT_EQ(e.source(), QStringLiteral("clsTxtBoxHelper.FilterKeyPressValuesPi"));
    }
}

TEST(TxtBoxHelper, InstalledFilterEatsRefusedCharactersAndChecksPaste)
{
    clsTxtBoxHelper h;
    QLineEdit edit;
    edit.show();
    clsTxtBoxHelper::InstallKeyFilter(
        &edit, [&h](qint16 k) { return h.FilterKeyPressNumericPi(k, true); }, true);
    QTest::keyClicks(&edit, QStringLiteral("12a-.3"));
    EXPECT_EQ(edit.text(), QStringLiteral("123"));
    // Keys without a character still work.
    QTest::keyClick(&edit, Qt::Key_Home);
    QTest::keyClick(&edit, Qt::Key_Delete);
    EXPECT_EQ(edit.text(), QStringLiteral("23"));
    QTest::keyClick(&edit, Qt::Key_End);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), QStringLiteral("2"));

    QGuiApplication::clipboard()->setText(QStringLiteral("4x"));
    edit.paste();
    EXPECT_EQ(edit.text(), QStringLiteral("2"));
    QGuiApplication::clipboard()->setText(QStringLiteral("45"));
    edit.paste();
    EXPECT_EQ(edit.text(), QStringLiteral("245"));
    // Text the program puts in does not lock the field.
    edit.setText(QStringLiteral("n/a"));
    QTest::keyClicks(&edit, QStringLiteral("7"));
    EXPECT_EQ(edit.text(), QStringLiteral("n/a7"));
}

TEST(TxtBoxHelper, NulNeverReachesTheTextHoweverItComesIn)
{
    const QChar nul(0);
    QLineEdit plain;
    ComboBox combo;
    QLineEdit numeric;  // its own validator still judges what is left
    numeric.setValidator(new QIntValidator(0, 99999, &numeric));
    QLineEdit filtered;  // a key filter that checks paste
    clsTxtBoxHelper::KeepNulOut(&plain);
    clsTxtBoxHelper::KeepNulOut(&combo);
    clsTxtBoxHelper::KeepNulOut(&numeric);
    clsTxtBoxHelper::InstallKeyFilter(
        &filtered, [](qint16 k) { return clsTxtBoxHelper().FilterKeyPressNumericPi(k, true); }, true);
    for (QLineEdit* edit : {&plain, combo.lineEdit(), &numeric, &filtered}) {
        edit->setText(QStringLiteral("1") + nul + QStringLiteral("2"));
        EXPECT_EQ(edit->text(), QStringLiteral("12"));
        QGuiApplication::clipboard()->setText(nul + QStringLiteral("3") + nul);
        edit->end(false);
        edit->paste();
        EXPECT_EQ(edit->text(), QStringLiteral("123"));
        edit->end(false);
        edit->insert(QString(nul));
        EXPECT_EQ(edit->text(), QStringLiteral("123"));
    }
    numeric.paste();
    numeric.insert(QStringLiteral("x"));
    EXPECT_EQ(numeric.text(), QStringLiteral("1233"));
    EXPECT_EQ(combo.Text(), QStringLiteral("123"));
}

// ---- combo box helper

TEST(CboBoxHelper, IncrementalSearchCompletesToTheFirstMatch)
{
    clsCboBoxHelper h;
    ComboBox cbo;
    addItems(cbo, {"Aaa", "Abb", "Acc"});
    cbo.show();

    int key = 'A';
    h.IncrementalSearchComboP(&cbo, key);
    EXPECT_EQ(key, 0);
    EXPECT_EQ(cbo.Text(), QStringLiteral("Aaa"));
    EXPECT_EQ(cbo.ListIndex(), 0);
    EXPECT_EQ(cbo.SelStart(), 1);
    EXPECT_EQ(cbo.SelText(), QStringLiteral("aa"));

    key = 'c';  // replaces the completed part
    h.IncrementalSearchComboP(&cbo, key);
    EXPECT_EQ(key, 0);
    EXPECT_EQ(cbo.ListIndex(), 2);
    EXPECT_EQ(cbo.SelText(), QStringLiteral("c"));

    for (int passing : {8, 13, int('z')}) {
        key = passing;
        h.IncrementalSearchComboP(&cbo, key);
        EXPECT_EQ(key, passing);
        EXPECT_EQ(cbo.ListIndex(), 2);
    }
}

TEST(CboBoxHelper, IncrementalSearchFromRealKeys)
{
    clsCboBoxHelper h;
    ComboBox cbo;
    addItems(cbo, {"Aaa", "Abb", "Acc"});
    QObject::connect(&cbo, &ComboBox::KeyPress, &cbo, [&](int* key) { h.IncrementalSearchComboP(&cbo, *key); });
    cbo.show();
    QTest::keyClick(&cbo, 'a');
    EXPECT_EQ(cbo.Text(), QStringLiteral("Aaa"));
    QTest::keyClick(&cbo, 'b');
    EXPECT_EQ(cbo.Text(), QStringLiteral("Abb"));
    EXPECT_EQ(cbo.SelText(), QStringLiteral("b"));
    QTest::keyClick(&cbo, 'q');  // no item: typed as it is
    EXPECT_EQ(cbo.Text(), QStringLiteral("Abq"));
    EXPECT_EQ(cbo.ListIndex(), -1);
}

TEST(CboBoxHelper, FillFromRecordset)
{
    clsCboBoxHelper h;
    ComboBox cbo;
    addItems(cbo, {"old"});

    auto empty = namesRecordset({});
    h.ADORecordSetToComboBox(*empty, &cbo, Value("sName"), Value("lID"));
    EXPECT_EQ(cbo.ListCount(), 0);
    EXPECT_TRUE(empty->IsEOF());

    auto rs = namesRecordset({{10, Value("Ten")}, {20, Value::null()}, {30, Value("Thirty")}});
    rs->MoveLast();
    h.ADORecordSetToComboBox(*rs, &cbo, Value("sName"), Value("lID"));
    ASSERT_EQ(cbo.ListCount(), 3);
    EXPECT_EQ(cbo.List(1), QString());
    EXPECT_EQ(cbo.List(2), QStringLiteral("Thirty"));
    EXPECT_EQ(cbo.ItemData(0), 10);
    EXPECT_EQ(cbo.ItemData(2), 30);
    EXPECT_EQ(cbo.ListIndex(), -1);
    EXPECT_EQ(rs->AbsolutePosition(), 1);

    // Columns by position, no item data.
    h.ADORecordSetToComboBox(*rs, &cbo, Value(0));
    EXPECT_EQ(cbo.List(2), QStringLiteral("30"));
    EXPECT_EQ(cbo.ItemData(2), 0);

    try {
        h.ADORecordSetToComboBox(*rs, &cbo, Value("sMissing"));
        FAIL() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.source(), QStringLiteral("clsCboBoxHelper:ADORecordSetToComboBox"));
    }
}

TEST(CboBoxHelper, ItemDataLookUpLeavesTheSelection)
{
    clsCboBoxHelper h;
    ComboBox cbo;
    addItems(cbo, {"a", "b", "c"});
    for (int i = 0; i < 3; ++i)
        cbo.ItemData(i, (i + 1) * 10);
    cbo.ListIndex(1);
    QSignalSpy moves(&cbo, &QComboBox::currentIndexChanged);

    EXPECT_EQ(h.getListIndexOfItemData_pl(Value(30), &cbo), 2);
    EXPECT_EQ(h.getListIndexOfItemData_pl(Value("10"), &cbo), 0);
    EXPECT_EQ(h.getListIndexOfItemData_pl(Value(99), &cbo), -1);
    EXPECT_EQ(h.getListIndexOfItemData_pl(Value::null(), &cbo), -1);
    EXPECT_EQ(cbo.ListIndex(), 1);
    EXPECT_EQ(moves.count(), 0);
    try {
        h.getListIndexOfItemData_pl(Value("ten"), &cbo);
        FAIL() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), 13);
        EXPECT_EQ(e.source(), QStringLiteral("clsCboBoxHelper:getListIndexOfItemData_pl"));
    }
}

TEST(CboBoxHelper, FindsByTextAndBySortedSearch)
{
    clsCboBoxHelper h;
    ComboBox cbo;
    EXPECT_EQ(h.BinarySearchComboBox(&cbo, QString()), -1);
    addItems(cbo, {"alpha", "Beta", "beta two", "Gamma"});
    EXPECT_EQ(h.FindStringComboBoxPl(&cbo, QStringLiteral("BETA"), false), 1);
    EXPECT_EQ(h.FindStringComboBoxPl(&cbo, QStringLiteral("beta t"), false), 2);
    EXPECT_EQ(h.FindStringComboBoxPl(&cbo, QStringLiteral("beta two"), true), 2);
    EXPECT_EQ(h.FindStringComboBoxPl(&cbo, QStringLiteral("gam"), true), -1);
    EXPECT_EQ(h.BinarySearchComboBox(&cbo, QStringLiteral("GAMMA")), 3);
    EXPECT_EQ(h.BinarySearchComboBox(&cbo, QStringLiteral("alpha")), 0);
    EXPECT_EQ(h.BinarySearchComboBox(&cbo, QStringLiteral("delta")), -1);
    EXPECT_EQ(h.AddItemDataComboBox(&cbo, QStringLiteral("Zeta"), 77), 4);
    EXPECT_EQ(cbo.ItemData(4), 77);
}

// ---- list box helper

TEST(LstBoxHelper, ItemDataFillAndClipboard)
{
    clsLstBoxHelper h;
    QListWidget lst;
    EXPECT_EQ(h.AddItemDataListBoxPl(&lst, QStringLiteral("a"), 5), 0);
    EXPECT_EQ(h.AddItemDataListBoxPl(&lst, QStringLiteral("b"), 6), 1);
    lst.setCurrentRow(1);
    EXPECT_EQ(h.FindItemDataInListBoxPl(&lst, Value(5)), 0);
    EXPECT_EQ(h.FindItemDataInListBoxPl(&lst, Value(7)), -1);
    EXPECT_EQ(h.FindItemDataInListBoxPl(&lst, Value()), -1);
    EXPECT_EQ(lst.currentRow(), 1);
    EXPECT_EQ(h.FindStringListBoxPl(&lst, QStringLiteral("B"), true), 1);

    auto rs = namesRecordset({{1, Value("a")}, {2, Value::null()}, {3, Value("c")}});
    h.AdoRecordSetToListBoxP(*rs, &lst, Value("sName"), Value("lID"));
    ASSERT_EQ(lst.count(), 3);
    EXPECT_EQ(lst.item(1)->text(), QString());
    EXPECT_EQ(h.FindItemDataInListBoxPl(&lst, Value(3)), 2);
    EXPECT_EQ(rs->AbsolutePosition(), 1);

    QClipboard* cb = QGuiApplication::clipboard();
    cb->setText(QStringLiteral("before"));
    lst.setSelectionMode(QAbstractItemView::MultiSelection);
    lst.clearSelection();
    h.CopyListBoxItemsToCbP(&lst, true, QStringLiteral(","));
    EXPECT_EQ(cb->text(), QStringLiteral("before"));
    h.CopyListBoxItemsToCbP(&lst, false, QStringLiteral(","));
    EXPECT_EQ(cb->text(), QStringLiteral("a,,c,"));
    lst.item(2)->setSelected(true);
    h.CopyListBoxItemsToCbP(&lst, true, QStringLiteral(";"));
    EXPECT_EQ(cb->text(), QStringLiteral("c;"));
    h.ClearSelectionsListBoxP(&lst);
    EXPECT_TRUE(lst.selectedItems().isEmpty());
}

// ---- active control

TEST(ActiveControl, UndoPutsBackEachKindOfControl)
{
    clsActiveControl ac;
    EXPECT_FALSE(ac.ControlUndo_Mf());

    QLineEdit edit(QStringLiteral("before"));
    ac.Control_Pobj(&edit);
    edit.setText(QStringLiteral("after"));
    EXPECT_TRUE(ac.ControlUndo_Mf());
    EXPECT_EQ(edit.text(), QStringLiteral("before"));

    QPlainTextEdit memo(QStringLiteral("notes"));
    ac.Control_Pobj(&memo);
    memo.setPlainText(QStringLiteral("changed"));
    EXPECT_TRUE(ac.ControlUndo_Mf());
    EXPECT_EQ(memo.toPlainText(), QStringLiteral("notes"));

    DatePicker dtp;
    dtp.Value(Value::null());
    ac.Control_Pobj(&dtp);
    dtp.Value(Value(QDate(2022, 1, 2)));
    EXPECT_TRUE(ac.ControlUndo_Mf());
    EXPECT_TRUE(dtp.Value().isNull());
    dtp.Value(Value(QDate(2022, 1, 2)));
    ac.Control_Pobj(&dtp);
    dtp.Value(Value(QDate(2023, 5, 6)));
    ac.ControlUndo_Mf();
    EXPECT_EQ(dtp.Value().toDate(), QDate(2022, 1, 2));

    QCheckBox check;
    check.setChecked(true);
    ac.Control_Pobj(&check);
    check.setChecked(false);
    EXPECT_TRUE(ac.ControlUndo_Mf());
    EXPECT_TRUE(check.isChecked());

    ComboBox cbo;
    addItems(cbo, {"a", "b"});
    cbo.ListIndex(1);
    ac.Control_Pobj(&cbo);
    cbo.ListIndex(0);
    EXPECT_TRUE(ac.ControlUndo_Mf());
    EXPECT_EQ(cbo.ListIndex(), 1);

    QTabWidget tabs;
    tabs.addTab(new QWidget, QStringLiteral("one"));
    tabs.addTab(new QWidget, QStringLiteral("two"));
    ac.Control_Pobj(&tabs);
    tabs.setCurrentIndex(1);
    EXPECT_TRUE(ac.ControlUndo_Mf());
    EXPECT_EQ(tabs.currentIndex(), 0);
}

TEST(ActiveControl, UnsupportedAndDestroyedControls)
{
    clsActiveControl ac;
    QPushButton button;
    try {
        ac.Control_Pobj(&button);
        FAIL() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), 380);
        EXPECT_EQ(e.source(), QStringLiteral("clsActiveControl:Control_Pobj"));
    }
    EXPECT_EQ(ac.Control_Pobj(), &button);
    EXPECT_TRUE(ac.ControlUndo_Mf());

    auto edit = std::make_unique<QLineEdit>(QStringLiteral("x"));
    ac.Control_Pobj(edit.get());
    edit.reset();
    EXPECT_FALSE(ac.ControlUndo_Mf());
    EXPECT_EQ(ac.Control_Pobj(), nullptr);
}

TEST(ActiveControl, UndoDropsTheGridsPendingEdit)
{
    auto rs = namesRecordset({{10, Value("Ten")}, {20, Value("Twenty")}});
    DataGrid grid;
    grid.DataSource(rs.get());
    grid.show();
    grid.setCurrentIndex(grid.model()->index(0, 1));

    clsActiveControl ac;
    ac.Control_Pobj(&grid);
    grid.EditActive(true);
    auto* editor = qobject_cast<QLineEdit*>(grid.cellEditor());
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("Typed"));
    ASSERT_TRUE(grid.CurrentCellModified());

    EXPECT_TRUE(ac.ControlUndo_Mf());
    EXPECT_FALSE(grid.EditActive());
    EXPECT_FALSE(grid.DataChanged());
    EXPECT_EQ(rs->valueAt(0, 1), Value("Ten"));
}
