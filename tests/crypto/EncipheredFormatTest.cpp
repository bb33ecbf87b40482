#include "core/AtomicWrite.h"
#include "core/Cp1252.h"
#include "crypto/clsBlowfish.h"
#include "crypto/modCrypt.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using testsupport::fixturePath;
using testsupport::readAll;
using testsupport::writeAll;

namespace {

const QString kKey = QStringLiteral("geheim1");

QByteArray patternBytes(qsizetype n)
{
    QByteArray bytes(n, Qt::Uninitialized);
    for (qsizetype i = 0; i < n; ++i)
        bytes[i] = static_cast<char>((i * 37 + 11) & 0xFF);
    return bytes;
}

// CBC over whole blocks with the object's block cipher alone, independent of the byte operations.
QByteArray cbc(const clsBlowfish& cipher, QByteArray bytes, bool encipher)
{
    uint32_t cl = 0;
    uint32_t cr = 0;
    for (qsizetype off = 0; off + 8 <= bytes.size(); off += 8) {
        uint32_t l = modCrypt::GetWord(bytes, off);
        uint32_t r = modCrypt::GetWord(bytes, off + 4);
        if (encipher) {
            l ^= cl;
            r ^= cr;
            cipher.EncryptBlock(l, r);
            cl = l;
            cr = r;
        } else {
            const uint32_t nextCl = l;
            const uint32_t nextCr = r;
            cipher.DecryptBlock(l, r);
            l ^= cl;
            r ^= cr;
            cl = nextCl;
            cr = nextCr;
        }
        modCrypt::PutWord(l, bytes, off);
        modCrypt::PutWord(r, bytes, off + 4);
    }
    return bytes;
}

// An enciphered buffer whose header says `lengthField`, whatever the data behind it.
QByteArray encipheredWithLength(const clsBlowfish& cipher, qsizetype c, int32_t lengthField)
{
    QByteArray plain = patternBytes(c);
    qToLittleEndian<int32_t>(lengthField, plain.data() + 8);
    return cbc(cipher, plain, true);
}

// The percentages a check after every single block raises for a pass over `c` bytes.
std::vector<int32_t> progressByBlock(qsizetype c)
{
    std::vector<int32_t> events;
    double threshold = 0;
    for (qsizetype off = 0; off < c; off += 8) {
        if (off >= threshold) {
            const int32_t percent = static_cast<int32_t>(static_cast<double>(off) / static_cast<double>(c) * 100.0);
            threshold = std::nearbyint((percent + 1) / 100.0 * static_cast<double>(c) + 1.0);
            events.push_back(percent);
        }
    }
    events.push_back(100);
    return events;
}

class CryptFiles : public ::testing::Test {
protected:
    void TearDown() override { AtomicWrite::setFaultHook({}); }

    QString path(const QString& name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
};

} // namespace

TEST(EncipheredFormat, LayoutOfTheEncipheredBuffer)
{
    struct Case { qsizetype n; qsizetype c; bool roomy; };
    // A buffer shared with the caller's copy, or one of our own with room to grow in place.
    const Case cases[] = {
        {0, 16, false}, {4, 16, false}, {5, 24, false}, {100, 112, false}, {1000, 1016, false},
        {0, 16, true}, {5, 24, true}, {100, 112, true},
    };
    for (const Case& tc : cases) {
        clsBlowfish cipher;
        const QByteArray plain = patternBytes(tc.n);
        QByteArray buffer = plain;
        if (tc.roomy) {
            buffer = QByteArray();
            buffer.reserve(tc.c);
            buffer.append(plain);
        }
        ASSERT_EQ(cipher.EncryptByte(buffer, kKey), CryptStatus::Ok);
        ASSERT_EQ(buffer.size(), tc.c) << tc.n;

        const QByteArray opened = cbc(cipher, buffer, false);
        const auto* raw = reinterpret_cast<const unsigned char*>(opened.constData());
        EXPECT_LE(qFromLittleEndian<uint32_t>(raw), 0x7FFFFFFFu);
        EXPECT_LE(qFromLittleEndian<uint32_t>(raw + 4), 0x7FFFFFFFu);
        EXPECT_EQ(qFromLittleEndian<int32_t>(raw + 8), tc.n);
        EXPECT_EQ(opened.mid(12, tc.n), plain);
        EXPECT_EQ(opened.mid(12 + tc.n), QByteArray(tc.c - 12 - tc.n, '\0')) << tc.n;

        ASSERT_EQ(cipher.DecryptByte(buffer), CryptStatus::Ok);
        EXPECT_EQ(buffer, plain) << tc.n;
    }
}

TEST(EncipheredFormat, FreshFillerEveryTime)
{
    clsBlowfish cipher;
    const QByteArray zeros(40, '\0');
    QByteArray first = zeros;
    QByteArray second = zeros;
    cipher.EncryptByte(first, kKey);
    cipher.EncryptByte(second);
    // The random first block chains into every later block.
    ASSERT_EQ(first.size(), 56);
    for (qsizetype off = 0; off < first.size(); off += 8) {
        EXPECT_NE(first.mid(off, 8), second.mid(off, 8)) << off;
        EXPECT_NE(first.mid(off, 8), QByteArray(8, '\0')) << off;
        if (off > 0) {
            EXPECT_NE(first.mid(off, 8), first.mid(off - 8, 8)) << off;
        }
    }
    ASSERT_EQ(cipher.DecryptByte(first), CryptStatus::Ok);
    ASSERT_EQ(cipher.DecryptByte(second), CryptStatus::Ok);
    EXPECT_EQ(first, zeros);
    EXPECT_EQ(second, zeros);
}

TEST(EncipheredFormat, LengthFieldRange)
{
    clsBlowfish cipher;
    cipher.setKey(kKey);
    struct Case { qsizetype c; int32_t field; CryptStatus expected; };
    const Case cases[] = {
        {16, 4, CryptStatus::Ok},           // exactly C - 12: no padding
        {16, 5, CryptStatus::CannotOpen},   // C - 11
        {64, 52, CryptStatus::Ok},
        {64, 53, CryptStatus::CannotOpen},
        {64, 0, CryptStatus::Ok},
        {64, -1, CryptStatus::CannotOpen},
        {64, INT32_MIN, CryptStatus::CannotOpen},
    };
    for (const Case& tc : cases) {
        const QByteArray enciphered = encipheredWithLength(cipher, tc.c, tc.field);
        QByteArray buffer = enciphered;
        EXPECT_EQ(cipher.DecryptByte(buffer), tc.expected) << tc.c << " " << tc.field;
        if (tc.expected == CryptStatus::Ok) {
            EXPECT_EQ(buffer, patternBytes(tc.c).mid(12, tc.field));
        } else {
            EXPECT_EQ(buffer, enciphered) << "a refused buffer stays as it was";
        }
    }
}

TEST(EncipheredFormat, ShortAndRaggedInput)
{
    clsBlowfish cipher;
    for (const QByteArray& shortInput : {QByteArray(), QByteArray("\r\n"), QByteArray(15, 'x')}) {
        QByteArray buffer = shortInput;
        EXPECT_EQ(cipher.DecryptByte(buffer, QStringLiteral("beliebig")), CryptStatus::Ok);
        EXPECT_TRUE(buffer.isEmpty());
    }
    for (qsizetype size : {17, 23, 31}) {
        const QByteArray ragged = patternBytes(size);
        QByteArray buffer = ragged;
        EXPECT_EQ(cipher.DecryptByte(buffer, kKey), CryptStatus::BadLength) << size;
        EXPECT_EQ(buffer, ragged);
    }
}

TEST(EncipheredFormat, ProgressSequence)
{
    clsBlowfish cipher;
    std::vector<int32_t> events;
    cipher.Progress = [&events](int32_t& percent) { events.push_back(percent); };

    QByteArray buffer(4, 'a'); // C = 16
    cipher.EncryptByte(buffer, kKey);
    EXPECT_EQ(events, (std::vector<int32_t>{0, 50, 100}));
    events.clear();
    cipher.DecryptByte(buffer);
    EXPECT_EQ(events, (std::vector<int32_t>{0, 50, 100}));

    // Larger passes raise what a check after every block would, at most once per percent.
    for (qsizetype n : {12, 100, 788, 1000, 8000, 65524, 100000}) {
        QByteArray data = patternBytes(n);
        events.clear();
        cipher.EncryptByte(data);
        const auto expected = progressByBlock(data.size());
        EXPECT_EQ(events, expected) << "encipher " << n;
        EXPECT_LE(events.size(), 101u);
        events.clear();
        cipher.DecryptByte(data);
        EXPECT_EQ(events, expected) << "decipher " << n;
    }
}

TEST(EncipheredFormat, StringsGoThroughTheCodePage)
{
    clsBlowfish cipher;
    EXPECT_EQ(cipher.EncryptString(QString(), kKey).size(), 16);

    const QString text = QStringLiteral("Straße € Bär\r\n\tÖl");
    const QString enciphered = cipher.EncryptString(text);
    EXPECT_EQ(enciphered.size(), 32);
    EXPECT_TRUE(Cp1252::isRepresentable(enciphered));
    CryptStatus status = CryptStatus::WriteFailed;
    EXPECT_EQ(cipher.DecryptString(enciphered, QString(), &status), text);
    EXPECT_EQ(status, CryptStatus::Ok);

    clsBlowfish other;
    EXPECT_EQ(other.DecryptString(enciphered, QStringLiteral("falsch"), &status), QString());
    EXPECT_EQ(status, CryptStatus::CannotOpen);
}

TEST(Fixtures, DecipherByteExactToTheirPlaintext)
{
    struct Case { const char* name; QString key; };
    const Case cases[] = {
        {"anna", QStringLiteral("geheim1")},
        {"empty", QStringLiteral("vier")},
        {"joerg", QStringLiteral("Schlüssel€")},
    };
    QTemporaryDir dir;
    for (const Case& tc : cases) {
        const QString name = QString::fromLatin1(tc.name);
        const QString source = fixturePath(name + QStringLiteral(".dat"));
        const QByteArray expected = readAll(fixturePath(name + QStringLiteral(".ini")));
        ASSERT_TRUE(QFile::exists(source)) << tc.name;
        if (name != QStringLiteral("empty")) {
            ASSERT_FALSE(expected.isEmpty()) << tc.name;
        }

        clsBlowfish cipher;
        const QString dest = dir.filePath(name + QStringLiteral(".ini"));
        ASSERT_EQ(cipher.DecryptFile(source, dest, tc.key), CryptStatus::Ok) << tc.name;
        EXPECT_EQ(readAll(dest), expected) << tc.name;

        QByteArray plain;
        clsBlowfish again;
        ASSERT_EQ(again.DecryptFileToBytes(source, plain, tc.key), CryptStatus::Ok) << tc.name;
        EXPECT_EQ(plain, expected) << tc.name;

        // What we encipher for the same plaintext reads back the same way.
        const QString ours = dir.filePath(name + QStringLiteral(".dat"));
        ASSERT_EQ(cipher.EncryptFile(dest, ours), CryptStatus::Ok) << tc.name;
        EXPECT_EQ(QFileInfo(ours).size(), QFileInfo(source).size()) << tc.name;
        EXPECT_NE(readAll(ours), readAll(source)) << tc.name;
        clsBlowfish reader;
        QByteArray back;
        ASSERT_EQ(reader.DecryptFileToBytes(ours, back, tc.key), CryptStatus::Ok) << tc.name;
        EXPECT_EQ(back, expected) << tc.name;
    }
}

TEST(Fixtures, WrongKeysCannotOpen)
{
    const QString source = fixturePath(QStringLiteral("anna.dat"));
    const QByteArray stored = readAll(source);
    // The right key's neighbours, another store's key, and the right key over the published tables.
    for (const QString& key : {QStringLiteral("Geheim1"), QStringLiteral("geheim"), QStringLiteral("geheim12"),
                               QStringLiteral("geheim1 "), QStringLiteral("vier")}) {
        clsBlowfish cipher;
        QByteArray buffer = stored;
        EXPECT_EQ(cipher.DecryptByte(buffer, key), CryptStatus::CannotOpen) << key.toStdString();
        EXPECT_EQ(buffer, stored);
    }
    clsBlowfish published(clsBlowfish::SBoxArrangement::Published);
    QByteArray buffer = stored;
    EXPECT_EQ(published.DecryptByte(buffer, kKey), CryptStatus::CannotOpen);
}

TEST_F(CryptFiles, WrongKeyLeavesDestinationAndSourceAlone)
{
    const QString source = path(QStringLiteral("joerg.dat"));
    ASSERT_TRUE(QFile::copy(fixturePath(QStringLiteral("joerg.dat")), source));
    const QString dest = path(QStringLiteral("pstmp.dat"));
    ASSERT_TRUE(writeAll(dest, "[alt]\r\n"));

    clsBlowfish cipher;
    EXPECT_EQ(cipher.DecryptFile(source, dest, QStringLiteral("Schlussel€")), CryptStatus::CannotOpen);
    EXPECT_EQ(readAll(dest), QByteArray("[alt]\r\n"));
    EXPECT_EQ(readAll(source), readAll(fixturePath(QStringLiteral("joerg.dat"))));

    QByteArray plain = "left over";
    EXPECT_EQ(cipher.DecryptFileToBytes(source, plain, QStringLiteral("Schlussel€")), CryptStatus::CannotOpen);
    EXPECT_TRUE(plain.isEmpty());
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST_F(CryptFiles, PlaceholderDeciphersToAnEmptyFile)
{
    const QString source = path(QStringLiteral("neu.dat"));
    ASSERT_TRUE(writeAll(source, "\r\n"));
    const QString dest = path(QStringLiteral("pstmp.dat"));
    ASSERT_TRUE(writeAll(dest, "[alt]\r\n"));
    for (const QString& key : {QStringLiteral("eins"), QStringLiteral("zwei")}) {
        clsBlowfish cipher;
        EXPECT_EQ(cipher.DecryptFile(source, dest, key), CryptStatus::Ok);
        EXPECT_TRUE(QFile::exists(dest));
        EXPECT_EQ(readAll(dest), QByteArray());
    }
    EXPECT_EQ(readAll(source), QByteArray("\r\n"));
}

TEST_F(CryptFiles, FailuresWriteNothing)
{
    const QString ragged = path(QStringLiteral("ragged.dat"));
    ASSERT_TRUE(writeAll(ragged, patternBytes(20)));
    const QString folder = path(QStringLiteral("ordner.dat"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString existing = path(QStringLiteral("existing.ini"));
    ASSERT_TRUE(writeAll(existing, "[alt]\r\n"));

    struct Case { QString source; CryptStatus decipher; CryptStatus encipher; };
    const Case cases[] = {
        {path(QStringLiteral("fehlt.dat")), CryptStatus::SourceMissing, CryptStatus::SourceMissing},
        {folder, CryptStatus::SourceUnreadable, CryptStatus::SourceUnreadable},
        {ragged, CryptStatus::BadLength, CryptStatus::Ok},
    };
    for (const Case& tc : cases) {
        clsBlowfish cipher;
        const QString fresh = path(QStringLiteral("fresh.out"));
        EXPECT_EQ(cipher.DecryptFile(tc.source, fresh, kKey), tc.decipher) << tc.source.toStdString();
        EXPECT_FALSE(QFile::exists(fresh));
        EXPECT_EQ(cipher.DecryptFile(tc.source, existing, kKey), tc.decipher);
        EXPECT_EQ(readAll(existing), QByteArray("[alt]\r\n"));
        QByteArray plain = "old";
        EXPECT_EQ(cipher.DecryptFileToBytes(tc.source, plain, kKey), tc.decipher);
        EXPECT_TRUE(plain.isEmpty());
        if (tc.encipher != CryptStatus::Ok) {
            EXPECT_EQ(cipher.EncryptFile(tc.source, existing, kKey), tc.encipher);
            EXPECT_EQ(readAll(existing), QByteArray("[alt]\r\n"));
        }
    }
}

TEST_F(CryptFiles, FailedWriteKeepsTheOldDestination)
{
    const QString plainFile = path(QStringLiteral("pstmp.dat"));
    ASSERT_TRUE(writeAll(plainFile, readAll(fixturePath(QStringLiteral("anna.ini")))));
    const QString store = path(QStringLiteral("anna.dat"));
    const QByteArray oldStore = readAll(fixturePath(QStringLiteral("anna.dat")));
    ASSERT_TRUE(writeAll(store, oldStore));

    for (AtomicWrite::Stage failing : {AtomicWrite::Stage::Open, AtomicWrite::Stage::Write, AtomicWrite::Stage::Commit}) {
        AtomicWrite::setFaultHook([failing](AtomicWrite::Stage stage, const QString&) { return stage == failing; });
        clsBlowfish cipher;
        EXPECT_EQ(cipher.EncryptFile(plainFile, store, kKey), CryptStatus::WriteFailed);
        EXPECT_EQ(cipher.EncryptBytesToFile("[neu]\r\n", store, kKey), CryptStatus::WriteFailed);
        EXPECT_EQ(readAll(store), oldStore);

        const QString workingCopy = path(QStringLiteral("kopie.ini"));
        ASSERT_TRUE(writeAll(workingCopy, "[alt]\r\n"));
        EXPECT_EQ(cipher.DecryptFile(store, workingCopy), CryptStatus::WriteFailed);
        EXPECT_EQ(readAll(workingCopy), QByteArray("[alt]\r\n"));
        AtomicWrite::setFaultHook({});
    }

    // Once writing works again the same calls replace the files completely.
    clsBlowfish cipher;
    ASSERT_EQ(cipher.EncryptBytesToFile("[neu]\r\n", store, kKey), CryptStatus::Ok);
    QByteArray plain;
    ASSERT_EQ(cipher.DecryptFileToBytes(store, plain), CryptStatus::Ok);
    EXPECT_EQ(plain, QByteArray("[neu]\r\n"));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);
}

TEST_F(CryptFiles, ReadOnlyDestinationIsReplaced)
{
    // A user's file is read-only between operations; enciphering into it must still work.
    const QString store = path(QStringLiteral("anna.dat"));
    ASSERT_TRUE(writeAll(store, "old"));
    ASSERT_TRUE(QFile::setPermissions(store, QFileDevice::ReadOwner));
    clsBlowfish cipher;
    ASSERT_EQ(cipher.EncryptBytesToFile("[Liste]\r\n", store, kKey), CryptStatus::Ok);
    QByteArray plain;
    ASSERT_EQ(cipher.DecryptFileToBytes(store, plain), CryptStatus::Ok);
    EXPECT_EQ(plain, QByteArray("[Liste]\r\n"));
}
