#include "shell/mdiMain.h"

#include <QAction>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

namespace {
QPointer<mdiMain> g_instance;
}

mdiMain::mdiMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MDIMain"));
    setWindowTitle(QStringLiteral("Splitwerk"));
    m_area = new QMdiArea(this);
    m_area->setObjectName(QStringLiteral("mdiArea"));
    setCentralWidget(m_area);
    g_instance = this;
}

mdiMain::~mdiMain()
{
    if (g_instance == this)
        g_instance = nullptr;
}

mdiMain* mdiMain::instance() { return g_instance.data(); }

QAction* mdiMain::MenuItem(const QString& name) const
{
    if (auto* menu = findChild<QMenu*>(name))
        return menu->menuAction();
    return findChild<QAction*>(name);
}

QMenu* mdiMain::SortContextMenu() const { return findChild<QMenu*>(QStringLiteral("mnuSortContext")); }

void mdiMain::applyMenuRow(const MenuRow& row)
{
    for (const QString& item : MenuRow::controlledItems())
        if (QAction* action = MenuItem(item))
            action->setEnabled(row.isEnabled(item));
}

QMdiSubWindow* mdiMain::ShowChild(QWidget* child)
{
    child->setAttribute(Qt::WA_DeleteOnClose);
    QMdiSubWindow* sub = m_area->addSubWindow(child);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    child->show();
    sub->show();
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

void mdiMain::closeEvent(QCloseEvent* event)
{
    event->accept();
}
