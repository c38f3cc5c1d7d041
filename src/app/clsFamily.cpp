#include "app/clsFamily.h"

#include <QMdiSubWindow>

clsFamily::~clsFamily()
{
    while (!m_children.isEmpty()) {
        const QPointer<QWidget> child = m_children.takeLast();
        try {
            if (!child)
                continue;
            // A child shown in a sub-window closes through its frame, which
            // asks the child and goes away with it.
            QWidget* target = child.data();
            if (auto* frame = qobject_cast<QMdiSubWindow*>(child->parentWidget()); frame && frame->widget() == child)
                target = frame;
            target->close();
        } catch (...) {
        }
    }
}

void clsFamily::AddChild(QWidget* child)
{
    if (child)
        m_children.append(QPointer<QWidget>(child));
}

qint32 clsFamily::Count() const
{
    qint32 n = 0;
    for (const auto& c : m_children)
        n += c ? 1 : 0;
    return n;
}
