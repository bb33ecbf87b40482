#include "core/Cp1252.h"
#include "crypto/clsBlowfish.h"
#include "crypto/modCrypt.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using Arrangement = clsBlowfish::SBoxArrangement;

// Every table word of an object, so two schedules can be compared whole.
std::vector<uint32_t> tables(const clsBlowfish& cipher)
{
    std::vector<uint32_t> words;
    for (int i = 0; i < 18; ++i)
        words.push_back(cipher.pWord(i));
    for (int box = 0; box < 4; ++box)
        for (int e = 0; e < 256; ++e)
            words.push_back(cipher.sboxWord(box, e));
    return words;
}

std::vector<uint32_t> tablesForKey(const QString& key)
{
    clsBlowfish cipher;
    cipher.setKey(key);
    return tables(cipher);
}

std::string hex64(uint32_t l, uint32_t r)
{
    char text[17];
    std::snprintf(text, sizeof text, "%08X%08X", l, r);
    return text;
}

} // namespace

TEST(BlowfishTables, StartWithTheTellingValues)
{
    const clsBlowfish cipher;
    EXPECT_EQ(cipher.pWord(0), 0x243F6A88u);
    EXPECT_EQ(cipher.pWord(17), 0x8979FB1Bu);

    struct Case { int box; int entry; uint32_t value; };
    const Case cases[] = {
        {0, 0, 0xD1310BA6}, {1, 0, 0x98DFB5AC}, {2, 0, 0x2FFD72DB}, {3, 0, 0xD01ADFB7},
        {0, 1, 0xB8E1AFED}, {0, 64, 0x4B7A70E9}, {0, 128, 0xE93D5A68}, {0, 192, 0x3A39CE37},
        {3, 255, 0x3AC372E6},
    };
    for (const Case& c : cases)
        EXPECT_EQ(cipher.sboxWord(c.box, c.entry), c.value) << c.box << "," << c.entry;
}

TEST(BlowfishTables, ArrangementsShareOnlyFourPlaces)
{
    const clsBlowfish ours;
    const clsBlowfish published(Arrangement::Published);
    EXPECT_EQ(published.sboxWord(1, 0), 0x4B7A70E9u);
    EXPECT_EQ(published.sboxWord(0, 1), 0x98DFB5ACu);
    int same = 0;
    for (int box = 0; box < 4; ++box) {
        for (int e = 0; e < 256; ++e) {
            if (ours.sboxWord(box, e) == published.sboxWord(box, e)) {
                ++same;
                EXPECT_EQ(e, 85 * box);
            }
        }
    }
    EXPECT_EQ(same, 4);
    for (int i = 0; i < 18; ++i)
        EXPECT_EQ(ours.pWord(i), published.pWord(i));
}

TEST(BlowfishBlock, ZeroBlockUnderTheInitialTables)
{
    struct Case { Arrangement arrangement; uint32_t l; uint32_t r; };
    const Case cases[] = {
        {Arrangement::RoundRobin, 0xF155B7CF, 0xC1E56C7B},
        {Arrangement::Published, 0x706D9FCC, 0x1792D23A},
    };
    for (const Case& c : cases) {
        const clsBlowfish cipher(c.arrangement);
        uint32_t l = 0;
        uint32_t r = 0;
        cipher.EncryptBlock(l, r);
        EXPECT_EQ(hex64(l, r), hex64(c.l, c.r));
        cipher.DecryptBlock(l, r);
        EXPECT_EQ(hex64(l, r), hex64(0, 0));
    }
}

TEST(BlowfishBlock, PublishedArrangementReproducesThePublishedVectors)
{
    struct Case { const char* key; uint32_t pl; uint32_t pr; uint32_t cl; uint32_t cr; };
    const Case cases[] = {
        {"0000000000000000", 0x00000000, 0x00000000, 0x4EF99745, 0x6198DD78},
        {"FFFFFFFFFFFFFFFF", 0xFFFFFFFF, 0xFFFFFFFF, 0x51866FD5, 0xB85ECB8A},
        {"3000000000000000", 0x10000000, 0x00000001, 0x7D856F9A, 0x613063F2},
        {"1111111111111111", 0x11111111, 0x11111111, 0x2466DD87, 0x8B963C9D},
        {"0123456789ABCDEF", 0x11111111, 0x11111111, 0x61F9C380, 0x2281B096},
        {"FEDCBA9876543210", 0x01234567, 0x89ABCDEF, 0x0ACEAB0F, 0xC6A0A28D},
        {"7CA110454A1A6E57", 0x01A1D6D0, 0x39776742, 0x59C68245, 0xEB05282B},
    };
    for (const Case& c : cases) {
        // The vectors use raw key bytes; the code page maps every byte to one character and back.
        const QString key = Cp1252::decode(QByteArray::fromHex(c.key));
        ASSERT_EQ(Cp1252::encode(key), QByteArray::fromHex(c.key));

        clsBlowfish published(Arrangement::Published);
        published.setKey(key);
        uint32_t l = c.pl;
        uint32_t r = c.pr;
        published.EncryptBlock(l, r);
        EXPECT_EQ(hex64(l, r), hex64(c.cl, c.cr)) << c.key;
        published.DecryptBlock(l, r);
        EXPECT_EQ(hex64(l, r), hex64(c.pl, c.pr)) << c.key;

        clsBlowfish ours;
        ours.setKey(key);
        l = c.pl;
        r = c.pr;
        ours.EncryptBlock(l, r);
        EXPECT_NE(hex64(l, r), hex64(c.cl, c.cr)) << c.key;
        ours.DecryptBlock(l, r);
        EXPECT_EQ(hex64(l, r), hex64(c.pl, c.pr)) << c.key;
    }
}

TEST(BlowfishKey, SameKeyTwiceSchedulesOnce)
{
    clsBlowfish cipher;
    cipher.setKey(QStringLiteral("geheim1"));
    const auto once = tables(cipher);
    cipher.setKey(QStringLiteral("geheim1"));
    EXPECT_EQ(tables(cipher), once);
    // The comparison is exact: another case is another key, and it builds on the tables above.
    cipher.setKey(QStringLiteral("Geheim1"));
    EXPECT_NE(tables(cipher), once);
}

TEST(BlowfishKey, EmptyKeyOnAFreshObjectKeepsTheInitialTables)
{
    clsBlowfish cipher;
    const auto initial = tables(cipher);
    cipher.setKey(QString());
    EXPECT_EQ(tables(cipher), initial);
    uint32_t l = 0;
    uint32_t r = 0;
    cipher.EncryptBlock(l, r);
    EXPECT_EQ(hex64(l, r), hex64(0xF155B7CF, 0xC1E56C7B));
}

TEST(BlowfishKey, LaterKeysBuildOnTheTablesLeftBefore)
{
    clsBlowfish rekeyed;
    rekeyed.setKey(QStringLiteral("erster"));
    const auto afterFirst = tables(rekeyed);
    rekeyed.setKey(QStringLiteral("zweiter"));
    EXPECT_NE(tables(rekeyed), tablesForKey(QStringLiteral("zweiter")));

    // The empty key on a keyed object schedules with zero key words, as a lone NUL byte does.
    clsBlowfish emptied;
    emptied.setKey(QStringLiteral("erster"));
    emptied.setKey(QString());
    clsBlowfish nul;
    nul.setKey(QStringLiteral("erster"));
    nul.setKey(QString(QChar(0)));
    EXPECT_NE(tables(emptied), afterFirst);
    EXPECT_EQ(tables(emptied), tables(nul));
}

TEST(BlowfishKey, SeventyTwoBytesCycledFromTheKey)
{
    const QString key72 = QStringLiteral("0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ!#$%&()*+,");
    ASSERT_EQ(key72.size(), 72);
    // Characters after the 72nd have no effect; the 72nd itself does.
    EXPECT_EQ(tablesForKey(key72), tablesForKey(key72 + QStringLiteral("-ignored")));
    QString changedLast = key72;
    changedLast[71] = QLatin1Char('~');
    EXPECT_NE(tablesForKey(key72), tablesForKey(changedLast));
    // A short key repeats: one character is that byte 72 times, "ab" is "abab...".
    EXPECT_EQ(tablesForKey(QStringLiteral("a")), tablesForKey(QString(72, QLatin1Char('a'))));
    EXPECT_EQ(tablesForKey(QStringLiteral("abc")), tablesForKey(QStringLiteral("abc").repeated(24)));
    // 72 is no multiple of 5: the cycle restarts at the key's first character wherever it ends.
    EXPECT_EQ(tablesForKey(QStringLiteral("abcde")), tablesForKey(QStringLiteral("abcde").repeated(15).left(72)));
    EXPECT_NE(tablesForKey(QStringLiteral("abcde")), tablesForKey(QStringLiteral("abcde").repeated(15).left(71) + QLatin1Char('x')));
}

TEST(BlowfishKey, CharactersAreSingleCodePageBytes)
{
    // "ü" is the byte FC, not its two-byte UTF-8 form read as two characters.
    EXPECT_EQ(tablesForKey(QStringLiteral("ü")), tablesForKey(QStringLiteral("üü")));
    EXPECT_NE(tablesForKey(QStringLiteral("ü")), tablesForKey(QString::fromLatin1("\xC3\xBC")));
    // Characters outside the code page become '?', one per UTF-16 unit.
    EXPECT_EQ(tablesForKey(QStringLiteral("a\u0416")), tablesForKey(QStringLiteral("a?")));
    EXPECT_EQ(tablesForKey(QString::fromUtf8("x\xF0\x9F\x98\x80")), tablesForKey(QStringLiteral("x??")));
}

TEST(ModCrypt, WordsAreBigEndian)
{
    QByteArray buffer = QByteArray::fromHex("0102030405");
    EXPECT_EQ(modCrypt::GetWord(buffer, 0), 0x01020304u);
    EXPECT_EQ(modCrypt::GetWord(buffer, 1), 0x02030405u);
    modCrypt::PutWord(0xA1B2C3D4, buffer, 1);
    EXPECT_EQ(buffer.toHex(), QByteArray("01a1b2c3d4"));
    // Words reaching past the end read zero bytes there and write nothing there.
    EXPECT_EQ(modCrypt::GetWord(buffer, 3), 0xC3D40000u);
    modCrypt::PutWord(0x11223344, buffer, 3);
    EXPECT_EQ(buffer.toHex(), QByteArray("01a1b21122"));

    const auto* raw = reinterpret_cast<const unsigned char*>(buffer.constData());
    EXPECT_EQ(modCrypt::GetWord(raw, 0), 0x01A1B211u);
}

TEST(ModCrypt, UnsignedAddWrapsModulo2To32)
{
    EXPECT_EQ(modCrypt::UnsignedAdd(0xFFFFFFFF, 1), 0u);
    EXPECT_EQ(modCrypt::UnsignedAdd(0x80000000, 0x80000001), 1u);
    EXPECT_EQ(modCrypt::UnsignedAdd(0x12345678, 0x11111111), 0x23456789u);
}

TEST(BlowfishChain, FourLaneDecipherGivesWhatOneBlockAtATimeGives)
{
    clsBlowfish cipher;
    cipher.setKey(QString::fromUtf8("Schlüssel€"));
    // One block after the other: each enciphered block deciphered, XORed with the one before it.
    const auto oneByOne = [&cipher](std::vector<unsigned char>& data, uint32_t& cl, uint32_t& cr) {
        for (size_t offset = 0; offset < data.size(); offset += 8) {
            uint32_t l = modCrypt::GetWord(data.data(), static_cast<qsizetype>(offset));
            uint32_t r = modCrypt::GetWord(data.data(), static_cast<qsizetype>(offset + 4));
            const uint32_t nextL = l;
            const uint32_t nextR = r;
            cipher.DecryptBlock(l, r);
            modCrypt::PutWord(l ^ cl, data.data(), static_cast<qsizetype>(offset));
            modCrypt::PutWord(r ^ cr, data.data(), static_cast<qsizetype>(offset + 4));
            cl = nextL;
            cr = nextR;
        }
    };
    QRandomGenerator random(4711);
    for (int blocks = 1; blocks <= 40; ++blocks) {
        SCOPED_TRACE(blocks);
        std::vector<unsigned char> enciphered(static_cast<size_t>(blocks) * 8);
        for (unsigned char& byte : enciphered)
            byte = static_cast<unsigned char>(random.bounded(256));
        const uint32_t ivL = random.generate();
        const uint32_t ivR = random.generate();

        std::vector<unsigned char> expected = enciphered;
        uint32_t expectedL = ivL;
        uint32_t expectedR = ivR;
        oneByOne(expected, expectedL, expectedR);

        // In one go, and in two pieces split at every block: the chain runs on across the calls,
        // so the lanes start at every offset.
        for (int split = 0; split < blocks; ++split) {
            SCOPED_TRACE(split);
            std::vector<unsigned char> data = enciphered;
            uint32_t cl = ivL;
            uint32_t cr = ivR;
            cipher.DecryptBlocks(data.data(), split * 8, cl, cr);
            cipher.DecryptBlocks(data.data() + split * 8, (blocks - split) * 8, cl, cr);
            EXPECT_EQ(data, expected);
            EXPECT_EQ(hex64(cl, cr), hex64(expectedL, expectedR));
        }
    }
}

namespace {

// The locked memory of this process in kB, as the kernel counts it.
long lockedKb()
{
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return -1;
    char line[256];
    long kb = -1;
    while (std::fgets(line, sizeof line, status)) {
        if (std::sscanf(line, "VmLck: %ld kB", &kb) == 1)
            break;
    }
    std::fclose(status);
    return kb;
}

} // namespace

TEST(BlowfishKey, TheScheduleStaysInMemoryWhileItLives)
{
    const long before = lockedKb();
    ASSERT_GE(before, 0);
    {
        // On the heap, on pages of its own: the tables are more than one page.
        auto cipher = std::make_unique<clsBlowfish>();
        cipher->setKey(QStringLiteral("geheim1"));
        const long during = lockedKb();
        if (during == before)
            GTEST_SKIP() << "the system allows no locked memory here";
        EXPECT_GE(during - before, static_cast<long>(sizeof(clsBlowfish) / 1024));
    }
    EXPECT_LE(lockedKb(), before + 4);
}
