#include "ui/login/frmConfirmPass.h"

#include "ui/ReplaceableAction.h"
#include "ui/common/FormLook.h"
#include "ui/common/Twips.h"
#include "ui/controls/StrengthBar.h"

#include "app/MessagePresenter.h"
#include "core/Wipe.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QColor kBackColor = FormLook::fromBgr(0x00E0E0E0);

ReplaceableAction<bool(QWidget*, const QString&)>& confirmAction()
{
    static ReplaceableAction<bool(QWidget*, const QString&)> action([](QWidget* parent, const QString& expected) {
        frmConfirmPass dialog(expected, parent);
        dialog.exec();
        return dialog.confirmed();
    });
    return action;
}

} // namespace

const QString frmConfirmPass::kMismatch =
    QStringLiteral("Die beiden Eingaben des Master-Passworts stimmen nicht überein.\r\n"
                   "Bitte noch einmal eingeben oder abbrechen.   ");

frmConfirmPass::frmConfirmPass(const QString& expected, QWidget* parent)
    : QDialog(parent, FormLook::toolWindowFlags()), m_expected(expected)
{
    setObjectName(QStringLiteral("frmConfirmPass"));
    setWindowTitle(QStringLiteral("Tarvenic Keywarden - Master-Passwort bestätigen"));
    setFont(FormLook::sansFont());
    FormLook::setBackColor(this, kBackColor);

    m_lblPrompt = new QLabel(QStringLiteral("Bitte das neue Master-Passwort zur Bestätigung noch einmal eingeben:"),
                             this);
    m_lblPrompt->setObjectName(QStringLiteral("lblPrompt"));
    m_lblPrompt->setWordWrap(true);

    m_txtConfirm = new QLineEdit(this);
    m_txtConfirm->setObjectName(QStringLiteral("txtConfirm"));
    FormLook::setPasswordChar(m_txtConfirm, true);
    m_txtConfirm->setAccessibleName(QStringLiteral("Master-Passwort wiederholen"));
    m_txtConfirm->setAccessibleDescription(
        QStringLiteral("Dasselbe Master-Passwort noch einmal; erst wenn beide Eingaben gleich sind, wird es verwendet"));
    m_lblPrompt->setBuddy(m_txtConfirm);

    m_strength = new StrengthBar(this);

    m_cmdOK = new QPushButton(QStringLiteral("OK"), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setAccessibleName(QStringLiteral("OK"));
    m_cmdOK->setAccessibleDescription(QStringLiteral("Bestätigt das Master-Passwort"));
    m_cmdCancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    m_cmdCancel->setAccessibleName(QStringLiteral("Abbrechen"));
    m_cmdCancel->setAccessibleDescription(QStringLiteral("Verwirft das neue Master-Passwort"));
    // Enter in the box goes through returnPressed alone; no button takes it as the default as well.
    m_cmdOK->setAutoDefault(false);
    m_cmdCancel->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(6);
    layout->addWidget(m_lblPrompt);
    layout->addWidget(m_txtConfirm);
    layout->addWidget(m_strength);
    layout->addSpacing(4);
    layout->addLayout(buttons);
    // Wide enough for the whole title; a fixed size, so that window managers draw no resize handle.
    setFixedWidth(Twips::toPixels(6600, this));
    setFixedHeight(layout->heightForWidth(width()) > 0 ? layout->heightForWidth(width()) : sizeHint().height());

    connect(m_txtConfirm, &QLineEdit::textChanged, m_strength, &StrengthBar::setPassword);
    connect(m_txtConfirm, &QLineEdit::returnPressed, this, &frmConfirmPass::cmdOK_Click);
    connect(m_cmdOK, &QPushButton::clicked, this, &frmConfirmPass::cmdOK_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmConfirmPass::cmdCancel_Click);

    m_txtConfirm->setFocus();
}

frmConfirmPass::~frmConfirmPass()
{
    m_txtConfirm->clear();
    Wipe::text(m_expected);
}

bool frmConfirmPass::confirm(QWidget* parent, const QString& expected)
{
    return confirmAction()(parent, expected);
}

frmConfirmPass::ConfirmAction frmConfirmPass::setConfirmAction(ConfirmAction action)
{
    return confirmAction().replace(std::move(action));
}

void frmConfirmPass::cmdOK_Click()
{
    QString typed = m_txtConfirm->text();
    const bool same = !typed.isEmpty() && typed == m_expected;
    Wipe::text(typed);
    if (!same) {
        ShowMessage(kMismatch, kMessageExclamation);
        // A fresh start: the user cannot see which character was wrong anyway.
        m_txtConfirm->clear();
        m_txtConfirm->setFocus();
        return;
    }
    m_confirmed = true;
    m_txtConfirm->clear();
    accept();
}

void frmConfirmPass::cmdCancel_Click()
{
    reject();
}
