#include "store/StoreLayout.h"

#include "core/Cp1252.h"
#include "core/IniDocument.h"
#include "core/LeadingNumber.h"
#include "core/Wipe.h"
#include "store/PlaintextFilter.h"

#include <algorithm>

const QString kListSection = QStringLiteral("Main");
const QString kCountKey = QStringLiteral("Count");
const QString kAccountKeyPrefix = QStringLiteral("Account");

namespace {

// One character for another, for two pairs at once; the length stays.
struct CharSwap {
    char16_t from;
    char16_t to;
};

QString swapped(const QString& text, CharSwap first, CharSwap second)
{
    QString out(text);
    for (QChar& c : out) {
        if (c == first.from)
            c = first.to;
        else if (c == second.from)
            c = second.to;
    }
    return out;
}

} // namespace

QString ReplaceUmlauts(const QString& accountName)
{
    // Most names hold none of the letters; they are handed back as they are, without a copy.
    const auto replaced = [](QChar c) {
        const char16_t u = c.unicode();
        return u == u'ä' || u == u'Ä' || u == u'ö' || u == u'Ö' || u == u'ü' || u == u'Ü' || u == u'ß';
    };
    if (std::none_of(accountName.begin(), accountName.end(), replaced))
        return accountName;
    QString out;
    out.reserve(accountName.size() + 4);
    for (const QChar c : accountName) {
        switch (c.unicode()) {
        case u'ä': out += u"ae"; break;
        case u'Ä': out += u"AE"; break;
        case u'ö': out += u"oe"; break;
        case u'Ö': out += u"OE"; break;
        case u'ü': out += u"ue"; break;
        case u'Ü': out += u"UE"; break;
        case u'ß': out += u"ss"; break;
        default: out += c; break;
        }
    }
    return out;
}

QString EncodeLineBreaks(const QString& comment)
{
    return swapped(comment, {u'\r', u'#'}, {u'\n', u'§'});
}

QString DecodeLineBreaks(const QString& stored)
{
    return swapped(stored, {u'#', u'\r'}, {u'§', u'\n'});
}

void DeleteIniSection(const QString& section, QByteArray& text)
{
    QByteArray without = PlaintextFilter::withoutSection(text, section);
    Wipe::bytes(text);
    text = std::move(without);
}

AccountKeyClass FilterAccountKey(QChar typed)
{
    unsigned char code;
    if (!Cp1252::byteFor(typed, code))
        return AccountKeyClass::Rejected;
    switch (code) {
    case 3: case 8: case 13: case 22:
        return AccountKeyClass::PassThrough;
    case 32: case 33: case 38: case 39: case 40: case 41: case 43: case 45: case 46:
        return AccountKeyClass::Accepted;
    default:
        break;
    }
    if (code < 48 || (code >= 58 && code <= 62) || (code >= 91 && code <= 94))
        return AccountKeyClass::Rejected;
    return AccountKeyClass::Accepted;
}

void FilterAccountKey(qint16& keyCode)
{
    if (keyCode < 0 || keyCode > 255) {
        keyCode = 0;
        return;
    }
    const QChar typed = Cp1252::decode(QByteArray(1, static_cast<char>(keyCode))).at(0);
    if (FilterAccountKey(typed) == AccountKeyClass::Rejected)
        keyCode = 0;
}

qsizetype findInvalidAccountNameChar(const QString& accountName)
{
    for (qsizetype i = 0; i < accountName.size(); ++i) {
        const QChar c = accountName.at(i);
        if (c.unicode() < 32 || c == u'\x7f' || c == u'[' || c == u']' || !Cp1252::isRepresentable(c))
            return i;
    }
    return -1;
}

qsizetype findInvalidValueChar(const QString& value)
{
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == u'\r' || c == u'\n' || (c.unicode() < 32 && c != u'\t') || !Cp1252::isRepresentable(c))
            return i;
    }
    return -1;
}

qsizetype findInvalidCommentChar(const QString& comment)
{
    for (qsizetype i = 0; i < comment.size(); ++i) {
        const QChar c = comment.at(i);
        const bool control = c.unicode() < 32 && c != u'\t' && c != u'\r' && c != u'\n';
        if (control || !Cp1252::isRepresentable(c))
            return i;
    }
    return -1;
}

qint16 readListSection(const IniDocument& document, QStringList& names)
{
    names.clear();
    const QString countText = document.value(kListSection, kCountKey);
    const qint16 count = countText.isEmpty() ? qint16(0) : std::max<qint16>(0, LeadingNumber16(countText));
    names = document.numberedValues(kListSection, kAccountKeyPrefix, count);
    names.removeIf([](const QString& name) { return name.isEmpty(); });
    return count;
}

AccountEntry readAccountEntry(const IniDocument& document, const QString& accountName)
{
    const QString section = ReplaceUmlauts(accountName);
    AccountEntry entry;
    entry.User = document.value(section, QStringLiteral("User"));
    entry.Pass = document.value(section, QStringLiteral("Pass"));
    entry.Web = document.value(section, QStringLiteral("Web"));
    entry.Comment = DecodeLineBreaks(document.value(section, QStringLiteral("Comment")));
    return entry;
}
