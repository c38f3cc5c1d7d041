#include "DetailFixture.h"
#include "PdfText.h"

#include "detail/clsDetailGridCommands.h"
#include "detail/clsDetailRowEditor.h"
#include "platform/DataGridDelegate.h"
#include "platform/ComboBox.h"
#include "platform/DataGridPrint.h"
#include "shell/mdiMain.h"

#include <QAction>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPrinter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>

using Col = clsSegmentRows::Column;
using Editor = clsDetailRowEditor;

namespace {
constexpr int Yes = 6, No = 7, Cancel = 2;

struct Check {
    int column;
    const char* typed;
    const char* label;
    qint32 refusedBy;
    const char* stored;
};
}  // namespace

TEST(DetailRowChecks, CellChecksAndTypedValues)
{
    const Check checks[] = {
        {Col::colLabel, "t12", "", 0, "T12"},        {Col::colLabel, " r005 ", "", 0, "R005"},
        {Col::colLabel, "X001", "", 590, nullptr},   {Col::colLabel, "T", "", 590, nullptr},
        {Col::colLabel, "R", "", 590, nullptr},      {Col::colLabel, "T1A", "", 590, nullptr},
        {Col::colLabel, "T-1", "", 590, nullptr},    {Col::colLabel, "T1.5", "", 590, nullptr},
        {Col::colRateDisplay, "2.5", "T001", 4170, nullptr}, {Col::colRateDisplay, "", "T001", 0, ""},
        {Col::colRateDisplay, "30", "r004", 0, "30"}, {Col::colRateDisplay, "fast", "R004", 610, nullptr},
        {Col::colCumTimeDisplay, "9999", "", 0, "9999"}, {Col::colCumTimeDisplay, "-5", "", 605, nullptr},
        {Col::colCumTimeDisplay, "1,000", "", 605, nullptr}, {Col::colCumTimeDisplay, "3000000000", "", 605, nullptr},
        {Col::colCumTimeDisplay, "00:02'00.00", "", 605, nullptr}, {Col::colDistance, "x", "", 600, nullptr},
        {Col::colDistance, " 12.5 ", "", 0, " 12.5 "}, {Col::colComments, "anything", "", 0, "anything"}};
    for (const Check& c : checks) {
        QString text = QString::fromLatin1(c.typed);
        EXPECT_EQ(Editor::CheckCell_pl(c.column, text, QString::fromLatin1(c.label)), c.refusedBy) << c.typed;
        if (c.stored) {
            EXPECT_EQ(text, QString::fromLatin1(c.stored));
        }
    }

    const std::pair<double, double> times[] = {{9999, 6039}, {12345.67, 5025.67}, {120, 80}, {200, 120},
                                               {0.005, 0.01}, {0, 0}};
    for (const auto& [typed, seconds] : times)
        EXPECT_EQ(Editor::SecondsFromTyped_pd(typed), std::optional<double>(seconds)) << typed;
    EXPECT_FALSE(Editor::SecondsFromTyped_pd(-5));

    const Editor::RateUnit spm{2, 60.0}, spc{1, 1.0};
    EXPECT_EQ(Editor::RateFromTyped_pd("30", spm), 2.0);
    EXPECT_EQ(Editor::RateFromTyped_pd("", spm), 0.0);
    EXPECT_EQ(Editor::RateFromTyped_pd("0", spm), 0.0);  // no division by zero
    EXPECT_EQ(Editor::RateFromTyped_pd("2.5", spc), 2.5);
    EXPECT_EQ(Editor::RateFromTyped_pd("x", spc), 0.0);
}

TEST(DetailRowChecks, NewRowsAreNumberedFromTheLargestLabelOfTheirKind)
{
    Recordset rows;
    QList<FieldInfo> fields;
    for (const QString& name : clsSegmentRows::ColumnNames())
        fields.append(FieldInfo(name, FieldInfo::DataType::Variant));
    rows.OpenInMemory(fields);
    EXPECT_EQ(Editor::NextLabel_ps(rows, 'T'), "T000");
    EXPECT_EQ(Editor::NextLabel_ps(rows, 'R'), "R001");
    EXPECT_EQ(Editor::NextOrdinal_pl(rows), 0);
    for (const char* label : {"T999", "T1000", "r009", "R00x", "T998"}) {
        rows.AddNew();
        rows.Fields(Col::colLabel).Value(Value(label));
        rows.Fields(Col::colOrdinalPosition).Value(Value(int(rows.RecordCount()) * 2));
        rows.Update();
    }
    EXPECT_EQ(Editor::NextLabel_ps(rows, 'T'), "T1001");
    EXPECT_EQ(Editor::NextLabel_ps(rows, 'R'), "R010");
    EXPECT_EQ(Editor::NextOrdinal_pl(rows), 11);
}

namespace {
class RowEditing : public DetailFixture {
protected:
    void moveTo(const QString& label)
    {
        for (int r = 0; r < rows().RecordCount(); ++r)
            if (rows().valueAt(r, Col::colLabel).asText() == label) {
                rows().setCurrentViewRow(r);
                return;
            }
        ADD_FAILURE() << "no row " << label.toStdString();
    }
    // Types into a shown cell as the user would: open the editor, type, commit.
    void type(const QString& label, int column, const QString& text)
    {
        moveTo(label);
        DataGrid* grid = window->dbgMain;
        grid->Col(column);
        grid->EditActive(true);
        ASSERT_TRUE(grid->EditActive()) << "column " << column;
        lineEditOfCellEditor(grid->cellEditor())->setText(text);
        grid->EditActive(false);
    }
    void selectRow(const QString& label, int nth = 0)
    {
        for (int r = 0; r < rows().RecordCount(); ++r)
            if (rows().valueAt(r, Col::colLabel).asText() == label && nth-- == 0)
                window->dbgMain->SelBookmarks().Add(Value(rows().bookmarkAt(r)));
    }
    QStringList labels()
    {
        QStringList l;
        for (int r = 0; r < rows().RecordCount(); ++r)
            l << rows().valueAt(r, Col::colLabel).asText();
        return l;
    }
    // The stored columns of each row, one text a row.
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

TEST_F(RowEditing, TypedCellsAreCheckedConvertedAndRecalculated)
{
    frmSegmentDetail& w = open(1);
    type("T001", Col::colCumTimeDisplay, "00:02'00.00");  // committed unchanged: no edit
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_FALSE(w.Dirty_pf());

    type("T001", Col::colCumTimeDisplay, "9999");
    EXPECT_EQ(cell("T001", Col::colCumTime).toDouble(), 6039.0);
    EXPECT_EQ(text("T001", Col::colCumTimeDisplay), "01:40'39.00");
    EXPECT_EQ(text("T001", Col::colLap), "01:40'39.00");
    EXPECT_TRUE(w.Dirty_pf());

    w.Dirty_pf(false);
    type("T001", Col::colRateDisplay, "2.5");
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, "You may only enter rates for rate rows");
    EXPECT_EQ(boxes.last().style, 64);
    EXPECT_TRUE(cell("T001", Col::colRateDisplay).isNull());
    type("T001", Col::colCumTimeDisplay, "-12345");
    EXPECT_EQ(boxes.last().text, "Cum must be numeric");
    EXPECT_EQ(cell("T001", Col::colCumTime).toDouble(), 6039.0);
    EXPECT_FALSE(w.Dirty_pf());

    type("T002", Col::colLabel, "t12");
    EXPECT_EQ(labels().last(), "T12");
    w.SetRateType_p(2);  // strokes per minute, factor 60
    type("R001", Col::colRateDisplay, "30");
    EXPECT_EQ(cell("R001", Col::colRate).toDouble(), 2.0);
    EXPECT_EQ(text("R001", Col::colRateDisplay), "30");
    type("R002", Col::colRateDisplay, "");
    EXPECT_EQ(cell("R002", Col::colRate).toDouble(), 0.0);
    EXPECT_TRUE(cell("R002", Col::colRateDisplay).isNull());
    EXPECT_EQ(boxes.count(), 2);

    // A value stored from outside the handlers, as the find engine does, counts too.
    w.Dirty_pf(false);
    rows().Fields(Col::colComments).Value(Value("replaced"));
    w.dbgMain->Update();
    EXPECT_TRUE(w.Dirty_pf());
}

TEST_F(RowEditing, AddDeleteAndClearRows)
{
    frmSegmentDetail& w = open(1);
    w.cmdAddTime->click();
    w.cmdAddTime->click();
    w.cmdAddRate->click();
    EXPECT_EQ(labels().mid(5), (QStringList{"T003", "T004", "R003"}));
    EXPECT_EQ(cell("R003", Col::colOrdinalPosition).toLong(), 7);
    EXPECT_EQ(cell("R003", Col::colRosterId).toLong(), 1);
    EXPECT_TRUE(cell("T004", Col::colLap).isNull());  // no recalculation yet
    EXPECT_TRUE(w.Dirty_pf());
    type("T004", Col::colLabel, "T003");  // two unsaved rows, one label

    selectRow("T003", 1);
    boxes.answer(No);
    w.deleteRows_p();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, "delete the following records?\r\n\r\nT003");
    EXPECT_EQ(boxes.last().style, 292);
    EXPECT_EQ(rows().RecordCount(), 8);
    EXPECT_EQ(text("T003", Col::colLap), "00:00'00.00");  // recalculated all the same
    EXPECT_EQ(w.dbgMain->SelBookmarks().Count(), 1);

    const qint32 kept = rows().bookmarkAt(5);
    boxes.answer(Yes);
    w.deleteRows_p();
    EXPECT_EQ(labels(), (QStringList{"T000", "R001", "T001", "R002", "T002", "T003", "R003"}));
    EXPECT_EQ(rows().bookmarkAt(5), kept);

    // Clear, rows mode on the rate column: rates 0; the athlete column gives athlete 1.
    w.Dirty_pf(false);
    selectRow("R001");
    selectRow("R002");
    w.dbgMain->Col(Col::colRateDisplay);
    boxes.answer(Yes);
    w.ClearSelection_p();
    EXPECT_EQ(boxes.last().text, "Clear currently selected grid elements?");
    EXPECT_EQ(boxes.last().style, 35);
    EXPECT_EQ(cell("R001", Col::colRate).toDouble(), 0.0);
    EXPECT_EQ(cell("R002", Col::colRate).toDouble(), 0.0);
    EXPECT_EQ(text("R001", Col::colRateDisplay), "0");
    EXPECT_TRUE(w.Dirty_pf());
    w.dbgMain->Col(Col::colRosterId);
    boxes.answer(Yes);
    w.ClearSelection_p();
    EXPECT_EQ(cell("R002", Col::colRosterId).toLong(), 1);

    // Block mode over label to cumulative time: labels and rates stay, times become 0.
    moveTo("R002");
    rows().Fields(Col::colRate).Value(Value(2.0));
    rows().Update();
    w.dbgMain->SelBookmarks().Clear();
    w.dbgMain->SelStartCol(Col::colLabel);
    w.dbgMain->SelEndCol(Col::colCumTimeDisplay);
    boxes.answer(Cancel);
    w.ClearSelection_p();
    EXPECT_EQ(cell("T002", Col::colCumTime).toDouble(), 250.0);
    boxes.answer(Yes);
    w.ClearSelection_p();
    EXPECT_EQ(labels(), (QStringList{"T000", "R001", "T001", "R002", "T002", "T003", "R003"}));
    EXPECT_EQ(cell("T002", Col::colCumTime).toDouble(), 0.0);
    EXPECT_EQ(cell("R002", Col::colRate).toDouble(), 2.0);

    // Everything shown goes; the athlete filter stays.
    rows().Filter(QStringLiteral("lRosterId = 1"));
    w.SelectAllRows_p();
    EXPECT_EQ(w.dbgMain->SelBookmarks().Count(), rows().RecordCount());
    boxes.answer(Yes);
    w.deleteRows_p();
    EXPECT_EQ(rows().RecordCount(), 0);
    EXPECT_EQ(rows().Filter(), "lRosterId = 1");
    boxes.clear();
    w.deleteRows_p();
    EXPECT_EQ(boxes.last().text, "No Record Selected");
}

TEST_F(RowEditing, FillDownSortAndSelectAll)
{
    db().Execute(QStringLiteral("INSERT INTO tblRoster (lRosterID, sLastName, sFirstName) VALUES (3, 'Berg', 'Ana')"));
    frmSegmentDetail& w = open(1);
    QSignalSpy athletes(w.rowEditor(), &clsDetailRowEditor::AthletesChanged);
    rows().setCurrentViewRow(1);
    const QString before = labels().join(',');
    w.SetGridColumns_p(Col::colComments, false);
    for (int column : {int(Col::colLap), int(Col::colComments)}) {
        w.dbgMain->Col(column);
        EXPECT_FALSE(w.FillDown_pf()) << column;
    }
    EXPECT_FALSE(w.Dirty_pf());

    rows().Fields(Col::colRosterId).Value(Value(3));
    rows().Update();
    w.dbgMain->Col(Col::colRosterId);
    EXPECT_TRUE(w.FillDown_pf());
    QList<qint32> ids;
    for (int r = 0; r < rows().RecordCount(); ++r)
        ids << rows().valueAt(r, Col::colRosterId).toLong();
    EXPECT_EQ(ids, (QList<qint32>{1, 3, 3, 3, 3}));
    EXPECT_EQ(athletes.count(), 1);
    EXPECT_TRUE(w.Dirty_pf());
    EXPECT_EQ(w.dbgMain->Row(), 1);

    // A shown time carries its stored seconds down: the laps below it become 0.
    rows().setCurrentViewRow(2);
    w.dbgMain->Col(Col::colCumTimeDisplay);
    EXPECT_TRUE(w.FillDown_pf());
    EXPECT_EQ(cell("T002", Col::colCumTime).toDouble(), 120.0);
    EXPECT_EQ(text("T002", Col::colLap), "00:00'00.00");
    db().Execute(QStringLiteral("UPDATE tblSegmentDetail SET dDistance = 2000 WHERE sSegmentDetailLabel = 'T002'"));

    // Speeds by number with the empty cells last; no recalculation off the time columns.
    open(1);
    emit window->dbgMain->HeadClick(Col::colSpeed);
    window->SetOrder_P("ASC");
    EXPECT_EQ(labels(), (QStringList{"T000", "T001", "T002", "R001", "R002"}));  // 0, 4.17, 15.38
    window->SetOrder_P("DESC");
    EXPECT_EQ(labels(), (QStringList{"T002", "T001", "T000", "R001", "R002"}));
    EXPECT_EQ(text("T002", Col::colLap), "00:02'10.00");  // as worked out in time order
    emit window->dbgMain->HeadClick(Col::colLabel);  // entry order
    window->SetOrder_P("DESC");
    EXPECT_EQ(labels(), (QStringList{"T002", "R002", "T001", "R001", "T000"}));
    EXPECT_EQ(window->sortColumn(), Col::colOrdinalPosition);
    emit window->dbgMain->HeadClick(Col::colCumTimeDisplay);
    window->SetOrder_P("DESC");
    EXPECT_EQ(text("T001", Col::colLap), "00:00'00.00");  // measured from the row above

    window->SelectAllRows_p();
    const auto& selected = window->dbgMain->SelBookmarks().list();
    ASSERT_EQ(selected.size(), 5u);
    for (int r = 0; r < 5; ++r)
        EXPECT_EQ(selected[size_t(r)], rows().bookmarkAt(r));
}

TEST_F(RowEditing, PrintsTheSegmentWithItsHeaderOrSaysThereIsNoPrinter)
{
    EXPECT_EQ(clsDetailGridCommands::PageHeader_ps({"7", "2/10/24", "", "", "Race", "Juniors", "Note", "today"}),
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
    hooks.preview = [](QPrinter& p, const QString&, const std::function<void(QPrinter*)>& paint) { paint(&p); };
    PrintDialogService::install(hooks);

    frmSegmentDetail& w = open(1);
    w.cmdPrintGrid->click();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, "No default printer has been specified. Please install a printer.");
    EXPECT_EQ(boxes.last().style, 64);  // style 0 with the information icon
    EXPECT_FALSE(QFile::exists(pdf));

    available = true;
    w.cbolEventId->ListIndex(-1);
    w.Print_P(false);
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList texts = pdfTexts(file.readAll());
    const QString date = Value(QDate(2024, 2, 10)).asText();
    EXPECT_EQ(texts.mid(0, 3), (QStringList{"SEGMENT #:7   DATE:" + date + "   IMPORT DATE:" +
                                                Value(QDate(2024, 3, 1)).asText(),
                                            "   EVENT:Not Assigned   TYPE:Race   CATEGORY:Juniors",
                                            Value(QDate::currentDate()).asText()}));
    for (const char* shown : {"mem", "Cum", "T001", "00:02'00.00", "4.17", "8.33", "start", "R002"})
        EXPECT_TRUE(texts.contains(shown)) << shown;
    EXPECT_FALSE(texts.contains("dCumTime"));
    file.close();
    QFile::remove(pdf);
    w.Print_P(true);  // the preview paints the same pages
    EXPECT_TRUE(QFile::exists(pdf));
    EXPECT_EQ(boxes.count(), 1);
    PrintDialogService::install({});
}

TEST_F(RowEditing, MenusFollowThePageAndTheUnits)
{
    db().Execute(QStringLiteral("UPDATE tblSegment SET lDistanceTypeID = 4, lRateTypeID = 2 WHERE lSegmentID = 1"));
    db().Execute(QStringLiteral("UPDATE tblSegment SET lRateTypeID = 7 WHERE lSegmentID = 2"));
    auto main = std::make_unique<mdiMain>();
    main->show();
    const auto on = [&](const char* item) { return main->MenuItem(QString::fromLatin1(item))->isEnabled(); };
    const auto checked = [&](const char* item) { return main->MenuItem(QString::fromLatin1(item))->isChecked(); };
    auto* w = new frmSegmentDetail;
    w->FormRefresher_po(app->FormRefresher_po());
    main->ShowChild(w);
    ASSERT_TRUE(w->Retrieve_pf(1));

    const char* const onDetails[] = {"mnuFilePrint", "mnuFilePrintPreview", "mnuFilePageSetup", "mnuEditDelete",
                                     "mnuEditFillDown", "mnuEditFind", "mnuEditReplace", "mnuEditSelectAll",
                                     "mnuSortAscending", "mnuSortDescending", "mnuViewComments", "mnuViewDiPS",
                                     "mnuViewDistanceSpeed", "mnuViewDistanceYards", "mnuViewRateType",
                                     "mnuViewRatesStrokesPerMinute", "mnuViewDistanceSpeedType"};
    for (bool details : {true, false}) {
        w->ssTab1->setCurrentIndex(details ? 0 : 1);
        for (const char* item : onDetails)
            EXPECT_EQ(on(item), details) << item;
        for (const char* item : {"mnuEditCut", "mnuEditCopy", "mnuEditPaste", "mnuEditUndo", "mnuFileImport"})
            EXPECT_TRUE(on(item)) << item;
        EXPECT_FALSE(on("mnuFileExport"));
        EXPECT_FALSE(on("mnuEditClear"));
    }
    EXPECT_TRUE(checked("mnuViewDistanceYards"));
    for (const char* item : {"mnuViewDistanceFeet", "mnuViewDistanceMeters", "mnuViewDistanceKilometers",
                             "mnuViewDistanceMiles", "mnuViewRatesSecondsPerCycle"})
        EXPECT_FALSE(checked(item)) << item;
    EXPECT_TRUE(checked("mnuViewRatesStrokesPerMinute"));

    // The sort menu pops up over one selected column only, and sorts this window.
    w->ssTab1->setCurrentIndex(0);
    QMenu* sort = main->SortContextMenu();
    emit w->dbgMain->MouseUp(2, 0, 5, 5);
    EXPECT_FALSE(sort->isVisible());
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

    auto* other = new frmSegmentDetail;
    main->ShowChild(other);
    ASSERT_TRUE(other->Retrieve_pf(2));
    EXPECT_FALSE(checked("mnuViewRatesStrokesPerMinute"));
    EXPECT_FALSE(checked("mnuViewRatesSecondsPerCycle"));
    main.reset();
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(RowEditing, SavedRowsAreWhatTheGridShowed)
{
    frmSegmentDetail& w = open(1);
    type("T001", Col::colDistance, "480");
    type("R002", Col::colRateDisplay, "2.25");
    w.cmdAddRate->click();
    type("R003", Col::colRateDisplay, "1.9");
    w.cmdAddTime->click();
    type("T003", Col::colCumTimeDisplay, "500");
    type("T003", Col::colComments, "finish");
    selectRow("R001");
    boxes.answer(Yes);
    w.deleteRows_p();
    w.cmdSave->click();

    rows().Sort(QStringLiteral("lOrdinalPosition"));
    const QStringList grid = stored(rows(), {Col::colOrdinalPosition, Col::colLabel, Col::colCumTime, Col::colRate,
                                             Col::colDistance, Col::colRosterId, Col::colComments});
    Recordset saved;
    saved.Open(db(), QStringLiteral("SELECT lOrdinalPosition, sSegmentDetailLabel, dCumTime, dRate, dDistance, "
                                    "lRosterId, sComments FROM tblSegmentDetail WHERE lSegmentID = 1 "
                                    "ORDER BY lOrdinalPosition"));
    EXPECT_EQ(stored(saved, {0, 1, 2, 3, 4, 5, 6}), grid);
    EXPECT_EQ(grid, (QStringList{"0|T000|0|0|0|1|", "2|T001|120|0|480|1|start", "3|R002|180|2.25||2|",
                                 "4|T002|250|0|1000|2|", "5|R003||1.9||1|", "6|T003|300|0||1|finish"}));
    EXPECT_FALSE(w.Dirty_pf());
    EXPECT_EQ(boxes.count(), 1);
}
