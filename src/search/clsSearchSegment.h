#pragma once

#include "search/clsSearchCriteria.h"

#include <QString>

// The query behind the segment list: thirteen criteria, one per searchable
// column, turned into the SELECT that lists one row per matching segment.
class clsSearchSegment {
public:
    clsSearchSegment();
    clsSearchSegment(const clsSearchSegment&) = delete;
    clsSearchSegment& operator=(const clsSearchSegment&) = delete;

    // Kept for the caller; the statement does not depend on it.
    void Initialize_p(const QString& connectString) { m_connectString = connectString; }

    clsSearchCriteriaItem* lSegmentID() const { return item("tblSegment.lSegmentID"); }
    clsSearchCriteriaItem* lSegmentTypeID() const { return item("tblSegment.lSegmentTypeID"); }
    clsSearchCriteriaItem* lEventID() const { return item("tblSegment.lEventID"); }
    clsSearchCriteriaItem* lCategoryID() const { return item("tblSegment.lCategoryID"); }
    clsSearchCriteriaItem* lRateTypeID() const { return item("tblSegment.lRateTypeID"); }
    clsSearchCriteriaItem* lSpeedTypeID() const { return item("tblSegment.lSpeedTypeID"); }
    clsSearchCriteriaItem* lDistanceTypeID() const { return item("tblSegment.lDistanceTypeID"); }
    clsSearchCriteriaItem* sSegmentLabel() const { return item("tblSegment.sSegmentLabel"); }
    clsSearchCriteriaItem* dtImportDate() const { return item("tblSegment.dtImportDate"); }
    clsSearchCriteriaItem* dtSegmentDate() const { return item("tblSegment.dtSegmentDate"); }
    clsSearchCriteriaItem* fReviewed() const { return item("tblSegment.fReviewed"); }
    clsSearchCriteriaItem* sEvent() const { return item("tblEvent.sEvent"); }
    clsSearchCriteriaItem* sLastName() const { return item("tblRoster.sLastName"); }

    void SetCriteria_p(const QString& fieldName, const QString& comparison, const Value& v);
    void ClearCriteria_p();
    QString GetSearchSqlString_ps() const;
    // Appended as given, so it carries its own leading blank and ORDER BY.
    void setOrderBy_p(const QString& orderBy) { m_orderBy = orderBy; }

    QString ConnectString_ps() const { return m_connectString; }
    clsSearchCriteria& Criteria() { return m_criteria; }

private:
    clsSearchCriteriaItem* item(const char* field) const { return m_criteria.Item_pobj(QLatin1String(field)); }
    QString CreateSearchString_ms() const;

    clsSearchCriteria m_criteria;
    QString m_connectString;
    QString m_orderBy;
};
