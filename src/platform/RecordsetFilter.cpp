#include "platform/RecordsetFilter.h"

#include "platform/AppError.h"
#include "platform/LocaleText.h"
#include "platform/TextOrder.h"

#include <QCollator>
#include <QDateTime>
#include <QRegularExpression>

#include <cmath>
#include <optional>
#include <vector>

namespace RecordsetExpr {

namespace {

constexpr qint32 BadArguments = 3001;

[[noreturn]] void badCriteria(const QString& text, const QString& why)
{
    throw AppError(BadArguments,
                   QStringLiteral("Arguments are of the wrong type, are out of acceptable range, or are in conflict "
                                  "with one another. (%1 in \"%2\")")
                       .arg(why, text));
}

[[noreturn]] void unknownField(const QString& name)
{
    throw AppError(ErrNo::ItemNotFound,
                   QStringLiteral("Item cannot be found in the collection corresponding to the requested name or "
                                  "ordinal. (%1)")
                       .arg(name));
}

enum class Tok { End, Name, Text, Number, Date, Op, LParen, RParen, Comma };

struct Token {
    Tok kind = Tok::End;
    QString text;  // identifier, operator, or literal text
    double number = 0;
};

std::vector<Token> tokenize(const QString& s)
{
    std::vector<Token> out;
    int i = 0;
    const int n = s.size();
    while (i < n) {
        const QChar c = s.at(i);
        if (c.isSpace()) {
            ++i;
            continue;
        }
        if (c == QLatin1Char('(')) {
            out.push_back({Tok::LParen, QStringLiteral("("), 0});
            ++i;
        } else if (c == QLatin1Char(')')) {
            out.push_back({Tok::RParen, QStringLiteral(")"), 0});
            ++i;
        } else if (c == QLatin1Char(',')) {
            out.push_back({Tok::Comma, QStringLiteral(","), 0});
            ++i;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // Quotes inside are doubled, as the program's quoting writes them.
            QString lit;
            ++i;
            bool closed = false;
            while (i < n) {
                if (s.at(i) == c) {
                    if (i + 1 < n && s.at(i + 1) == c) {
                        lit.append(c);
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                lit.append(s.at(i++));
            }
            if (!closed)
                badCriteria(s, QStringLiteral("unterminated text"));
            out.push_back({Tok::Text, lit, 0});
        } else if (c == QLatin1Char('#')) {
            const int close = s.indexOf(QLatin1Char('#'), i + 1);
            if (close < 0)
                badCriteria(s, QStringLiteral("unterminated date"));
            out.push_back({Tok::Date, s.mid(i + 1, close - i - 1).trimmed(), 0});
            i = close + 1;
        } else if (c == QLatin1Char('[')) {
            const int close = s.indexOf(QLatin1Char(']'), i + 1);
            if (close < 0)
                badCriteria(s, QStringLiteral("unterminated name"));
            out.push_back({Tok::Name, s.mid(i + 1, close - i - 1), 0});
            i = close + 1;
        } else if (c == QLatin1Char('<') || c == QLatin1Char('>') || c == QLatin1Char('=') || c == QLatin1Char('!')) {
            QString op(c);
            if (i + 1 < n
                && (s.at(i + 1) == QLatin1Char('=') || (c == QLatin1Char('<') && s.at(i + 1) == QLatin1Char('>'))))
                op.append(s.at(++i));
            if (op == QLatin1String("!"))
                badCriteria(s, QStringLiteral("unexpected '!'"));
            if (op == QLatin1String("!="))
                op = QStringLiteral("<>");
            if (op == QLatin1String("=="))
                op = QStringLiteral("=");
            out.push_back({Tok::Op, op, 0});
            ++i;
        } else if (c.isDigit() || c == QLatin1Char('.')
                   || ((c == QLatin1Char('-') || c == QLatin1Char('+')) && i + 1 < n
                       && (s.at(i + 1).isDigit() || s.at(i + 1) == QLatin1Char('.')))) {
            int j = i + 1;
            while (j < n && (s.at(j).isDigit() || s.at(j) == QLatin1Char('.')))
                ++j;
            if (j < n && (s.at(j) == QLatin1Char('e') || s.at(j) == QLatin1Char('E'))) {
                int k = j + 1;
                if (k < n && (s.at(k) == QLatin1Char('-') || s.at(k) == QLatin1Char('+')))
                    ++k;
                if (k < n && s.at(k).isDigit()) {
                    j = k;
                    while (j < n && s.at(j).isDigit())
                        ++j;
                }
            }
            bool ok = false;
            const QString numText = s.mid(i, j - i);
            const double d = numText.toDouble(&ok);  // always "." whatever the locale
            if (!ok)
                badCriteria(s, QStringLiteral("bad number '%1'").arg(numText));
            out.push_back({Tok::Number, numText, d});
            i = j;
        } else if (c.isLetter() || c == QLatin1Char('_')) {
            int j = i + 1;
            while (j < n && (s.at(j).isLetterOrNumber() || s.at(j) == QLatin1Char('_') || s.at(j) == QLatin1Char('.')))
                ++j;
            out.push_back({Tok::Name, s.mid(i, j - i), 0});
            i = j;
        } else {
            badCriteria(s, QStringLiteral("unexpected '%1'").arg(c));
        }
    }
    out.push_back({Tok::End, QString(), 0});
    return out;
}

bool isKeyword(const Token& t, const char* word)
{
    return t.kind == Tok::Name && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

QDate parseDateLiteral(const QString& t, QTime* time)
{
    *time = QTime();
    QDateTime dt = QDateTime::fromString(t, Qt::ISODate);
    if (!dt.isValid())
        dt = QDateTime::fromString(t, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (dt.isValid()) {
        *time = dt.time();
        return dt.date();
    }
    QDate d = QDate::fromString(t, Qt::ISODate);
    if (!d.isValid()) {
        // Date literals between # are month first, as the query language reads them.
        const QString datePart = t.section(QLatin1Char(' '), 0, 0);
        d = QDate::fromString(datePart, QStringLiteral("M/d/yyyy"));
        if (d.isValid() && t.contains(QLatin1Char(' ')))
            *time = Value(t.section(QLatin1Char(' '), 1)).toTime();
    }
    // Otherwise the user's own text, read as typed text is.
    if (!d.isValid())
        d = LocaleText::readDate(t).value_or(QDate());
    return d;
}

bool isNumberKind(Value::Kind k)
{
    return k == Value::Kind::Long || k == Value::Kind::Double || k == Value::Kind::Boolean;
}

double numberOf(const Value& v)
{
    switch (v.kind()) {
    case Value::Kind::Long: return v.toLong();
    case Value::Kind::Boolean: return v.toBool() ? -1 : 0;
    default: return v.toDouble();
    }
}

std::optional<QDateTime> dateTimeOf(const Value& v)
{
    switch (v.kind()) {
    case Value::Kind::Date: return QDateTime(v.toDate(), QTime(0, 0));
    case Value::Kind::Time: return QDateTime(QDate(1899, 12, 30), v.toTime());
    case Value::Kind::DateTime: return v.toDateTime();
    case Value::Kind::Text: {
        QTime t;
        const QDate d = parseDateLiteral(v.toText().trimmed(), &t);
        if (d.isValid())
            return QDateTime(d, t.isValid() ? t : QTime(0, 0));
        const QTime tm = QTime::fromString(v.toText().trimmed(), QStringLiteral("HH:mm:ss"));
        if (tm.isValid())
            return QDateTime(QDate(1899, 12, 30), tm);
        return std::nullopt;
    }
    default: return std::nullopt;
    }
}

int sign(double d) { return d < 0 ? -1 : (d > 0 ? 1 : 0); }

// Compares a field's value with a literal; nullopt when they cannot be compared.
std::optional<int> compareValues(const Value& field, const Value& lit)
{
    const Value::Kind fk = field.kind();
    const Value::Kind lk = lit.kind();
    if (isNumberKind(fk) || isNumberKind(lk)) {
        if ((isNumberKind(fk) || field.isNumeric()) && (isNumberKind(lk) || lit.isNumeric()))
            return sign(numberOf(field) - numberOf(lit));
        if (fk == Value::Kind::Text || lk == Value::Kind::Text)
            return TextOrder::compare(field.asText(), lit.asText());
        return std::nullopt;
    }
    if (field.isDateLike() || lit.isDateLike()) {
        const auto a = dateTimeOf(field);
        const auto b = dateTimeOf(lit);
        if (!a || !b)
            return std::nullopt;
        // A date compared with a time compares only what both have.
        if (fk == Value::Kind::Time || lk == Value::Kind::Time)
            return sign(double(a->time().msecsTo(b->time())) * -1.0);
        if (fk == Value::Kind::Date || lk == Value::Kind::Date)
            return sign(double(b->date().daysTo(a->date())));
        return sign(double(b->msecsTo(*a)));
    }
    return TextOrder::compare(field.asText(), lit.asText());
}

// One element of a LIKE pattern: a character, any one character, or any run.
struct LikeAtom {
    enum Kind { Char, One, Any } kind;
    QChar c;
};

// The pattern case-folded and read once: an escaped character is literal, an
// escape at the very end stands for itself, runs of stars count as one. SQL's
// own LIKE knows only % and _.
std::vector<LikeAtom> likeAtoms(const QString& pattern, QChar escape, bool sqlWildcards = false)
{
    const QString p = pattern.toCaseFolded();
    std::vector<LikeAtom> atoms;
    atoms.reserve(size_t(p.size()));
    for (qsizetype i = 0; i < p.size(); ++i) {
        const QChar c = p.at(i);
        if (!escape.isNull() && c == escape && i + 1 < p.size())
            atoms.push_back({LikeAtom::Char, p.at(++i)});
        else if (c == QLatin1Char('%') || (!sqlWildcards && c == QLatin1Char('*'))) {
            if (atoms.empty() || atoms.back().kind != LikeAtom::Any)
                atoms.push_back({LikeAtom::Any, c});
        } else if (c == QLatin1Char('_') || (!sqlWildcards && c == QLatin1Char('?')))
            atoms.push_back({LikeAtom::One, c});
        else
            atoms.push_back({LikeAtom::Char, c});
    }
    return atoms;
}

// The greedy two-pointer match: on a mismatch only the last star takes one
// more character, so no choice is ever tried twice (time |text| x |pattern|
// at worst, never exponential).
bool likeMatchAtoms(const QString& text, const std::vector<LikeAtom>& atoms)
{
    const QString t = text.toCaseFolded();
    const size_t n = atoms.size();
    size_t a = 0;
    size_t star = n;  // the last star seen; n: none yet
    qsizetype ti = 0, starText = 0;
    while (ti < t.size()) {
        if (a < n && atoms[a].kind == LikeAtom::Any) {
            star = a++;
            starText = ti;
        } else if (a < n && (atoms[a].kind == LikeAtom::One || atoms[a].c == t.at(ti))) {
            ++a;
            ++ti;
        } else if (star < n) {
            a = star + 1;
            ti = ++starText;
        } else {
            return false;
        }
    }
    while (a < n && atoms[a].kind == LikeAtom::Any)
        ++a;
    return a == n;
}

}  // namespace

struct Node {
    enum class Type { Or, And, Not, Compare, Like, IsNull, IsNotNull, Never };
    Type type = Type::Never;
    std::unique_ptr<Node> left, right;
    int column = -1;
    QString op;
    Value literal;
    std::vector<LikeAtom> pattern;
};

namespace {

class Parser {
public:
    Parser(const QString& text, const FieldLookup& lookup) : m_text(text), m_lookup(lookup), m_toks(tokenize(text)) {}

    std::unique_ptr<Node> parseAll()
    {
        auto n = parseOr();
        if (peek().kind != Tok::End)
            badCriteria(m_text, QStringLiteral("unexpected '%1'").arg(peek().text));
        return n;
    }

private:
    const Token& peek() const { return m_toks[m_i]; }
    const Token& take() { return m_toks[m_i < m_toks.size() - 1 ? m_i++ : m_i]; }

    std::unique_ptr<Node> parseOr()
    {
        auto left = parseAnd();
        while (isKeyword(peek(), "OR")) {
            take();
            auto n = std::make_unique<Node>();
            n->type = Node::Type::Or;
            n->left = std::move(left);
            n->right = parseAnd();
            left = std::move(n);
        }
        return left;
    }

    std::unique_ptr<Node> parseAnd()
    {
        auto left = parseUnary();
        while (isKeyword(peek(), "AND")) {
            take();
            auto n = std::make_unique<Node>();
            n->type = Node::Type::And;
            n->left = std::move(left);
            n->right = parseUnary();
            left = std::move(n);
        }
        return left;
    }

    std::unique_ptr<Node> parseUnary()
    {
        if (isKeyword(peek(), "NOT")) {
            take();
            auto n = std::make_unique<Node>();
            n->type = Node::Type::Not;
            n->left = parseUnary();
            return n;
        }
        if (peek().kind == Tok::LParen) {
            take();
            auto n = parseOr();
            if (peek().kind != Tok::RParen)
                badCriteria(m_text, QStringLiteral("missing ')'"));
            take();
            return n;
        }
        return parseComparison();
    }

    Value parseLiteral()
    {
        const Token t = take();
        switch (t.kind) {
        case Tok::Text: return Value(t.text);
        case Tok::Number: {
            const double d = t.number;
            if (d == std::floor(d) && std::abs(d) <= 2147483647.0)
                return Value(qint32(d));
            return Value(d);
        }
        case Tok::Date: {
            QTime time;
            const QDate d = parseDateLiteral(t.text, &time);
            if (!d.isValid()) {
                const QTime only = QTime::fromString(t.text, QStringLiteral("HH:mm:ss"));
                if (only.isValid())
                    return Value(only);
                badCriteria(m_text, QStringLiteral("bad date '%1'").arg(t.text));
            }
            if (time.isValid() && time != QTime(0, 0))
                return Value(QDateTime(d, time));
            return Value(d);
        }
        case Tok::Name:
            if (t.text.compare(QLatin1String("NULL"), Qt::CaseInsensitive) == 0)
                return Value::null();
            if (t.text.compare(QLatin1String("TRUE"), Qt::CaseInsensitive) == 0)
                return Value(true);
            if (t.text.compare(QLatin1String("FALSE"), Qt::CaseInsensitive) == 0)
                return Value(false);
            break;
        default: break;
        }
        badCriteria(m_text, QStringLiteral("a value was expected"));
    }

    std::unique_ptr<Node> parseComparison()
    {
        const Token nameTok = take();
        if (nameTok.kind != Tok::Name)
            badCriteria(m_text, QStringLiteral("a field name was expected"));
        const int column = m_lookup(nameTok.text);
        if (column < 0)
            unknownField(nameTok.text);
        auto n = std::make_unique<Node>();
        n->column = column;
        if (isKeyword(peek(), "IS")) {
            take();
            bool negate = false;
            if (isKeyword(peek(), "NOT")) {
                take();
                negate = true;
            }
            if (!isKeyword(peek(), "NULL"))
                badCriteria(m_text, QStringLiteral("NULL expected after IS"));
            take();
            n->type = negate ? Node::Type::IsNotNull : Node::Type::IsNull;
            return n;
        }
        bool notLike = false;
        if (isKeyword(peek(), "NOT")) {
            take();
            notLike = true;
            if (!isKeyword(peek(), "LIKE"))
                badCriteria(m_text, QStringLiteral("LIKE expected after NOT"));
        }
        if (isKeyword(peek(), "LIKE")) {
            take();
            const Value lit = parseLiteral();
            n->type = Node::Type::Like;
            n->literal = lit;
            QChar escape;
            if (isKeyword(peek(), "ESCAPE")) {
                take();
                const QString esc = parseLiteral().asText();
                if (!esc.isEmpty())
                    escape = esc.at(0);
            }
            n->pattern = likeAtoms(lit.asText(), escape.toCaseFolded());
            if (notLike) {
                auto outer = std::make_unique<Node>();
                outer->type = Node::Type::Not;
                outer->left = std::move(n);
                return outer;
            }
            return n;
        }
        if (peek().kind != Tok::Op)
            badCriteria(m_text, QStringLiteral("a comparison was expected after '%1'").arg(nameTok.text));
        n->type = Node::Type::Compare;
        n->op = take().text;
        n->literal = parseLiteral();
        return n;
    }

    QString m_text;
    const FieldLookup& m_lookup;
    std::vector<Token> m_toks;
    size_t m_i = 0;
};

bool evaluate(const Node& n, const RowValue& row)
{
    switch (n.type) {
    case Node::Type::Or: return evaluate(*n.left, row) || evaluate(*n.right, row);
    case Node::Type::And: return evaluate(*n.left, row) && evaluate(*n.right, row);
    case Node::Type::Not: return !evaluate(*n.left, row);
    case Node::Type::IsNull: return row(n.column).isNullOrEmpty();
    case Node::Type::IsNotNull: return !row(n.column).isNullOrEmpty();
    case Node::Type::Never: return false;
    case Node::Type::Like: {
        const Value& v = row(n.column);
        if (v.isNullOrEmpty() || n.literal.isNullOrEmpty())
            return false;
        return likeMatchAtoms(v.asText(), n.pattern);
    }
    case Node::Type::Compare: {
        const Value& v = row(n.column);
        // "= NULL" matches nothing, like any comparison with Null.
        if (v.isNullOrEmpty() || n.literal.isNullOrEmpty())
            return false;
        std::optional<int> c;
        try {
            c = compareValues(v, n.literal);
        } catch (const AppError&) {
            return false;
        }
        if (!c)
            return false;
        if (n.op == QLatin1String("="))
            return *c == 0;
        if (n.op == QLatin1String("<>"))
            return *c != 0;
        if (n.op == QLatin1String("<"))
            return *c < 0;
        if (n.op == QLatin1String(">"))
            return *c > 0;
        if (n.op == QLatin1String("<="))
            return *c <= 0;
        if (n.op == QLatin1String(">="))
            return *c >= 0;
        return false;
    }
    }
    return false;
}

}  // namespace

Criteria::Criteria(const QString& text, const FieldLookup& lookup)
{
    Parser p(text, lookup);
    m_root = p.parseAll();
}

Criteria::~Criteria() = default;
Criteria::Criteria(Criteria&&) noexcept = default;
Criteria& Criteria::operator=(Criteria&&) noexcept = default;

bool Criteria::matches(const RowValue& row) const { return m_root && evaluate(*m_root, row); }

bool likeMatch(const QString& text, const QString& pattern)
{
    return likeMatchAtoms(text, likeAtoms(pattern, QChar()));
}

bool sqlLikeMatch(const QString& text, const QString& pattern, QChar escape)
{
    // As SQLite has it, an escape with nothing after it matches nothing.
    if (!escape.isNull()) {
        qsizetype run = 0;
        for (qsizetype i = pattern.size() - 1; i >= 0 && pattern.at(i) == escape; --i)
            ++run;
        if (run % 2 == 1)
            return false;
    }
    return likeMatchAtoms(text, likeAtoms(pattern, escape.toCaseFolded(), true));
}

QList<SortKey> parseSort(const QString& text, const FieldLookup& lookup)
{
    QList<SortKey> keys;
    const QStringList parts = text.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (QString part : parts) {
        part = part.trimmed();
        if (part.isEmpty())
            continue;
        SortKey key;
        static const QRegularExpression nulls(QStringLiteral("\\s+NULLS\\s+(FIRST|LAST)$"),
                                              QRegularExpression::CaseInsensitiveOption);
        if (const QRegularExpressionMatch m = nulls.match(part); m.hasMatch()) {
            key.nullsLast = m.captured(1).compare(QLatin1String("LAST"), Qt::CaseInsensitive) == 0;
            part = part.left(m.capturedStart()).trimmed();
        }
        QString name = part;
        const int blank = part.lastIndexOf(QLatin1Char(' '));
        if (blank > 0 && !part.endsWith(QLatin1Char(']'))) {
            const QString dir = part.mid(blank + 1);
            if (dir.compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0) {
                key.descending = true;
                name = part.left(blank).trimmed();
            } else if (dir.compare(QLatin1String("ASC"), Qt::CaseInsensitive) == 0) {
                name = part.left(blank).trimmed();
            }
        }
        if (name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']')))
            name = name.mid(1, name.size() - 2);
        key.column = lookup(name);
        if (key.column < 0)
            unknownField(name);
        keys.append(key);
    }
    return keys;
}

int compareForSort(const Value& a, const Value& b, const QCollator& text)
{
    const bool an = a.isNullOrEmpty();
    const bool bn = b.isNullOrEmpty();
    if (an || bn)
        return an == bn ? 0 : (an ? -1 : 1);
    auto rank = [](const Value& v) {
        if (isNumberKind(v.kind()))
            return 0;
        if (v.isDateLike())
            return 1;
        return 2;
    };
    const int ra = rank(a);
    const int rb = rank(b);
    if (ra != rb)
        return ra < rb ? -1 : 1;
    if (ra == 0) {
        if (a.kind() == Value::Kind::Long && b.kind() == Value::Kind::Long) {
            const qint32 x = a.toLong(), y = b.toLong();
            return x < y ? -1 : (x > y ? 1 : 0);
        }
        return sign(numberOf(a) - numberOf(b));
    }
    if (ra == 1)  // as numbers: a day and its fraction, no date-time with a zone to build
        return sign(a.toDouble() - b.toDouble());
    return TextOrder::compare(text, a.toText(), b.toText());
}

}  // namespace RecordsetExpr
