#include "app/AppContext.h"
#include "app/FileServices.h"
#include "app/MessagePresenter.h"
#include "app/SingleInstanceGuard.h"
#include "app/SoundPlayer.h"
#include "ui/MessageBoxBackend.h"
#include "ui/SoundBackend.h"

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

    InitFolders();
    InitApplication();

    // The main window is created hidden by InitApplication's compact-mode step and the login
    // window is shown here; the event loop then runs until the last window closes.
    return 0;
}
