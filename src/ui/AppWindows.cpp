#include "ui/AppWindows.h"

#include "ui/login/frmLogin.h"
#include "ui/login/frmMasterPass.h"
#include "ui/main/frmMain.h"

#include "app/AppContext.h"
#include "app/IdleWatcher.h"
#include "app/SessionLockWatcher.h"
#include "app/SoundPlayer.h"
#include "store/StoreActivity.h"

#include <QIcon>
#include <QTimer>

AppWindows::AppWindows() = default;

AppWindows::~AppWindows()
{
    delete m_login.data();
    delete m_main.data();
}

frmMain& AppWindows::mainWindow()
{
    if (!m_main)
        m_main = new frmMain(*this);
    return *m_main;
}

void AppWindows::unloadMainWindow()
{
    frmMain* main = m_main;
    m_main = nullptr;
    m_loggedIn = false;
    if (!main)
        return;
    main->unloadWindow();
    main->deleteLater();
}

QIcon AppWindows::mainWindowIcon()
{
    return mainWindow().windowIcon();
}

void AppWindows::enterMainWindow(QWidget& login)
{
    const AppContext& app = appContext();
    m_entering = true;
    StoreActivity::pumpEvents();
    frmMain& main = mainWindow();
    main.show();
    main.LoadAccountList();
    login.hide();
    StoreActivity::pumpEvents();
    PlaySoundFile(app.LoginSoundFile);
    main.setWindowTitle(app.AppTitle + QStringLiteral(" - ") + m_session.CurrentUser());
    m_loginTransition = true;
    login.close();
    StoreActivity::pumpEvents();
    m_loginTransition = false;
    m_entering = false;
    m_loggedIn = true;
    main.activateWindow();
    main.focusAccountList();
}

bool AppWindows::loggedIn() const
{
    return m_loggedIn && m_main;
}

void AppWindows::lockSession()
{
    if (loggedIn()) {
        m_main->lock();
        return;
    }
    // A login on its way (its store read or the main window's entry let events in) is locked
    // once it has finished; anything else without a logged-in main window has nothing to lock.
    if (m_entering || (StoreActivity::isRunning() && m_login))
        QTimer::singleShot(frmMain::kLockRetryMs, this, &AppWindows::lockSession);
}

void AppWindows::installLockSources(IdleWatcher& idle, SessionLockWatcher& desktop)
{
    connect(&idle, &IdleWatcher::idleTimeout, this, &AppWindows::lockSession);
    connect(&desktop, &SessionLockWatcher::lockRequested, this, &AppWindows::lockSession);
}

void AppWindows::changeMasterPasswordFromMain()
{
    QPointer<frmMain> main = m_main;
    if (!main)
        return;
    main->hide();
    frmMasterPass::openFromMain(m_session, [main] {
        if (main)
            main->show();
    });
}

frmLogin& AppWindows::showLogin()
{
    // The login window releases itself when it closes; a window still hidden (text mode or the
    // master password dialog open) is replaced.
    if (m_login)
        m_login->deleteLater();
    m_login = new frmLogin(*this);
    m_login->show();
    return *m_login;
}

frmMain* AppWindows::loadedMainWindow() const
{
    return m_main;
}

frmLogin* AppWindows::loginWindow() const
{
    return m_login;
}
