#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace testsupport {

QString fixturesDir()
{
    return QDir::cleanPath(QStringLiteral(KEYWARDEN_FIXTURES_DIR));
}

QString fixturePath(const QString& name)
{
    return fixturesDir() + QLatin1Char('/') + name;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}

bool isReadOnly(const QString& path)
{
    const QFileDevice::Permissions p = QFile::permissions(path);
    return QFileInfo(path).isFile() &&
           !(p & (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther));
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QStringList filesHolding(const QString& folder, const QByteArray& needle)
{
    QStringList holding;
    for (const QString& name : filesIn(folder)) {
        if (readAll(QDir(folder).filePath(name)).contains(needle))
            holding << name;
    }
    return holding;
}

} // namespace testsupport
