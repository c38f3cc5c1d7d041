// The main window's commands that act on the active child window: each one
// tests the child's name where it must, then calls the child's member by name.
#include "shell/mdiMain.h"

#include "app/CallByName.h"
#include "app/ChildForms.h"
#include "app/WindowProc.h"
#include "app/clsActiveControl.h"
#include "app/clsFormHelper.h"
#include "app/clsFormRefresher.h"
#include "app/clsMessageHandler.h"
#include "app/clsStrings.h"
#include "app/clsThisApp.h"
#include "app/modapp.h"
#include "platform/AppError.h"
#include "platform/DataGrid.h"
#include "platform/DatePicker.h"
#include "platform/MessagePresenter.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <memory>

namespace {
const QString MainName = QStringLiteral("MDIMain");
const QString DetailName = QStringLiteral("frmSegmentDetail");
const QString ListName = QStringLiteral("frmSegmentList");

[[noreturn]] void notSupported()
{
    throw AppError(ErrNo::MemberNotSupported, AppError::standardDescription(ErrNo::MemberNotSupported));
}

clsFormRefresher* formRefresher()
{
    clsThisApp* app = modapp::ThisApp();
    return app ? app->FormRefresher_po() : nullptr;
}

// The focused control as the clipboard commands see it: a date picker
// (whichever of its parts has the focus), a line edit (also an editable
// combo box's) or a text area. None of them set: a control without text.
struct TextControl {
    DataGrid* grid = nullptr;  // the grid itself, no cell being edited
    DatePicker* picker = nullptr;
    QLineEdit* line = nullptr;
    QPlainTextEdit* plain = nullptr;
    QTextEdit* rich = nullptr;
    bool textBox = false;  // a plain text field of its own, not part of a bigger control

    bool any() const { return grid || picker || line || plain || rich; }
    bool readOnly() const
    {
        return (line && line->isReadOnly()) || (plain && plain->isReadOnly()) || (rich && rich->isReadOnly());
    }
};

TextControl focusedTextControl()
{
    TextControl c;
    QWidget* focus = QApplication::focusWidget();
    bool insideOther = false;
    for (QWidget* w = focus; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
        if (auto* picker = qobject_cast<DatePicker*>(w)) {
            c.picker = picker;
            return c;
        }
        if (w != focus
            && (qobject_cast<QAbstractItemView*>(w) || qobject_cast<QComboBox*>(w)
                || qobject_cast<QAbstractSpinBox*>(w)))
            insideOther = true;
    }
    if (!focus)
        return c;
    if (auto* grid = qobject_cast<DataGrid*>(focus)) {
        c.grid = grid;
    } else if (auto* line = qobject_cast<QLineEdit*>(focus)) {
        c.line = line;
        c.textBox = !insideOther;
    } else if (auto* combo = qobject_cast<QComboBox*>(focus)) {
        c.line = combo->lineEdit();
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(focus)) {
        c.plain = plain;
        c.textBox = true;
    } else if (auto* rich = qobject_cast<QTextEdit*>(focus)) {
        c.rich = rich;
        c.textBox = true;
    }
    return c;
}

// What Copy would put on the clipboard: the picker's value as text or the
// selected text; empty when there is nothing to copy.
QString selectedText(const TextControl& c)
{
    // A grid's current cell as it shows it; an open cell editor is a line edit.
    if (c.grid)
        return c.grid->Row() >= 0 && c.grid->Col() >= 0 ? c.grid->cellText(c.grid->Row(), c.grid->Col()) : QString();
    if (c.picker)
        return c.picker->Value().asText();
    if (c.line)
        return c.line->selectedText();
    QString text = c.plain ? c.plain->textCursor().selectedText() : c.rich->textCursor().selectedText();
    return text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
}

void replaceSelection(const TextControl& c, const QString& text)
{
    if (c.picker) {
        // Pasted text is read as typed text is, and refused in the same words.
        if (text.isEmpty())
            c.picker->Value(Value::null());
        else if (!c.picker->takeText(text))
            return;
        // Unticking greys the date field, which gives its focus away; keep the
        // user on the picker, so a Paste right after a Cut lands there again.
        QWidget* focus = QApplication::focusWidget();
        if (c.picker->CheckBox() && !(focus && c.picker->isAncestorOf(focus)))
            c.picker->checkBoxWidget()->setFocus();
        return;
    }
    if (c.readOnly())
        return;
    if (c.line) {
        if (text.isEmpty())
            c.line->del();
        else
            c.line->insert(text);
        return;
    }
    if (c.plain)
        c.plain->insertPlainText(text);
    else
        c.rich->insertPlainText(text);
}

void selectWhole(const TextControl& c)
{
    if (c.line)
        c.line->selectAll();
    else if (c.plain)
        c.plain->selectAll();
    else if (c.rich)
        c.rich->selectAll();
}
}  // namespace

// ---- menu state -----------------------------------------------------------

void mdiMain::clipboardState_m()
{
    // A list, a check box or a button has no text to cut, copy or paste into.
    // Focus outside the document area (the menu bar while the user opens a
    // menu, another window) says nothing of the child: the items keep their state.
    QWidget* focus = QApplication::focusWidget();
    if (focus && m_area->isAncestorOf(focus)) {
        const bool served = focusedTextControl().any();
        for (const char* item : {"mnuEditCut", "mnuEditCopy", "mnuEditPaste"}) {
            const QString name = QString::fromLatin1(item);
            if (QAction* action = MenuItem(name))
                action->setEnabled(m_row.isEnabled(name) && served);
        }
    }
    mirrorToolbar_m();
}

// ---- File -----------------------------------------------------------------

void mdiMain::openChild_m(const char* formName)
{
    // A kind not in this build yet opens nothing.
    std::unique_ptr<QWidget> child(ChildForms::create(QString::fromLatin1(formName)));
    if (!child)
        return;
    CallByName::call(child.get(), "FormRefresher_po", formRefresher());
    ShowChild(child.release());
}

void mdiMain::mnuFileImport_Click()
{
    guarded("MDIMain", "mnuFileImport_Click", [&] { openChild_m("frmImport"); });
}

void mdiMain::callIfNamed_m(const QString& name, const char* member)
{
    if (ActiveFormName_ms() == name)
        CallByName::call(ActiveForm_mo(), member);
}

void mdiMain::mnuFileExport_Click()
{
    guarded("MDIMain", "mnuFileExport_Click", [&] { callIfNamed_m(ListName, "Export_p"); });
}

void mdiMain::mnuFilePageSetup_Click()
{
    guarded("MDIMain", "mnuFilePageSetup_Click", [&] {
        if (ActiveFormName_ms() == DetailName)
            CallByName::call(ActiveForm_mo(), "PageSetup_P");
        else
            commonDialog_m(64);
    });
}

void mdiMain::mnuFilePrintPreview_Click()
{
    guarded("MDIMain", "mnuFilePrintPreview_Click", [&] {
        if (ActiveFormName_ms() == DetailName)
            CallByName::call(ActiveForm_mo(), "Print_P", true);
        else
            commonDialog_m(0);
    });
}

void mdiMain::mnuFilePrint_Click()
{
    guarded("MDIMain", "mnuFilePrint_Click", [&] {
        if (ActiveFormName_ms() == DetailName)
            CallByName::call(ActiveForm_mo(), "Print_P", false);
        else
            commonDialog_m(0);
    });
}

// ---- Edit -----------------------------------------------------------------

void mdiMain::mnuEditUndo_Click()
{
    guarded("MDIMain", "mnuEditUndo_Click", [&] {
        if (ActiveFormName_ms() != MainName)
            ActiveControl_Po()->ControlUndo_Mf();
    });
}

// Copy and Cut look at the control before the clipboard: a control without
// a selection leaves the clipboard as it was.
void mdiMain::mnuEditCopy_Click()
{
    guarded("MDIMain", "mnuEditCopy_Click", [&] {
        if (ActiveFormName_ms() == MainName)
            return;
        const TextControl control = focusedTextControl();
        if (!control.any())
            notSupported();
        const QString text = selectedText(control);
        if (!text.isEmpty())
            QGuiApplication::clipboard()->setText(text);
    });
}

void mdiMain::mnuEditCut_Click()
{
    guarded("MDIMain", "mnuEditCut_Click", [&] {
        if (ActiveFormName_ms() == MainName)
            return;
        const TextControl control = focusedTextControl();
        if (!control.any())
            notSupported();
        // A grid changes a cell only through its editor and that cell's checks.
        const QString text = control.grid ? QString() : selectedText(control);
        if (text.isEmpty())
            return;
        QGuiApplication::clipboard()->setText(text);
        replaceSelection(control, QString());
    });
}

void mdiMain::mnuEditPaste_Click()
{
    guarded("MDIMain", "mnuEditPaste_Click", [&] {
        if (ActiveFormName_ms() == MainName)
            return;
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        if (!data || !data->hasText())
            return;  // an image or nothing: no text to put in
        const TextControl control = focusedTextControl();
        if (!control.any())
            notSupported();
        if (!control.grid)
            replaceSelection(control, QGuiApplication::clipboard()->text());
    });
}

void mdiMain::mnuEditFillDown_Click()
{
    guarded("MDIMain", "mnuEditFillDown_Click", [&] {
        if (ActiveFormName_ms() == DetailName)
            CallByName::get<bool>(ActiveForm_mo(), "FillDown_pf");
    });
}

void mdiMain::mnuEditClear_Click()
{
    guarded("MDIMain", "mnuEditClear_Click", [&] { callIfNamed_m(DetailName, "ClearSelection_p"); });
}

void mdiMain::mnuEditDelete_Click()
{
    guarded("MDIMain", "mnuEditDelete_Click", [&] {
        if (ActiveFormName_ms() != MainName)
            CallByName::call(ActiveForm_mo(), "deleteRows_p");
    });
}

void mdiMain::mnuEditSelectAll_Click()
{
    guarded("MDIMain", "mnuEditSelectAll_Click", [&] {
        if (ActiveFormName_ms() == MainName)
            return;
        const TextControl control = focusedTextControl();
        if (control.textBox)
            selectWhole(control);
        else
            CallByName::call(ActiveForm_mo(), "SelectAllRows_p");
    });
}

void mdiMain::openFind_m(qint32 style)
{
    QWidget* searched = ActiveForm_mo();
    if (!searched)
        return;
    std::unique_ptr<QWidget> find(ChildForms::create(QStringLiteral("frmFind")));
    if (!find)
        return;
    // Its own top-level window, but one that goes with the main window.
    find->setParent(this, find->windowFlags() | Qt::Window);
    find->setAttribute(Qt::WA_DeleteOnClose);
    CallByName::call(find.get(), "FormToSearch_pobj", searched);
    CallByName::call(find.get(), "formStyle_pl", style);
    find.release()->show();
}

void mdiMain::mnuEditFind_Click()
{
    guarded("MDIMain", "mnuEditFind_Click", [&] { openFind_m(0); });
}

void mdiMain::mnuEditReplace_Click()
{
    guarded("MDIMain", "mnuEditReplace_Click", [&] { openFind_m(1); });
}

// ---- View -----------------------------------------------------------------

void mdiMain::mnuView_Click()
{
    guarded("MDIMain", "mnuView_Click", [&] {
        const bool detail = ActiveFormName_ms() == DetailName;
        for (const char* name :
             {"mnuViewRateType", "mnuViewDistanceSpeedType", "mnuViewDistanceSpeed", "mnuViewDiPS", "mnuViewComments"})
            if (QAction* item = MenuItem(QString::fromLatin1(name)))
                item->setEnabled(detail);
    });
}

void mdiMain::ShowSegmentList_m(bool showAll)
{
    guarded("MDIMain", "ShowSegmentList_m", [&] {
        QWidget* list = clsFormHelper().GetFormNamed_po(ListName);
        if (list) {
            const QString question = uiText_m(4130, QStringLiteral("Use currently open search form?"));
            if (showMessage_m(question, 52) == MessageBoxStyle::ResYes) {
                if (auto* sub = qobject_cast<QMdiSubWindow*>(list->parentWidget()))
                    m_area->setActiveSubWindow(sub);
                else
                    list->activateWindow();
                CallByName::call(list, "SetTab_p", 0);
            } else {
                list = nullptr;
            }
        }
        if (!list) {
            std::unique_ptr<QWidget> fresh(ChildForms::create(ListName));
            if (!fresh)
                return;
            CallByName::call(fresh.get(), "FormRefresher_po", formRefresher());
            list = fresh.release();
            ShowChild(list);
        }
        if (showAll)
            CallByName::call(list, "Search_p");
    });
}

void mdiMain::mnuViewSearchSegments_Click() { ShowSegmentList_m(false); }
void mdiMain::mnuViewAllSegments_Click() { ShowSegmentList_m(true); }

void mdiMain::mnuViewRoster_Click()
{
    guarded("MDIMain", "mnuViewRoster_Click", [&] { openChild_m("frmRoster"); });
}

void mdiMain::mnuViewSegCategory_Click()
{
    guarded("MDIMain", "mnuViewSegCategory_Click", [&] { openChild_m("frmCategory"); });
}

void mdiMain::mnuViewEvents_Click()
{
    guarded("MDIMain", "mnuViewEvents_Click", [&] { openChild_m("frmEvent"); });
}

void mdiMain::mnuViewSegType_Click()
{
    guarded("MDIMain", "mnuViewSegType_Click", [&] { openChild_m("frmSegmentType"); });
}

// The rate and unit items come only with the detail window active, so they
// test no name; with no child at all the call fails with 438.
void mdiMain::chooseRate_m(const char* item, qint32 rate)
{
    const QByteArray proc = QByteArray(item) + "_Click";
    guarded("MDIMain", proc.constData(), [&] {
        MenuItem(QStringLiteral("mnuViewRatesSecondsPerCycle"))->setChecked(rate == 1);
        MenuItem(QStringLiteral("mnuViewRatesStrokesPerMinute"))->setChecked(rate == 2);
        // The default rate unit for segments made from now on.
        if (clsThisApp* app = modapp::ThisApp(); app && app->Strings_po())
            app->Strings_po()->SysStringToID_pf(200, QString::number(rate));
        CallByName::call(ActiveForm_mo(), "SetRateType_p", rate);
    });
}

void mdiMain::mnuViewRatesStrokesPerMinute_Click() { chooseRate_m("mnuViewRatesStrokesPerMinute", 2); }
void mdiMain::mnuViewRatesSecondsPerCycle_Click() { chooseRate_m("mnuViewRatesSecondsPerCycle", 1); }

void mdiMain::chooseUnit_m(const char* item, qint32 distance, qint32 speed)
{
    const QByteArray proc = QByteArray(item) + "_Click";
    guarded("MDIMain", proc.constData(), [&] {
        for (const char* name : {"mnuViewDistanceFeet", "mnuViewDistanceKilometers", "mnuViewDistanceMeters",
                                 "mnuViewDistanceMiles", "mnuViewDistanceYards"})
            MenuItem(QString::fromLatin1(name))->setChecked(qstrcmp(name, item) == 0);
        QWidget* child = ActiveForm_mo();
        CallByName::call(child, "SetDistanceType_p", distance);
        CallByName::call(child, "SetSpeedType_p", speed);
    });
}

void mdiMain::mnuViewDistanceFeet_Click() { chooseUnit_m("mnuViewDistanceFeet", 5, 4); }
void mdiMain::mnuViewDistanceKilometers_Click() { chooseUnit_m("mnuViewDistanceKilometers", 2, 2); }
void mdiMain::mnuViewDistanceMeters_Click() { chooseUnit_m("mnuViewDistanceMeters", 1, 1); }
void mdiMain::mnuViewDistanceMiles_Click() { chooseUnit_m("mnuViewDistanceMiles", 3, 3); }
void mdiMain::mnuViewDistanceYards_Click() { chooseUnit_m("mnuViewDistanceYards", 4, 5); }

// The item's check mark has already flipped (it is a checkable action); the
// columns follow only on a detail window.
void mdiMain::flipColumns_m(const char* item, std::initializer_list<qint32> columns)
{
    const QByteArray proc = QByteArray(item) + "_Click";
    guarded("MDIMain", proc.constData(), [&] {
        const bool visible = MenuItem(QString::fromLatin1(item))->isChecked();
        if (ActiveFormName_ms() != DetailName)
            return;
        for (qint32 column : columns)
            CallByName::call(ActiveForm_mo(), "SetGridColumns_p", column, visible);
    });
}

void mdiMain::mnuViewDistanceSpeed_Click() { flipColumns_m("mnuViewDistanceSpeed", {10, 11}); }
void mdiMain::mnuViewDiPS_Click() { flipColumns_m("mnuViewDiPS", {9}); }
void mdiMain::mnuViewComments_Click() { flipColumns_m("mnuViewComments", {13}); }

// ---- Sort pop-up and toolbar ----------------------------------------------

void mdiMain::sortActive_m(const char* proc, const QString& order)
{
    guarded("MDIMain", proc, [&] {
        if (ActiveFormName_ms() != MainName)
            CallByName::call(ActiveForm_mo(), "SetOrder_P", order);
    });
}

void mdiMain::mnuSortAscending_Click() { sortActive_m("mnuSortAscending_Click", QStringLiteral("ASC")); }
void mdiMain::mnuSortDescending_Click() { sortActive_m("mnuSortDescending_Click", QStringLiteral("DESC")); }

void mdiMain::tbrToolBar_ButtonClick(const QString& key)
{
    using Handler = void (mdiMain::*)();
    static const QList<QPair<QString, Handler>> handlers = {
        {QStringLiteral("Import"), &mdiMain::mnuFileImport_Click},
        {QStringLiteral("Export"), &mdiMain::mnuFileExport_Click},
        {QStringLiteral("Cut"), &mdiMain::mnuEditCut_Click},
        {QStringLiteral("Copy"), &mdiMain::mnuEditCopy_Click},
        {QStringLiteral("Paste"), &mdiMain::mnuEditPaste_Click},
        {QStringLiteral("Search"), &mdiMain::mnuViewSearchSegments_Click},
        {QStringLiteral("Segment"), &mdiMain::mnuViewAllSegments_Click},
        {QStringLiteral("Roster"), &mdiMain::mnuViewRoster_Click},
        {QStringLiteral("Event"), &mdiMain::mnuViewEvents_Click},
        {QStringLiteral("Category"), &mdiMain::mnuViewSegCategory_Click},
        {QStringLiteral("Type"), &mdiMain::mnuViewSegType_Click},
    };
    for (const auto& [name, handler] : handlers)
        if (name == key) {
            (this->*handler)();
            return;
        }
}
