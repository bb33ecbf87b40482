#include "support/ScriptedMessages.h"

ScriptedMessages::ScriptedMessages() : m_previous(setMessagePresenter(this)) {}

ScriptedMessages::~ScriptedMessages()
{
    // Only undo our own installation; a later presenter stays where it is.
    if (messagePresenter() == this)
        setMessagePresenter(m_previous);
}

void ScriptedMessages::queueAnswer(bool yes)
{
    m_answers.enqueue(yes);
}

void ScriptedMessages::clear()
{
    m_answers.clear();
    m_shown.clear();
    m_unexpected = 0;
}

void ScriptedMessages::showMessage(const QString& title, const QString& prompt, qint16 kind)
{
    m_shown.append(Shown{title, prompt, kind, false, false, false});
}

bool ScriptedMessages::askYesNo(const QString& title, const QString& prompt, bool questionIcon)
{
    bool answer = false;
    if (m_answers.isEmpty())
        ++m_unexpected;
    else
        answer = m_answers.dequeue();
    m_shown.append(Shown{title, prompt, 0, true, questionIcon, answer});
    return answer;
}
