#pragma once

#include <QComboBox>
#include <QString>

// An editable drop-down combo box that behaves the way the windows were
// designed around: typing in it leaves no item selected (ListIndex -1) while
// the text stays as typed, Text can be set without touching the selection,
// Enter or leaving the box never adds or picks an item, and each item carries
// a 32-bit number as its item data.
class ComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit ComboBox(QWidget* parent = nullptr);

    // -1 when no item is selected or the user has typed since the last pick.
    qint32 ListIndex() const;
    // Selects the item and shows its text; -1 clears selection and text.
    void ListIndex(qint32 index);

    QString Text() const;
    void Text(const QString& text);  // the selection is left as it is

    qint32 ListCount() const { return count(); }
    QString List(qint32 index) const;  // "" outside the list
    void List(qint32 index, const QString& text);

    // Appends, or inserts at index; NewIndex tells where it went.
    void AddItem(const QString& text, qint32 index = -1);
    void RemoveItem(qint32 index);  // 381 when index is outside the list
    void Clear();                   // items and text
    qint32 NewIndex() const { return m_newIndex; }

    qint32 ItemData(qint32 index) const;  // 381 when index is outside the list
    void ItemData(qint32 index, qint32 data);

    // Selection inside the edit text; SelStart is the caret when nothing is selected.
    qint32 SelStart() const;
    void SelStart(qint32 start);
    qint32 SelLength() const;
    void SelLength(qint32 length);
    QString SelText() const;

signals:
    // A printable key about to be applied; set *keyAscii to 0 to drop it or to
    // another code to type that instead.
    void KeyPress(int* keyAscii);
    void Change();  // the edit text changed, by the user or by code
    void Click();   // an item was picked, by the user or by setting ListIndex
    void GotFocus();
    void LostFocus();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void checkIndex(qint32 index) const;

    bool m_typedOver = false;  // the text was typed since the last pick
    qint32 m_newIndex = -1;
};
