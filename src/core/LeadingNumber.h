#pragma once

#include <QString>
#include <QtGlobal>

// The whole number a settings value or the store's Count stands for, read the same way everywhere:
// leading blanks and tabs are skipped, then an optional sign and decimal digits with an optional '.'
// fraction make the number; whatever follows is not part of it ("2abc" and "1D2" are 2 and 1).
// Rounded to the nearest whole number, halves to even, and held to [lowest, highest]: a number
// beyond the range gives the nearest end. A text that does not start with a number gives 0.
qint64 LeadingNumber(const QString& text, qint64 lowest, qint64 highest);

// The same for a 16-bit value (CompactMode, Count).
inline qint16 LeadingNumber16(const QString& text)
{
    return static_cast<qint16>(LeadingNumber(text, -32768, 32767));
}
