#include "ui/main/frmSearch.h"

#include "support/QtPrinters.h"

#include <QAbstractItemModel>
#include <QLineEdit>
#include <QListView>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QStringList kNames = {
    QStringLiteral("Amazon"),      QStringLiteral("Bank Austria"), QStringLiteral("Bär Versicherung"),
    QStringLiteral("Baumarkt"),    QStringLiteral("Post"),         QStringLiteral("Straße 12"),
    QStringLiteral("Volksbank"),
};

// A shown search window over kNames with its parts and what it emitted.
struct Search {
    frmSearch dialog{kNames};
    QLineEdit* text = dialog.findChild<QLineEdit*>(QStringLiteral("txtSearch"));
    QListView* list = dialog.findChild<QListView*>(QStringLiteral("lstAccounts"));
    QSignalSpy chosen{&dialog, &frmSearch::accountChosen};

    Search()
    {
        dialog.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }
    QStringList shown() const
    {
        QStringList rows;
        for (int r = 0; r < list->model()->rowCount(); ++r)
            rows << list->model()->index(r, 0).data().toString();
        return rows;
    }
    void type(const QString& keys) { QTest::keyClicks(text, keys); }
    void key(Qt::Key k) { QTest::keyClick(text, k); }
    QString chosenName() const { return chosen.size() == 1 ? chosen.at(0).at(0).toString() : QString(); }
};

TEST(frmSearchTest, OpensWithTheTitleAllNamesTheFirstChosenAndTheFocusInTheTextBox)
{
    Search s;
    EXPECT_EQ(s.dialog.windowTitle(), QStringLiteral("Tarvenic Keywarden - Suchen"));
    EXPECT_EQ(s.shown(), kNames);
    EXPECT_EQ(s.dialog.selectedName(), QStringLiteral("Amazon"));
    EXPECT_EQ(s.dialog.focusWidget(), s.text);
    for (QWidget* w : {static_cast<QWidget*>(s.text), static_cast<QWidget*>(s.list)})
        EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
}

TEST(frmSearchTest, TypingNarrowsTheListKeystrokeByKeystrokeAndBackspaceWidensIt)
{
    Search s;
    s.type(QStringLiteral("ba"));
    EXPECT_EQ(s.shown(), (QStringList{QStringLiteral("Bank Austria"), QStringLiteral("Bär Versicherung"),
                                      QStringLiteral("Baumarkt"), QStringLiteral("Volksbank")}));
    s.type(QStringLiteral("e"));  // "bae" is "bä" spelled out
    EXPECT_EQ(s.shown(), QStringList{QStringLiteral("Bär Versicherung")});
    s.key(Qt::Key_Backspace);
    s.type(QStringLiteral("nk"));
    EXPECT_EQ(s.shown(), (QStringList{QStringLiteral("Bank Austria"), QStringLiteral("Volksbank")}));
    s.text->selectAll();
    s.type(QStringLiteral("STRASSE"));
    EXPECT_EQ(s.shown(), QStringList{QStringLiteral("Straße 12")});
    s.type(QStringLiteral("x"));
    EXPECT_TRUE(s.shown().isEmpty());
    EXPECT_TRUE(s.dialog.selectedName().isEmpty());
    s.text->clear();
    EXPECT_EQ(s.shown(), kNames);
}

TEST(frmSearchTest, ArrowsMoveTheSelectionWithinTheListWhileTheCaretStaysInTheBox)
{
    Search s;
    s.type(QStringLiteral("ba"));
    EXPECT_EQ(s.dialog.selectedName(), QStringLiteral("Bank Austria"));
    s.key(Qt::Key_Down);
    s.key(Qt::Key_Down);
    EXPECT_EQ(s.dialog.selectedName(), QStringLiteral("Baumarkt"));
    s.key(Qt::Key_Up);
    EXPECT_EQ(s.dialog.selectedName(), QStringLiteral("Bär Versicherung"));
    // The ends hold: no wrap-around.
    s.key(Qt::Key_Up);
    s.key(Qt::Key_Up);
    EXPECT_EQ(s.dialog.selectedName(), QStringLiteral("Bank Austria"));
    s.key(Qt::Key_PageDown);
    EXPECT_EQ(s.dialog.selectedName(), QStringLiteral("Volksbank"));
    s.key(Qt::Key_Down);
    EXPECT_EQ(s.dialog.selectedName(), QStringLiteral("Volksbank"));
    EXPECT_EQ(s.dialog.focusWidget(), s.text);
    EXPECT_EQ(s.text->text(), QStringLiteral("ba"));
    EXPECT_EQ(s.text->cursorPosition(), 2);

    // Narrowing keeps the chosen account while it still matches, else the first match is chosen.
    s.type(QStringLiteral("n"));
    EXPECT_EQ(s.dialog.selectedName(), QStringLiteral("Volksbank"));
    for (int i = 0; i < 3; ++i)
        s.key(Qt::Key_Backspace);
    EXPECT_EQ(s.dialog.selectedName(), QStringLiteral("Volksbank"));
    s.type(QStringLiteral("p"));
    EXPECT_EQ(s.dialog.selectedName(), QStringLiteral("Post"));
}

TEST(frmSearchTest, EnterChoosesTheSelectedAccountOnceAndCloses)
{
    Search s;
    s.type(QStringLiteral("bank"));
    s.key(Qt::Key_Down);
    s.key(Qt::Key_Return);
    EXPECT_EQ(s.chosenName(), QStringLiteral("Volksbank"));
    EXPECT_EQ(s.dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(s.dialog.isVisible());
}

TEST(frmSearchTest, DoubleClickChoosesTheRowClicked)
{
    Search s;
    const QRect row = s.list->visualRect(s.list->model()->index(4, 0));
    // A double click arrives after the click of its first press.
    QTest::mouseClick(s.list->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(s.chosen.size(), 0);
    QTest::mouseDClick(s.list->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(s.chosenName(), QStringLiteral("Post"));
    EXPECT_FALSE(s.dialog.isVisible());
}

TEST(frmSearchTest, EnterWithoutAMatchChoosesNothingAndEscapeClosesWithoutChoosing)
{
    Search s;
    s.type(QStringLiteral("zzz"));
    s.key(Qt::Key_Enter);
    EXPECT_EQ(s.chosen.size(), 0);
    EXPECT_TRUE(s.dialog.isVisible());
    s.key(Qt::Key_Escape);
    EXPECT_EQ(s.chosen.size(), 0);
    EXPECT_EQ(s.dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(s.dialog.isVisible());
}

TEST(frmSearchTest, AnEmptyStoreShowsAnEmptyListAndEnterDoesNothing)
{
    frmSearch dialog{QStringList{}};
    QSignalSpy chosen(&dialog, &frmSearch::accountChosen);
    dialog.show();
    auto* text = dialog.findChild<QLineEdit*>(QStringLiteral("txtSearch"));
    QTest::keyClick(text, Qt::Key_Down);
    QTest::keyClick(text, Qt::Key_Return);
    EXPECT_EQ(chosen.size(), 0);
    EXPECT_TRUE(dialog.selectedName().isEmpty());
}

} // namespace
