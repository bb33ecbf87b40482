#include "ui/main/MainWindowFixture.h"
#include "support/FindControl.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

QList<TestAccount> lettersStore()
{
    return {account("Bank", "u-Bank", "1"), account("bahn", "u-bahn", "2"), account("Post", "u-Post", "3"),
            account("Ärzte", "u-Ärzte", "4")};
}

} // namespace

TEST(frmMain, ListIsSortedWithoutRegardToCase)
{
    MainWindowFixture f(lettersStore());
    ASSERT_NE(f.main, nullptr);
    EXPECT_EQ(f.listed(), (QStringList{QStringLiteral("Ärzte"), QStringLiteral("bahn"), QStringLiteral("Bank"),
                                       QStringLiteral("Post")}));
}

TEST(frmMain, LetterJumpAndKeyTranslation)
{
    MainWindowFixture f(lettersStore());
    ASSERT_NE(f.main, nullptr);
    frmMain& m = *f.main;
    control<QComboBox>(m, QStringLiteral("cboAccount"))->setFocus();

    struct Step {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* shown;
    };
    const Step steps[] = {
        {Qt::Key_X, Qt::NoModifier, ""},          // no match, nothing selected yet
        {Qt::Key_B, Qt::NoModifier, "bahn"},      // the first match in list order
        {Qt::Key_B, Qt::NoModifier, "bahn"},      // again the first match: the jump does not cycle
        {Qt::Key_P, Qt::NoModifier, "Post"},
        {Qt::Key_B, Qt::ShiftModifier, "bahn"},   // with Shift as without
        {Qt::Key_P, Qt::NoModifier, "Post"},
        {Qt::Key_X, Qt::NoModifier, "Post"},      // no match: unchanged
        {Qt::Key_A, Qt::NoModifier, "Post"},      // no letter reaches a name beginning with Ä
        {Qt::Key_Adiaeresis, Qt::NoModifier, "Post"},
        {Qt::Key_Home, Qt::NoModifier, "Post"},
        {Qt::Key_End, Qt::NoModifier, "Post"},
        {Qt::Key_Delete, Qt::NoModifier, "Post"},
        {Qt::Key_Space, Qt::NoModifier, "Post"},
        {Qt::Key_Up, Qt::NoModifier, "Bank"},
        {Qt::Key_PageUp, Qt::NoModifier, "bahn"},
        {Qt::Key_Left, Qt::NoModifier, "Ärzte"},  // Up and Down do reach it
        {Qt::Key_Up, Qt::NoModifier, "Ärzte"},
        {Qt::Key_Right, Qt::NoModifier, "bahn"},
        {Qt::Key_PageDown, Qt::NoModifier, "Bank"},
        {Qt::Key_Down, Qt::NoModifier, "Post"},
        {Qt::Key_Down, Qt::NoModifier, "Post"},
    };
    int index = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(testing::Message() << "step " << index++);
        QTest::keyClick(control<QComboBox>(m, QStringLiteral("cboAccount")), step.key, step.modifiers);
        const QString shown = QString::fromUtf8(step.shown);
        EXPECT_EQ(control<QComboBox>(m, QStringLiteral("cboAccount"))->currentText(), shown);
        EXPECT_EQ(control<QLineEdit>(m, QStringLiteral("txtUserName"))->text(), shown.isEmpty() ? QString() : QStringLiteral("u-") + shown);
        EXPECT_EQ(control<QComboBox>(m, QStringLiteral("cboAccount"))->count(), 4);
    }
    EXPECT_TRUE(f.folder.messages.shown().isEmpty());
    EXPECT_EQ(f.listed().size(), 4);
}

TEST(frmMain, TypedCharactersNeverReachTheList)
{
    MainWindowFixture f(lettersStore());
    ASSERT_NE(f.main, nullptr);
    frmMain& m = *f.main;
    f.choose(QStringLiteral("Bank"));
    QTest::keyClicks(control<QComboBox>(m, QStringLiteral("cboAccount")), QStringLiteral("12 ,;"));
    QTest::keyClick(control<QComboBox>(m, QStringLiteral("cboAccount")), Qt::Key_Backspace);
    EXPECT_EQ(control<QComboBox>(m, QStringLiteral("cboAccount"))->currentText(), QStringLiteral("Bank"));
    EXPECT_EQ(control<QLineEdit>(m, QStringLiteral("txtUserName"))->text(), QStringLiteral("u-Bank"));
}

TEST(frmMain, MaskCheckBoxAndTheNextSelection)
{
    MainWindowFixture f(lettersStore());
    ASSERT_NE(f.main, nullptr);
    frmMain& m = *f.main;
    f.choose(QStringLiteral("Post"));
    EXPECT_EQ(control<QLineEdit>(m, QStringLiteral("txtPassWord"))->echoMode(), QLineEdit::Password);
    QTest::mouseClick(control<QCheckBox>(m, QStringLiteral("Check1")), Qt::LeftButton);
    EXPECT_FALSE(control<QCheckBox>(m, QStringLiteral("Check1"))->isChecked());
    EXPECT_EQ(control<QLineEdit>(m, QStringLiteral("txtPassWord"))->echoMode(), QLineEdit::Normal);
    EXPECT_EQ(m.focusWidget(), control<QLineEdit>(m, QStringLiteral("dummy")));
    f.choose(QStringLiteral("Bank"));
    EXPECT_TRUE(control<QCheckBox>(m, QStringLiteral("Check1"))->isChecked());
    EXPECT_EQ(control<QLineEdit>(m, QStringLiteral("txtPassWord"))->echoMode(), QLineEdit::Password);
    EXPECT_EQ(control<QLineEdit>(m, QStringLiteral("txtPassWord"))->text(), QStringLiteral("1"));
}

TEST(frmMain, LockedFieldsRefuseTheCaretUntilEditing)
{
    MainWindowFixture f(lettersStore());
    ASSERT_NE(f.main, nullptr);
    frmMain& m = *f.main;
    f.choose(QStringLiteral("Post"));
    for (QLineEdit* field : {control<QLineEdit>(m, QStringLiteral("txtUserName")), control<QLineEdit>(m, QStringLiteral("txtPassWord"))}) {
        SCOPED_TRACE(field->objectName().toStdString());
        control<QComboBox>(m, QStringLiteral("cboAccount"))->setFocus();
        QTest::mouseDClick(field, Qt::LeftButton);
        EXPECT_EQ(m.focusWidget(), control<QLineEdit>(m, QStringLiteral("dummy")));
        EXPECT_FALSE(field->hasSelectedText());
    }
    QTest::mouseClick(control<QPushButton>(m, QStringLiteral("cmdEdit")), Qt::LeftButton);
    QTest::mouseClick(control<QLineEdit>(m, QStringLiteral("txtUserName")), Qt::LeftButton);
    EXPECT_EQ(m.focusWidget(), control<QLineEdit>(m, QStringLiteral("txtUserName")));
    QTest::keyClicks(control<QLineEdit>(m, QStringLiteral("txtUserName")), QStringLiteral("x"));
    EXPECT_EQ(control<QLineEdit>(m, QStringLiteral("txtUserName"))->text(), QStringLiteral("u-Postx"));
    EXPECT_TRUE(control<QPushButton>(m, QStringLiteral("cmdSave"))->isEnabled());
}

TEST(frmMain, CommentIsReadOnlyButCopyableOutsideEditing)
{
    MainWindowFixture f({account("Bär", "anna", "", "", "Zeile 1\r\nZeile 2"), account("Post", "kunde7", "")});
    ASSERT_NE(f.main, nullptr);
    frmMain& m = *f.main;
    f.choose(QStringLiteral("Bär"));
    EXPECT_EQ(control<QPlainTextEdit>(m, QStringLiteral("txtComments"))->toPlainText(), QStringLiteral("Zeile 1\nZeile 2"));
    EXPECT_EQ(control<QPlainTextEdit>(m, QStringLiteral("txtComments"))->document()->blockCount(), 2);

    control<QPlainTextEdit>(m, QStringLiteral("txtComments"))->setFocus();
    QTest::keyClicks(control<QPlainTextEdit>(m, QStringLiteral("txtComments")), QStringLiteral("abc"));
    QTest::keyClick(control<QPlainTextEdit>(m, QStringLiteral("txtComments")), Qt::Key_Delete);
    QTest::keyClick(control<QPlainTextEdit>(m, QStringLiteral("txtComments")), Qt::Key_Backspace);
    QTest::keyClick(control<QPlainTextEdit>(m, QStringLiteral("txtComments")), Qt::Key_Return);
    EXPECT_EQ(control<QPlainTextEdit>(m, QStringLiteral("txtComments"))->toPlainText(), QStringLiteral("Zeile 1\nZeile 2"));
    EXPECT_FALSE(control<QPushButton>(m, QStringLiteral("cmdSave"))->isEnabled());

    QGuiApplication::clipboard()->clear();
    control<QPlainTextEdit>(m, QStringLiteral("txtComments"))->selectAll();
    QTest::keyClick(control<QPlainTextEdit>(m, QStringLiteral("txtComments")), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Zeile 1\nZeile 2"));

    // An empty comment box takes no caret outside editing, and takes it while editing.
    f.choose(QStringLiteral("Post"));
    control<QComboBox>(m, QStringLiteral("cboAccount"))->setFocus();
    QTest::mouseClick(control<QPlainTextEdit>(m, QStringLiteral("txtComments"))->viewport(), Qt::LeftButton);
    EXPECT_EQ(m.focusWidget(), control<QLineEdit>(m, QStringLiteral("dummy")));
    QTest::mouseClick(control<QPushButton>(m, QStringLiteral("cmdEdit")), Qt::LeftButton);
    QTest::mouseClick(control<QPlainTextEdit>(m, QStringLiteral("txtComments"))->viewport(), Qt::LeftButton);
    EXPECT_EQ(m.focusWidget(), control<QPlainTextEdit>(m, QStringLiteral("txtComments")));
    QTest::keyClicks(control<QPlainTextEdit>(m, QStringLiteral("txtComments")), QStringLiteral("neu"));
    EXPECT_EQ(control<QPlainTextEdit>(m, QStringLiteral("txtComments"))->toPlainText(), QStringLiteral("neu"));
    EXPECT_TRUE(control<QPushButton>(m, QStringLiteral("cmdSave"))->isEnabled());
}

TEST(frmMain, ReadFailureIsReportedAndLeavesTheFieldsEmpty)
{
    MainWindowFixture f(lettersStore());
    ASSERT_NE(f.main, nullptr);
    frmMain& m = *f.main;
    f.choose(QStringLiteral("Post"));
    ASSERT_EQ(control<QLineEdit>(m, QStringLiteral("txtUserName"))->text(), QStringLiteral("u-Post"));
    // The store file disappears behind the program's back.
    QFile::setPermissions(f.session().UserFile(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    ASSERT_TRUE(QFile::remove(f.session().UserFile()));
    f.choose(QStringLiteral("Bank"));
    EXPECT_EQ(control<QLineEdit>(m, QStringLiteral("txtUserName"))->text(), QString());
    EXPECT_EQ(control<QLineEdit>(m, QStringLiteral("txtPassWord"))->text(), QString());
    ASSERT_EQ(f.folder.messages.shown().size(), 1);
    EXPECT_EQ(f.folder.messages.shown().first().kind, 2);
    EXPECT_TRUE(control<QPushButton>(m, QStringLiteral("cmdEdit"))->isEnabled());
}
