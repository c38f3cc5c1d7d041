#include "lists/frmEvent.h"

#include "app/TimeBox.h"
#include "app/WindowProc.h"
#include "app/clsThisApp.h"
#include "app/clsTxtBoxHelper.h"
#include "app/modapp.h"
#include "platform/AppError.h"
#include "platform/DataGrid.h"
#include "platform/DatePicker.h"
#include "platform/Recordset.h"

#include <QFocusEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {
const RecordWindow::Config EventConfig{
    "frmEvent",
    "tblEvent",
    "lEventID",
    "Select lEventID, sEvent,  sDescription, dtStartDate, dtEndDate, dtStartTime, dtEndTime, mNotes FROM tblEvent"
    " WHERE fSysLock = 0",
    3280,
    "Event",
    2,
    "Event",
    7476,
    5124,
    true,
    true,
    "event"};

// Backspace, Enter, blank, the digits, ":", and the letters of AM and PM.
const char* const TimeKeys = "8|13|32|48|49|50|51|52|53|54|55|56|57|58|65|77|80|97|109|112";

// A stored date on its picker; no date unticks it over today's date, so
// nothing of another event shows through.
void showDate(DatePicker* picker, const Value& stored)
{
    if (stored.isNullOrEmpty()) {
        picker->Value(Value(QDate::currentDate()));
        picker->Value(Value::null());
    } else {
        picker->Value(Value(stored.toDate()));
    }
}

// The "long time" text of a stored time; Null shows as an empty box.
QString longTime(const Value& stored) { return stored.isNullOrEmpty() ? QString() : Value(stored.toTime()).toText(); }
}  // namespace

frmEvent::frmEvent(QWidget* parent) : RecordWindow(EventConfig, parent)
{
    txtEvent = addTextRow(1, "txtEvent", "lblEvent", "Event:");
    txtDescription = addTextRow(2, "txtDescription", "lblDescription", "Description:");
    dtpStartDate = new DatePicker;
    dtpStartDate->setObjectName(QStringLiteral("dtpStartDate"));
    dtpEndDate = new DatePicker;
    dtpEndDate->setObjectName(QStringLiteral("dtpEndDate"));
    addDetailRow("lblStartDate", "Start Date:", dtpStartDate);
    addDetailRow("lblEndDate", "End Date:", dtpEndDate);
    track(dtpStartDate);
    track(dtpEndDate);
    txtStartTime = addTimeRow_m("txtStartTime", "lblStartTime", "Start Time:");
    txtEndTime = addTimeRow_m("txtEndTime", "lblEndTime", "End Time:");
    txtNotes = addMemoRow(7, "txtNotes", "lblNotes", "Notes:");
    requireField(txtEvent, "Event");
    connect(dtpStartDate, &DatePicker::Change, this, &frmEvent::dtpStartDate_Change);
    connect(dtpEndDate, &DatePicker::Change, this, &frmEvent::dtpEndDate_Change);
    connect(dbgMain, &DataGrid::BeforeUpdate, this, &frmEvent::dbgMain_BeforeUpdate);

    addColumn("lEventID", "lEventID", 0);
    addColumn("sEvent", "Event", 1800);
    addColumn("sDescription", "Description", 1800);
    // Dates and times show in the user's short date and long time forms, as the list holds them.
    addColumn("dtStartDate", "Start Date", 1500);
    addColumn("dtEndDate", "End Date", 1500);
    addColumn("dtStartTime", "Start Time", 1300);
    addColumn("dtEndTime", "End Time", 1300);
    Form_Load();
}

QLineEdit* frmEvent::addTimeRow_m(const char* boxName, const char* labelName, const char* caption)
{
    auto* box = new QLineEdit;
    box->setObjectName(QString::fromLatin1(boxName));
    addDetailRow(labelName, caption, box);
    track(box);
    const QByteArray proc = QByteArray(boxName) + "_KeyPress";
    clsTxtBoxHelper::InstallKeyFilter(box, [this, proc](qint16 key) {
        qint16 kept = 0;
        guarded("frmEvent", proc.constData(), [&] {
            kept = clsTxtBoxHelper().FilterKeyPressValuesPi(key, QString::fromLatin1(TimeKeys), QStringLiteral("|"));
            if (kept == 0)
                showMessage(text_m(630, QStringLiteral("Only time-related keystrokes allowed")), 48);
        });
        return kept;
    });
    return box;
}

void frmEvent::clearDetail()
{
    RecordWindow::clearDetail();
    dtpStartDate->Value(Value(QDate::currentDate()));
    dtpEndDate->Value(Value(QDate::currentDate()));
    txtStartTime->clear();
    txtEndTime->clear();
}

void frmEvent::fillDetail()
{
    RecordWindow::fillDetail();
    showDate(dtpStartDate, rs()->Fields(3).Value());
    showDate(dtpEndDate, rs()->Fields(4).Value());
    txtStartTime->setText(longTime(rs()->Fields(5).Value()));
    txtEndTime->setText(longTime(rs()->Fields(6).Value()));
}

void frmEvent::writeDetail(Recordset& row)
{
    RecordWindow::writeDetail(row);
    // An unticked picker is no date, and stays Null.
    row.Fields(3).Value(dtpStartDate->Value());
    row.Fields(4).Value(dtpEndDate->Value());
    const QTime start = TimeBox::read(txtStartTime->text());
    const QTime end = TimeBox::read(txtEndTime->text());
    row.Fields(5).Value(start.isValid() ? Value(start) : Value::null());
    row.Fields(6).Value(end.isValid() ? Value(end) : Value::null());
}

// The picker the user moved wins; only two dates can be out of order.
void frmEvent::dtpStartDate_Change()
{
    guarded("frmEvent", "dtpStartDate_Change", [&] {
        const Value start = dtpStartDate->Value();
        const Value end = dtpEndDate->Value();
        if (!filling() && !start.isNull() && !end.isNull() && start.toDate() > end.toDate())
            dtpEndDate->Value(start);
    });
}

void frmEvent::dtpEndDate_Change()
{
    guarded("frmEvent", "dtpEndDate_Change", [&] {
        const Value start = dtpStartDate->Value();
        const Value end = dtpEndDate->Value();
        if (!filling() && !start.isNull() && !end.isNull() && end.toDate() < start.toDate())
            dtpStartDate->Value(end);
    });
}

// A change made in the list (a replacement) keeps the dates in order too;
// there is no other picker to drag along, so it is refused.
void frmEvent::dbgMain_BeforeUpdate(bool* cancel)
{
    *cancel = true;
    guarded("frmEvent", "dbgMain_BeforeUpdate", [&] {
        const Value start = rs()->Fields(3).Value();
        const Value end = rs()->Fields(4).Value();
        *cancel = !start.isNullOrEmpty() && !end.isNullOrEmpty() && start.toDate() > end.toDate();
        if (*cancel)
            showMessage(text_m(632,
                               QStringLiteral("The start date cannot be later than the end date. Nothing was "
                                              "changed.")),
                        48);
    });
}

bool frmEvent::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && (watched == txtStartTime || watched == txtEndTime)) {
        // Only a move to another control of the program asks; switching
        // windows or opening a menu does not.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            timeBox_Validate(static_cast<QLineEdit*>(watched));
    }
    return RecordWindow::eventFilter(watched, event);
}

// Leaving a time box writes its time in full: the same time, so no change.
bool frmEvent::isUserChange(QWidget* control) const
{
    return !(m_validating && (control == txtStartTime || control == txtEndTime));
}

void frmEvent::timeBox_Validate(QLineEdit* box)
{
    if (m_validating)
        return;
    m_validating = true;
    guarded("frmEvent", box == txtStartTime ? "txtStartTime_Validate" : "txtEndTime_Validate",
            [&] { TimeBox::check(box, [](const QTime& time) { return Value(time).toText(); }); });
    m_validating = false;
}
