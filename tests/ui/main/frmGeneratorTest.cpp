#include "ui/main/frmGenerator.h"

#include "ui/controls/StrengthBar.h"

#include "core/Cp1252.h"
#include "support/QtPrinters.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct Generator {
    frmGenerator dialog;
    QSpinBox* length = dialog.findChild<QSpinBox*>(QStringLiteral("spnLength"));
    QLineEdit* shown = dialog.findChild<QLineEdit*>(QStringLiteral("txtPassword"));
    QLabel* error = dialog.findChild<QLabel*>(QStringLiteral("lblError"));
    QPushButton* apply = dialog.findChild<QPushButton*>(QStringLiteral("cmdApply"));
    StrengthBar* strength = dialog.findChild<StrengthBar*>();

    Generator()
    {
        dialog.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }
    QCheckBox* check(const char* name) const { return dialog.findChild<QCheckBox*>(QString::fromLatin1(name)); }
    void click(const char* name) const { dialog.findChild<QPushButton*>(QString::fromLatin1(name))->click(); }
};

TEST(frmGeneratorTest, OpensWithTheDefaultsAndAStrongPasswordShown)
{
    Generator g;
    EXPECT_EQ(g.dialog.windowTitle(), QStringLiteral("Tarvenic Keywarden - Passwort erzeugen"));
    EXPECT_EQ(g.length->value(), 20);
    EXPECT_EQ(g.length->minimum(), 8);
    EXPECT_EQ(g.length->maximum(), 64);
    for (const char* name : {"chkUpper", "chkLower", "chkDigits", "chkSymbols"})
        EXPECT_TRUE(g.check(name)->isChecked()) << name;
    EXPECT_FALSE(g.check("chkNoLookalikes")->isChecked());
    EXPECT_TRUE(g.shown->isReadOnly());
    EXPECT_EQ(g.shown->text().size(), 20);
    EXPECT_EQ(g.shown->text(), g.dialog.password());
    EXPECT_EQ(g.strength->score(), 4);
    EXPECT_EQ(g.strength->words(), QStringLiteral("sehr stark"));
    EXPECT_TRUE(g.apply->isEnabled());
    // Every control the user can reach; the spin box's inner text box is the spin box's own.
    for (QWidget* w : g.dialog.findChildren<QWidget*>()) {
        if (w->focusPolicy() != Qt::NoFocus && !w->objectName().startsWith(QLatin1String("qt_"))) {
            EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
        }
    }
}

TEST(frmGeneratorTest, EveryOptionChangeMakesANewPasswordThatFollowsIt)
{
    Generator g;
    QString before = g.shown->text();
    g.length->setValue(8);
    EXPECT_EQ(g.shown->text().size(), 8);
    EXPECT_NE(g.shown->text(), before);
    // Eight characters are rated lower than twenty: the bar follows the password shown.
    EXPECT_LT(g.strength->score(), 4);

    g.length->setValue(64);
    g.check("chkSymbols")->setChecked(false);
    g.check("chkDigits")->setChecked(false);
    g.check("chkNoLookalikes")->setChecked(true);
    const QString password = g.shown->text();
    EXPECT_EQ(password.size(), 64);
    for (const QChar c : password) {
        EXPECT_TRUE(c.isLetter() && c.unicode() < 0x80) << password.toStdString();
        EXPECT_FALSE(QStringLiteral("OolI").contains(c)) << password.toStdString();
    }
    EXPECT_TRUE(Cp1252::isRepresentable(password));

    before = g.shown->text();
    g.click("cmdNew");
    EXPECT_NE(g.shown->text(), before);
    EXPECT_EQ(g.shown->text().size(), 64);
    EXPECT_EQ(g.dialog.password(), g.shown->text());
}

TEST(frmGeneratorTest, WithoutAnyGroupItSaysWhyAndOffersNothingToTake)
{
    Generator g;
    for (const char* name : {"chkUpper", "chkLower", "chkDigits", "chkSymbols"})
        g.check(name)->setChecked(false);
    EXPECT_TRUE(g.shown->text().isEmpty());
    EXPECT_TRUE(g.dialog.password().isEmpty());
    EXPECT_TRUE(g.error->isVisible());
    EXPECT_EQ(g.error->text(), QStringLiteral("Es ist keine Zeichengruppe gewählt."));
    EXPECT_FALSE(g.apply->isEnabled());
    EXPECT_EQ(g.strength->score(), -1);
    QTest::keyClick(&g.dialog, Qt::Key_Return);
    EXPECT_TRUE(g.dialog.isVisible());

    g.check("chkDigits")->setChecked(true);
    EXPECT_FALSE(g.error->isVisible());
    EXPECT_TRUE(g.apply->isEnabled());
    EXPECT_EQ(g.shown->text().size(), 20);
}

TEST(frmGeneratorTest, UebernehmenAndEnterAcceptTheShownPassword)
{
    {
        Generator g;
        const QString shown = g.shown->text();
        g.click("cmdApply");
        EXPECT_EQ(g.dialog.result(), QDialog::Accepted);
        EXPECT_EQ(g.dialog.password(), shown);
    }
    {
        // Enter in the length box takes the password shown; it does not make a new one first.
        Generator g;
        const QString shown = g.shown->text();
        QTest::keyClick(g.length, Qt::Key_Return);
        EXPECT_EQ(g.dialog.result(), QDialog::Accepted);
        EXPECT_EQ(g.dialog.password(), shown);
    }
}

TEST(frmGeneratorTest, AbbrechenAndEscapeLeaveWithoutAPassword)
{
    {
        Generator g;
        g.click("cmdCancel");
        EXPECT_EQ(g.dialog.result(), QDialog::Rejected);
        EXPECT_TRUE(g.dialog.password().isEmpty());
        EXPECT_TRUE(g.shown->text().isEmpty());
    }
    {
        Generator g;
        QTest::keyClick(g.length, Qt::Key_Escape);
        EXPECT_EQ(g.dialog.result(), QDialog::Rejected);
        EXPECT_FALSE(g.dialog.isVisible());
        EXPECT_TRUE(g.dialog.password().isEmpty());
    }
}

TEST(frmGeneratorTest, StartsFromTheOptionsItIsGiven)
{
    PasswordGenerator::Options options;
    options.length = 12;
    options.symbols = false;
    options.noLookalikes = true;
    frmGenerator dialog(nullptr, options);
    const PasswordGenerator::Options shown = dialog.options();
    EXPECT_EQ(shown.length, 12);
    EXPECT_FALSE(shown.symbols);
    EXPECT_TRUE(shown.noLookalikes);
    EXPECT_EQ(dialog.password().size(), 12);
}

} // namespace
