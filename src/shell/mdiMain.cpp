#include "shell/mdiMain.h"

#include "app/CallByName.h"
#include "app/QuietActivation.h"
#include "app/WindowProc.h"
#include "app/WindowServices.h"
#include "app/clsActiveControl.h"
#include "app/clsFormSettings.h"
#include "app/clsMessageHandler.h"
#include "app/clsStrings.h"
#include "app/clsThisApp.h"
#include "app/modapp.h"
#include "platform/AppError.h"
#include "platform/AppInfo.h"
#include "platform/DataGridPrint.h"
#include "platform/LocaleText.h"
#include "platform/MenuBarVisit.h"
#include "platform/MessagePresenter.h"
#include "platform/Twips.h"
#include "platform/UrlLauncher.h"
#include "shell/ToolbarIcons.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QScopeGuard>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>

#include <algorithm>
#include <array>
#include <optional>

namespace {
QPointer<mdiMain> g_instance;

std::function<void()>& aboutHandler()
{
    static std::function<void()> f;
    return f;
}

std::function<void(qint32)>& commonDialogHandler()
{
    static std::function<void(qint32)> f;
    return f;
}

struct Button {
    const char* key;  // empty for a separator
    int image;
    qint32 tipId;
    const char* tip;
    const char* mirrors;  // the menu item whose state the button takes
};

// The toolbar in index order (1..14).
const std::array<Button, 14> Buttons = {{
    {"Import", 1, 3000, "Import", "mnuFileImport"},
    {"Export", 2, 3010, "Export", "mnuFileExport"},
    {"", 0, 0, "", ""},
    {"Cut", 3, 3020, "Cut", "mnuEditCut"},
    {"Copy", 4, 3030, "Copy", "mnuEditCopy"},
    {"Paste", 5, 3040, "Paste", "mnuEditPaste"},
    {"", 0, 0, "", ""},
    {"Search", 6, 3050, "Search", "mnuViewSearchSegments"},
    {"", 0, 0, "", ""},
    {"Segment", 7, 3060, "Segments", "mnuViewAllSegments"},
    {"Roster", 8, 3070, "Roster", "mnuViewRoster"},
    {"Event", 9, 3080, "Events", "mnuViewEvents"},
    {"Category", 10, 3090, "Category", "mnuViewSegCategory"},
    {"Type", 11, 3100, "Segment Type", "mnuViewSegType"},
}};

void prepareFormSettings(clsFormSettings& settings)
{
    if (clsThisApp* app = modapp::ThisApp())
        settings.BaseRegistrySectionKeyName_ps(app->RegistryBaseSectionKeyName().toString());
}

// Launch failures keep the shell's numbers: 31 means nothing took the address.
constexpr qint32 NoAssociation = 31;
}  // namespace

mdiMain::mdiMain(QWidget* parent) : QMainWindow(parent), m_activeControl(std::make_unique<clsActiveControl>())
{
    setObjectName(QStringLiteral("MDIMain"));
    setWindowTitle(QStringLiteral("Splitwerk"));
    setWindowIcon(ToolbarIcons::icon(11));
    m_area = new QMdiArea(this);
    m_area->setObjectName(QStringLiteral("mdiArea"));
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // A closing child hands the activation back to the one active before it.
    m_area->setActivationOrder(QMdiArea::ActivationHistoryOrder);
    setCentralWidget(m_area);
    connect(m_area, &QMdiArea::subWindowActivated, this, &mdiMain::subWindowActivated_m);

    buildMenus_m();
    buildToolbar_m();
    buildStatusBar_m();
    // The design's document area is the least the window keeps.
    m_area->setMinimumSize(Twips::toPixels(m_area, DesignWidth, DesignHeight));
    g_instance = this;

    if (clsThisApp* app = modapp::ThisApp()) {
        // The guard keeps a late status text from reaching a window already gone.
        QPointer<mdiMain> self(this);
        app->setStatusSink([self](const QString& text) {
            if (self)
                self->m_statusPanel->setText(text);
        });
        app->setMenuDefaultsSink([self] {
            if (self)
                self->menuDefaults_m();
        });
        app->Host_po(this);
    }
    qApp->installEventFilter(this);
    new MenuBarVisit(this);
    m_focusWatch = connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && m_area->isAncestorOf(now))
            clipboardState_m();
    });
    MDIForm_Load();
}

mdiMain::~mdiMain()
{
    // The area's children go after this destructor and still signal their
    // activation on the way out: nothing may reach this half-destroyed window.
    disconnect(m_area, nullptr, this, nullptr);
    disconnect(m_focusWatch);
    if (qApp)
        qApp->removeEventFilter(this);
    if (clsThisApp* app = modapp::ThisApp()) {
        app->setStatusSink({});
        app->setMenuDefaultsSink({});
        if (app->Host_po() == this)
            app->Host_po(nullptr);
    }
    if (g_instance == this)
        g_instance = nullptr;
}

mdiMain* mdiMain::instance() { return g_instance.data(); }

QSize mdiMain::sizeHint() const { return minimumSize().expandedTo(minimumSizeHint()); }

QString mdiMain::uiText_m(qint32 id, const QString& defaultText) { return WindowServices::text(id, defaultText); }

qint32 mdiMain::showMessage_m(const QString& text, qint32 style)
{
    if (auto* mh = modapp::MessageHandler())
        return mh->ShowMessage_gl(text, style);
    return MessagePresenter::show(text, style);
}

void mdiMain::setAboutHandler(std::function<void()> handler) { aboutHandler() = std::move(handler); }

void mdiMain::setCommonDialogHandler(std::function<void(qint32)> handler)
{
    commonDialogHandler() = std::move(handler);
}

// ---- building -------------------------------------------------------------

void mdiMain::buildMenus_m()
{
    using Handler = void (mdiMain::*)();
    auto topMenu = [this](const char* name, const char* caption) {
        auto* menu = new QMenu(QString::fromUtf8(caption), this);
        menu->setObjectName(QString::fromLatin1(name));
        menuBar()->addMenu(menu);
        return menu;
    };
    auto subMenu = [](QMenu* parent, const char* name, const char* caption) {
        auto* menu = new QMenu(QString::fromUtf8(caption), parent);
        menu->setObjectName(QString::fromLatin1(name));
        parent->addMenu(menu);
        return menu;
    };
    auto item = [this](QMenu* menu, const char* name, const char* caption, Handler handler, QKeySequence shortcut = {},
                       bool enabled = true) {
        auto* action = new QAction(QString::fromUtf8(caption), menu);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(shortcut);
        action->setEnabled(enabled);
        menu->addAction(action);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    auto checkItem = [&](QMenu* menu, const char* name, const char* caption, Handler handler, bool checked) {
        QAction* action = item(menu, name, caption, handler);
        action->setCheckable(true);
        action->setChecked(checked);
        return action;
    };
    auto bar = [](QMenu* menu, const char* name) { menu->addSeparator()->setObjectName(QString::fromLatin1(name)); };

    QMenu* file = topMenu("mnuFile", "&File");
    item(file, "mnuFileImport", "&Upload Watch Data...", &mdiMain::mnuFileImport_Click);
    item(file, "mnuFileExport", "&Export To File", &mdiMain::mnuFileExport_Click);
    bar(file, "mnuFileBar2");
    item(file, "mnuFilePageSetup", "Page Set&up...", &mdiMain::mnuFilePageSetup_Click, {}, false);
    item(file, "mnuFilePrintPreview", "Print Pre&view...", &mdiMain::mnuFilePrintPreview_Click, {}, false);
    item(file, "mnuFilePrint", "&Print...", &mdiMain::mnuFilePrint_Click, QKeySequence(Qt::CTRL | Qt::Key_P), false);
    bar(file, "mnuFileBar4");
    item(file, "mnuFileExit", "E&xit", &mdiMain::mnuFileExit_Click);

    QMenu* edit = topMenu("mnuEdit", "&Edit");
    item(edit, "mnuEditUndo", "&Undo", &mdiMain::mnuEditUndo_Click, QKeySequence(Qt::CTRL | Qt::Key_Z), false);
    bar(edit, "mnuEditBar1");
    item(edit, "mnuEditCut", "Cu&t", &mdiMain::mnuEditCut_Click, QKeySequence(Qt::CTRL | Qt::Key_X));
    item(edit, "mnuEditCopy", "&Copy", &mdiMain::mnuEditCopy_Click, QKeySequence(Qt::CTRL | Qt::Key_C));
    item(edit, "mnuEditPaste", "&Paste", &mdiMain::mnuEditPaste_Click, QKeySequence(Qt::CTRL | Qt::Key_V));
    item(edit, "mnuEditFillDown", "Fill Do&wn", &mdiMain::mnuEditFillDown_Click, {}, false);
    bar(edit, "mnuEditBar2");
    item(edit, "mnuEditClear", "Cle&ar", &mdiMain::mnuEditClear_Click, {}, false);
    item(edit, "mnuEditDelete", "&Delete", &mdiMain::mnuEditDelete_Click, {}, false);
    item(edit, "mnuEditSelectAll", "Se&lect All", &mdiMain::mnuEditSelectAll_Click, QKeySequence(Qt::CTRL | Qt::Key_A));
    bar(edit, "mnuEditBar3");
    item(edit, "mnuEditFind", "&Find...", &mdiMain::mnuEditFind_Click, QKeySequence(Qt::CTRL | Qt::Key_F), false);
    item(edit, "mnuEditReplace", "R&eplace...", &mdiMain::mnuEditReplace_Click, QKeySequence(Qt::CTRL | Qt::Key_H),
         false);

    QMenu* view = topMenu("mnuView", "&View");
    connect(view, &QMenu::aboutToShow, this, &mdiMain::mnuView_Click);
    item(view, "mnuViewSearchSegments", "Sea&rch...", &mdiMain::mnuViewSearchSegments_Click);
    bar(view, "mnuViewBar1");
    item(view, "mnuViewAllSegments", "&Segment List...", &mdiMain::mnuViewAllSegments_Click);
    item(view, "mnuViewRoster", "Athlete &List...", &mdiMain::mnuViewRoster_Click);
    item(view, "mnuViewSegCategory", "Athlete &Categories...", &mdiMain::mnuViewSegCategory_Click);
    item(view, "mnuViewEvents", "&Events...", &mdiMain::mnuViewEvents_Click);
    item(view, "mnuViewSegType", "Segment &Types...", &mdiMain::mnuViewSegType_Click);
    bar(view, "mnuViewBar2");
    QMenu* rate = subMenu(view, "mnuViewRateType", "R&ate Display");
    checkItem(rate, "mnuViewRatesStrokesPerMinute", "Strokes/&Minute", &mdiMain::mnuViewRatesStrokesPerMinute_Click,
              true);
    checkItem(rate, "mnuViewRatesSecondsPerCycle", "&Seconds/Cycle", &mdiMain::mnuViewRatesSecondsPerCycle_Click,
              false);
    QMenu* units = subMenu(view, "mnuViewDistanceSpeedType", "&Distance/Speed Units");
    checkItem(units, "mnuViewDistanceFeet", "&Feet (ft/min)", &mdiMain::mnuViewDistanceFeet_Click, false);
    checkItem(units, "mnuViewDistanceKilometers", "&Kilometers (km/hr)", &mdiMain::mnuViewDistanceKilometers_Click,
              false);
    checkItem(units, "mnuViewDistanceMeters", "&Meters (m/sec)", &mdiMain::mnuViewDistanceMeters_Click, true);
    checkItem(units, "mnuViewDistanceMiles", "M&iles (mph)", &mdiMain::mnuViewDistanceMiles_Click, false);
    checkItem(units, "mnuViewDistanceYards", "&Yards (yard/min)", &mdiMain::mnuViewDistanceYards_Click, false);
    bar(view, "mnuViewBar3");
    checkItem(view, "mnuViewDistanceSpeed", "Distance/S&peed", &mdiMain::mnuViewDistanceSpeed_Click, true);
    checkItem(view, "mnuViewDiPS", "D&iPS", &mdiMain::mnuViewDiPS_Click, true);
    checkItem(view, "mnuViewComments", "Co&mments", &mdiMain::mnuViewComments_Click, true);

    m_windowMenu = topMenu("mnuWindow", "&Window");
    connect(m_windowMenu, &QMenu::aboutToShow, this, &mdiMain::mnuWindow_AboutToShow);
    item(m_windowMenu, "mnuWindowTileHorizontally", "Tile &Horizontally", &mdiMain::mnuWindowTileHorizontally_Click);
    item(m_windowMenu, "mnuWindowTileVertically", "Tile &Vertically", &mdiMain::mnuWindowTileVertically_Click);
    item(m_windowMenu, "mnuWindowCascade", "&Cascade", &mdiMain::mnuWindowCascade_Click);
    item(m_windowMenu, "mnuWindowArrangeIcons", "&Arrange Icons", &mdiMain::mnuWindowArrangeIcons_Click);

    QMenu* help = topMenu("mnuHelp", "&Help");
    item(help, "mnuHelpContents", "Help &Contents...", &mdiMain::mnuHelpContents_Click);
    item(help, "mnuHelpSearch", "&Search For Help On...", &mdiMain::mnuHelpSearch_Click);
    bar(help, "mnuHelpBar1");
    item(help, "mnuHelpOnTheWeb", "ZR on the &Web", &mdiMain::mnuHelpOnTheWeb_Click);
    bar(help, "mnuHelpBar2");
    item(help, "mnuHelpAbout", "&About Splitwerk...", &mdiMain::mnuHelpAbout_Click);

    // Never in the menu bar: the grids pop it up themselves. Its menu action
    // stays visible, as Qt refuses to enable an invisible action.
    auto* sort = new QMenu(QStringLiteral("SortContext"), this);
    sort->setObjectName(QStringLiteral("mnuSortContext"));
    sort->menuAction()->setEnabled(false);
    item(sort, "mnuSortAscending", "Sort Ascending", &mdiMain::mnuSortAscending_Click);
    item(sort, "mnuSortDescending", "Sort Descending", &mdiMain::mnuSortDescending_Click);
}

void mdiMain::buildToolbar_m()
{
    m_toolbar = addToolBar(QStringLiteral("Toolbar"));
    m_toolbar->setObjectName(QStringLiteral("tbrToolbar"));
    m_toolbar->setMovable(false);
    m_toolbar->setIconSize(QSize(20, 20));
    for (const Button& b : Buttons) {
        if (!*b.key) {
            m_toolbar->addSeparator();
            continue;
        }
        const QString key = QString::fromLatin1(b.key);
        QAction* action = m_toolbar->addAction(ToolbarIcons::icon(b.image), QString::fromLatin1(b.tip));
        action->setObjectName(key);
        connect(action, &QAction::triggered, this, [this, key] { tbrToolBar_ButtonClick(key); });
    }
}

void mdiMain::buildStatusBar_m()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("stbStatus"));
    auto panel = [bar](const char* name, const QString& text, bool permanent) {
        auto* label = new QLabel(text, bar);
        label->setObjectName(QString::fromLatin1(name));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMargin(2);
        label->setIndent(4);
        if (permanent) {
            label->setAlignment(Qt::AlignCenter);
            label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("CAPS")) + 14);
            bar->addPermanentWidget(label);
        } else {
            bar->addWidget(label, 1);
        }
        return label;
    };
    m_statusPanel = panel("stbStatusText", QString(), false);
    m_capsPanel = panel("stbStatusCaps", QStringLiteral("CAPS"), true);
    m_numPanel = panel("stbStatusNum", QStringLiteral("NUM"), true);
    m_insPanel = panel("stbStatusIns", QStringLiteral("INS"), true);
    m_datePanel = panel("stbStatusDate", QString(), true);
    showLockPanels_m();

    m_midnight = new QTimer(this);
    m_midnight->setSingleShot(true);
    connect(m_midnight, &QTimer::timeout, this, &mdiMain::refreshDate_m);
    refreshDate_m();
}

void mdiMain::refreshDate_m()
{
    const QDateTime now = QDateTime::currentDateTime();
    m_datePanel->setText(LocaleText::date(now.date()));
    // A second past midnight, so the new day has surely begun.
    const QDateTime next(now.date().addDays(1), QTime(0, 0, 1));
    m_midnight->start(int(qBound<qint64>(1000, now.msecsTo(next), 24LL * 3600 * 1000)));
}

// Lock keys cannot be read portably; the panels follow the presses we see,
// starting off. A greyed panel is off.
void mdiMain::showLockPanels_m()
{
    m_capsPanel->setEnabled(m_caps);
    m_numPanel->setEnabled(m_num);
    m_insPanel->setEnabled(m_ins);
}

bool mdiMain::eventFilter(QObject* watched, QEvent* event)
{
    // Children ask for the menu defaults as they close; which child closes
    // decides whether the active one's row must stand.
    if (event->type() == QEvent::Close && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        auto* sub = qobject_cast<QMdiSubWindow*>(widget);
        if (!sub)
            sub = qobject_cast<QMdiSubWindow*>(widget->parentWidget());
        if (sub && sub->mdiArea() == m_area) {
            // Only for the close being handled now: a refused close must not
            // leave it behind for a later request from a tool window.
            m_closingSub = sub;
            QTimer::singleShot(0, this, [this] { m_closingSub = nullptr; });
        }
    }
    // Each key press reaches its native window exactly once.
    if (event->type() == QEvent::KeyPress && watched->isWindowType()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat()) {
            switch (key->key()) {
            case Qt::Key_CapsLock: m_caps = !m_caps; break;
            case Qt::Key_NumLock: m_num = !m_num; break;
            case Qt::Key_Insert: m_ins = !m_ins; break;
            default: break;
            }
            showLockPanels_m();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

QString mdiMain::StatusText() const { return m_statusPanel->text(); }

// ---- load and unload ------------------------------------------------------

void mdiMain::MDIForm_Load()
{
    guarded("MDIMain", "MDIForm_Load", [&] {
        clsFormSettings settings;
        prepareFormSettings(settings);
        // The first time it fills the screen: at its design size the windows
        // it holds would open clipped.
        if (modapp::ThisApp() && !settings.RestorePosition_pf(this, true)) {
            // Restored, it comes back at its design size in the middle.
            settings.CenterForm_p(this);
            setWindowState(windowState() | Qt::WindowMaximized);
        }
        setToolbarTips_m();
        if (clsThisApp* app = modapp::ThisApp())
            app->setMenusAndButtonDefaults_g();
        else
            applyMenuRow(NoChildRow());
    });
}

void mdiMain::setToolbarTips_m()
{
    for (const Button& b : Buttons)
        if (*b.key)
            ToolbarButton(QString::fromLatin1(b.key))->setToolTip(uiText_m(b.tipId, QString::fromLatin1(b.tip)));
}

void mdiMain::closeEvent(QCloseEvent* event)
{
    if (m_unloaded) {
        event->accept();
        return;
    }
    QList<QPointer<QMdiSubWindow>> subs;
    for (QMdiSubWindow* sub : m_area->subWindowList(QMdiArea::CreationOrder))
        subs.append(sub);

    // Every child is asked before any closes: one refusal keeps them all.
    for (const QPointer<QMdiSubWindow>& sub : subs) {
        QWidget* child = sub ? sub->widget() : nullptr;
        if (!child || !CallByName::has(child, "QueryUnload_pf"))
            continue;
        bool agrees = false;
        guarded("MDIMain", "MDIForm_QueryUnload", [&] { agrees = CallByName::get<bool>(child, "QueryUnload_pf"); });
        if (!agrees) {
            event->ignore();
            return;
        }
    }

    m_closingApproved = true;
    for (const QPointer<QMdiSubWindow>& sub : subs) {
        if (sub && !sub->close()) {
            m_closingApproved = false;
            event->ignore();
            return;
        }
    }
    m_closingApproved = false;
    MDIForm_Unload();
    event->accept();
}

void mdiMain::MDIForm_Unload()
{
    m_unloaded = true;
    ignoringErrors([&] {
        clsFormSettings settings;
        prepareFormSettings(settings);
        if (modapp::ThisApp())
            settings.SavePosition_p(this);
    });
    ignoringErrors([] { modapp::EndApplication_m(); });
}

// ---- own commands ---------------------------------------------------------

void mdiMain::mnuFileExit_Click()
{
    guarded("MDIMain", "mnuFileExit_Click", [&] { close(); });
}

void mdiMain::mnuHelpAbout_Click()
{
    guarded("MDIMain", "mnuHelpAbout_Click", [&] {
        if (aboutHandler())
            aboutHandler()();
    });
}

void mdiMain::mnuHelpContents_Click() { openHelp_m("mnuHelpContents_Click", QString()); }

void mdiMain::mnuHelpSearch_Click() { openHelp_m("mnuHelpSearch_Click", QStringLiteral("data")); }

void mdiMain::openHelp_m(const char* proc, const QString& fragment)
{
    guarded("MDIMain", proc, [&] {
        clsThisApp* app = modapp::ThisApp();
        const QString name =
            app && app->Strings_po() ? app->Strings_po()->SysStringFromID_pf(115, QString()) : QString();
        const QString path = QDir(AppInfo::path()).filePath(name);
        if (name.isEmpty() || !QFileInfo(path).isFile()) {
            showMessage_m(uiText_m(4150, QStringLiteral("Help File Not Found, Contact Software Supplier.")), 64);
            return;
        }
        QUrl url = QUrl::fromLocalFile(path);
        if (!fragment.isEmpty())
            url.setFragment(fragment);
        if (!UrlLauncher::open(url))
            showMessage_m(WindowServices::text(4276,
                                               QStringLiteral("No web browser is set up on this computer to show "
                                                              "the help. The help is the file |: open it with a "
                                                              "web browser."),
                                               Value(QDir::toNativeSeparators(path))),
                          64);
    });
}

void mdiMain::mnuHelpOnTheWeb_Click()
{
    guarded("MDIMain", "mnuHelpOnTheWeb_Click", [&] {
        const QString address = uiText_m(1000, QStringLiteral("https://example.org/splitwerk/"));
        if (!UrlLauncher::open(QUrl::fromUserInput(address)))
            throw AppError(NoAssociation, QStringLiteral("No browser could open ") + address);
    });
}

void mdiMain::mnuWindowCascade_Click() { arrange_m(0); }
void mdiMain::mnuWindowTileHorizontally_Click() { arrange_m(1); }
void mdiMain::mnuWindowTileVertically_Click() { arrange_m(2); }
void mdiMain::mnuWindowArrangeIcons_Click() { arrange_m(3); }

// 0 cascade, 1 one above the other, 2 side by side, 3 minimized windows
// lined up along the bottom.
void mdiMain::arrange_m(int how)
{
    static const char* const procs[] = {"mnuWindowCascade_Click", "mnuWindowTileHorizontally_Click",
                                        "mnuWindowTileVertically_Click", "mnuWindowArrangeIcons_Click"};
    guarded("MDIMain", procs[how], [&] {
        if (how == 0) {
            m_area->cascadeSubWindows();
            return;
        }
        const QRect area = m_area->viewport()->rect();
        QList<QMdiSubWindow*> normal;
        QList<QMdiSubWindow*> minimized;
        for (QMdiSubWindow* sub : m_area->subWindowList(QMdiArea::StackingOrder)) {
            if (!sub->isVisible())
                continue;
            (sub->isMinimized() ? minimized : normal).append(sub);
        }
        if (how == 3) {
            int x = 0;
            for (QMdiSubWindow* sub : minimized) {
                const QSize size = sub->size();
                sub->move(x, area.bottom() - size.height() + 1);
                x += size.width();
            }
            return;
        }
        // An equal share of the area each, but never below a window's least
        // size: what does not fit scrolls, and its scroll bar takes its room.
        const bool sideBySide = how == 2;
        const QSize room = m_area->contentsRect().size();
        const int length = sideBySide ? room.width() : room.height();
        const int n = int(normal.size());
        QList<int> shares;
        int total = 0;
        for (int i = 0; i < n; ++i) {
            if (normal[i]->isMaximized())
                normal[i]->showNormal();
            const QSize least = normal[i]->minimumSizeHint();
            shares << std::max(length * (i + 1) / n - length * i / n, sideBySide ? least.width() : least.height());
            total += shares.last();
        }
        const int bar = total > length ? m_area->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_area) : 0;
        const int breadth = (sideBySide ? room.height() : room.width()) - bar;
        int next = 0;
        for (int i = 0; i < n; ++i) {
            QMdiSubWindow* sub = normal[i];
            const QSize least = sub->minimumSizeHint();
            if (sideBySide)
                sub->setGeometry(next, 0, shares[i], std::max(breadth, least.height()));
            else
                sub->setGeometry(0, next, std::max(breadth, least.width()), shares[i]);
            next += shares[i];
        }
    });
}

void mdiMain::mnuWindow_AboutToShow()
{
    guarded("MDIMain", "mnuWindow_Click", [&] {
        for (QAction* action : m_windowMenu->actions())
            if (action->property("windowList").toBool()) {
                m_windowMenu->removeAction(action);
                delete action;
            }
        const QList<QMdiSubWindow*> subs = m_area->subWindowList(QMdiArea::CreationOrder);
        if (subs.isEmpty())
            return;
        QAction* separator = m_windowMenu->addSeparator();
        separator->setProperty("windowList", true);
        int number = 0;
        for (QMdiSubWindow* sub : subs) {
            QString title = sub->windowTitle();
            if (title.isEmpty() && sub->widget())
                title = sub->widget()->objectName();
            QAction* action = m_windowMenu->addAction(QStringLiteral("&%1 %2").arg(++number).arg(title));
            action->setProperty("windowList", true);
            action->setCheckable(true);
            action->setChecked(sub == m_area->currentSubWindow());
            QPointer<QMdiSubWindow> target(sub);
            connect(action, &QAction::triggered, this, [this, target] {
                if (target)
                    m_area->setActiveSubWindow(target);
            });
        }
    });
}

void mdiMain::commonDialog_m(qint32 flags)
{
    if (commonDialogHandler()) {
        commonDialogHandler()(flags);
        return;
    }
    // The choice is not used: nothing here prints.
    QPrinter printer;
    if (flags == 64)
        PrintDialogService::pageSetup(printer, this);
    else
        PrintDialogService::printDialog(printer, this);
}

// ---- menu state -----------------------------------------------------------

QAction* mdiMain::MenuItem(const QString& name) const
{
    if (auto* menu = findChild<QMenu*>(name))
        return menu->menuAction();
    return findChild<QAction*>(name);
}

QMenu* mdiMain::SortContextMenu() const { return findChild<QMenu*>(QStringLiteral("mnuSortContext")); }

QAction* mdiMain::ToolbarButton(const QString& key) const
{
    return m_toolbar ? m_toolbar->findChild<QAction*>(key, Qt::FindDirectChildrenOnly) : nullptr;
}

MenuRow mdiMain::NoChildRow()
{
    return MenuRow(QStringList{QStringLiteral("mnuFileImport"), QStringLiteral("mnuViewSearchSegments"),
                               QStringLiteral("mnuViewRoster"), QStringLiteral("mnuViewEvents"),
                               QStringLiteral("mnuViewSegCategory"), QStringLiteral("mnuViewSegType")});
}

void mdiMain::applyMenuRow(const MenuRow& row)
{
    m_row = row;
    for (const QString& item : MenuRow::controlledItems())
        if (QAction* action = MenuItem(item))
            action->setEnabled(row.isEnabled(item));
    clipboardState_m();
}

void mdiMain::mirrorToolbar_m()
{
    // The buttons follow only once every item is set.
    for (const Button& b : Buttons) {
        if (!*b.key)
            continue;
        QAction* item = MenuItem(QString::fromLatin1(b.mirrors));
        if (QAction* button = ToolbarButton(QString::fromLatin1(b.key)); button && item)
            button->setEnabled(item->isEnabled());
    }
}

void mdiMain::menuDefaults_m()
{
    // A window closing behind the active one (the review after its Save has
    // opened the list) must not take the active window's row away. When the
    // active one closes, the row of the next is applied as it activates.
    // A request from outside the children (the find window) always applies.
    QMdiSubWindow* current = m_area->currentSubWindow();
    if (m_closingSub && current && current != m_closingSub)
        return;
    applyMenuRow(NoChildRow());
}

void mdiMain::setUnitChecks(qint32 rateType, qint32 distanceType)
{
    auto check = [this](const char* name, bool on) {
        if (QAction* a = MenuItem(QString::fromLatin1(name)))
            a->setChecked(on);
    };
    check("mnuViewRatesSecondsPerCycle", rateType == 1);
    check("mnuViewRatesStrokesPerMinute", rateType == 2);
    check("mnuViewDistanceFeet", distanceType == 5);
    check("mnuViewDistanceMeters", distanceType == 1);
    check("mnuViewDistanceKilometers", distanceType == 2);
    check("mnuViewDistanceMiles", distanceType == 3);
    check("mnuViewDistanceYards", distanceType == 4);
}

// ---- children -------------------------------------------------------------

QWidget* mdiMain::frame() { return this; }

void mdiMain::ShowChild(QWidget* child) { showChild(child); }

QList<QWidget*> mdiMain::childWindows() const
{
    QList<QWidget*> children;
    for (QMdiSubWindow* sub : m_area->subWindowList())
        if (sub->widget())
            children << sub->widget();
    return children;
}

void mdiMain::activateChild(QWidget* child)
{
    auto* sub = qobject_cast<QMdiSubWindow*>(child ? child->parentWidget() : nullptr);
    if (!sub || sub->mdiArea() != m_area)
        return;
    if (sub->isMinimized())
        sub->showNormal();
    m_area->setActiveSubWindow(sub);
}

QMdiSubWindow* mdiMain::showChild(QWidget* child)
{
    // A window opened beside a maximised one opens maximised like it. Left to
    // the area, it would be maximised as it shows, before it has put itself
    // at its own place: that place would then land on the maximised frame,
    // which stays marked maximised without filling the area. So it takes its
    // place first and is maximised after.
    const QList<QMdiSubWindow*> others = m_area->subWindowList();
    const bool besideMaximised = std::any_of(others.begin(), others.end(),
                                             [](const QMdiSubWindow* s) { return s->isVisible() && s->isMaximized(); });
    child->setAttribute(Qt::WA_DeleteOnClose);
    QMdiSubWindow* sub = m_area->addSubWindow(child);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    // A window that closes itself takes its frame with it.
    connect(child, &QObject::destroyed, sub, &QMdiSubWindow::close);
    // The area sizes a new frame from the window's hint only while it is
    // shown; a hint larger than the area gives way to it.
    if (!sub->testAttribute(Qt::WA_Resized))
        sub->resize(sub->sizeHint().boundedTo(m_area->viewport()->size()).expandedTo(sub->minimumSizeHint()));
    // Said outright, the frame's least size holds for every arrangement of the
    // area (tiling reads it) and for every resize; Qt lifts it while minimised.
    sub->setMinimumSize(sub->minimumSizeHint());
    m_area->setOption(QMdiArea::DontMaximizeSubWindowOnActivation, true);
    const auto restoreOption =
        qScopeGuard([this] { m_area->setOption(QMdiArea::DontMaximizeSubWindowOnActivation, false); });
    child->show();
    sub->show();  // a saved position, restored as the window shows, still wins
    // Two windows of a kind restore the same place; the newer steps aside by a
    // caption, as cascading would (a maximised one stays where it fills the area).
    const int step = sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, sub);
    const auto covers = [&] {
        if (sub->isMaximized() || sub->isMinimized())
            return false;
        for (const QMdiSubWindow* other : m_area->subWindowList())
            if (other != sub && other->isVisible() && other->pos() == sub->pos())
                return true;
        return false;
    };
    for (int n = 0; n < 100 && covers(); ++n)
        sub->move(sub->pos() + QPoint(step, step));
    if (besideMaximised && !sub->isMinimized()) {
        // One maximised window at a time: the other comes back to its own
        // place beneath, where restoring this one shows it.
        for (QMdiSubWindow* other : others)
            if (other->isMaximized())
                other->showNormal();
        sub->showMaximized();
    }
    m_area->setActiveSubWindow(sub);
    return sub;
}

QWidget* mdiMain::ActiveForm_mo() const
{
    QMdiSubWindow* sub = m_area->currentSubWindow();
    return sub ? sub->widget() : nullptr;
}

QString mdiMain::ActiveFormName_ms() const
{
    QWidget* w = ActiveForm_mo();
    return w ? w->objectName() : QStringLiteral("MDIMain");
}

// The main window losing and regaining the focus re-activates the same
// child; its Form_Activate runs only when another child becomes active.
void mdiMain::subWindowActivated_m(QMdiSubWindow* sub)
{
    if (!sub || sub == m_lastActivated)
        return;
    // Back from the find window to the child it left: only the menus come back.
    const bool back = sub == m_lapsedFrom;
    m_lapsedFrom = nullptr;
    m_lastActivated = sub;
    QWidget* child = sub->widget();
    if (child && CallByName::has(child, "Form_Activate")) {
        std::optional<QuietActivation> quiet;
        if (back)
            quiet.emplace();
        guarded("MDIMain", "Form_Activate", [&] { CallByName::call(child, "Form_Activate"); });
    }
}

void mdiMain::childActivationLapsed()
{
    if (m_lastActivated)
        m_lapsedFrom = m_lastActivated;
    m_lastActivated = nullptr;
}

// The MDI area keeps its current child when the main window gets the focus
// back from a tool window, so it signals nothing: re-activate the child here.
void mdiMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !m_lastActivated)
        subWindowActivated_m(m_area->currentSubWindow());
}

clsActiveControl* mdiMain::ActiveControl_Po() const
{
    if (auto* app = modapp::ThisApp())
        if (auto* tracker = app->ActiveControl_Po())
            return tracker;
    return m_activeControl.get();
}
