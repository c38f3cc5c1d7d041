#include "shell/clsFindAndReplace.h"

#include "app/CallByName.h"
#include "app/clsMessageHandler.h"
#include "app/modapp.h"
#include "platform/AppError.h"
#include "platform/AppInfo.h"
#include "platform/DataGrid.h"
#include "platform/MessagePresenter.h"
#include "platform/Recordset.h"

#include <QWidget>

#include <algorithm>
#include <vector>

namespace {

const QString StartOfField = QStringLiteral("Start Of Field");
const QString WholeField = QStringLiteral("Whole Field");
const QString NoRecords = QStringLiteral("no records match the selected criteria");
const QString NoFurtherRecords = QStringLiteral("no further records match the selected criteria");
const QString NothingToFind = QStringLiteral("There is nothing to find: the Find What box is empty.");
const QString DropDownOnly =
    QStringLiteral("You may only replace a value from a drop-down box with a different value from the same drop-down");

DataGrid* gridOf(QWidget* form)
{
    auto* grid = form ? form->findChild<DataGrid*>(QStringLiteral("dbgMain")) : nullptr;
    if (!grid)
        CallByName::notSupported(form, "dbgMain");
    return grid;
}

Recordset* recordsetOf(QWidget* form)
{
    auto* rs = CallByName::get<Recordset*>(form, "DataSource_Po");
    if (!rs)
        AppError::raise(91, QStringLiteral("Object variable or With block variable not set"));
    return rs;
}

qint32 say(const QString& text)
{
    if (clsMessageHandler* h = modapp::MessageHandler())
        return h->ShowMessage_gl(text, MessageBoxStyle::Information);
    return MessagePresenter::show(text, MessageBoxStyle::Information);
}

// The 1-based position of the find text in a cell's text, 0 for no match. An
// empty cell never matches; a whole field must be the find text exactly, in
// its case, whatever the compare mode.
int matchPosition(const QString& cell, const QString& findText, const QString& matchMode, Qt::CaseSensitivity cs)
{
    if (cell.isEmpty())
        return 0;
    if (matchMode == WholeField)
        return cell == findText ? 1 : 0;
    const int pos = int(cell.indexOf(findText, 0, cs)) + 1;
    return (matchMode == StartOfField && pos != 1) ? 0 : pos;
}

// Moves the grid's current cell onto the match and selects the found text.
void showMatch(DataGrid* grid, int column, int start, int length)
{
    grid->Col(column);
    grid->EditActive(true);
    grid->SelStart(start);
    grid->SelLength(length);
    grid->EditActive(false);
}

// The match position in a cell as the grid shows it, read without moving the
// grid.
int cellMatch(const DataGrid* grid, const Recordset* rs, int viewRow, int column, const QString& findText,
              const QString& matchMode, Qt::CaseSensitivity cs)
{
    if (rs->valueAt(viewRow, grid->Columns(column)->fieldIndex()).isNullOrEmpty())
        return 0;
    return matchPosition(grid->cellText(viewRow, column), findText, matchMode, cs);
}

// Whether the text is exactly that of an entry of the column's list.
bool listed(const DataGridColumn* column, const QString& text)
{
    const DataGridValueItems& items = column->ValueItems();
    for (int i = 0; i < items.Count(); ++i)
        if (items.Item(i).DisplayValue() == text)
            return true;
    return false;
}

void goToRow(Recordset* rs, qint32 bookmark)
{
    if (rs->currentViewRow() < 0 || rs->bookmarkAt(rs->currentViewRow()) != bookmark)
        rs->Bookmark(bookmark);
}

// Stores the current row's replaced value at once: the searched windows
// expect every confirmed replacement to be kept. A value the database or the
// window refuses is dropped from the grid again, so the grid shows what is
// stored; false when the window refused it (it has said why).
bool storeRow(DataGrid* grid, Recordset* rs)
{
    if (rs->EditMode() == Recordset::EditNone)
        return true;
    try {
        if (grid->Update())
            return true;
    } catch (const AppError&) {
        grid->cancelPendingEdit();
        throw;
    }
    grid->cancelPendingEdit();
    return false;
}

}  // namespace

void clsFindAndReplace::Find_P(QWidget* form, const QString& findText, qint32 mode,
                               const std::optional<QString>& replacement, const QString& matchMode,
                               bool currentFieldOnly, qint32 compareMode)
{
    withErrorSource(QStringLiteral("clsFindAndReplace.Find_p"), [&] {
        // An empty text would "match" the first cell that holds anything, and
        // a replacement of it would go between every character.
        if (findText.isEmpty()) {
            say(NothingToFind);
            return;
        }
        DataGrid* grid = gridOf(form);
        Recordset* rs = recordsetOf(form);
        const bool replacing = replacement.has_value();
        const Qt::CaseSensitivity cs = compareMode == BinaryCompare ? Qt::CaseSensitive : Qt::CaseInsensitive;

        int first = 0;
        int last = grid->ColumnCount() - 1;
        if (currentFieldOnly) {
            if (grid->SelStartCol() < 0) {
                first = last = grid->Col();
            } else {
                const int end = grid->SelEndCol() < 0 ? grid->SelStartCol() : grid->SelEndCol();
                first = std::min(grid->SelStartCol(), end);
                last = std::min(std::max(grid->SelStartCol(), end), grid->ColumnCount() - 1);
            }
        }
        grid->ClearSelCols();
        if (first < 0) {
            // Only the current field was asked for, and there is none.
            say(NoRecords);
            return;
        }
        // Only what the user can see and reach is searched: hidden key
        // columns are never matched, let alone replaced. A replacement goes
        // only where the user could type: worked-out columns are not offered.
        std::vector<int> columns;
        for (int c = first; c <= last; ++c) {
            const DataGridColumn* column = grid->Columns(c);
            if (column->AllowFocus() && column->Visible() && column->fieldIndex() >= 0
                && (!replacing || grid->columnWritable(c)))
                columns.push_back(c);
        }

        // Find next starts after the current row, so it never finds the same
        // match twice; at the end of the list there is nothing further.
        int startRow = 0;
        if (mode == FindNext) {
            if (rs->IsEOF()) {
                startRow = rs->RecordCount();
            } else if (rs->currentViewRow() >= 0) {
                startRow = rs->currentViewRow() + 1;
            } else {
                rs->MoveNext();  // before the first row, or on a deleted one: the next is the start
                startRow = rs->IsEOF() ? rs->RecordCount() : rs->currentViewRow();
            }
        }
        // The rows to visit are fixed now, by bookmark: a replacement that
        // re-sorts or requeries the list cannot make the walk revisit a row or
        // never end, and a row is always found again by its identity.
        std::vector<qint32> rows;
        rows.reserve(size_t(std::max(0, rs->RecordCount() - startRow)));
        for (int r = startRow; r < rs->RecordCount(); ++r)
            rows.push_back(rs->bookmarkAt(r));

        bool found = false;
        bool stop = false;
        int foundColumn = -1;
        for (size_t i = 0; i < rows.size() && !stop; ++i) {
            for (int c : columns) {
                // The cells are read where they stand; the grid moves only to a match.
                const int row = rs->viewRowOfBookmark(rows[i]);
                if (row < 0)
                    break;  // gone meanwhile
                const int pos = cellMatch(grid, rs, row, c, findText, matchMode, cs);
                if (pos == 0)
                    continue;
                found = true;
                goToRow(rs, rows[i]);
                if (!replacing) {
                    showMatch(grid, c, pos - 1, int(findText.size()));
                    foundColumn = c;
                } else if (!replaceCell_m(grid, rs, rows[i], c, findText, *replacement, matchMode, cs)) {
                    stop = true;
                }
                if (mode != ReplaceAll)
                    stop = true;
                if (stop)
                    break;
            }
        }

        if (!found) {
            say(mode == FindFirst ? NoRecords : NoFurtherRecords);
            if (rs->RecordCount() > 0)
                rs->MoveFirst();
        } else if (!replacing) {
            const qint32 foundRow = rs->Bookmark();
            say(QStringLiteral("\"") + findText
                + QStringLiteral("\" is found in the currently selected row in column: ")
                + grid->Columns(foundColumn)->Caption());
            // Whatever the message box let happen meanwhile, the find ends on its match.
            if (rs->viewRowOfBookmark(foundRow) >= 0 && rs->currentViewRow() != rs->viewRowOfBookmark(foundRow)) {
                goToRow(rs, foundRow);
                grid->Col(foundColumn);
            }
        } else {
            // A replace all that ran to the end leaves the list past its last row.
            if (!stop && rs->RecordCount() > 0) {
                rs->MoveLast();
                rs->MoveNext();
            }
            say(NoFurtherRecords);
        }
    });
}

bool clsFindAndReplace::replaceCell_m(DataGrid* grid, Recordset* rs, qint32 bookmark, int c, const QString& findText,
                                      const QString& replacement, const QString& matchMode,
                                      Qt::CaseSensitivity cs) const
{
    DataGridColumn* column = grid->Columns(c);
    const QString question = QStringLiteral("Replace '") + findText + QStringLiteral("' with '") + replacement
        + QStringLiteral("' in the current row for column: ") + column->Caption() + QStringLiteral("?");
    // Yes, No and Cancel with the question icon.
    const int answer = MessagePresenter::show(question, 35, AppInfo::title());
    if (answer == MessageBoxStyle::ResCancel)
        return false;
    if (answer != MessageBoxStyle::ResYes)
        return true;

    // The question's event loop may have let the window requery or move its
    // rows: the replacement goes into the row the question named, or nowhere.
    const int row = rs->viewRowOfBookmark(bookmark);
    if (row < 0 || cellMatch(grid, rs, row, c, findText, matchMode, cs) == 0)
        return true;
    goToRow(rs, bookmark);

    QString text;
    if (column->Button() || column->ValueItems().isDropDown()) {
        // Only an entry of the list, as picked from it.
        if (!listed(column, replacement)) {
            say(DropDownOnly);
            return false;
        }
        text = replacement;
    } else {
        text = grid->cellText(row, c);
        text.replace(findText, replacement, cs);
    }
    // Where typing goes: the column's check (a refusal said in its words),
    // the value stored behind the shown one, what the window works out from
    // it, the row changed for the save.
    if (!grid->typeIntoCell(c, text))
        return false;
    return storeRow(grid, rs);
}
