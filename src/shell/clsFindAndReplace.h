#pragma once

#include <QString>

#include <optional>

class DataGrid;
class QWidget;
class Recordset;

// Finds a text in the grid of a searched window and replaces it, cell by
// cell after asking. The searched window is reached by name only: its grid
// "dbgMain" and its DataSource_Po, the record set bound to that grid. Holds no
// state between calls.
class clsFindAndReplace {
public:
    // Modes of Find_P.
    enum Mode : qint32 { ReplaceAll = 0, FindFirst = 1, ReplaceOnce = 1, FindNext = 2 };
    // Compare modes: binary (case-sensitive) or text (case ignored).
    enum Compare : qint32 { BinaryCompare = 0, TextCompare = 1 };

    clsFindAndReplace() = default;
    virtual ~clsFindAndReplace() = default;

    // Reads the record set row by row and, in each row, the grid's visible
    // columns that take the focus (all, or with currentFieldOnly the selected
    // ones or the current one), moving the grid only to a match.
    // Without a replacement it shows the first match; with one it asks for
    // each matching cell (replace once stops at the first). matchMode is
    // "Any Part Of Field", "Start Of Field" or "Whole Field". Errors are passed
    // on with the source "clsFindAndReplace.Find_p".
    virtual void Find_P(QWidget* form, const QString& findText, qint32 mode, const std::optional<QString>& replacement,
                        const QString& matchMode, bool currentFieldOnly, qint32 compareMode);

private:
    // Asks about one matching cell and replaces it on Yes; false when the
    // search must stop (Cancel, or a value the column cannot take).
    // The row is named by its bookmark and found again after the question.
    bool replaceCell_m(DataGrid* grid, Recordset* rs, qint32 bookmark, int column, const QString& findText,
                       const QString& replacement, const QString& matchMode, Qt::CaseSensitivity cs) const;
};
