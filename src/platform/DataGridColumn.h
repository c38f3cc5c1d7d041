#pragma once

#include "platform/Value.h"

#include <QList>
#include <QString>

class DataGrid;

// One stored value of a column with the text the grid shows for it.
class ValueItem {
public:
    ValueItem() = default;
    ValueItem(const ::Value& value, QString display) : m_value(value), m_display(std::move(display)) {}
    ::Value Value() const { return m_value; }
    QString DisplayValue() const { return m_display; }

private:
    ::Value m_value;
    QString m_display;
};

// The stored/display pairs of a column. With Translate on, cells show the
// display text and an edit stores the value whose display text was typed;
// with Validate on, a text that is not listed raises ValueNotInList.
class DataGridValueItems {
public:
    enum PresentationEnum { Normal = 0, RadioButton = 1, ComboBox = 2, SortedComboBox = 3, CheckBox = 4 };

    void Clear() { m_items.clear(); }
    void Add(const ::Value& value, const QString& displayValue) { m_items.append(ValueItem(value, displayValue)); }
    void Add(const ValueItem& item) { m_items.append(item); }
    void Remove(int index);  // 9 when out of range
    int Count() const { return static_cast<int>(m_items.size()); }
    const ValueItem& Item(int index) const;  // 9 when out of range

    bool Translate() const { return m_translate; }
    void Translate(bool on) { m_translate = on; }
    bool Validate() const { return m_validate; }
    void Validate(bool on) { m_validate = on; }
    int Presentation() const { return m_presentation; }
    void Presentation(int kind) { m_presentation = kind; }

    // Index of the item holding the value (numbers compare as numbers), or -1.
    int indexOfValue(const ::Value& value) const;
    // Index of the item shown as the text (case-insensitive), or -1.
    int indexOfDisplay(const QString& text) const;
    // What a cell holding the value shows: its display text when translating
    // and listed, else the value's own text.
    QString displayFor(const ::Value& value) const;
    // The value to store for a typed text; false when validation refuses it.
    bool valueFor(const QString& text, ::Value* out) const;
    // Whether a drop-down offers the items while editing.
    bool isDropDown() const { return m_presentation == ComboBox || m_presentation == SortedComboBox; }

private:
    QList<ValueItem> m_items;
    bool m_translate = false;
    bool m_validate = false;
    int m_presentation = Normal;
};

// A grid column. Its logical index is its design index; Order is where it is
// shown. Width is in twips and remembered while the column is hidden, so a
// column shown again comes back at its width.
class DataGridColumn {
public:
    DataGridColumn(DataGrid* grid, int index);

    int ColIndex() const { return m_index; }
    QString DataField() const { return m_dataField; }
    void DataField(const QString& name);
    QString Caption() const { return m_caption; }
    void Caption(const QString& text);
    bool Visible() const { return m_visible; }
    void Visible(bool on);
    bool Locked() const { return m_locked; }
    void Locked(bool on) { m_locked = on; }
    bool AllowFocus() const { return m_allowFocus; }
    void AllowFocus(bool on) { m_allowFocus = on; }
    bool Button() const { return m_button; }
    void Button(bool on) { m_button = on; }
    // A format name ("Medium Time", "Short Date", "Fixed", ...), a picture such
    // as "0.00", or "FormatText Event" to let the grid's owner format the cell.
    QString NumberFormat() const { return m_numberFormat; }
    void NumberFormat(const QString& format);
    double Width() const { return m_width; }
    void Width(double twips);
    int Order() const;
    void Order(int visualPosition);
    DataGridValueItems& ValueItems() { return m_valueItems; }
    const DataGridValueItems& ValueItems() const { return m_valueItems; }

    // The column's value in the current row (Null without one); setting it
    // edits the bound record set's current row.
    ::Value Value() const;
    void Value(const ::Value& v);
    // The text of the cell in the current row: while the cell is edited or its
    // edit is being checked, the text being entered; else the shown text.
    QString Text() const;
    void Text(const QString& text);
    // Position of the bound field in the record set, -1 when unbound.
    int fieldIndex() const { return m_fieldIndex; }

private:
    friend class DataGrid;

    DataGrid* m_grid;
    int m_index;
    QString m_dataField;
    QString m_caption;
    bool m_visible = true;
    bool m_locked = false;
    bool m_allowFocus = true;
    bool m_button = false;
    QString m_numberFormat;
    double m_width = 0;  // twips; 0 until the grid gives it a default
    int m_fieldIndex = -1;
    DataGridValueItems m_valueItems;
};
