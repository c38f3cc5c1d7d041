#include "SearchFixture.h"
#include "platform/AppError.h"
#include "platform/Connection.h"
#include "platform/Recordset.h"
#include "search/clsSearchCriteria.h"
#include "search/clsSearchSegment.h"
#include "support/RaisedBy.h"

#include <functional>

#include <gtest/gtest.h>

namespace {

const QString Base = QStringLiteral(
    "SELECT DISTINCT tblSegment.lSegmentID, tblSegment.sSegmentLabel, tblEvent.sEvent, tblCategory.sCategory, "
    "tblSegmentType.sSegmentType, tblSegment.dtImportDate, tblSegment.dtSegmentDate, tblSegment.dtSegmentTime, "
    "tblSegment.fReviewed  FROM ((((tblSegment LEFT JOIN tblSegmentType ON tblSegment.lSegmentTypeId = "
    "tblSegmentType.lSegmentTypeID ) LEFT JOIN tblCategory on tblSegment.lCategoryID = tblCategory.lCategoryID ) "
    "LEFT JOIN tblEvent on tblEvent.lEventID = COALESCE(tblSegment.lEventID, 1) ");
const QString AthleteJoins = QStringLiteral(
    ") LEFT JOIN tblSegmentDetail on tblSegment.lSegmentID = tblSegmentDetail.lSegmentID ) LEFT JOIN tblRoster on "
    "tblSegmentDetail.lRosterID = tblRoster.lRosterID  ");
}  // namespace

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
    EXPECT_EQ(set.WhereClause_ps(),
              QStringLiteral("(NOT (tblSegment.lSegmentID = NULL)) AND "
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

TEST(SearchSegment, AsksNameConditionsOfTheirOwnTablesAndNeverJoinsTheRows)
{
    clsSearchSegment fresh;
    EXPECT_EQ(fresh.GetSearchSqlString_ps(), Base + QStringLiteral("))"));

    clsSearchSegment byName;
    byName.sLastName()->SetCriteria_p(QStringLiteral("Like"), Value(QStringLiteral("*ann*")));
    EXPECT_EQ(byName.GetSearchSqlString_ps(),
              Base
                  + QStringLiteral(")) WHERE (tblSegment.lSegmentID IN (SELECT lSegmentID FROM tblSegmentDetail WHERE "
                                   "lRosterId IN (SELECT lRosterID FROM tblRoster WHERE "
                                   "(tblRoster.sLastName LIKE '%ann%' ESCAPE '\\'))))"));
    // Beside another condition it leaves the choice of index to that one.
    byName.fReviewed()->SetCriteria_p(QStringLiteral("="), Value(0));
    EXPECT_TRUE(byName.GetSearchSqlString_ps().contains(QStringLiteral("(+tblSegment.lSegmentID IN (SELECT")));

    // Cleared criteria hold Null: still no rows joined.
    clsSearchSegment cleared;
    cleared.ClearCriteria_p();
    cleared.lSegmentID()->SetCriteria_p(QStringLiteral("="), Value::null());
    EXPECT_EQ(cleared.GetSearchSqlString_ps(), Base + QStringLiteral(")) WHERE (tblSegment.lSegmentID = NULL)"));

    clsSearchSegment two;
    two.SetCriteria_p(QStringLiteral("tblEvent.sEvent"), QStringLiteral("Like"), Value(QStringLiteral("*reg*")));
    two.dtImportDate()->SetCriteria_p(QStringLiteral("="), Value(QDate(2001, 3, 1)));
    two.setOrderBy_p(QStringLiteral(" ORDER BY tblSegment.lSegmentID"));
    EXPECT_EQ(two.GetSearchSqlString_ps(),
              Base
                  + QStringLiteral(
                      ")) WHERE (tblSegment.dtImportDate = '2001-03-01') AND (+COALESCE(tblSegment.lEventID, 1) IN "
                      "(SELECT lEventID FROM tblEvent WHERE (tblEvent.sEvent LIKE '%reg%' ESCAPE '\\'))) "
                      "ORDER BY tblSegment.lSegmentID"));
    EXPECT_EQ(raisedBy([&] {
                  two.SetCriteria_p(QStringLiteral("tblSegment.nothing"), QStringLiteral("="), Value(1));
              }).number(),
              5);
}

namespace {
// The statement as it was built before the name conditions became subqueries:
// every row and its athlete joined, DISTINCT folding them again.
QString joinedStatement(const clsSearchSegment& q)
{
    QString where = const_cast<clsSearchSegment&>(q).Criteria().WhereClause_ps();
    if (!where.isEmpty())
        where.prepend(QStringLiteral(" WHERE "));
    const bool rows = !q.sLastName()->Value_pv().isEmpty() || q.sLastName()->IsArray_pf();
    return Base + (rows ? AthleteJoins : QStringLiteral("))")) + where;
}

QStringList rowsOf(Connection& db, const QString& sql)
{
    Recordset rs;
    rs.Open(db, sql);
    QStringList rows;
    for (int row = 0; row < rs.RecordCount(); ++row) {
        QString line;
        for (int col = 0; col < rs.FieldCount(); ++col)
            line += rs.Fields(col).Name() + QLatin1Char('=') + rs.valueAt(row, col).asText() + QLatin1Char('|');
        rows << line;
    }
    return rows;
}

using SearchStatement = SearchFixture;
}  // namespace

// The same segments, columns and order as the joined statement, over rows
// without athletes, unknown athletes, Null names and events, labels that
// differ only in case, and names with the pattern characters.
TEST_F(SearchStatement, GivesTheSameRowsAsTheJoinedStatement)
{
    ASSERT_TRUE(folder.execSql(QStringLiteral(R"(
INSERT INTO tblRoster (lRosterID, sLastName) VALUES (6, NULL), (7, 'ANNA'), (8, '50%_ann');
INSERT INTO tblEvent (lEventID, sEvent) VALUES (8, NULL);
INSERT INTO tblSegment (lSegmentID, lSegmentTypeID, lEventID, lCategoryID, sSegmentLabel, dtImportDate,
    dtSegmentDate, fReviewed) VALUES
    (7, 2, 2, 4, 'a1', '2024-03-05', '2024-01-01', -1), (8, NULL, NULL, NULL, NULL, NULL, NULL, 0),
    (9, 3, 8, 3, 'dup', '2024-03-01', '2024-02-10', 0), (10, 2, 3, 3, 'dup', '2024-02-01', '2024-02-11', -1);
INSERT INTO tblSegmentDetail (lSegmentID, lOrdinalPosition, dCumTime, lRosterId) VALUES
    (7, 1, 10, NULL), (7, 2, 20, 999), (7, 3, 30, 6), (8, 1, 10, 7), (8, 2, 20, 7),
    (9, 1, 10, 2), (9, 2, 20, 2), (9, 3, 30, 7), (10, 1, 10, 8), (NULL, 1, 10, 2);
)")));
    using Set = std::function<void(clsSearchSegment&)>;
    const QString like = QStringLiteral("Like");
    const QString eq = QStringLiteral("=");
    const auto text = [](const char* t) { return Value(QString::fromLatin1(t)); };
    const auto range = [](QDate a, QDate b) { return QList<Value>{Value(a), Value(b)}; };
    const struct {
        const char* name;
        Set set;
    } cases[] = {
        {"nothing", [](clsSearchSegment&) {}},
        {"cleared, id = Null",
         [](clsSearchSegment& q) {
             q.ClearCriteria_p();
             q.lSegmentID()->SetCriteria_p(QStringLiteral("="), Value::null());
         }},
        {"cleared, category",
         [&](clsSearchSegment& q) {
             q.ClearCriteria_p();
             q.lCategoryID()->SetCriteria_p(eq, Value(3));
         }},
        {"name like", [&](clsSearchSegment& q) { q.sLastName()->SetCriteria_p(like, text("*ann*")); }},
        {"name not like",
         [&](clsSearchSegment& q) {
             q.sLastName()->SetCriteria_p(like, text("*ann*"));
             q.sLastName()->Negate_pf(true);
         }},
        {"name =", [&](clsSearchSegment& q) { q.sLastName()->SetCriteria_p(eq, text("hanna")); }},
        {"name <> negated",
         [&](clsSearchSegment& q) {
             q.sLastName()->SetCriteria_p(QStringLiteral("<>"), text("Mann"));
             q.sLastName()->Negate_pf(true);
         }},
        {"name in",
         [&](clsSearchSegment& q) {
             q.sLastName()->SetCriteria_p(QStringLiteral("In"), QList<Value>{text("Mann"), text("Smith")});
         }},
        {"name with %", [&](clsSearchSegment& q) { q.sLastName()->SetCriteria_p(like, text("*%*")); }},
        {"any name", [&](clsSearchSegment& q) { q.sLastName()->SetCriteria_p(like, text("*")); }},
        {"name = Null", [&](clsSearchSegment& q) { q.sLastName()->SetCriteria_p(eq, Value::null()); }},
        {"event like", [&](clsSearchSegment& q) { q.sEvent()->SetCriteria_p(like, text("*a*")); }},
        {"event not like",
         [&](clsSearchSegment& q) {
             q.sEvent()->SetCriteria_p(like, text("*off*"));
             q.sEvent()->Negate_pf(true);
         }},
        {"event = negated",
         [&](clsSearchSegment& q) {
             q.sEvent()->SetCriteria_p(eq, text("a|b"));
             q.sEvent()->Negate_pf(true);
         }},
        {"label", [&](clsSearchSegment& q) { q.sSegmentLabel()->SetCriteria_p(eq, text("A1")); }},
        {"label twice", [&](clsSearchSegment& q) { q.sSegmentLabel()->SetCriteria_p(eq, text("dup")); }},
        {"type", [&](clsSearchSegment& q) { q.lSegmentTypeID()->SetCriteria_p(eq, Value(2)); }},
        {"unreviewed", [&](clsSearchSegment& q) { q.fReviewed()->SetCriteria_p(eq, Value(0)); }},
        {"import days",
         [&](clsSearchSegment& q) {
             q.dtImportDate()->SetCriteria_p(QStringLiteral("Between"), range(QDate(2024, 2, 1), QDate(2024, 3, 5)));
         }},
        {"ids",
         [&](clsSearchSegment& q) {
             q.lSegmentID()->SetCriteria_p(QStringLiteral("In"), QList<Value>{Value(1), Value(7), Value(9)});
         }},
        {"name and dates",
         [&](clsSearchSegment& q) {
             q.sLastName()->SetCriteria_p(like, text("*ann*"));
             q.dtSegmentDate()->SetCriteria_p(QStringLiteral(">="), Value(QDate(2024, 2, 10)));
         }},
        {"everything",
         [&](clsSearchSegment& q) {
             q.sLastName()->SetCriteria_p(like, text("*r*"));
             q.sEvent()->SetCriteria_p(like, text("*"));
             q.sSegmentLabel()->SetCriteria_p(QStringLiteral("<>"), text("zz"));
             q.lCategoryID()->SetCriteria_p(eq, Value(3));
             q.lSegmentTypeID()->SetCriteria_p(QStringLiteral("In"), QList<Value>{Value(2), Value(3)});
             q.fReviewed()->SetCriteria_p(eq, Value(0));
             q.dtImportDate()->SetCriteria_p(QStringLiteral("<="), Value(QDate(2024, 3, 5)));
             q.dtSegmentDate()->SetCriteria_p(QStringLiteral("Between"), range(QDate(2024, 1, 1), QDate(2024, 12, 31)));
         }},
    };
    Connection& db = *app->DatabaseAdo_Po()->Connection();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        clsSearchSegment q;
        c.set(q);
        const QStringList expected = rowsOf(db, joinedStatement(q));
        EXPECT_EQ(rowsOf(db, q.GetSearchSqlString_ps()), expected);
        // Only the two "= Null" cases may find nothing.
        EXPECT_EQ(expected.isEmpty(), QByteArray(c.name).endsWith("= Null"));
    }
}
