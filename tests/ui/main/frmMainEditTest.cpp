#include "ui/main/EntryMessages.h"
#include "support/FindControl.h"
#include "ui/main/MainWindowFixture.h"

#include "core/Cp1252.h"
#include "support/StoreFiles.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

const QString kDeleteEmpty = QStringLiteral("Kann keinen leeren Eintrag löschen.");

QList<TestAccount> store()
{
    return {account("Bank", "u-bank", "p-bank", "www.bank.de"),
            account("Post", "kunde7", "p-post", "http://post.de", "eins\r\nzwei")};
}

void startEditing(MainWindowFixture& f, const QString& name)
{
    f.choose(name);
    QTest::mouseClick(control<QPushButton>(f.main, QStringLiteral("cmdEdit")), Qt::LeftButton);
    ASSERT_EQ(control<QPushButton>(f.main, QStringLiteral("cmdEdit"))->text(), QStringLiteral("Abbrechen"));
}

// Post in edit, its name, user name and password typed over.
void editPost(MainWindowFixture& f, const char* name, const char* user, const char* pass)
{
    startEditing(f, QStringLiteral("Post"));
    control<QLineEdit>(f.main, QStringLiteral("txtAccount"))->setText(QString::fromUtf8(name));
    control<QLineEdit>(f.main, QStringLiteral("txtUserName"))->setText(QString::fromUtf8(user));
    control<QLineEdit>(f.main, QStringLiteral("txtPassWord"))->setText(QString::fromUtf8(pass));
}

} // namespace

TEST(frmMain, SaveRefusesEmptyAndDuplicateNames)
{
    struct Case {
        const char* name;
        const char* user;
        const char* pass;
        QString message;
        const char* focus;
    };
    const Case cases[] = {
        {"", "kunde7", "p-post", kEmptyName, "txtAccount"},
        {"BANK", "kunde7", "p-post", kDuplicateName, "txtAccount"},
        {"bank", "kunde7", "p-post", kDuplicateName, "txtAccount"},
        {"POST", "kunde7", "p-post", kDuplicateName, "txtAccount"},  // the entry's own old name counts too
        {"Post", "", "", kNeedUserOrPassword, "txtUserName"},
        {"Neu", "", "", kNeedUserOrPassword, "txtUserName"},
        {"Ne[u", "kunde7", "", QString(), "txtAccount"},  // pasted past the key filter
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MainWindowFixture f(store());
        ASSERT_NE(f.main, nullptr);
        frmMain& m = *f.main;
        editPost(f, c.name, c.user, c.pass);
        QTest::mouseClick(control<QPushButton>(m, QStringLiteral("cmdSave")), Qt::LeftButton);

        ASSERT_EQ(f.folder.messages.shown().size(), 1);
        if (!c.message.isEmpty()) {
            EXPECT_EQ(f.folder.messages.shown().first().prompt, c.message);
        }
        EXPECT_EQ(f.folder.messages.shown().first().kind, 2);
        EXPECT_EQ(f.focused(), QString::fromLatin1(c.focus));
        // Still editing, the rejected input kept, nothing stored.
        EXPECT_EQ(control<QPushButton>(m, QStringLiteral("cmdEdit"))->text(), QStringLiteral("Abbrechen"));
        EXPECT_TRUE(control<QLineEdit>(m, QStringLiteral("txtAccount"))->isVisible());
        EXPECT_EQ(control<QLineEdit>(m, QStringLiteral("txtAccount"))->text(), QString::fromUtf8(c.name));
        EXPECT_EQ(f.listed(), (QStringList{QStringLiteral("Bank"), QStringLiteral("Post")}));
        EXPECT_EQ(f.stored(QStringLiteral("Post")), store().at(1).entry);
        EXPECT_EQ(f.session().StoreChanged(), 0);
    }
}

TEST(frmMain, SaveStoresTheEditAndRenames)
{
    struct Case {
        const char* name;
        const char* user;
        const char* pass;
        QStringList listAfter;
    };
    const Case cases[] = {
        {"Post", "", "neu", {QStringLiteral("Bank"), QStringLiteral("Post")}},
        {"Postbank", "kunde8", "", {QStringLiteral("Bank"), QStringLiteral("Postbank")}},
        {"Aktien", "kunde8", "x", {QStringLiteral("Aktien"), QStringLiteral("Bank")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MainWindowFixture f(store());
        ASSERT_NE(f.main, nullptr);
        frmMain& m = *f.main;
        editPost(f, c.name, c.user, c.pass);
        const QString name = QString::fromUtf8(c.name);
        control<QLineEdit>(m, QStringLiteral("txtWebSite"))->setText(QStringLiteral("www.neu.de"));
        control<QPlainTextEdit>(m, QStringLiteral("txtComments"))->setPlainText(QStringLiteral("a\nb"));
        QTest::mouseClick(control<QPushButton>(m, QStringLiteral("cmdSave")), Qt::LeftButton);

        EXPECT_TRUE(f.folder.messages.shown().isEmpty());
        EXPECT_EQ(f.listed(), c.listAfter);
        EXPECT_EQ(control<QComboBox>(m, QStringLiteral("cboAccount"))->currentText(), name);
        // Back in the viewing state of the saved entry.
        EXPECT_TRUE(control<QComboBox>(m, QStringLiteral("cboAccount"))->isVisible());
        EXPECT_FALSE(control<QLineEdit>(m, QStringLiteral("txtAccount"))->isVisible());
        EXPECT_FALSE(control<QLineEdit>(m, QStringLiteral("txtWebSite"))->isVisible());
        EXPECT_TRUE(control<QLabel>(m, QStringLiteral("lblWebAdress"))->isVisible());
        EXPECT_TRUE(control<QLabel>(m, QStringLiteral("lblWebAdress"))->isEnabled());
        EXPECT_EQ(control<QLabel>(m, QStringLiteral("lblWebAdress"))->text(), QStringLiteral("www.neu.de"));
        EXPECT_FALSE(control<QPushButton>(m, QStringLiteral("cmdSave"))->isEnabled());
        EXPECT_EQ(control<QPushButton>(m, QStringLiteral("cmdEdit"))->text(), QStringLiteral("Bearbeiten"));
        EXPECT_TRUE(control<QPushButton>(m, QStringLiteral("cmdEdit"))->isEnabled());
        EXPECT_TRUE(control<QPushButton>(m, QStringLiteral("cmdDelete"))->isEnabled());
        EXPECT_TRUE(control<QPushButton>(m, QStringLiteral("cmdAddNew"))->isEnabled());
        EXPECT_TRUE(control<QLineEdit>(m, QStringLiteral("txtUserName"))->isReadOnly());
        EXPECT_TRUE(control<MarlettButton>(m, QStringLiteral("Command3"))->isVisible());
        EXPECT_EQ(m.focusWidget(), control<QLineEdit>(m, QStringLiteral("dummy")));
        EXPECT_EQ(f.session().StoreChanged(), 1);

        const AccountEntry saved = f.stored(name);
        EXPECT_EQ(saved.User, QString::fromUtf8(c.user));
        EXPECT_EQ(saved.Pass, QString::fromUtf8(c.pass));
        EXPECT_EQ(saved.Web, QStringLiteral("www.neu.de"));
        // The comment's line break is the platform's CR LF, stored as "#§".
        EXPECT_EQ(saved.Comment, QStringLiteral("a\r\nb"));
        if (name != QStringLiteral("Post")) {
            EXPECT_EQ(f.stored(QStringLiteral("Post")), AccountEntry());
        }
        EXPECT_EQ(f.stored(QStringLiteral("Bank")), store().at(0).entry);
    }
}

TEST(frmMain, SaveInCompactHeightReturnsToCompact)
{
    MainWindowFixture f(store(), 1);
    ASSERT_NE(f.main, nullptr);
    startEditing(f, QStringLiteral("Bank"));
    EXPECT_EQ(f.main->heightTwips(), 4590);
    control<QLineEdit>(f.main, QStringLiteral("txtPassWord"))->setText(QStringLiteral("neu"));
    QTest::mouseClick(control<QPushButton>(f.main, QStringLiteral("cmdSave")), Qt::LeftButton);
    EXPECT_EQ(f.main->heightTwips(), 2220);
    EXPECT_EQ(control<MarlettButton>(f.main, QStringLiteral("Command3"))->text(), QStringLiteral("6"));
    EXPECT_TRUE(control<MarlettButton>(f.main, QStringLiteral("Command3"))->isVisible());
    EXPECT_EQ(f.stored(QStringLiteral("Bank")).Pass, QStringLiteral("neu"));
}

TEST(frmMain, AccountNameKeysAreFilteredWhileEditing)
{
    MainWindowFixture f(store());
    ASSERT_NE(f.main, nullptr);
    startEditing(f, QStringLiteral("Post"));
    control<QLineEdit>(f.main, QStringLiteral("txtAccount"))->setFocus();
    control<QLineEdit>(f.main, QStringLiteral("txtAccount"))->end(false);
    QTest::keyClicks(control<QLineEdit>(f.main, QStringLiteral("txtAccount")), QStringLiteral("[x=y].z;"));
    EXPECT_EQ(control<QLineEdit>(f.main, QStringLiteral("txtAccount"))->text(), QStringLiteral("Postxy.z"));
    QTest::keyClick(control<QLineEdit>(f.main, QStringLiteral("txtAccount")), Qt::Key_Tab);
    EXPECT_NE(f.main->focusWidget(), control<QLineEdit>(f.main, QStringLiteral("txtAccount")));
    EXPECT_EQ(control<QLineEdit>(f.main, QStringLiteral("txtAccount"))->text(), QStringLiteral("Postxy.z"));
}

TEST(frmMain, AnAccountNamedLikeTheProgramIsEditedWithoutItsAddress)
{
    MainWindowFixture f({account("Tarvenic Keywarden", "ich", "geheim", "www.tarvenic.de")});
    ASSERT_NE(f.main, nullptr);
    frmMain& m = *f.main;
    startEditing(f, QStringLiteral("Tarvenic Keywarden"));
    EXPECT_FALSE(control<QLineEdit>(m, QStringLiteral("txtWebSite"))->isVisible());
    EXPECT_FALSE(control<QLabel>(m, QStringLiteral("lblWebAdress"))->isVisible());
    control<QLineEdit>(m, QStringLiteral("txtUserName"))->setText(QStringLiteral("du"));
    QTest::mouseClick(control<QPushButton>(m, QStringLiteral("cmdSave")), Qt::LeftButton);
    const AccountEntry saved = f.stored(QStringLiteral("Tarvenic Keywarden"));
    EXPECT_EQ(saved.User, QStringLiteral("du"));
    EXPECT_EQ(saved.Web, QStringLiteral("www.tarvenic.de"));
}

TEST(frmMain, DeleteAsksAndRemovesOnlyOnYes)
{
    MainWindowFixture f(store());
    ASSERT_NE(f.main, nullptr);
    frmMain& m = *f.main;
    f.choose(QStringLiteral("Post"));

    f.folder.messages.queueAnswer(false);
    QTest::mouseClick(control<QPushButton>(m, QStringLiteral("cmdDelete")), Qt::LeftButton);
    ASSERT_EQ(f.folder.messages.shown().size(), 1);
    const ScriptedMessages::Shown question = f.folder.messages.shown().first();
    EXPECT_TRUE(question.question);
    EXPECT_FALSE(question.questionIcon);
    EXPECT_EQ(question.title, QStringLiteral("Tarvenic Keywarden"));
    EXPECT_EQ(question.prompt, QStringLiteral("Soll der Eintrag 'Post' wirklich gelöscht werden ?"));
    EXPECT_EQ(f.listed(), (QStringList{QStringLiteral("Bank"), QStringLiteral("Post")}));
    EXPECT_EQ(control<QComboBox>(m, QStringLiteral("cboAccount"))->currentText(), QStringLiteral("Post"));
    EXPECT_EQ(control<QLineEdit>(m, QStringLiteral("txtUserName"))->text(), QStringLiteral("kunde7"));
    EXPECT_EQ(f.stored(QStringLiteral("Post")), store().at(1).entry);
    EXPECT_EQ(f.session().StoreChanged(), 0);

    f.folder.messages.queueAnswer(true);
    QTest::mouseClick(control<QPushButton>(m, QStringLiteral("cmdDelete")), Qt::LeftButton);
    EXPECT_EQ(f.folder.messages.shown().size(), 2);
    EXPECT_EQ(f.listed(), QStringList{QStringLiteral("Bank")});
    EXPECT_EQ(control<QComboBox>(m, QStringLiteral("cboAccount"))->currentText(), QString());
    EXPECT_EQ(control<QLineEdit>(m, QStringLiteral("txtUserName"))->text(), QString());
    EXPECT_FALSE(control<QPushButton>(m, QStringLiteral("cmdDelete"))->isEnabled());
    EXPECT_FALSE(control<QPushButton>(m, QStringLiteral("cmdEdit"))->isEnabled());
    EXPECT_EQ(f.stored(QStringLiteral("Post")), AccountEntry());
    EXPECT_EQ(f.stored(QStringLiteral("Bank")), store().at(0).entry);
    EXPECT_EQ(f.session().StoreChanged(), 1);
    EXPECT_EQ(f.session().StoredCount(), 1);
    EXPECT_EQ(f.folder.messages.unexpectedQuestions(), 0);

    // Nothing selected: the message and no question.
    m.cmdDelete_Click();
    ASSERT_EQ(f.folder.messages.shown().size(), 3);
    EXPECT_EQ(f.folder.messages.shown().last().prompt, kDeleteEmpty);
    EXPECT_FALSE(f.folder.messages.shown().last().question);
}

namespace {

// joerg's store from the fixtures, logged in through the login window. Its one comment, "Tür #1",
// holds a lone "#": read back, that is a CR on its own.
struct JoergWindow {
    static inline const QString kKey = QStringLiteral("Schlüssel€");

    JoergWindow()
    {
        folder.copyFixture(QStringLiteral("joerg.dat"));
        main = loginThroughWindow(*windows, QStringLiteral("joerg"), kKey);
    }
    ~JoergWindow()
    {
        windows.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QByteArray plain() const { return testsupport::plainOf(folder.path(QStringLiteral("joerg.dat")), kKey); }

    ProgramFolder folder;
    std::unique_ptr<AppWindows> windows = std::make_unique<AppWindows>();
    frmMain* main = nullptr;
};

QByteArray cp(const char* utf8)
{
    return Cp1252::encode(QString::fromUtf8(utf8));
}

} // namespace

TEST(frmMain, SaveWritesAnUntouchedCommentBackAsItWasStored)
{
    struct Case {
        const char* what;
        const char* name;
        const char* user;
        const char* comment;  // typed over the comment; nullptr: the comment is not touched
        QByteArray expected;  // the whole store afterwards
    };
    const QByteArray head = cp("[Main]\r\nCount=1\r\nAccount1=Straße\r\n");
    const QByteArray values = cp("Pass=Grüße§!\r\nWeb=www.example.de\r\n");
    const Case cases[] = {
        {"user name changed", "Straße", "jörg2", nullptr,
         head + cp("[Strasse]\r\nUser=jörg2\r\n") + values + cp("Comment=Tür #1\r\n")},
        {"renamed", "Gasse", "jörg", nullptr,
         cp("[Main]\r\nCount=1\r\nAccount1=Gasse\r\n[Gasse]\r\nUser=jörg\r\n") + values + cp("Comment=Tür #1\r\n")},
        {"typed over with the text it shows", "Straße", "jörg", "Tür \n1",
         head + cp("[Strasse]\r\nUser=jörg\r\n") + values + cp("Comment=Tür #1\r\n")},
        // Only an edited comment is encoded anew: its line break becomes "#§".
        {"comment edited", "Straße", "jörg", "Tür \n1 und 2",
         head + cp("[Strasse]\r\nUser=jörg\r\n") + values + cp("Comment=Tür #§1 und 2\r\n")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        JoergWindow f;
        ASSERT_NE(f.main, nullptr);
        frmMain& m = *f.main;
        ASSERT_EQ(f.plain(), testsupport::readAll(testsupport::fixturePath(QStringLiteral("joerg.ini"))));
        const int index = control<QComboBox>(m, QStringLiteral("cboAccount"))->findText(QStringLiteral("Straße"));
        ASSERT_GE(index, 0);
        control<QComboBox>(m, QStringLiteral("cboAccount"))->setCurrentIndex(index);
        emit control<QComboBox>(m, QStringLiteral("cboAccount"))->activated(index);
        QTest::mouseClick(control<QPushButton>(m, QStringLiteral("cmdEdit")), Qt::LeftButton);
        control<QLineEdit>(m, QStringLiteral("txtAccount"))->setText(QString::fromUtf8(c.name));
        control<QLineEdit>(m, QStringLiteral("txtUserName"))->setText(QString::fromUtf8(c.user));
        if (c.comment)
            control<QPlainTextEdit>(m, QStringLiteral("txtComments"))->setPlainText(QString::fromUtf8(c.comment));
        QTest::mouseClick(control<QPushButton>(m, QStringLiteral("cmdSave")), Qt::LeftButton);
        EXPECT_TRUE(f.folder.messages.shown().isEmpty());
        ASSERT_EQ(control<QPushButton>(m, QStringLiteral("cmdEdit"))->text(), QStringLiteral("Bearbeiten"));
        // As text, so that a difference shows readably.
        EXPECT_EQ(Cp1252::decode(f.plain()).toStdString(), Cp1252::decode(c.expected).toStdString());
    }
}
