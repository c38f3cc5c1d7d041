#include "app/clsFormHelper.h"
#include "app/clsFormSettings.h"
#include "app/clsRegistry.h"
#include "platform/RegistryStore.h"
#include "support/TempProgramFolder.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {
const QString kBase = QStringLiteral("SOFTWARE\\Splitwerk");
const QString kKey = QStringLiteral("SOFTWARE\\Splitwerk\\FormSettings\\frmTest");

class FormSettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings.BaseRegistrySectionKeyName_ps(kBase);
        form.setObjectName(QStringLiteral("frmTest"));
        form.setGeometry(40, 30, 300, 200);
        screen = QGuiApplication::primaryScreen()->geometry();
    }

    // Values as a window would have saved them, in twips.
    void saved(int state, int left, int top, int width, int height)
    {
        clsRegistry reg;
        const auto set = [&](const char* name, int v) {
            reg.SetRegistryValue(clsRegistry::HKEY_LOCAL_MACHINE, kKey, QLatin1String(name), Value(QString::number(v)));
        };
        set("WindowState", state);
        set("Left", left);
        set("Top", top);
        set("Width", width);
        set("Height", height);
    }

    TempProgramFolder folder;
    clsFormSettings settings;
    QWidget form;
    QRect screen;
};
}  // namespace

TEST_F(FormSettingsTest, NothingSavedLeavesTheWindowAlone)
{
    EXPECT_FALSE(settings.RestorePosition_pf(&form, true));
    EXPECT_EQ(form.geometry(), QRect(40, 30, 300, 200));
}

TEST_F(FormSettingsTest, SavesTwipsAsTextAndRestoresThem)
{
    settings.SavePosition_p(&form);
    EXPECT_EQ(RegistryStore::value(kKey, QStringLiteral("WindowState")), QStringLiteral("0"));
    EXPECT_EQ(RegistryStore::value(kKey, QStringLiteral("Left")), QStringLiteral("600"));
    EXPECT_EQ(RegistryStore::value(kKey, QStringLiteral("Top")), QStringLiteral("450"));
    EXPECT_EQ(RegistryStore::value(kKey, QStringLiteral("Width")), QStringLiteral("4500"));
    EXPECT_EQ(RegistryStore::value(kKey, QStringLiteral("Height")), QStringLiteral("3000"));

    form.setGeometry(0, 0, 50, 50);
    EXPECT_TRUE(settings.RestorePosition_pf(&form, true));
    EXPECT_EQ(form.pos(), QPoint(40, 30));
    EXPECT_EQ(form.size(), QSize(300, 200));
}

// A window closed maximised saves the frame it has when restored, and comes
// back maximised over it.
TEST_F(FormSettingsTest, SavedMaximisedStateComesBackOverItsNormalFrame)
{
    form.show();
    const QPoint at = form.pos();  // the outer corner, as a window system frames it
    form.showMaximized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.size() != QSize(300, 200); }));
    settings.SavePosition_p(&form);
    EXPECT_EQ(RegistryStore::value(kKey, QStringLiteral("WindowState")), QStringLiteral("2"));
    EXPECT_EQ(RegistryStore::value(kKey, QStringLiteral("Left")), QString::number(at.x() * 15));
    EXPECT_EQ(RegistryStore::value(kKey, QStringLiteral("Top")), QString::number(at.y() * 15));
    EXPECT_EQ(RegistryStore::value(kKey, QStringLiteral("Width")), QStringLiteral("4500"));
    form.hide();

    QWidget other;
    other.setObjectName(QStringLiteral("frmTest"));
    saved(2, 1500, 1500, 3000, 3000);
    EXPECT_TRUE(settings.RestorePosition_pf(&other, true));
    EXPECT_TRUE(other.windowState().testFlag(Qt::WindowMaximized));
    EXPECT_EQ(other.normalGeometry(), QRect(100, 100, 200, 200));
}

// A damaged settings file (a place or size no screen can hold, or no number)
// counts as nothing saved, and says nothing.
TEST_F(FormSettingsTest, ADamagedPlaceOrSizeCountsAsNothingSaved)
{
    const struct {
        const char* name;
        const char* text;
    } damaged[] = {{"Width", "99999999999"}, {"Height", "-99999999999"}, {"Left", "1e300"},
                   {"Top", "-2147483648"},   {"Width", "-3000"},         {"WindowState", "max"}};
    for (const auto& d : damaged) {
        SCOPED_TRACE(d.name);
        saved(0, 1500, 1500, 3000, 3000);
        clsRegistry().SetRegistryValue(clsRegistry::HKEY_LOCAL_MACHINE, kKey, QLatin1String(d.name),
                                       Value(QString::fromLatin1(d.text)));
        bool restored = true;
        EXPECT_NO_THROW(restored = settings.RestorePosition_pf(&form, true));
        EXPECT_FALSE(restored);
        EXPECT_EQ(form.geometry(), QRect(40, 30, 300, 200));
    }
}

TEST_F(FormSettingsTest, KeepOnScreenPullsBackAWindowOffTheEdges)
{
    const int sw = screen.width() * 15;
    const int sh = screen.height() * 15;

    saved(0, sw, 1500, 3000, 1500);  // left at the screen's right edge
    ASSERT_TRUE(settings.RestorePosition_pf(&form, true));
    EXPECT_EQ(form.x(), screen.width() - 200);
    EXPECT_EQ(form.y(), 100);

    saved(0, sw - 15, sh - 15, 3000, 1500);  // partly off: pulled wholly inside
    ASSERT_TRUE(settings.RestorePosition_pf(&form, true));
    EXPECT_EQ(form.pos(), QPoint(screen.width() - 200, screen.height() - 100));

    saved(0, sw, sh, sw + 3000, sh + 1500);  // the correction overshoots: held at 0
    ASSERT_TRUE(settings.RestorePosition_pf(&form, true));
    EXPECT_EQ(form.pos(), QPoint(0, 0));

    saved(0, -1500, -750, 3000, 1500);
    ASSERT_TRUE(settings.RestorePosition_pf(&form, true));
    EXPECT_EQ(form.pos(), QPoint(0, 0));
    ASSERT_TRUE(settings.RestorePosition_pf(&form, false));
    EXPECT_EQ(form.pos(), QPoint(-100, -50));
}

TEST_F(FormSettingsTest, ChildWindowMovesItsSubWindow)
{
    QMainWindow main;
    auto* area = new QMdiArea;
    main.setCentralWidget(area);
    main.resize(800, 600);
    auto* child = new QWidget;
    child->setObjectName(QStringLiteral("frmTest"));
    QMdiSubWindow* sub = area->addSubWindow(child);
    main.show();
    sub->setGeometry(10, 20, 300, 150);

    settings.SavePosition_p(child);
    EXPECT_EQ(RegistryStore::value(kKey, QStringLiteral("Left")), QStringLiteral("150"));
    EXPECT_EQ(RegistryStore::value(kKey, QStringLiteral("Width")), QStringLiteral("4500"));
    sub->setGeometry(0, 0, 100, 100);
    ASSERT_TRUE(settings.RestorePosition_pf(child, true));
    EXPECT_EQ(sub->geometry(), QRect(10, 20, 300, 150));

    // Closed minimised or maximised, it keeps the frame Restore gives it,
    // comes back so, and Restore brings it there.
    for (const auto show : {&QWidget::showMaximized, &QWidget::showMinimized}) {
        (sub->*show)();
        settings.SavePosition_p(child);
        EXPECT_EQ(RegistryStore::value(kKey, QStringLiteral("Top")), QStringLiteral("300"));
        EXPECT_EQ(RegistryStore::value(kKey, QStringLiteral("Height")), QStringLiteral("2250"));
        sub->showNormal();
        sub->setGeometry(0, 0, 100, 100);
        ASSERT_TRUE(settings.RestorePosition_pf(child, true));
        EXPECT_TRUE(sub->isMaximized() || sub->isMinimized());
        sub->showNormal();
        EXPECT_EQ(sub->geometry(), QRect(10, 20, 300, 150));
    }
}

TEST_F(FormSettingsTest, CentresOnTheScreenOrInTheMainWindow)
{
    form.resize(200, 100);
    settings.CenterForm_p(&form);
    EXPECT_EQ(form.pos(), QPoint(screen.x() + (screen.width() - 200) / 2, screen.y() + (screen.height() - 100) / 2));

    QMainWindow main;
    auto* area = new QMdiArea;
    main.setCentralWidget(area);
    main.statusBar()->showMessage(QStringLiteral("ready"));
    main.resize(800, 600);
    auto* child = new QWidget;
    QMdiSubWindow* sub = area->addSubWindow(child);
    main.show();
    sub->resize(200, 100);
    const int bars = main.statusBar()->height();
    ASSERT_GT(bars, 0);

    settings.CenterForm_p(child, &main);
    // The allowance is the bars plus 750 twips (50 pixels).
    EXPECT_EQ(sub->pos(), QPoint(300, (600 - 100 - bars - 50) / 2));
    EXPECT_EQ(sub->size(), QSize(200, 100));

    sub->resize(900, 100);
    settings.CenterForm_p(child, &main);
    EXPECT_EQ(sub->x(), 0);
}

TEST(FormHelper, FindsWindowsByNameCaseBlindButLoadedCheckIsExact)
{
    QWidget list;
    list.setObjectName(QStringLiteral("frmSegmentList"));
    QMainWindow main;
    main.setObjectName(QStringLiteral("frmMain"));
    auto* area = new QMdiArea;
    main.setCentralWidget(area);
    auto* detail = new QWidget;
    detail->setObjectName(QStringLiteral("frmSegmentDetail"));
    area->addSubWindow(detail);

    clsFormHelper helper;
    EXPECT_EQ(helper.GetFormNamed_po(QStringLiteral("FRMSEGMENTLIST")), &list);
    EXPECT_FALSE(helper.isFormLoaded_pf(QStringLiteral("FRMSEGMENTLIST")));
    EXPECT_TRUE(helper.isFormLoaded_pf(QStringLiteral("frmSegmentList")));
    EXPECT_EQ(helper.GetFormNamed_po(QStringLiteral("frmsegmentdetail")), detail);
    EXPECT_TRUE(helper.isFormLoaded_pf(QStringLiteral("frmSegmentDetail")));
    EXPECT_EQ(helper.GetFormNamed_po(QStringLiteral("frmNone")), nullptr);
    EXPECT_FALSE(helper.isFormLoaded_pf(QString()));
}
