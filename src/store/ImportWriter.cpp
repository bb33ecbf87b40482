#include "store/ImportWriter.h"

#include "store/PlaintextFilter.h"
#include "store/StoreLayout.h"

#include "core/Cp1252.h"
#include "core/IniDocument.h"
#include "core/Wipe.h"

#include <QSet>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <utility>

namespace {

constexpr QByteArrayView kCrLf("\r\n");

// The key "Account<number>" in a buffer of the caller's, so ten thousand keys need no allocation.
QStringView listKey(char16_t (&buffer)[24], int number)
{
    std::copy(kAccountKeyPrefix.utf16(), kAccountKeyPrefix.utf16() + kAccountKeyPrefix.size(), buffer);
    char digits[12];
    const char* end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    qsizetype size = kAccountKeyPrefix.size();
    for (const char* p = digits; p != end; ++p)
        buffer[size++] = static_cast<char16_t>(*p);
    return QStringView(buffer, size);
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Whether the key name before a line's '=' is one of Account<first>..Account<last> to the INI
// reader: blanks around it dropped, letters compared in upper case.
bool isListKeyInRange(QByteArrayView name, int first, int last)
{
    while (!name.isEmpty() && isBlank(name.front()))
        name = name.sliced(1);
    while (!name.isEmpty() && isBlank(name.back()))
        name.chop(1);
    static const QByteArray upperPrefix = kAccountKeyPrefix.toUpper().toLatin1();
    const qsizetype prefixSize = upperPrefix.size();
    if (name.size() <= prefixSize || name.size() > prefixSize + 9)
        return false;
    const auto& upper = Cp1252::upperTable();
    for (qsizetype i = 0; i < prefixSize; ++i) {
        if (upper[static_cast<unsigned char>(name[i])] != static_cast<unsigned char>(upperPrefix[i]))
            return false;
    }
    const QByteArrayView digits = name.sliced(prefixSize);
    // The writer spells the number without sign or leading zero; another spelling is another key.
    if (digits.front() < '1' || digits.front() > '9')
        return false;
    int number = 0;
    const auto [end, error] = std::from_chars(digits.begin(), digits.end(), number);
    return error == std::errc() && end == digits.end() && number >= first && number <= last;
}

// Where the writer puts a key that the list section lacks: after the section's last key line, or
// after its header when it has no keys. `block` is the serialised section, header line first.
struct ListInsert {
    qsizetype at = 0;
    bool terminated = true;   // the line before `at` has its line end (only a file's last line may lack one)
    bool collides = false;    // one of the new keys is already there and would be replaced in place
};

ListInsert findListInsert(QByteArrayView block, int first, int last)
{
    ListInsert insert;
    bool header = true;
    for (qsizetype start = 0; start < block.size();) {
        const qsizetype nl = block.indexOf('\n', start);
        const qsizetype next = nl < 0 ? block.size() : nl + 1;
        const qsizetype textEnd = nl < 0 ? block.size() : (nl > start && block[nl - 1] == '\r' ? nl - 1 : nl);
        const QByteArrayView line = block.sliced(start, textEnd - start);
        const qsizetype eq = header ? -1 : line.indexOf('=');
        if (header || eq >= 0) {
            insert.at = next;
            insert.terminated = nl >= 0;
        }
        if (eq >= 0 && isListKeyInRange(line.first(eq), first, last))
            insert.collides = true;
        header = false;
        start = next;
    }
    return insert;
}

void writeEntry(IniDocument& document, const QString& section, const AccountEntry& entry)
{
    document.setValue(section, QStringLiteral("User"), entry.User);
    document.setValue(section, QStringLiteral("Pass"), entry.Pass);
    document.setValue(section, QStringLiteral("Web"), entry.Web);
    QString comment = EncodeLineBreaks(entry.Comment);
    document.setValue(section, QStringLiteral("Comment"), comment);
    Wipe::text(comment);
}

} // namespace

namespace ImportWriter {

void write(QByteArray& text, const QString& listSection, int storedCount,
           const QList<QPair<QString, AccountEntry>>& entries, const QStringList& sectionNames)
{
    const int first = storedCount + 1;
    const int count = storedCount + static_cast<int>(entries.size());

    // The list section is parsed alone and gets its Count the document's way; the new keys are
    // normally absent from it and are then written as lines after its last key, as the writer
    // appends them. A key left over above the old Count would be replaced in place instead, so
    // then the document takes them all.
    const auto [begin, end] = PlaintextFilter::sectionRange(text, listSection);
    const bool found = begin >= 0;
    QByteArray block = found ? text.mid(begin, end - begin) : QByteArray();
    IniDocument list = IniDocument::fromBytes(block);
    Wipe::bytes(block);
    list.setValue(listSection, kCountKey, QString::number(count));
    QByteArray changed = list.toBytes();
    const ListInsert insert = findListInsert(changed, first, count);
    if (insert.collides) {
        QList<std::pair<QString, QString>> values;
        values.reserve(entries.size());
        char16_t key[24];
        for (qsizetype i = 0; i < entries.size(); ++i)
            values.append({listKey(key, first + static_cast<int>(i)).toString(), entries.at(i).first});
        list.setValues(listSection, values);
        Wipe::bytes(changed);
        changed = list.toBytes();
    }
    list.clear();

    // Sections whose names the writer folds into one take the document's way; the others are new
    // sections appended in order. The names differ in upper case already, and the writer folds
    // case the same way over Windows-1252, so only blanks at a name's ends (which it drops) can
    // make two of them one.
    bool direct = true;
    const auto blankAtEnd = [](const QString& name) {
        return !name.isEmpty() && (name.front() == u' ' || name.back() == u' ' || name.front() == u'\t' ||
                                   name.back() == u'\t');
    };
    if (std::any_of(sectionNames.cbegin(), sectionNames.cend(), blankAtEnd)) {
        QSet<QByteArray> sectionKeys;
        sectionKeys.reserve(entries.size());
        for (const QString& section : sectionNames)
            sectionKeys.insert(IniDocument::nameKey(section));
        direct = sectionKeys.size() == entries.size();
    }

    // Every character becomes at most one byte; the rest is names, '=', quotes and line ends.
    constexpr qsizetype kLineExtra = IniDocument::kKeyLineExtra;
    qsizetype total = text.size() + changed.size() + 3 * kCrLf.size();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const AccountEntry& entry = entries.at(i).second;
        total += kAccountKeyPrefix.size() + 10 + entries.at(i).first.size() + kLineExtra;
        total += sectionNames.at(i).size() + IniDocument::kHeaderLineExtra + entry.User.size() + entry.Pass.size() +
            entry.Web.size() + entry.Comment.size() + 18 + 4 * kLineExtra;
    }
    // One buffer of the final size, written through a cursor: the plaintext is never moved while it grows.
    QByteArray out(total, Qt::Uninitialized);
    char* const start = out.data();
    char* dst = start;
    const auto put = [&dst](QByteArrayView bytes) {
        if (!bytes.isEmpty())
            std::memcpy(dst, bytes.data(), static_cast<std::size_t>(bytes.size()));
        dst += bytes.size();
    };
    const auto endLine = [&] {
        if (dst != start && dst[-1] != '\n')
            put(kCrLf);
    };

    if (found) {
        put(QByteArrayView(text).first(begin));
    } else {
        // The writer ends an unterminated last line before it appends a section.
        put(text);
        endLine();
    }
    if (insert.collides) {
        put(changed);
    } else {
        put(QByteArrayView(changed).first(insert.at));
        if (!insert.terminated)
            put(kCrLf);
        char16_t key[24];
        for (qsizetype i = 0; i < entries.size(); ++i)
            dst = IniDocument::putKeyLine(dst, listKey(key, first + static_cast<int>(i)), entries.at(i).first);
        put(QByteArrayView(changed).sliced(insert.at));
    }
    Wipe::bytes(changed);
    if (found)
        put(QByteArrayView(text).sliced(end));
    endLine();

    if (direct) {
        for (qsizetype i = 0; i < entries.size(); ++i) {
            const AccountEntry& entry = entries.at(i).second;
            dst = IniDocument::putHeaderLine(dst, sectionNames.at(i));
            dst = IniDocument::putKeyLine(dst, u"User", entry.User);
            dst = IniDocument::putKeyLine(dst, u"Pass", entry.Pass);
            dst = IniDocument::putKeyLine(dst, u"Web", entry.Web);
            QString comment = EncodeLineBreaks(entry.Comment);
            dst = IniDocument::putKeyLine(dst, u"Comment", comment);
            Wipe::text(comment);
        }
        out.truncate(dst - start);
    } else {
        out.truncate(dst - start);
        // The new sections are all new to the text, so writing them into one document appended at
        // the end gives the bytes of appending them one by one.
        IniDocument added;
        for (qsizetype i = 0; i < entries.size(); ++i)
            writeEntry(added, sectionNames.at(i), entries.at(i).second);
        QByteArray bytes = added.toBytes();
        added.clear();
        Wipe::ensureRoom(out, bytes.size());
        out.append(bytes);
        Wipe::bytes(bytes);
    }
    Wipe::bytes(text);
    text = std::move(out);
}

} // namespace ImportWriter
