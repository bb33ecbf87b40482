#include "core/LeadingNumber.h"

#include <algorithm>
#include <limits>

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

qsizetype skipDigits(const QString& text, qsizetype i)
{
    while (i < text.size() && isDigit(text[i]))
        ++i;
    return i;
}

} // namespace

qint64 LeadingNumber(const QString& text, qint64 lowest, qint64 highest)
{
    const qint64 zero = std::clamp<qint64>(0, lowest, highest);
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    const qsizetype intStart = i;
    const qsizetype intEnd = skipDigits(text, intStart);
    qsizetype fracStart = intEnd;
    qsizetype fracEnd = intEnd;
    if (intEnd < text.size() && text[intEnd] == QLatin1Char('.')) {
        fracStart = intEnd + 1;
        fracEnd = skipDigits(text, fracStart);
    }
    if (intEnd == intStart && fracEnd == fracStart)
        return zero;

    // Worked on the digits themselves, so that rounding is exact however long the text is.
    constexpr qint64 kMax = std::numeric_limits<qint64>::max();
    qint64 magnitude = 0;
    bool beyond = false;
    for (qsizetype k = intStart; k < intEnd && !beyond; ++k) {
        const int digit = text[k].unicode() - u'0';
        if (magnitude > (kMax - digit) / 10)
            beyond = true;
        else
            magnitude = magnitude * 10 + digit;
    }
    if (!beyond && fracEnd > fracStart) {
        const int first = text[fracStart].unicode() - u'0';
        bool aboveHalf = first > 5;
        if (first == 5) {
            for (qsizetype k = fracStart + 1; k < fracEnd && !aboveHalf; ++k)
                aboveHalf = text[k] != QLatin1Char('0');
        }
        const bool exactHalf = first == 5 && !aboveHalf;
        if (aboveHalf || (exactHalf && magnitude % 2 == 1)) {
            if (magnitude == kMax)
                beyond = true;
            else
                ++magnitude;
        }
    }
    if (beyond)
        return negative ? lowest : highest;
    const qint64 value = negative ? -magnitude : magnitude;
    return std::clamp(value, lowest, highest);
}
