#include "cli/CliFixture.h"
#include "support/StoreFiles.h"
#include "support/TestSupport.h"

#include "core/Cp1252.h"
#include "core/AtomicWrite.h"
#include "app/StoreFolderLock.h"
#include "cli/CliRunner.h"
#include "cli/SecretReader.h"
#include "store/MasterPasswordChange.h"
#include "app/Version.h"
#include "store/StoreSnapshot.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QThread>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

using namespace clitest;

TEST_F(CliTest, ReadingCommandsGiveTheFixturesContent)
{
    const QByteArray joergKey = QString::fromUtf8("Schlüssel€").toUtf8();
    struct Case {
        const char* what;
        QStringList arguments;
        QByteArray input;
        QByteArray expected;
    };
    const Case cases[] = {
        {"dump anna", {"dump", store("anna.dat")}, "geheim1\n", readAll(fixturePath("anna.ini"))},
        {"dump joerg", {"dump", store("joerg.dat")}, joergKey + "\n", readAll(fixturePath("joerg.ini"))},
        {"dump empty", {"dump", store("empty.dat")}, "vier\n", QByteArray()},
        {"list anna", {"list", store("anna.dat")}, "geheim1\n", QString::fromUtf8("Bär\nPost\n").toUtf8()},
        // CR LF after the key, and a key beyond ASCII that reaches the cipher as Windows-1252.
        {"list joerg", {"list", store("joerg.dat")}, joergKey + "\r\n", QString::fromUtf8("Straße\n").toUtf8()},
        {"list empty", {"list", store("empty.dat")}, "vier", QByteArray()},
        {"show Bär", {"show", store("anna.dat"), QString::fromUtf8("Bär")}, "geheim1\n",
         QString::fromUtf8("Account:   Bär\n"
                           "Benutzer:  anna\n"
                           "Passwort:\n"
                           "Web Site:\n"
                           "Kommentar: Zeile 1\n"
                           "           Zeile 2\n").toUtf8()},
        // Found without regard to case, shown under its listed name.
        {"show post", {"show", store("anna.dat"), "post"}, "geheim1\n",
         QByteArray("Account:   Post\nBenutzer:  kunde7\nPasswort:\nWeb Site:\nKommentar:\n")},
        // The stored "#" comes back as a lone CR, shown as a line of its own.
        {"show Straße", {"show", store("joerg.dat"), QString::fromUtf8("Straße")}, joergKey + "\n",
         QString::fromUtf8("Account:   Straße\n"
                           "Benutzer:  jörg\n"
                           "Passwort:  Grüße§!\n"
                           "Web Site:  www.example.de\n"
                           "Kommentar: Tür \n"
                           "           1\n").toUtf8()},
        {"export joerg", {"export", store("joerg.dat")}, joergKey + "\n",
         QString::fromUtf8("Account,User,Password,Web,Comment\r\n"
                           "Straße,jörg,Grüße§!,www.example.de,\"Tür \r1\"\r\n").toUtf8()},
        {"export anna", {"export", store("anna.dat")}, "geheim1\n",
         QString::fromUtf8("Account,User,Password,Web,Comment\r\n"
                           "Bär,anna,,,\"Zeile 1\r\nZeile 2\"\r\n"
                           "Post,kunde7,,,\r\n").toUtf8()},
        {"export empty", {"export", store("empty.dat")}, "vier\n",
         QByteArray("Account,User,Password,Web,Comment\r\n")},
    };
    for (const Case& c : cases) {
        const CliRun r = run(c.arguments, c.input);
        EXPECT_EQ(r.exitCode, 0) << c.what << ": " << r.err.toStdString();
        EXPECT_EQ(r.out, c.expected) << c.what;
        EXPECT_EQ(r.err, QByteArray()) << c.what;
    }
    // Reading never changes a store and leaves nothing beside it.
    for (const char* name : {"anna.dat", "empty.dat", "joerg.dat"})
        EXPECT_EQ(readAll(store(QString::fromLatin1(name))), readAll(fixturePath(QString::fromLatin1(name)))) << name;
    EXPECT_EQ(filesIn(m_stores.path()), (QStringList{"anna.dat", "empty.dat", "joerg.dat"}));
}

TEST_F(CliTest, StoreThatCannotBeOpenedExitsOneAndStaysUnchanged)
{
    // A length that is no multiple of the block size: damaged, whatever the key.
    QByteArray damaged = readAll(fixturePath("anna.dat"));
    damaged.chop(3);
    writeAll(store("damaged.dat"), damaged);
    // Garbage under the right key, and a wrong key whose garbage passes the length field.
    testsupport::encipherTo(store("wirr.dat"), QByteArray::fromHex("01ff7a3300415b10"), "geheim1");
    ASSERT_TRUE(QFile::copy(fixturePath(testsupport::kLargeStoreFixture), store("gross.dat")));
    const QByteArray wrongKey = testsupport::kLargeStoreWrongKey.toUtf8() + "\n";
    const QStringList before = filesIn(m_stores.path());

    struct Case {
        QStringList arguments;
        QByteArray input;
        QString file;
    };
    const Case cases[] = {
        {{"list", store("anna.dat")}, "geheim2\n", "anna.dat"},
        {{"show", store("anna.dat"), "Post"}, "Geheim1\n", "anna.dat"},
        {{"dump", store("anna.dat")}, "falsch\n", "anna.dat"},
        {{"export", store("joerg.dat")}, "Schluessel\n", "joerg.dat"},
        {{"add", store("anna.dat"), "Neu", "--user", "u"}, "geheim2\npw\n", "anna.dat"},
        {{"dump", store("damaged.dat")}, "geheim1\n", "damaged.dat"},
        {{"add", store("damaged.dat"), "Neu", "--user", "u"}, "geheim1\npw\n", "damaged.dat"},
        {{"list", store("wirr.dat")}, "geheim1\n", "wirr.dat"},
        {{"add", store("wirr.dat"), "Neu", "--user", "u"}, "geheim1\npw\n", "wirr.dat"},
        {{"list", store("gross.dat")}, wrongKey, "gross.dat"},
        {{"show", store("gross.dat"), "Konto 1"}, wrongKey, "gross.dat"},
        {{"dump", store("gross.dat")}, wrongKey, "gross.dat"},
        {{"export", store("gross.dat")}, wrongKey, "gross.dat"},
        {{"add", store("gross.dat"), "Neu", "--user", "u"}, wrongKey + "pw\n", "gross.dat"},
    };
    for (const Case& c : cases) {
        const QByteArray original = readAll(store(c.file));
        const CliRun r = run(c.arguments, c.input);
        EXPECT_EQ(r.exitCode, 1) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith("keywarden-cli: ") && r.err.endsWith('\n') && r.err.count('\n') == 1)
            << r.err.toStdString();
        EXPECT_EQ(readAll(store(c.file)), original) << c.arguments.join(' ').toStdString();
    }
    EXPECT_EQ(filesIn(m_stores.path()), before);
}

TEST_F(CliTest, AddBuildsAStoreWhoseExportQuotesCommasQuotesAndLineBreaks)
{
    const QString path = placeholder(QStringLiteral("neu.dat"));
    // The program's working copy beside the store is never touched.
    writeAll(store("pstmp.dat"), "fremd");
    struct Add {
        QStringList arguments;
        QByteArray password;
    };
    const Add adds[] = {
        {{"Bank, privat", "--user", "max", "--web", "https://bank.example/?a=1,2", "--comment",
          "Zeile 1\nZeile \"2\""},
         "a\"b"},
        {{QString::fromUtf8("Ärzte"), "--user=dr"}, ""},
        {{"Apotheke", "--comment", "nur eine Zeile"}, "x,y"},
    };
    for (const Add& a : adds) {
        const CliRun r = run(QStringList{"add", path} + a.arguments, "neu-geheim\r\n" + a.password + "\r\n");
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
        EXPECT_TRUE(isReadOnly(path));
        EXPECT_EQ(filesIn(m_stores.path()), (QStringList{"anna.dat", "empty.dat", "joerg.dat", "neu.dat", "pstmp.dat"}));
    }
    EXPECT_EQ(readAll(store("pstmp.dat")), QByteArray("fremd"));

    // The list keys in the order the entries came, each section appended at the end, the comment's
    // CR LF as # and §.
    StoreSnapshot snapshot;
    ASSERT_TRUE(snapshot.open(path, QStringLiteral("neu-geheim")).ok());
    EXPECT_EQ(snapshot.plaintext(), cp("[Main]\r\nCount=3\r\n"
                                       "Account1=Bank, privat\r\nAccount2=Ärzte\r\nAccount3=Apotheke\r\n"
                                       "[Bank, privat]\r\nUser=max\r\nPass=a\"b\r\nWeb=https://bank.example/?a=1,2\r\n"
                                       "Comment=Zeile 1#§Zeile \"2\"\r\n"
                                       "[AErzte]\r\nUser=dr\r\nPass=\r\nWeb=\r\nComment=\r\n"
                                       "[Apotheke]\r\nUser=\r\nPass=x,y\r\nWeb=\r\nComment=nur eine Zeile\r\n"));

    const CliRun list = run({"list", path}, "neu-geheim\n");
    EXPECT_EQ(list.out, QString::fromUtf8("Apotheke\nÄrzte\nBank, privat\n").toUtf8());

    const CliRun csv = run({"export", path}, "neu-geheim\n");
    EXPECT_EQ(csv.exitCode, 0);
    EXPECT_EQ(csv.out, QString::fromUtf8("Account,User,Password,Web,Comment\r\n"
                                         "Apotheke,,\"x,y\",,nur eine Zeile\r\n"
                                         "Ärzte,dr,,,\r\n"
                                         "\"Bank, privat\",max,\"a\"\"b\",\"https://bank.example/?a=1,2\","
                                         "\"Zeile 1\r\nZeile \"\"2\"\"\"\r\n").toUtf8());
}

TEST_F(CliTest, AddAppendsToAnExistingStoreLikeTheNewEntryDialog)
{
    const QString path = store("anna.dat");
    const CliRun r = run({"add", path, "Neu", "--", "--web", "www.neu.de"}, "geheim1\npw\n");
    // After "--" an option name is an argument: one too many here.
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(readAll(path), readAll(fixturePath("anna.dat")));

    const CliRun added = run({"add", path, "Neu", "--web", "www.neu.de", "--user", QString::fromUtf8("jürgen")},
                             "geheim1\npw=1\n");
    ASSERT_EQ(added.exitCode, 0) << added.err.toStdString();
    EXPECT_TRUE(isReadOnly(path));
    QByteArray expected = readAll(fixturePath("anna.ini"));
    expected.replace("Count=2\r\n", "Count=3\r\n");
    expected.replace("Account2=Post\r\n", "Account2=Post\r\nAccount3=Neu\r\n");
    expected += cp("[Neu]\r\nUser=jürgen\r\nPass=pw=1\r\nWeb=www.neu.de\r\nComment=\r\n");
    StoreSnapshot snapshot;
    ASSERT_TRUE(snapshot.open(path, QStringLiteral("geheim1")).ok());
    EXPECT_EQ(snapshot.plaintext(), expected);
    EXPECT_EQ(filesIn(m_stores.path()), (QStringList{"anna.dat", "empty.dat", "joerg.dat"}));

    const CliRun show = run({"show", path, "neu"}, "geheim1\n");
    EXPECT_EQ(show.out, QString::fromUtf8("Account:   Neu\nBenutzer:  jürgen\nPasswort:  pw=1\n"
                                          "Web Site:  www.neu.de\nKommentar:\n").toUtf8());
}

TEST_F(CliTest, AddRefusesInputWithTheDialogsMessages)
{
    const QString path = store("anna.dat");
    const QString emptyName = QStringLiteral("Kann keinen leeren Eintrag speichern.   ");
    const QString noUserNoPass = QStringLiteral("Bitte Benutzernamen und/oder Passwort eingeben.   ");
    const QString duplicate = QStringLiteral("Ein Account mit diesem Namen existiert bereits.   ");
    struct Case {
        QStringList arguments;
        QByteArray input;
        QString message;  // exact; empty: only the start below
        QString startsWith;
    };
    const Case cases[] = {
        {{"", "--user", "u"}, "geheim1\npw\n", emptyName, {}},
        {{"Neu"}, "geheim1\n\n", noUserNoPass, {}},
        {{"Neu", "--user", "", "--web", "www.x.de"}, "geheim1\n\n", noUserNoPass, {}},
        // Duplicates without regard to case, umlauts upper-cased too.
        {{"post", "--user", "u"}, "geheim1\npw\n", duplicate, {}},
        {{QString::fromUtf8("BÄR"), "--user", "u"}, "geheim1\npw\n", duplicate, {}},
        // What typing would have kept out, and what the file cannot hold.
        {{"a[b]", "--user", "u"}, "geheim1\npw\n", {}, QString::fromUtf8("Der Name enthält Zeichen")},
        {{"Neu", "--user", "zwei\nZeilen"}, "geheim1\npw\n", {}, QString::fromUtf8("Der Eintrag enthält Zeichen")},
        {{"Neu", "--user", QString::fromUtf8("名前")}, "geheim1\npw\n", {}, QString::fromUtf8("Der Eintrag enthält Zeichen")},
        {{"Neu"}, QString::fromUtf8("geheim1\n✓\n").toUtf8(), {}, QString::fromUtf8("Der Eintrag enthält Zeichen")},
        // The second line is the entry's password and must be there.
        {{"Neu", "--user", "u"}, "geheim1\n", QString::fromUtf8("Das Passwort des neuen Eintrags fehlt: die "
                                                               "Standardeingabe endet nach dem Master-Passwort."), {}},
        // The login's rules for a master password.
        {{"Neu", "--user", "u"}, "geh\npw\n", QStringLiteral("Das Master-Passwort sollte mindestens 4 Zeichen lang sein.   "), {}},
        {{"Neu", "--user", "u"}, "\npw\n", QStringLiteral("Bitte sicherstellen, dass das Master-Passwort korrekt eingegeben wird."), {}},
        {{"Neu", "--user", "u"}, "", QStringLiteral("Das Master-Passwort fehlt: die Standardeingabe ist leer."), {}},
        {{"Neu", "--user", "u"}, "geheim\xff\npw\n", QString::fromUtf8("Die Eingabe ist kein gültiger UTF-8-Text."), {}},
    };
    for (const Case& c : cases) {
        const QString what = c.arguments.join(QLatin1Char(' '));
        const CliRun r = run(QStringList{"add", path} + c.arguments, c.input);
        EXPECT_EQ(r.exitCode, 2) << what.toStdString();
        if (!c.message.isEmpty())
            EXPECT_EQ(r.err, errorLine(c.message)) << what.toStdString();
        else
            EXPECT_TRUE(r.err.startsWith(("keywarden-cli: " + c.startsWith).toUtf8())) << r.err.toStdString();
        EXPECT_EQ(readAll(path), readAll(fixturePath("anna.dat"))) << what.toStdString();
    }
    EXPECT_EQ(filesIn(m_stores.path()), (QStringList{"anna.dat", "empty.dat", "joerg.dat"}));
}

TEST_F(CliTest, AddWaitsForTheProgramToEnd)
{
    const QString path = store("anna.dat");
    {
        // The program holds the lock of its store folder from start to end.
        StoreFolderLock program(m_stores.path());
        ASSERT_EQ(program.tryAcquire(), StoreFolderLock::Status::Acquired);
        const CliRun r = run({"add", path, "Neu", "--user", "u"}, "geheim1\npw\n");
        EXPECT_EQ(r.exitCode, 3);
        EXPECT_EQ(r.err, errorLine(QString::fromUtf8("Keywarden läuft gerade (oder ein anderer Schreibvorgang); "
                                                     "bitte das Programm beenden und noch einmal versuchen.")));
        EXPECT_EQ(readAll(path), readAll(fixturePath("anna.dat")));
        // Reading goes on while the program runs.
        const CliRun list = run({"list", path}, "geheim1\n");
        EXPECT_EQ(list.exitCode, 0);
        EXPECT_EQ(list.out, QString::fromUtf8("Bär\nPost\n").toUtf8());
    }
    // A lock file that a killed program left empty does not block.
    ASSERT_TRUE(writeAll(StoreFolderLock::lockPathFor(m_stores.path()), QByteArray()));
    const CliRun r = run({"add", path, "Neu", "--user", "u"}, "geheim1\npw\n");
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    // The tool releases the lock and leaves nothing beside the stores: the program can start afterwards.
    EXPECT_EQ(filesIn(m_stores.path()), (QStringList{"anna.dat", "empty.dat", "joerg.dat"}));
    {
        StoreFolderLock program(m_stores.path());
        EXPECT_EQ(program.tryAcquire(), StoreFolderLock::Status::Acquired);
    }

    // A lock file that cannot be opened is no lock: the tool refuses to write without one.
    ASSERT_TRUE(QDir(m_stores.path()).mkdir("keywarden.lock"));
    const QByteArray before = readAll(path);
    const CliRun refused = run({"add", path, "Noch", "--user", "u"}, "geheim1\npw\n");
    EXPECT_EQ(refused.exitCode, 3);
    EXPECT_TRUE(refused.err.startsWith(QString::fromUtf8("keywarden-cli: Ob Keywarden läuft, lässt sich nicht prüfen")
                                           .toUtf8()))
        << refused.err.toStdString();
    EXPECT_EQ(readAll(path), before);
}

TEST_F(CliTest, AddOnTheNewUsersPlaceholderWritesTheFirstEntry)
{
    const QString path = placeholder(QStringLiteral("lena.dat"));
    const CliRun r = run({"add", path, "Post", "--user", "lena"}, "lena-geheim\ngeheim\n");
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(isReadOnly(path));
    EXPECT_NE(readAll(path), QByteArray("\r\n"));
    StoreSnapshot snapshot;
    ASSERT_TRUE(snapshot.open(path, QStringLiteral("lena-geheim")).ok());
    EXPECT_EQ(snapshot.plaintext(), QByteArray("[Main]\r\nCount=1\r\nAccount1=Post\r\n"
                                               "[Post]\r\nUser=lena\r\nPass=geheim\r\nWeb=\r\nComment=\r\n"));
    // Enciphered now: another key no longer opens it.
    EXPECT_EQ(run({"list", path}, "andere\n").exitCode, 1);
    EXPECT_EQ(filesIn(m_stores.path()), (QStringList{"anna.dat", "empty.dat", "joerg.dat", "lena.dat"}));
}

TEST_F(CliTest, AddTakesAMasterPasswordOfFourCharactersAsTheLoginDoes)
{
    // Three characters are refused (AddRefusesInputWithTheDialogsMessages); four are enough,
    // counted as characters, not as the bytes they take.
    struct Case {
        const char* what;
        QString store;
        QString key;
    };
    const Case cases[] = {
        {"the fixture's own four-letter key", store("empty.dat"), QStringLiteral("vier")},
        {"a new user's placeholder", placeholder(QStringLiteral("lena.dat")), QStringLiteral("lena")},
        {"four characters beyond ASCII", placeholder(QStringLiteral("ute.dat")), QString::fromUtf8("äöü€")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const CliRun r = run({"add", c.store, "Post", "--user", "u"}, (c.key + "\npw\n").toUtf8());
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        StoreSnapshot snapshot;
        ASSERT_TRUE(snapshot.open(c.store, c.key).ok());
        EXPECT_EQ(snapshot.plaintext(), QByteArray("[Main]\r\nCount=1\r\nAccount1=Post\r\n"
                                                   "[Post]\r\nUser=u\r\nPass=pw\r\nWeb=\r\nComment=\r\n"));
    }
}

TEST_F(CliTest, APlaceholderIsKeyedOnlyWithWindows1252Characters)
{
    const QString path = placeholder(QStringLiteral("lena.dat"));
    const QString cyrillic = QString::fromUtf8("пароль12");
    const CliRun refused = run({"add", path, "Post", "--user", "lena"}, cyrillic.toUtf8() + "\ngeheim\n");
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_EQ(refused.err, errorLine(MasterPasswordChange::checkNewKey(cyrillic, StoreField::LoginPassword).message));
    EXPECT_EQ(readAll(path), QByteArray("\r\n"));

    // A store keyed before with the same key bytes keeps opening and taking entries.
    testsupport::encipherTo(store("alt.dat"), "[Main]\r\nCount=0\r\n", "??????12");
    const CliRun added = run({"add", store("alt.dat"), "Post", "--user", "lena"}, cyrillic.toUtf8() + "\ngeheim\n");
    EXPECT_EQ(added.exitCode, 0) << added.err.toStdString();
    EXPECT_EQ(run({"list", store("alt.dat")}, "??????12\n").out, QByteArray("Post\n"));
}

TEST_F(CliTest, NoCoreFileWhileTheMasterPasswordIsRead)
{
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(QStringLiteral(KEYWARDEN_CLI_BINARY), {"list", store("anna.dat")});
    ASSERT_TRUE(process.waitForStarted(10000));
    // No password has been given yet: the limit must come before the tool reads one.
    const QRegularExpression noCore(QStringLiteral("Max core file size +0 +0 "));
    bool seen = false;
    for (QDeadlineTimer deadline(10000); !seen && !deadline.hasExpired(); QThread::msleep(20)) {
        QFile limits(QStringLiteral("/proc/%1/limits").arg(process.processId()));
        seen = limits.open(QIODevice::ReadOnly) && QString::fromLatin1(limits.readAll()).contains(noCore);
    }
    EXPECT_TRUE(seen);
    process.write("geheim1\n");
    process.closeWriteChannel();
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0);
}

TEST_F(CliTest, AUserNameOpensItsStoreInTheDataFolder)
{
    // The tool copied into a folder of its own, as installed, with a home of its own.
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QDir dir(root.path());
    ASSERT_TRUE(dir.mkpath("bin") && dir.mkpath("xdg/keywarden") && dir.mkpath("home"));
    const QString program = dir.filePath("bin/keywarden-cli");
    ASSERT_TRUE(QFile::copy(QStringLiteral(KEYWARDEN_CLI_BINARY), program));
    ASSERT_TRUE(QFile::copy(fixturePath("anna.dat"), dir.filePath("xdg/keywarden/Anna.dat")));
    QProcessEnvironment env = environment();
    env.insert(QStringLiteral("HOME"), dir.filePath("home"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath("xdg"));

    // The XDG data folder, the user found without regard to case.
    CliRun r = runProgram(program, env, {"list", "anna"}, "geheim1\n");
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QString::fromUtf8("Bär\nPost\n").toUtf8());

    // --data-dir, before the command or among its arguments.
    r = runProgram(program, env, {"--data-dir", m_stores.path(), "list", "joerg"}, QString::fromUtf8("Schlüssel€\n").toUtf8());
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QString::fromUtf8("Straße\n").toUtf8());
    r = runProgram(program, env, {"show", "empty", "--data-dir=" + m_stores.path(), "x"}, "vier\n");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, errorLine(QString::fromUtf8("Einen Account „x“ gibt es in diesem Speicher nicht.")));

    // A program folder that holds a setup is the data folder: a portable copy keeps working.
    ASSERT_TRUE(writeAll(dir.filePath("bin/Keywarden.ini"), ""));
    r = runProgram(program, env, {"list", "anna"}, "geheim1\n");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, errorLine(QString::fromUtf8("Die Datei „%1“ gibt es nicht.").arg(dir.filePath("bin/anna.dat"))));

    // Paths stay paths: a separator, the .dat ending or an existing file.
    r = runProgram(program, env, {"list", store("anna.dat")}, "geheim1\n");
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    r = runProgram(program, env, {"list", "anna.dat"}, "geheim1\n");
    EXPECT_EQ(r.exitCode, 2) << "anna.dat is a path relative to the current folder, not a user name";
}

TEST_F(CliTest, VersionAnswersWithoutAStore)
{
    for (const QStringList& arguments : {QStringList{"--version"}, QStringList{"list", "x.dat", "--version"}}) {
        const CliRun r = run(arguments);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.out, QByteArray("keywarden-cli " KEYWARDEN_VERSION "\n"));
        EXPECT_TRUE(r.err.isEmpty());
    }
    // A value is not an option: an account called "--version" is added, not answered.
    const CliRun r = run({"add", placeholder("neu.dat"), "--", "--version"}, "abcd\npw\n");
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
}

TEST_F(CliTest, UsageAndInputErrorsExitTwo)
{
    struct Case {
        QStringList arguments;
        QByteArray input;
    };
    const QString missing = store("fehlt.dat");
    const Case cases[] = {
        {{}, {}},
        {{"liste", store("anna.dat")}, "geheim1\n"},
        {{"list"}, "geheim1\n"},
        {{"show", store("anna.dat")}, "geheim1\n"},
        {{"list", store("anna.dat"), "zuviel"}, "geheim1\n"},
        {{"add", store("anna.dat"), "Neu", "--pass", "x"}, "geheim1\n"},
        {{"add", store("anna.dat"), "Neu", "--user"}, "geheim1\npw\n"},
        {{"add", store("anna.dat"), "Neu", "--user", "a", "--user", "b"}, "geheim1\npw\n"},
        {{"export", store("anna.dat"), "--user", "a"}, "geheim1\n"},
        {{"list", missing}, "geheim1\n"},
        {{"add", missing, "Neu", "--user", "u"}, "geheim1\npw\n"},
        {{"show", store("anna.dat"), "Baer"}, "geheim1\n"},
        {{"list", store("anna.dat")}, ""},
        {{"list", store("anna.dat"), "--data-dir"}, "geheim1\n"},
    };
    for (const Case& c : cases) {
        const QString what = c.arguments.join(QLatin1Char(' '));
        const CliRun r = run(c.arguments, c.input);
        EXPECT_EQ(r.exitCode, 2) << what.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << what.toStdString();
        EXPECT_TRUE(r.err.startsWith("keywarden-cli: ") && r.err.count('\n') == 1) << r.err.toStdString();
    }
    EXPECT_EQ(run({"list", missing}).err,
              errorLine(QString::fromUtf8("Die Datei „%1“ gibt es nicht.").arg(missing)));
    EXPECT_EQ(run({"show", store("anna.dat"), "Baer"}, "geheim1\n").err,
              errorLine(QString::fromUtf8("Einen Account „Baer“ gibt es in diesem Speicher nicht.")));
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_EQ(readAll(store("anna.dat")), readAll(fixturePath("anna.dat")));
    EXPECT_EQ(filesIn(m_stores.path()), (QStringList{"anna.dat", "empty.dat", "joerg.dat"}));

    for (const QStringList& arguments : {QStringList{"--help"}, QStringList{"add", "x.dat", "-h"}}) {
        const CliRun help = run(arguments);
        EXPECT_EQ(help.exitCode, 0);
        EXPECT_TRUE(help.err.isEmpty());
        for (const char* word : {"list", "show", "dump", "export", "add", "--user", "--web", "--comment",
                                 "--data-dir", "--version", "Master-Passwort", "Rückgabewerte"})
            EXPECT_TRUE(help.out.contains(word)) << word;
    }
}

TEST_F(CliTest, WriteFailureExitsThreeAndKeepsTheStore)
{
    // The write is made to fail through the store's write seam, at each of its stages, with the
    // runner in this process: no file permissions involved, so it fails for root as for anyone.
    const QString path = store("anna.dat");
    const QByteArray before = readAll(path);
    const QString message = QString::fromUtf8("Die Datei „%1“ konnte nicht geschrieben werden; der bisherige "
                                              "Stand ist unverändert erhalten.");
    for (const AtomicWrite::Stage stage : {AtomicWrite::Stage::Open, AtomicWrite::Stage::Write, AtomicWrite::Stage::Commit}) {
        SCOPED_TRACE(static_cast<int>(stage));
        int faults = 0;
        AtomicWrite::setFaultHook([&](AtomicWrite::Stage at, const QString& target) {
            const bool fail = at == stage && QFileInfo(target).fileName() == QStringLiteral("anna.dat");
            faults += fail ? 1 : 0;
            return fail;
        });
        const CliRun r = runHere({"add", path, "Neu", "--user", "u"}, "geheim1\npw\n");
        AtomicWrite::setFaultHook({});
        EXPECT_EQ(faults, 1);
        EXPECT_EQ(r.exitCode, 3);
        EXPECT_EQ(r.err, errorLine(message.arg(path)));
        EXPECT_EQ(readAll(path), before);
        EXPECT_EQ(filesIn(m_stores.path()), (QStringList{"anna.dat", "empty.dat", "joerg.dat"}));
    }

    // The same run without the fault stores the entry: the seam alone made it fail.
    const CliRun r = runHere({"add", path, "Neu", "--user", "u"}, "geheim1\npw\n");
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    StoreSnapshot snapshot;
    ASSERT_TRUE(snapshot.open(path, QStringLiteral("geheim1")).ok());
    EXPECT_TRUE(snapshot.plaintext().contains("[Neu]\r\nUser=u\r\nPass=pw\r\n"));
}

// A pseudo terminal as standard input and error: what the terminal shows is read from its master.
class PseudoTerminal {
public:
    PseudoTerminal()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
            return;
        m_slaveName = QString::fromLocal8Bit(::ptsname(m_master));
        // Held open so that the terminal never hangs up between the tool's reads.
        m_slave = ::open(::ptsname(m_master), O_RDWR | O_NOCTTY);
    }
    ~PseudoTerminal()
    {
        if (m_slave >= 0)
            ::close(m_slave);
        if (m_master >= 0)
            ::close(m_master);
    }
    bool isValid() const { return m_master >= 0 && m_slave >= 0; }
    QString slaveName() const { return m_slaveName; }
    bool echoes() const
    {
        termios t {};
        return ::tcgetattr(m_slave, &t) == 0 && (t.c_lflag & ECHO);
    }

    // Reads what the terminal shows until `text` appeared or the time is up.
    bool waitFor(const QByteArray& text, int timeoutMs = 10000)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!m_shown.contains(text)) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return false;
            pollfd p {m_master, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0)
                continue;
            char chunk[256];
            const ssize_t n = ::read(m_master, chunk, sizeof chunk);
            if (n > 0)
                m_shown.append(chunk, n);
        }
        return true;
    }
    void type(const QByteArray& text) { ASSERT_EQ(::write(m_master, text.constData(), text.size()), text.size()); }
    const QByteArray& shown() const { return m_shown; }

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slaveName;
    QByteArray m_shown;
};

TEST_F(CliTest, PasswordsTypedAtATerminalAreNotEchoed)
{
    PseudoTerminal terminal;
    ASSERT_TRUE(terminal.isValid());
    ASSERT_TRUE(terminal.echoes());
    const QString path = store("anna.dat");

    QProcess process;
    process.setProcessEnvironment(environment());
    process.setStandardInputFile(terminal.slaveName());
    process.setStandardErrorFile(terminal.slaveName());
    process.start(QStringLiteral(KEYWARDEN_CLI_BINARY), {"add", path, "Neu", "--user", "u"});
    ASSERT_TRUE(process.waitForStarted(10000));
    ASSERT_TRUE(terminal.waitFor("Master-Passwort: ")) << terminal.shown().toStdString();
    terminal.type("geheim1\n");
    ASSERT_TRUE(terminal.waitFor("Passwort des neuen Eintrags: ")) << terminal.shown().toStdString();
    terminal.type("tty-Geheimnis\n");
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0) << terminal.shown().toStdString();

    EXPECT_FALSE(terminal.shown().contains("geheim1")) << terminal.shown().toStdString();
    EXPECT_FALSE(terminal.shown().contains("tty-Geheimnis")) << terminal.shown().toStdString();
    // The terminal echoes again afterwards.
    EXPECT_TRUE(terminal.echoes());
    StoreSnapshot snapshot;
    ASSERT_TRUE(snapshot.open(path, QStringLiteral("geheim1")).ok());
    EXPECT_EQ(snapshot.entry(QStringLiteral("Neu")).Pass, QStringLiteral("tty-Geheimnis"));
}

} // namespace
