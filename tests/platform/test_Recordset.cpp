#include "KeyedDbFile.h"
#include "support/RaisedBy.h"

#include "platform/AppError.h"
#include "platform/Connection.h"
#include "platform/Recordset.h"
#include "platform/RecordsetFilter.h"

#include <QElapsedTimer>
#include <QHash>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const QString Key = QStringLiteral("pw");
constexpr qint32 RowNotLocated = static_cast<qint32>(0x80040E38u);

class RecordsetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        conn.Open(makeKeyedDb(dir, Key, testSchema()), Key);
    }

    // The labels of a record set's view, walked from the first row.
    static QStringList labels(Recordset& rs, const char* field = "sLabel")
    {
        QStringList out;
        for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext()) {
            const Value v = rs.Fields(QString::fromUtf8(field)).Value();
            out.append(v.isNull() ? QStringLiteral("<null>") : v.asText());
        }
        return out;
    }

    // An in-memory list for the ordering tests.
    static void fillLabels(Recordset& rs, const QStringList& values)
    {
        FieldInfo id{QStringLiteral("lID"), FieldInfo::DataType::Integer};
        FieldInfo label{QStringLiteral("sLabel"), FieldInfo::DataType::Text};
        rs.OpenInMemory({id, label});
        int n = 0;
        for (const QString& v : values) {
            rs.AddNew();
            rs.Fields(0).Value(Value(++n));
            rs.Fields(1).Value(v == QLatin1String("<null>") ? Value::null() : Value(v));
            rs.Update();
        }
    }

    QTemporaryDir dir;
    Connection conn;
};

}  // namespace

TEST_F(RecordsetTest, SnapshotCountsTypesAndFieldAccess)
{
    Recordset empty;
    empty.Open(conn, QStringLiteral("SELECT * FROM tblItem WHERE lItemID > 100"));
    EXPECT_EQ(empty.RecordCount(), 0);
    EXPECT_TRUE(empty.IsEOF());
    EXPECT_TRUE(empty.IsBOF());
    EXPECT_EQ(errorOf([&] { empty.Fields(QStringLiteral("sLabel")).Value(); }), ErrNo::NoCurrentRecord);

    Recordset rs;
    rs.Open(conn, QStringLiteral("SELECT * FROM tblItem ORDER BY lItemID"));
    EXPECT_EQ(rs.RecordCount(), 3);
    EXPECT_FALSE(rs.IsBOF());
    EXPECT_EQ(rs.AbsolutePosition(), 1);
    EXPECT_EQ(rs.Fields(QStringLiteral("LITEMID")).Value().kind(), Value::Kind::Long);
    EXPECT_EQ(rs.Fields(QStringLiteral("lItemID")).Value().toLong(), 1);
    EXPECT_EQ(rs.Fields(QStringLiteral("dValue")).Value().kind(), Value::Kind::Double);
    EXPECT_EQ(rs.Fields(QStringLiteral("dtDate")).Value(), Value(QDate(2001, 7, 4)));
    EXPECT_EQ(rs.Fields(QStringLiteral("dtTime")).Value(), Value(QTime(14, 30, 0)));
    EXPECT_EQ(rs.Fields(QStringLiteral("fFlag")).Value().kind(), Value::Kind::Boolean);
    EXPECT_TRUE(rs.Fields(QStringLiteral("fFlag")).Value().toBool());
    EXPECT_EQ(rs.Fields(QStringLiteral("sLabel")).Value().kind(), Value::Kind::Text);
    EXPECT_EQ(rs.Fields(QStringLiteral("fFlag")).Type(), 11);
    EXPECT_EQ(rs.Fields(2).Name(), QStringLiteral("sLabel"));
    EXPECT_TRUE(rs.Fields(QStringLiteral("mNotes")).Value().isNull());
    EXPECT_EQ(errorOf([&] { rs.Fields(QStringLiteral("nope")); }), ErrNo::ItemNotFound);
    EXPECT_EQ(errorOf([&] { rs.Fields(99); }), ErrNo::ItemNotFound);
    // A read-only snapshot refuses edits and keeps the value.
    EXPECT_NE(errorOf([&] { rs.Fields(QStringLiteral("sLabel")).Value(Value(QStringLiteral("x"))); }), 0);
    EXPECT_EQ(rs.Fields(QStringLiteral("sLabel")).Value().toText(), QStringLiteral("T001"));

    rs.MoveLast();
    EXPECT_EQ(rs.AbsolutePosition(), 3);
    EXPECT_FALSE(rs.Fields(QStringLiteral("fFlag")).Value().toBool());
    rs.MovePrevious();
    EXPECT_TRUE(rs.Fields(QStringLiteral("dtDate")).Value().isNull());
    rs.MoveLast();
    rs.MoveNext();
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_EQ(errorOf([&] { rs.MoveNext(); }), ErrNo::NoCurrentRecord);
    EXPECT_EQ(errorOf([&] { rs.Fields(0).Value(); }), ErrNo::NoCurrentRecord);

    // Expressions have no declared type: typed by what they hold.
    Recordset agg;
    agg.Open(conn, QStringLiteral("SELECT max(lItemID) AS m, 'a' || sLabel AS t, avg(dValue) AS d FROM tblItem"));
    EXPECT_EQ(agg.Fields(QStringLiteral("m")).Value(), Value(3));
    EXPECT_EQ(agg.Fields(QStringLiteral("t")).Value().kind(), Value::Kind::Text);
    EXPECT_DOUBLE_EQ(agg.Fields(QStringLiteral("d")).Value().toDouble(), 2.0);

    EXPECT_EQ(errorOf([&] {
                  Recordset bad;
                  bad.Open(conn, QStringLiteral("SELECT x FROM tblItem"));
              }),
              ErrNo::OleDbSyntax);
}

TEST_F(RecordsetTest, SortIsCaseInsensitiveNullsFirstAndStable)
{
    Recordset rs;
    fillLabels(
        rs,
        {QStringLiteral("b"), QStringLiteral("A"), QStringLiteral("<null>"), QStringLiteral("a"), QStringLiteral("B")});
    rs.Sort(QStringLiteral("sLabel "));
    EXPECT_EQ(labels(rs),
              (QStringList{QStringLiteral("<null>"), QStringLiteral("A"), QStringLiteral("a"), QStringLiteral("b"),
                           QStringLiteral("B")}));
    rs.Sort(QStringLiteral("sLabel DESC"));
    EXPECT_EQ(labels(rs),
              (QStringList{QStringLiteral("b"), QStringLiteral("B"), QStringLiteral("A"), QStringLiteral("a"),
                           QStringLiteral("<null>")}));
    rs.Sort(QStringLiteral("sLabel nulls last"));
    EXPECT_EQ(labels(rs).last(), QStringLiteral("<null>"));
    rs.Sort(QStringLiteral("sLabel DESC NULLS LAST"));
    EXPECT_EQ(labels(rs).last(), QStringLiteral("<null>"));
    EXPECT_EQ(labels(rs).first(), QStringLiteral("b"));
    rs.Sort(QStringLiteral("[sLabel] ASC, lID DESC"));
    EXPECT_EQ(labels(rs, "lID"),
              (QStringList{QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("2"), QStringLiteral("5"),
                           QStringLiteral("1")}));

    // A sort change keeps the current row.
    rs.Sort(QString());
    rs.MoveFirst();
    rs.MoveNext();  // "A", id 2
    rs.Sort(QStringLiteral("lID DESC"));
    EXPECT_EQ(rs.Fields(QStringLiteral("lID")).Value().toLong(), 2);
    EXPECT_EQ(rs.AbsolutePosition(), 4);
    EXPECT_EQ(errorOf([&] { rs.Sort(QStringLiteral("nope")); }), ErrNo::ItemNotFound);
    EXPECT_EQ(rs.Sort(), QStringLiteral("lID DESC"));
}

TEST_F(RecordsetTest, FilterCriteria)
{
    Recordset rs;
    rs.Open(conn, QStringLiteral("SELECT * FROM tblItem ORDER BY lItemID"));
    rs.MoveLast();
    rs.Filter(QStringLiteral("sLabel LIKE 'T%'"));
    EXPECT_EQ(labels(rs), (QStringList{QStringLiteral("T001"), QStringLiteral("t002")}));
    rs.Filter(QStringLiteral("sLabel LIKE 'r*'"));
    EXPECT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.AbsolutePosition(), 1);  // setting a filter moves to its first row
    rs.Filter(QStringLiteral("(lItemID = 1 AND sLabel = 't001') OR (lItemID = 3 AND sLabel = 'x')"));
    EXPECT_EQ(labels(rs), QStringList{QStringLiteral("T001")});
    rs.Filter(QStringLiteral("lParentID = 2 OR dValue >= 2.5 "));
    EXPECT_EQ(labels(rs), (QStringList{QStringLiteral("R001"), QStringLiteral("t002")}));
    rs.Filter(QStringLiteral("dtDate > #1/1/2002#"));
    EXPECT_EQ(labels(rs), QStringList{QStringLiteral("t002")});
    rs.Filter(QStringLiteral("fFlag = -1"));
    EXPECT_EQ(labels(rs), QStringList{QStringLiteral("T001")});
    rs.Filter(QStringLiteral("sLabel = 'O''Brien'"));
    EXPECT_EQ(rs.RecordCount(), 0);
    EXPECT_TRUE(rs.IsEOF() && rs.IsBOF());

    rs.Filter(QStringLiteral("dValue = NULL"));
    EXPECT_EQ(rs.RecordCount(), 0) << "= NULL matches nothing, not the Null row";
    rs.Filter(QStringLiteral("0"));
    EXPECT_EQ(rs.RecordCount(), 3);
    rs.Filter(QStringLiteral("lItemID <> 2"));
    rs.Filter(QString());
    EXPECT_EQ(rs.RecordCount(), 3);
    EXPECT_TRUE(rs.Filter().isEmpty());

    EXPECT_EQ(errorOf([&] { rs.Filter(QStringLiteral("nope = 1")); }), ErrNo::ItemNotFound);
    EXPECT_NE(errorOf([&] { rs.Filter(QStringLiteral("sLabel = 'open")); }), 0);
    EXPECT_EQ(rs.RecordCount(), 3) << "a refused filter leaves the view as it was";
}

TEST_F(RecordsetTest, FindMovesForwardFromTheCurrentRow)
{
    Recordset rs;
    fillLabels(rs, {QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("x"), QStringLiteral("z")});
    rs.MoveFirst();
    rs.Find(QStringLiteral("sLabel = 'X'"));
    EXPECT_EQ(rs.AbsolutePosition(), 1);  // the current row counts
    rs.Find(QStringLiteral("sLabel = 'x'"), 1);
    EXPECT_EQ(rs.AbsolutePosition(), 3);
    rs.Find(QStringLiteral("lID = 2"));
    EXPECT_TRUE(rs.IsEOF()) << "row 2 lies behind the current row";
    rs.MoveLast();
    rs.Find(QStringLiteral("lID = 2"), 0, Recordset::SearchBackward);
    EXPECT_EQ(rs.AbsolutePosition(), 2);
    rs.Find(QStringLiteral("sLabel = 'nothing'"));
    EXPECT_TRUE(rs.IsEOF());
}

TEST_F(RecordsetTest, ClonesShareRowsEditsDeletesAndBookmarks)
{
    Recordset rs;
    rs.Open(conn, QStringLiteral("SELECT * FROM tblItem ORDER BY lItemID"), Recordset::Mode::InMemory);
    rs.MoveLast();
    const qint32 third = rs.Bookmark();
    auto clone = rs.Clone();
    EXPECT_EQ(clone->RecordCount(), 3);
    EXPECT_EQ(clone->AbsolutePosition(), 1);
    clone->Sort(QStringLiteral("lItemID DESC"));
    clone->Bookmark(third);
    EXPECT_EQ(clone->Fields(QStringLiteral("lItemID")).Value().toLong(), 3);
    EXPECT_EQ(clone->AbsolutePosition(), 1);  // its own order
    EXPECT_EQ(rs.AbsolutePosition(), 3);

    QSignalSpy changed(&rs, &Recordset::rowChanged);
    clone->Fields(QStringLiteral("sLabel")).Value(Value(QStringLiteral("edited")));
    clone->Update();
    EXPECT_EQ(rs.Fields(QStringLiteral("sLabel")).Value().toText(), QStringLiteral("edited"));
    ASSERT_FALSE(changed.isEmpty());
    EXPECT_EQ(changed.first().at(0).toInt(), 2);  // the original's own view row

    // A delete through the clone is seen by the original; its bookmark goes bad.
    QSignalSpy removed(&rs, &Recordset::rowRemoved);
    clone->MoveFirst();
    clone->Delete();
    EXPECT_EQ(rs.RecordCount(), 2);
    ASSERT_EQ(removed.size(), 1);
    EXPECT_EQ(removed.first().at(0).toInt(), 2);
    EXPECT_EQ(errorOf([&] { rs.Bookmark(third); }), 3159);
    EXPECT_EQ(errorOf([&] { rs.Fields(0).Value(); }), ErrNo::NoCurrentRecord);
    // Nothing reached the table.
    EXPECT_EQ(conn.ExecuteScalar(QStringLiteral("SELECT count(*) FROM tblItem")).toLong(), 3);

    // A row added to the original appears in the clone.
    QSignalSpy inserted(clone.get(), &Recordset::rowInserted);
    rs.AddNew();
    rs.Fields(QStringLiteral("sLabel")).Value(Value(QStringLiteral("new")));
    rs.Update();
    EXPECT_EQ(clone->RecordCount(), 3);
    EXPECT_EQ(inserted.size(), 1);
    clone->Bookmark(rs.Bookmark());
    EXPECT_EQ(clone->Fields(QStringLiteral("sLabel")).Value().toText(), QStringLiteral("new"));
}

TEST_F(RecordsetTest, DeleteUnderAFilterWalksFirstDeleteNext)
{
    Recordset rs;
    fillLabels(
        rs,
        {QStringLiteral("T1"), QStringLiteral("R1"), QStringLiteral("T2"), QStringLiteral("T3"), QStringLiteral("R2")});
    rs.Filter(QStringLiteral("sLabel LIKE 'T*'"));
    rs.MoveFirst();
    while (!rs.IsEOF()) {
        rs.Delete();
        rs.MoveNext();
    }
    rs.Filter(QString());
    EXPECT_EQ(labels(rs), (QStringList{QStringLiteral("R1"), QStringLiteral("R2")}));
}

TEST_F(RecordsetTest, WriteThroughInsertUpdateDelete)
{
    Recordset rs;
    rs.Open(conn, QStringLiteral("SELECT * FROM tblItem ORDER BY lItemID"), Recordset::Mode::Editable);
    EXPECT_EQ(rs.BaseTable(), QStringLiteral("tblItem"));

    rs.AddNew();
    EXPECT_EQ(rs.EditMode(), Recordset::EditAdd);
    rs.Fields(QStringLiteral("sLabel")).Value(Value(QStringLiteral("T009")));
    rs.Fields(QStringLiteral("lParentID")).Value(Value(2));
    rs.Fields(QStringLiteral("dtDate")).Value(Value(QStringLiteral("2003-02-01")));
    rs.Fields(QStringLiteral("dtTime")).Value(Value(QStringLiteral("7:05:09")));
    rs.Update();
    EXPECT_EQ(rs.EditMode(), Recordset::EditNone);
    const qint32 newId = rs.Fields(0).Value().toLong();
    EXPECT_EQ(newId, 4) << "the new key is in the key field";
    EXPECT_FALSE(rs.Fields(QStringLiteral("fFlag")).Value().toBool()) << "the table's default is read back";
    const QString where = QStringLiteral(" FROM tblItem WHERE lItemID = %1").arg(newId);
    EXPECT_EQ(conn.ExecuteScalar(QStringLiteral("SELECT dtDate") + where).toText(), QStringLiteral("2003-02-01"));
    EXPECT_EQ(conn.ExecuteScalar(QStringLiteral("SELECT dtTime") + where).toText(), QStringLiteral("07:05:09"));
    EXPECT_EQ(rs.Fields(QStringLiteral("dtDate")).Value(), Value(QDate(2003, 2, 1)));

    // Any non-zero written to a flag is stored as -1; "" in a number column is Null.
    rs.Fields(QStringLiteral("fFlag")).Value(Value(1));
    rs.Fields(QStringLiteral("dValue")).Value(Value(QString()));
    rs.MoveFirst();  // leaving the row stores it
    EXPECT_EQ(conn.ExecuteScalar(QStringLiteral("SELECT fFlag") + where).toLong(), -1);
    EXPECT_TRUE(conn.ExecuteScalar(QStringLiteral("SELECT dValue") + where).isNull());

    // A refused write keeps the edit pending and the table unchanged.
    rs.Fields(QStringLiteral("lParentID")).Value(Value(99));
    EXPECT_EQ(errorOf([&] { rs.Update(); }), ErrNo::OleDbFailed);
    EXPECT_EQ(rs.EditMode(), Recordset::EditInProgress);
    rs.CancelUpdate();
    EXPECT_EQ(rs.Fields(QStringLiteral("lParentID")).Value().toLong(), 1);
    EXPECT_EQ(conn.ExecuteScalar(QStringLiteral("SELECT lParentID FROM tblItem WHERE lItemID = 1")).toLong(), 1);

    // A row deleted meanwhile makes the update and the delete fail loudly.
    conn.Execute(QStringLiteral("DELETE FROM tblItem WHERE lItemID = 1"));
    rs.Fields(QStringLiteral("sLabel")).Value(Value(QStringLiteral("gone")));
    EXPECT_EQ(errorOf([&] { rs.Update(); }), RowNotLocated);
    rs.CancelUpdate();
    EXPECT_EQ(errorOf([&] { rs.Delete(); }), RowNotLocated);
    EXPECT_EQ(rs.RecordCount(), 4);

    rs.MoveNext();
    rs.Delete();
    EXPECT_EQ(conn.ExecuteScalar(QStringLiteral("SELECT count(*) FROM tblItem WHERE lItemID = 2")).toLong(), 0);
    EXPECT_EQ(rs.RecordCount(), 3);
}

TEST_F(RecordsetTest, PendingEditsAreStoredOnCloseAndReleaseAndCompositeKeysWork)
{
    const auto noteOf = [&](int a, int b) {
        return conn.ExecuteScalar(QStringLiteral("SELECT sNote FROM tblLink WHERE lA = ? AND lB = ?"),
                                  {Value(a), Value(b)});
    };
    {
        Recordset rs;
        rs.Open(conn, QStringLiteral("SELECT lA, lB, sNote FROM tblLink ORDER BY lA, lB"), Recordset::Mode::Editable);
        rs.MoveNext();  // (1, 2)
        // Changing part of the key still finds the row by the key it was read with.
        rs.Fields(QStringLiteral("lB")).Value(Value(5));
        rs.Fields(QStringLiteral("sNote")).Value(Value(QStringLiteral("moved")));
        rs.Close();
    }
    EXPECT_EQ(noteOf(1, 5).asText(), QStringLiteral("moved"));
    EXPECT_TRUE(noteOf(1, 2).isNull());
    {
        Recordset rs;
        rs.Open(conn, QStringLiteral("SELECT * FROM tblLink WHERE lA = 2"), Recordset::Mode::Editable);
        rs.Fields(QStringLiteral("sNote")).Value(Value(QStringLiteral("released")));
    }
    EXPECT_EQ(noteOf(2, 1).asText(), QStringLiteral("released"));

    Recordset rs;
    rs.Open(conn, QStringLiteral("SELECT * FROM tblLink WHERE lA = 1 AND lB = 1"), Recordset::Mode::Editable);
    rs.Delete();
    EXPECT_EQ(conn.ExecuteScalar(QStringLiteral("SELECT count(*) FROM tblLink")).toLong(), 2);

    // Without the whole key in the query there is nothing to update by.
    Recordset partial;
    partial.Open(conn, QStringLiteral("SELECT lA, sNote FROM tblLink"), Recordset::Mode::Editable);
    partial.Fields(QStringLiteral("sNote")).Value(Value(QStringLiteral("x")));
    EXPECT_EQ(errorOf([&] { partial.Update(); }), 3251);
    partial.CancelUpdate();
}

TEST_F(RecordsetTest, DetachedCopyRequeryAndSignals)
{
    Recordset rs;
    rs.Open(conn, QStringLiteral("SELECT lItemID, sLabel FROM tblItem"), Recordset::Mode::Editable);
    rs.Sort(QStringLiteral("sLabel"));
    rs.MoveLast();
    auto copy = rs.DetachedCopy();
    EXPECT_EQ(copy->RecordCount(), 3) << "every row from the first";
    EXPECT_EQ(copy->AbsolutePosition(), 1);
    EXPECT_EQ(copy->Fields(QStringLiteral("sLabel")).Value().toText(), QStringLiteral("R001"));
    EXPECT_EQ(rs.AbsolutePosition(), 3);
    copy->Fields(QStringLiteral("sLabel")).Value(Value(QStringLiteral("local")));
    copy->Update();
    copy->Delete();
    EXPECT_EQ(rs.RecordCount(), 3);
    EXPECT_EQ(conn.ExecuteScalar(QStringLiteral("SELECT count(*) FROM tblItem WHERE sLabel = 'R001'")).toLong(), 1);

    QSignalSpy reset(&rs, &Recordset::rowsReset);
    rs.Filter(QStringLiteral("sLabel LIKE 'T*'"));
    conn.Execute(QStringLiteral("INSERT INTO tblItem (sLabel) VALUES ('T000')"));
    rs.Requery();
    EXPECT_EQ(reset.size(), 2);
    EXPECT_EQ(rs.Sort(), QStringLiteral("sLabel"));
    EXPECT_EQ(labels(rs), (QStringList{QStringLiteral("T000"), QStringLiteral("T001"), QStringLiteral("t002")}));

    rs.Close();
    EXPECT_EQ(rs.State(), Recordset::StateClosed);
    EXPECT_NE(errorOf([&] { rs.RecordCount(); }), 0);
}

// ---- rows keep their identity ------------------------------------------------

// After a Requery every bookmark still names its row, found again by the base
// table's key (else field 0); a row that is gone leaves its bookmark invalid.
TEST_F(RecordsetTest, RequeryFindsEachRowAgainByItsKey)
{
    struct Case {
        const char* sql;
        const char* label;  // the column that names a row in the checks
        const char* removeSql;
        QString gone;
    };
    const Case cases[] = {
        {"SELECT * FROM tblItem ORDER BY lItemID", "sLabel", "DELETE FROM tblItem WHERE sLabel = 'R001'", "R001"},
        {"SELECT sLabel, dValue FROM tblItem ORDER BY lItemID", "sLabel", "DELETE FROM tblItem WHERE sLabel = 't002'",
         "t002"},
        {"SELECT lA, lB, sNote FROM tblLink ORDER BY lA, lB", "sNote", "DELETE FROM tblLink WHERE lA = 1 AND lB = 1",
         "a"},
        {"SELECT tblItem.sLabel, tblParent.sName FROM tblItem JOIN tblParent USING (lParentID) ORDER BY sLabel",
         "sLabel", "DELETE FROM tblItem WHERE sLabel = 'T001'", "T001"},
        // No key of the base table (tblParent) in the query, and field 0 repeats.
        {"SELECT tblParent.sName, tblItem.sLabel FROM tblParent JOIN tblItem USING (lParentID)", "sLabel",
         "DELETE FROM tblItem WHERE sLabel = 'A002'", "A002"},
    };
    int round = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        ++round;
        Recordset rs;
        rs.Open(conn, QString::fromUtf8(c.sql));
        rs.Sort(QString::fromUtf8(c.label) + QStringLiteral(" DESC"));
        QHash<QString, qint32> bookmarks;
        for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext())
            bookmarks.insert(rs.Fields(QString::fromUtf8(c.label)).Value().asText(), rs.Bookmark());
        rs.MoveFirst();
        rs.MoveNext();
        const QString current = rs.Fields(QString::fromUtf8(c.label)).Value().asText();
        ASSERT_NE(current, c.gone);

        conn.Execute(QString::fromUtf8(c.removeSql));
        // Rows ahead of the others in the table's own order, so positions shift.
        conn.Execute(QStringLiteral("INSERT INTO tblItem (lParentID, sLabel) VALUES (1, 'A00%1')").arg(round));
        conn.Execute(QStringLiteral("INSERT INTO tblLink VALUES (0, %1, 'first%1')").arg(round));
        rs.Requery();

        EXPECT_EQ(rs.Fields(QString::fromUtf8(c.label)).Value().asText(), current) << "the current row stays";
        for (auto it = bookmarks.cbegin(); it != bookmarks.cend(); ++it) {
            if (it.key() == c.gone) {
                EXPECT_EQ(rs.viewRowOfBookmark(it.value()), -1);
                EXPECT_EQ(errorOf([&] { rs.Bookmark(it.value()); }), 3159);
                continue;
            }
            rs.Bookmark(it.value());
            EXPECT_EQ(rs.Fields(QString::fromUtf8(c.label)).Value().asText(), it.key());
        }
        // New rows get bookmarks of their own, valid in clones.
        auto clone = rs.Clone();
        for (clone->MoveFirst(); !clone->IsEOF(); clone->MoveNext()) {
            const QString label = clone->Fields(QString::fromUtf8(c.label)).Value().asText();
            if (!bookmarks.contains(label)) {
                EXPECT_FALSE(std::find(bookmarks.cbegin(), bookmarks.cend(), clone->Bookmark()) != bookmarks.cend())
                    << label.toStdString();
            }
        }
    }

    // A current row that is gone leaves the record set on its first row.
    Recordset rs;
    rs.Open(conn, QStringLiteral("SELECT * FROM tblItem ORDER BY lItemID"));
    rs.MoveLast();
    ASSERT_GT(rs.AbsolutePosition(), 1);
    conn.Execute(QStringLiteral("DELETE FROM tblItem WHERE lItemID = ?"), {rs.Fields(0).Value()});
    rs.Requery();
    EXPECT_EQ(rs.AbsolutePosition(), 1);
}

// Edits that cannot be written are refused when made, never dropped at Update.
TEST_F(RecordsetTest, EditableJoinRefusesColumnsOfOtherTables)
{
    Recordset rs;
    rs.Open(conn,
            QStringLiteral("SELECT tblItem.lItemID, tblItem.sLabel, tblParent.sName, tblItem.sLabel || '!' AS sShout "
                           "FROM tblItem JOIN tblParent USING (lParentID) ORDER BY lItemID"),
            Recordset::Mode::Editable);
    EXPECT_TRUE(rs.isFieldUpdatable(rs.FieldIndex(QStringLiteral("sLabel"))));
    for (const char* column : {"sName", "sShout"}) {
        SCOPED_TRACE(column);
        EXPECT_FALSE(rs.isFieldUpdatable(rs.FieldIndex(QString::fromUtf8(column))));
        const AppError e = raisedBy([&] { rs.Fields(QString::fromUtf8(column)).Value(Value(QStringLiteral("x"))); });
        EXPECT_EQ(e.number(), 3251);
        EXPECT_TRUE(e.description().contains(QString::fromUtf8(column))) << e.description().toStdString();
        EXPECT_EQ(rs.EditMode(), Recordset::EditNone);
        rs.AddNew();
        EXPECT_EQ(errorOf([&] { rs.Fields(QString::fromUtf8(column)).Value(Value(QStringLiteral("x"))); }), 3251);
        rs.CancelUpdate();
    }
    EXPECT_EQ(conn.ExecuteScalar(QStringLiteral("SELECT count(*) FROM tblParent WHERE sName = 'x'")).toLong(), 0);
    EXPECT_EQ(conn.ExecuteScalar(QStringLiteral("SELECT count(*) FROM tblItem")).toLong(), 3);
    // The base table's own columns still write through.
    rs.Fields(QStringLiteral("sLabel")).Value(Value(QStringLiteral("joined")));
    rs.Update();
    EXPECT_EQ(conn.ExecuteScalar(QStringLiteral("SELECT sLabel FROM tblItem WHERE lItemID = 1")).toText(),
              QStringLiteral("joined"));
}

// Two clones editing one row: each cancel takes back only its own changes.
TEST_F(RecordsetTest, CancelInOneCloneKeepsTheOtherClonesPendingEdit)
{
    const auto stored = [&](const char* column) {
        return conn.ExecuteScalar(
            QStringLiteral("SELECT %1 FROM tblItem WHERE lItemID = 1").arg(QString::fromUtf8(column)));
    };
    Recordset rs;
    rs.Open(conn, QStringLiteral("SELECT lItemID, sLabel, dValue FROM tblItem ORDER BY lItemID"),
            Recordset::Mode::Editable);
    auto other = rs.Clone();

    // Different columns.
    rs.Fields(QStringLiteral("sLabel")).Value(Value(QStringLiteral("mine")));
    other->Fields(QStringLiteral("dValue")).Value(Value(9.5));
    rs.CancelUpdate();
    EXPECT_EQ(rs.Fields(QStringLiteral("sLabel")).Value().toText(), QStringLiteral("T001"));
    EXPECT_EQ(rs.Fields(QStringLiteral("dValue")).Value().toDouble(), 9.5) << "the clone's edit is still there";
    other->Update();
    EXPECT_EQ(stored("dValue").toDouble(), 9.5);
    EXPECT_EQ(stored("sLabel").toText(), QStringLiteral("T001"));

    // The same column: the later edit stands when the earlier one is cancelled,
    // and cancelling the later one goes back to what is stored.
    rs.Fields(QStringLiteral("sLabel")).Value(Value(QStringLiteral("first")));
    other->Fields(QStringLiteral("sLabel")).Value(Value(QStringLiteral("second")));
    rs.CancelUpdate();
    EXPECT_EQ(other->Fields(QStringLiteral("sLabel")).Value().toText(), QStringLiteral("second"));
    other->CancelUpdate();
    EXPECT_EQ(rs.Fields(QStringLiteral("sLabel")).Value().toText(), QStringLiteral("T001"));

    rs.Fields(QStringLiteral("sLabel")).Value(Value(QStringLiteral("first")));
    other->Fields(QStringLiteral("sLabel")).Value(Value(QStringLiteral("second")));
    other->CancelUpdate();
    EXPECT_EQ(rs.Fields(QStringLiteral("sLabel")).Value().toText(), QStringLiteral("first"));
    rs.Update();
    EXPECT_EQ(stored("sLabel").toText(), QStringLiteral("first"));
}

// ---- wildcard matching -----------------------------------------------------------

TEST(RecordsetLike, WildcardsMatchAsBeforeIgnoringCase)
{
    struct Case {
        const char* text;
        const char* pattern;
        bool match;
    };
    const Case cases[] = {
        {"Segment", "seg*", true},
        {"Segment", "*MENT", true},
        {"Segment", "*g*e*t", true},
        {"Segment", "S?gm_nt", true},
        {"Segment", "S?gm", false},
        {"Segment", "*x*", false},
        {"", "*", true},
        {"", "?", false},
        {"abc", "a%c", true},
        {"abc", "a**%c", true},
        {"abc", "abcd*", false},
        {"aXbXc", "a*b*c", true},
        {"aab", "*ab", true},
        {"abab", "*ab*ab", true},
        {"abab", "*ab*ab*ab", false},
        {"Mississippi", "m*iss*ppi", true},
        {"Mississippi", "m*iss*ppix", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RecordsetExpr::likeMatch(QString::fromUtf8(c.text), QString::fromUtf8(c.pattern)), c.match)
            << c.text << " LIKE " << c.pattern;
    // An escaped wildcard is a literal character.
    Recordset rs;
    rs.OpenInMemory({FieldInfo(QStringLiteral("sLabel"), FieldInfo::DataType::Text)});
    for (const char* label : {"50%", "500", "5_0"}) {
        rs.AddNew();
        rs.Fields(0).Value(Value(QString::fromUtf8(label)));
        rs.Update();
    }
    rs.Filter(QStringLiteral("sLabel LIKE '5?\\%' ESCAPE '\\'"));
    EXPECT_EQ(rs.RecordCount(), 1);
    rs.Filter(QStringLiteral("sLabel LIKE '5\\_*' ESCAPE '\\'"));
    EXPECT_EQ(rs.RecordCount(), 1);
}

TEST(RecordsetLike, ManyStarsOnALongRowStayFast)
{
    // Every star but the last can take many places and none ends in "b":
    // a backtracking matcher tries them all.
    const QString row = QString(400, QLatin1Char('a'));
    const QString pattern = QStringLiteral("*a").repeated(40) + QStringLiteral("*b");
    Recordset rs;
    rs.OpenInMemory({FieldInfo(QStringLiteral("mText"), FieldInfo::DataType::Memo)});
    for (int i = 0; i < 50; ++i) {
        rs.AddNew();
        rs.Fields(0).Value(Value(row));
        rs.Update();
    }
    QElapsedTimer timer;
    timer.start();
    rs.Filter(QStringLiteral("mText LIKE '%1'").arg(pattern));
    EXPECT_EQ(rs.RecordCount(), 0);
    rs.Filter(QString());
    rs.MoveFirst();
    rs.Find(QStringLiteral("mText LIKE '%1'").arg(pattern));
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_TRUE(RecordsetExpr::likeMatch(row + QLatin1Char('b'), pattern));
    // A guard against a hang, far above the time the match takes.
    EXPECT_LT(timer.elapsed(), 2000);
}
