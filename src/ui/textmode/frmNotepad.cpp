#include "ui/textmode/frmNotepad.h"

#include "ui/ProgramExit.h"
#include "ui/common/Twips.h"

#include "app/AppContext.h"
#include "app/MessagePresenter.h"
#include "app/SoundPlayer.h"
#include "core/Wipe.h"
#include "store/StoreSession.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QTextDocument>

namespace {

constexpr int kClientWidth = 5520;
constexpr int kClientHeight = 6960;

const QString kWrongPassword =
    QStringLiteral("Der Speicher kann nicht geöffnet werden: das Master-Passwort ist falsch.\r\n"
                   "Das Programm wird beendet.   ");
const QString kNoUserFile =
    QStringLiteral("Für den Benutzer '%1' gibt es keine Datei; der Text-Modus kann nicht geöffnet "
                   "werden.   ");
const QString kCloseAnyway =
    QStringLiteral("\r\n\r\nFenster trotzdem schließen? Die Änderungen gehen dann verloren.");

QString textModeCaption()
{
    return appContext().AppTitle + QStringLiteral(" - Text-Modus");
}

} // namespace

frmNotepad::frmNotepad(StoreSession& session, std::function<void()> onClosed)
    : QWidget(nullptr), m_session(session), m_onClosed(std::move(onClosed))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmNotepad"));
    setWindowTitle(QStringLiteral("Text-Modus"));
    resize(Twips::toPixels(kClientWidth, this), Twips::toPixels(kClientHeight, this));

    m_text1 = new QPlainTextEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(9);
    font.setWeight(QFont::Normal);
    m_text1->setFont(font);
    QPalette pal = m_text1->palette();
    pal.setColor(QPalette::Base, Qt::white);
    m_text1->setPalette(pal);
    Twips::place(m_text1, 0, 0, 5085, 6375);
    connect(m_text1, &QPlainTextEdit::textChanged, this, &frmNotepad::Text1_Change);

    Form_Load();
}

frmNotepad::~frmNotepad()
{
    m_store.clear();
}

void frmNotepad::Form_Load()
{
    // The window's icon is the application's, which the main window set at start-up.
    CenterForm(this);
}

void frmNotepad::open(StoreSession& session, std::function<void()> onClosed)
{
    // A name without a file has no store to show; refusing keeps the login's choice visible.
    if (!QFileInfo(session.UserFile()).isFile()) {
        ShowMessage(kNoUserFile.arg(session.CurrentUser()), kMessageExclamation, textModeCaption());
        if (onClosed)
            onClosed();
        return;
    }
    auto* form = new frmNotepad(session, std::move(onClosed));
    form->show();
    CenterForm(form);
    if (!form->LoadPwdDat()) {
        form->close();
        return;
    }
    form->setWindowTitle(appContext().AppTitle + QStringLiteral(" - ") + session.CurrentUser());
    form->m_text1->setFocus();
}

bool frmNotepad::LoadPwdDat()
{
    m_busy = true;
    const StoreResult r = m_store.LoadPwdDat(m_session.UserFile(), m_session.MasterPassword());
    m_busy = false;
    if (r.error == StoreError::WrongKey) {
        // As at login: a wrong master password ends the program; nothing was written. The store
        // checks what the password deciphered, so garbage that passed the length field lands here too.
        m_session.forgetMasterPassword();
        ShowMessage(kWrongPassword, kMessageExclamation, textModeCaption());
        m_ending = true;
        ProgramExit::endProgram(1);
        return false;
    }
    if (r.error == StoreError::MissingUserFile) {
        ShowMessage(kNoUserFile.arg(m_session.CurrentUser()), kMessageExclamation, textModeCaption());
        return false;
    }
    if (!r) {
        ShowMessage(r.message, kMessageExclamation,
                    textModeCaption());
        return false;
    }

    m_text1->setPlainText(m_store.text());
    // Filling the box is no change of the user's.
    m_changed = 0;
    m_loaded = true;
    PlaySoundFile(appContext().LoginSoundFile);
    return true;
}

QString frmNotepad::text() const
{
    // toPlainText would turn no-break spaces into plain ones and change passwords unnoticed.
    QString raw = m_text1->document()->toRawText();
    raw.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    raw.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
    return raw;
}

bool frmNotepad::isReadOnly() const
{
    return m_text1->isReadOnly();
}

void frmNotepad::Text1_Change()
{
    m_changed = 1;
}

void frmNotepad::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmNotepad::Form_Resize()
{
    // The text box fills the client area: the window's outer size less its frame.
    const QSize client = size();
    if (m_text1 && client.width() > 0 && client.height() > 0)
        m_text1->setGeometry(0, 0, client.width(), client.height());
}

bool frmNotepad::Form_Unload()
{
    if (m_changed == 1 && !m_ending) {
        const StoreResult r = m_store.writeBack(text());
        if (!r && r.stored())
            ShowMessage(r.message, kMessageExclamation, textModeCaption());
        if (!r.stored()) {
            // The edits would be lost silently; the user decides, and may copy the text first.
            const QString reason = r.message;
            if (!AskYesNo(reason + kCloseAnyway, false, textModeCaption()))
                return false;
        }
    }
    if (m_loaded)
        PlaySoundFile(appContext().LogoutSoundFile);
    m_loaded = false;
    m_store.clear();
    m_text1->clear();
    m_changed = 0;
    return true;
}

void frmNotepad::closeEvent(QCloseEvent* event)
{
    // The store steps let events run; a close meanwhile must not run the write-back twice or
    // take the window away under the load.
    if (m_busy) {
        event->ignore();
        return;
    }
    m_busy = true;
    const bool done = Form_Unload();
    m_busy = false;
    if (!done) {
        event->ignore();
        return;
    }
    event->accept();
    // Nobody is logged in behind the login window; the password is typed again there.
    m_session.forgetMasterPassword();
    std::function<void()> onClosed = std::exchange(m_onClosed, {});
    if (onClosed && !m_ending)
        onClosed();
}
