#include "app/clsFamily.h"
#include "app/clsFile.h"
#include "app/clsFormRefresher.h"
#include "app/clsHourglass.h"
#include "platform/AppError.h"

#include <QCloseEvent>
#include <QFile>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace {
QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A window that logs its closing and may refuse it.
class LoggingWindow : public QWidget {
public:
    LoggingWindow(QString name, QStringList* log, bool refuse = false)
        : m_name(std::move(name)), m_log(log), m_refuse(refuse)
    {
        setAttribute(Qt::WA_DeleteOnClose);
    }

protected:
    void closeEvent(QCloseEvent* e) override
    {
        m_log->append(m_name);
        if (m_refuse)
            e->ignore();
        else
            e->accept();
    }

private:
    QString m_name;
    QStringList* m_log;
    bool m_refuse;
};
}  // namespace

TEST(clsHourglass, NestedObjectsKeepTheBusyPointerUntilTheOuterDies)
{
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    {
        clsHourglass outer;
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        {
            clsHourglass inner;
            EXPECT_EQ(BusyCursor::depth(), 2);
        }
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(BusyCursor::depth(), 0);
}

TEST(clsFile, OpenReplacesTheFileAndBytesPassUnchanged)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("temp.bin");
    writeAll(path, "old contents that must go");

    clsFile file;
    ASSERT_TRUE(file.Open_pf(path));
    file.Print_pf(QStringLiteral("Zeit\t"));
    file.Print_pf(QByteArray("\x00\x0D\x0A\xFF", 4));
    file.Print_pf(QStringLiteral("ü\r\n"));
    file.Close_pf();
    EXPECT_EQ(readAll(path), QByteArray("Zeit\t\x00\x0D\x0A\xFF\xC3\xBC\r\n", 13));

    try {
        file.Print_pf("after close");
        FAIL() << "write to a closed file";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), 52);
    }
}

TEST(clsFile, EachObjectClosesOnlyItsOwnFile)
{
    QTemporaryDir dir;
    const QString image = dir.filePath("temp.bin");
    clsFile download;
    ASSERT_TRUE(download.Open_pf(image));
    download.Print_pf(QByteArray("\x01\x02", 2));
    {
        clsFile reader;
        writeAll(dir.filePath("other.txt"), "x");
        EXPECT_EQ(reader.GetFileContents_pv(dir.filePath("other.txt")).asText(), QStringLiteral("x"));
        clsFile writer;
        ASSERT_TRUE(writer.Open_pf(dir.filePath("export.txt")));
    }
    download.Print_pf(QByteArray("\x03", 1));

    // Opening again closes the object's first file with everything written.
    const QString second = dir.filePath("second.bin");
    ASSERT_TRUE(download.Open_pf(second));
    download.Print_pf("2");
    download.Close_pf();
    EXPECT_EQ(readAll(image), QByteArray("\x01\x02\x03", 3));
    EXPECT_EQ(readAll(second), QByteArray("2"));
}

TEST(clsFile, GetFileContentsReadsDelimitedItems)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("in.txt");
    const struct {
        QByteArray content;
        QString expected;
    } cases[] = {
        {"alpha, beta\r\ngamma\r\n", QStringLiteral("alpha\r\nbeta\r\ngamma")},
        {"\"x, y\"\r\n", QStringLiteral("x, y")},
        {"  padded  ,\"  kept  \"  ,last", QStringLiteral("padded\r\n  kept  \r\nlast")},
        {"one\n\ntwo", QStringLiteral("one\r\n\r\ntwo")},
        {"a,,b", QStringLiteral("a\r\n\r\nb")},
        {"\"open quote, to the end", QStringLiteral("open quote, to the end")},
        {"Zeitüberschreitung", QStringLiteral("Zeitüberschreitung")},
    };
    clsFile file;
    for (const auto& c : cases) {
        writeAll(path, c.content);
        const Value v = file.GetFileContents_pv(path);
        EXPECT_EQ(v.asText(), c.expected) << c.content.constData();
    }
    writeAll(path, "");
    EXPECT_TRUE(file.GetFileContents_pv(path).isEmpty());
    writeAll(path, "  \r\n");
    EXPECT_EQ(file.GetFileContents_pv(path).asText(), QString());

    try {
        file.GetFileContents_pv(dir.filePath("missing.txt"));
        FAIL() << "missing file read";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), ErrNo::FileNotFound);
        EXPECT_EQ(e.source(), QStringLiteral("clsFile.GetFile_pv"));
    }
}

TEST(clsFamily, ClosesOpenChildrenLastFirstDespiteARefusal)
{
    QStringList log;
    auto* a = new LoggingWindow("a", &log);
    auto* b = new LoggingWindow("b", &log, /*refuse=*/true);
    auto* c = new LoggingWindow("c", &log);
    auto* d = new LoggingWindow("d", &log);
    for (QWidget* w :
         {static_cast<QWidget*>(a), static_cast<QWidget*>(b), static_cast<QWidget*>(c), static_cast<QWidget*>(d)})
        w->show();
    QPointer<QWidget> refusing(b);
    {
        clsFamily family;
        family.AddChild(a);
        family.AddChild(b);
        family.AddChild(c);
        family.AddChild(d);
        // The user closed one already: it is skipped without error.
        c->close();
        delete c;
        log.clear();
        EXPECT_EQ(family.Count(), 3);
    }
    EXPECT_EQ(log, QStringList({"d", "b", "a"}));
    ASSERT_TRUE(refusing);
    EXPECT_TRUE(refusing->isVisible());
    delete refusing.data();
}

TEST(clsFamily, ChildInASubWindowClosesWithItsFrame)
{
    QStringList log;
    QMdiArea area;
    auto* child = new LoggingWindow("child", &log);
    QPointer<QMdiSubWindow> frame = area.addSubWindow(child);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    area.show();
    frame->show();
    {
        clsFamily family;
        family.AddChild(child);
    }
    EXPECT_EQ(log, QStringList({"child"}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(area.subWindowList().isEmpty());
}

TEST(clsFormRefresher, EveryHolderHearsEachRequestOnce)
{
    clsFormRefresher refresher;
    QList<std::pair<qint32, QVariant>> calls[3];
    std::unique_ptr<QObject> holders[3];
    for (int i = 0; i < 3; ++i) {
        holders[i] = std::make_unique<QObject>();
        QObject::connect(&refresher, &clsFormRefresher::RefreshRequested, holders[i].get(),
                         [&calls, i](qint32 type, const QVariant& arg) {
                             calls[i].append({type, arg});
                         });
    }
    refresher.SendRefreshRequest_p(1, QVariant(42));
    refresher.SendRefreshRequest_p(5);
    for (const auto& c : calls) {
        ASSERT_EQ(c.size(), 2);
        EXPECT_EQ(c[0].first, 1);
        EXPECT_EQ(c[0].second, QVariant(42));
        EXPECT_EQ(c[1].first, 5);
        EXPECT_FALSE(c[1].second.isValid());
    }
}

TEST(clsFormRefresher, AHolderMayDeleteAnotherDuringTheRequest)
{
    clsFormRefresher refresher;
    int heardByFirst = 0, heardByLast = 0;
    auto first = std::make_unique<QObject>();
    auto* doomed = new QObject;
    auto last = std::make_unique<QObject>();
    QObject::connect(&refresher, &clsFormRefresher::RefreshRequested, first.get(), [&](qint32, const QVariant&) {
        ++heardByFirst;
        delete doomed;
        doomed = nullptr;
    });
    QObject::connect(&refresher, &clsFormRefresher::RefreshRequested, doomed,
                     [](qint32, const QVariant&) { ADD_FAILURE() << "a deleted holder was called"; });
    QObject::connect(&refresher, &clsFormRefresher::RefreshRequested, last.get(),
                     [&](qint32, const QVariant&) { ++heardByLast; });
    refresher.SendRefreshRequest_p(2);
    refresher.SendRefreshRequest_p(3);
    EXPECT_EQ(heardByFirst, 2);
    EXPECT_EQ(heardByLast, 2);
}
