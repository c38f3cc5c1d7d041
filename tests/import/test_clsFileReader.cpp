#include "import/clsFileReader.h"

#include "ImportTestDb.h"
#include "platform/AppError.h"
#include "platform/AppInfo.h"
#include "platform/Recordset.h"
#include "support/WatchImageBuilder.h"

#include <QDir>
#include <QFile>

namespace {

class FileReaderTest : public ImportTestDb {
protected:
    void SetUp() override
    {
        ImportTestDb::SetUp();
        reader.DatabaseConnection = &ado;
        reader.ImportDate_pdt(QDate(2024, 2, 29));
    }
    QString writeImage(const QByteArray& bytes)
    {
        const QString path = QDir(folder.path()).filePath(QStringLiteral("temp.bin"));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        return path;
    }
    qint32 errorOf(const QByteArray& image, QString* source = nullptr)
    {
        try {
            reader.ProcessFile_mf(writeImage(image));
        } catch (const AppError& e) {
            if (source)
                *source = e.source();
            return e.number();
        }
        return 0;
    }
    QStringList rows(const QString& segmentLabel)
    {
        std::unique_ptr<Recordset> rs;
        QStringList out;
        ado.SQLOpenRecordset_pl(
            rs,
            QStringLiteral(
                "SELECT d.sSegmentDetailLabel || ':' || d.lOrdinalPosition || ':' || d.dCumTime || ':' || d.dRate "
                "FROM tblImportSegmentDetail d JOIN tblImportSegment s ON s.lSegmentID = d.lSegmentID "
                "WHERE s.sSegmentLabel = '%1' ORDER BY d.lSegmentDetailID")
                .arg(segmentLabel));
        for (; !rs->IsEOF(); rs->MoveNext())
            out << rs->Fields(0).Value().asText();
        return out;
    }
    QByteArray golden(quint32 finalTime)
    {
        WatchImageBuilder b;
        b.segment({2001, 12, 31}, {21, 5, 7}).time(6000).rate(0x8005, 0x1E84).finalTime(finalTime);
        b.time(99999);
        QByteArray image = b.build();
        WatchImageBuilder::putCount(image, 4096 + 6, 2);
        return image;
    }

    clsFileReader reader;
};

TEST_F(FileReaderTest, GoldenImageFillsTheStagingTables)
{
    ASSERT_TRUE(folder.execSql("UPDATE tblSysStrings SET sString = '2' WHERE lStringID = 200"));
    EXPECT_TRUE(reader.ProcessFile_mf(writeImage(golden(1234))));
    EXPECT_EQ(ado.TransactionLevel(), 0);

    ASSERT_EQ(count("tblImportSegment"), 1);
    EXPECT_EQ(scalar("SELECT sSegmentLabel || ' ' || dtSegmentDate || ' ' || dtSegmentTime || ' ' || dtImportDate "
                     "|| ' ' || lRateTypeID || lSpeedTypeID || lDistanceTypeID || lCategoryID || lSegmentTypeID "
                     "FROM tblImportSegment")
                  .asText(),
              QStringLiteral("1 2001-12-31 21:05:07 2024-02-29 21111"));
    EXPECT_EQ(rows("1"),
              (QStringList{"T000:0:0.0:0.0", "T001:1:60.0:0.0", "R001:2:10.0:1.999872", "T002:3:12.34:0.0"}));
}

TEST_F(FileReaderTest, FinalTimeZeroLeavesNoHeaderButItsRows)
{
    EXPECT_TRUE(reader.ProcessFile_mf(writeImage(golden(0))));
    EXPECT_EQ(count("tblImportSegment"), 0);
    EXPECT_EQ(count("tblImportSegmentDetail"), 3);  // T000, T001, R001 orphaned, never copied
}

TEST_F(FileReaderTest, DataWordZeroWritesNothing)
{
    QByteArray image = golden(1234);
    WatchImageBuilder::putWord(image, 4096 + 12, 0);
    EXPECT_FALSE(reader.ProcessFile_mf(writeImage(image)));
    EXPECT_EQ(count("tblImportSegment"), 0);
    EXPECT_EQ(count("tblImportSegmentDetail"), 0);
    // A short download is the same: nothing to import.
    EXPECT_FALSE(reader.ProcessFile_mf(writeImage(image.left(300))));
    EXPECT_FALSE(reader.ProcessFile_mf(writeImage(QByteArray())));
}

TEST_F(FileReaderTest, AHeaderWithNoDateIsSkippedAndTheOtherSegmentsImported)
{
    const QByteArray image = WatchImageBuilder()
                                 .segment({2020, 1, 1}, {9, 0, 0})
                                 .time(100)
                                 .rateAt(2, 3)
                                 .segmentBytes({0xFF, 0x20, 0x20, 0x02}, {0x30, 0x09, 0x00, 0x00})  // 30 February
                                 .time(200)
                                 .segment({2020, 1, 2}, {10, 0, 0})
                                 .time(300)
                                 .finalTime(500)
                                 .build();
    EXPECT_TRUE(reader.ProcessFile_mf(writeImage(image)));
    EXPECT_EQ(ado.TransactionLevel(), 0);
    ASSERT_EQ(reader.SkippedSegments().size(), 1);
    EXPECT_EQ(reader.SkippedSegments()[0].label, QStringLiteral("2"));
    EXPECT_EQ(reader.SkippedSegments()[0].stored, QStringLiteral("2020-02-30 09:00:00"));
    EXPECT_EQ(count("tblImportSegment"), 2);
    EXPECT_EQ(rows("1"), (QStringList{"T000:0:0.0:0.0", "T001:1:1.0:0.0", "R001:2:2.0:0.000768"}));
    EXPECT_EQ(rows("3"), (QStringList{"T000:0:0.0:0.0", "T001:1:3.0:0.0", "T002:2:5.0:0.0"}));
    EXPECT_EQ(count("tblImportSegmentDetail"), 6);  // none of the skipped segment's
}

TEST_F(FileReaderTest, NonNumericUnitSettingRaises13BeforeWriting)
{
    ASSERT_TRUE(folder.execSql("UPDATE tblSysStrings SET sString = 'abc' WHERE lStringID = 210"));
    EXPECT_EQ(errorOf(golden(1234)), ErrNo::TypeMismatch);
    EXPECT_EQ(count("tblImportSegment"), 0);
    EXPECT_EQ(count("tblImportSegmentDetail"), 0);
}

TEST_F(FileReaderTest, MissingImageAndMissingConnection)
{
    reader.FileName(QDir(folder.path()).filePath("nothing.bin"));
    try {
        reader.ProcessFile_mf();
        FAIL();
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), ErrNo::FileNotFound);
    }
    clsFileReader loose;
    EXPECT_EQ(loose.FileName(), QDir(AppInfo::path()).filePath("temp.bin"));
    EXPECT_THROW(loose.ProcessFile_mf(writeImage(golden(1))), AppError);
}

TEST_F(FileReaderTest, ClearEmptiesOnlyTheStagingTables)
{
    ASSERT_TRUE(reader.ProcessFile_mf(writeImage(golden(1234))));
    const qint64 settings = count("tblSysStrings");
    const qint64 segments = count("tblSegment");
    ASSERT_GT(count("tblImportSegmentDetail"), 0);
    EXPECT_TRUE(reader.ClearImportTables_pf());
    EXPECT_EQ(count("tblImportSegment"), 0);
    EXPECT_EQ(count("tblImportSegmentDetail"), 0);
    EXPECT_EQ(count("tblSysStrings"), settings);
    EXPECT_EQ(count("tblSegment"), segments);
}

TEST_F(FileReaderTest, FullLargeImageWithHighBytes)
{
    // Segments of rate rows whose words use every high byte, filling most
    // of the 8192-byte memory: a text round trip anywhere would change the
    // times. The trailer's row count tops out at 127, so the last is short.
    WatchImageBuilder b;
    int written = 0;
    for (int seg = 0; seg < 8; ++seg) {
        b.segment({2022, 10, 1 + seg}, {seg + 6, 59, 59});
        written += 2;
        const int rows = seg < 7 ? 250 : 120;
        for (int r = 0; r < rows; ++r, ++written)
            b.rate(quint16(0x8000 + 0x80 * r), quint16(0xFF00 | r));
    }
    b.finalTime(0xFFFFFF).large();
    const QByteArray image = b.build();
    ASSERT_EQ(image.size(), 8228);
    EXPECT_TRUE(reader.ProcessFile_mf(writeImage(image)));
    EXPECT_EQ(count("tblImportSegment"), 8);
    EXPECT_EQ(count("tblImportSegmentDetail"), 7 * 251 + 121 + 1);
    const QString firstSegment = QStringLiteral("(SELECT MIN(lSegmentID) FROM tblImportSegment)");
    EXPECT_DOUBLE_EQ(scalar("SELECT dCumTime FROM tblImportSegmentDetail WHERE sSegmentDetailLabel = 'R250' "
                            "AND lSegmentID = "
                            + firstSegment)
                         .toDouble(),
                     2.0 * 0x80 * 249);
    EXPECT_DOUBLE_EQ(scalar("SELECT dRate FROM tblImportSegmentDetail WHERE sSegmentDetailLabel = 'R250' "
                            "AND lSegmentID = "
                            + firstSegment)
                         .toDouble(),
                     double(0xFF00 | 249) * 256 / 1e6);
    EXPECT_DOUBLE_EQ(scalar("SELECT MAX(dCumTime) FROM tblImportSegmentDetail").toDouble(), 167772.15);
    EXPECT_LE(written, 2048);
}

}  // namespace
