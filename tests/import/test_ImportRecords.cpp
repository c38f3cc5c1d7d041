#include "import/clsImportSegment.h"
#include "import/clsImportSegmentDetail.h"

#include "ImportTestDb.h"
#include "platform/AppError.h"

namespace {

class ImportRecordsTest : public ImportTestDb {
protected:
    bool saveHeader(clsImportSegment& s, const QString& label)
    {
        s.DatabaseConnection = &ado;
        s.SegmentLabel(label);
        s.SegmentDate(QDate(2021, 6, 5));
        s.SegmentTime(QTime(7, 45, 30));
        s.ImportDate(QDate(2021, 6, 6));
        s.RateTypeID(2);
        s.SpeedTypeID(3);
        s.DistanceTypeID(4);
        return s.Save_pf();
    }
    bool saveRow(clsImportSegment& s, const QString& label, int ordinal, double cum, double rate = 0)
    {
        clsImportSegmentDetail d;
        d.CumTime(cum);
        d.Rate(rate);
        d.SegmentDetailLabel(label);
        d.OrdinalPosition(ordinal);
        d.Distance(42.5f);
        d.Segment(&s);
        return d.Save_pf();
    }
};

TEST_F(ImportRecordsTest, HeaderStoresDefaultsTrimmedLabelAndIsoDates)
{
    clsImportSegment s;
    s.CategoryID(5);
    s.SegmentTypeID(7);
    ASSERT_TRUE(saveHeader(s, QStringLiteral("  3  ")));
    EXPECT_EQ(s.SegmentLabel(), QStringLiteral("3"));
    EXPECT_EQ(s.CategoryID(), 5);

    const QString sql = QStringLiteral("SELECT %1 FROM tblImportSegment WHERE lSegmentID = ?");
    const QList<Value> id{Value(int(s.SegmentID()))};
    EXPECT_EQ(scalar(sql.arg("lCategoryID"), id).toLong(), 1);
    EXPECT_EQ(scalar(sql.arg("lSegmentTypeID"), id).toLong(), 1);
    EXPECT_EQ(scalar(sql.arg("sSegmentLabel"), id).asText(), QStringLiteral("3"));
    EXPECT_EQ(scalar(sql.arg("dtSegmentDate"), id).asText(), QStringLiteral("2021-06-05"));
    EXPECT_EQ(scalar(sql.arg("dtSegmentTime"), id).asText(), QStringLiteral("07:45:30"));
    EXPECT_EQ(scalar(sql.arg("dtImportDate"), id).asText(), QStringLiteral("2021-06-06"));
    EXPECT_EQ(scalar(sql.arg("lRateTypeID || lSpeedTypeID || lDistanceTypeID"), id).asText(), QStringLiteral("234"));
    EXPECT_EQ(scalar(sql.arg("fSave"), id).toLong(), 0);
}

TEST_F(ImportRecordsTest, SegmentIdIsTheNewestAndRaisesOnAnEmptyTable)
{
    clsImportSegment a, b;
    a.DatabaseConnection = &ado;
    try {
        (void)a.SegmentID();
        FAIL() << "no error on an empty table";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), 94);
    }
    ASSERT_TRUE(saveHeader(a, "1"));
    ASSERT_TRUE(saveHeader(b, "2"));
    const qint32 maxId = scalar("SELECT MAX(lSegmentID) FROM tblImportSegment").toLong();
    EXPECT_EQ(a.SegmentID(), maxId);  // not cached: both see the newest
    EXPECT_EQ(b.SegmentID(), maxId);
}

TEST_F(ImportRecordsTest, RowsUpsertOnTheNewestHeader)
{
    clsImportSegment first, second;
    ASSERT_TRUE(saveHeader(first, "1"));
    const qint32 firstId = first.SegmentID();
    ASSERT_TRUE(saveHeader(second, "2"));
    const qint32 secondId = second.SegmentID();

    ASSERT_TRUE(saveRow(second, " T001 ", 1, 30.5, 0.25));
    const QString rowSql =
        QStringLiteral("SELECT %1 FROM tblImportSegmentDetail WHERE lSegmentID = ? AND sSegmentDetailLabel = 'T001'");
    const QList<Value> sid{Value(int(secondId))};
    EXPECT_DOUBLE_EQ(scalar(rowSql.arg("dCumTime"), sid).toDouble(), 30.5);
    EXPECT_TRUE(scalar(rowSql.arg("dDistance"), sid).isNull());  // Distance is never written

    // Same label: one column changes, the row count does not.
    ASSERT_TRUE(saveRow(second, "T001", 9, 12.5, 0.9));
    EXPECT_DOUBLE_EQ(scalar(rowSql.arg("dCumTime"), sid).toDouble(), 12.5);
    EXPECT_DOUBLE_EQ(scalar(rowSql.arg("dRate"), sid).toDouble(), 0.25);
    EXPECT_EQ(scalar(rowSql.arg("lOrdinalPosition"), sid).toLong(), 1);
    ASSERT_TRUE(saveRow(second, "T001", 9, 0, 0.8));
    EXPECT_DOUBLE_EQ(scalar(rowSql.arg("dCumTime"), sid).toDouble(), 12.5);
    EXPECT_DOUBLE_EQ(scalar(rowSql.arg("dRate"), sid).toDouble(), 0.8);
    EXPECT_EQ(count("tblImportSegmentDetail"), 1);

    // A label full of quotes is data, not SQL.
    ASSERT_TRUE(saveRow(second, "R'1\"", 2, 4));
    EXPECT_EQ(count("tblImportSegmentDetail"), 2);

    // After the newest header goes, rows attach to the one before it.
    ASSERT_TRUE(second.Delete_Pf());
    EXPECT_EQ(count("tblImportSegment"), 1);
    EXPECT_EQ(count("tblImportSegmentDetail"), 2);  // the deleted header's rows stay
    ASSERT_TRUE(saveRow(second, "T001", 1, 7));
    EXPECT_EQ(scalar(rowSql.arg("COUNT(*)"), {Value(int(firstId))}).toLong(), 1);
}

TEST_F(ImportRecordsTest, ErrorsCarryTheirSource)
{
    clsImportSegment s;
    s.DatabaseConnection = &ado;
    try {
        s.Delete_Pf();
        FAIL() << "delete on an empty table";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), 94);
        EXPECT_EQ(e.source(), QStringLiteral("clsImportSegment.Delete_pf"));
    }
    ado.CloseConnection();
    try {
        saveHeader(s, "1");
        FAIL() << "save on a closed connection";
    } catch (const AppError& e) {
        EXPECT_EQ(e.source(), QStringLiteral("clsImportSegment.Save_pf"));
    }
    // A row without a header in the table has nowhere to go.
    clsImportSegmentDetail d;
    EXPECT_THROW(d.Save_pf(), AppError);
}

}  // namespace
