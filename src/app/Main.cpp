#include "app/AppContext.h"
#include "app/FileServices.h"
#include "app/MessagePresenter.h"
#include "app/SingleInstanceGuard.h"
#include "app/SoundPlayer.h"
#include "ui/MessageBoxBackend.h"
#include "ui/SoundBackend.h"
#include "ui/main/AppWindows.h"
#include "ui/main/frmMain.h"
#include "store/StoreActivity.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);

    // A second copy ends at once and without a trace; the running one is not disturbed.
    SingleInstanceGuard instance;
    if (!instance.tryAcquire())
        return 0;

    // Qt's own dialogs and context menus speak German like the rest of the program.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    MessageBoxBackend messages;
    setMessagePresenter(&messages);
    SoundBackend sounds;
    setSoundPlayer(&sounds);

    // Between the steps of a store operation pending window events run, so the windows repaint.
    StoreActivity::setEventPump([] { QCoreApplication::processEvents(); });

    // The windows and the one StoreSession they share live here until the program ends. The
    // program ends explicitly: closing the login window or the main window ends it, while a
    // window that is only hidden for a dialog or text mode does not.
    AppWindows windows;
    QApplication::setQuitOnLastWindowClosed(false);

    InitFolders();
    // The compact-mode step creates the main window hidden, in its stored height.
    InitApplication([&windows](bool compact) { windows.mainWindow().SetCompactMode(compact); });
    QApplication::setWindowIcon(windows.mainWindow().windowIcon());

    windows.showLogin();
    return app.exec();
}
