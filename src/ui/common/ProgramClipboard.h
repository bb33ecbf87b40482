#pragma once

#include <QByteArray>
#include <QString>

class QMimeData;

// The program's side of the system clipboard. A copied user name or password carries the hints
// that keep clipboard managers and the clipboard history from storing it, and the program only
// ever empties or replaces a text it put there itself: whatever the user copied meanwhile stays.
class ProgramClipboard {
public:
    // Puts a user name or password on the clipboard, marked as a secret, and remembers it as ours.
    void putSecret(const QString& text);
    // Puts a text that is no secret (the web address); it is not remembered and never cleared.
    static void putText(const QString& text);

    // True while the clipboard still holds the text the program put there last.
    bool holdsOurs() const;
    // Puts `text` in place of ours and remembers it as ours; a text of the user's stays untouched.
    // Returns whether the clipboard was changed.
    bool replaceIfOurs(const QString& text);
    // Leaves an empty text on the clipboard when it still holds ours; forgets ours either way.
    // Returns whether the clipboard was changed.
    bool clearIfOurs();

    // The data of a secret copy: plain text plus the hints for clipboard managers (and, on
    // Windows, for the clipboard history and its cloud sync). The caller owns it.
    static QMimeData* secretMimeData(const QString& text);
    static constexpr const char* kPasswordManagerHint = "x-kde-passwordManagerHint";

private:
    void remember(const QString& text);

    // A hash of the text we put there, so the secret itself is not held a second time.
    QByteArray m_fingerprint;
};
