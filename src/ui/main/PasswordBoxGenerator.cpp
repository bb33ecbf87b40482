#include "ui/main/PasswordBoxGenerator.h"

#include "ui/main/frmGenerator.h"

#include "core/Wipe.h"

#include <QAction>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QShortcut>

const QString PasswordBoxGenerator::kMenuText = QStringLiteral("Passwort erzeugen");

namespace {

const QKeySequence kGenerateKeys(Qt::CTRL | Qt::Key_G);

} // namespace

PasswordBoxGenerator::PasswordBoxGenerator(QLineEdit* box) : QObject(box), m_box(box)
{
    setObjectName(QStringLiteral("passwordGenerator"));
    m_box->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_box, &QWidget::customContextMenuRequested, this, &PasswordBoxGenerator::showContextMenu);
    m_shortcut = new QShortcut(kGenerateKeys, m_box);
    m_shortcut->setContext(Qt::WidgetShortcut);
    m_shortcut->setObjectName(QStringLiteral("scGenerate"));
    connect(m_shortcut, &QShortcut::activated, this, &PasswordBoxGenerator::mnuGenerate_Click);
}

PasswordBoxGenerator::~PasswordBoxGenerator()
{
    delete m_dialog.data();
}

void PasswordBoxGenerator::showContextMenu(const QPoint& pos)
{
    // The box's own menu (undo, paste, select all ...) stays as it is; the generator comes last.
    QMenu* menu = m_box->createStandardContextMenu();
    menu->setObjectName(QStringLiteral("mnuPasswordBox"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addSeparator();
    QAction* generate = menu->addAction(kMenuText);
    generate->setObjectName(QStringLiteral("mnuGenerate"));
    generate->setShortcut(kGenerateKeys);
    generate->setShortcutVisibleInContextMenu(true);
    generate->setEnabled(!m_box->isReadOnly() && m_box->isEnabled());
    connect(generate, &QAction::triggered, this, &PasswordBoxGenerator::mnuGenerate_Click);
    menu->popup(m_box->mapToGlobal(pos));
}

void PasswordBoxGenerator::mnuGenerate_Click()
{
    if (m_dialog || m_box->isReadOnly() || !m_box->isEnabled())
        return;
    // On the heap and watched: the window behind may be unloaded (a lock) while it is open.
    m_dialog = new frmGenerator(m_box->window());
    const bool accepted = m_dialog->exec() == QDialog::Accepted;
    if (!m_dialog)
        return;
    QString password = accepted ? m_dialog->password() : QString();
    delete m_dialog.data();
    // A lock meanwhile has locked the box again: the password is not put into it then.
    if (!password.isEmpty() && !m_box->isReadOnly()) {
        m_box->setText(password);
        m_box->setFocus();
    }
    Wipe::text(password);
}

void PasswordBoxGenerator::closeGenerator()
{
    if (m_dialog)
        m_dialog->reject();
}
