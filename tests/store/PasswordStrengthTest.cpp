#include "store/PasswordStrength.h"

#include "store/PasswordGenerator.h"
#include "support/WipedTexts.h"

#include <gtest/gtest.h>

namespace {

TEST(PasswordStrengthTest, RatesTypicalPasswordsOnTheOfflineScale)
{
    struct Case {
        const char* password;
        int score;
    };
    // Common words, names, dates and keyboard rows fall in minutes without key stretching; only
    // long passwords and several unrelated words reach the top.
    const Case cases[] = {
        {"", 0},
        {"geheim1", 0},
        {"Passwort", 0},
        {"Sommer2023!", 0},
        {"qwertzuiop", 0},
        {"aaaaaaaaaaaaaaaaaaaaaaaa", 0},
        {"Tr0ub4dor&3", 1},
        {"correct horse battery staple", 4},
        {"Kaffee Tasse Fahrrad Wolke", 4},
        {"j8#Lq2!vR9@zT4&wM6$p", 4},
    };
    for (const Case& c : cases) {
        const PasswordStrength::Rating r = PasswordStrength::rate(QString::fromUtf8(c.password));
        EXPECT_EQ(r.score, c.score) << c.password << " (" << r.bits << " bits)";
        EXPECT_EQ(r.words, PasswordStrength::words(c.score)) << c.password;
        EXPECT_EQ(r.warning.isEmpty(), c.score > PasswordStrength::kWarnUpTo) << c.password;
    }
}

TEST(PasswordStrengthTest, ScoreStepsWordsAndWarningAtTheirBoundaries)
{
    struct Case {
        double bits;
        int score;
        const char* words;
    };
    const Case cases[] = {
        {0.0, 0, "sehr schwach"}, {39.9, 0, "sehr schwach"}, {40.0, 1, "schwach"}, {49.9, 1, "schwach"},
        {50.0, 2, "mittel"},      {59.9, 2, "mittel"},       {60.0, 3, "stark"},   {69.9, 3, "stark"},
        {70.0, 4, "sehr stark"},  {300.0, 4, "sehr stark"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PasswordStrength::scoreForBits(c.bits), c.score) << c.bits;
        EXPECT_EQ(PasswordStrength::words(c.score), QString::fromUtf8(c.words)) << c.bits;
    }
    // The warning says why length matters for this file: no key stretching, guessing at full speed.
    const QString warning = PasswordStrength::warningText();
    EXPECT_TRUE(warning.contains(QStringLiteral("ohne Schlüsselstreckung")));
    EXPECT_TRUE(warning.contains(QStringLiteral("Kopie")));
    EXPECT_TRUE(warning.contains(QStringLiteral("langes Passwort")));
}

TEST(PasswordStrengthTest, RatesOnlyWhatTheKeyIsMadeOf)
{
    // Characters after the 72nd do not reach the key schedule: a strong tail cannot help.
    const QString weakHead(PasswordStrength::kKeyCharacters, QLatin1Char('a'));
    const PasswordStrength::Rating head = PasswordStrength::rate(weakHead);
    const PasswordStrength::Rating withTail = PasswordStrength::rate(weakHead + QStringLiteral("j8#Lq2!vR9@zT4&wM6$p"));
    EXPECT_EQ(withTail.score, 0);
    EXPECT_DOUBLE_EQ(withTail.bits, head.bits);

    // Characters the code page lacks all become '?' in the key.
    const QString cyrillic = QString::fromUtf8("жзийклмнопрстуфхцчшщ");
    EXPECT_DOUBLE_EQ(PasswordStrength::rate(cyrillic).bits, PasswordStrength::rate(QString(20, QLatin1Char('?'))).bits);
    EXPECT_EQ(PasswordStrength::rate(cyrillic).score, 0);

    // Umlauts are in the code page and count as themselves.
    EXPECT_GT(PasswordStrength::rate(QString::fromUtf8("äöüßÄÖÜ")).bits, PasswordStrength::rate(QStringLiteral("???????")).bits);
}

TEST(PasswordStrengthTest, GeneratedPasswordsOfTheDefaultLengthAreVeryStrong)
{
    for (int n = 0; n < 20; ++n) {
        QString password;
        ASSERT_TRUE(PasswordGenerator::generate(PasswordGenerator::Options{}, password).ok());
        EXPECT_EQ(PasswordStrength::rate(password).score, 4) << password.toStdString();
    }
}

TEST(PasswordStrengthTest, TheCopiesMadeForTheLibraryAreWiped)
{
    const QString password = QString(80, QLatin1Char('x')) + QString::fromUtf8("€");
    WipedTexts wiped;
    PasswordStrength::rate(password);
    // The first 72 characters went through the wipe (as cut off, and as decoded for the library).
    EXPECT_EQ(wiped.count(QString(72, QLatin1Char('x'))), 2);
    // The caller's text is the caller's to wipe.
    EXPECT_EQ(wiped.count(password), 0);
}

} // namespace
