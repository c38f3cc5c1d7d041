#pragma once

#include "search/clsSearchCriteriaItem.h"

#include <QHash>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

// The conditions of one query in the order they were added, each keyed by its
// column (keys compare without regard to case); the active ones make the
// body of the WHERE clause.
class clsSearchCriteria {
public:
    static constexpr qint32 ErrDuplicateKey = 457;

    clsSearchCriteria() = default;
    clsSearchCriteria(const clsSearchCriteria&) = delete;
    clsSearchCriteria& operator=(const clsSearchCriteria&) = delete;

    // A second item for the same column raises 457.
    void AddItem_p(const QString& fieldName, qint32 adoType);
    qint32 Count_pl() const { return qint32(m_items.size()); }
    // How many have a comparison, that is, take part in the WHERE clause.
    qint32 ActiveCount_pl() const;
    // 5 when no item has the key.
    clsSearchCriteriaItem* Item_pobj(const QString& key) const;
    // Every item inactive again; the items stay.
    void Clear_p();
    // The active conditions joined by " AND ", without WHERE; "" when none.
    QString WhereClause_ps() const { return WhereClause_ps({}); }
    // The same, each condition first handed to `shape` with its criterion,
    // which returns the condition to use in its place.
    using ClauseShape = std::function<QString(const clsSearchCriteriaItem& item, const QString& clause)>;
    QString WhereClause_ps(const ClauseShape& shape) const;

private:
    std::vector<std::unique_ptr<clsSearchCriteriaItem>> m_items;
    QHash<QString, int> m_index;  // lower-cased key -> position
};
