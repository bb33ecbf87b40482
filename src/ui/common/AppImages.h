#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>

// The program's own pictures (drawn for it, kept as resources): the window icon that every window
// carries, the logoff picture, the login picture and the two mouse pointers.
class AppImages {
public:
    static QIcon windowIcon();
    static QPixmap logoffPicture();
    static QPixmap loginPicture();
    // The pointer over the login picture and the click area around it.
    static QCursor loginCursor();
    // The pointer over the web address.
    static QCursor linkCursor();

private:
    static void ensureLoaded();
};
