#include "app/SessionLockWatcher.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QProcessEnvironment>

namespace {

const QString kLogin1Service = QStringLiteral("org.freedesktop.login1");
const QString kLogin1Path = QStringLiteral("/org/freedesktop/login1");
const QString kLogin1Manager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kLogin1Session = QStringLiteral("org.freedesktop.login1.Session");

// The login manager answers at once when it runs; a bus that is slower than this has no say in
// locking. The call is asynchronous, so this bounds only how long the question stays open.
constexpr int kLogin1TimeoutMs = 5000;

struct ScreenSaver {
    const char* path;
    const char* interface;
};

// Desktops announce their screen lock on one of these; which one depends on the desktop.
constexpr ScreenSaver kScreenSavers[] = {
    {"/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver"},
    {"/org/gnome/ScreenSaver", "org.gnome.ScreenSaver"},
    {"/org/xfce/ScreenSaver", "org.xfce.ScreenSaver"},
};

} // namespace

SessionLockWatcher::SessionLockWatcher(QObject* parent)
    : SessionLockWatcher(QDBusConnection::sessionBus(), QDBusConnection::systemBus(), parent)
{
}

SessionLockWatcher::SessionLockWatcher(const QDBusConnection& sessionBus, const QDBusConnection& systemBus,
                                       QObject* parent)
    : QObject(parent), m_sessionBus(sessionBus), m_systemBus(systemBus)
{
    watchScreenSavers();
    watchLoginManager();
}

void SessionLockWatcher::watchScreenSavers()
{
    if (!m_sessionBus.isConnected())
        return;
    // Any sender: the service that owns the screen saver differs between desktops and versions.
    for (const ScreenSaver& saver : kScreenSavers)
        m_sessionBus.connect(QString(), QString::fromLatin1(saver.path), QString::fromLatin1(saver.interface),
                             QStringLiteral("ActiveChanged"), this, SLOT(screenSaverActiveChanged(bool)));
}

void SessionLockWatcher::watchLoginManager()
{
    if (!m_systemBus.isConnected())
        return;
    // Only the login manager itself may lock us from the system bus, which every local user can send on.
    m_systemBus.connect(kLogin1Service, kLogin1Path, kLogin1Manager, QStringLiteral("PrepareForSleep"), this,
                        SLOT(prepareForSleep(bool)));
    askSessionByPid();
}

void SessionLockWatcher::askSessionByPid()
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(kLogin1Service, kLogin1Path, kLogin1Manager, QStringLiteral("GetSessionByPID"));
    call << QVariant::fromValue(static_cast<quint32>(QCoreApplication::applicationPid()));
    auto* pending = new QDBusPendingCallWatcher(m_systemBus.asyncCall(call, kLogin1TimeoutMs), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* answered) { sessionAnswered(answered, false); });
}

void SessionLockWatcher::askSessionById()
{
    // A process started outside the session (a service, a sandbox) is not found by its pid; the
    // session's id in the environment still names the session it belongs to.
    const QString id = QProcessEnvironment::systemEnvironment().value(QStringLiteral("XDG_SESSION_ID"));
    if (id.isEmpty())
        return;
    QDBusMessage call =
        QDBusMessage::createMethodCall(kLogin1Service, kLogin1Path, kLogin1Manager, QStringLiteral("GetSession"));
    call << id;
    auto* pending = new QDBusPendingCallWatcher(m_systemBus.asyncCall(call, kLogin1TimeoutMs), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* answered) { sessionAnswered(answered, true); });
}

void SessionLockWatcher::sessionAnswered(QDBusPendingCallWatcher* call, bool lastAttempt)
{
    call->deleteLater();
    const QDBusPendingReply<QDBusObjectPath> reply = *call;
    const QString path = reply.isValid() ? reply.value().path() : QString();
    if (path.isEmpty() || path == QLatin1String("/")) {
        if (!lastAttempt)
            askSessionById();
        return;
    }
    if (!m_systemBus.connect(kLogin1Service, path, kLogin1Session, QStringLiteral("Lock"), this,
                             SLOT(sessionLock())))
        return;
    m_sessionPath = path;
    emit loginSessionWatched(path);
}

void SessionLockWatcher::screenSaverActiveChanged(bool active)
{
    // Only the screen going dark locks; the screen saver ending is the user coming back.
    if (active)
        emit lockRequested();
}

void SessionLockWatcher::prepareForSleep(bool starting)
{
    // Sent twice: true before the machine sleeps, false after it woke up.
    if (starting)
        emit lockRequested();
}

void SessionLockWatcher::sessionLock()
{
    emit lockRequested();
}
