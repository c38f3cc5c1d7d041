#pragma once

#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

class clsLibrary;
class clsErrorHandler;
class clsMessageHandler;
class clsConnectJet;
class clsAdoConnectJet;
class clsStrings;
class clsFormRefresher;
class clsObjectHelpers;
class clsActiveControl;
class clsFormSettings;
class clsGridSettings;

// The application object: owns every shared service for the whole run, keeps
// the registry version stamp and country code in step, writes the main
// window's status text, and carries start-up, housekeeping and shut-down.
class WindowHost;

class clsThisApp {
public:
    // The database password of the maintenance connection.
    static constexpr const char* DatabasePassword = "RORUDAZE";
    // HKEY_LOCAL_MACHINE, as the registry members take it.
    static constexpr qint32 HKeyLocalMachine = static_cast<qint32>(0x80000002u);

    clsThisApp();
    ~clsThisApp();  // the shut-down sequence
    clsThisApp(const clsThisApp&) = delete;
    clsThisApp& operator=(const clsThisApp&) = delete;

    clsErrorHandler* ErrorHandler_po() const { return m_errorHandler.get(); }
    clsMessageHandler* MessageHandler_po() const { return m_messageHandler.get(); }
    clsLibrary* Library_po() const { return m_library.get(); }
    clsConnectJet* DatabaseDao_Po() const { return m_dao.get(); }
    clsAdoConnectJet* DatabaseAdo_Po() const { return m_ado.get(); }
    clsStrings* Strings_po() const { return m_strings.get(); }
    clsFormRefresher* FormRefresher_po() const { return m_formRefresher.get(); }
    // The main window while one runs (it lends itself), else null.
    WindowHost* Host_po() const { return m_host; }
    void Host_po(WindowHost* host) { m_host = host; }
    clsObjectHelpers* ObjectHelper_Po() const { return m_objectHelpers.get(); }
    clsActiveControl* ActiveControl_Po() const { return m_activeControl.get(); }
    clsFormSettings* FormSettings_Po() const { return m_formSettings.get(); }
    clsGridSettings* GridSettings_Po() const { return m_gridSettings.get(); }
    QString Language_ps() const { return m_language; }
    QString StringsIniFile_ps() const { return m_stringsIniFile; }
    QVariant RegistryBaseSectionKeyName() const { return m_baseKey; }

    std::shared_ptr<clsLibrary> libraryShared() const { return m_library; }
    std::shared_ptr<clsMessageHandler> messageHandlerShared() const { return m_messageHandler; }
    std::shared_ptr<clsErrorHandler> errorHandlerShared() const { return m_errorHandler; }

    void LoginAttempt_p();

    bool TableExists_gf(clsConnectJet* database, const QString& tableName) const;
    bool KillTempQueries_pf();
    bool KillQueriesLike_pf(const QString& pattern);
    bool KillTablesLike_pf(const QString& pattern);
    bool RepairAndCompact_gf();

    // Status text of the main window: 1/3 clear, 2/4 set; nothing without a main window.
    void SysCmd_g(qint32 action, const QVariant& value = {});
    void setMenusAndButtonDefaults_g();
    void CheckSystemSettingsStatus();

    // The main window registers where status texts and the no-child menu state go.
    void setStatusSink(std::function<void(const QString&)> sink) { m_statusSink = std::move(sink); }
    void setMenuDefaultsSink(std::function<void()> sink) { m_menuDefaultsSink = std::move(sink); }

    // The user has heard that the file is damaged: the exit need not say it again.
    void damageTold() { m_damageTold = true; }

    // The running version as stored in the registry ("2.3.1").
    static QString versionText();
    QString databasePath() const;

private:
    void SystemInit_m();
    // Raises 4001 with the text for an empty setting, or the fault that kept it from being read.
    void requireSetting_m(qint32 id, const QString& value, const QString& missingText) const;
    void checkVersionStamp_m();
    void requireMaintenance_m() const;
    void rollBackOpenWork_m() noexcept;
    void tellDamaged_m(const QString& path) noexcept;

    QString m_baseKey;
    std::shared_ptr<clsLibrary> m_library;
    std::shared_ptr<clsErrorHandler> m_errorHandler;
    std::shared_ptr<clsMessageHandler> m_messageHandler;
    std::unique_ptr<clsConnectJet> m_dao;
    std::unique_ptr<clsAdoConnectJet> m_ado;
    std::unique_ptr<clsStrings> m_strings;
    std::unique_ptr<clsObjectHelpers> m_objectHelpers;
    std::unique_ptr<clsActiveControl> m_activeControl;
    std::unique_ptr<clsFormRefresher> m_formRefresher;
    WindowHost* m_host = nullptr;
    std::unique_ptr<clsFormSettings> m_formSettings;
    std::unique_ptr<clsGridSettings> m_gridSettings;
    QString m_language;
    QString m_stringsIniFile;
    bool m_damageTold = false;
    std::function<void(const QString&)> m_statusSink;
    std::function<void()> m_menuDefaultsSink;
};
