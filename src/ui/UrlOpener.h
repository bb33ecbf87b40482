#pragma once

#include <QString>

#include <functional>

// Hands a web address to the desktop's default handler (the browser). Tests install their own
// action and see the address that would have been opened, without starting a browser.
namespace UrlOpener {

// False when the desktop could not open it; callers do not report that.
bool open(const QString& address);

using Action = std::function<bool(const QString& address)>;
// Returns the action installed before; an empty action restores the real one.
Action setAction(Action action);

} // namespace UrlOpener
