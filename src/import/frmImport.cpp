#include "import/frmImport.h"

#include "app/MenuRow.h"
#include "app/WindowProc.h"
#include "app/WindowServices.h"
#include "app/clsFile.h"
#include "app/clsFormSettings.h"
#include "app/clsHourglass.h"
#include "app/clsMessageHandler.h"
#include "app/clsStrings.h"
#include "app/clsThisApp.h"
#include "app/clsTxtBoxHelper.h"
#include "app/modapp.h"
#include "import/ImportTexts.h"
#include "import/WatchImageFile.h"
#include "import/clsDownloadSession.h"
#include "platform/AppError.h"
#include "platform/AppInfo.h"
#include "platform/SerialPort.h"
#include "platform/TextArea.h"
#include "platform/Twips.h"
#include "platform/Value.h"

#include <QCloseEvent>
#include <QDir>
#include <QFont>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {
constexpr int StyleExclamation = 48;
constexpr int StyleInformation = 64;

frmImport::StagingClearer& stagingClearer()
{
    static frmImport::StagingClearer f;
    return f;
}
frmImport::ImageParser& imageParser()
{
    static frmImport::ImageParser f;
    return f;
}
frmImport::ReviewOpener& reviewOpener()
{
    static frmImport::ReviewOpener f;
    return f;
}

QString defaultInstructions()
{
    return QStringList{QStringLiteral("* Turn On The Watch"),
                       QStringLiteral("* Make sure the cradle is plugged in"),
                       QStringLiteral("* Place the Watch on the cradle "),
                       QStringLiteral("* Click Import"),
                       QString(),
                       QStringLiteral("* Please see documentation for instructions")}
        .join(QStringLiteral("\r\n"));
}

qint32 showMessage(const QString& text, qint32 style)
{
    if (auto* mh = modapp::MessageHandler())
        return mh->ShowMessage_gl(text, style);
    return 0;
}

// A frame without an icon still needs one to draw: a transparent one keeps
// the program's icon from showing through.
QIcon noIcon()
{
    QPixmap blank(16, 16);
    blank.fill(Qt::transparent);
    return QIcon(blank);
}

QLabel* boldLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    return label;
}
}  // namespace

void frmImport::setStagingClearer(StagingClearer clearer) { stagingClearer() = std::move(clearer); }
void frmImport::setImageParser(ImageParser parser) { imageParser() = std::move(parser); }
void frmImport::setReviewOpener(ReviewOpener opener) { reviewOpener() = std::move(opener); }

frmImport::frmImport(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmImport"));

    fraSettings = new QGroupBox(QStringLiteral("Settings:"), this);
    fraSettings->setObjectName(QStringLiteral("fraSettings"));
    Label1 = new QLabel(QStringLiteral("Communications Port:"), fraSettings);
    Label1->setObjectName(QStringLiteral("Label1"));
    txtCommPort = new QLineEdit(fraSettings);
    txtCommPort->setObjectName(QStringLiteral("txtCommPort"));
    // Digits only, typed or pasted, and short enough to stay a 16-bit port number.
    txtCommPort->setMaxLength(5);
    txtCommPort->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d*")), txtCommPort));
    Label1->setBuddy(txtCommPort);
    auto* settingsLayout = new QHBoxLayout(fraSettings);
    settingsLayout->addWidget(Label1);
    settingsLayout->addWidget(txtCommPort);

    fraStatus = new QGroupBox(QStringLiteral("Status:"), this);
    fraStatus->setObjectName(QStringLiteral("fraStatus"));
    lblStatus = boldLabel(QString(), fraStatus);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    auto* statusLayout = new QHBoxLayout(fraStatus);
    statusLayout->addWidget(lblStatus);

    cmdImport = new QPushButton(QStringLiteral("&Import"), this);
    cmdImport->setObjectName(QStringLiteral("cmdImport"));
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    picInstructions = new QFrame(this);
    picInstructions->setObjectName(QStringLiteral("picInstructions"));
    picInstructions->setFrameShape(QFrame::StyledPanel);
    lblPicBoxHeader = boldLabel(QStringLiteral("INSTRUCTIONS"), picInstructions);
    lblPicBoxHeader->setObjectName(QStringLiteral("lblPicBoxHeader"));
    PicLine = new QFrame(picInstructions);
    PicLine->setObjectName(QStringLiteral("PicLine"));
    PicLine->setFrameShape(QFrame::HLine);
    PicLine->setFixedHeight(Twips::toPixelsY(PicLine, 48));
    txtInstructions = new TextArea(picInstructions);
    txtInstructions->setObjectName(QStringLiteral("txtInstructions"));
    txtInstructions->setReadOnly(true);
    auto* instructionsLayout = new QVBoxLayout(picInstructions);
    instructionsLayout->addWidget(lblPicBoxHeader);
    instructionsLayout->addWidget(PicLine);
    instructionsLayout->addWidget(txtInstructions);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(fraSettings);
    bottom->addWidget(fraStatus, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdImport);
    buttons->addWidget(cmdCancel);
    auto* main = new QVBoxLayout(this);
    main->addWidget(picInstructions, 1);
    main->addLayout(bottom);
    main->addLayout(buttons);

    m_session = new clsDownloadSession(this);

    connect(cmdImport, &QPushButton::clicked, this, &frmImport::cmdImport_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmImport::cmdCancel_Click);
    connect(m_session, &clsDownloadSession::receivingStarted, this,
            [this] { guarded("frmImport", "MSComm1_OnComm", [&] { ChangeImportStatus_m(2); }); });
    connect(m_session, &clsDownloadSession::failed, this, &frmImport::MSComm1_OnComm);
    connect(m_session, &clsDownloadSession::transferComplete, this, &frmImport::tmrReceiveInterval_Timer);
    connect(m_session, &clsDownloadSession::transferIncomplete, this, &frmImport::TransferIncomplete_m);
    connect(m_session, &clsDownloadSession::timedOut, this, &frmImport::WaitTimedOut_m);

    clsTxtBoxHelper::InstallKeyFilter(txtCommPort, [this](qint16 key) {
        qint16 result = 0;
        guarded("frmImport", "txtCommPort_KeyPress", [&] {
            result = clsTxtBoxHelper().FilterKeyPressNumericPi(key, true);
            if (result == 0)
                showMessage(text_m(500, QStringLiteral("Com Port Must Be Numeric")), StyleExclamation);
        });
        return result;
    });

    guarded("frmImport", "Form_Load", [&] { Form_Load(); });
}

QSize frmImport::minimumSizeHint() const
{
    return Twips::designSize(this, DesignWidth, DesignHeight, QWidget::minimumSizeHint());
}

QSize frmImport::sizeHint() const { return minimumSizeHint(); }

frmImport::~frmImport()
{
    // Destroyed without a close (shut-down): the port and file go with the session.
    ignoringErrors([&] { m_session->stop(); });
}

void frmImport::Form_Load()
{
    m_firstShowDone = false;
    setWindowTitle(text_m(3200, QStringLiteral("Import")));
    setWindowIcon(noIcon());
    m_portTextAsLoaded = setting_m(110, QStringLiteral("1"));
    txtCommPort->setText(m_portTextAsLoaded);

    txtInstructions->setPlainText(defaultInstructions());
    const QString fromFile = settingFileText_m(130);
    if (!fromFile.isEmpty())
        txtInstructions->setPlainText(fromFile);

    ChangeImportStatus_m(0);
}

bool frmImport::event(QEvent* event)
{
    // A frame takes no icon from the window it holds: it gets ours as the window moves into it.
    if (event->type() == QEvent::ParentChange)
        if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
            frame->setWindowIcon(windowIcon());
    return QWidget::event(event);
}

void frmImport::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_firstShowDone)
        return;
    m_firstShowDone = true;
    // The frame exists only once the main window shows the window.
    guarded("frmImport", "Form_Load", [&] { clsFormSettings().CenterForm_p(this, WindowServices::frame()); });
}

QString frmImport::text_m(qint32 id, const QString& defaultText) const { return WindowServices::text(id, defaultText); }

QString frmImport::text_m(qint32 id, const QString& defaultText, const QString& tag) const
{
    const clsThisApp* app = modapp::ThisApp();
    if (!app || !app->Strings_po())
        return QString(defaultText).replace(QLatin1Char('|'), tag);
    return app->Strings_po()->IniStringFromID_pf(app->StringsIniFile_ps(), app->Language_ps(), Value(id), defaultText,
                                                 Value(tag));
}

QString frmImport::setting_m(qint32 id, const QString& defaultText) const
{
    const clsThisApp* app = modapp::ThisApp();
    if (!app || !app->Strings_po())
        return defaultText;
    return app->Strings_po()->SysStringFromID_pf(id, defaultText);
}

QString frmImport::settingFileText_m(qint32 settingId) const
{
    const QString name = setting_m(settingId, QString());
    if (name.isEmpty())
        return {};
    try {
        return clsFile().GetFileContents_pv(QDir(AppInfo::path()).filePath(name)).asText();
    } catch (const AppError& e) {
        // A replacement text that cannot be read is reported; the built-in one serves.
        reportError(e.number(), e.description());
        return {};
    }
}

void frmImport::ChangeImportStatus_m(qint32 status)
{
    guarded("frmImport", "ChangeImportStatus_m", [&] {
        struct Look {
            qint32 id;
            const char* text;
            QColor colour;
        };
        static const Look looks[] = {
            {640, "waiting for user action ... ", QColor(0, 0, 0)},
            {650, "CONNECTING", QColor(192, 0, 0)},
            {660, "RECEIVING", QColor(255, 128, 0)},
            {670, "SAVING DATA", QColor(0, 192, 0)},
        };
        if (status < 0 || status > 3) {
            showMessage(QStringLiteral("incorrect parameter passed to ChangeImportStatus_m"), StyleExclamation);
            return;
        }
        const Look& look = looks[status];
        QPalette pal = lblStatus->palette();
        pal.setColor(QPalette::WindowText, look.colour);
        lblStatus->setPalette(pal);
        lblStatus->setText(text_m(look.id, QString::fromLatin1(look.text)));
        m_status = status;
        if (status == 0)
            m_busy.reset();
        else if (!m_busy)
            m_busy = std::make_unique<clsHourglass>();
    });
}

bool frmImport::isTransferring() const { return m_session->isTransferring(); }

bool frmImport::otherDownloadBlocks_m()
{
    WindowHost* main = WindowServices::host();
    if (!main)
        return false;
    bool review = false;
    bool download = false;
    for (QWidget* w : main->childWindows()) {
        if (w == this)
            continue;
        if (w->objectName() == QLatin1String("frmImportSegment"))
            review = true;
        else if (auto* other = qobject_cast<frmImport*>(w); other && other->isTransferring())
            download = true;
    }
    // Both share temp.bin and the staging tables: a second download would
    // make an open review save the wrong segments, or save them twice.
    if (download)
        showMessage(text_m(675,
                           QStringLiteral("Another download window is talking to the watch. Let it finish "
                                          "before starting a new download.")),
                    StyleExclamation);
    else if (review)
        showMessage(text_m(676,
                           QStringLiteral("Save or close the imported segments window before starting a "
                                          "new download.")),
                    StyleExclamation);
    return download || review;
}

void frmImport::cmdImport_Click()
{
    guarded("frmImport", "cmdImport_Click", [&] {
        if (otherDownloadBlocks_m())
            return;
        cmdImport->setEnabled(false);
        int port = 0;
        try {
            // Said before anything is cleared: a slip in the box costs nothing.
            const QString typed = txtCommPort->text().trimmed();
            bool isNumber = false;
            port = typed.toInt(&isNumber);
            if (!isNumber || port < SerialPort::FirstPort || port > SerialPort::LastPort) {
                startRefused_m(typed.isEmpty()
                                   ? ImportTexts::portMissing(SerialPort::FirstPort, SerialPort::LastPort)
                                   : ImportTexts::portOutOfRange(SerialPort::FirstPort, SerialPort::LastPort, typed));
                return;
            }
            if (stagingClearer())
                stagingClearer()();
            m_imagePath = QDir(AppInfo::path()).filePath(QStringLiteral("temp.bin"));
            m_importDate = QDate::currentDate();
            const double waitSeconds = Value::val(setting_m(100, QStringLiteral("30")));
            m_session->start(qint16(port), m_imagePath, waitSeconds);
        } catch (const AppError& e) {
            if (WatchImageFile::isOwnFault(e.number())) {
                startRefused_m(e.description());
                return;
            }
            if (e.number() == SerialPort::ErrInvalidPort) {
                startRefused_m(ImportTexts::noCradle(port, SerialPort::deviceForPort(port)));
                return;
            }
            backToIdle_m();
            reportError(e.number(), e.description());
            readyForAnotherTry_m();
            return;
        }
        ChangeImportStatus_m(1);
    });
}

void frmImport::startRefused_m(const QString& words)
{
    backToIdle_m();
    showMessage(words, StyleExclamation);
    readyForAnotherTry_m();
}

void frmImport::readyForAnotherTry_m()
{
    txtCommPort->setFocus();
    txtCommPort->selectAll();
    SetStatusOfMdiMenus_Pf();
}

void frmImport::backToIdle_m()
{
    m_session->stop();
    cmdImport->setEnabled(true);
    ChangeImportStatus_m(0);
}

void frmImport::WaitTimedOut_m()
{
    guarded("frmImport", "cmdImport_Click", [&] {
        cmdImport->setEnabled(true);
        ChangeImportStatus_m(0);
        QString message = settingFileText_m(120);
        if (message.isEmpty())
            message = QStringLiteral("Connection has timed out, unable to connect to watch.  "
                                     "Please see documentation for possible solutions");
        showMessage(message, StyleInformation);
    });
}

void frmImport::MSComm1_OnComm(qint32 number, const QString& description)
{
    guarded("frmImport", "MSComm1_OnComm", [&] {
        // The session has closed the port and the file already.
        backToIdle_m();
        if (WatchImageFile::isOwnFault(number)) {
            showMessage(description, StyleExclamation);
            return;
        }
        switch (number) {
        case 8000:
        case 8005:
        case 8013: showMessage(setting_m(8013, QStringLiteral("Port already open")), StyleInformation); break;
        case 8002: showMessage(setting_m(8002, QStringLiteral("Invalid Com Port")), StyleInformation); break;
        case 8007:
            showMessage(setting_m(8007, QStringLiteral("Baud rate not supported for selected com port")),
                        StyleInformation);
            break;
        case SerialPort::ErrLineFailed:
            // The cradle went away mid-download: not a port someone else holds.
            showMessage(text_m(677,
                               QStringLiteral("The connection to the watch was lost: |. Check the cradle and its "
                                              "cable, then press Import to try again."),
                               description),
                        StyleExclamation);
            break;
        default: AppError::raise(number, description);
        }
    });
}

void frmImport::tmrReceiveInterval_Timer(const QString& imagePath)
{
    guarded("frmImport", "tmrReceiveInterval_Timer", [&] {
        ChangeImportStatus_m(3);
        QList<WatchImage::SkippedSegment> skipped;
        try {
            if (imageParser())
                skipped = imageParser()(imagePath, m_importDate);
        } catch (const AppError& e) {
            // The rows written before the error stay for the user to see; the window is ready again.
            backToIdle_m();
            if (!WatchImageFile::isOwnFault(e.number()))
                throw;
            showMessage(e.description(), StyleExclamation);
            return;
        } catch (...) {
            backToIdle_m();
            throw;
        }
        bool opened = false;
        if (reviewOpener()) {
            hide();
            opened = reviewOpener()(m_importDate, m_refresher.data());
        }
        m_reviewOpened = opened;
        // Said over the review, which shows the segments that did come.
        if (!skipped.isEmpty()) {
            QStringList lines;
            for (const WatchImage::SkippedSegment& s : skipped)
                lines << ImportTexts::skippedSegment(s.label, s.stored);
            lines << ImportTexts::skippedSegmentsAdvice();
            showMessage(lines.join(QLatin1Char('\n')), StyleExclamation);
        }
        if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
            sub->close();
        else
            close();
    });
}

void frmImport::TransferIncomplete_m(const QString&, qint64 bytes, bool cutAtLimit)
{
    guarded("frmImport", "tmrReceiveInterval_Timer", [&] {
        // A part of the memory is no download: nothing is parsed, the bytes
        // stay in temp.bin for a look, and Import can be pressed again.
        backToIdle_m();
        const QString count = QString::number(bytes);
        if (cutAtLimit)
            showMessage(text_m(679,
                               QStringLiteral("The download was cut off after | bytes: the device went on sending far "
                                              "beyond a watch's memory. Nothing was imported; the bytes received are "
                                              "kept in temp.bin in the program folder. Check that the port number is "
                                              "the cradle's, then press Import to try again."),
                               count),
                        StyleExclamation);
        else
            showMessage(text_m(678,
                               QStringLiteral("The download is incomplete: only | bytes came from the watch before it "
                                              "stopped sending, less than its whole memory. Nothing was imported; the "
                                              "bytes received are kept in temp.bin in the program folder. Check that "
                                              "the watch sits on the cradle, then press Import to try again."),
                               count),
                        StyleExclamation);
    });
}

void frmImport::cmdCancel_Click()
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->close();
    else
        close();
}

void frmImport::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}

void frmImport::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    ignoringErrors([&] { m_session->stop(); });
    ignoringErrors([&] {
        // Setting 110 only ever holds a port number.
        const QString text = txtCommPort->text();
        static const QRegularExpression digits(QStringLiteral("^\\d{1,5}$"));
        if (text != m_portTextAsLoaded && digits.match(text).hasMatch())
            if (clsThisApp* app = modapp::ThisApp(); app && app->Strings_po())
                app->Strings_po()->SysStringToID_pf(110, text);
    });
    ignoringErrors([&] {
        if (!m_reviewOpened)
            if (clsThisApp* app = modapp::ThisApp())
                app->setMenusAndButtonDefaults_g();
    });
    ignoringErrors([&] { m_busy.reset(); });
}

void frmImport::Form_Activate() { SetStatusOfMdiMenus_Pf(); }

void frmImport::SetStatusOfMdiMenus_Pf()
{
    guarded("frmImport", "SetStatusOfMdiMenus_Pf", [&] {
        WindowHost* main = WindowServices::host();
        if (!main)
            return;
        static const MenuRow row(QStringList{QStringLiteral("mnuEditUndo"), QStringLiteral("mnuViewSearchSegments"),
                                             QStringLiteral("mnuViewRoster"), QStringLiteral("mnuViewEvents"),
                                             QStringLiteral("mnuViewSegCategory"), QStringLiteral("mnuViewSegType")});
        main->applyMenuRow(row);
    });
}
