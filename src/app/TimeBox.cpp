#include "app/TimeBox.h"

#include "app/WindowServices.h"
#include "app/clsActiveControl.h"
#include "app/clsLibrary.h"

#include <QLineEdit>
#include <QTimer>

namespace TimeBox {

QTime read(const QString& text)
{
    const clsLibrary* library = modapp::Library();
    return library ? library->TimeOfDay_g(text) : clsLibrary().TimeOfDay_g(text);
}

bool check(QLineEdit* box, const std::function<QString(const QTime&)>& format)
{
    if (box->text().isEmpty())
        return true;
    const QTime time = read(box->text());
    if (time.isValid()) {
        box->setText(format(time));
        return true;
    }
    WindowServices::showMessage(WindowServices::text(631, QStringLiteral("You have not entered a valid time")), 0);
    // Back to what the box held when it got the focus, and the focus stays.
    clsActiveControl* tracker = modapp::ThisApp() ? modapp::ThisApp()->ActiveControl_Po() : nullptr;
    if (tracker && tracker->Control_Pobj() == box)
        tracker->ControlUndo_Mf();
    // The focus change under way has to end first; the focus comes back then.
    QTimer::singleShot(0, box, [box] {
        box->activateWindow();
        box->setFocus();
    });
    return false;
}

}  // namespace TimeBox
