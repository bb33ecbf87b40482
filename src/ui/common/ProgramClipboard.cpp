#include "ui/common/ProgramClipboard.h"

#include <QClipboard>
#include <QCryptographicHash>
#include <QGuiApplication>
#include <QMimeData>

namespace {

QByteArray fingerprintOf(const QString& text)
{
    return QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256);
}

QClipboard* clipboard()
{
    return QGuiApplication::clipboard();
}

} // namespace

QMimeData* ProgramClipboard::secretMimeData(const QString& text)
{
    auto* data = new QMimeData;
    data->setText(text);
    data->setData(QString::fromLatin1(kPasswordManagerHint), QByteArrayLiteral("secret"));
#ifdef Q_OS_WIN
    // Registered clipboard formats: the first keeps clipboard monitors away; a DWORD 0 in the
    // others keeps the text out of the clipboard history and the cloud clipboard.
    const QByteArray zero(4, '\0');
    data->setData(QStringLiteral("application/x-qt-windows-mime;value=\"ExcludeClipboardContentFromMonitorProcessing\""),
                  zero);
    data->setData(QStringLiteral("application/x-qt-windows-mime;value=\"CanIncludeInClipboardHistory\""), zero);
    data->setData(QStringLiteral("application/x-qt-windows-mime;value=\"CanUploadToCloudClipboard\""), zero);
#endif
    return data;
}

void ProgramClipboard::putSecret(const QString& text)
{
    // Setting new data replaces every format the clipboard held before.
    clipboard()->setMimeData(secretMimeData(text));
    remember(text);
}

void ProgramClipboard::putText(const QString& text)
{
    clipboard()->setText(text);
}

bool ProgramClipboard::holdsOurs() const
{
    return !m_fingerprint.isEmpty() && fingerprintOf(clipboard()->text()) == m_fingerprint;
}

bool ProgramClipboard::replaceIfOurs(const QString& text)
{
    if (!holdsOurs())
        return false;
    clipboard()->setText(text);
    remember(text);
    return true;
}

bool ProgramClipboard::clearIfOurs()
{
    const bool ours = holdsOurs();
    m_fingerprint.clear();
    if (ours)
        clipboard()->setText(QString());
    return ours;
}

void ProgramClipboard::remember(const QString& text)
{
    m_fingerprint = fingerprintOf(text);
}
