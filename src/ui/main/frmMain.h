#pragma once

#include "store/StoreResult.h"
#include "ui/OpenDialogs.h"
#include "ui/main/frmEditSafe.h"

#include <QColor>
#include <QDialog>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <array>

class AppWindows;
class ClipboardCountdown;
class MarlettButton;
class PasswordBoxGenerator;
class PictureBox;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QShortcut;
class QTimer;
class StoreSession;
class XP_ProgressBar;

// The account browser and editor of a logged-in user: one account on show at a time, edited in
// place, new entries through frmEditSafe. Every store step is a StoreSession call; the window keeps
// no entry beyond what its fields show.
//
// Other windows call its intent-level functions (LoadAccountList, selectAccount,
// returnFromNewEntry); its controls are its own.
class frmMain : public QWidget {
    Q_OBJECT
public:
    // Outer heights in twips, title bar and frame included: full, compact, full with the countdown strip.
    static constexpr int kFullHeight = 4590;
    static constexpr int kCompactHeight = 2220;
    static constexpr int kCountdownHeight = 4950;
    static constexpr int kClientWidth = 4650;
    // The title bar and frame the heights include (a small caption and a fixed frame, 24 pixels at
    // 96 dpi). With it the compact client area ends where the comment row begins (the switch
    // Command3, which reaches 15 twips lower, is taken in whole), and the full one ends just below
    // the top of the countdown strip, which is hidden there.
    static constexpr int kFrameHeight = 360;

    // Viewing: an entry (or none) on show, the fields locked. Editing: the entry on show is edited
    // in place, "Bearbeiten" reads "Abbrechen".
    enum class Mode { Viewing, Editing };
    Q_ENUM(Mode)

    explicit frmMain(AppWindows& windows);
    ~frmMain() override;

    AppWindows& windows() { return m_windows; }
    StoreSession& session();

    // The outer height in twips (one of the three above) and the client height it gives.
    void setHeightTwips(int outerHeight);
    int heightTwips() const { return m_heightTwips; }
    static int clientHeightTwips(int outerHeight) { return outerHeight - kFrameHeight; }

    // Sets CompactMode to exactly 0 or 1, the height and Command3's symbol.
    void SetCompactMode(bool compact);
    // The empty viewing state: nothing selected, fields empty, delete and edit disabled.
    void List();
    // mode 1 unlocks user name, password and web address (Editing); any other value locks them.
    void LockEntryFields(qint16 mode);
    Mode mode() const { return m_mode; }
    // The focus into the account list, as after the login.
    void focusAccountList();
    // Fills cboAccount from the session's account list; nothing is selected afterwards.
    void LoadAccountList();
    // Chooses `name` in cboAccount as the user does (exact match): the entry is read and shown.
    // False when it is not listed.
    bool selectAccount(const QString& name);

    // Handlers, callable as the controls call them.
    void cboAccount_Click();
    void Check1_Click();
    void cmdEdit_Click();
    void cmdSave_Click();
    void cmdDelete_Click();
    void cmdAddNew_Click();
    void Command3_Click();
    void mnuChngMaster_Click();
    void Timer1_Timer();

    // Clipboard: copy user name or password (countdown in full height, pending in compact height),
    // the countdown's tick and end notice, the immediate clear, and the web address.
    void Command1_Click();
    void Command2_Click();
    void Picture1_Click();
    void lblWebAdress_MouseDown(Qt::MouseButton button, const QPoint& globalPos);
    void mnuCopyAdress_Click();
    // The address the link opens for `caption`, or "" when it is not opened: "http://" and
    // "https://" addresses as typed, "www." ones with "http://" in front (the prefixes in any case).
    static QString WebAddressToOpen(const QString& caption);
    // Shorter timers for tests; the defaults are ClipboardCountdown's.
    void setClipboardIntervals(int tickMs, int pauseMs, int noticeMs);
    // The pause between the emptied clipboard and the end notice; the copy buttons wait for it.
    bool countdownEnding() const;
    // True while the countdown strip (bar or end notice) is uncovered.
    bool clipboardStripShown() const;

    // Logoff: the store locked, then Top and Left written.
    void picLogoff_Click();
    // The logoff without a click and without a question (frmMainLock.cpp): an edit not saved is
    // dropped, the new-entry and master password dialogs close unsaved, an open message box gets
    // its cancelling answer. While a store operation runs, a dialog's code has not yet returned or
    // the window is locking, it tries again shortly; a window unloaded has nothing left to lock.
    void lock();
    // The pause before lock() tries again.
    static constexpr int kLockRetryMs = 100;
    // Empties a pending copy, locks the store (the list rewritten when entries changed; a failure
    // is shown, the lock completes), plays the logout sound. ShowLogin: the login window comes
    // back and this window is unloaded; otherwise the settings are written and the program ends.
    void LockStore(bool ShowLogin);
    // Empties the pending copy when the clipboard still holds it; the count goes to 0.
    void clearPendingClipboard();

    // Empties a pending copy, writes Top, Left and CompactMode to the settings.
    void Form_Unload();
    // Unloads the window for the logoff and before the program ends: the new-entry dialog is
    // closed, the timers stop and Form_Unload runs; the program itself does not end here.
    void unloadWindow();

    // Key codes of the letter keys A..Z give "a".."z", every other code "".
    static QString KeyCodeToLetter(int keyCode);

    frmEditSafe* editDialog() const { return m_editDialog; }
    // The new-entry dialog closes: the window comes back at `place`; after a new entry `name` it
    // shows the list again with the password box masked, after "Abbrechen" (`name` empty) as it was.
    void returnFromNewEntry(const QString& name, const QPoint& place);

    // Ctrl+F and "Suchen…": the search window over the listed names; the account chosen there is
    // shown as choosing it in cboAccount shows it. Not while editing (frmMainTools.cpp).
    void mnuSearch_Click();

    // The account name as it stood in the list when editing began.
    QString OldAccountName;
    // The clipboard countdown this window shows (Timer2, the pause, Timer3).
    ClipboardCountdown& countdown() { return *m_countdown; }

signals:
    void modeChanged(frmMain::Mode mode);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The window's back colour and the indicator's colours at rest and busy (frmMainControls.cpp).
    static const QColor kBackColor;
    static const QColor kIndicatorIdle;
    static const QColor kIndicatorActive;

    void setMode(Mode mode);
    // Sets cboAccount's index to `name` without reading the entry; false when it is not listed.
    bool showInList(const QString& name);
    // Creates every control at its place (frmMainControls.cpp).
    void createControls();
    void connectHandlers();
    void setTabOrder();
    void Form_Load();

    bool cboAccount_KeyDown(QKeyEvent* event);
    bool txtAccount_KeyPress(QKeyEvent* event);
    // The entry on show goes: user name, password, address and comment empty.
    void clearEntryFields();
    // The comment as it goes into the store: as it was read unless the user changed it.
    QString commentToSave() const;
    // Viewing, not editing: the address as a link, the fields locked; edit, delete and the link
    // work only while an entry is on show.
    void showViewingState(bool entryShown);
    // Back from editing to the list: the name box gives way to the list, compact height returns.
    void leaveEditing();
    // Moves the window as little as needed for all of it to lie on the nearest screen.
    void keepOnScreen();
    // Top and Left in the settings, in twips.
    void writePosition(const QPoint& position);
    void focusDummy();
    void focusField(StoreField field);
    void showFailure(const StoreResult& result);
    void setIndicatorColor(const QColor& color);
    void showPopMain(const QPoint& globalPos);
    void copyToClipboard(const QString& text);
    // The countdown's signals: the bar's tick, the notice after the clearing, the notice's end.
    void showCountdownTick(int value);
    void showClearedNotice();
    void endClearedNotice();
    // lock()'s steps before the logoff (frmMainLock.cpp): false while something must finish first.
    bool closeOpenDialogsForLock();
    void retryLock();
    // Search, the password generator and the names screen readers announce (frmMainTools.cpp).
    void createTools();
    void setAccessibleTexts();
    // Closes the search window or the generator when the window is unloaded under them.
    void closeTools();

    AppWindows& m_windows;
    int m_heightTwips = kFullHeight;
    Mode m_mode = Mode::Viewing;
    QPixmap m_backImage;
    // The comment of the entry on show as the store holds it (line breaks decoded).
    QString m_storedComment;
    QPointer<frmEditSafe> m_editDialog;
    bool m_unloading = false;  // being unloaded: a close now only closes the window
    bool m_unloaded = false;   // Form_Unload has run
    bool m_checkPlaceOnShow = false;  // a stored place was taken; checked again once the frame is known
    bool m_locking = false;    // LockStore runs (its message box lets events in)
    ClipboardCountdown* m_countdown = nullptr;
    QTimer* m_lockRetry = nullptr;  // lock() again once what was running has finished
    OpenDialogs m_openDialogs;

    // The controls, named as designed; tests find them by these object names.
    std::array<QLabel*, 7> lblBezeichner{};
    QComboBox* cboAccount = nullptr;
    QLineEdit* txtAccount = nullptr;
    QLineEdit* txtUserName = nullptr;
    MarlettButton* Command1 = nullptr;
    QLineEdit* txtPassWord = nullptr;
    MarlettButton* Command2 = nullptr;
    QLineEdit* txtWebSite = nullptr;
    QLabel* lblWebAdress = nullptr;
    MarlettButton* Command3 = nullptr;
    QPlainTextEdit* txtComments = nullptr;
    QCheckBox* Check1 = nullptr;
    PictureBox* Picture1 = nullptr;
    PictureBox* picLogoff = nullptr;
    QPushButton* cmdAddNew = nullptr;
    QPushButton* cmdEdit = nullptr;
    QPushButton* cmdDelete = nullptr;
    QPushButton* cmdSave = nullptr;
    XP_ProgressBar* XPProgressBar1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* dummy = nullptr;
    QTimer* Timer1 = nullptr;
    QMenu* mnuPopMain = nullptr;
    QAction* mnuChngMaster = nullptr;
    QMenu* mnuPop = nullptr;
    QAction* mnuCopyAdress = nullptr;
    QAction* mnuSearch = nullptr;
    QShortcut* m_findShortcut = nullptr;
    PasswordBoxGenerator* m_passwordGenerator = nullptr;
    QPointer<QDialog> m_searchDialog;
};
