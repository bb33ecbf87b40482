#include "store/AccountList.h"

#include <gtest/gtest.h>

#include <QStringList>

TEST(AccountList, GermanCollationWithoutCaseAndStableTies)
{
    AccountList list;
    list.assign({u"Bank"_qs, u"zoo"_qs, u"Ärzte"_qs, u"apotheke"_qs, u"Post"_qs, u"post"_qs, u"Öl"_qs, u"Ofen"_qs,
                 u"Straße"_qs, u"Strasse"_qs, u"Arzt"_qs});
    const QStringList expected = {u"apotheke"_qs, u"Arzt"_qs, u"Ärzte"_qs, u"Bank"_qs, u"Ofen"_qs, u"Öl"_qs,
                                  u"Post"_qs, u"post"_qs, u"Strasse"_qs, u"Straße"_qs, u"zoo"_qs};
    EXPECT_EQ(list.items(), expected);

    // Inserting one by one in any order gives the same list.
    AccountList grown;
    for (auto it = expected.crbegin(); it != expected.crend(); ++it)
        grown.insert(*it);
    EXPECT_EQ(grown.items(), expected);

    EXPECT_LT(AccountList::compare(u"Apotheke"_qs, u"Ärzte"_qs), 0);
    EXPECT_LT(AccountList::compare(u"Ärzte"_qs, u"Bank"_qs), 0);
}

TEST(AccountList, InsertRemoveAndLookups)
{
    AccountList list;
    list.assign({u"Post"_qs, u"Bär"_qs});
    EXPECT_EQ(list.insert(u"Bank"_qs), 0);
    EXPECT_EQ(list.insert(u"Zahnarzt"_qs), 3);
    EXPECT_EQ(list.indexOf(u"Bär"_qs), 1);
    EXPECT_EQ(list.indexOf(u"bär"_qs), -1);  // exact comparison
    EXPECT_TRUE(list.containsIgnoringCase(u"BÄR"_qs));
    EXPECT_TRUE(list.containsIgnoringCase(u"post"_qs));
    EXPECT_FALSE(list.containsIgnoringCase(u"Baer"_qs));  // another name, though it shares the section

    list.removeAt(list.indexOf(u"Post"_qs));
    EXPECT_FALSE(list.containsIgnoringCase(u"POST"_qs));
    list.removeAt(-1);
    list.removeAt(99);
    EXPECT_EQ(list.items(), QStringList({u"Bank"_qs, u"Bär"_qs, u"Zahnarzt"_qs}));

    // A list section may name one account twice; removing one keeps the other findable.
    list.assign({u"X"_qs, u"x"_qs});
    list.removeAt(list.indexOf(u"X"_qs));
    EXPECT_TRUE(list.containsIgnoringCase(u"X"_qs));
}

TEST(AccountList, UpperFormIsCharacterByCharacter)
{
    EXPECT_EQ(AccountList::upperForm(u"straße"_qs), u"STRAßE"_qs);
    EXPECT_EQ(AccountList::upperForm(u"bär"_qs), u"BÄR"_qs);
}
