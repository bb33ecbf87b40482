#pragma once

#include <QString>
#include <QStringList>

// Finding accounts by part of their name as the user types: case, accents and the spelling of
// umlauts do not matter ("strasse" finds "Straße", "bar" and "baer" both find "Bär"). The names are
// folded once when the list is set, so a keystroke only folds the typed text and scans. One typed
// text uses one spelling throughout: "mueller-bar" does not find "Müller-Bär".
class AccountSearch {
public:
    AccountSearch() = default;
    explicit AccountSearch(const QStringList& names) { setNames(names); }

    void setNames(const QStringList& names);
    const QStringList& names() const { return m_names; }

    // The names holding `text` after folding, in list order; all names for an empty text. Blanks
    // count like any character (" bank" finds "Sparda Bank", not "Bankhaus").
    QStringList matches(const QString& text) const;
    // The same as list positions, for a view that keeps its own model.
    QList<int> matchingRows(const QString& text) const;

    // Umlauts as their base letter (ä -> a): "bar" finds "Bär", "Bär" finds "Bar".
    static QString foldPlain(const QString& text);
    // Umlauts written out (ä -> ae): "baer" finds "Bär" and "Bär" finds "Baer".
    static QString foldSpelledOut(const QString& text);

private:
    QStringList m_names;
    QStringList m_plain;
    // Only for names holding an umlaut; empty where the name's spelled-out form is its plain form.
    QStringList m_spelledOut;
};
