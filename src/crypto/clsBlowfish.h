#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>

// Outcome of the enciphered-format operations. Each failure stays distinct so that callers can
// word their own messages; on every failure nothing is written or deleted.
enum class CryptStatus {
    Ok,
    CannotOpen,        // length field out of range: wrong key or damaged data
    BadLength,         // 16 bytes or more, but not a multiple of 8
    SourceMissing,     // the source file does not exist
    SourceUnreadable,  // the source exists but cannot be read
    WriteFailed,       // the destination could not be written (the old one, if any, is intact)
};

// One keyed instance of the store cipher: Blowfish's rounds and key schedule over the published
// tables in this system's own S-box arrangement, in CBC over [filler, filler, N, data, padding].
class clsBlowfish {
public:
    // How the 1024 published S-box words start out in the four boxes. Stores use RoundRobin
    // (box b, entry e = word 4e + b); Published (box b, entry e = word 256b + e) exists only to
    // check the rounds and the key schedule against the published Blowfish test vectors.
    enum class SBoxArrangement { RoundRobin, Published };

    clsBlowfish();
    explicit clsBlowfish(SBoxArrangement arrangement);
    ~clsBlowfish();
    clsBlowfish(const clsBlowfish&) = delete;
    clsBlowfish& operator=(const clsBlowfish&) = delete;

    // The length of the enciphered form of `plainSize` bytes: with the 12-byte header, rounded up to
    // whole blocks. Shorter input is no enciphered form (a new user's placeholder).
    static qsizetype encipheredSize(qsizetype plainSize);

    // The write-only Key property: schedules the tables for a key text, unless it is the one held.
    void setKey(const QString& key);

    CryptStatus EncryptByte(QByteArray& buffer, const QString& key = {});
    CryptStatus DecryptByte(QByteArray& buffer, const QString& key = {});
    QString EncryptString(const QString& text, const QString& key = {});
    QString DecryptString(const QString& text, const QString& key = {}, CryptStatus* status = nullptr);
    CryptStatus EncryptFile(const QString& sourceFile, const QString& destFile, const QString& key = {});
    CryptStatus DecryptFile(const QString& sourceFile, const QString& destFile, const QString& key = {});

    // In-memory forms of the file operations, for callers that keep plaintext off the disk.
    // `plain` is wiped and cleared on failure.
    CryptStatus DecryptFileToBytes(const QString& sourceFile, QByteArray& plain, const QString& key = {});
    CryptStatus EncryptBytesToFile(const QByteArray& plain, const QString& destFile, const QString& key = {});

    // The Progress event: raised synchronously with the percentage (0..100) during every pass.
    std::function<void(int32_t& percent)> Progress;

    // Exposed for the tests of the block cipher.
    void EncryptBlock(uint32_t& l, uint32_t& r) const;
    void DecryptBlock(uint32_t& l, uint32_t& r) const;
    // CBC decipher of `size` bytes (whole blocks) in place, as the buffer operations run it, several
    // blocks side by side. (cl, cr) is the enciphered block before `data`; it comes back as the last.
    void DecryptBlocks(unsigned char* data, qsizetype size, uint32_t& cl, uint32_t& cr) const;
    uint32_t sboxWord(int box, int entry) const { return m_s[box][entry]; }
    uint32_t pWord(int i) const { return m_p[i]; }

private:
    uint32_t F(uint32_t x) const;

    std::array<uint32_t, 18> m_p;
    std::array<std::array<uint32_t, 256>, 4> m_s;
    QString m_key;
};
