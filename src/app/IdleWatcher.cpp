#include "app/IdleWatcher.h"

#include <QCoreApplication>
#include <QEvent>

#include <algorithm>
#include <limits>

namespace {

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::NonClientAreaMouseMove:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::InputMethod:
        return true;
    default:
        return false;
    }
}

} // namespace

IdleWatcher::IdleWatcher(QObject* parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &IdleWatcher::timerFired);
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installEventFilter(this);
}

IdleWatcher::~IdleWatcher()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

void IdleWatcher::setMinutes(int minutes)
{
    setInterval(std::chrono::minutes(minutes > 0 ? minutes : 0));
}

void IdleWatcher::setInterval(std::chrono::milliseconds interval)
{
    // QTimer counts in int milliseconds: a longer wait is held to the longest it can time.
    m_intervalMs = std::min<qint64>(std::max<qint64>(interval.count(), 0), std::numeric_limits<int>::max());
    m_timer.stop();
    if (m_intervalMs > 0)
        inputSeen();
}

bool IdleWatcher::eventFilter(QObject* watched, QEvent* event)
{
    if (isUserInput(event->type()))
        inputSeen();
    return QObject::eventFilter(watched, event);
}

void IdleWatcher::inputSeen()
{
    if (m_intervalMs <= 0)
        return;
    m_sinceInput.start();
    if (!m_timer.isActive())
        m_timer.start(static_cast<int>(m_intervalMs));
}

void IdleWatcher::timerFired()
{
    const qint64 elapsed = m_sinceInput.elapsed();
    // Input came while the timer ran (or it fired a little early, as coarse timers may): wait the rest.
    if (elapsed < m_intervalMs) {
        m_timer.start(static_cast<int>(m_intervalMs - elapsed));
        return;
    }
    emit idleTimeout();
}
