#include "import/WatchImage.h"

namespace {

// A byte of the file, or 0 past its end: a short download reads as zeros.
quint8 byteAt(const QByteArray& bytes, qsizetype i)
{
    return i >= 0 && i < bytes.size() ? quint8(bytes.at(i)) : quint8(0);
}

qint16 wordAt(const QByteArray& bytes, qsizetype i)
{
    return qint16(quint16(byteAt(bytes, i)) | quint16(byteAt(bytes, i + 1)) << 8);
}

}  // namespace

qint32 WatchImage::wordToCount(qint16 word)
{
    // Integer form of round-half-even on word / 256; >> floors on negatives too.
    const qint32 w = word;
    const qint32 q = w >> 8;
    const qint32 r = w & 0xFF;
    if (r > 128)
        return q + 1;
    if (r == 128)
        return q + (q & 1);
    return q;
}

WatchImage::Trailer WatchImage::readTrailer(const QByteArray& bytes)
{
    Trailer t;
    t.imageSize = bytes.size() > LargeImageThreshold ? LargeImage : SmallImage;
    const qsizetype at = t.imageSize;
    t.segmentCount = wordToCount(wordAt(bytes, at + 0));
    t.lastSegmentRowCount = wordToCount(wordAt(bytes, at + 6));
    t.finalHundredths =
        quint32(byteAt(bytes, at + 8)) << 16 | quint32(byteAt(bytes, at + 9)) << 8 | quint32(byteAt(bytes, at + 10));
    t.dataWord = wordAt(bytes, at + 12);
    return t;
}

double WatchImage::BytesToCumTime_mf(const Record& r)
{
    return (double(r[0]) * 16777216.0 + double(r[1]) * 65536.0 + double(r[2]) * 256.0 + double(r[3])) / 100.0;
}

bool WatchImage::BytesToRateSample_mf(const Record& r, double& cumTime, double& rate)
{
    cumTime = 2.0 * (double(r[0]) * 256.0 + double(r[1]) - 32768.0);
    rate = (double(r[2]) * 256.0 + double(r[3])) * 256.0 / 1000000.0;
    return true;
}

QString WatchImage::BcdToString_mf(quint8 b) { return QString::number(bcdValue(b)); }

QString WatchImage::BcdHourTo24_mf(quint8 b)
{
    int h = bcdValue(quint8(b & 0x7F));
    if (h == 12)
        h = 0;
    if (b & 0x80)
        h += 12;
    return QString::number(h);
}

QDate WatchImage::BytesToDate_mf(const HeaderBytes& b)
{
    const int year = bcdValue(b[0]) * 100 + bcdValue(b[1]);
    // Century 00 would give a two-digit year the watch never writes; treat it
    // as no date rather than guess a century.
    if (year < 100 || year > 9999)
        return {};
    return QDate(year, bcdValue(b[2]), bcdValue(b[3]));  // invalid when the day or month is
}

QTime WatchImage::BytesToTime_mf(const HeaderBytes& b)
{
    const int h = BcdHourTo24_mf(b[4]).toInt();
    const int m = bcdValue(b[5]);
    const int s = bcdValue(b[6]);
    if (!QTime::isValid(h, m, s))
        return {};
    return QTime(h, m, s);
}

QString WatchImage::storedStart(const HeaderBytes& b)
{
    const auto two = [](int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    return QStringLiteral("%1-%2-%3 %4:%5:%6")
        .arg(bcdValue(b[0]) * 100 + bcdValue(b[1]), 4, 10, QLatin1Char('0'))
        .arg(two(bcdValue(b[2])), two(bcdValue(b[3])), two(BcdHourTo24_mf(b[4]).toInt()), two(bcdValue(b[5])),
             two(bcdValue(b[6])));
}

QString WatchImage::rowLabel(QChar kind, qint32 n)
{
    return kind + QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0'));
}

WatchImage::Content WatchImage::decode(const QByteArray& bytes)
{
    Content c;
    c.trailer = readTrailer(bytes);
    c.hasData = c.trailer.dataWord != 0;
    if (!c.hasData)
        return c;

    const Trailer& t = c.trailer;
    const qsizetype len = bytes.size();
    qsizetype pos = 0;
    qint32 headers = 0;
    qint32 rows = 0;
    qint32 timeRows = 0;
    qint32 rateRows = 0;
    Segment* current = nullptr;
    // The newest header held no date and time: its rows belong nowhere.
    bool skipping = false;

    for (bool last = false; !last;) {
        Record r;
        // The last segment's closing time is not in memory but in the
        // trailer. Before the first header there is no segment to close.
        if (headers >= 1 && headers == t.segmentCount && rows == t.lastSegmentRowCount) {
            if (t.finalHundredths == 0) {
                if (current && !skipping)
                    current->dropped = true;
                break;
            }
            r = {0, quint8(t.finalHundredths >> 16), quint8(t.finalHundredths >> 8), quint8(t.finalHundredths)};
            last = true;
        } else {
            if (pos + 4 > len)
                break;  // a partial record is not used
            r = {quint8(bytes[pos]), quint8(bytes[pos + 1]), quint8(bytes[pos + 2]), quint8(bytes[pos + 3])};
            pos += 4;
        }

        if (r[0] == 0xFF) {
            ++headers;
            if (headers > t.segmentCount || r[1] == 0xFF)
                break;
            if (pos + 4 > len)
                break;  // header cut off by the end of the download
            const HeaderBytes hb{r[1],
                                 r[2],
                                 r[3],
                                 quint8(bytes[pos]),
                                 quint8(bytes[pos + 1]),
                                 quint8(bytes[pos + 2]),
                                 quint8(bytes[pos + 3])};
            pos += 4;
            rows = timeRows = rateRows = 0;
            const QDate date = BytesToDate_mf(hb);
            const QTime time = BytesToTime_mf(hb);
            // The watch counted it all the same: the segments after it keep
            // their numbers, and its rows still count towards the trailer's.
            skipping = !date.isValid() || !time.isValid();
            if (skipping) {
                c.skipped.append({QString::number(headers), storedStart(hb)});
                continue;
            }
            Segment s;
            s.label = QString::number(headers);
            s.date = date;
            s.time = time;
            s.rows.append(Row{rowLabel(QLatin1Char('T'), 0), 0, 0.0, 0.0, false});
            c.segments.append(s);
            current = &c.segments.last();
            continue;
        }

        Row row;
        ++rows;
        if (r[0] == 0x00) {
            ++timeRows;
            row.label = rowLabel(QLatin1Char('T'), timeRows);
            row.cumTime = BytesToCumTime_mf(r);
        } else {
            ++rateRows;
            row.label = rowLabel(QLatin1Char('R'), rateRows);
            row.isRate = true;
            BytesToRateSample_mf(r, row.cumTime, row.rate);
        }
        row.ordinal = rows;
        // Rows with no header before them, or a skipped one, are not kept.
        if (current && !skipping)
            current->rows.append(row);
    }
    return c;
}
