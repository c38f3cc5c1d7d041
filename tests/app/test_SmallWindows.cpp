#include "app/CallByName.h"
#include "app/clsShellExecute.h"
#include "app/frmAbout.h"
#include "app/frmProgress.h"
#include "platform/AppError.h"
#include "platform/AppInfo.h"
#include "platform/Shell.h"
#include "platform/UrlLauncher.h"
#include "support/ScriptedMessages.h"

#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {
// The desktop as the tests see it: records every URL and answers as told.
struct FakeDesktop {
    QList<QUrl> opened;
    bool accept = true;
    FakeDesktop()
    {
        UrlLauncher::install([this](const QUrl& url) {
            opened << url;
            return accept;
        });
    }
    ~FakeDesktop() { UrlLauncher::install({}); }
};
}  // namespace

TEST(AboutWindow, ShowsTitleVersionAndCaption)
{
    frmAbout about;
    EXPECT_EQ(about.objectName(), QStringLiteral("frmAbout"));
    EXPECT_TRUE(about.isModal());
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About Splitwerk"));
    EXPECT_EQ(about.findChild<QLabel*>(QStringLiteral("lblTitle"))->text(), QStringLiteral("Splitwerk"));
    EXPECT_EQ(about.findChild<QLabel*>(QStringLiteral("lblVersion"))->text(), QStringLiteral("Version 2.3.1"));
    EXPECT_EQ(about.findChild<QLabel*>(QStringLiteral("lblCopyright"))->text(), AppInfo::copyright());
    EXPECT_EQ(about.findChild<QPushButton*>(QStringLiteral("cmdOK"))->text(), QStringLiteral("&OK"));
}

TEST(AboutWindow, SystemInfoShowsTheFallbackAndStartsNothing)
{
    ScriptedMessages boxes;
    FakeDesktop desktop;
    frmAbout about;
    QString value = QStringLiteral("left over");
    EXPECT_FALSE(
        about.GetKeyValue(frmAbout::HKeyLocalMachine, QStringLiteral("SOFTWARE"), QStringLiteral("PATH"), value));
    EXPECT_TRUE(value.isEmpty());

    QTest::mouseClick(about.findChild<QPushButton*>(QStringLiteral("cmdSysInfo")), Qt::LeftButton);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("System Information Is Unavailable At This Time"));
    EXPECT_EQ(boxes.last().style, 0);
    EXPECT_EQ(boxes.last().title, QStringLiteral("Splitwerk"));
    EXPECT_FALSE(about.shell().StillExecutingPf());
    EXPECT_TRUE(desktop.opened.isEmpty());
}

TEST(AboutWindow, TheDevelopersMarkOpensOurWebPageEvenWhenTheDesktopRefuses)
{
    FakeDesktop desktop;
    desktop.accept = false;  // a failed launch is only a result: no box
    frmAbout about;
    QTest::mouseClick(about.findChild<QLabel*>(QStringLiteral("imgDeveloper")), Qt::LeftButton);
    ASSERT_EQ(desktop.opened.size(), 1);
    EXPECT_EQ(desktop.opened.front(), QUrl(QString::fromLatin1(frmAbout::WebPage)));
}

TEST(ShellLaunch, AProgramIsFollowedUntilItEnds)
{
    clsShellExecute shell;
    EXPECT_FALSE(shell.StillExecutingPf());
    ASSERT_EQ(shell.LaunchProgramPl(nullptr, QStringLiteral("sleep"), QStringLiteral("1")), -1);
    EXPECT_TRUE(shell.StillExecutingPf());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !shell.StillExecutingPf(); }, 10000));

    EXPECT_EQ(shell.LaunchProgramPl(nullptr, QStringLiteral("no-such-program-splitwerk"), {}), 2);
    EXPECT_FALSE(shell.StillExecutingPf());
    QTemporaryDir dir;
    EXPECT_EQ(shell.LaunchProgramPl(nullptr, QStringLiteral("sleep"), QStringLiteral("1"),
                                    dir.filePath(QStringLiteral("gone"))),
              3);
}

TEST(ShellLaunch, DesktopLaunchesGiveTheShellNumbersAndForgetTheLastProgram)
{
    FakeDesktop desktop;
    clsShellExecute shell;
    ASSERT_EQ(shell.LaunchProgramPl(nullptr, QStringLiteral("sleep"), QStringLiteral("1")), -1);
    desktop.accept = false;
    const qint32 failed = shell.LaunchUrlPl(nullptr, QStringLiteral("https://example.org/"));
    EXPECT_GE(failed, 0);
    EXPECT_LE(failed, 32);
    EXPECT_FALSE(shell.StillExecutingPf());  // every launch clears the last program

    desktop.accept = true;
    EXPECT_EQ(shell.LaunchEmailPl(nullptr, QStringLiteral("coach@example.org")), -1);
    EXPECT_EQ(desktop.opened.last(), QUrl(QStringLiteral("mailto:coach@example.org")));

    QTemporaryDir dir;
    EXPECT_EQ(shell.LaunchDocumentPl(nullptr, QStringLiteral("times.txt"), dir.path()), 2);
    EXPECT_EQ(shell.PrintDocumentPl(nullptr, dir.filePath(QStringLiteral("times.txt"))), 2);
    EXPECT_EQ(shell.LaunchFolderPl(nullptr, dir.filePath(QStringLiteral("gone"))), 3);
    QFile f(dir.filePath(QStringLiteral("times.txt")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_EQ(shell.LaunchDocumentPl(nullptr, QStringLiteral("times.txt"), dir.path()), -1);
    EXPECT_EQ(desktop.opened.last(), QUrl::fromLocalFile(dir.filePath(QStringLiteral("times.txt"))));
    EXPECT_EQ(shell.ExplorePl(nullptr, dir.path()), -1);
    EXPECT_EQ(desktop.opened.last(), QUrl::fromLocalFile(dir.path()));
    EXPECT_EQ(shell.LaunchUrlPl(nullptr, QString()), 2);
}

TEST(ProgressWindow, StartsAtZeroToHundredAndTakesTheCallersRange)
{
    frmProgress progress;
    EXPECT_EQ(progress.objectName(), QStringLiteral("frmProgress"));
    EXPECT_EQ(progress.findChild<QGroupBox*>(QStringLiteral("fraStatus"))->title(), QStringLiteral("Staus:"));
    auto* bar = progress.findChild<QProgressBar*>(QStringLiteral("prgProgress"));
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 100);

    CallByName::call(&progress, "ProgressBarMax_p", qint32(8));
    CallByName::call(&progress, "progressBarValue_p", qint32(3));
    EXPECT_EQ(bar->maximum(), 8);
    EXPECT_EQ(bar->value(), 3);
    try {
        progress.progressBarValue_p(9);
        ADD_FAILURE() << "a value above the maximum was taken";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), ErrNo::InvalidPropertyValue);
    }
    EXPECT_EQ(bar->value(), 3);
}
