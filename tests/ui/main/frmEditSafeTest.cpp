#include "ui/main/EntryMessages.h"
#include "support/FindControl.h"
#include "ui/main/MainWindowFixture.h"

#include "ui/main/frmEditSafe.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

namespace {

QList<TestAccount> store()
{
    return {account("Bank", "u-bank", "p-bank"), account("Post", "kunde7", "p-post")};
}

frmEditSafe* openDialog(MainWindowFixture& f)
{
    f.main->move(40, 60);
    QTest::mouseClick(control<QPushButton>(f.main, QStringLiteral("cmdAddNew")), Qt::LeftButton);
    return f.main->editDialog();
}

} // namespace

TEST(frmEditSafe, OpensInTheMainWindowsPlaceEmptyAndMasked)
{
    MainWindowFixture f(store());
    ASSERT_NE(f.main, nullptr);
    f.choose(QStringLiteral("Post"));
    frmEditSafe* dialog = openDialog(f);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(f.main->isVisible());
    EXPECT_EQ(dialog->pos(), f.main->pos());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Tarvenic Keywarden - Neuer Eintrag - tester"));
    EXPECT_TRUE(dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    for (QLineEdit* edit : {control<QLineEdit>(dialog, QStringLiteral("txtEditAcct")), control<QLineEdit>(dialog, QStringLiteral("txtEditUser")), control<QLineEdit>(dialog, QStringLiteral("txtEditPass")), control<QLineEdit>(dialog, QStringLiteral("txtEditWeb"))})
        EXPECT_EQ(edit->text(), QString());
    EXPECT_EQ(control<QPlainTextEdit>(dialog, QStringLiteral("txtEditComments"))->toPlainText(), QString());
    EXPECT_TRUE(control<QCheckBox>(dialog, QStringLiteral("Check1"))->isChecked());
    EXPECT_EQ(control<QLineEdit>(dialog, QStringLiteral("txtEditPass"))->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dialog->focusWidget(), control<QLineEdit>(dialog, QStringLiteral("txtEditAcct")));
    // The main window underneath is empty.
    EXPECT_EQ(control<QComboBox>(f.main, QStringLiteral("cboAccount"))->currentText(), QString());
    EXPECT_EQ(control<QLineEdit>(f.main, QStringLiteral("txtUserName"))->text(), QString());

    QTest::mouseClick(control<QCheckBox>(dialog, QStringLiteral("Check1")), Qt::LeftButton);
    EXPECT_EQ(control<QLineEdit>(dialog, QStringLiteral("txtEditPass"))->echoMode(), QLineEdit::Normal);
    EXPECT_EQ(control<QLabel>(dialog, QStringLiteral("Label2"))->text(), QStringLiteral("Angabe der Webseite mit vorangestelltem 'http.//' oder 'www.'"));
}

TEST(frmEditSafe, ChecksKeepTheDialogOpenAndStoreNothing)
{
    struct Case {
        const char* name;
        const char* user;
        const char* pass;
        QString message;
        const char* focus;
        const char* nameAfter;
    };
    const Case cases[] = {
        {"", "u", "p", kEmptyName, "txtEditAcct", ""},
        {"", "", "", kEmptyName, "txtEditAcct", ""},
        {"Neu", "", "", kNeedUserOrPassword, "txtEditUser", "Neu"},
        {"post", "u", "", kDuplicateName, "txtEditAcct", ""},  // emptied for a new try
        {"BANK", "", "p", kDuplicateName, "txtEditAcct", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MainWindowFixture f(store());
        ASSERT_NE(f.main, nullptr);
        frmEditSafe* dialog = openDialog(f);
        ASSERT_NE(dialog, nullptr);
        control<QLineEdit>(dialog, QStringLiteral("txtEditAcct"))->setText(QString::fromUtf8(c.name));
        control<QLineEdit>(dialog, QStringLiteral("txtEditUser"))->setText(QString::fromUtf8(c.user));
        control<QLineEdit>(dialog, QStringLiteral("txtEditPass"))->setText(QString::fromUtf8(c.pass));
        QTest::mouseClick(control<QPushButton>(dialog, QStringLiteral("cmdSave")), Qt::LeftButton);

        ASSERT_EQ(f.folder.messages.shown().size(), 1);
        EXPECT_EQ(f.folder.messages.shown().first().prompt, c.message);
        EXPECT_EQ(f.folder.messages.shown().first().kind, 2);
        EXPECT_EQ(dialog->focusWidget()->objectName(), QString::fromLatin1(c.focus));
        EXPECT_EQ(control<QLineEdit>(dialog, QStringLiteral("txtEditAcct"))->text(), QString::fromUtf8(c.nameAfter));
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_FALSE(f.main->isVisible());
        EXPECT_EQ(f.listed(), (QStringList{QStringLiteral("Bank"), QStringLiteral("Post")}));
        EXPECT_EQ(f.session().StoredCount(), 2);
        EXPECT_EQ(f.session().StoreChanged(), 0);
    }
}

TEST(frmEditSafe, SaveStoresTheEntryAndReturnsEmpty)
{
    MainWindowFixture f(store());
    ASSERT_NE(f.main, nullptr);
    QPointer<frmEditSafe> dialog = openDialog(f);
    ASSERT_TRUE(dialog);
    dialog->move(200, 150);
    control<QLineEdit>(dialog, QStringLiteral("txtEditAcct"))->setText(QStringLiteral("Neu"));
    control<QLineEdit>(dialog, QStringLiteral("txtEditPass"))->setText(QStringLiteral("geheim"));
    control<QLineEdit>(dialog, QStringLiteral("txtEditWeb"))->setText(QStringLiteral("www.neu.de"));
    control<QPlainTextEdit>(dialog, QStringLiteral("txtEditComments"))->setPlainText(QStringLiteral("Zeile 1\nZeile 2"));
    QTest::mouseClick(control<QPushButton>(dialog, QStringLiteral("cmdSave")), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    EXPECT_TRUE(f.folder.messages.shown().isEmpty());
    EXPECT_FALSE(dialog);
    frmMain& m = *f.main;
    EXPECT_TRUE(m.isVisible());
    EXPECT_EQ(m.pos(), QPoint(200, 150));
    EXPECT_EQ(f.listed(), (QStringList{QStringLiteral("Bank"), QStringLiteral("Neu"), QStringLiteral("Post")}));
    EXPECT_EQ(control<QComboBox>(m, QStringLiteral("cboAccount"))->currentText(), QString());
    EXPECT_EQ(control<QLineEdit>(m, QStringLiteral("txtPassWord"))->text(), QString());
    EXPECT_FALSE(control<QPushButton>(m, QStringLiteral("cmdEdit"))->isEnabled());
    EXPECT_FALSE(control<QCheckBox>(m, QStringLiteral("Check1"))->isChecked());
    EXPECT_EQ(control<QLineEdit>(m, QStringLiteral("txtPassWord"))->echoMode(), QLineEdit::Password);
    EXPECT_EQ(f.session().StoredCount(), 3);
    EXPECT_EQ(f.session().StoreChanged(), 1);

    const AccountEntry saved = f.stored(QStringLiteral("Neu"));
    EXPECT_EQ(saved.User, QString());
    EXPECT_EQ(saved.Pass, QStringLiteral("geheim"));
    EXPECT_EQ(saved.Web, QStringLiteral("www.neu.de"));
    EXPECT_EQ(saved.Comment, QStringLiteral("Zeile 1\r\nZeile 2"));
}

TEST(frmEditSafe, CancelAndTitleBarCloseStoreNothing)
{
    for (const bool titleBar : {false, true}) {
        SCOPED_TRACE(titleBar);
        MainWindowFixture f(store(), 1);
        ASSERT_NE(f.main, nullptr);
        QPointer<frmEditSafe> dialog = openDialog(f);
        ASSERT_TRUE(dialog);
        dialog->move(90, 30);
        control<QLineEdit>(dialog, QStringLiteral("txtEditAcct"))->setText(QStringLiteral("Neu"));
        control<QLineEdit>(dialog, QStringLiteral("txtEditUser"))->setText(QStringLiteral("u"));
        if (titleBar)
            dialog->close();
        else
            QTest::mouseClick(control<QPushButton>(dialog, QStringLiteral("cmdCancel")), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        EXPECT_FALSE(dialog);
        EXPECT_TRUE(f.main->isVisible());
        EXPECT_EQ(f.main->pos(), QPoint(90, 30));
        EXPECT_EQ(f.main->heightTwips(), 2220);
        EXPECT_EQ(f.listed(), (QStringList{QStringLiteral("Bank"), QStringLiteral("Post")}));
        EXPECT_EQ(f.session().StoredCount(), 2);
        EXPECT_EQ(f.session().StoreChanged(), 0);
        EXPECT_EQ(f.stored(QStringLiteral("Neu")), AccountEntry());
        EXPECT_TRUE(f.folder.messages.shown().isEmpty());
    }
}

TEST(frmEditSafe, AccountNameKeysAreFiltered)
{
    MainWindowFixture f(store());
    ASSERT_NE(f.main, nullptr);
    frmEditSafe* dialog = openDialog(f);
    ASSERT_NE(dialog, nullptr);
    control<QLineEdit>(dialog, QStringLiteral("txtEditAcct"))->setFocus();
    QTest::keyClicks(control<QLineEdit>(dialog, QStringLiteral("txtEditAcct")), QStringLiteral("a[b]=c.d"));
    EXPECT_EQ(control<QLineEdit>(dialog, QStringLiteral("txtEditAcct"))->text(), QStringLiteral("abc.d"));
    // Tab is no character of the name: it moves on to the user name.
    QTest::keyClick(control<QLineEdit>(dialog, QStringLiteral("txtEditAcct")), Qt::Key_Tab);
    EXPECT_EQ(dialog->focusWidget(), control<QLineEdit>(dialog, QStringLiteral("txtEditUser")));
    EXPECT_EQ(control<QLineEdit>(dialog, QStringLiteral("txtEditAcct"))->text(), QStringLiteral("abc.d"));
}

TEST(frmEditSafe, EnterOnAFocusedButtonClicksIt)
{
    struct Case {
        Qt::Key key;
        bool save;  // Speichern, reached by Tab from the comment; else Abbrechen, one Tab further
    };
    for (const Case c : {Case{Qt::Key_Return, true}, Case{Qt::Key_Enter, true}, Case{Qt::Key_Return, false}}) {
        SCOPED_TRACE(c.save ? "Speichern" : "Abbrechen");
        MainWindowFixture f(store());
        ASSERT_NE(f.main, nullptr);
        QPointer<frmEditSafe> dialog = openDialog(f);
        ASSERT_TRUE(dialog);
        control<QLineEdit>(dialog, QStringLiteral("txtEditAcct"))->setText(QStringLiteral("Neu"));
        control<QLineEdit>(dialog, QStringLiteral("txtEditPass"))->setText(QStringLiteral("geheim"));
        control<QPlainTextEdit>(dialog, QStringLiteral("txtEditComments"))->setFocus();
        QTest::keyClick(control<QPlainTextEdit>(dialog, QStringLiteral("txtEditComments")), Qt::Key_Tab);
        if (!c.save)
            QTest::keyClick(dialog->focusWidget(), Qt::Key_Tab);
        QPushButton* button = c.save ? control<QPushButton>(dialog, QStringLiteral("cmdSave")) : control<QPushButton>(dialog, QStringLiteral("cmdCancel"));
        ASSERT_EQ(dialog->focusWidget(), button);
        QTest::keyClick(button, c.key);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        EXPECT_FALSE(dialog);
        EXPECT_TRUE(f.main->isVisible());
        EXPECT_TRUE(f.folder.messages.shown().isEmpty());
        EXPECT_EQ(f.stored(QStringLiteral("Neu")).Pass, c.save ? QStringLiteral("geheim") : QString());
    }
}
