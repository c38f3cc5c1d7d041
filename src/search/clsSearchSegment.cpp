#include "search/clsSearchSegment.h"

#include "data/clsAdoConnectJet.h"
#include "platform/AppError.h"

namespace {
const char* const SelectList =
    "SELECT DISTINCT tblSegment.lSegmentID, tblSegment.sSegmentLabel, tblEvent.sEvent, tblCategory.sCategory, "
    "tblSegmentType.sSegmentType, tblSegment.dtImportDate, tblSegment.dtSegmentDate, tblSegment.dtSegmentTime, "
    "tblSegment.fReviewed ";
const char* const BaseJoins =
    "((tblSegment LEFT JOIN tblSegmentType ON tblSegment.lSegmentTypeId = tblSegmentType.lSegmentTypeID ) "
    "LEFT JOIN tblCategory on tblSegment.lCategoryID = tblCategory.lCategoryID ) "
    "LEFT JOIN tblEvent on tblEvent.lEventID = tblSegment.lEventID ";
const char* const RowJoin = "LEFT JOIN tblSegmentDetail on tblSegment.lSegmentID = tblSegmentDetail.lSegmentID ";
const char* const AthleteJoin = "LEFT JOIN tblRoster on tblSegmentDetail.lRosterID = tblRoster.lRosterID  ";
}

clsSearchSegment::clsSearchSegment()
{
    using A = clsAdoConnectJet;
    m_criteria.AddItem_p(QStringLiteral("tblSegment.lSegmentID"), A::adNumeric);
    m_criteria.AddItem_p(QStringLiteral("tblSegment.lSegmentTypeID"), A::adNumeric);
    m_criteria.AddItem_p(QStringLiteral("tblSegment.lEventID"), A::adNumeric);
    m_criteria.AddItem_p(QStringLiteral("tblSegment.lCategoryID"), A::adNumeric);
    m_criteria.AddItem_p(QStringLiteral("tblSegment.lRateTypeID"), A::adNumeric);
    m_criteria.AddItem_p(QStringLiteral("tblSegment.lSpeedTypeID"), A::adNumeric);
    m_criteria.AddItem_p(QStringLiteral("tblSegment.lDistanceTypeID"), A::adNumeric);
    m_criteria.AddItem_p(QStringLiteral("tblSegment.sSegmentLabel"), A::adVarChar);
    m_criteria.AddItem_p(QStringLiteral("tblSegment.dtImportDate"), A::adDate);
    m_criteria.AddItem_p(QStringLiteral("tblSegment.dtSegmentDate"), A::adDate);
    m_criteria.AddItem_p(QStringLiteral("tblSegment.fReviewed"), A::adBoolean);
    m_criteria.AddItem_p(QStringLiteral("tblRoster.sLastName"), A::adVarChar);
    m_criteria.AddItem_p(QStringLiteral("tblEvent.sEvent"), A::adVarChar);
}

void clsSearchSegment::SetCriteria_p(const QString& fieldName, const QString& comparison, const Value& v)
{
    m_criteria.Item_pobj(fieldName)->SetCriteria_p(comparison, v);
}

void clsSearchSegment::ClearCriteria_p()
{
    m_criteria.Clear_p();
}

QString clsSearchSegment::GetSearchSqlString_ps() const
{
    try {
        return CreateSearchString_ms();
    } catch (const AppError& e) {
        throw e.withSource(QStringLiteral("clsSearchSegment.GetSearchSqlString_ps"));
    }
}

QString clsSearchSegment::CreateSearchString_ms() const
{
    try {
        QString where = m_criteria.WhereClause_ps();
        if (!where.isEmpty())
            where.prepend(QStringLiteral(" WHERE "));
        int open = 2;
        QString sql = QLatin1String(SelectList) + QStringLiteral(" FROM ") + QString(open, QLatin1Char('('))
                      + QLatin1String(BaseJoins);
        // Empty, not "inactive": after ClearCriteria_p the value is Null and
        // the rows are joined although nothing filters on them.
        if (!sLastName()->Value_pv().isEmpty() || sLastName()->IsArray_pf()) {
            sql += QStringLiteral(") ") + QLatin1String(RowJoin) + QStringLiteral(") ") + QLatin1String(AthleteJoin);
            open -= 2;
        }
        sql += QString(open, QLatin1Char(')'));
        return sql + where + m_orderBy;
    } catch (const AppError& e) {
        throw e.withSource(QStringLiteral("clsSearchSegment.CreateSearchString_ms"));
    }
}
