#include "platform/DatePicker.h"

#include "platform/AppError.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QLocale>

DatePicker::DatePicker(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    m_check = new QCheckBox(this);
    m_edit = new QDateTimeEdit(QDate::currentDate(), this);
    m_edit->setCalendarPopup(true);
    layout->addWidget(m_check);
    layout->addWidget(m_edit, 1);
    setFocusProxy(m_edit);
    setFocusPolicy(Qt::StrongFocus);
    setFormat(Format::ShortDate);

    m_check->setChecked(true);
    connect(m_check, &QCheckBox::toggled, this, [this] {
        applyEnabled();
        emit Change();
    });
    connect(m_edit, &QDateTimeEdit::dateTimeChanged, this, [this] { emit Change(); });
    m_check->installEventFilter(this);
    m_edit->installEventFilter(this);
    applyEnabled();
}

::Value DatePicker::Value() const
{
    if (!Checked())
        return ::Value::null();
    if (m_format == Format::Time)
        return ::Value(m_edit->time());
    return ::Value(m_edit->date());
}

void DatePicker::Value(const ::Value& value)
{
    if (value.isNullOrEmpty() || (value.kind() == ::Value::Kind::Text && value.asText().isEmpty())) {
        Checked(false);
        return;
    }
    if (m_format == Format::Time) {
        const QTime t = value.toTime();  // raises 13 when it is no time
        m_edit->setTime(t);
    } else {
        const QDate d = value.toDate();
        if (!d.isValid())
            AppError::raise(ErrNo::TypeMismatch);
        m_edit->setDate(d);
    }
    Checked(true);
}

void DatePicker::CheckBox(bool on)
{
    m_hasCheckBox = on;
    m_check->setVisible(on);
    // Without a check box the field always has a value.
    if (!on)
        m_check->setChecked(true);
    applyEnabled();
}

bool DatePicker::Checked() const { return !m_hasCheckBox || m_check->isChecked(); }

void DatePicker::Checked(bool on)
{
    if (m_hasCheckBox)
        m_check->setChecked(on);
}

void DatePicker::setFormat(Format format)
{
    m_format = format;
    const QLocale locale;
    switch (format) {
    case Format::ShortDate: m_edit->setDisplayFormat(locale.dateFormat(QLocale::ShortFormat)); break;
    case Format::LongDate: m_edit->setDisplayFormat(locale.dateFormat(QLocale::LongFormat)); break;
    case Format::Time: m_edit->setDisplayFormat(locale.timeFormat(QLocale::LongFormat)); break;
    case Format::Custom: break;
    }
    m_edit->setCalendarPopup(format != Format::Time);
}

void DatePicker::setCustomFormat(const QString& pattern)
{
    m_format = Format::Custom;
    m_edit->setDisplayFormat(pattern);
}

QDate DatePicker::date() const { return m_edit->date(); }
QTime DatePicker::time() const { return m_edit->time(); }

void DatePicker::applyEnabled()
{
    // An unticked picker shows its date greyed, as a hint that it counts for nothing.
    m_edit->setEnabled(Checked());
}

bool DatePicker::ownsFocusWidget() const
{
    const QWidget* f = QApplication::focusWidget();
    return f && (f == this || isAncestorOf(f));
}

bool DatePicker::eventFilter(QObject* watched, QEvent* event)
{
    // Focus moving between the check box and the field stays inside the picker.
    if (event->type() == QEvent::FocusIn && !m_hadFocus) {
        m_hadFocus = true;
        emit GotFocus();
    } else if (event->type() == QEvent::FocusOut && m_hadFocus && !ownsFocusWidget()) {
        m_hadFocus = false;
        emit LostFocus();
    }
    return QWidget::eventFilter(watched, event);
}
