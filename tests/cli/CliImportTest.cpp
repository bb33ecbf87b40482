#include "cli/CliFixture.h"

#include "core/AtomicWrite.h"
#include "store/StoreSnapshot.h"

namespace {

using namespace clitest;

class CliImportTest : public CliTest {
protected:
    QString csv(const QString& name, const QByteArray& content)
    {
        const QString path = m_csv.filePath(name);
        writeAll(path, content);
        return path;
    }

    QTemporaryDir m_csv;
};

TEST_F(CliImportTest, ExportImportExportGivesIdenticalBytes)
{
    struct Case {
        const char* store;
        QByteArray key;
    };
    ASSERT_TRUE(QFile::copy(fixturePath(testsupport::kLargeStoreFixture), store("gross.dat")));
    const Case cases[] = {
        {"anna.dat", "geheim1\n"},
        // A lone CR in a comment and characters beyond ASCII.
        {"joerg.dat", QString::fromUtf8("Schlüssel€\n").toUtf8()},
        {"gross.dat", "gross-geheim\n"},
    };
    for (const Case& c : cases) {
        const CliRun exported = run({"export", store(c.store)}, c.key);
        ASSERT_EQ(exported.exitCode, 0) << c.store;
        const QString file = csv(QStringLiteral("%1.csv").arg(c.store), exported.out);
        const QString target = placeholder(QStringLiteral("neu-%1").arg(c.store));
        int writes = 0;
        AtomicWrite::setFaultHook([&](AtomicWrite::Stage at, const QString&) {
            writes += at == AtomicWrite::Stage::Open ? 1 : 0;
            return false;
        });
        const CliRun imported = runHere({"import", target, file}, c.key);
        AtomicWrite::setFaultHook({});
        EXPECT_EQ(imported.exitCode, 0) << c.store << imported.err.toStdString();
        EXPECT_EQ(writes, 1) << c.store;
        const CliRun again = run({"export", target}, c.key);
        EXPECT_EQ(again.exitCode, 0);
        EXPECT_EQ(again.out, exported.out) << c.store;
    }
}

TEST_F(CliImportTest, EachRecognisedLayoutBecomesEntries)
{
    struct Expected {
        QString name;
        const char* user;
        const char* pass;
        const char* web;
        const char* comment;
    };
    struct Case {
        const char* what;
        QByteArray content;
        QList<Expected> entries;
    };
    const Case cases[] = {
        {"group/title, columns moved, TOTP and an extra column",
         "Title,Group,Username,Password,URL,Notes,TOTP,Icon\r\n"
         "Bank,Finanzen,anna,p1,https://bank.example,\"zwei\nZeilen\",JBSWY3DP,7\r\n"
         "Mail,,anna@example.org,p2,,,\r\n",
         {{"Bank", "anna", "p1", "https://bank.example", "zwei\r\nZeilen\r\nGroup: Finanzen\r\nTOTP: JBSWY3DP\r\nIcon: 7"},
          {"Mail", "anna@example.org", "p2", "", ""}}},
        {"folder/login with custom fields",
         "folder,favorite,type,name,notes,fields,reprompt,login_uri,login_username,login_password,login_totp\n"
         "Privat,1,login,Forum,Notiz,\"PIN: 1234\",0,https://forum.example,fan,geheim,otpauth://x\n"
         ",,login,Shop,,,0,https://shop.example,kunde,pw\n",
         {{"Forum", "fan", "geheim", "https://forum.example",
           "Notiz\r\nfolder: Privat\r\nfields: PIN: 1234\r\nlogin_totp: otpauth://x"},
          {"Shop", "kunde", "pw", "https://shop.example", ""}}},
        {"url/username/password: the account from the host",
         "url,username,password,httpRealm,formActionOrigin,guid,timeCreated,timeLastUsed,timePasswordChanged\n"
         "https://www.example.com/login,ich,pw1,,https://www.example.com,{abc},1,2,3\n"
         "https://konto.example.de:8443,du,pw2,Bereich,,{def},1,2,3\n",
         {{"www.example.com", "ich", "pw1", "https://www.example.com/login",
           "formActionOrigin: https://www.example.com"},
          {"konto.example.de", "du", "pw2", "https://konto.example.de:8443", "httpRealm: Bereich"}}},
        {"hostname instead of url",
         "hostname,username,password\nhttps://alt.example,a,b\n",
         {{"alt.example", "a", "b", "https://alt.example", ""}}},
        {"name/url/username/password/note, a short row",
         "name,url,username,password,note\n"
         "Router,http://192.168.0.1,admin,r00t,im Keller\n"
         "NAS,,nas,pw\n",
         {{"Router", "admin", "r00t", "http://192.168.0.1", "im Keller"}, {"NAS", "nas", "pw", "", ""}}},
        {"our own export with a byte order mark and umlauts",
         "\xEF\xBB\xBF" "Account,User,Password,Web,Comment\r\n" + QString::fromUtf8("Bär,jörg,Grüße€,,x\r\n").toUtf8(),
         {{QString::fromUtf8("Bär"), "jörg", "Grüße€", "", "x"}}},
    };
    int n = 0;
    for (const Case& c : cases) {
        const QString target = placeholder(QStringLiteral("layout%1.dat").arg(++n));
        const CliRun r = run({"import", target, csv(QStringLiteral("l%1.csv").arg(n), c.content)}, "abcd\n");
        ASSERT_EQ(r.exitCode, 0) << c.what << ": " << r.err.toStdString();
        StoreSnapshot snapshot;
        ASSERT_TRUE(snapshot.open(target, QStringLiteral("abcd")).ok()) << c.what;
        EXPECT_EQ(snapshot.accounts().size(), c.entries.size()) << c.what;
        for (const Expected& e : c.entries) {
            EXPECT_EQ(snapshot.matchAccount(e.name), e.name) << c.what;
            const AccountEntry entry = snapshot.entry(e.name);
            EXPECT_EQ(entry.User, QString::fromUtf8(e.user)) << c.what;
            EXPECT_EQ(entry.Pass, QString::fromUtf8(e.pass)) << c.what;
            EXPECT_EQ(entry.Web, QString::fromUtf8(e.web)) << c.what;
            EXPECT_EQ(entry.Comment, QString::fromUtf8(e.comment)) << c.what;
        }
    }
}

TEST_F(CliImportTest, ARefusedImportLeavesTheStoreByteIdentical)
{
    const QString path = store("anna.dat");
    const QByteArray before = readAll(path);
    struct Case {
        QByteArray content;
        const char* message;
    };
    const Case cases[] = {
        {"name,url,username,password\nA,,u,p\nB,,u,\xe2\x9c\x93\n",
         "Zeile 3, Feld „Passwort“: enthält Zeichen, die nicht gespeichert werden können (Zeilenumbrüche, "
         "Steuerzeichen oder Zeichen außerhalb von Windows-1252); es wurde nichts importiert."},
        {"Account,User,Password,Web,Comment\nNeu,u,p,,\npost,u,p,,\n",
         "Zeile 3, Feld „Account“: einen Account „post“ gibt es bereits (--rename-duplicates vergibt einen "
         "neuen Namen); es wurde nichts importiert."},
        // Baer would take the section of the listed Bär.
        {"Account,User,Password,Web,Comment\nBaer,u,p,,\n",
         "Zeile 2, Feld „Account“: einen Account „Baer“ gibt es bereits (--rename-duplicates vergibt einen "
         "neuen Namen); es wurde nichts importiert."},
        {"Account,User,Password,Web,Comment\nNeu,u,p,,\nNEU,u,p,,\n",
         "Zeile 3, Feld „Account“: einen Account „NEU“ gibt es bereits (--rename-duplicates vergibt einen "
         "neuen Namen); es wurde nichts importiert."},
        {"Title,Username,Password\nA,u,p\n,u,p\n", "Zeile 3, Feld „Account“: der Name ist leer; es wurde nichts importiert."},
        {"Account,User,Password,Web,Comment\n\"A\nB\",u,p,,\n",
         "Zeile 2, Feld „Account“: enthält Zeichen, die nicht gespeichert werden können (Steuerzeichen, eckige "
         "Klammern oder Zeichen außerhalb von Windows-1252); es wurde nichts importiert."},
        {"url,username,password\nkein host,u,p\n", "Zeile 2, Feld „Account“: der Name ist leer; es wurde nichts importiert."},
        {"Spalte,Andere\n1,2\n", "Das Format der Datei ist unbekannt: die Kopfzeile nennt weder "
                                 "Account,User,Password,Web,Comment noch die Spalten eines bekannten Exports."},
        {"Account,User,Password,Web,Comment\n\"offen,u,p,,\n",
         "Die Datei endet in einem Feld mit offenem Anführungszeichen (ab Zeile 2)."},
        {"Account,User,Password,Web,Comment\nA,\xff,p,,\n", "Die Datei ist kein gültiger UTF-8-Text."},
    };
    int n = 0;
    for (const Case& c : cases) {
        const CliRun r = run({"import", path, csv(QStringLiteral("r%1.csv").arg(++n), c.content)}, "geheim1\n");
        EXPECT_EQ(r.exitCode, 2) << n << r.err.toStdString();
        EXPECT_EQ(r.err, errorLine(QString::fromUtf8(c.message))) << n;
        EXPECT_EQ(readAll(path), before) << n;
    }
    EXPECT_EQ(run({"import", path, m_csv.filePath("fehlt.csv")}, "geheim1\n").exitCode, 2);
    EXPECT_EQ(run({"import", path, csv("w.csv", "Account,User,Password\nA,u,p\n")}, "geheim2\n").exitCode, 1);
    EXPECT_EQ(readAll(path), before);
    EXPECT_EQ(filesIn(m_stores.path()), (QStringList{"anna.dat", "empty.dat", "joerg.dat"}));
}

TEST_F(CliImportTest, RenameDuplicatesGivesTakenNamesANumber)
{
    const QString path = store("anna.dat");
    const CliRun r = run({"import", path,
                          csv("d.csv", "Account,User,Password,Web,Comment\npost,a,1,,\nPost,b,2,,\nBaer,c,3,,\nNeu,d,4,,\n"),
                          "--rename-duplicates"},
                         "geheim1\n");
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    StoreSnapshot snapshot;
    ASSERT_TRUE(snapshot.open(path, QStringLiteral("geheim1")).ok());
    EXPECT_EQ(snapshot.accounts().items(),
              (QStringList{"Baer (2)", QString::fromUtf8("Bär"), "Neu", "Post", "post (2)", "Post (3)"}));
    EXPECT_EQ(snapshot.entry("post (2)").User, QStringLiteral("a"));
    EXPECT_EQ(snapshot.entry("Post (3)").User, QStringLiteral("b"));
    EXPECT_EQ(snapshot.entry("Post").User, QStringLiteral("kunde7"));
    EXPECT_EQ(snapshot.entry(QString::fromUtf8("Bär")).User, QStringLiteral("anna"));
}

} // namespace
