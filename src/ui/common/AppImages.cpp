#include "ui/common/AppImages.h"

#include <QString>

// Outside any namespace: the resource initialiser is a global function. The library is static,
// so the resources are registered explicitly before the first picture is taken.
static void initKeywardenResources()
{
    Q_INIT_RESOURCE(KeywardenUi);
}

void AppImages::ensureLoaded()
{
    static const bool loaded = [] {
        initKeywardenResources();
        return true;
    }();
    Q_UNUSED(loaded);
}

QIcon AppImages::windowIcon()
{
    ensureLoaded();
    QIcon icon;
    icon.addFile(QStringLiteral(":/keywarden/keywarden16.png"));
    icon.addFile(QStringLiteral(":/keywarden/keywarden.png"));
    icon.addFile(QStringLiteral(":/keywarden/keywarden64.png"));
    return icon;
}

QPixmap AppImages::logoffPicture()
{
    ensureLoaded();
    return QPixmap(QStringLiteral(":/keywarden/logoff.png"));
}

QPixmap AppImages::loginPicture()
{
    ensureLoaded();
    return QPixmap(QStringLiteral(":/keywarden/login.png"));
}

QCursor AppImages::loginCursor()
{
    ensureLoaded();
    // Hot spot at the tip of the pointing finger.
    return QCursor(QPixmap(QStringLiteral(":/keywarden/login-cursor.png")), 10, 2);
}

QCursor AppImages::linkCursor()
{
    ensureLoaded();
    return QCursor(QPixmap(QStringLiteral(":/keywarden/link-cursor.png")), 10, 2);
}
