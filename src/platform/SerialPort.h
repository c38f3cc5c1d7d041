#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSerialPort;

// The serial line to the watch's cradle, driven the way the program drives a
// serial control: a port number, a settings text such as "4800,N,8,1", an
// open flag, raw byte output and input, and a signal when bytes are waiting.
// Port n is the device named by the environment variable SPLITWERK_COM<n>
// when set (a USB adapter, /dev/serial/by-id/..., a pseudo-terminal in
// tests), else /dev/ttyS<n-1>. Failures raise AppError with the control's
// numbers.
class SerialPort : public QObject {
    Q_OBJECT
public:
    static constexpr qint32 ErrInvalidOperation = 8000;
    static constexpr qint32 ErrInvalidPort = 8002;
    static constexpr qint32 ErrPortAlreadyOpen = 8005;
    static constexpr qint32 ErrBaudRateNotSupported = 8007;
    static constexpr qint32 ErrDeviceNotOpen = 8012;
    static constexpr qint32 ErrOther = 8013;
    // The line failed while open: the device closed, went away, or refused
    // a read or a write.
    static constexpr qint32 ErrLineFailed = 8020;

    // The port numbers there are: each names a device (see deviceForPort).
    static constexpr int FirstPort = 1;
    static constexpr int LastPort = 255;

    explicit SerialPort(QObject* parent = nullptr);
    ~SerialPort() override;

    // The device that port number n stands for; empty for a number outside
    // FirstPort..LastPort.
    static QString deviceForPort(int n);

    qint16 CommPort() const { return m_commPort; }
    // Raises 8002 for a number outside FirstPort..LastPort and 8000 while the port is open.
    void CommPort(qint16 n);
    QString Settings() const { return m_settings; }
    // "baud,parity,data bits,stop bits"; parity N, E, O, M or S. A text that
    // cannot be read raises 380; an open port takes the new settings at once.
    void Settings(const QString& settings);
    // 0 none, 1 XON/XOFF, 2 RTS/CTS, 3 both (taken as RTS/CTS).
    qint32 Handshaking() const { return m_handshaking; }
    void Handshaking(qint32 mode);

    bool PortOpen() const;
    // Opening raises 8002 (no such device, or one without hardware), 8005 (in use by someone else),
    // 8007 (speed refused) or 8013 (anything else); the port stays closed.
    void PortOpen(bool open);
    // The device path the port is, or would be, opened on.
    QString DevicePath() const;

    // Queues the bytes for sending; raises 8012 when the port is closed.
    void Output(const QByteArray& bytes);
    // Every byte waiting, unchanged; empty when none (or closed).
    QByteArray Input();
    qint32 InBufferCount() const;
    // Setting 0 throws away every byte received and not yet read, the ones
    // the system still holds included; other counts raise 380.
    void InBufferCount(qint32 count);

signals:
    // Bytes are waiting to be read.
    void OnComm();
    // The line failed while open (ErrLineFailed); the description names the
    // device and the system's reason.
    void commError(qint32 number, const QString& description);

private:
    void applySettings_m();
    void onError_m(int error);
    // "<device> closed or is gone (<reason>)".
    QString lineFailure_m(const QString& systemReason) const;

    QSerialPort* m_port;
    qint16 m_commPort = 1;
    QString m_settings = QStringLiteral("9600,N,8,1");
    qint32 m_handshaking = 0;
    QString m_openedDevice;  // the path the open port was opened on
    bool m_quiet = false;
};
