#include "ui/login/frmLogin.h"

#include "ui/AppWindows.h"
#include "ui/ProgramExit.h"
#include "ui/common/AppImages.h"
#include "ui/common/FormLook.h"
#include "ui/common/PictureBox.h"
#include "ui/common/Twips.h"
#include "ui/controls/XPStyle.h"
#include "ui/login/frmConfirmPass.h"
#include "ui/login/frmMasterPass.h"
#include "ui/textmode/frmNotepad.h"

#include "app/AppContext.h"
#include "app/FileServices.h"
#include "app/MessagePresenter.h"
#include "core/Ini.h"
#include "store/MasterPasswordChange.h"
#include "store/StoreActivity.h"
#include "store/StoreSession.h"
#include "store/StoreTexts.h"
#include "store/UserDirectory.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>

namespace {

constexpr int kClientWidth = 4650;
constexpr int kClientHeight = 1125;
const QColor kBackColor(224, 224, 224);
const QColor kLinkHoverColor(255, 0, 0);

const QString kWrongPassword =
    QStringLiteral("Das Master-Passwort für '%1' ist falsch: die Datei kann nicht geöffnet werden.\r\n"
                   "Das Programm wird beendet.   ");
const QString kPasswordTip =
    QStringLiteral("Bei falscher Passwort-Eingabe bricht das Programm mit einer Fehlermeldung ab !");

constexpr int kFocusName = 0;
constexpr int kFocusPassword = 1;

} // namespace

frmLogin::frmLogin(AppWindows& windows) : QWidget(nullptr, FormLook::toolWindowFlags()), m_windows(windows)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(QStringLiteral("Login"));
    setFont(FormLook::sansFont());
    FormLook::setBackColor(this, kBackColor);
    setFixedSize(Twips::toPixels(kClientWidth, this), Twips::toPixels(kClientHeight, this));
    setMouseTracking(true);

    // Created in tab order: the password box comes first, so the window opens with the focus there.
    txtLoginPassWord = new QLineEdit(this);
    txtLoginPassWord->setObjectName(QStringLiteral("txtLoginPassWord"));
    FormLook::setPasswordChar(txtLoginPassWord, true);
    txtLoginPassWord->setToolTip(kPasswordTip);
    txtLoginPassWord->setMouseTracking(true);
    Twips::place(txtLoginPassWord, 1200, 645, 2460, 300);

    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setEditable(true);
    // Names are taken as typed: no completion that could turn a new name into a listed one.
    Combo1->setCompleter(nullptr);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->setToolTip(QStringLiteral("Hier Benutzer auswählen oder neuen Benutzer eingeben"));
    Twips::place(Combo1, 1200, 195, 2475, 315);
    QWidget::setTabOrder(txtLoginPassWord, Combo1);

    lblUsername = new QLabel(QStringLiteral("Benutzer:"), this);
    lblUsername->setObjectName(QStringLiteral("lblUsername"));
    lblUsername->setMouseTracking(true);
    Twips::place(lblUsername, 195, 240, 915, 240);

    lblPassword = new QLabel(QStringLiteral("Passwort:"), this);
    lblPassword->setObjectName(QStringLiteral("lblPassword"));
    lblPassword->setToolTip(QStringLiteral("Hier klicken, um das Master-Passwort zu ändern"));
    lblPassword->setMouseTracking(true);
    Twips::place(lblPassword, 180, 705, 870, 240);

    FormLook::fitCaption(lblUsername);
    FormLook::fitCaption(lblPassword);

    Image2 = new PictureBox(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Twips::place(Image2, 3795, 210, 870, 930);

    Image1 = new PictureBox(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(AppImages::loginPicture());
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setCursor(AppImages::loginCursor());
    Image1->setToolTip(QStringLiteral("Hier klicken um einzuloggen"));
    Twips::place(Image1, 3900, 345, 480, 480);
    Image1->raise();

    // The key picture and the area around it show no text: screen readers announce these.
    Image1->setAccessibleName(QStringLiteral("Anmelden"));
    Image1->setAccessibleDescription(
        QStringLiteral("Schlüsselbild: öffnet die Passwortdatei des Benutzers mit dem eingegebenen Master-Passwort"));
    Image2->setAccessibleName(QStringLiteral("Anmelden"));
    Image2->setAccessibleDescription(QStringLiteral("Fläche um das Schlüsselbild: meldet ebenfalls an"));

    XPStyle1 = new XPStyle(this);
    XPStyle1->setObjectName(QStringLiteral("XPStyle1"));

    connect(Combo1, qOverload<int>(&QComboBox::activated), this, [this] { Combo1_Click(); });
    connect(Image1, &PictureBox::mouseDown, this, &frmLogin::Image1_MouseDown);
    connect(Image2, &PictureBox::mouseDown, this, &frmLogin::Image1_MouseDown);
    const auto linkBlack = [this] { setPasswordLabelColor(Qt::black); };
    connect(Image1, &PictureBox::mouseMoved, this, linkBlack);
    connect(Image2, &PictureBox::mouseMoved, this, linkBlack);
    Combo1->installEventFilter(this);
    Combo1->lineEdit()->installEventFilter(this);
    txtLoginPassWord->installEventFilter(this);
    lblPassword->installEventFilter(this);
    lblUsername->installEventFilter(this);

    Form_Load();
}

frmLogin::~frmLogin() = default;

StoreSession& frmLogin::session()
{
    return m_windows.session();
}

void frmLogin::Form_Load()
{
    const AppContext& app = appContext();
    CenterForm(this);
    setWindowTitle(app.AppTitle + QStringLiteral(" - Login"));
    setWindowIcon(m_windows.mainWindowIcon());
    Image2->setCursor(Image1->cursor());

    Combo1->addItems(UserDirectory::listUsers(app.AppPath));
    Combo1->setCurrentIndex(-1);
    Combo1->setEditText(QString());

    // A remembered user whose file is gone is not preselected.
    const QString user = ReadIni(app.AppTitle, QStringLiteral("DefaultUser"), app.SettingsFile, QString());
    if (!user.isEmpty() && UserDirectory::checkUserName(user) &&
        FileExists(UserDirectory::userFilePath(app.AppPath, user)))
        Combo1->setEditText(user);

    m_backImage = FormLook::backImage();
    txtLoginPassWord->setFocus();
}

QString frmLogin::newUserNotice()
{
    static const char* const kLines[] = {
        "H I N W E I S :",
        "",
        "Bitte unbedingt irgendwo das Master-Passwort notieren !",
        "(z.B. auf einem Post-it-Sticker unter der Tastatur)",
        "Bei Verlust des Master-Passwortes ist eine",
        "Zurückgewinnung der gespeicherten Daten aufgrund der",
        "Verschlüsselung des Blowfish-Algorhythmus' nahezu unmöglich.   ",
        "",
        "Tarvenic Keywarden - Ihre Passwörter bleiben auf diesem Rechner.",
    };
    QString text;
    for (const char* line : kLines)
        text += QString::fromUtf8(line) + QStringLiteral("\r\n");
    return text;
}

void frmLogin::login()
{
    if (StoreActivity::isRunning())
        return;
    const AppContext& app = appContext();
    const QString user = Combo1->currentText();
    const QString password = txtLoginPassWord->text();

    if (user.isEmpty()) {
        ShowMessage(StoreTexts::kUserNameMissing, kMessageExclamation);
        focusLoginField(kFocusName);
        return;
    }
    // A name that cannot be a file name is refused before anything is written.
    const StoreResult nameCheck = UserDirectory::checkUserName(user);
    if (!nameCheck) {
        ShowMessage(nameCheck.message, static_cast<qint16>(nameCheck.kind));
        focusLoginField(kFocusName);
        return;
    }
    if (password.isEmpty()) {
        ShowMessage(StoreTexts::kMasterPasswordMissing, kMessageExclamation);
        focusLoginField(kFocusPassword);
        return;
    }
    if (password.size() < MasterPasswordChange::kMinimumLength) {
        ShowMessage(StoreTexts::kMasterPasswordTooShort, kMessageExclamation);
        focusLoginField(kFocusPassword);
        return;
    }

    StoreSession& store = session();
    store.begin(app.AppPath, user, password);
    // A new store is keyed only with characters the key can hold; refused before anything is written.
    const StoreResult keyCheck = store.checkNewStoreKey();
    if (!keyCheck) {
        store.forgetMasterPassword();
        ShowMessage(keyCheck.message, static_cast<qint16>(keyCheck.kind));
        focusLoginField(kFocusPassword);
        return;
    }

    if (store.userFileExists()) {
        // Remembered before the store is touched, also when the password turns out to be wrong.
        WriteIni(app.AppTitle, QStringLiteral("DefaultUser"), user, app.SettingsFile);
        const StoreResult result = store.unlock();
        if (!result) {
            store.forgetMasterPassword();
            if (result.error == StoreError::Busy)
                return;
            if (result.error == StoreError::WrongKey) {
                // As the password box's tip announces: the message, then the program ends.
                ShowMessage(kWrongPassword.arg(user), kMessageExclamation);
                ProgramExit::endProgram(1);
                return;
            }
            ShowMessage(result.message, kMessageExclamation);
            focusLoginField(kFocusPassword);
            return;
        }
    } else {
        ShowMessage(newUserNotice(), kMessageInformation);
        // One typo in a master password nobody can recover loses the store: typed twice before
        // anything is written. Cancelled, the login stays as it was and nothing is remembered.
        if (!frmConfirmPass::confirm(this, password)) {
            store.forgetMasterPassword();
            focusLoginField(kFocusPassword);
            return;
        }
        WriteIni(app.AppTitle, QStringLiteral("DefaultUser"), user, app.SettingsFile);
        const StoreResult result = store.createPlaceholder();
        if (!result.stored()) {
            store.forgetMasterPassword();
            if (result.error != StoreError::Busy)
                ShowMessage(result.message, kMessageExclamation);
            return;
        }
        // The file is in place, only its confirmation failed: the user should know, and goes on.
        if (!result)
            ShowMessage(result.message, kMessageExclamation);
    }

    // From here on this window goes away: nothing of it is touched after this call.
    m_windows.enterMainWindow(*this);
}

void frmLogin::openTextMode()
{
    if (StoreActivity::isRunning())
        return;
    const AppContext& app = appContext();
    const QString caption = app.AppTitle + QStringLiteral(" - Text-Modus");
    const QString user = Combo1->currentText();
    const QString password = txtLoginPassWord->text();
    if (user.isEmpty()) {
        ShowMessage(StoreTexts::kUserNameMissing, kMessageExclamation, caption);
        focusLoginField(kFocusName);
        return;
    }
    if (password.isEmpty()) {
        ShowMessage(StoreTexts::kMasterPasswordMissing, kMessageExclamation, caption);
        focusLoginField(kFocusPassword);
        return;
    }
    const StoreResult nameCheck = UserDirectory::checkUserName(user);
    if (!nameCheck) {
        ShowMessage(nameCheck.message, static_cast<qint16>(nameCheck.kind), caption);
        focusLoginField(kFocusName);
        return;
    }

    StoreSession& store = session();
    store.begin(app.AppPath, user, password);
    txtLoginPassWord->clear();
    // Hidden first: text mode may refuse at once and show this window again.
    hide();
    QPointer<frmLogin> self(this);
    frmNotepad::open(store, [self] {
        if (self)
            self->show();
    });
}

void frmLogin::lblPassword_Click()
{
    if (StoreActivity::isRunning())
        return;
    const AppContext& app = appContext();
    const QString user = Combo1->currentText();
    if (user.isEmpty()) {
        ShowMessage(StoreTexts::kUserNameMissing, kMessageInformation);
        focusLoginField(kFocusName);
        return;
    }
    const StoreResult nameCheck = UserDirectory::checkUserName(user);
    if (!nameCheck) {
        ShowMessage(nameCheck.message, kMessageInformation);
        focusLoginField(kFocusName);
        return;
    }

    StoreSession& store = session();
    store.beginPasswordChange(app.AppPath, user);
    setPasswordLabelColor(Qt::black);

    const QString typed = txtLoginPassWord->text();
    // Hidden first: the dialog may refuse at once and show this window again.
    hide();
    QPointer<frmLogin> self(this);
    frmMasterPass::openFromLogin(store, typed, [self](bool changed, const QString& newPassword) {
        if (!self)
            return;
        self->show();
        if (changed)
            self->txtLoginPassWord->setText(newPassword);
    });
}

void frmLogin::Combo1_Click()
{
    txtLoginPassWord->clear();
    txtLoginPassWord->setFocus();
}

void frmLogin::Image1_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    const Qt::KeyboardModifiers held = modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (button == Qt::RightButton && held == Qt::ControlModifier)
        openTextMode();
    else
        login();
}

void frmLogin::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (m_windows.loginTransition())
        return;
    ProgramExit::endProgram(0);
}

void frmLogin::paintEvent(QPaintEvent*)
{
    if (m_backImage.isNull())
        return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_backImage);
}

void frmLogin::mouseMoveEvent(QMouseEvent* event)
{
    setPasswordLabelColor(Qt::black);
    QWidget::mouseMoveEvent(event);
}

bool frmLogin::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        if (enter && (watched == Combo1 || watched == Combo1->lineEdit())) {
            txtLoginPassWord->setFocus();
            return true;
        }
        if (enter && watched == txtLoginPassWord) {
            login();
            return true;
        }
        return false;
    }
    if (watched == lblPassword) {
        if (type == QEvent::MouseMove) {
            // Taken here, so the window below does not turn the label black again.
            setPasswordLabelColor(kLinkHoverColor);
            return true;
        }
        if (type == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
                 lblPassword->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint()))
            lblPassword_Click();
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease)
            return true;
        return false;
    }
    if ((watched == lblUsername || watched == txtLoginPassWord) && type == QEvent::MouseMove)
        setPasswordLabelColor(Qt::black);
    return QWidget::eventFilter(watched, event);
}

void frmLogin::setPasswordLabelColor(const QColor& color)
{
    if (lblPassword->palette().color(QPalette::WindowText) != color)
        FormLook::setForeColor(lblPassword, color);
}

void frmLogin::focusLoginField(int field)
{
    if (field == kFocusName)
        Combo1->setFocus();
    else
        txtLoginPassWord->setFocus();
}
