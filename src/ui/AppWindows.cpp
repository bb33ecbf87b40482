#include "ui/AppWindows.h"

#include "ui/login/frmLogin.h"
#include "ui/login/frmMasterPass.h"
#include "ui/main/frmMain.h"

#include "app/AppContext.h"
#include "app/SoundPlayer.h"
#include "store/StoreActivity.h"

#include <QIcon>

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
    main.activateWindow();
    main.focusAccountList();
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
