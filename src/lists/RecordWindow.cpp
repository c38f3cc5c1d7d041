#include "lists/RecordWindow.h"

#include "app/CallByName.h"
#include "app/DatabaseFault.h"
#include "app/MenuRow.h"
#include "app/QuietActivation.h"
#include "app/WindowProc.h"
#include "app/WindowServices.h"
#include "app/clsActiveControl.h"
#include "app/clsFormRefresher.h"
#include "app/clsFormSettings.h"
#include "app/clsGridSettings.h"
#include "app/clsMessageHandler.h"
#include "app/clsStrings.h"
#include "app/clsThisApp.h"
#include "app/clsTxtBoxHelper.h"
#include "app/modapp.h"
#include "data/clsAdoConnectJet.h"
#include "platform/AppError.h"
#include "platform/DataGrid.h"
#include "platform/DatePicker.h"
#include "platform/Recordset.h"
#include "platform/TextArea.h"
#include "platform/Twips.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCursor>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
// A statement the database refused (a row other rows still refer to), as
// the record-set connection passes it on.
constexpr qint32 Refused = static_cast<qint32>(0x80044005u);
// The record set could not find the row it was to update in the table.
constexpr qint32 RowNotLocated = static_cast<qint32>(0x80040E38u);
const QString Crlf = QStringLiteral("\r\n");

clsThisApp& app()
{
    clsThisApp* a = modapp::ThisApp();
    if (!a)
        throw AppError(ErrNo::CantCreateObject, AppError::standardDescription(ErrNo::CantCreateObject));
    return *a;
}

void sysCmd(qint32 action, const QString& text = {})
{
    if (clsThisApp* a = modapp::ThisApp())
        a->SysCmd_g(action, text.isNull() ? QVariant() : QVariant(text));
}

// Clears the status text however the work ends.
struct StatusCleared {
    ~StatusCleared()
    {
        ignoringErrors([] { sysCmd(1); });
    }
};
}  // namespace

RecordWindow::RecordWindow(const Config& config, QWidget* parent)
    : QWidget(parent), m_config(config), m_rs(std::make_unique<Recordset>())
{
    setObjectName(QString::fromLatin1(config.formName));
    buildControls_m();
}

QSize RecordWindow::minimumSizeHint() const
{
    return Twips::designSize(this, m_config.widthTwips, m_config.heightTwips, QWidget::minimumSizeHint());
}

QSize RecordWindow::sizeHint() const { return minimumSizeHint(); }

RecordWindow::~RecordWindow()
{
    if (dbgMain)
        dbgMain->DataSource(nullptr);
}

// ---- controls ----------------------------------------------------------------

void RecordWindow::buildControls_m()
{
    const auto button = [](QWidget* parent, const char* name, const char* caption) {
        auto* b = new QPushButton(QString::fromLatin1(caption), parent);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };

    ssTab1 = new QTabWidget(this);
    ssTab1->setObjectName(QStringLiteral("ssTab1"));
    auto* listPage = new QWidget;
    dbgMain = new DataGrid(listPage);
    dbgMain->setObjectName(QStringLiteral("dbgMain"));
    dbgMain->AllowUpdate(false);
    (new QVBoxLayout(listPage))->addWidget(dbgMain);

    auto* detailPage = new QWidget;
    auto* detailOuter = new QVBoxLayout(detailPage);
    m_detailLayout = new QGridLayout;
    m_detailLayout->setColumnStretch(1, 1);
    detailOuter->addLayout(m_detailLayout, 1);
    cmdSave = button(detailPage, "cmdSave", "&Save");
    auto* saveRow = new QHBoxLayout;
    saveRow->addStretch();
    saveRow->addWidget(cmdSave);
    detailOuter->addLayout(saveRow);

    {
        // Building the pages is no change of page.
        const QSignalBlocker quiet(ssTab1);
        ssTab1->addTab(listPage, QStringLiteral("&List"));
        ssTab1->addTab(detailPage, QStringLiteral("De&tail"));
    }

    cmdNew = button(this, "cmdNew", "&New");
    cmdDelete = button(this, "cmdDelete", "&Delete");
    cmdClose = button(this, "cmdClose", "&Close");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {cmdNew, cmdDelete, cmdClose})
        buttons->addWidget(b);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(ssTab1, 1);
    outer->addLayout(buttons);

    connect(ssTab1, &QTabWidget::currentChanged, this, &RecordWindow::ssTab1_Click);
    connect(dbgMain, &DataGrid::DblClick, this, &RecordWindow::dbgMain_DblClick);
    connect(dbgMain, &DataGrid::MouseUp, this, &RecordWindow::dbgMain_MouseUp);
    connect(dbgMain, &DataGrid::GotFocus, this, [this] { recordActiveControl(dbgMain); });
    connect(cmdNew, &QPushButton::clicked, this, &RecordWindow::cmdNew_Click);
    connect(cmdSave, &QPushButton::clicked, this, &RecordWindow::cmdSave_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &RecordWindow::cmdDelete_Click);
    connect(cmdClose, &QPushButton::clicked, this, &RecordWindow::cmdClose_Click);
    // Key preview: Delete on the grid deletes the selected rows.
    dbgMain->installEventFilter(this);
}

void RecordWindow::addDetailRow(const char* labelName, const char* caption, QWidget* field)
{
    const int row = m_detailLayout->rowCount();
    auto* label = new QLabel(QString::fromLatin1(caption));
    label->setObjectName(QString::fromLatin1(labelName));
    label->setBuddy(field);
    m_detailLayout->addWidget(label, row, 0, Qt::AlignTop);
    m_detailLayout->addWidget(field, row, 1);
}

QLineEdit* RecordWindow::addTextRow(int field, const char* boxName, const char* labelName, const char* caption)
{
    auto* box = new QLineEdit;
    box->setObjectName(QString::fromLatin1(boxName));
    clsTxtBoxHelper::HoldLength(box);
    addDetailRow(labelName, caption, box);
    bindText(field, box);
    return box;
}

QPlainTextEdit* RecordWindow::addMemoRow(int field, const char* boxName, const char* labelName, const char* caption)
{
    auto* box = new TextArea;
    box->setObjectName(QString::fromLatin1(boxName));
    box->setTabChangesFocus(true);
    addDetailRow(labelName, caption, box);
    bindText(field, box);
    return box;
}

void RecordWindow::bindText(int field, QWidget* box)
{
    clsTxtBoxHelper::KeepNulOut(box);
    m_textBoxes.append({field, box});
    track(box);
}

void RecordWindow::track(QWidget* control)
{
    const auto changed = [this, control] {
        if (!m_filling && isUserChange(control))
            m_dirty = true;
    };
    if (auto* line = qobject_cast<QLineEdit*>(control))
        connect(line, &QLineEdit::textChanged, this, changed);
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(control))
        connect(plain, &QPlainTextEdit::textChanged, this, changed);
    else if (auto* check = qobject_cast<QCheckBox*>(control))
        connect(check, &QCheckBox::clicked, this, changed);
    if (auto* picker = qobject_cast<DatePicker*>(control)) {
        connect(picker, &DatePicker::Change, this, changed);
        connect(picker, &DatePicker::GotFocus, this, [this, picker] { recordActiveControl(picker); });
    } else {
        control->setProperty("recordWindowTracked", true);
        control->installEventFilter(this);
    }
}

void RecordWindow::requireField(QWidget* box, const char* name) { m_required.append({box, QString::fromLatin1(name)}); }

DataGridColumn* RecordWindow::addColumn(const char* field, const char* caption, int widthTwips)
{
    DataGridColumn* column = dbgMain->AddColumn(QString::fromLatin1(field), QString::fromLatin1(caption));
    if (widthTwips > 0) {
        column->Width(widthTwips);
    } else {
        // Kept out of sight, and out of reach of the keyboard and Find.
        column->Visible(false);
        column->AllowFocus(false);
    }
    return column;
}

void RecordWindow::recordActiveControl(QWidget* control)
{
    // Edit, Undo puts back what the control held when it got the focus.
    if (clsThisApp* a = modapp::ThisApp())
        if (clsActiveControl* tracker = a->ActiveControl_Po())
            ignoringErrors([&] { tracker->Control_Pobj(control); });
}

bool RecordWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn && watched->property("recordWindowTracked").toBool()) {
        // Coming back from a message box or another program is no new visit of the control.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            recordActiveControl(static_cast<QWidget*>(watched));
    } else if (watched == dbgMain && event->type() == QEvent::KeyPress
               && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        if (dbgMain->SelBookmarks().Count() > 0)
            cmdDelete_Click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

QString RecordWindow::boxText(const QWidget* box)
{
    if (auto* line = qobject_cast<const QLineEdit*>(box))
        return line->text();
    if (auto* plain = qobject_cast<const QPlainTextEdit*>(box))
        return plain->toPlainText();
    return QString();
}

void RecordWindow::setBoxText(QWidget* box, const QString& text)
{
    if (auto* line = qobject_cast<QLineEdit*>(box))
        line->setText(text);
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(box))
        plain->setPlainText(text);
}

// ---- services ----------------------------------------------------------------

clsAdoConnectJet& RecordWindow::ado() { return *app().DatabaseAdo_Po(); }

QString RecordWindow::text_m(qint32 id, const QString& defaultText, const QString& word) const
{
    return WindowServices::text(id, defaultText, word.isEmpty() ? Value() : Value(word));
}

QString RecordWindow::inUseText_m() const
{
    return text_m(4120, QStringLiteral("Records could not be deleted since they have already been assigned"));
}

qint32 RecordWindow::showMessage(const QString& text, qint32 style)
{
    if (clsMessageHandler* h = modapp::MessageHandler())
        return h->ShowMessage_gl(text, style);
    return 0;
}

QString RecordWindow::idCriterion_m(const Value& id) const
{
    return QString::fromLatin1(m_config.idColumn) + QStringLiteral(" = ") + QString::number(id.toLong());
}

// ---- loading and closing -----------------------------------------------------------

void RecordWindow::Form_Load()
{
    guarded(m_config.formName, "Form_Load", [&] {
        setWindowTitle(text_m(m_config.captionId, QString::fromLatin1(m_config.captionDefault)));
        m_sortField = 0;
        m_order = QStringLiteral("ASC");
        ado().SQLOpenRecordset_pl(m_rs, QString::fromLatin1(m_config.listSql), clsAdoConnectJet::adOpenStatic,
                                  clsAdoConnectJet::adLockOptimistic);
        dbgMain->DataSource(m_rs.get());
        setTabSilently_m(0);
        if (clsGridSettings* grid = app().GridSettings_Po())
            grid->RestoreSettings_pf(this, dbgMain);
    });
}

void RecordWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_firstShow)
        return;
    m_firstShow = false;
    guarded(m_config.formName, "Form_Load", [&] {
        // The frame exists only once the main window shows the window.
        clsFormSettings* settings = app().FormSettings_Po();
        if (settings && !settings->RestorePosition_pf(this, true))
            settings->CenterForm_p(this, WindowServices::frame());
    });
}

bool RecordWindow::QueryUnload_pf() { return SaveModifiedRecord_mf(520); }

void RecordWindow::closeEvent(QCloseEvent* event)
{
    if (!m_unloaded) {
        const WindowHost* main = WindowServices::host();
        // The main window has asked already when it closes every window.
        if (!(main && main->closingApproved())) {
            bool agreed = false;
            {
                const QScopedValueRollback closing(m_closing, true);
                agreed = SaveModifiedRecord_mf(520);
            }
            if (!agreed) {
                event->ignore();
                return;
            }
        }
        Form_Unload();
    }
    event->accept();
}

void RecordWindow::Form_Unload()
{
    m_unloaded = true;
    ignoringErrors([&] {
        if (clsGridSettings* grid = app().GridSettings_Po())
            grid->SaveSettings_p(this, dbgMain);
    });
    ignoringErrors([&] {
        if (clsFormSettings* settings = app().FormSettings_Po())
            settings->SavePosition_p(this);
    });
    ignoringErrors([&] {
        dbgMain->DataSource(nullptr);
        m_rs->Close();
    });
    m_caller = nullptr;
    m_hasCaller = false;
    ignoringErrors([] { app().setMenusAndButtonDefaults_g(); });
}

void RecordWindow::cmdClose_Click()
{
    guarded(m_config.formName, "cmdClose_Click", [&] {
        // A save asked for by the close itself calls back here: the close goes on anyway.
        // In the main window the frame goes with the window.
        if (!m_closing)
            close();
    });
}

// ---- members called by name -------------------------------------------------------

void RecordWindow::FormRefresher_po(clsFormRefresher* refresher)
{
    clsFormRefresher::Hold(m_refresher, refresher, this, &RecordWindow::RefreshRequested);
}

void RecordWindow::ForceSendRefreshRequest_p() { sendRefresh_m(); }

void RecordWindow::sendRefresh_m()
{
    if (m_refresher)
        m_refresher->SendRefreshRequest_p(m_config.refreshType);
}

void RecordWindow::RefreshRequested(qint32 lType, const QVariant&)
{
    guarded(m_config.formName, "moFormRefresher_RefreshRequested", [&] {
        if (lType == m_config.refreshType && m_rs->IsOpen())
            m_rs->Requery();
    });
}

void RecordWindow::Form_Activate()
{
    guarded(m_config.formName, "Form_Activate", [&] {
        if (refreshesOnActivate() && !QuietActivation::active())
            RefreshGrid_m();
        SetStatusOfButtons_mf();
        SetStatusOfMdiMenus_Pf();
    });
}

void RecordWindow::SelectAllRows_p()
{
    withErrorSource(QStringLiteral("SelectAllRows_p"), [&] {
        for (int row = 0; row < m_rs->RecordCount(); ++row)
            dbgMain->SelBookmarks().Add(Value(m_rs->bookmarkAt(row)));
    });
}

void RecordWindow::SetOrder_P(const QString& order)
{
    withErrorSource(QStringLiteral("SetOrder_P"), [&] {
        const StatusCleared cleared;
        sysCmd(4, text_m(690, QStringLiteral("Sorting")));
        const bool ascending = order.compare(QLatin1String("ASC"), Qt::CaseInsensitive) == 0;
        m_rs->Sort(m_rs->Fields(m_sortField).Name() + (ascending ? QString() : QStringLiteral(" DESC")));
        m_order = order;
    });
}

bool RecordWindow::Validate_mf()
{
    return withErrorSource(QStringLiteral("Validate_mf"), [&] {
        // A typed date that is no date holds the page: said once, the field
        // keeping the text, nothing of the page stored.
        for (DatePicker* picker : findChildren<DatePicker*>())
            if (!picker->commitTyped())
                return false;
        QString missing;
        for (const Required& r : m_required)
            if (boxText(r.box).isEmpty())
                missing += r.name + Crlf;
        if (missing.isEmpty())
            return true;
        showMessage(QStringLiteral("The following fields are required:") + Crlf + Crlf + missing, 48);
        return false;
    });
}

bool RecordWindow::Retrieve_pf(qint32 id)
{
    return withErrorSource(QStringLiteral("Retrieve_pf"), [&] {
        // From the first row: the current one may be anywhere after a requery.
        if (m_rs->RecordCount() == 0)
            return true;
        m_rs->MoveFirst();
        m_rs->Find(idCriterion_m(Value(id)));
        if (m_rs->IsEOF())
            return true;
        if (ssTab1->currentIndex() == 1) {
            m_mode = EditRow;
            openDetail_m();
            SetStatusOfButtons_mf();
        } else {
            ssTab1->setCurrentIndex(1);
        }
        return true;
    });
}

void RecordWindow::CallBack_Pobj(QObject* caller)
{
    m_caller = caller;
    m_hasCaller = caller != nullptr;
}

void RecordWindow::CallBack_Pobj(QWidget* caller) { CallBack_Pobj(static_cast<QObject*>(caller)); }

bool RecordWindow::NewRecord_Pf()
{
    withErrorSource(QStringLiteral("NewRecord_Pf"), [&] { cmdNew_Click(); });
    return true;
}

Recordset* RecordWindow::DataSource_Po() const { return m_rs.get(); }

// ---- pages ----------------------------------------------------------------------------

void RecordWindow::setTabSilently_m(int index)
{
    const QSignalBlocker quiet(ssTab1);
    ssTab1->setCurrentIndex(index);
    m_shownTab = ssTab1->currentIndex();
}

void RecordWindow::ssTab1_Click(int index)
{
    guarded(m_config.formName, "ssTab1_Click", [&] {
        const int previous = m_shownTab;
        m_shownTab = index;
        if (previous == 0 && index == 1) {
            openDetail_m();
        } else if (previous == 1 && index == 0) {
            if (m_dirty) {
                setTabSilently_m(1);
                if (SaveModifiedRecord_mf(525)) {
                    setTabSilently_m(0);
                    m_mode = ListPage;
                }
            } else {
                m_mode = ListPage;
            }
        }
        SetStatusOfButtons_mf();
        SetStatusOfMdiMenus_Pf();
    });
}

void RecordWindow::openDetail_m()
{
    {
        const QScopedValueRollback filling(m_filling, true);
        if (m_rs->RecordCount() == 0 || m_mode == NewRow) {
            m_mode = NewRow;
            m_rememberedId = Value::null();
            clearDetail();
        } else {
            if (m_rs->IsBOF() || m_rs->IsEOF())
                m_rs->MoveFirst();
            m_mode = EditRow;
            m_rememberedId = m_rs->Fields(0).Value();
            fillDetail();
        }
    }
    for (const auto& [field, box] : m_textBoxes)
        if (field == 1)
            box->setFocus();
    m_dirty = false;
}

void RecordWindow::clearDetail()
{
    for (const auto& [field, box] : m_textBoxes)
        setBoxText(box, QString());
}

void RecordWindow::fillDetail()
{
    for (const auto& [field, box] : m_textBoxes)
        setBoxText(box, m_rs->Fields(field).Value().asText());
}

void RecordWindow::writeDetail(Recordset& row)
{
    // An empty box writes an empty text.
    for (const auto& [field, box] : m_textBoxes)
        row.Fields(field).Value(Value(boxText(box)));
}

bool RecordWindow::isUserChange(QWidget*) const { return true; }

void RecordWindow::dbgMain_DblClick()
{
    guarded(m_config.formName, "dbgMain_DblClick", [&] {
        if (m_rs->IsOpen() && !m_rs->IsBOF() && !m_rs->IsEOF())
            ssTab1->setCurrentIndex(1);
    });
}

void RecordWindow::dbgMain_MouseUp(int button, int, int, int)
{
    guarded(m_config.formName, "dbgMain_MouseUp", [&] {
        if (button != 2 || dbgMain->SelStartCol() < 0 || dbgMain->SelStartCol() != dbgMain->SelEndCol())
            return;
        const int field = dbgMain->Columns(dbgMain->SelStartCol())->fieldIndex();
        if (field >= 0)
            m_sortField = field;
        if (WindowHost* main = WindowServices::host())
            if (QMenu* menu = main->SortContextMenu())
                menu->exec(QCursor::pos());
        dbgMain->ClearSelCols();
    });
}

// ---- new, save -----------------------------------------------------------------------

void RecordWindow::cmdNew_Click()
{
    guarded(m_config.formName, "cmdNew_Click", [&] {
        if (m_mode != ListPage && !SaveModifiedRecord_mf(510))
            return;
        m_mode = NewRow;
        if (ssTab1->currentIndex() == 1) {
            openDetail_m();
            SetStatusOfButtons_mf();
            SetStatusOfMdiMenus_Pf();
        } else {
            ssTab1->setCurrentIndex(1);
        }
    });
}

bool RecordWindow::SaveModifiedRecord_mf(qint32 textId)
{
    bool result = false;
    guarded(m_config.formName, "SaveModifiedRecord_mf", [&] {
        if (!m_dirty) {
            result = true;
            return;
        }
        const QString word = QString::fromLatin1(m_config.placeholder);
        switch (showMessage(text_m(textId, QStringLiteral("Save Modified Record?"), word), 35)) {
        case 6: result = Save_mf(); break;
        case 7:
            // The edits are dropped, so that no later save writes them.
            m_dirty = false;
            result = true;
            break;
        default: break;
        }
    });
    return result;
}

void RecordWindow::cmdSave_Click()
{
    guarded(m_config.formName, "cmdSave_Click", [&] { Save_mf(); });
}

bool RecordWindow::Save_mf()
{
    bool saved = false;
    guarded(m_config.formName, "Save_mf", [&] {
        if (m_dirty) {
            if (!Validate_mf())
                return;
            Value id;
            if (!DatabaseFault::saying(
                    text_m(4185, QStringLiteral("The | could not be saved"), QString::fromLatin1(m_config.noun)),
                    [&] { id = writeRecord_m(); }))
                return;  // said in words; the page keeps its changes
            if (id.isNullOrEmpty())
                return;
            m_rememberedId = id;
            m_mode = EditRow;
            sendRefresh_m();
        }
        m_dirty = false;
        RefreshGrid_m();
        SetStatusOfButtons_mf();
        if (m_hasCaller) {
            // The remembered id, not the current row: a new record saved
            // unchanged hands back no id (Null).
            if (QObject* caller = m_caller.data())
                CallByName::call(caller, "setObjectID_p", m_config.refreshType, m_rememberedId.toVariant());
            cmdClose_Click();
        }
        saved = true;
    });
    return saved;
}

Value RecordWindow::writeRecord_m() { return writeRow_m(); }

Value RecordWindow::writeRow_m()
{
    if (m_mode == NewRow) {
        m_rs->AddNew();
        try {
            writeDetail(*m_rs);
            m_rs->Update();
        } catch (...) {
            ignoringErrors([&] { m_rs->CancelUpdate(); });
            throw;
        }
        return m_rs->Fields(0).Value();
    }
    // The row the page shows, found by its id: a requery may have moved the
    // current row anywhere.
    bool gone = m_rememberedId.isNullOrEmpty();
    if (!gone) {
        std::unique_ptr<Recordset> row = m_rs->Clone();
        row->Find(idCriterion_m(m_rememberedId));
        gone = row->IsEOF();
        if (!gone) {
            try {
                writeDetail(*row);
                row->Update();
            } catch (const AppError& e) {
                ignoringErrors([&] { row->CancelUpdate(); });
                if (e.number() != RowNotLocated)
                    throw;
                gone = true;
            }
        }
    }
    if (!gone)
        return m_rememberedId;
    showMessage(QStringLiteral("This record has been deleted meanwhile, so your changes could not be saved."), 48);
    return Value::null();
}

// ---- list ----------------------------------------------------------------------------

void RecordWindow::RefreshGrid_m()
{
    guarded(m_config.formName, "RefreshGrid_m", [&] {
        if (!m_rs->IsOpen())
            return;
        dbgMain->Refresh();
        SetOrder_P(m_order);
        if (m_rs->RecordCount() == 0)
            return;
        m_rs->MoveFirst();
        if (!m_rememberedId.isNullOrEmpty())
            m_rs->Find(idCriterion_m(m_rememberedId));
    });
}

bool RecordWindow::SetStatusOfButtons_mf()
{
    cmdSave->setEnabled(ssTab1->currentIndex() == 1);
    cmdDelete->setEnabled(m_mode != NewRow);
    if (m_config.setsNewButton)
        cmdNew->setEnabled(true);
    return true;
}

bool RecordWindow::SetStatusOfMdiMenus_Pf()
{
    bool done = false;
    guarded(m_config.formName, "SetStatusOfMdiMenus_Pf", [&] {
        WindowHost* main = WindowServices::host();
        if (!main)
            return;
        const bool list = ssTab1->currentIndex() == 0;
        MenuRow row;
        for (const char* item : {"mnuEditCopy", "mnuEditCut", "mnuEditPaste", "mnuEditUndo"})
            row.set(QString::fromLatin1(item), !list);
        for (const char* item : {"mnuEditDelete", "mnuEditFind", "mnuEditReplace", "mnuEditSelectAll",
                                 "mnuSortAscending", "mnuSortContext", "mnuSortDescending"})
            row.set(QString::fromLatin1(item), list);
        for (const char* item : {"mnuFileImport", "mnuViewSearchSegments", "mnuViewRoster", "mnuViewEvents",
                                 "mnuViewSegCategory", "mnuViewSegType"})
            row.set(QString::fromLatin1(item), true);
        row.set(QStringLiteral("mnuEditClear"), m_config.clearEnabled);
        main->applyMenuRow(row);
        done = true;
    });
    return done;
}

// ---- delete --------------------------------------------------------------------------

void RecordWindow::cmdDelete_Click()
{
    guarded(m_config.formName, "cmdDelete_Click", [&] {
        deleteRows_p();
        SetStatusOfButtons_mf();
        SetStatusOfMdiMenus_Pf();
    });
}

void RecordWindow::deleteRows_p()
{
    withErrorSource(QString::fromLatin1(m_config.formName) + QStringLiteral(".deleteRows_p"), [&] { deleteBody_m(); });
}

void RecordWindow::deleteBody_m()
{
    const StatusCleared cleared;
    sysCmd(4, text_m(690, QStringLiteral("Deleting")));
    DataGridSelBookmarks& selected = dbgMain->SelBookmarks();
    if (!selected.SelectCurrentWhenEmpty()) {
        showMessage(text_m(720, QStringLiteral("No Record Selected")), 64);
        return;
    }
    QString names;
    QString ids;
    for (int i = 0; i < selected.Count(); ++i) {
        dbgMain->Bookmark(selected.Item(i));
        names += Crlf + deleteName_m();
        if (!ids.isEmpty())
            ids += QStringLiteral(", ");
        ids += QString::number(m_rs->Fields(0).Value().toLong());
    }
    const QString word = QString::fromLatin1(m_config.placeholder);
    if (showMessage(text_m(540, QStringLiteral("delete the following records?"), word) + Crlf + names, 292) != 6)
        return;
    try {
        if (!DatabaseFault::saying(text_m(4186, QStringLiteral("The selected rows could not be deleted")),
                                   [&] { deleteIds_m(ids); }))
            return;
    } catch (const AppError& e) {
        if (e.number() != Refused)
            throw;
        showMessage(inUseText_m(), 48);
        return;
    }
    sendRefresh_m();
    ssTab1->setCurrentIndex(0);
}

qint32 RecordWindow::deleteIds_m(const QString& ids)
{
    const QString table = QString::fromLatin1(m_config.table);
    return ado().SQLExecute_pl(QStringLiteral("DELETE FROM ") + table + QStringLiteral(" WHERE ") + table
                               + QLatin1Char('.') + QString::fromLatin1(m_config.idColumn) + QStringLiteral(" IN ( ")
                               + ids + QLatin1Char(')'));
}

QString RecordWindow::deleteName_m() const { return m_rs->Fields(1).Value().asText(); }
