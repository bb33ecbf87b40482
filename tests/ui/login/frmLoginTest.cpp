#include "support/WindowTesting.h"
#include "support/FindControl.h"

#include "app/FileServices.h"
#include "store/MasterPasswordChange.h"
#include "store/StoreSession.h"
#include "support/WipedTexts.h"
#include "store/UserDirectory.h"
#include "support/StoreFiles.h"
#include "support/ModalDriver.h"
#include "ui/common/PictureBox.h"
#include "ui/login/frmConfirmPass.h"

#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace {

const QString kNameMissing = QStringLiteral("Bitte Benutzername auswählen bzw. eingeben.   ");
const QString kPasswordMissing =
    QStringLiteral("Bitte sicherstellen, dass das Master-Passwort korrekt eingegeben wird.");
const QString kPasswordTooShort = QStringLiteral("Das Master-Passwort sollte mindestens 4 Zeichen lang sein.   ");

QWidget* topLevel(const QString& objectName)
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == objectName && widget->isVisible())
            return widget;
    }
    return nullptr;
}

void closeTopLevel(const QString& objectName)
{
    while (QWidget* widget = topLevel(objectName))
        delete widget;
}

// Records, at the moment the notice is shown, whether the new user's file already exists.
class NoticeWatcher : public ScriptedMessages {
public:
    explicit NoticeWatcher(QString userFile) : m_userFile(std::move(userFile)) {}
    void showMessage(const QString& title, const QString& prompt, qint16 kind) override
    {
        fileExistedAtNotice = QFileInfo::exists(m_userFile);
        ScriptedMessages::showMessage(title, prompt, kind);
    }
    bool fileExistedAtNotice = true;

private:
    QString m_userFile;
};

} // namespace

TEST(frmLogin, RefusedInputShowsItsMessageAndWritesNothing)
{
    struct Case {
        const char* name;
        const char* password;
        QString message;
        const char* focus;
    };
    const Case cases[] = {
        {"", "geheim1", kNameMissing, "Combo1"},
        {"anna", "", kPasswordMissing, "txtLoginPassWord"},
        {"anna", "abc", kPasswordTooShort, "txtLoginPassWord"},
        {"neu", "ab", kPasswordTooShort, "txtLoginPassWord"},
        {"../anna", "geheim1", QString(), "Combo1"},
        {"a\\b", "geheim1", QString(), "Combo1"},
        {"..", "geheim1", QString(), "Combo1"},
        // The working copy's name, in any case.
        {"pstmp", "geheim1", UserDirectory::checkUserName(QStringLiteral("pstmp")).message, "Combo1"},
        {"PsTmP", "geheim1", UserDirectory::checkUserName(QStringLiteral("pstmp")).message, "Combo1"},
        // A new store is keyed only with characters the key can hold, refused with the change's message.
        {"neu", "пароль12", MasterPasswordChange::check(QStringLiteral("alt"), QString::fromUtf8("пароль12")).message,
         "txtLoginPassWord"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " / " + c.password);
        ProgramFolder folder;
        folder.copyFixture(QStringLiteral("anna.dat"));
        const QByteArray before = testsupport::readAll(folder.path(QStringLiteral("anna.dat")));
        AppWindows windows;
        QPointer<frmLogin> login = &windows.showLogin();
        typeLogin(*login, QString::fromUtf8(c.name), QString::fromUtf8(c.password));
        pressKey(control<QLineEdit>(login, QStringLiteral("txtLoginPassWord")), Qt::Key_Return);

        ASSERT_EQ(folder.messages.shown().size(), 1);
        const ScriptedMessages::Shown& shown = folder.messages.shown().first();
        if (!c.message.isEmpty()) {
            EXPECT_EQ(shown.prompt, c.message);
        } else {
            EXPECT_FALSE(shown.prompt.isEmpty());
        }
        EXPECT_EQ(shown.kind, 2);
        EXPECT_EQ(shown.title, QStringLiteral("Tarvenic Keywarden"));
        ASSERT_TRUE(login);
        EXPECT_TRUE(login->isVisible());
        EXPECT_EQ(login->focusWidget()->objectName(), QString::fromLatin1(c.focus));
        EXPECT_FALSE(windows.mainWindow().isVisible());
        EXPECT_EQ(folder.files(), QStringList{QStringLiteral("anna.dat")});
        EXPECT_EQ(testsupport::readAll(folder.path(QStringLiteral("anna.dat"))), before);
        EXPECT_TRUE(folder.exits.isEmpty());
    }
}

TEST(frmLogin, FourCharactersCreateANewUserAfterTheNotice)
{
    ProgramFolder folder;
    NoticeWatcher notice(folder.path(QStringLiteral("neu.dat")));
    AppWindows windows;
    QPointer<frmLogin> login = &windows.showLogin();
    typeLogin(*login, QStringLiteral("neu"), QStringLiteral("abcd"));
    pressKey(control<QLineEdit>(login, QStringLiteral("txtLoginPassWord")), Qt::Key_Return);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    ASSERT_EQ(notice.shown().size(), 1);
    EXPECT_EQ(notice.shown().first().kind, 1);
    EXPECT_EQ(notice.shown().first().title, QStringLiteral("Tarvenic Keywarden"));
    const QString text = notice.shown().first().prompt;
    EXPECT_TRUE(text.startsWith(QStringLiteral("H I N W E I S :\r\n\r\nBitte unbedingt irgendwo das Master-Passwort "
                                               "notieren !\r\n(z.B. auf einem Post-it-Sticker unter der Tastatur)\r\n")));
    EXPECT_TRUE(text.contains(QStringLiteral(
        "\r\nVerschlüsselung des Blowfish-Algorhythmus' nahezu unmöglich.   \r\n\r\nTarvenic Keywarden")));
    EXPECT_EQ(text.count(QStringLiteral("\r\n")), 9);
    EXPECT_TRUE(text.endsWith(QStringLiteral("\r\n")));
    EXPECT_FALSE(notice.fileExistedAtNotice);
    EXPECT_EQ(folder.confirmations.asked(), QStringList{QStringLiteral("abcd")});

    EXPECT_EQ(testsupport::readAll(folder.path(QStringLiteral("neu.dat"))), QByteArray("\r\n"));
    EXPECT_FALSE(login);
    frmMain* main = windows.loadedMainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(main->windowTitle(), QStringLiteral("Tarvenic Keywarden - neu"));
    EXPECT_EQ(control<QComboBox>(main, QStringLiteral("cboAccount"))->count(), 0);
    EXPECT_EQ(folder.setting(QStringLiteral("DefaultUser")), QStringLiteral("neu"));
    EXPECT_FALSE(windows.loginTransition());
    EXPECT_TRUE(folder.exits.isEmpty());
}

TEST(frmLogin, ExistingUserOpensWithTheNameInAnyCase)
{
    for (const QString& typed : {QStringLiteral("anna"), QStringLiteral("Anna"), QStringLiteral("ANNA")}) {
        SCOPED_TRACE(typed.toStdString());
        ProgramFolder folder;
        folder.copyFixture(QStringLiteral("anna.dat"));
        testsupport::writeAll(folder.path(QStringLiteral("Login.wav")), "RIFF");
        const QByteArray before = testsupport::readAll(folder.path(QStringLiteral("anna.dat")));
        AppWindows windows;
        frmMain* main = loginThroughWindow(windows, typed, QStringLiteral("geheim1"));
        ASSERT_NE(main, nullptr);

        EXPECT_TRUE(folder.messages.shown().isEmpty());
        EXPECT_EQ(itemsOf(control<QComboBox>(main, QStringLiteral("cboAccount"))), (QStringList{QStringLiteral("Bär"), QStringLiteral("Post")}));
        EXPECT_EQ(control<QComboBox>(main, QStringLiteral("cboAccount"))->currentText(), QString());
        EXPECT_EQ(main->windowTitle(), QStringLiteral("Tarvenic Keywarden - ") + typed);
        EXPECT_EQ(windows.session().StoredCount(), 2);
        EXPECT_EQ(windows.session().StoreChanged(), 0);
        EXPECT_EQ(main->focusWidget(), control<QComboBox>(main, QStringLiteral("cboAccount")));
        EXPECT_EQ(testsupport::readAll(folder.path(QStringLiteral("anna.dat"))), before);
            EXPECT_EQ(folder.files(), (QStringList{QStringLiteral("Keywarden.ini"), QStringLiteral("Login.wav"),
                                               QStringLiteral("anna.dat")}));
        EXPECT_EQ(folder.sounds.played(), QStringList{folder.path(QStringLiteral("Login.wav"))});
        EXPECT_EQ(windows.loginWindow(), nullptr);
    }
}

TEST(frmLogin, WrongPasswordEndsTheProgramWithoutTouchingTheStore)
{
    const struct {
        QString fixture;
        QString password;
    } cases[] = {
        {QStringLiteral("anna.dat"), QStringLiteral("falsch1")},
        // Its garbage passes the length field; the store's check of the text refuses it.
        {testsupport::kLargeStoreFixture, testsupport::kLargeStoreWrongKey},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fixture.toStdString());
        ProgramFolder folder;
        folder.copyFixture(c.fixture, QStringLiteral("anna.dat"));
        const QString store = folder.path(QStringLiteral("anna.dat"));
        const QByteArray before = testsupport::readAll(store);
        const QDateTime modified = QFileInfo(store).lastModified();
        AppWindows windows;
        QPointer<frmLogin> login = &windows.showLogin();
        typeLogin(*login, QStringLiteral("anna"), c.password);
        login->login();

        ASSERT_EQ(folder.messages.shown().size(), 1);
        EXPECT_TRUE(folder.messages.shown().first().prompt.contains(QStringLiteral("Master-Passwort")));
        EXPECT_TRUE(folder.messages.shown().first().prompt.contains(QStringLiteral("beendet")));
        EXPECT_EQ(folder.exits.size(), 1);
        EXPECT_NE(folder.exits.value(0), 0);
        EXPECT_EQ(testsupport::readAll(store), before);
        EXPECT_EQ(QFileInfo(store).lastModified(), modified);
        EXPECT_EQ(folder.files(), (QStringList{QStringLiteral("Keywarden.ini"), QStringLiteral("anna.dat")}));
        EXPECT_FALSE(windows.mainWindow().isVisible());
        EXPECT_TRUE(windows.session().MasterPassword().isEmpty());
    }
}

TEST(frmLogin, APlaceholderIsKeyedOnlyWithWindows1252CharactersWhileKeyedStoresOpenAsBefore)
{
    const QString cyrillic = QString::fromUtf8("пароль12");
    {
        // A user created before, whose store the first entry will key.
        ProgramFolder folder;
        testsupport::writeAll(folder.path(QStringLiteral("lena.dat")), "\r\n");
        AppWindows windows;
        QPointer<frmLogin> login = &windows.showLogin();
        typeLogin(*login, QStringLiteral("lena"), cyrillic);
        login->login();
        ASSERT_EQ(folder.messages.shown().size(), 1);
        EXPECT_EQ(folder.messages.shown().first().prompt,
                  MasterPasswordChange::check(QStringLiteral("alt"), cyrillic).message);
        ASSERT_TRUE(login);
        EXPECT_TRUE(login->isVisible());
        EXPECT_EQ(login->focusWidget(), control<QLineEdit>(login, QStringLiteral("txtLoginPassWord")));
        EXPECT_FALSE(windows.mainWindow().isVisible());
        EXPECT_EQ(testsupport::readAll(folder.path(QStringLiteral("lena.dat"))), QByteArray("\r\n"));
        EXPECT_TRUE(folder.exits.isEmpty());
    }
    // A store keyed with the same key bytes ("??????12") keeps opening with it.
    ProgramFolder folder;
    ASSERT_TRUE(testsupport::encipherTo(folder.path(QStringLiteral("alt.dat")),
                                        testsupport::readAll(testsupport::fixturePath(QStringLiteral("anna.ini"))),
                                        QStringLiteral("??????12")));
    AppWindows windows;
    frmMain* main = loginThroughWindow(windows, QStringLiteral("alt"), cyrillic);
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(folder.messages.shown().isEmpty());
    EXPECT_EQ(itemsOf(control<QComboBox>(main, QStringLiteral("cboAccount"))), (QStringList{QStringLiteral("Bär"), QStringLiteral("Post")}));
}

TEST(frmLogin, AFailedLoginWipesTheMasterPassword)
{
    enum class Setup { WrongPassword, DamagedStore, UnwritableFolder };
    struct Case {
        const char* what;
        Setup setup;
        const char* user;
        const char* password;
    };
    const Case cases[] = {
        {"wrong password", Setup::WrongPassword, "anna", "falsch1"},
        {"damaged store", Setup::DamagedStore, "kaputt", "geheim1"},
        {"no file for the new user", Setup::UnwritableFolder, "lena", "lena-geheim"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProgramFolder folder;
        switch (c.setup) {
        case Setup::WrongPassword:
            folder.copyFixture(QStringLiteral("anna.dat"));
            break;
        case Setup::DamagedStore:
            testsupport::writeAll(folder.path(QStringLiteral("kaputt.dat")), QByteArray(20, '\x5a'));
            break;
        case Setup::UnwritableFolder:
            appContext().AppPath = folder.path(QStringLiteral("fehlt/"));
            break;
        }
        AppWindows windows;
        frmLogin& login = windows.showLogin();
        typeLogin(login, QString::fromUtf8(c.user), QString::fromUtf8(c.password));
        WipedTexts wiped;
        login.login();
        EXPECT_FALSE(windows.mainWindow().isVisible());
        EXPECT_TRUE(windows.session().MasterPassword().isEmpty());
        EXPECT_TRUE(wiped.wiped(windows.session().MasterPassword(), QString::fromUtf8(c.password)));
    }
}

TEST(frmLogin, ADamagedStoreIsReportedAndTheLoginStaysOpen)
{
    ProgramFolder folder;
    const QByteArray damaged(20, '\x5a');  // not a whole number of cipher blocks
    testsupport::writeAll(folder.path(QStringLiteral("kaputt.dat")), damaged);
    AppWindows windows;
    QPointer<frmLogin> login = &windows.showLogin();
    typeLogin(*login, QStringLiteral("kaputt"), QStringLiteral("geheim1"));
    login->login();
    ASSERT_EQ(folder.messages.shown().size(), 1);
    EXPECT_EQ(folder.messages.shown().first().kind, 2);
    EXPECT_TRUE(folder.exits.isEmpty());
    ASSERT_TRUE(login);
    EXPECT_TRUE(login->isVisible());
    EXPECT_FALSE(windows.mainWindow().isVisible());
    EXPECT_EQ(testsupport::readAll(folder.path(QStringLiteral("kaputt.dat"))), damaged);
}

TEST(frmLogin, NoLoginStartsWhileAStoreOperationRuns)
{
    ProgramFolder folder;
    folder.copyFixture(QStringLiteral("anna.dat"));
    AppWindows windows;
    QPointer<frmLogin> login = &windows.showLogin();
    typeLogin(*login, QStringLiteral("anna"), QStringLiteral("geheim1"));
    {
        StoreActivity::Scope running;
        login->login();
    }
    EXPECT_TRUE(login && login->isVisible());
    EXPECT_FALSE(windows.mainWindow().isVisible());
    EXPECT_EQ(folder.files(), QStringList{QStringLiteral("anna.dat")});
    login->login();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(windows.mainWindow().isVisible());
}

TEST(frmLogin, LoadListsTheUserFilesAndPreselectsAnExistingDefaultUser)
{
    struct Case {
        const char* defaultUser;
        const char* preselected;
    };
    const Case cases[] = {{"joerg", "joerg"}, {"Joerg", "Joerg"}, {"gone", ""}, {"", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.defaultUser);
        ProgramFolder folder;
        folder.copyFixture(QStringLiteral("anna.dat"));
        folder.copyFixture(QStringLiteral("joerg.dat"));
        folder.copyFixture(QStringLiteral("empty.dat"), QStringLiteral("Zoe.DAT"));
        folder.copyFixture(QStringLiteral("empty.dat"), QStringLiteral("pstmp.dat"));
        testsupport::writeAll(folder.path(QStringLiteral("notes.txt")), "x");
        folder.writeSettings(QByteArray("[Tarvenic Keywarden]\r\nDefaultUser=") + c.defaultUser + "\r\n");
        AppWindows windows;
        frmLogin& login = windows.showLogin();

        EXPECT_EQ(itemsOf(control<QComboBox>(login, QStringLiteral("Combo1"))),
                  (QStringList{QStringLiteral("anna"), QStringLiteral("joerg"), QStringLiteral("Zoe")}));
        EXPECT_EQ(control<QComboBox>(login, QStringLiteral("Combo1"))->currentText(), QString::fromLatin1(c.preselected));
        EXPECT_EQ(login.focusWidget(), control<QLineEdit>(login, QStringLiteral("txtLoginPassWord")));
        EXPECT_EQ(login.windowTitle(), QStringLiteral("Tarvenic Keywarden - Login"));
        EXPECT_FALSE(login.windowIcon().isNull());
        EXPECT_EQ(control<PictureBox>(login, QStringLiteral("Image2"))->cursor().pixmap().toImage(), control<PictureBox>(login, QStringLiteral("Image1"))->cursor().pixmap().toImage());
    }
}

TEST(frmLogin, EnterInTheNameMovesOnAndPickingANameEmptiesThePassword)
{
    ProgramFolder folder;
    folder.copyFixture(QStringLiteral("anna.dat"));
    AppWindows windows;
    frmLogin& login = windows.showLogin();
    typeLogin(login, QStringLiteral("anna"), QStringLiteral("geheim1"));
    control<QComboBox>(login, QStringLiteral("Combo1"))->setFocus();
    pressKey(control<QComboBox>(login, QStringLiteral("Combo1")), Qt::Key_Return);
    EXPECT_EQ(login.focusWidget(), control<QLineEdit>(login, QStringLiteral("txtLoginPassWord")));
    EXPECT_EQ(control<QLineEdit>(login, QStringLiteral("txtLoginPassWord"))->text(), QStringLiteral("geheim1"));
    EXPECT_FALSE(windows.mainWindow().isVisible());
    EXPECT_TRUE(folder.messages.shown().isEmpty());

    control<QComboBox>(login, QStringLiteral("Combo1"))->setFocus();
    emit control<QComboBox>(login, QStringLiteral("Combo1"))->activated(0);
    EXPECT_EQ(control<QLineEdit>(login, QStringLiteral("txtLoginPassWord"))->text(), QString());
    EXPECT_EQ(login.focusWidget(), control<QLineEdit>(login, QStringLiteral("txtLoginPassWord")));
}

TEST(frmLogin, LoginPictureLogsInUnlessRightClickedWithCtrlAlone)
{
    struct Case {
        Qt::MouseButton button;
        Qt::KeyboardModifiers modifiers;
        bool textMode;
    };
    const Case cases[] = {
        {Qt::LeftButton, Qt::NoModifier, false},
        {Qt::RightButton, Qt::NoModifier, false},
        {Qt::RightButton, Qt::ControlModifier | Qt::ShiftModifier, false},
        {Qt::LeftButton, Qt::ControlModifier, false},
        {Qt::RightButton, Qt::ControlModifier, true},
    };
    for (const Case& c : cases) {
        for (const bool onImage2 : {false, true}) {
            SCOPED_TRACE(testing::Message() << int(c.button) << '/' << c.modifiers.toInt() << '/' << onImage2);
            ProgramFolder folder;
            folder.copyFixture(QStringLiteral("anna.dat"));
            AppWindows windows;
            QPointer<frmLogin> login = &windows.showLogin();
            typeLogin(*login, QStringLiteral("anna"), QStringLiteral("geheim1"));
            // Image2 is the click area around the picture: press where Image1 does not cover it.
            QWidget* target = onImage2 ? static_cast<QWidget*>(control<PictureBox>(login, QStringLiteral("Image2"))) : control<PictureBox>(login, QStringLiteral("Image1"));
            pressMouse(target, c.button, c.modifiers);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

            EXPECT_TRUE(folder.messages.shown().isEmpty());
            if (c.textMode) {
                ASSERT_TRUE(login);
                EXPECT_FALSE(login->isVisible());
                EXPECT_NE(topLevel(QStringLiteral("frmNotepad")), nullptr);
                EXPECT_EQ(control<QLineEdit>(login, QStringLiteral("txtLoginPassWord"))->text(), QString());
                EXPECT_FALSE(windows.mainWindow().isVisible());
                closeTopLevel(QStringLiteral("frmNotepad"));
            } else {
                EXPECT_FALSE(login);
                ASSERT_NE(windows.loadedMainWindow(), nullptr);
                EXPECT_TRUE(windows.loadedMainWindow()->isVisible());
                EXPECT_EQ(topLevel(QStringLiteral("frmNotepad")), nullptr);
            }
        }
    }
}

TEST(frmLogin, TextModeChecksCarryTheirOwnCaption)
{
    const char* const passwords[] = {"", "x"};
    for (const char* password : passwords) {
        ProgramFolder folder;
        AppWindows windows;
        frmLogin& login = windows.showLogin();
        control<QLineEdit>(login, QStringLiteral("txtLoginPassWord"))->setText(QString::fromLatin1(password));
        login.Image1_MouseDown(Qt::RightButton, Qt::ControlModifier);
        ASSERT_EQ(folder.messages.shown().size(), 1);
        EXPECT_EQ(folder.messages.shown().first().prompt, kNameMissing);
        EXPECT_EQ(folder.messages.shown().first().title, QStringLiteral("Tarvenic Keywarden - Text-Modus"));
        EXPECT_EQ(login.focusWidget(), control<QComboBox>(login, QStringLiteral("Combo1")));
    }
    ProgramFolder folder;
    AppWindows windows;
    frmLogin& login = windows.showLogin();
    control<QComboBox>(login, QStringLiteral("Combo1"))->setEditText(QStringLiteral("anna"));
    login.Image1_MouseDown(Qt::RightButton, Qt::ControlModifier);
    ASSERT_EQ(folder.messages.shown().size(), 1);
    EXPECT_EQ(folder.messages.shown().first().prompt, kPasswordMissing);
    EXPECT_EQ(folder.messages.shown().first().title, QStringLiteral("Tarvenic Keywarden - Text-Modus"));
    EXPECT_TRUE(login.isVisible());
}

TEST(frmLogin, ClosingEndsTheProgram)
{
    ProgramFolder folder;
    AppWindows windows;
    QPointer<frmLogin> login = &windows.showLogin();
    login->close();
    EXPECT_EQ(folder.exits, QList<int>{0});
    EXPECT_TRUE(folder.files().isEmpty());
}

TEST(frmLogin, PasswordLabelLightsUpAndOpensTheChange)
{
    ProgramFolder folder;
    folder.copyFixture(QStringLiteral("anna.dat"));
    AppWindows windows;
    frmLogin& login = windows.showLogin();
    QMouseEvent overLabel(QEvent::MouseMove, QPointF(5, 5), control<QLabel>(login, QStringLiteral("lblPassword"))->mapToGlobal(QPointF(5, 5)),
                          Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(control<QLabel>(login, QStringLiteral("lblPassword")), &overLabel);
    EXPECT_EQ(control<QLabel>(login, QStringLiteral("lblPassword"))->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QMouseEvent overName(QEvent::MouseMove, QPointF(5, 5), control<QLabel>(login, QStringLiteral("lblUsername"))->mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(control<QLabel>(login, QStringLiteral("lblUsername")), &overName);
    EXPECT_EQ(control<QLabel>(login, QStringLiteral("lblPassword"))->palette().color(QPalette::WindowText), QColor(Qt::black));

    // Without a name: an information, not a warning.
    QTest::mouseClick(control<QLabel>(login, QStringLiteral("lblPassword")), Qt::LeftButton);
    ASSERT_EQ(folder.messages.shown().size(), 1);
    EXPECT_EQ(folder.messages.shown().first().prompt, kNameMissing);
    EXPECT_EQ(folder.messages.shown().first().kind, 1);
    EXPECT_TRUE(login.isVisible());

    typeLogin(login, QStringLiteral("anna"), QStringLiteral("geheim1"));
    QTest::mouseClick(control<QLabel>(login, QStringLiteral("lblPassword")), Qt::LeftButton);
    EXPECT_EQ(folder.messages.shown().size(), 1);
    EXPECT_EQ(windows.session().CurrentUser(), QStringLiteral("anna"));
    QWidget* dialog = topLevel(QStringLiteral("frmMasterPass"));
    ASSERT_NE(dialog, nullptr);
    // Opened as the login's change: the old password is typed there, not taken from a login.
    EXPECT_FALSE(dialog->findChild<QLineEdit*>(QStringLiteral("txtOldPass"))->isReadOnly());
    EXPECT_FALSE(login.isVisible());
    dialog->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(login.isVisible());
    EXPECT_TRUE(folder.exits.isEmpty());
}

TEST(frmLogin, ANewUsersMasterPasswordIsConfirmedBeforeTheStoreIsCreated)
{
    struct Case {
        const char* name;
        QStringList typed;  // into the confirmation, each with Enter
        bool cancel;        // Abbrechen after them
        bool created;
        int mismatches;
    };
    const Case cases[] = {
        {"typed the same", {QStringLiteral("neu-geheim")}, false, true, 0},
        {"a typo, then the same", {QStringLiteral("neu-geheim!"), QStringLiteral("neu-geheim")}, false, true, 1},
        {"Abbrechen", {}, true, false, 0},
        {"a typo, then Abbrechen", {QStringLiteral("Neu-geheim")}, true, false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramFolder folder;
        folder.confirmations.useDialog();
        AppWindows windows;
        QPointer<frmLogin> login = &windows.showLogin();
        typeLogin(*login, QStringLiteral("neu"), QStringLiteral("neu-geheim"));

        bool noticeBefore = false;
        ModalDriver<frmConfirmPass> confirm([&](frmConfirmPass* dialog) {
            // The notice came first, and the file is not there yet.
            noticeBefore = folder.messages.shown().size() == 1 && !QFileInfo::exists(folder.path(QStringLiteral("neu.dat")));
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Tarvenic Keywarden - Master-Passwort bestätigen"));
            QLineEdit* box = dialog->findChild<QLineEdit*>(QStringLiteral("txtConfirm"));
            EXPECT_EQ(dialog->focusWidget(), box);
            for (const QString& text : c.typed) {
                QTest::keyClicks(box, text);
                QTest::keyClick(box, Qt::Key_Return);
            }
            if (c.cancel)
                dialog->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
        });
        pressKey(control<QLineEdit>(login, QStringLiteral("txtLoginPassWord")), Qt::Key_Return);
        ASSERT_TRUE(confirm.opened());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(noticeBefore);

        int refusals = 0;
        for (const ScriptedMessages::Shown& shown : folder.messages.shown())
            refusals += shown.prompt == frmConfirmPass::kMismatch ? 1 : 0;
        EXPECT_EQ(refusals, c.mismatches);
        EXPECT_EQ(folder.messages.shown().size(), 1 + c.mismatches);
        if (c.created) {
            EXPECT_EQ(testsupport::readAll(folder.path(QStringLiteral("neu.dat"))), QByteArray("\r\n"));
            EXPECT_FALSE(login);
            ASSERT_NE(windows.loadedMainWindow(), nullptr);
            EXPECT_TRUE(windows.loadedMainWindow()->isVisible());
            EXPECT_EQ(windows.session().MasterPassword(), QStringLiteral("neu-geheim"));
        } else {
            // Nothing written, not even the remembered user; the login is back as it was.
            EXPECT_EQ(folder.files(), QStringList());
            ASSERT_TRUE(login);
            EXPECT_TRUE(login->isVisible());
            EXPECT_EQ(control<QComboBox>(login, QStringLiteral("Combo1"))->currentText(), QStringLiteral("neu"));
            EXPECT_EQ(control<QLineEdit>(login, QStringLiteral("txtLoginPassWord"))->text(), QStringLiteral("neu-geheim"));
            EXPECT_EQ(login->focusWidget(), control<QLineEdit>(login, QStringLiteral("txtLoginPassWord")));
            EXPECT_TRUE(windows.session().MasterPassword().isEmpty());
            EXPECT_FALSE(windows.mainWindow().isVisible());
        }
        EXPECT_TRUE(folder.exits.isEmpty());
    }
}
