#include "app/Cp1252.h"

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
