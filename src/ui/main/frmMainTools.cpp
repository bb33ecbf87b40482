#include "ui/main/frmMain.h"

#include "ui/common/MarlettButton.h"
#include "ui/common/PictureBox.h"
#include "ui/controls/XP_ProgressBar.h"
#include "ui/main/PasswordBoxGenerator.h"
#include "ui/main/frmSearch.h"

#include "store/AccountList.h"
#include "store/StoreActivity.h"
#include "store/StoreSession.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QShortcut>

// The main window's tools beside the designed controls: the search window, the password generator
// on the password box while editing, and the names screen readers announce for the controls that
// show no text.

void frmMain::createTools()
{
    mnuSearch = mnuPopMain->addAction(QStringLiteral("Suchen…"));
    mnuSearch->setObjectName(QStringLiteral("mnuSearch"));
    connect(mnuSearch, &QAction::triggered, this, [this] { mnuSearch_Click(); });
    m_findShortcut = new QShortcut(QKeySequence::Find, this);
    m_findShortcut->setObjectName(QStringLiteral("scFind"));
    connect(m_findShortcut, &QShortcut::activated, this, [this] { mnuSearch_Click(); });
    // While an entry is edited the list is hidden, and so is the way to another account.
    connect(this, &frmMain::modeChanged, this, [this](Mode mode) {
        mnuSearch->setEnabled(mode == Mode::Viewing);
        m_findShortcut->setEnabled(mode == Mode::Viewing);
    });

    // The box is read-only outside editing, and then offers neither menu nor generator.
    m_passwordGenerator = new PasswordBoxGenerator(txtPassWord);

    setAccessibleTexts();
}

void frmMain::setAccessibleTexts()
{
    struct Texts {
        QWidget* control;
        const char* name;
        const char* description;
    };
    const Texts texts[] = {
        {Command1, "Benutzername kopieren",
         "Kopiert den Benutzernamen für 20 Sekunden in die Zwischenablage"},
        {Command2, "Passwort kopieren", "Kopiert das Passwort für 20 Sekunden in die Zwischenablage"},
        {Command3, "Fensterhöhe umschalten", "Wechselt zwischen dem vollen und dem kompakten Fenster"},
        {Check1, "Passwortfeld mit ***** anzeigen", "Verbirgt das Passwort hinter Sternchen, wenn angekreuzt"},
        {Picture1, "Zwischenablage-Anzeige",
         "Leuchtet rot, solange ein kopierter Wert in der Zwischenablage wartet; ein Klick leert sie sofort"},
        {picLogoff, "Abmelden", "Sperrt die Passwortdatei und kehrt zur Anmeldung zurück"},
        {XPProgressBar1, "Zwischenablage-Countdown", "Sekunden, bis die Zwischenablage geleert wird"},
    };
    for (const Texts& t : texts) {
        t.control->setAccessibleName(QString::fromUtf8(t.name));
        t.control->setAccessibleDescription(QString::fromUtf8(t.description));
    }
}

void frmMain::mnuSearch_Click()
{
    if (m_mode == Mode::Editing || m_locking || m_unloading || m_searchDialog || StoreActivity::isRunning())
        return;
    auto* dialog = new frmSearch(session().accounts().items(), this);
    m_searchDialog = dialog;
    QString chosen;
    connect(dialog, &frmSearch::accountChosen, this, [&chosen](const QString& name) { chosen = name; });
    const QPointer<frmMain> self(this);
    dialog->exec();
    // Unloaded meanwhile (a lock): the dialog went or goes with the window, nothing is shown.
    if (!self || !m_searchDialog || m_unloading)
        return;
    delete dialog;
    if (!chosen.isEmpty() && m_mode == Mode::Viewing)
        selectAccount(chosen);
}

void frmMain::closeTools()
{
    if (m_searchDialog)
        m_searchDialog->reject();
    m_passwordGenerator->closeGenerator();
}
