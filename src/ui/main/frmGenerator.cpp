#include "ui/main/frmGenerator.h"

#include "ui/common/FormLook.h"
#include "ui/controls/StrengthBar.h"

#include "core/Wipe.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

const QColor kBackColor = FormLook::fromBgr(0x00E0E0E0);
const QColor kNoteColor = FormLook::fromBgr(0x000000C0);

QCheckBox* addCheck(QWidget* parent, const QString& name, const QString& caption, bool checked,
                    const QString& description)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setChecked(checked);
    box->setAccessibleName(caption);
    box->setAccessibleDescription(description);
    return box;
}

} // namespace

frmGenerator::frmGenerator(QWidget* parent, const PasswordGenerator::Options& options)
    : QDialog(parent, FormLook::toolWindowFlags())
{
    setObjectName(QStringLiteral("frmGenerator"));
    setWindowTitle(QStringLiteral("Tarvenic Keywarden - Passwort erzeugen"));
    setFont(FormLook::sansFont());
    FormLook::setBackColor(this, kBackColor);

    auto* lblLength = new QLabel(QStringLiteral("&Länge:"), this);
    lblLength->setObjectName(QStringLiteral("lblLength"));
    m_spnLength = new QSpinBox(this);
    m_spnLength->setObjectName(QStringLiteral("spnLength"));
    m_spnLength->setRange(PasswordGenerator::kMinLength, PasswordGenerator::kMaxLength);
    m_spnLength->setValue(options.length);
    m_spnLength->setSuffix(QStringLiteral(" Zeichen"));
    m_spnLength->setAccessibleName(QStringLiteral("Länge"));
    m_spnLength->setAccessibleDescription(QStringLiteral("Anzahl der Zeichen des Passworts, 8 bis 64"));
    lblLength->setBuddy(m_spnLength);

    m_chkUpper = addCheck(this, QStringLiteral("chkUpper"), QStringLiteral("Großbuchstaben"), options.upper,
                          QStringLiteral("A bis Z"));
    m_chkLower = addCheck(this, QStringLiteral("chkLower"), QStringLiteral("Kleinbuchstaben"), options.lower,
                          QStringLiteral("a bis z"));
    m_chkDigits = addCheck(this, QStringLiteral("chkDigits"), QStringLiteral("Ziffern"), options.digits,
                           QStringLiteral("0 bis 9"));
    m_chkSymbols = addCheck(this, QStringLiteral("chkSymbols"), QStringLiteral("Sonderzeichen"), options.symbols,
                            QStringLiteral("Satzzeichen und Symbole wie ! # % & * ?"));
    m_chkNoLookalikes = addCheck(this, QStringLiteral("chkNoLookalikes"), QStringLiteral("Keine verwechselbaren Zeichen"),
                                 options.noLookalikes,
                                 QStringLiteral("Lässt 0, O, o, 1, l, I, | und Anführungszeichen weg"));
    m_chkNoLookalikes->setToolTip(QStringLiteral("Ohne 0 O o 1 l I | ' ` \""));

    m_txtPassword = new QLineEdit(this);
    m_txtPassword->setObjectName(QStringLiteral("txtPassword"));
    m_txtPassword->setReadOnly(true);
    // A fixed-width face tells l from 1 and O from 0 when the password is typed off the screen.
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSizeF(9);
    m_txtPassword->setFont(fixed);
    m_txtPassword->setMinimumWidth(QFontMetrics(fixed).horizontalAdvance(QString(34, QLatin1Char('W'))));
    m_txtPassword->setAccessibleName(QStringLiteral("Erzeugtes Passwort"));
    m_txtPassword->setAccessibleDescription(QStringLiteral("Das Passwort, das Übernehmen einträgt"));

    m_cmdNew = new QPushButton(QStringLiteral("&Neu"), this);
    m_cmdNew->setObjectName(QStringLiteral("cmdNew"));
    m_cmdNew->setAccessibleName(QStringLiteral("Neu"));
    m_cmdNew->setAccessibleDescription(QStringLiteral("Erzeugt ein anderes Passwort mit denselben Einstellungen"));

    m_lblError = new QLabel(this);
    m_lblError->setObjectName(QStringLiteral("lblError"));
    m_lblError->setAccessibleName(QStringLiteral("Hinweis"));
    FormLook::setForeColor(m_lblError, kNoteColor);
    m_lblError->hide();

    m_strength = new StrengthBar(this);
    // Account passwords are not a store's key; the note about the store file does not apply.
    m_strength->setWarningEnabled(false);

    m_cmdApply = new QPushButton(QStringLiteral("Übernehmen"), this);
    m_cmdApply->setObjectName(QStringLiteral("cmdApply"));
    m_cmdApply->setAccessibleName(QStringLiteral("Übernehmen"));
    m_cmdApply->setAccessibleDescription(QStringLiteral("Trägt das angezeigte Passwort ein"));
    m_cmdApply->setDefault(true);
    m_cmdCancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    m_cmdCancel->setAccessibleName(QStringLiteral("Abbrechen"));
    m_cmdCancel->setAccessibleDescription(QStringLiteral("Schließt, ohne ein Passwort einzutragen"));

    auto* optionGrid = new QGridLayout;
    optionGrid->setHorizontalSpacing(12);
    optionGrid->setVerticalSpacing(4);
    auto* lengthRow = new QHBoxLayout;
    lengthRow->addWidget(lblLength);
    lengthRow->addWidget(m_spnLength);
    lengthRow->addStretch(1);
    optionGrid->addLayout(lengthRow, 0, 0, 1, 2);
    optionGrid->addWidget(m_chkUpper, 1, 0);
    optionGrid->addWidget(m_chkLower, 1, 1);
    optionGrid->addWidget(m_chkDigits, 2, 0);
    optionGrid->addWidget(m_chkSymbols, 2, 1);
    optionGrid->addWidget(m_chkNoLookalikes, 3, 0, 1, 2);

    auto* passwordRow = new QHBoxLayout;
    passwordRow->addWidget(m_txtPassword, 1);
    passwordRow->addWidget(m_cmdNew);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdApply);
    buttons->addWidget(m_cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(6);
    layout->addLayout(optionGrid);
    layout->addSpacing(4);
    layout->addLayout(passwordRow);
    layout->addWidget(m_lblError);
    layout->addWidget(m_strength);
    layout->addSpacing(4);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_spnLength, &QSpinBox::valueChanged, this, &frmGenerator::options_Change);
    for (QCheckBox* box : {m_chkUpper, m_chkLower, m_chkDigits, m_chkSymbols, m_chkNoLookalikes})
        connect(box, &QCheckBox::toggled, this, &frmGenerator::options_Change);
    connect(m_cmdNew, &QPushButton::clicked, this, &frmGenerator::cmdNew_Click);
    connect(m_cmdApply, &QPushButton::clicked, this, &frmGenerator::cmdApply_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmGenerator::cmdCancel_Click);

    cmdNew_Click();
    m_spnLength->setFocus();
}

frmGenerator::~frmGenerator()
{
    m_txtPassword->clear();
    Wipe::text(m_password);
}

PasswordGenerator::Options frmGenerator::options() const
{
    PasswordGenerator::Options o;
    o.length = m_spnLength->value();
    o.upper = m_chkUpper->isChecked();
    o.lower = m_chkLower->isChecked();
    o.digits = m_chkDigits->isChecked();
    o.symbols = m_chkSymbols->isChecked();
    o.noLookalikes = m_chkNoLookalikes->isChecked();
    return o;
}

void frmGenerator::options_Change()
{
    // The spin box reports its value again on Enter; the password the user sees must stay the one
    // Enter then takes.
    const PasswordGenerator::Options now = options();
    const PasswordGenerator::Options& was = m_shownFor;
    if (now.length == was.length && now.upper == was.upper && now.lower == was.lower && now.digits == was.digits
        && now.symbols == was.symbols && now.noLookalikes == was.noLookalikes)
        return;
    cmdNew_Click();
}

void frmGenerator::cmdNew_Click()
{
    m_shownFor = options();
    Wipe::text(m_password);
    const StoreResult r = PasswordGenerator::generate(m_shownFor, m_password);
    // Without a group there is nothing to take: the reason is shown where the password would be.
    m_lblError->setText(r.ok() ? QString() : r.message);
    m_lblError->setVisible(!r.ok());
    m_txtPassword->setText(m_password);
    m_txtPassword->setCursorPosition(0);
    m_strength->setPassword(m_password);
    m_cmdApply->setEnabled(r.ok());
}

void frmGenerator::cmdApply_Click()
{
    if (m_password.isEmpty())
        return;
    accept();
}

void frmGenerator::cmdCancel_Click()
{
    reject();
}

void frmGenerator::reject()
{
    // Escape and the close button come here too: a dialog left without a choice hands out nothing.
    Wipe::text(m_password);
    m_txtPassword->clear();
    QDialog::reject();
}
