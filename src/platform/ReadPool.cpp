#include "platform/ReadPool.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QGlobalStatic>

#include "platform/FileFaults.h"
#include "platform/FileSystem.h"

namespace tolvarine {

namespace {

constexpr int kReadsInFlight = 16;
// A piece is large enough that asking for it costs little beside its transfer,
// small enough that a photograph is several pieces in flight at once.
constexpr qint64 kPieceBytes = 1024 * 1024;

struct Pool : QThreadPool {
    Pool() { setMaxThreadCount(kReadsInFlight); }
};
Q_GLOBAL_STATIC(Pool, pool)

Outcome readFailure(Status status, int error, const QString &path)
{
    return Outcome::failed(status, QStringLiteral("%1: %2").arg(systemErrorText(error), path), error);
}

// Reads at offset until size bytes are in or the file ends; the bytes read, -1 on
// an error (errno set).
qint64 readAt(int fd, char *to, qint64 size, qint64 offset)
{
    qint64 got = 0;
    while (got < size) {
        const ssize_t n = ::pread(fd, to + got, size_t(size - got), off_t(offset + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        got += n;
    }
    return got;
}

// One file being read in pieces.
struct PieceRead {
    QString path;
    int fd = -1;
    qint64 maxBytes = 0;
    QByteArray bytes;
    std::atomic<int> remaining{0};
    std::atomic<int> error{0};
    std::atomic<bool> shorter{false}; // the file ended before its size
    FileArrived done;

    ~PieceRead()
    {
        if (fd >= 0)
            ::close(fd);
    }

    void readPiece(qint64 offset, qint64 size)
    {
        delayFileRead(path, size);
        const qint64 got = readAt(fd, bytes.data() + offset, size, offset);
        if (got < 0)
            error.store(errno);
        else if (got < size)
            shorter.store(true);
        if (remaining.fetch_sub(1) == 1)
            finish();
    }

    void finish()
    {
        if (const int e = error.load()) {
            done(readFailure(Status::Unreadable, e, path), {});
            return;
        }
        // A file that changed size while it was read is read again, as a whole.
        char more = 0;
        if (shorter.load() || readAt(fd, &more, 1, bytes.size()) != 0) {
            QByteArray again;
            const Outcome read = readWholeFile(path, again, maxBytes);
            if (!read)
                again.clear();
            done(read, std::move(again));
            return;
        }
        done(Outcome::done(path), std::move(bytes));
    }
};

void start(int priority, std::function<void()> work) { pool()->start(std::move(work), priority); }

} // namespace

QThreadPool *readPool() { return pool(); }

void setReadsInFlight(int count) { pool()->setMaxThreadCount(count > 0 ? count : kReadsInFlight); }

int readsInFlight() { return pool()->maxThreadCount(); }

void readWholeFileAhead(const QString &path, qint64 maxBytes, int priority, FileArrived done)
{
    start(priority, [path, maxBytes, priority, done = std::move(done)] {
        auto read = std::make_shared<PieceRead>();
        read->path = path;
        read->maxBytes = maxBytes;
        read->fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        struct stat st {};
        if (read->fd < 0 || ::fstat(read->fd, &st) != 0) {
            const int e = errno;
            done(readFailure(e == ENOENT ? Status::Missing : Status::Unreadable, e, path), {});
            return;
        }
        if (st.st_size > maxBytes) {
            done(Outcome::failed(Status::Refused, QStringLiteral("file too large: %1").arg(path), EFBIG), {});
            return;
        }
        read->bytes = QByteArray(qsizetype(st.st_size), Qt::Uninitialized);
        read->done = done;
        const qint64 size = st.st_size;
        const int pieces = int(std::max<qint64>(1, (size + kPieceBytes - 1) / kPieceBytes));
        read->remaining.store(pieces);
        // The first piece is read here; the others go to the pool at once.
        for (int k = 1; k < pieces; ++k) {
            const qint64 offset = k * kPieceBytes;
            start(priority,
                  [read, offset, size] { read->readPiece(offset, std::min(kPieceBytes, size - offset)); });
        }
        read->readPiece(0, std::min(kPieceBytes, size));
    });
}

} // namespace tolvarine
