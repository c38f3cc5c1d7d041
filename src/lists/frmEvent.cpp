#include "lists/frmEvent.h"

#include "app/TimeBox.h"
#include "app/WindowProc.h"
#include "app/clsThisApp.h"
#include "app/clsTxtBoxHelper.h"
#include "app/modapp.h"
#include "platform/AppError.h"
#include "platform/DataGrid.h"
#include "platform/DatePicker.h"
#include "platform/LocaleText.h"
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

// A stored time as its box shows it; Null shows as an empty box.
QString shownTime(const Value& stored)
{
    return stored.isNullOrEmpty() ? QString() : LocaleText::time(stored.toTime());
}
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
    m_shownStart = {};
    m_shownEnd = {};
}

void frmEvent::fillDetail()
{
    RecordWindow::fillDetail();
    showDate(dtpStartDate, rs()->Fields(3).Value());
    showDate(dtpEndDate, rs()->Fields(4).Value());
    const Value start = rs()->Fields(5).Value();
    const Value end = rs()->Fields(6).Value();
    m_shownStart = {shownTime(start), start.isNullOrEmpty() ? Value::null() : start};
    m_shownEnd = {shownTime(end), end.isNullOrEmpty() ? Value::null() : end};
    txtStartTime->setText(m_shownStart.text);
    txtEndTime->setText(m_shownEnd.text);
}

void frmEvent::writeDetail(Recordset& row)
{
    RecordWindow::writeDetail(row);
    // An unticked picker is no date, and stays Null.
    row.Fields(3).Value(dtpStartDate->Value());
    row.Fields(4).Value(dtpEndDate->Value());
    row.Fields(5).Value(boxTime_m(txtStartTime, m_shownStart));
    row.Fields(6).Value(boxTime_m(txtEndTime, m_shownEnd));
}

// A box left as it was filled gives back its stored time exactly, whatever
// its text reads as; an emptied box is no time. writeRecord_m has refused
// any other text that is no time.
Value frmEvent::boxTime_m(const QLineEdit* box, const ShownTime& shown)
{
    if (box->text() == shown.text)
        return shown.stored;
    const QTime time = TimeBox::read(box->text());
    return time.isValid() ? Value(time) : Value::null();
}

// A typed time that cannot be read is said in words and nothing is written:
// it is never stored as no time.
Value frmEvent::writeRecord_m()
{
    for (QLineEdit* box : {txtStartTime, txtEndTime}) {
        if (!box->text().isEmpty() && !TimeBox::read(box->text()).isValid()) {
            showMessage(text_m(631, QStringLiteral("You have not entered a valid time")), 0);
            box->setFocus();
            return Value::null();
        }
    }
    return RecordWindow::writeRecord_m();
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
            [&] { TimeBox::check(box, [](const QTime& time) { return LocaleText::time(time); }); });
    m_validating = false;
}
