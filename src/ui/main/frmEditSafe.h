#pragma once

#include <QPixmap>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class frmMain;

// The new-entry dialog: opened by the main window's "Neuer Eintrag" in the main window's place
// (the main window hides meanwhile), it stores one new entry with the store's checks and gives the
// place back. Closing it by its title bar is the same as "Abbrechen". It releases itself on close.
class frmEditSafe : public QWidget {
    Q_OBJECT
public:
    explicit frmEditSafe(frmMain& main);

    // Empties the five text boxes, ticks Check1 and masks the password (the opener's set-up).
    void clearFields();

    void Check1_Click();
    void cmdSave_Click();
    void cmdCancel_Click();
    // The focus into the account name box, as the dialog opens.
    void focusAccountName();

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();

    QLineEdit* txtEditAcct = nullptr;
    QLabel* lblEditAcct = nullptr;
    QLineEdit* txtEditUser = nullptr;
    QLabel* lblEditUser = nullptr;
    QLineEdit* txtEditPass = nullptr;
    QLabel* lblEditPass = nullptr;
    QLineEdit* txtEditWeb = nullptr;
    QLabel* lblEditWeb = nullptr;
    QPlainTextEdit* txtEditComments = nullptr;
    QLabel* lblEditComments = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdCancel = nullptr;
    QCheckBox* Check1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;

    frmMain& m_main;
    QPixmap m_backImage;
    bool m_done = false;  // saved or cancelled: the main window has its place back
};
