#include "app/AppContext.h"
#include "app/DataFolder.h"
#include "app/FileServices.h"
#include "app/IdleWatcher.h"
#include "app/MessagePresenter.h"
#include "app/ProgramOptions.h"
#include "app/SessionLockWatcher.h"
#include "app/SoundPlayer.h"
#include "app/StoreFolderLock.h"
#include "core/ProcessProtection.h"
#include "store/StoreActivity.h"
#include "ui/AppWindows.h"
#include "ui/InstanceActivation.h"
#include "ui/MessageBoxBackend.h"
#include "ui/SoundBackend.h"
#include "ui/main/frmMain.h"

#include <QApplication>
#include <QDir>
#include <QProcessEnvironment>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdio>

namespace {

int printText(std::FILE* stream, const QString& text, int status)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    // Before anything could hold a secret: no core file, no reading of this process's memory.
    ProcessProtection::protectProcess();

    // --help and --version answer before anything needs a display.
    const ProgramOptions early = ProgramOptions::earlyParse(argc, argv);
    if (early.action == ProgramOptions::Action::Help)
        return printText(stdout, ProgramOptions::helpText(), 0);
    if (early.action == ProgramOptions::Action::Version)
        return printText(stdout, ProgramOptions::versionText(QStringLiteral("keywarden")), 0);

    QApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const ProgramOptions options = ProgramOptions::parse(arguments);
    if (options.action == ProgramOptions::Action::Usage)
        return printText(stderr, QStringLiteral("keywarden: ") + options.error + QStringLiteral(" (Hilfe: keywarden --help)\n"), 2);

    const QString dataFolder = DataFolder::resolve(QCoreApplication::applicationDirPath(), options.dataFolder,
                                                   QProcessEnvironment::systemEnvironment());
    if (!InitFolders(dataFolder))
        return printText(stderr,
                         QStringLiteral("keywarden: Der Datenordner „%1“ lässt sich nicht anlegen.\n")
                             .arg(QDir::toNativeSeparators(dataFolder)),
                         1);

    // One running copy per data folder: a second copy ends at once; it only asks the running one to
    // show its window. The lock is held until the process ends. A folder in which the lock file
    // cannot even be created is one in which no store can be written either.
    const QString activationSocket = appContext().AppPath + QStringLiteral("keywarden.socket");
    StoreFolderLock instance(appContext().AppPath);
    if (instance.tryAcquire() == StoreFolderLock::Status::HeldElsewhere) {
        InstanceActivation::activateRunning(activationSocket);
        return 0;
    }
    InstanceActivation activation(activationSocket);
    QObject::connect(&activation, &InstanceActivation::activationRequested, &InstanceActivation::raiseProgramWindow);
    activation.listen();

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

    // The logged-in window locks when the desktop locks, the machine goes to sleep or nobody has
    // used the program for AutoLockMinutes; without a bus only the idle time locks.
    SessionLockWatcher desktopLock;
    IdleWatcher idle;
    idle.setMinutes(appContext().AutoLockMinutes);
    windows.installLockSources(idle, desktopLock);

    windows.showLogin();
    return app.exec();
}
