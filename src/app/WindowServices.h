#pragma once

#include "app/WindowHost.h"
#include "app/WindowProc.h"
#include "app/clsFormSettings.h"
#include "app/clsGridSettings.h"
#include "app/clsMessageHandler.h"
#include "app/clsStrings.h"
#include "app/clsThisApp.h"
#include "app/modapp.h"
#include "platform/AppError.h"

#include <QString>
#include <QVariant>

class DataGrid;
class QWidget;

// What every child window asks of the application: the application object,
// status texts, message boxes, texts of the strings file, and its place and
// grid layout kept between runs.
namespace WindowServices {

// The application object; 429 when there is none.
inline clsThisApp& app()
{
    clsThisApp* a = modapp::ThisApp();
    if (!a)
        throw AppError(ErrNo::CantCreateObject, AppError::standardDescription(ErrNo::CantCreateObject));
    return *a;
}

// The main window, or null while none runs.
inline WindowHost* host()
{
    clsThisApp* a = modapp::ThisApp();
    return a ? a->Host_po() : nullptr;
}

// The frame a window is centred over: the main window's, else none.
inline QWidget* frame()
{
    WindowHost* h = host();
    return h ? h->frame() : nullptr;
}

// Status text: 1 clears, 4 sets; nothing without an application object.
inline void sysCmd(qint32 action, const QString& text = {})
{
    if (clsThisApp* a = modapp::ThisApp())
        a->SysCmd_g(action, text.isNull() ? QVariant() : QVariant(text));
}

inline qint32 showMessage(const QString& text, qint32 style, const QString& details = {})
{
    if (clsMessageHandler* h = modapp::MessageHandler())
        return h->ShowMessage_gl(text, style, details);
    return 0;
}

// Clears the status text however the work ends.
struct StatusCleared {
    StatusCleared() = default;
    StatusCleared(const StatusCleared&) = delete;
    StatusCleared& operator=(const StatusCleared&) = delete;
    ~StatusCleared()
    {
        ignoringErrors([] { sysCmd(1); });
    }
};

// A text of the strings file with its "|" filled by the word, or the default
// text without an application object.
inline QString text(qint32 id, const QString& defaultText, const Value& word = Value())
{
    clsThisApp* a = modapp::ThisApp();
    if (!a || !a->Strings_po())
        return defaultText;
    if (word.isEmpty())
        return a->Strings_po()->IniStringFromID_pf(a->StringsIniFile_ps(), a->Language_ps(), Value(id), defaultText);
    return a->Strings_po()->IniStringFromID_pf(a->StringsIniFile_ps(), a->Language_ps(), Value(id), defaultText, word);
}

// The saved place of the window, else the middle of the parent; false when
// nothing was saved.
inline bool restorePosition(QWidget* window, QWidget* parent)
{
    clsFormSettings settings;
    settings.BaseRegistrySectionKeyName_ps(app().RegistryBaseSectionKeyName().toString());
    if (settings.RestorePosition_pf(window, true))
        return true;
    settings.CenterForm_p(window, parent);
    return false;
}

inline void restoreGrid(QWidget* window, DataGrid* grid)
{
    clsGridSettings settings;
    settings.BaseRegistrySectionKeyName_ps(app().RegistryBaseSectionKeyName().toString());
    settings.RestoreSettings_pf(window, grid);
}

// The grid layout and the window's place, each step on its own: a failure
// of one does not keep the other.
inline void saveLayout(QWidget* window, DataGrid* grid) noexcept
{
    ignoringErrors([&] {
        clsGridSettings settings;
        settings.BaseRegistrySectionKeyName_ps(app().RegistryBaseSectionKeyName().toString());
        settings.SaveSettings_p(window, grid);
    });
    ignoringErrors([&] {
        clsFormSettings settings;
        settings.BaseRegistrySectionKeyName_ps(app().RegistryBaseSectionKeyName().toString());
        settings.SavePosition_p(window);
    });
}

}  // namespace WindowServices
