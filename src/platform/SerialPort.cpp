#include "platform/SerialPort.h"

#include "platform/AppError.h"

#include <QFile>
#include <QSerialPort>
#include <QStringList>

#include <poll.h>
#include <unistd.h>

namespace {
struct LineSettings {
    qint32 baud = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};

bool parseSettings(const QString& text, LineSettings* out)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return false;
    bool ok = false;
    const int baud = parts[0].trimmed().toInt(&ok);
    if (!ok || baud <= 0)
        return false;
    out->baud = baud;

    const QString parity = parts[1].trimmed().toUpper();
    if (parity == QLatin1String("N"))
        out->parity = QSerialPort::NoParity;
    else if (parity == QLatin1String("E"))
        out->parity = QSerialPort::EvenParity;
    else if (parity == QLatin1String("O"))
        out->parity = QSerialPort::OddParity;
    else if (parity == QLatin1String("M"))
        out->parity = QSerialPort::MarkParity;
    else if (parity == QLatin1String("S"))
        out->parity = QSerialPort::SpaceParity;
    else
        return false;

    const int bits = parts[2].trimmed().toInt(&ok);
    if (!ok || bits < 5 || bits > 8)
        return false;
    out->dataBits = QSerialPort::DataBits(bits);

    const QString stop = parts[3].trimmed();
    if (stop == QLatin1String("1"))
        out->stopBits = QSerialPort::OneStop;
    else if (stop == QLatin1String("1.5"))
        out->stopBits = QSerialPort::OneAndHalfStop;
    else if (stop == QLatin1String("2"))
        out->stopBits = QSerialPort::TwoStop;
    else
        return false;
    return true;
}
}  // namespace

SerialPort::SerialPort(QObject* parent) : QObject(parent), m_port(new QSerialPort(this))
{
    connect(m_port, &QSerialPort::readyRead, this, &SerialPort::OnComm);
    connect(m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) { onError_m(int(e)); });
}

SerialPort::~SerialPort()
{
    m_quiet = true;
    if (m_port->isOpen())
        m_port->close();
}

QString SerialPort::deviceForPort(int n)
{
    if (n < FirstPort || n > LastPort)
        return {};
    const QByteArray override = qgetenv(QStringLiteral("SPLITWERK_COM%1").arg(n).toLatin1().constData());
    if (!override.isEmpty())
        return QString::fromLocal8Bit(override);
    return QStringLiteral("/dev/ttyS%1").arg(n - 1);
}

void SerialPort::CommPort(qint16 n)
{
    if (PortOpen())
        AppError::raise(ErrInvalidOperation, QStringLiteral("Operation not valid while the port is opened"));
    if (n < FirstPort || n > LastPort)
        AppError::raise(ErrInvalidPort, QStringLiteral("Invalid port number"));
    m_commPort = n;
}

void SerialPort::Settings(const QString& settings)
{
    LineSettings parsed;
    if (!parseSettings(settings, &parsed))
        AppError::raise(ErrNo::InvalidPropertyValue, AppError::standardDescription(ErrNo::InvalidPropertyValue));
    m_settings = settings;
    if (PortOpen())
        applySettings_m();
}

void SerialPort::Handshaking(qint32 mode)
{
    if (mode < 0 || mode > 3)
        AppError::raise(ErrNo::InvalidPropertyValue, AppError::standardDescription(ErrNo::InvalidPropertyValue));
    m_handshaking = mode;
    if (PortOpen())
        applySettings_m();
}

bool SerialPort::PortOpen() const { return m_port->isOpen(); }

QString SerialPort::DevicePath() const { return deviceForPort(m_commPort); }

void SerialPort::PortOpen(bool open)
{
    if (!open) {
        if (m_port->isOpen()) {
            // Errors Qt reports while we close on purpose are no failures of the line.
            m_quiet = true;
            m_port->close();
            m_quiet = false;
        }
        return;
    }
    if (m_port->isOpen())
        AppError::raise(ErrPortAlreadyOpen, QStringLiteral("Port already open"));

    const QString device = DevicePath();
    if (device.isEmpty())
        AppError::raise(ErrInvalidPort, QStringLiteral("Invalid port number"));
    m_port->setPortName(device);
    m_openedDevice = device;
    m_quiet = true;  // open failures are raised here, not signalled
    const bool opened = m_port->open(QIODevice::ReadWrite);
    const QSerialPort::SerialPortError error = m_port->error();
    const QString why = m_port->errorString();
    m_port->clearError();
    m_quiet = false;
    if (!opened) {
        switch (error) {
        case QSerialPort::DeviceNotFoundError:
        // A serial device without its hardware (a ttyS with no chip behind it)
        // answers the open with an I/O error: nothing is there either.
        case QSerialPort::ResourceError:
            AppError::raise(ErrInvalidPort, QStringLiteral("Invalid port number (%1: %2)").arg(device, why));
        case QSerialPort::PermissionError:
        case QSerialPort::OpenError: {
            // A device we may use but cannot open is held by someone else;
            // one we may not use needs the user's rights fixed instead.
            const QByteArray path = QFile::encodeName(device);
            if (::access(path.constData(), R_OK | W_OK) == 0)
                AppError::raise(ErrPortAlreadyOpen, QStringLiteral("Port already open (%1)").arg(device));
            AppError::raise(ErrOther,
                            QStringLiteral("No permission to use %1; the user may need to join the "
                                           "group that owns serial devices (often \"dialout\")")
                                .arg(device));
        }
        default: AppError::raise(ErrOther, QStringLiteral("Cannot open %1: %2").arg(device, why));
        }
    }
    try {
        applySettings_m();
    } catch (...) {
        PortOpen(false);
        throw;
    }
}

void SerialPort::applySettings_m()
{
    LineSettings s;
    parseSettings(m_settings, &s);  // checked when it was set
    if (!m_port->setBaudRate(s.baud)) {
        m_port->clearError();
        AppError::raise(ErrBaudRateNotSupported,
                        QStringLiteral("The device does not support the baud rate %1").arg(s.baud));
    }
    const bool ok = m_port->setDataBits(s.dataBits) && m_port->setParity(s.parity) && m_port->setStopBits(s.stopBits)
        && m_port->setFlowControl(m_handshaking == 0       ? QSerialPort::NoFlowControl
                                      : m_handshaking == 1 ? QSerialPort::SoftwareControl
                                                           : QSerialPort::HardwareControl);
    if (!ok) {
        const QString why = m_port->errorString();
        m_port->clearError();
        AppError::raise(ErrOther, QStringLiteral("Cannot set the line to %1: %2").arg(m_settings, why));
    }
}

void SerialPort::Output(const QByteArray& bytes)
{
    if (!m_port->isOpen())
        AppError::raise(ErrDeviceNotOpen, QStringLiteral("The port is not open"));
    if (m_port->write(bytes) != bytes.size()) {
        const QString why = m_port->errorString();
        m_port->clearError();
        AppError::raise(ErrLineFailed, lineFailure_m(QStringLiteral("writing failed: ") + why));
    }
}

QByteArray SerialPort::Input() { return m_port->isOpen() ? m_port->readAll() : QByteArray(); }

qint32 SerialPort::InBufferCount() const { return m_port->isOpen() ? qint32(m_port->bytesAvailable()) : 0; }

void SerialPort::InBufferCount(qint32 count)
{
    if (count != 0)
        AppError::raise(ErrNo::InvalidPropertyValue, AppError::standardDescription(ErrNo::InvalidPropertyValue));
    // Reading what Qt holds is not enough: bytes the driver has queued since
    // the open only reach Qt on the next pass of the event loop.
    if (m_port->isOpen())
        m_port->clear(QSerialPort::Input);
}

void SerialPort::onError_m(int error)
{
    const auto e = QSerialPort::SerialPortError(error);
    // Modem-line requests a pseudo-terminal or a plain adapter refuses, and
    // time-outs of waits we never make, are not failures of the line.
    if (m_quiet || e == QSerialPort::NoError || e == QSerialPort::UnsupportedOperationError
        || e == QSerialPort::TimeoutError)
        return;
    QString why = m_port->errorString();
    m_port->clearError();
    if (e == QSerialPort::ReadError)
        why = QStringLiteral("reading failed: ") + why;
    else if (e == QSerialPort::WriteError)
        why = QStringLiteral("writing failed: ") + why;
    emit commError(ErrLineFailed, lineFailure_m(why));
}

QString SerialPort::lineFailure_m(const QString& systemReason) const
{
    // A hang-up reads as end of file, after which Qt reports whatever errno
    // last held; the line's own state is the truer reason.
    QString why = systemReason;
    pollfd p{int(m_port->handle()), POLLIN, 0};
    if (p.fd >= 0 && ::poll(&p, 1, 0) > 0 && (p.revents & POLLHUP))
        why = QStringLiteral("the line was hung up");
    else if (!QFile::exists(m_openedDevice))
        why = QStringLiteral("the device no longer exists");
    return QStringLiteral("%1 closed or is gone (%2)").arg(m_openedDevice, why);
}
