#pragma once

#include "import/WatchImageFile.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

class SerialPort;

// One download from the watch, without any window: opens the image file and
// the serial port, sends the wake byte until the watch answers or the wait
// runs out, appends every byte received to the image, and calls the transfer
// done after a stretch of silence. Event driven; nothing here ever waits.
class clsDownloadSession : public QObject {
    Q_OBJECT
public:
    enum class State { Idle, Connecting, Receiving };

    static constexpr char WakeByte = '\x14';
    static constexpr const char* LineSettings = "4800,N,8,1";

    explicit clsDownloadSession(QObject* parent = nullptr);
    ~clsDownloadSession() override;

    // The watch is woken every wakeMs (the first one after wakeMs, never
    // earlier); silenceMs without a byte ends a transfer; an image that grows
    // beyond sizeLimit is cut off there (a whole one is 8228 bytes, so more is
    // a device that never stops talking).
    void setWakeIntervalMs(int ms) { m_wakeMs = ms; }
    void setSilenceIntervalMs(int ms) { m_silenceMs = ms; }
    void setSizeLimit(qint64 bytes) { m_sizeLimit = bytes; }
    int wakeIntervalMs() const { return m_wakeMs; }
    int silenceIntervalMs() const { return m_silenceMs; }

    // Begins a new image for imagePath, opens the port and starts waking the
    // watch. A wait of zero seconds or less (or no number) times out at once.
    // Raises the file's or the port's error; nothing is left open then. The
    // image takes the file's place whenever the download closes.
    void start(qint16 portNumber, const QString& imagePath, double waitSeconds);
    // Stops whatever runs, closes the port and the file; no signal follows.
    void stop() noexcept;

    // A complete download: the watch's memory and its trailer, 4132 bytes,
    // or 8228 once the image is long enough to be the larger memory.
    static bool isWholeImage(qint64 size);

    State state() const { return m_state; }
    bool isTransferring() const { return m_state != State::Idle; }
    qint64 bytesReceived() const { return m_received; }
    QString imagePath() const { return m_imagePath; }
    SerialPort* port() const { return m_port; }

signals:
    // The watch answered: the first bytes of this download arrived.
    void receivingStarted();
    // Nothing came in the wait. The image file is closed; the port stays
    // open and anything arriving later is read and dropped.
    void timedOut();
    // Silence ended the transfer of a whole image; port and file are closed.
    void transferComplete(const QString& imagePath);
    // The transfer ended without a whole image: silence came too early, or
    // the device went on past the size limit. Port and file are closed; the
    // file keeps the bytes that came.
    void transferIncomplete(const QString& imagePath, qint64 bytes, bool cutAtLimit);
    // The line or the image file failed; everything is closed.
    void failed(qint32 number, const QString& description);

private:
    void onWakeTick_m();
    void onDeadline_m();
    void onData_m();
    void onSilence_m();
    void finish_m(bool cutAtLimit);
    void onCommError_m(qint32 number, const QString& description);
    void timeOut_m();
    void fail_m(qint32 number, const QString& description);
    // Stops the timers, closes the port and puts the image in place; false
    // (and the fault in *number, *description) when the image could not be.
    bool closeAll_m(qint32* number = nullptr, QString* description = nullptr) noexcept;

    SerialPort* m_port;
    WatchImageFile m_image;
    QTimer m_wakeTimer;
    QTimer m_deadlineTimer;
    QTimer m_silenceTimer;
    QElapsedTimer m_clock;
    qint64 m_deadlineMs = 0;
    State m_state = State::Idle;
    QString m_imagePath;
    qint64 m_received = 0;
    int m_wakeMs = 200;
    int m_silenceMs = 2000;
    qint64 m_sizeLimit = 1024 * 1024;
};
