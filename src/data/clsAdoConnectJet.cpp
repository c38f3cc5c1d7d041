#include "data/clsAdoConnectJet.h"

#include "platform/AppError.h"
#include "platform/AppInfo.h"
#include "platform/BusyCursor.h"
#include "platform/Connection.h"
#include "platform/MessagePresenter.h"
#include "platform/Recordset.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

#include <charconv>
#include <cmath>

namespace {
const QString kSource = QStringLiteral("clsAdoConnectJet");

QString src(const char* member) { return kSource + QLatin1Char('.') + QLatin1String(member); }

constexpr qint32 ObjectClosed = 3704;

bool isNumericType(qint32 t)
{
    switch (t) {
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
    case 14:
    case 16:
    case 17:
    case 18:
    case 20:
    case 21:
    case 72:
    case 128:
    case 131:
    case 139:
    case 204:
    case 205: return true;
    default: return false;
    }
}

bool isTextType(qint32 t)
{
    switch (t) {
    case 8:
    case 12:
    case 13:
    case 129:
    case 130:
    case 200:
    case 201:
    case 202: return true;
    default: return false;
    }
}

QString decodeDataLink(const QByteArray& bytes)
{
    if (bytes.startsWith("\xFF\xFE"))
        return QStringDecoder(QStringDecoder::Utf16LE).decode(bytes.mid(2));
    if (bytes.startsWith("\xFE\xFF"))
        return QStringDecoder(QStringDecoder::Utf16BE).decode(bytes.mid(2));
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    return QString::fromUtf8(bytes);
}

QString unquote(QString v)
{
    v = v.trimmed();
    if (v.size() >= 2 && (v.front() == QLatin1Char('"') || v.front() == QLatin1Char('\'')) && v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    return v;
}
}  // namespace

clsAdoConnectJet::clsAdoConnectJet() : m_connection(std::make_unique<::Connection>()) {}

clsAdoConnectJet::~clsAdoConnectJet()
{
    try {
        if (m_connection)
            m_connection->Close();
    } catch (...) {
    }
}

void clsAdoConnectJet::JetVersion(qint32 v)
{
    m_jetVersion = v;
    if (v == 351)
        m_provider = QStringLiteral("Microsoft.Jet.OLEDB.3.51");
    else if (v == 400)
        m_provider = QStringLiteral("Microsoft.Jet.OLEDB.4.0");
}

bool clsAdoConnectJet::IsOpen() const { return m_connection && m_connection->IsOpen(); }

clsAdoConnectJet::DataLink clsAdoConnectJet::ReadDataLink(const QString& udlPath)
{
    const QString path = QDir(AppInfo::path()).absoluteFilePath(udlPath);
    QFile file(path);
    if (!QFileInfo(path).isFile())
        throw AppError(ErrNo::DataLinkFileMissing, QLatin1String(DataLinkMissingText));
    const auto unreadable = [&] {
        return AppError(ErrNo::OleDbFailed,
                        QStringLiteral("The data link file '%1' cannot be read: it is damaged or names no database.")
                            .arg(QDir::toNativeSeparators(path)));
    };
    if (!file.open(QIODevice::ReadOnly))
        throw unreadable();

    DataLink link;
    QString passwordKey;  // the user password, used only without a database password
    const QString text = decodeDataLink(file.readAll());
    for (const QString& rawLine : text.split(QRegularExpression(QStringLiteral("[\r\n]+")))) {
        const QString line = rawLine.trimmed();
        // "[oledb]" and the comment line that Windows writes above the init string.
        if (line.isEmpty() || line.startsWith(QLatin1Char('[')) || line.startsWith(QLatin1Char(';')))
            continue;
        for (const QString& pair : line.split(QLatin1Char(';'))) {
            const int eq = pair.indexOf(QLatin1Char('='));
            if (eq < 0)
                continue;
            const QString key = pair.left(eq).trimmed();
            const QString value = unquote(pair.mid(eq + 1));
            if (key.compare(QLatin1String("Provider"), Qt::CaseInsensitive) == 0)
                link.provider = value;
            else if (key.compare(QLatin1String("Data Source"), Qt::CaseInsensitive) == 0)
                link.dataSource = value;
            else if (key.compare(QLatin1String("Jet OLEDB:Database Password"), Qt::CaseInsensitive) == 0)
                link.password = value;
            else if (key.compare(QLatin1String("Password"), Qt::CaseInsensitive) == 0)
                passwordKey = value;
        }
    }
    if (link.password.isEmpty())
        link.password = passwordKey;
    // Without a database to name the file is of no use, whatever else it holds.
    if (link.dataSource.isEmpty())
        throw unreadable();
    link.dataSource = QDir::cleanPath(QDir(AppInfo::path()).absoluteFilePath(link.dataSource));
    return link;
}

QString clsAdoConnectJet::buildConnectString() const
{
    // The passwords stay out: the string is shown and logged.
    QStringList parts;
    parts << QStringLiteral("User ID=") + m_userID << QStringLiteral("Data Source=") + m_dataSource;
    if (!m_systemDBName.isEmpty())
        parts << QStringLiteral("Jet OLEDB:System database=") + m_systemDBName;
    if (!m_registryPath.isEmpty())
        parts << QStringLiteral("Jet OLEDB:Registry Path=") + m_registryPath;
    return parts.join(QLatin1Char(';'));
}

bool clsAdoConnectJet::OpenConnection_pf()
{
    CloseConnection();
    try {
        QString path;
        QString key;
        QString described;
        if (!m_udl.isEmpty()) {
            const DataLink link = ReadDataLink(m_udl);
            path = link.dataSource;
            key = link.password;
            QStringList parts;
            if (!link.provider.isEmpty())
                parts << QStringLiteral("Provider=") + link.provider;
            parts << QStringLiteral("Data Source=") + path;
            described = parts.join(QLatin1Char(';'));
        } else {
            path = m_dataSource.isEmpty() ? QString()
                                          : QDir::cleanPath(QDir(AppInfo::path()).absoluteFilePath(m_dataSource));
            key = m_databasePassword;
            described = buildConnectString();
        }
        m_connection->Open(path, key, BusyTimeoutMs);
        m_connectString = described;
        return true;
    } catch (const AppError& e) {
        if (e.number() == ErrNo::DataLinkFileMissing)
            throw AppError(e.number(), QLatin1String(DataLinkMissingText), src("OpenConnection_pf"));
        throw e.withSource(src("OpenConnection_pf"));
    }
}

void clsAdoConnectJet::CloseConnection()
{
    if (!IsOpen())
        return;
    try {
        m_connection->Close();
    } catch (const AppError& e) {
        MessagePresenter::show(QStringLiteral("Error: %1. %2").arg(e.number()).arg(e.description()),
                               MessageBoxStyle::OK, QStringLiteral("CloseConnection"));
    } catch (...) {
    }
    m_connectString.clear();
}

void clsAdoConnectJet::requireOpen(const QString& source) const
{
    if (!IsOpen())
        throw AppError(AppError::withObjectBase(ObjectClosed),
                       QStringLiteral("Operation is not allowed when the object is closed."), source);
}

// ---- quoting -------------------------------------------------------------

QString clsAdoConnectJet::sqlNumber(const Value& value)
{
    switch (value.kind()) {
    case Value::Kind::Boolean: return value.toBool() ? QStringLiteral("-1") : QStringLiteral("0");
    case Value::Kind::Long: return QString::number(value.toLong());
    default: break;
    }
    // Text goes through the user's locale (and "." as a fall-back); 13 otherwise.
    const double d = value.toDouble();
    // No literal stands for these: writing NULL or 9e999 would change the meaning.
    if (!std::isfinite(d))
        throw AppError(ErrNo::TypeMismatch, AppError::standardDescription(ErrNo::TypeMismatch));
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, d);
    return QString::fromLatin1(buf, int(res.ptr - buf));
}

QString clsAdoConnectJet::sqlText(const QString& text)
{
    QString s = text;
    s.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + s + QLatin1Char('\'');
}

QString clsAdoConnectJet::sqlDate(const Value& value)
{
    return QLatin1Char('\'') + value.toDate().toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char('\'');
}

QString clsAdoConnectJet::sqlTime(const Value& value)
{
    return QLatin1Char('\'') + value.toTime().toString(QStringLiteral("HH:mm:ss")) + QLatin1Char('\'');
}

QString clsAdoConnectJet::sqlDateTime(const Value& value)
{
    return QLatin1Char('\'') + value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QLatin1Char('\'');
}

QString clsAdoConnectJet::sqlBoolean(const Value& value)
{
    return value.toBool() ? QStringLiteral("-1") : QStringLiteral("0");
}

QString clsAdoConnectJet::sqlLikePattern(const QString& pattern)
{
    QString out;
    out.reserve(pattern.size() + 16);
    for (const QChar c : pattern) {
        switch (c.unicode()) {
        case '\\': out += QLatin1String("\\\\"); break;
        case '%': out += QLatin1String("\\%"); break;
        case '_': out += QLatin1String("\\_"); break;
        case '?': out += QLatin1Char('_'); break;
        case '*': out += QLatin1Char('%'); break;
        case '\'': out += QLatin1String("''"); break;
        default: out += c;
        }
    }
    return QLatin1Char('\'') + out + QLatin1String("' ESCAPE '\\'");
}

QString clsAdoConnectJet::SQLString_ps(const Value& value, qint32 adoType) const
{
    if (value.isNullOrEmpty())
        return QStringLiteral("NULL");
    try {
        if (isNumericType(adoType))
            return sqlNumber(value);
        if (isTextType(adoType))
            return sqlText(value.asText());
        switch (adoType) {
        case adDate:
        case adDBDate: return sqlDate(value);
        case adDBTime: return sqlTime(value);
        case adFileTime:
        case adDBTimeStamp:
        case 137: return sqlDateTime(value);
        case adBoolean: return sqlBoolean(value);
        default: break;
        }
        // Any other type: the value as its own kind, never unquoted text.
        switch (value.kind()) {
        case Value::Kind::Boolean: return sqlBoolean(value);
        case Value::Kind::Long:
        case Value::Kind::Double: return sqlNumber(value);
        case Value::Kind::Date: return sqlDate(value);
        case Value::Kind::Time: return sqlTime(value);
        case Value::Kind::DateTime: return sqlDateTime(value);
        default: return sqlText(value.asText());
        }
    } catch (const AppError& e) {
        // A value that is no number (or date) never reaches the SQL.
        throw e.withSource(src("SQLString_ps"));
    }
}

QString clsAdoConnectJet::SQLLikeString_ps(const Value& value, qint32 adoType) const
{
    if (value.isNullOrEmpty())
        return QStringLiteral("NULL");
    if (adoType != adDate && adoType != adVarChar)
        throw AppError(ErrNo::InvalidPropertyValue, {});
    // Dates are stored as ISO text, so a date pattern must be written that way.
    if (value.isDateLike())
        return sqlLikePattern(value.kind() == Value::Kind::Time
                                  ? value.toTime().toString(QStringLiteral("HH:mm:ss"))
                                  : value.toDate().toString(QStringLiteral("yyyy-MM-dd")));
    return sqlLikePattern(value.asText());
}

// ---- statements and record sets ------------------------------------------

qint32 clsAdoConnectJet::SQLExecute_pl(const QString& sql) { return SQLExecute_pl(sql, {}); }

qint32 clsAdoConnectJet::SQLExecute_pl(const QString& sql, const QList<Value>& params)
{
    BusyCursor busy;
    try {
        requireOpen(kSource);
        const qint64 n = params.isEmpty() ? m_connection->Execute(sql) : m_connection->Execute(sql, params);
        return qint32(n);
    } catch (const AppError& e) {
        throw e.asObjectError(kSource);
    }
}

qint32 clsAdoConnectJet::SQLOpenRecordset_pl(std::unique_ptr<Recordset>& rs, const QString& sql, qint32 cursorType,
                                             qint32 lockType, qint32 options)
{
    if (!rs)
        rs = std::make_unique<Recordset>();
    return SQLOpenRecordset_pl(*rs, sql, cursorType, lockType, options);
}

qint32 clsAdoConnectJet::SQLOpenRecordset_pl(Recordset& rs, const QString& sql, qint32 /*cursorType*/, qint32 lockType,
                                             qint32 /*options*/)
{
    // Every record set is a client-side snapshot, so the cursor type and
    // options change nothing; the lock type decides whether edits are written.
    BusyCursor busy;
    try {
        requireOpen(kSource);
        if (rs.IsOpen())
            rs.Close();
        Recordset::Mode mode = Recordset::Mode::ReadOnly;
        if (lockType == adLockPessimistic || lockType == adLockOptimistic)
            mode = Recordset::Mode::Editable;
        else if (lockType == adLockBatchOptimistic)
            mode = Recordset::Mode::InMemory;
        rs.Open(*m_connection, sql, mode);
        if (!rs.IsEOF()) {
            rs.MoveLast();
            rs.MoveFirst();
        }
        return qint32(rs.RecordCount());
    } catch (const AppError& e) {
        throw e.asObjectError(kSource);
    }
}

// ---- transactions ----------------------------------------------------------

bool clsAdoConnectJet::BeginTrans_pf()
{
    try {
        requireOpen(src("BeginTrans_pf"));
        m_connection->BeginTrans();
        return true;
    } catch (const AppError& e) {
        throw AppError(AppError::withObjectBase(e.number()), e.description(), src("BeginTrans_pf"));
    }
}

bool clsAdoConnectJet::CommitTrans_pf()
{
    try {
        requireOpen(src("CommitTrans_pf"));
        m_connection->CommitTrans();
        return true;
    } catch (const AppError& e) {
        throw AppError(AppError::withObjectBase(e.number()), e.description(), src("CommitTrans_pf"));
    }
}

bool clsAdoConnectJet::Rollback_pf()
{
    try {
        requireOpen(src("Rollback_pf"));
        m_connection->Rollback();
        return true;
    } catch (const AppError& e) {
        throw AppError(AppError::withObjectBase(e.number()), e.description(), src("Rollback_pf"));
    }
}

int clsAdoConnectJet::TransactionLevel() const { return IsOpen() ? m_connection->TransactionDepth() : 0; }

QList<clsErrorHandler::ConnectionError> clsAdoConnectJet::Errors() const
{
    QList<clsErrorHandler::ConnectionError> out;
    if (!m_connection)
        return out;
    for (const auto& e : m_connection->lastErrors())
        out.append({e.number, e.description});
    return out;
}
