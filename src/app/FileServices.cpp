#include "app/FileServices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

bool FileExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    // Only regular files: opening a pipe or device for reading could block or have effects.
    if (!QFileInfo(path).isFile())
        return false;
    QFile file(path);
    return file.open(QIODevice::ReadOnly);
}

QString StripExtension(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || dot == name.size() - 1)
        return name;
    return name.left(dot);
}

void AddBackslash(QString& path)
{
    const QChar separator = QDir::separator();
    if (!path.endsWith(separator))
        path += separator;
}

QString GetTempFolder()
{
    QString folder = QDir::tempPath();
#ifndef Q_OS_WIN
    // Windows hands out a per-user folder; the shared /tmp of other systems is no match for it, so
    // the private runtime folder is preferred unless the user named a temporary folder of their own.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!qEnvironmentVariableIsSet("TMPDIR") && !runtime.isEmpty() && QFileInfo(runtime).isDir())
        folder = runtime;
#endif
    folder = QDir::toNativeSeparators(folder);
    AddBackslash(folder);
    return folder;
}

bool RemoveOwnFile(const QString& path)
{
    if (path.isEmpty())
        return true;
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    // lstat: a link in a shared folder may point anywhere; it is not ours to follow or to remove.
    if (::lstat(name.constData(), &st) != 0)
        return errno == ENOENT;
    if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
        return false;
    return ::unlink(name.constData()) == 0 || errno == ENOENT;
}
