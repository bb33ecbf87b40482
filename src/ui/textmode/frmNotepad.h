#pragma once

#include "store/TextModeStore.h"

#include <QWidget>

#include <functional>

class QPlainTextEdit;
class StoreSession;

// Text mode: the user's whole deciphered store as plain text in one editable text box, written
// back into the user file on close when it was changed.
class frmNotepad : public QWidget {
    Q_OBJECT
public:
    // The login has set MasterPassword, UserFile and CurrentUser in `session` and hidden itself.
    // Shows the window and loads the store (LoadPwdDat). A wrong master password shows an error
    // and ends the program; a name without a user file, or a store that cannot be read, is
    // refused with a message and the window does not stay open. onClosed runs whenever the window
    // goes away without the program ending, so the login can show itself again.
    static void open(StoreSession& session, std::function<void()> onClosed);

    ~frmNotepad() override;

    // Deciphers the user's file and fills Text1. False when the window cannot stay open.
    bool LoadPwdDat();

    // The text box's text as the store holds it: lines ended by CR LF, every character unchanged.
    QString text() const;
    bool isChanged() const { return m_changed != 0; }
    bool isReadOnly() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    frmNotepad(StoreSession& session, std::function<void()> onClosed);
    void Form_Load();
    void Form_Resize();
    void Text1_Change();
    // False when the user chose to keep the window open after a failed write-back.
    bool Form_Unload();

    StoreSession& m_session;
    std::function<void()> m_onClosed;
    TextModeStore m_store;
    QPlainTextEdit* m_text1 = nullptr;
    qint16 m_changed = 0;
    bool m_loaded = false;   // LoadPwdDat filled the box; only then does closing play the logout cue
    bool m_ending = false;   // the program ends: the login is not shown again
    bool m_busy = false;     // loading or writing back lets events run; a close meanwhile waits
};
