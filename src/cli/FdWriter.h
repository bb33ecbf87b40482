#pragma once

#include <QByteArray>

// Writing to a file descriptor of the terminal or a pipe (standard output, standard error).
namespace FdWriter {

// Writes every byte, going on after a signal interrupted a write; false when the descriptor fails
// or takes nothing more.
bool writeAll(int fd, const QByteArray& bytes);

} // namespace FdWriter
