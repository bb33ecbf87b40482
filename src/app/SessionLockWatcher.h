#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

class QDBusPendingCallWatcher;

// Tells when the desktop wants the program locked: the screen saver of the session turned on (its
// ActiveChanged(true) from any of the three usual screen saver objects), the login manager locking
// our session, or the machine about to sleep. A bus that is missing or does not answer leaves that
// source out without a word; nothing here waits for a bus, so start-up is never held up.
class SessionLockWatcher : public QObject {
    Q_OBJECT

public:
    // Watches this process's session bus and the system bus.
    explicit SessionLockWatcher(QObject* parent = nullptr);
    // The same on the given connections; the login manager is looked for on `systemBus`.
    SessionLockWatcher(const QDBusConnection& sessionBus, const QDBusConnection& systemBus,
                       QObject* parent = nullptr);

    // The object path of our login session once the login manager named it, else empty.
    QString loginSessionPath() const { return m_sessionPath; }

signals:
    void lockRequested();
    // The login manager named our session; its Lock signal is watched from now on.
    void loginSessionWatched(const QString& path);

private slots:
    void screenSaverActiveChanged(bool active);
    void prepareForSleep(bool starting);
    void sessionLock();

private:
    void watchScreenSavers();
    void watchLoginManager();
    void askSessionByPid();
    void askSessionById();
    void sessionAnswered(QDBusPendingCallWatcher* call, bool lastAttempt);

    QDBusConnection m_sessionBus;
    QDBusConnection m_systemBus;
    QString m_sessionPath;
};
