#include "platform/LocaleText.h"

#include <QRegularExpression>

#include <cmath>
#include <vector>

namespace {

// One piece of a display pattern: a field ("d", "MMM", "yyyy", "HH", "AP" ...)
// or the literal text between fields.
struct FormatPart {
    QString text;
    bool field = false;
};

std::vector<FormatPart> formatParts(const QString& format)
{
    static const QString fieldLetters = QStringLiteral("dMyhHmszaApt");
    std::vector<FormatPart> parts;
    const auto literal = [&parts](QChar c) {
        if (parts.empty() || parts.back().field)
            parts.push_back({QString(), false});
        parts.back().text += c;
    };
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\'')) {
            // Quoted text; two quotes stand for one.
            qsizetype j = i + 1;
            if (j < format.size() && format.at(j) == QLatin1Char('\'')) {
                literal(c);
                i = j + 1;
                continue;
            }
            for (; j < format.size() && format.at(j) != QLatin1Char('\''); ++j)
                literal(format.at(j));
            i = j + 1;
        } else if (fieldLetters.contains(c)) {
            qsizetype j = i + 1;
            if ((c == QLatin1Char('a') || c == QLatin1Char('A')) && j < format.size()
                && format.at(j).toLower() == QLatin1Char('p'))
                ++j;
            else
                while (j < format.size() && format.at(j) == c)
                    ++j;
            parts.push_back({format.mid(i, j - i), true});
            i = j;
        } else {
            literal(c);
            ++i;
        }
    }
    return parts;
}

// Back to a pattern: literal text quoted where it holds a field letter or a quote.
QString joinParts(const std::vector<FormatPart>& parts)
{
    static const QRegularExpression needsQuotes(QStringLiteral("[A-Za-z']"));
    QString out;
    for (const FormatPart& p : parts) {
        if (p.field || !p.text.contains(needsQuotes)) {
            out += p.text;
        } else {
            QString quoted = p.text;
            quoted.replace(QLatin1String("'"), QLatin1String("''"));
            out += QLatin1Char('\'') + quoted + QLatin1Char('\'');
        }
    }
    return out;
}

bool isFieldOf(const FormatPart& p, char letter) { return p.field && p.text.at(0) == QLatin1Char(letter); }

// Brackets left empty once the zone is gone: "9:30:00 ()" is no way to show a time.
QString withoutEmptyBrackets(QString text)
{
    static const QRegularExpression empty(QStringLiteral("[(\\[{（［]\\s*[)\\]}）］]"));
    text.remove(empty);
    return text;
}

// The locale's patterns of dates (or of times) and `extra`.
QStringList patterns(const QLocale& locale, bool dates, const QString& extra)
{
    if (dates)
        return {locale.dateFormat(QLocale::ShortFormat), locale.dateFormat(QLocale::LongFormat), extra};
    return {locale.timeFormat(QLocale::ShortFormat), locale.timeFormat(QLocale::LongFormat), extra};
}

bool isWordChar(char32_t c) { return QChar::isLetter(c) || QChar::isMark(c); }

// The runs of letters (with their marks) in a text, by code points: the
// letters of some scripts lie outside 16 bits.
QStringList wordsOf(const QString& text)
{
    QStringList words;
    QList<uint> word;
    const QList<uint> chars = text.toUcs4() << ' ';
    for (const uint c : chars) {
        if (isWordChar(c)) {
            word << c;
        } else if (!word.isEmpty()) {
            words << QString::fromUcs4(reinterpret_cast<const char32_t*>(word.constData()), word.size());
            word.clear();
        }
    }
    return words;
}

// Words of the literal text of patterns: "г." after a Bulgarian year, 年月日
// in a Japanese date, "h" in a French Canadian time. Typed, they separate as
// punctuation does.
QStringList literalWords(const QStringList& formats)
{
    QStringList words;
    for (const QString& f : formats)
        for (const FormatPart& p : formatParts(f))
            if (!p.field)
                words << wordsOf(p.text);
    return words;
}

bool containsWord(const QStringList& words, const QString& word) { return words.contains(word, Qt::CaseInsensitive); }

// The text cut into runs of digits (of any script, given as ASCII digits) and
// runs of letters; marks that only steer the writing direction are dropped.
// Every other character is a separator, and false when one is not among
// `separators` (blanks always are).
struct Token {
    QString text;
    bool digits = false;
};

bool isDigit(char32_t c) { return QChar::category(c) == QChar::Number_DecimalDigit && QChar::digitValue(c) >= 0; }

bool tokenize(const QString& text, const QString& separators, std::vector<Token>& tokens)
{
    const QList<uint> signs = separators.toUcs4();
    const QList<uint> chars = text.toUcs4();  // digits of some scripts lie outside 16 bits
    for (qsizetype i = 0; i < chars.size();) {
        const char32_t c = chars.at(i);
        if (isDigit(c)) {
            QString run;
            for (; i < chars.size() && isDigit(chars.at(i)); ++i)
                run += QChar(u'0' + QChar::digitValue(char32_t(chars.at(i))));
            tokens.push_back({run, true});
        } else if (isWordChar(c)) {
            QList<uint> word;
            for (; i < chars.size() && isWordChar(chars.at(i)); ++i)
                word << chars.at(i);
            tokens.push_back(
                {QString::fromUcs4(reinterpret_cast<const char32_t*>(word.constData()), word.size()), false});
        } else if (QChar::isSpace(c) || QChar::category(c) == QChar::Other_Format || signs.contains(c)) {
            ++i;
        } else {
            return false;
        }
    }
    return true;
}

QString withoutDots(QString s)
{
    s.remove(QLatin1Char('.'));
    return s.trimmed();
}

int monthFromName(const QString& name, const QLocale& locale)
{
    for (const QLocale& loc : {locale, QLocale::c()})
        for (int m = 1; m <= 12; ++m)
            for (const QString& known :
                 {loc.monthName(m, QLocale::LongFormat), loc.monthName(m, QLocale::ShortFormat),
                  loc.standaloneMonthName(m, QLocale::LongFormat), loc.standaloneMonthName(m, QLocale::ShortFormat)}) {
                const QString k = withoutDots(known);
                if (!k.isEmpty() && k.compare(name, Qt::CaseInsensitive) == 0)
                    return m;
            }
    return 0;
}

bool isWeekdayName(const QString& name, const QLocale& locale)
{
    for (const QLocale& loc : {locale, QLocale::c()})
        for (int d = 1; d <= 7; ++d)
            for (const QLocale::FormatType f : {QLocale::LongFormat, QLocale::ShortFormat})
                for (const QString& known : {loc.dayName(d, f), loc.standaloneDayName(d, f)})
                    if (withoutDots(known).compare(name, Qt::CaseInsensitive) == 0)
                        return true;
    return false;
}

// The words of an AM/PM text, folded: "p. m." and "PM" are both "pm".
QString dayPeriodKey(const QString& text) { return wordsOf(text).join(QString()).toCaseFolded(); }

// The signs between the fields of patterns, and `common` ones a user types.
QString literalSigns(const QStringList& formats, const QString& common)
{
    QString signs = common;
    for (const QString& f : formats)
        for (const FormatPart& p : formatParts(f))
            if (!p.field)
                for (QChar c : p.text)
                    if (!c.isLetterOrNumber())
                        signs += c;
    return signs;
}

}  // namespace

namespace LocaleText {

QString dateFormat(const QLocale& locale, QLocale::FormatType type)
{
    std::vector<FormatPart> parts = formatParts(locale.dateFormat(type));
    for (FormatPart& p : parts)
        if (isFieldOf(p, 'y'))
            p.text = QStringLiteral("yyyy");
    return joinParts(parts);
}

QString timeFormat(const QLocale& locale)
{
    std::vector<FormatPart> parts;
    for (FormatPart& p : formatParts(locale.timeFormat(QLocale::LongFormat))) {
        if (isFieldOf(p, 't'))
            continue;
        if (!p.field && !parts.empty() && !parts.back().field)
            parts.back().text += p.text;  // the text around the zone joins up
        else
            parts.push_back(std::move(p));
    }
    for (FormatPart& p : parts)
        if (!p.field)
            p.text = withoutEmptyBrackets(p.text);
    // Blanks that led to the zone or followed it: "9時30分00秒 " ends at its 秒.
    if (!parts.empty() && !parts.front().field) {
        QString& text = parts.front().text;
        qsizetype blanks = 0;
        while (blanks < text.size() && text.at(blanks).isSpace())
            ++blanks;
        text.remove(0, blanks);
    }
    if (!parts.empty() && !parts.back().field) {
        QString& text = parts.back().text;
        while (!text.isEmpty() && text.back().isSpace())
            text.chop(1);
    }
    std::erase_if(parts, [](const FormatPart& p) { return !p.field && p.text.isEmpty(); });
    return joinParts(parts);
}

QString date(const QDate& d, const QLocale& locale, QLocale::FormatType type)
{
    return d.isValid() ? locale.toString(d, dateFormat(locale, type)) : QString();
}

QString time(const QTime& t, const QLocale& locale)
{
    return t.isValid() ? locale.toString(t, timeFormat(locale)) : QString();
}

QString dateTime(const QDateTime& dt, const QLocale& locale)
{
    if (!dt.isValid())
        return QString();
    return date(dt.date(), locale) + QLatin1Char(' ') + time(dt.time(), locale);
}

QString fileTimeFormat(const QLocale& locale)
{
    QString hours;
    QString dayPeriod;
    bool periodFirst = false;  // "오후 2:05:09"
    for (const FormatPart& p : formatParts(timeFormat(locale))) {
        if (hours.isEmpty() && (isFieldOf(p, 'h') || isFieldOf(p, 'H'))) {
            hours = p.text;
        } else if (dayPeriod.isEmpty() && (isFieldOf(p, 'a') || isFieldOf(p, 'A'))) {
            dayPeriod = p.text;
            periodFirst = hours.isEmpty();
        }
    }
    const QString clock = (hours.isEmpty() ? QStringLiteral("HH") : hours) + QStringLiteral(":mm:ss");
    if (dayPeriod.isEmpty())
        return clock;
    return periodFirst ? dayPeriod + QLatin1Char(' ') + clock : clock + QLatin1Char(' ') + dayPeriod;
}

QString number(double value, int decimals, const QLocale& locale)
{
    QLocale plain = locale;
    plain.setNumberOptions(plain.numberOptions() | QLocale::OmitGroupSeparator);
    return plain.toString(value, 'f', decimals < 0 ? QLocale::FloatingPointShortest : decimals);
}

int fullYear(int twoDigitYear, const QDate& today)
{
    const int first = today.year() - 80;
    int year = first - first % 100 + twoDigitYear;
    if (year < first)
        year += 100;
    return year;
}

std::optional<QDate> readDate(const QString& typed, const QLocale& locale, const QString& format, const QDate& today)
{
    const QString text = typed.trimmed();
    static const QRegularExpression iso(QStringLiteral("^([0-9]{4})-([0-9]{1,2})-([0-9]{1,2})$"));
    if (const QRegularExpressionMatch m = iso.match(text); m.hasMatch()) {
        const QDate d(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        return d.isValid() ? std::optional(d) : std::nullopt;
    }

    const QString pattern = format.isEmpty() ? locale.dateFormat(QLocale::ShortFormat) : format;
    QList<QChar> order;  // 'd', 'M', 'y' as the pattern has them
    for (const FormatPart& p : formatParts(pattern)) {
        const QChar c = p.field ? p.text.at(0) : QChar();
        if (p.field && p.text.startsWith(QLatin1String("ddd")))
            continue;  // a weekday name, read as a word
        if ((c == QLatin1Char('d') || c == QLatin1Char('M') || c == QLatin1Char('y')) && !order.contains(c))
            order.append(c);
    }
    if (order.size() != 3)
        order = {QLatin1Char('d'), QLatin1Char('M'), QLatin1Char('y')};

    const QStringList formats = patterns(locale, true, pattern);
    std::vector<Token> tokens;
    if (!tokenize(text, literalSigns(formats, QStringLiteral("/.-,")), tokens))
        return std::nullopt;
    const QStringList literals = literalWords(formats);
    QStringList numbers;
    int namedMonth = 0;
    for (const Token& t : tokens) {
        if (t.digits) {
            numbers << t.text;
        } else if (const int m = monthFromName(t.text, locale); m > 0 && namedMonth == 0) {
            namedMonth = m;
        } else if (!containsWord(literals, t.text) && !isWeekdayName(t.text, locale)) {
            return std::nullopt;
        }
    }
    // A named month stands anywhere; the day and the year keep the pattern's order.
    if (namedMonth > 0)
        order.removeAll(QLatin1Char('M'));
    if (numbers.size() != order.size())
        return std::nullopt;
    // Four digits first: year, month, day, whatever the locale's order.
    if (namedMonth == 0 && numbers.at(0).size() == 4 && order.at(0) != QLatin1Char('y'))
        order = {QLatin1Char('y'), QLatin1Char('M'), QLatin1Char('d')};

    int day = 0, month = namedMonth, year = -1;
    for (qsizetype i = 0; i < order.size(); ++i) {
        const QString& n = numbers.at(i);
        switch (order.at(i).unicode()) {
        case 'd':
            if (n.size() > 2)
                return std::nullopt;
            day = n.toInt();
            break;
        case 'M':
            if (n.size() > 2)
                return std::nullopt;
            month = n.toInt();
            break;
        default:
            if (n.size() == 3 || n.size() > 4)
                return std::nullopt;
            year = n.size() <= 2 ? fullYear(n.toInt(), today) : n.toInt();
        }
    }
    const QDate d(year, month, day);
    return d.isValid() ? std::optional(d) : std::nullopt;
}

std::optional<QTime> readTime(const QString& typed, const QLocale& locale)
{
    const QString text = typed.trimmed();
    const QStringList formats = patterns(locale, false, {});
    std::vector<Token> tokens;
    // The signs inside an AM/PM text too: "منجهند، شام".
    const QString signs = literalSigns(formats, QStringLiteral(":.,") + locale.amText() + locale.pmText());
    if (text.isEmpty() || !tokenize(text, signs, tokens))
        return std::nullopt;
    const QStringList literals = literalWords(formats);
    QList<int> numbers;
    QString period;  // the letters that are no literal: an AM/PM text or nothing
    for (const Token& t : tokens) {
        if (t.digits) {
            if (t.text.size() > 2)
                return std::nullopt;
            numbers << t.text.toInt();
        } else if (!containsWord(literals, t.text)) {
            period += t.text;
        }
    }
    int half = 0;  // 1 AM, 2 PM
    if (!period.isEmpty()) {
        const QString key = dayPeriodKey(period);
        if (key == dayPeriodKey(locale.amText()) || key == QLatin1String("am") || key == QLatin1String("a"))
            half = 1;
        else if (key == dayPeriodKey(locale.pmText()) || key == QLatin1String("pm") || key == QLatin1String("p"))
            half = 2;
        else
            return std::nullopt;
    }
    if (numbers.isEmpty() || numbers.size() > 3 || (numbers.size() == 1 && half == 0))
        return std::nullopt;
    int hour = numbers.at(0);
    if (half != 0) {
        if (hour < 1 || hour > 12)
            return std::nullopt;
        hour = hour % 12 + (half == 2 ? 12 : 0);
    }
    const QTime t(hour, numbers.value(1, 0), numbers.value(2, 0));
    return t.isValid() ? std::optional(t) : std::nullopt;
}

std::optional<QDateTime> readDateTime(const QString& typed, const QLocale& locale)
{
    const QString text = typed.trimmed();
    const QDateTime iso = QDateTime::fromString(text, Qt::ISODate);
    if (iso.isValid())
        return QDateTime(iso.date(), iso.time());
    const QDateTime spaced = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (spaced.isValid())
        return spaced;
    if (const std::optional<QDate> d = readDate(text, locale))
        return QDateTime(*d, QTime(0, 0));
    // The date's words, then the time's.
    static const QRegularExpression blank(QStringLiteral("\\s+"));
    const QStringList words = text.split(blank, Qt::SkipEmptyParts);
    for (qsizetype cut = 1; cut < words.size(); ++cut) {
        const std::optional<QDate> d = readDate(words.mid(0, cut).join(QLatin1Char(' ')), locale);
        if (!d)
            continue;
        if (const std::optional<QTime> t = readTime(words.mid(cut).join(QLatin1Char(' ')), locale))
            return QDateTime(*d, *t);
    }
    return std::nullopt;
}

std::optional<double> readNumber(const QString& typed, const QLocale& locale)
{
    // Qt's own reader refuses some of its locales' numbers (a sign with a
    // direction mark, digits of another script): the text is brought to
    // ASCII digits and signs here, then read in the "." form.
    const auto plain = [](const QString& text) {
        QString out;
        for (const uint c : text.toUcs4()) {
            if (QChar::category(c) == QChar::Other_Format)
                continue;
            if (isDigit(c))
                out += QChar(u'0' + QChar::digitValue(char32_t(c)));
            else
                out += QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1);
        }
        return out.trimmed();
    };
    QString text = plain(typed);
    if (text.isEmpty())
        return std::nullopt;
    for (const auto& [sign, ascii] : {std::pair{plain(locale.negativeSign()), QStringLiteral("-")},
                                      std::pair{QStringLiteral("\u2212"), QStringLiteral("-")},
                                      std::pair{plain(locale.positiveSign()), QStringLiteral("+")}})
        if (!sign.isEmpty() && text.startsWith(sign))
            text = ascii + text.mid(sign.size());
    const QString decimal = plain(locale.decimalPoint());
    const QString group = plain(locale.groupSeparator());
    // A group sign is refused, never read one way here and another there:
    // under de_DE "25.500" is neither 25.5 nor 25500.
    if (!group.isEmpty() && group != decimal && text.contains(group))
        return std::nullopt;
    if (decimal != QLatin1String(".") && text.contains(decimal))
        text.replace(decimal, QLatin1String("."));
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double d = c.toDouble(text, &ok);
    if (!ok || !std::isfinite(d))
        return std::nullopt;
    return d;
}

}  // namespace LocaleText
