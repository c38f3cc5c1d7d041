// The record set's store over row counts that fill its blocks exactly, spill
// into the next one or take many: what was loaded reads back, sorts, filters,
// edits through a clone, keeps its bookmarks through a requery and added
// rows, and a released set loads again.
#include "KeyedDbFile.h"
#include "support/RaisedBy.h"

#include "platform/Connection.h"
#include "platform/Recordset.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>

namespace {

const QString Key = QStringLiteral("pw");
enum Col { colID = 0, colLabel = 2, colValue = 3, colDate = 4, colFlag = 6, colNotes = 7 };

// n rows of tblItem: ids 1..n, labels that repeat every seven rows, notes
// that never repeat, a day apart, every second row flagged.
class StoreRows : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        conn.Open(makeKeyedDb(dir, Key, testSchema()), Key);
        conn.Execute(QStringLiteral("DELETE FROM tblItem;"
                                    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1)"
                                    " INSERT INTO tblItem (lItemID, lParentID, sLabel, dValue, dtDate, fFlag, mNotes)"
                                    " SELECT i, 1, 'T' || (i % 7), i * 1.5, date('2020-01-01', '+' || i || ' days'),"
                                    " -(i % 2), 'note ' || i FROM n;")
                         .arg(n));
    }
    // Rows of the view whose cells are not those of the row with their id.
    static int wrongRows(const Recordset& rs)
    {
        int wrong = 0;
        for (int r = 0; r < rs.RecordCount(); ++r) {
            const int id = rs.valueAt(r, colID).toLong();
            wrong += rs.valueAt(r, colLabel) != Value(QStringLiteral("T%1").arg(id % 7))
                || rs.valueAt(r, colDate) != Value(QDate(2020, 1, 1).addDays(id))
                || rs.valueAt(r, colNotes) != Value(QStringLiteral("note %1").arg(id))
                || rs.valueAt(r, colFlag) != Value(id % 2 == 1);
        }
        return wrong;
    }
    static std::vector<int> ids(const Recordset& rs)
    {
        std::vector<int> out;
        for (int r = 0; r < rs.RecordCount(); ++r)
            out.push_back(rs.valueAt(r, colID).toLong());
        return out;
    }

    const int n = GetParam();
    QTemporaryDir dir;
    Connection conn;
};

}  // namespace

TEST_P(StoreRows, LoadedRowsSortFilterAndTakeEditsThroughAClone)
{
    Recordset rs;
    rs.Open(conn, QStringLiteral("SELECT * FROM tblItem ORDER BY lItemID"), Recordset::Mode::InMemory);
    ASSERT_EQ(rs.RecordCount(), n);
    EXPECT_EQ(wrongRows(rs), 0);

    rs.Filter(QStringLiteral("fFlag = 0"));
    rs.Sort(QStringLiteral("dtDate DESC"));
    std::vector<int> even;
    for (int id = n - n % 2; id > 0; id -= 2)
        even.push_back(id);
    EXPECT_EQ(ids(rs), even);
    EXPECT_EQ(wrongRows(rs), 0);

    // The last row loaded, changed through a clone; a row with the same label stays.
    auto clone = rs.Clone();
    clone->MoveLast();
    clone->Fields(colLabel).Value(Value(QStringLiteral("edited")));
    clone->Update();
    rs.Filter(QString());
    rs.Sort(QString());
    EXPECT_EQ(rs.valueAt(n - 1, colLabel), Value(QStringLiteral("edited")));
    if (n > 7) {
        EXPECT_EQ(rs.valueAt(n - 8, colLabel), Value(QStringLiteral("T%1").arg((n - 7) % 7)));
    }

    // Derived values for every second row: one signal, seen by the clone.
    QSignalSpy told(clone.get(), &Recordset::valuesChanged);
    EXPECT_EQ(rs.storeColumn(colValue, [](int r) { return r % 2 ? std::optional(Value(-1.0)) : std::nullopt; }), n / 2);
    EXPECT_EQ(told.size(), n > 1 ? 1 : 0);
    EXPECT_EQ(clone->valueAt(n - 1, colValue), n % 2 ? Value(n * 1.5) : Value(-1.0));
    EXPECT_EQ(rs.storeColumn(colValue, [](int r) { return r % 2 ? std::optional(Value(-1.0)) : std::nullopt; }), 0)
        << "equal values are left alone";

    // Released, and the same rows loaded again.
    clone.reset();
    rs.Close();
    rs.Open(conn, QStringLiteral("SELECT * FROM tblItem ORDER BY lItemID"));
    ASSERT_EQ(rs.RecordCount(), n);
    EXPECT_EQ(wrongRows(rs), 0);
}

TEST_P(StoreRows, BookmarksFollowTheirRowsThroughARequeryAndAddedRows)
{
    Recordset rs;
    rs.Open(conn, QStringLiteral("SELECT * FROM tblItem"));
    rs.Sort(QStringLiteral("lItemID DESC"));
    std::map<int, qint32> marks;  // id -> bookmark, at block edges
    for (int id : {1, 16, 17, n})
        if (id <= n)
            marks[id] = rs.bookmarkAt(n - id);

    conn.Execute(QStringLiteral("DELETE FROM tblItem WHERE lItemID = 1;"
                                "INSERT INTO tblItem (lItemID, sLabel) VALUES (0, 'first');"));
    rs.Requery();
    ASSERT_EQ(rs.RecordCount(), n);
    for (const auto& [id, mark] : marks) {
        SCOPED_TRACE(id);
        if (id == 1) {
            EXPECT_EQ(errorOf([&] { rs.Bookmark(mark); }), 3159);
            continue;
        }
        rs.Bookmark(mark);
        EXPECT_EQ(rs.Fields(colID).Value(), Value(id));
    }

    // A copy holds exactly the view's rows; added ones go beyond that.
    auto copy = rs.DetachedCopy();
    for (int k = 1; k <= 40; ++k) {
        copy->AddNew();
        copy->Fields(colID).Value(Value(-k));
        copy->Update();
    }
    ASSERT_EQ(copy->RecordCount(), n + 40);
    std::vector<int> expected = ids(rs);
    for (int k = 1; k <= 40; ++k)
        expected.push_back(-k);
    EXPECT_EQ(ids(*copy), expected);
    std::set<qint32> distinct;
    for (int r = 0; r < copy->RecordCount(); ++r)
        distinct.insert(copy->bookmarkAt(r));
    EXPECT_EQ(int(distinct.size()), n + 40);
}

// One row, a block filled exactly, one row more, several blocks, many.
INSTANTIATE_TEST_SUITE_P(Rows, StoreRows, ::testing::Values(1, 16, 17, 100, 20000));
