// The INI document: any bytes parse, serialise back to exactly themselves, and a value written
// reads back as written.
#include "FuzzInput.h"

#include "core/IniDocument.h"

#include <QStringList>

namespace {

// A value as the writer keeps it: a line break becomes a blank, and the reader hands back at most
// kMaxValueLength characters.
QString expectedValue(const QString& written)
{
    QString v = written;
    v.replace(u'\r', u' ');
    v.replace(u'\n', u' ');
    return v.left(IniDocument::kMaxValueLength);
}

// A name the document can hold: one line, no brackets, no '=', not blank, no blanks at its ends.
bool usableName(const QString& name)
{
    const QString t = name.trimmed();
    if (t.isEmpty() || t != name)
        return false;
    for (const QChar c : name) {
        if (c == u'[' || c == u']' || c == u'=' || c == u'\r' || c == u'\n' || c < QChar(u' '))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    const QString section = in.text(12);
    const QString key = in.text(12);
    const QString value = in.text(40);
    const QByteArray bytes = in.rest();

    IniDocument doc = IniDocument::fromBytes(bytes);
    FUZZ_CHECK(doc.toBytes() == bytes);
    // The lines as text and back: the same lines, each now ending in CR LF.
    IniDocument relined;
    relined.setLines(doc.lines());
    FUZZ_CHECK(relined.lines() == doc.lines());

    const QString before = doc.value(section, key);
    FUZZ_CHECK(before.size() <= IniDocument::kMaxValueLength);
    const QStringList numbered = doc.numberedValues(section, key, 3);
    FUZZ_CHECK(numbered.size() == 3);
    for (int n = 1; n <= 3; ++n)
        FUZZ_CHECK(numbered.at(n - 1) == doc.value(section, key + QString::number(n)));

    if (usableName(section) && usableName(key)) {
        doc.setValue(section, key, value);
        FUZZ_CHECK(doc.hasSection(section));
        FUZZ_CHECK(doc.value(section, key) == expectedValue(value));
        // Written and parsed again, the value is still there.
        const IniDocument again = IniDocument::fromBytes(doc.toBytes());
        FUZZ_CHECK(again.value(section, key) == expectedValue(value));
        FUZZ_CHECK(again.toBytes() == doc.toBytes());
    }
    doc.clear();
    FUZZ_CHECK(doc.toBytes().isEmpty());
    return 0;
}
