#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

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
