#include "app/frmSplash.h"

#include "app/AppLogo.h"
#include "platform/AppInfo.h"
#include "platform/Twips.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QSysInfo>
#include <QThread>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <memory>

namespace {
frmSplash::Clock realClock()
{
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    return {[timer] { return timer->elapsed(); }, [](int ms) { QThread::msleep(ulong(ms)); }};
}

// The platform the program runs on, as the fixed platform line names it.
QString platformName()
{
    const QString kernel = QSysInfo::kernelType();
    if (kernel == QLatin1String("linux"))
        return QStringLiteral("Linux");
    if (kernel == QLatin1String("darwin"))
        return QStringLiteral("macOS");
    if (kernel == QLatin1String("winnt"))
        return QStringLiteral("Windows");
    return QSysInfo::prettyProductName();
}

QLabel* label(QWidget* parent, const char* name, const QString& text = {})
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}
}  // namespace

frmSplash::frmSplash(qint32 minimumSeconds, Clock clock, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_clock(clock.elapsedMs && clock.sleepMs ? std::move(clock) : realClock()), m_minimumSeconds(minimumSeconds)
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(AppInfo::title());

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::Box);
    Frame1->installEventFilter(this);

    imgLogo = label(Frame1, "imgLogo");
    imgLogo->setPixmap(AppLogo::product(96));
    imgLogo->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    lblCompany = label(Frame1, "lblCompany");
    lblCompany->setAlignment(Qt::AlignRight);
    lblProductName = label(Frame1, "lblProductName");
    QFont big = lblProductName->font();
    big.setPointSizeF(big.pointSizeF() * 2.2);
    big.setBold(true);
    lblProductName->setFont(big);
    lblPlatform = label(Frame1, "lblPlatform", QStringLiteral("for ") + platformName());
    lblVersion = label(Frame1, "lblVersion");
    lblVersion->setAlignment(Qt::AlignRight);
    lblMaker = label(Frame1, "lblMaker", QStringLiteral("Split times for coaches, from the watch to the database"));
    lblCopyright = label(Frame1, "lblCopyright");
    lblStatus = label(Frame1, "lblStatus");
    prgProgress = new QProgressBar(Frame1);
    prgProgress->setObjectName(QStringLiteral("prgProgress"));
    prgProgress->setRange(0, 100);
    prgProgress->setValue(0);
    prgProgress->setTextVisible(false);

    auto* text = new QVBoxLayout;
    text->addWidget(lblCompany);
    text->addWidget(lblProductName);
    text->addWidget(lblPlatform);
    text->addWidget(lblVersion);
    text->addStretch(1);
    text->addWidget(lblMaker);
    text->addWidget(lblCopyright);
    auto* top = new QHBoxLayout;
    top->addWidget(imgLogo);
    top->addLayout(text, 1);
    auto* frame = new QVBoxLayout(Frame1);
    frame->addLayout(top, 1);
    frame->addWidget(prgProgress);
    frame->addWidget(lblStatus);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(Frame1);

    Form_Load();
    // A window of its own takes its least size from the layout unless told.
    setMinimumSize(Twips::designSize(this, DesignWidth, DesignHeight, minimumSizeHint()));
}

QSize frmSplash::sizeHint() const { return Twips::designSize(this, DesignWidth, DesignHeight, minimumSize()); }

frmSplash::~frmSplash() = default;

void frmSplash::Form_Load()
{
    m_loadedAtMs = m_clock.elapsedMs();
    lblVersion->setText(
        QStringLiteral("Version %1.%2.%3").arg(AppInfo::major()).arg(AppInfo::minor()).arg(AppInfo::revision()));
    lblCompany->setText(AppInfo::companyName());
    lblProductName->setText(AppInfo::title());
    lblCopyright->setText(AppInfo::copyright());
    Status_ps(QStringLiteral("Initializing.."));
}

void frmSplash::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    // The minimum time counts from when the user can first see the window.
    m_loadedAtMs = m_clock.elapsedMs();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void frmSplash::Refresh()
{
    if (m_unloaded)
        return;
    repaint();
    // A new window is mapped only through the event queue; user input stays queued.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void frmSplash::yieldTopmost()
{
    // On the native window only: changing the widget's own flags would hide it.
    if (QWindow* window = windowHandle())
        window->setFlag(Qt::WindowStaysOnTopHint, false);
}

void frmSplash::Status_ps(const QString& status)
{
    if (m_unloaded)
        return;
    m_status = status;
    showStatus_m(status);
}

void frmSplash::StatusDetail_ps(const QString& detail)
{
    if (m_unloaded)
        return;
    showStatus_m(m_status + QLatin1Char(' ') + detail);
}

void frmSplash::showStatus_m(const QString& text)
{
    lblStatus->setText(text);
    lblStatus->repaint();
}

void frmSplash::Progress_pl(qint32 value)
{
    if (m_unloaded)
        return;
    prgProgress->setValue(std::clamp(value, 0, 100));
    prgProgress->repaint();
}

void frmSplash::keyPressEvent(QKeyEvent* event)
{
    event->accept();
    close();
}

bool frmSplash::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Frame1 && event->type() == QEvent::MouseButtonPress) {
        close();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void frmSplash::closeEvent(QCloseEvent* event)
{
    // The close is never refused; only the first one waits.
    if (!m_unloaded) {
        m_unloaded = true;
        try {
            waitForMinimum_m();
        } catch (...) {
        }
    }
    event->accept();
}

void frmSplash::waitForMinimum_m()
{
    const qint64 endMs = m_loadedAtMs + qint64(m_minimumSeconds) * 1000;
    for (qint64 now = m_clock.elapsedMs(); now < endMs; now = m_clock.elapsedMs()) {
        const int value = prgProgress->value();
        if (value < 99) {
            prgProgress->setValue(value + 1);
            prgProgress->repaint();
        } else if (value == 99) {
            prgProgress->setValue(100);
            prgProgress->hide();
            lblStatus->setText(QStringLiteral("THANK YOU for using this product"));
            repaint();
        }
        // Short sleeps instead of a spin: no events run and no core is burnt.
        m_clock.sleepMs(int(std::min<qint64>(WaitStepMs, endMs - now)));
    }
}
