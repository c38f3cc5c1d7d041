#pragma once

#include <QObject>
#include <QPointer>

// A menu opened from the keyboard (Alt, or Alt and its letter) takes the
// focus to the menu bar and back, and a text box takes that for a leave and a
// new visit: a line edit drops its selection, so Cut or Copy chosen there find
// nothing, a grid closes the cell being edited, and a window's leave and enter
// handlers run (select all, checks, Edit, Undo's remembered value). A menu
// opened with the mouse leaves the focus where it is, as a Windows menu does
// either way. Watching the whole application, this keeps the menu bar's visit
// from the text box that had the focus; should the focus go on from the menu
// bar to another control, the box is told of its leave then.
class MenuBarVisit : public QObject {
public:
    explicit MenuBarVisit(QObject* parent = nullptr);
    ~MenuBarVisit() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_box;  // the text box the menu bar has the focus from
};
