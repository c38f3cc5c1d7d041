#pragma once

#include "app/clsErrorHandler.h"
#include "platform/Value.h"

#include <QList>
#include <QString>

#include <memory>

class Connection;
class Recordset;

// The program's one connection for data work: opened through the data link
// file, it quotes values into SQL, runs statements, opens record sets and
// nests transactions. Every window and record object shares the one instance.
class clsAdoConnectJet {
public:
    // Data-access type numbers the callers pass to the quoting members.
    enum AdoType : qint32 {
        adSmallInt = 2,
        adInteger = 3,
        adSingle = 4,
        adDouble = 5,
        adCurrency = 6,
        adDate = 7,
        adBSTR = 8,
        adBoolean = 11,
        adVariant = 12,
        adDecimal = 14,
        adBigInt = 20,
        adNumeric = 131,
        adDBDate = 133,
        adDBTime = 134,
        adDBTimeStamp = 135,
        adChar = 129,
        adWChar = 130,
        adVarChar = 200,
        adLongVarChar = 201,
        adVarWChar = 202,
        adFileTime = 64
    };
    // Record-set arguments; -1 leaves the choice to the connection.
    enum CursorType : qint32 { adOpenUnspecified = -1, adOpenForwardOnly = 0, adOpenStatic = 3 };
    enum LockType : qint32 {
        adLockUnspecified = -1,
        adLockReadOnly = 1,
        adLockPessimistic = 2,
        adLockOptimistic = 3,
        adLockBatchOptimistic = 4
    };

    static constexpr const char* DataLinkMissingText =
        "A UDL file was specified but none was found, please contact software supplier.";
    // Everything runs on one thread: a long wait on our own second handle
    // would only delay the same failure.
    static constexpr int BusyTimeoutMs = 1000;

    clsAdoConnectJet();
    ~clsAdoConnectJet();  // closes; never throws
    clsAdoConnectJet(const clsAdoConnectJet&) = delete;
    clsAdoConnectJet& operator=(const clsAdoConnectJet&) = delete;

    // Connection settings. Only UDL (or, without one, DataSource and
    // DatabasePassword) decide what opens; the rest are kept for callers.
    qint32 Attributes() const { return m_attributes; }
    void Attributes(qint32 v) { m_attributes = v; }
    qint32 CommandTimeout() const { return m_commandTimeout; }
    void CommandTimeout(qint32 v) { m_commandTimeout = v; }
    qint32 ConnectionTimeout() const { return m_connectionTimeout; }
    void ConnectionTimeout(qint32 v) { m_connectionTimeout = v; }
    QString UDL() const { return m_udl; }
    void UDL(const QString& v) { m_udl = v; }
    qint32 CursorLocation() const { return m_cursorLocation; }
    void CursorLocation(qint32 v) { m_cursorLocation = v; }
    QString DatabasePassword() const { return m_databasePassword; }
    void DatabasePassword(const QString& v) { m_databasePassword = v; }
    QString DataSource() const { return m_dataSource; }
    void DataSource(const QString& v) { m_dataSource = v; }
    qint32 IsolationLevel() const { return m_isolationLevel; }
    void IsolationLevel(qint32 v) { m_isolationLevel = v; }
    qint32 JetVersion() const { return m_jetVersion; }
    void JetVersion(qint32 v);
    qint32 Mode() const { return m_mode; }
    void Mode(qint32 v) { m_mode = v; }
    QString Password() const { return m_password; }
    void Password(const QString& v) { m_password = v; }
    QString Provider() const { return m_provider; }
    void Provider(const QString& v) { m_provider = v; }
    QString RegistryPath() const { return m_registryPath; }
    void RegistryPath(const QString& v) { m_registryPath = v; }
    QString SystemDBName() const { return m_systemDBName; }
    void SystemDBName(const QString& v) { m_systemDBName = v; }
    QString UserID() const { return m_userID; }
    void UserID(const QString& v) { m_userID = v; }

    // The connection in use, described without its key.
    QString ConnectString_ps() const { return m_connectString; }
    // The platform connection; exists for the object's whole life.
    ::Connection* Connection() const { return m_connection.get(); }
    bool IsOpen() const;

    // Uses only this object and the files it names, so it may run on a worker
    // thread while no one else uses the object.
    bool OpenConnection_pf();
    void CloseConnection();

    // SQL literals for the database's dialect.
    QString SQLString_ps(const Value& value, qint32 adoType) const;
    QString SQLLikeString_ps(const Value& value, qint32 adoType) const;

    qint32 SQLExecute_pl(const QString& sql);
    // Our own statements: ? placeholders bound in order, nothing quoted by hand.
    qint32 SQLExecute_pl(const QString& sql, const QList<Value>& params);
    // Opens sql into rs (made when empty, closed first when open); the row count.
    qint32 SQLOpenRecordset_pl(std::unique_ptr<Recordset>& rs, const QString& sql, qint32 cursorType = -1,
                               qint32 lockType = -1, qint32 options = -1);
    qint32 SQLOpenRecordset_pl(Recordset& rs, const QString& sql, qint32 cursorType = -1, qint32 lockType = -1,
                               qint32 options = -1);

    bool BeginTrans_pf();
    bool CommitTrans_pf();
    bool Rollback_pf();
    int TransactionLevel() const;

    // The errors the connection reported for its last operation.
    QList<clsErrorHandler::ConnectionError> Errors() const;

    // What a data link file says; Data Source made absolute against the
    // program folder.
    struct DataLink {
        QString provider;
        QString dataSource;
        QString password;
    };
    // Raises 432 when the file is missing, 0x80004005 when it cannot be read
    // or names no database.
    static DataLink ReadDataLink(const QString& udlPath);

    // The pieces of the quoting, shared with the maintenance connection.
    // A number with "." whatever the locale, shortest form that reads back
    // the same; raises 13 for a value that is no number.
    static QString sqlNumber(const Value& value);
    static QString sqlText(const QString& text);     // 'text' with quotes doubled
    static QString sqlDate(const Value& value);      // 'YYYY-MM-DD'
    static QString sqlTime(const Value& value);      // 'HH:MM:SS'
    static QString sqlDateTime(const Value& value);  // 'YYYY-MM-DD HH:MM:SS'
    static QString sqlBoolean(const Value& value);   // -1 / 0
    // A "*"/"?" pattern as a LIKE operand with its own ESCAPE clause.
    static QString sqlLikePattern(const QString& pattern);

private:
    void requireOpen(const QString& source) const;
    QString buildConnectString() const;

    qint32 m_jetVersion = 351;
    QString m_udl;
    QString m_provider = QStringLiteral("Microsoft.Jet.OLEDB.4.0");
    QString m_dataSource;
    QString m_userID = QStringLiteral("admin");
    QString m_password;
    QString m_systemDBName;
    QString m_registryPath;
    QString m_databasePassword;
    qint32 m_attributes = 0;
    qint32 m_commandTimeout = 30;
    qint32 m_connectionTimeout = 15;
    qint32 m_cursorLocation = 3;
    qint32 m_isolationLevel = 4096;
    qint32 m_mode = 0;
    QString m_connectString;
    std::unique_ptr<::Connection> m_connection;
};
