#pragma once

#include <QString>

// How hard a password is to guess, from the estimate of the zxcvbn library (dictionary words,
// names, keyboard rows, dates, repeats), in five steps with German words. It only informs: the
// rules for what a password may be stay with the checks that refuse one.
class PasswordStrength {
public:
    static constexpr int kMaxScore = 4;
    // Up to this score the rating carries the warning.
    static constexpr int kWarnUpTo = 2;
    // The key schedule takes four bytes for each of its 18 subkeys; later characters change nothing.
    static constexpr int kKeyCharacters = 72;

    struct Rating {
        int score = 0;      // 0 "sehr schwach" .. 4 "sehr stark"
        double bits = 0.0;  // log2 of the estimated guesses
        QString words;
        QString warning;    // empty above kWarnUpTo
    };

    // Rates the key the store would get from `password`: its Windows-1252 form (a character the
    // code page lacks is '?') and only the first kKeyCharacters characters.
    static Rating rate(const QString& password);

    static int scoreForBits(double bits);
    static QString words(int score);
    static QString warningText();
};
