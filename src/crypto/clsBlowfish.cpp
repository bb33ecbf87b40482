#include "crypto/clsBlowfish.h"

#include "core/AtomicWrite.h"
#include "core/Cp1252.h"
#include "core/ProcessProtection.h"
#include "core/Wipe.h"
#include "crypto/BlowfishTables.h"
#include "crypto/modCrypt.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

using modCrypt::GetWord;
using modCrypt::PutWord;
using modCrypt::UnsignedAdd;

namespace {

constexpr qsizetype kBlockSize = 8;
constexpr qsizetype kHeaderSize = 12;     // two filler words and the plaintext length
constexpr qsizetype kLengthOffset = 8;
constexpr qsizetype kMinEnciphered = 16;  // the enciphered form of the empty plaintext
constexpr uint32_t kFillerMask = 0x7FFFFFFF;
// The length field is a signed 32-bit value, and the whole buffer must fit behind it.
constexpr qsizetype kMaxPlain = std::numeric_limits<int32_t>::max() - kHeaderSize - kBlockSize;

// Flat view of one object's tables for the block loops, so that they inline into one function.
struct Rounds {
    const uint32_t* p;
    const uint32_t* s0;
    const uint32_t* s1;
    const uint32_t* s2;
    const uint32_t* s3;

    static Rounds over(const std::array<uint32_t, 18>& pArray, const std::array<std::array<uint32_t, 256>, 4>& sBoxes)
    {
        return Rounds{pArray.data(), sBoxes[0].data(), sBoxes[1].data(), sBoxes[2].data(), sBoxes[3].data()};
    }

    [[gnu::always_inline]] uint32_t f(uint32_t x) const
    {
        return UnsignedAdd(UnsignedAdd(s0[x >> 24], s1[(x >> 16) & 0xFF]) ^ s2[(x >> 8) & 0xFF], s3[x & 0xFF]);
    }

    // The sixteen rounds with the swaps folded away. Each half's subkey is XORed in before the
    // round function's result, which keeps it off the chain from one lookup to the next.
    [[gnu::always_inline]] void encrypt(uint32_t& l, uint32_t& r) const
    {
        l ^= p[0];
#pragma GCC unroll 8
        for (int k = 1; k < 17; k += 2) {
            r ^= p[k] ^ f(l);
            l ^= p[k + 1] ^ f(r);
        }
        const uint32_t t = r ^ p[17];
        r = l;
        l = t;
    }

    [[gnu::always_inline]] void decrypt(uint32_t& l, uint32_t& r) const
    {
        const uint32_t t = l ^ p[17];
        l = r;
        r = t;
#pragma GCC unroll 8
        for (int k = 16; k > 0; k -= 2) {
            l ^= p[k] ^ f(r);
            r ^= p[k - 1] ^ f(l);
        }
        l ^= p[0];
    }

    // Deciphers several independent blocks side by side: their table lookups overlap, which a
    // single chained block cannot do.
    template <int... Lane>
    [[gnu::always_inline]] void decryptLanes(uint32_t* l, uint32_t* r, std::integer_sequence<int, Lane...>) const
    {
        uint32_t t[sizeof...(Lane)];
        ((t[Lane] = l[Lane] ^ p[17]), ...);
        ((l[Lane] = r[Lane]), ...);
        ((r[Lane] = t[Lane]), ...);
#pragma GCC unroll 8
        for (int k = 16; k > 0; k -= 2) {
            ((l[Lane] ^= p[k] ^ f(r[Lane])), ...);
            ((r[Lane] ^= p[k - 1] ^ f(l[Lane])), ...);
        }
        ((l[Lane] ^= p[0]), ...);
    }
};

// One block through `pass` with the halves in locals: through the caller's references every round
// would be a store and a load.
template <void (Rounds::*pass)(uint32_t&, uint32_t&) const>
void throughLocals(const Rounds& rounds, uint32_t& l, uint32_t& r)
{
    uint32_t a = l;
    uint32_t b = r;
    (rounds.*pass)(a, b);
    l = a;
    r = b;
}

// Four lanes keep eight halves and the table pointers in registers.
constexpr int kLanes = 4;

// CBC encipher of the blocks at [from, to): a chain, one block after the other.
void encipherRange(const Rounds& rounds, unsigned char* data, qsizetype from, qsizetype to, uint32_t& cl, uint32_t& cr)
{
    for (qsizetype offset = from; offset < to; offset += kBlockSize) {
        uint32_t l = GetWord(data, offset) ^ cl;
        uint32_t r = GetWord(data, offset + 4) ^ cr;
        rounds.encrypt(l, r);
        PutWord(l, data, offset);
        PutWord(r, data, offset + 4);
        cl = l;
        cr = r;
    }
}

// CBC decipher of the blocks at [from, to). (cl, cr) is the enciphered block before `from`.
void decipherRange(const Rounds& rounds, unsigned char* data, qsizetype from, qsizetype to, uint32_t& cl, uint32_t& cr)
{
    qsizetype offset = from;
    for (; offset + kLanes * kBlockSize <= to; offset += kLanes * kBlockSize) {
        uint32_t l[kLanes];
        uint32_t r[kLanes];
        for (int k = 0; k < kLanes; ++k) {
            l[k] = GetWord(data, offset + k * kBlockSize);
            r[k] = GetWord(data, offset + k * kBlockSize + 4);
        }
        // The last enciphered block chains into the next group; read it before it is overwritten.
        const uint32_t nextCl = l[kLanes - 1];
        const uint32_t nextCr = r[kLanes - 1];
        static_assert(kLanes == 4, "the chaining words below are spelled out for four lanes");
        uint32_t prevL[kLanes] = {cl, l[0], l[1], l[2]};
        uint32_t prevR[kLanes] = {cr, r[0], r[1], r[2]};
        rounds.decryptLanes(l, r, std::make_integer_sequence<int, kLanes>());
        for (int k = 0; k < kLanes; ++k) {
            PutWord(l[k] ^ prevL[k], data, offset + k * kBlockSize);
            PutWord(r[k] ^ prevR[k], data, offset + k * kBlockSize + 4);
        }
        cl = nextCl;
        cr = nextCr;
    }
    for (; offset < to; offset += kBlockSize) {
        uint32_t l = GetWord(data, offset);
        uint32_t r = GetWord(data, offset + 4);
        const uint32_t nextCl = l;
        const uint32_t nextCr = r;
        rounds.decrypt(l, r);
        PutWord(l ^ cl, data, offset);
        PutWord(r ^ cr, data, offset + 4);
        cl = nextCl;
        cr = nextCr;
    }
}

// Runs `pass(from, to)` over a buffer of `size` bytes in stretches between two Progress events.
// The events are those of a check after every block: when the block's offset has reached the
// threshold T, the percentage is taken and the next threshold set; Progress(100) closes the pass.
template <typename Pass>
void passWithProgress(qsizetype size, const std::function<void(int32_t&)>& progress, Pass&& pass)
{
    auto raise = [&progress](int32_t percent) {
        if (progress)
            progress(percent);
    };
    qsizetype threshold = 0;
    qsizetype offset = 0;
    while (offset < size) {
        // The first block offset at or past the threshold.
        const qsizetype start = std::max(threshold, offset);
        const qsizetype trigger = (start + kBlockSize - 1) / kBlockSize * kBlockSize;
        const qsizetype last = std::min(trigger, size - kBlockSize);
        pass(offset, last + kBlockSize);
        if (last == trigger) {
            const int32_t percent = static_cast<int32_t>(static_cast<double>(trigger) / static_cast<double>(size) * 100.0);
            // nearbyint rounds halves to even in the default rounding mode.
            threshold = static_cast<qsizetype>(std::nearbyint((percent + 1) / 100.0 * static_cast<double>(size) + 1.0));
            raise(percent);
        }
        offset = last + kBlockSize;
    }
    raise(100);
}

uint32_t randomFiller()
{
    return QRandomGenerator::system()->generate() & kFillerMask;
}

// `spare` bytes of room behind the content let a plaintext grow into its enciphered form in place.
CryptStatus readSource(const QString& path, QByteArray& bytes, qsizetype spare = 0)
{
    if (!QFileInfo::exists(path))
        return CryptStatus::SourceMissing;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return CryptStatus::SourceUnreadable;
    // One allocation of the final size: a growing buffer would leave copies of a plaintext
    // source behind in freed memory.
    const qint64 size = file.size();
    QByteArray read;
    read.reserve(size + spare);
    read.resize(size);
    if (file.read(read.data(), size) != size || !file.atEnd()) {
        Wipe::bytes(read);
        return CryptStatus::SourceUnreadable;
    }
    bytes = std::move(read);
    return CryptStatus::Ok;
}

CryptStatus writeDestination(const QString& path, const QByteArray& bytes)
{
    return AtomicWrite::writeFile(path, bytes) == AtomicWrite::Status::Ok ? CryptStatus::Ok
                                                                           : CryptStatus::WriteFailed;
}

} // namespace

clsBlowfish::clsBlowfish()
    : clsBlowfish(SBoxArrangement::RoundRobin)
{
}

clsBlowfish::clsBlowfish(SBoxArrangement arrangement)
    : m_p(BlowfishTables::kInitialP)
{
    // The key schedule stands for the key: kept out of swap where the system allows.
    ProcessProtection::lockMemory(this, sizeof *this);
    const auto& words = BlowfishTables::kInitialSWords;
    for (int box = 0; box < 4; ++box) {
        for (int entry = 0; entry < 256; ++entry) {
            const int word = arrangement == SBoxArrangement::RoundRobin ? 4 * entry + box : 256 * box + entry;
            m_s[box][entry] = words[word];
        }
    }
}

qsizetype clsBlowfish::encipheredSize(qsizetype plainSize)
{
    const qsizetype c = plainSize + kHeaderSize;
    return c % kBlockSize == 0 ? c : c + kBlockSize - c % kBlockSize;
}

clsBlowfish::~clsBlowfish()
{
    // The scheduled tables determine the key as well as the key text does.
    Wipe::memory(m_p.data(), sizeof m_p);
    Wipe::memory(m_s.data(), sizeof m_s);
    if (m_key.isDetached() && !m_key.isEmpty())
        Wipe::memory(m_key.data(), static_cast<std::size_t>(m_key.size()) * sizeof(QChar));
    ProcessProtection::unlockMemory(this, sizeof *this);
}

uint32_t clsBlowfish::F(uint32_t x) const
{
    return Rounds::over(m_p, m_s).f(x);
}

void clsBlowfish::EncryptBlock(uint32_t& l, uint32_t& r) const
{
    throughLocals<&Rounds::encrypt>(Rounds::over(m_p, m_s), l, r);
}

void clsBlowfish::DecryptBlock(uint32_t& l, uint32_t& r) const
{
    throughLocals<&Rounds::decrypt>(Rounds::over(m_p, m_s), l, r);
}

void clsBlowfish::DecryptBlocks(unsigned char* data, qsizetype size, uint32_t& cl, uint32_t& cr) const
{
    decipherRange(Rounds::over(m_p, m_s), data, 0, size - size % kBlockSize, cl, cr);
}

void clsBlowfish::setKey(const QString& key)
{
    if (key == m_key)
        return;
    if (m_key.isDetached() && !m_key.isEmpty())
        Wipe::memory(m_key.data(), static_cast<std::size_t>(m_key.size()) * sizeof(QChar));
    m_key = key;
    ProcessProtection::lockText(m_key);

    // One byte per character, so the key length is the number of characters.
    QByteArray bytes = Cp1252::encode(key);
    const qsizetype n = bytes.size();
    const auto* k = reinterpret_cast<const unsigned char*>(bytes.constData());
    qsizetype pos = 0;
    for (uint32_t& p : m_p) {
        uint32_t d = 0;
        for (int i = 0; i < 4; ++i) {
            // The empty key contributes zero words.
            d = (d << 8) | (n > 0 ? k[pos] : 0u);
            if (++pos >= n)
                pos = 0;
        }
        p ^= d;
    }
    Wipe::bytes(bytes);

    // The rest of the schedule runs on the tables as they stand, not on the initial ones.
    uint32_t l = 0;
    uint32_t r = 0;
    for (int i = 0; i < 18; i += 2) {
        EncryptBlock(l, r);
        m_p[i] = l;
        m_p[i + 1] = r;
    }
    for (auto& box : m_s) {
        for (int e = 0; e < 256; e += 2) {
            EncryptBlock(l, r);
            box[e] = l;
            box[e + 1] = r;
        }
    }
}

CryptStatus clsBlowfish::EncryptByte(QByteArray& buffer, const QString& key)
{
    if (!key.isEmpty())
        setKey(key);
    const qsizetype n = buffer.size();
    if (n > kMaxPlain)
        return CryptStatus::BadLength;
    const qsizetype c = encipheredSize(n);

    // Grow in place only where no reallocation can happen behind our back.
    if (buffer.isDetached() && buffer.data_ptr().freeSpaceAtEnd() >= c - n) {
        buffer.resize(c);
        std::memmove(buffer.data() + kHeaderSize, buffer.constData(), static_cast<std::size_t>(n));
    } else {
        // Build the larger buffer ourselves so the plaintext is wiped from the old one rather
        // than left behind by a reallocation.
        QByteArray grown(c, Qt::Uninitialized);
        if (n > 0)
            std::memcpy(grown.data() + kHeaderSize, buffer.constData(), static_cast<std::size_t>(n));
        Wipe::bytes(buffer);
        buffer = std::move(grown);
    }
    auto* data = reinterpret_cast<unsigned char*>(buffer.data());
    std::memset(data + kHeaderSize + n, 0, static_cast<std::size_t>(c - kHeaderSize - n));
    // The header words are little-endian, unlike the cipher's own words.
    qToLittleEndian<uint32_t>(randomFiller(), data);
    qToLittleEndian<uint32_t>(randomFiller(), data + 4);
    qToLittleEndian<int32_t>(static_cast<int32_t>(n), data + kLengthOffset);

    const Rounds rounds = Rounds::over(m_p, m_s);
    uint32_t cl = 0;
    uint32_t cr = 0;
    passWithProgress(c, Progress, [&](qsizetype from, qsizetype to) {
        encipherRange(rounds, data, from, to, cl, cr);
    });
    return CryptStatus::Ok;
}

CryptStatus clsBlowfish::DecryptByte(QByteArray& buffer, const QString& key)
{
    if (!key.isEmpty())
        setKey(key);
    const qsizetype c = buffer.size();
    if (c < kMinEnciphered) {
        // Too short to hold a header: the new-user placeholder, read as the empty plaintext.
        buffer.clear();
        if (Progress) {
            int32_t percent = 100;
            Progress(percent);
        }
        return CryptStatus::Ok;
    }
    if (c % kBlockSize != 0)
        return CryptStatus::BadLength;

    const Rounds rounds = Rounds::over(m_p, m_s);
    // The length field depends on the first two enciphered blocks only: check it before the
    // buffer is touched, so a wrong key leaves the caller's bytes as they were.
    const auto* in = reinterpret_cast<const unsigned char*>(buffer.constData());
    uint32_t l = GetWord(in, 8);
    uint32_t r = GetWord(in, 12);
    rounds.decrypt(l, r);
    unsigned char lengthField[4];
    PutWord(l ^ GetWord(in, 0), lengthField, 0);
    const auto n = qFromLittleEndian<int32_t>(lengthField);
    if (n < 0 || n > c - kHeaderSize)
        return CryptStatus::CannotOpen;

    auto* data = reinterpret_cast<unsigned char*>(buffer.data());
    uint32_t cl = 0;
    uint32_t cr = 0;
    passWithProgress(c, Progress, [&](qsizetype from, qsizetype to) {
        decipherRange(rounds, data, from, to, cl, cr);
    });
    std::memmove(data, data + kHeaderSize, static_cast<std::size_t>(n));
    // The bytes behind the plaintext stay allocated after the cut; leave no copy of its tail there.
    Wipe::memory(data + n, static_cast<std::size_t>(c - n));
    buffer.resize(n);
    return CryptStatus::Ok;
}

QString clsBlowfish::EncryptString(const QString& text, const QString& key)
{
    QByteArray bytes = Cp1252::encode(text);
    EncryptByte(bytes, key);
    return Cp1252::decode(bytes);
}

QString clsBlowfish::DecryptString(const QString& text, const QString& key, CryptStatus* status)
{
    QByteArray bytes = Cp1252::encode(text);
    const CryptStatus result = DecryptByte(bytes, key);
    if (status)
        *status = result;
    if (result != CryptStatus::Ok)
        return {};
    const QString plain = Cp1252::decode(bytes);
    Wipe::bytes(bytes);
    return plain;
}

CryptStatus clsBlowfish::EncryptFile(const QString& sourceFile, const QString& destFile, const QString& key)
{
    QByteArray bytes;
    CryptStatus status = readSource(sourceFile, bytes, kHeaderSize + kBlockSize);
    if (status == CryptStatus::Ok)
        status = EncryptByte(bytes, key);
    if (status == CryptStatus::Ok)
        status = writeDestination(destFile, bytes);
    Wipe::bytes(bytes);
    return status;
}

CryptStatus clsBlowfish::DecryptFile(const QString& sourceFile, const QString& destFile, const QString& key)
{
    QByteArray bytes;
    CryptStatus status = readSource(sourceFile, bytes);
    if (status == CryptStatus::Ok)
        status = DecryptByte(bytes, key);
    if (status == CryptStatus::Ok)
        status = writeDestination(destFile, bytes);
    Wipe::bytes(bytes);
    return status;
}

CryptStatus clsBlowfish::DecryptFileToBytes(const QString& sourceFile, QByteArray& plain, const QString& key)
{
    Wipe::bytes(plain);
    QByteArray bytes;
    CryptStatus status = readSource(sourceFile, bytes);
    if (status == CryptStatus::Ok)
        status = DecryptByte(bytes, key);
    if (status == CryptStatus::Ok)
        plain = std::move(bytes);
    else
        Wipe::bytes(bytes);
    return status;
}

CryptStatus clsBlowfish::EncryptBytesToFile(const QByteArray& plain, const QString& destFile, const QString& key)
{
    // A shared copy: EncryptByte builds the enciphered form in a buffer of its own.
    QByteArray bytes = plain;
    CryptStatus status = EncryptByte(bytes, key);
    if (status == CryptStatus::Ok)
        status = writeDestination(destFile, bytes);
    Wipe::bytes(bytes);
    return status;
}
