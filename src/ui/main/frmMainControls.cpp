#include "ui/main/frmMain.h"

#include "ui/common/AppImages.h"
#include "ui/common/FormLook.h"
#include "ui/common/MarlettButton.h"
#include "ui/common/PictureBox.h"
#include "ui/common/Twips.h"
#include "ui/controls/XP_ProgressBar.h"
#include "ui/main/ClipboardCountdown.h"
#include "ui/main/frmEditSafe.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

// The controls of the main window at their places in twips, as the window was designed.

const QColor frmMain::kBackColor = FormLook::fromBgr(0x00E0E0E0);
const QColor frmMain::kIndicatorIdle = FormLook::fromBgr(0x000000C0);
const QColor frmMain::kIndicatorActive = FormLook::fromBgr(0x000000FF);

namespace {

const QColor kLinkColor = FormLook::fromBgr(0x00C00000);
const QColor kNoteColor = FormLook::fromBgr(0x000000C0);
const QColor kCheckBackColor = FormLook::fromBgr(0x00C0C0C0);
const QColor kNoticeBackColor = FormLook::fromBgr(0x00404040);

// Roughly the pace of the classic 1 ms timer, whose ticks the system delivered every 15 or 16 ms.
constexpr int kIndicatorInterval = 15;

} // namespace

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
                                    {QStringLiteral("Max"), ClipboardCountdown::kTicks},
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
    m_countdown = new ClipboardCountdown(this);

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
    connect(m_countdown, &ClipboardCountdown::ticked, this, &frmMain::showCountdownTick);
    connect(m_countdown, &ClipboardCountdown::cleared, this, &frmMain::showClearedNotice);
    connect(m_countdown, &ClipboardCountdown::noticeEnded, this, &frmMain::endClearedNotice);
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
