#include "ui/main/MainWindowFixture.h"
#include "support/FindControl.h"

#include "core/AtomicWrite.h"
#include "store/StoreResult.h"
#include "ui/main/frmEditSafe.h"

#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

namespace {

QList<TestAccount> store()
{
    return {account("Bank", "u-bank", "p-bank", "www.bank.de"), account("Post", "kunde7", "p-post", "http://post.de")};
}

// Resets the write seam also when a check fails half-way.
struct FaultHookReset {
    ~FaultHookReset() { AtomicWrite::setFaultHook({}); }
};

void editPost(MainWindowFixture& f, const QString& user)
{
    f.choose(QStringLiteral("Post"));
    QTest::mouseClick(control<QPushButton>(f.main, QStringLiteral("cmdEdit")), Qt::LeftButton);
    ASSERT_EQ(control<QPushButton>(f.main, QStringLiteral("cmdEdit"))->text(), QStringLiteral("Abbrechen"));
    control<QLineEdit>(f.main, QStringLiteral("txtUserName"))->setText(user);
}

} // namespace

TEST(frmMainStoreFiles, NoFileHoldsThePlaintextAtAnyStepOfTheWindowsWork)
{
    // The windows let events run between the steps of every store operation; at each of those
    // moments the program folder is searched for the store's plaintext.
    ProgramFolder folder;
    folder.copyFixture(QStringLiteral("anna.dat"));
    int steps = 0;
    QStringList plainFiles;
    StoreActivity::setEventPump([&] {
        ++steps;
        QCoreApplication::processEvents();
        plainFiles << testsupport::filesHolding(appContext().AppPath, "[Main]")
                   << testsupport::filesHolding(appContext().AppPath, "kunde7");
    });
    AppWindows windows;
    frmMain* main = loginThroughWindow(windows, QStringLiteral("anna"), QStringLiteral("geheim1"));
    ASSERT_NE(main, nullptr);

    // Select, edit and save, add through the dialog, delete, log off.
    control<QComboBox>(main, QStringLiteral("cboAccount"))->setCurrentIndex(control<QComboBox>(main, QStringLiteral("cboAccount"))->findText(QStringLiteral("Post")));
    main->cboAccount_Click();
    QTest::mouseClick(control<QPushButton>(main, QStringLiteral("cmdEdit")), Qt::LeftButton);
    control<QLineEdit>(main, QStringLiteral("txtPassWord"))->setText(QStringLiteral("neu-geheim"));
    QTest::mouseClick(control<QPushButton>(main, QStringLiteral("cmdSave")), Qt::LeftButton);
    QTest::mouseClick(control<QPushButton>(main, QStringLiteral("cmdAddNew")), Qt::LeftButton);
    QPointer<frmEditSafe> dialog = main->editDialog();
    ASSERT_TRUE(dialog);
    control<QLineEdit>(dialog, QStringLiteral("txtEditAcct"))->setText(QStringLiteral("Neu"));
    control<QLineEdit>(dialog, QStringLiteral("txtEditUser"))->setText(QStringLiteral("kunde7"));
    QTest::mouseClick(control<QPushButton>(dialog, QStringLiteral("cmdSave")), Qt::LeftButton);
    control<QComboBox>(main, QStringLiteral("cboAccount"))->setCurrentIndex(control<QComboBox>(main, QStringLiteral("cboAccount"))->findText(QStringLiteral("Bär")));
    main->cboAccount_Click();
    folder.messages.queueAnswer(true);
    main->cmdDelete_Click();
    EXPECT_EQ(itemsOf(control<QComboBox>(main, QStringLiteral("cboAccount"))), (QStringList{QStringLiteral("Neu"), QStringLiteral("Post")}));
    main->picLogoff_Click();

    EXPECT_GT(steps, 10);
    EXPECT_TRUE(plainFiles.isEmpty()) << plainFiles.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(folder.messages.shown().size(), 1);  // the delete question only
    EXPECT_EQ(folder.files(), (QStringList{QStringLiteral("Keywarden.ini"), QStringLiteral("anna.dat")}));
}

TEST(frmMainStoreFiles, AFailedWriteFlushOrCloseKeepsTheEditAndTheOldStore)
{
    for (const AtomicWrite::Stage stage : {AtomicWrite::Stage::Write, AtomicWrite::Stage::Flush,
                                           AtomicWrite::Stage::Close, AtomicWrite::Stage::Commit}) {
        SCOPED_TRACE(static_cast<int>(stage));
        FaultHookReset reset;
        MainWindowFixture f(store());
        ASSERT_NE(f.main, nullptr);
        frmMain& m = *f.main;
        const QString userFile = f.session().UserFile();
        const QByteArray before = testsupport::readAll(userFile);
        editPost(f, QStringLiteral("kunde8"));
        AtomicWrite::setFaultHook([&](AtomicWrite::Stage s, const QString& path) { return s == stage && path == userFile; });
        QTest::mouseClick(control<QPushButton>(m, QStringLiteral("cmdSave")), Qt::LeftButton);
        AtomicWrite::setFaultHook({});

        ASSERT_EQ(f.folder.messages.shown().size(), 1);
        EXPECT_EQ(f.folder.messages.shown().first().prompt, storeErrorText(StoreError::WriteFailed));
        EXPECT_EQ(f.folder.messages.shown().first().kind, kMessageExclamation);
        // Still editing with the typed value, the file as it was.
        EXPECT_EQ(control<QPushButton>(m, QStringLiteral("cmdEdit"))->text(), QStringLiteral("Abbrechen"));
        EXPECT_EQ(control<QLineEdit>(m, QStringLiteral("txtUserName"))->text(), QStringLiteral("kunde8"));
        EXPECT_EQ(testsupport::readAll(userFile), before);
        EXPECT_EQ(f.stored(QStringLiteral("Post")).User, QStringLiteral("kunde7"));
        EXPECT_EQ(f.session().StoreChanged(), 0);
        EXPECT_EQ(f.folder.files(), (QStringList{QStringLiteral("Keywarden.ini"), QStringLiteral("tester.dat")}));
    }
}

TEST(frmMainStoreFiles, AnUnconfirmedSaveDeleteOrNewEntryGoesOnAndSaysSo)
{
    // The folder flush after the rename failed: the change is in the file, so the windows go on as
    // after a success, and the user reads that the disk did not confirm it.
    const QString notConfirmed = storeErrorText(StoreError::NotConfirmed);
    const auto failFolderFlush = [] {
        AtomicWrite::setFaultHook([](AtomicWrite::Stage s, const QString&) { return s == AtomicWrite::Stage::FolderFlush; });
    };
    FaultHookReset reset;
    {
        MainWindowFixture f(store());
        ASSERT_NE(f.main, nullptr);
        editPost(f, QStringLiteral("kunde8"));
        failFolderFlush();
        QTest::mouseClick(control<QPushButton>(f.main, QStringLiteral("cmdSave")), Qt::LeftButton);
        AtomicWrite::setFaultHook({});
        ASSERT_EQ(f.folder.messages.shown().size(), 1);
        EXPECT_EQ(f.folder.messages.shown().first().prompt, notConfirmed);
        EXPECT_EQ(control<QPushButton>(f.main, QStringLiteral("cmdEdit"))->text(), QStringLiteral("Bearbeiten"));
        EXPECT_EQ(f.stored(QStringLiteral("Post")).User, QStringLiteral("kunde8"));
        EXPECT_EQ(f.session().StoreChanged(), 1);
    }
    {
        MainWindowFixture f(store());
        ASSERT_NE(f.main, nullptr);
        f.choose(QStringLiteral("Post"));
        f.folder.messages.queueAnswer(true);
        failFolderFlush();
        f.main->cmdDelete_Click();
        AtomicWrite::setFaultHook({});
        ASSERT_EQ(f.folder.messages.shown().size(), 2);
        EXPECT_EQ(f.folder.messages.shown().last().prompt, notConfirmed);
        EXPECT_EQ(f.listed(), QStringList{QStringLiteral("Bank")});
        EXPECT_EQ(f.session().StoredCount(), 1);
    }
    {
        MainWindowFixture f(store());
        ASSERT_NE(f.main, nullptr);
        QTest::mouseClick(control<QPushButton>(f.main, QStringLiteral("cmdAddNew")), Qt::LeftButton);
        QPointer<frmEditSafe> dialog = f.main->editDialog();
        ASSERT_TRUE(dialog);
        control<QLineEdit>(dialog, QStringLiteral("txtEditAcct"))->setText(QStringLiteral("Neu"));
        control<QLineEdit>(dialog, QStringLiteral("txtEditPass"))->setText(QStringLiteral("geheim"));
        failFolderFlush();
        QTest::mouseClick(control<QPushButton>(dialog, QStringLiteral("cmdSave")), Qt::LeftButton);
        AtomicWrite::setFaultHook({});
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_EQ(f.folder.messages.shown().size(), 1);
        EXPECT_EQ(f.folder.messages.shown().first().prompt, notConfirmed);
        EXPECT_FALSE(dialog);
        EXPECT_TRUE(f.main->isVisible());
        EXPECT_EQ(f.listed(), (QStringList{QStringLiteral("Bank"), QStringLiteral("Neu"), QStringLiteral("Post")}));
        EXPECT_EQ(f.session().StoredCount(), 3);
    }
}
