#include "import/clsDownloadSession.h"
#include "platform/AppError.h"
#include "platform/SerialPort.h"
#include "support/SimulatedWatch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <mutex>

namespace {
constexpr qint16 Port = 4;

// What the program asks of the system about the image: the files it flushed
// (by the path each had then) and how often it touched the umask, which
// every thread of the program shares.
std::mutex g_callsLock;
QStringList g_synced;
std::atomic<int> g_umaskCalls{0};
}  // namespace

// Passed on to the system unchanged, and noted.
extern "C" int fsync(int fd)
{
    char link[PATH_MAX] = {};
    const ssize_t n = ::readlink(QByteArray("/proc/self/fd/" + QByteArray::number(fd)).constData(), link, PATH_MAX - 1);
    if (n > 0) {
        const std::lock_guard<std::mutex> lock(g_callsLock);
        g_synced << QFile::decodeName(QByteArray(link, int(n)));
    }
    return int(::syscall(SYS_fsync, fd));
}

extern "C" mode_t umask(mode_t mask)
{
    ++g_umaskCalls;
    return mode_t(::syscall(SYS_umask, mask));
}

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

struct DownloadSession : ::testing::Test {
    QTemporaryDir dir;
    SimulatedWatch watch;
    clsDownloadSession session;
    QString image;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(watch.isOpen());
        qputenv("SPLITWERK_COM4", watch.devicePath().toLocal8Bit());
        image = dir.filePath(QStringLiteral("temp.bin"));
        session.setSilenceIntervalMs(300);
    }
    void TearDown() override { qunsetenv("SPLITWERK_COM4"); }

    // Wake bytes must come at their due times: the k-th not before k wake
    // intervals after the start (timers may run late under load, never early).
    void expectWakeTiming(qint64 startMs, int wakeMs)
    {
        const auto& got = watch.received();
        for (int k = 0; k < got.size(); ++k) {
            EXPECT_EQ(got[k].byte, 0x14) << "byte " << k;
            EXPECT_GE(got[k].atMs, startMs + qint64(k + 1) * wakeMs - 1) << "wake byte " << k << " early";
            if (k > 0) {
                const qint64 gap = got[k].atMs - got[k - 1].atMs;
                EXPECT_GT(gap, wakeMs / 2) << "wake byte " << k;
                EXPECT_LT(gap, wakeMs * 2 + 50) << "wake byte " << k;
            }
        }
    }
};
}  // namespace

TEST_F(DownloadSession, WakesAtTheIntervalUntilTheWatchAnswersThenKeepsEveryByte)
{
    const QByteArray answer = SimulatedWatch::awkwardBytes(4132);
    watch.setImage(answer);
    watch.setAnswerAfter(3);
    QSignalSpy receiving(&session, &clsDownloadSession::receivingStarted);
    QSignalSpy done(&session, &clsDownloadSession::transferComplete);

    const qint64 t0 = watch.clockMs();
    session.start(Port, image, 30);
    EXPECT_EQ(session.state(), clsDownloadSession::State::Connecting);
    ASSERT_TRUE(done.wait(5000));
    const qint64 finished = watch.clockMs();

    EXPECT_EQ(receiving.count(), 1);
    EXPECT_EQ(done.first().at(0).toString(), image);
    EXPECT_EQ(session.state(), clsDownloadSession::State::Idle);
    EXPECT_FALSE(session.port()->PortOpen());
    // Three wake bytes, the first at 0.2 s, and none once the answer began.
    EXPECT_EQ(watch.received().size(), 3);
    expectWakeTiming(t0, 200);
    EXPECT_EQ(fileBytes(image), answer);
    EXPECT_EQ(session.bytesReceived(), answer.size());
    // The transfer ends only after a full silence interval.
    EXPECT_GE(finished - watch.answerFinishedMs(), 300 - 1);
}

// The next download takes away the parts a killed one left; the image is on
// the disk before it takes its name, and readable as the user's umask says,
// which no thread of the program sees changed.
TEST_F(DownloadSession, LeftPartsGoAndTheImageIsFlushedBeforeItTakesItsName)
{
    const QDir folder(dir.path());
    QFile(folder.filePath(QStringLiteral("elsewhere"))).open(QIODevice::WriteOnly);
    enum Kind { File, Link, Folder };
    const struct {
        const char* name;
        Kind kind;
        bool stays;
    } entries[] = {
        {"temp.bin.a1B2c3", File, false},  {"temp.bin.ZZZZZZ", File, false}, {"temp.bin.keep", File, true},
        {"temp.bin.a1B2c3.x", File, true}, {"temp.bin.Link01", Link, true},  {"temp.bin.Dir123", Folder, true},
    };
    for (const auto& e : entries) {
        const QString path = folder.filePath(QLatin1String(e.name));
        if (e.kind == Link)
            ASSERT_TRUE(QFile::link(folder.filePath(QStringLiteral("elsewhere")), path));
        else if (e.kind == Folder)
            ASSERT_TRUE(folder.mkdir(path));
        else
            ASSERT_TRUE(QFile(path).open(QIODevice::WriteOnly));
    }
    const QByteArray answer = SimulatedWatch::awkwardBytes(4132);
    watch.setImage(answer);
    QSignalSpy done(&session, &clsDownloadSession::transferComplete);
    const mode_t before = mode_t(::syscall(SYS_umask, 027));
    g_umaskCalls = 0;
    {
        const std::lock_guard<std::mutex> lock(g_callsLock);
        g_synced.clear();
    }
    session.start(Port, image, 30);
    const bool finished = done.wait(5000);
    ::syscall(SYS_umask, before);
    ASSERT_TRUE(finished);

    EXPECT_EQ(fileBytes(image), answer);
    EXPECT_EQ(QFileInfo(image).permissions() & 0x7777,
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup);
    EXPECT_EQ(g_umaskCalls, 0);
    {
        const std::lock_guard<std::mutex> lock(g_callsLock);
        EXPECT_EQ(g_synced.filter(QRegularExpression(QStringLiteral("/temp\\.bin\\.[A-Za-z0-9]{6}$"))).size(), 1)
            << g_synced.join(QLatin1Char(' ')).toStdString();
    }
    for (const auto& e : entries)
        EXPECT_EQ(QFileInfo(folder.filePath(QLatin1String(e.name))).exists(), e.stays) << e.name;
    EXPECT_EQ(folder.entryList({QStringLiteral("temp.bin.??????")}, QDir::AllEntries | QDir::System).size(), 2);
}

TEST_F(DownloadSession, BurstsCloserThanTheSilenceMakeOneFileAndAPauseEndsIt)
{
    session.setWakeIntervalMs(50);
    session.setSilenceIntervalMs(400);
    const QByteArray first = SimulatedWatch::awkwardBytes(4123);
    const QByteArray second = QByteArray::fromHex("000d0aff1a7f801311");  // 4132 in all
    watch.setImage(first);
    QSignalSpy done(&session, &clsDownloadSession::transferComplete);
    QObject::connect(&watch, &SimulatedWatch::answerFinished, &watch, [&] {
        QTimer::singleShot(200, &watch, [&] { watch.send(second); });
        // A third burst after the end belongs to no download.
        QTimer::singleShot(1000, &watch, [&] { watch.send("late"); });
    });

    session.start(Port, image, 30);
    ASSERT_TRUE(done.wait(3000));
    EXPECT_EQ(fileBytes(image), first + second);
    QTest::qWait(1000);
    EXPECT_EQ(done.count(), 1);
    EXPECT_EQ(fileBytes(image), first + second);
}

TEST_F(DownloadSession, RealLineSpeedAndRealIntervals)
{
    clsDownloadSession real;  // the design's intervals, untouched
    ASSERT_EQ(real.wakeIntervalMs(), 200);
    ASSERT_EQ(real.silenceIntervalMs(), 2000);
    const QByteArray answer = SimulatedWatch::awkwardBytes(960);
    watch.setImage(answer);
    watch.setBytesPerSecond(480);  // 4800 baud, ten bits a byte
    // Two seconds of a paced line hold less than a whole image: it ends incomplete.
    QSignalSpy done(&real, &clsDownloadSession::transferIncomplete);

    const qint64 t0 = watch.clockMs();
    real.start(Port, image, 30);
    ASSERT_TRUE(done.wait(9000));
    const qint64 finished = watch.clockMs();

    ASSERT_EQ(watch.received().size(), 1);
    expectWakeTiming(t0, 200);
    EXPECT_GE(watch.answerFinishedMs() - watch.answerStartedMs(), 1900) << "the answer was not paced";
    EXPECT_EQ(fileBytes(image), answer);
    // Gaps between paced bytes never ended it early; two quiet seconds did.
    EXPECT_GE(finished - watch.answerFinishedMs(), 2000 - 1);
    EXPECT_LT(finished - watch.answerFinishedMs(), 2600);
}

TEST_F(DownloadSession, WaitRunsOutThenLateBytesAreDropped)
{
    QSignalSpy timedOut(&session, &clsDownloadSession::timedOut);
    QSignalSpy receiving(&session, &clsDownloadSession::receivingStarted);
    const qint64 t0 = watch.clockMs();
    session.start(Port, image, 0.5);
    ASSERT_TRUE(timedOut.wait(3000));
    const qint64 at = watch.clockMs() - t0;
    EXPECT_GE(at, 500 - 1);
    EXPECT_LT(at, 1200);
    EXPECT_EQ(session.state(), clsDownloadSession::State::Idle);
    // Wake bytes at 0.2 and 0.4 s; none at or after the deadline.
    EXPECT_EQ(watch.wakeBytesReceived(), 2);
    expectWakeTiming(t0, 200);

    watch.send(QByteArray::fromHex("00112233"));
    QTest::qWait(300);
    EXPECT_EQ(receiving.count(), 0);
    EXPECT_EQ(session.port()->InBufferCount(), 0);  // read and dropped
    EXPECT_EQ(fileBytes(image), QByteArray());
    EXPECT_EQ(watch.wakeBytesReceived(), 2);
}

TEST_F(DownloadSession, NoWaitAtAllTimesOutWithoutAWakeByte)
{
    QSignalSpy timedOut(&session, &clsDownloadSession::timedOut);
    session.start(Port, image, 0);
    EXPECT_EQ(timedOut.count(), 0) << "signalled before the caller was done";
    ASSERT_TRUE(timedOut.wait(1000));
    QTest::qWait(300);
    EXPECT_EQ(watch.received().size(), 0);
}

TEST_F(DownloadSession, ADeviceThatNeverPausesIsCutAtTheSizeLimit)
{
    session.setWakeIntervalMs(50);
    session.setSilenceIntervalMs(10000);
    session.setSizeLimit(1000);
    watch.setImage(SimulatedWatch::awkwardBytes(5000));
    QSignalSpy done(&session, &clsDownloadSession::transferComplete);
    QSignalSpy cut(&session, &clsDownloadSession::transferIncomplete);
    session.start(Port, image, 30);
    ASSERT_TRUE(cut.wait(3000));
    const QByteArray got = fileBytes(image);
    EXPECT_GT(got.size(), 1000);
    EXPECT_EQ(got, SimulatedWatch::awkwardBytes(5000).left(got.size()));
    EXPECT_EQ(cut.first().at(1).toLongLong(), got.size());
    EXPECT_TRUE(cut.first().at(2).toBool());
    EXPECT_EQ(done.count(), 0);
    EXPECT_FALSE(session.port()->PortOpen());
}

// A whole download is 4132 or 8228 bytes; anything shorter ends incomplete
// (longer ones up to the limit are the parser's to judge).
TEST_F(DownloadSession, SilenceBeforeAWholeImageEndsItIncomplete)
{
    struct Case {
        int size;
        bool whole;
    };
    for (const Case c : {Case{4, false}, Case{2066, false}, Case{4131, false}, Case{4132, true}, Case{5000, true},
                         Case{5001, false}, Case{8227, false}, Case{8228, true}, Case{9000, true}}) {
        SCOPED_TRACE(c.size);
        SimulatedWatch cradle;
        qputenv("SPLITWERK_COM4", cradle.devicePath().toLocal8Bit());
        cradle.setImage(SimulatedWatch::awkwardBytes(c.size));
        clsDownloadSession s;
        s.setWakeIntervalMs(20);
        s.setSilenceIntervalMs(100);
        QSignalSpy done(&s, &clsDownloadSession::transferComplete);
        QSignalSpy incomplete(&s, &clsDownloadSession::transferIncomplete);
        s.start(Port, image, 30);
        ASSERT_TRUE(QTest::qWaitFor([&] { return done.count() + incomplete.count() > 0; }, 3000));
        EXPECT_EQ(done.count(), c.whole ? 1 : 0);
        ASSERT_EQ(incomplete.count(), c.whole ? 0 : 1);
        if (!c.whole) {
            EXPECT_EQ(incomplete.first().at(0).toString(), image);
            EXPECT_EQ(incomplete.first().at(1).toLongLong(), c.size);
            EXPECT_FALSE(incomplete.first().at(2).toBool());
        }
        EXPECT_EQ(fileBytes(image), SimulatedWatch::awkwardBytes(c.size));
        EXPECT_FALSE(s.port()->PortOpen());
    }
}

TEST_F(DownloadSession, OpenFailuresRaiseTheControlsNumbersAndLeaveNothingOpen)
{
    const auto numberOf = [&](qint16 port) {
        try {
            session.start(port, image, 30);
        } catch (const AppError& e) {
            return e.number();
        }
        return 0;
    };
    qputenv("SPLITWERK_COM6", "/nonexistent/splitwerk-cradle");
    EXPECT_EQ(numberOf(6), SerialPort::ErrInvalidPort);
    qunsetenv("SPLITWERK_COM6");
    EXPECT_EQ(numberOf(0), SerialPort::ErrInvalidPort);
    EXPECT_FALSE(session.isTransferring());

    SerialPort other;
    other.CommPort(Port);
    other.PortOpen(true);
    EXPECT_EQ(numberOf(Port), SerialPort::ErrPortAlreadyOpen);
    EXPECT_FALSE(session.port()->PortOpen());
    // The image file was let go: it can be replaced and removed.
    EXPECT_TRUE(QFile::remove(image));
    other.PortOpen(false);
    EXPECT_EQ(numberOf(Port), 0);
    EXPECT_TRUE(session.isTransferring());
}

TEST_F(DownloadSession, CradleUnpluggedMidTransferFailsOnceAndClosesEverything)
{
    session.setWakeIntervalMs(50);
    session.setSilenceIntervalMs(2000);
    watch.setImage(SimulatedWatch::awkwardBytes(4132));
    watch.setBytesPerSecond(8000);
    watch.setUnplugAfter(1000);
    const QString device = watch.devicePath();
    QSignalSpy receiving(&session, &clsDownloadSession::receivingStarted);
    QSignalSpy failed(&session, &clsDownloadSession::failed);
    QSignalSpy done(&session, &clsDownloadSession::transferComplete);
    QSignalSpy incomplete(&session, &clsDownloadSession::transferIncomplete);
    session.start(Port, image, 30);
    ASSERT_TRUE(receiving.wait(2000));
    ASSERT_TRUE(failed.wait(2000));
    EXPECT_EQ(failed.count(), 1);
    // Not "port already open": the line was lost, and the text says where and why.
    EXPECT_EQ(failed.first().at(0).toInt(), SerialPort::ErrLineFailed);
    EXPECT_EQ(failed.first().at(1).toString(), device + QStringLiteral(" closed or is gone (the line was hung up)"));
    EXPECT_LE(session.bytesReceived(), 1000);
    EXPECT_EQ(incomplete.count(), 0);
    EXPECT_FALSE(session.port()->PortOpen());
    EXPECT_FALSE(session.isTransferring());
    QTest::qWait(200);
    EXPECT_EQ(done.count(), 0);
}

TEST(SerialPortSettings, ReadsTheLineSettingsTextAndMapsPortNumbersToDevices)
{
    SerialPort port;
    port.Settings(QStringLiteral("4800,N,8,1"));
    EXPECT_EQ(port.Settings(), QStringLiteral("4800,N,8,1"));
    for (const char* bad : {"4800,N,8", "fast,N,8,1", "4800,X,8,1", "4800,N,9,1", "4800,N,8,3", ""}) {
        EXPECT_THROW(port.Settings(QString::fromLatin1(bad)), AppError) << bad;
        EXPECT_EQ(port.Settings(), QStringLiteral("4800,N,8,1"));
    }
    qunsetenv("SPLITWERK_COM3");
    EXPECT_EQ(SerialPort::deviceForPort(3), QStringLiteral("/dev/ttyS2"));
    qputenv("SPLITWERK_COM3", "/dev/serial/by-id/usb-cradle");
    EXPECT_EQ(SerialPort::deviceForPort(3), QStringLiteral("/dev/serial/by-id/usb-cradle"));
    qunsetenv("SPLITWERK_COM3");
    EXPECT_EQ(SerialPort::deviceForPort(0), QString());
    EXPECT_EQ(SerialPort::deviceForPort(256), QString());
    EXPECT_THROW(port.Output("x"), AppError);  // not open
}
