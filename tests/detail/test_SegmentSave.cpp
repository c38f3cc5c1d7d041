#include "DetailFixture.h"

#include "platform/ComboBox.h"
#include "platform/DatePicker.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QPushButton>

#include <functional>

using Col = clsSegmentRows::Column;

namespace {
constexpr int Yes = 6, No = 7;

// The stored columns of every row, in one order whatever the view's.
QStringList stored(const Recordset& rs)
{
    QStringList out;
    for (int r = 0; r < rs.RecordCount(); ++r) {
        QStringList row;
        for (int c : {Col::colSegmentDetailID, Col::colSegmentID, Col::colOrdinalPosition, Col::colLabel,
                      Col::colCumTime, Col::colRate, Col::colDistance, Col::colRosterId, Col::colComments})
            row << rs.valueAt(r, c).asText();
        out << row.join('|');
    }
    out.sort();
    return out;
}

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
}  // namespace

TEST_F(DetailFixture, HeaderChecksAndClearedBoxes)
{
    frmSegmentDetail& w = open(1);
    const QString before = dump();
    w.txtsSegmentLabel->clear();
    w.dtpdtSegmentDate->Value(Value::null());
    w.cmdSave->click();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, "The following fields are required:\r\n\r\nSegment Label\r\nSegment Date\r\n");
    EXPECT_EQ(boxes.last().style, 48);
    // Blanks alone are no label either.
    w.txtsSegmentLabel->setText("   ");
    w.dtpdtSegmentDate->Value(Value(QDate(2024, 2, 11)));
    w.cmdSave->click();
    EXPECT_EQ(boxes.last().text, "The following fields are required:\r\n\r\nSegment Label\r\n");
    EXPECT_EQ(dump(), before);

    // An empty list takes its first entry; cleared boxes save empty.
    boxes.clear();
    w.cbolEventId->ListIndex(-1);
    w.txtmNotes->clear();
    w.txtdtSegmentTime->clear();
    w.txtsSegmentLabel->setText("7a|'b");
    w.cmdSave->click();
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_EQ(scalar("SELECT lEventID FROM tblSegment WHERE lSegmentID = 1").toLong(), 1);
    EXPECT_EQ(w.cbolEventId->ItemData(w.cbolEventId->ListIndex()), 1);
    EXPECT_TRUE(scalar("SELECT mNotes FROM tblSegment WHERE lSegmentID = 1").isNull());
    EXPECT_TRUE(scalar("SELECT dtSegmentTime FROM tblSegment WHERE lSegmentID = 1").isNull());
    EXPECT_EQ(scalar("SELECT sSegmentLabel FROM tblSegment WHERE lSegmentID = 1").asText(), "7a|'b");
    // A change of letter case is a change.
    w.txtsSegmentLabel->setText("7A|'B");
    boxes.answer(No);
    EXPECT_TRUE(w.close());
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, "Save Modified Record?");
}

// A NUL pasted or set into the label or the notes never gets in: the save
// goes through and stores the rest, quotes and bars as typed.
TEST_F(DetailFixture, ANulInTheHeaderNeverStopsTheSave)
{
    const QChar nul(0);
    const struct {
        const char* column;
        bool paste;
        QString typed;
    } cases[] = {
        {"sSegmentLabel", true, QStringLiteral("7'a") + nul + QStringLiteral("|b")},
        {"sSegmentLabel", false, QStringLiteral("8'a|") + nul + QStringLiteral("b") + nul},
        {"mNotes", true, nul + QStringLiteral("it's|calm")},
        {"mNotes", false, QStringLiteral("very") + nul + nul + QStringLiteral(" calm")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.column) + (c.paste ? " pasted" : " set"));
        boxes.clear();
        frmSegmentDetail& w = open(1);
        const bool label = QLatin1String(c.column) == QLatin1String("sSegmentLabel");
        QGuiApplication::clipboard()->setText(c.typed);
        if (label && c.paste) {
            w.txtsSegmentLabel->selectAll();
            w.txtsSegmentLabel->paste();
        } else if (label) {
            w.txtsSegmentLabel->setText(c.typed);
        } else if (c.paste) {
            w.txtmNotes->selectAll();
            w.txtmNotes->paste();
        } else {
            w.txtmNotes->setPlainText(c.typed);
        }
        w.cmdSave->click();
        EXPECT_EQ(boxes.count(), 0) << (boxes.count() ? boxes.last().text.toStdString() : std::string());
        EXPECT_EQ(scalar(QStringLiteral("SELECT %1 FROM tblSegment WHERE lSegmentID = 1").arg(c.column)).asText(),
                  QString(c.typed).remove(nul));
        EXPECT_FALSE(w.Dirty_pf());
    }
}

TEST_F(DetailFixture, EveryRowIsWrittenWhateverTheFilterAndCurrentRow)
{
    frmSegmentDetail& w = open(1);
    // Unchanged, Save writes and says nothing.
    const QString before = dump();
    statusSeen.clear();
    w.cmdSave->click();
    EXPECT_EQ(dump(), before);
    EXPECT_FALSE(statusSeen.contains("Saving .."));

    rows().Filter(QStringLiteral("lRosterId = 2"));
    rows().MoveLast();
    rows().setValueAt(0, Col::colComments, Value("a|b 'c'"));
    w.Dirty_pf(true);
    w.cmdSave->click();
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_EQ(scalar("SELECT group_concat(sSegmentDetailLabel) FROM (SELECT sSegmentDetailLabel FROM "
                     "tblSegmentDetail WHERE lSegmentID = 1 ORDER BY dCumTime)")
                  .asText(),
              "T000,R001,T001,R002,T002");
    EXPECT_EQ(scalar("SELECT sComments FROM tblSegmentDetail WHERE sSegmentDetailLabel = 'R002'").asText(), "a|b 'c'");
    EXPECT_FALSE(w.Dirty_pf());
    EXPECT_TRUE(w.close());
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(DetailFixture, FailedSaveLeavesTheDatabaseAsItWasAndTheNextSaveSucceeds)
{
    const struct {
        const char* name;
        bool newSegment;
        const char* trigger;
        const char* error;
    } cases[] = {
        {"third row refused", false,
         "BEFORE UPDATE ON tblSegmentDetail WHEN NEW.sSegmentDetailLabel = 'T001' BEGIN SELECT RAISE(ABORT, 'x'); END",
         "System Error 16389 encountered in frmSegmentDetail.Save_mf.\r\n\r\n@x\r\n"},
        {"new segment, row ignored", true, "BEFORE INSERT ON tblSegmentDetail BEGIN SELECT RAISE(IGNORE); END",
         "Error 4100 encountered in frmSegmentDetail.Save_mf.\r\n\r\n@Error saving, aborting save.\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.clear();
        if (c.newSegment) {
            window = std::make_unique<frmSegmentDetail>();
            ASSERT_TRUE(window->NewRecord_Pf());
        } else {
            open(1);
            window->txtmNotes->setPlainText("changed");
            for (int r = 0; r < rows().RecordCount(); ++r)
                rows().setValueAt(r, Col::colComments, Value("changed"));
            rows().Update();
        }
        db().Execute(QStringLiteral("CREATE TEMP TRIGGER refuse ") + QLatin1String(c.trigger));
        const QString before = dump();
        const QByteArray file = bytesOf(folder.databasePath());
        const Value idBefore = window->segment().lSegmentID();
        window->cmdSave->click();
        ASSERT_EQ(boxes.count(), 1);
        EXPECT_TRUE(boxes.last().text.startsWith(c.error)) << boxes.last().text.toStdString();
        EXPECT_EQ(dump(), before);
        EXPECT_EQ(bytesOf(folder.databasePath()), file);
        EXPECT_EQ(window->segment().lSegmentID(), idBefore);
        for (int r = 0; r < rows().RecordCount(); ++r)
            EXPECT_EQ(rows().valueAt(r, Col::colSegmentID), idBefore);
        db().Execute(QStringLiteral("DROP TRIGGER refuse"));

        window->cmdSave->click();  // still changed: saved now
        EXPECT_EQ(boxes.count(), 1);
        const Value id = window->segment().lSegmentID();
        const QString rowsOfIt =
            QStringLiteral("SELECT COUNT(*) FROM tblSegmentDetail WHERE lSegmentID = %1").arg(id.toLong());
        EXPECT_EQ(scalar(rowsOfIt).toLong(), rows().RecordCount());
        EXPECT_EQ(cell(rows().valueAt(0, Col::colLabel).asText(), Col::colSegmentID), id);
        // Saved again: the same segment, its rows replaced, not added.
        window->txtmNotes->setPlainText("second");
        window->cmdSave->click();
        EXPECT_EQ(window->segment().lSegmentID(), id);
        EXPECT_EQ(scalar(rowsOfIt).toLong(), rows().RecordCount());
    }
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM tblSegment").toLong(), 3);
    EXPECT_EQ(boxes.count(), 1);
}

// Only the rows changed since the rows were read or last saved are written,
// all in one transaction: a save that fails on its last write leaves the
// database as it was and every change still pending, and the segment read
// again is the one the window shows, keys included.
TEST_F(DetailFixture, ASaveWritesTheChangedRowsAloneAndStoresWhatIsShown)
{
    // As an import stores them: time rows rate 0, so opening changes nothing.
    db().Execute(QStringLiteral("UPDATE tblSegmentDetail SET dRate = 0 WHERE dRate IS NULL;"
                                "CREATE TEMP TABLE written (what TEXT);"));
    const QStringList events{"INSERT", "UPDATE", "DELETE"};
    for (const QString& e : events)
        db().Execute(QStringLiteral("CREATE TEMP TRIGGER log%1 AFTER %1 ON tblSegmentDetail BEGIN INSERT INTO written "
                                    "VALUES ('%1 ' || %2.sSegmentDetailLabel); END")
                         .arg(e, e == "DELETE" ? "OLD" : "NEW"));
    const auto rowOf = [&](const char* label) {
        for (int r = 0; r < rows().RecordCount(); ++r)
            if (rows().valueAt(r, Col::colLabel).asText() == QLatin1String(label))
                return r;
        return -1;
    };
    const struct {
        const char* name;
        std::function<void(frmSegmentDetail&)> change;
        QStringList written;  // the last one refused the first time
    } cases[] = {
        {"sorted by entry, the first shown renumbered",
         [&](frmSegmentDetail& w) {
             emit w.dbgMain->HeadClick(Col::colLabel);
             w.SetOrder_P("DESC");
             rows().setValueAt(0, Col::colOrdinalPosition, Value(9));
         },
         {"UPDATE T002"}},
        {"a cell edited",
         [&](frmSegmentDetail&) { rows().setValueAt(rowOf("R001"), Col::colComments, Value("x")); },
         {"UPDATE R001"}},
        {"a cell edited, a row added",
         [&](frmSegmentDetail& w) {
             rows().setValueAt(rowOf("T000"), Col::colDistance, Value(5.0));
             w.cmdAddTime->click();
         },
         {"UPDATE T000", "INSERT T003"}},
        // Deleting works the rows out again: the row added before gets its time row's rate 0.
        {"a row deleted",
         [&](frmSegmentDetail& w) {
             rows().setCurrentViewRow(rowOf("R002"));
             boxes.answer(Yes);
             w.deleteRows_p();
         },
         {"DELETE R002", "UPDATE T003"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.clear();
        frmSegmentDetail& w = open(1);
        c.change(w);
        rows().Update();
        w.Dirty_pf(true);
        boxes.clear();
        const QString before = dump();
        const QString refused = c.written.last().section(' ', 1);
        for (const QString& e : events)
            db().Execute(QStringLiteral("CREATE TEMP TRIGGER refuse%1 BEFORE %1 ON tblSegmentDetail WHEN %2 = '%3' "
                                        "BEGIN SELECT RAISE(ABORT, 'x'); END")
                             .arg(e, e == "DELETE" ? "OLD.sSegmentDetailLabel" : "NEW.sSegmentDetailLabel", refused));
        w.cmdSave->click();
        EXPECT_EQ(boxes.count(), 1);
        EXPECT_EQ(dump(), before);
        EXPECT_EQ(scalar("SELECT count(*) FROM written").toLong(), 0);
        for (const QString& e : events)
            db().Execute(QStringLiteral("DROP TRIGGER refuse") + e);

        w.cmdSave->click();
        EXPECT_EQ(boxes.count(), 1);
        EXPECT_FALSE(w.Dirty_pf());
        QStringList written = c.written;
        written.sort();
        EXPECT_EQ(scalar("SELECT group_concat(what, ',') FROM (SELECT what FROM written ORDER BY what)").asText(),
                  written.join(','));
        EXPECT_EQ(stored(*clsSegmentRows::Retrieve_prs(*app->DatabaseAdo_Po(), Value(1))), stored(rows()));
        db().Execute(QStringLiteral("DELETE FROM written"));
    }
}

// Another program changes the open segment's rows: the next save finds it in
// its transaction, says so once, and stores exactly the rows the window
// shows. A write elsewhere that leaves this segment's rows alone changes
// nothing: the save writes what the window changed and says nothing.
TEST_F(DetailFixture, RowsChangedByAnotherProgramAreStoredAsTheWindowShowsThem)
{
    const struct {
        const char* name;
        const char* elsewhere;
        bool said;
    } cases[] = {
        {"a row deleted", "DELETE FROM tblSegmentDetail WHERE sSegmentDetailLabel = 'R001'", true},
        {"a row changed", "UPDATE tblSegmentDetail SET sComments = 'theirs' WHERE sSegmentDetailLabel = 'T002'", true},
        {"a row added",
         "INSERT INTO tblSegmentDetail (lSegmentID, lOrdinalPosition, sSegmentDetailLabel, dCumTime, lRosterId) "
         "VALUES (1, 9, 'T009', 400, 1)",
         true},
        {"a row moved in", "UPDATE tblSegmentDetail SET lSegmentID = 1 WHERE lSegmentDetailID = 99", true},
        {"another segment changed", "UPDATE tblSegment SET mNotes = 'theirs' WHERE lSegmentID = 2", false},
        {"nothing", "", false},
    };
    db().Execute(QStringLiteral("INSERT INTO tblSegmentDetail (lSegmentDetailID, lSegmentID, lOrdinalPosition, "
                                "sSegmentDetailLabel, dCumTime, lRosterId) VALUES (99, 2, 0, 'T000', 0, 1)"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.clear();
        frmSegmentDetail& w = open(1);
        const int shown = rows().RecordCount();
        {
            Connection other;
            other.Open(folder.databasePath(), QString::fromLatin1(TempProgramFolder::DefaultPassword));
            if (*c.elsewhere)
                other.Execute(QString::fromLatin1(c.elsewhere));
        }
        // The user edits two cells and saves.
        rows().setValueAt(0, Col::colComments, Value("mine"));
        rows().setValueAt(1, Col::colDistance, Value(25.0));
        rows().Update();
        w.Dirty_pf(true);
        w.cmdSave->click();
        ASSERT_EQ(boxes.count(), c.said ? 1 : 0) << (boxes.count() ? boxes.last().text.toStdString() : std::string());
        if (c.said) {
            EXPECT_EQ(boxes.last().text,
                      "This segment had been changed elsewhere since it was opened. Its rows are "
                      "now stored as this window shows them.");
            EXPECT_EQ(boxes.last().style, 48);
        }
        EXPECT_EQ(rows().RecordCount(), shown);
        EXPECT_EQ(stored(*clsSegmentRows::Retrieve_prs(*app->DatabaseAdo_Po(), Value(1))), stored(rows()));
        EXPECT_FALSE(w.Dirty_pf());
        // The next save starts from what this one stored, even once another
        // program has written elsewhere and the rows are read to compare.
        {
            Connection other;
            other.Open(folder.databasePath(), QString::fromLatin1(TempProgramFolder::DefaultPassword));
            other.Execute(QStringLiteral("UPDATE tblSegment SET mNotes = 'later' WHERE lSegmentID = 2"));
        }
        boxes.clear();
        rows().setValueAt(0, Col::colComments, Value("again"));
        rows().Update();
        w.Dirty_pf(true);
        w.cmdSave->click();
        EXPECT_EQ(boxes.count(), 0);
        EXPECT_EQ(stored(*clsSegmentRows::Retrieve_prs(*app->DatabaseAdo_Po(), Value(1))), stored(rows()));
        // Put segment 1 back as the fixture made it, through the program's own connection.
        w.Dirty_pf(false);
        window.reset();
        db().Execute(QStringLiteral("UPDATE tblSegmentDetail SET lSegmentID = 2 WHERE lSegmentDetailID = 99"));
    }
}

// Another window deleted the segment: one message in words, nothing brought
// back, and the window keeps its edits until the user lets them go.
TEST_F(DetailFixture, ASaveAfterTheSegmentWasDeletedElsewhereSaysSoOnce)
{
    open(1);
    window->txtmNotes->setPlainText("changed");
    db().Execute(QStringLiteral("DELETE FROM tblSegmentDetail WHERE lSegmentID = 1; DELETE FROM tblSegment WHERE "
                                "lSegmentID = 1"));
    const QString before = dump();
    window->cmdSave->click();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text,
              "This segment was deleted in another window, so nothing was saved. Its rows are "
              "still here: copy what you need before you close the window.");
    EXPECT_EQ(boxes.last().style, 48);
    EXPECT_EQ(dump(), before);
    EXPECT_EQ(window->txtmNotes->toPlainText(), "changed");
    EXPECT_EQ(rows().RecordCount(), 5);

    boxes.answer(No);  // "Save Modified Record?"
    EXPECT_TRUE(window->close());
    EXPECT_EQ(boxes.count(), 2);
    EXPECT_EQ(dump(), before);
}

TEST_F(DetailFixture, ALockedDatabaseIsSaidInWordsAndTheSegmentStaysChanged)
{
    open(1);
    window->txtmNotes->setPlainText("changed");
    const QString before = dump();
    Connection other;
    other.Open(folder.databasePath(), QString::fromLatin1(TempProgramFolder::DefaultPassword));
    other.Execute(QStringLiteral("BEGIN EXCLUSIVE"));
    window->cmdSave->click();
    other.Execute(QStringLiteral("ROLLBACK"));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith("The segment could not be saved: the database is in use by another "
                                             "program. Nothing was changed"))
        << boxes.last().text.toStdString();
    EXPECT_TRUE(boxes.last().text.endsWith("Error 3218: database is locked"));
    EXPECT_EQ(dump(), before);
    boxes.answer(No);  // the change is still there to lose
    EXPECT_TRUE(window->close());
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_EQ(boxes.last().text, "Save Modified Record?");
}
