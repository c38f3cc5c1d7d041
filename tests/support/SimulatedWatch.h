#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

class QSocketNotifier;

// A watch in its cradle, on a pseudo-terminal in raw mode: the program opens
// devicePath() (through SPLITWERK_COM<n>), the watch records every byte it
// gets with its arrival time and answers the wake byte with its memory image,
// at once or paced at a line speed, or never.
class SimulatedWatch : public QObject {
    Q_OBJECT
public:
    struct Arrival {
        quint8 byte;
        qint64 atMs;  // on clockMs()
    };

    explicit SimulatedWatch(QObject* parent = nullptr);
    ~SimulatedWatch() override;

    bool isOpen() const { return m_master >= 0; }
    // The terminal the program opens.
    QString devicePath() const { return m_devicePath; }

    // The answer, sent once the answerAfter-th byte 0x14 has arrived
    // (default: the first). Without an image, or when silent, it never answers.
    void setImage(const QByteArray& image) { m_image = image; }
    void setAnswerAfter(int wakeBytes) { m_answerAfter = wakeBytes; }
    void setSilent(bool silent) { m_silent = silent; }
    // Sends the image at this many bytes a second (480 is 4800 baud with a
    // start and a stop bit); 0 sends it all at once.
    void setBytesPerSecond(int rate) { m_bytesPerSecond = rate; }
    // The cable is pulled (unplug()) once this many bytes of the answer went
    // to the line; negative: never.
    void setUnplugAfter(qint64 bytes) { m_unplugAfter = bytes; }

    // Milliseconds since the watch was made; arrivals are stamped on it.
    qint64 clockMs() const { return m_clock.elapsed(); }
    const QList<Arrival>& received() const { return m_received; }
    int wakeBytesReceived() const;
    // When the answer's first and last bytes went to the line (-1 until then).
    qint64 answerStartedMs() const { return m_answerStartedMs; }
    qint64 answerFinishedMs() const { return m_answerFinishedMs; }

    // Puts bytes on the line now, whatever the watch's state.
    void send(const QByteArray& bytes);
    // The cradle goes away: both ends of the terminal are closed.
    void unplug();

    // A memory-image-like block holding every byte value a text path could
    // mangle (NUL, ETX, LF, CR, XON, XOFF, EOF, DEL, 0x80, 0xFF ...), n bytes long.
    static QByteArray awkwardBytes(int n);

signals:
    void byteReceived(quint8 byte, qint64 atMs);
    void answerFinished();

private:
    void onReadable_m();
    void onPace_m();
    void flush_m();
    void startAnswer_m();
    void pullCableIfDue_m();

    int m_master = -1;
    int m_slave = -1;
    QString m_devicePath;
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
    QTimer m_paceTimer;
    QElapsedTimer m_clock;
    QElapsedTimer m_paceClock;

    QByteArray m_image;
    int m_answerAfter = 1;
    bool m_silent = false;
    int m_bytesPerSecond = 0;
    qint64 m_unplugAfter = -1;
    bool m_answered = false;
    qint64 m_released = 0;  // bytes of the image handed to the line so far
    QByteArray m_pending;   // handed over but not yet accepted by the terminal
    QList<Arrival> m_received;
    qint64 m_answerStartedMs = -1;
    qint64 m_answerFinishedMs = -1;
};
