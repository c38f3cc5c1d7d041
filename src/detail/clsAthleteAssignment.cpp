#include "detail/clsAthleteAssignment.h"

#include "app/WindowServices.h"
#include "app/clsCboBoxHelper.h"
#include "app/clsObjectHelpers.h"
#include "data/clsAdoConnectJet.h"
#include "detail/clsSegmentDocument.h"
#include "detail/clsSegmentRows.h"
#include "platform/ComboBox.h"
#include "platform/DataGrid.h"
#include "platform/Recordset.h"

#include <QPointer>
#include <QSet>
#include <QTimer>

namespace {
const char* const Module = "frmSegmentDetail";
const QString Crlf = QStringLiteral("\r\n");
constexpr qint32 Yes = 6;
constexpr int colAthlete = clsSegmentRows::colRosterId;
// The checklist's columns.
constexpr int rosterId = 0, rosterName = 1, rosterShown = 2;

using WindowServices::app;
using WindowServices::showMessage;

clsAdoConnectJet& ado() { return *app().DatabaseAdo_Po(); }

// First name, a blank and last name; a missing part counts as empty.
const QString AthleteName =
    QStringLiteral("COALESCE(tblRoster.sFirstName, '') || ' ' || COALESCE(tblRoster.sLastName, '')");

// A LIKE operand matching the text anywhere, its wildcards taken literally.
QString containing(const QString& text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('%'), QLatin1String("\\%"))
        .replace(QLatin1Char('_'), QLatin1String("\\_"));
    return QLatin1Char('%') + escaped + QLatin1Char('%');
}
}  // namespace

clsAthleteAssignment::clsAthleteAssignment(clsSegmentDocument& document, DataGrid* grid, DataGrid* checklist,
                                           ComboBox* category)
    : m_doc(document), m_grid(grid), m_checklist(checklist), m_category(category)
{
    DataGrid* roster = checklist;
    roster->AddColumn(QStringLiteral("lRosterId"), QStringLiteral("lRosterId"))->Visible(false);
    // Both columns fit the grid's width.
    roster->AddColumn(QStringLiteral("sAthlete"), QStringLiteral("Competing Athlete"))->Width(2700);
    DataGridColumn* display = roster->AddColumn(QStringLiteral("fActive"), QStringLiteral("Display?"));
    display->Width(1000);
    DataGridValueItems& shown = display->ValueItems();
    shown.Translate(true);
    shown.Presentation(DataGridValueItems::CheckBox);
    shown.Add(Value(-1), QString(QChar(0x2714)));
    shown.Add(Value(0), QString());

    connect(grid, &DataGrid::ValueNotInList, this, &clsAthleteAssignment::dbgMain_ValueNotInList);
    connect(grid, &DataGrid::FormatText, this, &clsAthleteAssignment::dbgMain_FormatText);
    connect(roster, &DataGrid::BeforeColEdit, this, &clsAthleteAssignment::dbgRosterForDetail_BeforeColEdit);
    connect(roster, &DataGrid::AfterUpdate, this, &clsAthleteAssignment::dbgRosterForDetail_AfterUpdate);
}

clsAthleteAssignment::~clsAthleteAssignment()
{
    // The grid lets go of the checklist before it goes.
    ignoringErrors([&] { m_checklist->DataSource(nullptr); });
}

Value clsAthleteAssignment::SelectedId(const ComboBox* cbo)
{
    const qint32 index = cbo->ListIndex();
    return index >= 0 ? Value(cbo->ItemData(index)) : Value::null();
}

// ---- the value list ------------------------------------------------------------------

void clsAthleteAssignment::Load_p(const Value& vCategoryID)
{
    rebuildChecklist_m();
    buildValueList_m(vCategoryID);
}

void clsAthleteAssignment::MakeAthleteValueItems_m(const Value& vCategoryID)
{
    guarded(Module, "MakeAthleteValueItems_m", [&] { buildValueList_m(vCategoryID); });
}

void clsAthleteAssignment::buildValueList_m(const Value& vCategoryID)
{
    // The ids are whole numbers of our own: safe to write into the statement.
    const QString select = QStringLiteral("SELECT DISTINCT tblRoster.lRosterID, ") + AthleteName
        + QStringLiteral(" AS sAthlete FROM tblRoster ");
    const QString which = vCategoryID.isNullOrEmpty()
        ? QStringLiteral("WHERE tblRoster.fActive <> 0")
        : QStringLiteral("INNER JOIN tblRoster_Category ON tblRoster.lRosterID = tblRoster_Category.lRosterID "
                         "WHERE tblRoster_Category.lCategoryID = ")
            + QString::number(vCategoryID.toLong()) + QStringLiteral(" AND tblRoster.fActive <> 0");
    // The placeholder is always there, under its last name, and only once.
    const QString placeholder = QString::number(Placeholder);
    const QString sql = select + which + QStringLiteral(" AND tblRoster.lRosterID <> ") + placeholder
        + QStringLiteral(" UNION SELECT lRosterID, sLastName FROM tblRoster WHERE lRosterID = ") + placeholder
        + QStringLiteral(" ORDER BY sAthlete COLLATE LOCALE");
    std::unique_ptr<Recordset> rs;
    ado().SQLOpenRecordset_pl(rs, sql, clsAdoConnectJet::adOpenStatic, clsAdoConnectJet::adLockReadOnly);
    DataGridValueItems& items = m_grid->Columns(colAthlete)->ValueItems();
    items.Clear();
    items.Translate(true);
    items.Validate(true);
    items.Presentation(DataGridValueItems::ComboBox);
    for (; !rs->IsEOF(); rs->MoveNext())
        items.Add(rs->Fields(0).Value(), rs->Fields(1).Value().asText());
    rs->Close();
    // A row of an athlete now in another category, or inactive, still shows the
    // name; the drop-down and typing keep to the list.
    QHash<qint32, QString> names;
    ado().SQLOpenRecordset_pl(rs,
                              QStringLiteral("SELECT lRosterID, ") + AthleteName + QStringLiteral(" FROM tblRoster"),
                              clsAdoConnectJet::adOpenStatic, clsAdoConnectJet::adLockReadOnly);
    for (; !rs->IsEOF(); rs->MoveNext())
        names.insert(rs->Fields(0).Value().toLong(), rs->Fields(1).Value().asText());
    rs->Close();
    m_names = std::move(names);
    m_grid->Columns(colAthlete)->NumberFormat(QStringLiteral("FormatText Event"));
    m_listCategory = vCategoryID.isNullOrEmpty() ? Value::null() : Value(vCategoryID.toLong());
    m_grid->Refresh();
}

void clsAthleteAssignment::dbgMain_FormatText(int col, Value* value)
{
    if (col != colAthlete || !value || !value->isNumeric())
        return;
    const auto name = m_names.constFind(value->toLong());
    if (name != m_names.constEnd())
        *value = Value(*name);
}

qint32 clsAthleteAssignment::inValueItems_pl(qint32 lColIndex, const Value& vValue, qint32 lMode) const
{
    const DataGridValueItems& items = m_grid->Columns(lColIndex)->ValueItems();
    const QString wanted = vValue.asText();
    for (int i = 0; i < items.Count(); ++i) {
        const ValueItem& item = items.Item(i);
        const QString text = lMode == 1 ? item.DisplayValue() : item.Value().asText();
        if (text.compare(wanted, Qt::CaseInsensitive) == 0)
            return item.Value().toLong();
    }
    return -1;
}

// ---- the checklist --------------------------------------------------------------------

bool clsAthleteAssignment::RetrieveRoster_mf()
{
    bool ok = false;
    guarded(Module, "RetrieveRoster_mf", [&] { ok = rebuildChecklist_m(); });
    return ok;
}

bool clsAthleteAssignment::rebuildChecklist_m()
{
    Recordset* rows = m_doc.rows();
    if (!rows || !rows->IsOpen())
        return false;
    // Every row counts, whatever the filter shows.
    QStringList ids;
    std::unique_ptr<Recordset> all = rows->Clone();
    all->Sort(QStringLiteral("lRosterID"));
    // The sort keeps the clone on the first stored row, wherever it now stands.
    if (all->RecordCount() > 0)
        all->MoveFirst();
    for (; !all->IsEOF(); all->MoveNext()) {
        const Value id = all->Fields(colAthlete).Value();
        const QString text = id.isNullOrEmpty() ? QString() : QString::number(id.toLong());
        if (!text.isEmpty() && (ids.isEmpty() || ids.last() != text))
            ids << text;
    }
    // A segment without rows has an empty checklist.
    auto fresh = std::make_unique<Recordset>();
    fresh->OpenInMemory({FieldInfo(QStringLiteral("lRosterId"), FieldInfo::DataType::Integer),
                         FieldInfo(QStringLiteral("sAthlete"), FieldInfo::DataType::Text),
                         FieldInfo(QStringLiteral("fActive"), FieldInfo::DataType::Boolean)});
    if (!ids.isEmpty()) {
        std::unique_ptr<Recordset> named;
        ado().SQLOpenRecordset_pl(named,
                                  QStringLiteral("SELECT DISTINCT tblRoster.lRosterID, ") + AthleteName
                                      + QStringLiteral(" AS sAthlete FROM tblRoster WHERE lRosterID IN (")
                                      + ids.join(QStringLiteral(", ")) + QStringLiteral(") ORDER BY lRosterID"),
                                  clsAdoConnectJet::adOpenStatic, clsAdoConnectJet::adLockReadOnly);
        // Checked: the athlete has a row among those the filter lets through.
        std::unique_ptr<Recordset> shown = rows->Clone();
        shown->Filter(rows->Filter());
        for (; !named->IsEOF(); named->MoveNext()) {
            const qint32 id = named->Fields(0).Value().toLong();
            bool found = false;
            if (shown->RecordCount() > 0) {
                shown->MoveFirst();
                shown->Find(QStringLiteral("lRosterID = ") + QString::number(id));
                found = !shown->IsEOF();
            }
            fresh->AddNew();
            fresh->Fields(rosterId).Value(Value(id));
            fresh->Fields(rosterName).Value(named->Fields(1).Value());
            fresh->Fields(rosterShown).Value(Value(found));
            fresh->Update();
        }
        named->Close();
        if (fresh->RecordCount() > 0)
            fresh->MoveFirst();
    }
    m_checklist->DataSource(fresh.get());
    std::swap(m_roster, fresh);
    if (fresh)
        ignoringErrors([&] { fresh->Close(); });
    return true;
}

void clsAthleteAssignment::Requery_p()
{
    // The check marks keep describing the filter in force.
    RetrieveRoster_mf();
    MakeAthleteValueItems_m(SelectedId(m_category));
    m_grid->ReBind();
}

void clsAthleteAssignment::AthleteEdited_p()
{
    RetrieveRoster_mf();
    m_doc.setDirty(true);
}

void clsAthleteAssignment::dbgRosterForDetail_BeforeColEdit(int, int, bool* cancel)
{
    // Any edit of a row toggles it instead.
    if (cancel)
        *cancel = true;
    guarded(Module, "dbgRosterForDetail_BeforeColEdit", [&] {
        if (!m_roster || !m_roster->IsOpen() || m_roster->IsBOF() || m_roster->IsEOF())
            return;
        const Value shown = m_roster->Fields(rosterShown).Value();
        m_roster->Fields(rosterShown).Value(Value(!(!shown.isNullOrEmpty() && shown.toBool())));
        m_checklist->Update();
    });
}

void clsAthleteAssignment::dbgRosterForDetail_AfterUpdate()
{
    guarded(Module, "dbgRosterForDetail_AfterUpdate", [&] {
        Recordset* rows = m_doc.rows();
        if (!rows || !m_roster)
            return;
        // A clone walks the checklist: its own current row stays.
        QString filter;
        std::unique_ptr<Recordset> checklist = m_roster->Clone();
        for (; !checklist->IsEOF(); checklist->MoveNext()) {
            const Value shown = checklist->Fields(rosterShown).Value();
            if (!shown.isNullOrEmpty() && shown.toBool())
                filter += QStringLiteral("lRosterID = ") + QString::number(checklist->Fields(rosterId).Value().toLong())
                    + QStringLiteral(" OR ");
        }
        filter = filter.isEmpty() ? QStringLiteral("lRosterID = NULL") : filter.chopped(3);
        m_doc.setSortColumn(clsSegmentRows::colCumTime);
        m_doc.sort(QStringLiteral("ASC"));
        rows->Filter(filter);
        m_doc.recalculate();
    });
}

// ---- a typed name not in the list ---------------------------------------------------------

void clsAthleteAssignment::dbgMain_ValueNotInList(int col, QString* text, bool* retry)
{
    if (col != colAthlete || !text || !retry)
        return;
    // The cell keeps its value; the question waits until the edit has ended,
    // which may be a focus change.
    *retry = false;
    if (m_asking)
        return;
    m_asking = true;
    m_typedName = *text;
    m_typedRow = m_grid->Bookmark();
    QTimer::singleShot(0, this, &clsAthleteAssignment::askNewAthlete_m);
}

void clsAthleteAssignment::askNewAthlete_m()
{
    // The question's own event loop may see the window go.
    const QPointer<clsAthleteAssignment> alive(this);
    guarded(Module, "dbgMain_ValueNotInList", [&] {
        const QString names = similarNames_m(m_typedName);
        const QString question = WindowServices::text(710, QStringLiteral("Athlete Not Found, Add?"), Value(names));
        const qint32 answer = showMessage(question, 51);
        if (!alive)
            return;
        if (answer != Yes) {
            // The cell never took the name: it gets back what it showed, and
            // the row keeps what else was typed into it.
            const Value row = m_grid->Bookmark();
            if (m_grid->EditActive() && m_grid->Col() == colAthlete && !row.isNullOrEmpty()
                && !m_typedRow.isNullOrEmpty() && row.toLong() == m_typedRow.toLong())
                m_grid->cancelCellEdit();
            return;
        }
        Recordset* rows = m_doc.rows();
        if (rows && !m_typedRow.isNullOrEmpty() && rows->viewRowOfBookmark(m_typedRow.toLong()) >= 0)
            m_grid->Bookmark(m_typedRow);
        const Value category = SelectedId(m_category);
        emit NewAthleteWanted(m_typedName, category.isNull() ? 0 : category.toLong());
    });
    if (alive)
        m_asking = false;
}

QString clsAthleteAssignment::similarNames_m(const QString& typed) const
{
    // The typed text is bound, never spliced: quotes and wildcards stay letters.
    const QString like = QStringLiteral(" LIKE ? ESCAPE '\\'");
    Recordset rs;
    rs.Open(*ado().Connection(),
            QStringLiteral("SELECT DISTINCT ") + AthleteName + QStringLiteral(" AS sAthlete FROM tblRoster WHERE ")
                + AthleteName + like + QStringLiteral(" OR sFirstName") + like + QStringLiteral(" OR sLastName") + like,
            {Value(containing(typed)), Value(containing(typed)), Value(containing(typed))}, Recordset::Mode::ReadOnly);
    if (rs.RecordCount() == 0)
        return QString();
    QString list = Crlf + Crlf;
    for (; !rs.IsEOF(); rs.MoveNext())
        list += rs.Fields(0).Value().asText() + Crlf;
    return list + Crlf;
}

// ---- the category -------------------------------------------------------------------------

void clsAthleteAssignment::cbolCategoryID_Validate(bool&)
{
    guarded(Module, "cbolCategoryID_Validate", [&] {
        ComboBox* cbo = m_category;
        Value category = SelectedId(cbo);
        if (!category.isNull() && m_roster && m_roster->IsOpen()) {
            QSet<qint32> linked;
            std::unique_ptr<Recordset> links;
            ado().SQLOpenRecordset_pl(links,
                                      QStringLiteral("SELECT lRosterID FROM tblRoster_Category WHERE lCategoryID = ")
                                          + QString::number(category.toLong()),
                                      clsAdoConnectJet::adOpenStatic, clsAdoConnectJet::adLockReadOnly);
            for (; !links->IsEOF(); links->MoveNext())
                linked.insert(links->Fields(0).Value().toLong());
            links->Close();
            QString names;
            QList<qint32> outside;
            std::unique_ptr<Recordset> athletes = m_roster->Clone();
            for (; !athletes->IsEOF(); athletes->MoveNext()) {
                const qint32 id = athletes->Fields(rosterId).Value().toLong();
                if (id != Placeholder && !linked.contains(id)) {
                    names += Crlf + athletes->Fields(rosterName).Value().asText();
                    outside << id;
                }
            }
            if (!outside.isEmpty()) {
                const QString question = WindowServices::text(
                    4160,
                    QStringLiteral("If you change the category, These Athletes will be changed to 'All Competitors' "
                                   "on this segment.  Continue?"),
                    Value(Crlf + Crlf + names + Crlf + Crlf));
                if (showMessage(question, 3) == Yes) {
                    // A move the close could not see would be lost.
                    if (moveToPlaceholder_m(outside) > 0)
                        m_doc.setDirty(true);
                } else {
                    category = m_listCategory;
                    cbo->ListIndex(
                        category.isNull()
                            ? -1
                            : app().ObjectHelper_Po()->CboBoxHelper_Po()->getListIndexOfItemData_pl(category, cbo));
                }
            }
        }
        m_grid->ReBind();
        RetrieveRoster_mf();
        MakeAthleteValueItems_m(category);
    });
}

int clsAthleteAssignment::moveToPlaceholder_m(const QList<qint32>& ids)
{
    Recordset* rows = m_doc.rows();
    if (!rows)
        return 0;
    m_grid->EditActive(false);
    int moved = 0;
    std::unique_ptr<Recordset> all = rows->Clone();
    for (; !all->IsEOF(); all->MoveNext()) {
        const Value id = all->Fields(colAthlete).Value();
        if (!id.isNullOrEmpty() && ids.contains(id.toLong())) {
            all->Fields(colAthlete).Value(Value(Placeholder));
            all->Update();
            ++moved;
        }
    }
    return moved;
}
