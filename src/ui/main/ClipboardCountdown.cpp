#include "ui/main/ClipboardCountdown.h"

#include <QTimer>

namespace {

const QString kClearedText = QStringLiteral("gelöscht.");

} // namespace

ClipboardCountdown::ClipboardCountdown(QObject* parent) : QObject(parent)
{
    setObjectName(QStringLiteral("ClipboardCountdown"));
    m_tick = new QTimer(this);
    m_tick->setObjectName(QStringLiteral("Timer2"));
    m_tick->setInterval(kTickMs);
    m_notice = new QTimer(this);
    m_notice->setObjectName(QStringLiteral("Timer3"));
    m_notice->setInterval(kNoticeMs);
    m_pause = new QTimer(this);
    m_pause->setObjectName(QStringLiteral("countdownPause"));
    m_pause->setSingleShot(true);
    m_pause->setInterval(kPauseMs);
    connect(m_tick, &QTimer::timeout, this, &ClipboardCountdown::Timer2_Timer);
    connect(m_pause, &QTimer::timeout, this, &ClipboardCountdown::endPause);
    connect(m_notice, &QTimer::timeout, this, &ClipboardCountdown::Timer3_Timer);
}

void ClipboardCountdown::copy(const QString& text, bool run)
{
    m_clipboard.putSecret(text);
    m_count = 1;
    if (!run)
        return;
    m_notice->stop();
    m_tick->start();
}

bool ClipboardCountdown::clearNow()
{
    if (m_count <= 0 || ending())
        return false;
    // A text the user copied meanwhile is not ours to replace.
    m_clipboard.replaceIfOurs(kClearedText);
    m_count = 11;
    return true;
}

void ClipboardCountdown::clear()
{
    if (m_count > 0)
        m_clipboard.clearIfOurs();
    m_count = 0;
    m_tick->stop();
    m_pause->stop();
}

void ClipboardCountdown::stop()
{
    m_tick->stop();
    m_notice->stop();
    m_pause->stop();
}

void ClipboardCountdown::Timer2_Timer()
{
    emit ticked(m_count);
    if (m_count < kTicks) {
        ++m_count;
        return;
    }
    m_clipboard.clearIfOurs();
    m_tick->stop();
    // The bar stays at its last value for a moment before the notice replaces it.
    m_pause->start();
}

void ClipboardCountdown::endPause()
{
    m_count = 0;
    m_notice->start();
    emit cleared();
}

void ClipboardCountdown::Timer3_Timer()
{
    m_notice->stop();
    emit noticeEnded();
}

bool ClipboardCountdown::ending() const
{
    return m_pause->isActive();
}

bool ClipboardCountdown::running() const
{
    return m_tick->isActive() || m_pause->isActive() || m_notice->isActive();
}

bool ClipboardCountdown::ticking() const
{
    return m_tick->isActive();
}

bool ClipboardCountdown::noticeShown() const
{
    return m_notice->isActive();
}

void ClipboardCountdown::setIntervals(int tickMs, int pauseMs, int noticeMs)
{
    m_tick->setInterval(tickMs);
    m_pause->setInterval(pauseMs);
    m_notice->setInterval(noticeMs);
}

int ClipboardCountdown::tickInterval() const
{
    return m_tick->interval();
}

int ClipboardCountdown::noticeInterval() const
{
    return m_notice->interval();
}
