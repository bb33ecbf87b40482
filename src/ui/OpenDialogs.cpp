#include "ui/OpenDialogs.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>

namespace {

QList<QDialog*> visibleDialogs()
{
    QList<QDialog*> dialogs;
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (auto* dialog = qobject_cast<QDialog*>(window); dialog && dialog->isVisible())
            dialogs.append(dialog);
    }
    return dialogs;
}

} // namespace

int OpenDialogs::answerAll()
{
    // A menu is closed first: while it is open it takes every key.
    for (int i = 0; i < 16 && QApplication::activePopupWidget(); ++i)
        QApplication::activePopupWidget()->close();

    m_answered.removeAll(nullptr);
    int answered = 0;
    // All are answered at once; the event loops of nested modal dialogs then end from the innermost.
    const QList<QDialog*> dialogs = visibleDialogs();
    for (QDialog* open : dialogs) {
        QPointer<QDialog> dialog = open;
        const bool modal = dialog->isModal() || dialog->windowModality() != Qt::NonModal;
        // Escape gives each dialog its own cancelling answer: a message box clicks its escape
        // button (No, or its only button), any other dialog is rejected.
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(dialog, &escape);
        if (dialog && dialog->isVisible())
            dialog->reject();
        if (!dialog)
            continue;
        ++answered;
        if (modal && !m_answered.contains(dialog))
            m_answered.append(dialog);
    }
    if (answered > 0)
        m_sinceAnswer.start();
    return answered;
}

bool OpenDialogs::settled() const
{
    if (QApplication::activePopupWidget() || !visibleDialogs().isEmpty())
        return false;
    for (const QPointer<QDialog>& dialog : m_answered) {
        if (dialog && m_sinceAnswer.isValid() && m_sinceAnswer.elapsed() < kSettleMs)
            return false;
    }
    return true;
}
