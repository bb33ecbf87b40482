#include "store/PasswordStrength.h"

#include "core/Cp1252.h"
#include "core/Wipe.h"

#include <zxcvbn.h>

#include <QByteArray>

#include <array>

namespace {

// The store file has no key stretching: an attacker with a copy tries each guess with one Blowfish
// key schedule, about 10^9 guesses a second on a few graphics cards (2^30). Searching 40 bits then
// takes minutes, 50 bits days, 60 bits decades, 70 bits is out of reach. The library's own steps
// (10^3 .. 10^10 guesses) are made for logins that slow the attacker down, not for this.
constexpr std::array<double, PasswordStrength::kMaxScore> kBitsForScore = {40.0, 50.0, 60.0, 70.0};

} // namespace

int PasswordStrength::scoreForBits(double bits)
{
    int score = 0;
    while (score < kMaxScore && bits >= kBitsForScore[static_cast<std::size_t>(score)])
        ++score;
    return score;
}

QString PasswordStrength::words(int score)
{
    switch (score) {
    case 0:
        return QStringLiteral("sehr schwach");
    case 1:
        return QStringLiteral("schwach");
    case 2:
        return QStringLiteral("mittel");
    case 3:
        return QStringLiteral("stark");
    default:
        return QStringLiteral("sehr stark");
    }
}

QString PasswordStrength::warningText()
{
    return QStringLiteral("Die Datei wird ohne Schlüsselstreckung verschlüsselt: Wer eine Kopie davon hat, "
                          "kann Passwörter so schnell durchprobieren, wie sein Rechner es schafft. Nur ein "
                          "langes Passwort schützt sie, etwa aus mehreren Wörtern, die nicht zusammengehören.");
}

PasswordStrength::Rating PasswordStrength::rate(const QString& password)
{
    // The text the cipher sees, handed to the library as UTF-8; every copy on the way is wiped.
    QString head = password.left(kKeyCharacters);
    QByteArray bytes = Cp1252::encode(head);
    Wipe::text(head);
    QString key = Cp1252::decode(bytes);
    Wipe::bytes(bytes);
    QByteArray utf8 = key.toUtf8();
    Wipe::text(key);

    Rating rating;
    rating.bits = ZxcvbnMatch(utf8.constData(), nullptr, nullptr);
    Wipe::bytes(utf8);
    rating.score = scoreForBits(rating.bits);
    rating.words = words(rating.score);
    if (rating.score <= kWarnUpTo)
        rating.warning = warningText();
    return rating;
}
