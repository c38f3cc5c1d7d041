#include "app/clsMessageHandler.h"

#include "platform/MessagePresenter.h"

qint32 clsMessageHandler::ShowMessage_gl(const QString& prompt, qint32* style, const QString& details)
{
    if ((*style & 0x70) == 0)
        *style |= 64;
    return MessagePresenter::show(prompt, *style, {}, details);
}

qint32 clsMessageHandler::ShowMessage_gl(const QString& prompt, qint32 style, const QString& details)
{
    return ShowMessage_gl(prompt, &style, details);
}

std::unique_ptr<clsThisStatusMessage> clsMessageHandler::CreateStatusMessage_po(const QString& text)
{
    std::weak_ptr<clsMessageHandler> self = weak_from_this();
    auto message = std::make_shared<clsStatusMessage>([self] {
        if (auto h = self.lock())
            h->RefreshStatusMessages_p();
    });
    m_messages.append(message);
    auto guard = std::make_unique<clsThisStatusMessage>(self, message);
    guard->Message_ps(text);
    return guard;
}

std::unique_ptr<clsProgressMeter> clsMessageHandler::CreateProgressMeter_po()
{
    return std::make_unique<clsProgressMeter>(weak_from_this());
}

void clsMessageHandler::RefreshStatusMessages_p()
{
    if (m_progressMeterActive)
        return;
    if (m_messages.isEmpty())
        sysCmd(1);
    else
        sysCmd(4, m_messages.last()->Message_ps());
}

void clsMessageHandler::removeMessage(const clsStatusMessage* message)
{
    for (int i = 0; i < m_messages.size(); ++i)
        if (m_messages[i].get() == message) {
            m_messages.removeAt(i);
            break;
        }
    RefreshStatusMessages_p();
}

void clsMessageHandler::sysCmd(qint32 action, const QVariant& value)
{
    if (m_statusOutput)
        m_statusOutput(action, value);
}

clsThisStatusMessage::clsThisStatusMessage(std::weak_ptr<clsMessageHandler> handler,
                                           std::shared_ptr<clsStatusMessage> message)
    : m_handler(std::move(handler)), m_message(std::move(message))
{
}

clsThisStatusMessage::~clsThisStatusMessage()
{
    try {
        if (auto h = m_handler.lock())
            h->removeMessage(m_message.get());
    } catch (...) {
    }
}

void clsThisStatusMessage::Message_ps(const QString& text)
{
    if (m_message)
        m_message->Message_ps(text);
}

void clsProgressMeter::Progress_pl(qint32 value)
{
    if (auto h = m_handler.lock())
        h->sysCmd(2, value);
}

clsProgressMeter::~clsProgressMeter()
{
    try {
        if (auto h = m_handler.lock()) {
            h->sysCmd(3);
            h->ProgressMeterActive_pf(false);
            h->RefreshStatusMessages_p();
        }
    } catch (...) {
    }
}
