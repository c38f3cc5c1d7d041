#include "detail/clsSegmentHeader.h"

#include "app/TimeBox.h"
#include "app/WindowServices.h"
#include "app/clsCboBoxHelper.h"
#include "data/clsBrSegment.h"
#include "platform/ComboBox.h"
#include "platform/DatePicker.h"
#include "platform/LocaleText.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {
const QString EditFieldTag = QStringLiteral("EDITFIELD");
// A time box cleared through its input mask holds this, which counts as no time.
const QString EmptyTimeMask = QStringLiteral("__:__:__ __");
const QString Crlf = QStringLiteral("\r\n");

bool isFlag(const QString& field) { return field.compare(QLatin1String("fReviewed"), Qt::CaseInsensitive) == 0; }
bool isTime(const QString& field) { return field.compare(QLatin1String("dtSegmentTime"), Qt::CaseInsensitive) == 0; }
bool ticked(const Value& v) { return !v.isNullOrEmpty() && v.toBool(); }
}  // namespace

void clsSegmentHeader::Bind_p(QWidget* root)
{
    m_fields.clear();
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (w->property("Tag").toString().toUpper() != EditFieldTag)
            continue;
        clsEditField field;
        field.EditControl = w;
        field.FieldName = w->objectName().mid(3);
        m_fields.push_back(field);
    }
}

void clsSegmentHeader::TakeLoadedValues_p(const clsBrSegment& segment)
{
    for (clsEditField& f : m_fields)
        f.FieldValue = segment.Fields(f.FieldName);
}

void clsSegmentHeader::Show_p(const clsBrSegment& segment, clsCboBoxHelper& combos) const
{
    for (const clsEditField& f : m_fields) {
        QWidget* w = f.EditControl.data();
        const Value v = segment.Fields(f.FieldName);
        if (auto* box = qobject_cast<QLineEdit*>(w)) {
            box->setText(v.kind() == Value::Kind::Time ? timeText(v.toTime()) : v.asText());
        } else if (auto* notes = qobject_cast<QPlainTextEdit*>(w)) {
            notes->setPlainText(v.asText());
        } else if (auto* cbo = qobject_cast<ComboBox*>(w)) {
            cbo->ListIndex(v.asText().isEmpty() ? -1 : combos.getListIndexOfItemData_pl(v, cbo));
        } else if (auto* picker = qobject_cast<DatePicker*>(w)) {
            picker->Value(v);
        } else if (auto* check = qobject_cast<QCheckBox*>(w)) {
            check->setChecked(ticked(v));  // Null shows unticked
        } else {
            WindowServices::showMessage(QStringLiteral("Invalid type of control used in updateDisplay_mf"), 48);
        }
    }
}

QString clsSegmentHeader::timeText(const QTime& time) { return LocaleText::time(time); }

bool clsSegmentHeader::CopyAndCompare_pf(clsBrSegment& segment) const
{
    bool changed = false;
    for (const clsEditField& f : m_fields) {
        QWidget* w = f.EditControl.data();
        Value v;
        if (auto* box = qobject_cast<QLineEdit*>(w)) {
            // The time box is read as the time it was checked as: a Dane's
            // "07.05.09" is five past seven, not 7 May 2009.
            const QTime time = isTime(f.FieldName) ? TimeBox::read(box->text()) : QTime();
            v = time.isValid() ? Value(time) : Value(box->text());
        } else if (auto* notes = qobject_cast<QPlainTextEdit*>(w)) {
            // Stored notes keep the line ends the program has always written.
            v = Value(notes->toPlainText().replace(QLatin1Char('\n'), Crlf));
        } else if (auto* cbo = qobject_cast<ComboBox*>(w)) {
            // Typed text that picks no item raises 381.
            v = cbo->Text().isEmpty() ? Value::null() : Value(cbo->ItemData(cbo->ListIndex()));
        } else if (auto* picker = qobject_cast<DatePicker*>(w)) {
            v = picker->Value();
        } else if (auto* check = qobject_cast<QCheckBox*>(w)) {
            v = Value(check->isChecked() ? -1 : 0);
        } else {
            WindowServices::showMessage(QStringLiteral("Invalid type of control used in SetObjAndCheckForDirty_mf"),
                                        48);
            continue;
        }
        // A cleared box is a value too: the field is emptied.
        const QString shown = v.asText();
        if (shown.isEmpty() || shown == EmptyTimeMask)
            v = Value::null();
        segment.Fields(f.FieldName, v);

        const Value now = segment.Fields(f.FieldName);
        const Value& loaded = f.FieldValue;
        if (isFlag(f.FieldName))
            changed = changed || ticked(now) != ticked(loaded);  // unticked and never set say the same
        else if (now.isNull() != loaded.isNull())
            changed = true;
        else if (!now.isNull() && now != loaded)
            changed = true;
    }
    return changed;
}
