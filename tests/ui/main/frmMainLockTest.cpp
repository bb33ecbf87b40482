#include "ui/main/LockedState.h"
#include "ui/main/MainWindowFixture.h"
#include "support/FindControl.h"

#include "app/IdleWatcher.h"
#include "app/SessionLockWatcher.h"
#include "store/StoreActivity.h"
#include "ui/MessageBoxBackend.h"
#include "ui/login/frmMasterPass.h"
#include "ui/main/frmGenerator.h"
#include "ui/main/frmSearch.h"

#include <QApplication>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <functional>

using namespace std::chrono_literals;

namespace {

QList<TestAccount> threeAccounts()
{
    return {account("Bank", "u-bank", "p-bank"), account("Post", "kunde7", "p-post"), account("Zoo", "z", "p-zoo")};
}

// Both bus addresses lead nowhere: only what the test does locks.
QDBusConnection noBus()
{
    return QDBusConnection(QStringLiteral("kein Bus"));
}

void moveMouseOver(QWidget* widget)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), widget->mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

// Real message boxes instead of the scripted ones, for as long as it lives.
class RealMessageBoxes {
public:
    RealMessageBoxes() : m_previous(setMessagePresenter(&m_boxes)) {}
    ~RealMessageBoxes() { setMessagePresenter(m_previous); }
    RealMessageBoxes(const RealMessageBoxes&) = delete;
    RealMessageBoxes& operator=(const RealMessageBoxes&) = delete;

private:
    MessageBoxBackend m_boxes;
    MessagePresenter* m_previous;
};

frmMasterPass* openMasterPassword(MainWindowFixture& f)
{
    f.main->mnuChngMaster_Click();
    frmMasterPass* dialog = windowtest::visibleWindow<frmMasterPass>();
    if (dialog)
        control<QLineEdit>(dialog, QStringLiteral("txtNewPass"))->setText(QStringLiteral("ganz-neu-99"));
    return dialog;
}

} // namespace

TEST(frmMainLock, NothingToLockWithoutALoggedInMainWindow)
{
    ProgramFolder folder;
    AppWindows windows;
    frmLogin& login = windows.showLogin();
    typeLogin(login, QStringLiteral("tester"), QStringLiteral("abcd"));

    windows.lockSession();
    QTest::qWait(3 * frmMain::kLockRetryMs);
    EXPECT_EQ(windows.loginWindow(), &login);
    EXPECT_TRUE(login.isVisible());
    EXPECT_EQ(control<QLineEdit>(login, QStringLiteral("txtLoginPassWord"))->text(), QStringLiteral("abcd"));
    EXPECT_FALSE(windows.loggedIn());
    EXPECT_TRUE(folder.messages.shown().isEmpty());
    EXPECT_TRUE(folder.sounds.played().isEmpty());
    EXPECT_TRUE(folder.exits.isEmpty());
    EXPECT_TRUE(folder.files().isEmpty());

    // After a login the same call locks; after that lock there is nothing left to lock.
    login.login();
    windowtest::flushDeletes();
    ASSERT_TRUE(windows.loggedIn());
    windows.lockSession();
    EXPECT_FALSE(windows.loggedIn());
    frmLogin* again = windows.loginWindow();
    ASSERT_NE(again, nullptr);
    folder.sounds.clear();
    windows.lockSession();
    QTest::qWait(3 * frmMain::kLockRetryMs);
    EXPECT_EQ(windows.loginWindow(), again);
    EXPECT_TRUE(folder.sounds.played().isEmpty());
}

TEST(frmMainLock, LockDuringAStoreOperationIsKeptUntilItHasFinished)
{
    MainWindowFixture f(threeAccounts());
    ASSERT_NE(f.main, nullptr);
    const StoreBefore before = StoreBefore::of(f);
    {
        StoreActivity::Scope running;
        ASSERT_TRUE(running.acquired());
        f.windows->lockSession();
        QTest::qWait(3 * frmMain::kLockRetryMs);
        EXPECT_TRUE(f.windows->loggedIn());
        EXPECT_EQ(f.session().MasterPassword(), QStringLiteral("abcd"));
    }
    ASSERT_TRUE(QTest::qWaitFor([&f] { return !f.windows->loggedIn(); }, 5000));
    expectLockedAsLogoff(f, before);
}

TEST(frmMainLock, OpenDialogsCloseWithoutSavingAndTheLockGoesOn)
{
    struct Case {
        const char* name;
        std::function<QWidget*(MainWindowFixture&)> open;
    };
    const Case cases[] = {
        {"new entry typed, not saved",
         [](MainWindowFixture& f) -> QWidget* {
             f.main->cmdAddNew_Click();
             frmEditSafe* dialog = f.main->editDialog();
             if (!dialog)
                 return nullptr;
             control<QLineEdit>(dialog, QStringLiteral("txtEditAcct"))->setText(QStringLiteral("Neu"));
             control<QLineEdit>(dialog, QStringLiteral("txtEditUser"))->setText(QStringLiteral("nu"));
             control<QLineEdit>(dialog, QStringLiteral("txtEditPass"))->setText(QStringLiteral("np"));
             return dialog;
         }},
        {"new master password typed, not taken", [](MainWindowFixture& f) -> QWidget* { return openMasterPassword(f); }},
        {"context menu open",
         [](MainWindowFixture& f) -> QWidget* {
             pressMouse(f.main, Qt::RightButton);
             return QApplication::activePopupWidget();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MainWindowFixture f(threeAccounts());
        ASSERT_NE(f.main, nullptr);
        const StoreBefore before = StoreBefore::of(f);
        QPointer<QWidget> dialog = c.open(f);
        ASSERT_FALSE(dialog.isNull());
        ASSERT_TRUE(dialog->isVisible());

        f.windows->lockSession();
        windowtest::flushDeletes();
        EXPECT_TRUE(dialog.isNull());
        EXPECT_EQ(windowtest::visibleWindow<frmEditSafe>(), nullptr);
        EXPECT_EQ(windowtest::visibleWindow<frmMasterPass>(), nullptr);
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
        EXPECT_TRUE(f.folder.messages.shown().isEmpty());
        expectLockedAsLogoff(f, before);
        EXPECT_EQ(reopened(), (QStringList{QStringLiteral("Bank"), QStringLiteral("Post"), QStringLiteral("Zoo")}));
    }
}

// An open message box is answered as Escape answers it (No, or its OK), the code that asked returns
// as after that answer, and only then the window locks: nothing asked before the lock can be
// answered Yes behind it.
TEST(frmMainLock, OpenMessageBoxGetsItsCancellingAnswerAndTheLockFollows)
{
    struct Case {
        const char* name;
        const char* prompt;  // a part of the box's text
        std::function<void(MainWindowFixture&)> ask;
    };
    const Case cases[] = {
        {"delete question", "wirklich gelöscht werden",
         [](MainWindowFixture& f) {
             f.choose(QStringLiteral("Post"));
             f.main->cmdDelete_Click();
         }},
        {"notice", "Kann keinen leeren Eintrag bearbeiten", [](MainWindowFixture& f) { f.main->cmdEdit_Click(); }},
        {"master password change question", "wirklich geändert werden",
         [](MainWindowFixture& f) {
             frmMasterPass* dialog = openMasterPassword(f);
             ASSERT_NE(dialog, nullptr);
             dialog->Command1_Click();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MainWindowFixture f(threeAccounts());
        ASSERT_NE(f.main, nullptr);
        const StoreBefore before = StoreBefore::of(f);
        RealMessageBoxes boxes;

        QString seen;
        bool lockedInsideTheBox = true;
        QTimer::singleShot(50, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                seen = box->text();
            f.windows->lockSession();
            lockedInsideTheBox = !f.windows->loggedIn();
        });
        // Should the lock not answer the box, the test ends it instead of hanging.
        bool rescued = false;
        QTimer::singleShot(5000, [&] {
            if (QWidget* box = QApplication::activeModalWidget()) {
                rescued = true;
                box->close();
            }
        });

        c.ask(f);
        EXPECT_FALSE(rescued);
        EXPECT_TRUE(seen.contains(QString::fromUtf8(c.prompt))) << seen.toStdString();
        EXPECT_FALSE(lockedInsideTheBox);
        ASSERT_TRUE(QTest::qWaitFor([&f] { return !f.windows->loggedIn(); }, 5000));
        windowtest::flushDeletes();
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        EXPECT_EQ(windowtest::visibleWindow<frmMasterPass>(), nullptr);
        expectLockedAsLogoff(f, before);
        AccountEntry entry;
        EXPECT_EQ(reopened(QStringLiteral("Post"), &entry),
                  (QStringList{QStringLiteral("Bank"), QStringLiteral("Post"), QStringLiteral("Zoo")}));
        EXPECT_EQ(entry.User, QStringLiteral("kunde7"));
    }
}

// The search window and the generator run their own loops: a lock inside them closes them, the
// account typed in the search is not chosen, the generated password is not put into the box, and
// the edit is dropped as for any other lock.
TEST(frmMainLock, SearchOrGeneratorOpenAtTheLockLeaveNothingBehind)
{
    struct Case {
        const char* name;
        std::function<void(MainWindowFixture&)> open;  // returns when the dialog's loop has ended
        std::function<bool()> dialogIsUp;
    };
    const Case cases[] = {
        {"search with a name typed",
         [](MainWindowFixture& f) { f.main->mnuSearch_Click(); },
         [] {
             auto* search = qobject_cast<frmSearch*>(QApplication::activeModalWidget());
             if (search)
                 QTest::keyClicks(search->findChild<QLineEdit*>(QStringLiteral("txtSearch")), QStringLiteral("zoo"));
             return search != nullptr;
         }},
        {"generator while editing the password",
         [](MainWindowFixture& f) {
             f.main->cmdEdit_Click();
             QLineEdit* box = control<QLineEdit>(f.main, QStringLiteral("txtPassWord"));
             box->setFocus();
             QTest::keyClick(box, Qt::Key_G, Qt::ControlModifier);
         },
         [] { return qobject_cast<frmGenerator*>(QApplication::activeModalWidget()) != nullptr; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MainWindowFixture f(threeAccounts());
        ASSERT_NE(f.main, nullptr);
        ASSERT_TRUE(f.main->selectAccount(QStringLiteral("Post")));
        const StoreBefore before = StoreBefore::of(f);

        bool dialogSeen = false;
        QTimer::singleShot(50, [&] {
            dialogSeen = c.dialogIsUp();
            f.windows->lockSession();
        });
        bool rescued = false;
        QTimer::singleShot(5000, [&] {
            if (QWidget* dialog = QApplication::activeModalWidget()) {
                rescued = true;
                dialog->close();
            }
        });

        c.open(f);
        EXPECT_TRUE(dialogSeen);
        EXPECT_FALSE(rescued);
        ASSERT_TRUE(QTest::qWaitFor([&f] { return !f.windows->loggedIn(); }, 5000));
        windowtest::flushDeletes();
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        EXPECT_EQ(windowtest::visibleWindow<frmSearch>(), nullptr);
        EXPECT_EQ(windowtest::visibleWindow<frmGenerator>(), nullptr);
        expectLockedAsLogoff(f, before);
        AccountEntry entry;
        EXPECT_EQ(reopened(QStringLiteral("Post"), &entry),
                  (QStringList{QStringLiteral("Bank"), QStringLiteral("Post"), QStringLiteral("Zoo")}));
        EXPECT_EQ(entry.Pass, QStringLiteral("p-post"));
    }
}

TEST(frmMainLock, IdleTimeLocksAfterNoInputAndInputPutsItOff)
{
    MainWindowFixture f(threeAccounts());
    ASSERT_NE(f.main, nullptr);
    QPointer<frmMain> main = f.main;
    ASSERT_TRUE(main->selectAccount(QStringLiteral("Post")));
    main->cmdEdit_Click();
    control<QLineEdit>(main, QStringLiteral("txtUserName"))->setText(QStringLiteral("halb getippt"));
    const StoreBefore before = StoreBefore::of(f);

    IdleWatcher idle;
    SessionLockWatcher desktop(noBus(), noBus());
    f.windows->installLockSources(idle, desktop);
    constexpr auto kIdle = 800ms;
    idle.setInterval(kIdle);

    // Input every 50 ms for three times the idle time: no lock.
    QElapsedTimer busy;
    busy.start();
    while (busy.elapsed() < 3 * kIdle.count()) {
        moveMouseOver(main);
        QTest::qWait(50);
    }
    EXPECT_TRUE(f.windows->loggedIn());
    EXPECT_EQ(main->mode(), frmMain::Mode::Editing);

    moveMouseOver(main);
    QElapsedTimer quiet;
    quiet.start();
    ASSERT_TRUE(QTest::qWaitFor([&f] { return !f.windows->loggedIn(); }, 10000));
    EXPECT_GE(quiet.elapsed(), kIdle.count() - 50);
    EXPECT_TRUE(f.folder.messages.shown().isEmpty());
    expectLockedAsLogoff(f, before);
    AccountEntry entry;
    EXPECT_EQ(reopened(QStringLiteral("Post"), &entry),
              (QStringList{QStringLiteral("Bank"), QStringLiteral("Post"), QStringLiteral("Zoo")}));
    EXPECT_EQ(entry.User, QStringLiteral("kunde7"));
}
