#include "core/Wipe.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

Wipe::TextWatcher& textWatcher()
{
    static Wipe::TextWatcher watcher;
    return watcher;
}

} // namespace

namespace Wipe {

void memory(void* data, std::size_t size)
{
    if (size == 0)
        return;
#if defined(__GNUC__) || defined(__clang__)
    // memset at full speed (a store's plaintext is megabytes); the empty asm that may read the
    // memory keeps the compiler from dropping it as a dead store.
    std::memset(data, 0, size);
    __asm__ __volatile__("" : : "r"(data) : "memory");
#else
    volatile unsigned char* p = static_cast<volatile unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i)
        p[i] = 0;
#endif
}

void bytes(QByteArray& buffer)
{
    if (!buffer.isEmpty() && buffer.isDetached())
        memory(buffer.data(), static_cast<std::size_t>(buffer.size()));
    buffer.clear();
}

void ensureRoom(QByteArray& buffer, qsizetype extra)
{
    if (buffer.isDetached() && buffer.data_ptr().freeSpaceAtEnd() >= extra)
        return;
    QByteArray grown;
    grown.reserve(std::max(buffer.size() + extra, 2 * buffer.size()));
    grown.append(QByteArrayView(buffer));
    bytes(buffer);
    buffer = std::move(grown);
}

void setTextWatcher(TextWatcher watcher)
{
    textWatcher() = std::move(watcher);
}

void text(QString& text)
{
    if (!text.isEmpty() && textWatcher())
        textWatcher()(text);
    if (!text.isEmpty() && text.isDetached())
        memory(text.data(), static_cast<std::size_t>(text.size()) * sizeof(QChar));
    text.clear();
}

} // namespace Wipe
