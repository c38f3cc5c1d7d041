#include "support/SimulatedWatch.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

SimulatedWatch::SimulatedWatch(QObject* parent) : QObject(parent)
{
    m_clock.start();
    termios raw{};
    cfmakeraw(&raw);
    char name[256] = {};
    if (::openpty(&m_master, &m_slave, name, &raw, nullptr) != 0) {
        m_master = m_slave = -1;
        return;
    }
    // The slave end stays open here too, so the master never sees a hang-up
    // while the program has the port closed.
    m_devicePath = QString::fromLocal8Bit(name);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);

    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &SimulatedWatch::onReadable_m);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &SimulatedWatch::flush_m);

    m_paceTimer.setTimerType(Qt::PreciseTimer);
    m_paceTimer.setInterval(5);
    connect(&m_paceTimer, &QTimer::timeout, this, &SimulatedWatch::onPace_m);
}

SimulatedWatch::~SimulatedWatch() { unplug(); }

void SimulatedWatch::unplug()
{
    m_paceTimer.stop();
    delete m_readNotifier;
    m_readNotifier = nullptr;
    delete m_writeNotifier;
    m_writeNotifier = nullptr;
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
    m_master = m_slave = -1;
}

int SimulatedWatch::wakeBytesReceived() const
{
    int n = 0;
    for (const Arrival& a : m_received)
        n += a.byte == 0x14 ? 1 : 0;
    return n;
}

QByteArray SimulatedWatch::awkwardBytes(int n)
{
    static const quint8 awkward[] = {0x00, 0x03, 0x04, 0x0A, 0x0D, 0x11, 0x13,
                                     0x14, 0x1A, 0x7F, 0x80, 0xFF, 0x0D, 0x0A};
    QByteArray bytes;
    bytes.reserve(n);
    for (int i = 0; i < n; ++i)
        bytes.append(char(i % 3 == 0 ? awkward[(i / 3) % sizeof awkward] : quint8(i * 37 + 11)));
    return bytes;
}

void SimulatedWatch::onReadable_m()
{
    char buf[512];
    for (;;) {
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n <= 0)
            return;  // drained (the slave end held here means no hang-up)
        const qint64 at = clockMs();
        for (ssize_t i = 0; i < n; ++i) {
            const auto byte = quint8(buf[i]);
            m_received.append({byte, at});
            emit byteReceived(byte, at);
        }
        if (!m_answered && !m_silent && !m_image.isEmpty() && wakeBytesReceived() >= m_answerAfter)
            startAnswer_m();
    }
}

void SimulatedWatch::startAnswer_m()
{
    m_answered = true;
    m_answerStartedMs = clockMs();
    if (m_bytesPerSecond <= 0) {
        const qint64 n = m_unplugAfter >= 0 ? std::min<qint64>(m_unplugAfter, m_image.size()) : m_image.size();
        m_released = n;
        send(m_image.left(n));
        pullCableIfDue_m();
        return;
    }
    m_paceClock.start();
    m_paceTimer.start();
    onPace_m();
}

void SimulatedWatch::onPace_m()
{
    // Releases as many bytes as the line speed allows by now, one byte
    // straight away, so the average rate is the line's whatever the timer does.
    qint64 due = std::min<qint64>(m_image.size(), 1 + m_paceClock.elapsed() * m_bytesPerSecond / 1000);
    if (m_unplugAfter >= 0)
        due = std::min(due, m_unplugAfter);
    if (due > m_released) {
        const qint64 from = m_released;
        m_released = due;
        send(m_image.mid(from, due - from));
    }
    if (m_released >= m_image.size())
        m_paceTimer.stop();
    pullCableIfDue_m();
}

void SimulatedWatch::pullCableIfDue_m()
{
    if (m_unplugAfter < 0 || m_released < m_unplugAfter)
        return;
    m_paceTimer.stop();
    m_unplugAfter = -1;
    // From the event loop: this may run inside one of the notifiers unplug() deletes.
    QTimer::singleShot(0, this, &SimulatedWatch::unplug);
}

void SimulatedWatch::send(const QByteArray& bytes)
{
    m_pending.append(bytes);
    flush_m();
}

void SimulatedWatch::flush_m()
{
    while (!m_pending.isEmpty() && m_master >= 0) {
        const ssize_t n = ::write(m_master, m_pending.constData(), size_t(m_pending.size()));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            break;  // the terminal is full: go on when it can take more
        }
        m_pending.remove(0, n);
    }
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(!m_pending.isEmpty());
    if (m_pending.isEmpty() && m_answered && m_answerFinishedMs < 0 && m_released >= m_image.size()) {
        m_answerFinishedMs = clockMs();
        emit answerFinished();
    }
}
