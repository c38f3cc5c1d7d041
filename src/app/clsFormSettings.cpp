#include "app/clsFormSettings.h"

#include "app/clsRegistry.h"
#include "platform/AppError.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QWidget>

#include <cmath>

namespace {
const QString Class = QStringLiteral("clsFormSettings");

qint32 toTwips(int pixels) { return pixels * clsFormSettings::TwipsPerPixel; }
int toPixels(double twips) { return Value::roundToLong(twips / clsFormSettings::TwipsPerPixel); }

// A stored number; a missing or blank value counts as 0.
qint32 storedLong(const Value& v)
{
    if (v.isNullOrEmpty() || v.asText().trimmed().isEmpty())
        return 0;
    return v.toLong();
}

QRect screenRect(const QWidget* w)
{
    const QScreen* screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
}

void setOnTop(QWidget* form, bool on, bool showIt)
{
    QWidget* frame = clsFormSettings::frameOf(form);
    const bool wasVisible = frame->isVisible();
    const bool noActivate = frame->testAttribute(Qt::WA_ShowWithoutActivating);
    frame->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    // Changing the flags hides the window; bring it back without taking the focus.
    if (showIt || wasVisible) {
        frame->setAttribute(Qt::WA_ShowWithoutActivating, true);
        frame->show();
        frame->setAttribute(Qt::WA_ShowWithoutActivating, noActivate);
    }
}

template <typename F>
auto rethrown(const char* member, F&& body)
{
    try {
        return body();
    } catch (const AppError& e) {
        throw e.asObjectError(Class + QLatin1Char('.') + QLatin1String(member));
    }
}
}

QWidget* clsFormSettings::frameOf(QWidget* form)
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(form->parentWidget()); sub && sub->widget() == form)
        return sub;
    return form;
}

QString clsFormSettings::sectionKey(const QWidget* form) const
{
    return m_baseKey + QStringLiteral("\\FormSettings\\") + form->objectName();
}

void clsFormSettings::StayOnTop_p(QWidget* form) { setOnTop(form, true, true); }

void clsFormSettings::NotStayOnTop_p(QWidget* form) { setOnTop(form, false, true); }

void clsFormSettings::CenterForm_p(QWidget* form, QWidget* parent)
{
    rethrown("CenterForm_p", [&] {
        QWidget* frame = frameOf(form);
        const double width = toTwips(frame->width());
        const double height = toTwips(frame->height());
        if (!parent) {
            const QRect screen = screenRect(frame);
            const double left = (toTwips(screen.width()) - width) / 2;
            const double top = (toTwips(screen.height()) - height) / 2;
            frame->move(screen.x() + toPixels(left), screen.y() + toPixels(top));
            return;
        }
        int bars = 0;
        for (const QToolBar* bar : parent->findChildren<QToolBar*>(QString(), Qt::FindDirectChildrenOnly))
            if (bar->isVisibleTo(parent))
                bars += bar->height();
        for (const QStatusBar* bar : parent->findChildren<QStatusBar*>(QString(), Qt::FindDirectChildrenOnly))
            if (bar->isVisibleTo(parent))
                bars += bar->height();
        const double allowance = toTwips(bars) + 400 + 350;
        qint32 left = Value::roundToLong((toTwips(parent->width()) - width) / 2);
        qint32 top = Value::roundToLong((toTwips(parent->height()) - height - allowance) / 2);
        left = qMax(left, 0);
        top = qMax(top, 0);
        QPoint at(toPixels(left), toPixels(top));
        // A sub-window sits in the workspace's coordinates; a window of its
        // own is placed over its parent on the screen.
        if (frame->isWindow())
            at += parent->mapToGlobal(QPoint(0, 0));
        frame->move(at);
    });
}

bool clsFormSettings::RestorePosition_pf(QWidget* form, bool keepOnScreen)
{
    return rethrown("RestorePosition_pf", [&] {
        clsRegistry registry;
        const QString key = sectionKey(form);
        const Value state = registry.GetRegistryValue(clsRegistry::HKEY_LOCAL_MACHINE, key, QStringLiteral("WindowState"));
        if (state.isNullOrEmpty() || state.asText().isEmpty())
            return false;
        const auto read = [&](const char* name) {
            return storedLong(registry.GetRegistryValue(clsRegistry::HKEY_LOCAL_MACHINE, key, QLatin1String(name)));
        };
        qint32 left = read("Left");
        qint32 top = read("Top");
        const qint32 height = read("Height");
        const qint32 width = read("Width");

        QWidget* frame = frameOf(form);
        const qint32 windowState = storedLong(state);
        if (windowState == 1 || windowState == 2) {
            frame->setWindowState(windowState == 1 ? Qt::WindowMinimized : Qt::WindowMaximized);
            return true;
        }
        if (keepOnScreen) {
            const QRect screen = screenRect(frame);
            const qint32 screenWidth = toTwips(screen.width());
            const qint32 screenHeight = toTwips(screen.height());
            if (screenWidth <= left)
                left = Value::roundToLong(double(screenWidth) - width);
            if (screenHeight <= top)
                top = Value::roundToLong(double(screenHeight) - height);
            top = qMax(top, 0);
            left = qMax(left, 0);
        }
        // move() places the outer frame, as pos() reported it when saved.
        frame->resize(toPixels(width), toPixels(height));
        frame->move(toPixels(left), toPixels(top));
        return true;
    });
}

void clsFormSettings::SavePosition_p(QWidget* form)
{
    rethrown("SavePosition_p", [&] {
        clsRegistry registry;
        const QString key = sectionKey(form);
        const QWidget* frame = frameOf(form);
        const Qt::WindowStates ws = frame->windowState();
        const int state = ws.testFlag(Qt::WindowMinimized) ? 1 : ws.testFlag(Qt::WindowMaximized) ? 2 : 0;
        // Top and Left are where the window (with its frame) sits; the size is
        // what setGeometry takes back.
        const QPoint pos = frame->pos();
        const auto write = [&](const char* name, qint32 value) {
            registry.SetRegistryValue(clsRegistry::HKEY_LOCAL_MACHINE, key, QLatin1String(name),
                                      Value(QString::number(value)), clsRegistry::REG_SZ);
        };
        write("WindowState", state);
        write("Top", toTwips(pos.y()));
        write("Left", toTwips(pos.x()));
        write("Height", toTwips(frame->height()));
        write("Width", toTwips(frame->width()));
    });
}
