#include "Harness.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include <QCryptographicHash>
#include <QFile>
#include <QImageReader>

#include <gtest/gtest.h>

namespace tolvarine::test {

namespace {

#ifdef TOLVARINE_SANITIZED
// The sanitizers slow every step several times over; a hang is still a hang.
constexpr qint64 kSlowdown = 8;
// AddressSanitizer keeps freed memory aside (its quarantine, 256 MB by default) and pads
// every block, so resident memory there says little about the program's own.
constexpr qint64 kSanitizerBytes = 256LL * 1024 * 1024;
#else
constexpr qint64 kSlowdown = 1;
constexpr qint64 kSanitizerBytes = 0;
#endif
constexpr qint64 kCaseMilliseconds = 2000;
// A case may wait (on a pipe, a lock) without spending processor time; on a machine
// shared with other builds the clock runs several times past the work done.
constexpr qint64 kWaitMilliseconds = 30000;
constexpr qint64 kExtraBytes = 100LL * 1024 * 1024;
constexpr auto kHangGrace = std::chrono::seconds(60);

// The case running now, for the crash and hang reports: plain bytes that a
// signal handler may write.
char currentCase[512];

void writeCurrentCase(const char *why)
{
    const char *parts[] = {"\n*** robustness case ", currentCase, ": ", why, "\n"};
    for (const char *part : parts)
        [[maybe_unused]] const ssize_t n = ::write(2, part, std::strlen(part));
}

struct sigaction previousActions[32];

void onCrash(int signal)
{
    writeCurrentCase(strsignal(signal));
    // The previous handler (the default one, or a sanitizer's) gets the signal next.
    ::sigaction(signal, &previousActions[signal], nullptr);
    ::raise(signal);
}

void installCrashReport()
{
    static std::once_flag once;
    std::call_once(once, [] {
        for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) {
            struct sigaction action {};
            action.sa_handler = onCrash;
            sigemptyset(&action.sa_mask);
            ::sigaction(signal, &action, &previousActions[signal]);
        }
    });
}

// Ends the process when one case runs far past its limit: a hang would otherwise
// only be seen as the whole test timing out, with no word of which case it was.
class Watchdog {
public:
    Watchdog()
        : thread_([this] {
              std::unique_lock<std::mutex> lock(mutex_);
              if (!wake_.wait_for(lock, kHangGrace * kSlowdown, [this] { return done_; })) {
                  writeCurrentCase("hangs");
                  std::abort();
              }
          })
    {}
    ~Watchdog()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    std::thread thread_;
};

qint64 statusKilobytes(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qsizetype(std::strlen(field))).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// Processor time of every thread of the process: the panel fill decodes on workers.
qint64 processCpuMilliseconds()
{
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

bool resetPeakMemory()
{
    const int fd = ::open("/proc/self/clear_refs", O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, "5", 1) == 1;
    ::close(fd);
    return ok;
}

QByteArray nativeKind(const struct stat &st)
{
    if (S_ISFIFO(st.st_mode))
        return "fifo";
    if (S_ISDIR(st.st_mode))
        return "folder";
    return "special";
}

void walk(const QByteArray &root, const QByteArray &relative, Tree &tree)
{
    DIR *dir = ::opendir((root + relative).constData());
    if (!dir)
        return;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        const QByteArray path = relative + '/' + name;
        struct stat st {};
        if (::lstat((root + path).constData(), &st) != 0)
            continue;
        if (S_ISLNK(st.st_mode)) {
            char target[4096];
            const ssize_t n = ::readlink((root + path).constData(), target, sizeof target);
            tree[path] = "link " + QByteArray(target, n > 0 ? int(n) : 0);
        } else if (S_ISREG(st.st_mode)) {
            const int fd = ::open((root + path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
            QFile file;
            tree[path] = fd >= 0 && file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)
                             ? sha256(file.readAll())
                             : QByteArray("unreadable");
        } else {
            tree[path] = nativeKind(st);
            if (S_ISDIR(st.st_mode))
                walk(root, path, tree);
        }
    }
    ::closedir(dir);
}

} // namespace

CaseLimits caseLimits()
{
    return {kCaseMilliseconds * kSlowdown,
            qint64(QImageReader::allocationLimit()) * 1024 * 1024 + kExtraBytes + kSanitizerBytes};
}

void measured(const std::string &caseName, const std::function<void()> &operation)
{
    installCrashReport();
    std::snprintf(currentCase, sizeof currentCase, "%s", caseName.c_str());
    const CaseLimits limits = caseLimits();
    const bool peakReset = resetPeakMemory();
    const qint64 before = statusKilobytes("VmRSS:");
    const auto start = std::chrono::steady_clock::now();
    const qint64 startCpu = processCpuMilliseconds();
    {
        Watchdog watchdog;
        operation();
    }
    const qint64 cpu = processCpuMilliseconds() - startCpu;
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
            .count();
    const qint64 peak = statusKilobytes("VmHWM:");
    EXPECT_LE(cpu, limits.milliseconds) << caseName << " worked " << cpu << " ms";
    EXPECT_LE(elapsed, kWaitMilliseconds * kSlowdown) << caseName << " took " << elapsed << " ms";
    if (peakReset && before > 0 && peak > 0) {
        EXPECT_LE((peak - before) * 1024, limits.bytes)
            << caseName << " added " << (peak - before) / 1024 << " MB of resident memory";
    }
    currentCase[0] = '\0';
}

void removeTree(const QString &folder)
{
    const QByteArray root = QFile::encodeName(folder);
    std::function<void(const QByteArray &)> remove = [&](const QByteArray &path) {
        struct stat st {};
        if (::lstat(path.constData(), &st) != 0)
            return;
        if (S_ISDIR(st.st_mode)) {
            if (DIR *dir = ::opendir(path.constData())) {
                std::vector<QByteArray> names;
                while (const dirent *entry = ::readdir(dir))
                    if (qstrcmp(entry->d_name, ".") != 0 && qstrcmp(entry->d_name, "..") != 0)
                        names.push_back(path + '/' + entry->d_name);
                ::closedir(dir);
                for (const QByteArray &name : names)
                    remove(name);
            }
            ::rmdir(path.constData());
        } else {
            ::unlink(path.constData());
        }
    };
    remove(root);
}

QByteArray sha256(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

Tree treeOf(const QString &folder)
{
    Tree tree;
    walk(QFile::encodeName(folder), QByteArray(), tree);
    return tree;
}

TreeChanges changesBetween(const Tree &before, const Tree &after)
{
    TreeChanges changes;
    for (const auto &[path, hash] : after) {
        const auto was = before.find(path);
        if (was == before.end())
            changes.added[path] = hash;
        else if (was->second != hash)
            changes.changed[path] = hash;
    }
    for (const auto &[path, hash] : before)
        if (!after.count(path))
            changes.removed[path] = hash;
    return changes;
}

std::string describe(const TreeChanges &changes)
{
    std::string text;
    const auto list = [&text](const char *what, const std::map<QByteArray, QByteArray> &entries) {
        for (const auto &entry : entries)
            text += std::string(what) + " " + entry.first.toStdString() + "; ";
    };
    list("added", changes.added);
    list("removed", changes.removed);
    list("changed", changes.changed);
    return text.empty() ? "nothing" : text;
}

} // namespace tolvarine::test
