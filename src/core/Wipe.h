#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <functional>

// Overwriting secrets we are done with (passwords, a store's plaintext, cipher state) before their
// memory is let go. Every part of the program wipes through these, so the rule lives in one place.
namespace Wipe {

// Overwrites memory in a way the optimiser may not drop as a dead store.
void memory(void* data, std::size_t size);

// Overwrites the content of a buffer this caller alone holds, then empties it; a buffer shared with
// another copy is only released, since its content still belongs to the other holder.
void bytes(QByteArray& buffer);
void text(QString& text);

// Makes room for `extra` more bytes at the end of a buffer of secrets that is about to grow: if it
// has too little, its content moves to a larger buffer and the old one is wiped, where QByteArray's
// own growing would free it unwiped.
void ensureRoom(QByteArray& buffer, qsizetype extra);

// Test seam: while set, every non-empty text handed to text() is shown to the watcher first, so a
// test can tell that a secret went through the wipe.
using TextWatcher = std::function<void(const QString& text)>;
void setTextWatcher(TextWatcher watcher);

} // namespace Wipe
