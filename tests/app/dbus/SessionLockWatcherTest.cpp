#include "app/SessionLockWatcher.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QVariant>

#include <memory>

// These tests run on the private session bus of `dbus-run-session`; the login manager is a fake
// that owns its name on that bus, and the watcher takes that bus as its "system" bus.

namespace {

const QString kLogin1 = QStringLiteral("org.freedesktop.login1");
const QString kManagerPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kSession = QStringLiteral("org.freedesktop.login1.Session");
const QString kPidSession = QStringLiteral("/org/freedesktop/login1/session/_32");
const QString kIdSession = QStringLiteral("/org/freedesktop/login1/session/c7");

// A connection of its own, as another program on the bus would have.
QDBusConnection otherConnection(const QString& name)
{
    return QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
}

// Not connected to anything: the bus that is missing.
QDBusConnection noBus()
{
    return QDBusConnection(QStringLiteral("kein Bus"));
}

void sendSignal(QDBusConnection& from, const QString& path, const QString& interface, const QString& name,
                const QVariantList& arguments)
{
    QDBusMessage message = QDBusMessage::createSignal(path, interface, name);
    message.setArguments(arguments);
    ASSERT_TRUE(from.send(message));
}

// Waits until the bus daemon has handled everything `from` sent so far: it answers in order.
void flush(QDBusConnection& from)
{
    ASSERT_TRUE(from.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.DBus")).value());
}

// Records what Qt and our code log while it lives: a missing bus or service must stay silent.
class LogRecorder {
public:
    LogRecorder()
    {
        s_messages.clear();
        m_previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext&, const QString& text) { s_messages.append(text); });
    }
    ~LogRecorder() { qInstallMessageHandler(m_previous); }
    LogRecorder(const LogRecorder&) = delete;
    LogRecorder& operator=(const LogRecorder&) = delete;

    QString text() const { return s_messages.join(QLatin1Char('\n')); }

private:
    static inline QStringList s_messages;
    QtMessageHandler m_previous = nullptr;
};

} // namespace

// Answers the login manager's two questions the way the test sets, and records what it was asked.
class FakeLoginManager : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

public:
    enum class Answer { Now, Held, Refuse };
    Answer byPid = Answer::Now;
    Answer byId = Answer::Refuse;
    QList<QDBusMessage> held;

    // Answers the questions that were held back.
    void release(QDBusConnection& connection, const QString& path)
    {
        for (const QDBusMessage& question : std::as_const(held))
            connection.send(question.createReply(QVariant::fromValue(QDBusObjectPath(path))));
        held.clear();
    }

signals:
    void asked(const QString& method, const QVariant& argument);

public slots:
    QDBusObjectPath GetSessionByPID(uint pid)
    {
        emit asked(QStringLiteral("GetSessionByPID"), pid);
        // Only our own process has a session; any other pid is what a wrong argument would be.
        if (pid != static_cast<uint>(QCoreApplication::applicationPid()))
            return refuse(QStringLiteral("org.freedesktop.login1.NoSessionForPID"));
        return answer(byPid, kPidSession);
    }

    QDBusObjectPath GetSession(const QString& id)
    {
        emit asked(QStringLiteral("GetSession"), id);
        if (id != QLatin1String("c7"))
            return refuse(QStringLiteral("org.freedesktop.login1.NoSuchSession"));
        return answer(byId, kIdSession);
    }

private:
    QDBusObjectPath answer(Answer how, const QString& path)
    {
        if (how == Answer::Refuse)
            return refuse(QStringLiteral("org.freedesktop.login1.NoSessionForPID"));
        if (how == Answer::Held) {
            setDelayedReply(true);
            held.append(message());
            return {};
        }
        return QDBusObjectPath(path);
    }

    QDBusObjectPath refuse(const QString& error)
    {
        sendErrorReply(error, QStringLiteral("keine Sitzung"));
        return {};
    }
};

namespace {

class ScreenSaverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "runs under dbus-run-session";
        ASSERT_TRUE(m_desktop.isConnected());
    }
    void TearDown() override { QDBusConnection::disconnectFromBus(m_desktop.name()); }

    QDBusConnection m_desktop = otherConnection(QStringLiteral("desktop"));
};

// The screen savers of all three desktops lock; only ActiveChanged(true) of exactly these counts.
TEST_F(ScreenSaverTest, ActiveChangedTrueOnEachScreenSaverLocksAndNothingElseDoes)
{
    SessionLockWatcher watcher(QDBusConnection::sessionBus(), noBus());
    QSignalSpy locks(&watcher, &SessionLockWatcher::lockRequested);

    struct Case { const char* path; const char* interface; const char* member; QVariant argument; bool locks; };
    const Case cases[] = {
        {"/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver", "ActiveChanged", true, true},
        {"/org/gnome/ScreenSaver", "org.gnome.ScreenSaver", "ActiveChanged", true, true},
        {"/org/xfce/ScreenSaver", "org.xfce.ScreenSaver", "ActiveChanged", true, true},
        {"/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver", "ActiveChanged", false, false},
        {"/org/gnome/ScreenSaver", "org.gnome.ScreenSaver", "ActiveChanged", false, false},
        {"/org/xfce/ScreenSaver", "org.xfce.ScreenSaver", "ActiveChanged", false, false},
        // The right path with another desktop's interface, and the right interface on another path.
        {"/org/freedesktop/ScreenSaver", "org.gnome.ScreenSaver", "ActiveChanged", true, false},
        {"/org/gnome/ScreenSaver", "org.freedesktop.ScreenSaver", "ActiveChanged", true, false},
        {"/org/kde/ScreenSaver", "org.freedesktop.ScreenSaver", "ActiveChanged", true, false},
        {"/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver", "WakeUpScreen", true, false},
        // Not a boolean: not the screen saver's signal.
        {"/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver", "ActiveChanged", QStringLiteral("true"), false},
    };
    for (const Case& c : cases) {
        locks.clear();
        sendSignal(m_desktop, QString::fromLatin1(c.path), QString::fromLatin1(c.interface),
                   QString::fromLatin1(c.member), {c.argument});
        // A lock from the marker after it: signals of one sender arrive in the order sent, so when the
        // marker's lock is in, the case's own signal has been handled too.
        sendSignal(m_desktop, QStringLiteral("/org/freedesktop/ScreenSaver"), QStringLiteral("org.freedesktop.ScreenSaver"),
                   QStringLiteral("ActiveChanged"), {true});
        const int expected = c.locks ? 2 : 1;
        QElapsedTimer waited;
        waited.start();
        while (locks.count() < expected && waited.elapsed() < 5000)
            locks.wait(5000 - static_cast<int>(waited.elapsed()));
        QCoreApplication::processEvents();
        EXPECT_EQ(locks.count(), expected) << c.path << ' ' << c.interface << ' ' << c.member << ' '
                                           << c.argument.toString().toStdString();
    }
}

class LoginManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_login1.isConnected());
        ASSERT_TRUE(m_login1.registerObject(kManagerPath, &m_manager, QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(m_login1.registerService(kLogin1));
        m_savedSessionId = qgetenv("XDG_SESSION_ID");
        m_hadSessionId = qEnvironmentVariableIsSet("XDG_SESSION_ID");
        qunsetenv("XDG_SESSION_ID");
    }

    void TearDown() override
    {
        if (m_hadSessionId)
            qputenv("XDG_SESSION_ID", m_savedSessionId);
        else
            qunsetenv("XDG_SESSION_ID");
        m_login1.unregisterService(kLogin1);
        QDBusConnection::disconnectFromBus(m_login1.name());
    }

    // The watcher, its "system" bus being the test bus on a connection of its own.
    std::unique_ptr<SessionLockWatcher> makeWatcher()
    {
        return std::make_unique<SessionLockWatcher>(noBus(), otherConnection(QStringLiteral("system")));
    }

    // Sends what the case sends, then the sleep marker; true when exactly `expected` locks came.
    ::testing::AssertionResult locksAfter(QSignalSpy& locks, int expected)
    {
        sendSignal(m_login1, kManagerPath, kManager, QStringLiteral("PrepareForSleep"), {true});
        QElapsedTimer waited;
        waited.start();
        while (locks.count() < expected + 1 && waited.elapsed() < 5000)
            locks.wait(5000 - static_cast<int>(waited.elapsed()));
        QCoreApplication::processEvents();
        if (locks.count() == expected + 1)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << locks.count() - 1 << " locks instead of " << expected;
    }

    FakeLoginManager m_manager;
    QDBusConnection m_login1 = otherConnection(QStringLiteral("login1"));
    QByteArray m_savedSessionId;
    bool m_hadSessionId = false;
};

// Our session is found by our pid; its Lock locks, another session's Lock and Unlock do not, and the
// machine going to sleep locks while waking up does not.
TEST_F(LoginManagerTest, OwnSessionLockAndSleepLockWhateverElseTheLoginManagerSends)
{
    auto watcher = makeWatcher();
    QSignalSpy watched(watcher.get(), &SessionLockWatcher::loginSessionWatched);
    QSignalSpy locks(watcher.get(), &SessionLockWatcher::lockRequested);
    ASSERT_TRUE(watched.wait(5000));
    EXPECT_EQ(watched.at(0).at(0).toString(), kPidSession);
    EXPECT_EQ(watcher->loginSessionPath(), kPidSession);

    struct Case { QString path; QString interface; QString member; QVariantList arguments; int locks; };
    const Case cases[] = {
        {kPidSession, kSession, QStringLiteral("Lock"), {}, 1},
        {kPidSession, kSession, QStringLiteral("Unlock"), {}, 0},
        {QStringLiteral("/org/freedesktop/login1/session/_33"), kSession, QStringLiteral("Lock"), {}, 0},
        {kManagerPath, kManager, QStringLiteral("PrepareForSleep"), {false}, 0},
        {kManagerPath, kManager, QStringLiteral("PrepareForSleep"), {true}, 1},
        {kManagerPath, kSession, QStringLiteral("PrepareForSleep"), {true}, 0},
    };
    for (const Case& c : cases) {
        locks.clear();
        sendSignal(m_login1, c.path, c.interface, c.member, c.arguments);
        EXPECT_TRUE(locksAfter(locks, c.locks)) << c.path.toStdString() << ' ' << c.member.toStdString();
    }
}

// On the system bus anyone may send; only the login manager's own signals lock.
TEST_F(LoginManagerTest, TheSameSignalsFromAnotherProgramDoNotLock)
{
    auto watcher = makeWatcher();
    QSignalSpy watched(watcher.get(), &SessionLockWatcher::loginSessionWatched);
    QSignalSpy locks(watcher.get(), &SessionLockWatcher::lockRequested);
    ASSERT_TRUE(watched.wait(5000));

    QDBusConnection stranger = otherConnection(QStringLiteral("stranger"));
    sendSignal(stranger, kPidSession, kSession, QStringLiteral("Lock"), {});
    sendSignal(stranger, kManagerPath, kManager, QStringLiteral("PrepareForSleep"), {true});
    // The daemon has passed the stranger's signals on before the marker is even sent.
    flush(stranger);
    EXPECT_TRUE(locksAfter(locks, 0));
    QDBusConnection::disconnectFromBus(stranger.name());
}

// Started outside its session the program is not found by pid; XDG_SESSION_ID names the session.
TEST_F(LoginManagerTest, SessionIdFromTheEnvironmentWhenThePidIsUnknown)
{
    m_manager.byPid = FakeLoginManager::Answer::Refuse;
    m_manager.byId = FakeLoginManager::Answer::Now;
    qputenv("XDG_SESSION_ID", "c7");
    QSignalSpy asked(&m_manager, &FakeLoginManager::asked);
    auto watcher = makeWatcher();
    QSignalSpy watched(watcher.get(), &SessionLockWatcher::loginSessionWatched);
    QSignalSpy locks(watcher.get(), &SessionLockWatcher::lockRequested);
    ASSERT_TRUE(watched.wait(5000));
    EXPECT_EQ(watcher->loginSessionPath(), kIdSession);
    ASSERT_EQ(asked.count(), 2);
    EXPECT_EQ(asked.at(0).at(0).toString(), "GetSessionByPID");
    EXPECT_EQ(asked.at(0).at(1).toUInt(), static_cast<uint>(QCoreApplication::applicationPid()));
    EXPECT_EQ(asked.at(1).at(0).toString(), "GetSession");
    EXPECT_EQ(asked.at(1).at(1).toString(), "c7");

    sendSignal(m_login1, kIdSession, kSession, QStringLiteral("Lock"), {});
    EXPECT_TRUE(locksAfter(locks, 1));
}

// Neither question answered: no session to watch, and the sleep signal still locks.
TEST_F(LoginManagerTest, NoSessionFoundLeavesOnlyTheSleepSignal)
{
    struct Case { const char* sessionId; int questions; };
    const Case cases[] = {{nullptr, 1}, {"c8", 2}};
    for (const Case& c : cases) {
        m_manager.byPid = FakeLoginManager::Answer::Refuse;
        if (c.sessionId)
            qputenv("XDG_SESSION_ID", c.sessionId);
        else
            qunsetenv("XDG_SESSION_ID");
        QSignalSpy asked(&m_manager, &FakeLoginManager::asked);
        auto watcher = makeWatcher();
        QSignalSpy watched(watcher.get(), &SessionLockWatcher::loginSessionWatched);
        QSignalSpy locks(watcher.get(), &SessionLockWatcher::lockRequested);
        while (asked.count() < c.questions && asked.wait(5000)) {
        }
        ASSERT_EQ(asked.count(), c.questions) << (c.sessionId ? c.sessionId : "no id");

        for (const QString& path : {kPidSession, kIdSession, QStringLiteral("/org/freedesktop/login1/session/c8")})
            sendSignal(m_login1, path, kSession, QStringLiteral("Lock"), {});
        EXPECT_TRUE(locksAfter(locks, 0)) << (c.sessionId ? c.sessionId : "no id");
        EXPECT_EQ(watched.count(), 0);
        EXPECT_TRUE(watcher->loginSessionPath().isEmpty());
    }
}

// The watcher is made and working before the login manager answers: start-up never waits for it.
TEST_F(LoginManagerTest, StartUpDoesNotWaitForTheLoginManager)
{
    m_manager.byPid = FakeLoginManager::Answer::Held;
    QSignalSpy asked(&m_manager, &FakeLoginManager::asked);
    // The fake answers on this thread, so a watcher that waited for the answer would never get it.
    auto watcher = makeWatcher();
    QSignalSpy watched(watcher.get(), &SessionLockWatcher::loginSessionWatched);
    QSignalSpy locks(watcher.get(), &SessionLockWatcher::lockRequested);
    EXPECT_TRUE(watcher->loginSessionPath().isEmpty());
    ASSERT_TRUE(asked.wait(5000));
    ASSERT_EQ(m_manager.held.size(), 1);
    EXPECT_EQ(watched.count(), 0);
    // Meanwhile the sleep signal already locks.
    EXPECT_TRUE(locksAfter(locks, 0));

    locks.clear();
    m_manager.release(m_login1, kPidSession);
    ASSERT_TRUE(watched.wait(5000));
    EXPECT_EQ(watcher->loginSessionPath(), kPidSession);
    sendSignal(m_login1, kPidSession, kSession, QStringLiteral("Lock"), {});
    EXPECT_TRUE(locksAfter(locks, 1));
}

// A system bus without a login manager (a container, another init system): both questions fail,
// silently, and the screen savers still lock.
TEST(NoLoginManagerTest, TheQuestionsFailSilentlyAndTheScreenSaversStillLock)
{
    qputenv("XDG_SESSION_ID", "c7");
    QString log;
    {
        LogRecorder recorder;
        SessionLockWatcher watcher(QDBusConnection::sessionBus(), otherConnection(QStringLiteral("system")));
        QSignalSpy locks(&watcher, &SessionLockWatcher::lockRequested);
        QSignalSpy watched(&watcher, &SessionLockWatcher::loginSessionWatched);
        // The bus itself answers both questions with an error, at once; time enough for both.
        QTest::qWait(300);
        QDBusConnection desktop = otherConnection(QStringLiteral("desktop"));
        sendSignal(desktop, QStringLiteral("/org/gnome/ScreenSaver"), QStringLiteral("org.gnome.ScreenSaver"),
                   QStringLiteral("ActiveChanged"), {true});
        EXPECT_TRUE(locks.wait(5000));
        EXPECT_EQ(watched.count(), 0);
        EXPECT_TRUE(watcher.loginSessionPath().isEmpty());
        QDBusConnection::disconnectFromBus(desktop.name());
        log = recorder.text();
    }
    qunsetenv("XDG_SESSION_ID");
    EXPECT_TRUE(log.isEmpty()) << log.toStdString();
}

} // namespace

// Run with both bus addresses pointing nowhere (ctest: test_app_dbus_nobus): the program's own
// watcher on the real buses is made without a message and never locks.
TEST(NoBusTest, WithoutAnyBusTheWatcherIsQuietAndNeverLocks)
{
    QString log;
    {
        LogRecorder recorder;
        SessionLockWatcher watcher;
        QSignalSpy locks(&watcher, &SessionLockWatcher::lockRequested);
        QSignalSpy watched(&watcher, &SessionLockWatcher::loginSessionWatched);
        EXPECT_FALSE(QDBusConnection::sessionBus().isConnected()) << "run with DBUS_SESSION_BUS_ADDRESS pointing nowhere";
        EXPECT_FALSE(QDBusConnection::systemBus().isConnected()) << "run with DBUS_SYSTEM_BUS_ADDRESS pointing nowhere";
        EXPECT_FALSE(locks.wait(300));
        EXPECT_EQ(watched.count(), 0);
        EXPECT_TRUE(watcher.loginSessionPath().isEmpty());
        log = recorder.text();
    }
    EXPECT_TRUE(log.isEmpty()) << log.toStdString();
}

#include "SessionLockWatcherTest.moc"
