#include "FakeChildren.h"
#include "ShellFixture.h"

#include "platform/DataGrid.h"
#include "platform/DatePicker.h"
#include "platform/Recordset.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

namespace {
struct Dispatch : ShellTest {
    QList<qint32> dialogs;

    void SetUp() override
    {
        ShellTest::SetUp();
        openMain();
        callLog().clear();
        mdiMain::setCommonDialogHandler([this](qint32 flags) { dialogs << flags; });
    }

    // A fake child of that name, shown and active, every command enabled.
    FakeChild* child(const QString& name)
    {
        auto* w = new FakeChild(name);
        show(w);
        enableAll();
        callLog().clear();
        return w;
    }

    // Every command that acts on the active child; the clipboard ones only
    // when asked, as they need a focused text control to do anything.
    QStringList runAllChildCommands(bool clipboardToo = false)
    {
        callLog().clear();
        if (clipboardToo)
            for (const char* name : {"mnuEditCut", "mnuEditCopy", "mnuEditPaste"})
                click(name);
        for (const char* name :
             {"mnuEditUndo", "mnuEditFillDown", "mnuEditClear", "mnuEditDelete", "mnuEditSelectAll", "mnuEditFind",
              "mnuEditReplace", "mnuFileExport", "mnuFilePageSetup", "mnuFilePrintPreview", "mnuFilePrint",
              "mnuSortAscending", "mnuSortDescending", "mnuViewComments", "mnuViewDiPS", "mnuViewDistanceSpeed"})
            click(name);
        return callLog();
    }
};

// Registers a window kind that makes fake children and remembers them.
QList<QPointer<FakeChild>>& made()
{
    static QList<QPointer<FakeChild>> list;
    return list;
}
void registerFake(const char* kind)
{
    const QString name = QString::fromLatin1(kind);
    ChildForms::registerForm(name, [name] {
        auto* w = new FakeChild(name);
        made() << w;
        return w;
    });
}
}  // namespace

TEST_F(Dispatch, WithNoChildNothingIsCalledAndNothingShown)
{
    auto* bystander = new FakeChild(QStringLiteral("frmSegmentDetail"));
    show(bystander);
    QApplication::clipboard()->setText(QStringLiteral("kept"));
    // The child is open but not the active one: the main window is.
    main->mdiArea()->setActiveSubWindow(nullptr);
    ASSERT_EQ(main->ActiveFormName_ms(), QStringLiteral("MDIMain"));
    enableAll();
    dialogs.clear();
    const QStringList calls = runAllChildCommands(true);
    EXPECT_TRUE(calls.isEmpty()) << qPrintable(calls.join(", "));
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("kept"));
    // Without the detail window the print commands fall back to the dialogs.
    EXPECT_EQ(dialogs, (QList<qint32>{64, 0, 0}));
    // Unregistered window kinds open nothing.
    for (const char* name : {"mnuFileImport", "mnuViewSearchSegments", "mnuViewAllSegments", "mnuViewRoster",
                             "mnuViewSegCategory", "mnuViewEvents", "mnuViewSegType"})
        click(name);
    EXPECT_EQ(main->mdiArea()->subWindowList().size(), 1);
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(Dispatch, NameTestsKeepCommandsToTheirWindows)
{
    child(QStringLiteral("frmX"));
    dialogs.clear();
    EXPECT_EQ(
        runAllChildCommands(),
        (QStringList{"frmX.deleteRows_p", "frmX.SelectAllRows_p", "frmX.SetOrder_P ASC", "frmX.SetOrder_P DESC"}));
    EXPECT_EQ(dialogs, (QList<qint32>{64, 0, 0}));

    // Names are exact, case included.
    child(QStringLiteral("frmsegmentlist"));
    click("mnuFileExport");
    EXPECT_TRUE(callLog().isEmpty());

    child(QStringLiteral("frmSegmentList"));
    EXPECT_EQ(runAllChildCommands(),
              (QStringList{"frmSegmentList.deleteRows_p", "frmSegmentList.SelectAllRows_p", "frmSegmentList.Export_p",
                           "frmSegmentList.SetOrder_P ASC", "frmSegmentList.SetOrder_P DESC"}));

    child(QStringLiteral("frmSegmentDetail"));
    dialogs.clear();
    QStringList calls = runAllChildCommands();
    EXPECT_EQ(calls,
              (QStringList{"frmSegmentDetail.FillDown_pf", "frmSegmentDetail.ClearSelection_p",
                           "frmSegmentDetail.deleteRows_p", "frmSegmentDetail.SelectAllRows_p",
                           "frmSegmentDetail.PageSetup_P", "frmSegmentDetail.Print_P preview",
                           "frmSegmentDetail.Print_P print", "frmSegmentDetail.SetOrder_P ASC",
                           "frmSegmentDetail.SetOrder_P DESC", "frmSegmentDetail.SetGridColumns_p 13 0",
                           "frmSegmentDetail.SetGridColumns_p 9 0", "frmSegmentDetail.SetGridColumns_p 10 0",
                           "frmSegmentDetail.SetGridColumns_p 11 0"}));
    EXPECT_TRUE(dialogs.isEmpty());
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(Dispatch, ChildWithoutTheMemberGivesOne438)
{
    show(new BareChild(QStringLiteral("frmImportSegment")));
    enableAll();
    click("mnuEditDelete");
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("438"))) << qPrintable(boxes.last().text);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("mnuEditDelete_Click"))) << qPrintable(boxes.last().text);
}

TEST_F(Dispatch, UnitItemsCallDistanceThenSpeedAndCheckOnlyTheChoice)
{
    child(QStringLiteral("frmSegmentDetail"));
    click("mnuViewDistanceYards");
    click("mnuViewDistanceFeet");
    click("mnuViewDistanceKilometers");
    EXPECT_EQ(callLog(),
              (QStringList{"frmSegmentDetail.SetDistanceType_p 4", "frmSegmentDetail.SetSpeedType_p 5",
                           "frmSegmentDetail.SetDistanceType_p 5", "frmSegmentDetail.SetSpeedType_p 4",
                           "frmSegmentDetail.SetDistanceType_p 2", "frmSegmentDetail.SetSpeedType_p 2"}));
    QStringList checked;
    for (QAction* a : main->findChild<QMenu*>("mnuViewDistanceSpeedType")->actions())
        if (a->isChecked())
            checked << a->objectName();
    EXPECT_EQ(checked, QStringList{"mnuViewDistanceKilometers"});
    // Choosing the checked one again keeps it checked.
    click("mnuViewDistanceKilometers");
    EXPECT_TRUE(item("mnuViewDistanceKilometers")->isChecked());
    EXPECT_EQ(setting(200), QStringLiteral("1"));  // units write no setting
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(Dispatch, RateItemsWriteTheDefaultRateBeforeTheWindowChanges)
{
    ASSERT_EQ(setting(200), QStringLiteral("1"));
    FakeChild* detail = child(QStringLiteral("frmSegmentDetail"));
    detail->onRate = [this] { return QStringLiteral("setting=") + setting(200); };
    click("mnuViewRatesStrokesPerMinute");
    click("mnuViewRatesSecondsPerCycle");
    EXPECT_EQ(
        callLog(),
        (QStringList{"frmSegmentDetail.SetRateType_p 2 setting=2", "frmSegmentDetail.SetRateType_p 1 setting=1"}));
    EXPECT_TRUE(item("mnuViewRatesSecondsPerCycle")->isChecked());
    EXPECT_FALSE(item("mnuViewRatesStrokesPerMinute")->isChecked());

    // The setting stays written when the window cannot take the rate.
    show(new BareChild(QStringLiteral("frmSegmentDetail")));
    click("mnuViewRatesStrokesPerMinute");
    EXPECT_EQ(setting(200), QStringLiteral("2"));
    EXPECT_TRUE(item("mnuViewRatesStrokesPerMinute")->isChecked());
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("438")));
}

TEST_F(Dispatch, ColumnItemsFlipAlwaysAndReachOnlyTheDetailWindow)
{
    child(QStringLiteral("frmSegmentList"));
    click("mnuViewDistanceSpeed");
    EXPECT_FALSE(item("mnuViewDistanceSpeed")->isChecked());
    EXPECT_TRUE(callLog().isEmpty());

    child(QStringLiteral("frmSegmentDetail"));
    click("mnuViewDistanceSpeed");
    click("mnuViewComments");
    EXPECT_EQ(callLog(),
              (QStringList{"frmSegmentDetail.SetGridColumns_p 10 1", "frmSegmentDetail.SetGridColumns_p 11 1",
                           "frmSegmentDetail.SetGridColumns_p 13 0"}));
}

TEST_F(Dispatch, ViewMenuEnablesUnitsAndColumnsOnlyForTheDetailWindow)
{
    const QStringList items = {"mnuViewRateType", "mnuViewDistanceSpeedType", "mnuViewDistanceSpeed", "mnuViewDiPS",
                               "mnuViewComments"};
    QMenu* view = main->findChild<QMenu*>("mnuView");
    child(QStringLiteral("frmSegmentDetail"));
    main->applyMenuRow(mdiMain::NoChildRow());
    emit view->aboutToShow();
    for (const QString& name : items)
        EXPECT_TRUE(main->MenuItem(name)->isEnabled()) << qPrintable(name);
    child(QStringLiteral("frmSegmentList"));
    emit view->aboutToShow();
    for (const QString& name : items)
        EXPECT_FALSE(main->MenuItem(name)->isEnabled()) << qPrintable(name);
}

TEST_F(Dispatch, OpeningWindowsHandsOverTheRefresherBeforeShowing)
{
    made().clear();
    for (const char* kind : {"frmImport", "frmRoster", "frmCategory", "frmEvent", "frmSegmentType"})
        registerFake(kind);
    click("mnuFileImport");
    click("mnuFileImport");  // each click one more window
    click("mnuViewRoster");
    click("mnuViewSegCategory");
    click("mnuViewEvents");
    main->ToolbarButton("Type")->trigger();
    EXPECT_EQ(callLog().filter("FormRefresher_po"),
              (QStringList{"frmImport.FormRefresher_po set hidden", "frmImport.FormRefresher_po set hidden",
                           "frmRoster.FormRefresher_po set hidden", "frmCategory.FormRefresher_po set hidden",
                           "frmEvent.FormRefresher_po set hidden", "frmSegmentType.FormRefresher_po set hidden"}));
    EXPECT_EQ(main->mdiArea()->subWindowList().size(), 6);
    for (const auto& w : made())
        EXPECT_TRUE(w && w->isVisible());
    EXPECT_EQ(main->ActiveFormName_ms(), QStringLiteral("frmSegmentType"));
}

TEST_F(Dispatch, SegmentListIsReusedOnYesAndAddedOnNo)
{
    made().clear();
    registerFake("frmSegmentList");
    click("mnuViewSearchSegments");  // none open: a new list, no search
    EXPECT_EQ(callLog(), (QStringList{"frmSegmentList.FormRefresher_po set hidden", "frmSegmentList.Form_Activate"}));
    ASSERT_EQ(made().size(), 1);
    EXPECT_EQ(boxes.count(), 0);

    auto* other = new BareChild(QStringLiteral("frmRoster"));
    show(other);
    callLog().clear();
    boxes.answer(6);
    main->ToolbarButton("Segment")->trigger();  // Yes: back to the open list, first tab, search
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("Use currently open search form?"));
    EXPECT_EQ(boxes.last().style, 52);
    EXPECT_EQ(callLog(),
              (QStringList{"frmSegmentList.Form_Activate", "frmSegmentList.SetTab_p 0", "frmSegmentList.Search_p"}));
    EXPECT_EQ(main->ActiveForm_mo(), made()[0].data());
    EXPECT_EQ(made().size(), 1);

    callLog().clear();
    boxes.answer(7);
    click("mnuViewSearchSegments");  // No: a second list, still no search
    EXPECT_EQ(made().size(), 2);
    EXPECT_FALSE(callLog().contains("frmSegmentList.Search_p"));
    EXPECT_FALSE(callLog().contains("frmSegmentList.SetTab_p 0"));
}

TEST_F(Dispatch, FindAndReplaceHandTheActiveWindowToANewFindWindow)
{
    child(QStringLiteral("frmRoster"));
    click("mnuEditFind");  // no find window in this build: nothing
    EXPECT_TRUE(callLog().isEmpty());
    EXPECT_EQ(boxes.count(), 0);

    QList<QPointer<QWidget>> finds;
    ChildForms::registerForm(QStringLiteral("frmFind"), [&finds] {
        auto* f = new FakeFind;
        finds << f;
        return f;
    });
    click("mnuEditFind");
    click("mnuEditReplace");
    EXPECT_EQ(callLog(),
              (QStringList{"frmFind.FormToSearch_pobj frmRoster", "frmFind.formStyle_pl 0",
                           "frmFind.FormToSearch_pobj frmRoster", "frmFind.formStyle_pl 1"}));
    ASSERT_EQ(finds.size(), 2);
    EXPECT_TRUE(finds[0]->isVisible());
    EXPECT_TRUE(finds[0]->isWindow());
    EXPECT_EQ(finds[0]->parentWidget(), main.get());
    for (auto& f : finds)
        delete f.data();
}

TEST_F(Dispatch, ClipboardCommandsOnALineEdit)
{
    auto* form = child(QStringLiteral("frmRoster"));
    auto* layout = new QVBoxLayout(form);
    auto* edit = new QLineEdit(QStringLiteral("Anna Berg"), form);
    auto* button = new QPushButton(QStringLiteral("OK"), form);
    layout->addWidget(edit);
    layout->addWidget(button);
    edit->show();
    button->show();
    edit->setFocus();
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), edit, 2000);
    QClipboard* clip = QApplication::clipboard();
    clip->setText(QStringLiteral("before"));

    edit->setCursorPosition(0);
    click("mnuEditCopy");  // no selection: the clipboard keeps its text
    EXPECT_EQ(clip->text(), QStringLiteral("before"));

    edit->setSelection(0, 4);
    click("mnuEditCopy");
    EXPECT_EQ(clip->text(), QStringLiteral("Anna"));
    EXPECT_EQ(edit->text(), QStringLiteral("Anna Berg"));

    edit->setSelection(4, 5);
    click("mnuEditCut");
    EXPECT_EQ(clip->text(), QStringLiteral(" Berg"));
    EXPECT_EQ(edit->text(), QStringLiteral("Anna"));

    edit->setSelection(0, 4);
    clip->setText(QStringLiteral("Eva"));
    click("mnuEditPaste");
    EXPECT_EQ(edit->text(), QStringLiteral("Eva"));

    // An image on the clipboard pastes nothing.
    auto* data = new QMimeData;
    data->setImageData(QImage(4, 4, QImage::Format_ARGB32));
    clip->setMimeData(data);
    edit->selectAll();
    click("mnuEditPaste");
    EXPECT_EQ(edit->text(), QStringLiteral("Eva"));

    // Select All on a text box selects its text instead of the rows.
    edit->setCursorPosition(1);
    click("mnuEditSelectAll");
    EXPECT_EQ(edit->selectedText(), QStringLiteral("Eva"));
    EXPECT_TRUE(callLog().isEmpty());
    EXPECT_EQ(boxes.count(), 0);

    // Controls without text: Cut, Copy and Paste are off, in the menu and on
    // the toolbar, and come back with the focus on a text box.
    auto* list = new QListWidget(form);
    list->addItems({QStringLiteral("Juniors"), QStringLiteral("Seniors")});
    list->setCurrentRow(0);
    auto* check = new QCheckBox(QStringLiteral("Active"), form);
    auto* choice = new QComboBox(form);
    choice->addItem(QStringLiteral("Race"));
    for (QWidget* w : std::initializer_list<QWidget*>{list, check, choice}) {
        layout->addWidget(w);
        w->show();
    }
    clip->setText(QStringLiteral("safe"));
    for (QWidget* control : std::initializer_list<QWidget*>{button, list, check, choice}) {
        SCOPED_TRACE(control->metaObject()->className());
        control->setFocus();
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), control, 2000);
        for (const char* name : {"Cut", "Copy", "Paste"}) {
            EXPECT_FALSE(item((QStringLiteral("mnuEdit") + QLatin1String(name)).toLatin1().constData())->isEnabled());
            EXPECT_FALSE(main->ToolbarButton(QLatin1String(name))->isEnabled()) << name;
            main->ToolbarButton(QLatin1String(name))->trigger();
        }
        QTest::keyClick(control, Qt::Key_X, Qt::ControlModifier);
        QTest::keyClick(control, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(boxes.count(), 0);
        EXPECT_EQ(clip->text(), QStringLiteral("safe"));
        EXPECT_EQ(edit->text(), QStringLiteral("Eva"));
    }
    edit->setFocus();
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), edit, 2000);
    EXPECT_TRUE(item("mnuEditCopy")->isEnabled() && main->ToolbarButton(QStringLiteral("Paste"))->isEnabled());
    button->setFocus();
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), button, 2000);
    click("mnuEditSelectAll");  // not a text box: the window's rows
    EXPECT_EQ(callLog(), QStringList{"frmRoster.SelectAllRows_p"});
}

// A grid with the focus: Copy takes the current cell as shown; Cut and Paste
// change a cell only inside its editor, where its checks apply.
TEST_F(Dispatch, ClipboardCommandsOnAGrid)
{
    auto* form = child(QStringLiteral("frmRoster"));
    auto* layout = new QVBoxLayout(form);
    Recordset rs;
    rs.OpenInMemory({{QStringLiteral("sName"), FieldInfo::DataType::Text}});
    for (const char* name : {"Anna", "Berg"}) {
        rs.AddNew();
        rs.Fields(0).Value(Value(QLatin1String(name)));
        rs.Update();
    }
    auto* grid = new DataGrid(form);
    layout->addWidget(grid);
    grid->DataSource(&rs);
    grid->show();
    rs.MoveLast();
    grid->Col(0);
    grid->setFocus();
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), grid, 2000);
    QClipboard* clip = QApplication::clipboard();
    click("mnuEditCopy");
    EXPECT_EQ(clip->text(), QStringLiteral("Berg"));
    clip->setText(QStringLiteral("Carl"));
    click("mnuEditCut");
    click("mnuEditPaste");
    EXPECT_EQ(rs.Fields(0).Value().asText(), QStringLiteral("Berg"));
    EXPECT_EQ(clip->text(), QStringLiteral("Carl"));

    grid->EditActive(true);
    ASSERT_NE(grid->cellEditor(), nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(grid->cellEditor()->isAncestorOf(QApplication::focusWidget())
                                 || QApplication::focusWidget() == grid->cellEditor(),
                             2000);
    qobject_cast<QLineEdit*>(QApplication::focusWidget())->selectAll();
    click("mnuEditPaste");
    grid->EditActive(false);
    EXPECT_EQ(rs.Fields(0).Value().asText(), QStringLiteral("Carl"));
    EXPECT_EQ(boxes.count(), 0);
    grid->DataSource(nullptr);
}

// Copy, Cut and Paste carry a date whole in every locale: its century
// included, the field's own text read back as that date, and text that is
// no date refused in words.
TEST_F(Dispatch, ClipboardCommandsOnADatePicker)
{
    QClipboard* clip = QApplication::clipboard();
    for (const char* name : {"C", "en_US", "en_GB", "de_DE", "fr_FR", "es_ES", "ja_JP", "hu_HU"}) {
        SCOPED_TRACE(name);
        struct DefaultLocale {
            explicit DefaultLocale(const char* name) { QLocale::setDefault(QLocale(QString::fromLatin1(name))); }
            ~DefaultLocale() { QLocale::setDefault(QLocale::system()); }
        } scope(name);
        main->setLocale(QLocale());  // as if started in it
        auto* form = child(QStringLiteral("frmSegmentList"));
        auto* layout = new QVBoxLayout(form);
        auto* picker = new DatePicker(form);
        layout->addWidget(picker);
        picker->show();
        for (const QDate day : {QDate(1925, 6, 1), QDate(2035, 7, 4)}) {
            boxes.clear();
            picker->Value(Value(day));
            picker->editWidget()->setFocus();
            QTRY_VERIFY_WITH_TIMEOUT(QApplication::focusWidget() && picker->isAncestorOf(QApplication::focusWidget()),
                                     2000);
            const QString shown = picker->editWidget()->text();

            click("mnuEditCopy");
            EXPECT_EQ(clip->text(), shown);
            click("mnuEditPaste");
            EXPECT_EQ(picker->Value().toDate(), day);

            click("mnuEditCut");
            EXPECT_EQ(clip->text(), shown);
            EXPECT_TRUE(picker->Value().isNull());
            click("mnuEditPaste");
            EXPECT_EQ(picker->Value().toDate(), day);

            clip->setText(QStringLiteral("2002-07-15"));
            click("mnuEditPaste");
            EXPECT_EQ(picker->Value().toDate(), QDate(2002, 7, 15));
            clip->setText(shown);
            click("mnuEditPaste");
            EXPECT_EQ(picker->Value().toDate(), day);
            EXPECT_EQ(boxes.count(), 0);

            // Text that is no date leaves the value and says so once, in words.
            clip->setText(QStringLiteral("not a date"));
            click("mnuEditPaste");
            EXPECT_EQ(picker->Value().toDate(), day);
            ASSERT_EQ(boxes.count(), 1);
            EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("\"not a date\" is not a date.")))
                << boxes.last().text.toStdString();
            EXPECT_TRUE(boxes.last().text.contains(shown)) << boxes.last().text.toStdString();
        }
        main->mdiArea()->closeAllSubWindows();
    }
}
