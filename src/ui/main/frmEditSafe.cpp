#include "ui/main/frmEditSafe.h"

#include "ui/common/EntryFieldWidgets.h"
#include "ui/common/FormLook.h"
#include "ui/common/Twips.h"
#include "ui/main/PasswordBoxGenerator.h"
#include "ui/main/frmMain.h"

#include "app/AppContext.h"
#include "app/MessagePresenter.h"
#include "store/AccountEntry.h"
#include "store/StoreActivity.h"
#include "store/StoreLayout.h"
#include "store/StoreSession.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

constexpr int kClientWidth = 4650;
constexpr int kClientHeight = 4230;
const QColor kBackColor = FormLook::fromBgr(0x00E0E0E0);
const QColor kNoteColor = FormLook::fromBgr(0x000000C0);
const QColor kHintColor = FormLook::fromBgr(0x00800000);

} // namespace

frmEditSafe::frmEditSafe(frmMain& main)
    : QWidget(nullptr, FormLook::toolWindowFlags() | Qt::WindowStaysOnTopHint), m_main(main)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmEditSafe"));
    setWindowTitle(QStringLiteral("Keywarden - Neuer Eintrag"));
    setFont(FormLook::sansFont());
    FormLook::setBackColor(this, kBackColor);
    setFixedSize(Twips::toPixels(kClientWidth, this), Twips::toPixels(kClientHeight, this));

    txtEditAcct = FormLook::addEdit(this, QStringLiteral("txtEditAcct"), 1020, 180, 3435, 285);
    txtEditAcct->setFont(FormLook::sansFont(8.25, true));
    lblEditAcct = FormLook::addLabel(this, QStringLiteral("lblEditAcct"), QStringLiteral("Account:"),
                                     150, 225, 795, 225);
    txtEditUser = FormLook::addEdit(this, QStringLiteral("txtEditUser"), 1020, 600, 3435, 285);
    lblEditUser = FormLook::addLabel(this, QStringLiteral("lblEditUser"), QStringLiteral("Benutzer:"),
                                     135, 615, 810, 240);
    txtEditPass = FormLook::addEdit(this, QStringLiteral("txtEditPass"), 1020, 1005, 3435, 285);
    lblEditPass = FormLook::addLabel(this, QStringLiteral("lblEditPass"), QStringLiteral("Passwort:"),
                                     135, 1065, 870, 210);
    txtEditWeb = FormLook::addEdit(this, QStringLiteral("txtEditWeb"), 1020, 1440, 3435, 300);
    lblEditWeb = FormLook::addLabel(this, QStringLiteral("lblEditWeb"), QStringLiteral("Web Site:"),
                                    150, 1485, 765, 210);

    txtEditComments = new QPlainTextEdit(this);
    txtEditComments->setObjectName(QStringLiteral("txtEditComments"));
    txtEditComments->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtEditComments->setTabChangesFocus(true);
    Twips::place(txtEditComments, 1020, 1860, 3450, 1275);
    lblEditComments = FormLook::addLabel(this, QStringLiteral("lblEditComments"), QStringLiteral("Kommentar:"),
                                         135, 1905, 825, 210);

    cmdSave = new QPushButton(QStringLiteral("Speichern"), this);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    Twips::place(cmdSave, 2400, 3285, 1995, 405);
    cmdCancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    Twips::place(cmdCancel, 1125, 3285, 1230, 405);

    Check1 = new QCheckBox(this);
    Check1->setObjectName(QStringLiteral("Check1"));
    Check1->setChecked(true);
    Twips::place(Check1, 420, 2730, 195, 195);

    Label1 = FormLook::addLabel(this, QStringLiteral("Label1"), QStringLiteral("Passwortfeld mit ***** anzeigen"),
                                120, 2355, 870, 345);
    Label1->setFont(FormLook::arialFont(6.75));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    FormLook::setForeColor(Label1, kNoteColor);
    Label2 = FormLook::addLabel(this, QStringLiteral("Label2"),
                                QStringLiteral("Angabe der Webseite mit vorangestelltem 'http.//' oder 'www.'"), 150,
                                3885, 4455, 285);
    FormLook::setForeColor(Label2, kHintColor);
    Label3 = FormLook::addLabel(this, QStringLiteral("Label3"), QStringLiteral("Hinweis:"), 150, 3675, 630, 210);

    for (QLabel* caption : {lblEditAcct, lblEditUser, lblEditPass, lblEditWeb, lblEditComments, Label3, Label2})
        FormLook::fitCaption(caption);
    FormLook::fitWrappedUpwards(Label1);

    QWidget::setTabOrder(txtEditAcct, txtEditUser);
    QWidget::setTabOrder(txtEditUser, txtEditPass);
    QWidget::setTabOrder(txtEditPass, txtEditWeb);
    QWidget::setTabOrder(txtEditWeb, txtEditComments);
    QWidget::setTabOrder(txtEditComments, cmdSave);
    QWidget::setTabOrder(cmdSave, cmdCancel);
    QWidget::setTabOrder(cmdCancel, Check1);

    connect(Check1, &QCheckBox::toggled, this, [this] { Check1_Click(); });
    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    txtEditAcct->installEventFilter(this);
    // "Passwort erzeugen" in the password box's context menu and on Ctrl+G.
    new PasswordBoxGenerator(txtEditPass);
    Check1->setAccessibleName(QStringLiteral("Passwortfeld mit ***** anzeigen"));
    Check1->setAccessibleDescription(QStringLiteral("Verbirgt das Passwort hinter Sternchen, wenn angekreuzt"));

    FormLook::enterClicksButtons(this);
    Form_Load();
}

void frmEditSafe::Form_Load()
{
    // Topmost: the window flag above keeps the dialog in front of every window that is not.
    setWindowTitle(appContext().AppTitle + QStringLiteral(" - Neuer Eintrag - ") + m_main.session().CurrentUser());
    m_backImage = FormLook::backImage();
    FormLook::setPasswordChar(txtEditPass, true);
}

void frmEditSafe::clearFields()
{
    txtEditAcct->clear();
    txtEditUser->clear();
    txtEditPass->clear();
    txtEditWeb->clear();
    txtEditComments->clear();
    Check1->setChecked(true);
    FormLook::setPasswordChar(txtEditPass, true);
}

void frmEditSafe::Check1_Click()
{
    FormLook::setPasswordChar(txtEditPass, Check1->isChecked());
}

void frmEditSafe::cmdSave_Click()
{
    if (StoreActivity::isRunning())
        return;
    StoreSession& session = m_main.session();
    const QString name = txtEditAcct->text();
    AccountEntry entry;
    entry.User = txtEditUser->text();
    entry.Pass = txtEditPass->text();
    entry.Web = txtEditWeb->text();
    entry.Comment = FormLook::fromEditorText(txtEditComments->toPlainText());

    StoreResult result = session.checkNewEntry(name, entry);
    if (result)
        result = session.addEntry(name, entry);
    entry.wipe();
    // Stored, but not confirmed on the disk: the user reads why, and the entry is there.
    if (!result && result.stored())
        ShowMessage(result.message, static_cast<qint16>(result.kind));
    if (!result.stored()) {
        if (result.error == StoreError::Busy)
            return;
        ShowMessage(result.message, static_cast<qint16>(result.kind));
        const EntryFieldWidgets fields{txtEditAcct, txtEditUser, txtEditPass, txtEditWeb, txtEditComments};
        QWidget* box = fields.widgetFor(result.focus);
        // The name box takes every refusal that names no other box.
        if (!box || box == txtEditAcct) {
            if (result.clearField)
                txtEditAcct->clear();
            box = txtEditAcct;
        }
        box->setFocus();
        return;
    }

    m_done = true;
    m_main.returnFromNewEntry(name, pos());
    close();
}

void frmEditSafe::cmdCancel_Click()
{
    m_done = true;
    m_main.returnFromNewEntry(QString(), pos());
    close();
}

void frmEditSafe::focusAccountName()
{
    txtEditAcct->setFocus();
}

void frmEditSafe::closeEvent(QCloseEvent* event)
{
    // Closed by the title bar: the same as Abbrechen, so the main window is never left hidden.
    if (!m_done) {
        m_done = true;
        m_main.returnFromNewEntry(QString(), pos());
    }
    event->accept();
}

void frmEditSafe::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!m_backImage.isNull())
        painter.drawPixmap(0, 0, m_backImage);
    // Shape1: the outline around the two buttons.
    FormLook::drawOutline(painter, Twips::rect(1050, 3225, 3420, 540, this));
}

bool frmEditSafe::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtEditAcct && event->type() == QEvent::KeyPress) {
        const QKeyEvent* key = static_cast<QKeyEvent*>(event);
        // Tab and Shift+Tab move the focus; they never reach the key filter.
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
            return QWidget::eventFilter(watched, event);
        const QString text = key->text();
        for (const QChar c : text) {
            if (c != u'.' && FilterAccountKey(c) == AccountKeyClass::Rejected)
                return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
