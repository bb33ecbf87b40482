#include "ui/MessageBoxBackend.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

QMessageBox::Icon iconFor(qint16 kind)
{
    switch (kind) {
    case kMessageInformation:
        return QMessageBox::Information;
    case kMessageExclamation:
        return QMessageBox::Warning;
    default:
        return QMessageBox::NoIcon;
    }
}

} // namespace

void MessageBoxBackend::showMessage(const QString& title, const QString& prompt, qint16 kind)
{
    QMessageBox box(iconFor(kind), title, prompt, QMessageBox::Ok, QApplication::activeWindow());
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.exec();
}

bool MessageBoxBackend::askYesNo(const QString& title, const QString& prompt, bool questionIcon)
{
    QMessageBox box(questionIcon ? QMessageBox::Question : QMessageBox::NoIcon, title, prompt,
                    QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Ja"));
    box.button(QMessageBox::No)->setText(QStringLiteral("Nein"));
    // Yes is the default button as in any Yes/No box of the platform; closing the box means No.
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}
