#include "MainWindowFixture.h"

#include "ui/main/frmEditSafe.h"

#include <gtest/gtest.h>

// Controls that show no text of their own (a symbol, a picture, a colour) are announced to screen
// readers by a German name and a description.
TEST(AccessibleTexts, EveryControlWithoutVisibleTextHasAGermanNameAndDescription)
{
    MainWindowFixture f({account("Bank", "kunde", "bank-pw")});
    ASSERT_NE(f.main, nullptr);
    f.main->cmdAddNew_Click();
    frmEditSafe* edit = f.main->editDialog();
    ASSERT_NE(edit, nullptr);
    frmLogin& login = f.windows->showLogin();

    struct Case {
        QWidget* window;
        const char* control;
        const char* name;
    };
    const Case cases[] = {
        {f.main, "Command1", "Benutzername kopieren"},
        {f.main, "Command2", "Passwort kopieren"},
        {f.main, "Command3", "Fensterhöhe umschalten"},
        {f.main, "Check1", "Passwortfeld mit ***** anzeigen"},
        {f.main, "Picture1", "Zwischenablage-Anzeige"},
        {f.main, "picLogoff", "Abmelden"},
        {f.main, "XPProgressBar1", "Zwischenablage-Countdown"},
        {edit, "Check1", "Passwortfeld mit ***** anzeigen"},
        {&login, "Image1", "Anmelden"},
        {&login, "Image2", "Anmelden"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.window->objectName().toStdString() + "/" + c.control);
        QWidget* widget = control<QWidget>(c.window, QString::fromLatin1(c.control));
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->accessibleName(), QString::fromUtf8(c.name));
        const QString description = widget->accessibleDescription();
        // A sentence of its own, not the name again.
        EXPECT_GT(description.size(), widget->accessibleName().size());
    }
    // The two copy buttons say which value each copies.
    EXPECT_NE(control<QWidget>(f.main, QStringLiteral("Command1"))->accessibleDescription(),
              control<QWidget>(f.main, QStringLiteral("Command2"))->accessibleDescription());
}
