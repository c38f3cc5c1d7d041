#include "app/clsFormSettings.h"

#include "app/clsRegistry.h"
#include "platform/AppError.h"
#include "platform/Twips.h"

#include <QEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLayout>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QToolBar>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace {
const QString Class = QStringLiteral("clsFormSettings");

// Registry values are twips at the window's real resolution.
qint32 toTwipsX(const QWidget* w, int pixels) { return Value::roundToLong(Twips::fromPixelsX(w, pixels)); }
qint32 toTwipsY(const QWidget* w, int pixels) { return Value::roundToLong(Twips::fromPixelsY(w, pixels)); }

// A stored number; a missing or blank value counts as 0. Nothing when the
// text is no number or is beyond the limit either way: a damaged file.
std::optional<qint32> storedNumber(const Value& v, double limit)
{
    if (v.isNullOrEmpty() || v.asText().trimmed().isEmpty())
        return 0;
    double d = 0;
    try {
        d = v.toDouble();
    } catch (const AppError&) {
        return std::nullopt;
    }
    if (!std::isfinite(d) || std::fabs(d) > limit)
        return std::nullopt;
    return Value::roundToLong(d);
}

constexpr Qt::WindowStates NotNormal = Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;

// Qt keeps a sub-window's normal frame to itself while it is minimised or
// maximised; this notes it whenever the frame moves or resizes while normal.
class NormalFrameNote : public QObject {
public:
    explicit NormalFrameNote(QWidget* frame) : QObject(frame), m_rect(frame->geometry())
    {
        setObjectName(QStringLiteral("NormalFrameNote"));
        frame->installEventFilter(this);
    }
    static void attach(QWidget* frame)
    {
        if (qobject_cast<QMdiSubWindow*>(frame) && !of(frame))
            new NormalFrameNote(frame);
    }
    static const NormalFrameNote* of(const QWidget* frame)
    {
        return dynamic_cast<const NormalFrameNote*>(
            frame->findChild<QObject*>(QStringLiteral("NormalFrameNote"), Qt::FindDirectChildrenOnly));
    }
    QRect rect() const { return m_rect; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const auto* frame = static_cast<QWidget*>(watched);
        if ((event->type() == QEvent::Move || event->type() == QEvent::Resize) && !(frame->windowState() & NotNormal))
            m_rect = frame->geometry();
        return false;
    }

private:
    QRect m_rect;
};

// Where the frame sits (its outer corner, as move() takes it) and its size,
// as it is when neither minimised nor maximised.
QRect normalFrame(const QWidget* frame)
{
    const QRect now(frame->pos(), frame->size());
    if (!(frame->windowState() & NotNormal))
        return now;
    if (const NormalFrameNote* note = NormalFrameNote::of(frame))
        return note->rect();
    if (frame->isWindow() && frame->normalGeometry().isValid()) {
        const QRect normal = frame->normalGeometry();
        return QRect(normal.topLeft() - (frame->geometry().topLeft() - frame->pos()), normal.size());
    }
    return now;
}

QRect screenRect(const QWidget* w, bool available = false)
{
    const QScreen* screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return QRect(0, 0, 1024, 768);
    return available ? screen->availableGeometry() : screen->geometry();
}

// Where a window may lie and still be seen: the visible part of its MDI
// area, or the screen's work area for a window of its own.
QRect visibleRoom(const QWidget* frame)
{
    if (const auto* sub = qobject_cast<const QMdiSubWindow*>(frame); sub && sub->mdiArea())
        return sub->mdiArea()->viewport()->rect();
    return screenRect(frame, true);
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
}  // namespace

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
        NormalFrameNote::attach(frame);
        const auto toPixelsX = [&](double twips) { return Twips::toPixelsX(frame, twips); };
        const auto toPixelsY = [&](double twips) { return Twips::toPixelsY(frame, twips); };
        const double width = toTwipsX(frame, frame->width());
        const double height = toTwipsY(frame, frame->height());
        if (!parent) {
            const QRect screen = screenRect(frame);
            const double left = (toTwipsX(frame, screen.width()) - width) / 2;
            const double top = (toTwipsY(frame, screen.height()) - height) / 2;
            frame->move(screen.x() + toPixelsX(left), screen.y() + toPixelsY(top));
            return;
        }
        int bars = 0;
        for (const QToolBar* bar : parent->findChildren<QToolBar*>(QString(), Qt::FindDirectChildrenOnly))
            if (bar->isVisibleTo(parent))
                bars += bar->height();
        for (const QStatusBar* bar : parent->findChildren<QStatusBar*>(QString(), Qt::FindDirectChildrenOnly))
            if (bar->isVisibleTo(parent))
                bars += bar->height();
        const double allowance = toTwipsY(frame, bars) + 400 + 350;
        qint32 left = Value::roundToLong((toTwipsX(frame, parent->width()) - width) / 2);
        qint32 top = Value::roundToLong((toTwipsY(frame, parent->height()) - height - allowance) / 2);
        left = qMax(left, 0);
        top = qMax(top, 0);
        QPoint at(toPixelsX(left), toPixelsY(top));
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
        const Value state =
            registry.GetRegistryValue(clsRegistry::HKEY_LOCAL_MACHINE, key, QStringLiteral("WindowState"));
        if (state.isNullOrEmpty() || state.asText().isEmpty())
            return false;
        QWidget* frame = frameOf(form);
        // No screen holds more than the largest widget.
        const double most =
            std::min(Twips::fromPixelsX(frame, QWIDGETSIZE_MAX), Twips::fromPixelsY(frame, QWIDGETSIZE_MAX));
        const auto read = [&](const char* name) {
            return storedNumber(registry.GetRegistryValue(clsRegistry::HKEY_LOCAL_MACHINE, key, QLatin1String(name)),
                                most);
        };
        const std::optional<qint32> left = read("Left");
        const std::optional<qint32> top = read("Top");
        const std::optional<qint32> height = read("Height");
        const std::optional<qint32> width = read("Width");
        const std::optional<qint32> windowState = storedNumber(state, std::numeric_limits<qint32>::max());
        // A place or size no screen can hold is a damaged file: nothing saved.
        if (!left || !top || !height || !width || !windowState || *height < 0 || *width < 0)
            return false;

        NormalFrameNote::attach(frame);
        const QSize least = minimumFrameSize(form);
        QSize size = Twips::toPixels(frame, *width, *height).expandedTo(least);
        QPoint at(Twips::toPixelsX(frame, *left), Twips::toPixelsY(frame, *top));
        if (keepOnScreen) {
            // Wholly inside what can be seen now, which may be a smaller
            // screen than the one it was saved on; never below its minimum.
            const QRect room = visibleRoom(frame);
            const QSize decoration = frame->isWindow() ? frame->frameGeometry().size() - frame->size() : QSize(0, 0);
            size = size.boundedTo(room.size() - decoration).expandedTo(least);
            const QSize outer = size + decoration;
            at.setX(std::clamp(at.x(), room.left(), std::max(room.left(), room.right() + 1 - outer.width())));
            at.setY(std::clamp(at.y(), room.top(), std::max(room.top(), room.bottom() + 1 - outer.height())));
        }
        // move() places the outer frame, as pos() reported it when saved.
        frame->resize(size);
        frame->move(at);
        // Minimised or maximised over its normal frame, where Restore brings it.
        if (*windowState == 1 || *windowState == 2)
            frame->setWindowState(*windowState == 1 ? Qt::WindowMinimized : Qt::WindowMaximized);
        return true;
    });
}

void clsFormSettings::SavePosition_p(QWidget* form)
{
    rethrown("SavePosition_p", [&] {
        clsRegistry registry;
        const QString key = sectionKey(form);
        QWidget* frame = frameOf(form);
        const Qt::WindowStates ws = frame->windowState();
        const int state = ws.testFlag(Qt::WindowMinimized) ? 1 : ws.testFlag(Qt::WindowMaximized) ? 2 : 0;
        // Top and Left are where the window (with its frame) sits; the size is
        // what setGeometry takes back. A minimised or maximised window keeps
        // the frame it has when restored.
        const QRect normal = normalFrame(frame);
        const QPoint pos = normal.topLeft();
        const auto write = [&](const char* name, qint32 value) {
            registry.SetRegistryValue(clsRegistry::HKEY_LOCAL_MACHINE, key, QLatin1String(name),
                                      Value(QString::number(value)), clsRegistry::REG_SZ);
        };
        const QSize size = normal.size().expandedTo(minimumFrameSize(form));
        write("WindowState", state);
        write("Top", toTwipsY(frame, pos.y()));
        write("Left", toTwipsX(frame, pos.x()));
        write("Height", toTwipsY(frame, size.height()));
        write("Width", toTwipsX(frame, size.width()));
    });
}

QSize clsFormSettings::minimumFrameSize(QWidget* form)
{
    const QSize least = form->minimumSize().expandedTo(form->minimumSizeHint());
    auto* sub = qobject_cast<QMdiSubWindow*>(frameOf(form));
    if (!sub)
        return least;
    // Title bar and borders: what the frame adds to the window's own hint.
    // While minimised the frame's minimum is an icon's.
    const QSize hint = form->sizeHint();
    const QSize decoration = hint.isValid() ? sub->sizeHint() - hint : QSize(0, 0);
    return (least + decoration).expandedTo(sub->isMinimized() ? QSize(0, 0) : sub->minimumSizeHint());
}

void clsFormSettings::FitColumns_p(QWidget* form, const QTableView* grid)
{
    QWidget* frame = frameOf(form);
    if (frame->windowState() & NotNormal)
        return;
    // The grid's width now; on a page not shown yet, what its nearest shown
    // ancestor gives it less the margins of the layouts between.
    const QWidget* shown = grid;
    int margins = 0;
    while (!shown->isVisible() && shown->parentWidget()) {
        shown = shown->parentWidget();
        if (const QLayout* layout = shown->layout())
            margins += layout->contentsMargins().left() + layout->contentsMargins().right();
    }
    const int has = shown == grid ? grid->width() : shown->contentsRect().width() - margins;
    // Every column, the record selectors, the border, and a scroll bar for
    // when the rows outgrow the grid.
    const QHeaderView* rows = grid->verticalHeader();
    int wants = grid->horizontalHeader()->length() + 2 * grid->frameWidth();
    if (!rows->isHidden())
        wants += std::max(rows->minimumWidth(), rows->sizeHint().width());
    if (grid->verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff)
        wants += grid->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, grid);
    if (wants <= has)
        return;
    const QRect room = visibleRoom(frame);
    const int decoration = frame->isWindow() ? frame->frameGeometry().width() - frame->width() : 0;
    const int width = std::min(frame->width() + wants - has, room.width() - decoration);
    if (width > frame->width())
        frame->resize(width, frame->height());
}

void clsFormSettings::FillRoom_p(QWidget* form)
{
    QWidget* frame = frameOf(form);
    NormalFrameNote::attach(frame);
    const QRect room = visibleRoom(frame);
    const QSize decoration = frame->isWindow() ? frame->frameGeometry().size() - frame->size() : QSize(0, 0);
    frame->resize((room.size() - decoration).expandedTo(minimumFrameSize(form)));
    frame->move(room.topLeft());
}
