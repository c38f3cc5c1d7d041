#include "app/clsTxtBoxHelper.h"

#include "app/WindowServices.h"
#include "platform/AppError.h"
#include "platform/DataGridDelegate.h"
#include "platform/TypedText.h"
#include "platform/Value.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QValidator>

#include <limits>

namespace {
constexpr qint16 Backspace = 8;
constexpr qint16 Escape = 27;

class KeyFilterObject : public QObject {
public:
    KeyFilterObject(QObject* parent, clsTxtBoxHelper::KeyFilter filter) : QObject(parent), m_filter(std::move(filter))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || m_resending)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->text().size() != 1 || (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            return false;
        // Tab moves the focus; it types nothing a filter could refuse.
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
            return false;
        const qint16 typed = qint16(key->text().at(0).unicode());
        qint16 result = 0;
        try {
            result = m_filter(typed);
        } catch (...) {
            // A filter that fails takes nothing; no exception may reach the event loop.
            result = 0;
        }
        if (result == typed)
            return false;
        if (result != 0) {
            QKeyEvent replaced(QEvent::KeyPress, key->key(), key->modifiers(), QString(QChar(ushort(result))));
            m_resending = true;
            QCoreApplication::sendEvent(watched, &replaced);
            m_resending = false;
        }
        return true;
    }

private:
    clsTxtBoxHelper::KeyFilter m_filter;
    bool m_resending = false;
};

// Refuses an edit that brings in more refused characters than the field
// held before it, so a text set by the program does not lock the field.
class PasteValidator : public QValidator {
public:
    PasteValidator(QLineEdit* edit, clsTxtBoxHelper::KeyFilter filter) : QValidator(edit), m_filter(std::move(filter))
    {
        // The edit already shows the new text while it asks; remember the last one it kept.
        m_refusedBefore = refused(edit->text());
        connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) { m_refusedBefore = refused(text); });
    }

    State validate(QString& input, int&) const override
    {
        return refused(input) > m_refusedBefore ? Invalid : Acceptable;
    }

private:
    int refused(const QString& text) const
    {
        int n = 0;
        for (const QChar c : text) {
            try {
                n += m_filter(qint16(c.unicode())) == 0 ? 1 : 0;
            } catch (...) {
                ++n;
            }
        }
        return n;
    }

    clsTxtBoxHelper::KeyFilter m_filter;
    int m_refusedBefore = 0;
};

// Drops every NUL from the text before the box's own validator, if any, has
// its say; the line edit takes the changed text as it stands.
class NulFreeValidator : public QValidator {
public:
    NulFreeValidator(QLineEdit* edit, const QValidator* inner) : QValidator(edit), m_inner(inner) {}

    State validate(QString& input, int& pos) const override
    {
        TypedText::dropNul(input, &pos);
        return m_inner ? m_inner->validate(input, pos) : Acceptable;
    }
    void fixup(QString& input) const override
    {
        if (m_inner)
            m_inner->fixup(input);
    }

private:
    QPointer<const QValidator> m_inner;
};
}  // namespace

qint16 clsTxtBoxHelper::FilterKeyPressAlphaPi(qint16 keyAscii)
{
    if (keyAscii == Backspace || (keyAscii >= 'A' && keyAscii <= 'Z') || (keyAscii >= 'a' && keyAscii <= 'z'))
        return keyAscii;
    return 0;
}

qint16 clsTxtBoxHelper::FilterKeyPressNumericPi(qint16 keyAscii, bool integerOnly)
{
    if (keyAscii == Backspace || keyAscii == Escape || (keyAscii >= '0' && keyAscii <= '9'))
        return keyAscii;
    if (!integerOnly && (keyAscii == '-' || keyAscii == '.'))
        return keyAscii;
    return 0;
}

qint16 clsTxtBoxHelper::FilterKeyPressValuesPi(qint16 keyAscii, const QString& allowedCodes, const QString& delimiter)
{
    try {
        if (allowedCodes.isEmpty())
            return 0;
        const QStringList parts = delimiter.isEmpty()
            ? QStringList{allowedCodes}
            : allowedCodes.split(delimiter, Qt::KeepEmptyParts, Qt::CaseSensitive);
        for (const QString& part : parts) {
            const Value code(part);
            if (!code.isNumeric())
                AppError::raise(ErrNo::TypeMismatch);
            if (code.toDouble() == double(keyAscii))
                return keyAscii;
        }
        return 0;
    } catch (const AppError& e) {
        throw e.withSource(QStringLiteral("clsTxtBoxHelper.FilterKeyPressValuesPi"));
    }
}

void clsTxtBoxHelper::InstallKeyFilter(QWidget* control, KeyFilter filter, bool checkPaste)
{
    if (!control)
        return;
    control->installEventFilter(new KeyFilterObject(control, filter));
    QLineEdit* edit = lineEditOfCellEditor(control);
    if (edit && checkPaste)
        edit->setValidator(new PasteValidator(edit, std::move(filter)));
    KeepNulOut(control);
}

namespace {
// Takes every NUL out of a text area's document, leaving the rest and the
// user's cursor where they were.
void dropNul(QTextDocument* doc)
{
    const QString text = doc->toPlainText();
    if (!text.contains(QChar(0)))
        return;
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    for (qsizetype i = text.lastIndexOf(QChar(0)); i >= 0; i = i > 0 ? text.lastIndexOf(QChar(0), i - 1) : -1) {
        cursor.setPosition(int(i));
        cursor.setPosition(int(i) + 1, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
    cursor.endEditBlock();
}
}  // namespace

void clsTxtBoxHelper::KeepNulOut(QWidget* control)
{
    if (auto* area = qobject_cast<QPlainTextEdit*>(control)) {
        if (area->property("nulKeptOut").toBool())
            return;
        area->setProperty("nulKeptOut", true);
        QTextDocument* doc = area->document();
        // Typed, pasted, dropped or set: the change is done, its NULs go.
        QObject::connect(area, &QPlainTextEdit::textChanged, doc, [doc] { dropNul(doc); });
        dropNul(doc);
        return;
    }
    QLineEdit* edit = lineEditOfCellEditor(control);
    if (!edit || dynamic_cast<const NulFreeValidator*>(edit->validator()))
        return;
    edit->setValidator(new NulFreeValidator(edit, edit->validator()));
    // Text already there is cleaned as well.
    if (edit->text().contains(QChar(0)))
        edit->setText(edit->text());
}

void clsTxtBoxHelper::HoldLength(QWidget* control, int maxChars, const QString& refusedText)
{
    QLineEdit* edit = lineEditOfCellEditor(control);
    if (!edit)
        return;
    if (maxChars <= 0) {
        edit->setMaxLength(std::numeric_limits<int>::max());
        return;
    }
    edit->setMaxLength(maxChars);
    // The box has cut what went past the limit; said after the edit is done.
    QObject::connect(edit, &QLineEdit::inputRejected, edit, [edit, maxChars, refusedText] {
        if (edit->text().size() < maxChars)
            return;  // refused for another reason, said by whoever refused it
        QTimer::singleShot(0, edit, [refusedText] { WindowServices::showMessage(refusedText, 48); });
    });
}

void clsTxtBoxHelper::SelectAllText(QWidget* control)
{
    QLineEdit* edit = lineEditOfCellEditor(control);
    if (!edit)
        return;
    const auto selectAll = [edit] { edit->setSelection(0, int(edit->text().size())); };
    selectAll();
    QTimer::singleShot(0, edit, [edit, selectAll] {
        if (edit->hasFocus())
            selectAll();
    });
}
