#include "support/RaisedBy.h"
#include "platform/AppError.h"
#include "search/clsSearchCriteria.h"
#include "search/clsSearchSegment.h"

#include <gtest/gtest.h>

namespace {

const QString Base = QStringLiteral(
    "SELECT DISTINCT tblSegment.lSegmentID, tblSegment.sSegmentLabel, tblEvent.sEvent, tblCategory.sCategory, "
    "tblSegmentType.sSegmentType, tblSegment.dtImportDate, tblSegment.dtSegmentDate, tblSegment.dtSegmentTime, "
    "tblSegment.fReviewed  FROM ((((tblSegment LEFT JOIN tblSegmentType ON tblSegment.lSegmentTypeId = "
    "tblSegmentType.lSegmentTypeID ) LEFT JOIN tblCategory on tblSegment.lCategoryID = tblCategory.lCategoryID ) "
    "LEFT JOIN tblEvent on tblEvent.lEventID = tblSegment.lEventID ");
const QString AthleteJoins = QStringLiteral(
    ") LEFT JOIN tblSegmentDetail on tblSegment.lSegmentID = tblSegmentDetail.lSegmentID ) LEFT JOIN tblRoster on "
    "tblSegmentDetail.lRosterID = tblRoster.lRosterID  ");
}

TEST(SearchCriteriaItem, RendersEachComparisonWithSQLiteLiterals)
{
    clsSearchCriteria set;
    set.AddItem_p(QStringLiteral("tblSegment.lSegmentID"), 131);
    set.AddItem_p(QStringLiteral("tblSegment.dtSegmentDate"), 7);
    set.AddItem_p(QStringLiteral("tblSegment.fReviewed"), 11);
    set.AddItem_p(QStringLiteral("tblRoster.sLastName"), 200);
    clsSearchCriteriaItem* id = set.Item_pobj(QStringLiteral("TBLSEGMENT.lsegmentid"));  // keys ignore case
    clsSearchCriteriaItem* date = set.Item_pobj(QStringLiteral("tblSegment.dtSegmentDate"));
    clsSearchCriteriaItem* flag = set.Item_pobj(QStringLiteral("tblSegment.fReviewed"));
    clsSearchCriteriaItem* name = set.Item_pobj(QStringLiteral("tblRoster.sLastName"));

    id->SetCriteria_p(QStringLiteral("="), QList<Value>{Value(7), Value(8)});
    EXPECT_EQ(id->SQLClause_ps(), QStringLiteral("(tblSegment.lSegmentID = 7)"));
    id->SetCriteria_p(QStringLiteral("In"), QList<Value>{Value(1), Value(2), Value(3)});
    EXPECT_EQ(id->SQLClause_ps(), QStringLiteral("(tblSegment.lSegmentID IN (1, 2, 3))"));
    id->Negate_pf(true);
    EXPECT_EQ(id->SQLClause_ps(), QStringLiteral("(tblSegment.lSegmentID NOT IN (1, 2, 3))"));
    id->SetCriteria_p(QStringLiteral("="), Value::null());
    EXPECT_EQ(id->SQLClause_ps(), QStringLiteral("(NOT (tblSegment.lSegmentID = NULL))"));

    date->SetCriteria_p(QStringLiteral("between"), QList<Value>{Value(QDate(2001, 3, 1)), Value(QDate(2001, 3, 31))});
    EXPECT_EQ(date->SQLClause_ps(), QStringLiteral("(tblSegment.dtSegmentDate BETWEEN '2001-03-01' AND '2001-03-31')"));
    flag->SetCriteria_p(QStringLiteral("="), Value(-1));
    flag->Negate_pf(true);
    EXPECT_EQ(flag->SQLClause_ps(), QStringLiteral("(NOT (tblSegment.fReviewed = -1))"));
    name->SetCriteria_p(QStringLiteral("like"), Value(QStringLiteral("*ann*")));
    EXPECT_EQ(name->Comparison_ps(), QStringLiteral("like"));
    name->Negate_pf(true);
    EXPECT_EQ(name->SQLClause_ps(), QStringLiteral("(tblRoster.sLastName NOT LIKE '%ann%' ESCAPE '\\')"));
    name->SetCriteria_p(QStringLiteral("Like"), Value(QStringLiteral("O'B_%|")));
    EXPECT_EQ(name->SQLClause_ps(), QStringLiteral("(tblRoster.sLastName NOT LIKE 'O''B\\_\\%|' ESCAPE '\\')"));

    // Joined in insertion order, whatever order they were set in.
    name->Negate_pf(false);
    date->Reset_p();
    flag->Reset_p();
    EXPECT_EQ(set.WhereClause_ps(), QStringLiteral("(NOT (tblSegment.lSegmentID = NULL)) AND "
                                                   "(tblRoster.sLastName LIKE 'O''B\\_\\%|' ESCAPE '\\')"));
    set.Clear_p();
    EXPECT_EQ(set.WhereClause_ps(), QString());
    EXPECT_TRUE(id->Value_pv().isNull());
    EXPECT_FALSE(id->Negate_pf());
}

TEST(SearchCriteriaItem, RefusesBadComparisonsSecondInitializeAndUnrenderableValues)
{
    clsSearchCriteriaItem item;
    EXPECT_TRUE(item.Value_pv().isEmpty());
    item.Initialize_p(QStringLiteral("tblSegment.lSegmentID"), 131);
    EXPECT_EQ(raisedBy([&] { item.Initialize_p(QStringLiteral("x"), 200); }).number(), 387);
    EXPECT_EQ(item.FieldName_ps(), QStringLiteral("tblSegment.lSegmentID"));
    item.Comparison_ps(QStringLiteral(">="));
    EXPECT_EQ(raisedBy([&] { item.Comparison_ps(QString()); }).number(), 380);
    EXPECT_EQ(raisedBy([&] { item.SetCriteria_p(QStringLiteral("Contains"), Value(5)); }).number(), 380);
    EXPECT_EQ(item.Comparison_ps(), QStringLiteral(">="));
    EXPECT_TRUE(item.Value_pv().isEmpty());  // the rejected value was not stored

    item.SetCriteria_p(QStringLiteral("Like"), Value(5));  // numbers have no LIKE form
    const AppError like = raisedBy([&] { item.SQLClause_ps(); });
    EXPECT_EQ(like.number(), 380);
    EXPECT_EQ(like.source(), QStringLiteral("clsSearchCriteriaItem.SQLClause_ps"));
    item.SetCriteria_p(QStringLiteral("Between"), QList<Value>{Value(1)});
    EXPECT_EQ(raisedBy([&] { item.SQLClause_ps(); }).number(), 9);
    item.SetCriteria_p(QStringLiteral("In"), Value(1));
    EXPECT_EQ(raisedBy([&] { item.SQLClause_ps(); }).number(), 13);

    clsSearchCriteria set;
    set.AddItem_p(QStringLiteral("a.b"), 131);
    EXPECT_EQ(raisedBy([&] { set.AddItem_p(QStringLiteral("A.B"), 131); }).number(), 457);
    EXPECT_EQ(raisedBy([&] { set.Item_pobj(QStringLiteral("c")); }).number(), 5);
    EXPECT_EQ(set.Count_pl(), 1);
}

TEST(SearchSegment, BuildsBothStatementShapes)
{
    clsSearchSegment fresh;
    EXPECT_EQ(fresh.GetSearchSqlString_ps(), Base + QStringLiteral("))"));

    clsSearchSegment byName;
    byName.sLastName()->SetCriteria_p(QStringLiteral("Like"), Value(QStringLiteral("*ann*")));
    EXPECT_EQ(byName.GetSearchSqlString_ps(),
              Base + AthleteJoins + QStringLiteral(" WHERE (tblRoster.sLastName LIKE '%ann%' ESCAPE '\\')"));

    // Cleared criteria hold Null, not Empty: the rows are joined all the same.
    clsSearchSegment cleared;
    cleared.ClearCriteria_p();
    cleared.lSegmentID()->SetCriteria_p(QStringLiteral("="), Value::null());
    EXPECT_EQ(cleared.GetSearchSqlString_ps(), Base + AthleteJoins + QStringLiteral(" WHERE (tblSegment.lSegmentID = NULL)"));

    clsSearchSegment two;
    two.SetCriteria_p(QStringLiteral("tblEvent.sEvent"), QStringLiteral("Like"), Value(QStringLiteral("*reg*")));
    two.dtImportDate()->SetCriteria_p(QStringLiteral("="), Value(QDate(2001, 3, 1)));
    two.setOrderBy_p(QStringLiteral(" ORDER BY tblSegment.lSegmentID"));
    EXPECT_EQ(two.GetSearchSqlString_ps(),
              Base + QStringLiteral("))") + QStringLiteral(" WHERE (tblSegment.dtImportDate = '2001-03-01') AND "
                                                          "(tblEvent.sEvent LIKE '%reg%' ESCAPE '\\') ORDER BY tblSegment.lSegmentID"));
    EXPECT_EQ(raisedBy([&] { two.SetCriteria_p(QStringLiteral("tblSegment.nothing"), QStringLiteral("="), Value(1)); }).number(), 5);
}
