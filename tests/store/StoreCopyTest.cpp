#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "store/StoreCopy.h"
#include "support/TestSupport.h"

using namespace tolvarine;

namespace {

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every entry of a folder, hidden ones included, so that a temporary file left
// behind is seen.
QStringList entries(const QString &folder)
{
    QStringList names =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

const QDateTime kTaken(QDate(2009, 3, 15), QTime(10, 20, 30));

struct NumberedCase {
    const char *name;
    int number;
    const char *expected;
};

class NumberedName : public ::testing::TestWithParam<NumberedCase> {};

TEST_P(NumberedName, PutsTheNumberBeforeTheExtension)
{
    const NumberedCase &c = GetParam();
    EXPECT_EQ(numberedName(QString::fromUtf8(c.name), c.number), QString::fromUtf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NumberedName,
    ::testing::Values(NumberedCase{"IMG_0001.jpg", 2, "IMG_0001_2.jpg"},
                      NumberedCase{"IMG_0001.JPG", 3, "IMG_0001_3.JPG"},
                      NumberedCase{"a.b.jpg", 2, "a.b_2.jpg"}, NumberedCase{"noext", 2, "noext_2"},
                      NumberedCase{".hidden", 2, ".hidden_2"}, NumberedCase{"写真.jpg", 10, "写真_10.jpg"}),
    test::namedBy([](const NumberedCase &c) {
        return QStringLiteral("%1_%2").arg(test::labelled(c.name, {{"写真.jpg", "kanji.jpg"}})).arg(c.number);
    }));

TEST(StoreCopy, CopiesBytesAndKeepsTheModifiedTime)
{
    test::Sandbox box;
    // Bigger than one read chunk, so that the streaming is exercised.
    QByteArray big(3 * 1024 * 1024 + 123, '\0');
    for (int i = 0; i < big.size(); ++i)
        big[i] = char(i * 31 % 251);
    const QString source = box.write("card/IMG_0001.jpg", big);
    ASSERT_TRUE(test::setModified(source, kTaken));
    const QString folder = box.mkdir("store");

    const Outcome out = copyIntoFolder(source, folder, "IMG_0001.jpg");
    EXPECT_EQ(out.status, Status::Done);
    EXPECT_EQ(out.detail, folder + "/IMG_0001.jpg");
    EXPECT_EQ(contents(out.detail), big);
    EXPECT_EQ(QFileInfo(out.detail).lastModified(), kTaken);
    EXPECT_EQ(entries(folder), QStringList({"IMG_0001.jpg"}));
    // the copy is an ordinary, writable store file
    EXPECT_TRUE(QFileInfo(out.detail).isWritable());
}

TEST(StoreCopy, SameNameSameContentWritesNothing)
{
    test::Sandbox box;
    const QString source = box.write("card/IMG_0001.jpg", "picture");
    const QString existing = box.write("store/img_0001.JPG", "picture");
    const QDateTime old(QDate(2001, 1, 2), QTime(3, 4, 5));
    ASSERT_TRUE(test::setModified(existing, old));

    const Outcome out = copyIntoFolder(source, box.file("store"), "IMG_0001.jpg");
    EXPECT_EQ(out.status, Status::Unchanged);
    EXPECT_EQ(out.detail, existing);
    EXPECT_EQ(entries(box.file("store")), QStringList({"img_0001.JPG"}));
    EXPECT_EQ(QFileInfo(existing).lastModified(), old);
}

TEST(StoreCopy, SameNameOtherContentTakesTheFirstFreeNumber)
{
    test::Sandbox box;
    const QString folder = box.mkdir("store");
    box.write("store/IMG_0001.jpg", "first visit");
    const QString second = box.write("card1/IMG_0001.jpg", "second visit");
    const QString third = box.write("card2/IMG_0001.jpg", "third visit");

    const Outcome a = copyIntoFolder(second, folder, "IMG_0001.jpg");
    EXPECT_EQ(a.status, Status::Done);
    EXPECT_EQ(a.detail, folder + "/IMG_0001_2.jpg");
    const Outcome b = copyIntoFolder(third, folder, "IMG_0001.jpg");
    EXPECT_EQ(b.detail, folder + "/IMG_0001_3.jpg");
    // dropping the second again finds it under its number
    const Outcome again = copyIntoFolder(second, folder, "IMG_0001.jpg");
    EXPECT_EQ(again.status, Status::Unchanged);
    EXPECT_EQ(again.detail, folder + "/IMG_0001_2.jpg");

    EXPECT_EQ(contents(folder + "/IMG_0001.jpg"), "first visit");
    EXPECT_EQ(contents(folder + "/IMG_0001_2.jpg"), "second visit");
    EXPECT_EQ(contents(folder + "/IMG_0001_3.jpg"), "third visit");
    EXPECT_EQ(entries(folder).size(), 3);
}

TEST(StoreCopy, NumberedNamesAreTakenIgnoringCase)
{
    test::Sandbox box;
    const QString folder = box.mkdir("store");
    box.write("store/A.JPG", "one");
    box.write("store/A_2.JPG", "two");
    box.mkdir("store/a_3.jpg"); // a folder of that name blocks it too
    const QString source = box.write("card/a.jpg", "four");

    const Outcome out = copyIntoFolder(source, folder, "a.jpg");
    EXPECT_EQ(out.status, Status::Done);
    EXPECT_EQ(out.detail, folder + "/a_4.jpg");
}

TEST(StoreCopy, ReadOnlyFileOfTheSameNameIsLeftAlone)
{
    test::Sandbox box;
    const QString existing = box.write("store/x.jpg", "old");
    ASSERT_TRUE(QFile::setPermissions(existing, QFileDevice::ReadOwner));
    const QString source = box.write("card/x.jpg", "new");

    const Outcome out = copyIntoFolder(source, box.file("store"), "x.jpg");
    EXPECT_EQ(out.detail, box.file("store/x_2.jpg"));
    EXPECT_EQ(contents(existing), "old");
}

TEST(StoreCopy, BadSourcesAndFoldersAreReportedAndLeaveNothing)
{
    test::Sandbox box;
    const QString folder = box.mkdir("store");
    const QString fifo = box.file("card/pipe.jpg");
    QDir().mkpath(box.file("card"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    const QString good = box.write("card/good.jpg", "x");
    box.write("blocker", "a file where a folder should be");

    EXPECT_EQ(copyIntoFolder(box.file("card/gone.jpg"), folder, "gone.jpg").status, Status::Missing);
    EXPECT_EQ(copyIntoFolder(box.mkdir("card/sub"), folder, "sub").status, Status::IsFolder);
    // a pipe is not waited on
    EXPECT_EQ(copyIntoFolder(fifo, folder, "pipe.jpg").status, Status::Unreadable);
    EXPECT_EQ(copyIntoFolder(good, box.file("nothere"), "good.jpg").status, Status::FolderMissing);
    EXPECT_EQ(copyIntoFolder(good, box.file("blocker"), "good.jpg").status, Status::FolderMissing);
    EXPECT_EQ(copyIntoFolder(good, QString(), "good.jpg").status, Status::FolderMissing);
    EXPECT_TRUE(entries(folder).isEmpty());
}

// A write that fails part-way (here: the file size limit, which holds for root as
// well) must not leave a cut-off picture, nor its temporary file.
TEST(StoreCopy, FailedWriteLeavesNoFile)
{
    test::Sandbox box;
    const QString folder = box.mkdir("store");
    const QString source = box.write("card/big.jpg", QByteArray(64 * 1024, 'p'));

    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const Outcome out = copyIntoFolder(source, folder, "big.jpg");
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(out.status, Status::WriteFailed);
    EXPECT_NE(out.error, 0);
    EXPECT_TRUE(out.detail.isEmpty());
    EXPECT_TRUE(entries(folder).isEmpty());
}

} // namespace
