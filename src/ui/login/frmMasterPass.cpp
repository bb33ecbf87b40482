#include "ui/login/frmMasterPass.h"

#include "ui/ProgramExit.h"
#include "ui/common/FormLook.h"
#include "ui/common/Twips.h"
#include "ui/login/frmConfirmPass.h"

#include "app/AppContext.h"
#include "app/FileServices.h"
#include "app/MessagePresenter.h"
#include "core/Wipe.h"
#include "store/MasterPasswordChange.h"
#include "store/StoreSession.h"
#include "store/UserDirectory.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

namespace {

constexpr int kClientWidth = 6255;
constexpr int kClientHeight = 870;
const QColor kBackColour(224, 224, 224);

const QString kWrongOldPassword =
    QStringLiteral("Das alte Master-Passwort ist falsch: die Datei kann nicht geöffnet werden.\r\n"
                   "Das Programm wird beendet.   ");
const QString kNoUserFile =
    QStringLiteral("Für den Benutzer '%1' gibt es keine Datei; das Master-Passwort kann nicht "
                   "geändert werden.   ");

QString captionFor(const QString& user)
{
    return QStringLiteral("Master-Passwort für '") + user + QStringLiteral("' ändern");
}

} // namespace

frmMasterPass::frmMasterPass(StoreSession& session, bool fromLogin, ClosedCallback onClosed)
    : QWidget(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_session(session),
      m_fromLogin(fromLogin),
      m_onClosed(std::move(onClosed))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmMasterPass"));
    setWindowTitle(QStringLiteral("Master-Passwort ändern"));
    setFixedSize(Twips::toPixels(kClientWidth, this), Twips::toPixels(kClientHeight, this));

    QPalette pal = palette();
    pal.setColor(QPalette::Window, kBackColour);
    setPalette(pal);
    setAutoFillBackground(true);
    // The design's sizes were made for an 8-point face; larger text would run under the boxes.
    QFont designFont = font();
    designFont.setPointSize(8);
    setFont(designFont);

    m_lblOldPassword = new QLabel(QStringLiteral("Altes Master-Passwort:"), this);
    m_lblOldPassword->setObjectName(QStringLiteral("lblPassword"));
    Twips::place(m_lblOldPassword, 120, 180, 2250, 240);
    m_lblNewPassword = new QLabel(QStringLiteral("Neues Master-Passwort:"), this);
    m_lblNewPassword->setObjectName(QStringLiteral("lblPassword"));
    Twips::place(m_lblNewPassword, 120, 540, 2250, 240);

    m_txtOldPass = new QLineEdit(this);
    m_txtOldPass->setObjectName(QStringLiteral("txtOldPass"));
    FormLook::setPasswordChar(m_txtOldPass, true);
    m_txtOldPass->setToolTip(
        QStringLiteral("Bei falscher Passwort-Eingabe bricht das Programm mit einer Fehlermeldung ab !"));
    Twips::place(m_txtOldPass, 2280, 120, 2460, 300);

    m_txtNewPass = new QLineEdit(this);
    m_txtNewPass->setObjectName(QStringLiteral("txtNewPass"));
    FormLook::setPasswordChar(m_txtNewPass, true);
    m_txtNewPass->setToolTip(QStringLiteral("Hier neues Master-Passwort eingeben"));
    Twips::place(m_txtNewPass, 2280, 480, 2460, 300);

    m_command2 = new QPushButton(QStringLiteral("Abbrechen"), this);
    m_command2->setObjectName(QStringLiteral("Command2"));
    Twips::place(m_command2, 4800, 120, 1350, 315);
    m_command1 = new QPushButton(QStringLiteral("Übernehmen"), this);
    m_command1->setObjectName(QStringLiteral("Command1"));
    Twips::place(m_command1, 4800, 480, 1350, 315);

    // The labels are drawn under the boxes they overlap slightly; tab order follows the design.
    setTabOrder(m_txtOldPass, m_txtNewPass);
    setTabOrder(m_txtNewPass, m_command2);
    setTabOrder(m_command2, m_command1);

    connect(m_command1, &QPushButton::clicked, this, &frmMasterPass::Command1_Click);
    connect(m_command2, &QPushButton::clicked, this, &frmMasterPass::Command2_Click);
    // txtNewPass_KeyDown: Enter starts the change.
    connect(m_txtNewPass, &QLineEdit::returnPressed, this, &frmMasterPass::Command1_Click);

    FormLook::enterClicksButtons(this);
    Form_Load();
}

frmMasterPass::~frmMasterPass()
{
    m_txtOldPass->clear();
    m_txtNewPass->clear();
    Wipe::text(m_newPassword);
}

void frmMasterPass::Form_Load()
{
    const QString backImage = appContext().BackImageFile;
    if (FileExists(backImage))
        m_backImage.load(backImage);
}

bool frmMasterPass::userFileKnown(const StoreSession& session)
{
    const QString path = UserDirectory::userFilePath(appContext().AppPath, session.CurrentUser());
    return !session.CurrentUser().isEmpty() && QFileInfo(path).isFile();
}

void frmMasterPass::openFromLogin(StoreSession& session, const QString& typedPassword,
                                  std::function<void(bool changed, const QString& newPassword)> onClosed)
{
    open(session, true, typedPassword, std::move(onClosed));
}

void frmMasterPass::openFromMain(StoreSession& session, std::function<void()> onClosed)
{
    ClosedCallback closed;
    if (onClosed)
        closed = [onClosed = std::move(onClosed)](bool, const QString&) { onClosed(); };
    // From the main window the old password is the one of the current login.
    open(session, false, session.MasterPassword(), std::move(closed));
}

void frmMasterPass::open(StoreSession& session, bool fromLogin, const QString& oldPassword, ClosedCallback onClosed)
{
    // Without a file there is no store to re-encipher; the opener comes back at once.
    if (!userFileKnown(session)) {
        ShowMessage(kNoUserFile.arg(session.CurrentUser()), kMessageExclamation);
        if (onClosed)
            onClosed(false, QString());
        return;
    }
    auto* form = new frmMasterPass(session, fromLogin, std::move(onClosed));
    form->show();
    CenterForm(form);
    form->m_txtOldPass->setText(oldPassword);
    form->m_txtOldPass->setReadOnly(!fromLogin);
    form->setWindowTitle(captionFor(session.CurrentUser()));
    // From the login an empty old password is typed first; otherwise the new one is.
    if (fromLogin && oldPassword.isEmpty())
        form->m_txtOldPass->setFocus();
    else
        form->m_txtNewPass->setFocus();
    form->activateWindow();
}

void frmMasterPass::Command1_Click()
{
    // Events run between the store's steps; a second Enter or click must not start a second change.
    if (m_busy || m_ending)
        return;
    const QString oldPassword = m_txtOldPass->text();
    const QString newPassword = m_txtNewPass->text();

    const StoreResult checked = MasterPasswordChange::check(oldPassword, newPassword);
    if (!checked) {
        ShowMessage(checked.message, static_cast<qint16>(checked.kind));
        (checked.focus == StoreField::OldPassword ? m_txtOldPass : m_txtNewPass)->setFocus();
        return;
    }
    // The new password typed a second time, before the question and before anything is written;
    // cancelled, the dialog stays open with both boxes as they were.
    if (!frmConfirmPass::confirm(this, newPassword)) {
        m_txtNewPass->setFocus();
        return;
    }
    if (!AskYesNo(QStringLiteral("Soll das Master-Passwort für '") + m_session.CurrentUser()
                      + QStringLiteral("' wirklich geändert werden ?"),
                  true))
        return;

    m_session.beginPasswordChange(appContext().AppPath, m_session.CurrentUser(), oldPassword);

    m_busy = true;
    const StoreResult r = m_session.changeMasterPassword(oldPassword, newPassword);
    m_busy = false;

    if (r.error == StoreError::WrongKey) {
        // Nothing was moved or written; as at login, a wrong master password ends the program.
        m_session.forgetMasterPassword();
        ShowMessage(kWrongOldPassword, kMessageExclamation);
        m_ending = true;
        ProgramExit::endProgram(1);
        close();
        return;
    }
    if (!r.stored()) {
        // The user file still opens under the old password; the dialog stays open.
        ShowMessage(r.message, static_cast<qint16>(r.kind));
        if (r.error == StoreError::Validation)
            (r.focus == StoreField::OldPassword ? m_txtOldPass : m_txtNewPass)->setFocus();
        return;
    }
    // The file is under the new password; when the system did not confirm it, the user reads so.
    if (!r)
        ShowMessage(r.message, kMessageExclamation);
    m_changed = true;
    m_newPassword = newPassword;
    close();
}

void frmMasterPass::Command2_Click()
{
    close();
}

void frmMasterPass::closeEvent(QCloseEvent* event)
{
    if (m_busy) {
        event->ignore();
        return;
    }
    event->accept();
    ClosedCallback onClosed = std::exchange(m_onClosed, {});
    // Nobody is logged in behind the login window: it gets the new password through the callback.
    if (m_fromLogin)
        m_session.forgetMasterPassword();
    // The opener shows itself before this window disappears, so the program never runs without a
    // visible window.
    if (onClosed && !m_ending)
        onClosed(m_changed, m_newPassword);
}

void frmMasterPass::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    if (!m_backImage.isNull()) {
        QPainter painter(this);
        painter.drawPixmap(0, 0, m_backImage);
    }
}
