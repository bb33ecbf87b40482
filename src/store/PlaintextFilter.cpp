#include "store/PlaintextFilter.h"

#include "core/Cp1252.h"
#include "core/IniDocument.h"
#include "core/Wipe.h"

#include <QByteArrayMatcher>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// A control byte that typed text never holds: all but tab, CR and LF.
bool isStrayControl(char c)
{
    const auto b = static_cast<unsigned char>(c);
    constexpr unsigned kLineBytes = 1u << '\t' | 1u << '\n' | 1u << '\r';
    return b < 0x20 && !((kLineBytes >> (b & 31u)) & 1u);
}

// Whether a ']' follows `from` before the line ends: the '[' before it opened a header.
bool closedOnItsLine(QByteArrayView plain, qsizetype from)
{
    for (qsizetype j = from; j < plain.size() && plain[j] != '\r' && plain[j] != '\n'; ++j) {
        if (plain[j] == ']')
            return true;
    }
    return false;
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

// Whether a header line holds a section name without regard to case. Every header of a store is
// asked, so each is folded into one buffer kept for the whole pass (and wiped after it).
class HeaderMatcher {
public:
    explicit HeaderMatcher(const QString& section) : m_matcher(IniDocument::nameKey(section)) {}
    ~HeaderMatcher() { Wipe::bytes(m_line); }
    HeaderMatcher(const HeaderMatcher&) = delete;
    HeaderMatcher& operator=(const HeaderMatcher&) = delete;

    bool holdsName(QByteArrayView line)
    {
        const auto& table = Cp1252::upperTable();
        if (line.size() > m_line.capacity()) {
            // Grown by hand, so the shorter buffer is wiped before it is let go.
            Wipe::bytes(m_line);
            m_line.reserve(line.size());
        }
        m_line.resize(line.size());
        char* out = m_line.data();
        for (qsizetype i = 0; i < line.size(); ++i)
            out[i] = static_cast<char>(table[static_cast<unsigned char>(line[i])]);
        return m_matcher.indexIn(m_line) >= 0;
    }

private:
    QByteArrayMatcher m_matcher;
    QByteArray m_line;
};

// The bytes [begin, end) of the section that an INI lookup of a name finds: from the first header
// the reader takes for that name up to the next header line (or the end of the text).
struct Block {
    qsizetype begin = -1;
    qsizetype end = -1;
    bool found() const { return begin >= 0; }
};

Block findSection(const QByteArray& plain, const QString& section)
{
    HeaderMatcher matcher(section);
    Block block;
    const qsizetype n = plain.size();
    qsizetype start = 0;
    while (start < n) {
        const qsizetype nl = plain.indexOf('\n', start);
        const qsizetype next = nl < 0 ? n : nl + 1;
        const QByteArrayView line = QByteArrayView(plain).sliced(start, next - start);
        if (isHeader(line)) {
            if (block.found()) {
                block.end = start;
                return block;
            }
            // A header that holds the name is parsed alone and asked, so the reader's own rules of
            // blanks, brackets and case decide whether it is the one.
            if (matcher.holdsName(line)) {
                QByteArray header = line.toByteArray();
                IniDocument probe = IniDocument::fromBytes(header);
                if (probe.hasSection(section))
                    block.begin = start;
                probe.clear();
                Wipe::bytes(header);
            }
        }
        start = next;
    }
    if (block.found())
        block.end = n;
    return block;
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

QByteArray sectionNamed(const QByteArray& plain, const QString& section)
{
    const Block block = findSection(plain, section);
    return block.found() ? plain.mid(block.begin, block.end - block.begin) : QByteArray();
}

std::pair<qsizetype, qsizetype> sectionRange(const QByteArray& plain, const QString& section)
{
    const Block found = findSection(plain, section);
    return {found.begin, found.end};
}

void editSection(QByteArray& plain, const QString& section, const std::function<void(IniDocument&)>& edit)
{
    const Block found = findSection(plain, section);
    QByteArray block = found.found() ? plain.mid(found.begin, found.end - found.begin) : QByteArray();
    IniDocument document = IniDocument::fromBytes(block);
    Wipe::bytes(block);
    edit(document);
    QByteArray changed = document.toBytes();
    document.clear();

    QByteArray out;
    if (!found.found()) {
        out.reserve(plain.size() + changed.size() + 2);
        out.append(plain);
        // The writer ends an unterminated last line before it appends.
        if (!changed.isEmpty() && !out.isEmpty() && !out.endsWith('\n'))
            out.append("\r\n");
        out.append(changed);
    } else {
        out.reserve(plain.size() - (found.end - found.begin) + changed.size());
        out.append(QByteArrayView(plain).first(found.begin));
        out.append(changed);
        out.append(QByteArrayView(plain).sliced(found.end));
    }
    Wipe::bytes(changed);
    Wipe::bytes(plain);
    plain = std::move(out);
}

bool isPlausible(QByteArrayView plain)
{
    const qsizetype n = plain.size();
    bool onlyBlanks = true;
    bool header = false;
    bool lineStart = true;
    qsizetype i = 0;
    // Up to the first header every byte is looked at for its place in the line.
    for (; i < n && !header; ++i) {
        const char ch = plain[i];
        if (isStrayControl(ch))
            return false;
        if (ch == '\r' || ch == '\n') {
            lineStart = true;
            continue;
        }
        if (isBlank(ch))
            continue;
        onlyBlanks = false;
        if (lineStart && ch == '[')
            header = closedOnItsLine(plain, i + 1);
        lineStart = false;
    }
    // After it only the bytes count: one pass without a branch a byte.
    unsigned stray = 0;
    for (; i < n; ++i)
        stray |= isStrayControl(plain[i]) ? 1u : 0u;
    return stray == 0 && (header || onlyBlanks);
}

} // namespace PlaintextFilter
