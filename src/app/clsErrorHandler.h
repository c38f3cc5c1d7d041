#pragma once

#include "app/clsActiveProc.h"
#include "app/clsThisActiveProc.h"

#include <QList>
#include <QString>
#include <functional>
#include <map>
#include <memory>

// The chain of running window procedures and the central error dialog.
class clsErrorHandler : public std::enable_shared_from_this<clsErrorHandler> {
public:
    struct ConnectionError {
        qint32 number = 0;
        QString description;
    };
    using ConnectionErrorSource = std::function<QList<ConnectionError>()>;

    clsErrorHandler() = default;
    ~clsErrorHandler() = default;

    // The record-set connection's error list; an empty source stands for no
    // connection (before the database opens, or after it closed).
    void AdoConnection(ConnectionErrorSource source) { m_connectionErrors = std::move(source); }
    bool hasAdoConnection() const { return bool(m_connectionErrors); }

    // The registered records in registration order.
    const std::map<qint64, clsActiveProc>& ActiveProcs_pcol() const { return m_procs; }

    clsThisActiveProc RegisterProc_po(const QString& moduleName, const QString& procName, const QString& taskName = {},
                                      qint32 msgBoxType = 0);
    // Raises 5 for a key that is not registered.
    void ReleaseProc_p(const QString& key);
    void releaseKey(qint64 key) noexcept;
    clsActiveProc* record(qint64 key);

    // Shows the dialog and returns the button. Never throws: an error is never lost.
    qint32 HandleError_pl(qint32 number, const QString& description) noexcept;
    // The dialog's text and style, without showing it.
    QString errorText(qint32 number, const QString& description, qint32* style) const;

private:
    std::map<qint64, clsActiveProc> m_procs;
    qint64 m_counter = 0;
    ConnectionErrorSource m_connectionErrors;
};
