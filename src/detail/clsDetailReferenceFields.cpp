#include "detail/clsDetailReferenceFields.h"

#include "app/CallByName.h"
#include "app/ChildForms.h"
#include "app/TimeBox.h"
#include "app/WindowServices.h"
#include "app/clsActiveControl.h"
#include "app/clsCboBoxHelper.h"
#include "app/clsFamily.h"
#include "app/clsFormRefresher.h"
#include "app/clsLibrary.h"
#include "app/clsObjectHelpers.h"
#include "app/clsTxtBoxHelper.h"
#include "detail/clsAthleteAssignment.h"
#include "detail/clsSegmentDocument.h"
#include "detail/clsSegmentHeader.h"
#include "detail/clsSegmentRows.h"
#include "platform/ComboBox.h"
#include "platform/DataGrid.h"
#include "platform/Recordset.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QTabWidget>
#include <QTimer>

namespace {
const char* const Module = "frmSegmentDetail";
// Backspace, Enter, blank, the digits, ":", and the letters of AM and PM.
const char* const TimeKeys = "8|13|32|48|49|50|51|52|53|54|55|56|57|58|65|77|80|97|109|112";
constexpr qint32 Yes = 6;

using WindowServices::app;
using WindowServices::showMessage;

clsCboBoxHelper& combos() { return *app().ObjectHelper_Po()->CboBoxHelper_Po(); }

// A message box or another program taking the focus and handing it back is
// no visit of the field.
bool awayAndBack(QEvent* event)
{
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}
}  // namespace

clsDetailReferenceFields::clsDetailReferenceFields(clsSegmentDocument& document, const Controls& controls,
                                                   clsAthleteAssignment& athletes, QWidget* window,
                                                   std::function<clsFamily*()> family,
                                                   std::function<clsFormRefresher*()> refresher)
    : m_doc(document), m_c(controls), m_athletes(athletes), m_window(window), m_family(std::move(family)),
      m_refresher(std::move(refresher))
{
    const Controls* c = &m_c;
    m_references = {
        {c->category,
         "frmCategory",
         "txtCategory",
         1,
         560,
         "Category Not Found, Add IT?",
         "cbolCategoryID_LostFocus",
         "OpenCategory_m",
         {1, 2}},
        {c->event,
         "frmEvent",
         "txtEvent",
         2,
         570,
         "Event Not Found, Add It?",
         "cbolEventID_LostFocus",
         "OpenEvent_m",
         {1}},
        {c->segmentType,
         "frmSegmentType",
         "txtSegmentType",
         6,
         580,
         "Segment Type Not Found, Add it?",
         "cbolSegmentTypeID_LostFocus",
         "OpenSegmentType_m",
         {1}},
    };
    for (QWidget* w : std::initializer_list<QWidget*>{c->time, c->notes, c->label, c->category, c->event,
                                                      c->segmentType, c->reviewed})
        w->installEventFilter(this);
    for (qsizetype i = 0; i < m_references.size(); ++i) {
        ComboBox* cbo = m_references[i].cbo;
        connect(cbo, &ComboBox::KeyPress, this, [this, i](int* key) { comboKeyPress_m(m_references[i], key); });
        // A pick from the list is checked at once, as leaving the box would.
        connect(cbo, qOverload<int>(&QComboBox::activated), this, [this, cbo] { queueLeave_m(cbo); });
    }
    clsTxtBoxHelper::InstallKeyFilter(c->time, [this](qint16 key) { return txtdtSegmentTime_KeyPress(key); });
    connect(c->categoryDetails, &QPushButton::clicked, this, &clsDetailReferenceFields::cmdDetailsCategory_Click);
    connect(c->eventDetails, &QPushButton::clicked, this, &clsDetailReferenceFields::cmdDetailsEvent_Click);
    connect(c->segmentTypeDetails, &QPushButton::clicked, this, &clsDetailReferenceFields::cmdDetailsSegmentType_Click);
    for (QPushButton* b : {c->categoryDetails, c->eventDetails, c->segmentTypeDetails})
        b->setEnabled(true);
}

const clsDetailReferenceFields::Reference* clsDetailReferenceFields::referenceOf(const QObject* control) const
{
    for (const Reference& r : m_references)
        if (r.cbo == control)
            return &r;
    return nullptr;
}

// ---- focus --------------------------------------------------------------------

bool clsDetailReferenceFields::eventFilter(QObject* watched, QEvent* event)
{
    if ((event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) && !awayAndBack(event)) {
        if (event->type() == QEvent::FocusIn)
            gotFocus_m(static_cast<QWidget*>(watched));
        else if (watched == m_c.time)
            txtdtSegmentTime_LostFocus();
        else if (const Reference* r = referenceOf(watched))
            queueLeave_m(r->cbo);
    }
    return QObject::eventFilter(watched, event);
}

void clsDetailReferenceFields::gotFocus_m(QWidget* control)
{
    const QByteArray proc = control->objectName().toLatin1() + "_GotFocus";
    guarded(Module, proc.constData(), [&] {
        if (const Reference* r = referenceOf(control))
            m_held.insert(r->cbo, {clsAthleteAssignment::SelectedId(r->cbo), r->cbo->Text()});
        if (clsActiveControl* tracker = app().ActiveControl_Po())
            tracker->Control_Pobj(control);
    });
}

// ---- the time box -------------------------------------------------------------

qint16 clsDetailReferenceFields::txtdtSegmentTime_KeyPress(qint16 KeyAscii)
{
    guarded(Module, "txtdtSegmentTime_KeyPress", [&] {
        KeyAscii = app().ObjectHelper_Po()->TxtBoxHelper_Po()->FilterKeyPressValuesPi(
            KeyAscii, QString::fromLatin1(TimeKeys), QStringLiteral("|"));
        if (KeyAscii == 0)
            showMessage(WindowServices::text(630, QStringLiteral("Only time-related keystrokes allowed")), 48);
    });
    return KeyAscii;
}

void clsDetailReferenceFields::txtdtSegmentTime_LostFocus()
{
    guarded(Module, "txtdtSegmentTime_LostFocus", [&] {
        // Checked as the event window's time boxes are.
        TimeBox::check(m_c.time, clsSegmentHeader::timeText);
    });
}

// ---- the combos ---------------------------------------------------------------

void clsDetailReferenceFields::comboKeyPress_m(const Reference& r, int* keyAscii)
{
    const QByteArray proc = r.cbo->objectName().toLatin1() + "_KeyPress";
    guarded(Module, proc.constData(), [&] { combos().IncrementalSearchComboP(r.cbo, *keyAscii); });
}

void clsDetailReferenceFields::queueLeave_m(ComboBox* cbo)
{
    if (!m_queue.contains(cbo))
        m_queue.append(cbo);
    if (m_queued || m_running)
        return;
    m_queued = true;
    QTimer::singleShot(0, this, &clsDetailReferenceFields::runQueue_m);
}

void clsDetailReferenceFields::runQueue_m()
{
    m_queued = false;
    // A box already open is asking: what was queued meanwhile waits for it.
    if (m_running)
        return;
    const QScopedValueRollback running(m_running, true);
    while (!m_queue.isEmpty())
        if (const Reference* r = referenceOf(m_queue.takeFirst()))
            comboLeft_m(*r);
}

void clsDetailReferenceFields::comboLeft_m(const Reference& r)
{
    guarded(Module, r.lostFocusProc, [&] {
        const bool opened = notFoundPrompt_m(r);
        // A category being added is checked when it comes back.
        if (r.tag == 1 && !opened && clsAthleteAssignment::SelectedId(r.cbo) != m_athletes.ListCategory()) {
            bool cancel = false;
            m_athletes.cbolCategoryID_Validate(cancel);
        }
    });
}

bool clsDetailReferenceFields::notFoundPrompt_m(const Reference& r)
{
    if (r.cbo->Text().isEmpty() || r.cbo->ListIndex() != -1)
        return false;
    const qint32 found = combos().FindStringComboBoxPl(r.cbo, r.cbo->Text(), true);
    if (found >= 0) {
        // Only the letter case differs: that is the item (its id is what gets saved).
        r.cbo->ListIndex(found);
        return false;
    }
    if (showMessage(WindowServices::text(r.promptId, QString::fromLatin1(r.promptText)), 51) == Yes) {
        open_m(r, true);
        return true;
    }
    // The tracker may already hold the control the focus went to.
    restore_m(r.cbo, m_held.value(r.cbo));
    return false;
}

void clsDetailReferenceFields::restore_m(ComboBox* cbo, const Held& held)
{
    if (!held.id.isNullOrEmpty())
        select_m(cbo, held.id);
    else if (held.text.isEmpty())
        cbo->ListIndex(-1);
    else
        cbo->Text(held.text);
}

void clsDetailReferenceFields::UnaddedNamesBack_p()
{
    for (auto it = m_adding.cbegin(); it != m_adding.cend(); ++it)
        if (it.key()->ListIndex() == -1)
            restore_m(it.key(), it->held);
}

void clsDetailReferenceFields::referenceClosed_m(ComboBox* cbo, const QWidget* window)
{
    const auto it = m_adding.constFind(cbo);
    if (it == m_adding.constEnd() || it->window != window)
        return;
    const Held held = it->held;
    m_adding.erase(it);
    // Closed without a save: the name it was to add picks nothing, so the box
    // gets back what it held, unless an entry was picked meanwhile; and this
    // window, minimised for it, comes back.
    guarded(Module, referenceOf(cbo)->lostFocusProc, [&] {
        if (cbo->ListIndex() == -1)
            restore_m(cbo, held);
        comeBack_m();
    });
}

void clsDetailReferenceFields::comeBack_m()
{
    QWidget* frame = frame_m();
    // A window going itself stays gone.
    if (!frame->isVisible())
        return;
    if (frame->isMinimized())
        frame->showNormal();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(frame); sub && sub->mdiArea())
        sub->mdiArea()->setActiveSubWindow(sub);
}

void clsDetailReferenceFields::select_m(ComboBox* cbo, const Value& id)
{
    cbo->Text(QString());
    cbo->ListIndex(combos().getListIndexOfItemData_pl(id, cbo));
}

// ---- the reference windows ------------------------------------------------------

void clsDetailReferenceFields::cmdDetailsCategory_Click()
{
    guarded(Module, "cmdDetailsCategory_Click", [&] { OpenCategory_m(false); });
}

void clsDetailReferenceFields::cmdDetailsEvent_Click()
{
    guarded(Module, "cmdDetailsEvent_Click", [&] { OpenEvent_m(false); });
}

void clsDetailReferenceFields::cmdDetailsSegmentType_Click()
{
    guarded(Module, "cmdDetailsSegmentType_Click", [&] { OpenSegmentType_m(false); });
}

QWidget* clsDetailReferenceFields::OpenCategory_m(bool bNew) { return open_m(m_references[0], bNew); }

QWidget* clsDetailReferenceFields::OpenEvent_m(bool bNew) { return open_m(m_references[1], bNew); }

QWidget* clsDetailReferenceFields::OpenSegmentType_m(bool bNew) { return open_m(m_references[2], bNew); }

QWidget* clsDetailReferenceFields::open_m(const Reference& r, bool bNew)
{
    QWidget* opened = nullptr;
    guarded(Module, r.openProc, [&] {
        QWidget* w = ChildForms::create(QString::fromLatin1(r.formName));
        if (!w)
            return;
        CallByName::call(w, "FormRefresher_po", m_refresher());
        if (clsFamily* family = m_family())
            family->AddChild(w);
        CallByName::call(w, "CallBack_Pobj", m_window);
        showWindow_m(w);
        opened = w;
        if (bNew) {
            m_adding.insert(r.cbo, {m_held.value(r.cbo), w});
            ComboBox* cbo = r.cbo;
            connect(w, &QObject::destroyed, this, [this, cbo, w] { referenceClosed_m(cbo, w); });
            CallByName::get<bool>(w, "NewRecord_Pf");
            if (auto* name = w->findChild<QLineEdit*>(QString::fromLatin1(r.nameBox)))
                name->setText(r.cbo->Text());
            if (auto* tabs = w->findChild<QTabWidget*>(QStringLiteral("ssTab1")))
                tabs->setTabEnabled(0, false);
            frame_m()->showMinimized();
            bringToFront_m(w);
            return;
        }
        const qint32 index = r.cbo->ListIndex();
        if (index >= 0 && !r.builtIns.contains(r.cbo->ItemData(index)))
            CallByName::get<bool>(w, "Retrieve_pf", r.cbo->ItemData(index));
    });
    return opened;
}

void clsDetailReferenceFields::NewAthlete_M(const QString& sName, qint32 lCategoryID)
{
    guarded(Module, "NewAthlete_M", [&] {
        QWidget* w = ChildForms::create(QStringLiteral("frmRoster"));
        if (!w)
            return;
        CallByName::call(w, "FormRefresher_po", m_refresher());
        CallByName::call(w, "CallBack_Pobj", m_window);
        showWindow_m(w);
        // Closed without a save (no call-back took the row), this window comes back.
        connect(w, &QObject::destroyed, this, [this] {
            if (!m_athleteRow.isEmpty()) {
                m_athleteRow = Value();
                guarded(Module, "NewAthlete_M", [&] { comeBack_m(); });
            }
        });
        if (auto* tabs = w->findChild<QTabWidget*>(QStringLiteral("ssTab1")))
            tabs->setTabEnabled(0, false);
        CallByName::get<bool>(w, "NewRecord_Pf");
        // Runs of blanks make no empty names.
        const QStringList words = sName.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        auto* first = w->findChild<QLineEdit*>(QStringLiteral("txtFirstName"));
        auto* last = w->findChild<QLineEdit*>(QStringLiteral("txtLastName"));
        if (words.size() >= 2 && first && last) {
            first->setText(words[0]);
            last->setText(words[1]);
        } else if (words.size() == 1 && last) {
            last->setText(words[0]);
        }
        CallByName::call(w, "Dirty_pf", true);
        if (lCategoryID != 1 && lCategoryID != 2)
            CallByName::call(w, "AppendCategory_p", lCategoryID);
        DataGrid* grid = m_c.grid;
        m_athleteRow = grid->Bookmark();
        // The unlisted name must not stay in the athlete cell.
        if (grid->EditActive() && grid->Col() == clsSegmentRows::colRosterId)
            grid->cancelPendingEdit();
        frame_m()->showMinimized();
        bringToFront_m(w);
    });
}

void clsDetailReferenceFields::showWindow_m(QWidget* w)
{
    if (WindowHost* main = WindowServices::host()) {
        main->ShowChild(w);
    } else {
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->show();
    }
}

void clsDetailReferenceFields::bringToFront_m(QWidget* w)
{
    // The focus a closing message box hands back must not return to this window.
    if (auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget()))
        if (QMdiArea* area = sub->mdiArea())
            area->setActiveSubWindow(sub);
    (w->focusWidget() ? w->focusWidget() : w)->setFocus();
}

QWidget* clsDetailReferenceFields::frame_m() const
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(m_window->parentWidget()))
        return sub;
    return m_window;
}

// ---- the call-back -----------------------------------------------------------------

void clsDetailReferenceFields::setObjectID_p(qint32 lTag, const QVariant& vID)
{
    // Back to normal however the call ends; an error goes back to the saving window.
    // The saving window closes next: this one is the window to come back to.
    const auto restored = qScopeGuard([this] { ignoringErrors([&] { comeBack_m(); }); });
    const Value id = Value::fromVariant(vID);
    // The entry being added has come back.
    for (const Reference& r : m_references)
        if (r.tag == lTag)
            m_adding.remove(r.cbo);
    switch (lTag) {
    case 1: {
        select_m(m_c.category, id);
        m_c.category->update();
        bool cancel = false;
        m_athletes.cbolCategoryID_Validate(cancel);
        break;
    }
    case 2: select_m(m_c.event, id); break;
    case 6: select_m(m_c.segmentType, id); break;
    case 3: setAthlete_m(id); break;
    default: showMessage(QStringLiteral("invalid tag passed to setObjectID_p"), 48); break;
    }
}

void clsDetailReferenceFields::setAthlete_m(const Value& id)
{
    const Value row = m_athleteRow;
    m_athleteRow = Value();
    Recordset* rows = m_doc.rows();
    if (!rows || m_athletes.inValueItems_pl(clsSegmentRows::colRosterId, id, 0) == -1)
        return;
    DataGrid* grid = m_c.grid;
    // The row the name was typed into, unless it has gone from sight meanwhile.
    if (!row.isEmpty()) {
        if (row.isNull() || rows->viewRowOfBookmark(row.toLong()) < 0)
            return;
        grid->Bookmark(row);
    } else if (grid->Bookmark().isNull()) {
        return;
    }
    grid->Columns(clsSegmentRows::colRosterId)->Value(id);
    grid->Update();
    m_athletes.AthleteEdited_p();
}
