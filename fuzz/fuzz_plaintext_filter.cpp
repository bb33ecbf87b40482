// The plaintext filter: its line-level work on a store's bytes must give what the same work on
// the whole parsed document gives.
#include "FuzzInput.h"

#include "core/IniDocument.h"
#include "store/PlaintextFilter.h"

#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    const QString section = in.text(12);
    const QString key = in.text(10);
    const QString value = in.text(30);
    const QByteArray plain = in.rest();

    // A lookup in the section alone finds what it finds in the whole text.
    const IniDocument whole = IniDocument::fromBytes(plain);
    const QByteArray part = PlaintextFilter::sectionNamed(plain, section);
    FUZZ_CHECK(plain.contains(part));
    const IniDocument alone = IniDocument::fromBytes(part);
    FUZZ_CHECK(alone.hasSection(section) == whole.hasSection(section));
    FUZZ_CHECK(alone.value(section, key) == whole.value(section, key));

    // Dropping a section on the bytes is dropping its lines from the document: from a line that
    // begins with "[section]" up to the next line that begins with '['.
    QString header = section;
    if (!header.startsWith(u'['))
        header.prepend(u'[');
    if (!header.endsWith(u']'))
        header.append(u']');
    QStringList kept;
    bool skipping = false;
    for (const QString& line : whole.lines()) {
        if (skipping && line.startsWith(u'['))
            skipping = false;
        if (line.startsWith(header, Qt::CaseSensitive))
            skipping = true;
        if (!skipping)
            kept.append(line);
    }
    IniDocument dropped = whole;
    dropped.setLines(kept);
    FUZZ_CHECK(PlaintextFilter::withoutSection(plain, section) == dropped.toBytes());

    // A write into one section gives the bytes of the same write on the whole document.
    QByteArray edited = plain;
    PlaintextFilter::editSection(edited, section, [&](IniDocument& doc) { doc.setValue(section, key, value); });
    IniDocument reference = whole;
    reference.setValue(section, key, value);
    FUZZ_CHECK(edited == reference.toBytes());
    return 0;
}
