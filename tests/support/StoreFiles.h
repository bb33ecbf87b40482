#pragma once

#include "app/Cp1252.h"
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
