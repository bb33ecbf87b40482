#include "ui/controls/StrengthBar.h"

#include "store/PasswordStrength.h"

#include <QLabel>

#include <gtest/gtest.h>

namespace {

TEST(StrengthBarTest, ShowsTheRatingOfEachPasswordAndTheWarningOnlyForWeakOnes)
{
    struct Case {
        const char* password;
        int score;
        bool warning;
    };
    const Case cases[] = {
        {"geheim1", 0, true},
        {"Tr0ub4dor&3", 1, true},
        {"correct horse battery staple", 4, false},
        {"", -1, false},  // an empty box: no words, no warning
        {"Sommer2023!", 0, true},
    };
    StrengthBar bar;
    bar.show();
    auto* words = bar.findChild<QLabel*>(QStringLiteral("lblStrength"));
    auto* warning = bar.findChild<QLabel*>(QStringLiteral("lblStrengthWarning"));
    ASSERT_TRUE(words && warning);
    // One bar, typed into again and again: each state replaces the one before.
    for (const Case& c : cases) {
        bar.setPassword(QString::fromUtf8(c.password));
        EXPECT_EQ(bar.score(), c.score) << c.password;
        EXPECT_EQ(words->text(), c.score < 0 ? QString() : PasswordStrength::words(c.score)) << c.password;
        EXPECT_EQ(warning->isVisible(), c.warning) << c.password;
        EXPECT_EQ(bar.warning(), c.warning ? PasswordStrength::warningText() : QString()) << c.password;
    }
}

TEST(StrengthBarTest, WithoutTheWarningTheWeakRatingStillShowsButTakesNoRoom)
{
    StrengthBar withWarning;
    StrengthBar without;
    without.setWarningEnabled(false);
    withWarning.setPassword(QStringLiteral("geheim1"));
    without.setPassword(QStringLiteral("geheim1"));
    withWarning.show();
    without.show();
    EXPECT_EQ(without.words(), QStringLiteral("sehr schwach"));
    EXPECT_TRUE(without.warning().isEmpty());
    EXPECT_LT(without.sizeHint().height(), withWarning.sizeHint().height());

    // Where the warning may come, its room is kept while it is away, so the window does not jump.
    const int weakHeight = withWarning.sizeHint().height();
    withWarning.setPassword(QStringLiteral("correct horse battery staple"));
    EXPECT_TRUE(withWarning.warning().isEmpty());
    EXPECT_EQ(withWarning.sizeHint().height(), weakHeight);
}

TEST(StrengthBarTest, EveryPartHasAGermanAccessibleName)
{
    StrengthBar bar;
    bar.setPassword(QStringLiteral("geheim1"));
    for (QWidget* w : bar.findChildren<QWidget*>())
        EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
    auto* meter = bar.findChild<QWidget*>(QStringLiteral("barStrength"));
    ASSERT_NE(meter, nullptr);
    EXPECT_EQ(meter->accessibleDescription(), QStringLiteral("sehr schwach"));
}

} // namespace
