#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

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

namespace testsupport {

namespace {

// The two capabilities that let a process pass by read, write and search permissions.
constexpr unsigned kOverrides = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);

bool capabilities(__user_cap_data_struct (&data)[2], bool set)
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return ::syscall(set ? SYS_capset : SYS_capget, &header, data) == 0;
}

} // namespace

PermissionsApply::PermissionsApply()
{
    __user_cap_data_struct data[2] = {};
    if (!capabilities(data, false)) {
        m_active = ::geteuid() != 0;
        return;
    }
    if (!(data[0].effective & kOverrides)) {
        m_active = true;
        return;
    }
    m_savedEffective[0] = data[0].effective;
    m_savedEffective[1] = data[1].effective;
    data[0].effective &= ~kOverrides;
    m_active = capabilities(data, true);
    m_restore = m_active;
}

PermissionsApply::~PermissionsApply()
{
    if (!m_restore)
        return;
    __user_cap_data_struct data[2] = {};
    if (!capabilities(data, false))
        return;
    data[0].effective = m_savedEffective[0];
    data[1].effective = m_savedEffective[1];
    capabilities(data, true);
}

} // namespace testsupport
