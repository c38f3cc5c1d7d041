#pragma once

#include "support/QtPrinters.h"

#include <QList>
#include <QString>
#include <deque>
#include <functional>

// Stands in for every message box while it lives: records what was shown and
// answers from a queue (OK, result 1, once the queue is empty).
class ScriptedMessages {
public:
    struct Shown {
        QString text;
        int style;
        QString title;
        QString details;
    };

    ScriptedMessages();
    ~ScriptedMessages();
    ScriptedMessages(const ScriptedMessages&) = delete;
    ScriptedMessages& operator=(const ScriptedMessages&) = delete;

    void answer(int result) { m_answers.push_back(result); }
    // Runs while each box is up, as events a real box's loop delivers would.
    void whileShown(std::function<void()> step) { m_whileShown = std::move(step); }
    const QList<Shown>& shown() const { return m_shown; }
    int count() const { return int(m_shown.size()); }
    const Shown& last() const { return m_shown.back(); }
    void clear() { m_shown.clear(); }

    // Outside any ScriptedMessages a box fails the running test.
    static void installUnexpectedGuard();

private:
    QList<Shown> m_shown;
    std::deque<int> m_answers;
    std::function<void()> m_whileShown;
};
