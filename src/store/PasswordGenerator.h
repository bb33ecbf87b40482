#pragma once

#include "store/StoreResult.h"

#include <QString>

// Random passwords for new and changed entries, for the windows and the command line alike. Every
// character is printable ASCII, so each one can be stored (Windows-1252) and typed on any keyboard.
class PasswordGenerator {
public:
    static constexpr int kMinLength = 8;
    static constexpr int kMaxLength = 64;
    static constexpr int kDefaultLength = 20;

    struct Options {
        int length = kDefaultLength;
        bool upper = true;
        bool lower = true;
        bool digits = true;
        bool symbols = true;
        bool noLookalikes = false;  // leaves out characters that are easily confused (0 O o, 1 l I |, quotes)
    };

    // The characters of each chosen group, in the order upper, lower, digits, symbols.
    static QString alphabet(const Options& options);

    // A password of options.length characters holding at least one character of every chosen group,
    // with no blank at either end. Length outside kMinLength..kMaxLength or no group chosen is
    // refused (Validation) with a German message, `password` left empty.
    static StoreResult generate(const Options& options, QString& password);
};
