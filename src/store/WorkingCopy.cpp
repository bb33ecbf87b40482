#include "store/WorkingCopy.h"

#include <QFile>

WorkingCopy::WorkingCopy(QString path)
    : m_path(std::move(path))
{
}

WorkingCopy::~WorkingCopy()
{
    remove();
}

bool WorkingCopy::write(const QByteArray& plain)
{
    if (m_path.isEmpty())
        return true;
    removeFile(m_path);
    QFile file(m_path);
    // NewOnly with the mode given at creation: no other user can open it between creation and the
    // first byte, and a file planted under that name (or a link) is never written through.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return false;
    const bool ok = file.write(plain) == plain.size() && file.flush();
    file.close();
    if (!ok)
        removeFile(m_path);
    return ok;
}

void WorkingCopy::remove()
{
    if (!m_path.isEmpty())
        removeFile(m_path);
}

void WorkingCopy::removeFile(const QString& path)
{
    if (path.isEmpty() || !QFile::exists(path))
        return;
    // Removing needs the folder's permission only; a read-only copy left by another build goes too.
    if (!QFile::remove(path)) {
        QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner);
        QFile::remove(path);
    }
}
