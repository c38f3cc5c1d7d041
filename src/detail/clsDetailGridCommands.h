#pragma once

#include <QString>

class clsDetailRowEditor;
class frmSegmentDetail;

// The main window's Edit, Sort and File commands on a segment detail
// window's row grid: select all, the sort column from a head click and the
// sort menu, fill down, print, preview and page setup.
class clsDetailGridCommands {
public:
    clsDetailGridCommands(frmSegmentDetail& window, clsDetailRowEditor& editor) : w(window), m_editor(editor) {}

    // The record set's sort for a grid column; worked-out numbers keep their
    // empty cells last.
    static QString SortText_ps(const QString& field, int column, const QString& order);

    // What heads the printed grid; an empty value is "Not Assigned".
    struct PrintHeader {
        QString label, segmentDate, importDate, event, segmentType, category;
        QString note;  // text 1100
        QString today;
    };
    // Three lines: the segment and its dates; event, type and category; the
    // note with today's date after a tab.
    static QString PageHeader_ps(const PrintHeader& header);

    void SelectAllRows_p();
    void dbgMain_HeadClick(int column);
    void dbgMain_MouseUp(int button, int shift, int x, int y);
    bool FillDown_pf();
    void Print_P(bool preview);
    void PageSetup_P();
    // The window's own print button previews.
    void cmdPrintGrid_Click() { Print_P(true); }

private:
    frmSegmentDetail& w;
    clsDetailRowEditor& m_editor;
};
