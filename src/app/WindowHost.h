#pragma once

#include "app/MenuRow.h"

#include <QList>
#include <QString>

class QAction;
class QMenu;
class QWidget;

// What the child windows need of the main window. The main window implements
// it and lends itself to the application object; a window reaches it through
// WindowServices::host(), which is null while no main window runs (shut-down,
// a window tried on its own), and then does without it.
class WindowHost {
public:
    virtual ~WindowHost() = default;

    // The frame windows are centred over and stand above.
    virtual QWidget* frame() = 0;

    // Shows a new child window beside the others; it is deleted when closed.
    virtual void ShowChild(QWidget* child) = 0;
    // The child windows now open, and bringing one forward (restored when
    // it was minimised).
    virtual QList<QWidget*> childWindows() const = 0;
    virtual void activateChild(QWidget* child) = 0;
    // The active child window, or null when none is.
    virtual QWidget* ActiveForm_mo() const = 0;
    // True while the main window closes its children after every one agreed.
    virtual bool closingApproved() const = 0;

    // Enables exactly the row's menu items and the toolbar buttons behind them.
    virtual void applyMenuRow(const MenuRow& row) = 0;
    // A menu item by its name ("mnuViewComments"), null when there is none.
    virtual QAction* MenuItem(const QString& name) const = 0;
    // The View menu's rate and distance unit check marks.
    virtual void setUnitChecks(qint32 rateType, qint32 distanceType) = 0;
    // The pop-up sort menu the grids open on a right click.
    virtual QMenu* SortContextMenu() const = 0;
};
