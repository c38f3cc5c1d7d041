#pragma once

#include "platform/Value.h"

#include <QPointer>
#include <QWidget>

// The control that last got the focus and the value it had then, so that
// Edit, Undo can put the value back.
class clsActiveControl {
public:
    clsActiveControl() = default;
    virtual ~clsActiveControl() = default;

    QWidget* Control_Pobj() const { return m_control.data(); }
    // Keeps the control and reads its value. A kind of control Undo cannot
    // serve raises 380; it is kept all the same, with the earlier value.
    virtual void Control_Pobj(QWidget* control);
    // Writes the kept value back; false when no control is kept or it has
    // gone since. A grid only drops its pending cell edit.
    virtual bool ControlUndo_Mf();

private:
    enum class Kind { None, LineEdit, PlainTextEdit, TextEdit, DatePicker, CheckBox, ComboBox, Grid, Tab };
    static Kind kindOf(QWidget* control);

    QPointer<QWidget> m_control;
    Kind m_kind = Kind::None;
    Value m_value;
};
