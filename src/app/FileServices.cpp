#include "app/FileServices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

namespace {

// A probe needs only a name that is free; this many tries covers any folder a user keeps.
constexpr int kProbeNames = 1000;

bool occupied(const QString& path)
{
    // A dangling link counts as taken too: creating through it would write elsewhere.
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

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
    // The working copy may land here in clear. Windows hands out a per-user folder; the shared
    // /tmp of other systems is no match for it, so the private runtime folder is preferred
    // unless the user named a temporary folder of their own.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!qEnvironmentVariableIsSet("TMPDIR") && !runtime.isEmpty() && QFileInfo(runtime).isDir())
        folder = runtime;
#endif
    folder = QDir::toNativeSeparators(folder);
    AddBackslash(folder);
    return folder;
}

QString DriveRoot(const QString& path)
{
#ifdef Q_OS_WIN
    QString d = path;
    if (d.size() == 1)
        d += QLatin1Char(':');
    return d.left(2) + QLatin1Char('\\');
#else
    if (path.isEmpty())
        return {};
    // The path itself need not exist: its nearest existing ancestor lies on the same file system.
    QString existing = QFileInfo(path).absoluteFilePath();
    while (!QFileInfo::exists(existing)) {
        const QString parent = QFileInfo(existing).absolutePath();
        if (parent == existing)
            return {};
        existing = parent;
    }
    const QStorageInfo storage(existing);
    if (!storage.isValid())
        return {};
    QString root = QDir::toNativeSeparators(storage.rootPath());
    AddBackslash(root);
    return root;
#endif
}

bool CanCreateFileIn(const QString& folder)
{
    QString base = folder;
    AddBackslash(base);
    for (int i = 0; i < kProbeNames; ++i) {
        const QString probe = base + (i == 0 ? QStringLiteral("test.txt") : QStringLiteral("test%1.txt").arg(i));
        if (occupied(probe))
            continue;
        QFile file(probe);
        // NewOnly fails rather than open a file that appeared meanwhile.
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (occupied(probe))
                continue;
            return false;
        }
        const QByteArray line = QFile::encodeName(probe) + '\n';
        bool ok = file.write(line) == line.size();
        ok = file.flush() && ok;
        file.close();
        file.remove();
        return ok;
    }
    return false;
}

bool IsDriveWritable(const QString& path)
{
    const QString root = DriveRoot(path);
    return !root.isEmpty() && CanCreateFileIn(root);
}
