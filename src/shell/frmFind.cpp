#include "shell/frmFind.h"

#include "app/CallByName.h"
#include "app/QuietActivation.h"
#include "app/WindowProc.h"
#include "app/WindowServices.h"
#include "app/clsFormHelper.h"
#include "app/clsFormSettings.h"
#include "app/clsStrings.h"
#include "app/clsThisApp.h"
#include "app/clsTxtBoxHelper.h"
#include "app/modapp.h"
#include "platform/ComboBox.h"
#include "platform/Recordset.h"
#include "platform/Value.h"
#include "shell/clsFindAndReplace.h"
#include "shell/mdiMain.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>

namespace {

const char* const Module = "frmFind";
const QString ReplaceStyleCaption = QStringLiteral("&Replace");
const QString FindStyleCaption = QStringLiteral("&Replace..");

using WindowServices::text;

// "Searching" on the status bar for as long as a command runs, however it ends.
class SearchingText {
public:
    SearchingText()
    {
        if (clsThisApp* a = modapp::ThisApp())
            a->SysCmd_g(4, text(2000, QStringLiteral("Searching")));
    }
    ~SearchingText()
    {
        ignoringErrors([] {
            if (clsThisApp* a = modapp::ThisApp())
                a->SysCmd_g(1);
        });
    }
    SearchingText(const SearchingText&) = delete;
    SearchingText& operator=(const SearchingText&) = delete;
};

template <class W>
W* named(W* w, const char* name)
{
    w->setObjectName(QLatin1String(name));
    return w;
}

}  // namespace

frmFind::frmFind(QWidget* parent) : QDialog(parent ? parent : mdiMain::instance(), Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmFind"));
    setModal(false);

    Label1 = named(new QLabel(QStringLiteral("Fi&nd What:"), this), "Label1");
    txtFindWhat = named(new QLineEdit(this), "txtFindWhat");
    Label2 = named(new QLabel(QStringLiteral("Matc&h:"), this), "Label2");
    cboMatchWhat = named(new ComboBox(this), "cboMatchWhat");
    Label4 = named(new QLabel(QStringLiteral("Re&place With:"), this), "Label4");
    txtReplaceWith = named(new QLineEdit(this), "txtReplaceWith");
    chkMatchCase = named(new QCheckBox(QStringLiteral("&Match Case"), this), "chkMatchCase");
    chkSearchCurrentField =
        named(new QCheckBox(QStringLiteral("&Search Currently Selected Field Only"), this), "chkSearchCurrentField");
    cmdFindFirst = named(new QPushButton(QStringLiteral("Find &First"), this), "cmdFindFirst");
    cmdFindNext = named(new QPushButton(QStringLiteral("Find &Next"), this), "cmdFindNext");
    cmdReplace = named(new QPushButton(FindStyleCaption, this), "cmdReplace");
    cmdReplaceAll = named(new QPushButton(QStringLiteral("Replace &All"), this), "cmdReplaceAll");
    cmdCancel = named(new QPushButton(QStringLiteral("&Cancel"), this), "cmdCancel");
    for (QLineEdit* box : {txtFindWhat, txtReplaceWith}) {
        clsTxtBoxHelper::HoldLength(box);
        clsTxtBoxHelper::KeepNulOut(box);
    }
    Label1->setBuddy(txtFindWhat);
    Label2->setBuddy(cboMatchWhat);
    Label4->setBuddy(txtReplaceWith);

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(txtFindWhat, 0, 1);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(cboMatchWhat, 1, 1);
    grid->addWidget(Label4, 2, 0);
    grid->addWidget(txtReplaceWith, 2, 1);
    grid->addWidget(chkMatchCase, 3, 0, 1, 2);
    grid->addWidget(chkSearchCurrentField, 4, 0, 1, 2);
    grid->addWidget(cmdFindFirst, 0, 2);
    grid->addWidget(cmdFindNext, 1, 2);
    grid->addWidget(cmdReplace, 2, 2);
    grid->addWidget(cmdReplaceAll, 3, 2);
    grid->addWidget(cmdCancel, 4, 2);
    grid->setColumnMinimumWidth(1, 200);

    connect(chkMatchCase, &QCheckBox::stateChanged, this, &frmFind::chkMatchCase_Click);
    connect(cmdFindFirst, &QPushButton::clicked, this, &frmFind::cmdFindFirst_Click);
    connect(cmdFindNext, &QPushButton::clicked, this, &frmFind::cmdFindNext_Click);
    connect(cmdReplace, &QPushButton::clicked, this, &frmFind::cmdReplace_Click);
    connect(cmdReplaceAll, &QPushButton::clicked, this, &frmFind::cmdReplaceAll_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmFind::cmdCancel_Click);

    formStyle_pl(0);
    adjustSize();
    Form_Load();
}

frmFind::~frmFind() = default;

void frmFind::Form_Load()
{
    guarded(Module, "Form_Load", [&] {
        // Its flags already keep it on top of the main window; the settings'
        // stay-on-top call would also show it, before it has a window to search.
        clsFormSettings().CenterForm_p(this, mdiMain::instance());
        setWindowTitle(text(3310, QStringLiteral("Find")));
        setWindowIcon(QIcon());
        clsFormHelper().FormOnTop(this, true);
        cboMatchWhat->Clear();
        for (const char* mode : {"Any Part Of Field", "Start Of Field", "Whole Field"})
            cboMatchWhat->AddItem(QLatin1String(mode));
        cboMatchWhat->ListIndex(0);
        m_compareMode = clsFindAndReplace::TextCompare;
        m_engine = std::make_unique<clsFindAndReplace>();
    });
}

void frmFind::engine(std::unique_ptr<clsFindAndReplace> engine) { m_engine = std::move(engine); }

// ---- members the main window calls ----------------------------------------

void frmFind::FormToSearch_pobj(QWidget* form) { m_form = form; }

void frmFind::formStyle_pl(int style)
{
    const bool replace = style == 1;
    cmdReplace->setText(replace ? ReplaceStyleCaption : FindStyleCaption);
    cmdReplaceAll->setEnabled(replace);
    txtReplaceWith->setEnabled(replace);
    // Disabled, the box takes the window's colour so that it looks it.
    QPalette p = txtReplaceWith->palette();
    const QColor back = replace ? txtFindWhat->palette().color(QPalette::Base) : palette().color(QPalette::Window);
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setColor(g, QPalette::Base, back);
    txtReplaceWith->setPalette(p);
}

MenuRow frmFind::menuRow()
{
    return MenuRow(QStringList{QStringLiteral("mnuViewSearchSegments"), QStringLiteral("mnuViewRoster"),
                               QStringLiteral("mnuViewEvents"), QStringLiteral("mnuViewSegCategory"),
                               QStringLiteral("mnuViewSegType")});
}

void frmFind::Form_Activate()
{
    guarded(Module, "Form_Activate", [&] {
        SetStatusOfMdiMenus_Pf();
        if (mdiMain* main = mdiMain::instance())
            main->childActivationLapsed();
    });
}

void frmFind::SetStatusOfMdiMenus_Pf()
{
    guarded(Module, "SetStatusOfMdiMenus_Pf", [&] {
        if (mdiMain* main = mdiMain::instance())
            main->applyMenuRow(menuRow());
    });
}

bool frmFind::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    return QDialog::event(event);
}

// ---- commands ---------------------------------------------------------------

void frmFind::chkMatchCase_Click()
{
    m_compareMode =
        chkMatchCase->checkState() == Qt::Checked ? clsFindAndReplace::BinaryCompare : clsFindAndReplace::TextCompare;
}

void frmFind::command_m(const char* proc, const std::function<void()>& steps)
{
    guarded(Module, proc, [&] {
        // The searched window closed meanwhile: this find window has nothing left to do.
        if (!m_form) {
            close();
            return;
        }
        SearchingText searching;
        steps();
    });
}

void frmFind::search_m(qint32 mode, bool replace)
{
    struct ShowAgain {
        frmFind* w;
        ~ShowAgain() { w->show(); }
    } showAgain{this};
    hide();
    m_engine->Find_P(m_form.data(), txtFindWhat->text(), mode,
                     replace ? std::optional<QString>(txtReplaceWith->text()) : std::nullopt, cboMatchWhat->Text(),
                     chkSearchCurrentField->checkState() != Qt::Unchecked, m_compareMode);
    show();
    // The other windows of the searched kind follow the replaced values, once
    // they are stored: rows a window holds in memory (a segment's) reach the
    // database, and the other windows, with the window's own save.
    if (replace && m_form) {
        const Recordset* rows = CallByName::get<Recordset*>(m_form.data(), "DataSource_Po");
        if (!rows || !rows->IsOpen() || rows->OpenMode() != Recordset::Mode::InMemory)
            CallByName::call(m_form.data(), "ForceSendRefreshRequest_p");
    }
}

void frmFind::cmdFindFirst_Click()
{
    command_m("cmdFindFirst_Click", [&] {
        if (mdiMain* main = mdiMain::instance())
            main->statusBar()->repaint();
        search_m(clsFindAndReplace::FindFirst, false);
    });
}

void frmFind::cmdFindNext_Click()
{
    command_m("cmdFindNext_Click", [&] { search_m(clsFindAndReplace::FindNext, false); });
}

void frmFind::cmdReplace_Click()
{
    command_m("cmdReplace_Click", [&] {
        // The first click in the find style only turns the window into the replace style.
        if (cmdReplace->text() == FindStyleCaption)
            formStyle_pl(1);
        else
            search_m(clsFindAndReplace::ReplaceOnce, true);
    });
}

void frmFind::cmdReplaceAll_Click()
{
    command_m("cmdReplaceAll_Click", [&] { search_m(clsFindAndReplace::ReplaceAll, true); });
}

void frmFind::cmdCancel_Click()
{
    guarded(Module, "cmdCancel_Click", [&] { close(); });
}

// ---- unload -------------------------------------------------------------------

void frmFind::reject()
{
    // Escape closes the window the same way Cancel does.
    close();
}

void frmFind::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}

void frmFind::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    ignoringErrors([&] { m_engine.reset(); });
    ignoringErrors([] {
        if (clsThisApp* a = modapp::ThisApp())
            a->setMenusAndButtonDefaults_g();
        else if (mdiMain* main = mdiMain::instance())
            main->applyMenuRow(mdiMain::NoChildRow());
    });
    // Gone already (closed while this window was open): nothing to give back.
    // The searched window gets its menus back and stays on the last match.
    ignoringErrors([&] {
        QuietActivation quiet;
        if (m_form)
            CallByName::call(m_form.data(), "Form_Activate");
    });
    m_form.clear();
}
