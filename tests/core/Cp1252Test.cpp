#include "core/Cp1252.h"

#include <gtest/gtest.h>

TEST(Cp1252, EveryByteRoundTrips)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QString text = Cp1252::decode(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(Cp1252::encode(text), all);
}

TEST(Cp1252, MapsTheTellingCharacters)
{
    struct Case { QString text; QByteArray bytes; };
    const Case cases[] = {
        {QStringLiteral("Bär"), QByteArray("B\xE4r")},
        {QStringLiteral("§"), QByteArray("\xA7")},
        {QStringLiteral("€"), QByteArray("\x80")},
        {QStringLiteral("Schlüssel€"), QByteArray::fromHex("5363686C FC7373656C 80")},
        {QStringLiteral("ß"), QByteArray("\xDF")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Cp1252::encode(c.text), c.bytes) << c.text.toStdString();
        EXPECT_EQ(Cp1252::decode(c.bytes), c.text) << c.text.toStdString();
    }
}

TEST(Cp1252, UnrepresentableUnitsBecomeQuestionMarks)
{
    // One byte per UTF-16 unit: the emoji's two surrogates give two '?'.
    EXPECT_EQ(Cp1252::encode(QStringLiteral("a\u0416b")), QByteArray("a?b"));
    EXPECT_EQ(Cp1252::encode(QString::fromUtf8("x\xF0\x9F\x98\x80")), QByteArray("x??"));
    EXPECT_FALSE(Cp1252::isRepresentable(QStringLiteral("\u0416")));
    EXPECT_TRUE(Cp1252::isRepresentable(QStringLiteral("Straße €")));
}

TEST(Cp1252, UpperCaseStaysInsideTheCodePage)
{
    // Every letter with a capital in the code page gets it; ß, µ and ÿ's neighbours without one stay.
    EXPECT_EQ(Cp1252::upper(QByteArray("aZ\xE4\xF6\xFC\x9A\x9C\x9E\xFF\xDF\xB5\xF7 1")),
              QByteArray("AZ\xC4\xD6\xDC\x8A\x8C\x8E\x9F\xDF\xB5\xF7 1"));
    const auto& table = Cp1252::upperTable();
    for (int b = 0; b < 256; ++b) {
        const QChar c = Cp1252::decode(QByteArray(1, static_cast<char>(b))).at(0);
        const QString capital = Cp1252::decode(QByteArray(1, static_cast<char>(table[b])));
        EXPECT_TRUE(capital.at(0) == c.toUpper() || table[b] == b) << b;
    }
}

TEST(Cp1252, LongTextEncodesAsCharacterByCharacter)
{
    // Latin-1 runs are copied in blocks; a character that needs the table or has no byte must
    // still come out right wherever it falls in a block, also in the short tail.
    const QChar specials[] = {QChar(0x20AC), QChar(0x0081), QChar(0x00E9), QChar(0x0416), QChar(0xD83D), QChar(0x009F)};
    for (const QChar special : specials) {
        for (int length : {15, 16, 17, 40}) {
            for (int at = 0; at < length; ++at) {
                QString text(length, u'x');
                text[at] = special;
                QByteArray expected(length, 'x');
                unsigned char byte;
                expected[at] = Cp1252::byteFor(special, byte) ? static_cast<char>(byte) : '?';
                EXPECT_EQ(Cp1252::encode(text), expected) << "U+" << std::hex << int(special.unicode()) << " at " << std::dec << at;
            }
        }
    }
}
