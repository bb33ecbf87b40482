#include "app/DataFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace DataFolder {

bool holdsData(const QString& folder)
{
    const QDir dir(folder);
    if (QFileInfo(dir.filePath(QStringLiteral("Keywarden.ini"))).isFile())
        return true;
    // Name filters ignore case unless told otherwise: "ANNA.DAT" is a store too.
    return !dir.entryList({QStringLiteral("*.dat")}, QDir::Files | QDir::Hidden).isEmpty();
}

QString userDataFolder(const QProcessEnvironment& environment)
{
    // A relative XDG_DATA_HOME is invalid and must be ignored.
    const QString xdg = environment.value(QStringLiteral("XDG_DATA_HOME"));
    const QString base = QDir::isAbsolutePath(xdg)
                             ? xdg
                             : environment.value(QStringLiteral("HOME"), QDir::homePath()) + QStringLiteral("/.local/share");
    return QDir::cleanPath(base + QStringLiteral("/keywarden"));
}

QString resolve(const QString& programFolder, const QString& chosen, const QProcessEnvironment& environment)
{
    if (!chosen.isEmpty())
        return QDir::cleanPath(QDir::current().absoluteFilePath(chosen));
    if (!programFolder.isEmpty() && holdsData(programFolder))
        return QDir::cleanPath(programFolder);
    return userDataFolder(environment);
}

bool ensureExists(const QString& folder)
{
    const QFileInfo info(folder);
    if (info.exists())
        return info.isDir();
    if (!QDir().mkpath(folder))
        return false;
    // Only the innermost folder is ours to restrict; parents like ~/.local/share are shared.
    return QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

} // namespace DataFolder
