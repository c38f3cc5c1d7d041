#include "import/WatchImage.h"

#include "support/WatchImageBuilder.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {

using Content = WatchImage::Content;

QByteArray trailerOnly(int length, std::initializer_list<std::pair<int, quint8>> trailerBytes)
{
    QByteArray image(length, '\0');
    const int at = WatchImageBuilder::trailerOffset(length);
    for (const auto& [offset, value] : trailerBytes)
        image[at + offset] = char(value);
    return image;
}

QStringList labels(const WatchImage::Segment& s)
{
    QStringList out;
    for (const auto& r : s.rows)
        out << r.label;
    return out;
}

// ---- trailer ----------------------------------------------------------------

TEST(WatchImageTrailer, CountsRoundHalfToEven)
{
    struct Case {
        quint8 lo, hi;
        qint32 count;
    };
    const Case cases[] = {{0x00, 0x02, 2},
                          {0x80, 0x02, 2},
                          {0x81, 0x02, 3},
                          {0x80, 0x03, 4},
                          {0x7F, 0x03, 3},
                          {0x05, 0x00, 0},
                          {0x80, 0x00, 0},
                          {0x81, 0x00, 1},
                          // negative words: -128.0, -0.5 -> 0, -1.5 -> -2
                          {0x00, 0x80, -128},
                          {0x80, 0xFF, 0},
                          {0x80, 0xFE, -2},
                          {0xFF, 0x7F, 128}};
    for (const Case& c : cases) {
        const WatchImage::Trailer t =
            WatchImage::readTrailer(trailerOnly(4132, {{0, c.lo}, {1, c.hi}, {6, c.lo}, {7, c.hi}}));
        EXPECT_EQ(t.segmentCount, c.count) << int(c.lo) << " " << int(c.hi);
        EXPECT_EQ(t.lastSegmentRowCount, c.count) << int(c.lo) << " " << int(c.hi);
    }
}

TEST(WatchImageTrailer, ImageSizeFollowsFileLength)
{
    EXPECT_EQ(WatchImage::readTrailer(QByteArray(4132, 0)).imageSize, 4096);
    EXPECT_EQ(WatchImage::readTrailer(QByteArray(8228, 0)).imageSize, 8192);
    EXPECT_EQ(WatchImage::readTrailer(QByteArray(5000, 0)).imageSize, 4096);
    EXPECT_EQ(WatchImage::readTrailer(QByteArray(5001, 0)).imageSize, 8192);

    // The trailer is found at N in both sizes: the data word decides.
    EXPECT_TRUE(WatchImage::readTrailer(trailerOnly(8228, {{12, 1}})).dataWord != 0);
    EXPECT_EQ(WatchImage::readTrailer(trailerOnly(8228, {{12, 1}})).imageSize, 8192);
    QByteArray shifted(8228, '\0');
    shifted[4096 + 12] = 1;  // where a small image would have it
    EXPECT_EQ(WatchImage::readTrailer(shifted).dataWord, 0);
}

TEST(WatchImageTrailer, FinalTimeIsBigEndianHundredths)
{
    const auto t = WatchImage::readTrailer(trailerOnly(4132, {{8, 0x01}, {9, 0x02}, {10, 0x03}}));
    EXPECT_EQ(t.finalHundredths, 0x010203u);
}

TEST(WatchImageTrailer, ShortFilesReadMissingBytesAsZero)
{
    // The data word lies beyond these files' ends, so it reads 0.
    for (int len : {0, 1, 100, 4096, 4100, 4108}) {
        const Content c = WatchImage::decode(QByteArray(len, char(0xFF)));
        EXPECT_FALSE(c.hasData) << len;
        EXPECT_TRUE(c.segments.isEmpty()) << len;
    }
    // A partial trailer keeps what it has: here the data word's low byte.
    QByteArray partial = WatchImageBuilder().segment({2020, 5, 1}, {8, 0, 0}).time(100).finalTime(500).build();
    partial.truncate(4096 + 13);
    EXPECT_TRUE(WatchImage::decode(partial).hasData);
}

TEST(WatchImageTrailer, DataWordZeroDecodesNothing)
{
    QByteArray image = WatchImageBuilder().segment({2020, 5, 1}, {8, 0, 0}).time(100).finalTime(500).build();
    WatchImageBuilder::putWord(image, 4096 + 12, 0);
    const Content c = WatchImage::decode(image);
    EXPECT_FALSE(c.hasData);
    EXPECT_TRUE(c.segments.isEmpty());
}

// ---- record decoders -------------------------------------------------------------

TEST(WatchImageDecoders, TimeAndRateRecords)
{
    EXPECT_DOUBLE_EQ(WatchImage::BytesToCumTime_mf({0x00, 0x00, 0x17, 0x70}), 60.0);
    EXPECT_DOUBLE_EQ(WatchImage::BytesToCumTime_mf({0x00, 0xFF, 0xFF, 0xFF}), 167772.15);

    double cum = 0, rate = 0;
    EXPECT_TRUE(WatchImage::BytesToRateSample_mf({0x80, 0x05, 0x1E, 0x84}, cum, rate));
    EXPECT_DOUBLE_EQ(cum, 10.0);
    EXPECT_DOUBLE_EQ(rate, 1.999872);
    // Below 0x80 the cumulative time is negative; stored as it is.
    WatchImage::BytesToRateSample_mf({0x01, 0x00, 0x00, 0x00}, cum, rate);
    EXPECT_DOUBLE_EQ(cum, 2.0 * (256 - 32768));
    EXPECT_DOUBLE_EQ(rate, 0.0);
}

TEST(WatchImageDecoders, BcdDatesAndTwelveHourClock)
{
    WatchImage::HeaderBytes b{0x20, 0x01, 0x12, 0x31, 0x89, 0x05, 0x07};
    EXPECT_EQ(WatchImage::BytesToDate_mf(b), QDate(2001, 12, 31));
    EXPECT_EQ(WatchImage::BytesToTime_mf(b), QTime(21, 5, 7));
    b[4] = 0x12;  // 12 AM
    EXPECT_EQ(WatchImage::BytesToTime_mf(b), QTime(0, 5, 7));
    b[4] = 0x92;  // 12 PM
    EXPECT_EQ(WatchImage::BytesToTime_mf(b), QTime(12, 5, 7));
    b[4] = 0x00;
    EXPECT_EQ(WatchImage::BytesToTime_mf(b), QTime(0, 5, 7));

    EXPECT_EQ(WatchImage::BcdToString_mf(0x09), QStringLiteral("9"));
    EXPECT_EQ(WatchImage::BcdToString_mf(0x1A), QStringLiteral("20"));  // nibbles above 9 taken as they are
    EXPECT_EQ(WatchImage::BcdHourTo24_mf(0x81), QStringLiteral("13"));
}

TEST(WatchImageDecoders, InvalidDatesAndTimes)
{
    const WatchImage::HeaderBytes badDates[] = {
        {0x20, 0x01, 0x13, 0x01, 0x01, 0, 0},  // month 13
        {0x20, 0x01, 0x00, 0x01, 0x01, 0, 0},  // month 0
        {0x20, 0x01, 0x01, 0x32, 0x01, 0, 0},  // day 32
        {0x20, 0x01, 0x02, 0x30, 0x01, 0, 0},  // 30 February
        {0x20, 0x01, 0x02, 0x29, 0x01, 0, 0},  // 29 February 2001
        {0x00, 0x99, 0x01, 0x01, 0x01, 0, 0},  // year 99: no century
        {0xFF, 0x01, 0x01, 0x01, 0x01, 0, 0},  // year 16501
    };
    for (const auto& b : badDates)
        EXPECT_FALSE(WatchImage::BytesToDate_mf(b).isValid());
    EXPECT_EQ(WatchImage::BytesToDate_mf({0x20, 0x00, 0x02, 0x29, 0, 0, 0}), QDate(2000, 2, 29));

    const WatchImage::HeaderBytes badTimes[] = {
        {0x20, 0x01, 0x01, 0x01, 0x01, 0x60, 0x00},  // minute 60
        {0x20, 0x01, 0x01, 0x01, 0x01, 0x00, 0x60},  // second 60
        {0x20, 0x01, 0x01, 0x01, 0x93, 0x00, 0x00},  // hour 13 PM -> 25
        {0x20, 0x01, 0x01, 0x01, 0x24, 0x00, 0x00},  // hour 24
    };
    for (const auto& b : badTimes)
        EXPECT_FALSE(WatchImage::BytesToTime_mf(b).isValid());
}

TEST(WatchImageDecoders, DatesDoNotDependOnTheLocale)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const Content c =
        WatchImage::decode(WatchImageBuilder().segment({2003, 3, 4}, {7, 8, 9}).time(100).finalTime(200).build());
    QLocale::setDefault(before);
    ASSERT_EQ(c.segments.size(), 1);
    EXPECT_EQ(c.segments[0].date, QDate(2003, 3, 4));
    EXPECT_EQ(c.segments[0].time, QTime(7, 8, 9));
}

// ---- the walk ----------------------------------------------------------------

TEST(WatchImageWalk, OneSegmentClosedByTheFinalTime)
{
    WatchImageBuilder b;
    b.segment({2001, 12, 31}, {21, 5, 7}).time(6000).rate(0x8005, 0x1E84).finalTime(1234);
    b.time(99999).rate(0x8100, 1);  // past the row count: never read
    QByteArray image = b.build();
    WatchImageBuilder::putCount(image, 4096 + 6, 2);

    const Content c = WatchImage::decode(image);
    ASSERT_TRUE(c.skipped.isEmpty());
    ASSERT_EQ(c.segments.size(), 1);
    const WatchImage::Segment& s = c.segments[0];
    EXPECT_EQ(s.label, QStringLiteral("1"));
    EXPECT_EQ(s.date, QDate(2001, 12, 31));
    EXPECT_EQ(s.time, QTime(21, 5, 7));
    EXPECT_FALSE(s.dropped);
    EXPECT_EQ(labels(s), (QStringList{"T000", "T001", "R001", "T002"}));
    for (int i = 0; i < s.rows.size(); ++i)
        EXPECT_EQ(s.rows[i].ordinal, i);
    EXPECT_DOUBLE_EQ(s.rows[0].cumTime, 0.0);
    EXPECT_DOUBLE_EQ(s.rows[1].cumTime, 60.0);
    EXPECT_TRUE(s.rows[2].isRate);
    EXPECT_DOUBLE_EQ(s.rows[2].cumTime, 10.0);
    EXPECT_DOUBLE_EQ(s.rows[2].rate, 1.999872);
    EXPECT_DOUBLE_EQ(s.rows[3].cumTime, 12.34);
    EXPECT_FALSE(s.rows[3].isRate);
}

TEST(WatchImageWalk, FinalTimeZeroDropsTheLastHeader)
{
    const Content c = WatchImage::decode(WatchImageBuilder()
                                             .segment({2020, 1, 1}, {9, 0, 0})
                                             .time(100)
                                             .segment({2020, 1, 1}, {10, 0, 0})
                                             .time(200)
                                             .rateAt(4, 9000)
                                             .finalTime(0)
                                             .build());
    ASSERT_EQ(c.segments.size(), 2);
    EXPECT_FALSE(c.segments[0].dropped);
    EXPECT_TRUE(c.segments[1].dropped);
    EXPECT_EQ(labels(c.segments[1]), (QStringList{"T000", "T001", "R001"}));
}

TEST(WatchImageWalk, SeveralSegmentsNumberTheirRowsApart)
{
    const Content c = WatchImage::decode(WatchImageBuilder()
                                             .segment({2020, 1, 1}, {9, 0, 0})
                                             .time(100)
                                             .time(200)
                                             .rateAt(2, 1)
                                             .segment({2020, 1, 2}, {13, 30, 0})
                                             .rateAt(6, 2)
                                             .time(300)
                                             .finalTime(900)
                                             .large()
                                             .build());
    EXPECT_EQ(c.trailer.imageSize, 8192);
    ASSERT_EQ(c.segments.size(), 2);
    EXPECT_EQ(labels(c.segments[0]), (QStringList{"T000", "T001", "T002", "R001"}));
    EXPECT_EQ(labels(c.segments[1]), (QStringList{"T000", "R001", "T001", "T002"}));
    EXPECT_EQ(c.segments[1].label, QStringLiteral("2"));
    EXPECT_EQ(c.segments[1].time, QTime(13, 30, 0));
    EXPECT_DOUBLE_EQ(c.segments[1].rows[3].cumTime, 9.0);
}

TEST(WatchImageWalk, StopRules)
{
    // An end marker as the second header: the first segment stays.
    QByteArray endMarker = WatchImageBuilder()
                               .segment({2020, 1, 1}, {9, 0, 0})
                               .time(100)
                               .raw({0xFF, 0xFF, 0x00, 0x00})
                               .time(200)
                               .finalTime(500)
                               .build();
    WatchImageBuilder::putCount(endMarker, 4096, 2);
    Content c = WatchImage::decode(endMarker);
    ASSERT_EQ(c.segments.size(), 1);
    EXPECT_EQ(labels(c.segments[0]), (QStringList{"T000", "T001"}));
    EXPECT_TRUE(c.skipped.isEmpty());

    // More headers than the trailer counts: the extra one ends the walk.
    QByteArray extra = WatchImageBuilder()
                           .segment({2020, 1, 1}, {9, 0, 0})
                           .time(100)
                           .segment({2020, 1, 1}, {10, 0, 0})
                           .time(100)
                           .finalTime(500)
                           .build();
    WatchImageBuilder::putCount(extra, 4096, 1);
    WatchImageBuilder::putCount(extra, 4096 + 6, 50);
    c = WatchImage::decode(extra);
    ASSERT_EQ(c.segments.size(), 1);
    EXPECT_EQ(c.segments[0].rows.size(), 2);
}

TEST(WatchImageWalk, RecordsAreReadIntoTheTrailerWhenNothingStops)
{
    // A row count that never matches walks to the end of the file,
    // trailer bytes included, and ends on the partial-free boundary.
    QByteArray image(4132, '\0');
    const auto h = WatchImageBuilder::header({2020, 1, 1}, {9, 0, 0});
    for (int i = 0; i < 4; ++i) {
        image[i] = char(h[0][size_t(i)]);
        image[4 + i] = char(h[1][size_t(i)]);
    }
    WatchImageBuilder::putCount(image, 4096, 1);
    WatchImageBuilder::putCount(image, 4096 + 6, -1);
    WatchImageBuilder::putWord(image, 4096 + 12, 1);
    const Content c = WatchImage::decode(image);
    ASSERT_EQ(c.segments.size(), 1);
    // (4132 - 8) / 4 records, every one read: zeros are time rows, the
    // trailer's words are rate rows.
    EXPECT_EQ(c.segments[0].rows.size(), 1 + (4132 - 8) / 4);
    EXPECT_EQ(c.segments[0].rows.last().label.left(1), QStringLiteral("T"));
    EXPECT_EQ(c.segments[0].rows[1000].label, QStringLiteral("T1000"));  // past three digits
}

// ---- malformed downloads -------------------------------------------------------

TEST(WatchImageMalformed, RowsBeforeTheFirstHeaderAreSkipped)
{
    WatchImageBuilder b;
    b.time(500).rateAt(2, 7).segment({2020, 1, 1}, {9, 0, 0}).time(100).finalTime(300);
    QByteArray image = b.build();
    WatchImageBuilder::putCount(image, 4096 + 6, 1);
    const Content c = WatchImage::decode(image);
    ASSERT_EQ(c.segments.size(), 1);
    // Not counted either: the segment's first time row is T001.
    EXPECT_EQ(labels(c.segments[0]), (QStringList{"T000", "T001", "T002"}));
    EXPECT_DOUBLE_EQ(c.segments[0].rows[1].cumTime, 1.0);
}

TEST(WatchImageMalformed, SegmentCountZeroImportsNothing)
{
    QByteArray image = WatchImageBuilder().segment({2020, 1, 1}, {9, 0, 0}).time(100).finalTime(300).build();
    WatchImageBuilder::putCount(image, 4096, 0);
    WatchImageBuilder::putCount(image, 4096 + 6, 0);
    const Content c = WatchImage::decode(image);
    EXPECT_TRUE(c.hasData);
    EXPECT_TRUE(c.segments.isEmpty());
    EXPECT_TRUE(c.skipped.isEmpty());
}

TEST(WatchImageMalformed, HeaderCutOffByTheEndEndsCleanly)
{
    // A row count that never matches walks into the trailer; the file's
    // last record is the first half of a header whose second half is missing.
    QByteArray img(4132, '\0');
    const auto h = WatchImageBuilder::header({2020, 1, 1}, {9, 0, 0});
    for (int i = 0; i < 4; ++i) {
        img[i] = char(h[0][size_t(i)]);
        img[4 + i] = char(h[1][size_t(i)]);
    }
    WatchImageBuilder::putCount(img, 4096, 5);
    WatchImageBuilder::putCount(img, 4096 + 6, -3);
    WatchImageBuilder::putWord(img, 4096 + 12, 1);
    img.replace(4128, 4, QByteArray("\xFF\x20\x20\x01", 4));
    const Content c = WatchImage::decode(img);
    EXPECT_TRUE(c.skipped.isEmpty());
    ASSERT_EQ(c.segments.size(), 1);
    EXPECT_EQ(c.segments[0].rows.size(), 1 + (4128 - 8) / 4);
}

TEST(WatchImageMalformed, AHeaderWithNoDateOrTimeIsSkippedWithItsRowsAndTheRestKept)
{
    using R = WatchImageBuilder::Record;
    struct Case {
        const char* what;
        R first, second;
        const char* stored;
    };
    const Case cases[] = {
        {"month 13", {0xFF, 0x20, 0x20, 0x13}, {0x01, 0x09, 0x00, 0x00}, "2020-13-01 09:00:00"},
        {"day 32", {0xFF, 0x20, 0x20, 0x01}, {0x32, 0x09, 0x00, 0x00}, "2020-01-32 09:00:00"},
        {"30 February", {0xFF, 0x20, 0x20, 0x02}, {0x30, 0x09, 0x00, 0x00}, "2020-02-30 09:00:00"},
        {"minute 60", {0xFF, 0x20, 0x20, 0x01}, {0x01, 0x09, 0x60, 0x00}, "2020-01-01 09:60:00"},
        {"hour 13 PM", {0xFF, 0x20, 0x20, 0x01}, {0x01, 0x93, 0x00, 0x00}, "2020-01-01 25:00:00"},
        {"century 00", {0xFF, 0x00, 0x20, 0x01}, {0x01, 0x09, 0x00, 0x00}, "0020-01-01 09:00:00"},
    };
    for (const Case& k : cases) {
        // The bad segment between two good ones, then as the last one.
        const Content c = WatchImage::decode(WatchImageBuilder()
                                                 .segment({2020, 1, 1}, {9, 0, 0})
                                                 .time(100)
                                                 .segmentBytes(k.first, k.second)
                                                 .time(200)
                                                 .rateAt(4, 3)
                                                 .segment({2020, 1, 2}, {10, 0, 0})
                                                 .time(300)
                                                 .finalTime(500)
                                                 .build());
        ASSERT_EQ(c.skipped.size(), 1) << k.what;
        EXPECT_EQ(c.skipped[0].label, QStringLiteral("2")) << k.what;
        EXPECT_EQ(c.skipped[0].stored, QString::fromLatin1(k.stored)) << k.what;
        ASSERT_EQ(c.segments.size(), 2) << k.what;
        EXPECT_EQ(c.segments[0].label, QStringLiteral("1")) << k.what;
        EXPECT_EQ(labels(c.segments[0]), (QStringList{"T000", "T001"})) << k.what;
        EXPECT_EQ(c.segments[1].label, QStringLiteral("3")) << k.what;
        EXPECT_EQ(labels(c.segments[1]), (QStringList{"T000", "T001", "T002"})) << k.what;
        EXPECT_EQ(c.segments[1].rows.last().cumTime, 5.0) << k.what;

        const Content last = WatchImage::decode(WatchImageBuilder()
                                                    .segment({2020, 1, 1}, {9, 0, 0})
                                                    .time(100)
                                                    .segmentBytes(k.first, k.second)
                                                    .time(200)
                                                    .finalTime(500)
                                                    .build());
        ASSERT_EQ(last.segments.size(), 1) << k.what;
        EXPECT_EQ(labels(last.segments[0]), (QStringList{"T000", "T001"})) << k.what;
        EXPECT_FALSE(last.segments[0].dropped) << k.what;
        EXPECT_EQ(last.skipped.size(), 1) << k.what;
    }
}

}  // namespace
