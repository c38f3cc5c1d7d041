#include "data/clsAdoConnectJet.h"

#include "platform/AppError.h"
#include "platform/Connection.h"
#include "platform/Recordset.h"
#include "support/ScriptedMessages.h"
#include "support/TempProgramFolder.h"

#include <QFile>
#include <QLocale>
#include <QStringEncoder>
#include <gtest/gtest.h>

namespace {

class AdoConnectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.makeProgramFiles());
        conn.UDL(folder.udlPath());
        ASSERT_TRUE(conn.OpenConnection_pf());
    }

    Value scalar(const QString& sql) { return conn.Connection()->ExecuteScalar(sql); }

    template <typename F>
    qint32 errorOf(F&& f)
    {
        try {
            f();
        } catch (const AppError& e) {
            lastError = e.description();
            lastSource = e.source();
            return e.number();
        }
        return 0;
    }

    TempProgramFolder folder;
    clsAdoConnectJet conn;
    QString lastError;
    QString lastSource;
};

class LocaleGuard {
public:
    explicit LocaleGuard(const QLocale& l) { QLocale::setDefault(l); }
    ~LocaleGuard() { QLocale::setDefault(m_old); }

private:
    QLocale m_old = QLocale();
};

TEST_F(AdoConnectionTest, QuotesValuesAsSqliteLiterals)
{
    EXPECT_EQ(conn.SQLString_ps(Value::null(), 131), "NULL");
    EXPECT_EQ(conn.SQLString_ps(Value(), 200), "NULL");
    EXPECT_EQ(conn.SQLString_ps(Value::null(), 7), "NULL");
    {
        LocaleGuard german(QLocale(QLocale::German, QLocale::Germany));
        EXPECT_EQ(conn.SQLString_ps(Value(2.5), 131), "2.5");
        EXPECT_EQ(conn.SQLString_ps(Value("2,5"), 5), "2.5");
    }
    EXPECT_EQ(conn.SQLString_ps(Value(0.1 + 0.2), 5), "0.30000000000000004");
    EXPECT_EQ(conn.SQLString_ps(Value(-42), 3), "-42");
    const Value when(QDateTime(QDate(2001, 7, 4), QTime(14, 30)));
    EXPECT_EQ(conn.SQLString_ps(when, 7), "'2001-07-04'");
    EXPECT_EQ(conn.SQLString_ps(when, 133), "'2001-07-04'");
    EXPECT_EQ(conn.SQLString_ps(when, 134), "'14:30:00'");
    EXPECT_EQ(conn.SQLString_ps(when, 135), "'2001-07-04 14:30:00'");
    EXPECT_EQ(conn.SQLString_ps(Value("O'Brien"), 200), "'O''Brien'");
    EXPECT_EQ(conn.SQLString_ps(Value("a|b"), 200), "'a|b'");
    EXPECT_EQ(conn.SQLString_ps(Value(true), 11), "-1");
    EXPECT_EQ(conn.SQLString_ps(Value(false), 11), "0");
    EXPECT_EQ(errorOf([&] { conn.SQLString_ps(Value("1; DROP TABLE tblSegment"), 131); }), ErrNo::TypeMismatch);
    EXPECT_EQ(lastSource, "clsAdoConnectJet.SQLString_ps");
}

TEST_F(AdoConnectionTest, QuotedValuesStoreAndReadBackUnchanged)
{
    conn.SQLExecute_pl("CREATE TABLE tQuote (id INTEGER PRIMARY KEY, n DOUBLE, s TEXT, d DATE, t TIME, f BOOLEAN)");
    const QString text = QStringLiteral("O'Brien | x \\ 100% a_b \"q\"");
    const Value when(QDateTime(QDate(2001, 7, 4), QTime(14, 30)));
    conn.SQLExecute_pl(QStringLiteral("INSERT INTO tQuote (n, s, d, t, f) VALUES (%1, %2, %3, %4, %5)")
                           .arg(conn.SQLString_ps(Value(1.0 / 3), 5), conn.SQLString_ps(Value(text), 200),
                                conn.SQLString_ps(when, 7), conn.SQLString_ps(when, 134),
                                conn.SQLString_ps(Value(true), 11)));
    std::unique_ptr<Recordset> rs;
    ASSERT_EQ(conn.SQLOpenRecordset_pl(rs, "SELECT n, s, d, t, f FROM tQuote", 3, 1), 1);
    EXPECT_EQ(rs->Fields("n").Value().toDouble(), 1.0 / 3);
    EXPECT_EQ(rs->Fields("s").Value().asText(), text);
    EXPECT_EQ(rs->Fields("d").Value().toDate(), QDate(2001, 7, 4));
    EXPECT_EQ(rs->Fields("t").Value().toTime(), QTime(14, 30));
    EXPECT_TRUE(rs->Fields("f").Value().toBool());
    EXPECT_EQ(scalar("SELECT d || ' ' || t || ' ' || f FROM tQuote").asText(), "2001-07-04 14:30:00 -1");
}

TEST_F(AdoConnectionTest, LikePatternsMatchWildcardsAndOnlyThem)
{
    conn.SQLExecute_pl("CREATE TABLE tLike (s TEXT)");
    for (const char* s : {"aXXbYc_d", "aXXbYcZd", "100%", "1000", "a\\b", "ab", "O'Brien"})
        conn.SQLExecute_pl("INSERT INTO tLike (s) VALUES (?)", {Value(s)});
    auto matches = [&](const QString& pattern) {
        std::unique_ptr<Recordset> rs;
        conn.SQLOpenRecordset_pl(
            rs, "SELECT s FROM tLike WHERE s LIKE " + conn.SQLLikeString_ps(Value(pattern), 200) + " ORDER BY s", 3, 1);
        QStringList out;
        for (; !rs->IsEOF(); rs->MoveNext())
            out << rs->Fields(0).Value().asText();
        return out.join(',');
    };
    EXPECT_EQ(matches("a*b?c_d"), "aXXbYc_d");
    EXPECT_EQ(matches("100%"), "100%");
    EXPECT_EQ(matches("a\\b"), "a\\b");
    EXPECT_EQ(matches("O'B*"), "O'Brien");
    EXPECT_EQ(matches("a?b"), "a\\b");
    EXPECT_EQ(conn.SQLLikeString_ps(Value("a*b?c_d"), 200), "'a%b_c\\_d' ESCAPE '\\'");
    EXPECT_EQ(conn.SQLLikeString_ps(Value::null(), 200), "NULL");
    EXPECT_EQ(errorOf([&] { conn.SQLLikeString_ps(Value("a"), 131); }), ErrNo::InvalidPropertyValue);
}

TEST_F(AdoConnectionTest, RefusedStatementsReachCallersWithTheObjectBase)
{
    conn.SQLExecute_pl("INSERT INTO tblSegment (lCategoryID) VALUES (1)");
    EXPECT_EQ(errorOf([&] { conn.SQLExecute_pl("DELETE FROM tblCategory WHERE lCategoryID = 1"); }),
              qint32(0x80044005));
    EXPECT_EQ(qint32(0x80044005), -2147205115);
    EXPECT_EQ(lastSource, "clsAdoConnectJet");
    // The error list describes the last operation: the refused delete.
    ASSERT_FALSE(conn.Errors().isEmpty());
    EXPECT_TRUE(conn.Errors().first().description.contains("FOREIGN KEY", Qt::CaseInsensitive));
    EXPECT_EQ(scalar("SELECT count(*) FROM tblCategory WHERE lCategoryID = 1").toLong(), 1);
    EXPECT_TRUE(conn.Errors().isEmpty());

    EXPECT_EQ(errorOf([&] { conn.SQLExecute_pl("SELEKT 1"); }), ErrNo::OleDbSyntax);
    std::unique_ptr<Recordset> rs;
    EXPECT_EQ(errorOf([&] { conn.SQLOpenRecordset_pl(rs, "SELECT * FROM tblNoSuchTable"); }), ErrNo::OleDbSyntax);
    EXPECT_EQ(conn.SQLExecute_pl("UPDATE tblSysStrings SET sString = 'x' WHERE lStringID = 4242"), 0);
    EXPECT_EQ(conn.SQLExecute_pl("UPDATE tblSysStrings SET sString = sString WHERE lStringID = 110"), 1);
}

TEST_F(AdoConnectionTest, RecordSetCountsAreCompleteAndStartOnTheFirstRow)
{
    std::unique_ptr<Recordset> rs;
    EXPECT_EQ(conn.SQLOpenRecordset_pl(rs, "SELECT * FROM tblSegment", 3, 1), 0);
    EXPECT_TRUE(rs->IsEOF());
    // Reopening the same record set replaces its rows.
    EXPECT_EQ(
        conn.SQLOpenRecordset_pl(
            rs, "SELECT lStringID FROM tblSysStrings WHERE lStringID IN (100, 110, 115) ORDER BY lStringID", 3, 1),
        3);
    EXPECT_EQ(rs->Fields("lStringID").Value().toLong(), 100);
    EXPECT_EQ(rs->AbsolutePosition(), 1);
}

TEST_F(AdoConnectionTest, TransactionsNest)
{
    ASSERT_TRUE(conn.BeginTrans_pf());
    conn.SQLExecute_pl("INSERT INTO tblEvent (sEvent) VALUES ('outer')");
    ASSERT_TRUE(conn.BeginTrans_pf());
    conn.SQLExecute_pl("INSERT INTO tblEvent (sEvent) VALUES ('inner')");
    EXPECT_EQ(conn.TransactionLevel(), 2);
    ASSERT_TRUE(conn.Rollback_pf());
    ASSERT_TRUE(conn.CommitTrans_pf());
    EXPECT_EQ(scalar("SELECT count(*) FROM tblEvent WHERE sEvent = 'outer'").toLong(), 1);
    EXPECT_EQ(scalar("SELECT count(*) FROM tblEvent WHERE sEvent = 'inner'").toLong(), 0);

    conn.BeginTrans_pf();
    conn.SQLExecute_pl("INSERT INTO tblEvent (sEvent) VALUES ('gone')");
    conn.Rollback_pf();
    EXPECT_EQ(scalar("SELECT count(*) FROM tblEvent WHERE sEvent = 'gone'").toLong(), 0);
    // Nothing left to roll back: the caller hears of it, with the base.
    EXPECT_EQ(errorOf([&] { conn.Rollback_pf(); }) & AppError::ObjectErrorBase, AppError::ObjectErrorBase);
    EXPECT_EQ(lastSource, "clsAdoConnectJet.Rollback_pf");
}

TEST_F(AdoConnectionTest, ConnectStringNamesTheFileButNeverTheKey)
{
    EXPECT_TRUE(conn.ConnectString_ps().contains(folder.databasePath()));
    EXPECT_FALSE(conn.ConnectString_ps().contains("RORUDAZE", Qt::CaseInsensitive));
    conn.CloseConnection();
    EXPECT_FALSE(conn.IsOpen());
    EXPECT_EQ(errorOf([&] { conn.SQLExecute_pl("SELECT 1"); }), AppError::withObjectBase(3704));
}

// Opening, against data link files of every shape the program may meet.
class DataLinkTest : public ::testing::Test {
protected:
    qint32 openError()
    {
        clsAdoConnectJet conn;
        conn.UDL(folder.udlPath());
        try {
            conn.OpenConnection_pf();
        } catch (const AppError& e) {
            description = e.description();
            source = e.source();
            return e.number();
        }
        return 0;
    }
    TempProgramFolder folder;
    QString description;
    QString source;
};

TEST_F(DataLinkTest, MissingDataLinkFileRaises432)
{
    ASSERT_TRUE(folder.createDatabase());
    EXPECT_EQ(openError(), ErrNo::DataLinkFileMissing);
    EXPECT_EQ(description, "A UDL file was specified but none was found, please contact software supplier.");
    EXPECT_EQ(source, "clsAdoConnectJet.OpenConnection_pf");
}

TEST_F(DataLinkTest, ReadsWindowsStyleUtf16Files)
{
    ASSERT_TRUE(folder.createDatabase());
    const QString text = QStringLiteral("[oledb]\r\n; Everything after this line is an OLE DB initstring\r\n"
                                        "provider=Microsoft.Jet.OLEDB.4.0;data source=splitwerk.mdb;"
                                        "Persist Security Info=False;Jet OLEDB:Database Password=RORUDAZE\r\n");
    QByteArray bytes("\xFF\xFE", 2);
    bytes += QStringEncoder(QStringEncoder::Utf16LE).encode(text);
    ASSERT_TRUE(folder.writeUdl(bytes));
    EXPECT_EQ(openError(), 0) << qPrintable(description);
}

TEST_F(DataLinkTest, MissingDatabaseFailsWithoutMakingAFile)
{
    ASSERT_TRUE(folder.writeUdl());
    EXPECT_EQ(openError(), ErrNo::DatabaseNotFound);
    EXPECT_FALSE(QFile::exists(folder.databasePath()));
}

TEST_F(DataLinkTest, WrongKeyIsRefused)
{
    ASSERT_TRUE(folder.createDatabase());
    ASSERT_TRUE(folder.writeUdl("Provider=SQLCipher;Data Source=splitwerk.mdb;Password=wrong"));
    EXPECT_EQ(openError(), ErrNo::NotValidPassword);
}

}  // namespace
