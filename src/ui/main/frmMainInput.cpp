#include "ui/main/frmMain.h"

#include "store/StoreLayout.h"
#include "ui/common/PictureBox.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QTimer>

// The main window's keyboard and mouse filters: the list's letter jumps and arrows, the name box's
// key filter, the locked fields that take no caret.

namespace {

bool isTextKey(const QKeyEvent* event)
{
    return !event->text().isEmpty();
}

} // namespace

QString frmMain::KeyCodeToLetter(int keyCode)
{
    if (keyCode >= 65 && keyCode <= 90)
        return QString(QChar(u'a' + (keyCode - 65)));
    return {};
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if ((watched == cboAccount || watched == cboAccount->lineEdit()) && type == QEvent::KeyPress)
        return cboAccount_KeyDown(static_cast<QKeyEvent*>(event));
    if (watched == txtAccount && type == QEvent::KeyPress)
        return txtAccount_KeyPress(static_cast<QKeyEvent*>(event));
    if ((watched == txtUserName || watched == txtPassWord) &&
        (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick || type == QEvent::ContextMenu)) {
        // A locked field takes no caret and no selection: the click goes to the focus sink.
        if (static_cast<QLineEdit*>(watched)->isReadOnly()) {
            focusDummy();
            return true;
        }
        return false;
    }
    if (watched == txtComments->viewport() && type == QEvent::MouseButtonPress) {
        if (m_mode != Mode::Editing && txtComments->document()->isEmpty()) {
            focusDummy();
            return true;
        }
        return false;
    }
    if (watched == lblWebAdress && type == QEvent::MouseButtonPress && lblWebAdress->isEnabled()) {
        const auto* press = static_cast<QMouseEvent*>(event);
        lblWebAdress_MouseDown(press->button(), press->globalPosition().toPoint());
        return true;
    }
    if ((watched == cmdAddNew || watched == cmdDelete) && type == QEvent::MouseMove)
        Timer1->start();
    return QWidget::eventFilter(watched, event);
}

bool frmMain::cboAccount_KeyDown(QKeyEvent* event)
{
    int key = event->key();
    // Tab and Shift+Tab keep moving the focus.
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab)
        return false;

    if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        const QString letter = KeyCodeToLetter(key);
        for (int i = 0; i < cboAccount->count(); ++i) {
            if (cboAccount->itemText(i).left(1).toLower() == letter) {
                cboAccount->setCurrentIndex(i);
                // One display per jump: the selection change itself does not read the entry again.
                cboAccount_Click();
                break;
            }
        }
        return true;
    }

    switch (key) {
    case Qt::Key_PageUp:
    case Qt::Key_Left:
        key = Qt::Key_Up;
        break;
    case Qt::Key_PageDown:
    case Qt::Key_Right:
        key = Qt::Key_Down;
        break;
    default:
        break;
    }
    if (key != Qt::Key_Up && key != Qt::Key_Down)
        return true;
    if (event->modifiers() & Qt::AltModifier) {
        cboAccount->showPopup();
        return true;
    }
    const int count = cboAccount->count();
    if (count == 0)
        return true;
    const int current = cboAccount->currentIndex();
    int next = current;
    if (current < 0)
        next = 0;
    else if (key == Qt::Key_Up)
        next = qMax(0, current - 1);
    else
        next = qMin(count - 1, current + 1);
    if (next != current) {
        cboAccount->setCurrentIndex(next);
        cboAccount_Click();
    }
    return true;
}

bool frmMain::txtAccount_KeyPress(QKeyEvent* event)
{
    // Tab and Shift+Tab move the focus; they never reach the key filter.
    if (!isTextKey(event) || event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab)
        return false;
    for (const QChar c : event->text()) {
        if (c == u'.')
            continue;
        if (FilterAccountKey(c) == AccountKeyClass::Rejected)
            return true;
    }
    return false;
}
