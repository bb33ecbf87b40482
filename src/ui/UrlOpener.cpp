#include "ui/UrlOpener.h"

#include <QDesktopServices>
#include <QUrl>

namespace {

UrlOpener::Action& installedAction()
{
    static UrlOpener::Action action;
    return action;
}

} // namespace

namespace UrlOpener {

bool open(const QString& address)
{
    if (installedAction())
        return installedAction()(address);
    // Tolerant parsing, as a browser's address bar would take it (blanks and the like are encoded).
    return QDesktopServices::openUrl(QUrl(address, QUrl::TolerantMode));
}

Action setAction(Action action)
{
    Action previous = std::move(installedAction());
    installedAction() = std::move(action);
    return previous;
}

} // namespace UrlOpener
