#include "app/clsStrings.h"
#include "app/clsThisApp.h"
#include "app/modapp.h"
#include "import/clsDownloadSession.h"
#include "import/clsFileReader.h"
#include "import/frmImport.h"
#include "platform/AppError.h"
#include "platform/AppInfo.h"
#include "platform/SerialPort.h"
#include "shell/mdiMain.h"
#include "support/ScriptedMessages.h"
#include "support/SimulatedWatch.h"
#include "support/TempProgramFolder.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <condition_variable>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {
QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

struct ImportWindow : ::testing::Test {
    TempProgramFolder folder;
    ScriptedMessages boxes;
    SimulatedWatch watch;
    std::unique_ptr<clsThisApp> app;
    std::unique_ptr<mdiMain> main;
    int menuDefaults = 0;
    QList<QPair<QString, QDate>> parsed;
    QList<QDate> reviews;

    void SetUp() override
    {
        ASSERT_TRUE(watch.isOpen());
        ASSERT_TRUE(folder.makeProgramFiles());
        qputenv("SPLITWERK_COM5", watch.devicePath().toLocal8Bit());
        setSetting(110, QStringLiteral("5"));
        app = std::make_unique<clsThisApp>();
        modapp::publishApp(app.get());
        modapp::publishMessageHandler(app->messageHandlerShared());
        modapp::publishErrorHandler(app->errorHandlerShared());
        app->LoginAttempt_p();
        main = std::make_unique<mdiMain>();
        // Counted here instead of applied by the main window.
        app->setMenuDefaultsSink([this] { ++menuDefaults; });
        frmImport::setImageParser([this](const QString& path, const QDate& date) {
            parsed.append({path, date});
            return QList<WatchImage::SkippedSegment>();
        });
        frmImport::setReviewOpener([this](const QDate& date, clsFormRefresher*) {
            reviews.append(date);
            return true;
        });
    }
    void TearDown() override
    {
        frmImport::setImageParser({});
        frmImport::setReviewOpener({});
        frmImport::setStagingClearer({});
        main.reset();
        app.reset();
        modapp::releaseAll();
        qunsetenv("SPLITWERK_COM5");
    }

    void setSetting(int id, const QString& value)
    {
        folder.execSql(
            QStringLiteral("UPDATE tblSysStrings SET sString = '%1' WHERE lStringID = %2").arg(value).arg(id));
    }
    QString setting(int id) const { return app->Strings_po()->SysStringFromID_pf(id, QStringLiteral("<none>")); }

    frmImport* open()
    {
        auto* w = new frmImport;
        w->FormRefresher_po(app->FormRefresher_po());
        main->ShowChild(w);
        w->session()->setSilenceIntervalMs(300);
        return w;
    }
    template <class T>
    static T* control(QWidget* w, const char* name)
    {
        return w->findChild<T*>(QString::fromLatin1(name));
    }
    static bool idle(frmImport* w)
    {
        return w->ImportStatus() == 0 && control<QPushButton>(w, "cmdImport")->isEnabled() && !w->isTransferring()
            && !w->session()->port()->PortOpen();
    }
    QString imagePath() const { return QDir(folder.path()).filePath(QStringLiteral("temp.bin")); }
};
}  // namespace

TEST_F(ImportWindow, OpensWithTheStoredPortAndTheBuiltInInstructions)
{
    frmImport* w = open();
    EXPECT_EQ(w->objectName(), QStringLiteral("frmImport"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Import"));
    EXPECT_EQ(control<QLineEdit>(w, "txtCommPort")->text(), QStringLiteral("5"));
    EXPECT_EQ(control<QLabel>(w, "lblStatus")->text(), QStringLiteral("waiting for user action ... "));
    EXPECT_TRUE(control<QPlainTextEdit>(w, "txtInstructions")
                    ->toPlainText()
                    .startsWith(QStringLiteral("* Turn On The Watch\n")));
    for (const char* name :
         {"fraSettings", "Label1", "fraStatus", "cmdCancel", "picInstructions", "lblPicBoxHeader", "PicLine"})
        EXPECT_NE(w->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
    // The frame shows no icon: not the program's, nothing drawn at all.
    auto* frame = qobject_cast<QMdiSubWindow*>(w->parentWidget());
    ASSERT_NE(frame, nullptr);
    const QImage icon = frame->windowIcon().pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
    bool blank = true;
    for (int y = 0; y < icon.height(); ++y)
        for (int x = 0; x < icon.width(); ++x)
            blank = blank && qAlpha(icon.pixel(x, y)) == 0;
    EXPECT_TRUE(blank) << "the frame shows an icon";

    // A replacement instructions file, read as delimited items.
    QFile file(QDir(folder.path()).filePath(QStringLiteral("howto.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Put the watch in, then press Import\r\n\"Call us, anytime\"\r\n");
    file.close();
    setSetting(130, QStringLiteral("howto.txt"));
    frmImport* w2 = open();
    EXPECT_EQ(control<QPlainTextEdit>(w2, "txtInstructions")->toPlainText(),
              QStringLiteral("Put the watch in\nthen press Import\nCall us, anytime"));
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(ImportWindow, GoodDownloadIsParsedThenHandedToTheReview)
{
    const QByteArray answer = SimulatedWatch::awkwardBytes(4132);
    watch.setImage(answer);
    int clears = 0;
    frmImport::setStagingClearer([&] { ++clears; });
    frmImport* w = open();
    QPointer<frmImport> alive(w);
    QList<qint32> statuses;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (alive && (statuses.isEmpty() || statuses.last() != alive->ImportStatus()))
            statuses.append(alive->ImportStatus());
    });
    poll.start(5);

    // Line noise queued before Import is not the watch's answer.
    watch.send(QByteArray::fromHex("00ff0d0a5a"));
    QTest::mouseClick(control<QPushButton>(w, "cmdImport"), Qt::LeftButton);
    EXPECT_FALSE(control<QPushButton>(w, "cmdImport")->isEnabled());
    EXPECT_EQ(clears, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !parsed.isEmpty(); }, 5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return alive.isNull(); }, 2000)) << "the window stayed open";

    EXPECT_EQ(parsed.size(), 1);
    EXPECT_EQ(parsed.first().first, imagePath());
    EXPECT_EQ(parsed.first().second, QDate::currentDate());
    EXPECT_EQ(reviews, QList<QDate>{QDate::currentDate()});
    EXPECT_EQ(fileBytes(imagePath()), answer);
    EXPECT_EQ(watch.wakeBytesReceived(), 1);
    EXPECT_EQ(watch.received().size(), 1);
    EXPECT_EQ(menuDefaults, 0) << "the review window's row must stand";
    EXPECT_EQ(boxes.count(), 0);
    // Status 3 lasts only while the (instant) parser runs, so polling may miss it.
    ASSERT_GE(statuses.size(), 2);
    EXPECT_EQ(statuses.mid(0, 2), (QList<qint32>{1, 2}));
}

TEST_F(ImportWindow, ParserErrorIsReportedOnceAndTheWindowIsReadyAgain)
{
    watch.setImage(SimulatedWatch::awkwardBytes(4132));
    frmImport::setImageParser([](const QString&, const QDate&) -> QList<WatchImage::SkippedSegment> {
        AppError::raise(13, QStringLiteral("Type mismatch"));
    });
    frmImport* w = open();
    QTest::mouseClick(control<QPushButton>(w, "cmdImport"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return boxes.count() > 0; }, 5000));
    QTest::qWait(50);
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("Type mismatch"))) << boxes.last().text.toStdString();
    EXPECT_TRUE(idle(w));
    EXPECT_TRUE(reviews.isEmpty());
}

// Each case on its own watch: one box that says what happened, the window
// ready again, nothing parsed, no review.
TEST_F(ImportWindow, AFailedTransferSaysWhatHappenedAndLeavesTheWindowReady)
{
    const QByteArray whole = SimulatedWatch::awkwardBytes(4132);
    const QString lost = QStringLiteral("The connection to the watch was lost: ");
    struct Case {
        const char* name;
        std::function<void(SimulatedWatch&, frmImport*)> arrange;
        QString says;
        qint64 kept;  // the bytes temp.bin keeps, or -1
    };
    const QList<Case> cases = {
        {"cable pulled mid-image",
         [&](SimulatedWatch& cradle, frmImport*) {
             cradle.setImage(whole);
             cradle.setBytesPerSecond(8000);
             cradle.setUnplugAfter(1500);
         },
         lost, -1},
        {"cable pulled while waking",
         [&](SimulatedWatch& cradle, frmImport*) {
             QObject::connect(&cradle, &SimulatedWatch::byteReceived, &cradle,
                              [&cradle] { QTimer::singleShot(0, &cradle, &SimulatedWatch::unplug); });
         },
         lost, -1},
        {"half an image, then silence", [&](SimulatedWatch& cradle, frmImport*) { cradle.setImage(whole.left(2066)); },
         QStringLiteral("The download is incomplete: only 2066 bytes came"), 2066},
        {"cut at the size limit",
         [&](SimulatedWatch& cradle, frmImport* w) {
             cradle.setImage(SimulatedWatch::awkwardBytes(5000));
             w->session()->setSizeLimit(1000);
         },
         QStringLiteral("The download was cut off after "), -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedWatch cradle;
        ASSERT_TRUE(cradle.isOpen());
        const QString device = cradle.devicePath();
        qputenv("SPLITWERK_COM5", device.toLocal8Bit());
        boxes.clear();
        frmImport* w = open();
        QPointer<frmImport> alive(w);
        w->session()->setWakeIntervalMs(50);
        c.arrange(cradle, w);
        QTest::mouseClick(control<QPushButton>(w, "cmdImport"), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return boxes.count() > 0; }, 5000));
        QTest::qWait(100);
        ASSERT_EQ(boxes.count(), 1);
        const QString text = boxes.last().text;
        EXPECT_TRUE(text.startsWith(c.says)) << text.toStdString();
        if (c.says == lost) {
            EXPECT_TRUE(text.contains(device + QStringLiteral(" closed or is gone ("))) << text.toStdString();
        }
        ASSERT_TRUE(alive);
        EXPECT_FALSE(w->isHidden());
        EXPECT_TRUE(idle(w));
        if (c.kept >= 0) {
            EXPECT_EQ(fileBytes(imagePath()), SimulatedWatch::awkwardBytes(int(c.kept)));
        } else if (c.says != lost) {
            EXPECT_GT(fileBytes(imagePath()).size(), 1000);
        }
        EXPECT_TRUE(parsed.isEmpty());
        EXPECT_TRUE(reviews.isEmpty());
        QTest::mouseClick(control<QPushButton>(w, "cmdCancel"), Qt::LeftButton);
    }
}

// Whatever sits under the name temp.bin, the watch's bytes never go through
// it and nothing waits on it: anything but a plain file is refused in words,
// by the download and by the parser alike; a plain file is replaced.
TEST_F(ImportWindow, TempBinThatIsNoPlainFileIsRefusedInWordsAndNeverWrittenThrough)
{
    const QByteArray answer = SimulatedWatch::awkwardBytes(4132);
    const QString image = imagePath();
    const QString victim = QDir(folder.path()).filePath(QStringLiteral("coach-notes.txt"));
    const QByteArray notes("the coach's own notes");
    struct Case {
        const char* name;
        std::function<bool()> make;
        const char* isA;  // what the box says is in the way; null for a plain file
    };
    const QList<Case> cases = {
        {"link", [&] { return QFile::link(victim, image); }, "a link to another place"},
        {"named pipe", [&] { return ::mkfifo(QFile::encodeName(image).constData(), 0644) == 0; }, "a named pipe"},
        {"folder", [&] { return QDir().mkdir(image); }, "a folder"},
        {"plain file", [&] { return writeFile(image, "an older download"); }, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(writeFile(victim, notes));
        ASSERT_TRUE(c.make());
        // The test holds the pipe open at both ends: a writer that opens it
        // does not wait, and a reader waits only until the watchdog lets go.
        int pipe = c.isA && QByteArray(c.name) == "named pipe"
            ? ::open(QFile::encodeName(image).constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC)
            : -1;
        SimulatedWatch cradle;
        ASSERT_TRUE(cradle.isOpen());
        cradle.setImage(answer);
        qputenv("SPLITWERK_COM5", cradle.devicePath().toLocal8Bit());
        boxes.clear();
        parsed.clear();
        frmImport* w = open();
        QPointer<frmImport> alive(w);
        QTest::mouseClick(control<QPushButton>(w, "cmdImport"), Qt::LeftButton);
        if (c.isA) {
            ASSERT_EQ(boxes.count(), 1);
            const QString text = boxes.last().text;
            EXPECT_TRUE(text.startsWith(QStringLiteral("Splitwerk cannot use ") + image
                                        + QStringLiteral(" for the download from the watch: it is ")
                                        + QString::fromLatin1(c.isA) + QStringLiteral(" instead of a file.")))
                << text.toStdString();
            EXPECT_TRUE(text.contains(QStringLiteral("Move or delete it, then press Import again.")));
            ASSERT_TRUE(alive);
            EXPECT_TRUE(idle(w));
            EXPECT_EQ(cradle.wakeBytesReceived(), 0);

            // The parser, handed the same name, says the same at once.
            std::mutex m;
            std::condition_variable cv;
            bool done = false;
            bool waited = false;
            std::thread watchdog([&] {
                std::unique_lock<std::mutex> lock(m);
                waited = !cv.wait_for(lock, std::chrono::seconds(5), [&] { return done; });
                if (waited && pipe >= 0) {
                    ::close(pipe);
                    pipe = -1;
                }
            });
            QString said;
            try {
                clsFileReader reader;
                reader.DatabaseConnection = app->DatabaseAdo_Po();
                reader.ProcessFile_mf(image);
            } catch (const AppError& e) {
                said = e.description();
            }
            {
                std::lock_guard<std::mutex> lock(m);
                done = true;
            }
            cv.notify_one();
            watchdog.join();
            EXPECT_TRUE(said.contains(QStringLiteral(": it is ") + QString::fromLatin1(c.isA))) << said.toStdString();
            EXPECT_FALSE(waited) << "the parser waited on the pipe";
            QTest::mouseClick(control<QPushButton>(w, "cmdCancel"), Qt::LeftButton);
        } else {
            ASSERT_TRUE(QTest::qWaitFor([&] { return !parsed.isEmpty(); }, 5000));
            EXPECT_EQ(fileBytes(image), answer);
            EXPECT_EQ(boxes.count(), 0);
        }
        EXPECT_EQ(fileBytes(victim), notes);
        // No part-written image is left beside it.
        EXPECT_EQ(QDir(folder.path()).entryList({QStringLiteral("temp.bin?*")}, QDir::AllEntries | QDir::System),
                  QStringList());
        if (pipe >= 0)
            ::close(pipe);
        ASSERT_TRUE(QFileInfo(image).isDir() ? QDir().rmdir(image) : QFile::remove(image));
    }
}

TEST_F(ImportWindow, TimeOutShowsItsMessageAndARetryWorks)
{
    setSetting(100, QStringLiteral("0.5"));
    frmImport* w = open();
    auto* import = control<QPushButton>(w, "cmdImport");

    QTest::mouseClick(import, Qt::LeftButton);
    EXPECT_EQ(w->ImportStatus(), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return boxes.count() > 0; }, 3000));
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text,
              QStringLiteral("Connection has timed out, unable to connect to watch.  "
                             "Please see documentation for possible solutions"));
    EXPECT_EQ(boxes.last().style & 0x70, 64);
    EXPECT_TRUE(import->isEnabled());
    EXPECT_EQ(w->ImportStatus(), 0);
    EXPECT_EQ(watch.wakeBytesReceived(), 2);
    EXPECT_EQ(fileBytes(imagePath()), QByteArray());
    EXPECT_TRUE(QFile::remove(imagePath())) << "the image file was left open";

    // A replacement message with two lines; no number as the wait: at once, no wake byte.
    QFile file(QDir(folder.path()).filePath(QStringLiteral("timeout.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("The watch did not answer.\nIs it on the cradle?\n");
    file.close();
    setSetting(120, QStringLiteral("timeout.txt"));
    setSetting(100, QStringLiteral("abc"));
    QTest::mouseClick(import, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return boxes.count() > 1; }, 1000));
    EXPECT_EQ(boxes.last().text, QStringLiteral("The watch did not answer.\r\nIs it on the cradle?"));
    QTest::qWait(300);
    EXPECT_EQ(watch.wakeBytesReceived(), 2);
    EXPECT_TRUE(import->isEnabled());
    EXPECT_EQ(boxes.count(), 2);
}

TEST_F(ImportWindow, OpenErrorsEachGiveOneReportAndLeaveTheWindowReady)
{
    frmImport* w = open();
    auto* port = control<QLineEdit>(w, "txtCommPort");
    auto* import = control<QPushButton>(w, "cmdImport");

    // A number in range with nothing behind it is said as no cradle there.
    const int locked = ::posix_openpt(O_RDWR | O_NOCTTY);  // its other end refuses to open until unlocked
    ASSERT_GE(locked, 0);
    ASSERT_EQ(::grantpt(locked), 0);
    const struct {
        const char* name;
        QString device;
    } absent[] = {
        {"no such device", QStringLiteral("/nonexistent/splitwerk-cradle")},
        {"a device without its hardware", QString::fromLocal8Bit(::ptsname(locked))},
    };
    for (const auto& a : absent) {
        SCOPED_TRACE(a.name);
        boxes.clear();
        qputenv("SPLITWERK_COM8", a.device.toLocal8Bit());
        port->setText(QStringLiteral("8"));
        QTest::mouseClick(import, Qt::LeftButton);
        ASSERT_EQ(boxes.count(), 1);
        EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("There is no cradle on port 8 (%1): nothing is "
                                                                "connected there.")
                                                     .arg(a.device)))
            << boxes.last().text.toStdString();
        EXPECT_EQ(boxes.last().style & 0x70, 48);
        EXPECT_TRUE(idle(w));
        EXPECT_EQ(port->selectedText(), QStringLiteral("8"));
    }
    ::close(locked);
    qunsetenv("SPLITWERK_COM8");

    // Numbers no port has are said with the range, and nothing is cleared or opened.
    int clears = 0;
    frmImport::setStagingClearer([&] { ++clears; });
    const struct {
        const char* typed;
        const char* says;
    } outOfRange[] = {
        {"0", "The communications port is a number from 1 to 255: \"0\" is not one."},
        {"256", "The communications port is a number from 1 to 255: \"256\" is not one."},
        {"99999", "The communications port is a number from 1 to 255: \"99999\" is not one."},
        {"", "Type the number of the port the watch's cradle is on in Communications Port: a number from 1 to 255."},
    };
    for (const auto& k : outOfRange) {
        boxes.clear();
        port->setText(QString::fromLatin1(k.typed));
        QTest::mouseClick(import, Qt::LeftButton);
        ASSERT_EQ(boxes.count(), 1) << k.typed;
        EXPECT_TRUE(boxes.last().text.startsWith(QString::fromUtf8(k.says))) << boxes.last().text.toStdString();
        EXPECT_EQ(boxes.last().style & 0x70, 48) << k.typed;
        EXPECT_TRUE(idle(w)) << k.typed;
        EXPECT_EQ(port->selectedText(), QString::fromLatin1(k.typed));
    }
    EXPECT_EQ(clears, 0);
    boxes.clear();

    SerialPort holder;  // someone else has the cradle
    holder.CommPort(5);
    holder.PortOpen(true);
    port->setText(QStringLiteral("5"));
    QTest::mouseClick(import, Qt::LeftButton);
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("already open"))) << boxes.last().text.toStdString();
    EXPECT_TRUE(idle(w));

    holder.PortOpen(false);
    QTest::mouseClick(import, Qt::LeftButton);
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_EQ(w->ImportStatus(), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return watch.wakeBytesReceived() > 0; }, 2000));
}

TEST_F(ImportWindow, CancelWhileWakingStopsTheWakeBytesAndStoresAChangedPort)
{
    frmImport* w = open();
    QPointer<frmImport> alive(w);
    QTest::mouseClick(control<QPushButton>(w, "cmdImport"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return watch.wakeBytesReceived() >= 2; }, 2000));
    control<QLineEdit>(w, "txtCommPort")->setText(QStringLiteral("7"));
    QTest::mouseClick(control<QPushButton>(w, "cmdCancel"), Qt::LeftButton);
    const int sent = watch.wakeBytesReceived();
    ASSERT_TRUE(QTest::qWaitFor([&] { return alive.isNull(); }, 1000));
    QTest::qWait(500);
    EXPECT_EQ(watch.wakeBytesReceived(), sent);
    EXPECT_EQ(setting(110), QStringLiteral("7"));
    EXPECT_EQ(menuDefaults, 1);
    EXPECT_TRUE(parsed.isEmpty());
    EXPECT_EQ(boxes.count(), 0);

    // Unchanged text writes nothing: a value stored meanwhile stays.
    setSetting(110, QStringLiteral("5"));
    frmImport* w2 = open();
    setSetting(110, QStringLiteral("12"));
    QTest::mouseClick(control<QPushButton>(w2, "cmdImport"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return watch.wakeBytesReceived() > sent; }, 2000));
    QTest::mouseClick(control<QPushButton>(w2, "cmdCancel"), Qt::LeftButton);
    EXPECT_EQ(setting(110), QStringLiteral("12"));
}

TEST_F(ImportWindow, PortBoxTakesDigitsOnly)
{
    frmImport* w = open();
    auto* port = control<QLineEdit>(w, "txtCommPort");
    port->setFocus();
    port->setText(QStringLiteral("1"));
    port->end(false);
    QTest::keyClick(port, Qt::Key_A, Qt::NoModifier);
    EXPECT_EQ(port->text(), QStringLiteral("1"));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("Com Port Must Be Numeric"));
    EXPECT_EQ(boxes.last().style & 0x70, 48);
    QTest::keyClick(port, Qt::Key_2, Qt::NoModifier);
    QTest::keyClick(port, Qt::Key_Backspace, Qt::NoModifier);
    QTest::keyClick(port, Qt::Key_3, Qt::NoModifier);
    EXPECT_EQ(port->text(), QStringLiteral("13"));
    // Pasted letters are refused as well.
    port->insert(QStringLiteral("4x"));
    EXPECT_EQ(port->text(), QStringLiteral("13"));
    port->insert(QStringLiteral("4"));
    EXPECT_EQ(port->text(), QStringLiteral("134"));
    EXPECT_EQ(boxes.count(), 1);
}

TEST_F(ImportWindow, ImportWaitsForAnotherDownloadOrAnOpenReview)
{
    frmImport* first = open();
    QTest::mouseClick(control<QPushButton>(first, "cmdImport"), Qt::LeftButton);
    ASSERT_TRUE(first->isTransferring());

    frmImport* second = open();
    QTest::mouseClick(control<QPushButton>(second, "cmdImport"), Qt::LeftButton);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("Another download window")));
    EXPECT_TRUE(idle(second));
    QTest::mouseClick(control<QPushButton>(first, "cmdCancel"), Qt::LeftButton);

    auto* review = new QWidget;  // stands in for the review window by its name
    review->setObjectName(QStringLiteral("frmImportSegment"));
    main->ShowChild(review);
    QTest::mouseClick(control<QPushButton>(second, "cmdImport"), Qt::LeftButton);
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("Save or close the imported segments")));
    EXPECT_TRUE(idle(second));
}

TEST_F(ImportWindow, ActivationAppliesTheDownloadRow)
{
    QStringList names = {QStringLiteral("mnuFileImport"), QStringLiteral("mnuEditUndo"), QStringLiteral("mnuEditCopy"),
                         QStringLiteral("mnuSortAscending"), QStringLiteral("mnuViewRoster")};
    for (const QString& name : names) {
        auto* a = new QAction(name, main.get());
        a->setObjectName(name);
        a->setEnabled(name == QLatin1String("mnuFileImport"));
    }
    frmImport* w = open();
    w->Form_Activate();
    EXPECT_FALSE(main->MenuItem(QStringLiteral("mnuFileImport"))->isEnabled());
    EXPECT_TRUE(main->MenuItem(QStringLiteral("mnuEditUndo"))->isEnabled());
    EXPECT_FALSE(main->MenuItem(QStringLiteral("mnuEditCopy"))->isEnabled());
    EXPECT_FALSE(main->MenuItem(QStringLiteral("mnuSortAscending"))->isEnabled());
    EXPECT_TRUE(main->MenuItem(QStringLiteral("mnuViewRoster"))->isEnabled());
}
