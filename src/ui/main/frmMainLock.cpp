// frmMain's lock: the logoff that the desktop's lock, the machine's sleep or the idle time asks for.

#include "ui/main/frmMain.h"

#include "ui/login/frmMasterPass.h"

#include "store/StoreActivity.h"

#include <QApplication>
#include <QTimer>

void frmMain::lock()
{
    // The unload has locked the store already; nothing is left here to lock.
    if (m_unloaded || m_unloading)
        return;
    if (m_locking || StoreActivity::isRunning() || !closeOpenDialogsForLock()) {
        retryLock();
        return;
    }
    if (m_lockRetry)
        m_lockRetry->stop();
    // A new entry not yet saved goes as its "Abbrechen" would drop it, without bringing this
    // window back first.
    delete m_editDialog.data();
    // An edit not saved is dropped as "Abbrechen" drops it; nothing is asked.
    if (m_mode == Mode::Editing) {
        List();
        leaveEditing();
    }
    picLogoff_Click();
}

bool frmMain::closeOpenDialogsForLock()
{
    // A message box answered now returns to the code that asked only after this handler: the
    // lock waits for that code, which then finds its question refused.
    m_openDialogs.answerAll();
    if (!m_openDialogs.settled())
        return false;
    // The master password dialog opened from here changes nothing when it closes; it only shows
    // this window again. It refuses to close while its change runs.
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        auto* change = qobject_cast<frmMasterPass*>(window);
        if (change && change->isVisible() && !change->close())
            return false;
    }
    return true;
}

void frmMain::retryLock()
{
    if (!m_lockRetry) {
        m_lockRetry = new QTimer(this);
        m_lockRetry->setSingleShot(true);
        m_lockRetry->setInterval(kLockRetryMs);
        connect(m_lockRetry, &QTimer::timeout, this, &frmMain::lock);
    }
    if (!m_lockRetry->isActive())
        m_lockRetry->start();
}
