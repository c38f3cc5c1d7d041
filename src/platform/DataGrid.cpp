#include "platform/DataGrid.h"

#include "platform/AppError.h"
#include "platform/AppInfo.h"
#include "platform/DataGridDelegate.h"
#include "platform/DataGridPrint.h"
#include "platform/MessagePresenter.h"
#include "platform/Recordset.h"
#include "platform/RecordsetModel.h"
#include "platform/Twips.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr qint32 SubscriptOutOfRange = 9;
const QString FormatTextEvent = QStringLiteral("FormatText Event");

int buttonNumber(Qt::MouseButton b)
{
    switch (b) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

int shiftNumber(Qt::KeyboardModifiers m)
{
    return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) | (m & Qt::AltModifier ? 4 : 0);
}

}  // namespace

// --- grid ---------------------------------------------------------------------

DataGrid::DataGrid(QWidget* parent) : QTableView(parent), m_model(std::make_unique<RecordsetModel>(this))
{
    setModel(m_model.get());
    setItemDelegate(new DataGridDelegate(this));
    // Selections are ours (ordered rows, a column range); the view only shows them.
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                    | QAbstractItemView::AnyKeyPressed);
    setWordWrap(false);

    QHeaderView* h = horizontalHeader();
    h->setSectionsClickable(true);
    h->setSectionsMovable(false);
    h->setHighlightSections(true);
    // A header click selects the column without moving the current row.
    disconnect(h, SIGNAL(sectionPressed(int)), this, nullptr);
    disconnect(h, SIGNAL(sectionEntered(int)), this, nullptr);
    connect(h, &QHeaderView::sectionClicked, this, &DataGrid::onSectionClicked);
    connect(h, &QHeaderView::sectionResized, this, &DataGrid::onSectionResized);
    h->viewport()->installEventFilter(this);

    QHeaderView* v = verticalHeader();
    v->setSectionResizeMode(QHeaderView::Fixed);
    v->setDefaultSectionSize(fontMetrics().height() + 6);
    // Record selectors: narrow, but wide enough to click.
    v->setMinimumWidth(fontMetrics().height());
    connect(v, &QHeaderView::sectionClicked, this, &DataGrid::onRowHeaderClicked);

    connect(m_model.get(), &QAbstractItemModel::modelAboutToBeReset, this, &DataGrid::snapshotOrder);
    connect(m_model.get(), &QAbstractItemModel::modelReset, this, &DataGrid::restoreLayout);
    // Rows that move in the view take the selection's runs along.
    const auto runsMoved = [this] { m_selBookmarks.viewChanged(); };
    connect(m_model.get(), &QAbstractItemModel::modelReset, this, runsMoved);
    connect(m_model.get(), &QAbstractItemModel::layoutChanged, this, runsMoved);
    connect(m_model.get(), &QAbstractItemModel::rowsInserted, this, runsMoved);
    connect(m_model.get(), &QAbstractItemModel::rowsRemoved, this, runsMoved);
    if (qApp)
        connect(qApp, &QApplication::focusChanged, this, &DataGrid::onFocusChanged);
}

DataGrid::~DataGrid()
{
    if (qApp)
        disconnect(qApp, nullptr, this, nullptr);
    if (m_rs)
        disconnect(m_rs, nullptr, this, nullptr);
    // The view goes before the model it shows.
    setModel(nullptr);
}

void DataGrid::DataSource(Recordset* rs)
{
    dropEditor();
    if (m_rs)
        disconnect(m_rs, nullptr, this, nullptr);
    m_rs = rs;
    m_selBookmarks.clearQuietly();
    m_selStartCol = m_selEndCol = -1;
    if (m_autoColumns)
        m_columns.clear();
    bindColumns();
    m_model->setRecordset(rs);
    if (rs) {
        connect(rs, &Recordset::currentChanged, this, &DataGrid::onRecordsetCurrentChanged);
        connect(rs, &Recordset::rowsReset, this, &DataGrid::onRowsReset);
        connect(rs, &Recordset::rowRemoved, this, [this] { onRowsReset(); });
        connect(rs, &QObject::destroyed, this, [this] {
            m_rs = nullptr;
            m_model->setRecordset(nullptr);
        });
    }
    onRowsReset();
}

void DataGrid::ReBind()
{
    dropEditor();
    if (m_autoColumns && m_rs && m_rs->IsOpen() && ColumnCount() != m_rs->FieldCount())
        m_columns.clear();
    bindColumns();
    m_model->reset();
    onRowsReset();
}

void DataGrid::Refresh()
{
    const int rows = m_model->rowCount();
    const int cols = m_model->columnCount();
    if (rows > 0 && cols > 0)
        emit m_model->dataChanged(m_model->index(0, 0), m_model->index(rows - 1, cols - 1));
    viewport()->update();
}

void DataGrid::bindColumns()
{
    const bool open = m_rs && m_rs->IsOpen();
    if (m_columns.empty() && open) {
        m_autoColumns = true;
        for (int i = 0; i < m_rs->FieldCount(); ++i) {
            auto c = std::make_unique<DataGridColumn>(this, i);
            c->m_dataField = c->m_caption = m_rs->fieldInfo(i).name;
            m_columns.push_back(std::move(c));
        }
    }
    for (auto& c : m_columns) {
        c->m_fieldIndex = (open && !c->m_dataField.isEmpty()) ? m_rs->FieldIndex(c->m_dataField) : -1;
        if (c->m_width <= 0)
            c->m_width = Twips::fromPixelsX(this, horizontalHeader()->defaultSectionSize());
    }
}

DataGridColumn* DataGrid::Columns(int index) const
{
    if (index < 0 || index >= ColumnCount())
        AppError::raise(SubscriptOutOfRange, {}, QStringLiteral("DataGrid"));
    return m_columns[size_t(index)].get();
}

DataGridColumn* DataGrid::AddColumn(const QString& dataField, const QString& caption)
{
    m_autoColumns = false;
    auto c = std::make_unique<DataGridColumn>(this, ColumnCount());
    c->m_dataField = dataField;
    c->m_caption = caption.isNull() ? dataField : caption;
    c->m_width = Twips::fromPixelsX(this, horizontalHeader()->defaultSectionSize());
    if (m_rs && m_rs->IsOpen() && !dataField.isEmpty())
        c->m_fieldIndex = m_rs->FieldIndex(dataField);
    DataGridColumn* added = c.get();
    m_columns.push_back(std::move(c));
    m_model->columnsChanged();
    return added;
}

void DataGrid::ClearColumns()
{
    dropEditor();
    m_columns.clear();
    m_autoColumns = false;
    m_selStartCol = m_selEndCol = -1;
    m_model->columnsChanged();
}

void DataGrid::columnChanged(DataGridColumn* c)
{
    if (c->m_index < m_model->columnCount()) {
        emit m_model->headerDataChanged(Qt::Horizontal, c->m_index, c->m_index);
        RefetchCol(-1);
        viewport()->update();
    }
}

void DataGrid::applyColumnLayout(DataGridColumn* c)
{
    if (c->m_index >= m_model->columnCount())
        return;
    m_layingOut = true;
    setColumnHidden(c->m_index, !c->m_visible);
    if (c->m_visible)
        setColumnWidth(c->m_index, Twips::toPixelsX(this, c->m_width));
    m_layingOut = false;
    if (!c->m_visible && (m_selStartCol >= 0))
        mirrorSelection();
}

void DataGrid::snapshotOrder()
{
    // A reset forgets the current cell; the row comes back from the record
    // set, the column from here.
    m_columnBeforeReset = currentIndex().column();
    QHeaderView* h = horizontalHeader();
    m_visualOrder.clear();
    for (int v = 0; v < h->count(); ++v)
        m_visualOrder.push_back(h->logicalIndex(v));
}

void DataGrid::restoreLayout()
{
    // A model reset gives the header fresh sections: put widths, hidden
    // columns and the order back from the columns.
    QHeaderView* h = horizontalHeader();
    m_layingOut = true;
    const int n = std::min(h->count(), ColumnCount());
    if (int(m_visualOrder.size()) == h->count()) {
        for (int v = 0; v < int(m_visualOrder.size()); ++v) {
            const int from = h->visualIndex(m_visualOrder[size_t(v)]);
            if (from >= 0 && from != v)
                h->moveSection(from, v);
        }
    }
    for (int i = 0; i < n; ++i) {
        const DataGridColumn* c = m_columns[size_t(i)].get();
        h->setSectionHidden(i, !c->m_visible);
        if (c->m_visible)
            h->resizeSection(i, Twips::toPixelsX(this, c->m_width));
    }
    m_layingOut = false;
}

void DataGrid::onSectionResized(int logical, int, int newSize)
{
    if (m_layingOut || logical < 0 || logical >= ColumnCount() || horizontalHeader()->isSectionHidden(logical))
        return;
    // Hiding a column shrinks it to 0 first: that is not a width to remember.
    if (!m_columns[size_t(logical)]->m_visible)
        return;
    m_columns[size_t(logical)]->m_width = Twips::fromPixelsX(this, newSize);
}

// --- position ---------------------------------------------------------------------

Value DataGrid::Bookmark() const
{
    const int row = Row();
    return row < 0 ? Value::null() : Value(m_rs->bookmarkAt(row));
}

void DataGrid::Bookmark(const Value& bookmark)
{
    if (!m_rs || bookmark.isNullOrEmpty())
        return;
    m_rs->Bookmark(bookmark.toLong());  // the record set's signal moves the view
}

int DataGrid::Col() const
{
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.column() : -1;
}

void DataGrid::Col(int column)
{
    if (column < 0 || column >= ColumnCount())
        AppError::raise(SubscriptOutOfRange, {}, QStringLiteral("DataGrid"));
    const int row = Row();
    if (row < 0 || row >= m_model->rowCount())
        return;
    const QModelIndex idx = m_model->index(row, column);
    // The program moving on takes back a refused text.
    if (holdsRefusedCell() && idx != m_editIndex)
        dropEditor();
    selectionModel()->setCurrentIndex(idx, QItemSelectionModel::NoUpdate);
    scrollTo(idx);
}

int DataGrid::Row() const { return (m_rs && m_rs->IsOpen()) ? m_rs->currentViewRow() : -1; }

void DataGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    // Leaving a cell commits its editor (and closes it when the text is taken).
    QTableView::currentChanged(current, previous);
    if (!m_syncing && holdsRefusedCell() && current != m_editIndex) {
        // A refused cell stays current: the record set does not move, and the
        // view goes back once this change is over.
        const QPersistentModelIndex back = m_editIndex;
        QMetaObject::invokeMethod(
            this,
            [this, back] {
                if (back.isValid() && holdsRefusedCell())
                    selectionModel()->setCurrentIndex(back, QItemSelectionModel::NoUpdate);
            },
            Qt::QueuedConnection);
        return;
    }
    if (m_syncing || !m_rs || !m_rs->IsOpen() || !current.isValid() || current.row() == m_rs->currentViewRow())
        return;
    const bool pending = m_rs->EditMode() != Recordset::EditNone;
    m_syncing = true;
    try {
        m_rs->setCurrentViewRow(current.row());
    } catch (const AppError& e) {
        tellAfterCommit(e.description());
    }
    m_syncing = false;
    if (pending && m_rs->EditMode() == Recordset::EditNone)
        emit AfterUpdate();
}

void DataGrid::onRecordsetCurrentChanged(int viewRow)
{
    if (m_syncing)
        return;
    // The record set moved on its own: typed text of another row is dropped.
    dropEditor();
    m_syncing = true;
    if (viewRow < 0 || viewRow >= m_model->rowCount()) {
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    } else {
        int col = currentIndex().isValid() ? currentIndex().column() : m_columnBeforeReset;
        if (col < 0 || col >= m_model->columnCount() || isColumnHidden(col)) {
            col = -1;
            for (int v = 0; v < horizontalHeader()->count() && col < 0; ++v)
                if (!horizontalHeader()->isSectionHidden(horizontalHeader()->logicalIndex(v)))
                    col = horizontalHeader()->logicalIndex(v);
        }
        if (col >= 0) {
            const QModelIndex idx = m_model->index(viewRow, col);
            selectionModel()->setCurrentIndex(idx, QItemSelectionModel::NoUpdate);
            scrollTo(idx);
        }
    }
    m_syncing = false;
}

void DataGrid::onRowsReset()
{
    // Selected rows no longer in the view drop out of the selection.
    m_selBookmarks.dropRowsGone();
    m_rowAnchor = -1;
    mirrorSelection();
    onRecordsetCurrentChanged(Row());
}

// --- selection ----------------------------------------------------------------------

void DataGrid::SelStartCol(int column)
{
    m_selStartCol = column < 0 ? -1 : column;
    mirrorSelection();
}

void DataGrid::SelEndCol(int column)
{
    m_selEndCol = column < 0 ? -1 : column;
    mirrorSelection();
}

void DataGrid::ClearSelCols()
{
    m_selStartCol = m_selEndCol = -1;
    mirrorSelection();
}

QList<int> DataGrid::selectedColumns() const
{
    QList<int> cols;
    if (m_selStartCol < 0 || m_selEndCol < 0 || m_selStartCol >= ColumnCount() || m_selEndCol >= ColumnCount())
        return cols;
    const QHeaderView* h = horizontalHeader();
    int from = h->visualIndex(m_selStartCol);
    int to = h->visualIndex(m_selEndCol);
    if (from > to)
        std::swap(from, to);
    for (int v = from; v <= to; ++v) {
        const int logical = h->logicalIndex(v);
        if (!h->isSectionHidden(logical))
            cols.append(logical);
    }
    return cols;
}

void DataGrid::mirrorSelection() { m_selBookmarks.mirror(); }

void DataGrid::onSectionClicked(int logical)
{
    if (logical < 0 || logical >= ColumnCount())
        return;
    if ((QGuiApplication::keyboardModifiers() & Qt::ShiftModifier) && m_selStartCol >= 0) {
        m_selEndCol = logical;
    } else {
        m_selStartCol = m_selEndCol = logical;
    }
    if (horizontalHeader()->visualIndex(m_selStartCol) > horizontalHeader()->visualIndex(m_selEndCol))
        std::swap(m_selStartCol, m_selEndCol);
    m_selBookmarks.clearQuietly();
    mirrorSelection();
    emit HeadClick(logical);
}

void DataGrid::onRowHeaderClicked(int row)
{
    if (!m_rs || !m_rs->IsOpen() || row < 0 || row >= m_model->rowCount())
        return;
    const Qt::KeyboardModifiers mods = QGuiApplication::keyboardModifiers();
    const qint32 b = m_rs->bookmarkAt(row);
    m_selStartCol = m_selEndCol = -1;
    if (mods & Qt::ControlModifier) {
        m_selBookmarks.toggle(b);
        m_rowAnchor = row;
    } else if ((mods & Qt::ShiftModifier) && m_rowAnchor >= 0 && m_rowAnchor < m_model->rowCount()) {
        std::vector<qint32> range;
        range.reserve(size_t(std::abs(row - m_rowAnchor) + 1));
        const int step = row >= m_rowAnchor ? 1 : -1;
        for (int r = m_rowAnchor;; r += step) {
            range.push_back(m_rs->bookmarkAt(r));
            if (r == row)
                break;
        }
        m_selBookmarks.assign(range);
    } else {
        m_selBookmarks.assign({b});
        m_rowAnchor = row;
    }
    mirrorSelection();
}

// --- editing -------------------------------------------------------------------------

bool DataGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    if (!index.isValid() || state() == EditingState || !m_rs || !m_rs->IsOpen() || index.column() >= ColumnCount())
        return QTableView::edit(index, trigger, event);
    const bool editable = m_model->flags(index) & Qt::ItemIsEditable;
    DataGridColumn* c = m_columns[size_t(index.column())].get();

    // A check-box column toggles on a click instead of opening an editor.
    if (editable && c->ValueItems().Presentation() == DataGridValueItems::CheckBox && event
        && event->type() == QEvent::MouseButtonRelease) {
        bool cancel = false;
        emit BeforeColEdit(index.column(), 0, &cancel);
        if (cancel)
            return true;
        try {
            const Value old = m_rs->valueAt(index.row(), c->fieldIndex());
            bool refuse = false;
            emit BeforeColUpdate(index.column(), old, &refuse);
            if (!refuse) {
                m_syncing = true;
                m_rs->setValueAt(index.row(), c->fieldIndex(), Value(!(old.isNullOrEmpty() ? false : old.toBool())));
                m_syncing = false;
            }
        } catch (const AppError& e) {
            m_syncing = false;
            tellAfterCommit(e.description());
        }
        emit AfterColEdit(index.column());
        return true;
    }

    bool willEdit = editable && (trigger == AllEditTriggers || (editTriggers() & trigger));
    int key = 0;
    if (willEdit && trigger == AnyKeyPressed) {
        const auto* ke = (event && event->type() == QEvent::KeyPress) ? static_cast<QKeyEvent*>(event) : nullptr;
        if (!ke || ke->text().isEmpty() || ke->text().at(0).unicode() < 32)
            willEdit = false;
        else
            key = ke->text().at(0).unicode();
    }
    if (!willEdit)
        return QTableView::edit(index, trigger, event);
    bool cancel = false;
    emit BeforeColEdit(index.column(), key, &cancel);
    if (cancel)
        return true;
    m_editOriginalText = editText(index.row(), index.column());
    m_commitAttempted = false;
    return QTableView::edit(index, trigger, event);
}

void DataGrid::editorOpened(QWidget* editor, const QModelIndex& index)
{
    m_editor = editor;
    m_editIndex = index;
    m_refused = false;
}

void DataGrid::tabFromEditor(bool forward)
{
    const int column = m_editIndex.column();
    // A refused value keeps the cell current: the user has been told why.
    if (!commitPendingEdit() || column < 0)
        return;
    const QHeaderView* h = horizontalHeader();
    int row = Row();
    int visual = h->visualIndex(column);
    const int rows = m_model->rowCount();
    while (row >= 0 && row < rows) {
        visual += forward ? 1 : -1;
        if (visual < 0 || visual >= h->count()) {
            row += forward ? 1 : -1;
            visual = forward ? -1 : h->count();
            continue;
        }
        const QModelIndex idx = m_model->index(row, h->logicalIndex(visual));
        if (!h->isSectionHidden(idx.column()) && (m_model->flags(idx) & Qt::ItemIsEditable)) {
            selectionModel()->setCurrentIndex(idx, QItemSelectionModel::NoUpdate);
            scrollTo(idx);
            return;
        }
    }
}

void DataGrid::commitData(QWidget* editor)
{
    if (editor != m_editor || !EditActive())
        return;
    // While a refusal is being told, focus changes (to its box, say) check
    // nothing again.
    if (m_refused && (!m_afterCommit.empty() || m_showingAfterCommit))
        return;
    m_lastStoreOk = true;
    m_silentRefusal = false;
    QTableView::commitData(editor);
    m_refused = !m_lastStoreOk && !m_silentRefusal;
}

void DataGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    // Only the editor the view has open is closed, and once: a second request
    // (a focus change after the commit that closed it) finds nothing to do.
    if (editor != m_editor || !EditActive())
        return;
    // A refused text stays to be put right; Escape takes it back.
    if (m_refused && hint != QAbstractItemDelegate::RevertModelCache)
        return;
    const int column = m_commitAttempted ? m_editIndex.column() : -1;
    m_editor = nullptr;
    m_editIndex = QPersistentModelIndex();
    m_commitAttempted = false;
    m_refused = false;
    // A message box shown while the edit was checked holds the focus now:
    // the grid takes the editor's place as its window's focus, or the focus
    // would go on to the next control, in another child window perhaps.
    if (!editor->hasFocus() && window()->focusWidget()
        && (window()->focusWidget() == editor || editor->isAncestorOf(window()->focusWidget())))
        setFocus();
    QTableView::closeEditor(editor, hint);
    if (column >= 0)
        emit AfterColEdit(column);
}

QString DataGrid::editorText() const
{
    const QLineEdit* le = lineEditOfCellEditor(m_editor);
    return le ? le->text() : QString();
}

void DataGrid::setEditorText(const QString& text)
{
    if (QLineEdit* le = lineEditOfCellEditor(m_editor))
        le->setText(text);
}

void DataGrid::dropEditor()
{
    if (!m_editor)
        return;
    m_refused = false;
    m_commitAttempted = false;
    closeEditor(m_editor, QAbstractItemDelegate::NoHint);
    // One the view let go of itself (a reset, its row removed) is forgotten.
    m_editor = nullptr;
    m_editIndex = QPersistentModelIndex();
}

bool DataGrid::EditActive() const
{
    // The view lets go of an editor by itself when its row goes or the rows are reset.
    return m_editor && m_editIndex.isValid() && indexWidget(m_editIndex) == m_editor;
}

void DataGrid::EditActive(bool on)
{
    if (on && !EditActive()) {
        const QModelIndex i = currentIndex();
        if (i.isValid())
            edit(i, AllEditTriggers, nullptr);
    } else if (!on && EditActive()) {
        commitPendingEdit();
    }
}

int DataGrid::SelStart() const
{
    const QLineEdit* le = lineEditOfCellEditor(m_editor);
    if (!le)
        return 0;
    return le->hasSelectedText() ? le->selectionStart() : le->cursorPosition();
}

void DataGrid::SelStart(int position)
{
    if (QLineEdit* le = lineEditOfCellEditor(m_editor))
        le->setCursorPosition(std::clamp(position, 0, int(le->text().size())));
}

int DataGrid::SelLength() const
{
    const QLineEdit* le = lineEditOfCellEditor(m_editor);
    return le ? int(le->selectedText().size()) : 0;
}

void DataGrid::SelLength(int length)
{
    if (QLineEdit* le = lineEditOfCellEditor(m_editor)) {
        const int start = SelStart();
        le->setSelection(start, std::clamp(length, 0, int(le->text().size()) - start));
    }
}

QString DataGrid::SelText() const
{
    const QLineEdit* le = lineEditOfCellEditor(m_editor);
    return le ? le->selectedText() : QString();
}

bool DataGrid::CurrentCellModified() const { return EditActive() && editorText() != m_editOriginalText; }

bool DataGrid::DataChanged() const
{
    if (CurrentCellModified())
        return true;
    return m_rs && m_rs->IsOpen() && m_rs->EditMode() != Recordset::EditNone;
}

bool DataGrid::commitPendingEdit()
{
    if (!EditActive())
        return true;
    QWidget* editor = m_editor;
    commitData(editor);
    if (m_refused)
        return false;
    const bool stored = m_lastStoreOk;
    closeEditor(editor, QAbstractItemDelegate::NoHint);
    return stored;
}

void DataGrid::showAfterCommit(std::function<void()> box)
{
    m_afterCommit.push_back(std::move(box));
    if (m_afterCommit.size() == 1)
        QMetaObject::invokeMethod(this, &DataGrid::runAfterCommit, Qt::QueuedConnection);
}

void DataGrid::tellAfterCommit(const QString& text)
{
    showAfterCommit([text] { MessagePresenter::show(text, MessageBoxStyle::Exclamation, AppInfo::title()); });
}

void DataGrid::runAfterCommit()
{
    std::vector<std::function<void()>> boxes;
    boxes.swap(m_afterCommit);
    m_showingAfterCommit = true;
    // A box runs its own event loop, in which the grid's window may go.
    const QPointer<DataGrid> alive(this);
    for (const auto& box : boxes) {
        try {
            box();
        } catch (...) {
            // Handlers report their own errors; nothing may cross the event loop.
        }
        if (!alive)
            return;  // what is left was about cells that are gone
    }
    m_showingAfterCommit = false;
    // The user goes on where the text was refused.
    if (holdsRefusedCell()) {
        m_editor->setFocus();
        if (QLineEdit* le = lineEditOfCellEditor(m_editor))
            le->selectAll();
    }
}

void DataGrid::cancelPendingEdit()
{
    dropEditor();
    if (m_rs && m_rs->IsOpen() && m_rs->EditMode() != Recordset::EditNone) {
        try {
            m_rs->CancelUpdate();
        } catch (const AppError&) {
            // Nothing left to drop.
        }
    }
    RefetchRow();
}

bool DataGrid::Update()
{
    commitPendingEdit();
    if (m_rs && m_rs->IsOpen() && m_rs->EditMode() != Recordset::EditNone) {
        bool cancel = false;
        emit BeforeUpdate(&cancel);
        if (cancel)
            return false;
        m_rs->Update();
        emit AfterUpdate();
    }
    return true;
}

QString DataGrid::editText(int viewRow, int column) const
{
    const DataGridColumn* c = Columns(column);
    if (!m_rs || c->fieldIndex() < 0)
        return {};
    const Value v = m_rs->valueAt(viewRow, c->fieldIndex());
    const DataGridValueItems& items = c->ValueItems();
    // A value its list no longer holds is edited as the owner shows it, not as its raw value.
    if (items.Translate() && items.indexOfValue(v) < 0 && c->NumberFormat() == FormatTextEvent)
        return cellText(viewRow, column);
    return items.displayFor(v);
}

QString DataGrid::cellText(int viewRow, int column) const
{
    const DataGridColumn* c = Columns(column);
    if (!m_rs || c->fieldIndex() < 0)
        return {};
    Value v = m_rs->valueAt(viewRow, c->fieldIndex());
    const DataGridValueItems& items = c->ValueItems();
    if (items.Translate() && items.indexOfValue(v) >= 0)
        return items.displayFor(v);
    if (c->NumberFormat() == FormatTextEvent) {
        emit const_cast<DataGrid*>(this)->FormatText(column, &v);
        return v.asText();
    }
    return formatCellValue(v, c->NumberFormat());
}

void DataGrid::RefetchCol(int column) { m_model->refetch(Row(), column); }

void DataGrid::RefetchRow(const Value& bookmark)
{
    if (!m_rs || !m_rs->IsOpen())
        return;
    const int row = bookmark.isNullOrEmpty() ? Row() : m_rs->viewRowOfBookmark(bookmark.toLong());
    m_model->refetch(row, -1);
}

DataGridPrintInfo* DataGrid::PrintInfo()
{
    if (!m_printInfo)
        m_printInfo = std::make_unique<DataGridPrintInfo>(this);
    return m_printInfo.get();
}

// --- events -------------------------------------------------------------------------

bool DataGrid::ownsWidget(const QWidget* w) const
{
    // Across windows too: a cell's drop-down list is a window of its own.
    for (; w; w = w->parentWidget())
        if (w == this)
            return true;
    return false;
}

void DataGrid::onFocusChanged(QWidget*, QWidget* now)
{
    // The menu bar opened from the keyboard only visits: the cell editor stays.
    if (qobject_cast<QMenuBar*>(now))
        return;
    // Focus moving into the grid's own cell editor stays inside the grid.
    const bool inside = ownsWidget(now);
    if (inside && !m_hasFocus) {
        m_hasFocus = true;
        emit GotFocus();
    } else if (!inside && m_hasFocus) {
        m_hasFocus = false;
        emit LostFocus();
    }
}

void DataGrid::mousePressEvent(QMouseEvent* event)
{
    // A click elsewhere has just tried to commit a refused text: the cell stays current.
    if (holdsRefusedCell()) {
        m_pressHeld = true;
        event->accept();
        return;
    }
    // A plain click on a cell ends the row or column selection.
    if (event->button() == Qt::LeftButton && !(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier))
        && indexAt(event->position().toPoint()).isValid() && (m_selBookmarks.Count() > 0 || m_selStartCol >= 0)) {
        m_selBookmarks.clearQuietly();
        m_selStartCol = m_selEndCol = -1;
        mirrorSelection();
    }
    QTableView::mousePressEvent(event);
}

void DataGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (holdsRefusedCell()) {
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton)
        emit DblClick();
    QTableView::mouseDoubleClickEvent(event);
}

void DataGrid::mouseReleaseEvent(QMouseEvent* event)
{
    if (std::exchange(m_pressHeld, false)) {
        event->accept();
        return;
    }
    QTableView::mouseReleaseEvent(event);
    const QPoint p = viewport()->mapTo(this, event->position().toPoint());
    emit MouseUp(buttonNumber(event->button()), shiftNumber(event->modifiers()), p.x(), p.y());
}

bool DataGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == horizontalHeader()->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto* me = static_cast<QMouseEvent*>(event);
        const QPoint p = horizontalHeader()->viewport()->mapTo(this, me->position().toPoint());
        emit MouseUp(buttonNumber(me->button()), shiftNumber(me->modifiers()), p.x(), p.y());
    }
    return QTableView::eventFilter(watched, event);
}

void DataGrid::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && !EditActive() && DataChanged()) {
        cancelPendingEdit();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}
