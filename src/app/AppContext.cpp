#include "app/AppContext.h"

#include "app/DataFolder.h"
#include "app/FileServices.h"
#include "app/Ini.h"
#include "app/LeadingNumber.h"

#include <QCoreApplication>
#include <QDir>

#include <cmath>
#include <limits>

AppContext& appContext()
{
    static AppContext context;
    return context;
}

bool InitFolders(const QString& chosenDataFolder)
{
    AppContext& app = appContext();
    app.TempPath = GetTempFolder();
    // Without the application object there is no program folder to ask for.
    const QString programFolder = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    const QString dataFolder =
        DataFolder::resolve(programFolder, chosenDataFolder, QProcessEnvironment::systemEnvironment());
    if (!DataFolder::ensureExists(dataFolder))
        return false;
    QString folder = QDir::toNativeSeparators(dataFolder);
    AddBackslash(folder);
    app.AppPath = folder;
    return true;
}

void InitApplication(const std::function<void(bool compact)>& applyCompactMode)
{
    AppContext& app = appContext();
    app.AppTitle = AppContext::kAppTitle;
    app.SettingsFile = app.AppPath + QStringLiteral("Keywarden.ini");
    // The probe tests the root of the drive holding the program folder, not the folder itself.
    app.WorkingCopyFile = (IsDriveWritable(app.AppPath) ? app.AppPath : app.TempPath) + QStringLiteral("pstmp.dat");
    app.BackImageFile = app.AppPath + QStringLiteral("Back.bmp");
    app.LoginSoundFile = app.AppPath + QStringLiteral("Login.wav");
    app.LogoutSoundFile = app.AppPath + QStringLiteral("Logout.wav");
    app.CompactMode = CompactModeFromText(ReadIni(app.AppTitle, QStringLiteral("CompactMode"), app.SettingsFile, "0"));
    if (applyCompactMode)
        applyCompactMode(app.CompactMode == 1);
}

qint16 CompactModeFromText(const QString& text)
{
    // nearbyint rounds halves to even in the default rounding mode.
    const double rounded = std::nearbyint(LeadingNumber(text));
    if (!(rounded >= std::numeric_limits<qint16>::min() && rounded <= std::numeric_limits<qint16>::max()))
        return 0;
    return static_cast<qint16>(rounded);
}

QPoint CenterForm(const QRect& screen, const QSize& window)
{
    // Vertically the window is centred in the upper 85 % of the screen, so it sits a little high.
    const double usableHeight = std::nearbyint(screen.height() * 0.85);
    const int sh = usableHeight > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                                                  : static_cast<int>(usableHeight);
    // Integer division truncates toward zero, as the placement has always computed it.
    const int top = std::max(0, sh / 2 - window.height() / 2);
    const int left = std::max(0, screen.width() / 2 - window.width() / 2);
    return QPoint(screen.x() + left, screen.y() + top);
}
