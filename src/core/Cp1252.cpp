#include "core/Cp1252.h"

#include <algorithm>
#include <array>

namespace {

// Characters of bytes 80..9F; the undefined ones keep their C1 control value.
constexpr std::array<char16_t, 32> kHighTable = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

inline char16_t charOf(unsigned char b)
{
    if (b >= 0x80 && b <= 0x9F)
        return kHighTable[b - 0x80];
    return b;
}

} // namespace

namespace Cp1252 {

QString decode(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* dst = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        dst[i] = QChar(charOf(static_cast<unsigned char>(bytes[i])));
    return out;
}

bool byteFor(QChar c, unsigned char& byte)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
        byte = static_cast<unsigned char>(u);
        return true;
    }
    for (int i = 0; i < 32; ++i) {
        if (kHighTable[i] == u) {
            byte = static_cast<unsigned char>(0x80 + i);
            return true;
        }
    }
    return false;
}


bool isRepresentable(const QString& text)
{
    for (QChar c : text)
        if (!isRepresentable(c))
            return false;
    return true;
}

QByteArray encode(const QString& text)
{
    // One byte per UTF-16 unit, so lengths in characters and in bytes agree;
    // a unit outside the code page (either half of a surrogate pair too) becomes '?'.
    QByteArray out(text.size(), Qt::Uninitialized);
    encodeTo(text, out.data());
    return out;
}

void encodeTo(QStringView text, char* out)
{
    const char16_t* src = text.utf16();
    const qsizetype n = text.size();
    qsizetype i = 0;
    // Most store text is Latin-1, which maps to itself; blocks of it are copied in a loop the
    // compiler can vectorise, and only the rest goes through the table.
    constexpr qsizetype kBlock = 16;
    while (i < n) {
        if (i + kBlock <= n) {
            char16_t high = 0;
            for (qsizetype k = 0; k < kBlock; ++k)
                high |= src[i + k] & 0xFF00;
            bool c1 = false;
            for (qsizetype k = 0; k < kBlock; ++k)
                c1 |= src[i + k] >= 0x80 && src[i + k] < 0xA0;
            if (high == 0 && !c1) {
                for (qsizetype k = 0; k < kBlock; ++k)
                    out[i + k] = static_cast<char>(src[i + k]);
                i += kBlock;
                continue;
            }
        }
        const qsizetype stop = std::min(n, i + kBlock);
        for (; i < stop; ++i) {
            unsigned char b;
            out[i] = byteFor(QChar(src[i]), b) ? static_cast<char>(b) : '?';
        }
    }
}

const std::array<unsigned char, 256>& upperTable()
{
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int b = 0; b < 256; ++b) {
            const QChar capital = QChar(charOf(static_cast<unsigned char>(b))).toUpper();
            unsigned char byte;
            t[b] = byteFor(capital, byte) ? byte : static_cast<unsigned char>(b);
        }
        return t;
    }();
    return table;
}

QByteArray upper(QByteArrayView bytes)
{
    const auto& table = upperTable();
    QByteArray out(bytes.size(), Qt::Uninitialized);
    char* dst = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        dst[i] = static_cast<char>(table[static_cast<unsigned char>(bytes[i])]);
    return out;
}

} // namespace Cp1252
