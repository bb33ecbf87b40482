#pragma once

#include "store/StoreResult.h"

#include <QByteArray>
#include <QString>

// Text mode's store side: the whole store as one text, and its write-back.
class TextModeStore {
public:
    TextModeStore();
    ~TextModeStore();
    TextModeStore(const TextModeStore&) = delete;
    TextModeStore& operator=(const TextModeStore&) = delete;

    // LoadPwdDat's store side: deciphers `userFile` in memory, builds the text by the line rules and
    // checks whether it is plausible store text. A user without a file is refused (MissingUserFile).
    StoreResult LoadPwdDat(const QString& userFile, const QString& masterPassword);

    const QString& text() const { return m_text; }
    // False when the deciphered bytes are not store text (a wrong password that happened to
    // decipher): the window shows warningText() and opens read-only; writeBack refuses.
    bool isPlausible() const { return m_plausible; }
    static QString warningText();

    // Form_Unload's store side when the text changed: the text plus CR LF, in Windows-1252,
    // enciphered under the password of LoadPwdDat into a new file renamed over the user file,
    // read-only. Refused (Validation) after an implausible load or when the text holds characters
    // that Windows-1252 cannot represent.
    StoreResult writeBack(const QString& text);

    // The first line, then every further non-empty line, each with CR LF, with an empty line put
    // before each line that begins with '['. Lines end at CR LF, CR or LF.
    static QString formatText(const QString& plaintext);
    // No control characters other than CR, LF and tab; and, when there is more than white space,
    // at least one section header line.
    static bool isPlausibleStoreText(const QByteArray& plaintext);

    // Forgets the text and the password.
    void clear();

private:
    QString m_userFile;
    QString m_password;
    QString m_text;
    bool m_plausible = false;
    bool m_loaded = false;
};
