#include "ui/main/MainWindowFixture.h"
#include "support/FindControl.h"

#include "ui/UrlOpener.h"
#include "ui/common/ProgramClipboard.h"
#include "ui/controls/XP_ProgressBar.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>

namespace {

const QString kHint = QString::fromLatin1(ProgramClipboard::kPasswordManagerHint);

QList<TestAccount> bankAndPost()
{
    return {account("Bank", "u-bank", "p-bank", "WWW.Bank.de"), account("Post", "", "p-post", "http://post.de")};
}

QString clipboardText()
{
    return QGuiApplication::clipboard()->text();
}

void userCopies(const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
}

bool clipboardMarkedSecret()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasFormat(kHint) && data->data(kHint) == QByteArrayLiteral("secret");
}

// A timer that never runs out during a test: the test ticks it itself.
constexpr int kByHand = 60000;

// The main window over Bank and Post with the clipboard timers at the given intervals (ms).
struct ClipboardWindow : MainWindowFixture {
    ClipboardWindow(int tickMs, int pauseMs, int noticeMs, qint16 compactMode = 0)
        : MainWindowFixture(bankAndPost(), compactMode)
    {
        if (main)
            main->setClipboardIntervals(tickMs, pauseMs, noticeMs);
    }

    // Bank on show and its password copied: the countdown starts.
    void copyBankPassword()
    {
        choose(QStringLiteral("Bank"));
        main->Command2_Click();
    }

    // Ticks the countdown by hand until the clipboard is emptied.
    void tickToTheEnd()
    {
        while (main->findChild<QTimer*>(QStringLiteral("Timer2"))->isActive())
            main->countdown().Timer2_Timer();
    }

    // The end notice comes after the short pause.
    bool noticeShown()
    {
        return QTest::qWaitFor([this] { return main->findChild<QTimer*>(QStringLiteral("Timer3"))->isActive(); }, 2000);
    }
};

// Records the addresses the link hands to the desktop instead of starting a browser.
class RecordedUrls {
public:
    RecordedUrls()
    {
        m_previous = UrlOpener::setAction([this](const QString& address) {
            opened << address;
            return true;
        });
    }
    ~RecordedUrls() { UrlOpener::setAction(m_previous); }
    QStringList opened;

private:
    UrlOpener::Action m_previous;
};

} // namespace

TEST(frmMainClipboard, CountdownCountsTwentyTicksEmptiesTheClipboardThenShowsTheNotice)
{
    ClipboardWindow f(kByHand, 1, kByHand);  // the pause runs out at once
    ASSERT_NE(f.main, nullptr);
    frmMain& m = *f.main;
    userCopies(QStringLiteral("vorher"));
    f.choose(QStringLiteral("Bank"));

    QTest::mouseClick(control<MarlettButton>(m, QStringLiteral("Command2")), Qt::LeftButton);
    EXPECT_EQ(clipboardText(), QStringLiteral("p-bank"));
    EXPECT_TRUE(clipboardMarkedSecret());
    EXPECT_EQ(m.countdown().count(), 1);
    EXPECT_TRUE(m.findChild<QTimer*>(QStringLiteral("Timer2"))->isActive());
    EXPECT_EQ(m.heightTwips(), frmMain::kCountdownHeight);
    EXPECT_TRUE(control<XP_ProgressBar>(m, QStringLiteral("XPProgressBar1"))->isVisible());
    EXPECT_EQ(control<XP_ProgressBar>(m, QStringLiteral("XPProgressBar1"))->value(), 0);
    // Drawn as the window stores the bar: style 5, dark grey, white caption.
    EXPECT_EQ(control<XP_ProgressBar>(m, QStringLiteral("XPProgressBar1"))->scrolling(), 5);
    EXPECT_EQ(control<XP_ProgressBar>(m, QStringLiteral("XPProgressBar1"))->color(), QColor(0x40, 0x40, 0x40));
    EXPECT_EQ(control<XP_ProgressBar>(m, QStringLiteral("XPProgressBar1"))->textColor(), QColor(Qt::white));
    EXPECT_TRUE(control<XP_ProgressBar>(m, QStringLiteral("XPProgressBar1"))->showText());
    EXPECT_FALSE(control<QLabel>(m, QStringLiteral("Label1"))->isVisible());
    EXPECT_FALSE(control<MarlettButton>(m, QStringLiteral("Command3"))->isVisible());
    EXPECT_EQ(control<PictureBox>(m, QStringLiteral("Picture1"))->toolTip(), QStringLiteral("Passwort sofort aus der Zwischenablage entfernen"));
    EXPECT_EQ(m.focusWidget(), control<QLineEdit>(m, QStringLiteral("dummy")));

    for (int tick = 1; tick <= 20; ++tick) {
        SCOPED_TRACE(tick);
        m.countdown().Timer2_Timer();
        EXPECT_EQ(control<XP_ProgressBar>(m, QStringLiteral("XPProgressBar1"))->value(), tick);
        EXPECT_EQ(control<XP_ProgressBar>(m, QStringLiteral("XPProgressBar1"))->caption(), QString::number(tick) + QStringLiteral(" sec."));
        if (tick < 20) {
            EXPECT_EQ(clipboardText(), QStringLiteral("p-bank"));
            EXPECT_EQ(m.countdown().count(), tick + 1);
        }
    }
    EXPECT_EQ(clipboardText(), QString());
    EXPECT_FALSE(m.findChild<QTimer*>(QStringLiteral("Timer2"))->isActive());

    // The short pause before the notice: the bar stays, the copy buttons and the frame do nothing.
    ASSERT_TRUE(m.countdownEnding());
    QTest::mouseClick(control<MarlettButton>(m, QStringLiteral("Command1")), Qt::LeftButton);
    m.Picture1_Click();
    EXPECT_EQ(clipboardText(), QString());
    EXPECT_EQ(m.countdown().count(), 20);
    EXPECT_TRUE(control<XP_ProgressBar>(m, QStringLiteral("XPProgressBar1"))->isVisible());
    EXPECT_FALSE(m.findChild<QTimer*>(QStringLiteral("Timer2"))->isActive());

    ASSERT_TRUE(QTest::qWaitFor([&m] { return !m.countdownEnding(); }, 2000));
    EXPECT_EQ(m.countdown().count(), 0);
    EXPECT_FALSE(control<XP_ProgressBar>(m, QStringLiteral("XPProgressBar1"))->isVisible());
    EXPECT_EQ(control<XP_ProgressBar>(m, QStringLiteral("XPProgressBar1"))->value(), 0);
    EXPECT_TRUE(control<QLabel>(m, QStringLiteral("Label1"))->isVisible());
    EXPECT_EQ(control<QLabel>(m, QStringLiteral("Label1"))->text(), QStringLiteral("Zwischenablage gelöscht."));
    EXPECT_TRUE(m.findChild<QTimer*>(QStringLiteral("Timer3"))->isActive());
    EXPECT_EQ(m.heightTwips(), frmMain::kCountdownHeight);
    EXPECT_FALSE(control<MarlettButton>(m, QStringLiteral("Command3"))->isVisible());
    EXPECT_EQ(control<PictureBox>(m, QStringLiteral("Picture1"))->toolTip(), QString());

    m.countdown().Timer3_Timer();
    EXPECT_FALSE(control<QLabel>(m, QStringLiteral("Label1"))->isVisible());
    EXPECT_FALSE(control<XP_ProgressBar>(m, QStringLiteral("XPProgressBar1"))->isVisible());
    EXPECT_FALSE(m.findChild<QTimer*>(QStringLiteral("Timer3"))->isActive());
    EXPECT_EQ(m.heightTwips(), frmMain::kFullHeight);
    EXPECT_TRUE(control<MarlettButton>(m, QStringLiteral("Command3"))->isVisible());
    EXPECT_EQ(control<MarlettButton>(m, QStringLiteral("Command3"))->text(), QStringLiteral("5"));
}

TEST(frmMainClipboard, RunningTimersTakeTheCountdownToItsEndOnTheirOwn)
{
    ClipboardWindow f(2, 2, 200);
    ASSERT_NE(f.main, nullptr);
    frmMain& m = *f.main;
    f.choose(QStringLiteral("Bank"));
    QTest::mouseClick(control<MarlettButton>(m, QStringLiteral("Command1")), Qt::LeftButton);
    EXPECT_EQ(clipboardText(), QStringLiteral("u-bank"));

    ASSERT_TRUE(QTest::qWaitFor([&m] { return control<QLabel>(m, QStringLiteral("Label1"))->isVisible(); }, 5000));
    EXPECT_EQ(clipboardText(), QString());
    EXPECT_EQ(m.countdown().count(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&m] { return m.heightTwips() == frmMain::kFullHeight; }, 5000));
    EXPECT_FALSE(control<QLabel>(m, QStringLiteral("Label1"))->isVisible());
    EXPECT_TRUE(control<MarlettButton>(m, QStringLiteral("Command3"))->isVisible());
    EXPECT_FALSE(m.findChild<QTimer*>(QStringLiteral("Timer2"))->isActive());
    EXPECT_FALSE(m.findChild<QTimer*>(QStringLiteral("Timer3"))->isActive());
}

TEST(frmMainClipboard, ImmediateClearPutsTheMarkAndTheCountdownEndsNineTicksAfterEleven)
{
    ClipboardWindow f(kByHand, kByHand, kByHand);
    ASSERT_NE(f.main, nullptr);
    frmMain& m = *f.main;
    f.copyBankPassword();
    for (int tick = 1; tick <= 5; ++tick)
        m.countdown().Timer2_Timer();
    ASSERT_EQ(m.countdown().count(), 6);

    // A click on the red frame, beside the logoff picture.
    QTest::mouseClick(control<PictureBox>(m, QStringLiteral("Picture1")), Qt::LeftButton, Qt::NoModifier, QPoint(1, 1));
    EXPECT_EQ(clipboardText(), QStringLiteral("gelöscht."));
    EXPECT_FALSE(clipboardMarkedSecret());
    EXPECT_EQ(m.countdown().count(), 11);
    EXPECT_TRUE(m.findChild<QTimer*>(QStringLiteral("Timer2"))->isActive());
    EXPECT_TRUE(control<XP_ProgressBar>(m, QStringLiteral("XPProgressBar1"))->isVisible());

    m.countdown().Timer2_Timer();
    EXPECT_EQ(control<XP_ProgressBar>(m, QStringLiteral("XPProgressBar1"))->value(), 11);
    for (int later = 1; later <= 9; ++later) {
        SCOPED_TRACE(later);
        EXPECT_EQ(clipboardText(), QStringLiteral("gelöscht."));
        m.countdown().Timer2_Timer();
    }
    EXPECT_EQ(control<XP_ProgressBar>(m, QStringLiteral("XPProgressBar1"))->value(), 20);
    EXPECT_EQ(clipboardText(), QString());
    EXPECT_TRUE(m.countdownEnding());

    // Without anything pending the frame click does nothing.
    MainWindowFixture idle(bankAndPost());
    ASSERT_NE(idle.main, nullptr);
    userCopies(QStringLiteral("eigener Text"));
    idle.main->Picture1_Click();
    EXPECT_EQ(clipboardText(), QStringLiteral("eigener Text"));
    EXPECT_EQ(idle.main->countdown().count(), 0);
}

TEST(frmMainClipboard, TextTheUserCopiedMeanwhileIsNeverEmptiedOrReplaced)
{
    ClipboardWindow f(kByHand, kByHand, kByHand);
    ASSERT_NE(f.main, nullptr);
    frmMain& m = *f.main;
    f.copyBankPassword();
    m.countdown().Timer2_Timer();
    userCopies(QStringLiteral("eigener Text"));

    m.Picture1_Click();
    EXPECT_EQ(clipboardText(), QStringLiteral("eigener Text"));
    EXPECT_EQ(m.countdown().count(), 11);
    f.tickToTheEnd();
    EXPECT_EQ(clipboardText(), QStringLiteral("eigener Text"));
    EXPECT_TRUE(m.countdownEnding());
}

TEST(frmMainClipboard, CopyRulesEmptyFieldsAndACopyDuringACountdownOrItsNotice)
{
    ClipboardWindow f(kByHand, 1, kByHand);
    ASSERT_NE(f.main, nullptr);
    frmMain& m = *f.main;

    // Nothing on show: both buttons do nothing.
    userCopies(QStringLiteral("vorher"));
    m.Command1_Click();
    m.Command2_Click();
    EXPECT_EQ(clipboardText(), QStringLiteral("vorher"));
    EXPECT_EQ(m.countdown().count(), 0);
    EXPECT_FALSE(m.findChild<QTimer*>(QStringLiteral("Timer2"))->isActive());
    EXPECT_EQ(m.heightTwips(), frmMain::kFullHeight);

    // Post has no user name: only its password can be copied, masked as it is.
    f.choose(QStringLiteral("Post"));
    ASSERT_TRUE(control<QCheckBox>(m, QStringLiteral("Check1"))->isChecked());
    m.Command1_Click();
    EXPECT_EQ(clipboardText(), QStringLiteral("vorher"));
    EXPECT_EQ(m.countdown().count(), 0);
    m.Command2_Click();
    EXPECT_EQ(clipboardText(), QStringLiteral("p-post"));
    EXPECT_EQ(m.countdown().count(), 1);

    // Another copy during the countdown starts it again from 1.
    for (int tick = 1; tick <= 7; ++tick)
        m.countdown().Timer2_Timer();
    f.choose(QStringLiteral("Bank"));
    m.Command1_Click();
    EXPECT_EQ(clipboardText(), QStringLiteral("u-bank"));
    EXPECT_TRUE(clipboardMarkedSecret());
    EXPECT_EQ(m.countdown().count(), 1);
    EXPECT_EQ(control<XP_ProgressBar>(m, QStringLiteral("XPProgressBar1"))->value(), 0);

    // A copy while the end notice shows drops the notice and counts anew.
    f.tickToTheEnd();
    ASSERT_TRUE(f.noticeShown());
    ASSERT_TRUE(control<QLabel>(m, QStringLiteral("Label1"))->isVisible());
    m.Command2_Click();
    EXPECT_EQ(clipboardText(), QStringLiteral("p-bank"));
    EXPECT_FALSE(m.findChild<QTimer*>(QStringLiteral("Timer3"))->isActive());
    EXPECT_FALSE(control<QLabel>(m, QStringLiteral("Label1"))->isVisible());
    EXPECT_TRUE(control<XP_ProgressBar>(m, QStringLiteral("XPProgressBar1"))->isVisible());
    EXPECT_TRUE(m.findChild<QTimer*>(QStringLiteral("Timer2"))->isActive());
    EXPECT_EQ(m.countdown().count(), 1);
    EXPECT_EQ(m.heightTwips(), frmMain::kCountdownHeight);
}

TEST(frmMainClipboard, CompactHeightKeepsTheCopyWithoutCountdownUntilTheFrameClick)
{
    ClipboardWindow f(1, 1, 1, 1);
    ASSERT_NE(f.main, nullptr);
    frmMain& m = *f.main;
    f.copyBankPassword();
    EXPECT_EQ(clipboardText(), QStringLiteral("p-bank"));
    EXPECT_EQ(m.countdown().count(), 1);
    EXPECT_EQ(m.heightTwips(), frmMain::kCompactHeight);
    EXPECT_FALSE(control<XP_ProgressBar>(m, QStringLiteral("XPProgressBar1"))->isVisible());
    EXPECT_TRUE(control<MarlettButton>(m, QStringLiteral("Command3"))->isVisible());
    EXPECT_EQ(control<PictureBox>(m, QStringLiteral("Picture1"))->toolTip(), QStringLiteral("Passwort sofort aus der Zwischenablage entfernen"));

    // Even with timers that would run out at once, nothing counts.
    QTest::qWait(30);
    EXPECT_FALSE(m.findChild<QTimer*>(QStringLiteral("Timer2"))->isActive());
    EXPECT_EQ(clipboardText(), QStringLiteral("p-bank"));
    EXPECT_EQ(m.countdown().count(), 1);

    m.Picture1_Click();
    EXPECT_EQ(clipboardText(), QStringLiteral("gelöscht."));
    EXPECT_EQ(m.countdown().count(), 11);
    QTest::qWait(30);
    EXPECT_EQ(clipboardText(), QStringLiteral("gelöscht."));
    EXPECT_EQ(m.countdown().count(), 11);
    EXPECT_EQ(m.heightTwips(), frmMain::kCompactHeight);
}

TEST(frmMainClipboard, SecretHintOnCopiedNamesAndPasswordsNotOnTheAddress)
{
    ClipboardWindow f(kByHand, kByHand, kByHand);
    ASSERT_NE(f.main, nullptr);
    frmMain& m = *f.main;
    f.copyBankPassword();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasText());
    EXPECT_EQ(data->text(), QStringLiteral("p-bank"));
    EXPECT_TRUE(clipboardMarkedSecret());
    m.Command1_Click();
    EXPECT_EQ(clipboardText(), QStringLiteral("u-bank"));
    EXPECT_TRUE(clipboardMarkedSecret());

    // "Adresse kopieren": unchanged in case, no hint, and the countdown is not touched.
    for (int tick = 1; tick <= 3; ++tick)
        m.countdown().Timer2_Timer();
    control<QAction>(m, QStringLiteral("mnuCopyAdress"))->trigger();
    EXPECT_EQ(clipboardText(), QStringLiteral("WWW.Bank.de"));
    EXPECT_FALSE(QGuiApplication::clipboard()->mimeData()->hasFormat(kHint));
    EXPECT_EQ(m.countdown().count(), 4);
    // Not ours to clear: the countdown's end leaves the address there.
    f.tickToTheEnd();
    EXPECT_EQ(clipboardText(), QStringLiteral("WWW.Bank.de"));

    MainWindowFixture idle(bankAndPost());
    ASSERT_NE(idle.main, nullptr);
    idle.choose(QStringLiteral("Post"));
    idle.main->mnuCopyAdress_Click();
    EXPECT_EQ(clipboardText(), QStringLiteral("http://post.de"));
    EXPECT_EQ(idle.main->countdown().count(), 0);
    EXPECT_FALSE(idle.main->findChild<QTimer*>(QStringLiteral("Timer2"))->isActive());
    EXPECT_EQ(idle.main->heightTwips(), frmMain::kFullHeight);
}

TEST(frmMainClipboard, WebAddressRules)
{
    struct Case {
        const char* caption;
        const char* opened;  // "" when nothing is opened
    };
    const Case cases[] = {
        // Handed over as typed: only the prefix is compared without regard to case.
        {"http://post.de", "http://post.de"},
        {"HTTP://Post.DE/Login?ID=A", "HTTP://Post.DE/Login?ID=A"},
        {"https://bank.de", "https://bank.de"},
        {"HTTPS://www.bank.de", "HTTPS://www.bank.de"},
        {"https://bank.de/Konto?Token=AbC-xyZ#Teil", "https://bank.de/Konto?Token=AbC-xyZ#Teil"},
        {"hTtPs://Bank.de", "hTtPs://Bank.de"},
        {"www.bank.de", "http://www.bank.de"},
        {"WWW.Bank.DE/Konto", "http://WWW.Bank.DE/Konto"},
        // Nothing else is ever opened.
        {"bank.de", ""},
        {"ftp://www.bank.de", ""},
        {"file:///etc/passwd", ""},
        {"javascript:alert(1)", ""},
        {"mailto:post@bank.de", ""},
        {"httpx://bank.de", ""},
        {"https:/bank.de", ""},
        {"https//bank.de", ""},
        {" www.bank.de", ""},
        {" https://bank.de", ""},
        {"http:/bank.de", ""},
        {"www", ""},
        {"", ""},
    };
    MainWindowFixture f(bankAndPost());
    ASSERT_NE(f.main, nullptr);
    frmMain& m = *f.main;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        RecordedUrls urls;
        control<QLabel>(m, QStringLiteral("lblWebAdress"))->setText(QString::fromUtf8(c.caption));
        m.lblWebAdress_MouseDown(Qt::LeftButton, QPoint(10, 10));
        const QStringList expected = *c.opened ? QStringList{QString::fromUtf8(c.opened)} : QStringList{};
        EXPECT_EQ(urls.opened, expected);
        EXPECT_EQ(frmMain::WebAddressToOpen(QString::fromUtf8(c.caption)), QString::fromUtf8(c.opened));
    }
    // An address that is not opened is passed over without a word.
    EXPECT_TRUE(f.folder.messages.shown().isEmpty());
}

TEST(frmMainClipboard, WebAddressLinkTakesTheMouseOnlyWhileAnEntryIsShown)
{
    MainWindowFixture f(bankAndPost());
    ASSERT_NE(f.main, nullptr);
    frmMain& m = *f.main;
    RecordedUrls urls;

    // Nothing on show: the link is disabled and opens nothing.
    pressMouse(control<QLabel>(m, QStringLiteral("lblWebAdress")), Qt::LeftButton);
    EXPECT_TRUE(urls.opened.isEmpty());

    f.choose(QStringLiteral("Bank"));
    ASSERT_TRUE(control<QLabel>(m, QStringLiteral("lblWebAdress"))->isEnabled());
    pressMouse(control<QLabel>(m, QStringLiteral("lblWebAdress")), Qt::LeftButton);
    pressMouse(control<QLabel>(m, QStringLiteral("lblWebAdress")), Qt::MiddleButton);
    EXPECT_EQ(urls.opened, (QStringList{QStringLiteral("http://WWW.Bank.de"), QStringLiteral("http://WWW.Bank.de")}));
    EXPECT_EQ(control<QLabel>(m, QStringLiteral("lblWebAdress"))->text(), QStringLiteral("WWW.Bank.de"));

    // The right button: the menu with "Adresse kopieren", nothing opened.
    pressMouse(control<QLabel>(m, QStringLiteral("lblWebAdress")), Qt::RightButton);
    EXPECT_TRUE(control<QMenu>(m, QStringLiteral("mnuPop"))->isVisible());
    EXPECT_FALSE(control<QMenu>(m, QStringLiteral("mnuPopMain"))->isVisible());
    EXPECT_EQ(urls.opened.size(), 2);
    control<QMenu>(m, QStringLiteral("mnuPop"))->hide();
}

TEST(frmMainClipboard, EditingDuringACountdownKeepsTheStripAndTheSwitchHidden)
{
    ClipboardWindow f(kByHand, 1, kByHand);
    ASSERT_NE(f.main, nullptr);
    frmMain& m = *f.main;
    f.copyBankPassword();
    QTest::mouseClick(control<QPushButton>(m, QStringLiteral("cmdEdit")), Qt::LeftButton);
    ASSERT_EQ(control<QPushButton>(m, QStringLiteral("cmdEdit"))->text(), QStringLiteral("Abbrechen"));
    EXPECT_EQ(m.heightTwips(), frmMain::kCountdownHeight);
    EXPECT_FALSE(control<MarlettButton>(m, QStringLiteral("Command3"))->isVisible());

    f.tickToTheEnd();
    ASSERT_TRUE(f.noticeShown());
    m.countdown().Timer3_Timer();
    EXPECT_EQ(m.heightTwips(), frmMain::kFullHeight);
    EXPECT_FALSE(control<MarlettButton>(m, QStringLiteral("Command3"))->isVisible());

    QTest::mouseClick(control<QPushButton>(m, QStringLiteral("cmdEdit")), Qt::LeftButton);
    EXPECT_TRUE(control<MarlettButton>(m, QStringLiteral("Command3"))->isVisible());

    // Leaving the edit while the countdown still runs keeps the switch hidden until its end.
    f.copyBankPassword();
    QTest::mouseClick(control<QPushButton>(m, QStringLiteral("cmdEdit")), Qt::LeftButton);
    QTest::mouseClick(control<QPushButton>(m, QStringLiteral("cmdEdit")), Qt::LeftButton);
    EXPECT_FALSE(control<MarlettButton>(m, QStringLiteral("Command3"))->isVisible());
    EXPECT_EQ(m.heightTwips(), frmMain::kCountdownHeight);
}
