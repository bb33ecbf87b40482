// Decipher and parse: arbitrary bytes as an enciphered store (any length, any key), and arbitrary
// plaintext enciphered and deciphered again, then read the way the program reads a store.
#include "FuzzInput.h"

#include "core/IniDocument.h"
#include "crypto/clsBlowfish.h"
#include "store/AccountList.h"
#include "store/PlaintextFilter.h"
#include "store/StoreLayout.h"
#include "store/TextModeStore.h"

#include <QStringList>

namespace {

void readLikeTheProgram(const QByteArray& plain)
{
    const IniDocument document = IniDocument::fromBytes(plain);
    QStringList names;
    const qint16 count = readListSection(document, names);
    FUZZ_CHECK(count >= 0);
    FUZZ_CHECK(names.size() <= count);
    AccountList list;
    list.assign(names);
    for (int i = 0; i < list.size() && i < 64; ++i) {
        QString name;
        FUZZ_CHECK(list.at(i, name).ok());
        const AccountEntry entry = readAccountEntry(document, name);
        FUZZ_CHECK(entry.User.size() <= IniDocument::kMaxValueLength);
        FUZZ_CHECK(list.containsIgnoringCase(name));
    }
    QString outside;
    FUZZ_CHECK(!list.at(list.size(), outside).ok());
    PlaintextFilter::isPlausible(plain);
    TextModeStore::formatText(Cp1252::decode(plain));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    const QString key = in.text(56);
    const bool asCipherText = in.byte() & 1;
    QByteArray bytes = in.rest();

    clsBlowfish cipher;
    if (asCipherText) {
        // Whatever the bytes, the decipher either refuses them and leaves them as they were, or
        // gives a plaintext shorter than them (too short for a header: the empty plaintext).
        QByteArray buffer = bytes;
        buffer.detach();
        const CryptStatus status = cipher.DecryptByte(buffer, key);
        FUZZ_CHECK(status == CryptStatus::Ok || status == CryptStatus::CannotOpen || status == CryptStatus::BadLength);
        if (status == CryptStatus::Ok) {
            FUZZ_CHECK(buffer.size() < bytes.size() || buffer.isEmpty());
            readLikeTheProgram(buffer);
        } else {
            FUZZ_CHECK(buffer == bytes);
        }
        return 0;
    }

    // Any plaintext comes back byte for byte under its key.
    QByteArray buffer = bytes;
    FUZZ_CHECK(cipher.EncryptByte(buffer, key) == CryptStatus::Ok);
    // Two filler words and the length before the text, padded to whole blocks of 8.
    FUZZ_CHECK(buffer.size() % 8 == 0 && buffer.size() >= bytes.size() + 12 && buffer.size() < bytes.size() + 20);
    clsBlowfish decipher;
    FUZZ_CHECK(decipher.DecryptByte(buffer, key) == CryptStatus::Ok);
    FUZZ_CHECK(buffer == bytes);
    readLikeTheProgram(buffer);
    return 0;
}
