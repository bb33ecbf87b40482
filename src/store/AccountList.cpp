#include "store/AccountList.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>

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

} // namespace

AccountList::Item AccountList::makeItem(const QString& name)
{
    return Item{name, collator().sortKey(name)};
}

bool AccountList::itemLess(const Item& a, const Item& b)
{
    const int c = a.key.compare(b.key);
    if (c != 0)
        return c < 0;
    return QString::compare(a.name, b.name, Qt::CaseSensitive) < 0;
}

int AccountList::compare(const QString& a, const QString& b)
{
    const int c = collator().compare(a, b);
    if (c != 0)
        return c;
    return QString::compare(a, b, Qt::CaseSensitive);
}

QString AccountList::upperForm(const QString& name)
{
    // Character by character, as the code page's own upper-casing does: ß has no capital and stays.
    QString out(name);
    for (QChar& c : out)
        c = c.toUpper();
    return out;
}

const QString& AccountList::at(int index) const
{
    return m_items.at(static_cast<std::size_t>(index)).name;
}

QStringList AccountList::items() const
{
    QStringList out;
    out.reserve(size());
    for (const Item& item : m_items)
        out.append(item.name);
    return out;
}

void AccountList::assign(const QStringList& names)
{
    std::vector<Item> items;
    items.reserve(static_cast<std::size_t>(names.size()));
    for (const QString& name : names)
        items.push_back(makeItem(name));
    // Sorting positions rather than items: a sort key has no cheap move.
    std::vector<std::size_t> order(items.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return itemLess(items[a], items[b]); });
    m_items.clear();
    m_items.reserve(items.size());
    for (const std::size_t i : order)
        m_items.push_back(items[i]);
    m_upperCounts.clear();
    m_upperCountsValid = false;
}

void AccountList::ensureUpperCounts() const
{
    if (m_upperCountsValid)
        return;
    m_upperCounts.clear();
    m_upperCounts.reserve(static_cast<qsizetype>(m_items.size()));
    for (const Item& item : m_items)
        ++m_upperCounts[upperForm(item.name)];
    m_upperCountsValid = true;
}

int AccountList::insert(const QString& name)
{
    Item item = makeItem(name);
    const auto pos = std::upper_bound(m_items.begin(), m_items.end(), item, itemLess);
    const auto index = pos - m_items.begin();
    m_items.insert(pos, std::move(item));
    if (m_upperCountsValid)
        ++m_upperCounts[upperForm(name)];
    return static_cast<int>(index);
}

void AccountList::removeAt(int index)
{
    if (index < 0 || index >= size())
        return;
    const auto it = m_items.begin() + index;
    if (m_upperCountsValid) {
        const QString upper = upperForm(it->name);
        if (--m_upperCounts[upper] <= 0)
            m_upperCounts.remove(upper);
    }
    m_items.erase(it);
}

void AccountList::clear()
{
    m_items.clear();
    m_upperCounts.clear();
    m_upperCountsValid = true;
}

int AccountList::indexOf(const QString& name) const
{
    // The sorted place narrows the search; equal sort keys may hold several names.
    const Item probe = makeItem(name);
    auto it = std::lower_bound(m_items.begin(), m_items.end(), probe, [](const Item& a, const Item& b) {
        return a.key.compare(b.key) < 0;
    });
    for (; it != m_items.end() && it->key.compare(probe.key) == 0; ++it) {
        if (it->name == name)
            return static_cast<int>(it - m_items.begin());
    }
    return -1;
}

bool AccountList::containsIgnoringCase(const QString& name) const
{
    ensureUpperCounts();
    return m_upperCounts.contains(upperForm(name));
}
