#include "data/clsConnectJet.h"

#include "app/clsMessageHandler.h"
#include "app/modapp.h"
#include "data/clsAdoConnectJet.h"
#include "platform/AppError.h"
#include "platform/AppInfo.h"
#include "platform/BusyCursor.h"
#include "platform/Connection.h"
#include "platform/MessagePresenter.h"
#include "platform/Recordset.h"

#include <QDir>
#include <QTime>

namespace {
const QString kSource = QStringLiteral("clsConnectJet");
QString src(const char* member) { return kSource + QLatin1Char('.') + QLatin1String(member); }

constexpr qint32 ObjectNotSet = 91;
constexpr qint32 NotValidFileName = 3055;

AppError objectError(const AppError& e, const QString& source)
{
    return AppError(AppError::withObjectBase(e.number()), e.description(), source);
}

QString quoteIdentifier(const QString& name)
{
    QString s = name;
    s.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

void showCritical(const QString& text)
{
    if (clsMessageHandler* handler = modapp::MessageHandler())
        handler->ShowMessage_gl(text, MessageBoxStyle::Critical);
    else
        MessagePresenter::show(text, MessageBoxStyle::Critical);
}
}  // namespace

// ---- stored queries -------------------------------------------------------

void clsConnectJet::QueryDef::SQL(const QString& sql)
{
    m_sql = sql;
    if (m_name.isEmpty() || !m_conn)
        return;
    m_conn->Execute(QStringLiteral("DROP VIEW IF EXISTS ") + quoteIdentifier(m_name));
    m_conn->Execute(QStringLiteral("CREATE VIEW ") + quoteIdentifier(m_name) + QStringLiteral(" AS ") + sql);
}

qint32 clsConnectJet::QueryDef::Execute()
{
    if (!m_conn)
        throw AppError(ObjectNotSet, QStringLiteral("Object variable or With block variable not set"));
    return qint32(m_conn->Execute(m_sql));
}

qint32 clsConnectJet::QueryDef::OpenRecordset(std::unique_ptr<Recordset>& rs)
{
    if (!m_conn)
        throw AppError(ObjectNotSet, QStringLiteral("Object variable or With block variable not set"));
    if (!rs)
        rs = std::make_unique<Recordset>();
    if (rs->IsOpen())
        rs->Close();
    rs->Open(*m_conn, m_sql, Recordset::Mode::ReadOnly);
    return qint32(rs->RecordCount());
}

// ---- the connection -------------------------------------------------------

clsConnectJet::clsConnectJet() = default;

clsConnectJet::~clsConnectJet()
{
    try {
        CloseConnection();
    } catch (...) {
    }
}

void clsConnectJet::ParseConnect(const QString& connect, QString* path, QString* password)
{
    for (const QString& part : connect.split(QLatin1Char(';'))) {
        const int eq = part.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QString key = part.left(eq).trimmed();
        const QString value = part.mid(eq + 1);
        if (key.compare(QLatin1String("DATABASE"), Qt::CaseInsensitive) == 0 && path)
            *path = value.trimmed();
        else if (key.compare(QLatin1String("PWD"), Qt::CaseInsensitive) == 0 && password)
            *password = value;
    }
}

bool clsConnectJet::IsOpen() const { return m_connection && m_connection->IsOpen(); }

void clsConnectJet::CloseConnection()
{
    if (m_connection)
        m_connection->Close();
    m_connection.reset();
}

bool clsConnectJet::OpenConnection_pf()
{
    CloseConnection();
    QString path;
    try {
        if (m_connect.isEmpty()) {
            showCritical(QLatin1String(IncorrectConnectionText));
            throw AppError(NotValidFileName, QStringLiteral("Not a valid file name."));
        }
        QString password;
        ParseConnect(m_connect, &path, &password);
        if (!path.isEmpty())
            path = QDir::cleanPath(QDir(AppInfo::path()).absoluteFilePath(path));
        auto conn = std::make_unique<Connection>();
        conn->Open(path, password, BusyTimeoutMs);
        m_connection = std::move(conn);
        return true;
    } catch (const AppError& e) {
        if (e.number() == ErrNo::NotValidPassword) {
            // Our key is built in: a file it does not open may as well be damaged or foreign.
            throw AppError(AppError::withObjectBase(e.number()),
                           QLatin1String(WrongPasswordText)
                               + QStringLiteral(" The database file '%1' may also be damaged or no database.")
                                     .arg(QDir::toNativeSeparators(path)),
                           src("OpenConnection_pf"));
        }
        throw objectError(e, src("OpenConnection_pf"));
    }
}

Connection& clsConnectJet::requireDatabase() const
{
    if (!IsOpen())
        throw AppError(ObjectNotSet, QStringLiteral("Object variable or With block variable not set"));
    return *m_connection;
}

Connection* clsConnectJet::Database_pdb() const { return &requireDatabase(); }

QString clsConnectJet::Database_ps() const { return requireDatabase().FilePath(); }

// ---- the members nothing calls -----------------------------------------------

bool clsConnectJet::BeginTrans_pf()
{
    try {
        requireDatabase().BeginTrans();
        return true;
    } catch (const AppError& e) {
        throw objectError(e, src("BeginTrans_pf"));
    }
}

bool clsConnectJet::CommitTrans_pf()
{
    try {
        requireDatabase().CommitTrans();
        return true;
    } catch (const AppError& e) {
        throw objectError(e, src("CommitTrans_pf"));
    }
}

bool clsConnectJet::Rollback_pf()
{
    try {
        requireDatabase().Rollback();
        return true;
    } catch (const AppError& e) {
        throw objectError(e, src("Rollback_pf"));
    }
}

QString clsConnectJet::SQLString_ps(const Value& value, qint32 daoType) const
{
    if (value.isNullOrEmpty())
        return QStringLiteral("NULL");
    try {
        switch (daoType) {
        case dbByte:
        case dbInteger:
        case dbLong:
        case dbCurrency:
        case dbSingle:
        case dbDouble: return clsAdoConnectJet::sqlNumber(value);
        case dbDate:
            // The file keeps dates, times and date-times in their own ISO forms.
            if (value.kind() == Value::Kind::Time)
                return clsAdoConnectJet::sqlTime(value);
            if (value.kind() == Value::Kind::DateTime && value.toTime() != QTime(0, 0))
                return clsAdoConnectJet::sqlDateTime(value);
            return clsAdoConnectJet::sqlDate(value);
        case dbText:
        case dbMemo: return clsAdoConnectJet::sqlText(value.asText());
        case dbBoolean: return clsAdoConnectJet::sqlBoolean(value);
        default: break;
        }
        switch (value.kind()) {
        case Value::Kind::Boolean: return clsAdoConnectJet::sqlBoolean(value);
        case Value::Kind::Long:
        case Value::Kind::Double: return clsAdoConnectJet::sqlNumber(value);
        case Value::Kind::Date: return clsAdoConnectJet::sqlDate(value);
        case Value::Kind::Time: return clsAdoConnectJet::sqlTime(value);
        case Value::Kind::DateTime: return clsAdoConnectJet::sqlDateTime(value);
        default: return clsAdoConnectJet::sqlText(value.asText());
        }
    } catch (const AppError& e) {
        throw e.withSource(src("SQLString_ps"));
    }
}

QString clsConnectJet::SQLLikeString_ps(const Value& value, qint32 daoType) const
{
    if (value.isNullOrEmpty())
        return QStringLiteral("NULL");
    if (daoType != dbDate && daoType != dbText && daoType != dbMemo)
        throw AppError(ErrNo::InvalidPropertyValue, {});
    if (value.isDateLike())
        return clsAdoConnectJet::sqlLikePattern(value.toDate().toString(QStringLiteral("yyyy-MM-dd")));
    return clsAdoConnectJet::sqlLikePattern(value.asText());
}

qint32 clsConnectJet::SQLExecute_pl(const QString& sql)
{
    BusyCursor busy;
    try {
        return qint32(requireDatabase().Execute(sql));
    } catch (const AppError& e) {
        throw objectError(e, kSource);
    }
}

qint32 clsConnectJet::SQLOpenRecordset_pl(std::unique_ptr<Recordset>& rs, const QString& sql, qint32 /*type*/,
                                          qint32 /*options*/, qint32 /*lockEdit*/)
{
    // A snapshot whatever the record-set type asked for: nothing edits through here.
    BusyCursor busy;
    try {
        QueryDef query(&requireDatabase(), QString(), sql);
        const qint32 count = query.OpenRecordset(rs);
        if (!rs->IsEOF()) {
            rs->MoveLast();
            rs->MoveFirst();
        }
        return count;
    } catch (const AppError& e) {
        throw objectError(e, kSource);
    }
}

clsConnectJet::QueryDef clsConnectJet::CreateTempQuery_pqd()
{
    // Seconds since midnight times 100000, as whole digits.
    const qint64 stamp = qint64(QTime::currentTime().msecsSinceStartOfDay()) * 100;
    const QString name = QStringLiteral("qry_Temp_%1").arg(stamp);
    Connection* conn = IsOpen() ? m_connection.get() : nullptr;
    if (conn) {
        try {
            conn->Execute(QStringLiteral("DROP VIEW IF EXISTS ") + quoteIdentifier(name));
        } catch (...) {
        }
    }
    return QueryDef(conn, name, QString());
}

bool clsConnectJet::KillTempQuery_pf(const QString& name)
{
    requireDatabase().DropView(name);
    return true;
}

clsConnectJet::QueryDef clsConnectJet::QueryDef_pqd(const QString& name)
{
    Connection& conn = requireDatabase();
    if (name.isEmpty())
        return QueryDef(&conn, QString(), QString());
    const Value sql = conn.ExecuteScalar(
        QStringLiteral("SELECT sql FROM main.sqlite_master WHERE type = 'view' AND name = ? COLLATE NOCASE"),
        {Value(name)});
    if (sql.isNull())
        throw AppError(ErrNo::ItemNotFound, QStringLiteral("Item not found in this collection."));
    // The stored text is the whole CREATE VIEW statement; the query follows " AS ".
    QString text = sql.asText();
    const int as = text.indexOf(QLatin1String(" AS "), 0, Qt::CaseInsensitive);
    if (as >= 0)
        text = text.mid(as + 4).trimmed();
    return QueryDef(&conn, name, text);
}

// ---- housekeeping ----------------------------------------------------------

qint32 clsConnectJet::DropTablesContaining(const QString& text)
{
    if (text.isEmpty())
        return 0;
    Connection& conn = requireDatabase();
    // Names first, then drops: the list does not shift under the walk.
    qint32 dropped = 0;
    for (const QString& name : conn.TableNames())
        if (name.contains(text, Qt::CaseInsensitive)) {
            conn.DropTable(name);
            ++dropped;
        }
    return dropped;
}

qint32 clsConnectJet::DropViewsContaining(const QString& text)
{
    if (text.isEmpty())
        return 0;
    Connection& conn = requireDatabase();
    qint32 dropped = 0;
    for (const QString& name : conn.ViewNames())
        if (name.contains(text, Qt::CaseInsensitive)) {
            conn.DropView(name);
            ++dropped;
        }
    return dropped;
}

bool clsConnectJet::TableExists(const QString& name) const
{
    if (!IsOpen())
        return false;
    try {
        for (const QString& t : m_connection->TableNames())
            if (t.compare(name, Qt::CaseInsensitive) == 0)
                return true;
    } catch (const AppError&) {
    }
    return false;
}

void clsConnectJet::compact()
{
    try {
        if (!IsOpen())
            OpenConnection_pf();
        Connection& conn = *m_connection;
        // SQLite cannot repair a file; a damaged one is left alone rather than rebuilt.
        QString damage;
        try {
            const Value check = conn.ExecuteScalar(QStringLiteral("PRAGMA integrity_check"));
            if (check.asText().compare(QLatin1String("ok"), Qt::CaseInsensitive) != 0)
                damage = check.asText();
        } catch (const AppError& e) {
            // A page that fails its cipher check, or one SQLite cannot make sense of.
            if (e.number() != ErrNo::NotValidPassword
                && !e.description().contains(QLatin1String("malformed"), Qt::CaseInsensitive))
                throw;
            damage = e.description();
        }
        if (!damage.isEmpty())
            throw AppError(DamagedDatabase, QStringLiteral("The database failed its integrity check: %1").arg(damage));
        // VACUUM rebuilds the file inside one transaction: a failure or a kill
        // at any moment leaves the previous file as it was.
        conn.Execute(QStringLiteral("VACUUM"));
    } catch (const AppError& e) {
        throw objectError(e, src("compact"));
    }
}
