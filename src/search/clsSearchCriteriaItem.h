#pragma once

#include "platform/Value.h"

#include <QList>
#include <QString>

class clsAdoConnectJet;

// One condition of a search: a column, how its values are quoted, a
// comparison, an optional negation and the value (Empty, Null, a scalar or a
// list). It is active while it has a comparison.
class clsSearchCriteriaItem {
public:
    // The error numbers a collection and a property raise.
    static constexpr qint32 ErrSetNotPermitted = 387;

    clsSearchCriteriaItem() = default;

    bool Negate_pf() const { return m_negate; }
    void Negate_pf(bool on) { m_negate = on; }

    // The scalar value; Empty while a list is held.
    Value Value_pv() const { return m_isArray ? Value() : m_value; }
    void Value_pv(const Value& v);
    // A list value (Between, In, or "=" which takes its first element).
    void Value_pv(const QList<Value>& values);
    bool IsArray_pf() const { return m_isArray; }
    QList<Value> ValueArray_pv() const { return m_array; }

    // Once only: a second call raises 387 and changes nothing.
    void Initialize_p(const QString& fieldName, qint32 adoType);
    // Inactive again: no comparison, not negated, value Null.
    void Reset_p();
    qint32 ExpressionType_pl() const { return m_type; }
    QString FieldName_ps() const { return m_field; }

    QString Comparison_ps() const { return m_comparison; }
    // One of = > < >= <= <> Like Between In, any case; else 380 and the old one stays.
    void Comparison_ps(const QString& comparison);

    // The condition in parentheses; "" while inactive.
    QString SQLClause_ps() const;

    void SetCriteria_p(const QString& comparison, const Value& v);
    void SetCriteria_p(const QString& comparison, const QList<Value>& values);

    // Where the literals come from; by default the application's connection.
    void Quoting(const clsAdoConnectJet* connection) { m_quoting = connection; }

private:
    QString renderClause() const;
    const clsAdoConnectJet& quoting() const;

    QString m_field;
    qint32 m_type = 0;
    QString m_comparison;
    bool m_negate = false;
    Value m_value;  // Empty when new
    QList<Value> m_array;
    bool m_isArray = false;
    const clsAdoConnectJet* m_quoting = nullptr;
};
