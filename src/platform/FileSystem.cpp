#include "platform/FileSystem.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace tolvarine {

QString systemErrorText(int error)
{
    char buffer[256] = {};
    // The GNU strerror_r gives a message for every number.
    return QString::fromLocal8Bit(strerror_r(error, buffer, sizeof buffer));
}

bool isReadOnlyFile(const QString &path)
{
    struct stat st {};
    const QByteArray native = QFile::encodeName(path);
    if (::stat(native.constData(), &st) != 0)
        return false;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return true;
    return ::access(native.constData(), W_OK) != 0;
}

Outcome writeFileAtomically(const QString &path, const QByteArray &data)
{
    if (QFileInfo::exists(path) && isReadOnlyFile(path))
        return Outcome::failed(Status::ReadOnly, path, EACCES);

    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    // Unbuffered, and the size checked: commit() does not notice a short write (full
    // disk, file size limit) and would rename a cut-off file over the target.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Outcome::failed(Status::WriteFailed, file.errorString(), errno);
    if (file.write(data) != data.size() || !file.flush() || file.size() != data.size()) {
        const QString error = file.error() == QFileDevice::NoError
                                  ? QStringLiteral("short write: %1").arg(path)
                                  : file.errorString();
        const int code = errno;
        file.cancelWriting();
        return Outcome::failed(Status::WriteFailed, error, code);
    }
    if (!file.commit())
        return Outcome::failed(Status::WriteFailed, file.errorString(), errno);
    return Outcome::done(path);
}

bool setModifiedTime(int fd, qint64 seconds, long nanoseconds)
{
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_NOW;
    times[1].tv_sec = static_cast<time_t>(seconds);
    times[1].tv_nsec = nanoseconds;
    return ::futimens(fd, times) == 0;
}

Outcome readWholeFile(const QString &path, QByteArray &out, qint64 maxBytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        const int code = errno;
        const Status status = QFileInfo::exists(path) ? Status::Unreadable : Status::Missing;
        return Outcome::failed(status, file.errorString(), code);
    }
    if (file.size() > maxBytes)
        return Outcome::failed(Status::Refused, QStringLiteral("file too large: %1").arg(path), EFBIG);
    out = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Outcome::failed(Status::Unreadable, file.errorString(), errno);
    return Outcome::done(path);
}

bool sameStoreName(const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

bool storeNameLess(const QString &a, const QString &b)
{
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a.compare(b, Qt::CaseSensitive) < 0;
}

QString resolveCaseInsensitive(const QString &path)
{
    const QFileInfo info(path);
    if (info.exists())
        return path;
    const QDir dir = info.dir();
    const QString wanted = info.fileName();
    if (wanted.isEmpty() || !dir.exists())
        return {};
    const QStringList entries =
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        if (sameStoreName(entry, wanted))
            return dir.filePath(entry);
    }
    return {};
}

} // namespace tolvarine
