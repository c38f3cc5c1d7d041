#include "search/clsSearchCriteria.h"

#include "platform/AppError.h"

#include <algorithm>

void clsSearchCriteria::AddItem_p(const QString& fieldName, qint32 adoType)
{
    const QString key = fieldName.toLower();
    if (m_index.contains(key))
        throw AppError(ErrDuplicateKey,
                       QStringLiteral("This key is already associated with an element of this collection"));
    auto item = std::make_unique<clsSearchCriteriaItem>();
    item->Initialize_p(fieldName, adoType);
    m_index.insert(key, int(m_items.size()));
    m_items.push_back(std::move(item));
}

clsSearchCriteriaItem* clsSearchCriteria::Item_pobj(const QString& key) const
{
    const auto it = m_index.constFind(key.toLower());
    if (it == m_index.constEnd())
        throw AppError(ErrNo::InvalidCall, AppError::standardDescription(ErrNo::InvalidCall));
    return m_items[size_t(*it)].get();
}

qint32 clsSearchCriteria::ActiveCount_pl() const
{
    return qint32(std::count_if(m_items.begin(), m_items.end(),
                                [](const auto& item) { return !item->Comparison_ps().isEmpty(); }));
}

void clsSearchCriteria::Clear_p()
{
    for (auto& item : m_items)
        item->Reset_p();
}

QString clsSearchCriteria::WhereClause_ps(const ClauseShape& shape) const
{
    QString where;
    for (const auto& item : m_items) {
        if (item->Comparison_ps().isEmpty())
            continue;
        if (!where.isEmpty())
            where += QStringLiteral(" AND ");
        where += shape ? shape(*item, item->SQLClause_ps()) : item->SQLClause_ps();
    }
    return where;
}
