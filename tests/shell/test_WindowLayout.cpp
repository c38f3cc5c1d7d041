#include "ShellFixture.h"

#include "WindowKinds.h"

#include "app/clsRegistry.h"
#include "app/frmAbout.h"
#include "app/frmProgress.h"
#include "app/frmSplash.h"
#include "detail/frmSegmentDetail.h"
#include "import/frmImport.h"
#include "import/frmImportSegment.h"
#include "lists/frmCategory.h"
#include "lists/frmEvent.h"
#include "lists/frmRoster.h"
#include "lists/frmSegmentType.h"
#include "platform/DataGrid.h"
#include "platform/RegistryStore.h"
#include "platform/Twips.h"
#include "search/frmSegmentList.h"

#include <QClipboard>
#include <QHeaderView>
#include <QImage>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTimer>

#include <functional>

namespace {
struct Kind {
    std::function<QWidget*()> make;
    int widthTwips, heightTwips;  // the design's first size
};

template <typename W>
Kind kind(int widthTwips = W::DesignWidth, int heightTwips = W::DesignHeight)
{
    return {[] { return new W; }, widthTwips, heightTwips};
}

// Every child window of the main window.
QList<Kind> childKinds()
{
    return {kind<frmSegmentList>(),     kind<frmSegmentDetail>(),
            kind<frmImport>(),          kind<frmImportSegment>(),
            kind<frmProgress>(),        kind<frmCategory>(7476, 5124),
            kind<frmEvent>(7476, 5124), kind<frmSegmentType>(7476, 5124),
            kind<frmRoster>(8736, 5472)};
}

QSize least(const QWidget* w) { return w->minimumSize().expandedTo(w->minimumSizeHint()); }

bool atLeast(const QSize& size, const QSize& floor)
{
    return size.width() >= floor.width() && size.height() >= floor.height();
}

std::string text(const QSize& s) { return std::to_string(s.width()) + "x" + std::to_string(s.height()); }

struct WindowLayout : ShellTest {
    // Opens every child window in a main window of the given size.
    QList<QMdiSubWindow*> openAll(const QSize& mainSize)
    {
        openMain();
        main->resize(mainSize);
        QList<QMdiSubWindow*> subs;
        for (const Kind& k : childKinds())
            subs << show(k.make());
        return subs;
    }

    void expectAtLeastMinimum(const QList<QMdiSubWindow*>& subs, const char* after)
    {
        for (const QMdiSubWindow* sub : subs) {
            SCOPED_TRACE(std::string(after) + " " + sub->widget()->objectName().toStdString());
            EXPECT_TRUE(atLeast(sub->size(), sub->minimumSizeHint())) << text(sub->size());
            EXPECT_TRUE(atLeast(sub->widget()->size(), least(sub->widget()))) << text(sub->widget()->size());
        }
    }
};
}  // namespace

TEST_F(WindowLayout, EveryWindowTakesAtLeastItsDesignSizeAtTheScreensResolution)
{
    // The conversion follows the resolution, not a fixed 15 twips a pixel.
    QImage fine(1, 1, QImage::Format_RGB32);
    fine.setDotsPerMeterX(5669);  // 144 dots an inch
    fine.setDotsPerMeterY(5669);
    EXPECT_EQ(Twips::toPixels(&fine, 1440, 720), QSize(144, 72));

    const QList<Kind> kinds = childKinds() << kind<frmSplash>() << kind<frmAbout>();
    for (const Kind& k : kinds) {
        std::unique_ptr<QWidget> w(k.make());
        SCOPED_TRACE(w->objectName().toStdString());
        const QSize design = Twips::toPixels(w.get(), k.widthTwips, k.heightTwips);
        EXPECT_TRUE(atLeast(least(w.get()), design)) << text(least(w.get()));
        EXPECT_TRUE(atLeast(w->sizeHint(), design)) << text(w->sizeHint());
    }

    // Shown in the document area, each window first takes its hinted size;
    // the segment list is wider where its grid's columns need it, and the
    // detail fills the area, which the main window's first open gives the
    // whole screen.
    openMain();
    EXPECT_TRUE(main->isMaximized());
    main->showNormal();
    main->resize(1280, 1000);
    const QSize area = Twips::toPixels(main->mdiArea(), mdiMain::DesignWidth, mdiMain::DesignHeight);
    EXPECT_TRUE(atLeast(least(main->mdiArea()), area));
    EXPECT_TRUE(atLeast(main->sizeHint(), area));
    for (const Kind& k : childKinds()) {
        QMdiSubWindow* sub = show(k.make());
        const QString name = sub->widget()->objectName();
        SCOPED_TRACE(name.toStdString());
        if (name != "frmSegmentList" && name != "frmSegmentDetail") {
            EXPECT_EQ(sub->widget()->size(), sub->widget()->sizeHint());
        } else {
            if (name == "frmSegmentDetail")
                EXPECT_EQ(sub->geometry(), main->mdiArea()->viewport()->rect());
            else
                EXPECT_EQ(sub->widget()->height(), sub->widget()->sizeHint().height());
            auto* grid = sub->widget()->findChild<DataGrid*>(QStringLiteral("dbgMain"));
            auto* tabs = sub->widget()->findChild<QTabWidget*>(QStringLiteral("ssTab1"));
            tabs->setCurrentWidget(grid->parentWidget());
            QCoreApplication::processEvents();
            EXPECT_LE(grid->horizontalHeader()->length(), grid->viewport()->width());
        }
        sub->close();
    }
}

TEST_F(WindowLayout, CascadeAndTileLeaveEveryWindowAtLeastItsMinimum)
{
    const QList<QMdiSubWindow*> subs = openAll({1024, 768});
    enableAll();
    const QList<std::pair<const char*, std::function<void()>>> arrangements = {
        {"cascadeSubWindows", [&] { main->mdiArea()->cascadeSubWindows(); }},
        {"tileSubWindows", [&] { main->mdiArea()->tileSubWindows(); }},
        {"Cascade", [&] { click("mnuWindowCascade"); }},
        {"Tile Horizontally", [&] { click("mnuWindowTileHorizontally"); }},
        {"Tile Vertically", [&] { click("mnuWindowTileVertically"); }},
    };
    for (const auto& [name, arrange] : arrangements) {
        subs.first()->showMaximized();
        arrange();
        QCoreApplication::processEvents();
        expectAtLeastMinimum(subs, name);
    }
}

TEST_F(WindowLayout, AStoredPlaceComesBackInsideTheAreaAndNeverBelowTheMinimum)
{
    openMain();
    main->resize(1024, 768);
    const QRect area = main->mdiArea()->viewport()->rect();
    const QString base = app->RegistryBaseSectionKeyName().toString() + QStringLiteral("\\FormSettings\\");
    const QString key = base + QStringLiteral("frmSegmentDetail");
    const auto store = [&](int left, int top, int width, int height, int state = 0, const QString& at = {}) {
        clsRegistry reg;
        const QList<std::pair<const char*, int>> values = {
            {"WindowState", state}, {"Left", left}, {"Top", top}, {"Width", width}, {"Height", height}};
        for (const auto& [name, v] : values)
            reg.SetRegistryValue(clsRegistry::HKEY_LOCAL_MACHINE, at.isEmpty() ? key : at, QLatin1String(name),
                                 Value(QString::number(v)));
    };
    const struct {
        const char* what;
        int left, top, width, height;  // twips
    } cases[] = {
        {"larger than the area, from a bigger screen", 0, 0, 19200, 14175},
        {"smaller than the minimum, off to the lower right", 30000, 20000, 1500, 1500},
        {"partly off to the left and top", -3000, -3000, 9840, 6765},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        store(c.left, c.top, c.width, c.height);
        QMdiSubWindow* sub = show(new frmSegmentDetail);
        EXPECT_TRUE(area.contains(sub->geometry())) << text(sub->size());
        EXPECT_TRUE(atLeast(sub->size(), sub->minimumSizeHint())) << text(sub->size());
        sub->close();
    }

    // Maximised, it fills the area even where another window was left at its corner.
    store(0, 0, 19200, 14175, 0, base + QStringLiteral("frmSegmentList"));
    store(0, 0, 19200, 14175, 2);
    show(new frmSegmentList);
    QMdiSubWindow* maximised = show(new frmSegmentDetail);
    EXPECT_TRUE(maximised->isMaximized());
    EXPECT_EQ(maximised->geometry(), area);
    maximised->close();

    // A window closed while minimised does not store the size of its icon.
    QMdiSubWindow* sub = show(new frmSegmentDetail);
    const QSize normal = sub->minimumSizeHint();
    sub->showMinimized();
    sub->close();
    EXPECT_EQ(RegistryStore::value(key, QStringLiteral("WindowState")), QStringLiteral("1"));
    EXPECT_GE(RegistryStore::value(key, QStringLiteral("Width")).toInt(),
              Twips::fromPixelsX(main.get(), normal.width()) - 1);
    EXPECT_GE(RegistryStore::value(key, QStringLiteral("Height")).toInt(),
              Twips::fromPixelsY(main.get(), normal.height()) - 1);
}

TEST_F(WindowLayout, AMaximisedWindowBesideADetailWindowInASmallMainWindowKeepsTheEventLoopTurning)
{
    const QList<QMdiSubWindow*> subs = openAll({1024, 768});
    QMdiSubWindow* detail = subs.at(1);
    ASSERT_EQ(detail->widget()->objectName(), QStringLiteral("frmSegmentDetail"));
    subs.first()->showMaximized();
    QTimer tick;
    tick.setInterval(10);
    QSignalSpy ticks(&tick, &QTimer::timeout);
    tick.start();
    // Smaller than every window's design size, and back and forth so the
    // area's scroll bars come and go.
    for (const QSize& size : {QSize(300, 200), QSize(700, 500), QSize(320, 240)}) {
        main->resize(size);
        ticks.clear();
        EXPECT_TRUE(ticks.wait(100)) << text(size);
    }
    expectAtLeastMinimum({subs.first(), detail}, "shrunk");
    EXPECT_TRUE(subs.first()->isMaximized());
}

TEST_F(WindowLayout, AWindowOpenedBesideAMaximisedOneOpensMaximisedAndKeepsItsOwnPlaceForLater)
{
    WindowKinds::registerAll();
    openMain();
    main->resize(1024, 768);
    enableAll();
    const QRect area = main->mdiArea()->viewport()->rect();
    const QString key = app->RegistryBaseSectionKeyName().toString() + QStringLiteral("\\FormSettings\\frmEvent");
    const struct {
        const char* what;
        bool stored;
    } cases[] = {{"nothing stored", false}, {"a place stored", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QPoint place(40, 30);
        if (c.stored) {
            clsRegistry reg;
            const QList<std::pair<const char*, int>> values = {{"WindowState", 0},
                                                               {"Left", int(Twips::fromPixelsX(main.get(), place.x()))},
                                                               {"Top", int(Twips::fromPixelsY(main.get(), place.y()))},
                                                               {"Width", 7600},
                                                               {"Height", 5900}};
            for (const auto& [name, v] : values)
                reg.SetRegistryValue(clsRegistry::HKEY_LOCAL_MACHINE, key, QLatin1String(name),
                                     Value(QString::number(v)));
        }
        click("mnuViewSegCategory");
        QMdiSubWindow* categories = main->mdiArea()->currentSubWindow();
        ASSERT_TRUE(categories);
        categories->showMaximized();
        click("mnuViewEvents");
        QMdiSubWindow* events = main->mdiArea()->currentSubWindow();
        ASSERT_TRUE(events && events != categories);
        ASSERT_EQ(events->widget()->objectName(), QStringLiteral("frmEvent"));
        EXPECT_TRUE(events->isMaximized());
        EXPECT_EQ(events->geometry(), area);
        EXPECT_FALSE(categories->isMaximized());
        // Back to normal it has its own frame, at its own place and size.
        events->showNormal();
        EXPECT_NE(events->geometry(), area);
        EXPECT_TRUE(area.contains(events->geometry()));
        if (c.stored) {
            EXPECT_EQ(events->pos(), place);
        }
        for (QMdiSubWindow* sub : main->mdiArea()->subWindowList())
            sub->close();
        QCoreApplication::processEvents();
    }
}

// Every multi-line box of every window takes only the text the clipboard
// holds, by each way a user pastes; nothing at all (the owner of an X11
// clipboard gone) or no text changes nothing and must not end the program.
TEST_F(WindowLayout, EveryMultiLineBoxPastesOnlyTheClipboardsText)
{
    const QList<QMdiSubWindow*> subs = openAll({1024, 768});
    const QChar nul(0);
    const struct {
        const char* what;
        std::function<QMimeData*()> make;
    } offers[] = {
        {"nothing", [] { return new QMimeData; }},
        {"an image",
         [] {
             auto* data = new QMimeData;
             data->setImageData(QImage(2, 2, QImage::Format_ARGB32));
             return data;
         }},
        {"text",
         [nul] {
             auto* data = new QMimeData;
             data->setText(QStringLiteral("a") + nul + QStringLiteral("b"));
             return data;
         }},
    };
    const QList<std::pair<const char*, std::function<void(QPlainTextEdit*)>>> ways = {
        {"Ctrl+V", [](QPlainTextEdit* box) { QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier); }},
        {"Shift+Insert", [](QPlainTextEdit* box) { QTest::keyClick(box, Qt::Key_Insert, Qt::ShiftModifier); }},
        {"context menu",
         [](QPlainTextEdit* box) {
             std::unique_ptr<QMenu> menu(box->createStandardContextMenu());
             if (auto* paste = menu->findChild<QAction*>(QStringLiteral("edit-paste")); paste && paste->isEnabled())
                 paste->trigger();
         }},
    };
    int areas = 0;
    for (QMdiSubWindow* sub : subs) {
        for (QPlainTextEdit* box : sub->widget()->findChildren<QPlainTextEdit*>()) {
            ++areas;
            for (const auto& offer : offers) {
                for (const auto& [way, paste] : ways) {
                    SCOPED_TRACE(box->objectName().toStdString() + ", " + offer.what + ", " + way);
                    sub->widget()->activateWindow();
                    main->mdiArea()->setActiveSubWindow(sub);
                    box->setPlainText(QStringLiteral("kept"));
                    box->moveCursor(QTextCursor::End);
                    box->setFocus();
                    QGuiApplication::clipboard()->setMimeData(offer.make());
                    paste(box);
                    const bool takes = !box->isReadOnly() && QLatin1String(offer.what) == QLatin1String("text");
                    EXPECT_EQ(box->toPlainText(), takes ? QStringLiteral("keptab") : QStringLiteral("kept"));
                }
            }
        }
    }
    EXPECT_EQ(areas, 5);  // the segment's, the category's, the event's and the athlete's notes; the download's help
}
