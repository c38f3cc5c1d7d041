#pragma once

#include "app/ChildForms.h"
#include "app/clsErrorHandler.h"
#include "app/clsMessageHandler.h"
#include "app/clsThisApp.h"
#include "app/modapp.h"
#include "platform/UrlLauncher.h"
#include "shell/mdiMain.h"
#include "support/ScriptedMessages.h"
#include "support/TempProgramFolder.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

// A running application object over a temporary program folder, and the main
// window on top of it. Every window kind a test registers is unregistered
// (made absent again) at the end.
struct ShellTest : ::testing::Test {
    TempProgramFolder folder;
    ScriptedMessages boxes;
    std::unique_ptr<clsThisApp> app;
    std::unique_ptr<mdiMain> main;
    QList<QUrl> launched;
    bool launchResult = true;

    void SetUp() override
    {
        ASSERT_TRUE(folder.makeProgramFiles());
        startApp();
        UrlLauncher::install([this](const QUrl& url) {
            launched << url;
            return launchResult;
        });
    }

    void TearDown() override
    {
        main.reset();
        for (const char* kind :
             {"frmImport", "frmSegmentList", "frmRoster", "frmCategory", "frmEvent", "frmSegmentType", "frmFind"})
            ChildForms::registerForm(QString::fromLatin1(kind), [] { return nullptr; });
        UrlLauncher::install({});
        mdiMain::setAboutHandler({});
        mdiMain::setCommonDialogHandler({});
        app.reset();
        modapp::releaseAll();
    }

    void startApp()
    {
        app = std::make_unique<clsThisApp>();
        modapp::publishApp(app.get());
        modapp::publishMessageHandler(app->messageHandlerShared());
        modapp::publishErrorHandler(app->errorHandlerShared());
        app->LoginAttempt_p();
    }

    mdiMain* openMain()
    {
        main = std::make_unique<mdiMain>();
        main->show();
        main->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(main.get()));
        return main.get();
    }

    // Shows the child and makes it the active one.
    QMdiSubWindow* show(QWidget* child)
    {
        QMdiSubWindow* sub = main->showChild(child);
        main->mdiArea()->setActiveSubWindow(sub);
        return sub;
    }

    QAction* item(const char* name) const { return main->MenuItem(QString::fromLatin1(name)); }
    // Runs a menu item as a click would (an item the row disables does nothing).
    void click(const char* name) const
    {
        QAction* a = item(name);
        ASSERT_NE(a, nullptr) << name;
        a->trigger();
    }
    // Every controlled item on, so that the commands can be run at all.
    void enableAll() const { main->applyMenuRow(MenuRow(MenuRow::controlledItems())); }

    QString setting(qint32 id) const;
};
