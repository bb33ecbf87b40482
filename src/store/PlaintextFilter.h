#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <utility>

class IniDocument;

// Line-level work on a store's plaintext before it is parsed, so that an operation parses only what
// it needs: reading one entry does not build a document of ten thousand sections.
namespace PlaintextFilter {

// DeleteIniSection on the bytes: every block from a line that begins with "[section]" (case counts)
// up to the next line that begins with '[' is dropped; every other line is kept and ends in CR LF.
// Lines end at LF, with one CR before it belonging to the line end, as the INI reader splits them.
QByteArray withoutSection(const QByteArray& plain, const QString& section);

// The section that an INI lookup of `section` finds (the first one of that name), with all its lines
// as they are; empty when there is none. A lookup in the result finds the same values as in the whole
// text, and the text after that section is not even looked at.
QByteArray sectionNamed(const QByteArray& plain, const QString& section);

// Where sectionNamed's section lies in `plain`: [begin, end), or begin = end = -1 when there is none.
std::pair<qsizetype, qsizetype> sectionRange(const QByteArray& plain, const QString& section);

// Changes one section in place: the section that sectionNamed finds is cut out, parsed alone, handed
// to `edit`, serialised and put back between the unchanged bytes before and after it. Without such a
// section `edit` gets an empty document and what it adds lands at the end of the text. Since the INI
// writer changes only the section it writes to, or appends at the end, the bytes are those of the
// same writes on the whole document. `edit` must write to `section` only.
void editSection(QByteArray& plain, const QString& section, const std::function<void(IniDocument&)>& edit);

// Whether deciphered bytes can be a store's text. The format has no check value, so this is what
// tells a wrong key whose garbage happened to pass the length field apart from a real store; every
// store is checked by it when it is opened and again before it is enciphered. Store text is what
// people type, one byte per Windows-1252 character: no control byte but tab, CR and LF (CR and LF
// also stand alone inside a comment's value); DEL is let through, since Ctrl+Backspace puts it into
// a Windows edit box. Any text with more than blanks has at least one section header line.
// The empty text and blank lines (a new user's placeholder) are store text.
bool isPlausible(QByteArrayView plain);

} // namespace PlaintextFilter
