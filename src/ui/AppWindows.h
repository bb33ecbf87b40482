#pragma once

#include "store/StoreSession.h"

#include <QObject>
#include <QPointer>

class frmLogin;
class frmMain;

// The program's windows and the one StoreSession they share, from the first login to the end of
// the process. Main creates one instance and hands it to the windows; every test creates its own,
// so each test starts with a fresh session and fresh windows.
class AppWindows : public QObject {
    Q_OBJECT
public:
    AppWindows();
    ~AppWindows() override;
    AppWindows(const AppWindows&) = delete;
    AppWindows& operator=(const AppWindows&) = delete;

    StoreSession& session() { return m_session; }

    // The main window. When none is loaded, a new one is loaded hidden first (its load step runs),
    // so it exists, sized and placed, whenever the login window is up.
    frmMain& mainWindow();
    frmMain* loadedMainWindow() const;
    // The logoff's end: the new-entry dialog and the main window are unloaded (its unload step
    // writes the settings) without ending the program; the next login loads a fresh main window.
    void unloadMainWindow();

    // Loads a fresh login window (it lists the users anew) and shows it.
    frmLogin& showLogin();
    frmLogin* loginWindow() const;

private:
    StoreSession m_session;
    QPointer<frmMain> m_main;
    QPointer<frmLogin> m_login;
};
