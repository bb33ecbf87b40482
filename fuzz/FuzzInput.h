#pragma once

#include "core/Cp1252.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// Splits one fuzzer input into the pieces a target needs: small numbers and texts taken from its
// front, the rest as one block. Texts are Windows-1252, as every text that crosses a file is.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    uint8_t byte()
    {
        if (m_pos >= m_size)
            return 0;
        return m_data[m_pos++];
    }

    // A piece of at most `maxLength` bytes, its length taken from the input.
    QByteArray bytes(size_t maxLength)
    {
        const size_t wanted = maxLength == 0 ? 0 : byte() % (maxLength + 1);
        const size_t n = wanted < m_size - m_pos ? wanted : m_size - m_pos;
        QByteArray out(reinterpret_cast<const char*>(m_data + m_pos), static_cast<qsizetype>(n));
        m_pos += n;
        return out;
    }

    QString text(size_t maxLength) { return Cp1252::decode(bytes(maxLength)); }

    QByteArray rest()
    {
        QByteArray out(reinterpret_cast<const char*>(m_data + m_pos), static_cast<qsizetype>(m_size - m_pos));
        m_pos = m_size;
        return out;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

// A property that must hold for every input; a broken one ends the run as a finding.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition))                                                                          \
            std::abort();                                                                          \
    } while (false)
