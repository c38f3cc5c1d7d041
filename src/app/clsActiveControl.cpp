#include "app/clsActiveControl.h"

#include "platform/AppError.h"
#include "platform/ComboBox.h"
#include "platform/DataGrid.h"
#include "platform/DatePicker.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTextEdit>

// Tried in this order; our combo box before Qt's, which it also is.
clsActiveControl::Kind clsActiveControl::kindOf(QWidget* control)
{
    if (qobject_cast<QLineEdit*>(control))
        return Kind::LineEdit;
    if (qobject_cast<QPlainTextEdit*>(control))
        return Kind::PlainTextEdit;
    if (qobject_cast<QTextEdit*>(control))
        return Kind::TextEdit;
    if (qobject_cast<DatePicker*>(control))
        return Kind::DatePicker;
    if (qobject_cast<QCheckBox*>(control))
        return Kind::CheckBox;
    if (qobject_cast<ComboBox*>(control))
        return Kind::ComboBox;
    if (qobject_cast<DataGrid*>(control))
        return Kind::Grid;
    if (qobject_cast<QTabWidget*>(control))
        return Kind::Tab;
    return Kind::None;
}

void clsActiveControl::Control_Pobj(QWidget* control)
{
    m_control = control;
    const Kind kind = control ? kindOf(control) : Kind::None;
    m_kind = kind;
    switch (kind) {
    case Kind::LineEdit: m_value = Value(static_cast<QLineEdit*>(control)->text()); break;
    case Kind::PlainTextEdit: m_value = Value(static_cast<QPlainTextEdit*>(control)->toPlainText()); break;
    case Kind::TextEdit: m_value = Value(static_cast<QTextEdit*>(control)->toPlainText()); break;
    case Kind::DatePicker: m_value = static_cast<DatePicker*>(control)->Value(); break;
    case Kind::CheckBox: m_value = Value(int(static_cast<QCheckBox*>(control)->checkState())); break;
    case Kind::ComboBox: m_value = Value(static_cast<ComboBox*>(control)->ListIndex()); break;
    case Kind::Grid: {
        // Kept for completeness: Undo only drops the grid's pending edit.
        const auto* grid = static_cast<DataGrid*>(control);
        m_value = Value(grid->currentIndex().data(Qt::DisplayRole).toString());
        break;
    }
    case Kind::Tab: m_value = Value(static_cast<QTabWidget*>(control)->currentIndex()); break;
    case Kind::None:
        if (control)
            AppError::raise(ErrNo::InvalidPropertyValue, {}, QStringLiteral("clsActiveControl:Control_Pobj"));
        break;
    }
}

bool clsActiveControl::ControlUndo_Mf()
{
    QWidget* control = m_control.data();
    if (!control)
        return false;
    try {
        switch (m_kind) {
        case Kind::LineEdit: static_cast<QLineEdit*>(control)->setText(m_value.asText()); break;
        case Kind::PlainTextEdit: static_cast<QPlainTextEdit*>(control)->setPlainText(m_value.asText()); break;
        case Kind::TextEdit: static_cast<QTextEdit*>(control)->setPlainText(m_value.asText()); break;
        case Kind::DatePicker: static_cast<DatePicker*>(control)->Value(m_value); break;
        case Kind::CheckBox: static_cast<QCheckBox*>(control)->setCheckState(Qt::CheckState(m_value.toLong())); break;
        case Kind::ComboBox: static_cast<ComboBox*>(control)->ListIndex(m_value.toLong()); break;
        case Kind::Grid: static_cast<DataGrid*>(control)->cancelPendingEdit(); break;
        case Kind::Tab: static_cast<QTabWidget*>(control)->setCurrentIndex(m_value.toLong()); break;
        case Kind::None: break;
        }
    } catch (const AppError& e) {
        throw e.withSource(QStringLiteral("clsActiveControl:ControlUndo_Mf"));
    }
    return true;
}
