#include "platform/ComboBox.h"

#include "platform/AppError.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace {
constexpr qint32 InvalidListIndex = 381;
}

ComboBox::ComboBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // Completion is ours to do (the incremental search helper); Qt's inline
    // completer would fight it.
    setCompleter(nullptr);
    // Qt picks the item matching the typed text when editing ends; here typed
    // text never selects an item by itself.
    disconnect(lineEdit(), SIGNAL(editingFinished()), this, nullptr);

    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { m_typedOver = true; });
    connect(this, &QComboBox::editTextChanged, this, [this] { emit Change(); });
    connect(this, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        m_typedOver = false;
        // Picking the item Qt still held leaves typed text in place otherwise.
        if (index >= 0 && currentText() != itemText(index))
            setEditText(itemText(index));
        emit Click();
    });
}

qint32 ComboBox::ListIndex() const { return m_typedOver ? -1 : currentIndex(); }

void ComboBox::ListIndex(qint32 index)
{
    if (index < -1 || index >= count())
        AppError::raise(InvalidListIndex, QStringLiteral("Invalid property array index"));
    const bool same = index == currentIndex();
    m_typedOver = false;
    setCurrentIndex(index);
    // Qt does nothing when the index does not change, yet the typed text must go.
    if (same)
        setEditText(index < 0 ? QString() : itemText(index));
    if (index >= 0)
        emit Click();
}

QString ComboBox::Text() const { return currentText(); }

void ComboBox::Text(const QString& text) { setEditText(text); }

QString ComboBox::List(qint32 index) const { return index >= 0 && index < count() ? itemText(index) : QString(); }

void ComboBox::List(qint32 index, const QString& text)
{
    checkIndex(index);
    setItemText(index, text);
}

void ComboBox::AddItem(const QString& text, qint32 index)
{
    if (index < -1 || index > count())
        AppError::raise(InvalidListIndex, QStringLiteral("Invalid property array index"));
    const qint32 at = index < 0 ? count() : index;
    // Inserting must not disturb what the user sees in the edit field.
    const QString shown = currentText();
    const bool wasEmpty = count() == 0;
    insertItem(at, text, QVariant(qint32(0)));
    // Qt selects the first item put into an empty box; a fill selects nothing.
    if (wasEmpty)
        setCurrentIndex(-1);
    if (currentText() != shown)
        setEditText(shown);
    m_newIndex = at;
}

void ComboBox::RemoveItem(qint32 index)
{
    checkIndex(index);
    removeItem(index);
    if (m_newIndex >= count())
        m_newIndex = -1;
}

void ComboBox::Clear()
{
    clear();
    clearEditText();
    m_typedOver = false;
    m_newIndex = -1;
}

qint32 ComboBox::ItemData(qint32 index) const
{
    checkIndex(index);
    return itemData(index).toInt();
}

void ComboBox::ItemData(qint32 index, qint32 data)
{
    checkIndex(index);
    setItemData(index, QVariant(data));
}

qint32 ComboBox::SelStart() const
{
    const QLineEdit* le = lineEdit();
    return le->hasSelectedText() ? le->selectionStart() : le->cursorPosition();
}

void ComboBox::SelStart(qint32 start)
{
    lineEdit()->setCursorPosition(qBound(0, start, int(lineEdit()->text().size())));
}

qint32 ComboBox::SelLength() const { return qint32(lineEdit()->selectedText().size()); }

void ComboBox::SelLength(qint32 length)
{
    QLineEdit* le = lineEdit();
    const int start = SelStart();
    const int len = qBound(0, length, int(le->text().size()) - start);
    if (len == 0)
        le->setCursorPosition(start);
    else
        le->setSelection(start, len);
}

QString ComboBox::SelText() const { return lineEdit()->selectedText(); }

void ComboBox::keyPressEvent(QKeyEvent* event)
{
    const QString text = event->text();
    if (text.size() == 1 && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        int key = text.at(0).unicode();
        const int typed = key;
        emit KeyPress(&key);
        if (key == 0) {
            event->accept();
            return;
        }
        if (key != typed) {
            QKeyEvent replaced(event->type(), event->key(), event->modifiers(), QString(QChar(key)));
            QComboBox::keyPressEvent(&replaced);
            return;
        }
    }
    QComboBox::keyPressEvent(event);
}

void ComboBox::focusInEvent(QFocusEvent* event)
{
    QComboBox::focusInEvent(event);
    emit GotFocus();
}

void ComboBox::focusOutEvent(QFocusEvent* event)
{
    QComboBox::focusOutEvent(event);
    // The popup taking the focus is still this box.
    if (event->reason() != Qt::PopupFocusReason)
        emit LostFocus();
}

void ComboBox::checkIndex(qint32 index) const
{
    if (index < 0 || index >= count())
        AppError::raise(InvalidListIndex, QStringLiteral("Invalid property array index"));
}
