#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QTime>

#include <array>

// Makes watch memory images the way the watch lays them out, from a list of
// segments: headers, time and rate records, the end marker and a trailer
// that agrees with them. Fields can be overridden afterwards to make the
// image inconsistent on purpose.
class WatchImageBuilder {
public:
    using Record = std::array<quint8, 4>;

    // Starts a segment: a two-record header with a 12-hour clock.
    WatchImageBuilder& segment(const QDate& date, const QTime& time);
    // Starts a segment from the header's two records as they are (0xFF first),
    // such as a date no calendar has.
    WatchImageBuilder& segmentBytes(const Record& first, const Record& second);
    // A time row: cumulative hundredths of a second (24 bits).
    WatchImageBuilder& time(quint32 hundredths);
    // A rate row from its two raw words.
    WatchImageBuilder& rate(quint16 firstWord, quint16 secondWord);
    // A rate row for a cumulative time in seconds (even, within ±65536).
    WatchImageBuilder& rateAt(int cumSeconds, quint16 secondWord);
    // Any record, appended as it is (to the current segment, if any).
    WatchImageBuilder& raw(const Record& r);

    // The closing time of the last segment, from the trailer (hundredths).
    WatchImageBuilder& finalTime(quint32 hundredths);
    // 8192-byte memory instead of 4096.
    WatchImageBuilder& large(bool on = true);

    // The complete download: memory, then the 36-byte trailer. Memory after
    // the records holds an end marker, then zeros.
    QByteArray build() const;

    // Encoders, for tests that craft records by hand.
    static quint8 bcd(int v) { return quint8((v / 10) << 4 | (v % 10)); }
    static quint8 hourByte(int hour24);  // 12-hour BCD, bit 7 for PM
    static std::array<Record, 2> header(const QDate& date, const QTime& time);
    // Little-endian trailer word for a count (count × 256).
    static void putCount(QByteArray& image, int offset, int count);
    static void putWord(QByteArray& image, int offset, qint16 word);

    // Where the trailer of an image of this many bytes begins.
    static int trailerOffset(qsizetype imageLength) { return imageLength > 5000 ? 8192 : 4096; }

private:
    QList<Record> m_records;
    int m_segments = 0;
    int m_rowsInLast = 0;
    quint32 m_final = 0;
    bool m_large = false;
};
