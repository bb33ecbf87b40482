#pragma once

#include "store/AccountEntry.h"

#include <QByteArray>
#include <QChar>
#include <QString>
#include <QStringList>
#include <QtGlobal>

class IniDocument;

// The rules by which account names and values become the INI layout of a store and back.

// Section name of an account: ä ö ü Ä Ö Ü ß become ae oe ue AE OE UE ss, nothing else changes.
QString ReplaceUmlauts(const QString& accountName);

// A comment on one INI line: CR becomes '#', LF becomes '§'; the reverse on reading. There is no
// escape, so a typed '#' or '§' reads back as a line break. Both keep the length.
QString EncodeLineBreaks(const QString& comment);
QString DecodeLineBreaks(const QString& stored);

// The section that holds the account list: kCountKey, and kAccountKeyPrefix followed by 1..Count.
extern const QString kListSection;
extern const QString kCountKey;
extern const QString kAccountKeyPrefix;

// Removes every section whose header line begins with "[section]" (case counts) together with all
// lines up to the next line that begins with '['; the other lines stay, each ending in CR LF.
// Works on an operation's plaintext in memory; the old text is wiped.
void DeleteIniSection(const QString& section, QByteArray& text);

// Classification of a key typed into an account-name box, by the Windows-1252 code of the character.
enum class AccountKeyClass {
    PassThrough,  // Ctrl+C, Backspace, Enter, Ctrl+V (3, 8, 13, 22): handed on untested
    Accepted,
    Rejected,     // swallowed: would break a section name, or cannot be stored at all
};

// A character that Windows-1252 cannot represent cannot be stored in the file, so it is rejected.
AccountKeyClass FilterAccountKey(QChar typed);
// The key-code form: a rejected code is set to 0; codes outside 0..255 are rejected.
void FilterAccountKey(qint16& keyCode);

// Reasons a name or value cannot go into the file even though typing let it through (pasting is
// not filtered). Each returns the offending position or -1.
// Account names: control characters, '[' and ']' (they would break the section header), and
// characters outside Windows-1252.
qsizetype findInvalidAccountNameChar(const QString& accountName);
// Single-line values (user, password, web address): line breaks, control characters other than tab
// (a store holding them would not count as store text), and characters outside Windows-1252.
qsizetype findInvalidValueChar(const QString& value);
// The comment: control characters other than tab, CR and LF (line breaks are encoded), and
// characters outside Windows-1252.
qsizetype findInvalidCommentChar(const QString& comment);

// Reading the layout from a parsed store, the same way for every front end.

// The list section: Count read with LeadingNumber16 (below 0 counts as 0), then the non-empty values
// of Account1..Count in key order. Returns the count.
qint16 readListSection(const IniDocument& document, QStringList& names);
// The four keys of the entry section ReplaceUmlauts(accountName), the comment decoded.
AccountEntry readAccountEntry(const IniDocument& document, const QString& accountName);
