#include "app/LeadingNumber.h"

#include <QLocale>

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

bool isSign(const QString& text, qsizetype i)
{
    return i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'));
}

} // namespace

double LeadingNumber(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    QString number;
    if (isSign(text, i))
        number += text[i++];
    // Written out in the C locale's form: a digit before the point, digits after it.
    const qsizetype intEnd = skipDigits(text, i);
    number += intEnd > i ? text.mid(i, intEnd - i) : QStringLiteral("0");
    qsizetype digits = intEnd - i;
    i = intEnd;
    if (i < text.size() && text[i] == QLatin1Char('.')) {
        const qsizetype fracEnd = skipDigits(text, i + 1);
        digits += fracEnd - (i + 1);
        if (fracEnd > i + 1)
            number += QLatin1Char('.') + text.mid(i + 1, fracEnd - (i + 1));
        i = fracEnd;
    }
    if (digits == 0)
        return 0.0;

    // An exponent counts only when digits follow it: "1e" is 1.
    if (i < text.size() && QStringLiteral("eEdD").contains(text[i])) {
        qsizetype j = i + 1;
        if (isSign(text, j))
            ++j;
        const qsizetype expEnd = skipDigits(text, j);
        if (expEnd > j)
            number += QLatin1Char('e') + text.mid(i + 1, expEnd - (i + 1));
    }

    bool ok = false;
    const double value = QLocale::c().toDouble(number, &ok);
    return ok ? value : 0.0;
}
