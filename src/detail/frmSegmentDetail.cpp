#include "detail/frmSegmentDetail.h"

#include "app/DatabaseFault.h"
#include "app/TimeBox.h"
#include "app/WindowProc.h"
#include "app/WindowServices.h"
#include "app/clsActiveControl.h"
#include "app/clsCboBoxHelper.h"
#include "app/clsFamily.h"
#include "app/clsFormRefresher.h"
#include "app/clsHourglass.h"
#include "app/clsObjectHelpers.h"
#include "app/modlib.h"
#include "data/clsAdoConnectJet.h"
#include "detail/clsAthleteAssignment.h"
#include "detail/clsDetailGridCommands.h"
#include "detail/clsDetailMenuRow.h"
#include "detail/clsDetailReferenceFields.h"
#include "detail/clsDetailRowEditor.h"
#include "detail/clsSegmentDetailControls.h"
#include "detail/clsSegmentDocument.h"
#include "detail/clsSegmentHeader.h"
#include "detail/clsSegmentRows.h"
#include "detail/clsSegmentUnits.h"
#include "detail/clsSegmentWriter.h"
#include "platform/AppError.h"
#include "platform/ComboBox.h"
#include "platform/DataGrid.h"
#include "platform/DatePicker.h"
#include "platform/Recordset.h"
#include "platform/Twips.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTabWidget>

namespace {
const char* const Module = "frmSegmentDetail";
const QString Crlf = QStringLiteral("\r\n");

using WindowServices::app;
using WindowServices::showMessage;
using WindowServices::StatusCleared;
using WindowServices::sysCmd;

clsAdoConnectJet& ado() { return *app().DatabaseAdo_Po(); }

clsCboBoxHelper& combos() { return *app().ObjectHelper_Po()->CboBoxHelper_Po(); }

const char* const CategorySql = "Select lCategoryId, sCategory FROM tblCategory ORDER BY sCategory COLLATE LOCALE";
const char* const EventSql = "Select lEventId, sEvent from tblEvent ORDER BY sEvent COLLATE LOCALE";
const char* const SegmentTypeSql =
    "Select lSegmentTypeId, sSegmentType FROM tblSegmentType ORDER BY sSegmentType COLLATE LOCALE";
}  // namespace

frmSegmentDetail::frmSegmentDetail(QWidget* parent) : QWidget(parent)
{
    setObjectName(QString::fromLatin1(Module));
    m_doc = new clsSegmentDocument(ado(), *app().Strings_po(), this);
    buildControls_m();
    connectDocument_m();
    connectRowCommands_m();
    Form_Load();
    m_athletes = std::make_unique<clsAthleteAssignment>(*m_doc, dbgMain, dbgRosterForDetail, cbolCategoryID);
    clsDetailReferenceFields::Controls controls{
        txtsSegmentLabel, txtdtSegmentTime,   txtmNotes,       cbolCategoryID,        cbolEventId, cbolSegmentTypeID,
        chkfReviewed,     cmdDetailsCategory, cmdDetailsEvent, cmdDetailsSegmentType, dbgMain};
    m_referenceFields = std::make_unique<clsDetailReferenceFields>(
        *m_doc, controls, *m_athletes, this, [this] { return m_family.get(); },
        [this] { return moFormRefresher.data(); });
    // A name typed into a row that no athlete has may become a new athlete.
    connect(m_athletes.get(), &clsAthleteAssignment::NewAthleteWanted, this,
            [this](const QString& name, qint32 category) { NewAthlete_M(name, category); });
}

void frmSegmentDetail::connectDocument_m()
{
    // The grid shows the document's rows as they are now.
    connect(m_doc, &clsSegmentDocument::rowsAboutToChange, this, [this] { dbgMain->EditActive(false); });
    connect(m_doc, &clsSegmentDocument::rowsReplaced, this, [this] { dbgMain->DataSource(m_doc->rows()); });
    connect(m_doc, &clsSegmentDocument::rowsChanged, this, [this] { dbgMain->ReBind(); });
    connect(m_doc, &clsSegmentDocument::headersChanged, this, &frmSegmentDetail::RefreshGridHeaders_m);
}

Recordset* frmSegmentDetail::DataSource_Po() const { return m_doc->rows(); }
bool frmSegmentDetail::Dirty_pf() const { return m_doc->dirty(); }
clsBrSegment& frmSegmentDetail::segment() { return m_doc->segment(); }
qint32 frmSegmentDetail::sortColumn() const { return m_doc->sortColumn(); }

QSize frmSegmentDetail::minimumSizeHint() const
{
    return Twips::designSize(this, DesignWidth, DesignHeight, QWidget::minimumSizeHint());
}

QSize frmSegmentDetail::sizeHint() const { return minimumSizeHint(); }

frmSegmentDetail::~frmSegmentDetail()
{
    // The focus leaves the controls while QWidget takes the window down, when
    // this class is gone: their handlers must not run then.
    for (QObject* child : findChildren<QObject*>())
        disconnect(child, nullptr, this, nullptr);
    // The family's windows go with this one; the grid lets go of the rows first.
    ignoringErrors([&] { m_family.reset(); });
    if (dbgMain)
        dbgMain->DataSource(nullptr);
}

QString frmSegmentDetail::text_m(qint32 id, const QString& defaultText) const
{
    return WindowServices::text(id, defaultText, Value("Segment Detail"));
}

// ---- controls ------------------------------------------------------------------

void frmSegmentDetail::buildControls_m()
{
    m_body = clsSegmentDetailControls::Build_p(*this);

    connect(cmdSave, &QPushButton::clicked, this, &frmSegmentDetail::cmdSave_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmSegmentDetail::cmdClose_Click);
    connect(dtpdtImportDate, &DatePicker::GotFocus, this, &frmSegmentDetail::dtpdtImportDate_GotFocus);
    connect(dtpdtSegmentDate, &DatePicker::GotFocus, this, &frmSegmentDetail::dtpdtSegmentDate_GotFocus);
    connect(dbgMain, &DataGrid::GotFocus, this, &frmSegmentDetail::dbgMain_GotFocus);
    connect(dbgMain, &DataGrid::LostFocus, this, &frmSegmentDetail::dbgMain_LostFocus);

    // Key preview, for the Delete key.
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
}

void frmSegmentDetail::recordActiveControl_m(QWidget* control)
{
    // Edit, Undo puts back what the control held when it got the focus.
    if (auto* a = modapp::ThisApp())
        if (auto* tracker = a->ActiveControl_Po())
            tracker->Control_Pobj(control);
}

void frmSegmentDetail::dtpdtImportDate_GotFocus()
{
    guarded(Module, "dtpdtImportDate_GotFocus", [&] { recordActiveControl_m(dtpdtImportDate); });
}

void frmSegmentDetail::dtpdtSegmentDate_GotFocus()
{
    guarded(Module, "dtpdtSegmentDate_GotFocus", [&] { recordActiveControl_m(dtpdtSegmentDate); });
}

void frmSegmentDetail::dbgMain_GotFocus()
{
    guarded(Module, "dbgMain_GotFocus", [&] { recordActiveControl_m(dbgMain); });
}

void frmSegmentDetail::dbgMain_LostFocus()
{
    ignoringErrors([&] { dbgMain->EditActive(false); });
}

bool frmSegmentDetail::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete)
        Form_KeyDown(46, qobject_cast<QWidget*>(watched));
    return QWidget::eventFilter(watched, event);
}

void frmSegmentDetail::Form_KeyDown(int keyCode, const QWidget* active)
{
    if (keyCode != 46)
        return;
    const bool onRows = active && (active == dbgMain || dbgMain->isAncestorOf(active) || active == cmdDeleteRow);
    // The key still reaches the control.
    if (onRows && !dbgMain->EditActive() && dbgMain->SelBookmarks().Count() > 0)
        cmdDeleteRow->click();
}

// ---- loading -------------------------------------------------------------------

void frmSegmentDetail::Form_Load()
{
    guarded(Module, "Form_Load", [&] {
        setWindowIcon(QIcon());
        setWindowTitle(text_m(3330, QStringLiteral("Segment Detail")));
        InitializeGrid_mf();
        // The lists come from the database: a failure is the opening's, which says it once.
        try {
            fillCombo_m(cbolCategoryID, CategorySql);
            fillCombo_m(cbolEventId, EventSql);
            fillCombo_m(cbolSegmentTypeID, SegmentTypeSql);
        } catch (const AppError& e) {
            m_loadFault = e;
        }
        InitializeBusinessRule_m();
        CheckMenuItems_m();
        // The windows opened from this one; it is not one of them, since
        // releasing the family must not close the window that releases it.
        m_family = std::make_unique<clsFamily>();
    });
}

void frmSegmentDetail::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_resizedOnce)
        return;
    m_resizedOnce = true;
    // The frame exists only once the main window shows the window; it opens
    // wide enough for every column, and the first time as large as the area
    // lets it, for the rows.
    clsFormSettings::FitColumns_p(this, dbgMain);
    guarded(Module, "Form_Load", [&] {
        if (!WindowServices::restorePosition(this, WindowServices::frame()))
            clsFormSettings::FillRoom_p(this);
    });
}

bool frmSegmentDetail::InitializeGrid_mf()
{
    bool ok = false;
    guarded(Module, "InitializeGrid_mf", [&] {
        WindowServices::restoreGrid(this, dbgMain);
        for (int c : {0, 1, 2, 4, 7}) {
            DataGridColumn* column = dbgMain->Columns(c);
            column->Visible(false);
            column->AllowFocus(false);
            column->Button(false);
        }
        ok = true;
    });
    return ok;
}

void frmSegmentDetail::fillCombo_m(ComboBox* cbo, const char* sql)
{
    std::unique_ptr<Recordset> rs;
    ado().SQLOpenRecordset_pl(rs, QString::fromLatin1(sql), clsAdoConnectJet::adOpenStatic,
                              clsAdoConnectJet::adLockReadOnly);
    combos().ADORecordSetToComboBox(*rs, cbo, Value(1), Value(0));
    rs->Close();
}

bool frmSegmentDetail::initCombo_mf(const char* proc, ComboBox* cbo, const char* sql)
{
    bool ok = false;
    guarded(Module, proc, [&] {
        fillCombo_m(cbo, sql);
        ok = true;
    });
    return ok;
}

bool frmSegmentDetail::InitializeCboCategory_mf()
{
    return initCombo_mf("InitializeCboCategory_mf", cbolCategoryID, CategorySql);
}

bool frmSegmentDetail::InitializeCboEvent_mf() { return initCombo_mf("InitializeCboEvent_mf", cbolEventId, EventSql); }

bool frmSegmentDetail::InitializeCboSegmentType_mf()
{
    return initCombo_mf("InitializeCboSegmentType_mf", cbolSegmentTypeID, SegmentTypeSql);
}

void frmSegmentDetail::InitializeBusinessRule_m() { m_header.Bind_p(m_body); }

void frmSegmentDetail::CheckMenuItems_m()
{
    WindowHost* main = WindowServices::host();
    if (!main)
        return;
    const auto checked = [main](const char* item) {
        QAction* a = main->MenuItem(QString::fromLatin1(item));
        return !a || a->isChecked();
    };
    SetGridColumns_p(10, checked("mnuViewDistanceSpeed"));
    SetGridColumns_p(11, checked("mnuViewDistanceSpeed"));
    SetGridColumns_p(9, checked("mnuViewDiPS"));
    SetGridColumns_p(13, checked("mnuViewComments"));
}

void frmSegmentDetail::SetGridColumns_p(qint32 column, bool visible)
{
    withErrorSource(QStringLiteral("SetGridColumns_p"), [&] {
        DataGridColumn* c = dbgMain->Columns(column);
        c->Visible(visible);
        c->AllowFocus(visible);
    });
}

// ---- the segment record and the header -------------------------------------------

void frmSegmentDetail::SetEditFieldValues_m() { m_header.TakeLoadedValues_p(m_doc->segment()); }

bool frmSegmentDetail::UpdateDisplay_mf()
{
    bool ok = false;
    guarded(Module, "UpdateDisplay_mf", [&] {
        m_header.Show_p(m_doc->segment(), combos());
        ok = true;
    });
    return ok;
}

bool frmSegmentDetail::SetObjAndCheckForDirty_mf(bool* failed)
{
    bool changed = false;
    bool ok = false;
    guarded(Module, "SetObjAndCheckForDirty_mf", [&] {
        // A refused cell keeps its editor, and its window stays as it is:
        // its box says why, once.
        if (!dbgMain->commitPendingEdit())
            return;
        // A time the box cannot read is said in words, once, and nothing is taken.
        if (!txtdtSegmentTime->text().isEmpty() && !TimeBox::read(txtdtSegmentTime->text()).isValid()) {
            showMessage(text_m(631, QStringLiteral("You have not entered a valid time")), 0);
            txtdtSegmentTime->setFocus();
            return;
        }
        m_referenceFields->UnaddedNamesBack_p();
        changed = m_header.CopyAndCompare_pf(m_doc->segment());
        ok = true;
    });
    if (failed)
        *failed = !ok;
    return ok && (changed || m_doc->dirty());
}

// ---- retrieving ----------------------------------------------------------------------

qint32 frmSegmentDetail::SegmentID_pl() const { return m_doc->segmentID(); }

bool frmSegmentDetail::load_mf(const char* proc, const std::function<bool()>& steps)
{
    bool ok = false;
    const auto commands = [this](bool on) {
        for (QPushButton* b : {cmdSave, cmdAddRate, cmdAddTime, cmdDeleteRow, cmdPrintGrid})
            b->setEnabled(on);
    };
    // Half a segment is none: before anything is said, the window keeps
    // nothing it could save over the stored one.
    const auto nothingLoaded = [&] {
        ignoringErrors([&] { m_doc->clear(); });
        commands(false);
    };
    guarded(Module, proc, [&] {
        clsHourglass busy;
        StatusCleared cleared;
        DatabaseFault::saying(text_m(4195, QStringLiteral("The segment could not be opened")), [&] {
            try {
                if (m_loadFault)
                    throw *m_loadFault;
                ok = steps();
            } catch (...) {
                nothingLoaded();
                throw;
            }
        });
    });
    if (ok)
        commands(true);
    else
        nothingLoaded();
    menusAfterLoad_m();
    return ok;
}

bool frmSegmentDetail::Retrieve_pf(qint32 segmentID)
{
    return load_mf("Retrieve_pf", [&] {
        sysCmd(4, QStringLiteral("Retrieving record.."));
        // The document takes a Null category, event or type as the
        // placeholder the window shows before the loaded values are taken:
        // it is no change of the user's.
        if (!m_doc->retrieve(segmentID)) {
            showMessage(QStringLiteral("Unable to retrieve requested record."), 48);
            return false;
        }
        SetEditFieldValues_m();
        m_athletes->Load_p(m_doc->segment().lCategoryID());
        if (!UpdateDisplay_mf()) {
            showMessage(QStringLiteral("Unable to display the requested record"), 0);
            return false;
        }
        m_doc->setDirty(false);
        return true;
    });
}

bool frmSegmentDetail::NewRecord_Pf()
{
    if (parentWidget())
        show();
    return load_mf("NewRecord_Pf", [&] {
        sysCmd(4, QStringLiteral("Preparing record.."));
        m_doc->newSegment(QDate::currentDate(), QTime::currentTime());
        SetEditFieldValues_m();
        // After the loaded values: a new segment always counts as changed.
        m_doc->defaultReferences();
        if (!UpdateDisplay_mf()) {
            showMessage(QStringLiteral("Unable to display the requested record"), 0);
            return false;
        }
        m_athletes->Load_p(Value(1));
        return true;
    });
}

double frmSegmentDetail::getCumPrevious_md(Recordset& rows)
{
    return withErrorSource(QStringLiteral("frmSegmentDetail.getCumPrevious_md"),
                           [&] { return clsSegmentRows::CumPrevious_d(rows); });
}

double frmSegmentDetail::getCumNext_md(Recordset& rows)
{
    return withErrorSource(QStringLiteral("frmSegmentDetail.getCumNext_md"),
                           [&] { return clsSegmentRows::CumNext_d(rows); });
}

double frmSegmentDetail::getDistanceNext_md(Recordset& rows)
{
    return withErrorSource(QStringLiteral("frmSegmentDetail.getDistanceNext_md"),
                           [&] { return clsSegmentRows::DistanceNext_d(rows); });
}

void frmSegmentDetail::SetOrder_P(const QString& order)
{
    guarded(Module, "SetOrder_P", [&] {
        StatusCleared cleared;
        sysCmd(4, WindowServices::text(690, QStringLiteral("Sorting")));
        if (m_doc->sortColumn() < 0)
            m_doc->setSortColumn(dbgMain->Col());
        m_doc->sort(order);
    });
}

// ---- row editing and the grid commands -----------------------------------------------

void frmSegmentDetail::connectRowCommands_m()
{
    m_rowEditor = new clsDetailRowEditor(*m_doc, dbgMain, ssTab1, this);
    m_gridCommands = std::make_unique<clsDetailGridCommands>(*m_doc, dbgMain, *m_rowEditor, [this] {
        clsDetailGridCommands::PrintHeader header;
        header.label = txtsSegmentLabel->text();
        header.segmentDate = dtpdtSegmentDate->Value().asText();
        header.importDate = dtpdtImportDate->Value().asText();
        header.event = cbolEventId->Text();
        header.segmentType = cbolSegmentTypeID->Text();
        header.category = cbolCategoryID->Text();
        header.note = text_m(1100, QString());
        header.today = Value(QDate::currentDate()).asText();
        header.caption = windowTitle();
        return header;
    });
    clsDetailRowEditor* rows = m_rowEditor;
    connect(dbgMain, &DataGrid::BeforeColUpdate, rows, &clsDetailRowEditor::dbgMain_BeforeColUpdate);
    connect(dbgMain, &DataGrid::AfterColEdit, rows, &clsDetailRowEditor::dbgMain_AfterColEdit);
    connect(dbgMain, &DataGrid::AfterUpdate, rows, &clsDetailRowEditor::dbgMain_AfterUpdate);
    connect(dbgRosterForDetail, &DataGrid::GotFocus, this, [this] {
        guarded(Module, "dbgRosterForDetail_GotFocus", [&] { recordActiveControl_m(dbgRosterForDetail); });
    });
    // An athlete typed, filled, cleared or deleted changes the checklist.
    connect(rows, &clsDetailRowEditor::AthletesChanged, this, [this] { RetrieveRoster_mf(); });
    connect(cmdAddTime, &QPushButton::clicked, this,
            [this, rows] { m_gridCommands->AddRow_p([rows] { rows->cmdAddTime_Click(); }); });
    connect(cmdAddRate, &QPushButton::clicked, this,
            [this, rows] { m_gridCommands->AddRow_p([rows] { rows->cmdAddRate_Click(); }); });
    connect(cmdDeleteRow, &QPushButton::clicked, rows, &clsDetailRowEditor::cmdDeleteRow_Click);
    connect(cmdPrintGrid, &QPushButton::clicked, this, [this] { m_gridCommands->cmdPrintGrid_Click(); });
    connect(dbgMain, &DataGrid::HeadClick, this, [this](int column) { m_gridCommands->dbgMain_HeadClick(column); });
    connect(dbgMain, &DataGrid::MouseUp, this,
            [this](int button, int shift, int x, int y) { m_gridCommands->dbgMain_MouseUp(button, shift, x, y); });
    // The menus follow the page the user sees.
    connect(ssTab1, &QTabWidget::currentChanged, this, [this] { menusAfterLoad_m(); });
    dbgMain->AllowUpdate(true);
    for (QPushButton* b : {cmdAddRate, cmdAddTime, cmdDeleteRow, cmdPrintGrid})
        b->setEnabled(true);
}

void frmSegmentDetail::SelectAllRows_p() { m_gridCommands->SelectAllRows_p(); }
void frmSegmentDetail::deleteRows_p() { m_rowEditor->deleteRows_p(); }
void frmSegmentDetail::ClearSelection_p() { m_rowEditor->ClearSelection_p(); }
bool frmSegmentDetail::FillDown_pf() { return m_gridCommands->FillDown_pf(); }
void frmSegmentDetail::Print_P(bool preview) { m_gridCommands->Print_P(preview); }
void frmSegmentDetail::PageSetup_P() { m_gridCommands->PageSetup_P(); }

// ---- units -----------------------------------------------------------------------------

void frmSegmentDetail::RefreshGridHeaders_m()
{
    guarded(Module, "RefreshGridHeaders_m", [&] {
        const clsSegmentUnits::Headers h = m_doc->headers();
        // A unit without a row keeps the caption the column has.
        const std::pair<int, const std::optional<QString>*> captions[] = {{clsSegmentRows::colRateDisplay, &h.rate},
                                                                          {clsSegmentRows::colSpeed, &h.speed},
                                                                          {clsSegmentRows::colDistance, &h.distance},
                                                                          {clsSegmentRows::colDips, &h.dips}};
        for (const auto& [column, text] : captions)
            if (*text)
                dbgMain->Columns(column)->Caption(**text);
    });
}

void frmSegmentDetail::SetSpeedType_p(qint32 speedTypeID)
{
    guarded(Module, "SetSpeedType_p", [&] { m_doc->setSpeedType(speedTypeID); });
}

void frmSegmentDetail::SetDistanceType_p(qint32 distanceTypeID)
{
    guarded(Module, "SetDistanceType_p", [&] { m_doc->setDistanceType(distanceTypeID); });
}

void frmSegmentDetail::SetRateType_p(qint32 rateTypeID)
{
    guarded(Module, "SetRateType_p", [&] { m_doc->setRateType(rateTypeID); });
}

// ---- saving ------------------------------------------------------------------------------

void frmSegmentDetail::cmdSave_Click()
{
    guarded(Module, "cmdSave_Click", [&] {
        if (!m_doc->loaded() || !Validate_mf())
            return;
        if (SetObjAndCheckForDirty_mf())
            Save_mf();
    });
}

bool frmSegmentDetail::Validate_mf()
{
    // A typed date that is no date holds the window as a refused cell does:
    // said once, while the window stands, the field keeping the text.
    for (DatePicker* picker : {dtpdtSegmentDate, dtpdtImportDate})
        if (!picker->commitTyped())
            return false;
    QString missing;
    // Blanks alone make no label: the record would keep an empty one.
    if (TrimSpaces_gs(txtsSegmentLabel->text()).isEmpty())
        missing += QStringLiteral("Segment Label") + Crlf;
    if (!dtpdtSegmentDate->Value().isDateLike())
        missing += QStringLiteral("Segment Date") + Crlf;
    if (!dtpdtImportDate->Value().isDateLike())
        missing += QStringLiteral("Import Date") + Crlf;
    for (ComboBox* cbo : {cbolCategoryID, cbolEventId, cbolSegmentTypeID})
        if (cbo->Text().isEmpty())
            cbo->ListIndex(combos().getListIndexOfItemData_pl(Value(1), cbo));
    if (missing.isEmpty())
        return true;
    showMessage(QStringLiteral("The following fields are required:") + Crlf + Crlf + missing, 48);
    return false;
}

bool frmSegmentDetail::Save_mf()
{
    bool saved = false;
    guarded(Module, "Save_mf", [&] {
        clsHourglass busy;
        StatusCleared cleared;
        sysCmd(4, text_m(680, QStringLiteral("Saving ..")));
        bool changedElsewhere = false;
        try {
            const QString failure = text_m(4100, QStringLiteral("Error saving, aborting save."));
            const QString gone = text_m(4105,
                                        QStringLiteral("This segment was deleted in another window, so nothing "
                                                       "was saved. Its rows are still here: copy what you need "
                                                       "before you close the window."));
            if (!DatabaseFault::saying(text_m(4187, QStringLiteral("The segment could not be saved")),
                                       [&] { changedElsewhere = m_doc->save(failure, gone); }))
                return;  // said in words; the window stays changed
        } catch (const AppError& e) {
            // Said once, in words; the window keeps its edits and stays changed.
            if (e.number() != clsSegmentWriter::SegmentGone)
                throw;
            showMessage(e.description(), 48);
            return;
        }
        SetEditFieldValues_m();
        saved = true;
        if (moFormRefresher)
            moFormRefresher->SendRefreshRequest_p(clsFormRefresher::rtSegmentDetail, SegmentID_pl());
        if (changedElsewhere)
            showMessage(text_m(4200,
                               QStringLiteral("This segment had been changed elsewhere since it was opened. "
                                              "Its rows are now stored as this window shows them.")),
                        48);
    });
    return saved;
}

// ---- closing -------------------------------------------------------------------------------

void frmSegmentDetail::cmdClose_Click()
{
    guarded(Module, "cmdClose_Click", [&] {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
            sub->close();
        else
            close();
    });
}

bool frmSegmentDetail::QueryUnload_pf() { return Form_QueryUnload(); }

bool frmSegmentDetail::Form_QueryUnload()
{
    bool mayClose = false;
    guarded(Module, "Form_QueryUnload", [&] {
        // The reference windows opened from here go first, whatever follows;
        // any opened later belong to a new family.
        m_family = std::make_unique<clsFamily>();
        if (!m_doc->loaded()) {
            mayClose = true;  // no segment shown: nothing to lose
            return;
        }
        if (!Validate_mf())
            return;
        bool failed = false;
        const bool changed = SetObjAndCheckForDirty_mf(&failed);
        if (failed)
            return;  // the edits stay on screen
        if (changed) {
            const qint32 answer = showMessage(text_m(520, QStringLiteral("Save Modified Record?")), 35);
            if (answer == 6) {
                if (!Save_mf())
                    return;
            } else if (answer != 7) {
                return;
            }
        }
        mayClose = true;
    });
    return mayClose;
}

void frmSegmentDetail::closeEvent(QCloseEvent* event)
{
    if (!m_unloaded) {
        // After the main window asked every child, the answer stands.
        const WindowHost* main = WindowServices::host();
        if (!(main && main->closingApproved()) && !Form_QueryUnload()) {
            event->ignore();
            return;
        }
        Form_Unload();
    }
    event->accept();
}

void frmSegmentDetail::Form_Unload()
{
    m_unloaded = true;
    WindowServices::saveLayout(this, dbgMain);
    ignoringErrors([&] { m_doc->clear(); });
    ignoringErrors([&] { m_header.Clear_p(); });
    ignoringErrors([&] { app().setMenusAndButtonDefaults_g(); });
}

// ---- the refresh link, activation and the menus ------------------------------------------

void frmSegmentDetail::FormRefresher_po(clsFormRefresher* refresher)
{
    clsFormRefresher::Hold(moFormRefresher, refresher, this, &frmSegmentDetail::moFormRefresher_RefreshRequested);
}

void frmSegmentDetail::ForceSendRefreshRequest_p()
{
    if (moFormRefresher)
        moFormRefresher->SendRefreshRequest_p(clsFormRefresher::rtSegmentDetail);
}

void frmSegmentDetail::refillKeepingSelection_m(ComboBox* cbo, bool (frmSegmentDetail::*initializer)())
{
    const qint32 index = cbo->ListIndex();
    const std::optional<qint32> kept = index >= 0 ? std::optional<qint32>(cbo->ItemData(index)) : std::nullopt;
    (this->*initializer)();
    cbo->ListIndex(kept ? combos().getListIndexOfItemData_pl(Value(*kept), cbo) : -1);
}

void frmSegmentDetail::moFormRefresher_RefreshRequested(qint32 lType, const QVariant&)
{
    guarded(Module, "moFormRefresher_RefreshRequested", [&] {
        switch (lType) {
        case clsFormRefresher::rtCategory:
            refillKeepingSelection_m(cbolCategoryID, &frmSegmentDetail::InitializeCboCategory_mf);
            break;
        case clsFormRefresher::rtEvent:
            refillKeepingSelection_m(cbolEventId, &frmSegmentDetail::InitializeCboEvent_mf);
            break;
        case clsFormRefresher::rtSegmentType:
            refillKeepingSelection_m(cbolSegmentTypeID, &frmSegmentDetail::InitializeCboSegmentType_mf);
            break;
        case clsFormRefresher::rtAthlete:
            if (m_doc->rows())
                m_athletes->Requery_p();
            break;
        default: break;
        }
    });
}

void frmSegmentDetail::Form_Activate() { SetStatusOfMdiMenus_Pf(); }

void frmSegmentDetail::menusAfterLoad_m()
{
    // The opener shows the window before it loads the segment, so the
    // activation came too early for the unit check marks.
    const WindowHost* main = WindowServices::host();
    if (main && main->ActiveForm_mo() == this)
        SetStatusOfMdiMenus_Pf();
}

bool frmSegmentDetail::SetStatusOfMdiMenus_Pf()
{
    bool done = false;
    guarded(Module, "SetStatusOfMdiMenus_Pf", [&] {
        WindowHost* main = WindowServices::host();
        if (!main)
            return;
        main->applyMenuRow(clsDetailMenuRow::Build_p(ssTab1->currentIndex() == 0, this));
        const auto idOf = [](const Value& v) { return v.isNullOrEmpty() ? 0 : v.toLong(); };
        main->setUnitChecks(idOf(m_doc->segment().lRateTypeID()), idOf(m_doc->segment().lDistanceTypeID()));
        done = true;
    });
    return done;
}

void frmSegmentDetail::Dirty_pf(bool dirty) { m_doc->setDirty(dirty); }

// ---- header fields, the call-back and the athletes -------------------------------------

void frmSegmentDetail::setObjectID_p(qint32 lTag, const QVariant& vID) { m_referenceFields->setObjectID_p(lTag, vID); }

void frmSegmentDetail::NewAthlete_M(const QString& sName, qint32 lCategoryID)
{
    m_referenceFields->NewAthlete_M(sName, lCategoryID);
}

void frmSegmentDetail::MakeAthleteValueItems_m(const Value& vCategoryID)
{
    m_athletes->MakeAthleteValueItems_m(vCategoryID);
}

qint32 frmSegmentDetail::inValueItems_pl(qint32 lColIndex, const Value& vValue, qint32 lMode) const
{
    return m_athletes->inValueItems_pl(lColIndex, vValue, lMode);
}

bool frmSegmentDetail::RetrieveRoster_mf() { return m_athletes->RetrieveRoster_mf(); }

void frmSegmentDetail::cbolCategoryID_Validate(bool& Cancel) { m_athletes->cbolCategoryID_Validate(Cancel); }
