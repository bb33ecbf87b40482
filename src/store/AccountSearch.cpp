#include "store/AccountSearch.h"

#include <QStringMatcher>

namespace {

enum class Umlauts { Plain, SpelledOut };

// Lower case, ß as "ss", accents dropped (é -> e), umlauts as `umlauts` says. The two folds differ
// only in the umlauts, so a name and a typed text agree under at least one of them whichever
// spelling each uses.
QString fold(const QString& text, Umlauts umlauts)
{
    QString out;
    out.reserve(text.size() + 4);
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80) {
            out += (u >= 'A' && u <= 'Z') ? QChar(u + ('a' - 'A')) : c;
            continue;
        }
        const QChar lower = c.toCaseFolded();
        switch (lower.unicode()) {
        case u'ß':
        case u'\u1E9E':  // capital sharp s
            out += QLatin1String("ss");
            continue;
        case u'ä':
            out += umlauts == Umlauts::Plain ? QLatin1String("a") : QLatin1String("ae");
            continue;
        case u'ö':
            out += umlauts == Umlauts::Plain ? QLatin1String("o") : QLatin1String("oe");
            continue;
        case u'ü':
            out += umlauts == Umlauts::Plain ? QLatin1String("u") : QLatin1String("ue");
            continue;
        default:
            break;
        }
        if (lower.category() == QChar::Mark_NonSpacing)
            continue;
        if (lower.decompositionTag() == QChar::Canonical) {
            // é is e with a combining accent: keep the letter, drop the accent.
            out += lower.decomposition().at(0);
            continue;
        }
        out += lower;
    }
    return out;
}

} // namespace

QString AccountSearch::foldPlain(const QString& text)
{
    return fold(text, Umlauts::Plain);
}

QString AccountSearch::foldSpelledOut(const QString& text)
{
    return fold(text, Umlauts::SpelledOut);
}

void AccountSearch::setNames(const QStringList& names)
{
    m_names = names;
    m_plain.clear();
    m_spelledOut.clear();
    m_plain.reserve(names.size());
    m_spelledOut.reserve(names.size());
    for (const QString& name : names) {
        QString plain = foldPlain(name);
        QString spelled = foldSpelledOut(name);
        m_spelledOut.append(spelled == plain ? QString() : std::move(spelled));
        m_plain.append(std::move(plain));
    }
}

QList<int> AccountSearch::matchingRows(const QString& text) const
{
    QList<int> rows;
    const QString plainNeedle = foldPlain(text);
    if (plainNeedle.isEmpty()) {
        rows.reserve(m_names.size());
        for (qsizetype i = 0; i < m_names.size(); ++i)
            rows.append(static_cast<int>(i));
        return rows;
    }
    const QString spelledNeedle = foldSpelledOut(text);
    // The matchers hold their skip tables, built once per keystroke instead of once per name.
    const QStringMatcher plain(plainNeedle);
    const QStringMatcher spelled(spelledNeedle);
    const bool needleHasUmlaut = spelledNeedle != plainNeedle;
    for (qsizetype i = 0; i < m_plain.size(); ++i) {
        bool found = plain.indexIn(m_plain.at(i)) >= 0;
        if (!found) {
            const QString& other = m_spelledOut.at(i);
            // Without an umlaut on either side both folds are the same text: one search was enough.
            if (!other.isEmpty())
                found = spelled.indexIn(other) >= 0;
            else if (needleHasUmlaut)
                found = spelled.indexIn(m_plain.at(i)) >= 0;
        }
        if (found)
            rows.append(static_cast<int>(i));
    }
    return rows;
}

QStringList AccountSearch::matches(const QString& text) const
{
    const QList<int> rows = matchingRows(text);
    if (rows.size() == m_names.size())
        return m_names;
    QStringList out;
    out.reserve(rows.size());
    for (const int row : rows)
        out.append(m_names.at(row));
    return out;
}
