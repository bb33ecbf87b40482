#include "core/IniDocument.h"

#include "core/AtomicWrite.h"
#include "core/Cp1252.h"
#include "core/Wipe.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QList>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <utility>

namespace {

const QByteArray kCrLf = QByteArrayLiteral("\r\n");

// One line of the file with the line end it had on disk, so untouched lines keep their bytes.
struct Line {
    QByteArray text;
    QByteArray end;
};

inline bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArrayView trimmed(QByteArrayView v)
{
    qsizetype begin = 0;
    qsizetype end = v.size();
    while (begin < end && isBlank(v[begin]))
        ++begin;
    while (end > begin && isBlank(v[end - 1]))
        --end;
    return v.sliced(begin, end - begin);
}

// A line break inside a name or value would split the line on disk and could plant keys or
// sections of its own; it is written as a blank instead.
QByteArray singleLine(const QString& text)
{
    QByteArray bytes = Cp1252::encode(text);
    std::replace_if(bytes.begin(), bytes.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return bytes;
}

QByteArray nameBytes(const QString& name)
{
    return trimmed(singleLine(name)).toByteArray();
}

// The reader drops blanks around a value and one pair of matching quotes enclosing it.
QByteArrayView readerForm(QByteArrayView raw)
{
    QByteArrayView v = trimmed(raw);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.sliced(1, v.size() - 2);
    return v;
}

// A value that the reader would change (blanks at its ends, enclosing quotes) is written inside
// one more pair of quotes, so it reads back unchanged here and in any profile reader.
QByteArray writerForm(const QString& value)
{
    QByteArray bytes = singleLine(value);
    if (readerForm(bytes) != QByteArrayView(bytes))
        bytes = '"' + bytes + '"';
    return bytes;
}

// A value line's value as the reader hands it back.
QString readValue(const QByteArray& line)
{
    const QByteArrayView v = readerForm(QByteArrayView(line).sliced(line.indexOf('=') + 1));
    return Cp1252::decode(v.first(std::min<qsizetype>(v.size(), IniDocument::kMaxValueLength)));
}

QByteArray sectionName(QByteArrayView headerText)
{
    // Everything between the opening bracket and the last closing one, so a name holding ']'
    // (an account name may) still reads back whole.
    QByteArrayView v = trimmed(headerText).sliced(1);
    const qsizetype close = v.lastIndexOf(']');
    if (close >= 0)
        v = v.first(close);
    return trimmed(v).toByteArray();
}

bool isHeader(QByteArrayView text)
{
    const QByteArrayView v = trimmed(text);
    return !v.isEmpty() && v.front() == '[';
}

// singleLine(text) written at `dst`; the end.
char* putSingleLine(char* dst, QStringView text)
{
    Cp1252::encodeTo(text, dst);
    char* const end = dst + text.size();
    std::replace_if(dst, end, [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return end;
}

// nameBytes(name) written at `dst`; the end.
char* putName(char* dst, QStringView name)
{
    char* const end = putSingleLine(dst, name);
    const QByteArrayView written(dst, end - dst);
    const QByteArrayView kept = trimmed(written);
    if (kept.data() != dst)
        std::memmove(dst, kept.data(), static_cast<std::size_t>(kept.size()));
    return dst + kept.size();
}

// writerForm(value) written at `dst`, which has room for two more bytes than the value; the end.
char* putValue(char* dst, QStringView value)
{
    char* const end = putSingleLine(dst, value);
    const QByteArrayView written(dst, end - dst);
    if (readerForm(written) == written)
        return end;
    std::memmove(dst + 1, dst, static_cast<std::size_t>(written.size()));
    dst[0] = '"';
    end[1] = '"';
    return end + 2;
}

} // namespace

struct IniDocument::Impl {
    struct Section {
        Line header;
        QList<Line> body;
        // Folded key name -> body index of its first line; only key lines are indexed.
        QHash<QByteArray, qsizetype> keys;
        qsizetype lastKey = -1;
    };

    QList<Line> preamble;
    QList<Section> sections;
    // Folded section name -> index of the first section of that name.
    QHash<QByteArray, qsizetype> sectionIndex;

    void append(Line line)
    {
        if (isHeader(line.text)) {
            // The first section of a name wins; one lookup both finds and claims the name.
            const qsizetype before = sectionIndex.size();
            qsizetype& first = sectionIndex[Cp1252::upper(sectionName(line.text))];
            if (sectionIndex.size() != before)
                first = sections.size();
            sections.append(Section{std::move(line), {}, {}, -1});
            return;
        }
        if (sections.isEmpty()) {
            preamble.append(std::move(line));
            return;
        }
        Section& s = sections.last();
        const qsizetype eq = line.text.indexOf('=');
        if (eq >= 0) {
            const qsizetype before = s.keys.size();
            qsizetype& first = s.keys[Cp1252::upper(trimmed(QByteArrayView(line.text).first(eq)))];
            if (s.keys.size() != before)
                first = s.body.size();
            s.lastKey = s.body.size();
        }
        s.body.append(std::move(line));
    }

    void parse(const QByteArray& bytes)
    {
        qsizetype start = 0;
        while (start < bytes.size()) {
            const qsizetype nl = bytes.indexOf('\n', start);
            if (nl < 0) {
                append(Line{bytes.mid(start), {}});
                break;
            }
            const bool crlf = nl > start && bytes[nl - 1] == '\r';
            const qsizetype textEnd = crlf ? nl - 1 : nl;
            append(Line{bytes.mid(start, textEnd - start), crlf ? kCrLf : QByteArrayLiteral("\n")});
            start = nl + 1;
        }
    }

    const Section* find(const QString& section) const
    {
        const auto it = sectionIndex.constFind(nameKey(section));
        return it == sectionIndex.cend() ? nullptr : &sections[*it];
    }

    static QString value(const Section& s, const QByteArray& foldedKey)
    {
        const auto it = s.keys.constFind(foldedKey);
        return it == s.keys.cend() ? QString() : readValue(s.body[*it].text);
    }

    // Only the last line of a file can lack its line end; it gets one before anything follows it.
    Line* lastLine()
    {
        if (!sections.isEmpty()) {
            Section& s = sections.last();
            return s.body.isEmpty() ? &s.header : &s.body.last();
        }
        return preamble.isEmpty() ? nullptr : &preamble.last();
    }

    static void terminate(Line* line)
    {
        if (line && line->end.isEmpty())
            line->end = kCrLf;
    }

    void setValue(const QString& section, const QString& key, const QString& value)
    {
        const QByteArray sec = nameBytes(section);
        setIn(sec, Cp1252::upper(sec), key, value);
    }

    // setValue with the section's name and folded name worked out by the caller.
    void setIn(const QByteArray& sec, const QByteArray& secKey, const QString& key, const QString& value)
    {
        const QByteArray name = nameBytes(key);
        const QByteArray keyFold = Cp1252::upper(name);
        const QByteArray val = writerForm(value);

        const auto sit = sectionIndex.constFind(secKey);
        if (sit == sectionIndex.cend()) {
            terminate(lastLine());
            Section s{Line{'[' + sec + ']', kCrLf}, {Line{name + '=' + val, kCrLf}}, {}, 0};
            s.keys.insert(keyFold, 0);
            sectionIndex.insert(secKey, sections.size());
            sections.append(std::move(s));
            return;
        }

        Section& s = sections[*sit];
        const auto kit = s.keys.constFind(keyFold);
        if (kit != s.keys.cend()) {
            // Replaced in place under the name it already has, keeping its line end.
            Line& line = s.body[*kit];
            const QByteArrayView current = QByteArrayView(line.text).first(line.text.indexOf('='));
            QByteArray text = trimmed(current).toByteArray() + '=' + val;
            Wipe::bytes(line.text);
            line.text = std::move(text);
            return;
        }

        const qsizetype pos = s.lastKey + 1;
        terminate(pos == 0 ? &s.header : &s.body[pos - 1]);
        s.body.insert(pos, Line{name + '=' + val, kCrLf});
        s.keys.insert(keyFold, pos);
        s.lastKey = pos;
    }

    QByteArray toBytes() const
    {
        qsizetype total = 0;
        forEachLine([&](const Line& l) { total += l.text.size() + l.end.size(); });
        QByteArray out;
        out.reserve(total);
        forEachLine([&](const Line& l) { out.append(l.text).append(l.end); });
        return out;
    }

    template <typename F>
    void forEachLine(F f) const
    {
        std::for_each(preamble.cbegin(), preamble.cend(), f);
        for (const Section& s : sections) {
            f(s.header);
            std::for_each(s.body.cbegin(), s.body.cend(), f);
        }
    }

    void wipeAll()
    {
        auto w = [](Line& l) { Wipe::bytes(l.text); };
        std::for_each(preamble.begin(), preamble.end(), w);
        for (Section& s : sections) {
            w(s.header);
            std::for_each(s.body.begin(), s.body.end(), w);
        }
        preamble.clear();
        sections.clear();
        sectionIndex.clear();
    }
};

IniDocument::IniDocument() : d(new Impl) {}

IniDocument::~IniDocument()
{
    delete d;
}

IniDocument::IniDocument(const IniDocument& other) : d(new Impl(other.d ? *other.d : Impl{})) {}

IniDocument& IniDocument::operator=(const IniDocument& other)
{
    if (this != &other) {
        IniDocument copy(other);
        std::swap(d, copy.d);
    }
    return *this;
}

// A moved-from document holds no Impl; every member treats that as the empty document.
IniDocument::IniDocument(IniDocument&& other) noexcept : d(std::exchange(other.d, nullptr)) {}

IniDocument& IniDocument::operator=(IniDocument&& other) noexcept
{
    std::swap(d, other.d);
    return *this;
}

IniDocument IniDocument::fromBytes(const QByteArray& bytes)
{
    IniDocument doc;
    doc.d->parse(bytes);
    return doc;
}

QByteArray IniDocument::toBytes() const
{
    return d ? d->toBytes() : QByteArray();
}

std::optional<IniDocument> IniDocument::load(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return IniDocument();
    if (info.isDir())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    IniDocument doc = fromBytes(bytes);
    Wipe::bytes(bytes);
    return doc;
}

bool IniDocument::save(const QString& path) const
{
    // A write-protected file is not written, as the profile writer leaves it alone too; the
    // atomic replacement would otherwise go straight past the protection.
    if (QFileInfo::exists(path) && !(QFile::permissions(path) & QFileDevice::WriteOwner))
        return false;
    QByteArray bytes = toBytes();
    const bool ok = AtomicWrite::writeFile(path, bytes) == AtomicWrite::Status::Ok;
    Wipe::bytes(bytes);
    return ok;
}

QString IniDocument::value(const QString& section, const QString& key) const
{
    const Impl::Section* s = d ? d->find(section) : nullptr;
    return s ? Impl::value(*s, nameKey(key)) : QString();
}

QStringList IniDocument::numberedValues(const QString& section, const QString& prefix, int count) const
{
    QStringList out;
    if (count <= 0)
        return out;
    const Impl::Section* s = d ? d->find(section) : nullptr;
    if (!s) {
        out.resize(count);
        return out;
    }
    out.reserve(count);
    // A number is never blank and folds to itself, so prefix + number trims and folds as the whole
    // key name would once the prefix is trimmed at its start and folded.
    const QByteArray prefixBytes = singleLine(prefix);
    QByteArrayView lead = prefixBytes;
    while (!lead.isEmpty() && isBlank(lead.front()))
        lead = lead.sliced(1);
    QByteArray key = Cp1252::upper(lead);
    const qsizetype prefixSize = key.size();
    char digits[16];
    for (int n = 1; n <= count; ++n) {
        const char* end = std::to_chars(digits, digits + sizeof digits, n).ptr;
        key.truncate(prefixSize);
        key.append(digits, end - digits);
        out.append(Impl::value(*s, key));
    }
    return out;
}

QByteArray IniDocument::nameKey(const QString& name)
{
    return Cp1252::upper(nameBytes(name));
}

bool IniDocument::hasSection(const QString& section) const
{
    return d && d->find(section);
}

void IniDocument::setValue(const QString& section, const QString& key, const QString& value)
{
    if (!d)
        d = new Impl;
    d->setValue(section, key, value);
}

void IniDocument::setValues(const QString& section, const QList<std::pair<QString, QString>>& values)
{
    if (!d)
        d = new Impl;
    const QByteArray sec = nameBytes(section);
    const QByteArray secKey = Cp1252::upper(sec);
    const auto sit = d->sectionIndex.constFind(secKey);
    if (sit != d->sectionIndex.cend())
        d->sections[*sit].body.reserve(d->sections[*sit].body.size() + values.size());
    for (const auto& [key, value] : values)
        d->setIn(sec, secKey, key, value);
}

void IniDocument::appendNewSection(QByteArray& out, const QString& section,
                                   std::initializer_list<std::pair<QString, QString>> values)
{
    appendHeaderLine(out, section);
    for (const auto& [key, value] : values)
        appendKeyLine(out, key, value);
}

void IniDocument::appendHeaderLine(QByteArray& out, QStringView section)
{
    Wipe::ensureRoom(out, section.size() + kHeaderLineExtra);
    const qsizetype begin = out.size();
    out.resize(begin + section.size() + kHeaderLineExtra);
    out.truncate(putHeaderLine(out.data() + begin, section) - out.constData());
}

void IniDocument::appendKeyLine(QByteArray& out, QStringView key, QStringView value)
{
    Wipe::ensureRoom(out, key.size() + value.size() + kKeyLineExtra);
    const qsizetype begin = out.size();
    out.resize(begin + key.size() + value.size() + kKeyLineExtra);
    out.truncate(putKeyLine(out.data() + begin, key, value) - out.constData());
}

char* IniDocument::putHeaderLine(char* dst, QStringView section)
{
    *dst++ = '[';
    dst = putName(dst, section);
    *dst++ = ']';
    *dst++ = '\r';
    *dst++ = '\n';
    return dst;
}

char* IniDocument::putKeyLine(char* dst, QStringView key, QStringView value)
{
    dst = putName(dst, key);
    *dst++ = '=';
    dst = putValue(dst, value);
    *dst++ = '\r';
    *dst++ = '\n';
    return dst;
}

QStringList IniDocument::lines() const
{
    QStringList out;
    if (d)
        d->forEachLine([&](const Line& l) { out.append(Cp1252::decode(l.text)); });
    return out;
}

void IniDocument::setLines(const QStringList& lines)
{
    clear();
    if (!d)
        d = new Impl;
    // Every line is written back with CR LF, the last one included.
    for (const QString& line : lines) {
        QByteArray bytes = Cp1252::encode(line);
        if (bytes.contains('\n')) {
            // A line carrying its own breaks becomes several lines, as it would read from disk.
            Impl part;
            part.parse(bytes);
            part.forEachLine([&](const Line& l) { d->append(Line{l.text, kCrLf}); });
            continue;
        }
        d->append(Line{std::move(bytes), kCrLf});
    }
}

void IniDocument::clear()
{
    if (d)
        d->wipeAll();
}
