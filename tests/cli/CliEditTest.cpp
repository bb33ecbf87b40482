#include "cli/CliFixture.h"

#include "core/AtomicWrite.h"
#include "app/StoreFolderLock.h"
#include "store/StoreSnapshot.h"

#include <QRegularExpression>

namespace {

using namespace clitest;

const QByteArray kAnnaKey = "geheim1\n";

class CliEditTest : public CliTest {
protected:
    // The deciphered text of a store, empty when it does not open under `key`.
    static QByteArray plain(const QString& path, const QString& key)
    {
        StoreSnapshot snapshot;
        if (!snapshot.open(path, key).ok())
            return {};
        return snapshot.plaintext();
    }

    // How many store files a run of the tool in this process writes (temporary file opened).
    int writesDuring(const QStringList& arguments, const QByteArray& input, CliRun& result)
    {
        int writes = 0;
        AtomicWrite::setFaultHook([&](AtomicWrite::Stage at, const QString&) {
            writes += at == AtomicWrite::Stage::Open ? 1 : 0;
            return false;
        });
        result = runHere(arguments, input);
        AtomicWrite::setFaultHook({});
        return writes;
    }
};

TEST_F(CliEditTest, ShowFieldPrintsTheValueAloneWithOneLineEnd)
{
    const QByteArray joergKey = QString::fromUtf8("Schlüssel€\n").toUtf8();
    struct Case {
        QString store;
        QString account;
        const char* field;
        QByteArray key;
        QByteArray expected;
    };
    const Case cases[] = {
        {"anna.dat", QString::fromUtf8("Bär"), "user", kAnnaKey, "anna\n"},
        {"anna.dat", QString::fromUtf8("Bär"), "password", kAnnaKey, "\n"},
        // The comment as stored, its CR LF kept, so a script gets the text the window shows.
        {"anna.dat", QString::fromUtf8("Bär"), "comment", kAnnaKey, "Zeile 1\r\nZeile 2\n"},
        {"anna.dat", "post", "user", kAnnaKey, "kunde7\n"},
        {"joerg.dat", QString::fromUtf8("Straße"), "password", joergKey, QString::fromUtf8("Grüße§!\n").toUtf8()},
        {"joerg.dat", QString::fromUtf8("Straße"), "web", joergKey, "www.example.de\n"},
        {"joerg.dat", QString::fromUtf8("Straße"), "comment", joergKey, QString::fromUtf8("Tür \r1\n").toUtf8()},
    };
    for (const Case& c : cases) {
        const CliRun r = run({"show", store(c.store), c.account, "--field", c.field}, c.key);
        EXPECT_EQ(r.exitCode, 0) << c.field << r.err.toStdString();
        EXPECT_EQ(r.out, c.expected) << c.account.toStdString() << " " << c.field;
        EXPECT_TRUE(r.err.isEmpty());
    }
    // "--field=user" as well.
    EXPECT_EQ(run({"show", store("anna.dat"), "Post", "--field=user"}, kAnnaKey).out, QByteArray("kunde7\n"));

    const CliRun unknown = run({"show", store("anna.dat"), "Post", "--field", "pass"}, kAnnaKey);
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.out.isEmpty());
    EXPECT_TRUE(unknown.err.contains("pass")) << unknown.err.toStdString();
    EXPECT_EQ(run({"list", store("anna.dat"), "--field", "user"}, kAnnaKey).exitCode, 2);
    EXPECT_EQ(run({"show", store("anna.dat"), "Baer", "--field", "user"}, kAnnaKey).exitCode, 2);
}

TEST_F(CliEditTest, EditChangesOnlyTheGivenFieldsLikeSave)
{
    const QString path = store("anna.dat");
    CliRun r;
    EXPECT_EQ(writesDuring({"edit", path, "post", "--web", "https://post.example", "--password"},
                           "geheim1\nneu pw\n", r),
              1);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    QByteArray text = plain(path, "geheim1");
    EXPECT_TRUE(text.contains("[Post]\r\nUser=kunde7\r\nPass=neu pw\r\nWeb=https://post.example\r\nComment=\r\n"))
        << text.toStdString();
    // The other entry and the list stay byte for byte.
    EXPECT_TRUE(text.startsWith("[Main]\r\nCount=2\r\nAccount1=B\xe4r\r\nAccount2=Post\r\n"));
    EXPECT_TRUE(text.contains("[Baer]\r\nUser=anna\r\nPass=\r\nWeb=\r\nComment=Zeile 1#\xa7Zeile 2\r\n"));

    // Without --password the password stays; a comment typed with LF is stored as the window's CR LF.
    r = run({"edit", path, "Post", "--user", "kunde8", "--comment", "a\nb"}, kAnnaKey);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(run({"show", path, "Post", "--field", "password"}, kAnnaKey).out, QByteArray("neu pw\n"));
    EXPECT_EQ(run({"show", path, "Post", "--field", "user"}, kAnnaKey).out, QByteArray("kunde8\n"));
    EXPECT_EQ(run({"show", path, "Post", "--field", "comment"}, kAnnaKey).out, QByteArray("a\r\nb\n"));
    // The store stays read-only, as every store file the program writes.
    EXPECT_TRUE(isReadOnly(path));
}

TEST_F(CliEditTest, EditRefusalsLeaveTheStoreByteIdentical)
{
    const QString path = store("anna.dat");
    const QByteArray before = readAll(path);
    struct Case {
        QStringList arguments;
        QByteArray input;
        int exitCode;
        const char* message;  // empty: only the exit code is checked
    };
    const Case cases[] = {
        // Bär has no password: emptying its user leaves neither, which Speichern refuses.
        {{"edit", path, QString::fromUtf8("Bär"), "--user", ""}, kAnnaKey, 2,
         "Bitte Benutzernamen und/oder Passwort eingeben.   "},
        {{"edit", path, "Post", "--web", QString::fromUtf8("ok ✓")}, kAnnaKey, 2,
         "Der Eintrag enthält Zeichen, die nicht gespeichert werden können (Zeilenumbrüche, Steuerzeichen "
         "oder Zeichen außerhalb von Windows-1252).   "},
        {{"edit", path, "Post", "--password"}, "geheim1\npw\x01x\n", 2, ""},
        {{"edit", path, "Post", "--password"}, kAnnaKey, 2,
         "Das neue Passwort des Eintrags fehlt: die Standardeingabe endet nach dem Master-Passwort."},
        {{"edit", path, "Baer", "--user", "x"}, kAnnaKey, 2, "Einen Account „Baer“ gibt es in diesem Speicher nicht."},
        {{"edit", path, "Post"}, kAnnaKey, 2, ""},
        {{"edit", path, "Post", "--user", "x"}, "geheim2\n", 1, ""},
        {{"edit", path, "Post", "--spreadsheet"}, kAnnaKey, 2, ""},
    };
    for (const Case& c : cases) {
        const std::string what = c.arguments.join(QLatin1Char(' ')).toStdString();
        const CliRun r = run(c.arguments, c.input);
        EXPECT_EQ(r.exitCode, c.exitCode) << what << ": " << r.err.toStdString();
        if (*c.message) {
            EXPECT_EQ(r.err, errorLine(QString::fromUtf8(c.message))) << what;
        }
        EXPECT_EQ(readAll(path), before) << what;
    }
    EXPECT_EQ(filesIn(m_stores.path()), (QStringList{"anna.dat", "empty.dat", "joerg.dat"}));
}

TEST_F(CliEditTest, RenameMovesTheEntryAndRewritesTheListInOneWrite)
{
    const QString path = store("anna.dat");
    CliRun r;
    EXPECT_EQ(writesDuring({"rename", path, QString::fromUtf8("bär"), QString::fromUtf8("Zöllner")}, kAnnaKey, r), 1);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QByteArray text = plain(path, "geheim1");
    // The list in the window's order, the old section gone, the entry under its new section.
    EXPECT_TRUE(text.startsWith("[Main]\r\nCount=2\r\nAccount1=Post\r\nAccount2=Z\xf6llner\r\n")) << text.toStdString();
    EXPECT_FALSE(text.contains("[Baer]"));
    EXPECT_TRUE(text.contains("[Zoellner]\r\nUser=anna\r\nPass=\r\nWeb=\r\nComment=Zeile 1#\xa7Zeile 2\r\n"));
    EXPECT_EQ(run({"list", path}, kAnnaKey).out, QString::fromUtf8("Post\nZöllner\n").toUtf8());

    const QByteArray before = readAll(path);
    struct Case {
        QString oldName;
        QString newName;
        const char* message;
    };
    const Case cases[] = {
        {"Post", QString::fromUtf8("zöllner"), "Ein Account mit diesem Namen existiert bereits.   "},
        // The entry's own name in another case counts as taken, as in the window.
        {"Post", "POST", "Ein Account mit diesem Namen existiert bereits.   "},
        {"Post", "", "Kann keinen leeren Eintrag speichern.   "},
        {"Post", "Post [alt]", "Der Name enthält Zeichen, die nicht gespeichert werden können (Steuerzeichen, "
                               "eckige Klammern oder Zeichen außerhalb von Windows-1252).   "},
        {"Fehlt", "Neu", "Einen Account „Fehlt“ gibt es in diesem Speicher nicht."},
    };
    for (const Case& c : cases) {
        const CliRun refused = run({"rename", path, c.oldName, c.newName}, kAnnaKey);
        EXPECT_EQ(refused.exitCode, 2) << c.newName.toStdString();
        EXPECT_EQ(refused.err, errorLine(QString::fromUtf8(c.message))) << c.newName.toStdString();
        EXPECT_EQ(readAll(path), before);
    }
    EXPECT_EQ(run({"rename", path, "Post"}, kAnnaKey).exitCode, 2);
}

TEST_F(CliEditTest, DeleteRemovesTheEntryAndTheListKeyInOneWrite)
{
    const QString path = store("anna.dat");
    CliRun r;
    EXPECT_EQ(writesDuring({"delete", path, QString::fromUtf8("BÄR")}, kAnnaKey, r), 1);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QByteArray text = plain(path, "geheim1");
    // Count follows at once and no key names the deleted entry: the next login lists only Post.
    EXPECT_FALSE(text.contains("B\xe4r")) << text.toStdString();
    EXPECT_FALSE(text.contains("[Baer]"));
    EXPECT_TRUE(text.startsWith("[Main]\r\nCount=1\r\nAccount1=Post\r\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("[Post]\r\nUser=kunde7\r\n"));
    EXPECT_EQ(run({"list", path}, kAnnaKey).out, QByteArray("Post\n"));

    // The last entry: an empty list, the store still opens.
    EXPECT_EQ(run({"delete", path, "Post"}, kAnnaKey).exitCode, 0);
    EXPECT_EQ(run({"list", path}, kAnnaKey).out, QByteArray());
    EXPECT_FALSE(plain(path, "geheim1").contains("[Post]"));

    const QByteArray before = readAll(path);
    const CliRun missing = run({"delete", path, "Post"}, kAnnaKey);
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(readAll(path), before);
    EXPECT_EQ(run({"delete", store("joerg.dat"), QString::fromUtf8("Straße")}, "falsch\n").exitCode, 1);
    EXPECT_EQ(readAll(store("joerg.dat")), readAll(fixturePath("joerg.dat")));
}

TEST_F(CliEditTest, WritingCommandsWaitForTheProgramAndKeepTheStoreOnWriteFailure)
{
    const QString path = store("anna.dat");
    const QByteArray before = readAll(path);
    const QList<QPair<QStringList, QByteArray>> commands = {
        {{"edit", path, "Post", "--user", "x"}, kAnnaKey},
        {{"rename", path, "Post", "Postbank"}, kAnnaKey},
        {{"delete", path, "Post"}, kAnnaKey},
        {{"passwd", path}, "geheim1\nneu-geheim\nneu-geheim\n"},
    };
    {
        StoreFolderLock program(m_stores.path());
        ASSERT_EQ(program.tryAcquire(), StoreFolderLock::Status::Acquired);
        for (const auto& [arguments, input] : commands) {
            const CliRun r = run(arguments, input);
            EXPECT_EQ(r.exitCode, 3) << arguments.first().toStdString();
            EXPECT_TRUE(r.err.contains("Keywarden läuft gerade")) << r.err.toStdString();
            EXPECT_EQ(readAll(path), before);
        }
    }
    // A failing write: exit 3 and the old store, through the same write seam as add.
    for (const auto& [arguments, input] : commands) {
        AtomicWrite::setFaultHook([](AtomicWrite::Stage at, const QString&) { return at == AtomicWrite::Stage::Commit; });
        const CliRun r = runHere(arguments, input);
        AtomicWrite::setFaultHook({});
        EXPECT_EQ(r.exitCode, 3) << arguments.first().toStdString() << r.err.toStdString();
        EXPECT_EQ(readAll(path), before) << arguments.first().toStdString();
        EXPECT_EQ(filesIn(m_stores.path()), (QStringList{"anna.dat", "empty.dat", "joerg.dat"}));
    }
}

TEST_F(CliEditTest, SpreadsheetExportHasAByteOrderMarkAndGuardsFormulaCells)
{
    const QString path = store("formeln.dat");
    ASSERT_TRUE(testsupport::encipherTo(path,
                                        "[Main]\r\nCount=2\r\nAccount1=-Konto\r\nAccount2=Zahl\r\n"
                                        "[-Konto]\r\nUser=@user\r\nPass==1+2\r\nWeb=+49 30\r\nComment=a=b\r\n"
                                        "[Zahl]\r\nUser=x-y\r\nPass==A1,B1\r\nWeb=\r\nComment=\r\n",
                                        "geheim1"));
    CliRun r = run({"export", path, "--spreadsheet"}, kAnnaKey);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QByteArray("\xEF\xBB\xBF"
                                "Account,User,Password,Web,Comment\r\n"
                                "'-Konto,'@user,'=1+2,'+49 30,a=b\r\n"
                                "Zahl,x-y,\"'=A1,B1\",,\r\n"));
    // The default stays lossless: no mark, no guard.
    r = run({"export", path}, kAnnaKey);
    EXPECT_EQ(r.out, QByteArray("Account,User,Password,Web,Comment\r\n"
                                "-Konto,@user,=1+2,+49 30,a=b\r\n"
                                "Zahl,x-y,\"=A1,B1\",,\r\n"));
}

TEST_F(CliEditTest, PasswdKeysTheStoreAnewAndKeepsTheOldFileAsBackup)
{
    const QString path = store("anna.dat");
    const QString backup = store("anna.bak");
    const QByteArray original = readAll(path);
    const QByteArray originalPlain = plain(path, "geheim1");

    struct Refusal {
        QByteArray input;
        int exitCode;
        const char* message;
    };
    const Refusal refusals[] = {
        {"geheim1\nneu-geheim\nneu-geheiM\n", 2,
         "Die beiden Eingaben des neuen Master-Passworts stimmen nicht überein; es wurde nichts geändert."},
        {"geheim1\nneu\nneu\n", 2, "Das Master-Passwort sollte mindestens 4 Zeichen lang sein.   "},
        {"geheim1\nneu-geheim\n", 2, "Das Master-Passwort fehlt: die Standardeingabe endet zu früh."},
        {"geheim1\nneu-geheim✓\nneu-geheim✓\n", 2,
         "Das neue Master-Passwort enthält Zeichen, die nicht verwendet werden können (außerhalb von "
         "Windows-1252).   "},
        {"geheim2\nneu-geheim\nneu-geheim\n", 1, ""},
    };
    for (const Refusal& c : refusals) {
        const CliRun r = run({"passwd", path}, c.input);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.input.toStdString() << r.err.toStdString();
        if (*c.message) {
            EXPECT_EQ(r.err, errorLine(QString::fromUtf8(c.message)));
        }
        EXPECT_EQ(readAll(path), original);
        EXPECT_FALSE(QFileInfo::exists(backup));
    }

    const CliRun r = run({"passwd", path}, QString::fromUtf8("geheim1\nneues Geheimnis€\nneues Geheimnis€\n").toUtf8());
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    // The same text under the new key; the old key no longer opens it.
    EXPECT_EQ(plain(path, QString::fromUtf8("neues Geheimnis€")), originalPlain);
    EXPECT_EQ(run({"list", path}, kAnnaKey).exitCode, 1);
    EXPECT_EQ(run({"list", path}, QString::fromUtf8("neues Geheimnis€\n").toUtf8()).out,
              QString::fromUtf8("Bär\nPost\n").toUtf8());
    // The backup is the old file and opens with the old key.
    EXPECT_EQ(readAll(backup), original);
    EXPECT_EQ(plain(backup, "geheim1"), originalPlain);
    EXPECT_TRUE(isReadOnly(path));
}

TEST_F(CliEditTest, GenerateWritesOnePasswordWithoutAStore)
{
    const CliRun r = run({"generate", "--length", "32", "--no-symbols", "--no-lookalikes"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[A-Za-z2-9]{32}\n$")).match(QString::fromLatin1(r.out)).hasMatch())
        << r.out.toStdString();
    EXPECT_FALSE(QRegularExpression(QStringLiteral("[0Oo1lI]")).match(QString::fromLatin1(r.out)).hasMatch());

    const CliRun plainRun = run({"generate"});
    EXPECT_EQ(plainRun.exitCode, 0);
    EXPECT_EQ(plainRun.out.size(), 21);
    EXPECT_NE(plainRun.out, run({"generate"}).out);

    for (const QStringList& arguments : {QStringList{"generate", "--length", "7"}, QStringList{"generate", "--length", "65"},
                                         QStringList{"generate", "--length", "zwanzig"},
                                         QStringList{"generate", store("anna.dat")},
                                         QStringList{"generate", "--user", "x"}}) {
        const CliRun refused = run(arguments);
        EXPECT_EQ(refused.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(refused.out.isEmpty());
    }
    EXPECT_EQ(run({"generate", "--length", "7"}).err,
              errorLine(QString::fromUtf8("Die Länge muss zwischen 8 und 64 Zeichen liegen.")));
}

TEST_F(CliEditTest, HelpListsEveryCommandAndOption)
{
    const CliRun help = run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* word : {"list", "show", "dump", "export", "add", "edit", "rename", "delete", "passwd",
                             "generate", "--field", "--spreadsheet", "--password", "--length", "--no-symbols",
                             "--no-lookalikes"})
        EXPECT_TRUE(help.out.contains(word)) << word;
}

} // namespace
