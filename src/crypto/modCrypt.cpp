#include "crypto/modCrypt.h"

namespace modCrypt {

uint32_t GetWord(const QByteArray& buffer, qsizetype offset)
{
    uint32_t word = 0;
    for (qsizetype i = offset; i < offset + 4; ++i) {
        const bool inside = i >= 0 && i < buffer.size();
        word = (word << 8) | (inside ? static_cast<unsigned char>(buffer[i]) : 0u);
    }
    return word;
}

void PutWord(uint32_t word, QByteArray& buffer, qsizetype offset)
{
    for (qsizetype i = offset + 3; i >= offset; --i) {
        if (i >= 0 && i < buffer.size())
            buffer[i] = static_cast<char>(word & 0xFF);
        word >>= 8;
    }
}

} // namespace modCrypt
