#include "store/PasswordGenerator.h"

#include <QRandomGenerator>
#include <QStringList>

namespace {

const QString kUpper = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
const QString kLower = QStringLiteral("abcdefghijklmnopqrstuvwxyz");
const QString kDigits = QStringLiteral("0123456789");
// ASCII punctuation without the blank: a blank is easily lost when a password is copied or typed.
const QString kSymbols = QStringLiteral("!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~");
const QString kLookalikes = QStringLiteral("0Oo1lI|'`\"");

QString without(const QString& group, const QString& drop)
{
    QString out;
    for (const QChar c : group) {
        if (!drop.contains(c))
            out += c;
    }
    return out;
}

QStringList chosenGroups(const PasswordGenerator::Options& options)
{
    QStringList groups;
    const QString drop = options.noLookalikes ? kLookalikes : QString();
    if (options.upper)
        groups << without(kUpper, drop);
    if (options.lower)
        groups << without(kLower, drop);
    if (options.digits)
        groups << without(kDigits, drop);
    if (options.symbols)
        groups << without(kSymbols, drop);
    return groups;
}

QChar pick(const QString& from)
{
    return from.at(static_cast<qsizetype>(QRandomGenerator::system()->bounded(static_cast<quint32>(from.size()))));
}

} // namespace

QString PasswordGenerator::alphabet(const Options& options)
{
    return chosenGroups(options).join(QString());
}

StoreResult PasswordGenerator::generate(const Options& options, QString& password)
{
    password.clear();
    if (options.length < kMinLength || options.length > kMaxLength)
        return StoreResult::validation(QStringLiteral("Die Länge muss zwischen %1 und %2 Zeichen liegen.")
                                           .arg(kMinLength)
                                           .arg(kMaxLength),
                                       StoreField::Password);
    const QStringList groups = chosenGroups(options);
    if (groups.isEmpty())
        return StoreResult::validation(QStringLiteral("Es ist keine Zeichengruppe gewählt."), StoreField::Password);
    const QString all = groups.join(QString());

    // One character of each group first, the rest from all of them, then the places shuffled so the
    // guaranteed characters do not always stand in front.
    password.reserve(options.length);
    for (const QString& group : groups)
        password += pick(group);
    while (password.size() < options.length)
        password += pick(all);
    QRandomGenerator* random = QRandomGenerator::system();
    for (qsizetype i = password.size() - 1; i > 0; --i) {
        const qsizetype j = static_cast<qsizetype>(random->bounded(static_cast<quint32>(i + 1)));
        std::swap(password[i], password[j]);
    }
    return StoreResult::success();
}
