#include "search/clsSearchCriteriaItem.h"

#include "app/clsThisApp.h"
#include "app/modapp.h"
#include "data/clsAdoConnectJet.h"
#include "platform/AppError.h"

#include <QStringList>

namespace {
const QStringList& comparisons()
{
    static const QStringList list{QStringLiteral("="),    QStringLiteral(">"),       QStringLiteral("<"),
                                  QStringLiteral(">="),   QStringLiteral("<="),      QStringLiteral("<>"),
                                  QStringLiteral("Like"), QStringLiteral("Between"), QStringLiteral("In")};
    return list;
}

bool is(const QString& comparison, const char* word)
{
    return comparison.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}
}  // namespace

void clsSearchCriteriaItem::Value_pv(const Value& v)
{
    m_value = v;
    m_array.clear();
    m_isArray = false;
}

void clsSearchCriteriaItem::Value_pv(const QList<Value>& values)
{
    m_value = Value();
    m_array = values;
    m_isArray = true;
}

void clsSearchCriteriaItem::Initialize_p(const QString& fieldName, qint32 adoType)
{
    if (!m_field.isEmpty())
        throw AppError(ErrSetNotPermitted, QStringLiteral("Can't set property"));
    m_field = fieldName;
    m_type = adoType;
}

void clsSearchCriteriaItem::Reset_p()
{
    m_comparison.clear();
    m_negate = false;
    Value_pv(Value::null());
}

void clsSearchCriteriaItem::Comparison_ps(const QString& comparison)
{
    for (const QString& c : comparisons())
        if (comparison.compare(c, Qt::CaseInsensitive) == 0) {
            m_comparison = comparison;
            return;
        }
    throw AppError(ErrNo::InvalidPropertyValue, AppError::standardDescription(ErrNo::InvalidPropertyValue));
}

void clsSearchCriteriaItem::SetCriteria_p(const QString& comparison, const Value& v)
{
    Comparison_ps(comparison);
    Value_pv(v);
}

void clsSearchCriteriaItem::SetCriteria_p(const QString& comparison, const QList<Value>& values)
{
    Comparison_ps(comparison);
    Value_pv(values);
}

const clsAdoConnectJet& clsSearchCriteriaItem::quoting() const
{
    if (m_quoting)
        return *m_quoting;
    if (clsThisApp* app = modapp::ThisApp())
        if (clsAdoConnectJet* ado = app->DatabaseAdo_Po())
            return *ado;
    // Quoting needs no open database; a search built before start-up still
    // gets the same literals.
    static const clsAdoConnectJet standalone;
    return standalone;
}

QString clsSearchCriteriaItem::SQLClause_ps() const
{
    try {
        return renderClause();
    } catch (const AppError& e) {
        throw e.withSource(QStringLiteral("clsSearchCriteriaItem.SQLClause_ps"));
    }
}

QString clsSearchCriteriaItem::renderClause() const
{
    if (m_comparison.isEmpty())
        return {};
    const clsAdoConnectJet& q = quoting();
    const QString notWord = m_negate ? QStringLiteral("NOT ") : QString();
    const auto element = [this](int i) -> Value {
        if (!m_isArray)
            throw AppError(ErrNo::TypeMismatch, AppError::standardDescription(ErrNo::TypeMismatch));
        if (i >= m_array.size())
            throw AppError(ErrNo::SubscriptOutOfRange, AppError::standardDescription(ErrNo::SubscriptOutOfRange));
        return m_array.at(i);
    };
    // "=" and "Like" take the first element of a list.
    const auto single = [&]() -> Value { return m_isArray ? element(0) : m_value; };

    if (is(m_comparison, "Like"))
        return QLatin1Char('(') + m_field + QLatin1Char(' ') + notWord + QStringLiteral("LIKE ")
            + q.SQLLikeString_ps(single(), m_type) + QLatin1Char(')');
    if (is(m_comparison, "Between"))
        return QLatin1Char('(') + m_field + QLatin1Char(' ') + notWord + QStringLiteral("BETWEEN ")
            + q.SQLString_ps(element(0), m_type) + QStringLiteral(" AND ") + q.SQLString_ps(element(1), m_type)
            + QLatin1Char(')');
    if (is(m_comparison, "In")) {
        if (!m_isArray)
            throw AppError(ErrNo::TypeMismatch, AppError::standardDescription(ErrNo::TypeMismatch));
        QStringList literals;
        for (const Value& v : m_array)
            literals << q.SQLString_ps(v, m_type);
        return QLatin1Char('(') + m_field + QLatin1Char(' ') + notWord + QStringLiteral("IN (")
            + literals.join(QStringLiteral(", ")) + QStringLiteral("))");
    }
    const QString clause = QLatin1Char('(') + m_field + QLatin1Char(' ') + m_comparison + QLatin1Char(' ')
        + q.SQLString_ps(single(), m_type) + QLatin1Char(')');
    return m_negate ? QStringLiteral("(NOT ") + clause + QLatin1Char(')') : clause;
}
