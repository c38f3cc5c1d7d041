#include "platform/ProfileFile.h"

#include <QFile>
#include <QStringDecoder>

namespace {
// Windows-1252 differs from Latin-1 only in 0x80-0x9F; the five unassigned
// bytes map to themselves as the system does.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString fromCp1252(const QByteArray& bytes)
{
    QString s;
    s.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        s.append(b >= 0x80 && b < 0xA0 ? QChar(kCp1252High[b - 0x80]) : QChar(b));
    }
    return s;
}

bool isQuote(QChar c) { return c == QLatin1Char('"') || c == QLatin1Char('\''); }
}  // namespace

ProfileFile::ProfileFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return;
    m_exists = true;
    parse(decode(f.readAll()));
}

QString ProfileFile::decode(const QByteArray& bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(bytes.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        return utf16.decode(bytes.mid(2));
    }
    QStringDecoder utf8(QStringConverter::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return fromCp1252(bytes);
}

void ProfileFile::parse(const QString& text)
{
    Section* current = nullptr;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            const qsizetype close = line.indexOf(QLatin1Char(']'));
            const QString name = line.mid(1, close < 0 ? -1 : close - 1).trimmed();
            m_sections.append(Section{name, {}});
            current = &m_sections.last();
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        // Lines before any section, and lines without "=", hold no readable value.
        if (!current || eq < 0)
            continue;
        const QString key = line.left(eq).trimmed();
        if (key.isEmpty())
            continue;
        QString value = line.mid(eq + 1).trimmed();
        if (value.size() > 1 && isQuote(value.front()) && value.back() == value.front())
            value = value.mid(1, value.size() - 2);
        current->entries.append(Entry{key, value});
    }
}

QString ProfileFile::value(const QString& section, const QString& key, const QString& defaultValue) const
{
    const QString s = section.trimmed();
    const QString k = key.trimmed();
    for (const Section& sec : m_sections) {
        if (sec.name.compare(s, Qt::CaseInsensitive) != 0)
            continue;
        // Only the first section of a name is searched, as the system does.
        for (const Entry& e : sec.entries)
            if (e.key.compare(k, Qt::CaseInsensitive) == 0)
                return e.value;
        return defaultValue;
    }
    return defaultValue;
}

QStringList ProfileFile::sectionNames() const
{
    QStringList names;
    for (const Section& sec : m_sections)
        names.append(sec.name);
    return names;
}

QString ProfileFile::readString(const QString& path, const QString& section, const QString& key,
                                const QString& defaultValue)
{
    return ProfileFile(path).value(section, key, defaultValue);
}
