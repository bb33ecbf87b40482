#include "store/AccountList.h"

#include <gtest/gtest.h>

#include <QCollator>
#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <limits>

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

TEST(AccountList, OrderIsTheCollatorsOnEveryShortAsciiName)
{
    // Every name of one or two printable ASCII characters, in the German collator's own order with
    // ties by the exact text; the list's order must agree on every neighbouring pair.
    QCollator german(QLocale(QLocale::German, QLocale::Germany));
    german.setCaseSensitivity(Qt::CaseInsensitive);
    const auto reference = [&](const QString& a, const QString& b) {
        const int c = german.compare(a, b);
        return c != 0 ? c : QString::compare(a, b, Qt::CaseSensitive);
    };
    QStringList names;
    for (char16_t first = 0x20; first < 0x7F; ++first) {
        names.append(QString(QChar(first)));
        for (char16_t second = 0x20; second < 0x7F; ++second)
            names.append(QString(QChar(first)) + QChar(second));
    }
    std::sort(names.begin(), names.end(), [&](const QString& a, const QString& b) { return reference(a, b) < 0; });
    int disagreements = 0;
    for (qsizetype i = 1; i < names.size(); ++i) {
        if (AccountList::compare(names.at(i - 1), names.at(i)) >= 0 && ++disagreements <= 5)
            ADD_FAILURE() << names.at(i - 1).toStdString() << " | " << names.at(i).toStdString();
    }
    EXPECT_EQ(disagreements, 0);

    // assign sorts by keys built once per name; it must give the same order, also when names
    // beyond ASCII are mixed in.
    QStringList shuffled = names;
    std::reverse(shuffled.begin(), shuffled.end());
    std::rotate(shuffled.begin(), shuffled.begin() + shuffled.size() / 3, shuffled.end());
    AccountList list;
    list.assign(shuffled);
    EXPECT_EQ(list.items(), names);
    shuffled = QStringList{u"Öl"_qs, u"ol"_qs, u"Ofen"_qs, u"ärger"_qs, u"Arg"_qs, u"a b"_qs, u"Ärger"_qs, u"Zoo"_qs};
    QStringList expected = shuffled;
    std::sort(expected.begin(), expected.end(), [](const QString& a, const QString& b) { return AccountList::compare(a, b) < 0; });
    list.assign(shuffled);
    EXPECT_EQ(list.items(), expected);

    // Names beyond ASCII go to the collator, also against ASCII ones.
    EXPECT_LT(AccountList::compare(u"Ab"_qs, u"Äc"_qs), 0);
    EXPECT_GT(AccountList::compare(u"Äc"_qs, u"Ab"_qs), 0);
    EXPECT_LT(AccountList::compare(u"Ä"_qs, u"Ab"_qs), 0);
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

TEST(AccountList, AtGivesAResultInsteadOfThrowing)
{
    AccountList list;
    list.assign({u"Post"_qs, u"Bär"_qs, u"Bank"_qs});
    const struct {
        int index;
        const char16_t* name;  // nullptr: refused
    } cases[] = {
        {0, u"Bank"}, {1, u"Bär"}, {2, u"Post"}, {3, nullptr}, {-1, nullptr},
        {std::numeric_limits<int>::max(), nullptr}, {std::numeric_limits<int>::min(), nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        QString name = u"vorher"_qs;
        StoreResult r;
        EXPECT_NO_THROW(r = list.at(c.index, name));
        if (c.name) {
            EXPECT_TRUE(r.ok());
            EXPECT_EQ(name, QString::fromUtf16(c.name));
        } else {
            EXPECT_EQ(r.error, StoreError::Validation);
            EXPECT_FALSE(r.message.isEmpty());
            EXPECT_TRUE(name.isEmpty());
        }
    }
    QString name;
    EXPECT_EQ(AccountList().at(0, name).error, StoreError::Validation);
}
