#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QTime>

#include <array>

// The watch's memory image as it comes off the cradle, decoded without any
// side effect: the database writes live in clsFileReader, so the decoder can
// be tested and fuzzed on its own.
class WatchImage {
public:
    static constexpr int TrailerSize = 36;
    static constexpr int SmallImage = 4096;
    static constexpr int LargeImage = 8192;
    // Files longer than this hold the larger memory.
    static constexpr int LargeImageThreshold = 5000;

    using Record = std::array<quint8, 4>;
    // A header's two halves without the leading 0xFF: century, year, month,
    // day, hour, minute, second.
    using HeaderBytes = std::array<quint8, 7>;

    struct Trailer {
        int imageSize = SmallImage;  // N: where the trailer starts
        qint32 segmentCount = 0;
        qint32 lastSegmentRowCount = 0;
        quint32 finalHundredths = 0;  // 24-bit
        qint16 dataWord = 0;          // 0: nothing to import
    };

    struct Row {
        QString label;  // T000, T001..., R001...
        qint32 ordinal = 0;
        double cumTime = 0;  // seconds
        double rate = 0;     // seconds per cycle; 0 on time rows
        bool isRate = false;
    };

    struct Segment {
        QString label;  // 1, 2, ... in image order
        QDate date;
        QTime time;
        QList<Row> rows;  // the opening row T000 first
        // The final time was 0: the header is written and then taken out
        // again, its rows stay behind.
        bool dropped = false;
    };

    // A header whose bytes form no date and time: the segment and its rows
    // are left out, the others kept.
    struct SkippedSegment {
        QString label;   // the label it would have had
        QString stored;  // what the watch stored, as year-month-day hours:minutes:seconds
    };

    struct Content {
        Trailer trailer;
        bool hasData = false;  // the trailer's data word is not 0
        QList<Segment> segments;
        QList<SkippedSegment> skipped;
    };

    // The whole image. Never reads outside the bytes, never loops: the walk
    // advances four bytes a record and ends at the end of the data.
    static Content decode(const QByteArray& bytes);

    static Trailer readTrailer(const QByteArray& bytes);
    // A trailer word as a count: word / 256 rounded half to even.
    static qint32 wordToCount(qint16 word);

    // The record decoders. The date and time ones return an invalid value
    // when the bytes do not form one; decode then skips the segment.
    static double BytesToCumTime_mf(const Record& r);
    static bool BytesToRateSample_mf(const Record& r, double& cumTime, double& rate);
    static QDate BytesToDate_mf(const HeaderBytes& b);
    static QTime BytesToTime_mf(const HeaderBytes& b);
    static QString BcdToString_mf(quint8 b);
    static QString BcdHourTo24_mf(quint8 b);

    static int bcdValue(quint8 b) { return (b >> 4) * 10 + (b & 0x0F); }
    static QString rowLabel(QChar kind, qint32 n);
    // The header's date and time as stored, valid or not: 2001-13-45 25:61:00.
    static QString storedStart(const HeaderBytes& b);
};
