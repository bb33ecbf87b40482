#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <chrono>

// Tells when nobody has used the program for a while: every key, mouse, wheel, touch or pen input
// to any of its windows starts the wait afresh; timers, painting and other events do not count.
// It watches the application object, so it sees the input of every window. After idleTimeout()
// it stays quiet until the next input starts a new wait.
class IdleWatcher : public QObject {
    Q_OBJECT

public:
    explicit IdleWatcher(QObject* parent = nullptr);
    ~IdleWatcher() override;

    // The wait in minutes, starting now; 0 or less turns the watcher off.
    void setMinutes(int minutes);
    // The wait in milliseconds, for tests that cannot wait minutes; 0 or less turns it off.
    void setInterval(std::chrono::milliseconds interval);

    // The wait; 0 when off.
    std::chrono::milliseconds interval() const { return std::chrono::milliseconds(m_intervalMs); }
    // True while a wait runs: on, and input came since the last idleTimeout().
    bool isWaiting() const { return m_timer.isActive(); }

signals:
    void idleTimeout();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void inputSeen();
    void timerFired();

    qint64 m_intervalMs = 0;
    QTimer m_timer;
    // The time since the last input; the timer is not restarted on every mouse move, it checks
    // this when it fires and waits the rest if input came meanwhile.
    QElapsedTimer m_sinceInput;
};
