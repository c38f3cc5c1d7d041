#include "support/TempProgramFolder.h"

#include "platform/AppInfo.h"
#include "platform/RegistryStore.h"
#include "platform/SqlScript.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>

namespace {
const QString DatabaseName = QStringLiteral("splitwerk.mdb");

QString resourcePath(const QString& name) { return QStringLiteral(SPLITWERK_RESOURCES_DIR "/") + name; }

bool writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size()) {
        ADD_FAILURE() << "cannot write " << qPrintable(path);
        return false;
    }
    return true;
}
}  // namespace

TempProgramFolder::TempProgramFolder()
{
    EXPECT_TRUE(m_dir.isValid()) << qPrintable(m_dir.errorString());
    AppInfo::setPath(m_dir.path());
    AppInfo::setExeName(QStringLiteral("splitwerk"));
    RegistryStore::setFilePath(registryPath());
}

// Back to the defaults: the executable's folder and name, the user's registry file.
TempProgramFolder::~TempProgramFolder()
{
    AppInfo::setPath(QString());
    AppInfo::setExeName(QString());
    RegistryStore::setFilePath(QString());
}

QString TempProgramFolder::path() const { return m_dir.path(); }
QString TempProgramFolder::databasePath() const { return m_dir.filePath(DatabaseName); }
QString TempProgramFolder::udlPath() const { return m_dir.filePath(QStringLiteral("SPLITWERK.UDL")); }
QString TempProgramFolder::stringsPath() const { return m_dir.filePath(QStringLiteral("splitwerk.ini")); }
QString TempProgramFolder::registryPath() const { return m_dir.filePath(QStringLiteral("registry.ini")); }

QString TempProgramFolder::resourceText(const QString& name)
{
    QFile file(resourcePath(name));
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "missing resource " << qPrintable(file.fileName());
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

bool TempProgramFolder::createDatabase(const QString& password)
{
    QString error;
    const bool ok = createDatabaseFromScripts(
        databasePath(), password,
        {resourceText(QStringLiteral("schema.sql")), resourceText(QStringLiteral("seed.sql"))}, &error);
    if (!ok)
        ADD_FAILURE() << "cannot make the test database: " << qPrintable(error);
    return ok;
}

bool TempProgramFolder::writeUdl()
{
    QString text = resourceText(QStringLiteral("SPLITWERK.UDL.in"));
    text.replace(QStringLiteral("@SPLITWERK_DB_NAME@"), DatabaseName);
    return writeUdl(text.toUtf8());
}

bool TempProgramFolder::writeUdl(const QByteArray& content) { return writeFile(udlPath(), content); }

bool TempProgramFolder::writeStringsFile()
{
    QFile::remove(stringsPath());
    if (!QFile::copy(resourcePath(QStringLiteral("splitwerk.ini")), stringsPath())) {
        ADD_FAILURE() << "cannot copy the strings file";
        return false;
    }
    return true;
}

bool TempProgramFolder::makeProgramFiles() { return createDatabase() && writeUdl() && writeStringsFile(); }

bool TempProgramFolder::execSql(const QString& sql, QString* error, const QString& password)
{
    QString message;
    sqlite3* db = nullptr;
    const QByteArray file = QFile::encodeName(databasePath());
    const QByteArray key = password.toUtf8();
    bool ok = sqlite3_open_v2(file.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK
        && sqlite3_key(db, key.constData(), int(key.size())) == SQLITE_OK
        && sqlite3_exec(db, "PRAGMA foreign_keys = ON", nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!ok)
        message = QString::fromUtf8(sqlite3_errmsg(db));
    ok = ok && runSqlScript(db, sql, &message);
    sqlite3_close(db);
    if (error)
        *error = message;
    else if (!ok)
        ADD_FAILURE() << "SQL failed: " << qPrintable(message);
    return ok;
}
