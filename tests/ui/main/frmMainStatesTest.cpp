#include "ui/main/MainWindowFixture.h"
#include "support/FindControl.h"

#include "ui/common/MarlettButton.h"
#include "ui/common/PictureBox.h"
#include "ui/common/Twips.h"
#include "ui/controls/XP_ProgressBar.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTimer>

namespace {

QList<TestAccount> twoAccounts()
{
    return {account("Bank", "u-bank", "p-bank", "www.bank.de"), account("Post", "kunde7", "p-post", "http://post.de")};
}

struct StateRow {
    const char* state;
    bool cboAccountVisible;
    bool txtAccountVisible;
    bool txtWebSiteVisible;
    bool lblWebAdressVisible;
    bool lblWebAdressEnabled;
    bool cmdAddNewEnabled;
    bool cmdEditEnabled;
    bool cmdDeleteEnabled;
    bool cmdSaveEnabled;
    bool command3Visible;
    bool fieldsLocked;
    bool commentFiltered;
    const char* editCaption;
    qint16 editMode;
    int fullHeight;
    int compactHeight;
};

const StateRow kStates[] = {
    {"Empty", true, false, false, true, false, true, false, false, false, true, true, true, "Bearbeiten", 0, 4590, 2220},
    {"Viewing", true, false, false, true, true, true, true, true, false, true, true, true, "Bearbeiten", 0, 4590, 2220},
    {"Editing", false, true, true, false, false, false, true, false, false, false, false, false, "Abbrechen", 1, 4590, 4590},
};

void expectState(MainWindowFixture& f, const StateRow& row, qint16 compactMode)
{
    frmMain& m = *f.main;
    EXPECT_EQ(control<QComboBox>(m, QStringLiteral("cboAccount"))->isVisible(), row.cboAccountVisible);
    EXPECT_EQ(control<QLineEdit>(m, QStringLiteral("txtAccount"))->isVisible(), row.txtAccountVisible);
    EXPECT_EQ(control<QLineEdit>(m, QStringLiteral("txtWebSite"))->isVisible(), row.txtWebSiteVisible);
    EXPECT_EQ(control<QLabel>(m, QStringLiteral("lblWebAdress"))->isVisible(), row.lblWebAdressVisible);
    if (row.lblWebAdressVisible) {
        EXPECT_EQ(control<QLabel>(m, QStringLiteral("lblWebAdress"))->isEnabled(), row.lblWebAdressEnabled);
    }
    EXPECT_EQ(control<QPushButton>(m, QStringLiteral("cmdAddNew"))->isEnabled(), row.cmdAddNewEnabled);
    EXPECT_EQ(control<QPushButton>(m, QStringLiteral("cmdEdit"))->isEnabled(), row.cmdEditEnabled);
    EXPECT_EQ(control<QPushButton>(m, QStringLiteral("cmdDelete"))->isEnabled(), row.cmdDeleteEnabled);
    EXPECT_EQ(control<QPushButton>(m, QStringLiteral("cmdSave"))->isEnabled(), row.cmdSaveEnabled);
    EXPECT_EQ(control<MarlettButton>(m, QStringLiteral("Command3"))->isVisible(), row.command3Visible);
    EXPECT_EQ(control<QLineEdit>(m, QStringLiteral("txtUserName"))->isReadOnly(), row.fieldsLocked);
    EXPECT_EQ(control<QLineEdit>(m, QStringLiteral("txtPassWord"))->isReadOnly(), row.fieldsLocked);
    EXPECT_EQ(control<QLineEdit>(m, QStringLiteral("txtWebSite"))->isReadOnly(), row.fieldsLocked);
    EXPECT_EQ(control<QPlainTextEdit>(m, QStringLiteral("txtComments"))->isReadOnly(), row.commentFiltered);
    EXPECT_EQ(control<QPushButton>(m, QStringLiteral("cmdEdit"))->text(), QString::fromLatin1(row.editCaption));
    EXPECT_EQ(f.main->mode() == frmMain::Mode::Editing ? 1 : 0, row.editMode);
    const int height = compactMode == 1 ? row.compactHeight : row.fullHeight;
    EXPECT_EQ(m.heightTwips(), height);
    // The compact client area ends below the switch, which reaches past the design's compact area.
    EXPECT_EQ(m.height(), height == frmMain::kCompactHeight ? control<MarlettButton>(m, QStringLiteral("Command3"))->geometry().bottom() + 1
                                                             : Twips::toPixels(frmMain::clientHeightTwips(height), &m));
    EXPECT_EQ(appContext().CompactMode, compactMode);
    EXPECT_EQ(m.focusWidget(), control<QLineEdit>(m, QStringLiteral("dummy")));
}

} // namespace

TEST(frmMain, StatesEmptyViewingEditingInBothHeights)
{
    for (const qint16 compact : {qint16(0), qint16(1)}) {
        SCOPED_TRACE(compact);
        MainWindowFixture f(twoAccounts(), compact);
        ASSERT_NE(f.main, nullptr);
        control<QLineEdit>(f.main, QStringLiteral("dummy"))->setFocus();
        {
            SCOPED_TRACE("Empty");
            expectState(f, kStates[0], compact);
            EXPECT_EQ(control<QComboBox>(f.main, QStringLiteral("cboAccount"))->currentText(), QString());
            EXPECT_EQ(control<QLineEdit>(f.main, QStringLiteral("txtUserName"))->text(), QString());
            EXPECT_EQ(control<QLabel>(f.main, QStringLiteral("lblWebAdress"))->text(), QString());
        }
        f.choose(QStringLiteral("Post"));
        {
            SCOPED_TRACE("Viewing");
            expectState(f, kStates[1], compact);
            EXPECT_EQ(control<QLineEdit>(f.main, QStringLiteral("txtUserName"))->text(), QStringLiteral("kunde7"));
            EXPECT_EQ(control<QLineEdit>(f.main, QStringLiteral("txtPassWord"))->text(), QStringLiteral("p-post"));
            EXPECT_EQ(control<QLabel>(f.main, QStringLiteral("lblWebAdress"))->text(), QStringLiteral("http://post.de"));
            EXPECT_EQ(control<QLineEdit>(f.main, QStringLiteral("txtAccount"))->text(), QStringLiteral("Post"));
            EXPECT_TRUE(control<QCheckBox>(f.main, QStringLiteral("Check1"))->isChecked());
            EXPECT_EQ(control<QLineEdit>(f.main, QStringLiteral("txtPassWord"))->echoMode(), QLineEdit::Password);
        }
        QTest::mouseClick(control<QPushButton>(f.main, QStringLiteral("cmdEdit")), Qt::LeftButton);
        {
            SCOPED_TRACE("Editing");
            expectState(f, kStates[2], compact);
            EXPECT_EQ(control<QLineEdit>(f.main, QStringLiteral("txtAccount"))->text(), QStringLiteral("Post"));
            EXPECT_EQ(f.main->OldAccountName, QStringLiteral("Post"));
            EXPECT_EQ(control<QLineEdit>(f.main, QStringLiteral("txtWebSite"))->text(), QStringLiteral("http://post.de"));
        }
        // Cancelling drops the edits and leaves the window empty, in its own height again.
        control<QLineEdit>(f.main, QStringLiteral("txtPassWord"))->setText(QStringLiteral("changed"));
        EXPECT_TRUE(control<QPushButton>(f.main, QStringLiteral("cmdSave"))->isEnabled());
        QTest::mouseClick(control<QPushButton>(f.main, QStringLiteral("cmdEdit")), Qt::LeftButton);
        {
            SCOPED_TRACE("Empty after cancel");
            expectState(f, kStates[0], compact);
            EXPECT_EQ(control<QLineEdit>(f.main, QStringLiteral("txtPassWord"))->text(), QString());
        }
        f.choose(QStringLiteral("Post"));
        EXPECT_EQ(control<QLineEdit>(f.main, QStringLiteral("txtPassWord"))->text(), QStringLiteral("p-post"));
        EXPECT_TRUE(f.folder.messages.shown().isEmpty());
    }
}

TEST(frmMain, EditingWithNothingSelectedIsRefused)
{
    MainWindowFixture f(twoAccounts());
    ASSERT_NE(f.main, nullptr);
    f.main->cmdEdit_Click();
    ASSERT_EQ(f.folder.messages.shown().size(), 1);
    EXPECT_EQ(f.folder.messages.shown().first().prompt, QStringLiteral("Kann keinen leeren Eintrag bearbeiten."));
    EXPECT_EQ(f.folder.messages.shown().first().kind, 2);
    expectState(f, kStates[0], 0);
}

TEST(frmMain, HeightsShowTheirRows)
{
    MainWindowFixture f(twoAccounts(), 1);
    ASSERT_NE(f.main, nullptr);
    frmMain& m = *f.main;
    // Compact: down to the web address row and the switch, nothing of the comment row.
    EXPECT_LT(control<MarlettButton>(m, QStringLiteral("Command3"))->geometry().bottom(), m.height());
    EXPECT_LT(control<QLineEdit>(m, QStringLiteral("txtWebSite"))->geometry().bottom(), m.height());
    EXPECT_GE(control<QLabel>(m, QStringLiteral("lblBezeichner_4"))->geometry().top(), m.height());

    // Full: the entry buttons and the logoff picture, but not the countdown strip.
    m.SetCompactMode(false);
    EXPECT_LE(control<QPushButton>(m, QStringLiteral("cmdSave"))->geometry().bottom(), m.height());
    EXPECT_LE(control<PictureBox>(m, QStringLiteral("Picture1"))->geometry().bottom(), m.height());
    EXPECT_GT(control<XP_ProgressBar>(m, QStringLiteral("XPProgressBar1"))->geometry().bottom(), m.height());

    // Countdown: the strip too.
    m.setHeightTwips(frmMain::kCountdownHeight);
    EXPECT_LE(control<XP_ProgressBar>(m, QStringLiteral("XPProgressBar1"))->geometry().bottom(), m.height());
    EXPECT_EQ(control<QLabel>(m, QStringLiteral("Label1"))->geometry(), control<XP_ProgressBar>(m, QStringLiteral("XPProgressBar1"))->geometry());
}

TEST(frmMain, CountdownStripIsLaidOutForTheClipboardHandlers)
{
    MainWindowFixture f(twoAccounts());
    ASSERT_NE(f.main, nullptr);
    frmMain& m = *f.main;
    EXPECT_FALSE(control<XP_ProgressBar>(m, QStringLiteral("XPProgressBar1"))->isVisible());
    EXPECT_EQ(control<XP_ProgressBar>(m, QStringLiteral("XPProgressBar1"))->max(), 20);
    EXPECT_EQ(control<XP_ProgressBar>(m, QStringLiteral("XPProgressBar1"))->text(), QStringLiteral("sec."));
    EXPECT_FALSE(control<XP_ProgressBar>(m, QStringLiteral("XPProgressBar1"))->percent());
    EXPECT_FALSE(control<QLabel>(m, QStringLiteral("Label1"))->isVisible());
    EXPECT_EQ(control<QLabel>(m, QStringLiteral("Label1"))->text(), QStringLiteral("Zwischenablage gelöscht."));
    EXPECT_FALSE(m.findChild<QTimer*>(QStringLiteral("Timer2"))->isActive());
    EXPECT_EQ(m.findChild<QTimer*>(QStringLiteral("Timer2"))->interval(), 1000);
    EXPECT_FALSE(m.findChild<QTimer*>(QStringLiteral("Timer3"))->isActive());
    EXPECT_EQ(m.findChild<QTimer*>(QStringLiteral("Timer3"))->interval(), 2500);
    EXPECT_EQ(control<MarlettButton>(m, QStringLiteral("Command1"))->text(), QStringLiteral("n"));
    EXPECT_EQ(control<MarlettButton>(m, QStringLiteral("Command2"))->toolTip(), QStringLiteral("Passwort in die Zwischenablage kopieren (für 20 Sekunden)"));
    EXPECT_EQ(m.countdown().count(), 0);
}

TEST(frmMain, CompactSwitchAndTheSettingsWrittenAtUnload)
{
    {
        MainWindowFixture f(twoAccounts(), 1);
        ASSERT_NE(f.main, nullptr);
        frmMain& m = *f.main;
        EXPECT_EQ(m.heightTwips(), 2220);
        EXPECT_EQ(control<MarlettButton>(m, QStringLiteral("Command3"))->text(), QStringLiteral("6"));
        QTest::mouseClick(control<MarlettButton>(m, QStringLiteral("Command3")), Qt::LeftButton);
        EXPECT_EQ(m.heightTwips(), 4590);
        EXPECT_EQ(control<MarlettButton>(m, QStringLiteral("Command3"))->text(), QStringLiteral("5"));
        EXPECT_EQ(appContext().CompactMode, 0);
        EXPECT_EQ(m.focusWidget(), control<QLineEdit>(m, QStringLiteral("dummy")));
        QTest::mouseClick(control<MarlettButton>(m, QStringLiteral("Command3")), Qt::LeftButton);
        EXPECT_EQ(m.heightTwips(), 2220);
        EXPECT_EQ(control<MarlettButton>(m, QStringLiteral("Command3"))->text(), QStringLiteral("6"));
        EXPECT_EQ(appContext().CompactMode, 1);

        m.move(120, 210);
        const QPoint placed = m.pos();
        m.close();
        EXPECT_EQ(f.folder.exits, QList<int>{0});
        EXPECT_EQ(f.folder.setting(QStringLiteral("CompactMode")), QStringLiteral("1"));
        EXPECT_EQ(f.folder.setting(QStringLiteral("Top")).toDouble(), Twips::fromPixels(placed.y(), &m));
        EXPECT_EQ(f.folder.setting(QStringLiteral("Left")).toDouble(), Twips::fromPixels(placed.x(), &m));

        // The next start comes back compact at the same place.
        const QByteArray settings = testsupport::readAll(appContext().SettingsFile);
        appContext().CompactMode = 1;
        AppWindows again;
        frmMain& next = again.mainWindow();
        EXPECT_EQ(next.heightTwips(), 2220);
        EXPECT_EQ(control<MarlettButton>(next, QStringLiteral("Command3"))->text(), QStringLiteral("6"));
        EXPECT_EQ(next.pos(), placed);
        EXPECT_FALSE(next.isVisible());
        EXPECT_FALSE(settings.isEmpty());
    }
}

TEST(frmMain, StoredPositionIsUsedOnlyWhenTopAndLeftAreBothThere)
{
    struct Case {
        const char* settings;
        bool stored;
        int top;
        int left;
    };
    const Case cases[] = {
        {"[Tarvenic Keywarden]\r\nTop=1500\r\nLeft=300\r\n", true, 1500, 300},
        // The leading-number rule of every setting: a letter ends the number.
        {"[Tarvenic Keywarden]\r\nTop=1500D1\r\nLeft=300e1\r\n", true, 1500, 300},
        {"[Tarvenic Keywarden]\r\nTop=1500\r\n", false, 0, 0},
        {"[Tarvenic Keywarden]\r\nTop=1500\r\nLeft=\r\n", false, 0, 0},
        {"", false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settings);
        ProgramFolder folder;
        folder.writeSettings(c.settings);
        AppWindows windows;
        frmMain& m = windows.mainWindow();
        if (c.stored) {
            EXPECT_EQ(m.pos(), QPoint(Twips::toPixels(c.left, &m), Twips::toPixels(c.top, &m)));
        } else {
            const QScreen* screen = m.screen() ? m.screen() : QGuiApplication::primaryScreen();
            EXPECT_EQ(m.pos(), CenterForm(screen->availableGeometry(), m.frameGeometry().size()));
        }
        EXPECT_EQ(m.windowTitle(), QStringLiteral("Tarvenic Keywarden - "));
    }
}

TEST(frmMain, EnterOnAFocusedButtonClicksIt)
{
    MainWindowFixture f(twoAccounts());
    ASSERT_NE(f.main, nullptr);
    frmMain& m = *f.main;
    QSignalSpy clicks(control<MarlettButton>(m, QStringLiteral("Command1")), &QPushButton::clicked);
    const auto enterOn = [&m](QPushButton* button, Qt::Key key = Qt::Key_Return) {
        button->setFocus();
        ASSERT_EQ(m.focusWidget(), button);
        QTest::keyClick(button, key);
    };

    enterOn(control<MarlettButton>(m, QStringLiteral("Command3")));
    EXPECT_EQ(m.heightTwips(), frmMain::kCompactHeight);
    enterOn(control<MarlettButton>(m, QStringLiteral("Command3")), Qt::Key_Enter);
    EXPECT_EQ(m.heightTwips(), frmMain::kFullHeight);

    f.choose(QStringLiteral("Bank"));
    enterOn(control<MarlettButton>(m, QStringLiteral("Command1")));
    EXPECT_EQ(clicks.size(), 1);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("u-bank"));
    m.clearPendingClipboard();

    enterOn(control<QPushButton>(m, QStringLiteral("cmdEdit")));
    EXPECT_EQ(control<QPushButton>(m, QStringLiteral("cmdEdit"))->text(), QStringLiteral("Abbrechen"));
    control<QLineEdit>(m, QStringLiteral("txtUserName"))->setText(QStringLiteral("neu"));
    enterOn(control<QPushButton>(m, QStringLiteral("cmdSave")));
    EXPECT_EQ(control<QPushButton>(m, QStringLiteral("cmdEdit"))->text(), QStringLiteral("Bearbeiten"));
    EXPECT_EQ(f.stored(QStringLiteral("Bank")).User, QStringLiteral("neu"));

    f.folder.messages.queueAnswer(false);
    enterOn(control<QPushButton>(m, QStringLiteral("cmdDelete")));
    ASSERT_EQ(f.folder.messages.shown().size(), 1);
    EXPECT_TRUE(f.folder.messages.shown().first().question);

    enterOn(control<QPushButton>(m, QStringLiteral("cmdAddNew")));
    ASSERT_NE(m.editDialog(), nullptr);
    EXPECT_TRUE(m.editDialog()->isVisible());
}

TEST(frmMain, CompactHeightShowsEveryRowDownToTheSwitchWhole)
{
    MainWindowFixture f(twoAccounts(), 1);
    ASSERT_NE(f.main, nullptr);
    frmMain& m = *f.main;
    f.choose(QStringLiteral("Bank"));
    ASSERT_EQ(m.heightTwips(), frmMain::kCompactHeight);
    const QWidget* const rows[] = {control<QLabel>(m, QStringLiteral("lblBezeichner_0")), control<QComboBox>(m, QStringLiteral("cboAccount")), control<QLabel>(m, QStringLiteral("lblBezeichner_1")), control<QLineEdit>(m, QStringLiteral("txtUserName")), control<MarlettButton>(m, QStringLiteral("Command1")),
                                   control<QLabel>(m, QStringLiteral("lblBezeichner_2")), control<QLineEdit>(m, QStringLiteral("txtPassWord")), control<MarlettButton>(m, QStringLiteral("Command2")), control<QLabel>(m, QStringLiteral("lblBezeichner_3")),
                                   control<QLabel>(m, QStringLiteral("lblWebAdress")), control<MarlettButton>(m, QStringLiteral("Command3"))};
    for (const QWidget* row : rows)
        EXPECT_TRUE(m.rect().contains(row->geometry())) << row->objectName().toStdString() << " ends at "
                                                        << row->geometry().bottom() << ", the window at "
                                                        << m.rect().bottom();
    // The rows below the switch stay out of sight, also the comment box's top edge beside it: the
    // last row shows the window's background there.
    EXPECT_GE(control<QLabel>(m, QStringLiteral("lblBezeichner_4"))->geometry().top(), m.height());
    const QColor background = m.palette().color(QPalette::Window);
    const int commentMiddle = control<QPlainTextEdit>(m, QStringLiteral("txtComments"))->geometry().center().x();
    EXPECT_EQ(m.grab().toImage().pixelColor(commentMiddle, m.height() - 1), background);

    // Editing in compact mode makes the window full height: the comment box shows with its edge.
    QTest::mouseClick(control<QPushButton>(m, QStringLiteral("cmdEdit")), Qt::LeftButton);
    ASSERT_EQ(m.heightTwips(), frmMain::kFullHeight);
    EXPECT_NE(m.grab().toImage().pixelColor(commentMiddle, control<QPlainTextEdit>(m, QStringLiteral("txtComments"))->y()), background);
}

TEST(frmMain, RestoredWindowLiesWhollyOnTheScreen)
{
    // The window with its title bar, as the heights count it, at the place it was given.
    const auto outerRect = [](const frmMain& m) {
        return QRect(m.pos(), QSize(m.width(), Twips::toPixels(m.heightTwips(), &m)));
    };
    struct Case {
        const char* top;
        const char* left;
        qint16 compactMode;
        const char* what;
    };
    const Case cases[] = {
        {"99999", "99999", 0, "from a larger screen"},
        {"99999", "99999", 1, "from a larger screen, compact"},
        {"-99999", "-99999", 0, "above and left of the screen"},
        {"99999999999999999999", "-99999999999999999999", 0, "beyond every range"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProgramFolder folder;
        folder.writeSettings(QByteArray("[Tarvenic Keywarden]\r\nTop=") + c.top + "\r\nLeft=" + c.left + "\r\n");
        appContext().CompactMode = c.compactMode;
        AppWindows windows;
        frmMain& m = windows.mainWindow();
        const QRect area = m.screen()->availableGeometry();
        EXPECT_TRUE(area.contains(outerRect(m))) << m.x() << "," << m.y();
        m.show();
        // Shown, with the frame the platform gives it.
        EXPECT_TRUE(area.contains(m.frameGeometry())) << m.frameGeometry().x() << "," << m.frameGeometry().y();
    }

    // Partly off the screen: moved along that axis only, just far enough; the other stays exact.
    ProgramFolder folder;
    AppWindows probe;
    const frmMain& sized = probe.mainWindow();
    const QRect area = sized.screen()->availableGeometry();
    const QSize outer = outerRect(sized).size();
    const int left = Twips::toPixels(300, &sized);
    const int top = Twips::toPixels(1500, &sized);
    const QString rightOff = QString::number(Twips::fromPixels(area.right() - outer.width() / 2, &sized));
    const QString bottomOff = QString::number(Twips::fromPixels(area.bottom() - outer.height() / 2, &sized));
    folder.writeSettings(("[Tarvenic Keywarden]\r\nTop=1500\r\nLeft=" + rightOff + "\r\n").toLatin1());
    {
        AppWindows windows;
        EXPECT_EQ(windows.mainWindow().pos(), QPoint(area.right() + 1 - outer.width(), top));
    }
    folder.writeSettings(("[Tarvenic Keywarden]\r\nTop=" + bottomOff + "\r\nLeft=300\r\n").toLatin1());
    {
        AppWindows windows;
        EXPECT_EQ(windows.mainWindow().pos(), QPoint(left, area.bottom() + 1 - outer.height()));
    }
}

TEST(frmMain, IndicatorFrameShowsARunningOperationAndTheClipboard)
{
    MainWindowFixture f(twoAccounts());
    ASSERT_NE(f.main, nullptr);
    frmMain& m = *f.main;
    const QColor idle(192, 0, 0);
    const QColor active(255, 0, 0);
    auto frameColor = [&m] { return control<PictureBox>(m, QStringLiteral("Picture1"))->palette().color(QPalette::Window); };

    m.Timer1_Timer();
    EXPECT_EQ(frameColor(), idle);
    {
        StoreActivity::Scope running;
        m.Timer1_Timer();
        EXPECT_EQ(frameColor(), active);
    }
    m.Timer1_Timer();
    EXPECT_EQ(frameColor(), idle);
    // Between the steps of a real operation the timer comes in and finds it running.
    QList<QColor> seen;
    StoreActivity::setEventPump([&] {
        m.Timer1_Timer();
        seen << frameColor();
    });
    f.choose(QStringLiteral("Post"));
    StoreActivity::setEventPump([] { QCoreApplication::processEvents(); });
    ASSERT_FALSE(seen.isEmpty());
    EXPECT_EQ(seen.count(active), seen.size());
    m.Timer1_Timer();
    EXPECT_EQ(frameColor(), idle);
    // A file of the old working copy's name means nothing any more.
    testsupport::writeAll(f.folder.path(QStringLiteral("pstmp.dat")), "x");
    m.Timer1_Timer();
    EXPECT_EQ(frameColor(), idle);
    // A copy waiting on the clipboard (count 1) turns it red as well.
    m.countdown().copy(QStringLiteral("wartet"), false);
    ASSERT_EQ(m.countdown().count(), 1);
    m.Timer1_Timer();
    EXPECT_EQ(frameColor(), active);
    m.countdown().clear();

    // Hovering the logoff picture holds the highlight until the mouse moves over the window.
    EXPECT_TRUE(control<QTimer>(m, QStringLiteral("Timer1"))->isActive());
    emit control<PictureBox>(m, QStringLiteral("picLogoff"))->mouseMoved();
    EXPECT_FALSE(control<QTimer>(m, QStringLiteral("Timer1"))->isActive());
    EXPECT_EQ(frameColor(), active);
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), m.mapToGlobal(QPointF(2, 2)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&m, &move);
    EXPECT_TRUE(control<QTimer>(m, QStringLiteral("Timer1"))->isActive());
}

TEST(frmMain, RightClickOnTheBackgroundOrACaptionOpensTheMenu)
{
    MainWindowFixture f(twoAccounts());
    ASSERT_NE(f.main, nullptr);
    frmMain& m = *f.main;
    EXPECT_EQ(control<QAction>(m, QStringLiteral("mnuChngMaster"))->text(), QStringLiteral("Master-Passwort ändern"));
    EXPECT_EQ(control<QAction>(m, QStringLiteral("mnuCopyAdress"))->text(), QStringLiteral("Adresse kopieren"));

    QTest::mouseClick(control<QLabel>(m, QStringLiteral("lblBezeichner_4")), Qt::LeftButton);
    EXPECT_FALSE(control<QMenu>(m, QStringLiteral("mnuPopMain"))->isVisible());
    QTest::mouseClick(control<QLabel>(m, QStringLiteral("lblBezeichner_4")), Qt::RightButton);
    EXPECT_TRUE(control<QMenu>(m, QStringLiteral("mnuPopMain"))->isVisible());
    control<QMenu>(m, QStringLiteral("mnuPopMain"))->hide();
    QTest::mouseClick(&m, Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_TRUE(control<QMenu>(m, QStringLiteral("mnuPopMain"))->isVisible());
    control<QMenu>(m, QStringLiteral("mnuPopMain"))->hide();
}

TEST(frmMain, MasterPasswordMenuHidesTheWindowUntilTheDialogCloses)
{
    MainWindowFixture f(twoAccounts());
    ASSERT_NE(f.main, nullptr);
    control<QAction>(f.main, QStringLiteral("mnuChngMaster"))->trigger();
    EXPECT_FALSE(f.main->isVisible());
    QWidget* dialog = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QStringLiteral("frmMasterPass") && widget->isVisible())
            dialog = widget;
    }
    ASSERT_NE(dialog, nullptr);
    dialog->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(f.main->isVisible());
    EXPECT_EQ(f.session().MasterPassword(), QStringLiteral("abcd"));
}

TEST(frmMain, NoStoreCommandStartsWhileAnotherOperationRuns)
{
    MainWindowFixture f(twoAccounts());
    ASSERT_NE(f.main, nullptr);
    frmMain& m = *f.main;
    f.choose(QStringLiteral("Bank"));
    ASSERT_EQ(control<QLineEdit>(m, QStringLiteral("txtUserName"))->text(), QStringLiteral("u-bank"));
    {
        StoreActivity::Scope running;
        ASSERT_TRUE(running.acquired());
        // Selecting another account: the list stays on the entry on show.
        f.choose(QStringLiteral("Post"));
        EXPECT_EQ(control<QComboBox>(m, QStringLiteral("cboAccount"))->currentText(), QStringLiteral("Bank"));
        EXPECT_EQ(control<QLineEdit>(m, QStringLiteral("txtUserName"))->text(), QStringLiteral("u-bank"));
        // Deleting: not even the question.
        f.folder.messages.queueAnswer(true);
        m.cmdDelete_Click();
        EXPECT_TRUE(f.folder.messages.shown().isEmpty());
        f.folder.messages.clear();
        // Saving an edit: nothing stored, still editing.
        QTest::mouseClick(control<QPushButton>(m, QStringLiteral("cmdEdit")), Qt::LeftButton);
        control<QLineEdit>(m, QStringLiteral("txtPassWord"))->setText(QStringLiteral("neu"));
        QTest::mouseClick(control<QPushButton>(m, QStringLiteral("cmdSave")), Qt::LeftButton);
        EXPECT_EQ(control<QPushButton>(m, QStringLiteral("cmdEdit"))->text(), QStringLiteral("Abbrechen"));
        EXPECT_TRUE(f.folder.messages.shown().isEmpty());
    }
    EXPECT_EQ(f.listed(), (QStringList{QStringLiteral("Bank"), QStringLiteral("Post")}));
    EXPECT_EQ(f.stored(QStringLiteral("Bank")).Pass, QStringLiteral("p-bank"));
    // Once it has finished, the same save goes through.
    QTest::mouseClick(control<QPushButton>(m, QStringLiteral("cmdSave")), Qt::LeftButton);
    EXPECT_EQ(f.stored(QStringLiteral("Bank")).Pass, QStringLiteral("neu"));
}
