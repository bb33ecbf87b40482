#include "app/AtomicWrite.h"

#include <QFile>
#include <QSaveFile>

namespace {

AtomicWrite::FaultHook& faultHook()
{
    static AtomicWrite::FaultHook hook;
    return hook;
}

bool injectedFault(AtomicWrite::Stage stage, const QString& path)
{
    return faultHook() && faultHook()(stage, path);
}

} // namespace

namespace AtomicWrite {

void setFaultHook(FaultHook hook)
{
    faultHook() = std::move(hook);
}

Status writeFile(const QString& path, const QByteArray& bytes, QFileDevice::Permissions permissions)
{
    QSaveFile file(path);
    // QSaveFile refuses to replace a target without write permission; the rename itself does not
    // need it, so lift the check and keep the target's protection to the folder's rules.
    file.setDirectWriteFallback(false);
    if (injectedFault(Stage::Open, path))
        return Status::OpenFailed;
    const bool targetWasReadOnly = QFile::exists(path) && !(QFile::permissions(path) & QFileDevice::WriteOwner);
    if (targetWasReadOnly)
        QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner);
    auto restore = [&] {
        if (targetWasReadOnly)
            QFile::setPermissions(path, QFile::permissions(path) & ~(QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther));
    };
    if (!file.open(QIODevice::WriteOnly)) {
        restore();
        return Status::OpenFailed;
    }
    // The temporary file is ours alone from the first byte on.
    file.setPermissions(permissions);
    if (injectedFault(Stage::Write, path) || file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        file.commit();
        restore();
        return Status::WriteFailed;
    }
    if (injectedFault(Stage::Commit, path)) {
        file.cancelWriting();
        file.commit();
        restore();
        return Status::CommitFailed;
    }
    if (!file.commit()) {
        restore();
        return Status::CommitFailed;
    }
    return Status::Ok;
}

} // namespace AtomicWrite
