#pragma once

#include "core/Cp1252.h"
#include "crypto/clsBlowfish.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// Store files made and read back with the program's own cipher. Header-only: TestSupport.cpp goes
// into every test program, also those that do not link the cipher.
namespace testsupport {

// Lines as the stores hold them: Windows-1252, each ended by CR LF.
inline QByteArray crlf(const QStringList& lines)
{
    QByteArray out;
    for (const QString& line : lines)
        out += Cp1252::encode(line) + "\r\n";
    return out;
}

// A store as the program writes it, with `entries` accounts "Konto 1" .. "Konto <entries>": the list
// section, then one section per account. The values hold umlauts, "€" and a tab; every seventh
// comment has two lines ("#§"); every 500th entry has a password and a web address of 2047
// characters, the longest value the reader hands back.
inline QByteArray generatedStore(int entries)
{
    QStringList lines{QStringLiteral("[Main]"), QStringLiteral("Count=%1").arg(entries)};
    for (int i = 1; i <= entries; ++i)
        lines << QStringLiteral("Account%1=Konto %1").arg(i);
    for (int i = 1; i <= entries; ++i) {
        const bool longest = i % 500 == 0;
        lines << QStringLiteral("[Konto %1]").arg(i) << QStringLiteral("User=nutzer%1@example.de").arg(i)
              << (longest ? QStringLiteral("Pass=") + QString(2047, u'ä')
                          : QString::fromUtf8("Pass=Grüße€%1\tx").arg(i))
              << (longest ? QStringLiteral("Web=https://") + QString(2039, u'w')
                          : QStringLiteral("Web=https://example.de/%1").arg(i))
              << (i % 7 == 0 ? QStringLiteral("Comment=Zeile 1#§Zeile 2") : QStringLiteral("Comment="));
    }
    return crlf(lines);
}

// A store of 5,000 entries (generatedStore(5000)) enciphered once under kLargeStoreKey, and a key
// of the form "falsch<i>" under which its length field comes out in range: the first such i.
inline const QString kLargeStoreFixture = QStringLiteral("gross.dat");
inline const QString kLargeStoreKey = QStringLiteral("gross-geheim");
inline const QString kLargeStoreWrongKey = QStringLiteral("falsch8234");

inline bool encipherTo(const QString& path, const QByteArray& plain, const QString& key)
{
    clsBlowfish cipher;
    return cipher.EncryptBytesToFile(plain, path, key) == CryptStatus::Ok;
}

// The plaintext of an enciphered file under `key`; `status` tells whether it opened.
inline QByteArray plainOf(const QString& path, const QString& key, CryptStatus* status = nullptr)
{
    clsBlowfish cipher;
    QByteArray plain;
    const CryptStatus s = cipher.DecryptFileToBytes(path, plain, key);
    if (status)
        *status = s;
    return plain;
}

inline bool opensWith(const QString& path, const QString& key, const QByteArray& expectedPlain)
{
    CryptStatus status = CryptStatus::CannotOpen;
    const QByteArray plain = plainOf(path, key, &status);
    return status == CryptStatus::Ok && plain == expectedPlain;
}

} // namespace testsupport
