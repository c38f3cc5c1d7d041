#include "app/clsErrorHandler.h"

#include "app/DatabaseFault.h"
#include "app/WindowServices.h"
#include "app/clsMessageHandler.h"
#include "app/modapp.h"
#include "platform/AppError.h"
#include "platform/MessagePresenter.h"

clsThisActiveProc::clsThisActiveProc(std::weak_ptr<clsErrorHandler> handler, qint64 key)
    : m_handler(std::move(handler)), m_key(key)
{
}

clsThisActiveProc::~clsThisActiveProc() { release(); }

clsThisActiveProc::clsThisActiveProc(clsThisActiveProc&& other) noexcept
    : m_handler(std::move(other.m_handler)), m_key(other.m_key)
{
    other.m_key = -1;
}

clsThisActiveProc& clsThisActiveProc::operator=(clsThisActiveProc&& other) noexcept
{
    if (this != &other) {
        release();
        m_handler = std::move(other.m_handler);
        m_key = other.m_key;
        other.m_key = -1;
    }
    return *this;
}

void clsThisActiveProc::release() noexcept
{
    if (m_key < 0)
        return;
    if (auto h = m_handler.lock())
        h->releaseKey(m_key);
    m_key = -1;
}

clsActiveProc* clsThisActiveProc::record() const
{
    if (m_key < 0)
        return nullptr;
    auto h = m_handler.lock();
    return h ? h->record(m_key) : nullptr;
}

void clsThisActiveProc::TaskName_ps(const QString& task)
{
    if (auto* r = record())
        r->TaskName = task;
}

void clsThisActiveProc::MsgBoxType_pl(qint32 style)
{
    if (auto* r = record())
        r->MsgBoxType = style;
}

clsThisActiveProc clsErrorHandler::RegisterProc_po(const QString& moduleName, const QString& procName,
                                                   const QString& taskName, qint32 msgBoxType)
{
    const qint64 key = m_counter++;
    m_procs.emplace(key, clsActiveProc{moduleName, procName, taskName, msgBoxType});
    return clsThisActiveProc(weak_from_this(), key);
}

void clsErrorHandler::ReleaseProc_p(const QString& key)
{
    bool ok = false;
    const qint64 k = key.toLongLong(&ok);
    if (!ok || !m_procs.count(k))
        throw AppError(ErrNo::InvalidCall, {}, QStringLiteral("clsErrorHandler.ReleaseProc_p"));
    m_procs.erase(k);
}

void clsErrorHandler::releaseKey(qint64 key) noexcept { m_procs.erase(key); }

clsActiveProc* clsErrorHandler::record(qint64 key)
{
    auto it = m_procs.find(key);
    return it == m_procs.end() ? nullptr : &it->second;
}

QString clsErrorHandler::errorText(qint32 number, const QString& description, qint32* style) const
{
    static const QString crlf = QStringLiteral("\r\n");
    // Numbers that carry the object-error bits are shown without the base.
    bool system = false;
    qint64 shown = number;
    if (number & AppError::ObjectErrorBase) {
        system = true;
        shown = qint64(number) + 2147221504LL;
    }

    QString desc = description;
    QList<ConnectionError> errors;
    if (m_connectionErrors) {
        try {
            errors = m_connectionErrors();
        } catch (...) {
            errors.clear();
        }
    }
    if (!errors.isEmpty()) {
        // The connection's last error is the one reported when both name the
        // same failure with the object-error bits set aside (a class may have
        // added the base on the way up).
        const qint32 bits = AppError::ObjectErrorBase;
        const bool same = (errors.last().number & ~bits) == (number & ~bits);
        if (same)
            for (int i = 0; i + 1 < errors.size(); ++i)
                desc += crlf + crlf + errors[i].description;
    }

    const clsActiveProc* newest = m_procs.empty() ? nullptr : &m_procs.rbegin()->second;
    auto line = [](const clsActiveProc& p) {
        return p.ModuleName + QLatin1Char('.') + p.ProcName + QLatin1Char('.') + p.TaskName;
    };
    QString chain;
    for (auto it = m_procs.rbegin(); it != m_procs.rend(); ++it)
        chain += crlf + line(it->second);

    QString text;
    if (DatabaseFault::of(number)) {
        // A fault of the database file itself is told in words wherever it met
        // us, with its own number once; the technical lines follow for support.
        text = DatabaseFault::message(WindowServices::text(4194, QStringLiteral("This could not be done")),
                                      AppError(number, desc))
            + chain;
    } else {
        text = system ? QStringLiteral("System ") : QString();
        text += QStringLiteral("Error ") + QString::number(shown) + QStringLiteral(" encountered in ");
        text += newest ? line(*newest) : QStringLiteral("..");
        text += crlf + crlf + QLatin1Char('@') + desc;
        text += crlf + chain + QLatin1Char('@');
    }

    qint32 s = newest ? newest->MsgBoxType : 0;
    if ((s & 0x70) == 0)
        s |= 48;
    if (style)
        *style = s;
    return text;
}

qint32 clsErrorHandler::HandleError_pl(qint32 number, const QString& description) noexcept
{
    try {
        qint32 style = 0;
        const QString text = errorText(number, description, &style);
        if (auto* mh = modapp::MessageHandler())
            return mh->ShowMessage_gl(text, style);
        return MessagePresenter::show(text, style);
    } catch (...) {
        return 0;
    }
}
