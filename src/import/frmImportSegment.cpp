#include "import/frmImportSegment.h"

#include "app/CallByName.h"
#include "app/ChildForms.h"
#include "app/DatabaseFault.h"
#include "app/WindowProc.h"
#include "app/WindowServices.h"
#include "app/clsActiveControl.h"
#include "app/clsFormSettings.h"
#include "app/clsGridSettings.h"
#include "app/clsStrings.h"
#include "app/clsThisApp.h"
#include "app/modapp.h"
#include "data/clsAdoConnectJet.h"
#include "data/clsBrSegment.h"
#include "import/ImportTexts.h"
#include "platform/AppError.h"
#include "platform/BusyCursor.h"
#include "platform/DataGrid.h"
#include "platform/DatePicker.h"
#include "platform/LocaleText.h"
#include "platform/Recordset.h"
#include "platform/Twips.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const char* const Module = "frmImportSegment";

const QString StagingSql =
    QStringLiteral("Select lSegmentID, lSegmentTypeID, lCategoryID, sSegmentLabel, dtImportDate, dtSegmentDate, "
                   "dtSegmentTime, mNotes, fSave FROM tblImportSegment");

// The staging columns between the key and the tick; each is a column of the
// segment record by the same name.
const QStringList& segmentColumns()
{
    static const QStringList names = {QStringLiteral("sSegmentLabel"),   QStringLiteral("dtImportDate"),
                                      QStringLiteral("dtSegmentDate"),   QStringLiteral("dtSegmentTime"),
                                      QStringLiteral("lSegmentTypeID"),  QStringLiteral("lCategoryID"),
                                      QStringLiteral("lRateTypeID"),     QStringLiteral("lSpeedTypeID"),
                                      QStringLiteral("lDistanceTypeID"), QStringLiteral("mNotes")};
    return names;
}

// Every kept segment's rows go to athlete 1, the placeholder athlete, in one
// statement per segment, in the watch's order: their keys keep it for the
// export, which has no ordinal column.
const QString CopyRowsSql = QStringLiteral(
    "INSERT INTO tblSegmentDetail (lSegmentID, lRosterId, sSegmentDetailLabel, lOrdinalPosition, dCumTime, "
    "dRate, dDistance, sComments) SELECT ?, 1, sSegmentDetailLabel, lOrdinalPosition, dCumTime, dRate, "
    "dDistance, sComments FROM tblImportSegmentDetail WHERE lSegmentID = ? ORDER BY lOrdinalPosition");

clsThisApp& app()
{
    clsThisApp* a = modapp::ThisApp();
    if (!a)
        AppError::raise(91, QStringLiteral("Object variable or With block variable not set"),
                        QString::fromLatin1(Module));
    return *a;
}

clsAdoConnectJet& database()
{
    clsAdoConnectJet* db = app().DatabaseAdo_Po();
    if (!db)
        AppError::raise(91, QStringLiteral("Object variable or With block variable not set"),
                        QString::fromLatin1(Module));
    return *db;
}

QString text(qint32 id, const QString& defaultText)
{
    app();  // 429 without an application object
    return WindowServices::text(id, defaultText);
}

// The grid shows and edits dates in the locale's short form, with four-digit
// years; it also takes year-month-day.
QStringList dateExamples()
{
    const QDate day(2024, 3, 5);
    QStringList forms{LocaleText::date(day), day.toString(Qt::ISODate)};
    forms.removeDuplicates();
    return forms;
}

// A typed date or time as the stored text, or "" for a text that is none:
// the cell stores exactly what was typed or refuses it.
QString typedDate(const QString& typed)
{
    const std::optional<QDate> d = LocaleText::readDate(typed);
    return d ? d->toString(Qt::ISODate) : QString();
}

QString typedTime(const QString& typed)
{
    // A date with a time is no time of day, though a time can be read out of it.
    if (QDateTime::fromString(typed, Qt::ISODate).isValid())
        return {};
    try {
        return Value(typed).toTime().toString(QStringLiteral("HH:mm:ss"));
    } catch (const AppError&) {
        return {};
    }
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

}  // namespace

frmImportSegment::frmImportSegment(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmImportSegment"));
    setWindowTitle(QStringLiteral("Imported Segments"));

    dbgMain = new DataGrid(this);
    dbgMain->setObjectName(QStringLiteral("dbgMain"));
    cmdSelectAll = button(this, "cmdSelectAll", QStringLiteral("Se&lect All"));
    cmdUnselectAll = button(this, "cmdUnselectAll", QStringLiteral("&Unselect All"));
    cmdSave = button(this, "cmdSave", QStringLiteral("&Save "));
    cmdCancel = button(this, "cmdCancel", QStringLiteral("&Cancel"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdSelectAll);
    buttons->addWidget(cmdUnselectAll);
    buttons->addStretch(1);
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdCancel);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(dbgMain, 1);
    outer->addLayout(buttons);

    buildGrid();

    connect(cmdSave, &QPushButton::clicked, this, &frmImportSegment::cmdSave_Click);
    connect(cmdSelectAll, &QPushButton::clicked, this, &frmImportSegment::cmdSelectAll_Click);
    connect(cmdUnselectAll, &QPushButton::clicked, this, &frmImportSegment::cmdUnselectAll_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmImportSegment::cmdCancel_Click);
    connect(dbgMain, &DataGrid::MouseUp, this, &frmImportSegment::dbgMain_MouseUp);
    connect(dbgMain, &DataGrid::GotFocus, this, &frmImportSegment::dbgMain_GotFocus);
    connect(dbgMain, &DataGrid::BeforeColUpdate, this, &frmImportSegment::dbgMain_BeforeColUpdate);

    Form_Load();
}

QSize frmImportSegment::minimumSizeHint() const
{
    return Twips::designSize(this, DesignWidth, DesignHeight, QWidget::minimumSizeHint());
}

// Wide enough to show every column of the grid, with room for its scroll bar;
// the main window keeps a new window within its area.
QSize frmImportSegment::sizeHint() const
{
    const QSize least = minimumSizeHint();
    const QMargins margins = layout() ? layout()->contentsMargins() : QMargins();
    const QHeaderView* rows = dbgMain->verticalHeader();
    const int grid = 2 * dbgMain->frameWidth() + (rows->isHidden() ? 0 : rows->sizeHint().width())
        + dbgMain->horizontalHeader()->length() + style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, dbgMain);
    return {std::max(least.width(), margins.left() + grid + margins.right()), least.height()};
}

frmImportSegment::~frmImportSegment()
{
    // The grid lets go of the record set before it goes.
    if (dbgMain)
        ignoringErrors([&] { dbgMain->DataSource(nullptr); });
}

void frmImportSegment::buildGrid()
{
    struct Design {
        const char* field;
        const char* caption;
    };
    static const Design columns[GridColumnCount] = {
        {"sSegmentLabel", "Segment"},
        {"lSegmentTypeID", "Segment Type"},
        {"lCategoryID", "Category"},
        {"dtImportDate", "Import Date"},
        {"dtSegmentDate", "Segment Date"},
        {"dtSegmentTime", "SegmentTime"},
        {"mNotes", "Notes"},
        {"fSave", "Save?"},
    };
    for (const Design& d : columns)
        dbgMain->AddColumn(QLatin1String(d.field), QLatin1String(d.caption));

    // The tick shows as a box; a click toggles it between -1 and 0.
    DataGridValueItems& save = dbgMain->Columns(colSave)->ValueItems();
    save.Add(Value(0), QStringLiteral("\u2610"));
    save.Add(Value(-1), QStringLiteral("\u2611"));
    save.Translate(true);
    save.Validate(true);
    save.Presentation(DataGridValueItems::CheckBox);
}

// ---- opening and closing ---------------------------------------------------

void frmImportSegment::Form_Load()
{
    guarded(Module, "Form_Load", [&] {
        setWindowTitle(text(3320, QStringLiteral("Imported Segments")));
        m_sortColumn = 0;
        m_sortOrder = QStringLiteral("ASC");

        clsAdoConnectJet& db = database();
        // Every staged segment starts kept, whatever an earlier review left.
        db.SQLExecute_pl(QStringLiteral("UPDATE tblImportSegment SET fSave = -1"));
        db.SQLOpenRecordset_pl(m_rs, StagingSql, clsAdoConnectJet::adOpenStatic, clsAdoConnectJet::adLockOptimistic);
        dbgMain->DataSource(m_rs.get());
        dbgMain->ReBind();

        if (clsGridSettings* grid = app().GridSettings_Po())
            grid->RestoreSettings_pf(this, dbgMain);
        MakeValueItems_M();
    });
}

void frmImportSegment::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    // Placing the window waits for its first showing, when it sits in its
    // sub-window, which is what moves.
    guarded(Module, "Form_Load", [&] {
        if (clsFormSettings* settings = app().FormSettings_Po())
            if (!settings->RestorePosition_pf(this, true))
                settings->CenterForm_p(this, WindowServices::frame());
    });
}

void frmImportSegment::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}

void frmImportSegment::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    clsThisApp* a = modapp::ThisApp();
    if (a) {
        ignoringErrors([&] {
            if (a->GridSettings_Po())
                a->GridSettings_Po()->SaveSettings_p(this, dbgMain);
        });
        ignoringErrors([&] {
            if (a->FormSettings_Po())
                a->FormSettings_Po()->SavePosition_p(this);
        });
        ignoringErrors([&] { a->setMenusAndButtonDefaults_g(); });
    }
    ignoringErrors([&] { dbgMain->DataSource(nullptr); });
    ignoringErrors([&] {
        if (m_rs)
            m_rs->Close();
    });
}

QWidget* frmImportSegment::openAfterDownload(const QDate& importDate)
{
    QWidget* review = ChildForms::create(QStringLiteral("frmImportSegment"));
    if (!review)
        review = new frmImportSegment;
    CallByName::call(review, "ImportDate_pdt", importDate);
    if (clsThisApp* a = modapp::ThisApp())
        CallByName::call(review, "FormRefresher_po", a->FormRefresher_po());
    if (WindowHost* main = WindowServices::host()) {
        main->ShowChild(review);
    } else {
        review->setAttribute(Qt::WA_DeleteOnClose);
        review->show();
    }
    return review;
}

// ---- members other windows call -------------------------------------------

void frmImportSegment::FormRefresher_po(clsFormRefresher* refresher)
{
    clsFormRefresher::Hold(moFormRefresher, refresher, this, &frmImportSegment::moFormRefresher_RefreshRequested);
}

MenuRow frmImportSegment::menuRow()
{
    return MenuRow(QStringList{
        QStringLiteral("mnuEditUndo"), QStringLiteral("mnuSortAscending"), QStringLiteral("mnuSortContext"),
        QStringLiteral("mnuSortDescending"), QStringLiteral("mnuViewSearchSegments"), QStringLiteral("mnuViewRoster"),
        QStringLiteral("mnuViewEvents"), QStringLiteral("mnuViewSegCategory"), QStringLiteral("mnuViewSegType")});
}

void frmImportSegment::Form_Activate()
{
    guarded(Module, "Form_Activate", [&] { SetStatusOfMdiMenus_Pf(); });
}

void frmImportSegment::SetStatusOfMdiMenus_Pf()
{
    guarded(Module, "SetStatusOfMdiMenus_Pf", [&] {
        if (WindowHost* main = WindowServices::host())
            main->applyMenuRow(menuRow());
    });
}

void frmImportSegment::ImportDate_pdt(const QDate& importDate)
{
    guarded(Module, "ImportDate_pdt", [&] { m_importDate = importDate; });
}

void frmImportSegment::SetOrder_P(const QString& order)
{
    withErrorSource(QStringLiteral("SetOrder_P"), [&] {
        clsThisApp& a = app();
        a.SysCmd_g(4, text(690, QStringLiteral("Sorting")));
        if (!m_rs || !m_rs->IsOpen())
            AppError::raise(3704, AppError::standardDescription(3704));
        // The chosen column's own field, not the field at the column's index.
        const int column = (m_sortColumn >= 0 && m_sortColumn < dbgMain->ColumnCount()) ? m_sortColumn : 0;
        const QString field = dbgMain->Columns(column)->DataField();
        const bool ascending = order.compare(QLatin1String("ASC"), Qt::CaseInsensitive) == 0;
        m_rs->Sort(ascending ? field : field + QStringLiteral(" DESC"));
        m_sortOrder = order;
        a.SysCmd_g(1);
    });
}

void frmImportSegment::SelectAllRows_p()
{
    withErrorSource(QStringLiteral("SelectAllRows_p"), [&] {
        if (!m_rs || !m_rs->IsOpen())
            return;
        DataGridSelBookmarks& selected = dbgMain->SelBookmarks();
        // The grid shows the record set's own order: walk that view, not a clone's.
        for (int row = 0; row < m_rs->RecordCount(); ++row)
            selected.Add(Value(m_rs->bookmarkAt(row)));
    });
}

// ---- value lists and refresh -----------------------------------------------

void frmImportSegment::MakeValueItems_M()
{
    guarded(Module, "MakeValueItems_M", [&] {
        struct List {
            int column;
            const char* sql;
        };
        static const List lists[] = {
            {colCategory, "SELECT lCategoryId, sCategory FROM tblCategory"},
            {colSegmentType, "SELECT lSegmentTypeId, sSegmentType FROM tblSegmentType"},
        };
        clsAdoConnectJet& db = database();
        for (const List& l : lists) {
            DataGridValueItems& items = dbgMain->Columns(l.column)->ValueItems();
            items.Clear();
            Recordset rs;
            db.SQLOpenRecordset_pl(rs, QLatin1String(l.sql), clsAdoConnectJet::adOpenStatic,
                                   clsAdoConnectJet::adLockReadOnly);
            for (; !rs.IsEOF(); rs.MoveNext())
                items.Add(rs.Fields(0).Value(), rs.Fields(1).Value().asText());
            rs.Close();
            items.Translate(true);
            items.Validate(true);
            items.Presentation(DataGridValueItems::ComboBox);
        }
        dbgMain->Refresh();
    });
}

void frmImportSegment::moFormRefresher_RefreshRequested(qint32, const QVariant&)
{
    // A slot of the broker's signal: its errors end here, never in the sender's emit.
    guarded(Module, "moFormRefresher_RefreshRequested", [&] {
        MakeValueItems_M();
        if (m_rs && m_rs->IsOpen())
            m_rs->Requery();
    });
}

// ---- keep all, keep none, pop-up, focus ---------------------------------------

bool frmImportSegment::flushGridEdits()
{
    if (!dbgMain->commitPendingEdit())
        return false;
    dbgMain->Update();
    return true;
}

void frmImportSegment::setAllTicks(bool keep)
{
    // A tick just clicked must not be written over the new state later.
    flushGridEdits();
    database().SQLExecute_pl(keep ? QStringLiteral("UPDATE tblImportSegment SET fSave = -1")
                                  : QStringLiteral("UPDATE tblImportSegment SET fSave = 0"));
    if (m_rs && m_rs->IsOpen())
        m_rs->Requery();
}

void frmImportSegment::cmdSelectAll_Click()
{
    guarded(Module, "cmdSelectAll_Click", [&] { setAllTicks(true); });
}

void frmImportSegment::cmdUnselectAll_Click()
{
    guarded(Module, "cmdUnselectAll_Click", [&] { setAllTicks(false); });
}

void frmImportSegment::cmdCancel_Click() { close(); }

void frmImportSegment::dbgMain_MouseUp(int button, int, int x, int y)
{
    guarded(Module, "dbgMain_MouseUp", [&] {
        if (button != 2)
            return;
        const int start = dbgMain->SelStartCol();
        if (start < 0 || start != dbgMain->SelEndCol())
            return;
        m_sortColumn = start;
        if (WindowHost* main = WindowServices::host())
            if (QMenu* menu = main->SortContextMenu())
                menu->popup(dbgMain->mapToGlobal(QPoint(x, y)));
        dbgMain->ClearSelCols();
    });
}

void frmImportSegment::dbgMain_BeforeColUpdate(int column, const Value&, bool* cancel)
{
    guarded(Module, "dbgMain_BeforeColUpdate", [&] {
        const bool isTime = column == colSegmentTime;
        if (!isTime && column != colImportDate && column != colSegmentDate)
            return;
        DataGridColumn* c = dbgMain->Columns(column);
        const QString typed = c->Text().trimmed();
        if (typed.isEmpty())
            return;  // an empty cell holds no date
        const QString stored = isTime ? typedTime(typed) : typedDate(typed);
        if (!stored.isEmpty()) {
            c->Text(stored);
            return;
        }
        // The typed text stays in its cell to be put right.
        *cancel = true;
        const QString why = isTime ? ImportTexts::notATime(c->Caption(), Value(QTime(14, 5, 30)).asText(), typed)
                                   : ImportTexts::notADate(c->Caption(), dateExamples(), typed);
        dbgMain->showAfterCommit(
            [why] { guarded(Module, "dbgMain_BeforeColUpdate", [&] { WindowServices::showMessage(why, 48); }); });
    });
}

void frmImportSegment::dbgMain_GotFocus()
{
    guarded(Module, "dbgMain_GotFocus", [&] {
        if (clsActiveControl* tracker = app().ActiveControl_Po())
            tracker->Control_Pobj(dbgMain);
    });
}

// ---- save -------------------------------------------------------------------

void frmImportSegment::saveKeptSegments()
{
    clsAdoConnectJet& db = database();
    clsBrSegment segment;
    bool open = false;
    try {
        db.BeginTrans_pf();
        open = true;
        Recordset kept;
        db.SQLOpenRecordset_pl(
            kept,
            QStringLiteral("SELECT lSegmentID, ") + segmentColumns().join(QStringLiteral(", "))
                + QStringLiteral(", fSave FROM tblImportSegment WHERE fSave <> 0 ORDER BY lSegmentID"),
            clsAdoConnectJet::adOpenStatic, clsAdoConnectJet::adLockReadOnly);
        for (; !kept.IsEOF(); kept.MoveNext()) {
            segment.DatabaseConnection = &db;
            segment.Clear_pf();
            for (const QString& name : segmentColumns())
                segment.Fields(name, kept.Fields(name).Value());
            segment.lSegmentID(Value::null());
            if (!segment.Save_pf()) {
                QString message = text(4100, QStringLiteral("Error saving, aborting save."));
                message.replace(QLatin1Char('|'), QStringLiteral("Segment Detail"));
                AppError::raise(4100, message, QStringLiteral("frmImportSegment.cmdSave_Click"));
            }
            db.SQLExecute_pl(CopyRowsSql, {segment.lSegmentID(), kept.Fields(QStringLiteral("lSegmentID")).Value()});
        }
        kept.Close();
        db.CommitTrans_pf();
        open = false;
    } catch (...) {
        if (open)
            ignoringErrors([&] { db.Rollback_pf(); });
        // The rolled-back insert's key names no row: the next try inserts anew.
        segment.ForgetKey_p();
        throw;
    }
}

void frmImportSegment::openSegmentList()
{
    QWidget* list = ChildForms::create(QStringLiteral("frmSegmentList"));
    if (!list)
        return;
    QPointer<QWidget> guard(list);
    try {
        CallByName::call(list, "FormRefresher_po", app().FormRefresher_po());
        if (WindowHost* main = WindowServices::host()) {
            main->ShowChild(list);
        } else {
            list->setAttribute(Qt::WA_DeleteOnClose);
            list->show();
        }
    } catch (...) {
        // Never shown: nobody else owns it.
        if (guard && !guard->isVisible())
            delete guard.data();
        throw;
    }
    const Value day = m_importDate.isValid() ? Value(m_importDate) : Value::null();
    for (const char* name : {"dtpImportDateFrom", "dtpImportDateTo"}) {
        auto* picker = list->findChild<DatePicker*>(QLatin1String(name));
        if (!picker)
            CallByName::notSupported(list, name);
        picker->Value(day);
    }
    CallByName::call(list, "Search_p");
}

void frmImportSegment::cmdSave_Click()
{
    bool committed = false;
    guarded(Module, "cmdSave_Click", [&] {
        if (m_saved)
            return;
        // A refused cell edit stays for the user to fix; the save waits.
        if (!flushGridEdits())
            return;
        {
            BusyCursor busy;
            if (!DatabaseFault::saying(text(4189, QStringLiteral("The downloaded segments could not be saved")),
                                       [&] { saveKeptSegments(); }))
                return;  // said in words; the review stays for another try
        }
        committed = true;
        m_saved = true;
        cmdSave->setEnabled(false);
        openSegmentList();
    });
    // After the commit the review is done, even when the list failed to open:
    // a second save would store the same segments again.
    if (committed)
        close();
}
