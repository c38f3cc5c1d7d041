#include "platform/DataGridSelBookmarks.h"

#include "platform/AppError.h"
#include "platform/DataGrid.h"
#include "platform/Recordset.h"
#include "platform/RecordsetModel.h"

#include <QItemSelectionModel>

#include <algorithm>
#include <iterator>

void DataGridSelBookmarks::Add(const Value& bookmark)
{
    const qint32 b = bookmark.toLong();
    Add(std::span<const qint32>(&b, 1));
}

void DataGridSelBookmarks::Add(std::span<const qint32> bookmarks)
{
    bool added = false;
    bool shownChanged = false;
    const int rows = m_grid->m_model->rowCount();
    for (const qint32 b : bookmarks) {
        if (!m_members.insert(b).second)
            continue;
        m_list.push_back(b);
        added = true;
        if (!m_runsValid || !m_grid->m_rs)
            continue;
        const int r = m_grid->m_rs->viewRowOfBookmark(b);
        if (r >= 0 && r < rows) {
            addToRuns(r);
            shownChanged = true;
        }
    }
    if (added && !m_runsValid)
        mirror();
    else if (shownChanged)
        showRuns();
}

Value DataGridSelBookmarks::Item(int index) const
{
    if (index < 0 || index >= Count())
        AppError::raise(ErrNo::SubscriptOutOfRange, {}, QStringLiteral("SelBookmarks"));
    return Value(m_list[size_t(index)]);
}

void DataGridSelBookmarks::Remove(int index)
{
    if (index < 0 || index >= Count())
        AppError::raise(ErrNo::SubscriptOutOfRange, {}, QStringLiteral("SelBookmarks"));
    m_members.erase(m_list[size_t(index)]);
    m_list.erase(m_list.begin() + index);
    m_runsValid = false;
    mirror();
}

void DataGridSelBookmarks::Clear()
{
    clearQuietly();
    showRuns();
}

bool DataGridSelBookmarks::SelectCurrentWhenEmpty()
{
    if (!m_list.empty())
        return true;
    const Value current = m_grid->Bookmark();
    if (current.isNullOrEmpty())
        return false;
    Add(current);
    return true;
}

void DataGridSelBookmarks::clearQuietly()
{
    m_list.clear();
    m_members.clear();
    m_runs.clear();
    m_runsValid = true;
}

void DataGridSelBookmarks::assign(const std::vector<qint32>& bookmarks)
{
    m_list.clear();
    m_members.clear();
    // A bookmark given twice is selected once, where it came first.
    for (const qint32 b : bookmarks)
        if (m_members.insert(b).second)
            m_list.push_back(b);
    m_runsValid = false;
}

void DataGridSelBookmarks::toggle(qint32 bookmark)
{
    if (m_members.erase(bookmark) > 0) {
        m_list.erase(std::find(m_list.begin(), m_list.end(), bookmark));
    } else {
        m_members.insert(bookmark);
        m_list.push_back(bookmark);
    }
    m_runsValid = false;
}

void DataGridSelBookmarks::dropRowsGone()
{
    const Recordset* rs = m_grid->m_rs;
    if (!rs || !rs->IsOpen()) {
        clearQuietly();
        return;
    }
    m_list.erase(std::remove_if(m_list.begin(), m_list.end(),
                                [&](qint32 b) {
                                    if (rs->viewRowOfBookmark(b) >= 0)
                                        return false;
                                    m_members.erase(b);
                                    return true;
                                }),
                 m_list.end());
    m_runsValid = false;
}

void DataGridSelBookmarks::mirror()
{
    m_runs.clear();
    const int rows = m_grid->m_model->rowCount();
    if (rows > 0 && m_grid->m_rs) {
        std::vector<int> viewRows;
        viewRows.reserve(m_list.size());
        for (qint32 b : m_list) {
            const int r = m_grid->m_rs->viewRowOfBookmark(b);
            if (r >= 0 && r < rows)
                viewRows.push_back(r);
        }
        std::sort(viewRows.begin(), viewRows.end());
        for (size_t i = 0; i < viewRows.size();) {
            size_t j = i;
            while (j + 1 < viewRows.size() && viewRows[j + 1] <= viewRows[j] + 1)
                ++j;
            m_runs.emplace(viewRows[i], viewRows[j]);
            i = j + 1;
        }
    }
    m_runsValid = true;
    showRuns();
}

void DataGridSelBookmarks::addToRuns(int viewRow)
{
    auto after = m_runs.upper_bound(viewRow);
    const bool joinsAfter = after != m_runs.end() && after->first == viewRow + 1;
    if (after != m_runs.begin()) {
        const auto before = std::prev(after);
        if (before->second >= viewRow)
            return;
        if (before->second == viewRow - 1) {
            before->second = joinsAfter ? after->second : viewRow;
            if (joinsAfter)
                m_runs.erase(after);
            return;
        }
    }
    if (joinsAfter) {
        const int last = after->second;
        m_runs.erase(after);
        m_runs.emplace(viewRow, last);
    } else {
        m_runs.emplace(viewRow, viewRow);
    }
}

void DataGridSelBookmarks::showRuns()
{
    QItemSelectionModel* sm = m_grid->selectionModel();
    if (!sm)
        return;
    const RecordsetModel& model = *m_grid->m_model;
    const int rows = model.rowCount();
    const int cols = model.columnCount();
    QItemSelection sel;
    if (rows > 0 && cols > 0 && m_grid->m_rs) {
        for (const auto& [first, last] : m_runs)
            if (first < rows)
                sel.select(model.index(first, 0), model.index(std::min(last, rows - 1), cols - 1));
        for (int c : m_grid->selectedColumns())
            sel.select(model.index(0, c), model.index(rows - 1, c));
    }
    sm->select(sel, QItemSelectionModel::ClearAndSelect);
}
