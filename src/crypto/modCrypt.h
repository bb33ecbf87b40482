#pragma once

#include <QByteArray>
#include <QtEndian>

#include <cstdint>

// Word procedures of the cipher. The cipher reads and writes its words big-endian, whatever the
// machine's byte order; the pointer forms are the ones the block loops use.
namespace modCrypt {

inline uint32_t GetWord(const unsigned char* buffer, qsizetype offset)
{
    return qFromBigEndian<uint32_t>(buffer + offset);
}

inline void PutWord(uint32_t word, unsigned char* buffer, qsizetype offset)
{
    qToBigEndian<uint32_t>(word, buffer + offset);
}

// Offsets outside the buffer read as zero bytes and are not written.
uint32_t GetWord(const QByteArray& buffer, qsizetype offset);
void PutWord(uint32_t word, QByteArray& buffer, qsizetype offset);

constexpr uint32_t UnsignedAdd(uint32_t a, uint32_t b)
{
    return a + b; // unsigned arithmetic wraps modulo 2^32
}

} // namespace modCrypt
