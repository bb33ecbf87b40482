#include "ui/UrlOpener.h"

#include "ui/ReplaceableAction.h"

#include <QDesktopServices>
#include <QUrl>

namespace {

ReplaceableAction<bool(const QString&)>& openAction()
{
    // Tolerant parsing, as a browser's address bar would take it (blanks and the like are encoded).
    static ReplaceableAction<bool(const QString&)> action(
        [](const QString& address) { return QDesktopServices::openUrl(QUrl(address, QUrl::TolerantMode)); });
    return action;
}

} // namespace

namespace UrlOpener {

bool open(const QString& address)
{
    return openAction()(address);
}

Action setAction(Action action)
{
    return openAction().replace(std::move(action));
}

} // namespace UrlOpener
