#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/FileFaults.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"

using namespace tolvarine;

TEST(FileSystem, AtomicWriteReplacesAndRefusesReadOnly)
{
    test::Sandbox box;
    const QString path = box.write("a.txt", "old");
    ASSERT_TRUE(writeFileAtomically(path, "new contents").ok());
    QByteArray read;
    ASSERT_TRUE(readWholeFile(path, read, 1024));
    EXPECT_EQ(read, "new contents");

    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup);
    EXPECT_TRUE(isReadOnlyFile(path));
    const auto outcome = writeFileAtomically(path, "overwritten");
    EXPECT_FALSE(outcome.ok());
    EXPECT_EQ(outcome.status, Status::ReadOnly);
    ASSERT_TRUE(readWholeFile(path, read, 1024));
    EXPECT_EQ(read, "new contents");
}

TEST(FileSystem, AtomicWriteIntoUnwritableFolderFailsAndKeepsOriginal)
{
    test::Sandbox box;
    const QString dir = box.mkdir("locked");
    const QString path = box.write("locked/p.jpg", "original");
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner);
    const bool rootCanWrite = QFileInfo(dir).isWritable();
    const auto outcome = writeFileAtomically(path, "replacement");
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (rootCanWrite)
        GTEST_SKIP() << "running with privileges that ignore folder permissions";
    EXPECT_FALSE(outcome.ok());
    QByteArray read;
    ASSERT_TRUE(readWholeFile(path, read, 1024));
    EXPECT_EQ(read, "original");
}

TEST(FileSystem, ReadWholeFileRefusesOversizedFiles)
{
    test::Sandbox box;
    const QString path = box.write("big.bin", QByteArray(2048, 'x'));
    QByteArray read;
    const Outcome tooLarge = readWholeFile(path, read, 1024);
    EXPECT_FALSE(tooLarge);
    EXPECT_EQ(tooLarge.status, Status::Refused);
    EXPECT_EQ(readWholeFile(box.file("missing"), read, 1024).status, Status::Missing);
}

TEST(FileSystem, CaseInsensitiveResolutionPrefersExactName)
{
    test::Sandbox box;
    box.mkdir("001/00123/FACE");
    box.write("001/00123/X.JPG", "x");
    EXPECT_EQ(resolveCaseInsensitive(box.file("001/00123/face")), box.file("001/00123/FACE"));
    EXPECT_EQ(resolveCaseInsensitive(box.file("001/00123/x.jpg")), box.file("001/00123/X.JPG"));
    EXPECT_TRUE(resolveCaseInsensitive(box.file("001/00123/y.jpg")).isEmpty());
    EXPECT_TRUE(resolveCaseInsensitive(box.file("nothere/x.jpg")).isEmpty());
    box.write("001/00123/x.jpg", "y");
    EXPECT_EQ(resolveCaseInsensitive(box.file("001/00123/x.jpg")), box.file("001/00123/x.jpg"));
}

// A folder holding one of each kind of entry, a name that is not UTF-8 among them.
TEST(FileSystem, FolderEntriesSortEachKindAndSkipNamesQtCannotOpen)
{
    test::Sandbox box;
    box.write("a.jpg", "x");
    box.write(".hidden.jpg", "x");
    box.mkdir("face");
    box.mkdir(".trash");
    const QByteArray at = QFile::encodeName(box.path()) + '/';
    ASSERT_EQ(::symlink("a.jpg", (at + "link.jpg").constData()), 0);
    ASSERT_EQ(::symlink("face", (at + "linkdir").constData()), 0);
    ASSERT_EQ(::symlink("gone", (at + "dangling.jpg").constData()), 0);
    ASSERT_EQ(::mkfifo((at + "pipe.jpg").constData(), 0600), 0);
    const int fd = ::open((at + "caf\xE9.jpg").constData(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ::close(fd);

    const auto sorted = [](QStringList names) {
        names.sort();
        return names;
    };
    EXPECT_EQ(sorted(folderEntries(box.path(), EntryKind::Files)), (QStringList{"a.jpg", "link.jpg"}));
    EXPECT_EQ(sorted(folderEntries(box.path(), EntryKind::Files, true)),
              (QStringList{".hidden.jpg", "a.jpg", "link.jpg"}));
    EXPECT_EQ(sorted(folderEntries(box.path(), EntryKind::Folders)), (QStringList{"face", "linkdir"}));
    EXPECT_EQ(sorted(folderEntries(box.path(), EntryKind::All, true)),
              (QStringList{".hidden.jpg", ".trash", "a.jpg", "dangling.jpg", "face", "link.jpg", "linkdir",
                           "pipe.jpg"}));
    EXPECT_TRUE(folderEntries(box.file("missing"), EntryKind::All).isEmpty());
}

namespace {

struct FailingStep {
    const char *name;
    FileCall call;
    int error;
};

class FileFaultsCleared {
public:
    FileFaultsCleared() { clearFileFaults(); }
    ~FileFaultsCleared() { clearFileFaults(); }
};

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

class AtomicWriteFailure : public ::testing::TestWithParam<FailingStep> {};

// Each step of a replacing write made to fail as a full disk or a file server would:
// the original stays byte for byte, nothing is left beside it, and the caller is told.
TEST_P(AtomicWriteFailure, KeepsOriginalAndLeavesNothing)
{
    test::Sandbox box;
    const QString path = box.write("p.jpg", "original picture");
    FileFaultsCleared faults;
    failFileCall(GetParam().call, 1, GetParam().error);

    const Outcome outcome = writeFileAtomically(path, QByteArray(100000, 'n'));

    EXPECT_EQ(outcome.status, Status::WriteFailed);
    EXPECT_EQ(outcome.error, GetParam().error);
    QByteArray read;
    ASSERT_TRUE(readWholeFile(path, read, 1 << 20));
    EXPECT_EQ(read, "original picture");
    EXPECT_EQ(entriesOf(box.path()), QStringList{"p.jpg"});
}

INSTANTIATE_TEST_SUITE_P(Steps, AtomicWriteFailure,
                         ::testing::Values(FailingStep{"create", FileCall::Create, EACCES},
                                           FailingStep{"write", FileCall::Write, ENOSPC},
                                           FailingStep{"flush", FileCall::Sync, EIO},
                                           FailingStep{"close", FileCall::Close, EIO},
                                           FailingStep{"rename", FileCall::Rename, EXDEV}),
                         test::namedBy([](const FailingStep &s) { return s.name; }));

// A server that refuses the no-replace rename, and one that refuses hard links too:
// a free name is still taken, a taken one is never replaced, and no temporary file stays.
TEST(FileSystem, PublishingNeverReplacesOnRefusingServers)
{
    for (const bool linksRefused : {false, true}) {
        SCOPED_TRACE(linksRefused ? "no links" : "links");
        test::Sandbox box;
        const QString taken = box.write("taken.jpg", "someone else's picture");
        FileFaultsCleared faults;
        failFileCall(FileCall::RenameNoReplace, 0, EINVAL);
        if (linksRefused)
            failFileCall(FileCall::Link, 0, EPERM);

        for (const QString &name : {QStringLiteral("free.jpg"), QStringLiteral("taken.jpg")}) {
            StagedFile file;
            ASSERT_TRUE(file.create(box.path()));
            ASSERT_TRUE(file.write("new", 3));
            const Outcome published = file.publishNew(box.file(name));
            EXPECT_EQ(published.status, name == "free.jpg" ? Status::Done : Status::NameTaken)
                << name.toStdString();
        }
        QByteArray read;
        ASSERT_TRUE(readWholeFile(taken, read, 1024));
        EXPECT_EQ(read, "someone else's picture");
        ASSERT_TRUE(readWholeFile(box.file("free.jpg"), read, 1024));
        EXPECT_EQ(read, "new");
        EXPECT_EQ(entriesOf(box.path()), (QStringList{"free.jpg", "taken.jpg"}));
    }
}

struct RewriteRace {
    const char *name;
    bool swapRefused; // a file server without RENAME_EXCHANGE
    bool nameRetaken; // another workstation put another picture under the old name
};

class RewriteOfARenamedPicture : public ::testing::TestWithParam<RewriteRace> {};

// Another workstation renames the picture between its read and its rewrite, and may
// put another under the old name: the rewrite is refused as Missing, the renamed
// picture and the other one stay byte for byte, and nothing else is left.
TEST_P(RewriteOfARenamedPicture, ReplacesNothingAndBringsNothingBack)
{
    test::Sandbox box;
    const QString path = box.write("p.jpg", "the picture read");
    const std::optional<FileIdentity> original = fileIdentity(path);
    ASSERT_TRUE(original);
    ASSERT_TRUE(QFile::rename(path, box.file("renamed.jpg")));
    if (GetParam().nameRetaken)
        box.write("p.jpg", "another picture");
    FileFaultsCleared faults;
    if (GetParam().swapRefused)
        failFileCall(FileCall::RenameExchange, 0, EINVAL);

    const Outcome outcome = rewriteFileAtomically(path, "rewritten", *original);

    EXPECT_EQ(outcome.status, Status::Missing);
    QByteArray read;
    ASSERT_TRUE(readWholeFile(box.file("renamed.jpg"), read, 1024));
    EXPECT_EQ(read, "the picture read");
    if (GetParam().nameRetaken) {
        ASSERT_TRUE(readWholeFile(path, read, 1024));
        EXPECT_EQ(read, "another picture");
    }
    EXPECT_EQ(entriesOf(box.path()),
              GetParam().nameRetaken ? QStringList({"p.jpg", "renamed.jpg"}) : QStringList({"renamed.jpg"}));
}

INSTANTIATE_TEST_SUITE_P(Races, RewriteOfARenamedPicture,
                         ::testing::Values(RewriteRace{"name_gone", false, false},
                                           RewriteRace{"name_retaken", false, true},
                                           RewriteRace{"name_gone_without_swap", true, false},
                                           RewriteRace{"name_retaken_without_swap", true, true}),
                         test::namedBy([](const RewriteRace &r) { return r.name; }));
