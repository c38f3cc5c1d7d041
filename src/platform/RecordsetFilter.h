#pragma once

#include "platform/Value.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>

class QCollator;

// The criteria and sort texts a record set accepts, parsed once and then
// evaluated against rows. Field names are resolved through a callback that
// answers -1 for an unknown name (which raises 3265).
namespace RecordsetExpr {

using FieldLookup = std::function<int(const QString& name)>;
using RowValue = std::function<const Value&(int column)>;

struct Node;

// "a = 1 AND (b LIKE 'T*' OR c <> 'x')": comparisons = <> < > <= >=,
// LIKE with * or % (any run) and ? or _ (one character), IS [NOT] NULL,
// AND, OR, NOT, parentheses; literals 'text', numbers, #dates#, NULL,
// TRUE/FALSE. A comparison with Null is never true. Text compares ignore case.
class Criteria {
public:
    Criteria(const QString& text, const FieldLookup& lookup);  // raises on a bad text
    ~Criteria();
    Criteria(Criteria&&) noexcept;
    Criteria& operator=(Criteria&&) noexcept;

    bool matches(const RowValue& row) const;

private:
    std::unique_ptr<Node> m_root;
};

struct SortKey {
    int column = -1;
    bool descending = false;
    bool nullsLast = false;  // Nulls and empty values after the others, whichever the direction
};

// "field [ASC|DESC] [NULLS FIRST|NULLS LAST], ..."; names may be in brackets.
// Raises 3265 for an unknown field.
QList<SortKey> parseSort(const QString& text, const FieldLookup& lookup);

// Ordering for Sort: Nulls first, numbers by value, dates by date, text
// as the locale orders it (TextOrder); kinds that cannot be compared order
// numbers < dates < text. A sort hands in TextOrder's collator, fetched once.
int compareForSort(const Value& a, const Value& b, const QCollator& text);

// LIKE matching with the wildcards above, ignoring case.
bool likeMatch(const QString& text, const QString& pattern);
// SQL's LIKE: only % and _ are wildcards, and an escape character (none when
// null) takes the next one literally; case is ignored for every letter.
bool sqlLikeMatch(const QString& text, const QString& pattern, QChar escape);

}  // namespace RecordsetExpr
