#include "ui/main/ClipboardCountdown.h"

#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

// The countdown on its own, without a window or a login: what it does to the clipboard and when
// it tells the window to show the tick, the notice and the notice's end.

namespace {

QString clipboardText()
{
    return QApplication::clipboard()->text();
}

} // namespace

TEST(ClipboardCountdown, RunsTwentyTicksThenEmptiesTheClipboardPausesAndShowsTheNotice)
{
    ClipboardCountdown countdown;
    countdown.setIntervals(60000, 20, 60000);
    QSignalSpy ticks(&countdown, &ClipboardCountdown::ticked);
    QSignalSpy cleared(&countdown, &ClipboardCountdown::cleared);
    QSignalSpy ended(&countdown, &ClipboardCountdown::noticeEnded);

    countdown.copy(QStringLiteral("geheim-1"), true);
    EXPECT_EQ(clipboardText(), QStringLiteral("geheim-1"));
    EXPECT_EQ(countdown.count(), 1);
    EXPECT_TRUE(countdown.ticking());
    EXPECT_TRUE(countdown.running());

    for (int tick = 1; tick < ClipboardCountdown::kTicks; ++tick) {
        countdown.Timer2_Timer();
        EXPECT_EQ(countdown.count(), tick + 1);
        EXPECT_EQ(clipboardText(), QStringLiteral("geheim-1")) << tick;
    }
    // The last tick: the bar shows 20, the clipboard is emptied, the pause begins.
    countdown.Timer2_Timer();
    ASSERT_EQ(ticks.size(), ClipboardCountdown::kTicks);
    for (int i = 0; i < ticks.size(); ++i)
        EXPECT_EQ(ticks.at(i).at(0).toInt(), i + 1);
    EXPECT_TRUE(clipboardText().isEmpty());
    EXPECT_FALSE(countdown.ticking());
    EXPECT_TRUE(countdown.ending());
    EXPECT_EQ(countdown.count(), ClipboardCountdown::kTicks);
    EXPECT_TRUE(cleared.isEmpty());
    // A clear is not taken in the pause: the notice is due.
    EXPECT_FALSE(countdown.clearNow());

    ASSERT_TRUE(QTest::qWaitFor([&] { return !cleared.isEmpty(); }, 2000));
    EXPECT_EQ(cleared.size(), 1);
    EXPECT_EQ(countdown.count(), 0);
    EXPECT_FALSE(countdown.ending());
    EXPECT_TRUE(countdown.noticeShown());
    EXPECT_TRUE(ended.isEmpty());

    countdown.Timer3_Timer();
    EXPECT_EQ(ended.size(), 1);
    EXPECT_FALSE(countdown.noticeShown());
    EXPECT_FALSE(countdown.running());
}

TEST(ClipboardCountdown, ClearNowReplacesOnlyItsOwnCopyAndTheCountGoesOnFromEleven)
{
    const struct {
        const char* what;
        bool userCopiedMeanwhile;
        QString expected;
    } cases[] = {
        {"our copy is replaced", false, QStringLiteral("gelöscht.")},
        {"the user's own text stays", true, QStringLiteral("eigener Text")},
    };
    for (const auto& c : cases) {
        ClipboardCountdown countdown;
        countdown.setIntervals(60000, 60000, 60000);
        EXPECT_FALSE(countdown.clearNow()) << c.what;  // nothing copied yet
        countdown.copy(QStringLiteral("geheim-2"), true);
        for (int i = 0; i < 5; ++i)
            countdown.Timer2_Timer();
        if (c.userCopiedMeanwhile)
            QApplication::clipboard()->setText(QStringLiteral("eigener Text"));
        EXPECT_TRUE(countdown.clearNow()) << c.what;
        EXPECT_EQ(clipboardText(), c.expected) << c.what;
        EXPECT_EQ(countdown.count(), 11) << c.what;
        EXPECT_TRUE(countdown.ticking()) << c.what;
        countdown.stop();
        EXPECT_FALSE(countdown.running()) << c.what;
    }
}

TEST(ClipboardCountdown, AWaitingCopyRunsNoTicksAndClearEmptiesOnlyItsOwn)
{
    const struct {
        const char* what;
        bool userCopiedMeanwhile;
        QString expected;
    } cases[] = {
        {"our copy goes", false, QString()},
        {"the user's own text stays", true, QStringLiteral("eigener Text")},
    };
    for (const auto& c : cases) {
        ClipboardCountdown countdown;
        countdown.copy(QStringLiteral("geheim-3"), false);
        EXPECT_EQ(countdown.count(), 1) << c.what;
        EXPECT_FALSE(countdown.running()) << c.what;
        EXPECT_EQ(clipboardText(), QStringLiteral("geheim-3")) << c.what;
        if (c.userCopiedMeanwhile)
            QApplication::clipboard()->setText(QStringLiteral("eigener Text"));
        countdown.clear();
        EXPECT_EQ(countdown.count(), 0) << c.what;
        EXPECT_EQ(clipboardText(), c.expected) << c.what;
        EXPECT_FALSE(countdown.clearNow()) << c.what;
    }
}

TEST(ClipboardCountdown, ACopyDuringTheNoticeEndsTheNoticeAndStartsAgainAtOne)
{
    ClipboardCountdown countdown;
    countdown.setIntervals(60000, 1, 60000);
    countdown.copy(QStringLiteral("geheim-4"), true);
    for (int i = 0; i < ClipboardCountdown::kTicks; ++i)
        countdown.Timer2_Timer();
    ASSERT_TRUE(QTest::qWaitFor([&] { return countdown.noticeShown(); }, 2000));

    countdown.copy(QStringLiteral("geheim-5"), true);
    EXPECT_FALSE(countdown.noticeShown());
    EXPECT_TRUE(countdown.ticking());
    EXPECT_EQ(countdown.count(), 1);
    EXPECT_EQ(clipboardText(), QStringLiteral("geheim-5"));
    countdown.clear();
    EXPECT_FALSE(countdown.running());
    EXPECT_TRUE(clipboardText().isEmpty());
}
