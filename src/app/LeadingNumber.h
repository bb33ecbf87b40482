#pragma once

#include <QString>

// The number a text starts with, as settings values are read: leading blanks and tabs skipped,
// then an optional sign, digits with an optional '.' fraction and an optional exponent (E or D).
// A text that does not start with a number gives 0. The decimal point is always '.'.
double LeadingNumber(const QString& text);
