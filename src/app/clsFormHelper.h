#pragma once

#include <QList>
#include <QString>

class QWidget;

// Finds loaded windows by name: the windows of their own and those shown in
// a main window's workspace, each known by its objectName().
class clsFormHelper {
public:
    clsFormHelper() = default;
    virtual ~clsFormHelper() = default;

    // Exact, case-sensitive name; false on any failure.
    virtual bool isFormLoaded_pf(const QString& name) const;
    // Case-blind name; nullptr when no window has it.
    virtual QWidget* GetFormNamed_po(const QString& name) const;
    virtual void FormOnTop(QWidget* form, bool onTop);

    // The loaded windows: each top-level window, then the windows in its workspaces.
    static QList<QWidget*> loadedForms();
};
