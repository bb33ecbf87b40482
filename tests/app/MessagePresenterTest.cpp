#include "app/AppContext.h"
#include "app/MessagePresenter.h"
#include "support/ScriptedMessages.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

TEST(Messages, EmptyTitleShowsTheApplicationTitle)
{
    ScriptedMessages messages;
    ShowMessage(QStringLiteral("Bitte geben Sie einen Benutzernamen ein !   "), kMessageExclamation);
    ShowMessage("Hinweis", kMessageInformation, "Eigener Titel");
    ASSERT_EQ(messages.shown().size(), 2);
    EXPECT_EQ(messages.shown()[0].title, "Tarvenic Keywarden");
    EXPECT_EQ(messages.shown()[0].prompt, QStringLiteral("Bitte geben Sie einen Benutzernamen ein !   "));
    EXPECT_EQ(messages.shown()[0].kind, 2);
    EXPECT_FALSE(messages.shown()[0].question);
    EXPECT_EQ(messages.shown()[1].title, "Eigener Titel");
    EXPECT_EQ(messages.shown()[1].kind, 1);
}

TEST(Messages, QuestionsAreAnsweredFromTheQueue)
{
    ScriptedMessages messages;
    messages.queueAnswer(true);
    messages.queueAnswer(false);
    EXPECT_TRUE(AskYesNo("Erste ?", true));
    EXPECT_FALSE(AskYesNo("Zweite ?", false, "Titel"));
    EXPECT_EQ(messages.pendingAnswers(), 0);
    EXPECT_EQ(messages.unexpectedQuestions(), 0);
    // An unplanned question is answered No, and the test can see that it happened.
    EXPECT_FALSE(AskYesNo("Dritte ?", true));
    EXPECT_EQ(messages.unexpectedQuestions(), 1);

    ASSERT_EQ(messages.shown().size(), 3);
    EXPECT_TRUE(messages.shown()[0].question);
    EXPECT_TRUE(messages.shown()[0].questionIcon);
    EXPECT_TRUE(messages.shown()[0].answer);
    EXPECT_EQ(messages.shown()[0].title, "Tarvenic Keywarden");
    EXPECT_FALSE(messages.shown()[1].questionIcon);
    EXPECT_FALSE(messages.shown()[1].answer);
    EXPECT_EQ(messages.shown()[1].title, "Titel");
    EXPECT_EQ(messages.shown()[2].prompt, "Dritte ?");
}

TEST(Messages, PresentersNestAndWithoutOneQuestionsAnswerNo)
{
    ASSERT_EQ(messagePresenter(), nullptr);
    EXPECT_FALSE(AskYesNo("Ohne Anzeige ?", true));
    ShowMessage("geht ins Leere", kMessageInformation);
    {
        ScriptedMessages outer;
        {
            ScriptedMessages inner;
            inner.queueAnswer(true);
            EXPECT_TRUE(AskYesNo("innen ?", false));
            EXPECT_TRUE(outer.shown().isEmpty());
        }
        EXPECT_EQ(messagePresenter(), &outer);
        ShowMessage("außen", kMessageInformation);
        EXPECT_EQ(outer.shown().size(), 1);
    }
    EXPECT_EQ(messagePresenter(), nullptr);
}
