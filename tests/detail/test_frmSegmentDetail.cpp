#include "DetailFixture.h"
#include "PinnedLocale.h"

#include "app/clsFormRefresher.h"
#include "platform/ComboBox.h"
#include "platform/DatePicker.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using Col = clsSegmentRows::Column;

namespace {
const QString SaveQuestion = QStringLiteral("Save Modified Record?");
constexpr int Yes = 6, No = 7, Cancel = 2;

QStringList captions(DataGrid* grid)
{
    QStringList c;
    for (int i : {8, 9, 10, 11})
        c << grid->Columns(i)->Caption();
    return c;
}
}  // namespace

TEST_F(DetailFixture, OpensWithHeaderRowsDerivedValuesAndUnitCaptions)
{
    const PinnedLocale c;  // expects C's forms ("00:02'00.00", "4.17")
    frmSegmentDetail& w = open(1);
    EXPECT_EQ((QStringList{w.txtsSegmentLabel->text(), w.dtpdtSegmentDate->Value().toDate().toString(Qt::ISODate),
                           w.txtdtSegmentTime->text(), w.cbolCategoryID->Text(), w.cbolEventId->Text(),
                           w.txtmNotes->toPlainText()}),
              (QStringList{"7", "2024-02-10", "08:15:00", "Juniors", "Regatta North", "calm water"}));
    EXPECT_TRUE(w.chkfReviewed->isChecked());

    QStringList order;
    for (int r = 0; r < rows().RecordCount(); ++r)
        order << rows().valueAt(r, Col::colLabel).asText();
    EXPECT_EQ(order, (QStringList{"T000", "R001", "T001", "R002", "T002"}));
    EXPECT_EQ(text("R001", Col::colDips), "8.33");
    EXPECT_EQ(text("R001", Col::colRateDisplay), "2");
    EXPECT_EQ(text("T001", Col::colSpeed), "4.17");
    EXPECT_EQ(text("T002", Col::colLap), "00:02'10.00");
    EXPECT_EQ(text("T002", Col::colCumTimeDisplay), "00:04'10.00");
    EXPECT_EQ(captions(w.dbgMain), (QStringList{"Rate (s/cyc)", "DiPS (m)", "Speed (m/s)", "Dist (m)"}));
    for (int c = 0; c < clsSegmentRows::ColumnCount; ++c)
        EXPECT_EQ(w.dbgMain->Columns(c)->Visible(), !(QList<int>{0, 1, 2, 4, 7}.contains(c))) << c;

    // One athlete's rows alone: R002 spans 0 to 250 s, T002's lap is 250 s;
    // the current row stays where it was.
    rows().Filter(QStringLiteral("lRosterId = 2"));
    rows().MoveLast();
    const Value current = w.dbgMain->Bookmark();
    w.SetOrder_P("ASC");
    EXPECT_EQ(text("R002", Col::colDips), "10");
    EXPECT_EQ(text("T002", Col::colSpeed), "4");
    EXPECT_EQ(w.dbgMain->Bookmark(), current);

    // Nothing changed: closing asks nothing.
    EXPECT_TRUE(w.close());
    EXPECT_EQ(boxes.count(), 0);
}

// A downloaded segment has no event: the window shows the placeholder, and
// that is no change of the user's. A save stores the placeholder.
TEST_F(DetailFixture, MissingReferencesAndUnitsAreThePlaceholderNotAChange)
{
    db().Execute(QStringLiteral("UPDATE tblSegment SET lEventID = NULL WHERE lSegmentID = 2"));
    frmSegmentDetail& w = open(2);
    EXPECT_EQ(w.cbolCategoryID->ItemData(w.cbolCategoryID->ListIndex()), 1);
    EXPECT_EQ(w.cbolEventId->ItemData(w.cbolEventId->ListIndex()), 1);
    EXPECT_EQ(w.segment().lRateTypeID().toLong(), 1);  // setting 200
    EXPECT_TRUE(w.close());
    EXPECT_EQ(boxes.count(), 0);

    frmSegmentDetail& again = open(2);
    again.txtsSegmentLabel->setText(QStringLiteral("9"));
    again.cmdSave->click();
    EXPECT_EQ(
        scalar(QStringLiteral("SELECT lCategoryID || '/' || lEventID FROM tblSegment WHERE lSegmentID = 2")).asText(),
        "1/1");
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(DetailFixture, NewLabelIsTheDaysLargestWholeNumberPlusOne)
{
    const PinnedLocale c;  // expects C's forms ("00:02'00.00", "4.17")
    const struct {
        QStringList labels;
        const char* expected;
    } cases[] = {{{}, "1"},
                 {{"1", "2", "3", "4", "5", "6", "7", "8", "9"}, "10"},
                 {{"9", "10"}, "11"},
                 {{"A", "3", "2b"}, "4"},
                 {{"A"}, "1"}};
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        db().Execute(QStringLiteral("DELETE FROM tblSegment WHERE lSegmentID > 2"));
        for (const QString& label : c.labels)
            db().Execute(QStringLiteral("INSERT INTO tblSegment (sSegmentLabel, dtSegmentDate) VALUES ('%1', '%2')")
                             .arg(label, today));
        window = std::make_unique<frmSegmentDetail>();
        ASSERT_TRUE(window->NewRecord_Pf());
        EXPECT_EQ(window->txtsSegmentLabel->text(), c.expected);
    }
    // The new segment: today, the defaults, one time row at 0, and a flag never set shows unticked.
    frmSegmentDetail& w = *window;
    EXPECT_EQ(w.dtpdtImportDate->Value().toDate(), QDate::currentDate());
    EXPECT_FALSE(w.chkfReviewed->isChecked());
    ASSERT_EQ(rows().RecordCount(), 1);
    EXPECT_EQ(text("T000", Col::colLap), "00:00'00.00");
    EXPECT_EQ(cell("T000", Col::colRosterId).toLong(), 1);
    boxes.answer(No);
    EXPECT_TRUE(w.close());
    EXPECT_EQ(boxes.count(), 1);  // a new segment always asks
}

TEST_F(DetailFixture, ClosingAsksSavesOrStays)
{
    const struct {
        const char* name;
        std::function<void(frmSegmentDetail&)> edit;
        QList<int> answers;
        bool closes;
        QString firstBox;
        int boxCount;
        const char* failingTrigger;
    } cases[] = {
        {"Cancel",
         [](frmSegmentDetail& w) { w.txtmNotes->setPlainText("rough"); },
         {Cancel},
         false,
         SaveQuestion,
         1,
         nullptr},
        {"No", [](frmSegmentDetail& w) { w.txtmNotes->setPlainText("rough"); }, {No}, true, SaveQuestion, 1, nullptr},
        {"Yes, saved",
         [](frmSegmentDetail& w) { w.txtmNotes->setPlainText("rough"); },
         {Yes},
         true,
         SaveQuestion,
         1,
         nullptr},
        {"Yes, save fails",
         [](frmSegmentDetail& w) { w.Dirty_pf(true); },
         {Yes},
         false,
         SaveQuestion,
         2,
         "BEFORE UPDATE ON tblSegment BEGIN SELECT RAISE(ABORT, 'refused'); END"},
        {"unreadable time",
         [](frmSegmentDetail& w) { w.txtdtSegmentTime->setText("25:99"); },
         {},
         false,
         QString(),
         1,
         nullptr},
        {"empty label, nothing else changed",
         [](frmSegmentDetail& w) { w.txtsSegmentLabel->clear(); },
         {},
         false,
         QStringLiteral("The following fields are required:\r\n\r\nSegment Label\r\n"),
         1,
         nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.clear();
        frmSegmentDetail& w = open(1);
        if (c.failingTrigger)
            db().Execute(QStringLiteral("CREATE TEMP TRIGGER refuse ") + QLatin1String(c.failingTrigger));
        const QString before = dump();
        c.edit(w);
        for (int a : c.answers)
            boxes.answer(a);
        EXPECT_EQ(w.close(), c.closes);
        ASSERT_EQ(boxes.count(), c.boxCount);
        if (!c.firstBox.isNull())
            EXPECT_EQ(boxes.shown().first().text, c.firstBox);
        else
            EXPECT_NE(boxes.shown().first().text, SaveQuestion);  // the error, not the question
        if (QString(c.name) == "Yes, saved")
            EXPECT_EQ(scalar("SELECT mNotes FROM tblSegment WHERE lSegmentID = 1").asText(), "rough");
        else
            EXPECT_EQ(dump(), before);
        if (c.failingTrigger)
            db().Execute(QStringLiteral("DROP TRIGGER refuse"));
    }
}

TEST_F(DetailFixture, RefreshRefillsAListAndKeepsItsChoice)
{
    frmSegmentDetail& w = open(1);
    clsFormRefresher* refresher = app->FormRefresher_po();
    const int categories = w.cbolCategoryID->ListCount();
    db().Execute(QStringLiteral("INSERT INTO tblCategory (lCategoryID, sCategory) VALUES (5, 'Masters')"));
    for (int ignored : {4, 5})
        refresher->SendRefreshRequest_p(ignored);
    EXPECT_EQ(w.cbolCategoryID->ListCount(), categories);
    refresher->SendRefreshRequest_p(clsFormRefresher::rtCategory);
    EXPECT_EQ(w.cbolCategoryID->ListCount(), categories + 1);
    EXPECT_EQ(w.cbolCategoryID->ItemData(w.cbolCategoryID->ListIndex()), 3);

    refresher->SendRefreshRequest_p(clsFormRefresher::rtSegmentType);
    EXPECT_EQ(w.cbolSegmentTypeID->ItemData(w.cbolSegmentTypeID->ListIndex()), 2);
    // An event picked here and deleted elsewhere leaves nothing picked.
    w.cbolEventId->ListIndex(w.cbolEventId->findText("Cup"));
    db().Execute(QStringLiteral("DELETE FROM tblEvent WHERE lEventID = 3"));
    refresher->SendRefreshRequest_p(clsFormRefresher::rtEvent);
    EXPECT_EQ(w.cbolEventId->ListIndex(), -1);
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(DetailFixture, DeleteKeyStartsRowDeletionOnlyWithRowsSelected)
{
    frmSegmentDetail& w = open(1);
    w.cmdDeleteRow->setEnabled(true);
    QSignalSpy clicked(w.cmdDeleteRow, &QPushButton::clicked);
    QTest::keyClick(w.dbgMain, Qt::Key_Delete);
    EXPECT_EQ(clicked.count(), 0);
    w.dbgMain->SelBookmarks().Add(Value(rows().bookmarkAt(1)));
    QTest::keyClick(w.txtsSegmentLabel, Qt::Key_Delete);
    EXPECT_EQ(clicked.count(), 0);  // not from the header boxes
    QTest::keyClick(w.dbgMain, Qt::Key_Delete);
    EXPECT_EQ(clicked.count(), 1);
}

// A segment that cannot be opened in full is said once, in words, and leaves
// no window that could save over the stored one.
TEST_F(DetailFixture, ASegmentThatFailsToOpenIsSaidOnceAndNothingCanBeSaved)
{
    const QString stored = dump();
    const struct {
        const char* name;
        const char* says;
    } cases[] = {{"locked", "the database is in use by another program. Nothing was changed"},
                 {"damaged", "the database file is damaged. Nothing was changed"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.clear();
        Connection other;
        if (QString(c.name) == "locked") {
            other.Open(folder.databasePath(), QString::fromLatin1(TempProgramFolder::DefaultPassword));
            other.Execute(QStringLiteral("BEGIN EXCLUSIVE"));
        } else {
            // Four bytes of the rate units' first page, read only once the rows are worked out.
            running.reset();
            other.Open(folder.databasePath(), QString::fromLatin1(TempProgramFolder::DefaultPassword));
            const qint64 page =
                other.ExecuteScalar(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = 'tblRateType'"), {})
                    .toLong();
            other.Close();
            QFile file(folder.databasePath());
            ASSERT_TRUE(file.open(QIODevice::ReadWrite));
            ASSERT_TRUE(file.seek((page - 1) * 1024 + 512));
            QByteArray bytes = file.read(4);
            for (char& b : bytes)
                b = char(b ^ 0x5a);
            ASSERT_TRUE(file.seek((page - 1) * 1024 + 512));
            file.write(bytes);
            file.close();
            running = std::make_unique<RunningApp>();
            app = running->get();
        }
        window = std::make_unique<frmSegmentDetail>();
        window->FormRefresher_po(app->FormRefresher_po());
        EXPECT_FALSE(window->Retrieve_pf(1));
        if (other.IsOpen())
            other.Execute(QStringLiteral("ROLLBACK"));
        ASSERT_EQ(boxes.count(), 1);
        EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("The segment could not be opened: ") + c.says))
            << boxes.last().text.toStdString();
        EXPECT_FALSE(window->cmdSave->isEnabled());
        window->txtsSegmentLabel->setText("77");
        QMetaObject::invokeMethod(window.get(), "cmdSave_Click");
        EXPECT_TRUE(window->close());
        EXPECT_EQ(boxes.count(), 1);
        EXPECT_EQ(dump(), stored);
    }
}

// Right after Add Time or Add Rate the new row's first cell to fill has the
// focus: the digits typed next land in it.
TEST_F(DetailFixture, TypingRightAfterAddingARowFillsTheNewRow)
{
    const PinnedLocale c;  // types C's "12345.6"
    frmSegmentDetail& w = open(1);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    const struct {
        QPushButton* button;
        const char* label;
        const char* typed;
        const char* seconds;
    } cases[] = {{w.cmdAddTime, "T003", "130", "90"}, {w.cmdAddRate, "R003", "12345.6", "5025.6"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        c.button->setFocus();
        QTest::mouseClick(c.button, Qt::LeftButton);
        // Each key goes where the focus is, as a keyboard's would.
        for (const char* k = c.typed; *k; ++k)
            QTest::keyClick(QApplication::focusWidget(), *k);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCoreApplication::processEvents();  // Enter stores once the editor had the key
        EXPECT_EQ(rows().Fields(Col::colLabel).Value().asText(), c.label);
        EXPECT_EQ(text(c.label, Col::colCumTime), QString(c.seconds));
    }
    EXPECT_EQ(boxes.count(), 0);
}
