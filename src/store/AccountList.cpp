#include "store/AccountList.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace {

// German collation at secondary strength: umlauts sort with their base letter, case is ignored.
const QCollator& collator()
{
    static const QCollator c = [] {
        QCollator german(QLocale(QLocale::German, QLocale::Germany));
        german.setCaseSensitivity(Qt::CaseInsensitive);
        german.setNumericMode(false);
        return german;
    }();
    return c;
}

// The collator's rank of each printable ASCII character, learnt from the collator itself: equal
// ranks for characters it does not tell apart ('a' and 'A'); 0 for every other character.
const std::array<quint8, 128>& asciiRanks()
{
    static const std::array<quint8, 128> ranks = [] {
        QStringList chars;
        for (char16_t c = 0x20; c < 0x7F; ++c)
            chars.append(QString(QChar(c)));
        const auto collatorLess = [](const QString& a, const QString& b) { return collator().compare(a, b) < 0; };
        std::stable_sort(chars.begin(), chars.end(), collatorLess);
        std::array<quint8, 128> r{};
        quint8 rank = 0;
        for (qsizetype i = 0; i < chars.size(); ++i) {
            if (i == 0 || collatorLess(chars.at(i - 1), chars.at(i)))
                ++rank;
            r[chars.at(i).at(0).unicode()] = rank;
        }
        return r;
    }();
    return ranks;
}

bool isPrintableAscii(QStringView s)
{
    return std::all_of(s.begin(), s.end(), [](QChar c) { return c.unicode() >= u' ' && c.unicode() <= u'~'; });
}

// A name as it takes part in comparisons; whether it is printable ASCII is found once per name.
struct SortName {
    explicit SortName(QStringView s) : text(s), ascii(isPrintableAscii(s)) {}
    QStringView text;
    bool ascii;
};

// The collator's order of two names. On printable ASCII every character is one collation element of
// its own with the common accent weight, so the collator's answer is the first differing rank, or
// the shorter name first; that is read from the table without the collator's general machinery,
// which dominated sorting a long list. Other names go to the collator. (A test holds the two against
// each other on every name of up to two such characters.)
int collate(const SortName& a, const SortName& b)
{
    if (!a.ascii || !b.ascii)
        return collator().compare(a.text, b.text);
    const auto& ranks = asciiRanks();
    const char16_t* pa = a.text.utf16();
    const char16_t* pb = b.text.utf16();
    const qsizetype n = std::min(a.text.size(), b.text.size());
    for (qsizetype i = 0; i < n; ++i) {
        if (pa[i] == pb[i])
            continue;
        const int d = ranks[pa[i]] - ranks[pb[i]];
        if (d != 0)
            return d;
    }
    return a.text.size() < b.text.size() ? -1 : (a.text.size() > b.text.size() ? 1 : 0);
}

// The list's order: the collator's, ties broken by the exact text.
int compareNames(const SortName& a, const SortName& b)
{
    const int c = collate(a, b);
    return c != 0 ? c : a.text.compare(b.text, Qt::CaseSensitive);
}

} // namespace

int AccountList::compare(const QString& a, const QString& b)
{
    return compareNames(SortName(a), SortName(b));
}

QString AccountList::upperForm(const QString& name)
{
    // Character by character, as the code page's own upper-casing does: ß has no capital and stays.
    QString out(name.size(), Qt::Uninitialized);
    const char16_t* src = QStringView(name).utf16();
    char16_t* dst = reinterpret_cast<char16_t*>(out.data());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = src[i];
        if (c < 0x80)
            dst[i] = c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - (u'a' - u'A')) : c;
        else
            dst[i] = QChar(c).toUpper().unicode();
    }
    return out;
}

StoreResult AccountList::at(int index, QString& name) const
{
    if (index < 0 || index >= size()) {
        name.clear();
        return StoreResult::validation(QStringLiteral("Die Kontenliste hat keinen Eintrag an der Stelle %1.")
                                           .arg(qint64(index) + 1),
                                       StoreField::Account);
    }
    name = m_items.at(index);
    return StoreResult::success();
}

void AccountList::assign(const QStringList& names)
{
    // A printable-ASCII name is keyed once by its characters' collator ranks: comparing two keys
    // byte by byte, the shorter first on a tie, is collate()'s answer without its table lookups.
    struct Entry {
        SortName name;
        qsizetype index;
        qsizetype keyAt;
    };
    std::vector<Entry> order;
    order.reserve(static_cast<std::size_t>(names.size()));
    std::vector<quint8> keys;
    const auto& ranks = asciiRanks();
    for (qsizetype i = 0; i < names.size(); ++i) {
        const SortName name(names.at(i));
        order.push_back(Entry{name, i, static_cast<qsizetype>(keys.size())});
        if (name.ascii) {
            for (const QChar c : name.text)
                keys.push_back(ranks[c.unicode()]);
        }
    }
    const quint8* const keyData = keys.data();
    const auto less = [keyData](const Entry& a, const Entry& b) {
        if (!a.name.ascii || !b.name.ascii)
            return compareNames(a.name, b.name) < 0;
        const qsizetype na = a.name.text.size();
        const qsizetype nb = b.name.text.size();
        const qsizetype common = std::min(na, nb);
        int c = common > 0 ? std::memcmp(keyData + a.keyAt, keyData + b.keyAt, static_cast<std::size_t>(common)) : 0;
        if (c == 0)
            c = na < nb ? -1 : (na > nb ? 1 : 0);
        if (c == 0)
            c = a.name.text.compare(b.name.text, Qt::CaseSensitive);
        return c < 0;
    };
    std::stable_sort(order.begin(), order.end(), less);
    QStringList sorted;
    sorted.reserve(names.size());
    for (const Entry& entry : order)
        sorted.append(names.at(entry.index));
    m_items = std::move(sorted);
    m_upperCounts.clear();
    m_upperCountsValid = false;
}

void AccountList::ensureUpperCounts() const
{
    if (m_upperCountsValid)
        return;
    m_upperCounts.clear();
    m_upperCounts.reserve(m_items.size());
    for (const QString& name : m_items)
        ++m_upperCounts[upperForm(name)];
    m_upperCountsValid = true;
}

int AccountList::insert(const QString& name)
{
    const auto pos = std::upper_bound(m_items.begin(), m_items.end(), name, less);
    const auto index = pos - m_items.begin();
    m_items.insert(index, name);
    if (m_upperCountsValid)
        ++m_upperCounts[upperForm(name)];
    return static_cast<int>(index);
}

void AccountList::removeAt(int index)
{
    if (index < 0 || index >= size())
        return;
    if (m_upperCountsValid) {
        const QString upper = upperForm(m_items.at(index));
        if (--m_upperCounts[upper] <= 0)
            m_upperCounts.remove(upper);
    }
    m_items.removeAt(index);
}

void AccountList::clear()
{
    m_items.clear();
    m_upperCounts.clear();
    m_upperCountsValid = true;
}

int AccountList::indexOf(const QString& name) const
{
    // The sorted place narrows the search; names equal to the collator may be several.
    const SortName probe(name);
    auto it = std::lower_bound(m_items.begin(), m_items.end(), probe,
                               [](const QString& item, const SortName& p) { return collate(SortName(item), p) < 0; });
    for (; it != m_items.end() && collate(SortName(*it), probe) == 0; ++it) {
        if (*it == name)
            return static_cast<int>(it - m_items.begin());
    }
    return -1;
}

bool AccountList::containsIgnoringCase(const QString& name) const
{
    ensureUpperCounts();
    return m_upperCounts.contains(upperForm(name));
}
