#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QPointer>

class QDialog;

// The dialogs and menus open over the windows when the program locks. A lock must not leave a
// question behind it half-answered, to be answered Yes when the user comes back to a locked
// program: every dialog is answered as Escape answers it (No, OK, Abbrechen), so the code that asked
// goes on as after a refusal, and the lock waits until that code has returned.
class OpenDialogs {
public:
    // How long a modal dialog that outlives its answer (one kept for the next time) is waited for.
    static constexpr int kSettleMs = 1000;

    // Closes every open menu and answers every visible dialog; the number of dialogs answered.
    int answerAll();
    // True once no dialog or menu is visible and every modal dialog answered has gone, that is the
    // function that showed it has returned (or kSettleMs have passed since it was answered).
    bool settled() const;

private:
    QList<QPointer<QDialog>> m_answered;
    QElapsedTimer m_sinceAnswer;
};
