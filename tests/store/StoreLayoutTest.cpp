#include "StoreTestUtil.h"

#include "core/IniDocument.h"
#include "store/StoreLayout.h"

#include <gtest/gtest.h>

using namespace storetest;

TEST(StoreLayout, ReplaceUmlautsTransliteratesExactlySevenCharacters)
{
    const struct {
        QString name;
        QString section;
    } cases[] = {
        {u"Bär"_qs, u"Baer"_qs},
        {u"ÄÖÜ"_qs, u"AEOEUE"_qs},
        {u"Straße"_qs, u"Strasse"_qs},
        {u"Café"_qs, u"Café"_qs},
        {u"öl ü-Ä"_qs, u"oel ue-AE"_qs},
        {u"Post"_qs, u"Post"_qs},
        {QString(), QString()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReplaceUmlauts(c.name), c.section) << c.name.toStdString();
}

TEST(StoreLayout, LineBreakCodeHasNoEscape)
{
    const QString threeLines = u"eins\r\nzwei\r\ndrei"_qs;
    EXPECT_EQ(EncodeLineBreaks(threeLines), u"eins#§zwei#§drei"_qs);
    EXPECT_EQ(DecodeLineBreaks(EncodeLineBreaks(threeLines)), threeLines);
    // A typed '#' or '§' comes back as a line break.
    EXPECT_EQ(DecodeLineBreaks(u"C# und §5"_qs), u"C\r und \n5"_qs);
    EXPECT_EQ(DecodeLineBreaks(u"#"_qs), u"\r"_qs);
    EXPECT_EQ(EncodeLineBreaks(QString()), QString());
}

TEST(StoreLayout, FilterAccountKeyClassesByWindows1252Code)
{
    const struct {
        char16_t c;
        AccountKeyClass expected;
    } cases[] = {
        {3, AccountKeyClass::PassThrough},   {8, AccountKeyClass::PassThrough},
        {13, AccountKeyClass::PassThrough},  {22, AccountKeyClass::PassThrough},
        {1, AccountKeyClass::Rejected},      {9, AccountKeyClass::Rejected},
        {u' ', AccountKeyClass::Accepted},   {u'!', AccountKeyClass::Accepted},
        {u'&', AccountKeyClass::Accepted},   {u'\'', AccountKeyClass::Accepted},
        {u'(', AccountKeyClass::Accepted},   {u')', AccountKeyClass::Accepted},
        {u'+', AccountKeyClass::Accepted},   {u'-', AccountKeyClass::Accepted},
        {u'.', AccountKeyClass::Accepted},   {u'"', AccountKeyClass::Rejected},
        {u'#', AccountKeyClass::Rejected},   {u'$', AccountKeyClass::Rejected},
        {u'%', AccountKeyClass::Rejected},   {u'*', AccountKeyClass::Rejected},
        {u',', AccountKeyClass::Rejected},   {u'/', AccountKeyClass::Rejected},
        {u'0', AccountKeyClass::Accepted},   {u'9', AccountKeyClass::Accepted},
        {u':', AccountKeyClass::Rejected},   {u';', AccountKeyClass::Rejected},
        {u'<', AccountKeyClass::Rejected},   {u'=', AccountKeyClass::Rejected},
        {u'>', AccountKeyClass::Rejected},   {u'?', AccountKeyClass::Accepted},
        {u'@', AccountKeyClass::Accepted},   {u'Z', AccountKeyClass::Accepted},
        {u'[', AccountKeyClass::Rejected},   {u'\\', AccountKeyClass::Rejected},
        {u']', AccountKeyClass::Rejected},   {u'^', AccountKeyClass::Rejected},
        {u'_', AccountKeyClass::Accepted},   {u'~', AccountKeyClass::Accepted},
        {u'ä', AccountKeyClass::Accepted},   {u'€', AccountKeyClass::Accepted},
        {u'ß', AccountKeyClass::Accepted},
        // Outside Windows-1252: it could not be stored, so it is not accepted.
        {u'ł', AccountKeyClass::Rejected},   {u'Ω', AccountKeyClass::Rejected},
        {0x4E2D, AccountKeyClass::Rejected},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FilterAccountKey(QChar(c.c)), c.expected) << int(c.c);

    qint16 code = ';';
    FilterAccountKey(code);
    EXPECT_EQ(code, 0);
    code = 0xE4;  // ä
    FilterAccountKey(code);
    EXPECT_EQ(code, 0xE4);
    code = 0x80;  // € in Windows-1252
    FilterAccountKey(code);
    EXPECT_EQ(code, 0x80);
    code = 300;
    FilterAccountKey(code);
    EXPECT_EQ(code, 0);
}

TEST(StoreLayout, InvalidCharactersAreFound)
{
    EXPECT_EQ(findInvalidAccountNameChar(u"Bär & Co. (alt)"_qs), -1);
    EXPECT_EQ(findInvalidAccountNameChar(u"a]b"_qs), 1);
    EXPECT_EQ(findInvalidAccountNameChar(u"[x"_qs), 0);
    EXPECT_EQ(findInvalidAccountNameChar(u"a\tb"_qs), 1);
    EXPECT_EQ(findInvalidAccountNameChar(u"Łódź"_qs), 0);
    EXPECT_EQ(findInvalidValueChar(u"p#ss=§ ok"_qs), -1);
    EXPECT_EQ(findInvalidValueChar(u"zwei\nZeilen"_qs), 4);
    EXPECT_EQ(findInvalidValueChar(u"x\ry"_qs), 1);
    EXPECT_EQ(findInvalidCommentChar(u"a\r\nb"_qs), -1);
    EXPECT_EQ(findInvalidCommentChar(u"a\u263A"_qs), 1);
}

namespace {

const QStringList kThreeSections = {
    u"[Main]"_qs, u"Count=2"_qs, u"Account1=Post"_qs, u"Account2=Bär"_qs,
    u"[Post]"_qs, u"User=kunde7"_qs, u"Pass=x"_qs, QString(),
    u"[Baer]"_qs, u"User=anna"_qs,
};

} // namespace

TEST(StoreLayout, DeleteIniSectionInText)
{
    const struct {
        const char* what;
        QByteArray input;
        QString section;
        QByteArray expected;
    } cases[] = {
        {"middle section with its blank line", crlf(kThreeSections), u"Post"_qs,
         crlf({u"[Main]"_qs, u"Count=2"_qs, u"Account1=Post"_qs, u"Account2=Bär"_qs, u"[Baer]"_qs, u"User=anna"_qs})},
        {"brackets given", crlf(kThreeSections), u"[Post]"_qs,
         crlf({u"[Main]"_qs, u"Count=2"_qs, u"Account1=Post"_qs, u"Account2=Bär"_qs, u"[Baer]"_qs, u"User=anna"_qs})},
        {"last section drops everything after its header", crlf(kThreeSections) + "; note\r\n\r\n", u"Baer"_qs,
         crlf({u"[Main]"_qs, u"Count=2"_qs, u"Account1=Post"_qs, u"Account2=Bär"_qs, u"[Post]"_qs, u"User=kunde7"_qs,
               u"Pass=x"_qs, QString()})},
        {"header comparison counts case", crlf(kThreeSections), u"post"_qs, crlf(kThreeSections)},
        {"absent section: same lines, every one with CR LF", "[Main]\nCount=0\r\n[A]\r\nUser=u", u"Zz"_qs,
         "[Main]\r\nCount=0\r\n[A]\r\nUser=u\r\n"},
        {"every section whose header begins with it", crlf({u"[A]"_qs, u"x=1"_qs, u"[B]"_qs, u"[A] "_qs, u"y=2"_qs, u"[C]"_qs}),
         u"A"_qs, crlf({u"[B]"_qs, u"[C]"_qs})},
    };
    for (const auto& c : cases) {
        QByteArray text = c.input;
        DeleteIniSection(c.section, text);
        EXPECT_EQ(text, c.expected) << c.what;
    }
}

TEST(StoreLayout, DeleteIniSectionOnAStoresText)
{
    // A store's text as the file holds it: the section goes, the list and the other entry stay.
    QByteArray text = crlf(kThreeSections);
    DeleteIniSection(u"Post"_qs, text);
    EXPECT_EQ(text,
              crlf({u"[Main]"_qs, u"Count=2"_qs, u"Account1=Post"_qs, u"Account2=Bär"_qs, u"[Baer]"_qs, u"User=anna"_qs}));
    // Dropping it again changes nothing; an empty text stays empty.
    const QByteArray once = text;
    DeleteIniSection(u"Post"_qs, text);
    EXPECT_EQ(text, once);
    QByteArray empty;
    DeleteIniSection(u"Post"_qs, empty);
    EXPECT_TRUE(empty.isEmpty());
}

TEST(StoreLayout, ReadListSectionFollowsCount)
{
    const QStringList tail = {u"Account1=A"_qs, u"Account2=B"_qs, u"Account3=C"_qs};
    const struct {
        QString countLine;  // empty: no Count key
        qint16 stored;
        QStringList names;
    } cases[] = {
        {u"Count=2abc"_qs, 2, {u"A"_qs, u"B"_qs}},
        {u"Count=3"_qs, 3, {u"A"_qs, u"B"_qs, u"C"_qs}},
        {u"Count=2"_qs, 2, {u"A"_qs, u"B"_qs}},
        {u"Count="_qs, 0, {}},
        {QString(), 0, {}},
        {u"Count=0"_qs, 0, {}},
        {u"Count=-2"_qs, 0, {}},
        {u"Count=zwei"_qs, 0, {}},
        {u"Count=9"_qs, 9, {u"A"_qs, u"B"_qs, u"C"_qs}},
        // Read by the settings' rule: no exponent, and a count beyond 16 bits is the largest one.
        {u"Count=1D2"_qs, 1, {u"A"_qs}},
        {u"Count=2e1"_qs, 2, {u"A"_qs, u"B"_qs}},
        {u"Count=2.5"_qs, 2, {u"A"_qs, u"B"_qs}},
        {u"Count=99999"_qs, 32767, {u"A"_qs, u"B"_qs, u"C"_qs}},
    };
    for (const auto& c : cases) {
        QStringList lines = {u"[Main]"_qs};
        if (!c.countLine.isEmpty())
            lines << c.countLine;
        const IniDocument doc = IniDocument::fromBytes(crlf(lines + tail));
        QStringList names;
        EXPECT_EQ(readListSection(doc, names), c.stored) << c.countLine.toStdString();
        EXPECT_EQ(names, c.names) << c.countLine.toStdString();
    }

    const IniDocument gap = IniDocument::fromBytes(crlf({u"[Main]"_qs, u"Count=3"_qs, u"Account1=Post"_qs, u"Account2="_qs, u"Account3=Bär"_qs}));
    QStringList names;
    EXPECT_EQ(readListSection(gap, names), 3);
    EXPECT_EQ(names, QStringList({u"Post"_qs, u"Bär"_qs}));

    const IniDocument none = IniDocument::fromBytes(crlf({u"[Baer]"_qs, u"User=x"_qs}));
    EXPECT_EQ(readListSection(none, names), 0);
    EXPECT_TRUE(names.isEmpty());
}

TEST(StoreLayout, ReadAccountEntryUsesSectionOfTransliteratedNameAndDecodesComment)
{
    const IniDocument doc = IniDocument::fromBytes(testsupport::readAll(testsupport::fixturePath(u"anna.ini"_qs)));
    const AccountEntry baer = readAccountEntry(doc, u"Bär"_qs);
    EXPECT_EQ(baer.User, u"anna"_qs);
    EXPECT_EQ(baer.Comment, u"Zeile 1\r\nZeile 2"_qs);
    EXPECT_EQ(readAccountEntry(doc, u"POST"_qs).User, u"kunde7"_qs);  // sections match without case
    EXPECT_EQ(readAccountEntry(doc, u"Fehlt"_qs), AccountEntry());
}
