#include "ui/main/LockedState.h"
#include "ui/main/MainWindowFixture.h"
#include "support/FindControl.h"

#include "app/IdleWatcher.h"
#include "app/SessionLockWatcher.h"

#include <QClipboard>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPointer>
#include <QTest>

// These tests run on the private session bus of `dbus-run-session`: a second connection plays the
// desktop's screen saver, and the program is wired to it the way main() wires it.

namespace {

QList<TestAccount> threeAccounts()
{
    return {account("Bank", "u-bank", "p-bank"), account("Post", "kunde7", "p-post"), account("Zoo", "z", "p-zoo")};
}

void sendActiveChanged(QDBusConnection& from, bool active)
{
    QDBusMessage message = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/ScreenSaver"),
                                                      QStringLiteral("org.freedesktop.ScreenSaver"),
                                                      QStringLiteral("ActiveChanged"));
    message << active;
    ASSERT_TRUE(from.send(message));
    // The bus daemon answers in order: once it has answered, it has passed the signal on.
    ASSERT_TRUE(from.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.DBus")).value());
}

} // namespace

TEST(DesktopLock, ScreenSaverTurningOnLocksTheLoggedInWindowAsTheLogoffDoes)
{
    ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "run under dbus-run-session";
    MainWindowFixture f(threeAccounts());
    ASSERT_NE(f.main, nullptr);
    QPointer<frmMain> main = f.main;
    const StoreBefore before = StoreBefore::of(f);

    IdleWatcher idle;
    SessionLockWatcher desktop(QDBusConnection::sessionBus(), QDBusConnection(QStringLiteral("kein Bus")));
    f.windows->installLockSources(idle, desktop);
    QDBusConnection screenSaver = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("saver"));
    ASSERT_TRUE(screenSaver.isConnected());

    // The password copied, then an edit begun and left unsaved.
    main->setClipboardIntervals(60000, 60000, 60000);
    f.choose(QStringLiteral("Post"));
    main->Command2_Click();
    ASSERT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("p-post"));
    main->cmdEdit_Click();
    control<QLineEdit>(main, QStringLiteral("txtUserName"))->setText(QStringLiteral("geändert"));
    control<QLineEdit>(main, QStringLiteral("txtPassWord"))->setText(QStringLiteral("auch geändert"));

    // The screen saver ending is the user coming back: nothing happens.
    sendActiveChanged(screenSaver, false);
    QTest::qWait(300);
    ASSERT_TRUE(f.windows->loggedIn());
    EXPECT_EQ(main->mode(), frmMain::Mode::Editing);

    sendActiveChanged(screenSaver, true);
    ASSERT_TRUE(QTest::qWaitFor([&f] { return !f.windows->loggedIn(); }, 5000));
    EXPECT_TRUE(QGuiApplication::clipboard()->text().isEmpty());
    EXPECT_TRUE(f.folder.messages.shown().isEmpty());
    expectLockedAsLogoff(f, before);
    windowtest::flushDeletes();
    EXPECT_TRUE(main.isNull());
    AccountEntry entry;
    EXPECT_EQ(reopened(QStringLiteral("Post"), &entry),
              (QStringList{QStringLiteral("Bank"), QStringLiteral("Post"), QStringLiteral("Zoo")}));
    EXPECT_EQ(entry.User, QStringLiteral("kunde7"));
    EXPECT_EQ(entry.Pass, QStringLiteral("p-post"));

    // The login window that came back is left alone by a second lock.
    frmLogin* login = f.windows->loginWindow();
    sendActiveChanged(screenSaver, true);
    QTest::qWait(300);
    EXPECT_EQ(f.windows->loginWindow(), login);
    EXPECT_TRUE(login->isVisible());
    QDBusConnection::disconnectFromBus(QStringLiteral("saver"));
}

TEST(DesktopLock, ClipboardHoldingTheUsersOwnTextIsLeftAlone)
{
    ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "run under dbus-run-session";
    MainWindowFixture f(threeAccounts());
    ASSERT_NE(f.main, nullptr);
    IdleWatcher idle;
    SessionLockWatcher desktop(QDBusConnection::sessionBus(), QDBusConnection(QStringLiteral("kein Bus")));
    f.windows->installLockSources(idle, desktop);
    QDBusConnection screenSaver = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("saver2"));

    f.main->setClipboardIntervals(60000, 60000, 60000);
    f.choose(QStringLiteral("Zoo"));
    f.main->Command1_Click();
    ASSERT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("z"));
    QGuiApplication::clipboard()->setText(QStringLiteral("eigener Text"));

    sendActiveChanged(screenSaver, true);
    ASSERT_TRUE(QTest::qWaitFor([&f] { return !f.windows->loggedIn(); }, 5000));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("eigener Text"));
    EXPECT_TRUE(f.session().MasterPassword().isEmpty());
    QDBusConnection::disconnectFromBus(QStringLiteral("saver2"));
}
