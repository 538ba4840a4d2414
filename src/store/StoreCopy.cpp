#include "store/StoreCopy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include <QFile>
#include <QFileInfo>

#include "platform/FileSystem.h"
#include "store/StorePaths.h"

namespace tolvarine {

namespace {

constexpr size_t kChunk = 1 << 20;

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { close(); }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    void reset(int fd)
    {
        close();
        fd_ = fd;
    }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    bool close()
    {
        if (fd_ < 0)
            return true;
        const bool ok = ::close(fd_) == 0;
        fd_ = -1;
        return ok;
    }

private:
    int fd_;
};

QByteArray native(const QString &path) { return QFile::encodeName(path); }

// Reads up to size bytes at offset; returns the count, or -1 on error.
ssize_t readAt(int fd, char *buffer, size_t size, off_t offset)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, buffer + done, size - done, offset + off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += size_t(n);
    }
    return ssize_t(done);
}

// Opens without blocking on a pipe or device, and only keeps regular files.
int openRegularForReading(const QString &path, struct stat &st)
{
    const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return -1;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

// An existing file that cannot be read counts as different: the copy then goes
// under a new name, which loses nothing.
bool sameContent(int source, off_t size, const QString &existing)
{
    struct stat st {};
    Descriptor other(openRegularForReading(existing, st));
    if (!other.valid() || st.st_size != size)
        return false;
    std::vector<char> a(kChunk), b(kChunk);
    for (off_t offset = 0; offset < size;) {
        const ssize_t na = readAt(source, a.data(), kChunk, offset);
        const ssize_t nb = readAt(other.get(), b.data(), kChunk, offset);
        if (na <= 0 || na != nb || std::memcmp(a.data(), b.data(), size_t(na)) != 0)
            return false;
        offset += na;
    }
    return true;
}

// On a file server without the no-replace rename another workstation holds a name
// with an empty file for the moment before its copy is renamed over it: an empty
// file met with a copy in hand is given that moment, so that the same picture
// dropped on two workstations at once is not filed twice.
void awaitReservedName(const QString &existing, off_t copySize)
{
    for (int wait = 0; copySize > 0 && wait < 50; ++wait) {
        struct stat st {};
        if (::stat(native(existing).constData(), &st) != 0 || st.st_size != 0)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

enum class Publish { Done, NameTaken, ReadFailed, WriteFailed };

Publish publishCopy(int source, const struct stat &sourceStat, const QString &folder, const QString &name,
                    int &error)
{
    StagedFile out;
    auto failed = [&](Publish how, const Outcome &outcome) {
        error = outcome.error;
        return how;
    };
    if (Outcome created = out.create(folder); !created)
        return failed(Publish::WriteFailed, created);

    std::vector<char> buffer(kChunk);
    off_t copied = 0;
    for (;;) {
        const ssize_t n = readAt(source, buffer.data(), kChunk, copied);
        if (n < 0) {
            error = errno;
            return Publish::ReadFailed;
        }
        if (n == 0)
            break;
        if (Outcome written = out.write(buffer.data(), n); !written)
            return failed(Publish::WriteFailed, written);
        copied += n;
    }
    // A source cut short or grown while it was read is not the picture that was dropped.
    if (copied != sourceStat.st_size) {
        error = EIO;
        return Publish::ReadFailed;
    }
    if (!setModifiedTime(out.descriptor(), sourceStat.st_mtim.tv_sec, sourceStat.st_mtim.tv_nsec)) {
        error = errno;
        return Publish::WriteFailed;
    }
    const Outcome published = out.publishNew(joinPath(folder, name));
    if (published)
        return Publish::Done;
    return failed(published.status == Status::NameTaken ? Publish::NameTaken : Publish::WriteFailed,
                  published);
}

} // namespace

QString numberedName(const QString &fileName, int number)
{
    const int dot = int(fileName.lastIndexOf(QLatin1Char('.')));
    const QString suffix = QStringLiteral("_%1").arg(number);
    if (dot <= 0)
        return fileName + suffix;
    return fileName.left(dot) + suffix + fileName.mid(dot);
}

Outcome copyIntoFolder(const QString &source, const QString &folder, const QString &fileName)
{
    struct stat st {};
    if (::stat(native(source).constData(), &st) != 0) {
        const int e = errno;
        return Outcome::failed(e == ENOENT || e == ENOTDIR ? Status::Missing : Status::Unreadable, {}, e);
    }
    if (S_ISDIR(st.st_mode))
        return Outcome::failed(Status::IsFolder, {}, EISDIR);
    Descriptor in(openRegularForReading(source, st));
    if (!in.valid()) {
        const int e = errno;
        return Outcome::failed(e == ENOENT ? Status::Missing : Status::Unreadable, {}, e);
    }
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return Outcome::failed(Status::FolderMissing, {}, ENOENT);

    int racesLeft = 3;
    for (int number = 1; number <= kMaxNumberedName; ++number) {
        const QString name = number == 1 ? fileName : numberedName(fileName, number);
        const QString existing = resolveCaseInsensitive(joinPath(folder, name));
        if (!existing.isEmpty()) {
            awaitReservedName(existing, st.st_size);
            if (sameContent(in.get(), st.st_size, existing))
                return Outcome::unchanged(existing);
            continue;
        }
        int error = 0;
        switch (publishCopy(in.get(), st, folder, name, error)) {
        case Publish::Done:
            return Outcome::done(joinPath(folder, name));
        case Publish::NameTaken:
            // Someone else took the name meanwhile: compare with what is there now.
            if (racesLeft-- > 0)
                --number;
            continue;
        case Publish::ReadFailed:
            return Outcome::failed(Status::Unreadable, {}, error);
        case Publish::WriteFailed:
            return Outcome::failed(Status::WriteFailed, {}, error);
        }
    }
    return Outcome::failed(Status::NoFreeName, {}, EEXIST);
}

} // namespace tolvarine
