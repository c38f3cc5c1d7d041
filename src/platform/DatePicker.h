#pragma once

#include "platform/Value.h"

#include <QWidget>

class QCheckBox;
class QDateTimeEdit;

// A date (or time) field with a check box in front: unticked, it has no
// value (Null) while it still shows its date, so the user can tick it and
// take that date. Without the check box it always has a value. Typed text
// is read as a whole when the field is left (or Enter, a step, the calendar
// or a read of the value needs it): the day, the month (number or name) and
// the year in the order shown give exactly that date; text that is no date
// gives the last date back and the user is told so.
class DatePicker : public QWidget {
    Q_OBJECT
public:
    enum class Format { ShortDate, LongDate, Time, Custom };

    explicit DatePicker(QWidget* parent = nullptr);

    // Null when unticked; otherwise the shown date (or time for Format::Time).
    ::Value Value() const;
    // Null, Empty or "" untick and keep the shown date; anything else must read
    // as a date (or time) and ticks the box. 13 when it does not.
    void Value(const ::Value& value);

    bool CheckBox() const { return m_hasCheckBox; }
    void CheckBox(bool on);
    bool Checked() const;
    void Checked(bool on);

    Format format() const { return m_format; }
    void setFormat(Format format);
    // The display pattern for Format::Custom, in QDateTimeEdit's notation.
    void setCustomFormat(const QString& pattern);

    QDate date() const;  // the shown date, ticked or not
    QTime time() const;

    QCheckBox* checkBoxWidget() const { return m_check; }
    QDateTimeEdit* editWidget() const { return m_edit; }

signals:
    void Change();  // the value changed: the shown date or the tick
    void GotFocus();
    void LostFocus();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyEnabled();
    bool ownsFocusWidget() const;
    // Reads text typed and not read yet into the date.
    void takeTyped() const;

    QCheckBox* m_check = nullptr;
    QDateTimeEdit* m_edit = nullptr;
    bool m_hasCheckBox = true;
    bool m_hadFocus = false;
    Format m_format = Format::ShortDate;
};
