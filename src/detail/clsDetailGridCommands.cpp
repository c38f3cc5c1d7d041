#include "detail/clsDetailGridCommands.h"

#include "app/WindowServices.h"
#include "detail/DetailText.h"
#include "detail/clsDetailRowEditor.h"
#include "detail/clsSegmentDocument.h"
#include "detail/clsSegmentRows.h"
#include "platform/DataGrid.h"
#include "platform/DataGridPrint.h"
#include "platform/Recordset.h"

#include <QHeaderView>
#include <QMenu>

#include <vector>

using Col = clsSegmentRows::Column;
using WindowServices::showMessage;

namespace {
const char* const Module = "frmSegmentDetail";

QString assigned(const QString& value) { return value.isEmpty() ? QStringLiteral("Not Assigned") : value; }
}  // namespace

QString clsDetailGridCommands::PageHeader_ps(const PrintHeader& h)
{
    return QStringLiteral("SEGMENT #:") + assigned(h.label) + QStringLiteral("   DATE:") + assigned(h.segmentDate)
        + QStringLiteral("   IMPORT DATE:") + assigned(h.importDate) + QLatin1Char('\n') + QStringLiteral("   EVENT:")
        + assigned(h.event) + QStringLiteral("   TYPE:") + assigned(h.segmentType) + QStringLiteral("   CATEGORY:")
        + assigned(h.category) + QLatin1Char('\n') + h.note + QLatin1Char('\t') + h.today;
}

void clsDetailGridCommands::AddRow_p(const std::function<void()>& add)
{
    const Recordset* before = m_doc.rows();
    const qint32 shown = before ? before->RecordCount() : 0;
    add();
    Recordset* rows = m_doc.rows();
    if (!rows || rows->RecordCount() <= shown || rows->currentViewRow() < 0)
        return;
    // In the order the user sees the columns.
    const QHeaderView* heads = m_grid->horizontalHeader();
    for (int visual = 0; visual < heads->count(); ++visual) {
        const int column = heads->logicalIndex(visual);
        if (m_grid->columnWritable(column)
            && rows->Fields(m_grid->Columns(column)->fieldIndex()).Value().isNullOrEmpty()) {
            m_grid->Col(column);
            break;
        }
    }
    m_grid->setFocus(Qt::OtherFocusReason);
}

void clsDetailGridCommands::SelectAllRows_p()
{
    guarded(Module, "SelectAllRows_p", [&] {
        Recordset* rows = m_doc.rows();
        DataGridSelBookmarks& selected = m_grid->SelBookmarks();
        selected.Clear();
        if (!rows)
            return;
        // The rows as the grid shows them; the current row stays.
        std::vector<qint32> all;
        all.reserve(size_t(rows->RecordCount()));
        for (int r = 0; r < rows->RecordCount(); ++r)
            all.push_back(rows->bookmarkAt(r));
        selected.Add(all);
    });
}

void clsDetailGridCommands::dbgMain_HeadClick(int column)
{
    // The label sorts by entry order; the next sort command uses the column.
    m_doc.setSortColumn(column == Col::colLabel ? int(Col::colOrdinalPosition) : column);
}

void clsDetailGridCommands::dbgMain_MouseUp(int button, int, int x, int y)
{
    guarded(Module, "dbgMain_MouseUp", [&] {
        DataGrid* grid = m_grid;
        if (button != 2 || grid->SelStartCol() < 0 || grid->SelStartCol() != grid->SelEndCol())
            return;
        if (WindowHost* main = WindowServices::host())
            if (QMenu* menu = main->SortContextMenu())
                menu->popup(grid->mapToGlobal(QPoint(x, y)));
        grid->ClearSelCols();
    });
}

bool clsDetailGridCommands::FillDown_pf()
{
    bool filled = false;
    guarded(Module, "FillDown_pf", [&] {
        DataGrid* grid = m_grid;
        Recordset* rows = m_doc.rows();
        if (!rows)
            return;
        if (grid->DataChanged())
            grid->Update();
        const int column = grid->Col();
        // The label is no value to repeat: a rate row made a time row loses its rate.
        if (column < 0 || column == Col::colLabel || !grid->Columns(column)->Visible()
            || grid->Columns(column)->Locked() || rows->currentViewRow() < 0)
            return;
        // A shown time or rate carries its stored value down with it.
        std::vector<int> fields{grid->Columns(column)->fieldIndex()};
        if (column == Col::colCumTimeDisplay)
            fields.push_back(Col::colCumTime);
        else if (column == Col::colRateDisplay)
            fields.push_back(Col::colRate);
        std::vector<Value> values;
        for (int f : fields)
            values.push_back(rows->Fields(f).Value());

        bool changed = false;
        std::unique_ptr<Recordset> writer = rows->Clone();
        for (int r = rows->currentViewRow() + 1; r < rows->RecordCount(); ++r) {
            writer->Bookmark(rows->bookmarkAt(r));
            for (size_t i = 0; i < fields.size(); ++i) {
                const Value now = writer->Fields(fields[i]).Value();
                if (Value::identical(now, values[i]))
                    continue;
                writer->Fields(fields[i]).Value(values[i]);
                changed = true;
            }
        }
        if (writer->EditMode() != Recordset::EditNone)
            writer->Update();
        writer->Close();
        m_doc.recalculate();
        if (column == Col::colRosterId)
            m_editor.notifyAthletes_p();
        if (changed)
            m_doc.setDirty(true);
        filled = true;
    });
    m_grid->ReBind();
    return filled;
}

void clsDetailGridCommands::Print_P(bool preview)
{
    guarded(Module, "Print_P", [&] {
        // A refused cell is said, and kept, before anything prints.
        if (!m_grid->commitPendingEdit())
            return;
        if (!DataGridPrintInfo::PrinterAvailable()) {
            const QString none = QStringLiteral("No default printer has been specified. Please install a printer.");
            showMessage(detailText(4140, none), 0);
            return;
        }
        const PrintHeader header = m_header();
        DataGridPrintInfo* info = m_grid->PrintInfo();
        info->PageHeader(PageHeader_ps(header));
        info->PreviewCaption(header.caption);
        if (preview)
            info->PrintPreview();
        else
            info->PrintData();
    });
}

void clsDetailGridCommands::PageSetup_P()
{
    // Not a window procedure: the caller reports what goes wrong.
    m_grid->PrintInfo()->PageSetup();
}
