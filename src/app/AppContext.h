#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>

// The application-wide values, filled once at start-up and read everywhere afterwards; only
// CompactMode changes later. Every folder value ends with the platform's separator.
struct AppContext {
    static inline const QString kAppTitle = QStringLiteral("Tarvenic Keywarden");

    // The data folder (DataFolder): stores, settings, pictures and sounds. Still named after the
    // program folder, which it is for every setup that keeps its data beside the program.
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

// AppPath: the data folder (DataFolder::resolve; `chosenDataFolder` is --data-dir), created for its
// owner only when missing; TempPath: the temporary folder. False, with AppPath unchanged, when the
// data folder cannot be made. The program folder comes from the application object.
bool InitFolders(const QString& chosenDataFolder = {});

// Fills the file paths and the title from AppPath and TempPath and reads CompactMode from the
// settings. The working copy goes beside the program when the root of the program's drive accepts
// a new file, else into the temporary folder. applyCompactMode, when given, is handed
// CompactMode == 1 at the end: the main window installs it to take its stored height.
void InitApplication(const std::function<void(bool compact)>& applyCompactMode = {});

// The settings' CompactMode text as a number: its leading numeric part (nothing numeric is 0),
// rounded to the nearest whole number with halves to even; 0 when it does not fit 16 bits.
qint16 CompactModeFromText(const QString& text);

// Where a window of `window` size goes on `screen` (available geometry): centred horizontally,
// centred vertically within the upper 85 % of the screen height, never above or left of the
// screen's origin. Returns the window's top-left corner; the size is not changed.
QPoint CenterForm(const QRect& screen, const QSize& window);
