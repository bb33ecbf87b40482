#include "StoreTestUtil.h"

#include "core/IniDocument.h"
#include "store/PlaintextFilter.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace storetest;

namespace {

// Headers in other case, with blanks before them, twice the same name, names that contain others.
const QByteArray kTricky = crlf({
    u"; vor dem ersten Abschnitt"_qs, u"User=nicht hier"_qs,
    u"[main]"_qs, u"Count=2"_qs, u"Account1=Post"_qs, u"Account2=Postamt"_qs,
    u"[Postamt]"_qs, u"User=amt"_qs,
    u"  [POST]"_qs, u"User=erste"_qs, u"Comment=a#§b"_qs,
    u"[Post]"_qs, u"User=zweite"_qs, u"Pass=nur hier"_qs,
    u"[Ärger]"_qs, u"User=ä"_qs,
    u"[Main]"_qs, u"Count=9"_qs,
}) + "[Post ]\nWeb=lf only";

// The rule stated on the parsed lines, as an independent reference for the byte-level work: from a
// line that begins with "[section]" up to the next line that begins with '[', every line goes.
QByteArray referenceWithoutSection(const QByteArray& input, QString section)
{
    if (!section.startsWith(u'['))
        section.prepend(u'[');
    if (!section.endsWith(u']'))
        section.append(u']');
    IniDocument doc = IniDocument::fromBytes(input);
    QStringList kept;
    bool skipping = false;
    for (const QString& line : doc.lines()) {
        if (skipping && line.startsWith(u'['))
            skipping = false;
        if (line.startsWith(section, Qt::CaseSensitive))
            skipping = true;
        if (!skipping)
            kept.append(line);
    }
    doc.setLines(kept);
    return doc.toBytes();
}

} // namespace

TEST(PlaintextFilter, SectionNamedFindsWhatTheWholeDocumentFinds)
{
    const IniDocument whole = IniDocument::fromBytes(kTricky);
    for (const QString& section : {u"Post"_qs, u"post"_qs, u"Postamt"_qs, u"Main"_qs, u"ärger"_qs, u"Fehlt"_qs, u"Post "_qs}) {
        const IniDocument part = IniDocument::fromBytes(PlaintextFilter::sectionNamed(kTricky, section));
        for (const QString& key : {u"User"_qs, u"Pass"_qs, u"Web"_qs, u"Comment"_qs, u"Count"_qs, u"Account2"_qs})
            EXPECT_EQ(part.value(section, key), whole.value(section, key)) << section.toStdString() << "/" << key.toStdString();
    }
    EXPECT_EQ(PlaintextFilter::sectionNamed(kTricky, u"Postamt"_qs), crlf({u"[Postamt]"_qs, u"User=amt"_qs}));
    // Only the first section the reader takes for the name: not one that merely contains it, not a later one.
    EXPECT_EQ(PlaintextFilter::sectionNamed(kTricky, u"post"_qs),
              crlf({u"  [POST]"_qs, u"User=erste"_qs, u"Comment=a#§b"_qs}));
    EXPECT_TRUE(PlaintextFilter::sectionNamed(kTricky, u"Fehlt"_qs).isEmpty());
}

TEST(PlaintextFilter, WithoutSectionMatchesTheDocumentForm)
{
    const QByteArray inputs[] = {
        kTricky,
        crlf({u"[Main]"_qs, u"Count=1"_qs, u"[Post]"_qs, u"x=1"_qs, QString(), u" [Baer]"_qs, u"y=2"_qs, u"[Z]"_qs}),
        QByteArray("[A]\r\nx=1\r\n[B]\ny=2\r\r\n[A]x\nz=3"),
        QByteArray(),
    };
    for (const QByteArray& input : inputs) {
        for (const QString& section : {u"Post"_qs, u"[Post]"_qs, u"POST"_qs, u"Main"_qs, u"A"_qs, u"main"_qs, u"Baer"_qs}) {
            EXPECT_EQ(PlaintextFilter::withoutSection(input, section), referenceWithoutSection(input, section))
                << section.toStdString();
        }
    }
}

TEST(PlaintextFilter, EditSectionGivesTheBytesOfWholeDocumentWrites)
{
    struct Write {
        QString section;
        QString key;
        QString value;
    };
    const QByteArray inputs[] = {
        kTricky,
        QByteArray(),
        QByteArray("\r\n"),
        QByteArray("[Main]\r\nCount=1"),               // last line without its line end
        QByteArray("; nur Kommentar\nohne Ende"),
        crlf({u"[Post]"_qs, u"User=a"_qs, QString(), u"; Notiz"_qs, u"[Baer]"_qs}),
    };
    const QList<Write> writes = {
        {u"Post"_qs, u"User"_qs, u"neu"_qs},        {u"POST"_qs, u"Neu"_qs, u"angehängt"_qs},
        {u"Main"_qs, u"Count"_qs, u"3"_qs},         {u"Main"_qs, u"Account3"_qs, u"Zebra"_qs},
        {u"Zebra"_qs, u"User"_qs, u"z"_qs},         {u"Zebra"_qs, u"Comment"_qs, u"x#§y"_qs},
        {u"Ärger"_qs, u"Pass"_qs, u" mit Blanks "_qs}, {u"Post "_qs, u"Web"_qs, u"w"_qs},
        {u"Postamt"_qs, u"User"_qs, QString()},
    };
    for (const QByteArray& input : inputs) {
        IniDocument whole = IniDocument::fromBytes(input);
        QByteArray spliced = input;
        for (const Write& w : writes) {
            whole.setValue(w.section, w.key, w.value);
            PlaintextFilter::editSection(spliced, w.section, [&](IniDocument& doc) { doc.setValue(w.section, w.key, w.value); });
            ASSERT_EQ(spliced, whole.toBytes()) << input.constData() << " / " << w.section.toStdString() << "." << w.key.toStdString();
        }
    }
}

TEST(PlaintextFilter, EveryRealStoreIsPlausible)
{
    const QByteArray longest = crlf({u"[Lang]"_qs, u"Pass="_qs + QString(2047, u'€'), u"Web="_qs + QString(2047, u'x')});
    const struct {
        const char* what;
        QByteArray plain;
    } cases[] = {
        {"anna", testsupport::readAll(testsupport::fixturePath(u"anna.ini"_qs))},
        {"joerg, umlauts and a comment's lone CR", testsupport::readAll(testsupport::fixturePath(u"joerg.ini"_qs))},
        {"empty store", testsupport::readAll(testsupport::fixturePath(u"empty.ini"_qs))},
        {"placeholder", "\r\n"},
        {"blanks only", " \t\r\n\r\n"},
        {"2047-character values", longest},
        {"10,000 entries", testsupport::generatedStore(10000)},
        // A comment's line breaks are stored as lone CR and LF bytes inside its value.
        {"comment line breaks", "[A]\r\nComment=a\rb\nc\r\n"},
        {"tab in a value", "[A]\r\nx=\t1\r\n"},
        // Ctrl+Backspace puts DEL into a Windows edit box.
        {"DEL in a value", "[A]\r\nPass=ab\x7f" "c\r\n"},
        {"every byte from 0x20 up", "[A]\r\nx=" + [] {
             QByteArray all;
             for (int b = 0x20; b <= 0xFF; ++b)
                 all += static_cast<char>(b);
             return all;
         }() + "\r\n"},
        {"LF line ends, header after blanks", "  [A]\nx=1\n"},
        {"notes before the first section", "Notizen\r\n[Main]\r\nCount=0\r\n"},
        {"last line without line end", "[Main]\r\nCount=0"},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(PlaintextFilter::isPlausible(c.plain)) << c.what;
}

TEST(PlaintextFilter, GarbageIsNotPlausible)
{
    const struct {
        const char* what;
        QByteArray plain;
    } cases[] = {
        {"no section header", "nur Text\r\nohne Abschnitt\r\n"},
        {"bracket not at the line start", "x=[A]\r\n"},
        {"header never closed", "[A\r\nx=1]\r\n"},
        {"control byte", "[A]\r\nx=\x01\r\n"},
        {"escape", "[A]\r\nx=\x1b[0m\r\n"},
        {"NUL", QByteArray("[A]\r\n\0", 6)},
        {"NUL after blanks", QByteArray("  \0", 3)},
        {"random bytes", QByteArray::fromHex("9f3a00c17e5d2b88e4f1a6c3d2b91004")},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(PlaintextFilter::isPlausible(c.plain)) << c.what;

    // Random garbage of every size a wrong key could leave, seeded so a failure can be replayed.
    QRandomGenerator random(14);
    for (int i = 0; i < 2000; ++i) {
        QByteArray garbage(4 * (16 + random.bounded(1000)), Qt::Uninitialized);
        random.fillRange(reinterpret_cast<quint32*>(garbage.data()), garbage.size() / 4);
        EXPECT_FALSE(PlaintextFilter::isPlausible(garbage)) << "garbage " << i;
        EXPECT_FALSE(PlaintextFilter::isPlausible("[Main]\r\n" + garbage)) << "header then garbage " << i;
    }
}
