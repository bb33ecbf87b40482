#include "app/AppContext.h"
#include "app/FileServices.h"
#include "app/MessagePresenter.h"
#include "app/ProcessProtection.h"
#include "app/StoreFolderLock.h"
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
    // Before anything could hold a secret: no core file, no reading of this process's memory.
    ProcessProtection::protectProcess();
    QApplication app(argc, argv);
    InitFolders();

    // One running copy per store folder: a second copy ends at once and without a trace, and the
    // running one is not disturbed. The lock is held until the process ends. A folder in which the
    // lock file cannot even be created is one in which no store can be written either.
    StoreFolderLock instance(appContext().AppPath);
    if (instance.tryAcquire() == StoreFolderLock::Status::HeldElsewhere)
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

    // The compact-mode step creates the main window hidden, in its stored height.
    InitApplication([&windows](bool compact) { windows.mainWindow().SetCompactMode(compact); });
    QApplication::setWindowIcon(windows.mainWindow().windowIcon());

    windows.showLogin();
    return app.exec();
}
