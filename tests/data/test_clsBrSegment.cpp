#include "data/clsBrSegment.h"
#include "support/RaisedBy.h"

#include "data/clsAdoConnectJet.h"
#include "platform/AppError.h"
#include "platform/Connection.h"
#include "support/ScriptedMessages.h"
#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>

namespace {

const QString NoRecords = QStringLiteral("No records could be found matching the given criteria.");
const QString RetrieveNew = QStringLiteral("Unable to retrieve new record for update.");

class SegmentRecordTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.makeProgramFiles());
        conn.UDL(folder.udlPath());
        ASSERT_TRUE(conn.OpenConnection_pf());
        seg.DatabaseConnection = &conn;
    }
    Value scalar(const QString& sql, const QList<Value>& p = {}) { return conn.Connection()->ExecuteScalar(sql, p); }

    void fillAll(clsBrSegment& s)
    {
        s.lSegmentTypeID(1);
        s.lEventID(Value("1"));
        s.lCategoryID(2.0);
        s.lRateTypeID(2);
        s.lSpeedTypeID(3);
        s.lDistanceTypeID(4);
        s.sSegmentLabel("  Heat 2  ");
        s.dtImportDate(QDate(2001, 3, 2));
        s.dtSegmentDate(QDateTime(QDate(2001, 3, 1), QTime(14, 5, 30)));
        s.dtSegmentTime(QTime(14, 5, 30));
        s.fReviewed(true);
        s.mNotes("O'Brien | x");
    }

    TempProgramFolder folder;
    clsAdoConnectJet conn;
    clsBrSegment seg;
};

TEST_F(SegmentRecordTest, NewRecordOfNullsSavesAndTakesItsKey)
{
    ASSERT_TRUE(seg.Save_pf());
    ASSERT_FALSE(seg.lSegmentID().isNull());
    EXPECT_EQ(seg.lSegmentID().toLong(), scalar("SELECT MAX(lSegmentID) FROM tblSegment").toLong());
    EXPECT_TRUE(seg.LastSaveInserted_pf());
    EXPECT_EQ(scalar("SELECT count(*) FROM tblSegment WHERE lSegmentID = ? AND fReviewed = 0 AND "
                     "COALESCE(lEventID, sSegmentLabel, dtSegmentDate, dtSegmentTime, mNotes) IS NULL",
                     {seg.lSegmentID()})
                  .toLong(),
              1);
    EXPECT_TRUE(seg.sSegmentLabel().isNull());
}

// Every value is bound, never quoted into the statement: a quote, a bar or a
// NUL in a text is stored as it is, on insert and on update.
TEST_F(SegmentRecordTest, EveryColumnRoundTripsInTheFileFormats)
{
    fillAll(seg);
    const QString notes = QStringLiteral("O'Brien | x") + QChar(0) + QStringLiteral("y");
    seg.mNotes(notes);
    ASSERT_TRUE(seg.Save_pf());
    const Value id = seg.lSegmentID();
    EXPECT_EQ(scalar("SELECT dtImportDate || '/' || dtSegmentDate || '/' || dtSegmentTime || '/' || fReviewed "
                     "|| '/' || sSegmentLabel || '/' || hex(mNotes) FROM tblSegment WHERE lSegmentID = ?",
                     {id})
                  .asText(),
              "2001-03-02/2001-03-01/14:05:30/-1/Heat 2/" + QString::fromLatin1(notes.toUtf8().toHex().toUpper()));
    seg.sSegmentLabel(QStringLiteral("a'") + QChar(0) + QStringLiteral("b"));
    ASSERT_TRUE(seg.Update_pf());
    EXPECT_EQ(scalar("SELECT hex(sSegmentLabel) FROM tblSegment WHERE lSegmentID = ?", {id}).asText(), "61270062");

    clsBrSegment back;
    back.DatabaseConnection = &conn;
    ASSERT_TRUE(back.Retrieve_pf(id));
    for (const QString& name : clsBrSegment::FieldNames())
        EXPECT_EQ(back.Fields(name), seg.Fields(name)) << qPrintable(name);
    EXPECT_EQ(back.lCategoryID(), Value(2));
    EXPECT_EQ(back.dtSegmentDate().toDate(), QDate(2001, 3, 1));
    EXPECT_EQ(back.dtSegmentTime().toTime(), QTime(14, 5, 30));
    EXPECT_EQ(back.fReviewed(), Value(true));
}

TEST_F(SegmentRecordTest, UpdateWritesAllTwelveColumns)
{
    ASSERT_TRUE(seg.Save_pf());
    fillAll(seg);
    ASSERT_TRUE(seg.Save_pf());
    EXPECT_FALSE(seg.LastSaveInserted_pf());
    EXPECT_EQ(scalar("SELECT count(*) FROM tblSegment").toLong(), 1);
    EXPECT_EQ(scalar("SELECT lSegmentTypeID + lEventID + lCategoryID + lRateTypeID + lSpeedTypeID + "
                     "lDistanceTypeID FROM tblSegment")
                  .toLong(),
              13);
    EXPECT_EQ(scalar("SELECT count(*) FROM tblSegment WHERE sSegmentLabel = 'Heat 2' AND fReviewed = -1 AND "
                     "dtImportDate = '2001-03-02' AND dtSegmentDate = '2001-03-01' AND dtSegmentTime = '14:05:30' "
                     "AND mNotes = 'O''Brien | x'")
                  .toLong(),
              1);
}

TEST_F(SegmentRecordTest, SettersConvertAndRefuseWhatCannotBe)
{
    seg.sSegmentLabel(QString(60, 'L'));
    EXPECT_EQ(seg.sSegmentLabel().asText(), QString(50, 'L'));
    seg.sSegmentLabel(QString(49, 'L') + "  Z");  // cut first, then trimmed
    EXPECT_EQ(seg.sSegmentLabel().asText(), QString(49, 'L'));
    seg.sSegmentLabel("     ");
    EXPECT_EQ(seg.sSegmentLabel(), Value(""));
    seg.sSegmentLabel(Value::null());
    EXPECT_TRUE(seg.sSegmentLabel().isNull());

    seg.Fields("LSEGMENTID", "7");
    EXPECT_EQ(seg.lSegmentID(), Value(7));
    seg.lEventID(2.5);  // rounds half to even
    EXPECT_EQ(seg.Fields("leventid"), Value(2));
    EXPECT_EQ(errorOf([&] { seg.Fields("lRosterID"); }), ErrNo::PropertyNotFound);
    EXPECT_EQ(errorOf([&] { seg.Fields("lRosterID", 1); }), ErrNo::PropertyNotFound);
    EXPECT_EQ(errorOf([&] { seg.lEventID("abc"); }), ErrNo::InvalidPropertyValue);
    EXPECT_EQ(errorOf([&] { seg.dtSegmentDate("not a date"); }), ErrNo::InvalidPropertyValue);
    EXPECT_EQ(seg.lEventID(), Value(2));  // a refused value changes nothing
    seg.dtSegmentTime("14:05:30");
    EXPECT_EQ(seg.dtSegmentTime().toTime(), QTime(14, 5, 30));

    ASSERT_TRUE(seg.Clear_pf());
    for (const QString& name : clsBrSegment::FieldNames())
        EXPECT_TRUE(seg.Fields(name).isNull()) << qPrintable(name);
    EXPECT_EQ(seg.DatabaseConnection, &conn);
}

TEST_F(SegmentRecordTest, StoredLabelIsCutOnLoad)
{
    ASSERT_TRUE(seg.Save_pf());
    conn.SQLExecute_pl("UPDATE tblSegment SET sSegmentLabel = ?", {Value(QString(55, 'x'))});
    ASSERT_TRUE(seg.Retrieve_pf(seg.lSegmentID()));
    EXPECT_EQ(seg.sSegmentLabel().asText().size(), 50);
}

TEST_F(SegmentRecordTest, UpdatingARowDeletedMeanwhileShowsThreeMessages)
{
    ASSERT_TRUE(seg.Save_pf());
    conn.SQLExecute_pl("DELETE FROM tblSegment");
    ScriptedMessages boxes;
    EXPECT_FALSE(seg.Save_pf());
    ASSERT_EQ(boxes.count(), 3);
    EXPECT_TRUE(boxes.shown()[0].text.startsWith("Unable to save changes.  Your changes have not been applied"));
    EXPECT_EQ(boxes.shown()[1].text, NoRecords);
    EXPECT_EQ(boxes.shown()[2].text, RetrieveNew);
    for (const auto& b : boxes.shown())
        EXPECT_EQ(b.style & 0x70, 48);
}

TEST_F(SegmentRecordTest, RetrievingAMissingIdLeavesTheValues)
{
    seg.sSegmentLabel("keep");
    ScriptedMessages boxes;
    EXPECT_FALSE(seg.Retrieve_pf(4242));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, NoRecords);
    EXPECT_EQ(seg.sSegmentLabel(), Value("keep"));
    // An id that is no number never reaches the statement.
    EXPECT_EQ(errorOf([&] { seg.Retrieve_pf("1 OR 1=1"); }), ErrNo::TypeMismatch);
}

TEST_F(SegmentRecordTest, RolledBackInsertCanBeSavedAgain)
{
    seg.sSegmentLabel("first");
    conn.BeginTrans_pf();
    ASSERT_TRUE(seg.Save_pf());
    conn.Rollback_pf();
    EXPECT_EQ(scalar("SELECT count(*) FROM tblSegment").toLong(), 0);
    ASSERT_TRUE(seg.LastSaveInserted_pf());
    seg.ForgetKey_p();
    EXPECT_TRUE(seg.lSegmentID().isNull());
    EXPECT_EQ(seg.sSegmentLabel(), Value("first"));
    ASSERT_TRUE(seg.Save_pf());
    EXPECT_EQ(scalar("SELECT sSegmentLabel FROM tblSegment WHERE lSegmentID = ?", {seg.lSegmentID()}).asText(),
              "first");
}

TEST_F(SegmentRecordTest, DeleteRemovesTheRowAndClears)
{
    ASSERT_TRUE(seg.Save_pf());
    ASSERT_TRUE(seg.Delete_Pf());
    EXPECT_TRUE(seg.lSegmentID().isNull());
    EXPECT_EQ(scalar("SELECT count(*) FROM tblSegment").toLong(), 0);
    ScriptedMessages boxes;
    EXPECT_FALSE(seg.Delete_Pf());
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, "Unable to delete record.");
}

TEST_F(SegmentRecordTest, RefusedInsertReachesTheCallerWithTheBase)
{
    seg.lCategoryID(999);  // no such category
    EXPECT_EQ(errorOf([&] { seg.Save_pf(); }), qint32(0x80044005));
    EXPECT_TRUE(seg.lSegmentID().isNull());
}

}  // namespace
