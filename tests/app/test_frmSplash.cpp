#include "app/clsThisApp.h"
#include "app/frmSplash.h"
#include "app/modapp.h"
#include "data/clsAdoConnectJet.h"
#include "platform/MessagePresenter.h"
#include "platform/RegistryStore.h"
#include "support/ScriptedMessages.h"
#include "support/TempProgramFolder.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {
// Time that passes only when the splash sleeps.
struct FakeClock {
    qint64 now = 0;
    int sleeps = 0;
    frmSplash::Clock clock()
    {
        return {[this] { return now; },
                [this](int ms) {
                    ++sleeps;
                    now += ms;
                }};
    }
};

bool databaseOpen()
{
    auto* app = modapp::ThisApp();
    return app && app->DatabaseAdo_Po() && app->DatabaseAdo_Po()->IsOpen();
}
QProgressBar* bar(frmSplash& s) { return s.findChild<QProgressBar*>(QStringLiteral("prgProgress")); }
QString status(frmSplash& s) { return s.findChild<QLabel*>(QStringLiteral("lblStatus"))->text(); }
QString text(frmSplash& s, const char* name) { return s.findChild<QLabel*>(QLatin1String(name))->text(); }
}  // namespace

TEST(Splash, LoadsWithVersionTextsAndClampsProgress)
{
    FakeClock fake;
    frmSplash splash(2, fake.clock());
    EXPECT_EQ(splash.objectName(), QStringLiteral("frmSplash"));
    EXPECT_TRUE(splash.windowFlags().testFlag(Qt::SplashScreen));
    EXPECT_EQ(text(splash, "lblVersion"), QStringLiteral("Version 2.3.1"));
    EXPECT_EQ(text(splash, "lblProductName"), QStringLiteral("Splitwerk"));
    EXPECT_FALSE(text(splash, "lblCopyright").isEmpty());
    EXPECT_FALSE(text(splash, "lblCompany").isEmpty());
#ifdef Q_OS_LINUX
    EXPECT_EQ(text(splash, "lblPlatform"), QStringLiteral("for Linux"));
#endif
    EXPECT_EQ(status(splash), QStringLiteral("Initializing.."));
    EXPECT_EQ(splash.MinimumSeconds(), 2);

    splash.Progress_pl(-5);
    EXPECT_EQ(bar(splash)->value(), 0);
    splash.Progress_pl(150);
    EXPECT_EQ(bar(splash)->value(), 100);
    splash.Progress_pl(42);
    EXPECT_EQ(bar(splash)->value(), 42);
}

TEST(Splash, DetailTextsFollowTheStatusAndReplaceEachOther)
{
    FakeClock fake;
    frmSplash splash(0, fake.clock());
    splash.Status_ps(QStringLiteral("Initializing Global Objects.."));
    splash.StatusDetail_ps(QStringLiteral("Application.."));
    EXPECT_EQ(status(splash), QStringLiteral("Initializing Global Objects.. Application.."));
    splash.StatusDetail_ps(QStringLiteral("Function Library.."));
    EXPECT_EQ(status(splash), QStringLiteral("Initializing Global Objects.. Function Library.."));
    splash.Status_ps(QStringLiteral("Other"));
    EXPECT_EQ(status(splash), QStringLiteral("Other"));
}

TEST(Splash, EarlyUnloadHoldsUntilTheMinimumAndEndsWithTheThankYou)
{
    FakeClock fake;
    frmSplash splash(2, fake.clock());
    splash.show();
    fake.now = 500;
    splash.Progress_pl(90);
    splash.close();
    EXPECT_GE(fake.now, 2000);
    EXPECT_LT(fake.now, 2000 + frmSplash::WaitStepMs);
    EXPECT_GT(fake.sleeps, 10);  // small steps, not one long sleep
    EXPECT_EQ(bar(splash)->value(), 100);
    EXPECT_TRUE(bar(splash)->isHidden());
    EXPECT_EQ(status(splash), QStringLiteral("THANK YOU for using this product"));
    EXPECT_FALSE(splash.isVisible());
    EXPECT_TRUE(splash.Unloaded());

    // A second close is harmless and does not wait again.
    const int sleeps = fake.sleeps;
    splash.close();
    EXPECT_EQ(fake.sleeps, sleeps);
}

TEST(Splash, UnloadAfterTheMinimumOrWithNoMinimumReturnsAtOnce)
{
    FakeClock fake;
    frmSplash late(2, fake.clock());
    late.show();
    late.Progress_pl(90);
    late.Status_ps(QStringLiteral("Error Handler.."));
    fake.now = 2500;
    late.close();
    EXPECT_EQ(fake.sleeps, 0);
    EXPECT_EQ(fake.now, 2500);
    EXPECT_EQ(bar(late)->value(), 90);
    EXPECT_FALSE(bar(late)->isHidden());
    EXPECT_EQ(status(late), QStringLiteral("Error Handler.."));

    frmSplash none(0, fake.clock());
    none.show();
    none.close();
    EXPECT_EQ(fake.sleeps, 0);
    EXPECT_FALSE(none.isVisible());
}

TEST(Splash, ClosedByTheUserItIgnoresFurtherCallsAndStaysClosed)
{
    FakeClock fake;
    frmSplash splash(2, fake.clock());
    splash.show();
    fake.now = 300;
    QTest::keyClick(&splash, Qt::Key_Escape);
    EXPECT_FALSE(splash.isVisible());
    EXPECT_GE(fake.now, 2000);  // even the user's close waits for the minimum
    const QString thanks = status(splash);

    const int sleeps = fake.sleeps;
    splash.Status_ps(QStringLiteral("Initializing Global Objects.."));
    splash.StatusDetail_ps(QStringLiteral("Application.."));
    splash.Progress_pl(40);
    splash.close();
    EXPECT_EQ(status(splash), thanks);
    EXPECT_EQ(bar(splash)->value(), 100);
    EXPECT_EQ(fake.sleeps, sleeps);
    EXPECT_FALSE(splash.isVisible());

    frmSplash clicked(0, fake.clock());
    clicked.show();
    QTest::mouseClick(clicked.findChild<QLabel*>(QStringLiteral("lblProductName")), Qt::LeftButton);
    EXPECT_TRUE(clicked.Unloaded());
    EXPECT_FALSE(clicked.isVisible());
}

namespace {
// Records what start-up does with the splash, on the fake clock.
class SplashWatcher : public QObject {
public:
    explicit SplashWatcher(FakeClock* fake) : m_fake(fake) { qApp->installEventFilter(this); }
    ~SplashWatcher() override { qApp->removeEventFilter(this); }
    QStringList log;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched->objectName() == QLatin1String("frmSplash") && watched->isWidgetType()) {
            const bool dbOpen = databaseOpen();
            if (event->type() == QEvent::Show)
                log << QStringLiteral("splash shown at %1").arg(m_fake->now);
            else if (event->type() == QEvent::Hide)
                log << QStringLiteral("splash closed at %1%2")
                           .arg(m_fake->now)
                           .arg(dbOpen ? " with the database open" : "");
        }
        return false;
    }

private:
    FakeClock* m_fake;
};

struct StartUpSplash : ::testing::Test {
    TempProgramFolder folder;
    ScriptedMessages boxes;
    FakeClock fake;
    void SetUp() override
    {
        auto c = fake.clock();
        modapp::setSplashClock(c.elapsedMs, c.sleepMs);
        modapp::setSplashMinimumSeconds(2);
    }
    void TearDown() override
    {
        if (modapp::ThisApp())
            modapp::EndApplication_m();
        modapp::setMainWindowFactory({});
        modapp::setSplashClock({}, {});
        modapp::releaseAll();
    }
};
}  // namespace

TEST_F(StartUpSplash, SplashStaysTwoSecondsAndClosesBeforeTheDatabaseOpens)
{
    ASSERT_TRUE(folder.makeProgramFiles());
    SplashWatcher watcher(&fake);
    modapp::setMainWindowFactory([&] {
        const bool dbOpen = databaseOpen();
        watcher.log << QStringLiteral("main window at %1%2").arg(fake.now).arg(dbOpen ? " with the database open" : "");
        return true;
    });
    EXPECT_EQ(modapp::Main(), 0);
    EXPECT_EQ(watcher.log.join(QLatin1Char('|')).toStdString(),
              "splash shown at 0|splash closed at 2000|main window at 2000 with the database open");
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(StartUpSplash, AFailedDatabaseOpenShowsItsBoxAfterTheSplashHasGone)
{
    // No data link file: the record-set connection fails once the splash has closed.
    ASSERT_TRUE(folder.createDatabase());
    SplashWatcher watcher(&fake);
    MessagePresenter::install([&](const QString& text, int, const QString&) {
        watcher.log << QStringLiteral("box ") + text.section(QLatin1Char(':'), 0, 0);
        return 1;
    });
    EXPECT_NE(modapp::Main(), 0);
    EXPECT_EQ(watcher.log.join(QLatin1Char('|')).toStdString(),
              "splash shown at 0|splash closed at 2000|box Splitwerk could not start");
}

namespace {
// A disk that takes no more data, for as long as it lives: every write to a
// file fails (root included), reads still work.
struct FullDisk {
    rlimit saved{};
    void (*savedSignal)(int) = nullptr;
    FullDisk()
    {
        getrlimit(RLIMIT_FSIZE, &saved);
        savedSignal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit none = saved;
        none.rlim_cur = 0;
        setrlimit(RLIMIT_FSIZE, &none);
    }
    ~FullDisk()
    {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, savedSignal);
    }
};

bool splashOnTop()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("frmSplash") && w->isVisible() && w->windowHandle())
            return w->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint);
    return false;
}
}  // namespace

TEST_F(StartUpSplash, AFailureWhileTheSplashIsUpShowsItsBoxFirstAndThenReleasesTheSplash)
{
    // Settings of another version must go, and the disk refuses the change:
    // the application object cannot be built while the splash is up.
    ASSERT_TRUE(folder.makeProgramFiles());
    RegistryStore::setValue(QStringLiteral("SOFTWARE\\Splitwerk\\General"), QStringLiteral("Version"),
                            QStringLiteral("0.0.1"));
    SplashWatcher watcher(&fake);
    MessagePresenter::install([&](const QString& text, int, const QString&) {
        watcher.log << QStringLiteral("box ") + text.section(QLatin1Char(':'), 0, 1).section(QLatin1Char('\r'), 0, 0)
                + (splashOnTop() ? QStringLiteral(" under the splash") : QString());
        return 1;
    });
    {
        FullDisk full;
        EXPECT_NE(modapp::Main(), 0);
    }
    EXPECT_EQ(watcher.log.join(QLatin1Char('|')),
              QStringLiteral("splash shown at 0|box Splitwerk could not start: the settings file %1 cannot be "
                             "written. Check that its folder is a folder you may write to and that its disk has room, "
                             "then start Splitwerk again.|splash closed at 0")
                  .arg(QDir::toNativeSeparators(folder.registryPath())));
}
