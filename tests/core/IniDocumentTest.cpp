#include "core/IniDocument.h"

#include "support/QtPrinters.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

#include <functional>
#include <vector>

namespace {

QByteArray cp(const char* bytes)
{
    return QByteArray(bytes);
}

struct Write {
    QString section;
    QString key;
    QString value;
};

IniDocument applied(const QByteArray& start, const std::vector<Write>& writes)
{
    IniDocument doc = IniDocument::fromBytes(start);
    for (const Write& w : writes)
        doc.setValue(w.section, w.key, w.value);
    return doc;
}

} // namespace

TEST(IniDocument, ReadsValuesAsTheProfileReaderDoes)
{
    struct Case {
        const char* what;
        QByteArray file;
        QString section;
        QString key;
        QString expected;
    };
    const QString longValue(3000, QLatin1Char('x'));
    const Case cases[] = {
        {"plain", cp("[A]\r\nk=v\r\n"), "A", "k", "v"},
        {"umlaut section upper vs lower", cp("[\xC4RGER]\r\nk=1\r\n"), QStringLiteral("ärger"), "K", "1"},
        {"umlaut section lower vs upper", cp("[\xE4rger]\r\nk=1\r\n"), QStringLiteral("ÄRGER"), "k", "1"},
        {"umlaut key", cp("[A]\r\nS\xFC\xDF=1\r\n"), "a", QStringLiteral("SÜß"), "1"},
        {"s caron and y diaeresis fold", cp("[\x9A\xFF]\r\nk=1\r\n"), QStringLiteral("ŠŸ"), "k", "1"},
        {"sharp s is not SS", cp("[Stra\xDF" "e]\r\nk=1\r\n"), "STRASSE", "k", ""},
        {"first of duplicate sections wins", cp("[A]\r\nk=1\r\n[a]\r\nk=2\r\nj=3\r\n"), "A", "k", "1"},
        {"keys of a later duplicate section are not seen", cp("[A]\r\nk=1\r\n[a]\r\nj=3\r\n"), "A", "j", ""},
        {"first of duplicate keys wins", cp("[A]\r\nk=1\r\nK=2\r\n"), "A", "k", "1"},
        {"blanks around key and value", cp("[A]\r\n \tkey \t= \t value x \t\r\n"), "A", "key", "value x"},
        {"blanks around the section name", cp("  [  Main\t]  \r\nk=1\r\n"), "Main", "k", "1"},
        {"blanks around the requested names", cp("[Main]\r\nk=1\r\n"), " Main ", " k ", "1"},
        {"double quotes dropped", cp("[A]\r\nk=\"a b\"\r\n"), "A", "k", "a b"},
        {"single quotes dropped", cp("[A]\r\nk='x'\r\n"), "A", "k", "x"},
        {"quotes inside blanks dropped", cp("[A]\r\nk=  \" x \"  \r\n"), "A", "k", " x "},
        {"unmatched quotes kept", cp("[A]\r\nk=\"x'\r\n"), "A", "k", "\"x'"},
        {"a lone quote kept", cp("[A]\r\nk=\"\r\n"), "A", "k", "\""},
        {"only one pair dropped", cp("[A]\r\nk=\"\"x\"\"\r\n"), "A", "k", "\"x\""},
        {"empty double quotes are the empty value", cp("[A]\r\nk=\"\"\r\n"), "A", "k", ""},
        {"empty single quotes are the empty value", cp("[A]\r\nk=''\r\n"), "A", "k", ""},
        {"empty quotes inside blanks", cp("[A]\r\nk= \"\" \r\n"), "A", "k", ""},
        {"three quotes keep the middle one", cp("[A]\r\nk=\"\"\"\r\n"), "A", "k", "\""},
        {"later equals signs belong to the value", cp("[A]\r\nk=a=b\r\n"), "A", "k", "a=b"},
        {"empty value", cp("[A]\r\nk=\r\n"), "A", "k", ""},
        {"missing key", cp("[A]\r\nk=1\r\n"), "A", "j", ""},
        {"missing section", cp("[A]\r\nk=1\r\n"), "B", "k", ""},
        {"lines before the first section ignored", cp("k=1\r\n[A]\r\nj=2\r\n"), "", "k", ""},
        {"line without equals sign is no key", cp("[A]\r\njunk\r\nk=1\r\n"), "A", "junk", ""},
        {"line without equals sign does not hide later keys", cp("[A]\r\njunk\r\nk=1\r\n"), "A", "k", "1"},
        {"LF line ends", cp("[A]\nk=1\nj=2"), "A", "j", "2"},
        {"no line end on the last line", cp("[A]\r\nk=1"), "A", "k", "1"},
        {"closing bracket inside a section name", cp("[a]b]\r\nk=1\r\n"), "A]B", "k", "1"},
        {"header without closing bracket", cp("[abc\r\nk=1\r\n"), "abc", "k", "1"},
        {"code page bytes decoded", cp("[A]\r\nk=B\xE4r \x80\xA7\r\n"), "A", "k", QStringLiteral("Bär €§")},
        {"value cut to 2047 characters", "[A]\r\nk=" + longValue.toLatin1() + "\r\n", "A", "k", longValue.left(2047)},
        {"value of exactly 2047 characters kept", "[A]\r\nk=" + longValue.left(2047).toLatin1() + "\r\n", "A", "k",
         longValue.left(2047)},
    };
    for (const Case& c : cases) {
        const IniDocument doc = IniDocument::fromBytes(c.file);
        EXPECT_EQ(doc.value(c.section, c.key), c.expected) << c.what;
    }
}

TEST(IniDocument, NumberedValuesReadAsSingleLookupsDo)
{
    const IniDocument doc = IniDocument::fromBytes(
        cp("[Main]\r\n ACCOUNT1 = a \r\naccount2=\"b\"\r\nAccount2=x\r\nAccount03=c\r\nAccount 1=spaced\r\n"
           "1=one\r\n[main]\r\nAccount4=late\r\n"));
    struct Case {
        const char* what;
        QString section;
        QString prefix;
        int count;
        QStringList expected;
    };
    const Case cases[] = {
        {"case, blanks, quotes, first key; 03 is no 3; a later section is not seen", "MAIN", "Account", 4,
         {"a", "b", "", ""}},
        {"blanks before the prefix are dropped", "Main", " \taccount", 2, {"a", "b"}},
        {"a blank at the prefix's end stays inside the name", "Main", "Account ", 2, {"spaced", ""}},
        {"an empty prefix reads the bare numbers", "Main", "", 1, {"one"}},
        {"missing section", "Other", "Account", 2, {"", ""}},
        {"nothing asked", "Main", "Account", 0, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(doc.numberedValues(c.section, c.prefix, c.count), c.expected) << c.what;
        for (int n = 1; n <= c.count; ++n)
            EXPECT_EQ(doc.value(c.section, c.prefix + QString::number(n)), c.expected.at(n - 1)) << c.what << n;
    }
    EXPECT_TRUE(IniDocument().numberedValues("Main", "Account", -1).isEmpty());
}

TEST(IniDocument, WritesWhereTheProfileWriterWrites)
{
    struct Case {
        const char* what;
        QByteArray start;
        std::vector<Write> writes;
        QByteArray expected;
    };
    const Case cases[] = {
        {"new file", {}, {{"S", "k", "v"}}, cp("[S]\r\nk=v\r\n")},
        {"empty value keeps the key line", {}, {{"S", "k", ""}}, cp("[S]\r\nk=\r\n")},
        {"missing section appended without blank line", cp("[A]\r\nk=1\r\n"), {{"B", "j", "2"}},
         cp("[A]\r\nk=1\r\n[B]\r\nj=2\r\n")},
        {"missing key after the last key line, before blank lines and later sections",
         cp("[A]\r\nk=1\r\n\r\n[B]\r\nx=1\r\n"), {{"A", "j", "2"}}, cp("[A]\r\nk=1\r\nj=2\r\n\r\n[B]\r\nx=1\r\n")},
        {"missing key after the last key line, past lines without equals sign",
         cp("[A]\r\nnote\r\nk=1\r\nnote\r\n[B]\r\n"), {{"A", "j", "2"}},
         cp("[A]\r\nnote\r\nk=1\r\nj=2\r\nnote\r\n[B]\r\n")},
        {"missing key in a section without keys goes under its header", cp("[A]\r\n\r\n[B]\r\nx=1\r\n"),
         {{"A", "k", "1"}}, cp("[A]\r\nk=1\r\n\r\n[B]\r\nx=1\r\n")},
        {"existing key replaced in place, other lines keep their bytes",
         cp("; note\n[A]\n  K = 1 \nz=2\n[B]\r\nK=3\r\n"), {{"a", "k", "9"}},
         cp("; note\n[A]\nK=9\nz=2\n[B]\r\nK=3\r\n")},
        {"names keep the case first written", cp("[Main]\r\nCount=1\r\n"), {{"MAIN", "COUNT", "2"}, {"MAIN", "NEW", "x"}},
         cp("[Main]\r\nCount=2\r\nNEW=x\r\n")},
        {"umlaut names match when writing", cp("[\xC4rger]\r\nk=1\r\n"), {{QStringLiteral("äRGER"), "K", "2"}},
         cp("[\xC4rger]\r\nk=2\r\n")},
        {"first of duplicate sections and keys is written", cp("[A]\r\nk=1\r\nk=5\r\n[a]\r\nk=2\r\n"),
         {{"A", "k", "3"}, {"A", "j", "4"}}, cp("[A]\r\nk=3\r\nk=5\r\nj=4\r\n[a]\r\nk=2\r\n")},
        {"line end added to a last line without one (key)", cp("[A]\r\nk=1"), {{"A", "j", "2"}},
         cp("[A]\r\nk=1\r\nj=2\r\n")},
        {"line end added to a last line without one (section)", cp("[A]\r\nk=1"), {{"B", "j", "2"}},
         cp("[A]\r\nk=1\r\n[B]\r\nj=2\r\n")},
        {"line end added to a bare last header", cp("[A]"), {{"A", "k", "1"}}, cp("[A]\r\nk=1\r\n")},
        {"lines before the first section stay in front", cp("k=1\r\n"), {{"A", "k", "2"}}, cp("k=1\r\n[A]\r\nk=2\r\n")},
        {"placeholder of one empty line", cp("\r\n"), {{"Main", "Count", "1"}}, cp("\r\n[Main]\r\nCount=1\r\n")},
        {"replacing keeps a missing last line end", cp("[A]\r\nk=1"), {{"A", "k", "22"}}, cp("[A]\r\nk=22")},
        {"names trimmed when written", {}, {{" S ", " k ", "v"}}, cp("[S]\r\nk=v\r\n")},
        {"characters outside the code page become question marks", {}, {{"S", "k", QStringLiteral("a\u0416€")}},
         cp("[S]\r\nk=a?\x80\r\n")},
        {"a line break in a value cannot plant a section", {}, {{"S", "k", "a\r\n[X]\nb"}},
         cp("[S]\r\nk=a  [X] b\r\n")},
        {"a value the reader would change is protected by quotes", {},
         {{"S", "a", " pw "}, {"S", "b", "\"q\""}, {"S", "c", "'"}, {"S", "d", "x \"y\""}},
         cp("[S]\r\na=\" pw \"\r\nb=\"\"q\"\"\r\nc='\r\nd=x \"y\"\r\n")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(applied(c.start, c.writes).toBytes(), c.expected) << c.what;
}

TEST(IniDocument, ValuesReadBackAsWritten)
{
    const QString values[] = {
        "plain", "", " leading", "trailing\t", "  ", "\"quoted\"", "'single'", "\"", "''", "a=b=c", "[Main]",
        QStringLiteral("Grüße § €"), QStringLiteral("#§"), "\"mixed'",
    };
    IniDocument doc;
    for (const QString& v : values) {
        doc.setValue("S", "k", v);
        EXPECT_EQ(doc.value("S", "k"), v) << v.toStdString();
    }
    // The same through the bytes on disk.
    for (const QString& v : values) {
        doc.setValue("S", "k", v);
        EXPECT_EQ(IniDocument::fromBytes(doc.toBytes()).value("S", "k"), v) << v.toStdString();
    }
}

TEST(IniDocument, StoreWrittenKeyByKeyHasTheFixtureBytes)
{
    // The order in which two new entries write their keys: list section first, then the entry.
    const std::vector<Write> writes = {
        {"Main", "Count", "1"},
        {"Main", "Account1", QStringLiteral("Bär")},
        {"Baer", "User", "anna"},
        {"Baer", "Pass", ""},
        {"Baer", "Web", ""},
        {"Baer", "Comment", QStringLiteral("Zeile 1#§Zeile 2")},
        {"Main", "Count", "2"},
        {"Main", "Account2", "Post"},
        {"Post", "User", "kunde7"},
        {"Post", "Pass", ""},
        {"Post", "Web", ""},
        {"Post", "Comment", ""},
    };
    const QByteArray anna = testsupport::readAll(testsupport::fixturePath("anna.ini"));
    ASSERT_FALSE(anna.isEmpty());
    EXPECT_EQ(applied({}, writes).toBytes(), anna);

    const QByteArray joerg = testsupport::readAll(testsupport::fixturePath("joerg.ini"));
    ASSERT_FALSE(joerg.isEmpty());
    const IniDocument read = IniDocument::fromBytes(joerg);
    EXPECT_EQ(read.toBytes(), joerg);
    EXPECT_EQ(read.value("main", "account1"), QStringLiteral("Straße"));
    EXPECT_EQ(read.value("STRASSE", "PASS"), QStringLiteral("Grüße§!"));
    EXPECT_EQ(read.value("Strasse", "Comment"), QStringLiteral("Tür #1"));
    EXPECT_EQ(applied({}, {{"Main", "Count", "1"},
                           {"Main", "Account1", QStringLiteral("Straße")},
                           {"Strasse", "User", QStringLiteral("jörg")},
                           {"Strasse", "Pass", QStringLiteral("Grüße§!")},
                           {"Strasse", "Web", "www.example.de"},
                           {"Strasse", "Comment", QStringLiteral("Tür #1")}})
                  .toBytes(),
              joerg);
}

TEST(IniDocument, LinesRemoveASectionAndReindex)
{
    const QByteArray anna = testsupport::readAll(testsupport::fixturePath("anna.ini"));
    IniDocument doc = IniDocument::fromBytes(anna);
    const QStringList lines = doc.lines();
    ASSERT_EQ(lines.size(), 14);
    EXPECT_EQ(lines[2], QStringLiteral("Account1=Bär"));

    QStringList kept;
    bool inBaer = false;
    for (const QString& line : lines) {
        if (line.startsWith('['))
            inBaer = line == "[Baer]";
        if (!inBaer)
            kept.append(line);
    }
    doc.setLines(kept);
    EXPECT_FALSE(doc.hasSection("baer"));
    EXPECT_TRUE(doc.hasSection("POST"));
    EXPECT_EQ(doc.value("Post", "User"), "kunde7");
    EXPECT_EQ(doc.toBytes(), cp("[Main]\r\nCount=2\r\nAccount1=B\xE4r\r\nAccount2=Post\r\n[Post]\r\nUser=kunde7\r\n"
                                "Pass=\r\nWeb=\r\nComment=\r\n"));
    // The index is live again: a new key lands at the end of its section, a new section at the end.
    doc.setValue("Main", "Account3", "Neu");
    doc.setValue("Baer", "User", "b");
    EXPECT_EQ(doc.lines().mid(3, 2), QStringList({"Account2=Post", "Account3=Neu"}));
    EXPECT_EQ(doc.lines().last(2), QStringList({"[Baer]", "User=b"}));

    // Every line comes back with CR LF, a last line without one included; empty lines stay lines.
    doc.setLines({"[A]", "", "k=1"});
    EXPECT_EQ(doc.toBytes(), cp("[A]\r\n\r\nk=1\r\n"));
    doc.setLines({"[A]\nk=2"});
    EXPECT_EQ(doc.value("A", "k"), "2");
    EXPECT_EQ(IniDocument::fromBytes(cp("a\r\nb")).lines(), QStringList({"a", "b"}));
    EXPECT_EQ(IniDocument::fromBytes(cp("\r\n")).lines(), QStringList({""}));
    EXPECT_TRUE(IniDocument::fromBytes({}).lines().isEmpty());
}

TEST(IniDocument, BinaryGarbageNeitherCrashesNorChanges)
{
    QRandomGenerator rng(1252);
    for (int round = 0; round < 200; ++round) {
        // Biased towards the bytes the parser cares about.
        static const char kSpecial[] = {'\0', '\r', '\n', '[', ']', '=', ' ', '\t', '"', '\''};
        QByteArray bytes(rng.bounded(1, 400), Qt::Uninitialized);
        for (char& b : bytes)
            b = rng.bounded(3) == 0 ? kSpecial[rng.bounded(int(sizeof kSpecial))] : char(rng.bounded(256));
        IniDocument doc = IniDocument::fromBytes(bytes);
        ASSERT_EQ(doc.toBytes(), bytes) << "round " << round;
        (void)doc.value("A", "k");
        (void)doc.lines();
        doc.setValue("Tarvenic Keywarden", "CompactMode", "1");
        EXPECT_EQ(doc.value("tarvenic keywarden", "compactmode"), "1") << "round " << round;
        EXPECT_EQ(IniDocument::fromBytes(doc.toBytes()).value("Tarvenic Keywarden", "CompactMode"), "1");
    }
}

TEST(IniDocument, CopiesAreIndependentAndMovedFromIsEmpty)
{
    IniDocument a = IniDocument::fromBytes(cp("[A]\r\nk=1\r\n"));
    IniDocument b = a;
    b.setValue("A", "k", "2");
    EXPECT_EQ(a.value("A", "k"), "1");
    EXPECT_EQ(b.value("A", "k"), "2");

    IniDocument c = std::move(b);
    EXPECT_EQ(c.value("A", "k"), "2");
    EXPECT_TRUE(b.toBytes().isEmpty()); // NOLINT(bugprone-use-after-move): moved-from must stay usable
    b.setValue("B", "j", "3");
    EXPECT_EQ(b.toBytes(), cp("[B]\r\nj=3\r\n"));

    c.clear();
    EXPECT_TRUE(c.toBytes().isEmpty());
    EXPECT_FALSE(c.hasSection("A"));
}

TEST(IniDocument, BatchWritesGiveTheBytesOfSingleWrites)
{
    // Values the writer has to quote or flatten, and names it trims.
    const std::vector<std::pair<QString, QString>> values = {
        {"User", " blank vorn"}, {"Pass", "hinten "}, {"Web", "\"zitiert\""}, {"Comment", "'a'"},
        {" Leer ", ""},          {"Zeilen", "a\r\nb\nc"}, {"Umlaut", "Grüße €"}, {"Gleich", "a=b"}};

    IniDocument single = IniDocument::fromBytes(cp("[Main]\r\nCount=1"));
    QByteArray appended = single.toBytes();
    appended += "\r\n";
    for (const char* section : {" Neu ", "Zwei]"}) {
        for (const auto& [key, value] : values)
            single.setValue(section, key, value);
    }
    IniDocument::appendNewSection(appended, " Neu ", {values[0], values[1], values[2], values[3], values[4],
                                                       values[5], values[6], values[7]});
    IniDocument::appendNewSection(appended, "Zwei]", {values[0], values[1], values[2], values[3], values[4],
                                                       values[5], values[6], values[7]});
    EXPECT_EQ(appended, single.toBytes());

    // setValues replaces existing keys in place, appends the others after the last key and creates a
    // missing section, as one setValue after the other does.
    const QByteArray start = cp("[Main]\r\nCount=1\r\nAccount1=x\r\nAccount3=alt\r\n\r\n[B]\r\nk=1");
    const QList<std::pair<QString, QString>> list = {
        {"Count", "3"}, {"Account2", " y"}, {"ACCOUNT3", "z"}, {"Account4", "w\r\n"}};
    for (const QString& section : {QString("main"), QString("Neu")}) {
        IniDocument one = IniDocument::fromBytes(start);
        for (const auto& [key, value] : list)
            one.setValue(section, key, value);
        IniDocument batch = IniDocument::fromBytes(start);
        batch.setValues(section, list);
        EXPECT_EQ(batch.toBytes(), one.toBytes()) << section.toStdString();
    }
}
