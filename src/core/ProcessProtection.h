#pragma once

#include <QString>

#include <cstddef>

// What the operating system can do to keep secrets of a running process out of other hands: no core
// file and no debugger or /proc reader of another process of the same user, and memory that is
// never written to swap. Both programs call protectProcess() first thing in main.
namespace ProcessProtection {

// Sets the core file limit to 0 (soft and hard) and marks the process not dumpable. False when the
// system refused a step; the program runs on either way.
bool protectProcess();

// Keeps the pages holding [data, data + size) in memory (mlock); false where the system does not
// allow it (a limit, no such call), which is not an error. Locks do not stack: unlocking a range
// unlocks whole pages, whatever else was locked on them.
bool lockMemory(const void* data, std::size_t size);
void unlockMemory(const void* data, std::size_t size);
// The characters of a password. Copies of a text share its buffer, so the pages stay locked for the
// life of the process rather than be unlocked under another holder of the same password.
bool lockText(const QString& text);

} // namespace ProcessProtection
