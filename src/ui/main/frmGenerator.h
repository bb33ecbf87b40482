#pragma once

#include "store/PasswordGenerator.h"

#include <QDialog>
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class StrengthBar;

// The password generator: length and character groups, the password made from them shown with its
// strength; every change of an option makes a new one, as does "Neu". "Übernehmen" accepts the
// shown password (password()), "Abbrechen" and Escape leave without one.
class frmGenerator : public QDialog {
    Q_OBJECT
public:
    explicit frmGenerator(QWidget* parent = nullptr,
                          const PasswordGenerator::Options& options = PasswordGenerator::Options{});
    ~frmGenerator() override;

    // The password shown; after "Übernehmen" the one to use. Empty while the options allow none.
    QString password() const { return m_password; }
    PasswordGenerator::Options options() const;

    void cmdNew_Click();
    void cmdApply_Click();
    void cmdCancel_Click();
    void reject() override;

private:
    void options_Change();

    PasswordGenerator::Options m_shownFor;  // what the password shown was made with
    QSpinBox* m_spnLength = nullptr;
    QCheckBox* m_chkUpper = nullptr;
    QCheckBox* m_chkLower = nullptr;
    QCheckBox* m_chkDigits = nullptr;
    QCheckBox* m_chkSymbols = nullptr;
    QCheckBox* m_chkNoLookalikes = nullptr;
    QLineEdit* m_txtPassword = nullptr;
    QLabel* m_lblError = nullptr;
    StrengthBar* m_strength = nullptr;
    QPushButton* m_cmdNew = nullptr;
    QPushButton* m_cmdApply = nullptr;
    QPushButton* m_cmdCancel = nullptr;
    QString m_password;
};
