#include "ui/AppWindows.h"

#include "ui/login/frmLogin.h"
#include "ui/main/frmMain.h"

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
