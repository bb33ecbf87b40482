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
    // The plaintext working copy of older builds; the program no longer writes it, and deletes one
    // left behind at start-up. The user listing never shows it as a user.
    static inline const QString kLeftoverPlaintextName = QStringLiteral("pstmp.dat");

    // The data folder (DataFolder): stores, settings, pictures and sounds. Still named after the
    // program folder, which it is for every setup that keeps its data beside the program.
    QString AppPath;
    QString TempPath;
    // Caption stem of every window, default caption of every message, section of the settings.
    // Set before start-up so that a message shown from anywhere has its caption.
    QString AppTitle = kAppTitle;
    QString SettingsFile;
    QString BackImageFile;
    QString LoginSoundFile;
    QString LogoutSoundFile;
    // 1 while the main window has its compact height, else 0.
    qint16 CompactMode = 0;
    // Minutes without input after which the main window locks; 0: never. Read at start-up only.
    int AutoLockMinutes = kDefaultAutoLockMinutes;

    static constexpr int kDefaultAutoLockMinutes = 10;
    // One day: a longer wait is no lock at all, and it still fits a timer's milliseconds.
    static constexpr int kMaxAutoLockMinutes = 24 * 60;
};

// The one instance of the process.
AppContext& appContext();

// AppPath: the data folder (DataFolder::resolve; `chosenDataFolder` is --data-dir), created for its
// owner only when missing; TempPath: the temporary folder. False, with AppPath unchanged, when the
// data folder cannot be made. The program folder comes from the application object.
bool InitFolders(const QString& chosenDataFolder = {});

// Fills the file paths and the title from AppPath and TempPath, deletes a plaintext working copy
// that an older build left beside the stores or in the temporary folder (RemoveLeftoverPlaintext),
// and reads CompactMode and AutoLockMinutes from the settings. applyCompactMode, when given, is handed
// CompactMode == 1 at the end: the main window installs it to take its stored height.
void InitApplication(const std::function<void(bool compact)>& applyCompactMode = {});

// The minutes of the AutoLockMinutes setting: a leading whole or decimal number, rounded, at most
// kMaxAutoLockMinutes; 0 turns locking off. A value that does not start with a number, or a negative
// one, gives the default: a typing slip must not switch locking off. A fraction above 0 is 1 minute.
int AutoLockMinutesFromText(const QString& text);

// Deletes kLeftoverPlaintextName in AppPath and TempPath: regular files of this user's only, never
// through a link (RemoveOwnFile).
void RemoveLeftoverPlaintext();

// Where a window of `window` size goes on `screen` (available geometry): centred horizontally,
// centred vertically within the upper 85 % of the screen height, never above or left of the
// screen's origin. Returns the window's top-left corner; the size is not changed.
QPoint CenterForm(const QRect& screen, const QSize& window);

// Where a window at `window` goes so that all of it lies on a screen: the screen (available
// geometry) that shares the most of the window, else the nearest one, takes it, and the window is
// moved only as far as needed, along each axis on its own. A window larger than that screen keeps
// its top or left edge at the screen's. Without screens the place is kept.
QPoint KeepOnScreen(const QRect& window, const QList<QRect>& screens);
