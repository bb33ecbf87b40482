#pragma once

#include <QWidget>

class QLabel;

// A compact strength display under a password box: a bar of five steps in the step's colour, the
// step in words beside it, and below them, for weak passwords, why a long one matters. An empty
// password shows an empty bar and no words.
class StrengthBar : public QWidget {
    Q_OBJECT
public:
    explicit StrengthBar(QWidget* parent = nullptr);
    ~StrengthBar() override;

    void setPassword(const QString& password);
    // Off for passwords that never become a store's key (generated account passwords): the
    // warning is about the store file.
    void setWarningEnabled(bool enabled);

    // -1 while the password is empty, else 0..4.
    int score() const { return m_score; }
    QString words() const;
    QString warning() const;

private:
    class Meter;
    void updateWarning();

    Meter* m_meter = nullptr;
    QLabel* m_lblWords = nullptr;
    QLabel* m_lblWarning = nullptr;
    bool m_warningEnabled = true;
    int m_score = -1;
};
