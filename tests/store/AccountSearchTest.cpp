#include "store/AccountSearch.h"

#include <gtest/gtest.h>

#include "support/QtPrinters.h"

namespace {

// In the list's order; each name is there for one kind of spelling.
const QStringList kNames = {
    QStringLiteral("Ärztekammer"),   QStringLiteral("Baer & Co"),  QStringLiteral("Bar Celona"),
    QStringLiteral("Bär Versicherung"), QStringLiteral("Blues Club"), QStringLiteral("Café Central"),
    QStringLiteral("Mueller GmbH"),  QStringLiteral("Müller"),     QStringLiteral("ÖBB Tickets"),
    QStringLiteral("Sparda Bank"),   QStringLiteral("Straße 12"),  QStringLiteral("STRASSE 7"),
};

TEST(AccountSearchTest, FindsNamesHoldingTheTextWhateverCaseAccentsAndUmlautSpelling)
{
    struct Case {
        const char* typed;
        QStringList expected;
    };
    const Case cases[] = {
        // ß and its spelled-out form, both ways round, and the capital forms.
        {"strasse", {"Straße 12", "STRASSE 7"}},
        {"STRAßE", {"Straße 12", "STRASSE 7"}},
        {"aße", {"Straße 12", "STRASSE 7"}},
        // An umlaut typed plain, spelled out or as itself finds every spelling of it.
        {"bar", {"Bar Celona", "Bär Versicherung"}},
        {"baer", {"Baer & Co", "Bär Versicherung"}},
        {"bär", {"Baer & Co", "Bar Celona", "Bär Versicherung"}},
        {"BÄR", {"Baer & Co", "Bar Celona", "Bär Versicherung"}},
        {"mueller", {"Mueller GmbH", "Müller"}},
        {"müll", {"Mueller GmbH", "Müller"}},
        {"muller", {"Müller"}},
        {"oebb", {"ÖBB Tickets"}},
        {"arzte", {"Ärztekammer"}},
        {"aerzte", {"Ärztekammer"}},
        // Letters of a spelled-out umlaut are still found on their own ("e" of "Blues"), and an
        // umlaut name is found by the letters of its spelled-out form ("Müller" is "Mueller").
        {"ues", {"Blues Club"}},
        {"el", {"Bar Celona", "Mueller GmbH", "Müller"}},
        // Accents do not count; blanks and punctuation do.
        {"cafe", {"Café Central"}},
        {"CAFÉ", {"Café Central"}},
        {" bank", {"Sparda Bank"}},
        {"& c", {"Baer & Co"}},
        {"12", {"Straße 12"}},
        // Nothing matches: an empty result, not the whole list.
        {"xyz", {}},
        {"bärx", {}},
    };
    const AccountSearch search(kNames);
    for (const Case& c : cases)
        EXPECT_EQ(search.matches(QString::fromUtf8(c.typed)), c.expected) << c.typed;
}

TEST(AccountSearchTest, EmptyTextGivesTheWholeListAndRowsFollowTheListOrder)
{
    AccountSearch search(kNames);
    EXPECT_EQ(search.matches(QString()), kNames);
    EXPECT_EQ(search.matchingRows(QString()).size(), kNames.size());
    EXPECT_EQ(search.matchingRows(QStringLiteral("bar")), (QList<int>{2, 3}));

    // A new list replaces the folded names of the old one.
    search.setNames({QStringLiteral("Bärbel"), QStringLiteral("Post")});
    EXPECT_EQ(search.matches(QStringLiteral("bar")), QStringList{QStringLiteral("Bärbel")});
    EXPECT_TRUE(search.matches(QStringLiteral("celona")).isEmpty());
    search.setNames({});
    EXPECT_TRUE(search.matches(QString()).isEmpty());
    EXPECT_TRUE(search.matches(QStringLiteral("a")).isEmpty());
}

TEST(AccountSearchTest, DuplicateNamesFromADiskListAreBothFound)
{
    const AccountSearch search({QStringLiteral("Post"), QStringLiteral("post"), QStringLiteral("Bank")});
    EXPECT_EQ(search.matches(QStringLiteral("POST")), (QStringList{QStringLiteral("Post"), QStringLiteral("post")}));
}

TEST(AccountSearchTest, FoldsAsDocumented)
{
    EXPECT_EQ(AccountSearch::foldPlain(QStringLiteral("Äußere ÖL-Müh'le Café")), QStringLiteral("aussere ol-muh'le cafe"));
    EXPECT_EQ(AccountSearch::foldSpelledOut(QStringLiteral("Äußere ÖL-Müh'le Café")),
              QStringLiteral("aeussere oel-mueh'le cafe"));
}

} // namespace
