#pragma once

#include "store/StoreResult.h"

#include <QHash>
#include <QString>
#include <QStringList>

// The account names of a store in the order the main window shows them: German collation without
// regard to case ("Ärzte" between "Apotheke" and "Bank"), ties broken by the exact text so that
// the order is stable. Names are unique without regard to case when they come from the store's
// own operations; a list section read from disk may still hold duplicates, which are kept.
class AccountList {
public:
    int size() const { return static_cast<int>(m_items.size()); }
    bool isEmpty() const { return m_items.isEmpty(); }
    // The name at `index` into `name`; an index outside the list is refused (Validation) and
    // leaves `name` empty. Reached from window handlers, so it never throws.
    StoreResult at(int index, QString& name) const;
    QStringList items() const { return m_items; }

    // Replaces the content; sorts once.
    void assign(const QStringList& names);
    // Inserts at the sorted place and returns that index.
    int insert(const QString& name);
    void removeAt(int index);
    void clear();

    // Index of the first item equal to `name` exactly, or -1.
    int indexOf(const QString& name) const;
    // Whether an item equals `name` after both are upper-cased character by character.
    bool containsIgnoringCase(const QString& name) const;

    // The list's order: negative, zero or positive.
    static int compare(const QString& a, const QString& b);
    // The upper-case form the duplicate checks compare (character by character; ß stays ß).
    static QString upperForm(const QString& name);

private:
    static bool less(const QString& a, const QString& b) { return compare(a, b) < 0; }

    // Built on the first duplicate check and kept up to date from then on: an unlock that only lists
    // the names does not pay for it.
    void ensureUpperCounts() const;

    // Names only: comparing two names directly is cheaper than building a sort key for every name
    // (an unlock sorts thousands of them), the more so as most names take the ASCII path.
    QStringList m_items;
    mutable QHash<QString, int> m_upperCounts;
    mutable bool m_upperCountsValid = false;
};
