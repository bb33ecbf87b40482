#include "app/AppContext.h"

#include "app/DataFolder.h"
#include "app/FileServices.h"
#include "core/Ini.h"
#include "core/LeadingNumber.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>

#include <algorithm>
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
    RemoveLeftoverPlaintext();
    app.BackImageFile = app.AppPath + QStringLiteral("Back.bmp");
    app.LoginSoundFile = app.AppPath + QStringLiteral("Login.wav");
    app.LogoutSoundFile = app.AppPath + QStringLiteral("Logout.wav");
    app.CompactMode = LeadingNumber16(ReadIni(app.AppTitle, QStringLiteral("CompactMode"), app.SettingsFile, "0"));
    app.AutoLockMinutes = AutoLockMinutesFromText(ReadIni(app.AppTitle, QStringLiteral("AutoLockMinutes"), app.SettingsFile));
    if (applyCompactMode)
        applyCompactMode(app.CompactMode == 1);
}

int AutoLockMinutesFromText(const QString& text)
{
    // The number as the one leading-number rule reads it: blanks, a sign, digits, a '.' fraction.
    static const QRegularExpression kNumber(QStringLiteral("^[ \\t]*([+-]?)([0-9]*)(?:\\.([0-9]*))?"));
    const QRegularExpressionMatch match = kNumber.match(text);
    const QString digits = match.captured(2) + match.captured(3);
    if (digits.isEmpty())
        return AppContext::kDefaultAutoLockMinutes;
    const bool aboveZero = digits.contains(QRegularExpression(QStringLiteral("[1-9]")));
    if (aboveZero && match.captured(1) == QLatin1String("-"))
        return AppContext::kDefaultAutoLockMinutes;
    const auto minutes = static_cast<int>(LeadingNumber(text, 0, AppContext::kMaxAutoLockMinutes));
    // "0.3" must not round to 0, which would turn locking off.
    return minutes == 0 && aboveZero ? 1 : minutes;
}

void RemoveLeftoverPlaintext()
{
    const AppContext& app = appContext();
    for (const QString& folder : {app.AppPath, app.TempPath}) {
        if (!folder.isEmpty())
            RemoveOwnFile(QDir(folder).filePath(AppContext::kLeftoverPlaintextName));
    }
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

namespace {

// How far apart two rectangles lie, squared; 0 when they touch or overlap.
qint64 squaredGap(const QRect& a, const QRect& b)
{
    const qint64 dx = std::max<qint64>({0, qint64(b.left()) - a.right(), qint64(a.left()) - b.right()});
    const qint64 dy = std::max<qint64>({0, qint64(b.top()) - a.bottom(), qint64(a.top()) - b.bottom()});
    return dx * dx + dy * dy;
}

qint64 sharedArea(const QRect& a, const QRect& b)
{
    const QRect shared = a.intersected(b);
    return shared.isEmpty() ? 0 : qint64(shared.width()) * shared.height();
}

int keepInside(int start, int length, int areaStart, int areaLength)
{
    // Too long for the area: its start edge stays reachable.
    if (length >= areaLength)
        return areaStart;
    return std::clamp(start, areaStart, areaStart + areaLength - length);
}

} // namespace

QPoint KeepOnScreen(const QRect& window, const QList<QRect>& screens)
{
    const QRect* best = nullptr;
    for (const QRect& screen : screens) {
        if (screen.isEmpty())
            continue;
        if (!best) {
            best = &screen;
            continue;
        }
        const qint64 shared = sharedArea(window, screen);
        const qint64 bestShared = sharedArea(window, *best);
        if (shared > bestShared || (shared == bestShared && shared == 0 && squaredGap(window, screen) < squaredGap(window, *best)))
            best = &screen;
    }
    if (!best)
        return window.topLeft();
    return QPoint(keepInside(window.x(), window.width(), best->x(), best->width()),
                  keepInside(window.y(), window.height(), best->y(), best->height()));
}
