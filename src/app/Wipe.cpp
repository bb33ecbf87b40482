#include "app/Wipe.h"

namespace Wipe {

void memory(void* data, std::size_t size)
{
    volatile unsigned char* p = static_cast<volatile unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i)
        p[i] = 0;
}

void bytes(QByteArray& buffer)
{
    if (!buffer.isEmpty() && buffer.isDetached())
        memory(buffer.data(), static_cast<std::size_t>(buffer.size()));
    buffer.clear();
}

void text(QString& text)
{
    if (!text.isEmpty() && text.isDetached())
        memory(text.data(), static_cast<std::size_t>(text.size()) * sizeof(QChar));
    text.clear();
}

} // namespace Wipe
