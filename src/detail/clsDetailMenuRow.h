#pragma once

#include "app/MenuRow.h"

class QObject;

// The main window's menu state while a segment detail window is active: the
// edit, print, sort, column and unit commands go with its details page;
// Export and Clear never; the lists and the clipboard always. A command the
// window does not serve (it lacks the member the main window calls) stays off.
class clsDetailMenuRow {
public:
    static MenuRow Build_p(bool detailsPage, const QObject* window);
};
