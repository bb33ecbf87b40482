#pragma once

#include <QByteArray>
#include <QString>

#include <ostream>

// Readable failure messages: GoogleTest finds these by argument-dependent lookup.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QByteArray& bytes, std::ostream* os)
{
    *os << "bytes " << bytes.toHex(' ').toStdString();
}
