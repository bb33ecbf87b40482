// Runs one write cycle of the store on a prepared folder, the way the windows run it, and tells
// by its exit status how the cycle reported its end: 0 success, 3 failure, 4 stored but not
// confirmed on the disk; 2 when the preparing steps (before any fault may strike) went wrong.
//
//   fault_driver CYCLE FOLDER
//
// The preparing steps (unlock, the delete before a lock) run unarmed; the fault library, when
// preloaded, counts only from keywarden_fault_arm() on.
#include "core/IniDocument.h"
#include "store/AccountEntry.h"
#include "store/StoreResult.h"
#include "store/StoreSession.h"
#include "store/TextModeStore.h"

#include <QByteArray>
#include <QDir>
#include <QString>

#include <cstdio>
#include <dlfcn.h>
#include <functional>
#include <map>

namespace {

const QString kUser = QStringLiteral("anna");
const QString kKey = QStringLiteral("geheim1");
const QString kNewKey = QStringLiteral("neues-geheim");

void arm()
{
    using ArmFn = void (*)();
    if (auto fn = reinterpret_cast<ArmFn>(dlsym(RTLD_DEFAULT, "keywarden_fault_arm")))
        fn();
}

int ended(const StoreResult& r)
{
    if (r.ok())
        return 0;
    std::fprintf(stderr, "fault_driver: error %d: %s\n", static_cast<int>(r.error), r.message.toUtf8().constData());
    return r.error == StoreError::NotConfirmed ? 4 : 3;
}

int unarmedStepFailed(const char* what, const StoreResult& r)
{
    std::fprintf(stderr, "fault_driver: %s failed before arming: %s\n", what, r.message.toUtf8().constData());
    return 2;
}

AccountEntry entry(const char* user, const char* pass)
{
    return AccountEntry{QString::fromUtf8(user), QString::fromUtf8(pass), QStringLiteral("www.neu.de"),
                        QStringLiteral("eine\r\nZeile")};
}

// A session of anna, unlocked without faults.
int unlocked(StoreSession& session, const QString& folder)
{
    session.begin(folder, kUser, kKey);
    const StoreResult r = session.unlock();
    return r ? 0 : unarmedStepFailed("unlock", r);
}

using Cycle = std::function<int(const QString& folder)>;

const std::map<std::string, Cycle>& cycles()
{
    static const std::map<std::string, Cycle> table{
        {"save",
         [](const QString& folder) {
             StoreSession s;
             if (int e = unlocked(s, folder))
                 return e;
             arm();
             return ended(s.saveEntry(QStringLiteral("Post"), QStringLiteral("Post"), entry("kunde8", "neu")));
         }},
        {"rename",
         [](const QString& folder) {
             StoreSession s;
             if (int e = unlocked(s, folder))
                 return e;
             arm();
             return ended(s.saveEntry(QStringLiteral("Bär"), QStringLiteral("Zahnarzt"), entry("anna", "zz")));
         }},
        {"delete",
         [](const QString& folder) {
             StoreSession s;
             if (int e = unlocked(s, folder))
                 return e;
             arm();
             return ended(s.deleteEntry(QStringLiteral("Post")));
         }},
        {"new-entry",
         [](const QString& folder) {
             StoreSession s;
             if (int e = unlocked(s, folder))
                 return e;
             arm();
             return ended(s.addEntry(QStringLiteral("Neu"), entry("neu", "pw")));
         }},
        {"lock",
         [](const QString& folder) {
             // The delete (the same as the delete cycle's) leaves the list section to the lock,
             // which rewrites it.
             StoreSession s;
             if (int e = unlocked(s, folder))
                 return e;
             if (const StoreResult r = s.deleteEntry(QStringLiteral("Post")); !r)
                 return unarmedStepFailed("delete", r);
             arm();
             return ended(s.LockStore());
         }},
        {"master-password",
         [](const QString& folder) {
             StoreSession s;
             s.begin(folder, kUser, kKey);
             arm();
             return ended(s.changeMasterPassword(kKey, kNewKey));
         }},
        {"text-mode",
         [](const QString& folder) {
             TextModeStore text;
             if (const StoreResult r = text.LoadPwdDat(QDir(folder).filePath(QStringLiteral("anna.dat")), kKey); !r)
                 return unarmedStepFailed("load", r);
             arm();
             return ended(text.writeBack(text.text() + QStringLiteral("[Neu]\r\nUser=neu\r\n")));
         }},
        {"new-user",
         [](const QString& folder) {
             StoreSession s;
             s.begin(folder, QStringLiteral("neu"), kKey);
             arm();
             return ended(s.createPlaceholder());
         }},
        {"settings",
         [](const QString& folder) {
             const QString file = QDir(folder).filePath(QStringLiteral("Keywarden.ini"));
             std::optional<IniDocument> doc = IniDocument::load(file);
             if (!doc)
                 return 2;
             doc->setValue(QStringLiteral("Tarvenic Keywarden"), QStringLiteral("DefaultUser"), QStringLiteral("neu"));
             arm();
             return doc->save(file) ? 0 : 3;
         }},
    };
    return table;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3 || !cycles().count(argv[1])) {
        std::fprintf(stderr, "usage: fault_driver CYCLE FOLDER\n");
        return 2;
    }
    return cycles().at(argv[1])(QString::fromLocal8Bit(argv[2]));
}
