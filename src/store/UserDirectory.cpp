#include "store/UserDirectory.h"

#include "store/AccountList.h"
#include "store/StoreTexts.h"

#include "app/AppContext.h"
#include "core/Cp1252.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

const QString kExtension = QStringLiteral(".dat");
constexpr int kMaxFileNameBytes = 255;

const QString kNameHasSeparator =
    QStringLiteral("Der Benutzername darf keinen Schrägstrich (/ oder \\) enthalten.   ");
const QString kNameReserved =
    QStringLiteral("Der Benutzername „pstmp“ ist für die Arbeitskopie des Programms reserviert; bitte "
                   "einen anderen Namen wählen.   ");
// The working copy's file name: a user of that name would have the working copy as store.
const QString kReservedName = QStringLiteral("pstmp");
const QString kNameNotAFileName =
    QStringLiteral("Dieser Benutzername kann nicht als Dateiname verwendet werden (Steuerzeichen, nur "
                   "Punkte, zu lang oder Zeichen außerhalb von Windows-1252).   ");

bool isControl(QChar c)
{
    const char16_t u = c.unicode();
    return u < 0x20 || (u >= 0x7F && u <= 0x9F);
}

bool isReserved(const QString& user)
{
    return user.compare(kReservedName, Qt::CaseInsensitive) == 0;
}

// The file of `user` in `folder` if one exists, matched exactly first and then without regard to case.
QString existingUserFile(const QString& folder, const QString& user)
{
    const QDir dir(folder);
    const QString wanted = user + kExtension;
    const QFileInfo exact(dir.filePath(wanted));
    if (exact.isFile())
        return exact.filePath();
    const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QFileInfo& entry : entries) {
        if (entry.fileName().compare(wanted, Qt::CaseInsensitive) == 0)
            return entry.filePath();
    }
    return {};
}

} // namespace

namespace UserDirectory {

QStringList listUsers(const QString& folder)
{
    QStringList users;
    const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QFileInfo& entry : entries) {
        const QString name = entry.fileName();
        if (name.size() <= kExtension.size() || !name.endsWith(kExtension, Qt::CaseInsensitive))
            continue;
        if (name.compare(AppContext::kLeftoverPlaintextName, Qt::CaseInsensitive) == 0)
            continue;
        const QString user = name.chopped(kExtension.size());
        if (isReserved(user))
            continue;
        users.append(user);
    }
    std::sort(users.begin(), users.end(), [](const QString& a, const QString& b) {
        return AccountList::compare(a, b) < 0;
    });
    return users;
}

QString userFilePath(const QString& folder, const QString& user)
{
    const QString existing = existingUserFile(folder, user);
    return existing.isEmpty() ? QDir(folder).filePath(user + kExtension) : existing;
}

QString backupFilePath(const QString& folder, const QString& user)
{
    const QFileInfo file(userFilePath(folder, user));
    return file.dir().filePath(file.fileName().chopped(kExtension.size()) + QStringLiteral(".bak"));
}

StoreResult checkUserName(const QString& user)
{
    if (user.isEmpty())
        return StoreResult::validation(StoreTexts::kUserNameMissing, StoreField::LoginUser);
    if (user.contains(u'/') || user.contains(u'\\'))
        return StoreResult::validation(kNameHasSeparator, StoreField::LoginUser);
    const bool onlyDots = std::all_of(user.cbegin(), user.cend(), [](QChar c) { return c == u'.'; });
    const bool control = std::any_of(user.cbegin(), user.cend(), isControl);
    const bool tooLong = (user + kExtension).toUtf8().size() > kMaxFileNameBytes;
    if (onlyDots || control || tooLong || !Cp1252::isRepresentable(user))
        return StoreResult::validation(kNameNotAFileName, StoreField::LoginUser);
    if (isReserved(user))
        return StoreResult::validation(kNameReserved, StoreField::LoginUser);
    return StoreResult::success();
}

} // namespace UserDirectory
