#include "platform/BusyCursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace {
int g_depth = 0;
std::function<void(bool)>& hook()
{
    static std::function<void(bool)> h;
    return h;
}
bool haveGui() { return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr; }
}  // namespace

// Only the outermost one changes the pointer: each change is a round trip to
// the window system, and a save nests one inside another for every row.
BusyCursor::BusyCursor()
{
    if (g_depth++ > 0)
        return;
    if (hook())
        hook()(true);
    if (haveGui())
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

BusyCursor::~BusyCursor()
{
    if (--g_depth > 0)
        return;
    if (haveGui())
        QGuiApplication::restoreOverrideCursor();
    if (hook())
        hook()(false);
}

int BusyCursor::depth() { return g_depth; }

void BusyCursor::setHook(std::function<void(bool)> h) { hook() = std::move(h); }
