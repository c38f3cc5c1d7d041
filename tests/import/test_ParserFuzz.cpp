#include "import/WatchImage.h"
#include "import/clsFileReader.h"

#include "ImportTestDb.h"
#include "platform/AppError.h"
#include "platform/Recordset.h"
#include "support/WatchImageBuilder.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include <random>

namespace {

using Content = WatchImage::Content;

// A plausible download: a few segments of time and rate rows.
QByteArray randomValidImage(std::mt19937& rng)
{
    std::uniform_int_distribution<int> pick(0, 1 << 30);
    WatchImageBuilder b;
    const int segments = 1 + pick(rng) % 5;
    for (int s = 0; s < segments; ++s) {
        b.segment(QDate(1990 + pick(rng) % 40, 1 + pick(rng) % 12, 1 + pick(rng) % 28),
                  QTime(pick(rng) % 24, pick(rng) % 60, pick(rng) % 60));
        const int rows = pick(rng) % 40;
        for (int r = 0; r < rows; ++r) {
            if (pick(rng) % 3 == 0)
                b.rate(quint16(0x8000 + pick(rng) % 0x7FFF), quint16(pick(rng)));
            else
                b.time(quint32(pick(rng)) & 0xFFFFFF);
        }
    }
    b.finalTime(pick(rng) % 4 == 0 ? 0 : quint32(pick(rng)) & 0xFFFFFF);
    b.large(pick(rng) % 2 == 0);
    return b.build();
}

void mutate(QByteArray& image, std::mt19937& rng)
{
    std::uniform_int_distribution<int> pick(0, 1 << 30);
    const int n = WatchImageBuilder::trailerOffset(image.size());
    const int edits = 1 + pick(rng) % 4;
    for (int e = 0; e < edits && !image.isEmpty(); ++e) {
        const int at = pick(rng) % int(image.size());
        switch (pick(rng) % 9) {
        case 0: image[at] = char(image[at] ^ char(1 << (pick(rng) % 8))); break;
        case 1: image[at] = char(0xFF); break;
        case 2: image[at] = char(0x00); break;
        case 3: image[at] = char(0x9A + pick(rng) % 0x66); break;  // BCD-invalid
        case 4: image.truncate((at / 4) * 4); break;
        case 5: image.truncate(at); break;
        case 6: {  // duplicate or delete a record
            const int rec = (at / 4) * 4;
            if (pick(rng) % 2 && rec + 4 <= image.size())
                image.insert(rec, image.mid(rec, 4));
            else
                image.remove(rec, 4);
            break;
        }
        case 7: {  // trailer counts at their extremes
            if (n + 8 > image.size())
                break;
            const qint16 extremes[] = {qint16(-128 * 256), qint16(127 * 256), 0, qint16(-1), qint16(0x7FFF)};
            WatchImageBuilder::putWord(image, n + (pick(rng) % 2) * 6, extremes[pick(rng) % 5]);
            break;
        }
        case 8: {  // final time 0 or all ones, data word non-zero
            if (n + 14 > image.size())
                break;
            const char f = pick(rng) % 2 ? char(0xFF) : char(0);
            image[n + 8] = image[n + 9] = image[n + 10] = f;
            WatchImageBuilder::putWord(image, n + 12, qint16(1 + pick(rng) % 0x7FFF));
            break;
        }
        }
    }
}

QByteArray fuzzCase(std::mt19937& rng)
{
    std::uniform_int_distribution<int> pick(0, 1 << 30);
    if (pick(rng) % 3 == 0) {
        QByteArray bytes(pick(rng) % 9001, '\0');
        for (char& c : bytes)
            c = char(pick(rng));
        return bytes;
    }
    QByteArray image = randomValidImage(rng);
    mutate(image, rng);
    return image;
}

// What every decoded image must satisfy, whatever its bytes.
void checkInvariants(const QByteArray& bytes, const Content& c)
{
    if (!c.hasData) {
        EXPECT_TRUE(c.segments.isEmpty());
        EXPECT_TRUE(c.skipped.isEmpty());
        return;
    }
    // Kept and skipped segments together number the headers 1, 2, ... once each.
    QSet<int> numbers;
    for (const WatchImage::SkippedSegment& k : c.skipped)
        numbers.insert(k.label.toInt());
    for (const WatchImage::Segment& seg : c.segments)
        numbers.insert(seg.label.toInt());
    EXPECT_EQ(numbers.size(), c.segments.size() + c.skipped.size());
    for (int n : numbers)
        EXPECT_TRUE(n >= 1 && n <= numbers.size()) << n;
    EXPECT_LE(c.segments.size() + c.skipped.size(), qMax(c.trailer.segmentCount, 0));
    qsizetype calls = 0;
    for (int s = 0; s < c.segments.size(); ++s) {
        const WatchImage::Segment& seg = c.segments[s];
        calls += 1 + seg.rows.size() + (seg.dropped ? 1 : 0);
        if (s > 0) {
            EXPECT_GT(seg.label.toInt(), c.segments[s - 1].label.toInt());
        }
        EXPECT_TRUE(seg.date.isValid() && seg.date.year() >= 100 && seg.date.year() <= 9999);
        EXPECT_TRUE(seg.time.isValid());
        if (seg.dropped) {
            EXPECT_EQ(s, c.segments.size() - 1);
        }
        ASSERT_FALSE(seg.rows.isEmpty());
        EXPECT_EQ(seg.rows[0].label, QStringLiteral("T000"));
        EXPECT_EQ(seg.rows[0].cumTime, 0.0);
        int times = 0, rates = 0;
        QSet<QString> seen;
        for (int r = 0; r < seg.rows.size(); ++r) {
            const WatchImage::Row& row = seg.rows[r];
            EXPECT_EQ(row.ordinal, r);
            if (r > 0) {
                const int n = row.isRate ? ++rates : ++times;
                EXPECT_EQ(row.label, WatchImage::rowLabel(QLatin1Char(row.isRate ? 'R' : 'T'), n));
            }
            EXPECT_FALSE(seen.contains(row.label));
            seen.insert(row.label);
        }
    }
    // Each header takes two records and brings one opening row; each row
    // takes one; the trailer adds at most one.
    EXPECT_LE(calls, bytes.size() / 4 + 3);
}

TEST(ParserFuzz, DecoderHoldsItsInvariantsOnRandomAndMutatedImages)
{
    std::mt19937 rng(20240229);
    int withSegments = 0, withSkipped = 0;
    for (int i = 0; i < 4000; ++i) {
        const QByteArray bytes = fuzzCase(rng);
        const Content c = WatchImage::decode(bytes);
        checkInvariants(bytes, c);
        if (::testing::Test::HasFailure()) {
            ADD_FAILURE() << "case " << i << ": " << bytes.toHex().left(200).constData();
            return;
        }
        withSegments += c.segments.isEmpty() ? 0 : 1;
        withSkipped += c.skipped.isEmpty() ? 0 : 1;
    }
    // The mix must exercise both outcomes, or the fuzz proves little.
    EXPECT_GT(withSegments, 500);
    EXPECT_GT(withSkipped, 50);
}

class ParserFuzzDb : public ImportTestDb {
protected:
    QMap<QString, qint64> otherTableCounts()
    {
        QMap<QString, qint64> out;
        std::unique_ptr<Recordset> rs;
        ado.SQLOpenRecordset_pl(rs,
                                QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name "
                                               "NOT LIKE 'sqlite_%' AND name NOT LIKE 'tblImportSegment%'"));
        QStringList names;
        for (; !rs->IsEOF(); rs->MoveNext())
            names << rs->Fields(0).Value().asText();
        for (const QString& n : names)
            out.insert(n, count(n));
        return out;
    }
};

TEST_F(ParserFuzzDb, DatabaseWritesStayInTheStagingTables)
{
    const auto before = otherTableCounts();
    ASSERT_GT(before.size(), 5);
    const QString path = QDir(folder.path()).filePath(QStringLiteral("temp.bin"));
    std::mt19937 rng(7);
    clsFileReader reader;
    reader.DatabaseConnection = &ado;
    reader.ImportDate_pdt(QDate(2024, 1, 1));
    for (int i = 0; i < 300; ++i) {
        const QByteArray bytes = fuzzCase(rng);
        {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(bytes);
        }
        ASSERT_TRUE(reader.ClearImportTables_pf());
        const Content expected = WatchImage::decode(bytes);
        qint32 error = 0;
        bool result = false;
        try {
            result = reader.ProcessFile_mf(path);
        } catch (const AppError& e) {
            error = e.number();
        }
        ASSERT_EQ(error, 0) << "case " << i;
        EXPECT_EQ(result, expected.hasData) << "case " << i;
        EXPECT_EQ(ado.TransactionLevel(), 0);
        // The tables hold exactly what the decoder saw.
        qint64 headers = 0, rows = 0;
        for (const auto& s : expected.segments) {
            headers += s.dropped ? 0 : 1;
            rows += s.rows.size();
        }
        ASSERT_EQ(count("tblImportSegment"), headers) << "case " << i;
        ASSERT_EQ(count("tblImportSegmentDetail"), rows) << "case " << i;
    }
    EXPECT_EQ(otherTableCounts(), before);
}

}  // namespace
