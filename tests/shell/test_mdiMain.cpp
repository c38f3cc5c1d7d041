#include "FakeChildren.h"
#include "ShellFixture.h"

#include "platform/RegistryStore.h"

#include <QDate>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

namespace {
struct Entry {
    const char* name;
    const char* caption;  // "-" for a separator
    const char* shortcut;
};
struct Menu {
    const char* name;
    const char* caption;
    QList<Entry> entries;  // a submenu's entries follow it, marked by a leading ">"
};

// The menu bar as the program's menu table gives it.
const QList<Menu> Tree = {
    {"mnuFile",
     "&File",
     {{"mnuFileImport", "&Upload Watch Data...", ""},
      {"mnuFileExport", "&Export To File", ""},
      {"mnuFileBar2", "-", ""},
      {"mnuFilePageSetup", "Page Set&up...", ""},
      {"mnuFilePrintPreview", "Print Pre&view...", ""},
      {"mnuFilePrint", "&Print...", "Ctrl+P"},
      {"mnuFileBar4", "-", ""},
      {"mnuFileExit", "E&xit", ""}}},
    {"mnuEdit",
     "&Edit",
     {{"mnuEditUndo", "&Undo", "Ctrl+Z"},
      {"mnuEditBar1", "-", ""},
      {"mnuEditCut", "Cu&t", "Ctrl+X"},
      {"mnuEditCopy", "&Copy", "Ctrl+C"},
      {"mnuEditPaste", "&Paste", "Ctrl+V"},
      {"mnuEditFillDown", "Fill Do&wn", ""},
      {"mnuEditBar2", "-", ""},
      {"mnuEditClear", "Cle&ar", ""},
      {"mnuEditDelete", "&Delete", ""},
      {"mnuEditSelectAll", "Se&lect All", "Ctrl+A"},
      {"mnuEditBar3", "-", ""},
      {"mnuEditFind", "&Find...", "Ctrl+F"},
      {"mnuEditReplace", "R&eplace...", "Ctrl+H"}}},
    {"mnuView",
     "&View",
     {{"mnuViewSearchSegments", "Sea&rch...", ""},
      {"mnuViewBar1", "-", ""},
      {"mnuViewAllSegments", "&Segment List...", ""},
      {"mnuViewRoster", "Athlete &List...", ""},
      {"mnuViewSegCategory", "Athlete &Categories...", ""},
      {"mnuViewEvents", "&Events...", ""},
      {"mnuViewSegType", "Segment &Types...", ""},
      {"mnuViewBar2", "-", ""},
      {"mnuViewRateType", "R&ate Display", ""},
      {">mnuViewRatesStrokesPerMinute", "Strokes/&Minute", ""},
      {">mnuViewRatesSecondsPerCycle", "&Seconds/Cycle", ""},
      {"mnuViewDistanceSpeedType", "&Distance/Speed Units", ""},
      {">mnuViewDistanceFeet", "&Feet (ft/min)", ""},
      {">mnuViewDistanceKilometers", "&Kilometers (km/hr)", ""},
      {">mnuViewDistanceMeters", "&Meters (m/sec)", ""},
      {">mnuViewDistanceMiles", "M&iles (mph)", ""},
      {">mnuViewDistanceYards", "&Yards (yard/min)", ""},
      {"mnuViewBar3", "-", ""},
      {"mnuViewDistanceSpeed", "Distance/S&peed", ""},
      {"mnuViewDiPS", "D&iPS", ""},
      {"mnuViewComments", "Co&mments", ""}}},
    {"mnuWindow",
     "&Window",
     {{"mnuWindowTileHorizontally", "Tile &Horizontally", ""},
      {"mnuWindowTileVertically", "Tile &Vertically", ""},
      {"mnuWindowCascade", "&Cascade", ""},
      {"mnuWindowArrangeIcons", "&Arrange Icons", ""}}},
    {"mnuHelp",
     "&Help",
     {{"mnuHelpContents", "Help &Contents...", ""},
      {"mnuHelpSearch", "&Search For Help On...", ""},
      {"mnuHelpBar1", "-", ""},
      {"mnuHelpOnTheWeb", "ZR on the &Web", ""},
      {"mnuHelpBar2", "-", ""},
      {"mnuHelpAbout", "&About Splitwerk...", ""}}},
};

// One line an action: "name|caption|shortcut", submenu entries indented.
QStringList describe(const QMenu* menu, const QString& indent = {})
{
    QStringList lines;
    for (QAction* a : menu->actions()) {
        if (a->menu()) {
            lines << a->menu()->objectName() + QLatin1Char('|') + a->text() + QLatin1Char('|');
            lines << describe(a->menu(), indent + QLatin1Char('>'));
        } else {
            lines << indent + a->objectName() + QLatin1Char('|') + (a->isSeparator() ? QStringLiteral("-") : a->text())
                    + QLatin1Char('|') + a->shortcut().toString(QKeySequence::PortableText);
        }
    }
    return lines;
}

const QStringList NoChildOn = {"mnuFileImport", "mnuViewSearchSegments", "mnuViewRoster",
                               "mnuViewEvents", "mnuViewSegCategory",    "mnuViewSegType"};
const QStringList ToolbarKeys = {"Import", "Export", "",        "Cut",    "Copy",  "Paste",    "",
                                 "Search", "",       "Segment", "Roster", "Event", "Category", "Type"};
}  // namespace

TEST_F(ShellTest, MenuTreeHasEveryItemWithItsCaptionAndShortcut)
{
    openMain();
    const QList<QAction*> tops = main->menuBar()->actions();
    ASSERT_EQ(tops.size(), Tree.size());
    for (int m = 0; m < Tree.size(); ++m) {
        const Menu& expected = Tree[m];
        ASSERT_NE(tops[m]->menu(), nullptr);
        EXPECT_EQ(tops[m]->menu()->objectName(), QLatin1String(expected.name));
        EXPECT_EQ(tops[m]->text(), QLatin1String(expected.caption));
        QStringList want;
        for (const Entry& e : expected.entries)
            want << QStringLiteral("%1|%2|%3")
                        .arg(QLatin1String(e.name), QLatin1String(e.caption), QLatin1String(e.shortcut));
        EXPECT_EQ(describe(tops[m]->menu()), want) << expected.name;
    }

    // The sort pop-up stays out of the menu bar.
    QMenu* sort = main->SortContextMenu();
    ASSERT_NE(sort, nullptr);
    EXPECT_EQ(describe(sort), (QStringList{"mnuSortAscending|Sort Ascending|", "mnuSortDescending|Sort Descending|"}));
    EXPECT_EQ(main->MenuItem("mnuSortContext"), sort->menuAction());
}

TEST_F(ShellTest, AfterLoadTheNoChildRowAndTheDesignCheckMarksStand)
{
    openMain();
    for (const QString& name : MenuRow::controlledItems())
        EXPECT_EQ(main->MenuItem(name)->isEnabled(), NoChildOn.contains(name)) << qPrintable(name);
    for (const char* name : {"mnuFileExit", "mnuViewAllSegments", "mnuWindowCascade", "mnuHelpContents", "mnuHelpAbout",
                             "mnuFile", "mnuEdit", "mnuView", "mnuWindow", "mnuHelp"})
        EXPECT_TRUE(item(name)->isEnabled()) << name;

    QStringList checked;
    for (QAction* a : main->findChildren<QAction*>())
        if (a->isChecked() && a->objectName().startsWith(QLatin1String("mnu")))
            checked << a->objectName();
    checked.sort();
    EXPECT_EQ(checked,
              (QStringList{"mnuViewComments", "mnuViewDiPS", "mnuViewDistanceMeters", "mnuViewDistanceSpeed",
                           "mnuViewRatesStrokesPerMinute"}));

    // The toolbar: fourteen entries, the three separators, buttons mirroring their items.
    const QList<QAction*> entries = main->Toolbar()->actions();
    ASSERT_EQ(entries.size(), ToolbarKeys.size());
    for (int i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i]->isSeparator(), ToolbarKeys[i].isEmpty()) << i;
        if (!ToolbarKeys[i].isEmpty()) {
            EXPECT_EQ(entries[i]->objectName(), ToolbarKeys[i]);
        }
    }
    const QStringList off = {"Export", "Cut", "Copy", "Paste"};
    for (const QString& key : ToolbarKeys) {
        if (!key.isEmpty()) {
            EXPECT_EQ(main->ToolbarButton(key)->isEnabled(), !off.contains(key)) << qPrintable(key);
        }
    }
    EXPECT_EQ(main->ToolbarButton("Type")->toolTip(), QStringLiteral("Segment Type"));
    EXPECT_EQ(main->ToolbarButton("Segment")->toolTip(), QStringLiteral("Segments"));
    EXPECT_FALSE(main->ToolbarButton("Import")->icon().isNull());
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(ShellTest, TooltipsComeFromTheStringsFile)
{
    QFile file(folder.stringsPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QString text = QString::fromUtf8(file.readAll());
    file.close();
    text.replace(QStringLiteral("3000=Import"), QStringLiteral("3000=Upload from the watch"));
    text.replace(QStringLiteral("3100=Segment Type\n"), QStringLiteral("\n"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
    file.close();

    openMain();
    EXPECT_EQ(main->ToolbarButton("Import")->toolTip(), QStringLiteral("Upload from the watch"));
    EXPECT_EQ(main->ToolbarButton("Type")->toolTip(), QStringLiteral("Segment Type"));
}

TEST_F(ShellTest, RowsSetAllItemsAndTheToolbarFollows)
{
    openMain();
    const QStringList viewLists = {"mnuViewSearchSegments", "mnuViewRoster", "mnuViewEvents", "mnuViewSegCategory",
                                   "mnuViewSegType"};
    const QStringList sort = {"mnuSortAscending", "mnuSortContext", "mnuSortDescending"};
    // Find, download and review windows.
    const QList<QStringList> rows = {viewLists, viewLists + QStringList{"mnuEditUndo"},
                                     viewLists + sort + QStringList{"mnuEditUndo"}};
    for (const QStringList& on : rows) {
        main->applyMenuRow(MenuRow(on));
        for (const QString& name : MenuRow::controlledItems())
            EXPECT_EQ(main->MenuItem(name)->isEnabled(), on.contains(name)) << qPrintable(name);
        EXPECT_FALSE(main->ToolbarButton("Import")->isEnabled());
        for (const char* key : {"Search", "Segment", "Roster", "Event", "Category", "Type"})
            EXPECT_TRUE(main->ToolbarButton(key)->isEnabled()) << key;
    }
    EXPECT_TRUE(main->SortContextMenu()->menuAction()->isEnabled());

    // A row with everything on lights the buttons too; the application's
    // defaults bring the no-child state back.
    enableAll();
    for (const char* key : {"Import", "Export", "Cut", "Copy", "Paste"})
        EXPECT_TRUE(main->ToolbarButton(key)->isEnabled()) << key;
    app->setMenusAndButtonDefaults_g();
    for (const QString& name : MenuRow::controlledItems())
        EXPECT_EQ(main->MenuItem(name)->isEnabled(), NoChildOn.contains(name)) << qPrintable(name);
    EXPECT_FALSE(main->ToolbarButton("Export")->isEnabled());
    EXPECT_TRUE(main->ToolbarButton("Import")->isEnabled());
}

TEST_F(ShellTest, DetailWindowUnitChecks)
{
    openMain();
    auto marks = [this] {
        QString s;
        for (const char* name :
             {"mnuViewRatesSecondsPerCycle", "mnuViewRatesStrokesPerMinute", "mnuViewDistanceMeters",
              "mnuViewDistanceKilometers", "mnuViewDistanceMiles", "mnuViewDistanceYards", "mnuViewDistanceFeet"})
            s += item(name)->isChecked() ? QLatin1Char('x') : QLatin1Char('.');
        return s;
    };
    main->setUnitChecks(1, 1);
    EXPECT_EQ(marks(), QStringLiteral("x.x...."));
    main->setUnitChecks(2, 2);
    EXPECT_EQ(marks(), QStringLiteral(".x.x..."));
    main->setUnitChecks(7, 3);
    EXPECT_EQ(marks(), QStringLiteral("....x.."));
    main->setUnitChecks(1, 4);
    EXPECT_EQ(marks(), QStringLiteral("x....x."));
    main->setUnitChecks(2, 5);
    EXPECT_EQ(marks(), QStringLiteral(".x....x"));
    main->setUnitChecks(0, 9);
    EXPECT_EQ(marks(), QStringLiteral("......."));
}

TEST_F(ShellTest, StatusTextGoesToTheFirstPanelWhileTheWindowLives)
{
    struct UsLocale {
        UsLocale() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
        ~UsLocale() { QLocale::setDefault(QLocale::system()); }
    } scope;
    openMain();
    app->SysCmd_g(4, QStringLiteral("Sorting"));
    EXPECT_EQ(main->StatusText(), QStringLiteral("Sorting"));
    EXPECT_EQ(main->findChild<QLabel*>("stbStatusText")->text(), QStringLiteral("Sorting"));
    app->SysCmd_g(1);
    EXPECT_EQ(main->StatusText(), QString());
    // Today with its century.
    const QDate today = QDate::currentDate();
    EXPECT_EQ(main->findChild<QLabel*>("stbStatusDate")->text(),
              QStringLiteral("%1/%2/%3").arg(today.month()).arg(today.day()).arg(today.year()));
    main.reset();
    app->SysCmd_g(4, QStringLiteral("nobody listens"));  // no window: nothing happens
    app->setMenusAndButtonDefaults_g();
}

TEST_F(ShellTest, HelpOpensTheProgramFoldersHelpFileOrSaysItIsMissing)
{
    openMain();
    click("mnuHelpContents");
    click("mnuHelpSearch");
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_EQ(boxes.shown()[0].text, QStringLiteral("Help File Not Found, Contact Software Supplier."));
    EXPECT_EQ(boxes.shown()[1].text, QStringLiteral("Help File Not Found, Contact Software Supplier."));
    EXPECT_EQ(boxes.shown()[0].style & 0x70, 64);
    EXPECT_TRUE(launched.isEmpty());

    boxes.clear();
    ASSERT_TRUE(
        QFile::copy(QStringLiteral(SPLITWERK_RESOURCES_DIR "/splitwerk.html"), folder.path() + "/splitwerk.html"));
    click("mnuHelpContents");
    click("mnuHelpSearch");
    EXPECT_EQ(boxes.count(), 0);
    ASSERT_EQ(launched.size(), 2);
    EXPECT_EQ(launched[0], QUrl::fromLocalFile(folder.path() + "/splitwerk.html"));
    EXPECT_EQ(launched[1].fragment(), QStringLiteral("data"));
    EXPECT_EQ(launched[1].toLocalFile(), folder.path() + "/splitwerk.html");

    // No browser to take it: where the file is, in words.
    launchResult = false;
    click("mnuHelpContents");
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text,
              QStringLiteral("No web browser is set up on this computer to show the help. The help "
                             "is the file %1: open it with a web browser.")
                  .arg(QDir::toNativeSeparators(folder.path() + "/splitwerk.html")));
    EXPECT_EQ(boxes.last().style & 0x70, 64);
}

TEST_F(ShellTest, WebPageOpensTextThousandAndAFailedLaunchIsOneError)
{
    openMain();
    click("mnuHelpOnTheWeb");
    ASSERT_EQ(launched.size(), 1);
    EXPECT_EQ(launched[0], QUrl(QStringLiteral("https://example.org/splitwerk/")));
    EXPECT_EQ(boxes.count(), 0);

    launchResult = false;
    click("mnuHelpOnTheWeb");
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("31"))) << qPrintable(boxes.last().text);
}

TEST_F(ShellTest, ExitWithOneChildRefusingLeavesEverythingOpen)
{
    openMain();
    callLog().clear();
    auto* first = new FakeChild(QStringLiteral("frmSegmentList"));
    auto* refusing = new FakeChild(QStringLiteral("frmSegmentDetail"));
    auto* bare = new BareChild(QStringLiteral("frmRoster"));
    refusing->agreesToClose = false;
    show(first);
    show(refusing);
    show(bare);
    const QString saved = QStringLiteral("SOFTWARE\\Splitwerk\\FormSettings\\MDIMain");

    click("mnuFileExit");
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(main->mdiArea()->subWindowList().size(), 3);
    EXPECT_TRUE(first->isVisible());
    EXPECT_TRUE(bare->isVisible());
    EXPECT_EQ(modapp::ThisApp(), app.get());  // no shut-down ran
    EXPECT_TRUE(RegistryStore::value(saved, QStringLiteral("Width")).isEmpty());
    EXPECT_TRUE(callLog().contains("frmSegmentList.QueryUnload_pf"));
    EXPECT_TRUE(callLog().contains("frmSegmentDetail.QueryUnload_pf"));

    // Once every child agrees, they all close, the position is kept and the program ends.
    refusing->agreesToClose = true;
    QPointer<QWidget> gone(first);
    click("mnuFileExit");
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(modapp::ThisApp(), nullptr);
    EXPECT_FALSE(RegistryStore::value(saved, QStringLiteral("Width")).isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(gone.isNull(), 2000);
}

TEST_F(ShellTest, WindowMenuListsTheChildrenAndChecksTheCurrentOne)
{
    openMain();
    auto* a = new BareChild(QStringLiteral("frmRoster"));
    a->setWindowTitle(QStringLiteral("Athletes"));
    auto* b = new BareChild(QStringLiteral("frmEvent"));
    b->setWindowTitle(QStringLiteral("Events"));
    show(a);
    show(b);
    QMenu* menu = main->findChild<QMenu*>("mnuWindow");
    emit menu->aboutToShow();
    emit menu->aboutToShow();  // rebuilt, not appended
    QStringList names;
    QStringList checked;
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 7);
    EXPECT_TRUE(actions[4]->isSeparator());
    for (QAction* action : actions.mid(5)) {
        names << action->text();
        if (action->isChecked())
            checked << action->text();
    }
    EXPECT_EQ(names, (QStringList{"&1 Athletes", "&2 Events"}));
    EXPECT_EQ(checked, QStringList{"&2 Events"});

    actions[5]->trigger();
    EXPECT_EQ(main->ActiveForm_mo(), a);
    EXPECT_EQ(main->ActiveFormName_ms(), QStringLiteral("frmRoster"));
}

TEST_F(ShellTest, TilingPutsWindowsAboveEachOtherOrSideBySide)
{
    openMain();
    auto* a = new BareChild(QStringLiteral("frmRoster"));
    auto* b = new BareChild(QStringLiteral("frmEvent"));
    QMdiSubWindow* sa = show(a);
    QMdiSubWindow* sb = show(b);
    const QRect area = main->mdiArea()->viewport()->rect();
    click("mnuWindowTileHorizontally");
    EXPECT_EQ(sa->width(), area.width());
    EXPECT_EQ(sb->width(), area.width());
    EXPECT_EQ(sa->height() + sb->height(), area.height());
    EXPECT_NE(sa->y(), sb->y());
    click("mnuWindowTileVertically");
    EXPECT_EQ(sa->height(), area.height());
    EXPECT_EQ(sa->width() + sb->width(), area.width());
    EXPECT_NE(sa->x(), sb->x());
}

TEST_F(ShellTest, ActivatingAnotherChildRunsItsFormActivateOnce)
{
    openMain();
    callLog().clear();
    auto* list = new FakeChild(QStringLiteral("frmSegmentList"));
    auto* detail = new FakeChild(QStringLiteral("frmSegmentDetail"));
    QMdiSubWindow* s1 = show(list);
    show(detail);
    main->mdiArea()->setActiveSubWindow(s1);
    main->mdiArea()->setActiveSubWindow(s1);
    EXPECT_EQ(callLog(),
              (QStringList{"frmSegmentList.Form_Activate", "frmSegmentDetail.Form_Activate",
                           "frmSegmentList.Form_Activate"}));
}

TEST_F(ShellTest, WhenAChildClosesTheRowOfTheWindowThenActiveStands)
{
    openMain();
    const QStringList listRow = {"mnuFileExport", "mnuEditDelete", "mnuEditSelectAll", "mnuFileImport"};
    const QStringList reviewRow = {"mnuSortAscending", "mnuEditUndo"};
    const QStringList rosterRow = {"mnuViewRoster", "mnuEditClear"};
    auto rowNow = [&] {
        QStringList on;
        for (const QString& name : MenuRow::controlledItems())
            if (item(name.toLatin1().constData())->isEnabled())
                on << name;
        on.sort();
        return on.join(QLatin1Char(' ')).toStdString();
    };
    auto sorted = [](QStringList l) {
        l.sort();
        return l.join(QLatin1Char(' ')).toStdString();
    };
    auto closeAndSettle = [&](QWidget* w) {
        const auto before = main->mdiArea()->subWindowList().size();
        w->close();
        ASSERT_TRUE(QTest::qWaitFor([&] { return main->mdiArea()->subWindowList().size() < before; }, 2000));
    };

    auto* review = new RowChild(QStringLiteral("frmImportSegment"), reviewRow);
    show(review);
    auto* list = new RowChild(QStringLiteral("frmSegmentList"), listRow);
    show(list);              // as the review's Save opens the list
    closeAndSettle(review);  // the review closes behind the active list
    EXPECT_EQ(rowNow(), sorted(listRow));
    EXPECT_TRUE(main->ToolbarButton("Export")->isEnabled());

    // The active child closing hands over to the one activated next.
    auto* roster = new RowChild(QStringLiteral("frmRoster"), rosterRow);
    show(roster);
    EXPECT_EQ(rowNow(), sorted(rosterRow));
    closeAndSettle(roster);
    EXPECT_EQ(rowNow(), sorted(listRow));

    // The last one leaves the no-child row.
    closeAndSettle(list);
    EXPECT_EQ(rowNow(), sorted(NoChildOn));
}

// Started as the program starts, Exit runs the whole shut-down: the temporary
// views go, and the version stamp is written once the application object is released.
TEST(ShellStartUp, ExitEndsTheProgramThroughTheShutDownSequence)
{
    TempProgramFolder folder;
    ScriptedMessages boxes;
    ASSERT_TRUE(folder.makeProgramFiles());
    QPointer<mdiMain> window;
    modapp::setMainWindowFactory([&window] {
        window = new mdiMain;
        window->show();
        return true;
    });
    ASSERT_EQ(modapp::Main(), 0);
    ASSERT_TRUE(window);
    ASSERT_NE(modapp::ThisApp(), nullptr);
    const QString versionKey = QStringLiteral("SOFTWARE\\Splitwerk\\General");
    RegistryStore::setValue(versionKey, QStringLiteral("Version"), QStringLiteral("0.0.0"));
    ASSERT_TRUE(folder.execSql(QStringLiteral("CREATE VIEW qryTempLeft AS SELECT 1")));

    window->MenuItem(QStringLiteral("mnuFileExit"))->trigger();
    EXPECT_EQ(modapp::ThisApp(), nullptr);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(RegistryStore::value(versionKey, QStringLiteral("Version")), QStringLiteral("2.3.1"));
    EXPECT_EQ(window->StatusText(), QString());  // the last status step cleared the bar
    EXPECT_EQ(boxes.count(), 0);
    // The view is gone: making it again succeeds.
    QString error;
    EXPECT_TRUE(folder.execSql(QStringLiteral("CREATE VIEW qryTempLeft AS SELECT 2"), &error)) << qPrintable(error);
    delete window.data();
    modapp::setMainWindowFactory({});
    modapp::releaseAll();
}
