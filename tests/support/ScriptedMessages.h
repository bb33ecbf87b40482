#pragma once

#include "app/MessagePresenter.h"

#include <QList>
#include <QQueue>

// A presenter for tests: records every message and question and answers questions from a queue
// set up beforehand. It installs itself for its lifetime and puts the previous presenter back.
class ScriptedMessages : public MessagePresenter {
public:
    struct Shown {
        QString title;
        QString prompt;
        qint16 kind = 0;         // ShowMessage kind; 0 for a question
        bool question = false;
        bool questionIcon = false;
        bool answer = false;     // what the question was answered
    };

    ScriptedMessages();
    ~ScriptedMessages() override;
    ScriptedMessages(const ScriptedMessages&) = delete;
    ScriptedMessages& operator=(const ScriptedMessages&) = delete;

    void queueAnswer(bool yes);
    qsizetype pendingAnswers() const { return m_answers.size(); }
    // Questions asked while the queue was empty; they were answered No.
    int unexpectedQuestions() const { return m_unexpected; }

    const QList<Shown>& shown() const { return m_shown; }
    void clear();

    void showMessage(const QString& title, const QString& prompt, qint16 kind) override;
    bool askYesNo(const QString& title, const QString& prompt, bool questionIcon) override;

private:
    MessagePresenter* m_previous = nullptr;
    QQueue<bool> m_answers;
    QList<Shown> m_shown;
    int m_unexpected = 0;
};
