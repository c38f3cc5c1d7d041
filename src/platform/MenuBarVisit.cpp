#include "platform/MenuBarVisit.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace {
// A box whose text the Edit menu acts on, a grid's cell editor among them.
bool isTextBox(QObject* watched)
{
    if (qobject_cast<QLineEdit*>(watched) || qobject_cast<QPlainTextEdit*>(watched)
        || qobject_cast<QTextEdit*>(watched))
        return true;
    auto* combo = qobject_cast<QComboBox*>(watched);
    return combo && combo->isEditable();
}
}  // namespace

MenuBarVisit::MenuBarVisit(QObject* parent) : QObject(parent) { qApp->installEventFilter(this); }

MenuBarVisit::~MenuBarVisit()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

bool MenuBarVisit::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::FocusOut && type != QEvent::FocusIn)
        return false;
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason == Qt::MenuBarFocusReason && isTextBox(watched)) {
        // To the menu bar and back: the box never hears of it.
        if (type == QEvent::FocusOut)
            m_box = static_cast<QWidget*>(watched);
        else if (watched != m_box)
            return false;
        else
            m_box = nullptr;
        return true;
    }
    if (type == QEvent::FocusOut && m_box && qobject_cast<QMenuBar*>(watched) && QApplication::focusWidget() != m_box) {
        // The focus goes on elsewhere: now the box has been left.
        QPointer<QWidget> box = m_box;
        m_box = nullptr;
        QFocusEvent left(QEvent::FocusOut, reason);
        QCoreApplication::sendEvent(box, &left);
    }
    return false;
}
