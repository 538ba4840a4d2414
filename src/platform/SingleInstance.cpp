#include "platform/SingleInstance.h"

#include <unistd.h>

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

namespace tolvarine {

QString SingleInstance::defaultLockFolder()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty())
        return runtime;
    // The temporary folder is shared by all users: the name below carries the user.
    return QDir::tempPath();
}

SingleInstance::SingleInstance(const QString &applicationTitle, const QString &lockFolder)
{
    const bool ownFolder = !lockFolder.isEmpty();
    const QString folder = ownFolder ? lockFolder : defaultLockFolder();
    QString name = applicationTitle;
    if (!ownFolder && folder == QDir::tempPath())
        name += u'-' + QString::number(::getuid());
    path_ = QDir(folder).filePath(name + QStringLiteral(".lock"));
    lock_ = std::make_unique<QLockFile>(path_);
    // A running copy keeps its lock however long it runs; only a lock whose owner is
    // gone counts as stale.
    lock_->setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

SingleInstance::Result SingleInstance::tryAcquire()
{
    if (lock_->isLocked())
        return Result::Acquired;
    if (lock_->tryLock(0))
        return Result::Acquired;
    return lock_->error() == QLockFile::LockFailedError ? Result::HeldByAnother : Result::Unavailable;
}

bool SingleInstance::isHeld() const { return lock_->isLocked(); }

void SingleInstance::release()
{
    if (lock_->isLocked())
        lock_->unlock();
}

} // namespace tolvarine
