#include "ui/login/frmConfirmPass.h"

#include "ui/common/FormLook.h"
#include "ui/controls/StrengthBar.h"

#include "app/MessagePresenter.h"
#include "support/QtPrinters.h"
#include "support/ScriptedMessages.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

const QString kExpected = QStringLiteral("Neues-Geheimnis-42");

struct Confirm {
    ScriptedMessages messages;
    frmConfirmPass dialog{kExpected};
    QLineEdit* box = dialog.findChild<QLineEdit*>(QStringLiteral("txtConfirm"));
    StrengthBar* strength = dialog.findChild<StrengthBar*>();

    Confirm()
    {
        dialog.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }
    void typeAndEnter(const QString& text)
    {
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
    }
    void click(const char* name) { dialog.findChild<QPushButton*>(QString::fromLatin1(name))->click(); }
    bool mismatchShown(qsizetype times) const
    {
        if (messages.shown().size() != times)
            return false;
        for (const ScriptedMessages::Shown& s : messages.shown()) {
            if (s.prompt != frmConfirmPass::kMismatch || s.kind != kMessageExclamation || s.question)
                return false;
        }
        return true;
    }
};

TEST(frmConfirmPassTest, OpensTitledWithTheFocusInAMaskedBox)
{
    Confirm c;
    EXPECT_EQ(c.dialog.windowTitle(), QStringLiteral("Tarvenic Keywarden - Master-Passwort bestätigen"));
    ASSERT_NE(c.box, nullptr);
    EXPECT_EQ(c.dialog.focusWidget(), c.box);
    EXPECT_TRUE(FormLook::isMasked(c.box));
    EXPECT_TRUE(c.box->styleSheet().contains(QStringLiteral("lineedit-password-character: 42")));
    EXPECT_TRUE(c.box->text().isEmpty());
    for (QWidget* w : c.dialog.findChildren<QWidget*>()) {
        if (w->focusPolicy() != Qt::NoFocus) {
            EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
        }
    }
}

TEST(frmConfirmPassTest, TheSameTextConfirmedByEnterOrOkIsAccepted)
{
    {
        Confirm c;
        c.typeAndEnter(kExpected);
        EXPECT_TRUE(c.dialog.confirmed());
        EXPECT_EQ(c.dialog.result(), QDialog::Accepted);
        EXPECT_TRUE(c.messages.shown().isEmpty());
    }
    {
        Confirm c;
        QTest::keyClicks(c.box, kExpected);
        c.click("cmdOK");
        EXPECT_TRUE(c.dialog.confirmed());
        EXPECT_FALSE(c.dialog.isVisible());
    }
}

TEST(frmConfirmPassTest, AMismatchIsRefusedWithAMessageAndTheUserTypesAgain)
{
    Confirm c;
    // A typo, a different case, a missing or an extra character, and nothing at all.
    const QString wrong[] = {QStringLiteral("Neues-Geheimnis-43"), QStringLiteral("neues-geheimnis-42"),
                             QStringLiteral("Neues-Geheimnis-4"), kExpected + QLatin1Char(' '), QString()};
    qsizetype refusals = 0;
    for (const QString& text : wrong) {
        c.typeAndEnter(text);
        ++refusals;
        EXPECT_TRUE(c.mismatchShown(refusals)) << text.toStdString();
        EXPECT_FALSE(c.dialog.confirmed());
        EXPECT_TRUE(c.dialog.isVisible());
        // The box is emptied for the next try and keeps the focus.
        EXPECT_TRUE(c.box->text().isEmpty());
        EXPECT_EQ(c.dialog.focusWidget(), c.box);
    }
    c.typeAndEnter(kExpected);
    EXPECT_TRUE(c.dialog.confirmed());
    EXPECT_EQ(c.messages.shown().size(), refusals);
}

TEST(frmConfirmPassTest, AbbrechenAndEscapeNeverConfirm)
{
    {
        Confirm c;
        QTest::keyClicks(c.box, kExpected);
        c.click("cmdCancel");
        EXPECT_FALSE(c.dialog.confirmed());
        EXPECT_EQ(c.dialog.result(), QDialog::Rejected);
    }
    {
        Confirm c;
        QTest::keyClicks(c.box, kExpected);
        QTest::keyClick(c.box, Qt::Key_Escape);
        EXPECT_FALSE(c.dialog.confirmed());
        EXPECT_FALSE(c.dialog.isVisible());
        EXPECT_TRUE(c.messages.shown().isEmpty());
    }
}

TEST(frmConfirmPassTest, TheBarRatesTheTextWhileItIsTyped)
{
    Confirm c;
    ASSERT_NE(c.strength, nullptr);
    EXPECT_EQ(c.strength->score(), -1);
    QTest::keyClicks(c.box, QStringLiteral("geheim1"));
    EXPECT_EQ(c.strength->words(), QStringLiteral("sehr schwach"));
    EXPECT_FALSE(c.strength->warning().isEmpty());
    c.box->clear();
    QTest::keyClicks(c.box, QStringLiteral("correct horse battery staple"));
    EXPECT_EQ(c.strength->words(), QStringLiteral("sehr stark"));
    EXPECT_TRUE(c.strength->warning().isEmpty());
}

// Runs `step` on the modal confirmation dialog once it is open.
void whenOpen(std::function<void(QLineEdit* box)> step)
{
    QTimer::singleShot(0, [step = std::move(step)] {
        auto* dialog = qobject_cast<frmConfirmPass*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        step(dialog->findChild<QLineEdit*>(QStringLiteral("txtConfirm")));
    });
}

TEST(frmConfirmPassTest, ConfirmIsTrueOnlyForTheExpectedText)
{
    ScriptedMessages messages;
    whenOpen([](QLineEdit* box) {
        QTest::keyClicks(box, QStringLiteral("Neues-Geheimnis-24"));
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClicks(box, kExpected);
        QTest::keyClick(box, Qt::Key_Return);
    });
    EXPECT_TRUE(frmConfirmPass::confirm(nullptr, kExpected));
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.shown().at(0).prompt, frmConfirmPass::kMismatch);

    whenOpen([](QLineEdit* box) {
        QTest::keyClicks(box, QStringLiteral("falsch"));
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClick(box, Qt::Key_Escape);
    });
    EXPECT_FALSE(frmConfirmPass::confirm(nullptr, kExpected));
    EXPECT_EQ(messages.shown().size(), 2);
}

} // namespace
