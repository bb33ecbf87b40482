#include "MainWindowFixture.h"

#include "support/ModalDriver.h"

#include "ui/main/frmEditSafe.h"
#include "ui/main/frmGenerator.h"
#include "ui/main/frmSearch.h"

#include <QAction>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

#include <gtest/gtest.h>

using windowtest::flushDeletes;

namespace {

QList<TestAccount> accounts()
{
    return {account("Bank", "kunde", "bank-pw", "www.bank.de", "Filiale"),
            account("Straße", "anwohner", "strasse-pw", "http://strasse.de", "Ecke"),
            account("Zeitung", "leser", "zeitung-pw")};
}

// What the main window shows of the entry on show.
struct Shown {
    QString account, user, pass, link, comment;
    bool edit = false, remove = false, save = false, masked = false;
    frmMain::Mode mode = frmMain::Mode::Viewing;
    bool operator==(const Shown&) const = default;
};

Shown shownIn(const frmMain* main)
{
    return Shown{control<QComboBox>(main, QStringLiteral("cboAccount"))->currentText(),
                 control<QLineEdit>(main, QStringLiteral("txtUserName"))->text(),
                 control<QLineEdit>(main, QStringLiteral("txtPassWord"))->text(),
                 control<QLabel>(main, QStringLiteral("lblWebAdress"))->text(),
                 control<QPlainTextEdit>(main, QStringLiteral("txtComments"))->toPlainText(),
                 control<QPushButton>(main, QStringLiteral("cmdEdit"))->isEnabled(),
                 control<QPushButton>(main, QStringLiteral("cmdDelete"))->isEnabled(),
                 control<QPushButton>(main, QStringLiteral("cmdSave"))->isEnabled(),
                 control<QCheckBox>(main, QStringLiteral("Check1"))->isChecked(),
                 main->mode()};
}

void activate(QWidget* window)
{
    window->show();
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window));
}

// Types `text` into the search window and presses Enter.
std::function<void(frmSearch*)> searchFor(const QString& text)
{
    return [text](frmSearch* search) {
        QLineEdit* box = search->findChild<QLineEdit*>(QStringLiteral("txtSearch"));
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
    };
}

// The password box's context menu as the right mouse button opens it; nullptr when none opens.
QMenu* openContextMenu(QLineEdit* box)
{
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), box->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(box, &event);
    for (QMenu* menu : box->findChildren<QMenu*>(QStringLiteral("mnuPasswordBox"))) {
        if (menu->isVisible())
            return menu;
    }
    return nullptr;
}

QAction* generateAction(QMenu* menu)
{
    for (QAction* action : menu->actions()) {
        if (action->objectName() == QStringLiteral("mnuGenerate"))
            return action;
    }
    return nullptr;
}

// Reads the password the generator shows, then clicks `button` (cmdApply or cmdCancel).
std::function<void(frmGenerator*)> generatorClicks(const char* button, QString* shown)
{
    return [button, shown](frmGenerator* generator) {
        *shown = generator->findChild<QLineEdit*>(QStringLiteral("txtPassword"))->text();
        generator->findChild<QPushButton*>(QString::fromLatin1(button))->click();
    };
}

// Opens the generator from the box's context menu and clicks `button` in it; what the generator
// showed, or nothing when no menu, no item or no generator came up (each a test failure).
QString generateFromMenu(QLineEdit* box, const char* button)
{
    QPointer<QMenu> menu = openContextMenu(box);
    if (!menu) {
        ADD_FAILURE() << "no context menu on the password box";
        return {};
    }
    QAction* generate = generateAction(menu);
    if (!generate) {
        ADD_FAILURE() << "no \"Passwort erzeugen\" in the context menu";
        return {};
    }
    QString shown;
    ModalDriver<frmGenerator> generator(generatorClicks(button, &shown));
    generate->trigger();
    EXPECT_TRUE(generator.opened());
    // Opening the generator may have closed and released the menu already.
    if (menu)
        menu->close();
    flushDeletes();
    return shown;
}

// Ctrl+G in the box, and `button` clicked in the generator if one opens; whether one opened.
bool generateByShortcut(QLineEdit* box, const char* button, QString* shown)
{
    // Activated first: waiting for it runs the event loop, which would run the driver too early.
    activate(box->window());
    box->setFocus();
    ModalDriver<frmGenerator> generator(generatorClicks(button, shown));
    QTest::keyClick(box, Qt::Key_G, Qt::ControlModifier);
    return generator.opened();
}

} // namespace

TEST(frmMainTools, CtrlFFindsAnAccountAndEnterShowsItAsChoosingItInTheList)
{
    MainWindowFixture f(accounts());
    ASSERT_NE(f.main, nullptr);
    activate(f.main);

    // Umlaut spelling aside: "strasse" finds "Straße".
    ModalDriver<frmSearch> search(searchFor(QStringLiteral("strasse")));
    QTest::keyClick(f.main, Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(search.opened());
    const Shown viaSearch = shownIn(f.main);
    EXPECT_EQ(viaSearch.account, QStringLiteral("Straße"));
    EXPECT_EQ(viaSearch.user, QStringLiteral("anwohner"));
    EXPECT_EQ(viaSearch.pass, QStringLiteral("strasse-pw"));
    EXPECT_EQ(viaSearch.link, QStringLiteral("http://strasse.de"));
    EXPECT_TRUE(viaSearch.edit);
    EXPECT_FALSE(viaSearch.save);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    flushDeletes();
    EXPECT_TRUE(f.main->findChildren<frmSearch*>().isEmpty());

    f.main->List();
    f.choose(QStringLiteral("Straße"));
    EXPECT_EQ(shownIn(f.main), viaSearch);
    EXPECT_TRUE(f.folder.messages.shown().isEmpty());
}

TEST(frmMainTools, TheSearchListsTheAccountsInListOrderAndEscapeChoosesNothing)
{
    MainWindowFixture f(accounts());
    ASSERT_NE(f.main, nullptr);
    activate(f.main);
    f.choose(QStringLiteral("Zeitung"));
    const Shown before = shownIn(f.main);

    QStringList listed;
    ModalDriver<frmSearch> search([&listed](frmSearch* dialog) {
        auto* list = dialog->findChild<QListView*>(QStringLiteral("lstAccounts"));
        for (int r = 0; r < list->model()->rowCount(); ++r)
            listed << list->model()->index(r, 0).data().toString();
        QTest::keyClick(dialog->findChild<QLineEdit*>(QStringLiteral("txtSearch")), Qt::Key_Escape);
    });
    // The same window through the main context menu, where "Suchen…" follows the master password.
    QMenu* popMain = control<QMenu>(f.main, QStringLiteral("mnuPopMain"));
    const QList<QAction*> items = popMain->actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->text(), QStringLiteral("Master-Passwort ändern"));
    EXPECT_EQ(items[1]->text(), QStringLiteral("Suchen…"));
    items[1]->trigger();
    ASSERT_TRUE(search.opened());
    EXPECT_EQ(listed, f.listed());
    EXPECT_EQ(shownIn(f.main), before);
}

TEST(frmMainTools, NoSearchWhileAnEntryIsEdited)
{
    MainWindowFixture f(accounts());
    ASSERT_NE(f.main, nullptr);
    activate(f.main);
    f.choose(QStringLiteral("Bank"));
    f.main->cmdEdit_Click();
    ASSERT_EQ(f.main->mode(), frmMain::Mode::Editing);
    QAction* menuItem = control<QAction>(f.main, QStringLiteral("mnuSearch"));
    EXPECT_FALSE(menuItem->isEnabled());

    ModalDriver<frmSearch> byKey(searchFor(QStringLiteral("zeit")));
    QTest::keyClick(f.main, Qt::Key_F, Qt::ControlModifier);
    EXPECT_FALSE(byKey.opened());
    ModalDriver<frmSearch> byCall(searchFor(QStringLiteral("zeit")));
    f.main->mnuSearch_Click();
    EXPECT_FALSE(byCall.opened());
    EXPECT_EQ(control<QLineEdit>(f.main, QStringLiteral("txtAccount"))->text(), QStringLiteral("Bank"));
    EXPECT_EQ(f.main->mode(), frmMain::Mode::Editing);

    // Abbrechen: the search is back.
    f.main->cmdEdit_Click();
    EXPECT_TRUE(menuItem->isEnabled());
    ModalDriver<frmSearch> again(searchFor(QStringLiteral("zeit")));
    QTest::keyClick(f.main, Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(again.opened());
    EXPECT_EQ(shownIn(f.main).user, QStringLiteral("leser"));
}

TEST(frmMainTools, TheGeneratorFillsThePasswordBoxWhileEditingAndArmsSpeichern)
{
    MainWindowFixture f(accounts());
    ASSERT_NE(f.main, nullptr);
    activate(f.main);
    f.choose(QStringLiteral("Bank"));
    QLineEdit* box = control<QLineEdit>(f.main, QStringLiteral("txtPassWord"));
    QPushButton* save = control<QPushButton>(f.main, QStringLiteral("cmdSave"));

    // Viewing: the locked box offers no menu and Ctrl+G opens nothing.
    EXPECT_EQ(openContextMenu(box), nullptr);
    QString shown;
    EXPECT_FALSE(generateByShortcut(box, "cmdApply", &shown));
    EXPECT_EQ(box->text(), QStringLiteral("bank-pw"));

    f.main->cmdEdit_Click();
    ASSERT_FALSE(box->isReadOnly());
    EXPECT_FALSE(save->isEnabled());

    // The box's own entries stay, the generator comes last.
    {
        QPointer<QMenu> menu = openContextMenu(box);
        ASSERT_NE(menu, nullptr);
        EXPECT_GT(menu->actions().size(), 2);
        QAction* generate = generateAction(menu);
        ASSERT_NE(generate, nullptr);
        EXPECT_EQ(menu->actions().last(), generate);
        EXPECT_EQ(generate->text(), QStringLiteral("Passwort erzeugen"));
        EXPECT_TRUE(generate->isEnabled());
        menu->close();
        flushDeletes();
    }
    // Abbrechen in the generator leaves the box as it was.
    EXPECT_FALSE(generateFromMenu(box, "cmdCancel").isEmpty());
    EXPECT_EQ(box->text(), QStringLiteral("bank-pw"));
    EXPECT_FALSE(save->isEnabled());
    // Übernehmen puts the shown password into the box, and Speichern stores it.
    QString generated = generateFromMenu(box, "cmdApply");
    EXPECT_EQ(generated.size(), 20);
    EXPECT_EQ(box->text(), generated);
    EXPECT_TRUE(save->isEnabled());
    // Ctrl+G in the box opens it as well.
    QString again;
    ASSERT_TRUE(generateByShortcut(box, "cmdApply", &again));
    EXPECT_NE(again, generated);
    generated = again;
    EXPECT_EQ(box->text(), generated);
    f.main->cmdSave_Click();
    EXPECT_EQ(f.main->mode(), frmMain::Mode::Viewing);
    EXPECT_EQ(f.stored(QStringLiteral("Bank")).Pass, generated);
    EXPECT_EQ(f.stored(QStringLiteral("Bank")).User, QStringLiteral("kunde"));
    EXPECT_TRUE(f.folder.messages.shown().isEmpty());
}

TEST(frmMainTools, TheNewEntryDialogOffersTheGeneratorOnItsPasswordBox)
{
    MainWindowFixture f(accounts());
    ASSERT_NE(f.main, nullptr);
    f.main->cmdAddNew_Click();
    frmEditSafe* dialog = f.main->editDialog();
    ASSERT_NE(dialog, nullptr);
    activate(dialog);
    QLineEdit* box = control<QLineEdit>(dialog, QStringLiteral("txtEditPass"));
    control<QLineEdit>(dialog, QStringLiteral("txtEditAcct"))->setText(QStringLiteral("Neu"));
    box->setText(QStringLiteral("selbst"));

    EXPECT_FALSE(generateFromMenu(box, "cmdCancel").isEmpty());
    EXPECT_EQ(box->text(), QStringLiteral("selbst"));
    QString generated = generateFromMenu(box, "cmdApply");
    ASSERT_FALSE(generated.isEmpty());
    EXPECT_EQ(box->text(), generated);
    QString again;
    ASSERT_TRUE(generateByShortcut(box, "cmdApply", &again));
    generated = again;
    EXPECT_EQ(box->text(), generated);
    dialog->cmdSave_Click();
    flushDeletes();
    EXPECT_TRUE(f.folder.messages.shown().isEmpty());
    EXPECT_EQ(f.stored(QStringLiteral("Neu")).Pass, generated);
}
