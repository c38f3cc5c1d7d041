#pragma once

#include "platform/Value.h"

#include <QWidget>

class QCheckBox;
class QDateTimeEdit;

// A date (or time) field with a check box in front: unticked, it has no
// value (Null) while it still shows its date, so the user can tick it and
// take that date. Without the check box it always has a value. Typed text
// is read as a whole when the field is left (or Enter, a step, the calendar
// or a read of the value needs it) as LocaleText reads a date in the order
// shown; text that is no date gives the last date back and the user is told
// so. A menu, a box or a shortcut taking the focus for a while leaves typed
// text as it is. Years show with four digits.
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

    // Reads text typed and not read yet, as a window does before it saves or
    // closes; false when it is no date: that is said now (or is about to be,
    // the field just left), and the field keeps the text, focused, to be put
    // right or given back with Escape.
    bool commitTyped();
    // Text given as a whole, as a paste gives it: read as if typed and left,
    // it ticks the box; text that is no date is refused in words, and the
    // field keeps its date.
    bool takeText(const QString& text);

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
