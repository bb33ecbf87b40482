#include "ui/main/frmMain.h"

#include "ui/AppWindows.h"
#include "ui/ProgramExit.h"
#include "ui/common/AppImages.h"
#include "ui/common/EntryFieldWidgets.h"
#include "ui/common/FormLook.h"
#include "ui/common/MarlettButton.h"
#include "ui/common/PictureBox.h"
#include "ui/common/Twips.h"
#include "ui/controls/XP_ProgressBar.h"
#include "ui/main/ClipboardCountdown.h"
#include "ui/main/frmEditSafe.h"

#include "app/AppContext.h"
#include "app/MessagePresenter.h"
#include "app/SoundPlayer.h"
#include "core/Ini.h"
#include "core/LeadingNumber.h"
#include "core/Wipe.h"
#include "store/AccountEntry.h"
#include "store/StoreActivity.h"
#include "store/StoreLayout.h"
#include "store/StoreSession.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegion>
#include <QTimer>

#include <algorithm>
#include <limits>
#include <utility>

namespace {

const QString kEditCaption = QStringLiteral("Bearbeiten");
const QString kCancelCaption = QStringLiteral("Abbrechen");
const QString kCannotEditEmpty = QStringLiteral("Kann keinen leeren Eintrag bearbeiten.");
const QString kListNotSaved = QStringLiteral("Die Kontenliste konnte beim Abmelden nicht gespeichert werden. ");

// The settings hold positions as the decimal text of a single-precision number.
QString singleText(double value)
{
    return QString::number(static_cast<double>(static_cast<float>(value)), 'g', 7);
}

} // namespace

frmMain::frmMain(AppWindows& windows) : QWidget(nullptr, FormLook::toolWindowFlags()), m_windows(windows)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Keywarden"));
    setWindowIcon(AppImages::windowIcon());
    setFont(FormLook::sansFont());
    FormLook::setBackColor(this, kBackColor);
    setMouseTracking(true);
    createControls();
    connectHandlers();
    setTabOrder();
    createTools();
    FormLook::enterClicksButtons(this);
    Form_Load();
}

frmMain::~frmMain()
{
    Wipe::text(m_storedComment);
    delete m_editDialog.data();
}

StoreSession& frmMain::session()
{
    return m_windows.session();
}

void frmMain::Form_Load()
{
    const AppContext& app = appContext();
    SetCompactMode(app.CompactMode == 1);

    const QString top = ReadIni(app.AppTitle, QStringLiteral("Top"), app.SettingsFile, QString());
    const QString left = ReadIni(app.AppTitle, QStringLiteral("Left"), app.SettingsFile, QString());
    if (!top.isEmpty() && !left.isEmpty()) {
        const auto twips = [](const QString& text) {
            return LeadingNumber(text, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
        };
        move(Twips::toPixels(twips(left), this), Twips::toPixels(twips(top), this));
        // A place stored on a larger screen or at another scale may lie off every screen now; the
        // check is repeated when the window is first shown and its frame is known.
        keepOnScreen();
        m_checkPlaceOnShow = true;
    } else {
        CenterForm(this);
    }

    setWindowTitle(app.AppTitle + QStringLiteral(" - ") + session().CurrentUser());
    Check1->setChecked(true);
    FormLook::setPasswordChar(txtPassWord, true);
    List();
    m_backImage = FormLook::backImage();
    txtAccount->hide();
    cboAccount->setFocus();
    Timer1->start();
}

void frmMain::keepOnScreen()
{
    // Before the platform has given the window its frame, the heights stand in for it: they
    // include the title bar.
    const QRect frame = frameGeometry();
    KeepOnScreen(this, QSize(frame.width(), std::max(frame.height(), Twips::toPixels(m_heightTwips, this))));
}

void frmMain::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (std::exchange(m_checkPlaceOnShow, false))
        keepOnScreen();
}

void frmMain::setHeightTwips(int outerHeight)
{
    m_heightTwips = outerHeight;
    int clientHeight = Twips::toPixels(clientHeightTwips(outerHeight), this);
    // The switch Command3 reaches a pixel row below the compact client area the frame leaves (at
    // 96 dpi); the compact height shows it whole, with every row above it.
    if (outerHeight == kCompactHeight && Command3)
        clientHeight = std::max(clientHeight, Command3->geometry().bottom() + 1);
    setFixedSize(Twips::toPixels(kClientWidth, this), clientHeight);
    // That row would show a line of the comment box's top edge; the compact height ends above it.
    if (txtComments) {
        const int shown = clientHeight - txtComments->y();
        if (shown > 0 && outerHeight == kCompactHeight)
            txtComments->setMask(QRegion(0, shown, txtComments->width(), txtComments->height() - shown));
        else
            txtComments->clearMask();
    }
}

void frmMain::SetCompactMode(bool compact)
{
    appContext().CompactMode = compact ? 1 : 0;
    setHeightTwips(compact ? kCompactHeight : kFullHeight);
    Command3->setText(compact ? QStringLiteral("6") : QStringLiteral("5"));
}

void frmMain::Command3_Click()
{
    SetCompactMode(appContext().CompactMode != 1);
    focusDummy();
}

void frmMain::List()
{
    cboAccount->setCurrentIndex(-1);
    cboAccount->setEditText(QString());
    clearEntryFields();
    showViewingState(false);
    focusDummy();
}

void frmMain::clearEntryFields()
{
    Wipe::text(m_storedComment);
    txtUserName->clear();
    txtPassWord->clear();
    txtWebSite->clear();
    txtComments->clear();
    lblWebAdress->clear();
}

void frmMain::showViewingState(bool entryShown)
{
    txtWebSite->hide();
    lblWebAdress->show();
    lblWebAdress->setEnabled(entryShown);
    cmdSave->setEnabled(false);
    cmdEdit->setText(kEditCaption);
    cmdEdit->setEnabled(entryShown);
    cmdDelete->setEnabled(entryShown);
    cmdAddNew->setEnabled(true);
    LockEntryFields(0);
}

void frmMain::leaveEditing()
{
    txtAccount->hide();
    cboAccount->show();
    if (appContext().CompactMode == 1)
        SetCompactMode(true);
    // A countdown still running keeps the compact switch hidden until its end.
    Command3->setVisible(!clipboardStripShown());
    focusDummy();
}

void frmMain::LockEntryFields(qint16 mode)
{
    const bool locked = mode != 1;
    txtUserName->setReadOnly(locked);
    txtPassWord->setReadOnly(locked);
    txtWebSite->setReadOnly(locked);
    // The comment box is not locked in the design but takes no keys outside editing; read-only
    // gives exactly that and still lets the user select and copy its text.
    txtComments->setReadOnly(locked);
    setMode(locked ? Mode::Viewing : Mode::Editing);
}

void frmMain::LoadAccountList()
{
    cboAccount->clear();
    cboAccount->addItems(session().accounts().items());
    cboAccount->setCurrentIndex(-1);
    cboAccount->setEditText(QString());
}

void frmMain::setMode(Mode mode)
{
    if (m_mode == mode)
        return;
    m_mode = mode;
    emit modeChanged(mode);
}

void frmMain::focusAccountList()
{
    cboAccount->setFocus();
}

bool frmMain::showInList(const QString& name)
{
    const int index = session().accounts().indexOf(name);
    if (index < 0 || index >= cboAccount->count())
        return false;
    cboAccount->setCurrentIndex(index);
    return true;
}

bool frmMain::selectAccount(const QString& name)
{
    if (!showInList(name))
        return false;
    cboAccount_Click();
    return true;
}

void frmMain::cboAccount_Click()
{
    // One store operation at a time: while another runs, the list goes back to the entry on show.
    if (StoreActivity::isRunning()) {
        const int shown = session().accounts().indexOf(txtAccount->text());
        cboAccount->setCurrentIndex(shown);
        return;
    }
    clearEntryFields();
    txtAccount->setText(cboAccount->currentText());

    AccountEntry entry;
    const StoreResult result = session().readEntry(txtAccount->text(), entry);
    if (result) {
        txtUserName->setText(entry.User);
        txtPassWord->setText(entry.Pass);
        txtWebSite->setText(entry.Web);
        lblWebAdress->setText(txtWebSite->text());
        txtComments->setPlainText(FormLook::toEditorText(entry.Comment));
        m_storedComment = entry.Comment;
    }
    entry.wipe();

    setMode(Mode::Viewing);
    cmdSave->setEnabled(false);
    cmdEdit->setEnabled(true);
    cmdDelete->setEnabled(true);
    lblWebAdress->setEnabled(true);
    Check1->setChecked(true);
    FormLook::setPasswordChar(txtPassWord, true);
    LockEntryFields(0);
    if (!result)
        showFailure(result);
}

void frmMain::Check1_Click()
{
    FormLook::setPasswordChar(txtPassWord, Check1->isChecked());
    focusDummy();
}

void frmMain::cmdEdit_Click()
{
    if (m_mode == Mode::Editing) {
        // The edits are dropped and the entry is not shown again: the window ends empty.
        List();
        leaveEditing();
        return;
    }

    const QString name = cboAccount->currentText();
    if (name.isEmpty()) {
        ShowMessage(kCannotEditEmpty, kMessageExclamation);
        focusDummy();
        return;
    }
    txtWebSite->setVisible(name != appContext().AppTitle);
    txtAccount->setText(name);
    txtAccount->show();
    cboAccount->hide();
    OldAccountName = name;
    LockEntryFields(1);
    lblWebAdress->hide();
    cmdEdit->setText(kCancelCaption);
    cmdDelete->setEnabled(false);
    cmdAddNew->setEnabled(false);
    Command3->hide();
    // A countdown keeps its strip uncovered while the entry is edited.
    setHeightTwips(clipboardStripShown() ? kCountdownHeight : kFullHeight);
    focusDummy();
}

void frmMain::cmdSave_Click()
{
    if (StoreActivity::isRunning())
        return;
    AccountEntry entry;
    entry.User = txtUserName->text();
    entry.Pass = txtPassWord->text();
    entry.Web = txtWebSite->text();
    entry.Comment = commentToSave();
    const QString name = txtAccount->text();

    StoreResult result = session().checkSave(OldAccountName, name, entry);
    if (!result) {
        entry.wipe();
        showFailure(result);
        return;
    }
    lblWebAdress->setText(txtWebSite->text());
    result = session().saveEntry(OldAccountName, name, entry);
    if (!result.stored()) {
        entry.wipe();
        // Nothing was stored: the edit stays open so that the user loses nothing.
        showFailure(result);
        return;
    }
    Wipe::text(m_storedComment);
    m_storedComment = entry.Comment;
    entry.wipe();
    if (!result)
        showFailure(result);
    if (name != OldAccountName) {
        LoadAccountList();
        showInList(name);
    }

    showViewingState(true);
    leaveEditing();
}

QString frmMain::commentToSave() const
{
    // The editor shows a lone CR or LF of the stored comment as a line break and would save it as
    // CR LF: a comment the user left as it was goes back exactly as it was read.
    const QString shown = txtComments->toPlainText();
    if (shown == FormLook::toEditorText(m_storedComment))
        return m_storedComment;
    return FormLook::fromEditorText(shown);
}

void frmMain::cmdDelete_Click()
{
    focusDummy();
    if (StoreActivity::isRunning())
        return;
    const QString name = cboAccount->currentText();
    StoreResult result = StoreSession::checkDelete(name);
    if (!result) {
        showFailure(result);
        return;
    }
    const QString question =
        QStringLiteral("Soll der Eintrag '") + name + QStringLiteral("' wirklich gelöscht werden ?");
    if (!AskYesNo(question, false))
        return;
    result = session().deleteEntry(name);
    if (!result)
        showFailure(result);
    if (!result.stored())
        return;
    LoadAccountList();
    List();
}

void frmMain::cmdAddNew_Click()
{
    if (!m_editDialog)
        m_editDialog = new frmEditSafe(*this);
    frmEditSafe* dialog = m_editDialog;
    dialog->move(pos());
    dialog->show();
    dialog->setWindowIcon(windowIcon());
    dialog->setWindowTitle(appContext().AppTitle + QStringLiteral(" - Neuer Eintrag - ") + session().CurrentUser());
    dialog->clearFields();
    hide();
    dialog->activateWindow();
    dialog->focusAccountName();
    List();
}

void frmMain::returnFromNewEntry(const QString& name, const QPoint& place)
{
    if (!name.isEmpty()) {
        // The new name joins the list and is read back from the store; the window then comes back
        // empty.
        LoadAccountList();
        selectAccount(name);
        move(place);
        List();
    } else {
        move(place);
    }
    show();
    activateWindow();
    if (!name.isEmpty()) {
        Check1->setChecked(false);
        FormLook::setPasswordChar(txtPassWord, true);
    }
}

void frmMain::mnuChngMaster_Click()
{
    m_windows.changeMasterPasswordFromMain();
}

void frmMain::Timer1_Timer()
{
    // Red while a store operation runs (its steps let this timer in) or a copied secret waits.
    const bool pending = StoreActivity::isRunning() || m_countdown->count() >= 1;
    setIndicatorColor(pending ? kIndicatorActive : kIndicatorIdle);
}

void frmMain::setIndicatorColor(const QColor& color)
{
    if (Picture1->palette().color(QPalette::Window) != color)
        FormLook::setBackColor(Picture1, color);
}

void frmMain::picLogoff_Click()
{
    // A store operation still running finishes first; the logoff is clicked again then.
    if (m_locking || m_unloading || StoreActivity::isRunning())
        return;
    const QPoint position = pos();
    LockStore(true);
    writePosition(position);
}

void frmMain::writePosition(const QPoint& position)
{
    const AppContext& app = appContext();
    WriteIni(app.AppTitle, QStringLiteral("Top"), singleText(Twips::fromPixels(position.y(), this)), app.SettingsFile);
    WriteIni(app.AppTitle, QStringLiteral("Left"), singleText(Twips::fromPixels(position.x(), this)), app.SettingsFile);
}

void frmMain::LockStore(bool ShowLogin)
{
    m_locking = true;
    clearPendingClipboard();
    const StoreResult result = session().LockStore();
    // The rewrite of the list failed: the entries themselves are stored, the user should know
    // that the list may show a deleted name again. The lock itself has completed.
    if (!result && result.error != StoreError::Busy)
        ShowMessage(result.stored() ? result.message : kListNotSaved + result.message, kMessageExclamation);
    PlaySoundFile(appContext().LogoutSoundFile);
    m_locking = false;

    if (ShowLogin) {
        // Everything after the unload goes through locals: this window is released later.
        AppWindows& windows = m_windows;
        windows.showLogin();
        hide();
        windows.unloadMainWindow();
        return;
    }
    unloadWindow();
    StoreActivity::pumpEvents();
    ProgramExit::endProgram(0);
}

void frmMain::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    clearPendingClipboard();
    writePosition(pos());
    const AppContext& app = appContext();
    WriteIni(app.AppTitle, QStringLiteral("CompactMode"), QString::number(app.CompactMode), app.SettingsFile);
}

void frmMain::unloadWindow()
{
    m_unloading = true;
    closeTools();
    delete m_editDialog.data();
    Timer1->stop();
    m_countdown->stop();
    hide();
    Form_Unload();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    if (m_unloading || m_unloaded) {
        event->accept();
        return;
    }
    // A store step or the lock's message lets events in: a close meanwhile is refused, the user
    // closes again once it is done.
    if (m_locking || StoreActivity::isRunning()) {
        event->ignore();
        return;
    }
    event->accept();
    // No other window is open while this one is: closing it locks the store the way the logoff
    // does (a deleted entry must not come back at the next login) and ends the program.
    LockStore(false);
}

void frmMain::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!m_backImage.isNull())
        painter.drawPixmap(0, 0, m_backImage);
    // Shape1: the outline around the four entry buttons.
    FormLook::drawOutline(painter, Twips::rect(1020, 3225, 3465, 855, this));
}

void frmMain::mousePressEvent(QMouseEvent* event)
{
    // Form_MouseDown, and lblBezeichner_MouseDown: the labels pass their presses on to the window.
    if (event->button() == Qt::RightButton) {
        event->accept();
        showPopMain(event->globalPosition().toPoint());
        return;
    }
    QWidget::mousePressEvent(event);
}

void frmMain::showPopMain(const QPoint& globalPos)
{
    mnuPopMain->popup(globalPos);
}

void frmMain::mouseMoveEvent(QMouseEvent* event)
{
    Timer1->start();
    QWidget::mouseMoveEvent(event);
}

void frmMain::focusDummy()
{
    dummy->setFocus();
}

void frmMain::focusField(StoreField field)
{
    const EntryFieldWidgets fields{txtAccount, txtUserName, txtPassWord, txtWebSite, txtComments};
    if (QWidget* box = fields.widgetFor(field))
        box->setFocus();
    else
        focusDummy();
}

void frmMain::showFailure(const StoreResult& result)
{
    // Another operation still running is not an error the user has to read about.
    if (result.error == StoreError::Busy)
        return;
    ShowMessage(result.message, static_cast<qint16>(result.kind));
    if (result.error == StoreError::Validation)
        focusField(result.focus);
}
