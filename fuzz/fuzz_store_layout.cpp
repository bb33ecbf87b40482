// The layout procedures: names and values turned into the store's INI layout and back.
#include "FuzzInput.h"

#include "core/IniDocument.h"
#include "core/LeadingNumber.h"
#include "store/StoreLayout.h"

#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    const QString name = in.text(40);
    const QString comment = in.text(80);
    const QByteArray store = in.rest();

    const QString section = ReplaceUmlauts(name);
    for (const QChar c : {u'ä', u'ö', u'ü', u'Ä', u'Ö', u'Ü', u'ß'})
        FUZZ_CHECK(!section.contains(c));
    FUZZ_CHECK(section.size() >= name.size());

    const QString encoded = EncodeLineBreaks(comment);
    FUZZ_CHECK(encoded.size() == comment.size());
    FUZZ_CHECK(!encoded.contains(u'\r') && !encoded.contains(u'\n'));
    if (!comment.contains(u'#') && !comment.contains(u'§'))
        FUZZ_CHECK(DecodeLineBreaks(encoded) == comment);

    for (const QChar c : name) {
        const AccountKeyClass k = FilterAccountKey(c);
        qint16 code = static_cast<qint16>(c.unicode() > 0x7FFF ? -1 : c.unicode());
        FilterAccountKey(code);
        if (k == AccountKeyClass::Rejected)
            FUZZ_CHECK(code == 0);
    }
    for (const qsizetype at : {findInvalidAccountNameChar(name), findInvalidValueChar(comment),
                               findInvalidCommentChar(comment)})
        FUZZ_CHECK(at >= -1 && at < std::max(name.size(), comment.size()));
    if (findInvalidAccountNameChar(name) < 0)
        FUZZ_CHECK(!name.contains(u'[') && !name.contains(u']'));
    LeadingNumber16(comment);

    // An entry written into any store reads back, comment included, unless its text cannot be stored.
    IniDocument document = IniDocument::fromBytes(store);
    QStringList names;
    readListSection(document, names);
    const bool storable = !name.trimmed().isEmpty() && name.trimmed() == name && findInvalidAccountNameChar(name) < 0 &&
                          !section.contains(u'=') && findInvalidValueChar(comment) < 0;
    if (storable) {
        document.setValue(section, QStringLiteral("User"), comment);
        document.setValue(section, QStringLiteral("Comment"), EncodeLineBreaks(comment));
        const AccountEntry entry = readAccountEntry(IniDocument::fromBytes(document.toBytes()), name);
        FUZZ_CHECK(entry.User == comment.left(IniDocument::kMaxValueLength));
    }
    // Dropping an account's section leaves no header line of it (names with brackets never get here).
    QByteArray text = document.toBytes();
    DeleteIniSection(section, text);
    document = IniDocument::fromBytes(text);
    if (findInvalidAccountNameChar(name) < 0) {
        const QString header = QLatin1Char('[') + section + QLatin1Char(']');
        for (const QString& line : document.lines())
            FUZZ_CHECK(!line.startsWith(header));
    }
    return 0;
}
