#pragma once

#include "ui/login/frmConfirmPass.h"

#include <QQueue>
#include <QStringList>

// Answers the master password confirmation for window tests: records each password asked for and
// answers from a queue set up beforehand; with the queue empty the user typed the same password
// again. It installs itself for its lifetime and puts the previous action back. useDialog() lets
// the real dialog open, for the tests that drive it.
class ScriptedConfirmations {
public:
    ScriptedConfirmations()
        : m_previous(frmConfirmPass::setConfirmAction([this](QWidget*, const QString& expected) {
              m_asked.append(expected);
              return m_answers.isEmpty() ? true : m_answers.dequeue();
          }))
    {
    }
    ~ScriptedConfirmations() { frmConfirmPass::setConfirmAction(m_previous); }
    ScriptedConfirmations(const ScriptedConfirmations&) = delete;
    ScriptedConfirmations& operator=(const ScriptedConfirmations&) = delete;

    // false: the user cancels the next confirmation.
    void queueAnswer(bool confirmed) { m_answers.enqueue(confirmed); }
    // The passwords the confirmations were asked for, in order.
    const QStringList& asked() const { return m_asked; }
    void useDialog() { frmConfirmPass::setConfirmAction({}); }

private:
    frmConfirmPass::ConfirmAction m_previous;
    QQueue<bool> m_answers;
    QStringList m_asked;
};
