#include "ui/main/frmMain.h"

#include "ui/UrlOpener.h"
#include "ui/common/MarlettButton.h"
#include "ui/common/PictureBox.h"
#include "ui/common/ProgramClipboard.h"
#include "ui/controls/XP_ProgressBar.h"
#include "ui/main/ClipboardCountdown.h"

#include "app/AppContext.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>

// The main window's clipboard: the copy buttons, the countdown strip the countdown's signals
// drive, the immediate clear on the frame, and the web address link.

namespace {

const QString kClearNowTip = QStringLiteral("Passwort sofort aus der Zwischenablage entfernen");

} // namespace

void frmMain::setClipboardIntervals(int tickMs, int pauseMs, int noticeMs)
{
    m_countdown->setIntervals(tickMs, pauseMs, noticeMs);
}

bool frmMain::countdownEnding() const
{
    return m_countdown->ending();
}

bool frmMain::clipboardStripShown() const
{
    return m_countdown->running();
}

void frmMain::Command1_Click()
{
    copyToClipboard(txtUserName->text());
}

void frmMain::Command2_Click()
{
    // The real text, also while it is masked.
    copyToClipboard(txtPassWord->text());
}

void frmMain::copyToClipboard(const QString& text)
{
    focusDummy();
    // The clipboard was just emptied and the end notice is due: a copy now would run unseen.
    if (countdownEnding())
        return;
    if (text.isEmpty())
        return;
    // In compact height the strip cannot show: the copy waits for the frame click, logoff or close.
    const bool run = appContext().CompactMode != 1;
    m_countdown->copy(text, run);
    XPProgressBar1->setPercent(false);
    XPProgressBar1->setMax(ClipboardCountdown::kTicks);
    XPProgressBar1->setValue(0);
    Picture1->setToolTip(kClearNowTip);
    if (!run)
        return;
    setHeightTwips(kCountdownHeight);
    Label1->hide();
    XPProgressBar1->show();
    Command3->hide();
}

void frmMain::showCountdownTick(int value)
{
    XPProgressBar1->setValue(value);
}

void frmMain::showClearedNotice()
{
    Picture1->setToolTip(QString());
    XPProgressBar1->hide();
    XPProgressBar1->setValue(0);
    Label1->show();
}

void frmMain::endClearedNotice()
{
    Label1->hide();
    XPProgressBar1->hide();
    setHeightTwips(kFullHeight);
    // While an entry is edited the compact switch stays hidden.
    Command3->setVisible(m_mode != Mode::Editing);
}

void frmMain::Picture1_Click()
{
    // The copy goes at once; the countdown runs on.
    m_countdown->clearNow();
}

QString frmMain::WebAddressToOpen(const QString& caption)
{
    // Only web addresses leave the program, and as typed: paths and tokens may depend on case.
    if (caption.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
        || caption.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
        return caption;
    // The desktop opens only addresses with a scheme.
    if (caption.startsWith(QLatin1String("www."), Qt::CaseInsensitive))
        return QStringLiteral("http://") + caption;
    return {};
}

void frmMain::lblWebAdress_MouseDown(Qt::MouseButton button, const QPoint& globalPos)
{
    if (button == Qt::RightButton) {
        mnuPop->popup(globalPos);
        return;
    }
    const QString address = WebAddressToOpen(lblWebAdress->text());
    if (!address.isEmpty())
        UrlOpener::open(address);
}

void frmMain::mnuCopyAdress_Click()
{
    // No secret: no countdown, never cleared by the program.
    ProgramClipboard::putText(lblWebAdress->text());
}

void frmMain::clearPendingClipboard()
{
    m_countdown->clear();
}
