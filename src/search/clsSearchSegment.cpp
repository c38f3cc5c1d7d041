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
    "LEFT JOIN tblEvent on tblEvent.lEventID = COALESCE(tblSegment.lEventID, 1) ";

// The athlete's and the event's names are asked of their own tables: the
// segments with a row of a matching athlete, the segments of a matching
// event. That is the same test a join of every row would make, without
// touching the rows of other athletes. Where other conditions stand beside
// it, the "+" keeps such a condition from choosing how the segment table is
// read, so the segments come in the order those conditions give, as they did
// with the joins. Alone, the last name may pick the segments by their key:
// that is the order of a plain scan anyway. A segment stored without an event
// (a download's) shows and is found as the placeholder event, as the detail
// window shows it.
QString shapedClause(const clsSearchCriteriaItem& item, const QString& clause, bool alone)
{
    if (item.FieldName_ps().compare(QLatin1String("tblRoster.sLastName"), Qt::CaseInsensitive) == 0)
        return (alone ? QStringLiteral("(") : QStringLiteral("(+"))
            + QStringLiteral("tblSegment.lSegmentID IN (SELECT lSegmentID FROM tblSegmentDetail WHERE lRosterId IN "
                             "(SELECT lRosterID FROM tblRoster WHERE ")
            + clause + QStringLiteral(")))");
    if (item.FieldName_ps().compare(QLatin1String("tblEvent.sEvent"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("(+COALESCE(tblSegment.lEventID, 1) IN (SELECT lEventID FROM tblEvent WHERE ") + clause
            + QStringLiteral("))");
    return clause;
}
}  // namespace

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

void clsSearchSegment::ClearCriteria_p() { m_criteria.Clear_p(); }

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
        const bool alone = m_criteria.ActiveCount_pl() == 1;
        QString where = m_criteria.WhereClause_ps([alone](const clsSearchCriteriaItem& item, const QString& clause) {
            return shapedClause(item, clause, alone);
        });
        if (!where.isEmpty())
            where.prepend(QStringLiteral(" WHERE "));
        // No condition needs the rows joined any more, so there is one shape.
        return QLatin1String(SelectList) + QStringLiteral(" FROM ((") + QLatin1String(BaseJoins) + QStringLiteral("))")
            + where + m_orderBy;
    } catch (const AppError& e) {
        throw e.withSource(QStringLiteral("clsSearchSegment.CreateSearchString_ms"));
    }
}
