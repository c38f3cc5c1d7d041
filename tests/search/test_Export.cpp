#include "SearchFixture.h"

#include "app/ChildForms.h"
#include "app/clsFormRefresher.h"
#include "platform/DataGrid.h"
#include "search/clsExportToFile.h"
#include "support/SmallDisk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTemporaryDir>

#include <functional>
#include <iostream>

namespace {
using Ids = QList<int>;

// Stands in for the progress window and remembers what it was told.
class FakeProgress : public QWidget {
    Q_OBJECT
public:
    FakeProgress() { setObjectName(QStringLiteral("frmProgress")); }
    Q_INVOKABLE void ProgressBarMax_p(qint32 max) { lastMax = max; }
    Q_INVOKABLE void progressBarValue_p(qint32 value) { values << value; }
    static inline qint32 lastMax = -1;
    static inline QList<qint32> values;
};

bool g_offerProgress = false;

class Export : public SearchFixture {
protected:
    void SetUp() override
    {
        SearchFixture::SetUp();
        ChildForms::registerForm(QStringLiteral("frmProgress"),
                                 [] { return g_offerProgress ? new FakeProgress : nullptr; });
        g_offerProgress = false;
        FakeProgress::lastMax = -1;
        FakeProgress::values.clear();
        path = dir.filePath(QStringLiteral("out.txt"));
        frmSegmentList::setSaveFileAsker([this](QWidget*, const QString& title, const QString& filter,
                                                const QString& defaultName) -> std::optional<QString> {
            asked << title + QLatin1Char('|') + filter + QLatin1Char('|') + defaultName;
            return cancel ? std::nullopt : std::optional<QString>(path);
        });
    }
    void TearDown() override
    {
        QLocale::setDefault(QLocale::system());
        SearchFixture::TearDown();
    }

    QByteArray written() const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    // The file's lines without their CR LF endings; fails when a line lacks one.
    QList<QByteArray> lines() const
    {
        QByteArray all = written();
        EXPECT_TRUE(all.endsWith("\r\n"));
        all.chop(2);
        QList<QByteArray> out = all.split('\n');
        for (QByteArray& l : out) {
            EXPECT_TRUE(l.endsWith("\t\r") || &l == &out.last()) << l.constData();
            if (l.endsWith('\r'))
                l.chop(1);
        }
        return out;
    }
    QList<QByteArray> fields(const QByteArray& line) const
    {
        QList<QByteArray> f = line.split('\t');
        EXPECT_TRUE(f.last().isEmpty());  // every field, the last included, ends in a tab
        f.removeLast();
        return f;
    }

    QTemporaryDir dir;
    QString path;
    bool cancel = false;
    QStringList asked;
};
}  // namespace

TEST_F(Export, TwoSegmentsWithFiveAndThreeRowsGiveNineLinesOfNineteenFields)
{
    ASSERT_TRUE(
        folder.execSql(QStringLiteral("UPDATE tblSegment SET mNotes = 'one' || char(13,10) || 'two' || char(9) || 'x' "
                                      "WHERE lSegmentID = 2")));
    searchAll();
    select({1, 2});
    g_offerProgress = true;
    window->Export_p();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("Data export to file '") + path + QStringLiteral("' is complete"));
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked.first(),
              QStringLiteral("Export File Save|(*.txt)|*.txt|ZrDataExport")
                  + QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".txt"));

    const QList<QByteArray> all = lines();
    ASSERT_EQ(all.size(), 9);
    EXPECT_EQ(written().count("\r\n"), 9);
    for (const QByteArray& l : all)
        EXPECT_EQ(l.count('\t'), 19) << l.constData();
    EXPECT_EQ(fields(all[0]).first(), "Segment");
    EXPECT_EQ(fields(all[0]).last(), "Segment Detail Comments");
    EXPECT_EQ(fields(all[0])[10], "Distance Type");
    // Each segment's rows in the watch's order (their times put the rate rows first).
    std::vector<std::string> rows;
    for (int i = 1; i < all.size(); ++i) {
        const QList<QByteArray> f = fields(all[i]);
        rows.push_back((f[0] + ' ' + f[11]).toStdString());
        if (f[0] == "2") {
            EXPECT_EQ(f[4], "one  two x");       // line breaks and tab as blanks
            EXPECT_EQ(f[4 + 14], QByteArray());  // Null comment
        }
    }
    EXPECT_EQ(
        rows,
        (std::vector<std::string>{"1 T001", "1 T002", "1 T003", "1 R001", "1 R002", "2 T001", "2 T002", "2 R001"}));
    EXPECT_EQ(FakeProgress::lastMax, 8);
    // The bar ends full, and does not repaint for every row.
    ASSERT_FALSE(FakeProgress::values.isEmpty());
    EXPECT_EQ(FakeProgress::values.last(), 8);
    EXPECT_LT(FakeProgress::values.size(), 8);
}

TEST_F(Export, SegmentWithoutRowsGivesEmptyRowFieldsAndNoSelectionTakesTheCurrentRow)
{
    searchAll();
    window->dbgMain->Bookmark(Value(window->listRecordset()->bookmarkAt(viewRowOf(6))));
    window->cmdExport->click();
    const QList<QByteArray> all = lines();
    ASSERT_EQ(all.size(), 2);
    const QList<QByteArray> f = fields(all[1]);
    ASSERT_EQ(f.size(), 19);
    EXPECT_EQ(f[0], "6");
    EXPECT_EQ(f[4], QByteArray());  // Null note
    EXPECT_EQ(f[6], "a|b");
    for (int i = 11; i < 19; ++i)
        EXPECT_TRUE(f[i].isEmpty()) << i;
    // The current row became the selection.
    ASSERT_EQ(window->dbgMain->SelBookmarks().Count(), 1);
    EXPECT_EQ(window->dbgMain->SelBookmarks().Item(0).toLong(), window->listRecordset()->bookmarkAt(viewRowOf(6)));
}

TEST_F(Export, ASegmentWithoutAnEventCarriesTheEventTheListShows)
{
    ASSERT_TRUE(folder.execSql(QStringLiteral("UPDATE tblSegment SET lEventID = NULL WHERE lSegmentID = 2")));
    searchAll();
    const Value shown = window->listRecordset()->valueAt(viewRowOf(2), 2);
    EXPECT_EQ(shown.asText(), QStringLiteral("Unassigned"));
    select({2});
    window->Export_p();
    const QList<QByteArray> all = lines();
    ASSERT_EQ(all.size(), 4);
    for (int i = 1; i < all.size(); ++i)
        EXPECT_EQ(fields(all[i])[6], shown.asText().toLatin1()) << i;
}

TEST_F(Export, DecimalCommaLocaleWritesCommasWithoutGrouping)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    searchAll();
    select({1});
    window->Export_p();
    const QList<QByteArray> all = lines();
    ASSERT_EQ(all.size(), 6);
    QList<QByteArray> cum;
    for (int i = 1; i < all.size(); ++i)
        cum << fields(all[i])[12];
    EXPECT_TRUE(cum.contains("1234,5")) << cum.join(' ').constData();
    EXPECT_TRUE(cum.contains("61,25"));
    const QList<QByteArray> first = fields(all[1]);
    EXPECT_EQ(first[1], "01.03.2024");  // four-digit year
    EXPECT_EQ(first[2], "10.02.2024");
    EXPECT_TRUE(first[3].startsWith("08:15:00")) << first[3].constData();
}

TEST_F(Export, ExistingFileIsReplacedOnlyWhenTheExportSucceeds)
{
    // A failed export says why in words, and the old file survives it.
    SmallDisk disk;
    const QString ownPath = path;
    const struct {
        const char* name;
        int segment;
        QString file;
        std::function<bool()> spoil;  // false: this account cannot make the fault
        QString says;
    } failures[] = {
        {"every segment deleted after the list was made", 5, ownPath,
         [&] {
             return folder.execSql(QStringLiteral("DELETE FROM tblSegmentDetail WHERE lSegmentID = 5;"
                                                  "DELETE FROM tblSegment WHERE lSegmentID = 5;"));
         },
         QStringLiteral("There is nothing to export: the segments selected were deleted after the list was made.")},
        {"a full disk", 3, disk.filePath(QStringLiteral("out.txt")), [&] { return disk.isReady() && disk.fill(); },
         QStringLiteral("The export was not written: the disk has no room left for ")
             + QDir::toNativeSeparators(disk.filePath(QStringLiteral("out.txt")))},
    };
    searchAll();
    for (const auto& f : failures) {
        SCOPED_TRACE(f.name);
        path = f.file;
        {
            QFile old(path);
            ASSERT_TRUE(old.open(QIODevice::WriteOnly));
            old.write("old content");
        }
        window->dbgMain->SelBookmarks().Clear();
        select({f.segment});
        boxes.clear();
        if (!f.spoil()) {
            std::cout << "[  SKIPPED ] " << f.name << ": only root can make this fault here\n";
            continue;
        }
        window->Export_p();
        ASSERT_EQ(boxes.count(), 1);
        EXPECT_TRUE(boxes.last().text.startsWith(f.says)) << boxes.last().text.toStdString();
        EXPECT_EQ(boxes.last().style & 0x70, 48);
        EXPECT_EQ(written(), "old content");
        EXPECT_EQ(QDir(QFileInfo(path).absolutePath()).entryList({QStringLiteral("out.txt.*")}, QDir::Files),
                  QStringList());
    }

    path = ownPath;
    boxes.clear();
    window->dbgMain->SelBookmarks().Clear();
    select({3});
    window->Export_p();
    ASSERT_EQ(lines().size(), 2);
    EXPECT_EQ(fields(lines()[1])[15], "O'Brien");
}

TEST_F(Export, CancelEndsSilentlyAndAnEmptyNameAsksForAFile)
{
    searchAll();
    select({1});
    cancel = true;
    window->Export_p();
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_FALSE(QFile::exists(path));
    cancel = false;
    path.clear();
    window->Export_p();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("You must select a file to export to"));
}

TEST_F(Export, AListASearchLeftEmptySaysThereIsNothingToExportBeforeAskingForAFile)
{
    window->txtSegmentNumber->setText(QStringLiteral("zzz"));
    window->Search_p();
    ASSERT_EQ(boxes.count(), 1);  // no match
    boxes.clear();
    window->Export_p();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("There is nothing to export")))
        << boxes.last().text.toStdString();
    EXPECT_EQ(boxes.last().style & 0x70, 64);
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_FALSE(QFile::exists(path));
}

// The segment time as a spreadsheet of the user's locale reads a time: ":"
// between its parts everywhere, the hours and AM/PM as the locale has them.
TEST_F(Export, TheSegmentTimeIsWrittenWithColonsInEveryLocale)
{
    ASSERT_TRUE(
        folder.execSql(QStringLiteral("UPDATE tblSegment SET dtSegmentTime = '07:05:09' WHERE lSegmentID = 3;"
                                      "UPDATE tblSegment SET dtSegmentTime = '23:59:59' WHERE lSegmentID = 5;")));
    const struct {
        const char* locale;
        const char* morning;
        const char* night;
    } cases[] = {
        {"en_US", "7:05:09 AM", "11:59:59 PM"}, {"en_GB", "07:05:09", "23:59:59"},
        {"de_DE", "07:05:09", "23:59:59"},      {"fr_FR", "07:05:09", "23:59:59"},
        {"C", "07:05:09", "23:59:59"},          {"da_DK", "07:05:09", "23:59:59"},
        {"fi_FI", "7:05:09", "23:59:59"},       {"es_ES", "7:05:09", "23:59:59"},
        {"ja_JP", "7:05:09", "23:59:59"},       {"ko_KR", "오전 7:05:09", "오후 11:59:59"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale);
        QLocale::setDefault(QLocale(QString::fromLatin1(c.locale)));
        window->dbgMain->SelBookmarks().Clear();
        searchAll();
        select({3, 5});
        window->Export_p();
        const QList<QByteArray> all = lines();
        ASSERT_EQ(all.size(), 3);
        EXPECT_EQ(QString::fromUtf8(fields(all[1])[3]), QString::fromUtf8(c.morning));
        EXPECT_EQ(QString::fromUtf8(fields(all[2])[3]), QString::fromUtf8(c.night));
    }
}

TEST(ExportValueText, NullsTabsAndNumbersAsTheFileHoldsThem)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(clsExportToFile::ValueText_gs(Value::null()), QString());
    EXPECT_EQ(clsExportToFile::ValueText_gs(Value(1234567.25)), QStringLiteral("1234567.25"));
    EXPECT_EQ(clsExportToFile::ValueText_gs(Value(QStringLiteral("a\tb\r\nc"))), QStringLiteral("a b  c"));
    EXPECT_EQ(clsExportToFile::ShortDate_gs(QDate(2001, 7, 24)), QStringLiteral("7/24/2001"));
    QLocale::setDefault(QLocale::system());
}

#include "test_Export.moc"
