#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// A second start brings the running copy's window to the front: the running copy listens on a local
// socket beside its lock, and the second copy connects, says so and ends.
class InstanceActivation : public QObject {
    Q_OBJECT
public:
    explicit InstanceActivation(QString socketPath, QObject* parent = nullptr);
    ~InstanceActivation() override;

    // The running copy: starts listening. It holds the lock, so a socket file left by a crashed copy
    // is stale and replaced. False when the socket cannot be made (the program runs on without it).
    bool listen();

    // The second copy: asks the running one to come to the front. False when nobody answered.
    static bool activateRunning(const QString& socketPath, int timeoutMs = 1000);

    // Raises the window the user would expect: an open dialog first, else the visible windows.
    static void raiseProgramWindow();

signals:
    void activationRequested();

private:
    void acceptConnections();

    QString m_socketPath;
    QLocalServer* m_server = nullptr;
};
