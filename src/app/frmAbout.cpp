#include "app/frmAbout.h"

#include "app/AppLogo.h"
#include "app/WindowProc.h"
#include "platform/AppInfo.h"
#include "platform/MessagePresenter.h"
#include "platform/Twips.h"

#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QFrame* separator(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setObjectName(QStringLiteral("Line1"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}
}  // namespace

frmAbout::frmAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setModal(true);

    imgLogo = new QLabel(this);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setPixmap(AppLogo::product(64));
    imgDeveloper = new QLabel(this);
    imgDeveloper->setObjectName(QStringLiteral("imgDeveloper"));
    imgDeveloper->setPixmap(AppLogo::developers(48));
    imgDeveloper->setCursor(Qt::PointingHandCursor);
    imgDeveloper->setToolTip(QString::fromLatin1(WebPage));
    imgDeveloper->installEventFilter(this);

    lblTitle = new QLabel(this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont big = lblTitle->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    lblTitle->setFont(big);
    lblVersion = new QLabel(this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblCopyright = new QLabel(this);
    lblCopyright->setObjectName(QStringLiteral("lblCopyright"));
    lblCopyright->setWordWrap(true);
    lblDisclaimer = new QLabel(
        QStringLiteral("This program is offered as it is, without any warranty. Keep the watch's own record until "
                       "you have checked a download, and copy the program only as its licence allows."),
        this);
    lblDisclaimer->setObjectName(QStringLiteral("lblDisclaimer"));
    lblDisclaimer->setWordWrap(true);

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(imgLogo, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(lblTitle, 0, 1);
    grid->addWidget(lblVersion, 1, 1);
    grid->addWidget(lblCopyright, 2, 1);
    grid->addWidget(separator(this), 3, 0, 1, 3);
    grid->addWidget(imgDeveloper, 4, 0, Qt::AlignTop);
    grid->addWidget(lblDisclaimer, 4, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);
    buttons->addStretch(1);
    grid->addLayout(buttons, 4, 2);
    grid->addWidget(separator(this), 5, 0, 1, 3);
    grid->setColumnStretch(1, 1);

    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
    Form_Load();
    // A window of its own takes its least size from the layout unless told.
    setMinimumSize(Twips::designSize(this, DesignWidth, DesignHeight, minimumSizeHint()));
}

QSize frmAbout::sizeHint() const { return Twips::designSize(this, DesignWidth, DesignHeight, minimumSize()); }

void frmAbout::Form_Load()
{
    lblTitle->setText(AppInfo::title());
    lblVersion->setText(
        QStringLiteral("Version %1.%2.%3").arg(AppInfo::major()).arg(AppInfo::minor()).arg(AppInfo::revision()));
    lblCopyright->setText(AppInfo::copyright());
    setWindowTitle(QStringLiteral("About ") + AppInfo::title());
}

void frmAbout::cmdOK_Click() { accept(); }

void frmAbout::cmdSysInfo_Click()
{
    guarded("frmAbout", "cmdSysInfo_Click", [&] { StartSysInfo(); });
}

void frmAbout::StartSysInfo()
{
    // Every failure on the way ends in the same box.
    try {
        QString tool;
        if (GetKeyValue(HKeyLocalMachine, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                        QStringLiteral("PATH"), tool)
            && QFileInfo(tool).isFile() && m_shell.LaunchProgramPl(this, tool, {}) == Shell::Success)
            return;
    } catch (...) {
    }
    MessagePresenter::show(QStringLiteral("System Information Is Unavailable At This Time"), MessageBoxStyle::OK,
                           AppInfo::title());
}

bool frmAbout::GetKeyValue(qint32, const QString&, const QString&, QString& keyValue)
{
    keyValue.clear();
    return false;
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == imgDeveloper && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        imgDeveloper_Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void frmAbout::imgDeveloper_Click()
{
    // A launch that fails is only a result; there is nothing to tell the user.
    guarded("frmAbout", "imgDeveloper_Click",
            [&] { m_shell.LaunchUrlPl(this, QString::fromLatin1(WebPage), clsShellExecute::ShowNormal); });
}
