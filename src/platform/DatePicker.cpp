#include "platform/DatePicker.h"

#include "platform/AppError.h"
#include "platform/AppInfo.h"
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
#include <QRegularExpression>
#include <QTimer>

#include <optional>

namespace {

// One piece of a display format: a field ("d", "MMM", "yyyy", "hh", "AP" ...)
// or the literal text between fields.
struct FormatPart {
    QString text;
    bool field = false;
};

std::vector<FormatPart> formatParts(const QString& format)
{
    static const QString fieldLetters = QStringLiteral("dMyhHmszaApt");
    std::vector<FormatPart> parts;
    const auto literal = [&parts](QChar c) {
        if (parts.empty() || parts.back().field)
            parts.push_back({QString(), false});
        parts.back().text += c;
    };
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\'')) {
            // Quoted text; two quotes stand for one.
            qsizetype j = i + 1;
            if (j < format.size() && format.at(j) == QLatin1Char('\'')) {
                literal(c);
                i = j + 1;
                continue;
            }
            for (; j < format.size() && format.at(j) != QLatin1Char('\''); ++j)
                literal(format.at(j));
            i = j + 1;
        } else if (fieldLetters.contains(c)) {
            qsizetype j = i + 1;
            if ((c == QLatin1Char('a') || c == QLatin1Char('A')) && j < format.size()
                && format.at(j).toLower() == QLatin1Char('p'))
                ++j;
            else
                while (j < format.size() && format.at(j) == c)
                    ++j;
            parts.push_back({format.mid(i, j - i), true});
            i = j;
        } else {
            literal(c);
            ++i;
        }
    }
    return parts;
}

bool isDateField(const QString& f)
{
    const QChar c = f.at(0);
    return c == QLatin1Char('d') || c == QLatin1Char('M') || c == QLatin1Char('y');
}

int monthFromName(const QString& name, const QLocale& locale)
{
    QString wanted = name;
    while (wanted.endsWith(QLatin1Char('.')))
        wanted.chop(1);
    for (const QLocale& loc : {locale, QLocale::c()})
        for (int m = 1; m <= 12; ++m)
            for (const QString& known :
                 {loc.monthName(m, QLocale::LongFormat), loc.monthName(m, QLocale::ShortFormat),
                  loc.standaloneMonthName(m, QLocale::LongFormat), loc.standaloneMonthName(m, QLocale::ShortFormat)}) {
                QString k = known;
                while (k.endsWith(QLatin1Char('.')))
                    k.chop(1);
                if (!k.isEmpty() && k.compare(wanted, Qt::CaseInsensitive) == 0)
                    return m;
            }
    return 0;
}

bool isWeekdayName(const QString& name, const QLocale& locale)
{
    for (const QLocale& loc : {locale, QLocale::c()})
        for (int d = 1; d <= 7; ++d)
            for (const QLocale::FormatType f : {QLocale::LongFormat, QLocale::ShortFormat})
                if (loc.dayName(d, f).compare(name, Qt::CaseInsensitive) == 0)
                    return true;
    return false;
}

// The date a user typed in a field that shows `format`: the day, the month
// (its number or name) and the year in the format's order, apart by blanks,
// the format's own separators or "/", ".", "-", ","; or the date as
// yyyy-mm-dd. An invalid date when the text is none.
QDate readTypedDate(const QString& typed, const QString& format, const QLocale& locale)
{
    const QString text = typed.trimmed();
    static const QRegularExpression iso(QStringLiteral("^\\d{4}-\\d{1,2}-\\d{1,2}$"));
    if (iso.match(text).hasMatch()) {
        const QStringList ymd = text.split(QLatin1Char('-'));
        return QDate(ymd[0].toInt(), ymd[1].toInt(), ymd[2].toInt());
    }

    QString separators = QStringLiteral("/.-,");
    QList<QChar> order;  // 'd', 'M', 'y' as the format has them
    bool weekday = false;
    for (const FormatPart& p : formatParts(format)) {
        if (!p.field)
            separators += p.text;
        else if (p.text.startsWith(QLatin1String("ddd")))
            weekday = true;
        else if (isDateField(p.text) && !order.contains(p.text.at(0)))
            order.append(p.text.at(0));
    }
    if (order.size() != 3)
        return {};

    // Runs of digits and of letters; anything else must be a separator.
    QStringList pieces;
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text.at(i);
        if (c.isDigit() || c.isLetter()) {
            qsizetype j = i + 1;
            while (j < text.size() && text.at(j).isDigit() == c.isDigit() && text.at(j).isLetterOrNumber())
                ++j;
            const QString piece = text.mid(i, j - i);
            if (!(weekday && c.isLetter() && isWeekdayName(piece, locale)))
                pieces.append(piece);
            i = j;
        } else if (c.isSpace() || separators.contains(c)) {
            ++i;
        } else {
            return {};
        }
    }
    if (pieces.size() != 3)
        return {};

    int day = 0, month = 0, year = -1;
    for (int i = 0; i < 3; ++i) {
        const QString& piece = pieces.at(i);
        const bool digits = piece.at(0).isDigit();
        switch (order.at(i).unicode()) {
        case 'd':
            if (!digits || piece.size() > 2)
                return {};
            day = piece.toInt();
            break;
        case 'M': month = digits ? (piece.size() <= 2 ? piece.toInt() : 0) : monthFromName(piece, locale); break;
        default:
            if (!digits || piece.size() == 3 || piece.size() > 4)
                return {};
            year = piece.toInt();
            // Two digits: 1930 to 2029.
            if (piece.size() <= 2)
                year += year < 30 ? 2000 : 1900;
        }
    }
    return QDate(year, month, day);
}

// A date field that takes typed text as a whole: what is typed stays as it
// is typed, and is read when the field is left, Enter is pressed or a step
// or the calendar needs the date. A text that is no date gives the last date
// back and says so. Outside typing it steps the field under the cursor, as
// any date edit does.
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

    // Reads the typed text into the date; false, with the last date shown
    // again and the refusal said once the current event is done, when it is none.
    bool commitTyped()
    {
        if (!m_typed)
            return true;
        const QString text = lineEdit()->text();
        const std::optional<QDateTime> read = readTyped(text);
        setTyped(false);
        if (read) {
            setDateTime(*read);
            lineEdit()->setText(textFromDateTime(dateTime()));
            return true;
        }
        lineEdit()->setText(textFromDateTime(dateTime()));
        const QString refusal = refusalText(text);
        QTimer::singleShot(
            0, this, [refusal] { MessagePresenter::show(refusal, MessageBoxStyle::Exclamation, AppInfo::title()); });
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
        commitTyped();
        QDateTimeEdit::focusOutEvent(event);
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

    std::optional<QDateTime> readTyped(const QString& text) const
    {
        QDateTime result = dateTime();
        if (hasDate()) {
            const QDate d = readTypedDate(text, displayFormat(), locale());
            if (!d.isValid() || d < minimumDate() || d > maximumDate())
                return std::nullopt;
            result.setDate(d);
        } else {
            try {
                result.setTime(::Value(text).toTime());
            } catch (const AppError&) {
                return std::nullopt;
            }
        }
        return result;
    }

    QString refusalText(const QString& typed) const
    {
        const QString kept = textFromDateTime(dateTime());
        const QString what = hasDate() ? QStringLiteral("date") : QStringLiteral("time");
        if (typed.trimmed().isEmpty())
            return QStringLiteral("The field needs a %1, such as %2; it keeps %2.").arg(what, kept);
        if (!hasDate())
            return QStringLiteral("\"%1\" is not a time. Type a time such as %2; the field keeps %2.")
                .arg(typed.trimmed(), kept);
        return QStringLiteral("\"%1\" is not a date. Type the day, the month (its name or number) and the year in "
                              "the order the field shows them, as in %2; the field keeps %2.")
            .arg(typed.trimmed(), kept);
    }

    bool m_typed = false;
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

void DatePicker::takeTyped() const { static_cast<TypedDateEdit*>(m_edit)->commitTyped(); }

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
