#pragma once

#include "ui/common/ProgramClipboard.h"

#include <QObject>
#include <QString>

class QTimer;

// The life of a secret the program put on the clipboard: one tick a second for 20 ticks
// (Timer2), the clipboard emptied at the last one, a short pause while the bar shows its end, then
// the end notice for 2.5 seconds (Timer3). The window shows what the signals tell; the countdown
// itself needs no window.
class ClipboardCountdown : public QObject {
    Q_OBJECT
public:
    static constexpr int kTicks = 20;
    static constexpr int kTickMs = 1000;
    static constexpr int kPauseMs = 250;
    static constexpr int kNoticeMs = 2500;

    explicit ClipboardCountdown(QObject* parent = nullptr);

    // Puts `text` on the clipboard as a secret; the count becomes 1. With `run` the ticks start
    // (a running notice is cut short); without it the copy waits for clearNow or clear.
    void copy(const QString& text, bool run);
    // The copy goes at once, replaced by "gelöscht." unless the user copied something of their own;
    // the count jumps to 11 and the ticks go on. False (nothing done) without a copy or in the pause.
    bool clearNow();
    // Empties the pending copy when the clipboard still holds it; the count goes to 0, the ticks and
    // the pause stop. A notice on show runs to its end.
    void clear();
    // Every timer stops; the clipboard is left as it is.
    void stop();

    // Timer2's tick and Timer3's end, callable as the timers call them.
    void Timer2_Timer();
    void Timer3_Timer();

    // 0: nothing the program copied waits on the clipboard; 1..20 the countdown; 11 after clearNow.
    qint16 count() const { return m_count; }
    // The pause between the emptied clipboard and the end notice.
    bool ending() const;
    // The ticks, the pause or the notice run: the window's strip is uncovered.
    bool running() const;
    bool ticking() const;
    bool noticeShown() const;

    // Shorter intervals for tests; the defaults are the constants above.
    void setIntervals(int tickMs, int pauseMs, int noticeMs);
    int tickInterval() const;
    int noticeInterval() const;

signals:
    // A tick: the bar shows `value` (the count before the tick).
    void ticked(int value);
    // The clipboard was emptied and the pause is over: the notice shows until noticeEnded.
    void cleared();
    void noticeEnded();

private:
    void endPause();

    ProgramClipboard m_clipboard;
    QTimer* m_tick = nullptr;
    QTimer* m_pause = nullptr;
    QTimer* m_notice = nullptr;
    qint16 m_count = 0;
};
