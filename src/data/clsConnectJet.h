#pragma once

#include "platform/Value.h"

#include <QString>
#include <QStringList>

#include <memory>

class Connection;
class Recordset;

// The maintenance connection: a second keyed handle on the database file,
// used at start-up to clear temporary tables and views and at shut-down to
// check and compact the file. Its data members mirror the record-set
// connection's; nothing in the program runs data work through them.
class clsConnectJet {
public:
    // Data-access type numbers of this connection's quoting members.
    enum DaoType : qint32 {
        dbBoolean = 1,
        dbByte = 2,
        dbInteger = 3,
        dbLong = 4,
        dbCurrency = 5,
        dbSingle = 6,
        dbDouble = 7,
        dbDate = 8,
        dbText = 10,
        dbMemo = 12
    };

    static constexpr const char* IncorrectConnectionText = "An incorrect connection is being attempted";
    static constexpr const char* WrongPasswordText =
        "The password being passed to the password-protected database is incorrect, "
        "please contact software supplier.";
    static constexpr int BusyTimeoutMs = 1000;
    // The file failed its integrity check (compact raises it with the object-error base).
    static constexpr qint32 DamagedDatabase = 3049;

    // A stored query: an SQLite view. An unnamed one is never stored; it just
    // holds SQL to run.
    class QueryDef {
    public:
        QString Name() const { return m_name; }
        QString SQL() const { return m_sql; }
        // Storing a named query (re)creates its view.
        void SQL(const QString& sql);
        qint32 Execute();  // runs the SQL; rows affected (-1 when none are reported)
        qint32 OpenRecordset(std::unique_ptr<Recordset>& rs);  // read-only snapshot; row count

    private:
        friend class clsConnectJet;
        QueryDef(Connection* conn, QString name, QString sql)
            : m_conn(conn), m_name(std::move(name)), m_sql(std::move(sql))
        {
        }
        Connection* m_conn;
        QString m_name;
        QString m_sql;
    };

    clsConnectJet();
    ~clsConnectJet();  // closes; never throws
    clsConnectJet(const clsConnectJet&) = delete;
    clsConnectJet& operator=(const clsConnectJet&) = delete;

    // ";DATABASE=<full path>;PWD=<password>"
    QString Connect_ps() const { return m_connect; }
    void Connect_ps(const QString& connect) { m_connect = connect; }

    bool OpenConnection_pf();
    void CloseConnection();
    bool IsOpen() const;
    // The open database; raises 91 when none is open.
    Connection* Database_pdb() const;
    // Full path of the open database file; raises 91 when none is open.
    QString Database_ps() const;

    bool BeginTrans_pf();
    bool CommitTrans_pf();
    bool Rollback_pf();
    QString SQLString_ps(const Value& value, qint32 daoType) const;
    QString SQLLikeString_ps(const Value& value, qint32 daoType) const;
    qint32 SQLExecute_pl(const QString& sql);
    qint32 SQLOpenRecordset_pl(std::unique_ptr<Recordset>& rs, const QString& sql, qint32 type = -1,
                               qint32 options = -1, qint32 lockEdit = -1);
    // A new stored query named "qry_Temp_<time>"; its view appears once SQL is set.
    QueryDef CreateTempQuery_pqd();
    bool KillTempQuery_pf(const QString& name);
    // The stored query of that name (3265 when there is none), or an unnamed one.
    QueryDef QueryDef_pqd(const QString& name = {});

    // Housekeeping. Names compare without regard to case; SQLite's own
    // objects are never touched; an empty text matches nothing. Each returns
    // how many it dropped.
    qint32 DropTablesContaining(const QString& text);
    qint32 DropViewsContaining(const QString& text);
    bool TableExists(const QString& name) const;
    // Checks the file and rebuilds it in place (VACUUM), opening this
    // connection when needed. Every other handle must be closed first; a
    // failure leaves the previous file intact, and a damaged file is not
    // touched at all (DamagedDatabase).
    void compact();

    // The parts of a connect string; keys compare without regard to case.
    static void ParseConnect(const QString& connect, QString* path, QString* password);

private:
    Connection& requireDatabase() const;

    QString m_connect;
    std::unique_ptr<Connection> m_connection;
};
