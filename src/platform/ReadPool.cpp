#include "platform/ReadPool.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

#include <QGlobalStatic>

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

// One file being read in pieces.
struct PieceRead {
    QString path;
    int fd = -1;
    qint64 maxBytes = 0;
    QByteArray bytes;
    char *data = nullptr; // of bytes, which the pieces fill at once
    std::atomic<int> remaining{0};
    std::atomic<bool> failed{false};
    std::atomic<bool> shorter{false}; // the file ended before its size
    Outcome failure;                  // the first failed piece's, once failed
    std::mutex failureMutex;
    FileArrived done;

    ~PieceRead()
    {
        if (fd >= 0)
            ::close(fd);
    }

    void readPiece(qint64 offset, qint64 size)
    {
        Outcome pieceFailure;
        const qint64 got = readAt(fd, data + offset, size, offset, path, pieceFailure);
        if (got < 0) {
            const std::lock_guard<std::mutex> lock(failureMutex);
            if (!failed.exchange(true))
                failure = pieceFailure;
        } else if (got < size) {
            shorter.store(true);
        }
        if (remaining.fetch_sub(1) == 1)
            finish();
    }

    void finish()
    {
        if (failed.load()) {
            done(failure, {});
            return;
        }
        // A file that changed size while it was read is read again, as a whole.
        char more = 0;
        Outcome ignored;
        if (shorter.load() || readAt(fd, &more, 1, bytes.size(), path, ignored) != 0) {
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

void joinWorkers()
{
    QThreadPool *work = QThreadPool::globalInstance();
    do {
        pool()->waitForDone();
        work->waitForDone();
    } while (pool()->activeThreadCount() > 0 || work->activeThreadCount() > 0);
}

void readWholeFileAhead(const QString &path, qint64 maxBytes, int priority, FileArrived done)
{
    start(priority, [path, maxBytes, priority, done = std::move(done)] {
        auto read = std::make_shared<PieceRead>();
        read->path = path;
        read->maxBytes = maxBytes;
        Outcome failure;
        read->fd = openForReading(path, failure);
        if (read->fd < 0) {
            done(failure, {});
            return;
        }
        struct stat st {};
        if (::fstat(read->fd, &st) != 0) {
            done(Outcome::failed(Status::Unreadable, path, errno), {});
            return;
        }
        if (st.st_size > maxBytes) {
            done(Outcome::failed(Status::Refused, QStringLiteral("file too large: %1").arg(path), EFBIG), {});
            return;
        }
        read->bytes = QByteArray(qsizetype(st.st_size), Qt::Uninitialized);
        read->data = read->bytes.data();
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
