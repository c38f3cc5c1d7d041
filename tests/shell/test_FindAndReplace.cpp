#include "ShellFixture.h"

#include "WindowKinds.h"
#include "data/clsAdoConnectJet.h"
#include "lists/RecordWindow.h"
#include "platform/AppError.h"
#include "platform/DataGrid.h"
#include "platform/MessagePresenter.h"
#include "platform/Recordset.h"
#include "shell/clsFindAndReplace.h"
#include "shell/frmFind.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

namespace {

const QString NoRecords = QStringLiteral("no records match the selected criteria");
const QString NoFurther = QStringLiteral("no further records match the selected criteria");
const QString NothingToFind = QStringLiteral("There is nothing to find: the Find What box is empty.");
constexpr int Yes = MessageBoxStyle::ResYes;

// A searched window as the engine sees it: a grid named dbgMain bound to the
// record set DataSource_Po gives.
class FakeSearched : public QWidget {
    Q_OBJECT
public:
    FakeSearched()
    {
        setObjectName(QStringLiteral("frmSegmentDetail"));
        dbgMain->setObjectName(QStringLiteral("dbgMain"));
    }
    ~FakeSearched() override { dbgMain->DataSource(nullptr); }
    Q_INVOKABLE Recordset* DataSource_Po() const { return rs.get(); }
    Q_INVOKABLE void ForceSendRefreshRequest_p() { ++refreshes; }
    // Notes whether the no-child row (Upload Watch Data on) stood when called.
    Q_INVOKABLE void Form_Activate() { activations << mdiMain::instance()->MenuItem("mnuFileImport")->isEnabled(); }
    DataGrid* dbgMain = new DataGrid(this);
    std::unique_ptr<Recordset> rs;
    int refreshes = 0;
    QList<bool> activations;
};

struct FindTest : ShellTest {
    QPointer<FakeSearched> w = new FakeSearched;
    void TearDown() override { delete w.data(), ShellTest::TearDown(); }
    // Rows held in memory, as the detail window has them: label, athlete (a
    // drop-down), distance, comments and a column that takes no focus.
    void detailRows()
    {
        using T = FieldInfo::DataType;
        w->rs = std::make_unique<Recordset>();
        w->rs->OpenInMemory({{"sLabel", T::Text},
                             {"lRosterId", T::Integer},
                             {"dDistance", T::Double},
                             {"sComments", T::Text},
                             {"sHidden", T::Text}});
        const QList<QList<Value>> rows = {{Value("T001"), Value(1), Value(100.0), Value("abc abc abc"), Value("abc")},
                                          {Value("T002"), Value(2), Value(250.0), Value("ABC"), Value("abc")},
                                          {Value("T003"), Value::null(), Value::null(), Value::null(), Value("abc")},
                                          {Value("xabc"), Value(2), Value(400.0), Value(""), Value("abc")}};
        for (const auto& row : rows) {
            w->rs->AddNew();
            for (int f = 0; f < row.size(); ++f)
                w->rs->Fields(f).Value(row[f]);
            w->rs->Update();
        }
        for (const char* caption : {"Label", "Athlete", "Distance", "Comments", "Hidden"})
            w->dbgMain->AddColumn(w->rs->fieldInfo(w->dbgMain->ColumnCount()).name, QLatin1String(caption));
        DataGridColumn* athlete = w->dbgMain->Columns(1);
        athlete->Button(true);
        athlete->ValueItems().Add(Value(1), QStringLiteral("Name A"));
        athlete->ValueItems().Add(Value(2), QStringLiteral("Name B"));
        athlete->ValueItems().Translate(true);
        w->dbgMain->Columns(4)->AllowFocus(false);
        w->dbgMain->DataSource(w->rs.get());
    }
    void find(const QString& text, qint32 mode, std::optional<QString> repl = {}, bool current = false,
              const char* match = "Any Part Of Field", qint32 compare = 1)
    {
        clsFindAndReplace().Find_P(w, text, mode, repl, QLatin1String(match), current, compare);
    }
    QString at(int row, const char* field) { return w->rs->valueAt(row, w->rs->FieldIndex(field)).asText(); }
    void toEnd() { w->rs->MoveLast(), w->rs->MoveNext(); }
    // The texts shown since the last call.
    QStringList texts()
    {
        QStringList t;
        for (const auto& b : boxes.shown())
            t << b.text;
        boxes.clear();
        return t;
    }
};

TEST_F(FindTest, MatchModesCompareModesAndColumnRanges)
{
    detailRows();
    struct Case {
        const char* text;
        const char* match;
        qint32 compare;
        int selStart, selEnd, col;  // selStart -2: all columns, -1: the current column only
        int row, column;            // row -1: nothing found
    } cases[] = {
        {"abc", "Any Part Of Field", 1, -2, 0, 0, 0, 3},  // the no-focus column, last, is skipped
        {"ABC", "Any Part Of Field", 0, -2, 0, 0, 1, 3},  // binary: only the upper-case cell
        {"abc", "Whole Field", 1, -2, 0, 0, -1, -1},      // whole field ignores the compare mode
        {"ABC", "Whole Field", 1, -2, 0, 0, 1, 3},
        {"Name B", "Whole Field", 1, -2, 0, 0, 1, 1},    // the drop-down's text, not its id
        {"abc", "Start Of Field", 1, -1, 0, 0, -1, -1},  // "xabc" holds it after its start only
        {"abc", "Any Part Of Field", 1, -1, 0, 0, 3, 0},
        {"abc", "Any Part Of Field", 1, 0, 1, 3, 3, 0},    // selection 0..1
        {"abc", "Any Part Of Field", 1, 4, 2, 0, 0, 3},    // selection 2..4, given backwards
        {"abc", "Any Part Of Field", 1, 4, 4, 0, -1, -1},  // only the no-focus column
        {"", "Any Part Of Field", 1, -1, 0, 3, 0, 3},      // an empty text: nothing to find, nothing moves
        {"abc", "anything else", 1, -2, 0, 0, 0, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.text << " " << c.match << " " << c.selStart);
        w->rs->MoveFirst();
        w->dbgMain->Col(c.col);
        if (c.selStart >= 0) {
            w->dbgMain->SelStartCol(c.selStart);
            w->dbgMain->SelEndCol(c.selEnd);
        }
        find(QLatin1String(c.text), 1, {}, c.selStart != -2, c.match, c.compare);
        EXPECT_EQ(w->dbgMain->SelStartCol(), -1);
        const bool empty = !*c.text;
        const QString expected = empty ? NothingToFind
            : c.row < 0                ? NoRecords
                                       : "\"" + QLatin1String(c.text)
                + "\" is found in the currently selected row in column: " + w->dbgMain->Columns(c.column)->Caption();
        EXPECT_EQ(texts(), QStringList{expected});
        EXPECT_EQ(w->dbgMain->Row(), empty ? 0 : std::max(c.row, 0));
        if (c.row >= 0) {
            EXPECT_EQ(w->dbgMain->Col(), c.column);
        }
    }
}

TEST_F(FindTest, FindNextWalksOnSkipsNullsAndStartsAgainAtTheFirstRow)
{
    detailRows();
    w->dbgMain->Col(1);
    for (int row : {0, 1, 3}) {  // the Null athlete of row 2 never matches
        find("Name", row ? 2 : 1, {}, true);
        EXPECT_EQ(w->dbgMain->Row(), row);
    }
    find("Name", 2, {}, true);  // from the last row
    EXPECT_EQ(w->rs->AbsolutePosition(), 1);
    toEnd();
    find("abc", 2);  // already past the end: no error
    toEnd();
    find("abc", 1, {}, true);  // no current column
    w->rs->Filter(QStringLiteral("sLabel = 'none'"));
    find("abc", 1);  // an empty list
    EXPECT_EQ(texts().mid(3), (QStringList{NoFurther, NoFurther, NoRecords, NoRecords}));
}

TEST_F(FindTest, ReplaceAsksPerCellAndReplacesEveryOccurrence)
{
    detailRows();
    boxes.answer(Yes);
    find("abc", 1, QStringLiteral("xy"));
    EXPECT_EQ(boxes.shown()[0].style, 35);
    EXPECT_EQ(boxes.shown()[0].title, QStringLiteral("Splitwerk"));
    EXPECT_EQ(texts(), (QStringList{"Replace 'abc' with 'xy' in the current row for column: Comments?", NoFurther}));
    EXPECT_EQ(at(0, "sComments"), "xy xy xy");
    EXPECT_EQ(w->rs->AbsolutePosition(), 1);
    EXPECT_EQ(w->rs->EditMode(), Recordset::EditNone);

    // Replace all over the two cells still matching: Yes, then No; it ends past the last row.
    boxes.answer(Yes);
    boxes.answer(MessageBoxStyle::ResNo);
    find("ABC", 0, QStringLiteral("Q"));
    EXPECT_EQ(texts().size(), 3);
    EXPECT_EQ(at(1, "sComments") + at(3, "sLabel"), "Qxabc");
    EXPECT_TRUE(w->rs->IsEOF());

    boxes.answer(MessageBoxStyle::ResCancel);
    find("Q", 0, QStringLiteral("R"));
    EXPECT_EQ(texts().size(), 2);
    EXPECT_EQ(at(1, "sComments"), "Q");

    find("", 1, QStringLiteral("R"));  // an empty find text asks nothing and changes nothing
    EXPECT_EQ(texts(), QStringList{NothingToFind});
}

TEST_F(FindTest, DropDownAndTypedColumnsTakeOnlyWhatTheyCanHold)
{
    detailRows();
    const QString dropDownOnly = QStringLiteral(
        "You may only replace a value from a drop-down box with a different value from the same drop-down");
    struct Case {
        const char *find, *repl;
        int column;
        const char *field, *expected;
        QString refusal;
    } cases[] = {
        {"Name A", "Name B", 1, "lRosterId", "2", {}},
        {"Name B", "name a", 1, "lRosterId", "2", dropDownOnly},  // exact case only
        {"100", "125", 2, "dDistance", "125", {}},
        {"125", "12x", 2, "dDistance", "125", QStringLiteral("'12x' is not a valid value for column: Distance")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.repl);
        boxes.answer(Yes);
        w->rs->MoveFirst();
        w->dbgMain->Col(c.column);
        find(QLatin1String(c.find), 1, QLatin1String(c.repl), true);
        EXPECT_EQ(at(0, c.field), c.expected);
        const QStringList shown = texts();
        EXPECT_EQ(shown.mid(1), c.refusal.isEmpty() ? QStringList{NoFurther} : (QStringList{c.refusal, NoFurther}));
    }
}

TEST_F(FindTest, ReplaceAllWalksTheRowsItStartedWithThoughTheListReSorts)
{
    detailRows();
    // Each stored row re-sorts the list: a replaced comment moves down, past
    // rows not yet visited, where a walk by position would meet it again.
    QObject::connect(w->dbgMain, &DataGrid::AfterUpdate, w, [&] { w->rs->Sort(QStringLiteral("sComments")); });
    for (int i = 0; i < 6; ++i)
        boxes.answer(Yes);
    find("abc", 0, QStringLiteral("zabc"));
    EXPECT_EQ(texts().size(), 4);  // three cells, each once, and the closing message
    w->rs->Sort(QString());
    EXPECT_EQ(at(0, "sComments") + at(3, "sLabel"), "zabc zabc zabcxzabc");
}

TEST_F(FindTest, ConfirmedReplacementsAreInTheDatabaseAndARefusedOneLeavesTheStoredValue)
{
    ASSERT_TRUE(folder.execSql("INSERT INTO tblRoster (lRosterID, sLastName, sFirstName) VALUES "
                               "(10, 'Miller', 'Anna'), (11, 'Miller', 'Ben');"
                               "CREATE TRIGGER noBad BEFORE UPDATE ON tblRoster WHEN NEW.sLastName = 'Bad' "
                               "BEGIN SELECT RAISE(ABORT, 'refused'); END;"));
    clsAdoConnectJet* db = app->DatabaseAdo_Po();
    const QString sql = QStringLiteral("SELECT lRosterID, sLastName, sFirstName FROM tblRoster WHERE fSysLock = 0");
    db->SQLOpenRecordset_pl(w->rs, sql, clsAdoConnectJet::adOpenStatic, clsAdoConnectJet::adLockOptimistic);
    w->dbgMain->DataSource(w->rs.get());
    boxes.answer(Yes);
    boxes.answer(Yes);
    find("mill", 0, QStringLiteral("Mühl"));
    Recordset stored;
    EXPECT_EQ(db->SQLOpenRecordset_pl(stored, sql + " AND sLastName = 'Mühler'"), 2);

    boxes.answer(Yes);
    try {
        find("Mühler", 1, QStringLiteral("Bad"));
        ADD_FAILURE() << "the refusal was not passed on";
    } catch (const AppError& e) {
        EXPECT_EQ(e.source(), "clsFindAndReplace.Find_p");
    }
    EXPECT_EQ(w->rs->EditMode(), Recordset::EditNone);
    EXPECT_EQ(at(0, "sLastName"), "Mühler");
}

// ---- the window ------------------------------------------------------------

// Notes each call with the status text and the window's visibility, into the
// test's list (which outlives the engine); throws when told to.
struct RecordingEngine : clsFindAndReplace {
    RecordingEngine(QStringList& c, bool& f) : calls(c), fail(f) {}
    QStringList& calls;
    bool& fail;
    void Find_P(QWidget* form, const QString& find, qint32 mode, const std::optional<QString>& repl,
                const QString& match, bool current, qint32 compare) override
    {
        mdiMain* main = mdiMain::instance();
        calls << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9")
                     .arg(form->objectName(), find)
                     .arg(mode)
                     .arg(repl.value_or("-"), match)
                     .arg(int(current))
                     .arg(compare)
                     .arg(main->StatusText())
                     .arg(main->findChild<frmFind*>()->isVisible() ? "shown" : "hidden");
        if (fail)
            throw AppError(13, QStringLiteral("Type mismatch"));
    }
};

struct FindWindowTest : FindTest {
    frmFind* f = nullptr;
    QStringList calls;
    bool fail = false;

    void SetUp() override
    {
        FindTest::SetUp();
        openMain();
        WindowKinds::registerAll();
        show(w);
    }
    // Opens a find window from the Edit menu, with a recording engine.
    void open(const char* item)
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // a find window closed before
        enableAll();
        click(item);
        ASSERT_NE(f = main->findChild<frmFind*>(), nullptr);
        f->engine(std::make_unique<RecordingEngine>(calls, fail));
    }
    template <class W = QPushButton>
    W* control(const char* name)
    {
        return f->findChild<W*>(QLatin1String(name));
    }
    void press(const char* button) { control(button)->click(); }
};

TEST_F(FindWindowTest, StylesFlagsRefreshesAndTheStatusText)
{
    open("mnuEditFind");
    EXPECT_EQ(f->FormToSearch(), w);
    EXPECT_TRUE(f->isVisible() && (f->windowFlags() & Qt::WindowStaysOnTopHint));
    EXPECT_EQ(f->windowTitle() + control("cmdReplace")->text(), "Find&Replace..");
    EXPECT_FALSE(control("cmdReplaceAll")->isEnabled() || control<QLineEdit>("txtReplaceWith")->isEnabled());
    press("cmdReplace");  // the first click only turns it into the replace style
    EXPECT_TRUE(calls.isEmpty());
    EXPECT_EQ(control("cmdReplace")->text(), "&Replace");
    EXPECT_TRUE(control("cmdReplaceAll")->isEnabled() && control<QLineEdit>("txtReplaceWith")->isEnabled());
    control<QLineEdit>("txtFindWhat")->setText("a");
    control<QLineEdit>("txtReplaceWith")->setText("b");
    press("cmdReplace");
    control<QCheckBox>("chkMatchCase")->setChecked(true);
    control<QCheckBox>("chkSearchCurrentField")->setChecked(true);
    press("cmdFindFirst");
    press("cmdFindNext");
    EXPECT_EQ(w->refreshes, 1);
    control<QCheckBox>("chkMatchCase")->setChecked(false);
    press("cmdReplaceAll");
    EXPECT_EQ(w->refreshes, 2);
    EXPECT_EQ(calls,
              (QStringList{"frmSegmentDetail a 1 b Any Part Of Field 0 1 Searching hidden",
                           "frmSegmentDetail a 1 - Any Part Of Field 1 0 Searching hidden",
                           "frmSegmentDetail a 2 - Any Part Of Field 1 0 Searching hidden",
                           "frmSegmentDetail a 0 b Any Part Of Field 1 1 Searching hidden"}));
    EXPECT_EQ(main->StatusText(), "");

    // A failing engine: reported once, the status cleared, the window back, no refresh.
    fail = true;
    press("cmdReplaceAll");
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_EQ(main->StatusText(), "");
    EXPECT_TRUE(f->isVisible());
    EXPECT_EQ(w->refreshes, 2);

    // Rows held in memory (a segment's) are stored by their window's save,
    // which refreshes the others: a replacement asks nobody to requery.
    fail = false;
    detailRows();
    press("cmdReplace");
    press("cmdReplaceAll");
    EXPECT_EQ(w->refreshes, 2);

    f->close();
    open("mnuEditReplace");
    EXPECT_EQ(control("cmdReplace")->text(), "&Replace");
}

TEST_F(FindWindowTest, UnloadAppliesTheNoChildRowThenTheSearchedWindowsRow)
{
    open("mnuEditFind");
    // A tool window counts as active with its parent: wait for the real focus.
    QSignalSpy focus(qApp, &QGuiApplication::focusWindowChanged);
    f->activateWindow();
    ASSERT_TRUE(QGuiApplication::focusWindow() == f->windowHandle() || focus.wait(2000));
    EXPECT_FALSE(item("mnuEditFind")->isEnabled() || item("mnuFileImport")->isEnabled());
    EXPECT_TRUE(item("mnuViewRoster")->isEnabled());
    // Back in the main window, the searched window's row stands again.
    w->activations.clear();
    main->activateWindow();
    ASSERT_TRUE(QGuiApplication::focusWindow() == main->windowHandle() || focus.wait(2000));
    EXPECT_EQ(w->activations.size(), 1);
    w->activations.clear();
    f->close();
    EXPECT_EQ(w->activations, QList<bool>{true});

    // With the searched window gone, a command closes the find window.
    open("mnuEditFind");
    QPointer<frmFind> guard(f);
    delete w.data();
    press("cmdFindFirst");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(calls.isEmpty() && guard.isNull());
}

// The real find window over the real category window. A real window system
// activates late: the main window's activation (the find window hid itself)
// arrives inside the next question or message box, and again once the find
// window shows itself. Each is played here where it would arrive.
struct FindInCategories : ShellTest {
    RecordWindow* w = nullptr;
    frmFind* f = nullptr;

    void SetUp() override
    {
        ShellTest::SetUp();
        ASSERT_TRUE(
            folder.execSql("INSERT INTO tblCategory (lCategoryID, sCategory) VALUES (3, 'Alpha'), "
                           "(4, 'alphabet'), (5, 'Beta alpha'), (6, 'ALPHA'), (7, 'Gamma'), (8, 'Delta alpha');"));
        openMain();
        WindowKinds::registerAll();
        click("mnuViewSegCategory");
        ASSERT_NE(w = qobject_cast<RecordWindow*>(main->ActiveForm_mo()), nullptr);
        enableAll();
        click("mnuEditFind");
        ASSERT_NE(f = main->findChild<frmFind*>(), nullptr);
        f->findChild<QLineEdit*>(QStringLiteral("txtFindWhat"))->setText(QStringLiteral("alpha"));
        boxes.whileShown([this] { lateActivation(); });
    }
    void lateActivation()
    {
        f->Form_Activate();  // the find window had the activation
        QEvent activation(QEvent::ActivationChange);
        QCoreApplication::sendEvent(main.get(), &activation);
    }
    void press(const char* button)
    {
        f->findChild<QPushButton*>(QLatin1String(button))->click();
        lateActivation();
    }
    QString current() const { return w->DataSource_Po()->Fields(1).Value().asText(); }
};

TEST_F(FindInCategories, TheFoundRowStaysCurrentAndFindNextStepsToTheEnd)
{
    ASSERT_TRUE(main->isActiveWindow());
    QStringList found;
    press("cmdFindFirst");
    found << current();
    for (int i = 0; i < 5; ++i) {
        press("cmdFindNext");
        found << current();
        EXPECT_EQ(w->dbgMain->Row(), w->DataSource_Po()->currentViewRow());
    }
    EXPECT_EQ(found.mid(0, 5), (QStringList{"Alpha", "alphabet", "Beta alpha", "ALPHA", "Delta alpha"}));
    EXPECT_EQ(boxes.last().text, NoFurther);
    EXPECT_EQ(w->dbgMain->Columns(w->dbgMain->Col())->Caption(), "Category");

    // Closing the find window leaves the list where the search left it.
    press("cmdFindFirst");
    press("cmdFindNext");
    f->close();
    lateActivation();
    EXPECT_EQ(current(), "alphabet");
}

}  // namespace

#include "test_FindAndReplace.moc"
