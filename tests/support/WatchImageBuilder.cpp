#include "support/WatchImageBuilder.h"

quint8 WatchImageBuilder::hourByte(int hour24)
{
    const bool pm = hour24 >= 12;
    int h = hour24 % 12;
    if (h == 0)
        h = 12;
    return quint8(bcd(h) | (pm ? 0x80 : 0x00));
}

std::array<WatchImageBuilder::Record, 2> WatchImageBuilder::header(const QDate& date, const QTime& time)
{
    return {Record{0xFF, bcd(date.year() / 100), bcd(date.year() % 100), bcd(date.month())},
            Record{bcd(date.day()), hourByte(time.hour()), bcd(time.minute()), bcd(time.second())}};
}

WatchImageBuilder& WatchImageBuilder::segment(const QDate& date, const QTime& time)
{
    const auto h = header(date, time);
    return segmentBytes(h[0], h[1]);
}

WatchImageBuilder& WatchImageBuilder::segmentBytes(const Record& first, const Record& second)
{
    m_records.append(first);
    m_records.append(second);
    ++m_segments;
    m_rowsInLast = 0;
    return *this;
}

WatchImageBuilder& WatchImageBuilder::time(quint32 hundredths)
{
    return raw({0x00, quint8(hundredths >> 16), quint8(hundredths >> 8), quint8(hundredths)});
}

WatchImageBuilder& WatchImageBuilder::rate(quint16 firstWord, quint16 secondWord)
{
    return raw({quint8(firstWord >> 8), quint8(firstWord), quint8(secondWord >> 8), quint8(secondWord)});
}

WatchImageBuilder& WatchImageBuilder::rateAt(int cumSeconds, quint16 secondWord)
{
    return rate(quint16(cumSeconds / 2 + 32768), secondWord);
}

WatchImageBuilder& WatchImageBuilder::raw(const Record& r)
{
    m_records.append(r);
    if (r[0] != 0xFF)
        ++m_rowsInLast;
    return *this;
}

WatchImageBuilder& WatchImageBuilder::finalTime(quint32 hundredths)
{
    m_final = hundredths;
    return *this;
}

WatchImageBuilder& WatchImageBuilder::large(bool on)
{
    m_large = on;
    return *this;
}

void WatchImageBuilder::putWord(QByteArray& image, int offset, qint16 word)
{
    image[offset] = char(quint16(word) & 0xFF);
    image[offset + 1] = char(quint16(word) >> 8);
}

void WatchImageBuilder::putCount(QByteArray& image, int offset, int count)
{
    putWord(image, offset, qint16(count * 256));
}

QByteArray WatchImageBuilder::build() const
{
    const int n = m_large ? 8192 : 4096;
    QByteArray image(n + 36, '\0');
    int at = 0;
    for (const Record& r : m_records) {
        if (at + 4 > n)
            break;
        for (int i = 0; i < 4; ++i)
            image[at + i] = char(r[size_t(i)]);
        at += 4;
    }
    if (at + 4 <= n)
        image.replace(at, 4, QByteArray(4, char(0xFF)));
    putCount(image, n + 0, m_segments);
    putCount(image, n + 2, m_segments);
    putCount(image, n + 4, m_segments);
    putCount(image, n + 6, m_rowsInLast);
    image[n + 8] = char(m_final >> 16);
    image[n + 9] = char(m_final >> 8);
    image[n + 10] = char(m_final);
    putWord(image, n + 12, 1);  // data present
    return image;
}
