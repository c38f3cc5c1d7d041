#pragma once

#include "app/clsStatusMessage.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

class clsMessageHandler;

// Keeps one status message on the stack while it lives. Removes its own
// message, whatever order the guards die in.
class clsThisStatusMessage {
public:
    clsThisStatusMessage(std::weak_ptr<clsMessageHandler> handler, std::shared_ptr<clsStatusMessage> message);
    ~clsThisStatusMessage();
    clsThisStatusMessage(const clsThisStatusMessage&) = delete;
    clsThisStatusMessage& operator=(const clsThisStatusMessage&) = delete;

    void Message_ps(const QString& text);

private:
    std::weak_ptr<clsMessageHandler> m_handler;
    std::shared_ptr<clsStatusMessage> m_message;
};

// A status-bar progress value for as long as it lives.
class clsProgressMeter {
public:
    explicit clsProgressMeter(std::weak_ptr<clsMessageHandler> handler) : m_handler(std::move(handler)) {}
    ~clsProgressMeter();
    clsProgressMeter(const clsProgressMeter&) = delete;
    clsProgressMeter& operator=(const clsProgressMeter&) = delete;
    void Progress_pl(qint32 value);

private:
    std::weak_ptr<clsMessageHandler> m_handler;
};

// Every message box of the windows, and the stack of status-bar messages.
class clsMessageHandler : public std::enable_shared_from_this<clsMessageHandler> {
public:
    using StatusOutput = std::function<void(qint32 action, const QVariant& value)>;

    clsMessageHandler() = default;

    bool ProgressMeterActive_pf() const { return m_progressMeterActive; }
    void ProgressMeterActive_pf(bool active) { m_progressMeterActive = active; }

    // Adds the information icon when the style has none and shows the box
    // without a title; returns the button pressed. Details go into the box's
    // own scrolling pane (MessagePresenter).
    qint32 ShowMessage_gl(const QString& prompt, qint32 style, const QString& details = {});
    qint32 ShowMessage_gl(const QString& prompt, qint32* style, const QString& details = {});

    const QList<std::shared_ptr<clsStatusMessage>>& StatusMessages_pcol() const { return m_messages; }
    std::unique_ptr<clsThisStatusMessage> CreateStatusMessage_po(const QString& text);
    std::unique_ptr<clsProgressMeter> CreateProgressMeter_po();
    void RefreshStatusMessages_p();

    void removeMessage(const clsStatusMessage* message);
    void sysCmd(qint32 action, const QVariant& value = {});
    // Where status texts go: the application object routes them to its status bar.
    void setStatusOutput(StatusOutput output) { m_statusOutput = std::move(output); }

private:
    bool m_progressMeterActive = false;
    QList<std::shared_ptr<clsStatusMessage>> m_messages;
    StatusOutput m_statusOutput;
};
