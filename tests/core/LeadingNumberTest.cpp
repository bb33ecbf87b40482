#include "core/LeadingNumber.h"

#include <gtest/gtest.h>

#include <limits>

// Count, CompactMode, Top and Left are all read by this one rule; its cases live here.
TEST(LeadingNumber, OneRuleForCountCompactModeAndPositions)
{
    constexpr qint64 kIntMin = std::numeric_limits<int>::min();
    constexpr qint64 kIntMax = std::numeric_limits<int>::max();
    struct Case {
        const char* text;
        qint16 as16;    // Count and CompactMode
        qint64 asInt;   // Top and Left, in twips
    };
    const Case cases[] = {
        {"1", 1, 1},
        {"0", 0, 0},
        {"", 0, 0},
        {"abc", 0, 0},
        {"x1", 0, 0},
        {"-", 0, 0},
        {".", 0, 0},
        {"+.", 0, 0},
        {" \t7", 7, 7},
        {"\n7", 0, 0},
        {"2abc", 2, 2},
        {"12 3", 12, 12},
        {"12x3", 12, 12},
        {"-3", -3, -3},
        {"+4", 4, 4},
        {"- 4", 0, 0},
        {"1,5", 1, 1},
        {"1.2.3", 1, 1},
        {"0x10", 0, 0},
        // An exponent is no part of the number, whichever letter writes it.
        {"1D2", 1, 1},
        {"1e3", 1, 1},
        {"1E+2x", 1, 1},
        {"2d-1", 2, 2},
        // To the nearest whole number, halves to even, also far behind the point.
        {"1.4", 1, 1},
        {"1.5", 2, 2},
        {"2.5", 2, 2},
        {"3.5", 4, 4},
        {"2.6", 3, 3},
        {"0.5", 0, 0},
        {".5", 0, 0},
        {".51", 1, 1},
        {"-0.5", 0, 0},
        {"-1.5", -2, -2},
        {"-2.5", -2, -2},
        {"5.", 5, 5},
        {"2.50000000000000000000001", 3, 3},
        {"2.49999999999999999999999", 2, 2},
        {"1500.5", 1500, 1500},
        {"4711.25", 4711, 4711},
        // Beyond the range: the nearest end, never 0 and never a wrapped value.
        {"32767", 32767, 32767},
        {"32767.5", 32767, 32768},
        {"32768", 32767, 32768},
        {"-32768", -32768, -32768},
        {"-32769", -32768, -32769},
        {"99999", 32767, 99999},
        {"-99999", -32768, -99999},
        {"2147483648", 32767, kIntMax},
        {"-2147483649", -32768, kIntMin},
        {"123456789012345678901234567890", 32767, kIntMax},
        {"-123456789012345678901234567890.9", -32768, kIntMin},
        // Only ASCII digits are digits.
        {"\xd9\xa3", 0, 0},
    };
    for (const Case& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        SCOPED_TRACE(c.text);
        EXPECT_EQ(LeadingNumber16(text), c.as16);
        EXPECT_EQ(LeadingNumber(text, kIntMin, kIntMax), c.asInt);
    }
    // The 64-bit ends themselves.
    EXPECT_EQ(LeadingNumber(QStringLiteral("9223372036854775807"), std::numeric_limits<qint64>::min(),
                            std::numeric_limits<qint64>::max()),
              std::numeric_limits<qint64>::max());
    EXPECT_EQ(LeadingNumber(QStringLiteral("9223372036854775806.5"), std::numeric_limits<qint64>::min(),
                            std::numeric_limits<qint64>::max()),
              std::numeric_limits<qint64>::max() - 1);
    EXPECT_EQ(LeadingNumber(QStringLiteral("9223372036854775807.6"), 0, std::numeric_limits<qint64>::max()),
              std::numeric_limits<qint64>::max());
}
