#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

// The windows a window opened; they close with it. Windows the user closed
// already are simply dropped.
class clsFamily {
public:
    clsFamily() = default;
    // Closes every child still open, the last added first. A child that
    // refuses to close does not stop the others.
    ~clsFamily();
    clsFamily(const clsFamily&) = delete;
    clsFamily& operator=(const clsFamily&) = delete;

    void AddChild(QWidget* child);
    // How many children are still open.
    qint32 Count() const;

private:
    QList<QPointer<QWidget>> m_children;
};
