#pragma once

#include "store/StoreSession.h"

#include <QObject>
#include <QPointer>

class QIcon;
class QWidget;
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

    // Loads a fresh login window (it lists the users anew) and shows it.
    frmLogin& showLogin();
    frmLogin* loginWindow() const;

private:
    StoreSession m_session;
    QPointer<frmMain> m_main;
    QPointer<frmLogin> m_login;
    bool m_loginTransition = false;
};
