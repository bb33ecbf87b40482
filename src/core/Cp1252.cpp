#include "core/Cp1252.h"

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

bool isRepresentable(QChar c)
{
    unsigned char b;
    return byteFor(c, b);
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
    char* dst = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        unsigned char b;
        dst[i] = byteFor(text[i], b) ? static_cast<char>(b) : '?';
    }
    return out;
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
