#include "app/IdleWatcher.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QSignalSpy>

#include <chrono>

using namespace std::chrono_literals;

namespace {

// A window's stand-in that takes every event as handled, whatever its kind.
class Window : public QObject {
public:
    bool event(QEvent*) override { return true; }
};

// The watcher sits on the application object, so it sees the events of any
// object; input is recognised by its kind alone.
void deliver(QObject* target, QEvent::Type type)
{
    QCoreApplication::postEvent(target, new QEvent(type));
    QCoreApplication::sendPostedEvents();
}

} // namespace

TEST(IdleWatcherTest, TimesOutAfterTheIntervalWithoutInputAndThenWaitsForInput)
{
    IdleWatcher watcher;
    QSignalSpy timeouts(&watcher, &IdleWatcher::idleTimeout);
    QElapsedTimer since;
    since.start();
    watcher.setInterval(100ms);
    EXPECT_TRUE(watcher.isWaiting());
    ASSERT_TRUE(timeouts.wait(5000));
    EXPECT_GE(since.elapsed(), 100);

    // Nobody is there: it does not time out again and again.
    EXPECT_FALSE(watcher.isWaiting());
    EXPECT_FALSE(timeouts.wait(300));
    EXPECT_EQ(timeouts.count(), 1);

    // The next input starts a new wait.
    Window window;
    deliver(&window, QEvent::KeyPress);
    EXPECT_TRUE(watcher.isWaiting());
    ASSERT_TRUE(timeouts.wait(5000));
    EXPECT_EQ(timeouts.count(), 2);
}

// After a timeout only input starts a new wait: keys, mouse, wheel, touch, pen; timers, painting,
// focus and the like happen while nobody is there.
TEST(IdleWatcherTest, OnlyInputEventsCount)
{
    struct Case { QEvent::Type type; bool input; };
    const Case cases[] = {
        {QEvent::KeyPress, true},       {QEvent::KeyRelease, true},         {QEvent::MouseButtonPress, true},
        {QEvent::MouseButtonRelease, true}, {QEvent::MouseButtonDblClick, true}, {QEvent::MouseMove, true},
        {QEvent::Wheel, true},          {QEvent::TouchBegin, true},         {QEvent::TouchUpdate, true},
        {QEvent::TouchEnd, true},       {QEvent::TabletPress, true},        {QEvent::TabletMove, true},
        {QEvent::NonClientAreaMouseMove, true}, {QEvent::NonClientAreaMouseButtonPress, true},
        {QEvent::InputMethod, true},
        {QEvent::Timer, false},         {QEvent::Paint, false},             {QEvent::UpdateRequest, false},
        {QEvent::Enter, false},         {QEvent::Leave, false},             {QEvent::HoverMove, false},
        {QEvent::FocusIn, false},       {QEvent::Show, false},              {QEvent::WindowActivate, false},
    };
    Window window;
    IdleWatcher watcher;
    QSignalSpy timeouts(&watcher, &IdleWatcher::idleTimeout);
    watcher.setInterval(20ms);
    for (const Case& c : cases) {
        if (watcher.isWaiting()) {
            ASSERT_TRUE(timeouts.wait(5000));
        }
        ASSERT_FALSE(watcher.isWaiting());
        deliver(&window, c.type);
        EXPECT_EQ(watcher.isWaiting(), c.input) << "event type " << c.type;
    }
}

// Typing and moving the mouse keep it from timing out for well beyond the interval; once the input
// stops it times out, never sooner than the interval after the last input.
TEST(IdleWatcherTest, ContinuedInputKeepsPuttingTheTimeoutOff)
{
    Window window;
    IdleWatcher watcher;
    QSignalSpy timeouts(&watcher, &IdleWatcher::idleTimeout);
    watcher.setInterval(400ms);
    QElapsedTimer typing;
    typing.start();
    for (int i = 0; typing.elapsed() < 1200; ++i) {
        deliver(&window, i % 2 ? QEvent::KeyPress : QEvent::MouseMove);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    EXPECT_EQ(timeouts.count(), 0);

    QElapsedTimer sinceLastInput;
    sinceLastInput.start();
    ASSERT_TRUE(timeouts.wait(5000));
    EXPECT_GE(sinceLastInput.elapsed(), 400);
}

// Other events going on all the time do not put it off.
TEST(IdleWatcherTest, TimesOutWhileOtherEventsGoOn)
{
    Window window;
    IdleWatcher watcher;
    QSignalSpy timeouts(&watcher, &IdleWatcher::idleTimeout);
    QElapsedTimer since;
    since.start();
    watcher.setInterval(300ms);
    while (timeouts.isEmpty() && since.elapsed() < 5000) {
        for (QEvent::Type type : {QEvent::Timer, QEvent::Paint, QEvent::UpdateRequest, QEvent::HoverMove})
            deliver(&window, type);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    EXPECT_EQ(timeouts.count(), 1);
}

TEST(IdleWatcherTest, ZeroOrLessTurnsItOffAndInputDoesNotTurnItOn)
{
    Window window;
    for (int off : {0, -5}) {
        IdleWatcher watcher;
        QSignalSpy timeouts(&watcher, &IdleWatcher::idleTimeout);
        watcher.setInterval(50ms);
        watcher.setMinutes(off);
        EXPECT_EQ(watcher.interval(), 0ms);
        EXPECT_FALSE(watcher.isWaiting());
        deliver(&window, QEvent::MouseMove);
        EXPECT_FALSE(watcher.isWaiting());
        EXPECT_FALSE(timeouts.wait(300));

        // Turned on again it waits the new interval.
        watcher.setInterval(50ms);
        EXPECT_TRUE(watcher.isWaiting());
        EXPECT_TRUE(timeouts.wait(5000));
    }
}

TEST(IdleWatcherTest, MinutesAreMinutes)
{
    IdleWatcher watcher;
    watcher.setMinutes(10);
    EXPECT_EQ(watcher.interval(), 10min);
    EXPECT_TRUE(watcher.isWaiting());
    watcher.setMinutes(24 * 60);
    EXPECT_EQ(watcher.interval(), 24h);
}
