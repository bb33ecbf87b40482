#include "WindowTestSupport.h"

#include "app/ScriptedMessages.h"
#include "store/StoreActivity.h"
#include "store/StoreSession.h"
#include "ui/Twips.h"
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

    AnnaFolder()
    {
        QFile::setPermissions(dat, QFileDevice::ReadOwner);
        session.begin(appContext().AppPath, QStringLiteral("anna"), kOld, workingCopy());
    }
    bool untouched() const
    {
        return testsupport::readAll(dat) == original && !QFileInfo::exists(bak)
            && !QFileInfo::exists(workingCopy());
    }
};

} // namespace

TEST(frmMasterPass, ChangeFromTheMainWindowKeepsTheOldStoreAsBackup)
{
    AnnaFolder folder;
    ScriptedMessages messages;
    Closed closed;

    frmMasterPass::openFromMain(folder.session, closed.forMain());
    Dialog dialog;
    ASSERT_TRUE(dialog.form);
    EXPECT_EQ(dialog.form->windowTitle(), QStringLiteral("Master-Passwort für 'anna' ändern"));
    EXPECT_EQ(dialog.oldPass()->text(), kOld);
    EXPECT_TRUE(dialog.oldPass()->isReadOnly());
    EXPECT_EQ(dialog.oldPass()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dialog.form->focusWidget(), dialog.newPass());

    dialog.newPass()->setText(QStringLiteral("neu-4567"));
    messages.queueAnswer(true);
    dialog.clickApply();

    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_TRUE(messages.shown()[0].question);
    EXPECT_TRUE(messages.shown()[0].questionIcon);
    EXPECT_EQ(messages.shown()[0].prompt, kQuestion);
    EXPECT_EQ(messages.shown()[0].title, appContext().AppTitle);

    EXPECT_EQ(testsupport::readAll(folder.bak), folder.original);
    EXPECT_TRUE(opensWith(folder.bak, kOld, annaPlain()));
    EXPECT_TRUE(opensWith(folder.dat, QStringLiteral("neu-4567"), annaPlain()));
    CryptStatus status = CryptStatus::Ok;
    plainOf(folder.dat, kOld, &status);
    EXPECT_EQ(status, CryptStatus::CannotOpen);
    EXPECT_TRUE(isReadOnly(folder.dat));
    EXPECT_FALSE(QFileInfo::exists(folder.workingCopy()));

    // The user goes on working under the new password; the main window comes back.
    EXPECT_EQ(folder.session.MasterPassword, QStringLiteral("neu-4567"));
    EXPECT_EQ(closed.calls, 1);
    flushDeletes();
    EXPECT_FALSE(dialog.form);
    EXPECT_TRUE(folder.session.unlock().ok());
}

TEST(frmMasterPass, ChangeFromTheLoginWindowHandsTheNewPasswordBack)
{
    AnnaFolder folder;
    ScriptedMessages messages;
    Closed closed;
    // The name is typed in another case than the file's; the store is found all the same.
    folder.session.CurrentUser = QStringLiteral("Anna");
    folder.session.MasterPassword.clear();
    folder.session.PassChangeFromLogin = 1;

    frmMasterPass::openFromLogin(folder.session, kOld, closed.forLogin());
    Dialog dialog;
    ASSERT_TRUE(dialog.form);
    EXPECT_EQ(dialog.form->windowTitle(), QStringLiteral("Master-Passwort für 'Anna' ändern"));
    EXPECT_EQ(dialog.oldPass()->text(), kOld);
    EXPECT_FALSE(dialog.oldPass()->isReadOnly());
    EXPECT_EQ(dialog.form->focusWidget(), dialog.newPass());

    // Enter in the new-password box starts the change.
    QTest::keyClicks(dialog.newPass(), QStringLiteral("Login#99"));
    messages.queueAnswer(true);
    QTest::keyClick(dialog.newPass(), Qt::Key_Return);

    EXPECT_EQ(messages.pendingAnswers(), 0);
    EXPECT_EQ(closed.calls, 1);
    EXPECT_TRUE(closed.changed);
    EXPECT_EQ(closed.newPassword, QStringLiteral("Login#99"));
    EXPECT_TRUE(opensWith(folder.bak, kOld, annaPlain()));
    EXPECT_TRUE(opensWith(folder.dat, QStringLiteral("Login#99"), annaPlain()));
    EXPECT_EQ(QFileInfo(folder.bak).fileName(), QStringLiteral("anna.bak"));
    // Nobody is logged in behind the login window.
    EXPECT_TRUE(folder.session.MasterPassword.isEmpty());
}

TEST(frmMasterPass, FromTheLoginAnEmptyOldPasswordGetsTheFocus)
{
    AnnaFolder folder;
    ScriptedMessages messages;
    Closed closed;
    folder.session.PassChangeFromLogin = 1;

    frmMasterPass::openFromLogin(folder.session, QString(), closed.forLogin());
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
        AnnaFolder folder;
        ScriptedMessages messages;
        Closed closed;
        frmMasterPass::openFromLogin(folder.session, c.oldPassword, closed.forLogin());
        Dialog dialog;
        ASSERT_TRUE(dialog.form);
        dialog.newPass()->setText(c.newPassword);
        dialog.oldPass()->setFocus();
        messages.queueAnswer(false);
        dialog.clickApply();

        ASSERT_EQ(messages.shown().size(), 1);
        const ScriptedMessages::Shown& shown = messages.shown()[0];
        if (c.message.isEmpty()) {
            EXPECT_TRUE(shown.question);
            EXPECT_EQ(shown.prompt, kQuestion);
        } else {
            EXPECT_FALSE(shown.question);
            EXPECT_EQ(shown.prompt, c.message);
            EXPECT_EQ(shown.kind, c.kind);
            EXPECT_EQ(dialog.form->focusWidget()->objectName(), QString::fromLatin1(c.focus));
        }
        // Nothing changed: the dialog stays open with its input, the files as they were.
        EXPECT_TRUE(folder.untouched());
        EXPECT_TRUE(dialog.form->isVisible());
        EXPECT_EQ(dialog.newPass()->text(), c.newPassword);
        EXPECT_EQ(closed.calls, 0);
    }
}

TEST(frmMasterPass, FourCharactersAreEnough)
{
    AnnaFolder folder;
    ScriptedMessages messages;
    Closed closed;
    frmMasterPass::openFromMain(folder.session, closed.forMain());
    Dialog dialog;
    ASSERT_TRUE(dialog.form);
    dialog.newPass()->setText(QStringLiteral("abcd"));
    messages.queueAnswer(true);
    dialog.clickApply();
    EXPECT_TRUE(opensWith(folder.dat, QStringLiteral("abcd"), annaPlain()));
    EXPECT_EQ(closed.calls, 1);
}

TEST(frmMasterPass, CancelAndTheCloseButtonReturnWithoutChange)
{
    for (const bool viaButton : {true, false}) {
        SCOPED_TRACE(viaButton ? "Abbrechen" : "close button");
        AnnaFolder folder;
        ScriptedMessages messages;
        Closed closed;
        folder.session.PassChangeFromLogin = 1;
        frmMasterPass::openFromLogin(folder.session, kOld, closed.forLogin());
        Dialog dialog;
        ASSERT_TRUE(dialog.form);
        dialog.newPass()->setText(QStringLiteral("neu-4567"));
        if (viaButton)
            dialog.clickCancel();
        else
            dialog.form->close();
        EXPECT_EQ(closed.calls, 1);
        EXPECT_FALSE(closed.changed);
        EXPECT_TRUE(closed.newPassword.isEmpty());
        EXPECT_TRUE(messages.shown().isEmpty());
        EXPECT_TRUE(folder.untouched());
        flushDeletes();
        EXPECT_FALSE(dialog.form);
    }
}

TEST(frmMasterPass, ASecondChangeReplacesTheBackup)
{
    AnnaFolder folder;
    ScriptedMessages messages;
    Closed closed;
    for (const QString& next : {QStringLiteral("zweites1"), QStringLiteral("drittes1")}) {
        frmMasterPass::openFromMain(folder.session, closed.forMain());
        Dialog dialog;
        ASSERT_TRUE(dialog.form);
        dialog.newPass()->setText(next);
        messages.queueAnswer(true);
        dialog.clickApply();
        flushDeletes();
    }
    EXPECT_EQ(closed.calls, 2);
    EXPECT_TRUE(opensWith(folder.bak, QStringLiteral("zweites1"), annaPlain()));
    EXPECT_FALSE(opensWith(folder.bak, kOld, annaPlain()));
    EXPECT_TRUE(opensWith(folder.dat, QStringLiteral("drittes1"), annaPlain()));
    EXPECT_EQ(folder.files(), QStringList({QStringLiteral("anna.bak"), QStringLiteral("anna.dat")}));
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
        {"new store not written", AtomicWrite::Stage::Write, QStringLiteral("anna.dat")},
        {"new store not renamed", AtomicWrite::Stage::Commit, QStringLiteral("anna.dat")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AnnaFolder folder;
        ScriptedMessages messages;
        Closed closed;
        const QString target = folder.path(c.file);
        AtomicWrite::setFaultHook([&](AtomicWrite::Stage stage, const QString& path) {
            return stage == c.stage && QFileInfo(path) == QFileInfo(target);
        });
        frmMasterPass::openFromMain(folder.session, closed.forMain());
        Dialog dialog;
        ASSERT_TRUE(dialog.form);
        dialog.newPass()->setText(QStringLiteral("neu-4567"));
        messages.queueAnswer(true);
        dialog.clickApply();
        AtomicWrite::setFaultHook({});

        // The user file is the old one and opens under the old password; the user is told.
        EXPECT_EQ(testsupport::readAll(folder.dat), folder.original);
        EXPECT_TRUE(opensWith(folder.dat, kOld, annaPlain()));
        EXPECT_FALSE(QFileInfo::exists(folder.workingCopy()));
        ASSERT_EQ(messages.shown().size(), 2);
        EXPECT_FALSE(messages.shown()[1].question);
        EXPECT_FALSE(messages.shown()[1].prompt.isEmpty());
        EXPECT_EQ(folder.session.MasterPassword, kOld);
        EXPECT_TRUE(dialog.form->isVisible());
        EXPECT_EQ(closed.calls, 0);
        EXPECT_TRUE(folder.session.unlock().ok());
        // Only the user's files and no leftover temporary file.
        for (const QString& f : folder.files())
            EXPECT_TRUE(f == QStringLiteral("anna.dat") || f == QStringLiteral("anna.bak")) << f.toStdString();
    }
}

TEST(frmMasterPass, AWrongOldPasswordEndsTheProgramWithTheFilesUntouched)
{
    AnnaFolder folder;
    ScriptedMessages messages;
    Closed closed;
    folder.session.PassChangeFromLogin = 1;
    frmMasterPass::openFromLogin(folder.session, QStringLiteral("falsch99"), closed.forLogin());
    Dialog dialog;
    ASSERT_TRUE(dialog.form);
    dialog.newPass()->setText(QStringLiteral("neu-4567"));
    messages.queueAnswer(true);
    dialog.clickApply();

    ASSERT_EQ(folder.exits.size(), 1);
    EXPECT_NE(folder.exits[0], 0);
    ASSERT_EQ(messages.shown().size(), 2);
    EXPECT_EQ(messages.shown()[1].kind, kMessageExclamation);
    EXPECT_TRUE(messages.shown()[1].prompt.contains(QStringLiteral("Master-Passwort ist falsch")));
    EXPECT_TRUE(folder.untouched());
    // The program ends: the login window is not shown again.
    EXPECT_EQ(closed.calls, 0);
    EXPECT_FALSE(dialog.form->isVisible());
}

TEST(frmMasterPass, ANameWithoutAUserFileIsRefused)
{
    AnnaFolder folder;
    ScriptedMessages messages;
    Closed closed;
    folder.session.CurrentUser = QStringLiteral("niemand");
    folder.session.PassChangeFromLogin = 1;
    frmMasterPass::openFromLogin(folder.session, kOld, closed.forLogin());

    EXPECT_EQ(visibleWindow<frmMasterPass>(), nullptr);
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_TRUE(messages.shown()[0].prompt.contains(QStringLiteral("'niemand'")));
    EXPECT_EQ(closed.calls, 1);
    EXPECT_FALSE(closed.changed);
    EXPECT_TRUE(folder.untouched());
    EXPECT_EQ(folder.files(), QStringList({QStringLiteral("anna.dat")}));
}

TEST(frmMasterPass, CancelDuringTheChangeWaitsForIt)
{
    AnnaFolder folder;
    ScriptedMessages messages;
    Closed closed;
    folder.session.PassChangeFromLogin = 1;
    frmMasterPass::openFromLogin(folder.session, kOld, closed.forLogin());
    Dialog dialog;
    ASSERT_TRUE(dialog.form);
    dialog.newPass()->setText(QStringLiteral("neu-4567"));
    messages.queueAnswer(true);
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
    EXPECT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(closed.calls, 1);
    EXPECT_TRUE(closed.changed);
    EXPECT_TRUE(opensWith(folder.dat, QStringLiteral("neu-4567"), annaPlain()));
}
