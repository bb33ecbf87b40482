#include "store/PlaintextFilter.h"

#include "app/Cp1252.h"
#include "app/IniDocument.h"

#include <QByteArrayMatcher>

#include <algorithm>
#include <array>

namespace {

// Upper case per code-page byte over every Windows-1252 letter, as the INI reader matches names.
const std::array<unsigned char, 256>& foldTable()
{
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int b = 0; b < 256; ++b) {
            const QChar upper = Cp1252::decode(QByteArray(1, static_cast<char>(b))).at(0).toUpper();
            unsigned char folded;
            t[b] = Cp1252::byteFor(upper, folded) ? folded : static_cast<unsigned char>(b);
        }
        return t;
    }();
    return table;
}

QByteArray folded(QByteArrayView bytes)
{
    const auto& table = foldTable();
    QByteArray out(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = static_cast<char>(table[static_cast<unsigned char>(bytes[i])]);
    return out;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// A line the INI reader takes for a section header: '[' after optional blanks.
bool isHeader(QByteArrayView line)
{
    qsizetype i = 0;
    while (i < line.size() && isBlank(line[i]))
        ++i;
    return i < line.size() && line[i] == '[';
}

// Calls f(text) for each line without its line end, the way the INI reader splits lines.
template <typename F>
void forEachLine(const QByteArray& plain, F f)
{
    qsizetype start = 0;
    const qsizetype n = plain.size();
    while (start < n) {
        qsizetype nl = plain.indexOf('\n', start);
        if (nl < 0)
            nl = n;
        qsizetype end = nl;
        if (nl < n && end > start && plain[end - 1] == '\r')
            --end;
        f(QByteArrayView(plain).sliced(start, end - start));
        start = nl + 1;
    }
}

void wipe(QByteArray& bytes)
{
    if (!bytes.isEmpty() && bytes.isDetached())
        std::fill(bytes.begin(), bytes.end(), '\0');
    bytes.clear();
}

QByteArray nameBytes(const QString& section)
{
    QByteArray bytes = Cp1252::encode(section);
    for (char& c : bytes) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return bytes.trimmed();
}

} // namespace

namespace PlaintextFilter {

QByteArray withoutSection(const QByteArray& plain, const QString& section)
{
    QString header = section;
    if (!header.startsWith(u'['))
        header.prepend(u'[');
    if (!header.endsWith(u']'))
        header.append(u']');
    const QByteArray h = Cp1252::encode(header);
    QByteArray out;
    out.reserve(plain.size() + 64);
    bool skipping = false;
    forEachLine(plain, [&](QByteArrayView line) {
        if (skipping && line.startsWith('['))
            skipping = false;
        if (line.startsWith(h))
            skipping = true;
        if (!skipping)
            out.append(line).append("\r\n");
    });
    return out;
}

QByteArray sectionsNamed(const QByteArray& plain, const QString& section)
{
    const QByteArrayMatcher matcher(folded(nameBytes(section)));
    QByteArray out;
    bool keeping = false;
    forEachLine(plain, [&](QByteArrayView line) {
        if (isHeader(line))
            keeping = matcher.indexIn(folded(line)) >= 0;
        if (keeping)
            out.append(line).append("\r\n");
    });
    return out;
}

void editSection(QByteArray& plain, const QString& section, const std::function<void(IniDocument&)>& edit)
{
    const QByteArrayMatcher matcher(folded(nameBytes(section)));
    const qsizetype n = plain.size();
    // Find the block [blockStart, blockEnd) of the first section the reader would match: candidates
    // are headers that contain the name; each one is parsed alone and asked, so the reader's own
    // rules decide.
    qsizetype blockStart = -1;
    qsizetype blockEnd = n;
    qsizetype candidate = -1;
    qsizetype start = 0;
    auto closeCandidate = [&](qsizetype end) {
        if (candidate < 0)
            return false;
        QByteArray block = plain.mid(candidate, end - candidate);
        IniDocument probe = IniDocument::fromBytes(block);
        const bool match = probe.hasSection(section);
        probe.clear();
        wipe(block);
        if (match) {
            blockStart = candidate;
            blockEnd = end;
        }
        candidate = -1;
        return match;
    };
    while (start < n) {
        qsizetype nl = plain.indexOf('\n', start);
        const qsizetype next = nl < 0 ? n : nl + 1;
        const QByteArrayView line = QByteArrayView(plain).sliced(start, next - start);
        if (isHeader(line)) {
            if (closeCandidate(start))
                break;
            if (matcher.indexIn(folded(line)) >= 0)
                candidate = start;
        }
        start = next;
    }
    if (blockStart < 0)
        closeCandidate(n);

    QByteArray block = blockStart < 0 ? QByteArray() : plain.mid(blockStart, blockEnd - blockStart);
    IniDocument document = IniDocument::fromBytes(block);
    wipe(block);
    edit(document);
    QByteArray changed = document.toBytes();
    document.clear();

    QByteArray out;
    if (blockStart < 0) {
        out.reserve(n + changed.size() + 2);
        out.append(plain);
        // The writer ends an unterminated last line before it appends.
        if (!changed.isEmpty() && !out.isEmpty() && !out.endsWith('\n'))
            out.append("\r\n");
        out.append(changed);
    } else {
        out.reserve(n - (blockEnd - blockStart) + changed.size());
        out.append(QByteArrayView(plain).first(blockStart));
        out.append(changed);
        out.append(QByteArrayView(plain).sliced(blockEnd));
    }
    wipe(changed);
    wipe(plain);
    plain = std::move(out);
}

} // namespace PlaintextFilter
