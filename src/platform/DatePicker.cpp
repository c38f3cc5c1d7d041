#include "platform/DatePicker.h"

#include "platform/AppError.h"
#include "platform/AppInfo.h"
#include "platform/LocaleText.h"
#include "platform/MessagePresenter.h"
#include "platform/TypedText.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QTimer>

#include <optional>

namespace {

// A date field that takes typed text as a whole: what is typed stays as it
// is typed, and is read when the field is left, Enter is pressed or a step
// or the calendar needs the date. A text that is no date gives the last date
// back and says so; asked by its window before a save or a close, it says so
// and stays. Outside typing it steps the field under the cursor, as any date
// edit does.
class TypedDateEdit : public QDateTimeEdit {
public:
    explicit TypedDateEdit(QWidget* parent) : QDateTimeEdit(QDate::currentDate(), parent)
    {
        // A date changes once, when it is taken, not again as Enter ends the edit.
        setKeyboardTracking(false);
        // Typed text is ours to read as a whole: the edit would read it field
        // by field as it changes, taking typed digits as it likes.
        lineEdit()->disconnect(SIGNAL(textChanged(QString)), this);
        connect(lineEdit(), &QLineEdit::textEdited, this, [this] { setTyped(true); });
    }

    // How a refused text is said.
    enum class Refusal {
        GiveBack,  // the field is left: the last date is shown again, and the box comes once the event is done
        Hold,      // the window asks: said now, and the text stays to be put right or given back (Escape)
        Keep,      // read while the user is still in the field: the text stays, unsaid, the last date counts
    };

    // Reads the typed text into the date; false when it is none.
    bool commitTyped(Refusal how = Refusal::GiveBack)
    {
        // A refusal on its way is not over yet: nothing goes on before it is said.
        if (m_refusalDue)
            return how == Refusal::GiveBack;
        if (!m_typed)
            return true;
        const QString text = lineEdit()->text();
        const std::optional<QDateTime> read = readTyped(text);
        if (read) {
            setTyped(false);
            setDateTime(*read);
            lineEdit()->setText(textFromDateTime(dateTime()));
            return true;
        }
        if (how == Refusal::Keep)
            return false;
        if (how == Refusal::Hold) {
            MessagePresenter::show(refusalText(text, how), MessageBoxStyle::Exclamation, AppInfo::title());
            setFocus(Qt::OtherFocusReason);
            lineEdit()->selectAll();
            return false;
        }
        setTyped(false);
        lineEdit()->setText(textFromDateTime(dateTime()));
        const QString refusal = refusalText(text, how);
        m_refusalDue = true;
        QTimer::singleShot(0, this, [this, refusal] {
            m_refusalDue = false;
            MessagePresenter::show(refusal, MessageBoxStyle::Exclamation, AppInfo::title());
        });
        return false;
    }

    // A text given as a whole (a paste): read as if typed and left; text that
    // is no date is refused now, and the field keeps its date.
    bool takeText(const QString& text)
    {
        dropTyped();
        QString given = text;
        TypedText::dropNul(given);
        if (const std::optional<QDateTime> read = readTyped(given)) {
            setDateTime(*read);
            return true;
        }
        MessagePresenter::show(refusalText(given, Refusal::GiveBack), MessageBoxStyle::Exclamation, AppInfo::title());
        return false;
    }

    // Gives the last date back, typed text and all.
    void dropTyped()
    {
        if (!m_typed)
            return;
        setTyped(false);
        lineEdit()->setText(textFromDateTime(dateTime()));
    }

    // Ctrl+U empties the field as typing would; leaving it gives the date back.
    void clear() override
    {
        setTyped(true);
        lineEdit()->clear();
    }

protected:
    QValidator::State validate(QString& input, int& pos) const override
    {
        // Anything may be typed; it is read as a whole when the field is left.
        TypedText::dropNul(input, &pos);
        return readTyped(input) ? QValidator::Acceptable : QValidator::Intermediate;
    }

    // Nor is typed text mended into some date by the edit's own parser.
    void fixup(QString&) const override {}

    QDateTime dateTimeFromText(const QString& text) const override { return readTyped(text).value_or(dateTime()); }

    void keyPressEvent(QKeyEvent* event) override
    {
        if (changesText(event) || (m_typed && movesCursor(event))) {
            // Straight to the text, past the field-by-field handling.
            setTyped(true);
            QAbstractSpinBox::keyPressEvent(event);
            return;
        }
        if (!m_typed) {
            QDateTimeEdit::keyPressEvent(event);
            return;
        }
        if (event->key() == Qt::Key_Escape) {
            dropTyped();
            event->accept();
            return;
        }
        if (!needsDate(event)) {
            // Shift, Ctrl and the like on their way to a typed character.
            QAbstractSpinBox::keyPressEvent(event);
            return;
        }
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        const int cursor = lineEdit()->cursorPosition();
        if (!commitTyped()) {
            event->accept();  // the refusal is said; nothing steps from the date kept
            return;
        }
        if (enter) {
            lineEdit()->selectAll();
            event->ignore();
            emit editingFinished();
            return;
        }
        // A step changes the field the cursor was in.
        placeCursor(std::min(cursor, int(lineEdit()->text().size())));
        QDateTimeEdit::keyPressEvent(event);
    }

    void focusOutEvent(QFocusEvent* event) override
    {
        // Typed text that is no date stays as typed while the field is not
        // left for another control, for the window's save or close to refuse
        // while it stands.
        if (m_typed && staysTyped(event->reason(), QApplication::focusWidget()) && !readTyped(lineEdit()->text())) {
            QCoreApplication::sendEvent(lineEdit(), event);
            QWidget::focusOutEvent(event);
            return;
        }
        commitTyped();
        QDateTimeEdit::focusOutEvent(event);
    }

    void focusInEvent(QFocusEvent* event) override
    {
        // Typed text is not the edit's to show again from the date.
        if (m_typed) {
            QAbstractSpinBox::focusInEvent(event);
            return;
        }
        QDateTimeEdit::focusInEvent(event);
    }

    bool focusNextPrevChild(bool next) override
    {
        // Tab after typing leaves the field, as from any text box.
        if (m_typed) {
            commitTyped();
            return QWidget::focusNextPrevChild(next);
        }
        return QDateTimeEdit::focusNextPrevChild(next);
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        // The calendar opens on the date typed.
        commitTyped();
        QDateTimeEdit::mousePressEvent(event);
    }

    void wheelEvent(QWheelEvent* event) override
    {
        commitTyped();
        QDateTimeEdit::wheelEvent(event);
    }

private:
    void setTyped(bool typed)
    {
        if (typed == m_typed)
            return;
        m_typed = typed;
        // The edit places its cursor and its current field by the fields it
        // finds in the text: not in typed text, where it finds none.
        if (typed)
            lineEdit()->disconnect(SIGNAL(cursorPositionChanged(int, int)), this);
        else
            connect(lineEdit(), SIGNAL(cursorPositionChanged(int, int)), this,
                    SLOT(_q_editorCursorPositionChanged(int, int)));
    }

    // Puts the cursor there and lets the edit take the field there as its current one.
    void placeCursor(int pos)
    {
        if (lineEdit()->cursorPosition() != pos)
            lineEdit()->setCursorPosition(pos);
        else
            QMetaObject::invokeMethod(this, "_q_editorCursorPositionChanged", Qt::DirectConnection, Q_ARG(int, pos),
                                      Q_ARG(int, pos));
    }

    // The field is not left for another control: a menu, a box, another
    // program or a shortcut has the focus, or a click on the window's own
    // frame (its title bar, its close box) gave it to the window.
    bool staysTyped(Qt::FocusReason reason, const QWidget* to) const
    {
        return reason == Qt::PopupFocusReason || reason == Qt::MenuBarFocusReason
            || reason == Qt::ActiveWindowFocusReason || reason == Qt::ShortcutFocusReason
            || (to && to->isAncestorOf(this));
    }

    static bool changesText(QKeyEvent* event)
    {
        const Qt::KeyboardModifiers mods = event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
        if (mods == Qt::NoModifier && !event->text().isEmpty() && event->text().at(0).isPrint())
            return true;
        return event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete
            || event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut)
            || event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo);
    }

    // Keys that work on the date: typed text is read first.
    static bool needsDate(QKeyEvent* event)
    {
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_F4: return true;
        default: return false;
        }
    }

    static bool movesCursor(QKeyEvent* event)
    {
        switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Home:
        case Qt::Key_End: return true;
        default: return event->matches(QKeySequence::SelectAll) || event->matches(QKeySequence::Copy);
        }
    }

    bool hasDate() const { return displayedSections() & DateSections_Mask; }

    // The shown text reads as the date it shows, whatever its year looks
    // like: a field left without typing keeps its date exactly.
    std::optional<QDateTime> readTyped(const QString& text) const
    {
        QDateTime result = dateTime();
        if (text == textFromDateTime(result))
            return result;
        if (hasDate()) {
            const std::optional<QDate> d = LocaleText::readDate(text, locale(), displayFormat());
            if (!d || *d < minimumDate() || *d > maximumDate())
                return std::nullopt;
            result.setDate(*d);
        } else {
            const std::optional<QTime> t = LocaleText::readTime(text, locale());
            if (!t)
                return std::nullopt;
            result.setTime(*t);
        }
        return result;
    }

    QString refusalText(const QString& typed, Refusal how) const
    {
        const QString kept = textFromDateTime(dateTime());
        const QString what = hasDate() ? QStringLiteral("date") : QStringLiteral("time");
        const QString keeps = how == Refusal::Hold ? QStringLiteral("press Esc to give back %1").arg(kept)
                                                   : QStringLiteral("the field keeps %1").arg(kept);
        if (typed.trimmed().isEmpty())
            return QStringLiteral("The field needs a %1, such as %2; %3.").arg(what, kept, keeps);
        if (!hasDate())
            return QStringLiteral("\"%1\" is not a time. Type a time such as %2; %3.")
                .arg(typed.trimmed(), kept, keeps);
        return QStringLiteral("\"%1\" is not a date. Type the day, the month (its name or number) and the year in "
                              "the order the field shows them, as in %2; %3.")
            .arg(typed.trimmed(), kept, keeps);
    }

    bool m_typed = false;
    bool m_refusalDue = false;  // said once the event that refused the text is done
};

}  // namespace

DatePicker::DatePicker(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    m_check = new QCheckBox(this);
    m_edit = new TypedDateEdit(this);
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

void DatePicker::takeTyped() const
{
    // A read while the user is in the field (as its focus is noted) leaves
    // text that is no date as typed: it is said when the field is left.
    static_cast<TypedDateEdit*>(m_edit)->commitTyped(ownsFocusWidget() ? TypedDateEdit::Refusal::Keep
                                                                       : TypedDateEdit::Refusal::GiveBack);
}

bool DatePicker::commitTyped()
{
    return static_cast<TypedDateEdit*>(m_edit)->commitTyped(TypedDateEdit::Refusal::Hold);
}

bool DatePicker::takeText(const QString& text)
{
    if (!static_cast<TypedDateEdit*>(m_edit)->takeText(text))
        return false;
    Checked(true);
    return true;
}

::Value DatePicker::Value() const
{
    takeTyped();
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
    static_cast<TypedDateEdit*>(m_edit)->dropTyped();
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
    const QLocale locale = m_edit->locale();
    switch (format) {
    case Format::ShortDate: m_edit->setDisplayFormat(LocaleText::dateFormat(locale)); break;
    case Format::LongDate: m_edit->setDisplayFormat(LocaleText::dateFormat(locale, QLocale::LongFormat)); break;
    case Format::Time: m_edit->setDisplayFormat(LocaleText::timeFormat(locale)); break;
    case Format::Custom: break;
    }
    m_edit->setCalendarPopup(format != Format::Time);
}

void DatePicker::setCustomFormat(const QString& pattern)
{
    m_format = Format::Custom;
    m_edit->setDisplayFormat(pattern);
}

QDate DatePicker::date() const
{
    takeTyped();
    return m_edit->date();
}

QTime DatePicker::time() const
{
    takeTyped();
    return m_edit->time();
}

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
