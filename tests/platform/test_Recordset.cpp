#include "support/RaisedBy.h"
#include "KeyedDbFile.h"

#include "platform/AppError.h"
#include "platform/Connection.h"
#include "platform/Recordset.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

    EXPECT_EQ(errorOf([&] { Recordset bad; bad.Open(conn, QStringLiteral("SELECT x FROM tblItem")); }),
              ErrNo::OleDbSyntax);
}

TEST_F(RecordsetTest, SortIsCaseInsensitiveNullsFirstAndStable)
{
    Recordset rs;
    fillLabels(rs, {QStringLiteral("b"), QStringLiteral("A"), QStringLiteral("<null>"), QStringLiteral("a"),
                    QStringLiteral("B")});
    rs.Sort(QStringLiteral("sLabel "));
    EXPECT_EQ(labels(rs), (QStringList{QStringLiteral("<null>"), QStringLiteral("A"), QStringLiteral("a"),
                                       QStringLiteral("b"), QStringLiteral("B")}));
    rs.Sort(QStringLiteral("sLabel DESC"));
    EXPECT_EQ(labels(rs), (QStringList{QStringLiteral("b"), QStringLiteral("B"), QStringLiteral("A"),
                                       QStringLiteral("a"), QStringLiteral("<null>")}));
    rs.Sort(QStringLiteral("[sLabel] ASC, lID DESC"));
    EXPECT_EQ(labels(rs, "lID"), (QStringList{QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("2"),
                                              QStringLiteral("5"), QStringLiteral("1")}));

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
    fillLabels(rs, {QStringLiteral("T1"), QStringLiteral("R1"), QStringLiteral("T2"), QStringLiteral("T3"),
                    QStringLiteral("R2")});
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
        return conn.ExecuteScalar(QStringLiteral("SELECT sNote FROM tblLink WHERE lA = ? AND lB = ?"), {Value(a), Value(b)});
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
