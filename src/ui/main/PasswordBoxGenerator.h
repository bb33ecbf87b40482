#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QLineEdit;
class QPoint;
class QShortcut;
class frmGenerator;

// Offers the password generator on a password box while the box is editable: its standard context
// menu ends with "Passwort erzeugen", and Ctrl+G in the box opens the generator as well. After
// "Übernehmen" the generated password replaces the box's text, which counts as any change does;
// "Abbrechen" leaves the box as it was. Owned by the box.
class PasswordBoxGenerator : public QObject {
    Q_OBJECT
public:
    explicit PasswordBoxGenerator(QLineEdit* box);
    ~PasswordBoxGenerator() override;

    // Opens the generator for the box (nothing when the box is locked).
    void mnuGenerate_Click();
    // Closes an open generator without taking its password (the window is going away).
    void closeGenerator();

    static const QString kMenuText;

private:
    void showContextMenu(const QPoint& pos);

    QLineEdit* m_box;
    QShortcut* m_shortcut = nullptr;
    QPointer<frmGenerator> m_dialog;
};
