#include "app/clsThisApp.h"

#include "app/WindowProc.h"
#include "app/clsActiveControl.h"
#include "app/clsErrorHandler.h"
#include "app/clsFormRefresher.h"
#include "app/clsFormSettings.h"
#include "app/clsGridSettings.h"
#include "app/clsHourglass.h"
#include "app/clsLibrary.h"
#include "app/clsLocaleInfo.h"
#include "app/clsMessageHandler.h"
#include "app/clsObjectHelpers.h"
#include "app/clsRegistry.h"
#include "app/clsStrings.h"
#include "data/clsAdoConnectJet.h"
#include "data/clsConnectJet.h"
#include "platform/AppError.h"
#include "platform/AppInfo.h"
#include "platform/Recordset.h"

#include <QDir>

#include <future>

namespace {
const QString kBackslash = QStringLiteral("\\");

[[noreturn]] void reraise(const AppError& e, const char* source) { throw e.withSource(QString::fromLatin1(source)); }
}  // namespace

clsThisApp::clsThisApp()
{
    m_baseKey = QStringLiteral("SOFTWARE\\") + AppInfo::title();
    m_library = std::make_shared<clsLibrary>();
    m_errorHandler = std::make_shared<clsErrorHandler>();
    m_messageHandler = std::make_shared<clsMessageHandler>();
    m_messageHandler->setStatusOutput([this](qint32 action, const QVariant& value) { SysCmd_g(action, value); });
    m_dao = std::make_unique<clsConnectJet>();
    m_ado = std::make_unique<clsAdoConnectJet>();
    m_strings = std::make_unique<clsStrings>();
    m_objectHelpers = std::make_unique<clsObjectHelpers>();
    m_activeControl = std::make_unique<clsActiveControl>();
    m_formRefresher = std::make_unique<clsFormRefresher>();
    m_formSettings = std::make_unique<clsFormSettings>();
    m_formSettings->BaseRegistrySectionKeyName_ps(m_baseKey);
    m_gridSettings = std::make_unique<clsGridSettings>();
    m_gridSettings->BaseRegistrySectionKeyName_ps(m_baseKey);
    checkVersionStamp_m();
}

QString clsThisApp::versionText()
{
    return QStringLiteral("%1.%2.%3").arg(AppInfo::major()).arg(AppInfo::minor()).arg(AppInfo::revision());
}

QString clsThisApp::databasePath() const
{
    return QDir(AppInfo::path()).filePath(AppInfo::exeName() + QStringLiteral(".mdb"));
}

void clsThisApp::checkVersionStamp_m()
{
    clsRegistry registry;
    const QString general = m_baseKey + kBackslash + QStringLiteral("General");
    const QString stored = registry.GetRegistryValue(HKeyLocalMachine, general, QStringLiteral("Version")).asText();
    if (!stored.isEmpty() && stored.compare(versionText(), Qt::CaseInsensitive) != 0)
        registry.DeleteKeyWithSubKeys(HKeyLocalMachine, m_baseKey);
}

void clsThisApp::CheckSystemSettingsStatus()
{
    clsLocaleInfo locale;
    const QString code =
        locale.GetLocaleInfoPv(clsLocaleInfo::LOCALE_USER_DEFAULT, clsLocaleInfo::LOCALE_ICOUNTRY).asText();
    clsRegistry registry;
    const QString localeKey = m_baseKey + QStringLiteral("\\General\\LocaleInfo");
    const QString stored =
        registry.GetRegistryValue(HKeyLocalMachine, localeKey, QStringLiteral("CountryCode")).asText();
    if (stored.compare(code, Qt::CaseInsensitive) != 0) {
        // Saved grid layouts belong to the old locale's number format.
        ignoringErrors([&] { m_gridSettings->DeleteGridSettingsRegistryEntry_p(); });
        registry.SetRegistryValue(HKeyLocalMachine, localeKey, QStringLiteral("CountryCode"), Value(code));
    }
}

void clsThisApp::SysCmd_g(qint32 action, const QVariant& value)
{
    if (!m_statusSink)
        return;
    QVariant shown = value;
    switch (action) {
    case 1:
    case 3: shown = QString(); break;
    case 2:
    case 4: break;
    default:
        if (m_messageHandler)
            m_messageHandler->ShowMessage_gl(QStringLiteral("An incorrect parameter has been passed to SysCmd_g"), 16);
        break;
    }
    try {
        m_statusSink(shown.toString());
    } catch (const AppError& e) {
        reraise(e, "clsThisApp.SysCmd_g");
    }
}

void clsThisApp::setMenusAndButtonDefaults_g()
{
    if (m_menuDefaultsSink)
        m_menuDefaultsSink();
}

void clsThisApp::LoginAttempt_p()
{
    clsHourglass busy;
    SystemInit_m();
    // Start-up housekeeping: whatever an earlier run left behind goes first.
    QDir::setCurrent(AppInfo::path());
    KillTablesLike_pf(QStringLiteral("temp"));
    KillQueriesLike_pf(QStringLiteral("temp"));
    CheckSystemSettingsStatus();
}

void clsThisApp::SystemInit_m()
{
    try {
        const QString folder = AppInfo::path();
        QDir::setCurrent(folder);

        m_dao = std::make_unique<clsConnectJet>();
        m_dao->Connect_ps(QStringLiteral(";DATABASE=") + databasePath() + QStringLiteral(";PWD=")
                          + QString::fromLatin1(DatabasePassword));
        m_errorHandler->AdoConnection({});
        m_ado = std::make_unique<clsAdoConnectJet>();
        m_ado->UDL(QDir(folder).filePath(QStringLiteral("SPLITWERK.UDL")));
        clsAdoConnectJet* ado = m_ado.get();

        // Each open spends most of its time deriving the key; the two
        // connections are independent, so the record-set connection derives
        // its own on a worker meanwhile. The outcome is still taken in order:
        // a failing maintenance connection is the one reported.
        auto recordSetOpen = std::async(std::launch::async, [ado] { ado->OpenConnection_pf(); });
        try {
            m_dao->OpenConnection_pf();
        } catch (...) {
            recordSetOpen.wait();
            ignoringErrors([&] { ado->CloseConnection(); });
            throw;
        }
        recordSetOpen.get();
        m_errorHandler->AdoConnection([ado] { return ado->Errors(); });
        m_strings->DatabaseConnection(ado);

        const QString file = m_strings->SysStringFromID_pf(170, QString());
        m_stringsIniFile = QDir(folder).filePath(file);
        requireSetting_m(
            170, file,
            QStringLiteral("No message string file is specified (tblSysStrings), contact system administrator"));
        m_language = m_strings->SysStringFromID_pf(180, QString());
        requireSetting_m(180, m_language,
                         QStringLiteral("No Language is specified (tblsysStrings), contact system administrator"));
    } catch (const AppError& e) {
        reraise(e, "SystemInit_m");
    }
}

void clsThisApp::requireSetting_m(qint32 id, const QString& value, const QString& missingText) const
{
    if (!value.isEmpty())
        return;
    // The lookup hides why it found nothing: a damaged or unreadable file is
    // what the user must hear of, not an empty setting.
    std::unique_ptr<Recordset> rs;
    m_ado->SQLOpenRecordset_pl(rs, QStringLiteral("SELECT sString FROM tblSysStrings WHERE lStringID = %1").arg(id),
                               clsAdoConnectJet::adOpenStatic, clsAdoConnectJet::adLockReadOnly);
    throw AppError(ErrNo::NoStringsFile, missingText);
}

bool clsThisApp::TableExists_gf(clsConnectJet* database, const QString& tableName) const
{
    try {
        return database && database->TableExists(tableName);
    } catch (...) {
        return false;
    }
}

void clsThisApp::requireMaintenance_m() const
{
    if (!m_dao || !m_dao->IsOpen())
        throw AppError(91, QStringLiteral("Object variable or With block variable not set"));
}

void clsThisApp::rollBackOpenWork_m() noexcept
{
    // Work a window left uncommitted is never kept; ending it now also frees
    // the file for the maintenance steps that follow.
    ignoringErrors([&] {
        while (m_ado && m_ado->IsOpen() && m_ado->TransactionLevel() > 0)
            if (!m_ado->Rollback_pf())
                break;
    });
}

bool clsThisApp::KillTempQueries_pf()
{
    try {
        requireMaintenance_m();
        m_dao->DropViewsContaining(QStringLiteral("temp"));
        return true;
    } catch (const AppError& e) {
        reraise(e, "clsThisApp.KillTempQueries_pf");
    }
}

bool clsThisApp::KillQueriesLike_pf(const QString& pattern)
{
    try {
        requireMaintenance_m();
        m_dao->DropViewsContaining(pattern);
        return true;
    } catch (const AppError& e) {
        reraise(e, "clsThisApp.KillQueriesLike_pf");
    }
}

bool clsThisApp::KillTablesLike_pf(const QString& pattern)
{
    try {
        requireMaintenance_m();
        if (!pattern.isEmpty())
            m_dao->DropTablesContaining(pattern);
        return true;
    } catch (const AppError& e) {
        reraise(e, "clsThisApp.KillTablesLike_pf");
    }
}

bool clsThisApp::RepairAndCompact_gf()
{
    try {
        // The record-set connection goes first, rolling back whatever a window
        // left open, so the compaction works on a quiet, committed file.
        m_errorHandler->AdoConnection({});
        if (m_strings)
            m_strings->DatabaseConnection(nullptr);
        if (m_ado) {
            ignoringErrors([&] { m_ado->CloseConnection(); });
            m_ado.reset();
        }
        if (!m_dao || !m_dao->IsOpen())
            return false;  // start-up never got the file open: nothing to compact
        // An in-place VACUUM is atomic: a failure or a kill leaves the old file whole.
        const QString path = m_dao->Database_ps();
        try {
            m_dao->compact();
        } catch (const AppError& e) {
            if (e.number() == AppError::withObjectBase(clsConnectJet::DamagedDatabase))
                tellDamaged_m(path);
            throw;
        }
        m_dao.reset();
        return true;
    } catch (const AppError& e) {
        m_dao.reset();
        reraise(e, "clsThisApp.RepairAndCompact_gf");
    }
}

void clsThisApp::tellDamaged_m(const QString& path) noexcept
{
    // The exit ignores its errors; this one the user must hear of, once.
    if (m_damageTold)
        return;
    m_damageTold = true;
    ignoringErrors([&] {
        if (m_messageHandler)
            m_messageHandler->ShowMessage_gl(
                QStringLiteral("The database file '%1' is damaged and was not compacted.\r\n"
                               "Keep a copy of it before anything else is done.")
                    .arg(QDir::toNativeSeparators(path)),
                48);
    });
}

clsThisApp::~clsThisApp()
{
    ignoringErrors([&] { SysCmd_g(4, QStringLiteral("Removing temporary objects from database..")); });
    rollBackOpenWork_m();
    ignoringErrors([&] { KillTempQueries_pf(); });
    ignoringErrors([&] { RepairAndCompact_gf(); });
    ignoringErrors([&] { SysCmd_g(4, QStringLiteral("Closing system objects..")); });
    ignoringErrors([&] { m_dao.reset(); });
    ignoringErrors([&] {
        if (m_errorHandler)
            m_errorHandler->AdoConnection({});
        m_ado.reset();
    });
    ignoringErrors([&] { m_errorHandler.reset(); });
    ignoringErrors([&] { m_messageHandler.reset(); });
    ignoringErrors([&] { m_library.reset(); });
    ignoringErrors([&] { m_strings.reset(); });
    ignoringErrors([&] { m_objectHelpers.reset(); });
    ignoringErrors([&] { m_activeControl.reset(); });
    ignoringErrors([&] { m_formSettings.reset(); });
    ignoringErrors([&] { m_gridSettings.reset(); });
    ignoringErrors([&] { m_formRefresher.reset(); });
    ignoringErrors([&] { SysCmd_g(1); });
    ignoringErrors([&] {
        clsRegistry registry;
        registry.SetRegistryValue(HKeyLocalMachine, m_baseKey + QStringLiteral("\\General"), QStringLiteral("Version"),
                                  Value(versionText()));
    });
}
