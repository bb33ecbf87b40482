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

    // LoadPwdDat's store side: deciphers `userFile` in memory and builds the text by the line rules.
    // A wrong password is WrongKey, also when its garbage passed the length field. A user without a
    // file is refused (MissingUserFile).
    StoreResult LoadPwdDat(const QString& userFile, const QString& masterPassword);

    const QString& text() const { return m_text; }

    // Form_Unload's store side when the text changed: the text plus CR LF, in Windows-1252,
    // enciphered under the password of LoadPwdDat into a new file renamed over the user file,
    // read-only. Refused (Validation) when the text holds characters that Windows-1252 cannot
    // represent or is no plausible store text, and when it would key a new user's placeholder with
    // a password that Windows-1252 cannot represent.
    StoreResult writeBack(const QString& text);

    // The first line, then every further non-empty line, each with CR LF, with an empty line put
    // before each line that begins with '['. Lines end at CR LF, CR or LF.
    static QString formatText(const QString& plaintext);

    // Forgets the text and the password.
    void clear();

private:
    QString m_userFile;
    QString m_password;
    QString m_text;
    bool m_loaded = false;
};
