#include "ui/main/frmMain.h"

#include "ui/AppWindows.h"
#include "ui/ProgramExit.h"
#include "ui/UrlOpener.h"
#include "ui/common/AppImages.h"
#include "ui/common/EntryFieldWidgets.h"
#include "ui/common/FormLook.h"
#include "ui/common/MarlettButton.h"
#include "ui/common/PictureBox.h"
#include "ui/common/Twips.h"
#include "ui/controls/XP_ProgressBar.h"
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

const QColor kBackColor = FormLook::fromBgr(0x00E0E0E0);
const QColor kIndicatorIdle = FormLook::fromBgr(0x000000C0);
const QColor kIndicatorActive = FormLook::fromBgr(0x000000FF);
const QColor kLinkColor = FormLook::fromBgr(0x00C00000);
const QColor kNoteColor = FormLook::fromBgr(0x000000C0);
const QColor kCheckBackColor = FormLook::fromBgr(0x00C0C0C0);
const QColor kNoticeBackColor = FormLook::fromBgr(0x00404040);

const QString kEditCaption = QStringLiteral("Bearbeiten");
const QString kCancelCaption = QStringLiteral("Abbrechen");
const QString kCannotEditEmpty = QStringLiteral("Kann keinen leeren Eintrag bearbeiten.");
const QString kClearNowTip = QStringLiteral("Passwort sofort aus der Zwischenablage entfernen");
const QString kClearedText = QStringLiteral("gelöscht.");
const QString kListNotSaved = QStringLiteral("Die Kontenliste konnte beim Abmelden nicht gespeichert werden. ");

// Roughly the pace of the classic 1 ms timer, whose ticks the system delivered every 15 or 16 ms.
constexpr int kIndicatorInterval = 15;

// The settings hold positions as the decimal text of a single-precision number.
QString singleText(double value)
{
    return QString::number(static_cast<double>(static_cast<float>(value)), 'g', 7);
}

bool isTextKey(const QKeyEvent* event)
{
    return !event->text().isEmpty();
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

void frmMain::createControls()
{
    static const char* const kCaptions[] = {"Account:", "Benutzer:", "Passwort:", "Web Site:", "Kommentar:",
                                            "Passwortfeld mit ***** anzeigen", "Logout"};
    static const int kPlaces[][4] = {{150, 225, 750, 240},  {120, 630, 1005, 225}, {120, 1065, 960, 195},
                                     {135, 1485, 765, 270}, {120, 1905, 900, 210}, {120, 2355, 870, 345},
                                     {195, 3150, 630, 255}};
    for (int i = 0; i < 7; ++i)
        lblBezeichner[i] = FormLook::addLabel(this, QStringLiteral("lblBezeichner_%1").arg(i),
                                              QString::fromUtf8(kCaptions[i]), kPlaces[i][0], kPlaces[i][1],
                                              kPlaces[i][2], kPlaces[i][3]);
    lblBezeichner[5]->setFont(FormLook::arialFont(6.75));
    lblBezeichner[5]->setWordWrap(true);
    lblBezeichner[5]->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    FormLook::setForeColor(lblBezeichner[5], kNoteColor);
    lblBezeichner[6]->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    for (int i : {0, 1, 2, 3, 4, 6})
        FormLook::fitCaption(lblBezeichner[i]);
    FormLook::fitWrappedUpwards(lblBezeichner[5]);

    cboAccount = new QComboBox(this);
    cboAccount->setObjectName(QStringLiteral("cboAccount"));
    // An edit portion that shows the chosen name but takes no typing, and a drop-down list.
    cboAccount->setEditable(true);
    cboAccount->setInsertPolicy(QComboBox::NoInsert);
    cboAccount->setCompleter(nullptr);
    cboAccount->lineEdit()->setReadOnly(true);
    cboAccount->setFont(FormLook::sansFont(8.25, true));
    cboAccount->setMaxVisibleItems(8);
    Twips::place(cboAccount, 1005, 180, 3465, 315);

    txtAccount = FormLook::addEdit(this, QStringLiteral("txtAccount"), 1005, 180, 3465, 315);
    txtAccount->setFont(FormLook::sansFont(8.25, true));
    txtAccount->hide();

    txtUserName = FormLook::addEdit(this, QStringLiteral("txtUserName"), 1005, 600, 3150, 285);
    txtUserName->setReadOnly(true);

    Command1 = new MarlettButton(QStringLiteral("n"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setToolTip(QStringLiteral("Benutzername in die Zwischenablage kopieren (für 20 Sekunden)"));
    Twips::place(Command1, 4200, 600, 270, 285);

    txtPassWord = FormLook::addEdit(this, QStringLiteral("txtPassWord"), 1005, 1005, 3150, 300);
    txtPassWord->setReadOnly(true);
    FormLook::setPasswordChar(txtPassWord, true);

    Command2 = new MarlettButton(QStringLiteral("n"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setToolTip(QStringLiteral("Passwort in die Zwischenablage kopieren (für 20 Sekunden)"));
    Twips::place(Command2, 4200, 1020, 270, 285);

    txtWebSite = FormLook::addEdit(this, QStringLiteral("txtWebSite"), 1005, 1455, 3465, 300);
    txtWebSite->setReadOnly(true);
    txtWebSite->hide();

    lblWebAdress = new QLabel(this);
    lblWebAdress->setObjectName(QStringLiteral("lblWebAdress"));
    QFont linkFont = FormLook::sansFont();
    linkFont.setUnderline(true);
    lblWebAdress->setFont(linkFont);
    QPalette linkPalette = lblWebAdress->palette();
    linkPalette.setColor(QPalette::Active, QPalette::WindowText, kLinkColor);
    linkPalette.setColor(QPalette::Inactive, QPalette::WindowText, kLinkColor);
    lblWebAdress->setPalette(linkPalette);
    lblWebAdress->setCursor(AppImages::linkCursor());
    lblWebAdress->setTextFormat(Qt::PlainText);
    lblWebAdress->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblWebAdress->setEnabled(false);
    Twips::place(lblWebAdress, 1005, 1470, 2910, 195);
    // The design's full row height keeps descenders of the underlined text visible.
    lblWebAdress->resize(lblWebAdress->width(), qMax(lblWebAdress->height(), lblWebAdress->fontMetrics().height() + 2));

    Command3 = new MarlettButton(QStringLiteral("5"), this);
    Command3->setObjectName(QStringLiteral("Command3"));
    Twips::place(Command3, 4455, 1680, 195, 195);

    txtComments = new QPlainTextEdit(this);
    txtComments->setObjectName(QStringLiteral("txtComments"));
    txtComments->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtComments->setTabChangesFocus(true);
    Twips::place(txtComments, 1005, 1860, 3465, 1275);

    Check1 = new QCheckBox(this);
    Check1->setObjectName(QStringLiteral("Check1"));
    FormLook::setBackColor(Check1, kCheckBackColor);
    Check1->setChecked(true);
    Twips::place(Check1, 420, 2730, 195, 195);

    Picture1 = new PictureBox(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    FormLook::setBackColor(Picture1, kIndicatorIdle);
    Twips::place(Picture1, 165, 3375, 735, 705);

    picLogoff = new PictureBox(Picture1);
    picLogoff->setObjectName(QStringLiteral("picLogoff"));
    FormLook::setBackColor(picLogoff, kBackColor);
    picLogoff->setPixmap(AppImages::logoffPicture());
    picLogoff->setAlignment(Qt::AlignCenter);
    picLogoff->setToolTip(QStringLiteral("Hier klicken um auszuloggen"));
    Twips::place(picLogoff, 90, 75, 480, 480);
    // The frame shows evenly on every side of the picture, whatever the twips round to.
    picLogoff->move((Picture1->width() - picLogoff->width()) / 2, (Picture1->height() - picLogoff->height()) / 2);

    static const char* const kButtons[] = {"Neuer Eintrag", "Bearbeiten", "Löschen", "Speichern"};
    static const char* const kButtonNames[] = {"cmdAddNew", "cmdEdit", "cmdDelete", "cmdSave"};
    static const int kButtonPlaces[][2] = {{1095, 3285}, {2760, 3285}, {1095, 3660}, {2760, 3660}};
    QPushButton** buttons[] = {&cmdAddNew, &cmdEdit, &cmdDelete, &cmdSave};
    for (int i = 0; i < 4; ++i) {
        QPushButton* button = new QPushButton(QString::fromUtf8(kButtons[i]), this);
        button->setObjectName(QString::fromLatin1(kButtonNames[i]));
        QPalette palette = button->palette();
        palette.setColor(QPalette::Button, kBackColor);
        button->setPalette(palette);
        Twips::place(button, kButtonPlaces[i][0], kButtonPlaces[i][1], 1650, 345);
        *buttons[i] = button;
    }
    cmdEdit->setEnabled(false);
    cmdDelete->setEnabled(false);
    cmdSave->setEnabled(false);

    XPProgressBar1 = new XP_ProgressBar(this);
    XPProgressBar1->setObjectName(QStringLiteral("XPProgressBar1"));
    // The bar as the window stores it; every other property takes its stored default, which
    // makes it draw in style 5, dark grey with a white caption.
    XPProgressBar1->readProperties({{QStringLiteral("BrushStyle"), 0},
                                    {QStringLiteral("Max"), kCountdownTicks},
                                    {QStringLiteral("Text"), QStringLiteral("sec.")},
                                    {QStringLiteral("Percent"), false}});
    Twips::place(XPProgressBar1, 165, 4200, 4320, 255);
    XPProgressBar1->hide();

    Label1 = new QLabel(QStringLiteral("Zwischenablage gelöscht."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(FormLook::arialFont(6.75, true));
    FormLook::setBackColor(Label1, kNoticeBackColor);
    FormLook::setForeColor(Label1, Qt::white);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setFrameShape(QFrame::Box);
    Twips::place(Label1, 165, 4200, 4320, 255);
    Label1->hide();

    // Outside the client width: it takes the focus so that no visible control keeps a caret.
    dummy = FormLook::addEdit(this, QStringLiteral("dummy"), 6825, 120, 285, 285);
    dummy->setReadOnly(true);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kIndicatorInterval);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(kCountdownTickMs);
    Timer3 = new QTimer(this);
    Timer3->setObjectName(QStringLiteral("Timer3"));
    Timer3->setInterval(kNoticeMs);
    m_countdownPause = new QTimer(this);
    m_countdownPause->setObjectName(QStringLiteral("countdownPause"));
    m_countdownPause->setSingleShot(true);
    m_countdownPause->setInterval(kCountdownPauseMs);

    mnuPopMain = new QMenu(QStringLiteral("PopMain"), this);
    mnuPopMain->setObjectName(QStringLiteral("mnuPopMain"));
    mnuChngMaster = mnuPopMain->addAction(QStringLiteral("Master-Passwort ändern"));
    mnuChngMaster->setObjectName(QStringLiteral("mnuChngMaster"));
    mnuPop = new QMenu(QStringLiteral("Popup"), this);
    mnuPop->setObjectName(QStringLiteral("mnuPop"));
    mnuCopyAdress = mnuPop->addAction(QStringLiteral("Adresse kopieren"));
    mnuCopyAdress->setObjectName(QStringLiteral("mnuCopyAdress"));

    // Move the indicator's state colour back on mouse moves over these.
    cmdAddNew->setMouseTracking(true);
    cmdDelete->setMouseTracking(true);
}

void frmMain::connectHandlers()
{
    connect(cboAccount, qOverload<int>(&QComboBox::activated), this, [this] { cboAccount_Click(); });
    connect(Check1, &QCheckBox::toggled, this, [this] { Check1_Click(); });
    connect(cmdEdit, &QPushButton::clicked, this, [this] { cmdEdit_Click(); });
    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    connect(cmdDelete, &QPushButton::clicked, this, [this] { cmdDelete_Click(); });
    connect(cmdAddNew, &QPushButton::clicked, this, [this] { cmdAddNew_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(mnuChngMaster, &QAction::triggered, this, [this] { mnuChngMaster_Click(); });
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Timer2, &QTimer::timeout, this, [this] { Timer2_Timer(); });
    connect(Timer3, &QTimer::timeout, this, [this] { Timer3_Timer(); });
    connect(m_countdownPause, &QTimer::timeout, this, [this] { endCountdownPause(); });
    connect(Picture1, &PictureBox::clicked, this, [this] { Picture1_Click(); });
    connect(picLogoff, &PictureBox::clicked, this, [this] { picLogoff_Click(); });
    connect(mnuCopyAdress, &QAction::triggered, this, [this] { mnuCopyAdress_Click(); });

    // Any change of an entry field arms the save button, also a change made by code.
    const auto armSave = [this] { cmdSave->setEnabled(true); };
    connect(txtAccount, &QLineEdit::textChanged, this, armSave);
    connect(txtUserName, &QLineEdit::textChanged, this, armSave);
    connect(txtPassWord, &QLineEdit::textChanged, this, armSave);
    connect(txtWebSite, &QLineEdit::textChanged, this, armSave);
    connect(txtComments, &QPlainTextEdit::textChanged, this, armSave);

    connect(picLogoff, &PictureBox::mouseMoved, this, [this] {
        Timer1->stop();
        setIndicatorColor(kIndicatorActive);
    });

    cboAccount->installEventFilter(this);
    cboAccount->lineEdit()->installEventFilter(this);
    txtAccount->installEventFilter(this);
    txtUserName->installEventFilter(this);
    txtPassWord->installEventFilter(this);
    txtComments->viewport()->installEventFilter(this);
    cmdAddNew->installEventFilter(this);
    cmdDelete->installEventFilter(this);
    lblWebAdress->installEventFilter(this);
}

void frmMain::setTabOrder()
{
    const QWidget* const order[] = {cmdAddNew, cmdEdit,  cmdSave, cmdDelete, cboAccount, txtComments, txtWebSite,
                                    txtPassWord, txtUserName, Command1, Command2, Check1, dummy, txtAccount,
                                    Command3};
    for (size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(const_cast<QWidget*>(order[i - 1]), const_cast<QWidget*>(order[i]));
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

bool frmMain::selectAccount(const QString& name)
{
    const int index = session().accounts().indexOf(name);
    if (index < 0 || index >= cboAccount->count())
        return false;
    cboAccount->setCurrentIndex(index);
    return true;
}

QString frmMain::KeyCodeToLetter(int keyCode)
{
    if (keyCode >= 65 && keyCode <= 90)
        return QString(QChar(u'a' + (keyCode - 65)));
    return {};
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
    if (cmdEdit->text() == kCancelCaption) {
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
        selectAccount(name);
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
    dialog->txtEditAcct->setFocus();
    List();
}

void frmMain::mnuChngMaster_Click()
{
    m_windows.changeMasterPasswordFromMain();
}

void frmMain::Timer1_Timer()
{
    // Red while a store operation runs (its steps let this timer in) or a copied secret waits.
    const bool pending = StoreActivity::isRunning() || ClipboardCountdown >= 1;
    setIndicatorColor(pending ? kIndicatorActive : kIndicatorIdle);
}

void frmMain::setIndicatorColor(const QColor& color)
{
    if (Picture1->palette().color(QPalette::Window) != color)
        FormLook::setBackColor(Picture1, color);
}

void frmMain::setClipboardIntervals(int tickMs, int pauseMs, int noticeMs)
{
    Timer2->setInterval(tickMs);
    m_countdownPause->setInterval(pauseMs);
    Timer3->setInterval(noticeMs);
}

bool frmMain::countdownEnding() const
{
    return m_countdownPause->isActive();
}

bool frmMain::clipboardStripShown() const
{
    return Timer2->isActive() || m_countdownPause->isActive() || Timer3->isActive();
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
    m_clipboard.putSecret(text);
    XPProgressBar1->setPercent(false);
    XPProgressBar1->setMax(kCountdownTicks);
    XPProgressBar1->setValue(0);
    Picture1->setToolTip(kClearNowTip);
    ClipboardCountdown = 1;
    // In compact height the strip cannot show: the copy waits for the frame click, logoff or close.
    if (appContext().CompactMode == 1)
        return;
    Timer3->stop();
    Timer2->start();
    setHeightTwips(kCountdownHeight);
    Label1->hide();
    XPProgressBar1->show();
    Command3->hide();
}

void frmMain::Timer2_Timer()
{
    XPProgressBar1->setValue(ClipboardCountdown);
    if (ClipboardCountdown < kCountdownTicks) {
        ++ClipboardCountdown;
        return;
    }
    m_clipboard.clearIfOurs();
    Timer2->stop();
    // The bar stays at its last value for a moment before the notice replaces it.
    m_countdownPause->start();
}

void frmMain::endCountdownPause()
{
    ClipboardCountdown = 0;
    Picture1->setToolTip(QString());
    XPProgressBar1->hide();
    XPProgressBar1->setValue(0);
    Label1->show();
    Timer3->start();
}

void frmMain::Timer3_Timer()
{
    Label1->hide();
    XPProgressBar1->hide();
    setHeightTwips(kFullHeight);
    Timer3->stop();
    // While an entry is edited the compact switch stays hidden.
    Command3->setVisible(m_mode != Mode::Editing);
}

void frmMain::Picture1_Click()
{
    if (ClipboardCountdown <= 0 || countdownEnding())
        return;
    // The copy goes at once; a text the user copied meanwhile is not ours to replace.
    m_clipboard.replaceIfOurs(kClearedText);
    ClipboardCountdown = 11;
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
    if (ClipboardCountdown > 0)
        m_clipboard.clearIfOurs();
    ClipboardCountdown = 0;
    Timer2->stop();
    m_countdownPause->stop();
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
    delete m_editDialog.data();
    Timer1->stop();
    Timer2->stop();
    Timer3->stop();
    m_countdownPause->stop();
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

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if ((watched == cboAccount || watched == cboAccount->lineEdit()) && type == QEvent::KeyPress)
        return cboAccount_KeyDown(static_cast<QKeyEvent*>(event));
    if (watched == txtAccount && type == QEvent::KeyPress)
        return txtAccount_KeyPress(static_cast<QKeyEvent*>(event));
    if ((watched == txtUserName || watched == txtPassWord) &&
        (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick || type == QEvent::ContextMenu)) {
        // A locked field takes no caret and no selection: the click goes to the focus sink.
        if (static_cast<QLineEdit*>(watched)->isReadOnly()) {
            focusDummy();
            return true;
        }
        return false;
    }
    if (watched == txtComments->viewport() && type == QEvent::MouseButtonPress) {
        if (m_mode != Mode::Editing && txtComments->document()->isEmpty()) {
            focusDummy();
            return true;
        }
        return false;
    }
    if (watched == lblWebAdress && type == QEvent::MouseButtonPress && lblWebAdress->isEnabled()) {
        const auto* press = static_cast<QMouseEvent*>(event);
        lblWebAdress_MouseDown(press->button(), press->globalPosition().toPoint());
        return true;
    }
    if ((watched == cmdAddNew || watched == cmdDelete) && type == QEvent::MouseMove)
        Timer1->start();
    return QWidget::eventFilter(watched, event);
}

bool frmMain::cboAccount_KeyDown(QKeyEvent* event)
{
    int key = event->key();
    // Tab and Shift+Tab keep moving the focus.
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab)
        return false;

    if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        const QString letter = KeyCodeToLetter(key);
        for (int i = 0; i < cboAccount->count(); ++i) {
            if (cboAccount->itemText(i).left(1).toLower() == letter) {
                cboAccount->setCurrentIndex(i);
                // One display per jump: the selection change itself does not read the entry again.
                cboAccount_Click();
                break;
            }
        }
        return true;
    }

    switch (key) {
    case Qt::Key_PageUp:
    case Qt::Key_Left:
        key = Qt::Key_Up;
        break;
    case Qt::Key_PageDown:
    case Qt::Key_Right:
        key = Qt::Key_Down;
        break;
    default:
        break;
    }
    if (key != Qt::Key_Up && key != Qt::Key_Down)
        return true;
    if (event->modifiers() & Qt::AltModifier) {
        cboAccount->showPopup();
        return true;
    }
    const int count = cboAccount->count();
    if (count == 0)
        return true;
    const int current = cboAccount->currentIndex();
    int next = current;
    if (current < 0)
        next = 0;
    else if (key == Qt::Key_Up)
        next = qMax(0, current - 1);
    else
        next = qMin(count - 1, current + 1);
    if (next != current) {
        cboAccount->setCurrentIndex(next);
        cboAccount_Click();
    }
    return true;
}

bool frmMain::txtAccount_KeyPress(QKeyEvent* event)
{
    // Tab and Shift+Tab move the focus; they never reach the key filter.
    if (!isTextKey(event) || event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab)
        return false;
    for (const QChar c : event->text()) {
        if (c == u'.')
            continue;
        if (FilterAccountKey(c) == AccountKeyClass::Rejected)
            return true;
    }
    return false;
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
