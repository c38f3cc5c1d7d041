#pragma once

#include <QString>

#include <functional>

class DataGrid;
class clsDetailRowEditor;
class clsSegmentDocument;

// The main window's Edit, Sort and File commands on a segment detail
// window's row grid: select all, the sort column from a head click and the
// sort menu, fill down, print, preview and page setup.
class clsDetailGridCommands {
public:
    // What heads the printed grid; an empty value is "Not Assigned".
    struct PrintHeader {
        QString label, segmentDate, importDate, event, segmentType, category;
        QString note;  // text 1100
        QString today;
        QString caption;  // the preview window's
    };

    // The header comes from the window's fields as they are when printing.
    clsDetailGridCommands(clsSegmentDocument& document, DataGrid* grid, clsDetailRowEditor& editor,
                          std::function<PrintHeader()> header)
        : m_doc(document), m_grid(grid), m_editor(editor), m_header(std::move(header))
    {
    }
    // Three lines: the segment and its dates; event, type and category; the
    // note with today's date after a tab.
    static QString PageHeader_ps(const PrintHeader& header);

    void SelectAllRows_p();
    void dbgMain_HeadClick(int column);
    void dbgMain_MouseUp(int button, int shift, int x, int y);
    bool FillDown_pf();
    void Print_P(bool preview);
    void PageSetup_P();
    // Adds a row through add; a new row in sight gets the focus on its first
    // empty cell the user may type in, so that typing goes on there.
    void AddRow_p(const std::function<void()>& add);
    // The window's own print button previews.
    void cmdPrintGrid_Click() { Print_P(true); }

private:
    clsSegmentDocument& m_doc;
    DataGrid* m_grid;
    clsDetailRowEditor& m_editor;
    std::function<PrintHeader()> m_header;
};
