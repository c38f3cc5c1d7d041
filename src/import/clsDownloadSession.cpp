#include "import/clsDownloadSession.h"

#include "import/WatchImage.h"
#include "platform/AppError.h"
#include "platform/SerialPort.h"

#include <cmath>
#include <limits>

clsDownloadSession::clsDownloadSession(QObject* parent) : QObject(parent), m_port(new SerialPort(this))
{
    m_port->setObjectName(QStringLiteral("MSComm1"));
    m_silenceTimer.setObjectName(QStringLiteral("tmrReceiveInterval"));
    // The watch listens for the wake byte on its own clock: 0.2 s must not come early.
    for (QTimer* t : {&m_wakeTimer, &m_deadlineTimer, &m_silenceTimer})
        t->setTimerType(Qt::PreciseTimer);
    m_deadlineTimer.setSingleShot(true);
    m_silenceTimer.setSingleShot(true);

    connect(&m_wakeTimer, &QTimer::timeout, this, &clsDownloadSession::onWakeTick_m);
    connect(&m_deadlineTimer, &QTimer::timeout, this, &clsDownloadSession::onDeadline_m);
    connect(&m_silenceTimer, &QTimer::timeout, this, &clsDownloadSession::onSilence_m);
    connect(m_port, &SerialPort::OnComm, this, &clsDownloadSession::onData_m);
    connect(m_port, &SerialPort::commError, this, &clsDownloadSession::onCommError_m);
}

clsDownloadSession::~clsDownloadSession() { stop(); }

void clsDownloadSession::start(qint16 portNumber, const QString& imagePath, double waitSeconds)
{
    stop();
    m_imagePath = imagePath;
    m_image.begin(imagePath);
    try {
        m_port->PortOpen(false);
        m_port->CommPort(portNumber);
        m_port->Settings(QString::fromLatin1(LineSettings));
        m_port->Handshaking(0);
        m_port->PortOpen(true);
        // Whatever the line held before the first wake byte is not the watch's answer.
        m_port->InBufferCount(0);
    } catch (...) {
        closeAll_m();
        throw;
    }

    m_received = 0;
    m_state = State::Connecting;
    m_clock.start();
    constexpr double maxMs = double(std::numeric_limits<int>::max());
    const double ms = std::isnan(waitSeconds) ? 0.0 : std::min(waitSeconds * 1000.0, maxMs);
    m_deadlineMs = ms > 0 ? qint64(std::ceil(ms)) : 0;
    // A wait of nothing still runs from the event loop, after the caller is done.
    m_deadlineTimer.start(int(m_deadlineMs));
    if (m_deadlineMs > 0)
        m_wakeTimer.start(m_wakeMs);
}

void clsDownloadSession::stop() noexcept
{
    closeAll_m();
    m_state = State::Idle;
}

bool clsDownloadSession::closeAll_m(qint32* number, QString* description) noexcept
{
    m_wakeTimer.stop();
    m_deadlineTimer.stop();
    m_silenceTimer.stop();
    try {
        m_port->PortOpen(false);
    } catch (...) {
    }
    try {
        m_image.commit();
    } catch (const AppError& e) {
        if (number)
            *number = e.number();
        if (description)
            *description = e.description();
        return false;
    } catch (...) {
        m_image.discard();
    }
    return true;
}

void clsDownloadSession::onWakeTick_m()
{
    if (m_state != State::Connecting)
        return;
    // The wait ends before a wake byte that falls due at the same moment.
    if (m_clock.elapsed() >= m_deadlineMs) {
        timeOut_m();
        return;
    }
    try {
        m_port->Output(QByteArray(1, WakeByte));
    } catch (const AppError& e) {
        fail_m(e.number(), e.description());
    }
}

void clsDownloadSession::onDeadline_m()
{
    if (m_state == State::Connecting)
        timeOut_m();
}

void clsDownloadSession::timeOut_m()
{
    m_wakeTimer.stop();
    m_deadlineTimer.stop();
    try {
        m_image.commit();
    } catch (...) {
        // Nothing came: the time-out is all there is to say.
    }
    m_state = State::Idle;
    emit timedOut();
}

void clsDownloadSession::onData_m()
{
    const QByteArray bytes = m_port->Input();
    // Late bytes after a time-out, or after a transfer, belong to no download.
    if (m_state == State::Idle || bytes.isEmpty())
        return;
    const bool first = m_state == State::Connecting;
    if (first) {
        m_wakeTimer.stop();
        m_deadlineTimer.stop();
        m_state = State::Receiving;
    }
    m_silenceTimer.stop();
    try {
        m_image.append(bytes);
    } catch (const AppError& e) {
        fail_m(e.number(), e.description());
        return;
    }
    m_received += bytes.size();
    if (first)
        emit receivingStarted();
    if (m_state != State::Receiving)
        return;  // a receiver stopped us
    if (m_received > m_sizeLimit)
        finish_m(true);
    else
        m_silenceTimer.start(m_silenceMs);
}

void clsDownloadSession::onSilence_m() { finish_m(false); }

void clsDownloadSession::finish_m(bool cutAtLimit)
{
    if (m_state != State::Receiving)
        return;
    qint32 number = 0;
    QString description;
    const bool placed = closeAll_m(&number, &description);
    m_state = State::Idle;
    if (!placed)
        emit failed(number, description);
    else if (cutAtLimit || !isWholeImage(m_received))
        emit transferIncomplete(m_imagePath, m_received, cutAtLimit);
    else
        emit transferComplete(m_imagePath);
}

bool clsDownloadSession::isWholeImage(qint64 size)
{
    const qint64 memory = size > WatchImage::LargeImageThreshold ? WatchImage::LargeImage : WatchImage::SmallImage;
    return size >= memory + WatchImage::TrailerSize;
}

void clsDownloadSession::onCommError_m(qint32 number, const QString& description)
{
    if (m_state == State::Idle) {
        // The line died while nobody was downloading: just let go of it.
        closeAll_m();
        return;
    }
    fail_m(number, description);
}

void clsDownloadSession::fail_m(qint32 number, const QString& description)
{
    closeAll_m();
    m_state = State::Idle;
    emit failed(number, description);
}
