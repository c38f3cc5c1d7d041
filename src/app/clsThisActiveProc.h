#pragma once

#include <QString>
#include <memory>

class clsErrorHandler;
class clsActiveProc;

// Keeps one procedure registered with the error handler for as long as it
// lives. Holds the handler weakly: a guard that outlives the handler (one
// created in the handler that ends the program) is released harmlessly.
class clsThisActiveProc {
public:
    clsThisActiveProc() = default;
    clsThisActiveProc(std::weak_ptr<clsErrorHandler> handler, qint64 key);
    ~clsThisActiveProc();
    clsThisActiveProc(clsThisActiveProc&& other) noexcept;
    clsThisActiveProc& operator=(clsThisActiveProc&& other) noexcept;
    clsThisActiveProc(const clsThisActiveProc&) = delete;
    clsThisActiveProc& operator=(const clsThisActiveProc&) = delete;

    QString Key_ps() const { return m_key < 0 ? QString() : QString::number(m_key); }
    void TaskName_ps(const QString& task);
    void MsgBoxType_pl(qint32 style);

private:
    void release() noexcept;
    clsActiveProc* record() const;

    std::weak_ptr<clsErrorHandler> m_handler;
    qint64 m_key = -1;
};
