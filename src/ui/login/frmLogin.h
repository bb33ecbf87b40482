#pragma once

#include <QPixmap>
#include <QWidget>

class AppWindows;
class PictureBox;
class QComboBox;
class QLabel;
class QLineEdit;
class StoreSession;
class XPStyle;

// The first window: pick a user (a <user>.dat beside the program) or type a new name, type the
// master password and open the store into the main window. It is also the door to the master
// password change ("Passwort:") and to text mode (Ctrl + right click on the login picture).
// Closing it ends the program, unless it closes because the login succeeded. It releases itself
// when it closes.
class frmLogin : public QWidget {
    Q_OBJECT
public:
    explicit frmLogin(AppWindows& windows);
    ~frmLogin() override;

    // Enter in the password box, or a click on the login picture.
    void login();
    // Ctrl + right click on the login picture.
    void openTextMode();
    void lblPassword_Click();
    void Combo1_Click();
    // Image1 and Image2: a right click with exactly Ctrl opens text mode, anything else logs in.
    void Image1_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);

    // The new-user notice, nine lines each ended by CR LF.
    static QString newUserNotice();

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void setPasswordLabelColor(const QColor& color);
    void focusLoginField(int field);
    StoreSession& session();

    AppWindows& m_windows;
    QPixmap m_backImage;

    QLabel* lblUsername = nullptr;
    QComboBox* Combo1 = nullptr;
    QLabel* lblPassword = nullptr;
    QLineEdit* txtLoginPassWord = nullptr;
    PictureBox* Image1 = nullptr;
    PictureBox* Image2 = nullptr;
    XPStyle* XPStyle1 = nullptr;
};
