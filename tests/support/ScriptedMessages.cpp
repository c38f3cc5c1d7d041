#include "support/ScriptedMessages.h"

#include "platform/MessagePresenter.h"

#include <gtest/gtest.h>

ScriptedMessages::ScriptedMessages()
{
    MessagePresenter::install([this](const QString& text, int style, const QString& title, const QString& details) {
        m_shown.append({text, style, title, details});
        if (m_whileShown)
            m_whileShown();
        if (m_answers.empty())
            return 1;
        const int r = m_answers.front();
        m_answers.pop_front();
        return r;
    });
}

ScriptedMessages::~ScriptedMessages() { installUnexpectedGuard(); }

void ScriptedMessages::installUnexpectedGuard()
{
    MessagePresenter::install([](const QString& text, int style, const QString&, const QString&) {
        ADD_FAILURE() << "unexpected message box (style " << style << "): " << text.toStdString();
        return 2;
    });
}
