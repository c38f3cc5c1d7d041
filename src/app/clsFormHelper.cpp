#include "app/clsFormHelper.h"

#include "app/clsFormSettings.h"
#include "platform/AppError.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QWidget>

QList<QWidget*> clsFormHelper::loadedForms()
{
    QList<QWidget*> forms;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        forms.append(top);
        for (const QMdiArea* area : top->findChildren<QMdiArea*>())
            for (const QMdiSubWindow* sub : area->subWindowList())
                if (sub->widget())
                    forms.append(sub->widget());
    }
    return forms;
}

bool clsFormHelper::isFormLoaded_pf(const QString& name) const
{
    if (name.isEmpty())
        return false;
    try {
        for (const QWidget* form : loadedForms())
            if (form->objectName() == name)
                return true;
    } catch (...) {
    }
    return false;
}

QWidget* clsFormHelper::GetFormNamed_po(const QString& name) const
{
    if (name.isEmpty())
        return nullptr;  // unnamed internal widgets are no windows of ours
    for (QWidget* form : loadedForms())
        if (form->objectName().compare(name, Qt::CaseInsensitive) == 0)
            return form;
    return nullptr;
}

void clsFormHelper::FormOnTop(QWidget* form, bool onTop)
{
    try {
        QWidget* frame = clsFormSettings::frameOf(form);
        const bool wasVisible = frame->isVisible();
        frame->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
        // New flags hide a window; only one that was showing comes back.
        if (wasVisible)
            frame->show();
    } catch (const AppError& e) {
        throw e.asObjectError(QStringLiteral("clsFormHelper.FormOnTop"));
    }
}
