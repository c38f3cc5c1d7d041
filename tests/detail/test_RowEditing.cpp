#include "DetailFixture.h"
#include "HeaderFixture.h"
#include "PdfText.h"
#include "PinnedLocale.h"

#include "app/clsLibrary.h"
#include "detail/clsDetailGridCommands.h"
#include "detail/clsDetailRowEditor.h"
#include "platform/ComboBox.h"
#include "platform/DataGridDelegate.h"
#include "platform/DataGridPrint.h"
#include "platform/DatePicker.h"
#include "search/frmSegmentList.h"
#include "shell/mdiMain.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDateTimeEdit>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using Col = clsSegmentRows::Column;
using Editor = clsDetailRowEditor;

TEST(DetailRowChecks, CellChecksAndTypedValues)
{
    const PinnedLocale c;  // types C's forms ("12.5", "1,000" is no number)
    const struct {
        int column;
        const char *typed, *label;
        qint32 refusedBy;
    } checks[] = {{Col::colLabel, "t12", "", 0},
                  {Col::colLabel, "X001", "", 590},
                  {Col::colLabel, "T", "", 590},
                  {Col::colLabel, "R", "", 590},
                  {Col::colLabel, "T1A", "", 590},
                  {Col::colLabel, "T1.5", "", 590},
                  {Col::colRateDisplay, "2.5", "T001", 4170},
                  {Col::colRateDisplay, "", "T001", 0},
                  {Col::colRateDisplay, "30", "r004", 0},
                  {Col::colRateDisplay, "fast", "R004", 610},
                  {Col::colCumTimeDisplay, "9999", "", 0},
                  {Col::colCumTimeDisplay, "1,000", "", 605},
                  {Col::colCumTimeDisplay, "00:04'30.00", "", 0},  // as the cell shows a time
                  {Col::colCumTimeDisplay, "00:04'3", "", 605},
                  // A number out of range says the range, never "not numeric".
                  {Col::colRateDisplay, "1e-310", "R004", 611},
                  {Col::colRateDisplay, "-1", "R004", 611},
                  {Col::colRateDisplay, "1e999", "R004", 611},
                  {Col::colRateDisplay, "0", "R004", 0},
                  {Col::colRateDisplay, "1000", "R004", 0},
                  {Col::colCumTimeDisplay, "-5", "", 606},
                  {Col::colCumTimeDisplay, "1e308", "", 606},
                  {Col::colCumTimeDisplay, "3000000000", "", 606},
                  {Col::colCumTimeDisplay, "995959.99", "", 0},
                  {Col::colCumTimeDisplay, "1000000", "", 606},
                  {Col::colDistance, "1e999", "", 601},
                  {Col::colDistance, "-5", "", 601},
                  {Col::colDistance, "x", "", 600},
                  {Col::colDistance, " 12.5 ", "", 0}};
    for (const auto& c : checks) {
        QString text = QString::fromLatin1(c.typed);
        EXPECT_EQ(Editor::CheckCell_pl(c.column, text, QString::fromLatin1(c.label)), c.refusedBy) << c.typed;
    }
    QString label = QStringLiteral(" r005 ");
    Editor::CheckCell_pl(Col::colLabel, label, {});
    EXPECT_EQ(label, "R005");

    const std::pair<double, double> times[] = {{9999, 6039}, {12345.67, 5025.67}, {120, 80}, {0.005, 0.01}};
    for (const auto& [typed, seconds] : times)
        EXPECT_EQ(Editor::SecondsFromTyped_pd(typed), std::optional<double>(seconds)) << typed;
    EXPECT_FALSE(Editor::SecondsFromTyped_pd(-5));
    const Editor::RateUnit spm{2, 60.0}, spc{1, 1.0};
    EXPECT_EQ(Editor::RateFromTyped_pd("30", spm), 2.0);
    EXPECT_EQ(Editor::RateFromTyped_pd("", spm), 0.0);
    EXPECT_EQ(Editor::RateFromTyped_pd("0", spm), 0.0);  // no division by zero
    EXPECT_EQ(Editor::RateFromTyped_pd("2.5", spc), 2.5);
}

// A typed number is read one way in each locale: the check takes what the
// store stores, and a text the check refuses is stored as nothing else. A
// time is also typed as its cell shows it, or the tail of that.
TEST(DetailRowChecks, OneReadingOfATypedNumberInEachLocale)
{
    const int dist = Col::colDistance, rate = Col::colRateDisplay, cum = Col::colCumTimeDisplay;
    const struct {
        const char* locale;
        int column;
        const char* typed;
        qint32 refusedBy;
        double stored;  // dDistance, dRate or dCumTime, when taken
    } cases[] = {
        {"C", dist, "25.5", 0, 25.5},
        {"C", dist, "25,5", 600, 0},
        {"en_US", dist, "25.500", 0, 25.5},
        {"en_US", dist, "1,000", 600, 0},
        {"en_US", cum, "05'20.50", 0, 320.5},
        {"en_GB", rate, "25,5", 610, 0},
        {"en_GB", cum, "03'50", 0, 230},
        {"de_DE", dist, "25.500", 600, 0},  // the group sign: never 25.5 checked and 25500 stored
        {"de_DE", dist, "25.5", 600, 0},
        {"de_DE", dist, "25,5", 0, 25.5},
        {"de_DE", dist, "1e999", 601, 0},
        {"de_DE", rate, "25.500", 610, 0},
        {"de_DE", rate, "25,5", 0, 25.5},
        {"de_DE", rate, "1000,5", 611, 0},
        {"de_DE", cum, "25.500", 605, 0},
        {"de_DE", cum, "12345,67", 0, 5025.67},
        {"de_DE", cum, "05'20,50", 0, 320.5},
        {"de_DE", cum, "05'20.50", 605, 0},
        {"de_DE", cum, "00:05'20,5", 0, 320.5},
        {"de_DE", cum, "1:05'20", 0, 3920},
        {"de_DE", cum, "100:00'00", 606, 0},
        {"de_DE", cum, "05'2", 605, 0},
        {"de_DE", cum, "05'20e1", 605, 0},
        {"fr_FR", dist, "25,5", 0, 25.5},
        {"fr_FR", dist, "25.5", 0, 25.5},
        {"fr_FR", cum, "05'20,50", 0, 320.5},
        {"es_ES", dist, "1.000", 600, 0},
        {"es_ES", rate, "0,1", 0, 0.1},
        {"es_ES", cum, "03'50", 0, 230},
        {"ja_JP", dist, "25,5", 600, 0},
        {"ja_JP", cum, "05'20.50", 0, 320.5},
        {"ja_JP", cum, "05'20,50", 605, 0},
        {"hu_HU", dist, "1\u00a0000", 600, 0},
        {"hu_HU", dist, "25,5", 0, 25.5},
        {"hu_HU", cum, "59'59,99", 0, 3599.99},
    };
    QList<FieldInfo> fields;
    for (const QString& name : clsSegmentRows::ColumnNames())
        fields << FieldInfo(name,
                            name.startsWith('d') && !name.endsWith("Display") ? FieldInfo::DataType::Double
                                                                              : FieldInfo::DataType::Variant);
    const Editor::RateUnit perCycle{1, 1.0};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.locale) + " " + c.typed);
        const PinnedLocale pinned{QLocale(QString::fromLatin1(c.locale))};
        QString text = QString::fromUtf8(c.typed);
        const qint32 refused = Editor::CheckCell_pl(c.column, text, QStringLiteral("R001"));
        EXPECT_EQ(refused, c.refusedBy);
        if (refused || c.refusedBy)
            continue;
        Recordset rows;
        rows.OpenInMemory(fields);
        rows.AddNew();
        Editor::StoreTyped_p(rows, c.column, Value(text), perCycle);
        rows.Update();
        const int field = c.column == dist ? Col::colDistance : c.column == rate ? Col::colRate : Col::colCumTime;
        EXPECT_DOUBLE_EQ(rows.valueAt(0, field).toDouble(), c.stored);
    }

    // What the cell shows, and its tails, read back as the time they show.
    for (const char* name : {"C", "en_US", "en_GB", "de_DE", "fr_FR", "es_ES", "ja_JP", "hu_HU"}) {
        SCOPED_TRACE(name);
        const PinnedLocale pinned{QLocale(QString::fromLatin1(name))};
        const QString shown = clsLibrary::SecondsToTime(5025.67, QLocale().decimalPoint());
        EXPECT_EQ(Editor::CumSeconds_pd(shown), std::optional(5025.67));
        EXPECT_EQ(Editor::CumSeconds_pd(shown.mid(3)), std::optional(1425.67));
        EXPECT_EQ(Editor::CumSeconds_pd(shown.mid(3, 5)), std::optional(1425.0));
    }

    // The limits a refusal names are written as the locale writes numbers.
    const struct {
        const char* locale;
        qint32 refusal;
        const char* said;
    } refusals[] = {
        {"C", 601, "Distance must be a number from 0 to 1000000"},
        {"en_US", 601, "Distance must be a number from 0 to 1000000"},
        {"de_DE", 611, "Rate must be from 0,1 to 1000 (0 or nothing for no rate)"},
        {"fr_FR", 611, "Rate must be from 0,1 to 1000 (0 or nothing for no rate)"},
        {"ja_JP", 611, "Rate must be from 0.1 to 1000 (0 or nothing for no rate)"},
        {"de_DE", 606,
         "Cum must be a time from 00:00'00,00 to 99:59'59,99\r\nType a time as the cell shows it (01:23'45,67), "
         "without its hours (23'45,67 or 23'45), or as the digits hhmmss,hh: 12345,67 is 01:23'45,67, 120 is "
         "00:01'20,00"},
        {"en_GB", 605,
         "Cum must be numeric\r\nType a time as the cell shows it (01:23'45.67), without its hours (23'45.67 or "
         "23'45), or as the digits hhmmss.hh: 12345.67 is 01:23'45.67, 120 is 00:01'20.00"},
    };
    for (const auto& r : refusals) {
        const PinnedLocale pinned{QLocale(QString::fromLatin1(r.locale))};
        EXPECT_EQ(Editor::CheckText_ps(r.refusal), QString::fromUtf8(r.said)) << r.locale;
    }
}

namespace {
constexpr int Yes = 6, No = 7, Cancel = 2;

class RowEditing : public DetailFixture {
protected:
    void moveTo(const QString& label, int nth = 0)
    {
        for (int r = 0; r < rows().RecordCount(); ++r)
            if (rows().valueAt(r, Col::colLabel).asText() == label && nth-- == 0)
                return rows().setCurrentViewRow(r);
        ADD_FAILURE() << "no row " << label.toStdString();
    }
    // Types into a shown cell as the user does: open the editor, type, commit.
    void type(const QString& label, int column, const QString& text)
    {
        moveTo(label);
        window->dbgMain->Col(column);
        window->dbgMain->EditActive(true);
        lineEditOfCellEditor(window->dbgMain->cellEditor())->setText(text);
        window->dbgMain->EditActive(false);
    }
    void select(const QString& label, int nth = 0)
    {
        moveTo(label, nth);
        window->dbgMain->SelBookmarks().Add(window->dbgMain->Bookmark());
    }
    QStringList labels() { return stored(rows(), {Col::colLabel}); }
    static QStringList stored(const Recordset& rs, const QList<int>& columns)
    {
        QStringList all;
        for (int r = 0; r < rs.RecordCount(); ++r) {
            QStringList row;
            for (int c : columns)
                row << rs.valueAt(r, c).asText();
            all << row.join('|');
        }
        return all;
    }
};
}  // namespace

TEST_F(RowEditing, TypedAddedAndDeletedRowsAreSavedAsTheGridShowedThem)
{
    const PinnedLocale c;  // types and expects C's forms ("00:02'00.00", "2.5")
    frmSegmentDetail& w = open(1);
    moveTo("T000");  // stored as the find engine stores a replacement
    rows().Fields(Col::colComments).Value(Value("x"));
    w.dbgMain->Update();
    EXPECT_TRUE(w.Dirty_pf());
    w.Dirty_pf(false);

    type("T001", Col::colCumTimeDisplay, "00:02'00.00");  // committed unchanged: no edit
    type("T001", Col::colRateDisplay, "2.5");
    type("T001", Col::colCumTimeDisplay, "-12345");
    QCoreApplication::processEvents();  // a refusal is told once its commit has returned
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_EQ(boxes.shown()[0].text, "You may only enter rates for rate rows");
    EXPECT_EQ(boxes.shown()[0].style, 64);
    EXPECT_EQ(boxes.shown()[1].text,
              "Cum must be a time from 00:00'00.00 to 99:59'59.99\r\nType a time as the cell shows it (01:23'45.67), "
              "without its hours (23'45.67 or 23'45), or as the digits hhmmss.hh: 12345.67 is 01:23'45.67, 120 is "
              "00:01'20.00");
    EXPECT_FALSE(w.Dirty_pf());

    type("T001", Col::colDistance, "480");
    EXPECT_EQ(text("T001", Col::colSpeed), "4");
    type("R002", Col::colRateDisplay, "2.25");
    type("T002", Col::colLabel, "t12");
    w.cmdAddRate->click();
    type("R003", Col::colRateDisplay, "1.9");
    w.cmdAddTime->click();
    type("T013", Col::colCumTimeDisplay, "500");          // numbered on from T12
    EXPECT_EQ(text("T013", Col::colLap), "00:00'50.00");  // 300 s after T12's 250 s
    type("T013", Col::colComments, "finish");
    type("T013", Col::colLabel, "T999");
    w.cmdAddTime->click();
    w.cmdAddTime->click();
    EXPECT_EQ(labels().mid(4), (QStringList{"T12", "R003", "T999", "T1000", "T1001"}));
    EXPECT_TRUE(cell("T1001", Col::colLap).isNull());  // added rows wait for the next recalculation
    type("T1001", Col::colLabel, "T1000");             // two rows not saved yet, one label

    moveTo("T001");
    rows().Fields(Col::colDistance).Value(Value(600.0));
    rows().Update();
    select("T1000", 1);
    boxes.answer(No);
    w.deleteRows_p();
    EXPECT_EQ(boxes.last().text, "delete the following records?\r\n\r\nT1000");
    EXPECT_EQ(boxes.last().style, 292);
    EXPECT_EQ(rows().RecordCount(), 9);
    EXPECT_EQ(text("T001", Col::colSpeed), "5");  // recalculated all the same
    EXPECT_EQ(w.dbgMain->SelBookmarks().Count(), 1);
    boxes.answer(Yes);
    w.deleteRows_p();
    select("R001");
    boxes.answer(Yes);
    w.deleteRows_p();
    w.cmdSave->click();
    EXPECT_EQ(boxes.count(), 5);

    rows().Sort(QStringLiteral("lOrdinalPosition"));
    const QStringList grid = stored(rows(),
                                    {Col::colOrdinalPosition, Col::colLabel, Col::colCumTime, Col::colRate,
                                     Col::colDistance, Col::colRosterId, Col::colComments});
    Recordset saved;
    saved.Open(db(),
               QStringLiteral("SELECT lOrdinalPosition, sSegmentDetailLabel, dCumTime, dRate, dDistance, "
                              "lRosterId, sComments FROM tblSegmentDetail WHERE lSegmentID = 1 "
                              "ORDER BY lOrdinalPosition"));
    EXPECT_EQ(stored(saved, {0, 1, 2, 3, 4, 5, 6}), grid);
    EXPECT_EQ(grid,
              (QStringList{"0|T000|0|0|0|1|x", "2|T001|120|0|600|1|start", "3|R002|180|2.25||2|", "4|T12|250|0|1000|2|",
                           "5|R003||1.9||1|", "6|T999|300|0||1|finish", "7|T1000||0||1|"}));
    EXPECT_FALSE(w.Dirty_pf());
}

TEST_F(RowEditing, SortSelectAllFillDownAndClear)
{
    const PinnedLocale c;  // expects C's forms ("00:02'00.00", "4.17")
    db().Execute(QStringLiteral("INSERT INTO tblRoster (lRosterID, sLastName, sFirstName) VALUES (3, 'Berg', 'Ana')"));
    frmSegmentDetail& w = open(1);
    moveTo("T002");
    rows().Fields(Col::colDistance).Value(Value(2000.0));
    w.SetSpeedType_p(1);  // recalculates: T001 4.17, T002 15.38 m/s
    emit w.dbgMain->HeadClick(Col::colSpeed);
    w.SetOrder_P("ASC");
    EXPECT_EQ(labels(), (QStringList{"T000", "T001", "T002", "R001", "R002"}));  // by number, empty last
    w.SetOrder_P("DESC");
    EXPECT_EQ(labels(), (QStringList{"T002", "T001", "T000", "R001", "R002"}));
    EXPECT_EQ(text("T002", Col::colLap), "00:02'10.00");  // no recalculation off the time columns
    emit w.dbgMain->HeadClick(Col::colLabel);
    w.SetOrder_P("DESC");
    EXPECT_EQ(labels(), (QStringList{"T002", "R002", "T001", "R001", "T000"}));  // entry order
    emit w.dbgMain->HeadClick(Col::colCumTimeDisplay);
    w.SetOrder_P("DESC");
    EXPECT_EQ(text("T001", Col::colLap), "00:00'00.00");  // measured from the row above
    w.SetOrder_P("ASC");
    w.SelectAllRows_p();
    EXPECT_EQ(w.dbgMain->SelBookmarks().list(),
              (std::vector<qint32>{rows().bookmarkAt(0), rows().bookmarkAt(1), rows().bookmarkAt(2),
                                   rows().bookmarkAt(3), rows().bookmarkAt(4)}));
    w.dbgMain->SelBookmarks().Clear();

    w.Dirty_pf(false);
    QSignalSpy athletes(w.rowEditor(), &clsDetailRowEditor::AthletesChanged);
    w.SetGridColumns_p(Col::colComments, false);
    for (int column : {int(Col::colLap), int(Col::colComments)}) {
        w.dbgMain->Col(column);
        EXPECT_FALSE(w.FillDown_pf()) << column;
    }
    EXPECT_FALSE(w.Dirty_pf());
    moveTo("R001");
    rows().Fields(Col::colRosterId).Value(Value(3));
    rows().Update();
    w.dbgMain->Col(Col::colRosterId);
    EXPECT_TRUE(w.FillDown_pf());
    EXPECT_EQ(stored(rows(), {Col::colRosterId}), (QStringList{"1", "3", "3", "3", "3"}));
    EXPECT_EQ(athletes.count(), 1);
    EXPECT_TRUE(w.Dirty_pf());
    moveTo("T001");
    w.dbgMain->Col(Col::colCumTimeDisplay);
    EXPECT_TRUE(w.FillDown_pf());  // the stored seconds go down with the shown time
    EXPECT_EQ(cell("T002", Col::colCumTime).toDouble(), 120.0);
    EXPECT_EQ(text("T002", Col::colLap), "00:00'00.00");

    // A block over label to time: labels and rates stay, times become 0.
    w.dbgMain->SelStartCol(Col::colLabel);
    w.dbgMain->SelEndCol(Col::colCumTimeDisplay);
    boxes.answer(Cancel);
    w.ClearSelection_p();
    EXPECT_EQ(cell("T002", Col::colCumTime).toDouble(), 120.0);
    boxes.answer(Yes);
    w.ClearSelection_p();
    EXPECT_EQ(boxes.last().text, "Clear currently selected grid elements?");
    EXPECT_EQ(boxes.last().style, 35);
    EXPECT_EQ(labels(), (QStringList{"T000", "R001", "T001", "R002", "T002"}));
    EXPECT_EQ(cell("T002", Col::colCumTime).toDouble(), 0.0);
    EXPECT_EQ(cell("R002", Col::colRate).toDouble(), 2.5);
    // Selected rows: the current column emptied as typed; an athlete becomes athlete 1.
    w.dbgMain->ClearSelCols();
    select("R001");
    select("R002");
    for (int column : {int(Col::colRateDisplay), int(Col::colRosterId)}) {
        w.dbgMain->Col(column);
        boxes.answer(Yes);
        w.ClearSelection_p();
    }
    EXPECT_EQ(stored(rows(), {Col::colRate, Col::colRateDisplay, Col::colRosterId}).mid(1, 3),
              (QStringList{"0|0|1", "0||3", "0|0|1"}));

    // Everything shown goes; the athlete filter stays.
    rows().Filter(QStringLiteral("lRosterId = 1"));
    w.SelectAllRows_p();
    boxes.answer(Yes);
    w.deleteRows_p();
    EXPECT_EQ(rows().RecordCount(), 0);
    EXPECT_EQ(rows().Filter(), "lRosterId = 1");
    w.deleteRows_p();
    EXPECT_EQ(boxes.last().text, "No Record Selected");
}

// Hundreds of rows would fill the screen and hide the box's buttons.
TEST_F(RowEditing, DeleteOfManyRowsNamesTheFirstTenAndHowManyMoreAndListsEveryOneInTheDetails)
{
    frmSegmentDetail& w = open(1);
    for (int i = 0; i < 295; ++i)
        w.cmdAddTime->click();
    w.SelectAllRows_p();
    boxes.answer(No);
    w.deleteRows_p();
    ASSERT_EQ(boxes.count(), 1);
    const QStringList every = labels();
    ASSERT_EQ(every.size(), 300);
    EXPECT_EQ(boxes.last().text,
              "delete the following records?\r\n\r\nT000\r\nR001\r\nT001\r\nR002\r\nT002\r\nT003\r\n"
              "T004\r\nT005\r\nT006\r\nT007\r\nand 290 more");
    EXPECT_EQ(boxes.last().details, every.join("\r\n"));
    EXPECT_EQ(rows().RecordCount(), 300);
}

TEST_F(RowEditing, TabStoresTheCellAndGoesOnAlongTheRowEnterStaysEscapeTakesItBack)
{
    const PinnedLocale c;  // types and expects C's forms ("00:02'00.00", "2.5")
    frmSegmentDetail& w = open(1);
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    const struct {
        const char* label;
        int column;
        const char* typed;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* thenRow;
        int thenColumn;
        const char* stored;    // the cell's text afterwards
        bool refused = false;  // the editor stays open on the typed text
    } steps[] = {
        // 1 min 30 s, and on to the next column that takes typing (Lap is worked out).
        {"T001", Col::colCumTimeDisplay, "130", Qt::Key_Tab, none, "T001", Col::colRateDisplay, "00:01'30.00"},
        {"T001", Col::colRateDisplay, "", Qt::Key_Backtab, Qt::ShiftModifier, "T001", Col::colCumTimeDisplay, ""},
        {"T001", Col::colComments, "wind", Qt::Key_Tab, none, "R002", Col::colLabel, "wind"},
        {"R002", Col::colLabel, "R002", Qt::Key_Backtab, Qt::ShiftModifier, "T001", Col::colComments, "R002"},
        {"T001", Col::colDistance, "x", Qt::Key_Tab, none, "T001", Col::colDistance, "500", true},
        {"T001", Col::colDistance, "480", Qt::Key_Return, none, "T001", Col::colDistance, "480"},
        {"T001", Col::colDistance, "900", Qt::Key_Escape, none, "T001", Col::colDistance, "480"},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(std::string(s.typed) + " in " + s.label);
        moveTo(s.label);
        w.dbgMain->Col(s.column);
        w.dbgMain->EditActive(true);
        QWidget* editor = w.dbgMain->cellEditor();
        ASSERT_NE(editor, nullptr);
        lineEditOfCellEditor(editor)->setText(QString::fromLatin1(s.typed));
        QTest::keyClick(editor, s.key, s.modifiers);
        QCoreApplication::processEvents();  // Enter stores once the editor had the key
        EXPECT_EQ(w.dbgMain->EditActive(), s.refused);
        EXPECT_EQ(rows().valueAt(rows().currentViewRow(), Col::colLabel).asText(), s.thenRow);
        EXPECT_EQ(w.dbgMain->Col(), s.thenColumn);
        if (*s.stored) {
            EXPECT_EQ(text(s.label, s.column), s.stored);
        }
    }
    ASSERT_EQ(boxes.count(), 1);  // for the refused distance
    EXPECT_TRUE(boxes.last().text.contains("Distance"));
}

namespace {
// Collects the Qt warnings given while it lives.
class QtWarnings {
public:
    QtWarnings()
    {
        s_seen.clear();
        s_previous = qInstallMessageHandler(&collect);
    }
    ~QtWarnings() { qInstallMessageHandler(s_previous); }
    const QStringList& seen() const { return s_seen; }

private:
    static void collect(QtMsgType type, const QMessageLogContext& context, const QString& text)
    {
        if (type == QtWarningMsg)
            s_seen << text;
        s_previous(type, context, text);
    }
    static inline QStringList s_seen;
    static inline QtMessageHandler s_previous = nullptr;
};

// Opens the current row's rate cell and types a text no rate is, the editor
// keeping the focus; null when no editor opened.
QLineEdit* typeNoRate(DataGrid* grid)
{
    grid->Col(Col::colRateDisplay);
    grid->EditActive(true);
    QLineEdit* editor = lineEditOfCellEditor(grid->cellEditor());
    if (editor) {
        editor->setFocus();
        editor->setText(QStringLiteral("First1"));
    }
    return editor;
}
}  // namespace

// However the user leaves a cell whose text is refused, the box comes once,
// after the commit, while the editor stays open on the text to be put right.
TEST_F(RowEditing, ARefusedCellIsToldAfterItsCommitAndKeepsItsEditor)
{
    frmSegmentDetail& w = open(1);
    DataGrid* grid = w.dbgMain;
    auto* bar = new QMenuBar(&w);
    bar->addMenu(QStringLiteral("View"));
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    moveTo("T002");
    const QPoint otherCell =
        grid->visualRect(grid->model()->index(rows().currentViewRow(), Col::colCumTimeDisplay)).center();

    // A real box is a window of its own: it takes the focus while it is up.
    bool leaving = false, toldWhileLeaving = false;
    QWidget stand;
    auto* button = new QPushButton(QStringLiteral("OK"), &stand);
    boxes.whileShown([&] {
        toldWhileLeaving = toldWhileLeaving || leaving;
        stand.show();
        stand.activateWindow();
        button->setFocus();
        QCoreApplication::processEvents();
        stand.hide();
        w.activateWindow();
        QCoreApplication::processEvents();
    });
    const std::pair<const char*, std::function<void(QWidget*)>> ways[] = {
        {"Tab", [](QWidget* editor) { QTest::keyClick(editor, Qt::Key_Tab); }},
        {"Enter", [](QWidget* editor) { QTest::keyClick(editor, Qt::Key_Return); }},
        {"Down", [](QWidget* editor) { QTest::keyClick(editor, Qt::Key_Down); }},
        {"a click on another cell",
         [&](QWidget*) { QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, otherCell); }},
        {"the menu bar", [&](QWidget*) { bar->setFocus(Qt::MenuBarFocusReason); }},
    };
    const QtWarnings warnings;
    for (const auto& [way, leave] : ways) {
        SCOPED_TRACE(way);
        boxes.clear();
        moveTo("R001");
        QLineEdit* editor = typeNoRate(grid);
        ASSERT_NE(editor, nullptr);
        leaving = true;
        leave(editor);
        leaving = false;
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();  // the view's own queued steps, then the box's
        ASSERT_EQ(boxes.count(), 1);
        EXPECT_EQ(boxes.last().text, "Rate must be numeric");
        EXPECT_FALSE(toldWhileLeaving);
        ASSERT_TRUE(grid->EditActive());
        EXPECT_EQ(lineEditOfCellEditor(grid->cellEditor()), editor);
        EXPECT_EQ(editor->text(), "First1");
        EXPECT_EQ(QApplication::focusWidget(), editor);
        EXPECT_EQ(rows().valueAt(rows().currentViewRow(), Col::colLabel).asText(), "R001");
        EXPECT_EQ(grid->Col(), int(Col::colRateDisplay));
        EXPECT_EQ(cell("R001", Col::colRate).toDouble(), 2.0);
        EXPECT_FALSE(w.Dirty_pf());
        QTest::keyClick(editor, Qt::Key_Escape);  // taken back
        EXPECT_FALSE(grid->EditActive());
    }
    EXPECT_EQ(warnings.seen().filter("closeEditor"), QStringList());

    // Put right, it is stored once and the grid goes on.
    QSignalSpy edits(grid, &DataGrid::AfterColEdit);
    moveTo("R001");
    QLineEdit* editor = typeNoRate(grid);
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Tab);
    QCoreApplication::processEvents();
    editor->setText(QStringLiteral("30"));
    QTest::keyClick(editor, Qt::Key_Tab);
    EXPECT_EQ(cell("R001", Col::colRate).toDouble(), 30.0);
    EXPECT_EQ(edits.count(), 1);
    EXPECT_EQ(grid->Col(), int(Col::colDistance));
    EXPECT_TRUE(w.Dirty_pf());
    w.hide();
}

namespace {
using RefusedCellInMain = HeaderFixture;
}  // namespace

// Closing, saving, printing or leaving the window over a refused cell: the
// refusal is said once while the window stands, which keeps the editor on the
// refused text and saves (or prints) nothing. Escape gives the stored value back, and the window
// closes as usual. A typed date that is no date holds the window the same way.
TEST_F(RefusedCellInMain, CloseSaveAndOtherWindowsWaitForARefusedCell)
{
    const auto windowMenuEntry = [this](int number) {
        auto* menu = main->findChild<QMenu*>(QStringLiteral("mnuWindow"));
        emit menu->aboutToShow();
        for (QAction* a : menu->actions())
            if (a->text().startsWith(QStringLiteral("&%1 ").arg(number)))
                return a;
        return static_cast<QAction*>(nullptr);
    };
    const std::pair<const char*, std::function<void(frmSegmentDetail&)>> ways[] = {
        {"Close", [](frmSegmentDetail& w) { QTest::mouseClick(w.cmdClose, Qt::LeftButton); }},
        {"the close box", [](frmSegmentDetail& w) { w.parentWidget()->close(); }},
        {"Save", [](frmSegmentDetail& w) { QTest::mouseClick(w.cmdSave, Qt::LeftButton); }},
        {"Ctrl+Tab", [this](frmSegmentDetail&) { main->mdiArea()->activateNextSubWindow(); }},
        {"the Window menu", [&](frmSegmentDetail&) { windowMenuEntry(2)->trigger(); }},
        {"Ctrl+P", [this](frmSegmentDetail&) { main->findChild<QAction*>(QStringLiteral("mnuFilePrint"))->trigger(); }},
    };
    for (const auto& [way, leave] : ways) {
        SCOPED_TRACE(way);
        QPointer<frmSegmentDetail> w = openInMain(1);
        ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
        auto* other = new frmSegmentDetail;
        main->ShowChild(other);
        ASSERT_TRUE(other->Retrieve_pf(2));
        main->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(w->parentWidget()));
        const QString before = dump();
        boxes.clear();
        w->txtmNotes->setPlainText(QStringLiteral("rough"));  // not to be saved while the cell is refused
        DataGrid* grid = w->dbgMain;
        for (int r = 0; r < rows().RecordCount(); ++r)
            if (rows().valueAt(r, Col::colLabel).asText() == "R001")
                rows().setCurrentViewRow(r);
        QLineEdit* editor = typeNoRate(grid);
        ASSERT_NE(editor, nullptr);

        leave(*w);
        for (int i = 0; i < 3; ++i)
            settle();
        ASSERT_TRUE(w);
        ASSERT_EQ(boxes.count(), 1);
        EXPECT_EQ(boxes.last().text, "Rate must be numeric");
        EXPECT_EQ(main->ActiveForm_mo(), w.data());
        ASSERT_TRUE(grid->EditActive());
        EXPECT_EQ(lineEditOfCellEditor(grid->cellEditor()), editor);
        EXPECT_EQ(editor->text(), "First1");
        EXPECT_EQ(QApplication::focusWidget(), editor);
        EXPECT_EQ(dump(), before);

        QTest::keyClick(editor, Qt::Key_Escape);
        EXPECT_FALSE(grid->EditActive());
        EXPECT_EQ(text("R001", Col::colRateDisplay), "2");
        boxes.answer(No);
        QTest::mouseClick(w->cmdClose, Qt::LeftButton);
        settle();
        EXPECT_FALSE(w);
        EXPECT_EQ(boxes.last().text, "Save Modified Record?");
        EXPECT_EQ(dump(), before);
    }

    // The segment date typed over and not left. A click on a button leaves
    // the field first: its date is given back, and the refusal still comes
    // before anything is saved or closed.
    const auto systemMenuClose = [](frmSegmentDetail& w) {
        for (QAction* a : qobject_cast<QMdiSubWindow*>(w.parentWidget())->systemMenu()->actions())
            if (a->text().remove(QLatin1Char('&')) == QLatin1String("Close"))
                a->trigger();
    };
    const struct {
        const char* way;
        std::function<void(frmSegmentDetail&)> leave;
        bool givenBack;
    } dateWays[] = {
        {"the close box",
         [](frmSegmentDetail& w) {
             w.parentWidget()->setFocus(Qt::MouseFocusReason);  // a click on the frame focuses the window
             w.parentWidget()->close();
         },
         false},
        {"Ctrl+F4",
         [](frmSegmentDetail&) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_F4, Qt::ControlModifier); },
         false},
        {"the window's menu", systemMenuClose, false},
        {"File, Exit", [this](frmSegmentDetail&) { main->close(); }, false},
        {"Alt+S", [this](frmSegmentDetail&) { QTest::keyClick(main->windowHandle(), Qt::Key_S, Qt::AltModifier); },
         false},
        {"Save", [](frmSegmentDetail& w) { QTest::mouseClick(w.cmdSave, Qt::LeftButton); }, true},
        {"Close", [](frmSegmentDetail& w) { QTest::mouseClick(w.cmdClose, Qt::LeftButton); }, true},
    };
    // A real box is a window of its own: the field gets the focus back after it.
    QWidget stand;
    auto* button = new QPushButton(QStringLiteral("OK"), &stand);
    boxes.whileShown([&] {
        stand.show();
        stand.activateWindow();
        button->setFocus();
        QCoreApplication::processEvents();
        stand.hide();
        main->activateWindow();
        QCoreApplication::processEvents();
    });
    for (const auto& [way, leave, givenBack] : dateWays) {
        SCOPED_TRACE(way);
        QPointer<frmSegmentDetail> w = openInMain(1);
        ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
        const QString before = dump();
        const QString shown = w->dtpdtSegmentDate->editWidget()->text();
        boxes.clear();
        w->txtmNotes->setPlainText(QStringLiteral("rough"));  // not to be saved while the date is refused
        QDateTimeEdit* date = w->dtpdtSegmentDate->editWidget();
        auto* field = date->findChild<QLineEdit*>();
        date->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == date; }));
        field->selectAll();
        QTest::keyClicks(field, QStringLiteral("31 Feb 2022"));

        leave(*w);
        for (int i = 0; i < 3; ++i)
            settle();
        QTest::qWait(300);  // a button's animated click
        settle();
        ASSERT_TRUE(w);
        ASSERT_EQ(boxes.count(), 1);
        EXPECT_TRUE(boxes.last().text.startsWith("\"31 Feb 2022\" is not a date.")) << boxes.last().text.toStdString();
        EXPECT_EQ(main->ActiveForm_mo(), w.data());
        EXPECT_EQ(dump(), before);
        if (!givenBack) {
            EXPECT_EQ(field->text(), "31 Feb 2022");
            EXPECT_EQ(QApplication::focusWidget(), date);
            QTest::keyClick(field, Qt::Key_Escape);
        }
        EXPECT_EQ(field->text(), shown);
        boxes.answer(No);
        QTest::mouseClick(w->cmdClose, Qt::LeftButton);
        settle();
        EXPECT_FALSE(w);
        EXPECT_EQ(boxes.last().text, "Save Modified Record?");
        EXPECT_EQ(dump(), before);
    }
}

// No or Cancel to a new athlete gives the athlete cell back what it showed;
// what else was typed into the row stays, and is saved.
TEST_F(RowEditing, ANameTypedOverAnAthleteReplacesItAndNoTakesItBack)
{
    for (int answer : {No, Cancel}) {
        SCOPED_TRACE(answer);
        boxes.clear();
        frmSegmentDetail& w = open(1);
        DataGrid* grid = w.dbgMain;
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
        type("T001", Col::colComments, "wind");  // the row's edit is not committed yet
        grid->Col(Col::colRosterId);
        grid->setFocus();
        QTest::keyClick(grid, 'S');
        ASSERT_TRUE(grid->EditActive());
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("mith"));
        EXPECT_EQ(lineEditOfCellEditor(grid->cellEditor())->text(), "Smith");
        boxes.answer(answer);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();  // Enter stores once the editor had the key; then the question
        ASSERT_EQ(boxes.count(), 1);
        EXPECT_EQ(boxes.last().text, "Athlete Not Found, Add?");
        EXPECT_FALSE(grid->EditActive());
        EXPECT_EQ(text("T001", Col::colRosterId), "1");
        EXPECT_EQ(text("T001", Col::colComments), "wind");
        w.cmdSave->click();
        EXPECT_EQ(
            scalar("SELECT sComments || lRosterId FROM tblSegmentDetail WHERE sSegmentDetailLabel = 'T001'").asText(),
            "wind1");
        db().Execute(
            QStringLiteral("UPDATE tblSegmentDetail SET sComments = 'start' WHERE sSegmentDetailLabel = 'T001'"));
        w.hide();
    }
}

TEST_F(RowEditing, PrintsTheSegmentWithItsHeaderOrSaysThereIsNoPrinter)
{
    const PinnedLocale c;  // expects C's forms ("00:02'00.00", "4.17")
    EXPECT_EQ(clsDetailGridCommands::PageHeader_ps({"7", "2/10/24", "", "", "Race", "Juniors", "Note", "today", ""}),
              "SEGMENT #:7   DATE:2/10/24   IMPORT DATE:Not Assigned\n   EVENT:Not Assigned   TYPE:Race   "
              "CATEGORY:Juniors\nNote\ttoday");
    QTemporaryDir dir;
    const QString pdf = dir.filePath("segment.pdf");
    bool available = false;
    PrintDialogService::Hooks hooks;
    hooks.printerAvailable = [&] { return available; };
    hooks.preparePrinter = [&](QPrinter& p) {
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(pdf);
    };
    hooks.preview = [](QPrinter& p, const QString&, const PrintDialogService::Paint& paint) {
        paint(&p);
        return PrintDialogService::PreviewChoice::Close;
    };
    PrintDialogService::install(hooks);

    frmSegmentDetail& w = open(1);
    w.cmdPrintGrid->click();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, "No default printer has been specified. Please install a printer.");
    EXPECT_EQ(boxes.last().style, 64);  // style 0 gets the information icon
    EXPECT_FALSE(QFile::exists(pdf));

    available = true;
    w.cbolEventId->ListIndex(-1);
    for (bool preview : {false, true}) {
        w.Print_P(preview);
        QFile file(pdf);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QStringList texts = pdfTexts(file.readAll());
        EXPECT_EQ(texts.mid(0, 3),
                  (QStringList{"SEGMENT #:7   DATE:" + Value(QDate(2024, 2, 10)).asText()
                                   + "   IMPORT DATE:" + Value(QDate(2024, 3, 1)).asText(),
                               "   EVENT:Not Assigned   TYPE:Race   CATEGORY:Juniors",
                               Value(QDate::currentDate()).asText()}));
        for (const char* shown : {"mem", "Cum", "T001", "00:02'00.00", "4.17", "8.33", "start", "R002"})
            EXPECT_TRUE(texts.contains(shown)) << shown;
        EXPECT_FALSE(texts.contains("dCumTime"));
        file.remove();
    }
    EXPECT_EQ(boxes.count(), 1);
    PrintDialogService::install({});
}

TEST_F(RowEditing, ThePrintedPageHoldsEveryColumnWholeAndThePreviewTakesMostOfTheScreen)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("segment.pdf");
    PrintDialogService::Hooks hooks;
    hooks.printerAvailable = [] { return true; };
    hooks.preparePrinter = [&](QPrinter& p) {
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(pdf);
        p.setPageOrientation(QPageLayout::Portrait);
    };
    PrintDialogService::install(hooks);
    frmSegmentDetail& w = open(1);
    moveTo("T001");
    const QString comment = QStringLiteral("a comment that runs on well past the width of its column");
    rows().Fields(Col::colComments).Value(Value(comment));
    for (double commentsWidth : {0.0, 30000.0}) {  // as shown; then wider than the page on its own
        SCOPED_TRACE(commentsWidth);
        if (commentsWidth > 0)
            w.dbgMain->Columns(Col::colComments)->Width(commentsWidth);
        w.Print_P(false);
        QFile file(pdf);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QStringList texts = pdfTexts(file.readAll());
        for (int c = 0; c < w.dbgMain->ColumnCount(); ++c) {
            if (w.dbgMain->Columns(c)->Visible()) {
                EXPECT_TRUE(texts.contains(w.dbgMain->Columns(c)->Caption())) << c;
            }
        }
        EXPECT_TRUE(texts.contains("All Competitors"));
        EXPECT_TRUE(texts.contains(comment));
        EXPECT_EQ(texts.filter(QChar(0x2026)), QStringList());  // nothing cut short
        file.remove();
    }

    QSize preview;
    QTimer poll;  // looks at the real preview as soon as it is up
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget())) {
            preview = dialog->size();
            dialog->reject();
        }
    });
    poll.start(20);
    w.Print_P(true);
    const QSize screen = w.screen()->availableGeometry().size();
    EXPECT_GE(preview.width(), screen.width() * 3 / 4);
    EXPECT_GE(preview.height(), screen.height() * 3 / 4);
    PrintDialogService::install({});
}

TEST_F(RowEditing, ThePreviewsPrintAndPageSetupCloseItFirstAndUseTheDialogService)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("segment.pdf");
    QStringList asked;  // the service's dialogs, and any other modal dialog that came up
    PrintDialogService::Hooks hooks;
    hooks.printerAvailable = [] { return true; };
    hooks.preparePrinter = [&](QPrinter& p) {
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(pdf);
    };
    // Each is asked with no dialog left open over the window.
    hooks.pageSetup = [&](QPrinter&) {
        asked << QStringLiteral("page setup over ") + (QApplication::activeModalWidget() ? "a dialog" : "nothing");
        return true;
    };
    hooks.printDialog = [&](QPrinter&) {
        asked << QStringLiteral("print over ") + (QApplication::activeModalWidget() ? "a dialog" : "nothing");
        return true;
    };
    PrintDialogService::install(hooks);
    frmSegmentDetail& w = open(1);

    // The user presses the preview's Page Setup, then, in the preview that
    // comes back, its Print.
    QStringList presses = {QStringLiteral("Page setup"), QStringLiteral("Print")};
    QPointer<QWidget> lastPreview;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* preview = qobject_cast<QPrintPreviewDialog*>(modal);
        if (modal && !preview) {
            asked << QString::fromLatin1(modal->metaObject()->className());
            modal->close();
        } else if (preview && preview != lastPreview) {
            lastPreview = preview;
            const QString text = presses.isEmpty() ? QString() : presses.takeFirst();
            for (QAction* a : preview->findChildren<QAction*>())
                if (!text.isEmpty()
                    && a->text() == QCoreApplication::translate("QPrintPreviewDialog", qPrintable(text)))
                    QTimer::singleShot(0, a, &QAction::trigger);
        } else if (preview) {
            preview->reject();  // nothing left to press
        }
    });
    poll.start(20);
    w.Print_P(true);
    poll.stop();
    EXPECT_EQ(asked, (QStringList{"page setup over nothing", "print over nothing"}));
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdfTexts(file.readAll()).contains("T001"));
    PrintDialogService::install({});
}

// A file picked in the print dialog is written once and said; File, Print
// after it goes to the default printer again.
TEST_F(RowEditing, AFilePickedInThePrintDialogIsSaidAndNotWrittenAgain)
{
    QTemporaryDir dir;
    const QString picked = dir.filePath("picked.pdf");
    const QString paper = dir.filePath("paper.pdf");  // stands for the default printer
    QStringList aimedAt;                              // the file each print started out writing
    PrintDialogService::Hooks hooks;
    hooks.printerAvailable = [] { return true; };
    hooks.preparePrinter = [&](QPrinter& p) {
        aimedAt << p.outputFileName();
        p.setOutputFileName(paper);
    };
    hooks.preview = [](QPrinter&, const QString&, const PrintDialogService::Paint&) {
        return PrintDialogService::PreviewChoice::Print;
    };
    hooks.printDialog = [&](QPrinter& p) {
        p.setOutputFileName(picked);
        return true;
    };
    PrintDialogService::install(hooks);
    frmSegmentDetail& w = open(1);

    w.Print_P(true);
    QFile file(picked);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdfTexts(file.readAll()).contains("T001"));
    file.close();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, "Printed to the file " + QDir::toNativeSeparators(picked));
    EXPECT_EQ(boxes.last().style, 64);

    ASSERT_TRUE(QFile::remove(picked));
    for (int i = 0; i < 2; ++i)
        w.Print_P(false);
    EXPECT_EQ(aimedAt, (QStringList{"", "", ""}));
    EXPECT_FALSE(QFile::exists(picked));
    EXPECT_TRUE(QFile::exists(paper));
    EXPECT_EQ(boxes.count(), 1);
    PrintDialogService::install({});
}

TEST_F(RowEditing, MenusFollowThePageAndTheUnits)
{
    db().Execute(QStringLiteral("UPDATE tblSegment SET lDistanceTypeID = 4, lRateTypeID = 2 WHERE lSegmentID = 1"));
    auto main = std::make_unique<mdiMain>();
    main->show();
    const auto on = [&](const char* item) { return main->MenuItem(QString::fromLatin1(item))->isEnabled(); };
    const auto checked = [&](const char* item) { return main->MenuItem(QString::fromLatin1(item))->isChecked(); };
    auto* w = new frmSegmentDetail;
    main->ShowChild(w);
    ASSERT_TRUE(w->Retrieve_pf(1));
    for (bool details : {true, false}) {
        w->ssTab1->setCurrentIndex(details ? 0 : 1);
        for (const char* item :
             {"mnuFilePrint", "mnuFilePrintPreview", "mnuFilePageSetup", "mnuEditDelete", "mnuEditFillDown",
              "mnuEditFind", "mnuEditReplace", "mnuEditSelectAll", "mnuSortAscending", "mnuSortDescending",
              "mnuViewComments", "mnuViewDiPS", "mnuViewDistanceSpeed", "mnuViewDistanceSpeedType", "mnuViewRateType"})
            EXPECT_EQ(on(item), details) << item;
        for (const char* item : {"mnuEditCut", "mnuEditCopy", "mnuEditPaste", "mnuEditUndo", "mnuFileImport"})
            EXPECT_TRUE(on(item)) << item;
        EXPECT_FALSE(on("mnuFileExport") || on("mnuEditClear"));
    }
    QStringList marks;
    for (const char* item :
         {"mnuViewDistanceFeet", "mnuViewDistanceMeters", "mnuViewDistanceKilometers", "mnuViewDistanceMiles",
          "mnuViewDistanceYards", "mnuViewRatesSecondsPerCycle", "mnuViewRatesStrokesPerMinute"})
        if (checked(item))
            marks << item;
    EXPECT_EQ(marks, (QStringList{"mnuViewDistanceYards", "mnuViewRatesStrokesPerMinute"}));
    w->SetRateType_p(7);
    w->Form_Activate();
    EXPECT_FALSE(checked("mnuViewRatesStrokesPerMinute") || checked("mnuViewRatesSecondsPerCycle"));

    // The sort menu pops up over one selected column only and sorts this window.
    w->ssTab1->setCurrentIndex(0);
    QMenu* sort = main->SortContextMenu();
    emit w->dbgMain->MouseUp(2, 0, 5, 5);
    w->dbgMain->SelStartCol(Col::colLabel);
    w->dbgMain->SelEndCol(Col::colCumTimeDisplay);
    emit w->dbgMain->MouseUp(2, 0, 5, 5);
    EXPECT_FALSE(sort->isVisible());
    emit w->dbgMain->HeadClick(Col::colLabel);
    w->dbgMain->SelEndCol(Col::colLabel);
    emit w->dbgMain->MouseUp(2, 0, 5, 5);
    EXPECT_TRUE(sort->isVisible());
    EXPECT_EQ(w->dbgMain->SelStartCol(), -1);
    main->MenuItem(QStringLiteral("mnuSortDescending"))->trigger();
    sort->hide();
    shown = w;
    EXPECT_EQ(labels().first(), "T002");
    main.reset();
}

// Alt and a menu's letter take the focus to the menu bar and back: Cut and
// Copy act on the selection the box had, which stays shown. A cell being
// edited stays open, and the search page does not select a box's whole text
// as on a new visit.
TEST_F(RowEditing, CutAndCopyFromTheKeyboardsMenuTakeTheSelectionTheBoxHad)
{
    auto main = std::make_unique<mdiMain>();
    main->show();
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    auto* w = new frmSegmentDetail;
    w->FormRefresher_po(app->FormRefresher_po());
    QMdiSubWindow* detail = main->showChild(w);
    ASSERT_TRUE(w->Retrieve_pf(1));
    auto* list = new frmSegmentList;
    list->FormRefresher_po(app->FormRefresher_po());
    QMdiSubWindow* search = main->showChild(list);
    shown = w;
    const auto cell = [&] {
        moveTo("T001");
        w->dbgMain->Col(Col::colComments);
        w->dbgMain->EditActive(true);
        return lineEditOfCellEditor(w->dbgMain->cellEditor());
    };
    const struct {
        const char* what;
        QMdiSubWindow* sub;
        std::function<QLineEdit*()> box;
        Qt::Key item;
    } cases[] = {
        {"copy, the label", detail, [&] { return w->txtsSegmentLabel; }, Qt::Key_C},
        {"cut, the label", detail, [&] { return w->txtsSegmentLabel; }, Qt::Key_T},
        {"copy, the event", detail, [&] { return w->cbolEventId->lineEdit(); }, Qt::Key_C},
        {"copy, a cell being edited", detail, cell, Qt::Key_C},
        {"cut, a cell being edited", detail, cell, Qt::Key_T},
        {"cut, the search page's name", search, [&] { return list->txtLastName; }, Qt::Key_T},
    };
    QClipboard* clip = QGuiApplication::clipboard();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        main->mdiArea()->setActiveSubWindow(c.sub);
        QLineEdit* box = c.box();
        ASSERT_TRUE(box);
        if (!qobject_cast<QComboBox*>(box->parentWidget()))
            box->setText(QStringLiteral("calm start"));
        QWidget* focus = box->focusProxy() ? box->focusProxy() : box;
        focus->setFocus();
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), focus, 2000);
        const QString text = box->text();
        clip->setText(QStringLiteral("before"));
        box->end(false);
        for (int i = 0; i < 5; ++i)
            QTest::keyClick(focus, Qt::Key_Left, Qt::ShiftModifier);
        QTest::keyClick(focus, Qt::Key_E, Qt::AltModifier);
        QTRY_VERIFY_WITH_TIMEOUT(QApplication::activePopupWidget(), 2000);
        QTest::keyClick(QApplication::activePopupWidget(), c.item);
        EXPECT_EQ(clip->text(), text.right(5));
        EXPECT_EQ(box->text(), c.item == Qt::Key_T ? text.chopped(5) : text);
        EXPECT_EQ(box->selectedText(), c.item == Qt::Key_T ? QString() : text.right(5));
        EXPECT_EQ(QApplication::focusWidget(), focus);
        EXPECT_EQ(boxes.count(), 0) << (boxes.count() ? boxes.last().text.toStdString() : std::string());
        w->dbgMain->EditActive(false);
    }
    main.reset();
}
