#pragma once

#include "shell/MenuRow.h"

#include <QMainWindow>
#include <QPointer>

class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QAction;

// The one main window: the multiple-document frame with its menus, toolbar
// and status bar. Child windows are shown in its document area.
class mdiMain : public QMainWindow {
    Q_OBJECT
public:
    explicit mdiMain(QWidget* parent = nullptr);
    ~mdiMain() override;

    // The main window while it exists, else null (shut-down, tests without one).
    static mdiMain* instance();

    QMdiArea* mdiArea() const { return m_area; }
    // A menu item by its name ("mnuFileImport"); submenus answer with their menu action.
    QAction* MenuItem(const QString& name) const;
    // The pop-up sort menu the grids open on a right click.
    QMenu* SortContextMenu() const;
    // Enables exactly the row's items among the controlled ones and mirrors
    // the toolbar buttons.
    void applyMenuRow(const MenuRow& row);

    // Shows a new child window in the document area (it is deleted when closed).
    QMdiSubWindow* ShowChild(QWidget* child);
    // The active child window, or null when none is.
    QWidget* ActiveForm_mo() const;
    // The active child's name; "MDIMain" when no child is active.
    QString ActiveFormName_ms() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QMdiArea* m_area = nullptr;
};
