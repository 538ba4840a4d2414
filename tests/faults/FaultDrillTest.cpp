// Drills of every writing operation of the store: each call of the file layer made
// to fail, the process killed at each call, a file server that refuses the
// kernel's no-replace rename and hard links, and two workstations at once.
#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <sys/mount.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <map>
#include <optional>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>

#include <gtest/gtest.h>

#include "faults/StoreDrill.h"
#include "platform/FileFaults.h"
#include "store/StoreFiles.h"
#include "support/StoreTestData.h"
#include "support/TestSupport.h"

namespace tolvarine {

namespace {

using test::refusedBy;
using test::refuseLike;
using test::Server;
using test::StoreOperation;
using test::StoreState;

constexpr std::array kErrors{ENOSPC, EIO, EACCES, EXDEV};

QString errorName(int error)
{
    switch (error) {
    case ENOSPC:
        return "ENOSPC";
    case EIO:
        return "EIO";
    case EACCES:
        return "EACCES";
    case EXDEV:
        return "EXDEV";
    case EINVAL:
        return "EINVAL";
    default:
        return QString::number(error);
    }
}

QString serverName(Server server)
{
    switch (server) {
    case Server::None:
        return "on_a_local_disk";
    case Server::NoRenameFlags:
        return "on_a_server_without_rename_flags";
    case Server::NoRenameFlagsNoLinks:
        break;
    }
    return "on_a_server_without_rename_flags_or_links";
}

// Deleted pictures go to a trash in the store's own home.
class HomeIn {
public:
    explicit HomeIn(const QString &home) : saved_(qgetenv("HOME")) { qputenv("HOME", home.toLocal8Bit()); }
    ~HomeIn() { qputenv("HOME", saved_); }

private:
    QByteArray saved_;
};

struct Tally {
    int cases = 0, faults = 0, kills = 0, shareRuns = 0;
} tally;

class TallyReport : public ::testing::Environment {
    void TearDown() override
    {
        std::printf(
            "[ drills ] %d operation cases, %d faults injected, %d processes killed, %d runs on a share\n",
            tally.cases, tally.faults, tally.kills, tally.shareRuns);
    }
};
[[maybe_unused]] ::testing::Environment *const tallyReport =
    ::testing::AddGlobalTestEnvironment(new TallyReport);

// An operation run clean on a fresh drill store: the store before and after, and
// how many calls of each kind it made.
struct CleanRun {
    StoreState before, after;
    std::array<int, kFileCallKinds> calls{};
};

CleanRun cleanRun(const StoreOperation &op, Server server)
{
    test::Sandbox box;
    test::makeDrillStore(box.path());
    const HomeIn home(box.path() + "/home");
    CleanRun run;
    run.before = test::storeState(box.path());
    clearFileFaults();
    refuseLike(server);
    const Outcome outcome = op.run(box.path());
    for (int kind = 0; kind < kFileCallKinds; ++kind)
        run.calls[size_t(kind)] = fileCallCount(FileCall(kind));
    clearFileFaults();
    EXPECT_TRUE(outcome) << op.name << ": " << outcome.detail.toStdString();
    run.after = test::storeState(box.path());
    return run;
}

std::string drillName(const StoreOperation *op) { return op->name; }

std::vector<const StoreOperation *> allOperations()
{
    std::vector<const StoreOperation *> ops;
    for (const StoreOperation &op : test::storeOperations())
        ops.push_back(&op);
    return ops;
}

auto operationsOnServers()
{
    return ::testing::Combine(
        ::testing::ValuesIn(allOperations()),
        ::testing::Values(Server::None, Server::NoRenameFlags, Server::NoRenameFlagsNoLinks));
}

const auto serverCaseName = test::namedBy([](const std::tuple<const StoreOperation *, Server> &p) {
    return QString(std::get<0>(p)->name) + "_" + serverName(std::get<1>(p));
});

// Runs this binary in a role (see FaultsMain.cpp) and returns its wait status.
int runRole(const QStringList &arguments, const QString &home)
{
    QList<QByteArray> args{QCoreApplication::applicationFilePath().toLocal8Bit(), "--role"};
    for (const QString &a : arguments)
        args << a.toLocal8Bit();
    QList<QByteArray> environment{"HOME=" + home.toLocal8Bit()};
    for (const QString &entry : QProcess::systemEnvironment()) {
        if (!entry.startsWith("HOME="))
            environment << entry.toLocal8Bit();
    }
    auto pointers = [](QList<QByteArray> &list) {
        std::vector<char *> out;
        for (QByteArray &s : list)
            out.push_back(s.data());
        out.push_back(nullptr);
        return out;
    };
    std::vector<char *> argv = pointers(args), envp = pointers(environment);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0)
        return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

// A mount of the tests' own file server over a backing folder, or why there is none.
class ShareMount {
public:
    ShareMount(const QString &backing, const QString &mountPoint) : mountPoint_(mountPoint)
    {
#ifdef TOLVARINE_REFUSING_FS
        QDir().mkpath(mountPoint);
        QProcess mount;
        mount.setProcessChannelMode(QProcess::MergedChannels);
        mount.start(QStringLiteral(TOLVARINE_REFUSING_FS), {backing, mountPoint});
        if (!mount.waitForFinished(30000) || mount.exitStatus() != QProcess::NormalExit
            || mount.exitCode() != 0)
            reason_ = "the FUSE mount failed: " + QString::fromLocal8Bit(mount.readAll()).trimmed();
        else
            mounted_ = true;
#else
        Q_UNUSED(backing);
        reason_ = QStringLiteral("built without libfuse3 (libfuse3-dev)");
#endif
    }
    ~ShareMount()
    {
        if (mounted_ && QProcess::execute(QStringLiteral("fusermount3"), {"-u", "-z", mountPoint_}) != 0)
            ::umount2(QFile::encodeName(mountPoint_).constData(), MNT_DETACH);
    }
    explicit operator bool() const { return mounted_; }
    std::string reason() const { return reason_.toStdString(); }

private:
    QString mountPoint_;
    QString reason_;
    bool mounted_ = false;
};

// What the share answers to a no-replace rename, a swap and a hard link.
std::string refusal(const QString &root)
{
    const QByteArray from = QFile::encodeName(root + "/program/nopic.jpg");
    const QByteArray to = QFile::encodeName(root + "/program/probe.jpg");
    const QByteArray other = QFile::encodeName(root + "/drop/y.jpg");
    std::string answers;
    for (const auto &[target, flags] :
         {std::pair(to, unsigned(RENAME_NOREPLACE)), std::pair(other, unsigned(RENAME_EXCHANGE))}) {
        const int rc = ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, target.constData(), flags);
        answers += rc == 0 ? "done " : errorName(errno).toStdString() + " ";
    }
    const int rc = ::link(from.constData(), to.constData());
    answers += rc == 0 ? "done" : (errno == EPERM ? "EPERM" : std::to_string(errno));
    ::unlink(to.constData());
    return answers;
}

} // namespace

// Every call of every writing operation made to fail with each error, on a local
// disk and on a server that refuses no-replace renames and links: every picture
// stays byte for byte or is as a clean run leaves it, a new file is absent or
// complete, no temporary file stays, and the operation reports the failure.
class InjectedFault : public ::testing::TestWithParam<std::tuple<const StoreOperation *, Server>> {};

TEST_P(InjectedFault, LeavesTheStoreWholeAndIsReported)
{
    const auto [op, server] = GetParam();
    const CleanRun clean = cleanRun(*op, server);
    for (int kind = 0; kind < kFileCallKinds; ++kind) {
        const FileCall call = FileCall(kind);
        if (refusedBy(server, call))
            continue;
        for (int nth = 1; nth <= clean.calls[size_t(kind)]; ++nth) {
            for (const int error : kErrors) {
                test::Sandbox box;
                test::makeDrillStore(box.path());
                const HomeIn home(box.path() + "/home");
                const StoreState before = test::storeState(box.path());
                clearFileFaults();
                refuseLike(server);
                failFileCall(call, nth, error);
                const Outcome outcome = op->run(box.path());
                const bool fired = fileCallCount(call) >= nth;
                clearFileFaults();
                // A link refused across devices takes the way of servers without links.
                const bool fallback = std::count(op->fallbacks.begin(), op->fallbacks.end(), call) > 0
                                      || (call == FileCall::Link && error == EXDEV);
                const QStringList wrong =
                    test::violations(*op, box.path(), before, clean.after, test::storeState(box.path()),
                                     {false, outcome.ok(), true, fired, fallback});
                EXPECT_TRUE(wrong.isEmpty())
                    << test::fileCallName(call) << " #" << nth << " " << errorName(error).toStdString()
                    << ": " << wrong.join("; ").toStdString();
                ++tally.faults;
            }
        }
    }
    ++tally.cases;
}

INSTANTIATE_TEST_SUITE_P(Drills, InjectedFault, operationsOnServers(), serverCaseName);

// The process killed at each call of each operation: what it leaves is the store as
// before or as a clean run leaves it, file by file; only a hidden temporary file
// may stay, which no listing shows.
class KilledProcess : public ::testing::TestWithParam<std::tuple<const StoreOperation *, Server>> {};

TEST_P(KilledProcess, LeavesEveryFileWholeOrAbsent)
{
    const auto [op, server] = GetParam();
    const CleanRun clean = cleanRun(*op, server);
    for (int kind = 0; kind < kFileCallKinds; ++kind) {
        if (refusedBy(server, FileCall(kind)))
            continue;
        for (int nth = 1; nth <= clean.calls[size_t(kind)]; ++nth) {
            test::Sandbox box;
            test::makeDrillStore(box.path());
            const StoreState before = test::storeState(box.path());
            const int status = runRole({"kill", op->name, QString::number(kind), QString::number(nth),
                                        box.path(), QString::number(int(server))},
                                       box.path() + "/home");
            const std::string step =
                std::string(test::fileCallName(FileCall(kind))) + " #" + std::to_string(nth);
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << step << ": status " << status;
            const QStringList wrong =
                test::violations(*op, box.path(), before, clean.after, test::storeState(box.path()),
                                 {true, false, true, true, false, server});
            EXPECT_TRUE(wrong.isEmpty()) << step << ": " << wrong.join("; ").toStdString();
            ++tally.kills;
        }
    }
    ++tally.cases;
}

INSTANTIATE_TEST_SUITE_P(Drills, KilledProcess, operationsOnServers(), serverCaseName);

// Every operation on a share mounted through a file system that refuses
// RENAME_NOREPLACE and the swap with EINVAL, hard links with EPERM, and gives times
// to 2 seconds: it does all that a local run does, and leaves no temporary file.
class ShareOperation : public ::testing::TestWithParam<const StoreOperation *> {};

TEST_P(ShareOperation, DoesWhatItDoesOnALocalDisk)
{
    const StoreOperation *op = GetParam();
    const CleanRun clean = cleanRun(*op, Server::None);
    test::Sandbox box;
    test::makeDrillStore(box.file("backing"));
    const QString root = box.file("share");
    const ShareMount share(box.file("backing"), root);
    if (!share)
        GTEST_SKIP() << share.reason();
    ASSERT_EQ(refusal(root), "EINVAL EINVAL EPERM");
    const HomeIn home(root + "/home");
    const StoreState before = test::storeState(root);
    clearFileFaults();
    const Outcome outcome = op->run(root);
    EXPECT_TRUE(outcome) << outcome.detail.toStdString() << " errno " << outcome.error;
    const QStringList wrong = test::violations(*op, root, before, clean.after, test::storeState(root),
                                               {false, outcome.ok(), false});
    EXPECT_TRUE(wrong.isEmpty()) << wrong.join("; ").toStdString();
    ++tally.shareRuns;
}

INSTANTIATE_TEST_SUITE_P(Drills, ShareOperation, ::testing::ValuesIn(allOperations()),
                         test::namedBy(drillName));

namespace {

QByteArray contentOf(int i)
{
    QByteArray bytes = QByteArray("dropped file ") + QByteArray::number(i) + '\n';
    quint32 x = 2654435761u * quint32(i + 1);
    for (int n = 0; n < 2000 + (i % 7) * 1500; ++n) {
        x = x * 1664525u + 1013904223u;
        bytes += char(x >> 24);
    }
    return bytes;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size()) << path.toStdString();
}

// The files directly in a folder, hidden ones too: name and bytes.
std::map<QString, QByteArray> filesIn(const QString &folder)
{
    std::map<QString, QByteArray> files;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System))
        files[name] = test::bytesOf(folder + "/" + name);
    return files;
}

QStringList temporaries(const std::map<QString, QByteArray> &files)
{
    QStringList found;
    for (const auto &[name, bytes] : files) {
        if (name.startsWith(".tolvarine-"))
            found << "temporary file left: " + name;
    }
    return found;
}

constexpr int kDropped = 200, kAlreadyThere = 5, kVisitPictures = 7;

// Patient 00123 already holds five pictures whose names five dropped files have too.
void prepareImport(const QString &root)
{
    for (int i = 0; i < kDropped; ++i)
        writeFile(root + QString("/drop/s%1.jpg").arg(i, 3, 10, QChar('0')), contentOf(i));
    for (int i = 0; i < kAlreadyThere; ++i)
        writeFile(test::drillPatient(root) + QString("/s%1.jpg").arg(i * 40, 3, 10, QChar('0')),
                  contentOf(-1 - i));
}

// Every dropped file is there once, whole; the five that were there are untouched.
QStringList importWrong(const QString &root)
{
    const std::map<QString, QByteArray> files = filesIn(test::drillPatient(root));
    QStringList wrong = temporaries(files);
    std::map<QByteArray, int> held;
    for (const auto &[name, bytes] : files)
        ++held[bytes];
    for (int i = 0; i < kAlreadyThere; ++i) {
        const QString name = QString("s%1.jpg").arg(i * 40, 3, 10, QChar('0'));
        if (!files.count(name) || files.at(name) != contentOf(-1 - i))
            wrong << "replaced: " + name;
        held[contentOf(-1 - i)]--;
    }
    for (int i = 0; i < kDropped; ++i) {
        if (held[contentOf(i)] != 1)
            wrong << QString("dropped file %1 held %2 times").arg(i).arg(held[contentOf(i)]);
        held[contentOf(i)] = 0;
    }
    for (const auto &[bytes, count] : held) {
        if (count != 0)
            wrong << QString("a file of %1 bytes that was never dropped").arg(bytes.size());
    }
    return wrong;
}

QByteArray visitPicture(int i)
{
    return test::encodeJpegWithExif(test::makeQuadrantImage(40 + 4 * i, 30), "2009:05:12 09:00:00");
}

void prepareVisit(const QString &root)
{
    for (int i = 0; i < kVisitPictures; ++i)
        writeFile(test::drillPatient(root) + QString("/p%1.jpg").arg(i + 1), visitPicture(i));
}

// Seven pictures, each picture's compressed data once: re-dated or not, none lost,
// none brought back under an old name, none cut short.
QStringList visitWrong(const QString &root)
{
    const std::map<QString, QByteArray> files = filesIn(test::drillPatient(root));
    QStringList wrong = temporaries(files);
    QList<QByteArray> scans, expected;
    for (const auto &[name, bytes] : files) {
        if (!name.startsWith("."))
            scans << test::jpegScanData(bytes);
    }
    for (int i = 0; i < kVisitPictures; ++i)
        expected << test::jpegScanData(visitPicture(i));
    std::sort(scans.begin(), scans.end());
    std::sort(expected.begin(), expected.end());
    if (scans != expected) {
        QStringList names;
        for (const auto &[name, bytes] : files)
            names << name;
        wrong << QString("%1 pictures where 7 were: %2").arg(scans.size()).arg(names.join(" "));
    }
    return wrong;
}

struct Workstations {
    const char *name;
    void (*prepare)(const QString &root);
    QStringList (*first)(const QString &root);
    QStringList (*second)(const QString &root);
    QStringList (*wrong)(const QString &root);
    bool onShare;
};

QStringList importRole(const QString &root) { return {"import", root, "123", root + "/drop"}; }
QStringList renameRole(const QString &root) { return {"rename", root}; }
QStringList redateRole(const QString &root) { return {"redate", root, "15"}; }

} // namespace

// Two workstations on one store at once, each a process of its own, started
// together: the same 200 files imported into one patient by both, and a visit
// renamed on one while the other lists it and changes its dates.
class TwoWorkstations : public ::testing::TestWithParam<Workstations> {};

TEST_P(TwoWorkstations, LoseNothingAndReplaceNothing)
{
    const Workstations &w = GetParam();
    test::Sandbox box;
    w.prepare(box.file("backing"));
    if (HasFatalFailure())
        return;
    QString root = box.file("backing");
    std::optional<ShareMount> share;
    if (w.onShare) {
        root = box.file("share");
        share.emplace(box.file("backing"), root);
        if (!*share)
            GTEST_SKIP() << share->reason();
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", box.file("home"));
    QProcess first, second;
    for (auto [process, role] : {std::pair(&first, w.first(root)), std::pair(&second, w.second(root))}) {
        process->setProcessEnvironment(environment);
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(QCoreApplication::applicationFilePath(), QStringList{"--role"} + role);
    }
    for (QProcess *process : {&first, &second}) {
        while (!process->canReadLine())
            ASSERT_TRUE(process->waitForReadyRead(60000)) << "a workstation never became ready";
        ASSERT_EQ(process->readLine().trimmed(), "ready");
    }
    for (QProcess *process : {&first, &second}) {
        process->write("go\n");
        process->waitForBytesWritten(10000);
    }
    for (QProcess *process : {&first, &second}) {
        ASSERT_TRUE(process->waitForFinished(120000));
        const QByteArray said = process->readAll().trimmed();
        EXPECT_EQ(process->exitStatus(), QProcess::NormalExit) << said.toStdString();
        EXPECT_EQ(process->exitCode(), 0) << said.toStdString();
        std::printf("[ drills ] %s: %s\n", w.name, said.constData());
    }
    const QStringList wrong = w.wrong(root);
    EXPECT_TRUE(wrong.isEmpty()) << wrong.join("; ").toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Drills, TwoWorkstations,
    ::testing::Values(
        Workstations{"import_same_files", prepareImport, importRole, importRole, importWrong, false},
        Workstations{"rename_while_redating", prepareVisit, renameRole, redateRole, visitWrong, false},
        // Not the renaming on a share: without the swap a re-date there looks at the
        // name just before it replaces it, and a rename in that moment brings the
        // picture back under its old name (seen here under the sanitizers).
        Workstations{"import_same_files_on_a_share", prepareImport, importRole, importRole, importWrong,
                     true}),
    test::namedBy([](const Workstations &w) { return w.name; }));

} // namespace tolvarine
