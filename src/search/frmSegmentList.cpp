#include "search/frmSegmentList.h"

#include "app/WindowServices.h"
#include "app/clsActiveControl.h"

#include "app/CallByName.h"
#include "app/ChildForms.h"
#include "app/DatabaseFault.h"
#include "app/MenuRow.h"
#include "app/WindowProc.h"
#include "app/clsCboBoxHelper.h"
#include "app/clsFormRefresher.h"
#include "app/clsFormSettings.h"
#include "app/clsGridSettings.h"
#include "app/clsHourglass.h"
#include "app/clsMessageHandler.h"
#include "app/clsStrings.h"
#include "app/clsThisApp.h"
#include "app/clsTxtBoxHelper.h"
#include "app/modapp.h"
#include "data/clsAdoConnectJet.h"
#include "platform/AppError.h"
#include "platform/ComboBox.h"
#include "platform/DataGrid.h"
#include "platform/DatePicker.h"
#include "platform/Recordset.h"
#include "platform/Twips.h"
#include "search/clsExportToFile.h"
#include "search/clsSearchSegment.h"

#include <QCloseEvent>
#include <QCursor>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
const char* const Module = "frmSegmentList";
const QString All = QStringLiteral("<ALL>");

frmSegmentList::SaveFileAsker& saveFileAsker()
{
    static frmSegmentList::SaveFileAsker asker;
    return asker;
}

std::optional<QString> askWithDialog(QWidget* parent, const QString& title, const QString& filter,
                                     const QString& defaultName)
{
    // "description|pattern" pairs become Qt's "description (pattern)"; a
    // description that already shows its pattern, such as "(*.txt)", stands alone.
    QStringList filters;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString pattern = QLatin1Char('(') + parts[i + 1] + QLatin1Char(')');
        filters << (parts[i].endsWith(pattern) ? parts[i] : parts[i] + QLatin1Char(' ') + pattern);
    }
    QFileDialog dialog(parent, title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);  // asks before replacing a file
    dialog.setFileMode(QFileDialog::AnyFile);       // a new file is the usual answer
    dialog.setNameFilters(filters);
    dialog.selectFile(defaultName);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedFiles().value(0);
}

clsThisApp& app()
{
    clsThisApp* a = modapp::ThisApp();
    if (!a)
        throw AppError(ErrNo::CantCreateObject, AppError::standardDescription(ErrNo::CantCreateObject));
    return *a;
}

clsAdoConnectJet& ado() { return *app().DatabaseAdo_Po(); }

void sysCmd(qint32 action, const QString& text = {})
{
    if (clsThisApp* a = modapp::ThisApp())
        a->SysCmd_g(action, text.isNull() ? QVariant() : QVariant(text));
}

qint32 showMessage(const QString& text, qint32 style, const QString& details = {})
{
    if (clsMessageHandler* h = modapp::MessageHandler())
        return h->ShowMessage_gl(text, style, details);
    return 0;
}

// Clears the status text however the work ends.
struct StatusCleared {
    ~StatusCleared()
    {
        ignoringErrors([] { sysCmd(1); });
    }
};

// A box takes part in the search when it holds something other than "<ALL>".
bool counts(const QString& text) { return !text.isEmpty() && text != All; }

QString clsName() { return QString::fromLatin1(Module); }
}  // namespace

void frmSegmentList::setSaveFileAsker(SaveFileAsker asker) { saveFileAsker() = std::move(asker); }

frmSegmentList::frmSegmentList(QWidget* parent) : QWidget(parent)
{
    setObjectName(clsName());
    buildControls_m();
    Form_Load();
}

QSize frmSegmentList::minimumSizeHint() const
{
    return Twips::designSize(this, DesignWidth, DesignHeight, QWidget::minimumSizeHint());
}

QSize frmSegmentList::sizeHint() const { return minimumSizeHint(); }

frmSegmentList::~frmSegmentList()
{
    // The focus leaves the controls while QWidget takes the window down, when
    // this class is gone: their handlers must not run then.
    for (QObject* child : findChildren<QObject*>())
        disconnect(child, nullptr, this, nullptr);
    if (dbgMain)
        dbgMain->DataSource(nullptr);
}

QString frmSegmentList::text_m(qint32 id, const QString& defaultText) const
{
    return WindowServices::text(id, defaultText);
}

// ---- controls --------------------------------------------------------------

void frmSegmentList::buildControls_m()
{
    const auto named = [](QWidget* w, const char* name) {
        w->setObjectName(QString::fromLatin1(name));
        return w;
    };
    const auto button = [&](QWidget* parent, const char* name, const char* caption) {
        auto* b = new QPushButton(QString::fromLatin1(caption), parent);
        named(b, name);
        b->setAutoDefault(false);
        b->setMinimumSize(Twips::toPixels(b, 1215, 375));
        return b;
    };

    ssTab1 = new QTabWidget(this);
    named(ssTab1, "ssTab1");
    auto* searchPage = new QWidget;
    auto* listPage = new QWidget;
    ssTab1->addTab(searchPage, QStringLiteral("Sea&rch"));
    ssTab1->addTab(listPage, QStringLiteral("&List"));

    fraSearch = new QGroupBox(searchPage);
    named(fraSearch, "fraSearch");
    auto* search = new QGridLayout(fraSearch);

    // Boxes and buttons keep their design widths; the labels take what their text needs.
    const auto label = [&](const char* name, const char* caption, int row, int column) {
        auto* l = new QLabel(QString::fromLatin1(caption), fraSearch);
        named(l, name);
        search->addWidget(l, row, column);
        return l;
    };
    const auto box = [&](QWidget* w, const char* name, int row) {
        named(w, name);
        w->setMinimumWidth(Twips::toPixelsX(w, 2400));
        search->addWidget(w, row, 1, 1, 2);
    };
    const auto lineEdit = [&](const char* name, int row) {
        auto* e = new QLineEdit(fraSearch);
        box(e, name, row);
        e->installEventFilter(this);
        clsTxtBoxHelper::KeepNulOut(e);
        return e;
    };
    const auto combo = [&](const char* name, int row) {
        auto* c = new ComboBox(fraSearch);
        box(c, name, row);
        clsTxtBoxHelper::KeepNulOut(c);
        return c;
    };
    const auto picker = [&](const char* name, int row, int column) {
        auto* d = new DatePicker(fraSearch);
        named(d, name);
        d->setMinimumWidth(Twips::toPixelsX(d, 1800));
        search->addWidget(d, row, column);
        return d;
    };

    label("lblSegment", "Segment Number:", 0, 0);
    txtSegmentNumber = lineEdit("txtSegmentNumber", 0);
    label("lblRosterLastName", "Roster Last Name:", 1, 0);
    txtLastName = lineEdit("txtLastName", 1);
    label("lblEvent", "Event:", 2, 0);
    txtEvent = lineEdit("txtEvent", 2);
    label("lblSegmentCategory", "Athlete Category:", 3, 0);
    cboCategory = combo("cboCategory", 3);
    label("lblSegmentType", "Segment Type:", 4, 0);
    cboSegmentType = combo("cboSegmentType", 4);
    label("Label3", "Segment Status:", 5, 0);
    cboSegmentStatus = combo("cboSegmentStatus", 5);
    label("Label5", "Import  Date From:", 6, 0);
    dtpImportDateFrom = picker("dtpImportDateFrom", 6, 1);
    label("Label4", "To:", 6, 2);
    label("Label2", "To:", 7, 2);
    dtpImportDateTo = picker("dtpImportDateTo", 6, 3);
    label("Label1", "Segment Date From:", 7, 0);
    dtpSegmentDateFrom = picker("dtpSegmentDateFrom", 7, 1);
    dtpSegmentDateTo = picker("dtpSegmentDateTo", 7, 3);
    cmdSearch = button(fraSearch, "cmdSearch", "&Search");
    cmdClear = button(fraSearch, "cmdClear", "Cle&ar");
    search->addWidget(cmdSearch, 0, 5);
    search->addWidget(cmdClear, 1, 5);
    search->setColumnStretch(4, 1);
    search->setRowStretch(8, 1);
    (new QVBoxLayout(searchPage))->addWidget(fraSearch);

    dbgMain = new DataGrid(listPage);
    named(dbgMain, "dbgMain");
    dbgMain->AllowUpdate(false);
    const struct {
        const char* field;
        const char* caption;
    } columns[] = {
        {"dtImportDate", "Import Date"},   {"sSegmentLabel", "Segment"},     {"sEvent", "Event"},
        {"sCategory", "Category"},         {"sSegmentType", "Segment Type"}, {"dtSegmentDate", "Segment Date"},
        {"dtSegmentTime", "Segment Time"}, {"fReviewed", "Reviewed?"}};
    for (const auto& c : columns)
        dbgMain->AddColumn(QString::fromLatin1(c.field), QString::fromLatin1(c.caption));
    dbgMain->Columns(0)->NumberFormat(QStringLiteral("FormatText Event"));
    dbgMain->Columns(5)->NumberFormat(QStringLiteral("FormatText Event"));
    dbgMain->Columns(6)->NumberFormat(QStringLiteral("Medium Time"));
    // A check mark stands for the picture of a reviewed segment.
    DataGridValueItems& reviewed = dbgMain->Columns(7)->ValueItems();
    reviewed.Translate(true);
    reviewed.Add(Value(-1), QString(QChar(0x2714)));
    reviewed.Add(Value(0), QString());
    (new QVBoxLayout(listPage))->addWidget(dbgMain);

    cmdDetails = button(this, "cmdDetails", "De&tails...");
    cmdExport = button(this, "cmdExport", "Ex&port");
    cmdNew = button(this, "cmdNew", "&New");
    cmdDelete = button(this, "cmdDelete", "&Delete");
    cmdClose = button(this, "cmdClose", "&Close");

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdDetails);
    buttons->addWidget(cmdExport);
    buttons->addStretch(1);
    buttons->addWidget(cmdNew);
    buttons->addWidget(cmdDelete);
    buttons->addWidget(cmdClose);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(ssTab1, 1);
    outer->addLayout(buttons);

    connect(cmdSearch, &QPushButton::clicked, this, &frmSegmentList::cmdSearch_Click);
    connect(cmdClear, &QPushButton::clicked, this, &frmSegmentList::cmdClear_Click);
    connect(cmdDetails, &QPushButton::clicked, this, &frmSegmentList::cmdDetails_Click);
    connect(cmdNew, &QPushButton::clicked, this, &frmSegmentList::cmdNew_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &frmSegmentList::cmdDelete_Click);
    connect(cmdExport, &QPushButton::clicked, this, &frmSegmentList::cmdExport_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmSegmentList::cmdClose_Click);
    connect(ssTab1, &QTabWidget::currentChanged, this, &frmSegmentList::ssTab1_Click);
    connect(dbgMain, &DataGrid::DblClick, this, &frmSegmentList::dbgMain_DblClick);
    connect(dbgMain, &DataGrid::MouseUp, this, &frmSegmentList::dbgMain_MouseUp);
    connect(dbgMain, &DataGrid::FormatText, this, &frmSegmentList::dbgMain_FormatText);

    for (ComboBox* cbo : {cboCategory, cboSegmentType, cboSegmentStatus}) {
        const QByteArray name = cbo->objectName().toLatin1();
        // Only the completion of the typed beginning applies, not Qt's own.
        cbo->setCompleter(nullptr);
        connect(cbo, &ComboBox::KeyPress, this, [this, cbo, name](int* keyAscii) {
            guarded(Module, (name + "_KeyPress").constData(), [&] {
                int key = *keyAscii;
                clsCboBoxHelper().IncrementalSearchComboP(cbo, key);
                *keyAscii = key;
            });
        });
        connect(cbo, &ComboBox::GotFocus, this, [this, cbo, name] {
            guarded(Module, (name + "_GotFocus").constData(), [&] {
                clsTxtBoxHelper::SelectAllText(cbo);
                recordActiveControl_m(cbo);
            });
        });
        connect(cbo, &ComboBox::LostFocus, this, [cbo, name] {
            guarded(Module, (name + "_LostFocus").constData(), [&] {
                if (cbo->ListIndex() < 0)
                    cbo->Text(All);
            });
        });
    }
    for (DatePicker* d : {dtpImportDateFrom, dtpImportDateTo, dtpSegmentDateFrom, dtpSegmentDateTo})
        connect(d, &DatePicker::GotFocus, this, [this, d] { recordActiveControl_m(d); });
    // Leaving a From picker fills an empty To picker of its pair.
    const auto copyToEmpty = [](DatePicker* from, DatePicker* to) {
        try {
            if (to->Value().asText().isEmpty())
                to->Value(from->Value());
        } catch (const AppError&) {
        }
    };
    connect(dtpImportDateFrom, &DatePicker::LostFocus, this,
            [this, copyToEmpty] { copyToEmpty(dtpImportDateFrom, dtpImportDateTo); });
    connect(dtpSegmentDateFrom, &DatePicker::LostFocus, this,
            [this, copyToEmpty] { copyToEmpty(dtpSegmentDateFrom, dtpSegmentDateTo); });

    // Key preview: Enter presses the default button, Delete on the grid deletes.
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
}

bool frmSegmentList::eventFilter(QObject* watched, QEvent* event)
{
    auto* box = qobject_cast<QLineEdit*>(watched);
    const bool searchBox = box && (box == txtSegmentNumber || box == txtLastName || box == txtEvent);
    if (searchBox && event->type() == QEvent::FocusIn) {
        guarded(Module, (box->objectName() + QStringLiteral("_GotFocus")).toLatin1().constData(), [&] {
            clsTxtBoxHelper::SelectAllText(box);
            recordActiveControl_m(box);
        });
    } else if (searchBox && event->type() == QEvent::FocusOut) {
        guarded(Module, (box->objectName() + QStringLiteral("_LostFocus")).toLatin1().constData(), [&] {
            if (box->text().isEmpty())
                box->setText(All);
        });
    } else if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        auto* w = qobject_cast<QWidget*>(watched);
        const bool inGrid = w && (w == dbgMain || dbgMain->isAncestorOf(w));
        if (key->key() == Qt::Key_Delete && inGrid && !dbgMain->EditActive()) {
            if (dbgMain->SelBookmarks().Count() > 0)
                cmdDelete_Click();
            return true;
        }
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !qobject_cast<QPushButton*>(watched)
            && m_defaultButton && m_defaultButton->isEnabled() && m_defaultButton->isVisible()) {
            m_defaultButton->click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmSegmentList::recordActiveControl_m(QWidget* control)
{
    // Edit, Undo puts back what the control held when it got the focus.
    if (auto* app = modapp::ThisApp())
        if (auto* tracker = app->ActiveControl_Po())
            ignoringErrors([&] { tracker->Control_Pobj(control); });
}

// ---- loading and closing -----------------------------------------------------

void frmSegmentList::Form_Load()
{
    guarded(Module, "Form_Load", [&] {
        setWindowTitle(text_m(3260, QStringLiteral("Segment List")));
        clsGridSettings grid;
        grid.BaseRegistrySectionKeyName_ps(app().RegistryBaseSectionKeyName().toString());
        grid.RestoreSettings_pf(this, dbgMain);
        InitializeForm_m();
        SetTab_p(0);
        // Already on page 0, so the page change did not run: set its state here.
        ssTab1_Click(0);
    });
}

void frmSegmentList::InitializeForm_m()
{
    guarded(Module, "InitializeForm_m", [&] {
        cmdClear_Click();
        // The first list is empty: "= NULL" matches no segment.
        clsSearchSegment search;
        search.Initialize_p(ado().ConnectString_ps());
        search.ClearCriteria_p();
        search.lSegmentID()->SetCriteria_p(QStringLiteral("="), Value::null());
        openList_m(search.GetSearchSqlString_ps());
        dbgMain->Columns(3)->ValueItems().Clear();
        dbgMain->Columns(4)->ValueItems().Clear();

        clsCboBoxHelper combos;
        std::unique_ptr<Recordset> rs;
        ado().SQLOpenRecordset_pl(rs,
                                  QStringLiteral("SELECT lCategoryID, sCategory FROM tblCategory WHERE lCategoryID <> ")
                                      + QString::number(2),
                                  clsAdoConnectJet::adOpenStatic, clsAdoConnectJet::adLockReadOnly);
        combos.ADORecordSetToComboBox(*rs, cboCategory, Value("sCategory"), Value("lCategoryID"));
        rs->Close();
        ado().SQLOpenRecordset_pl(rs, QStringLiteral("SELECT lSegmentTypeID, sSegmentType FROM tblSegmentType"),
                                  clsAdoConnectJet::adOpenStatic, clsAdoConnectJet::adLockReadOnly);
        combos.ADORecordSetToComboBox(*rs, cboSegmentType, Value("sSegmentType"), Value("lSegmentTypeID"));
        rs->Close();

        cboSegmentStatus->Clear();
        cboSegmentStatus->AddItem(All);
        cboSegmentStatus->ItemData(cboSegmentStatus->NewIndex(), 0);
        cboSegmentStatus->AddItem(QStringLiteral("Reviewed"));
        cboSegmentStatus->ItemData(cboSegmentStatus->NewIndex(), -1);
        cboSegmentStatus->AddItem(QStringLiteral("Unreviewed"));
        cboSegmentStatus->ItemData(cboSegmentStatus->NewIndex(), 0);
        cmdClear_Click();
    });
}

void frmSegmentList::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_firstResize)
        return;
    m_firstResize = true;
    guarded(Module, "Form_Load", [&] {
        // The frame exists only once the main window shows the window; it
        // opens wide enough for every column.
        clsFormSettings::FitColumns_p(this, dbgMain);
        clsFormSettings settings;
        settings.BaseRegistrySectionKeyName_ps(app().RegistryBaseSectionKeyName().toString());
        if (!settings.RestorePosition_pf(this, true))
            settings.CenterForm_p(this, WindowServices::frame());
    });
}

void frmSegmentList::closeEvent(QCloseEvent* event)
{
    ignoringErrors([&] {
        clsGridSettings grid;
        grid.BaseRegistrySectionKeyName_ps(app().RegistryBaseSectionKeyName().toString());
        grid.SaveSettings_p(this, dbgMain);
    });
    ignoringErrors([&] {
        clsFormSettings settings;
        settings.BaseRegistrySectionKeyName_ps(app().RegistryBaseSectionKeyName().toString());
        settings.SavePosition_p(this);
    });
    ignoringErrors([&] {
        dbgMain->DataSource(nullptr);
        if (m_rs)
            m_rs->Close();
        m_rs.reset();
    });
    ignoringErrors([&] { app().setMenusAndButtonDefaults_g(); });
    event->accept();
}

void frmSegmentList::cmdClose_Click()
{
    guarded(Module, "cmdClose_Click", [&] {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
            sub->close();
        else
            close();
    });
}

// ---- members called by name --------------------------------------------------

void frmSegmentList::FormRefresher_po(clsFormRefresher* refresher)
{
    clsFormRefresher::Hold(m_refresher, refresher, this, &frmSegmentList::RefreshRequested);
}

clsFormRefresher* frmSegmentList::formRefresher() const { return m_refresher.data(); }

void frmSegmentList::ForceSendRefreshRequest_p()
{
    if (m_refresher)
        m_refresher->SendRefreshRequest_p(clsFormRefresher::rtSegmentList);
}

void frmSegmentList::RefreshRequested(qint32 lType, const QVariant& vArg)
{
    guarded(Module, "moFormRefresher_RefreshRequested", [&] {
        if (!m_rs || !m_rs->IsOpen())
            return;
        // A segment saved in its detail window: only its row is read again,
        // which comes, changes or goes as the search has it.
        bool isID = false;
        const qint32 segmentID = vArg.toInt(&isID);
        if (lType == clsFormRefresher::rtSegmentDetail && isID && segmentID > 0)
            m_rs->RequeryRows(0, Value(segmentID));
        else
            m_rs->Requery();
    });
    // The buttons follow the requeried list (a delete elsewhere may have emptied it).
    RefreshGrid_m();
}

void frmSegmentList::Form_Activate()
{
    RefreshGrid_m();
    SetStatusOfMdiMenus_Pf();
}

void frmSegmentList::SetTab_p(qint32 tab) { ssTab1->setCurrentIndex(tab); }

void frmSegmentList::ImportDateFrom_p(const QDate& date)
{
    dtpImportDateFrom->Value(date.isValid() ? Value(date) : Value());
}

void frmSegmentList::ImportDateTo_p(const QDate& date)
{
    dtpImportDateTo->Value(date.isValid() ? Value(date) : Value());
}

void frmSegmentList::SelectAllRows_p()
{
    withErrorSource(QStringLiteral("SelectAllRows_p"), [&] {
        if (!m_rs || !m_rs->IsOpen())
            throw AppError(3704, QStringLiteral("Operation is not allowed when the object is closed."));
        std::unique_ptr<Recordset> copy = m_rs->Clone();
        std::vector<qint32> rows;
        rows.reserve(size_t(copy->RecordCount()));
        if (copy->RecordCount() > 0)
            copy->MoveFirst();
        while (!copy->IsEOF()) {
            rows.push_back(copy->Bookmark());
            copy->MoveNext();
        }
        copy->Close();
        dbgMain->SelBookmarks().Add(rows);
    });
}

void frmSegmentList::SetOrder_P(const QString& order)
{
    withErrorSource(QStringLiteral("SetOrder_P"), [&] {
        sysCmd(4, text_m(690, QStringLiteral("Sorting")));
        if (m_sortColumn < 0)
            m_sortColumn = dbgMain->Col();
        const QString direction = order == QLatin1String("ASC") ? QString() : QStringLiteral("DESC");
        if (!m_rs)
            throw AppError(3704, QStringLiteral("Operation is not allowed when the object is closed."));
        m_rs->Sort(dbgMain->Columns(m_sortColumn)->DataField() + QLatin1Char(' ') + direction);
        m_sortOrder = order;
        sysCmd(1);
    });
}

// ---- the search ----------------------------------------------------------------

void frmSegmentList::cmdSearch_Click()
{
    guarded(Module, "cmdSearch_Click", [&] { Search_p(); });
}

void frmSegmentList::Search_p()
{
    withErrorSource(QStringLiteral("Search_p"), [&] { searchBody_m(); });
}

void frmSegmentList::searchBody_m()
{
    clsHourglass busy;
    StatusCleared cleared;
    sysCmd(4, text_m(2000, QStringLiteral("Searching")));
    clsSearchSegment search;
    search.Initialize_p(ado().ConnectString_ps());
    fillCriteria_m(search);
    openList_m(search.GetSearchSqlString_ps());
    if (m_rs->RecordCount() > 0)
        SetTab_p(1);
    else
        showMessage(text_m(2005, QStringLiteral("No records match the entered criteria")), 64);
    RefreshGrid_m();
    SetStatusOfMdiMenus_Pf();
}

void frmSegmentList::fillCriteria_m(clsSearchSegment& search)
{
    const QString like = QStringLiteral("Like");
    const QString equal = QStringLiteral("=");
    if (counts(txtLastName->text()))
        search.sLastName()->SetCriteria_p(like, Value(QLatin1Char('*') + txtLastName->text() + QLatin1Char('*')));
    if (counts(txtEvent->text()))
        search.sEvent()->SetCriteria_p(like, Value(QLatin1Char('*') + txtEvent->text() + QLatin1Char('*')));
    if (counts(txtSegmentNumber->text()))
        search.sSegmentLabel()->SetCriteria_p(equal, Value(txtSegmentNumber->text()));
    if (const auto id = comboCriterion_m(cboCategory))
        search.lCategoryID()->SetCriteria_p(equal, Value(*id));
    if (const auto id = comboCriterion_m(cboSegmentType))
        search.lSegmentTypeID()->SetCriteria_p(equal, Value(*id));
    if (const auto flag = comboCriterion_m(cboSegmentStatus))
        search.fReviewed()->SetCriteria_p(equal, Value(*flag));
    setDateCriterion_m(search, true, dtpImportDateFrom->Value(), dtpImportDateTo->Value());
    setDateCriterion_m(search, false, dtpSegmentDateFrom->Value(), dtpSegmentDateTo->Value());
}

std::optional<qint32> frmSegmentList::comboCriterion_m(ComboBox* cbo)
{
    if (!counts(cbo->Text()))
        return std::nullopt;
    qint32 index = cbo->ListIndex();
    if (index < 0) {
        // Typed text: an item's own text (any case) picks it; anything else
        // sets no condition, as leaving the box would have shown.
        index = clsCboBoxHelper().FindStringComboBoxPl(cbo, cbo->Text(), true);
        if (index < 0) {
            cbo->Text(All);
            return std::nullopt;
        }
        cbo->ListIndex(index);
    }
    // The status box's own "<ALL>" item, typed in any case, means every segment.
    if (cbo->List(index) == All)
        return std::nullopt;
    return cbo->ItemData(index);
}

void frmSegmentList::setDateCriterion_m(clsSearchSegment& search, bool importDates, const Value& from, const Value& to)
{
    clsSearchCriteriaItem* item = importDates ? search.dtImportDate() : search.dtSegmentDate();
    const bool hasFrom = !from.asText().isEmpty();
    const bool hasTo = !to.asText().isEmpty();
    if (hasFrom && !hasTo)
        item->SetCriteria_p(QStringLiteral(">="), from);
    else if (!hasFrom && hasTo)
        item->SetCriteria_p(QStringLiteral("<="), to);
    else if (hasFrom && hasTo) {
        const QDate a = from.toDate();
        const QDate b = to.toDate();
        if (a == b)
            item->SetCriteria_p(QStringLiteral("="), from);
        else
            item->SetCriteria_p(QStringLiteral("Between"), QList<Value>{Value(std::min(a, b)), Value(std::max(a, b))});
    }
}

void frmSegmentList::openList_m(const QString& sql)
{
    // Opened before the old list goes, so a failure leaves the list as it was.
    std::unique_ptr<Recordset> fresh;
    ado().SQLOpenRecordset_pl(fresh, sql, clsAdoConnectJet::adOpenStatic, clsAdoConnectJet::adLockReadOnly);
    dbgMain->DataSource(fresh.get());
    std::swap(m_rs, fresh);
    dbgMain->ReBind();
    if (fresh)
        fresh->Close();
}

void frmSegmentList::cmdClear_Click()
{
    guarded(Module, "cmdClear_Click", [&] {
        for (DatePicker* d : {dtpImportDateFrom, dtpImportDateTo, dtpSegmentDateFrom, dtpSegmentDateTo})
            d->Value(Value(QDate::currentDate()));
        for (QLineEdit* box : {txtSegmentNumber, txtLastName, txtEvent})
            box->setText(All);
        for (ComboBox* cbo : {cboCategory, cboSegmentType, cboSegmentStatus}) {
            const int index = cbo->findText(All, Qt::MatchExactly);
            if (index >= 0) {
                cbo->ListIndex(index);
            } else {
                cbo->ListIndex(-1);
                cbo->Text(All);
            }
        }
        for (DatePicker* d : {dtpImportDateFrom, dtpImportDateTo, dtpSegmentDateFrom, dtpSegmentDateTo})
            d->Value(Value(QString()));
    });
}

// ---- pages, buttons and menus -------------------------------------------------------

void frmSegmentList::ssTab1_Click(int)
{
    const bool searchPage = ssTab1->currentIndex() == 0;
    fraSearch->setEnabled(searchPage);
    dbgMain->setFocusPolicy(searchPage ? Qt::NoFocus : Qt::StrongFocus);
    RefreshGrid_m();
    SetStatusOfMdiMenus_Pf();
}

void frmSegmentList::RefreshGrid_m()
{
    guarded(Module, "RefreshGrid_m", [&] {
        const bool rows = ssTab1->currentIndex() == 1 && m_rs && m_rs->IsOpen() && m_rs->RecordCount() > 0;
        for (QPushButton* b : {cmdDetails, cmdExport, cmdDelete})
            b->setEnabled(rows);
        cmdNew->setEnabled(true);
        cmdClose->setEnabled(true);
        m_defaultButton = rows ? cmdDetails : cmdSearch;
        cmdDetails->setDefault(rows);
        cmdSearch->setDefault(!rows);
        // On the list page Tab walks the list and its buttons only.
        const Qt::FocusPolicy searchFocus = rows ? Qt::ClickFocus : Qt::StrongFocus;
        cmdSearch->setFocusPolicy(searchFocus);
        cmdClear->setFocusPolicy(searchFocus);
    });
}

bool frmSegmentList::SetStatusOfMdiMenus_Pf()
{
    bool done = false;
    guarded(Module, "SetStatusOfMdiMenus_Pf", [&] {
        WindowHost* main = WindowServices::host();
        if (!main)
            return;
        const bool list = ssTab1->currentIndex() == 1;
        MenuRow row;
        for (const char* item : {"mnuEditDelete", "mnuEditSelectAll", "mnuSortContext", "mnuSortAscending",
                                 "mnuSortDescending", "mnuFileExport"})
            row.set(QString::fromLatin1(item), list);
        for (const char* item : {"mnuEditUndo", "mnuEditCut", "mnuEditCopy", "mnuEditPaste", "mnuEditClear"})
            row.set(QString::fromLatin1(item), !list);
        for (const char* item : {"mnuFileImport", "mnuViewSearchSegments", "mnuViewRoster", "mnuViewEvents",
                                 "mnuViewSegCategory", "mnuViewSegType"})
            row.set(QString::fromLatin1(item), true);
        main->applyMenuRow(row);
        done = true;
    });
    return done;
}

void frmSegmentList::cmdDetails_Click()
{
    guarded(Module, "cmdDetails_Click", [&] { openSegmentDetail_m(false); });
}

void frmSegmentList::cmdNew_Click()
{
    guarded(Module, "cmdNew_Click", [&] { openSegmentDetail_m(true); });
}

void frmSegmentList::openSegmentDetail_m(bool newRecord)
{
    // A segment has one detail window: two would each save over the other's edits.
    if (!newRecord && activateOpenDetail_m(m_rs->Fields(0).Value().toLong()))
        return;
    QWidget* detail = ChildForms::create(QStringLiteral("frmSegmentDetail"));
    // Until the detail window is registered, Details and New open nothing.
    if (!detail)
        return;
    CallByName::call(detail, "FormRefresher_po", m_refresher.data());
    if (WindowHost* main = WindowServices::host())
        main->ShowChild(detail);
    else {
        detail->setAttribute(Qt::WA_DeleteOnClose);
        detail->show();
    }
    const bool shown = newRecord ? CallByName::get<bool>(detail, "NewRecord_Pf")
                                 : CallByName::get<bool>(detail, "Retrieve_pf", m_rs->Fields(0).Value().toLong());
    // A segment that could not be shown (deleted meanwhile) leaves no empty window.
    if (!shown)
        detail->close();
}

bool frmSegmentList::activateOpenDetail_m(qint32 segmentID)
{
    WindowHost* main = WindowServices::host();
    if (!main)
        return false;
    for (QWidget* w : main->childWindows()) {
        if (w->objectName() == QLatin1String("frmSegmentDetail")
            && CallByName::get<qint32>(w, "SegmentID_pl") == segmentID) {
            main->activateChild(w);
            return true;
        }
    }
    return false;
}

void frmSegmentList::dbgMain_DblClick()
{
    if (cmdDetails->isEnabled())
        cmdDetails_Click();
}

void frmSegmentList::dbgMain_MouseUp(int button, int, int, int)
{
    guarded(Module, "dbgMain_MouseUp", [&] {
        if (button != 2 || dbgMain->SelStartCol() < 0 || dbgMain->SelStartCol() != dbgMain->SelEndCol())
            return;
        m_sortColumn = dbgMain->SelStartCol();
        if (WindowHost* main = WindowServices::host())
            if (QMenu* menu = main->SortContextMenu())
                menu->exec(QCursor::pos());
        dbgMain->ClearSelCols();
    });
}

void frmSegmentList::dbgMain_FormatText(int, Value* value)
{
    try {
        if (value && value->isDateLike())
            *value = Value(clsExportToFile::ShortDate_gs(value->toDate()));
    } catch (const AppError&) {
    }
}

// ---- deletion -------------------------------------------------------------------

void frmSegmentList::cmdDelete_Click()
{
    guarded(Module, "cmdDelete_Click", [&] {
        deleteRows_p();
        RefreshGrid_m();
        SetStatusOfMdiMenus_Pf();
    });
}

void frmSegmentList::deleteRows_p()
{
    withErrorSource(QStringLiteral("deleteRows_p"), [&] { deleteBody_m(); });
}

void frmSegmentList::deleteBody_m()
{
    StatusCleared cleared;
    sysCmd(4, text_m(690, QStringLiteral("Deleting")));
    DataGridSelBookmarks& selected = dbgMain->SelBookmarks();
    if (!selected.SelectCurrentWhenEmpty()) {
        showMessage(text_m(720, QStringLiteral("No Record Selected")), 64);
        return;
    }
    // The question names the first segments and how many more there are; the
    // box's details list every one. A box naming a thousand would reach past
    // the screen and hide its buttons.
    constexpr int Named = 10;
    const QString crlf = QStringLiteral("\r\n");
    QStringList segments;
    QStringList ids;
    // Read in place: moving the grid through a thousand rows costs more than
    // the delete. The last one ends up current, as if it had.
    for (int i = 0; i < selected.Count(); ++i) {
        const int row = m_rs->viewRowOfBookmark(selected.Item(i).toLong());
        if (row < 0)
            throw AppError(ErrNo::NoCurrentRecord, AppError::standardDescription(ErrNo::NoCurrentRecord));
        const Value date = m_rs->valueAt(row, 6);
        segments << QStringLiteral("Segment # ") + m_rs->valueAt(row, 1).asText() + QStringLiteral(" Timed On ")
                + (date.isDateLike() ? clsExportToFile::ShortDate_gs(date.toDate()) : date.asText());
        ids << QString::number(m_rs->valueAt(row, 0).toLong());
    }
    dbgMain->Bookmark(selected.Item(selected.Count() - 1));
    const int more = selected.Count() - Named;
    clsThisApp& a = app();
    const QString question =
        a.Strings_po()->IniStringFromID_pf(a.StringsIniFile_ps(), a.Language_ps(), Value(550),
                                           QStringLiteral("delete the following records (and related detail)?"),
                                           Value("Category"))
        + crlf + crlf + segments.mid(0, Named).join(crlf)
        + (more > 0 ? crlf + QStringLiteral("and %1 more").arg(more) : QString());
    if (showMessage(question, 292, more > 0 ? segments.join(crlf) : QString()) != 6)
        return;

    if (!DatabaseFault::saying(text_m(4188, QStringLiteral("The selected segments could not be deleted")),
                               [&] { deleteSegments_m(ids.join(QStringLiteral(", "))); }))
        return;
    // Committed: whatever a refresh does now cannot undo the delete.
    if (m_refresher)
        m_refresher->SendRefreshRequest_p(clsFormRefresher::rtSegmentList);
}

void frmSegmentList::deleteSegments_m(const QString& ids)
{
    clsAdoConnectJet& db = ado();
    bool begun = false;
    try {
        db.BeginTrans_pf();
        begun = true;
        db.SQLExecute_pl(QStringLiteral("DELETE FROM tblSegmentDetail WHERE lSegmentID IN (") + ids + QLatin1Char(')'));
        if (db.SQLExecute_pl(QStringLiteral("DELETE FROM tblSegment WHERE lSegmentID IN (") + ids + QLatin1Char(')'))
            < 1)
            throw AppError(
                4120,
                text_m(4120, QStringLiteral("Records could not be deleted since they have already been assigned")));
        db.CommitTrans_pf();
    } catch (...) {
        if (begun)
            ignoringErrors([&] { db.Rollback_pf(); });
        throw;
    }
}

// ---- export -----------------------------------------------------------------------

void frmSegmentList::Export_p() { cmdExport_Click(); }

void frmSegmentList::cmdExport_Click()
{
    guarded(Module, "cmdExport_Click", [&] {
        if (!m_rs || !m_rs->IsOpen())
            throw AppError(3704, QStringLiteral("Operation is not allowed when the object is closed."));
        // A search that found nothing leaves nothing to write: say so before asking for a file.
        const QString nothing =
            QStringLiteral("There is nothing to export: the list shows no segments. Search for them first.");
        if (dbgMain->SelBookmarks().Count() == 0 && dbgMain->Bookmark().isNullOrEmpty()) {
            showMessage(nothing, 64);
            return;
        }
        const QString defaultName = QStringLiteral("ZrDataExport")
            + QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".txt");
        const SaveFileAsker& asker = saveFileAsker();
        const std::optional<QString> path = (asker ? asker : SaveFileAsker(askWithDialog))(
            this, QStringLiteral("Export File Save"), QStringLiteral("(*.txt)|*.txt"), defaultName);
        if (!path)
            return;  // cancelled
        if (path->isEmpty()) {
            showMessage(QStringLiteral("You must select a file to export to"), 64);
            return;
        }
        clsExportToFile writer;
        sysCmd(4, QStringLiteral("Building criteria for export .."));
        DataGridSelBookmarks& selected = dbgMain->SelBookmarks();
        if (!selected.SelectCurrentWhenEmpty()) {  // emptied while the dialog was up
            showMessage(nothing, 64);
            return;
        }
        std::unique_ptr<Recordset> copy = m_rs->Clone();
        QString ids;
        for (int i = 0; i < selected.Count(); ++i) {
            copy->Bookmark(selected.Item(i).toLong());
            if (!ids.isEmpty())
                ids += QStringLiteral(", ");
            ids += QString::number(copy->Fields(0).Value().toLong());
        }
        copy->Close();

        sysCmd(4, QStringLiteral("Opening data for export .."));
        writer.Segments_p(ado().Connection(), ids);
        sysCmd(4, QStringLiteral("Exporting data .."));
        try {
            writer.Export_p(*path);
        } catch (const AppError& e) {
            if (!clsExportToFile::isSaidInWords(e.number()))
                throw;
            sysCmd(1);
            showMessage(e.description(), 48);
            return;
        }
        sysCmd(1);
    });
}
