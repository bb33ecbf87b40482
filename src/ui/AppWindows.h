#pragma once

#include "store/StoreSession.h"

#include <QObject>
#include <QPointer>

class IdleWatcher;
class QIcon;
class QWidget;
class SessionLockWatcher;
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

    // The main window's icon (the main window is loaded for it, as above).
    QIcon mainWindowIcon();
    // The successful login's end: the main window is shown with the session's list and the user
    // in its title, then `login` is closed; the list has the focus.
    void enterMainWindow(QWidget& login);
    // True while the login window closes because the login succeeded: that close ends nothing.
    bool loginTransition() const { return m_loginTransition; }
    // The main window's "Master-Passwort ändern": the main window hides while the dialog is open.
    void changeMasterPasswordFromMain();

    // The lock of the desktop, the machine's sleep or the idle time: a logged-in main window is
    // locked as its logoff does (frmMain::lock); with nobody logged in nothing happens. While a
    // login is being completed the lock waits for its end.
    void lockSession();
    // Both lock sources lock through lockSession from now on.
    void installLockSources(IdleWatcher& idle, SessionLockWatcher& desktop);
    // True from the end of a successful login until the main window is unloaded.
    bool loggedIn() const;

    // Loads a fresh login window (it lists the users anew) and shows it.
    frmLogin& showLogin();
    frmLogin* loginWindow() const;

private:
    StoreSession m_session;
    QPointer<frmMain> m_main;
    QPointer<frmLogin> m_login;
    bool m_loginTransition = false;
    bool m_entering = false;  // enterMainWindow runs (its steps let events in)
    bool m_loggedIn = false;
};
