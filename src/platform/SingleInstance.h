#pragma once

#include <memory>

#include <QString>

class QLockFile;

namespace tolvarine {

// Keeps a second copy of the program from running: a per-user lock file named after
// the application title. The lock lives as long as this object. A lock left behind
// by a copy that crashed is taken over.
class SingleInstance {
public:
    enum class Result {
        Acquired,      // this is the only copy
        HeldByAnother, // another running copy holds the lock
        Unavailable,   // the lock file cannot be made; nothing can be told
    };

    // lockFolder empty: the user's runtime folder, or the temporary folder.
    explicit SingleInstance(const QString &applicationTitle, const QString &lockFolder = QString());
    ~SingleInstance();
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    Result tryAcquire();
    bool isHeld() const;
    void release();
    QString lockFilePath() const { return path_; }

    static QString defaultLockFolder();

private:
    QString path_;
    std::unique_ptr<QLockFile> lock_;
};

} // namespace tolvarine
