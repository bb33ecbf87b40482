#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class StrengthBar;

// Asks for a new master password a second time before anything is written under it: one typo in
// a master password nobody can recover locks the store for good. The typed text is rated while
// the user types. A mismatch is refused with a message and the user types again or cancels; the
// dialog itself writes nothing.
class frmConfirmPass : public QDialog {
    Q_OBJECT
public:
    explicit frmConfirmPass(const QString& expected, QWidget* parent = nullptr);
    ~frmConfirmPass() override;

    // Modal: true only when the user typed `expected` and confirmed; false after Abbrechen,
    // Escape or the close button.
    static bool confirm(QWidget* parent, const QString& expected);

    // A seam for tests: while an action is installed, confirm() asks it instead of opening the
    // dialog. Returns the action installed before; an empty action brings the dialog back.
    using ConfirmAction = std::function<bool(QWidget* parent, const QString& expected)>;
    static ConfirmAction setConfirmAction(ConfirmAction action);

    // Whether the typed text matched and was confirmed.
    bool confirmed() const { return m_confirmed; }

    void cmdOK_Click();
    void cmdCancel_Click();

    static const QString kMismatch;

private:
    QString m_expected;
    bool m_confirmed = false;
    QLabel* m_lblPrompt = nullptr;
    QLineEdit* m_txtConfirm = nullptr;
    StrengthBar* m_strength = nullptr;
    QPushButton* m_cmdOK = nullptr;
    QPushButton* m_cmdCancel = nullptr;
};
