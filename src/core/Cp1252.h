#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QChar>
#include <QString>
#include <QStringView>

#include <array>

// Windows-1252, the one codec used wherever text crosses a file boundary (stores, settings, keys).
// Our own table: every byte maps to one character and back, and a character the code page
// lacks becomes '?' (3F), which the key schedule and the INI files rely on.
namespace Cp1252 {

// Bytes 80..9F that the code page leaves undefined (81, 8D, 8F, 90, 9D) map to the C1
// control characters of the same value, so every byte string round-trips.
QString decode(QByteArrayView bytes);
QByteArray encode(const QString& text);
// encode() into `out`, which has room for text.size() bytes.
void encodeTo(QStringView text, char* out);

// The byte for one character; false when the code page cannot represent it.
bool byteFor(QChar c, unsigned char& byte);
inline bool isRepresentable(QChar c)
{
    // Latin-1 outside 80..9F is the code page's own; only the rest needs the table.
    const char16_t u = c.unicode();
    unsigned char b;
    return u < 0x80 || (u >= 0xA0 && u <= 0xFF) || byteFor(c, b);
}
bool isRepresentable(const QString& text);

// Upper case per byte, as the ANSI profile functions compare names: every letter whose capital
// exists in the code page (umlauts, š, œ, ž, ÿ); ß and µ have none and stay. Indexed by byte.
const std::array<unsigned char, 256>& upperTable();
// `bytes` with every byte through upperTable().
QByteArray upper(QByteArrayView bytes);

} // namespace Cp1252
