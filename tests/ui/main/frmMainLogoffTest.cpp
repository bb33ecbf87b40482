#include "ui/main/MainWindowFixture.h"
#include "support/FindControl.h"

#include "core/AtomicWrite.h"
#include "ui/common/Twips.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

using testsupport::isReadOnly;

namespace {

QList<TestAccount> threeAccounts()
{
    return {account("Bank", "u-bank", "p-bank"), account("Post", "kunde7", "p-post"), account("Zoo", "z", "p-zoo")};
}

QString clipboardText()
{
    return QGuiApplication::clipboard()->text();
}

QStringList listedAfterLogin(const QString& user, const QString& password)
{
    AppWindows again;
    frmMain* main = loginThroughWindow(again, user, password);
    if (!main)
        return {QStringLiteral("<login failed>")};
    return itemsOf(control<QComboBox>(main, QStringLiteral("cboAccount")));
}

void deleteShown(MainWindowFixture& f, const QString& name)
{
    f.choose(name);
    f.folder.messages.queueAnswer(true);
    f.main->cmdDelete_Click();
    f.folder.messages.clear();
}

} // namespace

TEST(frmMainLogoff, LogoffLocksTheStoreRewritesTheListAndReturnsToTheLogin)
{
    MainWindowFixture f(threeAccounts());
    ASSERT_NE(f.main, nullptr);
    testsupport::writeAll(appContext().LogoutSoundFile, "RIFF");
    f.folder.sounds.clear();
    deleteShown(f, QStringLiteral("Post"));
    ASSERT_EQ(f.listed(), (QStringList{QStringLiteral("Bank"), QStringLiteral("Zoo")}));
    ASSERT_EQ(f.session().StoreChanged(), 1);
    const QString userFile = f.session().UserFile();
    f.main->move(90, 60);
    const QPoint placed = f.main->pos();
    const qreal topTwips = Twips::fromPixels(placed.y(), f.main);
    const qreal leftTwips = Twips::fromPixels(placed.x(), f.main);
    QPointer<frmMain> main = f.main;

    main->picLogoff_Click();
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(f.windows->loadedMainWindow(), nullptr);
    frmLogin* login = f.windows->loginWindow();
    ASSERT_NE(login, nullptr);
    EXPECT_TRUE(login->isVisible());
    EXPECT_EQ(control<QComboBox>(login, QStringLiteral("Combo1"))->findText(QStringLiteral("tester")), 0);
    EXPECT_TRUE(f.folder.exits.isEmpty());
    EXPECT_TRUE(f.session().MasterPassword().isEmpty());
    EXPECT_EQ(f.session().StoreChanged(), 0);
    EXPECT_TRUE(isReadOnly(userFile));
    EXPECT_TRUE(testsupport::filesHolding(appContext().AppPath, "[Main]").isEmpty());
    EXPECT_EQ(f.folder.sounds.played(), QStringList{appContext().LogoutSoundFile});
    EXPECT_TRUE(f.folder.messages.shown().isEmpty());
    EXPECT_EQ(f.folder.setting(QStringLiteral("Top")).toDouble(), topTwips);
    EXPECT_EQ(f.folder.setting(QStringLiteral("Left")).toDouble(), leftTwips);
    EXPECT_EQ(f.folder.setting(QStringLiteral("CompactMode")), QStringLiteral("0"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(main.isNull());

    // The store's own list no longer names the deleted entry.
    EXPECT_EQ(listedAfterLogin(QStringLiteral("tester"), QStringLiteral("abcd")),
              (QStringList{QStringLiteral("Bank"), QStringLiteral("Zoo")}));
}

TEST(frmMainLogoff, ClosingByTheTitleBarLocksTheStoreWritesTheSettingsAndEnds)
{
    MainWindowFixture f(threeAccounts(), 1);
    ASSERT_NE(f.main, nullptr);
    testsupport::writeAll(appContext().LogoutSoundFile, "RIFF");
    f.folder.sounds.clear();
    frmMain& m = *f.main;
    deleteShown(f, QStringLiteral("Bank"));
    m.move(150, 75);
    const QPoint placed = m.pos();

    m.close();
    EXPECT_EQ(f.folder.exits, QList<int>{0});
    EXPECT_FALSE(m.isVisible());
    EXPECT_TRUE(f.session().MasterPassword().isEmpty());
    EXPECT_EQ(f.session().StoreChanged(), 0);
    EXPECT_TRUE(isReadOnly(f.session().UserFile()));
    EXPECT_EQ(f.folder.sounds.played(), QStringList{appContext().LogoutSoundFile});
    EXPECT_EQ(f.folder.setting(QStringLiteral("Top")).toDouble(), Twips::fromPixels(placed.y(), &m));
    EXPECT_EQ(f.folder.setting(QStringLiteral("Left")).toDouble(), Twips::fromPixels(placed.x(), &m));
    EXPECT_EQ(f.folder.setting(QStringLiteral("CompactMode")), QStringLiteral("1"));
    // The login window does not come back: the program ends.
    EXPECT_EQ(f.windows->loginWindow(), nullptr);

    EXPECT_EQ(listedAfterLogin(QStringLiteral("tester"), QStringLiteral("abcd")),
              (QStringList{QStringLiteral("Post"), QStringLiteral("Zoo")}));
}

TEST(frmMainLogoff, PendingCopyIsEmptiedAtLogoffAndCloseUnlessTheUserCopiedSomethingElse)
{
    struct Case {
        const char* name;
        bool close;        // the title bar's close button instead of the logoff picture
        qint16 compact;    // 1: a pending copy without countdown
        bool userCopies;   // the user copies a text of their own before leaving
        bool frameClick;   // the immediate clear ran before ("gelöscht." is ours then)
    };
    const Case cases[] = {
        {"logoff, compact pending", false, 1, false, false},
        {"logoff, compact pending after the frame click", false, 1, false, true},
        {"logoff, countdown running", false, 0, false, false},
        {"logoff, the user's own text", false, 1, true, false},
        {"close, countdown running", true, 0, false, false},
        {"close, compact pending", true, 1, false, false},
        {"close, the user's own text", true, 0, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MainWindowFixture f(threeAccounts(), c.compact);
        ASSERT_NE(f.main, nullptr);
        frmMain& m = *f.main;
        m.setClipboardIntervals(60000, 60000, 60000);
        f.choose(QStringLiteral("Zoo"));
        m.Command2_Click();
        ASSERT_EQ(clipboardText(), QStringLiteral("p-zoo"));
        ASSERT_EQ(m.findChild<QTimer*>(QStringLiteral("Timer2"))->isActive(), c.compact == 0);
        if (c.frameClick) {
            m.Picture1_Click();
            ASSERT_EQ(clipboardText(), QStringLiteral("gelöscht."));
        }
        if (c.userCopies)
            QGuiApplication::clipboard()->setText(QStringLiteral("eigener Text"));

        if (c.close)
            m.close();
        else
            m.picLogoff_Click();
        EXPECT_EQ(clipboardText(), c.userCopies ? QStringLiteral("eigener Text") : QString());
        EXPECT_EQ(m.countdown().count(), 0);
        EXPECT_FALSE(m.findChild<QTimer*>(QStringLiteral("Timer2"))->isActive());
        EXPECT_EQ(f.folder.exits, c.close ? QList<int>{0} : QList<int>{});
    }
}

TEST(frmMainLogoff, FailedListRewriteIsReportedAndTheLockStillCompletes)
{
    MainWindowFixture f(threeAccounts());
    ASSERT_NE(f.main, nullptr);
    testsupport::writeAll(appContext().LogoutSoundFile, "RIFF");
    f.folder.sounds.clear();
    deleteShown(f, QStringLiteral("Post"));
    const QString userFile = f.session().UserFile();
    const QByteArray before = testsupport::readAll(userFile);
    AtomicWrite::setFaultHook([userFile](AtomicWrite::Stage, const QString& path) { return path == userFile; });

    f.main->picLogoff_Click();
    AtomicWrite::setFaultHook({});
    ASSERT_EQ(f.folder.messages.shown().size(), 1);
    EXPECT_TRUE(f.folder.messages.shown().first().prompt.startsWith(
        QStringLiteral("Die Kontenliste konnte beim Abmelden nicht gespeichert werden. ")));
    EXPECT_EQ(f.folder.messages.shown().first().kind, kMessageExclamation);
    // Locked all the same: password forgotten, file untouched and read-only, login window back.
    EXPECT_TRUE(f.session().MasterPassword().isEmpty());
    EXPECT_EQ(testsupport::readAll(userFile), before);
    EXPECT_TRUE(isReadOnly(userFile));
    EXPECT_TRUE(testsupport::filesHolding(appContext().AppPath, "[Main]").isEmpty());
    EXPECT_EQ(f.folder.sounds.played(), QStringList{appContext().LogoutSoundFile});
    ASSERT_NE(f.windows->loginWindow(), nullptr);
    EXPECT_TRUE(f.windows->loginWindow()->isVisible());
    EXPECT_EQ(f.windows->loadedMainWindow(), nullptr);
}

TEST(frmMainLogoff, NeitherLogoffNorCloseCutsIntoARunningStoreOperation)
{
    MainWindowFixture f(threeAccounts());
    ASSERT_NE(f.main, nullptr);
    frmMain& m = *f.main;
    {
        StoreActivity::Scope running;
        ASSERT_TRUE(running.acquired());
        m.picLogoff_Click();
        EXPECT_TRUE(m.isVisible());
        EXPECT_EQ(f.windows->loadedMainWindow(), &m);
        EXPECT_FALSE(m.close());
        EXPECT_TRUE(m.isVisible());
        EXPECT_TRUE(f.folder.exits.isEmpty());
        EXPECT_EQ(f.session().MasterPassword(), QStringLiteral("abcd"));
    }
    // Once it has finished the logoff goes through.
    m.picLogoff_Click();
    EXPECT_EQ(f.windows->loadedMainWindow(), nullptr);
    EXPECT_TRUE(f.session().MasterPassword().isEmpty());
}

TEST(frmMainLogoff, LockDropsAnUnsavedEditAndLogsOffWithoutAQuestion)
{
    MainWindowFixture f(threeAccounts());
    ASSERT_NE(f.main, nullptr);
    QPointer<frmMain> main = f.main;
    QSignalSpy modes(main.data(), &frmMain::modeChanged);
    ASSERT_TRUE(main->selectAccount(QStringLiteral("Post")));
    EXPECT_EQ(control<QLineEdit>(main, QStringLiteral("txtUserName"))->text(), QStringLiteral("kunde7"));
    main->cmdEdit_Click();
    ASSERT_EQ(main->mode(), frmMain::Mode::Editing);
    control<QLineEdit>(main, QStringLiteral("txtUserName"))->setText(QStringLiteral("geändert"));
    const QString userFile = f.session().UserFile();

    main->lock();
    EXPECT_EQ(modes.size(), 2);  // into editing, and back when the edit was dropped
    EXPECT_TRUE(f.folder.messages.shown().isEmpty());
    EXPECT_EQ(f.windows->loadedMainWindow(), nullptr);
    ASSERT_NE(f.windows->loginWindow(), nullptr);
    EXPECT_TRUE(f.windows->loginWindow()->isVisible());
    EXPECT_TRUE(f.session().MasterPassword().isEmpty());
    EXPECT_TRUE(isReadOnly(userFile));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(main.isNull());

    // The store still holds the entry as it was before the edit.
    StoreSession check;
    check.begin(appContext().AppPath, QStringLiteral("tester"), QStringLiteral("abcd"));
    ASSERT_TRUE(check.unlock().ok());
    AccountEntry entry;
    ASSERT_TRUE(check.readEntry(QStringLiteral("Post"), entry).ok());
    EXPECT_EQ(entry.User, QStringLiteral("kunde7"));
}
