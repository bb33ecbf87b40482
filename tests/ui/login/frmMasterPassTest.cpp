#include "support/WindowTesting.h"

#include "store/StoreActivity.h"
#include "store/StoreSession.h"
#include "support/ModalDriver.h"
#include "support/ScriptedMessages.h"
#include "support/WipedTexts.h"
#include "ui/common/Twips.h"
#include "ui/login/frmConfirmPass.h"
#include "ui/login/frmMasterPass.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace windowtest;

namespace {

const QString kOld = QStringLiteral("geheim1");
const QString kQuestion = QStringLiteral("Soll das Master-Passwort für 'anna' wirklich geändert werden ?");

QByteArray annaPlain()
{
    return testsupport::readAll(testsupport::fixturePath(QStringLiteral("anna.ini")));
}

// What the opener's callback was told.
struct Closed {
    int calls = 0;
    bool changed = false;
    QString newPassword;

    std::function<void(bool, const QString&)> forLogin()
    {
        return [this](bool c, const QString& p) {
            ++calls;
            changed = c;
            newPassword = p;
        };
    }
    std::function<void()> forMain()
    {
        return [this] { ++calls; };
    }
};

struct Dialog {
    QPointer<frmMasterPass> form = visibleWindow<frmMasterPass>();
    QLineEdit* oldPass() const { return form->findChild<QLineEdit*>(QStringLiteral("txtOldPass")); }
    QLineEdit* newPass() const { return form->findChild<QLineEdit*>(QStringLiteral("txtNewPass")); }
    void clickApply() const { form->findChild<QPushButton*>(QStringLiteral("Command1"))->click(); }
    void clickCancel() const { form->findChild<QPushButton*>(QStringLiteral("Command2"))->click(); }
};

// A logged-in session of anna from the fixture, as the main window holds it.
struct AnnaFolder : ProgramFolder {
    QString dat = copyFixture(QStringLiteral("anna.dat"));
    QString bak = path(QStringLiteral("anna.bak"));
    QByteArray original = testsupport::readAll(dat);
    StoreSession session;

    // The dialog's store steps run without letting events in.
    AnnaFolder() : ProgramFolder(Events::Held)
    {
        QFile::setPermissions(dat, QFileDevice::ReadOwner);
        session.begin(appContext().AppPath, QStringLiteral("anna"), kOld);
    }
    bool untouched() const
    {
        return testsupport::readAll(dat) == original && !QFileInfo::exists(bak)
            && plaintextFiles().isEmpty();
    }
};

// anna's folder with the messages scripted and the opener's callback recorded.
struct AnnaChange : AnnaFolder {
    Closed closed;

    void openFromMain() { frmMasterPass::openFromMain(session, closed.forMain()); }
    // As the login window opens it: the typed password handed over.
    void openFromLogin(const QString& oldPassword)
    {
        frmMasterPass::openFromLogin(session, oldPassword, closed.forLogin());
    }
    // Types the new password into the open dialog, clicks "Übernehmen" and answers the question with yes.
    void changeTo(const Dialog& dialog, const QString& newPassword)
    {
        dialog.newPass()->setText(newPassword);
        messages.queueAnswer(true);
        dialog.clickApply();
    }
};

} // namespace

TEST(frmMasterPass, ChangeFromTheMainWindowKeepsTheOldStoreAsBackup)
{
    AnnaChange anna;

    anna.openFromMain();
    Dialog dialog;
    ASSERT_TRUE(dialog.form);
    EXPECT_EQ(dialog.form->windowTitle(), QStringLiteral("Master-Passwort für 'anna' ändern"));
    EXPECT_EQ(dialog.oldPass()->text(), kOld);
    EXPECT_TRUE(dialog.oldPass()->isReadOnly());
    EXPECT_EQ(dialog.oldPass()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dialog.form->focusWidget(), dialog.newPass());

    anna.changeTo(dialog, QStringLiteral("neu-4567"));

    EXPECT_EQ(anna.confirmations.asked(), QStringList{QStringLiteral("neu-4567")});
    ASSERT_EQ(anna.messages.shown().size(), 1);
    EXPECT_TRUE(anna.messages.shown()[0].question);
    EXPECT_TRUE(anna.messages.shown()[0].questionIcon);
    EXPECT_EQ(anna.messages.shown()[0].prompt, kQuestion);
    EXPECT_EQ(anna.messages.shown()[0].title, appContext().AppTitle);

    EXPECT_EQ(testsupport::readAll(anna.bak), anna.original);
    EXPECT_TRUE(opensWith(anna.bak, kOld, annaPlain()));
    EXPECT_TRUE(opensWith(anna.dat, QStringLiteral("neu-4567"), annaPlain()));
    CryptStatus status = CryptStatus::Ok;
    plainOf(anna.dat, kOld, &status);
    EXPECT_EQ(status, CryptStatus::CannotOpen);
    EXPECT_TRUE(isReadOnly(anna.dat));
    EXPECT_TRUE(anna.plaintextFiles().isEmpty());

    // The user goes on working under the new password; the main window comes back.
    EXPECT_EQ(anna.session.MasterPassword(), QStringLiteral("neu-4567"));
    EXPECT_EQ(anna.closed.calls, 1);
    flushDeletes();
    EXPECT_FALSE(dialog.form);
    EXPECT_TRUE(anna.session.unlock().ok());
}

TEST(frmMasterPass, BothBoxesMaskWithAsterisksLikeTheOtherWindows)
{
    AnnaChange anna;
    anna.openFromLogin(kOld);
    Dialog dialog;
    ASSERT_TRUE(dialog.form);
    dialog.newPass()->setText(QStringLiteral("neu-4567"));
    EXPECT_EQ(dialog.oldPass()->displayText().toStdString(), std::string(kOld.size(), '*'));
    EXPECT_EQ(dialog.newPass()->displayText().toStdString(), "********");
    dialog.clickCancel();
}

TEST(frmMasterPass, EnterOnAFocusedButtonClicksIt)
{
    // Übernehmen: the question comes (answered no, nothing changes).
    AnnaChange anna;
    anna.openFromMain();
    Dialog dialog;
    ASSERT_TRUE(dialog.form);
    dialog.newPass()->setText(QStringLiteral("neu-4567"));
    QPushButton* apply = dialog.form->findChild<QPushButton*>(QStringLiteral("Command1"));
    QPushButton* cancel = dialog.form->findChild<QPushButton*>(QStringLiteral("Command2"));
    // The tab order runs from the new password over Abbrechen to Übernehmen.
    QTest::keyClick(dialog.newPass(), Qt::Key_Tab);
    ASSERT_EQ(dialog.form->focusWidget(), cancel);
    QTest::keyClick(cancel, Qt::Key_Tab);
    ASSERT_EQ(dialog.form->focusWidget(), apply);
    anna.messages.queueAnswer(false);
    QTest::keyClick(apply, Qt::Key_Return);
    ASSERT_EQ(anna.messages.shown().size(), 1);
    EXPECT_EQ(anna.messages.shown()[0].prompt, kQuestion);
    EXPECT_TRUE(anna.untouched());

    // Abbrechen: the dialog closes, the opener comes back.
    cancel->setFocus();
    QTest::keyClick(cancel, Qt::Key_Enter);
    flushDeletes();
    EXPECT_FALSE(dialog.form);
    EXPECT_EQ(anna.closed.calls, 1);
    EXPECT_TRUE(anna.untouched());
}

TEST(frmMasterPass, ChangeFromTheLoginWindowHandsTheNewPasswordBack)
{
    AnnaChange anna;
    // The name is typed in another case than the file's; the store is found all the same.
    anna.session.beginPasswordChange(appContext().AppPath, QStringLiteral("Anna"));

    anna.openFromLogin(kOld);
    Dialog dialog;
    ASSERT_TRUE(dialog.form);
    EXPECT_EQ(dialog.form->windowTitle(), QStringLiteral("Master-Passwort für 'Anna' ändern"));
    EXPECT_EQ(dialog.oldPass()->text(), kOld);
    EXPECT_FALSE(dialog.oldPass()->isReadOnly());
    EXPECT_EQ(dialog.form->focusWidget(), dialog.newPass());

    // Enter in the new-password box starts the change.
    QTest::keyClicks(dialog.newPass(), QStringLiteral("Login#99"));
    anna.messages.queueAnswer(true);
    WipedTexts wiped;
    QTest::keyClick(dialog.newPass(), Qt::Key_Return);

    EXPECT_EQ(anna.messages.pendingAnswers(), 0);
    EXPECT_EQ(anna.closed.calls, 1);
    EXPECT_TRUE(anna.closed.changed);
    EXPECT_EQ(anna.closed.newPassword, QStringLiteral("Login#99"));
    EXPECT_TRUE(opensWith(anna.bak, kOld, annaPlain()));
    EXPECT_TRUE(opensWith(anna.dat, QStringLiteral("Login#99"), annaPlain()));
    EXPECT_EQ(QFileInfo(anna.bak).fileName(), QStringLiteral("anna.bak"));
    // Nobody is logged in behind the login window: the password the change left is wiped, and the
    // dialog's own copy when it goes.
    EXPECT_TRUE(anna.session.MasterPassword().isEmpty());
    EXPECT_TRUE(wiped.wiped(anna.session.MasterPassword(), QStringLiteral("Login#99")));
    const qsizetype wipedBeforeRelease = wiped.count(QStringLiteral("Login#99"));
    flushDeletes();
    EXPECT_FALSE(dialog.form);
    EXPECT_EQ(wiped.count(QStringLiteral("Login#99")), wipedBeforeRelease + 1);
}

TEST(frmMasterPass, FromTheLoginAnEmptyOldPasswordGetsTheFocus)
{
    AnnaChange anna;

    anna.openFromLogin(QString());
    Dialog dialog;
    ASSERT_TRUE(dialog.form);
    EXPECT_TRUE(dialog.oldPass()->text().isEmpty());
    EXPECT_EQ(dialog.form->focusWidget(), dialog.oldPass());
    // The dialog keeps the tool window's fixed size.
    EXPECT_EQ(dialog.form->minimumSize(), dialog.form->maximumSize());
    EXPECT_EQ(dialog.form->size(),
              QSize(Twips::toPixels(6255, dialog.form), Twips::toPixels(870, dialog.form)));
    EXPECT_FALSE(dialog.form->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    // The labels' text ends clearly before the boxes begin, and the buttons' captions fit.
    const auto labels = dialog.form->findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 2);
    for (const QLabel* label : labels)
        EXPECT_LE(label->x() + label->fontMetrics().horizontalAdvance(label->text()) + 4, dialog.oldPass()->x())
            << label->text().toStdString();
    for (const QPushButton* button : dialog.form->findChildren<QPushButton*>())
        EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()) + 8, button->width())
            << button->text().toStdString();
}

TEST(frmMasterPass, ChecksRefuseBeforeAnyQuestionAndNoLeavesEverything)
{
    const struct {
        QString oldPassword;
        QString newPassword;
        QString message;  // empty: the question is asked
        qint16 kind;
        const char* focus;
    } cases[] = {
        {QString(), QStringLiteral("abcd"), QStringLiteral("Bitte altes Master-Passwort eingegeben."), 2, "txtOldPass"},
        {kOld, QString(), QStringLiteral("Bitte neues Master-Passwort eingegeben."), 2, "txtNewPass"},
        {kOld, QStringLiteral("abc"), QStringLiteral("Das Master-Passwort sollte mindestens 4 Zeichen lang sein.   "), 1, "txtNewPass"},
        {kOld, QStringLiteral("abcd"), QString(), 0, "txtNewPass"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.newPassword.toStdString());
        AnnaChange anna;
        anna.openFromLogin(c.oldPassword);
        Dialog dialog;
        ASSERT_TRUE(dialog.form);
        dialog.newPass()->setText(c.newPassword);
        dialog.oldPass()->setFocus();
        anna.messages.queueAnswer(false);
        dialog.clickApply();

        ASSERT_EQ(anna.messages.shown().size(), 1);
        const ScriptedMessages::Shown& shown = anna.messages.shown()[0];
        if (c.message.isEmpty()) {
            EXPECT_TRUE(shown.question);
            EXPECT_EQ(shown.prompt, kQuestion);
        } else {
            EXPECT_FALSE(shown.question);
            EXPECT_EQ(shown.prompt, c.message);
            EXPECT_EQ(shown.kind, c.kind);
            EXPECT_EQ(dialog.form->focusWidget()->objectName(), QString::fromLatin1(c.focus));
        }
        // The confirmation comes only for a new password the checks took, before the question.
        EXPECT_EQ(anna.confirmations.asked(), c.message.isEmpty() ? QStringList{c.newPassword} : QStringList());
        // Nothing changed: the dialog stays open with its input, the files as they were.
        EXPECT_TRUE(anna.untouched());
        EXPECT_TRUE(dialog.form->isVisible());
        EXPECT_EQ(dialog.newPass()->text(), c.newPassword);
        EXPECT_EQ(anna.closed.calls, 0);
    }
}

TEST(frmMasterPass, FourCharactersAreEnough)
{
    AnnaChange anna;
    anna.openFromMain();
    Dialog dialog;
    ASSERT_TRUE(dialog.form);
    anna.changeTo(dialog, QStringLiteral("abcd"));
    EXPECT_TRUE(opensWith(anna.dat, QStringLiteral("abcd"), annaPlain()));
    EXPECT_EQ(anna.closed.calls, 1);
}

TEST(frmMasterPass, CancelAndTheCloseButtonReturnWithoutChange)
{
    for (const bool viaButton : {true, false}) {
        SCOPED_TRACE(viaButton ? "Abbrechen" : "close button");
        AnnaChange anna;
        anna.openFromLogin(kOld);
        Dialog dialog;
        ASSERT_TRUE(dialog.form);
        dialog.newPass()->setText(QStringLiteral("neu-4567"));
        if (viaButton)
            dialog.clickCancel();
        else
            dialog.form->close();
        EXPECT_EQ(anna.closed.calls, 1);
        EXPECT_FALSE(anna.closed.changed);
        EXPECT_TRUE(anna.closed.newPassword.isEmpty());
        EXPECT_TRUE(anna.messages.shown().isEmpty());
        EXPECT_TRUE(anna.untouched());
        flushDeletes();
        EXPECT_FALSE(dialog.form);
    }
}

TEST(frmMasterPass, ASecondChangeReplacesTheBackup)
{
    AnnaChange anna;
    for (const QString& next : {QStringLiteral("zweites1"), QStringLiteral("drittes1")}) {
        anna.openFromMain();
        Dialog dialog;
        ASSERT_TRUE(dialog.form);
        anna.changeTo(dialog, next);
        flushDeletes();
    }
    EXPECT_EQ(anna.closed.calls, 2);
    EXPECT_TRUE(opensWith(anna.bak, QStringLiteral("zweites1"), annaPlain()));
    EXPECT_FALSE(opensWith(anna.bak, kOld, annaPlain()));
    EXPECT_TRUE(opensWith(anna.dat, QStringLiteral("drittes1"), annaPlain()));
    EXPECT_EQ(anna.files(), QStringList({QStringLiteral("anna.bak"), QStringLiteral("anna.dat")}));
}

TEST(frmMasterPass, AFailureBeforeTheRenameKeepsTheOldStore)
{
    const struct {
        const char* name;
        AtomicWrite::Stage stage;
        QString file;
    } cases[] = {
        {"backup not written", AtomicWrite::Stage::Write, QStringLiteral("anna.bak")},
        {"backup not renamed", AtomicWrite::Stage::Commit, QStringLiteral("anna.bak")},
        {"backup not flushed", AtomicWrite::Stage::Flush, QStringLiteral("anna.bak")},
        {"new store not written", AtomicWrite::Stage::Write, QStringLiteral("anna.dat")},
        {"new store not flushed", AtomicWrite::Stage::Flush, QStringLiteral("anna.dat")},
        {"new store not closed", AtomicWrite::Stage::Close, QStringLiteral("anna.dat")},
        {"new store not renamed", AtomicWrite::Stage::Commit, QStringLiteral("anna.dat")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AnnaChange anna;
        const QString target = anna.path(c.file);
        AtomicWrite::setFaultHook([&](AtomicWrite::Stage stage, const QString& path) {
            return stage == c.stage && QFileInfo(path) == QFileInfo(target);
        });
        anna.openFromMain();
        Dialog dialog;
        ASSERT_TRUE(dialog.form);
        anna.changeTo(dialog, QStringLiteral("neu-4567"));
        AtomicWrite::setFaultHook({});

        // The user file is the old one and opens under the old password; the user is told.
        EXPECT_EQ(testsupport::readAll(anna.dat), anna.original);
        EXPECT_TRUE(opensWith(anna.dat, kOld, annaPlain()));
        EXPECT_TRUE(anna.plaintextFiles().isEmpty());
        ASSERT_EQ(anna.messages.shown().size(), 2);
        EXPECT_FALSE(anna.messages.shown()[1].question);
        EXPECT_FALSE(anna.messages.shown()[1].prompt.isEmpty());
        EXPECT_EQ(anna.session.MasterPassword(), kOld);
        EXPECT_TRUE(dialog.form->isVisible());
        EXPECT_EQ(anna.closed.calls, 0);
        EXPECT_TRUE(anna.session.unlock().ok());
        // Only the user's files and no leftover temporary file.
        for (const QString& f : anna.files())
            EXPECT_TRUE(f == QStringLiteral("anna.dat") || f == QStringLiteral("anna.bak")) << f.toStdString();
    }
}

TEST(frmMasterPass, AnUnconfirmedFolderFlushCountsAsChangedAndSaysSo)
{
    // The store is under the new password once renamed: the dialog ends as after a change.
    AnnaChange anna;
    AtomicWrite::setFaultHook([&](AtomicWrite::Stage stage, const QString& path) {
        return stage == AtomicWrite::Stage::FolderFlush && QFileInfo(path) == QFileInfo(anna.dat);
    });
    anna.openFromMain();
    Dialog dialog;
    ASSERT_TRUE(dialog.form);
    anna.changeTo(dialog, QStringLiteral("neu-4567"));
    AtomicWrite::setFaultHook({});

    ASSERT_EQ(anna.messages.shown().size(), 2);
    EXPECT_FALSE(anna.messages.shown()[1].question);
    EXPECT_TRUE(anna.messages.shown()[1].prompt.contains(QStringLiteral("Master-Passwort ist geändert")));
    EXPECT_TRUE(opensWith(anna.dat, QStringLiteral("neu-4567"), annaPlain()));
    EXPECT_EQ(anna.session.MasterPassword(), QStringLiteral("neu-4567"));
    EXPECT_EQ(anna.closed.calls, 1);
}

TEST(frmMasterPass, AWrongOldPasswordEndsTheProgramWithTheFilesUntouched)
{
    for (const bool passesTheLengthField : {false, true}) {
        SCOPED_TRACE(passesTheLengthField ? "wrong key that passes the length field" : "wrong key");
        AnnaChange anna;
        QString wrong = QStringLiteral("falsch99");
        if (passesTheLengthField) {
            QFile::remove(anna.dat);
            anna.copyFixture(testsupport::kLargeStoreFixture, QStringLiteral("anna.dat"));
            anna.original = testsupport::readAll(anna.dat);
            wrong = testsupport::kLargeStoreWrongKey;
        }
        anna.openFromLogin(wrong);
        Dialog dialog;
        ASSERT_TRUE(dialog.form);
        WipedTexts wiped;
        anna.changeTo(dialog, QStringLiteral("neu-4567"));
        EXPECT_TRUE(wiped.wiped(anna.session.MasterPassword(), wrong));

        ASSERT_EQ(anna.exits.size(), 1);
        EXPECT_NE(anna.exits[0], 0);
        ASSERT_EQ(anna.messages.shown().size(), 2);
        EXPECT_EQ(anna.messages.shown()[1].kind, kMessageExclamation);
        EXPECT_TRUE(anna.messages.shown()[1].prompt.contains(QStringLiteral("Master-Passwort ist falsch")));
        EXPECT_TRUE(anna.untouched());
        // The program ends: the login window is not shown again.
        EXPECT_EQ(anna.closed.calls, 0);
        EXPECT_FALSE(dialog.form->isVisible());
    }
}

TEST(frmMasterPass, ANameWithoutAUserFileIsRefused)
{
    AnnaChange anna;
    anna.session.beginPasswordChange(appContext().AppPath, QStringLiteral("niemand"), kOld);
    anna.openFromLogin(kOld);

    EXPECT_EQ(visibleWindow<frmMasterPass>(), nullptr);
    ASSERT_EQ(anna.messages.shown().size(), 1);
    EXPECT_TRUE(anna.messages.shown()[0].prompt.contains(QStringLiteral("'niemand'")));
    EXPECT_EQ(anna.closed.calls, 1);
    EXPECT_FALSE(anna.closed.changed);
    EXPECT_TRUE(anna.untouched());
    EXPECT_EQ(anna.files(), QStringList({QStringLiteral("anna.dat")}));
}

TEST(frmMasterPass, CancelDuringTheChangeWaitsForIt)
{
    AnnaChange anna;
    anna.openFromLogin(kOld);
    Dialog dialog;
    ASSERT_TRUE(dialog.form);
    dialog.newPass()->setText(QStringLiteral("neu-4567"));
    anna.messages.queueAnswer(true);
    // Events run between the store's steps: "Abbrechen", the close button and Enter arrive meanwhile.
    int pumped = 0;
    StoreActivity::setEventPump([&] {
        ++pumped;
        if (!dialog.form)
            return;
        dialog.clickCancel();
        dialog.form->close();
        dialog.clickApply();
    });
    dialog.clickApply();
    StoreActivity::setEventPump({});

    EXPECT_GT(pumped, 0);
    EXPECT_EQ(anna.messages.shown().size(), 1);
    EXPECT_EQ(anna.closed.calls, 1);
    EXPECT_TRUE(anna.closed.changed);
    EXPECT_TRUE(opensWith(anna.dat, QStringLiteral("neu-4567"), annaPlain()));
}

namespace {

// Types each text into the confirmation dialog and presses Enter; cancels after them when asked.
std::function<void(frmConfirmPass*)> confirmTyping(const QStringList& texts, bool cancelAfter = false)
{
    return [texts, cancelAfter](frmConfirmPass* dialog) {
        QLineEdit* box = dialog->findChild<QLineEdit*>(QStringLiteral("txtConfirm"));
        for (const QString& text : texts) {
            QTest::keyClicks(box, text);
            QTest::keyClick(box, Qt::Key_Return);
        }
        if (cancelAfter)
            dialog->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
    };
}

} // namespace

TEST(frmMasterPass, TheNewPasswordIsConfirmedInItsOwnDialogBeforeTheChange)
{
    struct Case {
        const char* name;
        QStringList typed;    // into the confirmation, each with Enter
        bool cancel;          // Abbrechen after them
        int mismatches;       // refusals shown inside the confirmation
    };
    const Case cases[] = {
        {"typed the same", {QStringLiteral("neu-4567")}, false, 0},
        {"a typo, then the same", {QStringLiteral("neu-4568"), QStringLiteral("neu-4567")}, false, 1},
        {"cancelled", {}, true, 0},
        {"a typo, then cancelled", {QStringLiteral("neu4567")}, true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AnnaChange anna;
        anna.confirmations.useDialog();
        anna.openFromMain();
        Dialog dialog;
        ASSERT_TRUE(dialog.form);
        dialog.newPass()->setText(QStringLiteral("neu-4567"));
        if (!c.cancel)
            anna.messages.queueAnswer(true);
        ModalDriver<frmConfirmPass> confirm(confirmTyping(c.typed, c.cancel));
        dialog.clickApply();
        ASSERT_TRUE(confirm.opened());

        int refusals = 0;
        for (const ScriptedMessages::Shown& shown : anna.messages.shown())
            refusals += shown.prompt == frmConfirmPass::kMismatch ? 1 : 0;
        EXPECT_EQ(refusals, c.mismatches);
        if (c.cancel) {
            // Nothing asked, nothing written; the dialog stays open as it was.
            EXPECT_EQ(anna.messages.shown().size(), c.mismatches);
            EXPECT_TRUE(anna.untouched());
            ASSERT_TRUE(dialog.form);
            EXPECT_TRUE(dialog.form->isVisible());
            EXPECT_EQ(dialog.newPass()->text(), QStringLiteral("neu-4567"));
            EXPECT_EQ(dialog.oldPass()->text(), kOld);
            EXPECT_EQ(anna.closed.calls, 0);
            EXPECT_EQ(anna.session.MasterPassword(), kOld);
        } else {
            ASSERT_EQ(anna.messages.shown().size(), c.mismatches + 1);
            EXPECT_EQ(anna.messages.shown().last().prompt, kQuestion);
            EXPECT_EQ(testsupport::readAll(anna.bak), anna.original);
            EXPECT_TRUE(opensWith(anna.dat, QStringLiteral("neu-4567"), annaPlain()));
            EXPECT_EQ(anna.session.MasterPassword(), QStringLiteral("neu-4567"));
            EXPECT_EQ(anna.closed.calls, 1);
        }
        flushDeletes();
    }
}
