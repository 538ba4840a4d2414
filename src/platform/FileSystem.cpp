#include "platform/FileSystem.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include "platform/FileFaults.h"

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

namespace {

// The fault plan of the drills; consulted only while armed, so normal runs pay one
// relaxed load per call.
struct FaultPlan {
    int nth = -1; // calls of this kind still to pass before one fails; 0 = every call
    int error = 0;
};
constexpr int kCallKinds = int(FileCall::SyncFolder) + 1;
std::atomic<bool> faultsArmed{false};
std::mutex faultMutex;
std::array<FaultPlan, kCallKinds> faultPlans;
std::array<std::atomic<int>, kCallKinds> callCounts{};

// Counts the call and says whether the drill wants it to fail (errno then set).
bool injectedFailure(FileCall call)
{
    const auto kind = size_t(call);
    callCounts[kind].fetch_add(1, std::memory_order_relaxed);
    if (!faultsArmed.load(std::memory_order_relaxed))
        return false;
    const std::lock_guard<std::mutex> lock(faultMutex);
    FaultPlan &plan = faultPlans[kind];
    if (plan.nth < 0)
        return false;
    if (plan.nth > 1) {
        --plan.nth;
        return false;
    }
    errno = plan.error;
    if (plan.nth == 1)
        plan.nth = -1;
    return true;
}

QByteArray native(const QString &path) { return QFile::encodeName(path); }

int createExclusive(const QByteArray &path)
{
    if (injectedFailure(FileCall::Create))
        return -1;
    return ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

bool writeAll(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        if (injectedFailure(FileCall::Write))
            return false;
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            errno = ENOSPC;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

bool syncFile(int fd) { return !injectedFailure(FileCall::Sync) && ::fdatasync(fd) == 0; }

// A failed close is a failed write: file servers report lost bytes there. The
// descriptor is released either way.
bool closeFile(int fd)
{
    if (injectedFailure(FileCall::Close)) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return false;
    }
    return ::close(fd) == 0 || errno == EINTR;
}

bool unlinkFile(const QByteArray &path)
{
    return !injectedFailure(FileCall::Remove) && ::unlink(path.constData()) == 0;
}

// Makes a rename or a new entry durable. File systems that cannot flush a folder
// (EINVAL and the like) have nothing to flush; a real I/O error is a failure.
bool syncFolder(const QString &folder)
{
    if (injectedFailure(FileCall::SyncFolder))
        return false;
    const int fd = ::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return true;
    const bool ok =
        ::fsync(fd) == 0 || errno == EINVAL || errno == ENOTSUP || errno == EROFS || errno == EBADF;
    const int error = errno;
    ::close(fd);
    errno = error;
    return ok;
}

bool refusedByServer(int error)
{
    return error == EINVAL || error == ENOSYS || error == ENOTSUP || error == EPERM;
}

} // namespace

void failFileCall(FileCall call, int nth, int error)
{
    const std::lock_guard<std::mutex> lock(faultMutex);
    faultPlans[size_t(call)] = {nth, error};
    faultsArmed.store(true);
}

void clearFileFaults()
{
    const std::lock_guard<std::mutex> lock(faultMutex);
    faultPlans.fill({});
    for (auto &count : callCounts)
        count.store(0);
    faultsArmed.store(false);
}

int fileCallCount(FileCall call) { return callCounts[size_t(call)].load(); }

StagedFile::~StagedFile() { discard(); }

void StagedFile::discard()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (pending_)
        ::unlink(temporary_.constData());
    pending_ = false;
}

Outcome StagedFile::create(const QString &folder)
{
    discard();
    folder_ = folder;
    for (int attempt = 0; attempt < 16; ++attempt) {
        // Hidden, so that no listing takes it for a picture; short, so that any name fits.
        const QString name = QStringLiteral(".tolvarine-%1.part")
                                 .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        temporary_ = native(QDir(folder).filePath(name));
        fd_ = createExclusive(temporary_);
        if (fd_ >= 0) {
            pending_ = true;
            return Outcome::done();
        }
        if (errno != EEXIST)
            break;
    }
    const int error = errno;
    return Outcome::failed(QFileInfo(folder).isDir() ? Status::WriteFailed : Status::FolderMissing, folder,
                           error);
}

Outcome StagedFile::write(const char *data, qint64 size)
{
    if (fd_ < 0)
        return Outcome::failed(Status::Invalid);
    if (!writeAll(fd_, data, size))
        return Outcome::failed(Status::WriteFailed, folder_, errno);
    return Outcome::done();
}

Outcome StagedFile::finish()
{
    if (fd_ < 0)
        return Outcome::failed(Status::Invalid);
    const bool synced = syncFile(fd_);
    int error = errno;
    const bool closed = closeFile(fd_);
    fd_ = -1;
    if (synced && !closed)
        error = errno;
    if (synced && closed)
        return Outcome::done();
    discard();
    return Outcome::failed(Status::WriteFailed, folder_, error);
}

Outcome StagedFile::replace(const QString &target)
{
    if (Outcome finished = finish(); !finished)
        return finished;
    if (injectedFailure(FileCall::Rename)
        || ::rename(temporary_.constData(), native(target).constData()) != 0) {
        const int error = errno;
        discard();
        return Outcome::failed(Status::WriteFailed, target, error);
    }
    pending_ = false;
    if (!syncFolder(folder_))
        return Outcome::failed(Status::WriteFailed, target, errno);
    return Outcome::done(target);
}

Outcome StagedFile::publishNew(const QString &target)
{
    if (Outcome finished = finish(); !finished)
        return finished;
    Outcome renamed = renameNoReplace(QFile::decodeName(temporary_), target);
    if (!renamed) {
        discard();
        return renamed;
    }
    pending_ = false;
    if (!syncFolder(folder_))
        return Outcome::failed(Status::WriteFailed, target, errno);
    return Outcome::done(target);
}

Outcome writeFileAtomically(const QString &path, const QByteArray &data)
{
    if (QFileInfo::exists(path) && isReadOnlyFile(path))
        return Outcome::failed(Status::ReadOnly, path, EACCES);

    StagedFile file;
    if (Outcome created = file.create(QFileInfo(path).absolutePath()); !created)
        return created;
    // A replaced file keeps its permissions, as an editor would keep them.
    struct stat st {};
    if (::stat(native(path).constData(), &st) == 0)
        ::fchmod(file.descriptor(), st.st_mode & 07777);
    if (Outcome written = file.write(data.constData(), data.size()); !written)
        return written;
    return file.replace(path);
}

Outcome renameNoReplace(const QString &from, const QString &to)
{
    const QByteArray source = native(from), target = native(to);
    auto taken = [&] { return Outcome::failed(Status::NameTaken, to, EEXIST); };
    auto failed = [&](int error) {
        return error == EEXIST ? taken() : Outcome::failed(Status::WriteFailed, to, error);
    };

    if (!injectedFailure(FileCall::RenameNoReplace)
        && ::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return Outcome::done(to);
    if (!refusedByServer(errno))
        return failed(errno);

    // A hard link fails on an existing name as well.
    if (!injectedFailure(FileCall::Link) && ::link(source.constData(), target.constData()) == 0) {
        unlinkFile(source);
        return Outcome::done(to);
    }
    if (!refusedByServer(errno) && errno != EXDEV && errno != EMLINK)
        return failed(errno);

    // Servers without either: take the name with an empty file first, which fails
    // when any file has it, then rename over that reservation only.
    const int reserved = createExclusive(target);
    if (reserved < 0)
        return failed(errno);
    ::close(reserved);
    if (injectedFailure(FileCall::Rename) || ::rename(source.constData(), target.constData()) != 0) {
        const int error = errno;
        ::unlink(target.constData());
        return failed(error);
    }
    return Outcome::done(to);
}

Outcome removeFile(const QString &path)
{
    if (unlinkFile(native(path)))
        return Outcome::done(path);
    const int error = errno;
    return Outcome::failed(error == ENOENT ? Status::Missing : Status::WriteFailed, path, error);
}

bool setModifiedTime(int fd, qint64 seconds, long nanoseconds)
{
    if (injectedFailure(FileCall::SetTime))
        return false;
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_NOW;
    times[1].tv_sec = static_cast<time_t>(seconds);
    times[1].tv_nsec = nanoseconds;
    return ::futimens(fd, times) == 0;
}

Outcome setLastWriteTime(const QString &path, qint64 seconds)
{
    // A read-only file is never re-dated, whatever privileges the program runs with.
    if (isReadOnlyFile(path))
        return Outcome::failed(Status::ReadOnly, path, EACCES);
    // Not waiting for a pipe's reader, and never re-dating a device under a picture's name.
    int fd = injectedFailure(FileCall::Open)
                 ? -1
                 : ::open(native(path).constData(), O_WRONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        fd = -1;
        errno = EINVAL;
    }
    if (fd < 0)
        return Outcome::failed(Status::ReadOnly, path, errno);
    const bool set = setModifiedTime(fd, seconds);
    int error = errno;
    const bool closed = closeFile(fd);
    if (set && !closed)
        error = errno;
    return set && closed ? Outcome::done(path) : Outcome::failed(Status::WriteFailed, path, error);
}

Outcome openRegularFile(const QString &path, QFile &file)
{
    const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        const int code = errno;
        return Outcome::failed(code == ENOENT || code == ENOTDIR ? Status::Missing : Status::Unreadable,
                               QStringLiteral("%1: %2").arg(systemErrorText(code), path), code);
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const bool folder = S_ISDIR(st.st_mode);
        ::close(fd);
        const int code = folder ? EISDIR : EINVAL;
        return Outcome::failed(folder ? Status::IsFolder : Status::Unreadable,
                               QStringLiteral("%1: %2").arg(systemErrorText(code), path), code);
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return Outcome::failed(Status::Unreadable, QStringLiteral("%1: %2").arg(file.errorString(), path));
    }
    return Outcome::done(path);
}

bool isRegularFile(const QString &path)
{
    struct stat st {};
    return ::stat(native(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

Outcome readWholeFile(const QString &path, QByteArray &out, qint64 maxBytes)
{
    QFile file;
    if (Outcome opened = openRegularFile(path, file); !opened)
        return opened;
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
