#include "app/clsThisApp.h"
#include "platform/LocaleInfo.h"
#include "platform/RegistryStore.h"
#include "support/ScriptedMessages.h"
#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>

namespace {
const QString kBase = QStringLiteral("SOFTWARE\\Splitwerk");

struct ApplicationObject : ::testing::Test {
    TempProgramFolder folder;
    ScriptedMessages boxes;

    void TearDown() override { LocaleInfo::setCountryCodeOverride({}); }

    static void seedSettings()
    {
        RegistryStore::setValue(kBase + QStringLiteral("\\FormSettings\\frmA"), QStringLiteral("Top"),
                                QStringLiteral("10"));
        RegistryStore::setValue(kBase + QStringLiteral("\\GridSettings\\frmB"), QStringLiteral("dbg_Column0_Width"),
                                QStringLiteral("12.5"));
        RegistryStore::setValue(kBase + QStringLiteral("\\General\\LocaleInfo"), QStringLiteral("CountryCode"),
                                QStringLiteral("XX"));
    }
};
}  // namespace

TEST_F(ApplicationObject, FirstRunDeletesNothingAndStampsTheVersionAtShutDown)
{
    RegistryStore::setValue(kBase + QStringLiteral("\\FormSettings\\frmA"), QStringLiteral("Top"),
                            QStringLiteral("10"));
    {
        clsThisApp app;
        EXPECT_EQ(RegistryStore::value(kBase + QStringLiteral("\\FormSettings\\frmA"), QStringLiteral("Top")),
                  QStringLiteral("10"));
        EXPECT_TRUE(RegistryStore::value(kBase + QStringLiteral("\\General"), QStringLiteral("Version")).isEmpty());
        LocaleInfo::setCountryCodeOverride(QStringLiteral("DE"));
        app.CheckSystemSettingsStatus();
        EXPECT_EQ(RegistryStore::value(kBase + QStringLiteral("\\General\\LocaleInfo"), QStringLiteral("CountryCode")),
                  QStringLiteral("DE"));
    }
    EXPECT_EQ(RegistryStore::value(kBase + QStringLiteral("\\General"), QStringLiteral("Version")),
              clsThisApp::versionText());
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(ApplicationObject, AnotherVersionStampDeletesEverySavedSetting)
{
    seedSettings();
    RegistryStore::setValue(kBase + QStringLiteral("\\General"), QStringLiteral("Version"), QStringLiteral("2.3.0"));
    RegistryStore::setValue(QStringLiteral("SOFTWARE\\Other"), QStringLiteral("Keep"), QStringLiteral("1"));
    clsThisApp app;
    EXPECT_FALSE(RegistryStore::keyExists(kBase + QStringLiteral("\\FormSettings")));
    EXPECT_FALSE(RegistryStore::keyExists(kBase + QStringLiteral("\\GridSettings")));
    EXPECT_FALSE(RegistryStore::keyExists(kBase + QStringLiteral("\\General\\LocaleInfo")));
    EXPECT_EQ(RegistryStore::value(QStringLiteral("SOFTWARE\\Other"), QStringLiteral("Keep")), QStringLiteral("1"));
}

TEST_F(ApplicationObject, TheSameVersionInAnotherCaseDeletesNothing)
{
    seedSettings();
    RegistryStore::setValue(kBase + QStringLiteral("\\General"), QStringLiteral("Version"),
                            clsThisApp::versionText().toUpper());
    clsThisApp app;
    EXPECT_TRUE(RegistryStore::keyExists(kBase + QStringLiteral("\\FormSettings\\frmA")));
    EXPECT_TRUE(RegistryStore::keyExists(kBase + QStringLiteral("\\GridSettings\\frmB")));
}

TEST_F(ApplicationObject, AChangedCountryDeletesGridLayoutsOnly)
{
    seedSettings();
    clsThisApp app;
    LocaleInfo::setCountryCodeOverride(QStringLiteral("XX"));
    app.CheckSystemSettingsStatus();
    EXPECT_TRUE(RegistryStore::keyExists(kBase + QStringLiteral("\\GridSettings\\frmB")));

    LocaleInfo::setCountryCodeOverride(QStringLiteral("FR"));
    app.CheckSystemSettingsStatus();
    EXPECT_FALSE(RegistryStore::keyExists(kBase + QStringLiteral("\\GridSettings")));
    EXPECT_EQ(RegistryStore::value(kBase + QStringLiteral("\\FormSettings\\frmA"), QStringLiteral("Top")),
              QStringLiteral("10"));
    EXPECT_EQ(RegistryStore::value(kBase + QStringLiteral("\\General\\LocaleInfo"), QStringLiteral("CountryCode")),
              QStringLiteral("FR"));
}

TEST_F(ApplicationObject, StatusTextNeedsAMainWindowAndChecksTheAction)
{
    clsThisApp app;
    app.SysCmd_g(4, QStringLiteral("ignored"));  // no main window yet: nothing, no box
    EXPECT_EQ(boxes.count(), 0);

    QString panel = QStringLiteral("untouched");
    app.setStatusSink([&](const QString& text) { panel = text; });
    app.SysCmd_g(4, QStringLiteral("Working.."));
    EXPECT_EQ(panel, QStringLiteral("Working.."));
    app.SysCmd_g(3, QStringLiteral("value"));
    EXPECT_EQ(panel, QString());
    app.SysCmd_g(7, QStringLiteral("odd"));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("An incorrect parameter has been passed to SysCmd_g"));
    EXPECT_EQ(boxes.last().style, 16);
    EXPECT_EQ(panel, QStringLiteral("odd"));
    app.setStatusSink({});
}
