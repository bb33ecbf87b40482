#pragma once

#include "support/TestSupport.h"

#include "app/AtomicWrite.h"
#include "app/Cp1252.h"
#include "crypto/clsBlowfish.h"
#include "store/StoreActivity.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <functional>

namespace storetest {

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

// The plaintext of an enciphered file, or the status text when it does not open.
inline QByteArray plainOf(const QString& path, const QString& key, CryptStatus* status = nullptr)
{
    clsBlowfish cipher;
    QByteArray plain;
    const CryptStatus s = cipher.DecryptFileToBytes(path, plain, key);
    if (status)
        *status = s;
    return plain;
}

inline bool isReadOnly(const QString& path)
{
    const auto p = QFile::permissions(path);
    return QFileInfo(path).isFile() && !(p & (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther));
}

inline QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// Resets the process-wide seams when a test ends, also when it fails half-way.
struct SeamReset {
    ~SeamReset()
    {
        AtomicWrite::setFaultHook({});
        StoreActivity::setEventPump({});
    }
};

// A store folder of its own per test: the program folder with the user's files and the working copy.
struct StoreFolder {
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
    QString workingCopy() const { return path(QStringLiteral("pstmp.dat")); }

    QString copyFixture(const QString& name) const
    {
        const QString target = path(name);
        testsupport::writeAll(target, testsupport::readAll(testsupport::fixturePath(name)));
        return target;
    }
};

} // namespace storetest
