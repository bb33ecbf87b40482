#include "store/PasswordGenerator.h"

#include "core/Cp1252.h"

#include <gtest/gtest.h>

#include <QSet>

namespace {

TEST(PasswordGeneratorTest, EveryPasswordHoldsEachChosenGroupAndOnlyItsCharacters)
{
    using Options = PasswordGenerator::Options;
    struct Case {
        const char* what;
        Options options;
    };
    Options noSymbols;
    noSymbols.symbols = false;
    Options shortNoLookalikes;
    shortNoLookalikes.length = 8;
    shortNoLookalikes.noLookalikes = true;
    Options longest;
    longest.length = 64;
    Options digitsOnly;
    digitsOnly.upper = digitsOnly.lower = digitsOnly.symbols = false;
    const Case cases[] = {
        {"default", Options{}}, {"no symbols", noSymbols}, {"8, no look-alikes", shortNoLookalikes},
        {"64", longest}, {"digits only", digitsOnly},
    };
    const QString lookalikes = QStringLiteral("0Oo1lI|'`\"");
    for (const Case& c : cases) {
        const QString alphabet = PasswordGenerator::alphabet(c.options);
        QSet<QString> seen;
        for (int n = 0; n < 300; ++n) {
            QString password;
            ASSERT_TRUE(PasswordGenerator::generate(c.options, password).ok()) << c.what;
            ASSERT_EQ(password.size(), c.options.length) << c.what;
            EXPECT_TRUE(Cp1252::isRepresentable(password));
            EXPECT_FALSE(password.front().isSpace() || password.back().isSpace());
            bool upper = false, lower = false, digit = false, symbol = false;
            for (const QChar ch : password) {
                ASSERT_TRUE(alphabet.contains(ch)) << c.what << " " << password.toStdString();
                if (c.options.noLookalikes) {
                    EXPECT_FALSE(lookalikes.contains(ch)) << password.toStdString();
                }
                upper |= ch.isUpper();
                lower |= ch.isLower();
                digit |= ch.isDigit();
                symbol |= !ch.isLetterOrNumber();
            }
            EXPECT_EQ(upper, c.options.upper) << c.what << " " << password.toStdString();
            EXPECT_EQ(lower, c.options.lower) << c.what << " " << password.toStdString();
            EXPECT_EQ(digit, c.options.digits) << c.what << " " << password.toStdString();
            EXPECT_EQ(symbol, c.options.symbols) << c.what << " " << password.toStdString();
            seen.insert(password);
        }
        // Short passwords from a small alphabet may repeat now and then, but not often.
        EXPECT_GT(seen.size(), 290) << c.what;
    }
}

TEST(PasswordGeneratorTest, GuaranteedCharactersTakeEveryPlace)
{
    // The one digit each password must hold is shuffled in, not always in front.
    PasswordGenerator::Options options;
    options.length = 8;
    QSet<qsizetype> digitPlaces;
    for (int n = 0; n < 500; ++n) {
        QString password;
        ASSERT_TRUE(PasswordGenerator::generate(options, password).ok());
        for (qsizetype i = 0; i < password.size(); ++i) {
            if (password.at(i).isDigit())
                digitPlaces.insert(i);
        }
    }
    EXPECT_EQ(digitPlaces.size(), 8);
}

TEST(PasswordGeneratorTest, RefusesLengthsOutsideTheRangeAndNoGroup)
{
    PasswordGenerator::Options options;
    QString password = QStringLiteral("alt");
    for (const int length : {0, 7, 65, -1}) {
        options.length = length;
        const StoreResult r = PasswordGenerator::generate(options, password);
        EXPECT_EQ(r.error, StoreError::Validation) << length;
        EXPECT_EQ(r.message, QString::fromUtf8("Die Länge muss zwischen 8 und 64 Zeichen liegen."));
        EXPECT_TRUE(password.isEmpty());
    }
    options.length = 20;
    options.upper = options.lower = options.digits = options.symbols = false;
    EXPECT_EQ(PasswordGenerator::generate(options, password).error, StoreError::Validation);
    EXPECT_TRUE(password.isEmpty());
}

} // namespace
