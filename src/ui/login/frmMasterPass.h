#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class StoreSession;

// The master password dialog: re-enciphers the user's store under a new master password and keeps
// the previous file as <user>.bak. Modeless; the opener hides itself and is shown again through the
// callback whenever the dialog closes (after a change, by "Abbrechen" or by the close button).
class frmMasterPass : public QWidget {
    Q_OBJECT
public:
    // From the login window's "Passwort:" label. The login has begun the password change for the
    // typed user and hidden itself. txtOldPass holds `typedPassword` and stays editable. A name
    // without a user file is refused with a message and the dialog does not open (onClosed runs
    // at once with changed = false). onClosed gets the new password after a change.
    static void openFromLogin(StoreSession& session, const QString& typedPassword,
                              std::function<void(bool changed, const QString& newPassword)> onClosed);
    // From the main window's menu: the old password is the session's MasterPassword, locked.
    static void openFromMain(StoreSession& session, std::function<void()> onClosed);

    ~frmMasterPass() override;

    // The change: checks, the question, then the store's change with its backup.
    void Command1_Click();
    // Closes the dialog; nothing is changed.
    void Command2_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    using ClosedCallback = std::function<void(bool changed, const QString& newPassword)>;

    frmMasterPass(StoreSession& session, bool fromLogin, ClosedCallback onClosed);
    // Opens the dialog with txtOldPass filled in, editable only from the login; without a user file
    // the message comes instead and onClosed runs at once.
    static void open(StoreSession& session, bool fromLogin, const QString& oldPassword, ClosedCallback onClosed);
    void Form_Load();
    static bool userFileKnown(const StoreSession& session);

    StoreSession& m_session;
    const bool m_fromLogin;
    ClosedCallback m_onClosed;
    bool m_changed = false;
    QString m_newPassword;
    bool m_busy = false;
    bool m_ending = false;  // the program ends (wrong old password): the opener is not shown again

    QLabel* m_lblOldPassword = nullptr;
    QLabel* m_lblNewPassword = nullptr;
    QLineEdit* m_txtOldPass = nullptr;
    QLineEdit* m_txtNewPass = nullptr;
    QPushButton* m_command2 = nullptr;
    QPushButton* m_command1 = nullptr;
    QPixmap m_backImage;
};
