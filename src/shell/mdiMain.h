#pragma once

#include "app/MenuRow.h"
#include "app/WindowHost.h"

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>

class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QAction;
class QLabel;
class QToolBar;
class QTimer;
class clsActiveControl;

// The one main window: the multiple-document frame with its menus, toolbar
// and status bar. Child windows are shown in its document area; the menus act
// on the active child by calling its members by name.
//
// What a child window may offer the main window (all Q_INVOKABLE, by name):
//   FormRefresher_po(clsFormRefresher*)  set before the window is shown
//   Form_Activate()                      run when the child becomes the active one
//   bool QueryUnload_pf()                asked before the program ends; false refuses
//   ClearSelection_p, bool FillDown_pf, deleteRows_p, SelectAllRows_p,
//   SetOrder_P(QString), Export_p, PageSetup_P, Print_P(bool),
//   SetGridColumns_p(int, bool), SetDistanceType_p(int), SetSpeedType_p(int),
//   SetRateType_p(int); on the segment list SetTab_p(int) and Search_p();
//   on the find window FormToSearch_pobj(QWidget*) and formStyle_pl(int).
class mdiMain : public QMainWindow, public WindowHost {
    Q_OBJECT
public:
    explicit mdiMain(QWidget* parent = nullptr);
    ~mdiMain() override;

    // The main window while it exists, else null (shut-down, tests without one).
    static mdiMain* instance();

    // The document area's first size in twips, and the least it takes.
    static constexpr int DesignWidth = 8580;
    static constexpr int DesignHeight = 6045;
    QSize sizeHint() const override;

    QMdiArea* mdiArea() const { return m_area; }
    // A menu item by its name ("mnuFileImport"); submenus answer with their menu action.
    QAction* MenuItem(const QString& name) const override;
    // The pop-up sort menu the grids open on a right click (only while its
    // menu action is enabled).
    QMenu* SortContextMenu() const override;
    // A toolbar button by its key ("Import", "Cut", ...).
    QAction* ToolbarButton(const QString& key) const;
    QToolBar* Toolbar() const { return m_toolbar; }
    // The text of the status bar's first panel.
    QString StatusText() const;

    // Enables exactly the row's items among the controlled ones, then mirrors
    // the toolbar buttons from the menu items that issue their commands.
    void applyMenuRow(const MenuRow& row) override;
    // A tool window that set its own row: the active child's Form_Activate
    // runs again when the main window gets the focus back.
    void childActivationLapsed();
    // The state while no child window is active.
    static MenuRow NoChildRow();
    // The segment detail window's extra step after its row: the rate and
    // distance check marks from its own units (other values clear them all).
    void setUnitChecks(qint32 rateType, qint32 distanceType) override;

    QWidget* frame() override;
    // Shows a new child window in the document area (it is deleted when closed).
    void ShowChild(QWidget* child) override;
    // The same, giving the frame the child got.
    QMdiSubWindow* showChild(QWidget* child);
    QList<QWidget*> childWindows() const override;
    void activateChild(QWidget* child) override;
    // The active child window, or null when none is.
    QWidget* ActiveForm_mo() const override;
    // The active child's name; "MDIMain" when no child is active.
    QString ActiveFormName_ms() const;

    // True while the main window closes its children after every one agreed;
    // a child that asks its own question in closeEvent skips it then.
    bool closingApproved() const override { return m_closingApproved; }
    // The control whose value Edit, Undo puts back; windows set it as their
    // controls get the focus.
    // The application's tracker; the window's own while no application object runs (tests).
    clsActiveControl* ActiveControl_Po() const;

    // Help, About shows the About window through this; nothing while none is set.
    static void setAboutHandler(std::function<void()> handler);
    // The print setup (flags 64) and printer (flags 0) dialogs for windows
    // that print nothing of their own; an empty function restores Qt's dialogs.
    static void setCommonDialogHandler(std::function<void(qint32 flags)> handler);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private slots:
    // Own commands.
    void mnuFileExit_Click();
    void mnuHelpAbout_Click();
    void mnuHelpContents_Click();
    void mnuHelpSearch_Click();
    void mnuHelpOnTheWeb_Click();
    void mnuWindowCascade_Click();
    void mnuWindowTileHorizontally_Click();
    void mnuWindowTileVertically_Click();
    void mnuWindowArrangeIcons_Click();
    void mnuWindow_AboutToShow();

    // Commands on the active child.
    void mnuFileImport_Click();
    void mnuFileExport_Click();
    void mnuFilePageSetup_Click();
    void mnuFilePrintPreview_Click();
    void mnuFilePrint_Click();
    void mnuEditUndo_Click();
    void mnuEditCut_Click();
    void mnuEditCopy_Click();
    void mnuEditPaste_Click();
    void mnuEditFillDown_Click();
    void mnuEditClear_Click();
    void mnuEditDelete_Click();
    void mnuEditSelectAll_Click();
    void mnuEditFind_Click();
    void mnuEditReplace_Click();
    void mnuView_Click();
    void mnuViewSearchSegments_Click();
    void mnuViewAllSegments_Click();
    void mnuViewRoster_Click();
    void mnuViewSegCategory_Click();
    void mnuViewEvents_Click();
    void mnuViewSegType_Click();
    void mnuViewRatesStrokesPerMinute_Click();
    void mnuViewRatesSecondsPerCycle_Click();
    void mnuViewDistanceFeet_Click();
    void mnuViewDistanceKilometers_Click();
    void mnuViewDistanceMeters_Click();
    void mnuViewDistanceMiles_Click();
    void mnuViewDistanceYards_Click();
    void mnuViewDistanceSpeed_Click();
    void mnuViewDiPS_Click();
    void mnuViewComments_Click();
    void mnuSortAscending_Click();
    void mnuSortDescending_Click();
    void tbrToolBar_ButtonClick(const QString& key);

    void subWindowActivated_m(QMdiSubWindow* sub);

private:
    void buildMenus_m();
    void buildToolbar_m();
    void buildStatusBar_m();
    void MDIForm_Load();
    void MDIForm_Unload();
    void setToolbarTips_m();
    void refreshDate_m();
    void showLockPanels_m();
    // The application's menu defaults: the no-child row, unless another
    // child than the one closing is active (its row stands).
    void menuDefaults_m();
    // Cut, Copy and Paste as the row has them, and only while the focus in
    // the document area is on a control they serve; then the toolbar follows.
    void clipboardState_m();
    void mirrorToolbar_m();

    void openHelp_m(const char* proc, const QString& fragment);
    void arrange_m(int how);
    void commonDialog_m(qint32 flags);
    void openChild_m(const char* formName);
    void ShowSegmentList_m(bool showAll);
    void openFind_m(qint32 style);
    void chooseUnit_m(const char* item, qint32 distance, qint32 speed);
    void chooseRate_m(const char* item, qint32 rate);
    void flipColumns_m(const char* item, std::initializer_list<qint32> columns);
    void sortActive_m(const char* proc, const QString& order);
    void callIfNamed_m(const QString& name, const char* member);
    // A text of the strings file, or its English default without one.
    static QString uiText_m(qint32 id, const QString& defaultText);
    static qint32 showMessage_m(const QString& text, qint32 style);

    QMdiArea* m_area = nullptr;
    QToolBar* m_toolbar = nullptr;
    QMenu* m_windowMenu = nullptr;
    QLabel* m_statusPanel = nullptr;
    QLabel* m_capsPanel = nullptr;
    QLabel* m_numPanel = nullptr;
    QLabel* m_insPanel = nullptr;
    QLabel* m_datePanel = nullptr;
    QTimer* m_midnight = nullptr;
    bool m_caps = false;
    bool m_num = false;
    bool m_ins = false;
    bool m_closingApproved = false;
    bool m_unloaded = false;
    QPointer<QMdiSubWindow> m_lastActivated;
    // The child that was active when the find window took the activation.
    QPointer<QMdiSubWindow> m_lapsedFrom;
    QPointer<QMdiSubWindow> m_closingSub;  // the frame of the child last asked to close
    std::unique_ptr<clsActiveControl> m_activeControl;
    MenuRow m_row;  // the row applied last
    QMetaObject::Connection m_focusWatch;
};
