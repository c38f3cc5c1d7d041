#pragma once

#include <QString>

#include <functional>

class QWidget;

// Key filters for fields that take only some characters. Each filter takes a
// typed character's code and returns the code to use, 0 refusing the key.
class clsTxtBoxHelper {
public:
    using KeyFilter = std::function<qint16(qint16)>;

    clsTxtBoxHelper() = default;
    virtual ~clsTxtBoxHelper() = default;

    // Backspace and the letters.
    virtual qint16 FilterKeyPressAlphaPi(qint16 keyAscii);
    // Backspace, escape and the digits; minus and full stop too unless integerOnly.
    virtual qint16 FilterKeyPressNumericPi(qint16 keyAscii, bool integerOnly);
    // The codes of a delimited list ("8|13|48|..."); 13 for a part that is no number.
    virtual qint16 FilterKeyPressValuesPi(qint16 keyAscii, const QString& allowedCodes, const QString& delimiter);

    // Runs the filter on every character typed into the control: a refused
    // one is dropped, a changed one typed in its place. Keys without a
    // character (arrows, Delete, Home) and Ctrl/Alt chords pass. With
    // checkPaste, a line edit (or an editable combo box's) also refuses text
    // put in by paste or drop that holds a character the filter refuses.
    // A line edit (or an editable combo box's) also keeps NUL out, as below.
    static void InstallKeyFilter(QWidget* control, KeyFilter filter, bool checkPaste = false);

    // Keeps NUL out of a line edit's, an editable combo box's or a text
    // area's text however it gets there (typed, pasted, dropped or set by
    // the program): a NUL ends a string for SQLite and much else. A validator
    // the box already has still judges what is left.
    static void KeepNulOut(QWidget* control);

    // How much a line edit (or an editable combo box's) takes: maxChars, or
    // with 0 whatever the database stores. Typed or pasted text beyond a
    // limit is never dropped silently: refusedText is shown (exclamation).
    static void HoldLength(QWidget* control, int maxChars = 0, const QString& refusedText = {});

    // Selects the whole text of a line edit or an editable combo box, now and
    // once more when the event that brought the focus is done: a click places
    // its cursor only after the focus arrived, which would undo the selection.
    static void SelectAllText(QWidget* control);
};
