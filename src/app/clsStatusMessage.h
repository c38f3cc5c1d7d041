#pragma once

#include <QString>
#include <functional>

// One status-bar text of the message handler's stack.
class clsStatusMessage {
public:
    explicit clsStatusMessage(std::function<void()> onChange = {}) : m_onChange(std::move(onChange)) {}
    QString Message_ps() const { return m_message; }
    void Message_ps(const QString& text)
    {
        m_message = text;
        if (m_onChange)
            m_onChange();
    }

private:
    QString m_message;
    std::function<void()> m_onChange;
};
