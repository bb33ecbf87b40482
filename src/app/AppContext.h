#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>

// The application-wide values, filled once at start-up and read everywhere afterwards; only
// CompactMode changes later. Every folder value ends with the platform's separator.
struct AppContext {
    static inline const QString kAppTitle = QStringLiteral("Tarvenic Keywarden");

    QString AppPath;
    QString TempPath;
    // Caption stem of every window, default caption of every message, section of the settings.
    // Set before start-up so that a message shown from anywhere has its caption.
    QString AppTitle = kAppTitle;
    QString SettingsFile;
    QString WorkingCopyFile;
    QString BackImageFile;
    QString LoginSoundFile;
    QString LogoutSoundFile;
    // 1 while the main window has its compact height, else 0.
    qint16 CompactMode = 0;
};

// The one instance of the process.
AppContext& appContext();

// AppPath: the program's folder; TempPath: the temporary folder. Needs the application object.
void InitFolders();

// Fills the file paths and the title from AppPath and TempPath and reads CompactMode from the
// settings. The working copy goes beside the program when the root of the program's drive accepts
// a new file, else into the temporary folder. applyCompactMode, when given, is handed
// CompactMode == 1 at the end: the main window installs it to take its stored height.
void InitApplication(const std::function<void(bool compact)>& applyCompactMode = {});

// Where a window of `window` size goes on `screen` (available geometry): centred horizontally,
// centred vertically within the upper 85 % of the screen height, never above or left of the
// screen's origin. Returns the window's top-left corner; the size is not changed.
QPoint CenterForm(const QRect& screen, const QSize& window);

// Where a window at `window` goes so that all of it lies on a screen: the screen (available
// geometry) that shares the most of the window, else the nearest one, takes it, and the window is
// moved only as far as needed, along each axis on its own. A window larger than that screen keeps
// its top or left edge at the screen's. Without screens the place is kept.
QPoint KeepOnScreen(const QRect& window, const QList<QRect>& screens);
