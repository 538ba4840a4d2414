#include "platform/FileSystem.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

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
    bool kill = false; // the process ends there instead
};
std::atomic<bool> faultsArmed{false};
std::mutex faultMutex;
std::array<FaultPlan, kFileCallKinds> faultPlans;
std::array<std::atomic<int>, kFileCallKinds> callCounts{};

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
    if (plan.kill)
        std::raise(SIGKILL);
    errno = plan.error;
    if (plan.nth == 1)
        plan.nth = -1;
    return true;
}

QByteArray native(const QString &path) { return QFile::encodeName(path); }

// The slow server of the tests; consulted only while set.
std::atomic<bool> readsDelayed{false};
std::mutex readDelayMutex;
ReadDelay readDelay;

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
    faultPlans[size_t(call)] = {nth, error, false};
    faultsArmed.store(true);
}

void killAtFileCall(FileCall call, int nth)
{
    const std::lock_guard<std::mutex> lock(faultMutex);
    faultPlans[size_t(call)] = {nth, 0, true};
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

void delayFileRead(const QString &path, qint64 bytes)
{
    if (!readsDelayed.load(std::memory_order_relaxed))
        return;
    ReadDelay delay;
    {
        const std::lock_guard<std::mutex> lock(readDelayMutex);
        delay = readDelay;
    }
    if (delay)
        delay(path, bytes);
}

void delayFileReads(ReadDelay delay)
{
    const std::lock_guard<std::mutex> lock(readDelayMutex);
    readsDelayed.store(bool(delay));
    readDelay = std::move(delay);
}

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

Outcome StagedFile::replaceExisting(const QString &target, const FileIdentity &original)
{
    if (Outcome finished = finish(); !finished)
        return finished;
    const QByteArray to = native(target);
    auto failed = [&](Status status, int error) {
        discard();
        return Outcome::failed(status, target, error);
    };
    // Another workstation may have renamed the file meanwhile, and even put another
    // picture under its name: only the very file that was read is replaced.
    const auto gone = [&] { return failed(Status::Missing, ENOENT); };
    // Swapped with the file in one step, so a name that has gone stays gone. The old
    // file then lies under the temporary name, which discard() removes; another
    // file found there is swapped back.
    if (!injectedFailure(FileCall::RenameExchange)
        && ::renameat2(AT_FDCWD, temporary_.constData(), AT_FDCWD, to.constData(), RENAME_EXCHANGE) == 0) {
        if (fileIdentity(QFile::decodeName(temporary_)) != original) {
            if (::renameat2(AT_FDCWD, temporary_.constData(), AT_FDCWD, to.constData(), RENAME_EXCHANGE)
                != 0) {
                // Never delete another's picture: it stays under the temporary name.
                pending_ = false;
                return Outcome::failed(Status::WriteFailed, QFile::decodeName(temporary_), errno);
            }
            return gone();
        }
        discard();
        if (!syncFolder(folder_))
            return Outcome::failed(Status::WriteFailed, target, errno);
        return Outcome::done(target);
    }
    if (errno == ENOENT)
        return gone();
    if (!refusedByServer(errno))
        return failed(Status::WriteFailed, errno);
    // Servers without the swap: the name is looked at just before it is replaced,
    // which leaves a moment in which another workstation's rename goes unseen.
    if (fileIdentity(target) != original)
        return gone();
    if (injectedFailure(FileCall::Rename) || ::rename(temporary_.constData(), to.constData()) != 0)
        return failed(Status::WriteFailed, errno);
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

namespace {

Outcome writeStaged(const QString &path, const QByteArray &data, const std::optional<FileIdentity> &original)
{
    const bool existingOnly = original.has_value();
    const bool exists = QFileInfo::exists(path);
    if (existingOnly && !exists)
        return Outcome::failed(Status::Missing, path, ENOENT);
    if (exists && isReadOnlyFile(path))
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
    return existingOnly ? file.replaceExisting(path, *original) : file.replace(path);
}

} // namespace

Outcome writeFileAtomically(const QString &path, const QByteArray &data)
{
    return writeStaged(path, data, std::nullopt);
}

Outcome rewriteFileAtomically(const QString &path, const QByteArray &data, const FileIdentity &original)
{
    return writeStaged(path, data, original);
}

std::optional<FileIdentity> fileIdentity(const QString &path)
{
    struct stat st {};
    if (::lstat(native(path).constData(), &st) != 0)
        return std::nullopt;
    return FileIdentity{quint64(st.st_dev), quint64(st.st_ino)};
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

    // A hard link fails on an existing name as well. Until the old name is gone the
    // file has two; when it cannot go, the new one is taken back, so that no picture
    // is left listed twice under a rename reported as done.
    if (!injectedFailure(FileCall::Link) && ::link(source.constData(), target.constData()) == 0) {
        if (unlinkFile(source))
            return Outcome::done(to);
        const int error = errno;
        ::unlink(target.constData());
        return failed(error);
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

Outcome makeFolder(const QString &path)
{
    if (QFileInfo(path).isDir())
        return Outcome::unchanged(path);
    if (!injectedFailure(FileCall::MakeFolder) && ::mkdir(native(path).constData(), 0777) == 0)
        return Outcome::done(path);
    const int error = errno;
    // Made meanwhile by someone else: as good.
    if (error == EEXIST && QFileInfo(path).isDir())
        return Outcome::unchanged(path);
    return Outcome::failed(error == ENOENT ? Status::FolderMissing : Status::WriteFailed, path, error);
}

Outcome moveToTrash(const QString &path)
{
    QString inTrash;
    if (injectedFailure(FileCall::Trash) || !QFile::moveToTrash(path, &inTrash))
        return Outcome::failed(Status::WriteFailed, path, errno);
    return Outcome::done(inTrash);
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
    Outcome failure;
    const int fd = openForReading(path, failure);
    if (fd < 0)
        return failure;
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
    delayFileRead(path, file.size());
    out = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Outcome::failed(Status::Unreadable, file.errorString(), errno);
    return Outcome::done(path);
}

namespace {

Outcome readFailure(Status status, int error, const QString &path)
{
    return Outcome::failed(status, QStringLiteral("%1: %2").arg(systemErrorText(error), path), error);
}

} // namespace

int openForReading(const QString &path, Outcome &failure)
{
    // Without waiting: a pipe or a device under a picture's name must not hang a reader.
    const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        const int code = errno;
        failure =
            readFailure(code == ENOENT || code == ENOTDIR ? Status::Missing : Status::Unreadable, code, path);
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const bool folder = S_ISDIR(st.st_mode);
        ::close(fd);
        const int code = folder ? EISDIR : EINVAL;
        failure = readFailure(folder ? Status::IsFolder : Status::Unreadable, code, path);
        return -1;
    }
    return fd;
}

qint64 readAt(int fd, char *to, qint64 size, qint64 offset, const QString &path, Outcome &failure)
{
    delayFileRead(path, size);
    qint64 got = 0;
    while (got < size) {
        const ssize_t n = ::pread(fd, to + got, size_t(size - got), off_t(offset + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            failure = readFailure(Status::Unreadable, errno, path);
            return -1;
        }
        if (n == 0)
            break;
        got += n;
    }
    return got;
}

PrefixReader::~PrefixReader()
{
    if (fd_ >= 0)
        ::close(fd_);
}

Outcome PrefixReader::open(const QString &path)
{
    path_ = path;
    Outcome failure;
    fd_ = openForReading(path, failure);
    if (fd_ < 0)
        return failure;
    // The kernel would otherwise fetch far more than a header from a server.
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_RANDOM);
    return Outcome::done(path);
}

Outcome PrefixReader::readMore(QByteArray &out, qint64 size)
{
    if (fd_ < 0)
        return Outcome::failed(Status::Invalid, path_);
    const qsizetype start = out.size();
    out.resize(start + qsizetype(size));
    Outcome failure;
    const qint64 got = readAt(fd_, out.data() + start, size, offset_, path_, failure);
    out.truncate(start + qsizetype(std::max<qint64>(got, 0)));
    if (got < 0)
        return failure;
    offset_ += got;
    return Outcome::done(path_);
}

bool sameStoreName(const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

bool storeNameLess(const QString &a, const QString &b)
{
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a.compare(b, Qt::CaseSensitive) < 0;
}

QStringList folderEntries(const QString &folder, EntryKind kind, bool withHidden)
{
    QStringList names;
    const QByteArray native = QFile::encodeName(folder);
    DIR *dir = native.isEmpty() ? nullptr : ::opendir(native.constData());
    if (!dir)
        return names;
    const auto isKind = [&](const dirent &entry) {
        if (kind == EntryKind::All)
            return true;
        unsigned char type = entry.d_type;
        if (type == DT_LNK || type == DT_UNKNOWN) {
            struct stat st {};
            if (::fstatat(::dirfd(dir), entry.d_name, &st, 0) != 0)
                return false;
            type = S_ISREG(st.st_mode) ? DT_REG : S_ISDIR(st.st_mode) ? DT_DIR : DT_UNKNOWN;
        }
        return type == (kind == EntryKind::Files ? DT_REG : DT_DIR);
    };
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray raw(entry->d_name);
        if (raw == "." || raw == ".." || (!withHidden && raw.startsWith('.')))
            continue;
        const QString name = QFile::decodeName(raw);
        if (QFile::encodeName(name) == raw && isKind(*entry))
            names << name;
    }
    ::closedir(dir);
    return names;
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
    for (const QString &entry : folderEntries(dir.path(), EntryKind::All, true)) {
        if (sameStoreName(entry, wanted))
            return dir.filePath(entry);
    }
    return {};
}

} // namespace tolvarine
