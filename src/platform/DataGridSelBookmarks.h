#pragma once

#include "platform/Value.h"

#include <QtGlobal>

#include <map>
#include <span>
#include <unordered_set>
#include <vector>

class DataGrid;

// The grid's selected rows as bookmarks, in the order they were selected
// (the view's selection model keeps no order). Changes show in the view.
// Adding a row costs the same however many are selected, so selecting every
// row of a big list stays linear.
class DataGridSelBookmarks {
public:
    explicit DataGridSelBookmarks(DataGrid* grid) : m_grid(grid) {}
    int Count() const { return static_cast<int>(m_list.size()); }
    void Add(const Value& bookmark);  // already selected: nothing happens
    // Each in turn, as Add; the view shows them all at once.
    void Add(std::span<const qint32> bookmarks);
    Value Item(int index) const;  // 9 when out of range
    void Remove(int index);       // 9 when out of range
    void Clear();
    bool contains(qint32 bookmark) const { return m_members.count(bookmark) > 0; }
    // With nothing selected, selects the current row; false when there is
    // neither a selection nor a current row.
    bool SelectCurrentWhenEmpty();
    const std::vector<qint32>& list() const { return m_list; }

private:
    friend class DataGrid;

    // For the grid's own clicks and its follow-up of the record set; each is
    // shown by a mirror() afterwards.
    void clearQuietly();
    void assign(const std::vector<qint32>& bookmarks);
    void toggle(qint32 bookmark);
    // Drops the rows the record set's view no longer holds.
    void dropRowsGone();
    // Shows the selection in the view: rows as runs of adjacent view rows (one
    // range each, which keeps the view's selection model small), and the
    // selected columns.
    void mirror();
    // The view's rows moved: the runs are worked out again at the next mirror.
    void viewChanged() { m_runsValid = false; }

    void addToRuns(int viewRow);
    void showRuns();

    DataGrid* m_grid;
    std::vector<qint32> m_list;
    std::unordered_set<qint32> m_members;
    // Selected view rows: first row of each run to its last.
    std::map<int, int> m_runs;
    bool m_runsValid = false;
};
