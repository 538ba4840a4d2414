#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "import/ImportController.h"
#include "store/ThumbnailRebuild.h"
#include "support/TestSupport.h"

using namespace tolvarine;

namespace {

QStringList entries(const QString &folder)
{
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

TEST(ThumbnailRebuild, FolderWithoutThumbnailsIsJustListedAgain)
{
    test::Sandbox box;
    const QString patient = box.mkdir("pict/000/00012");
    box.write("pict/000/00012/a.jpg", "a");
    test::MessageRecorder messages;
    int refreshed = 0;
    rebuildThumbnails(patient, [&] { ++refreshed; });
    EXPECT_EQ(refreshed, 1);
    EXPECT_TRUE(messages.messages().empty());
    EXPECT_EQ(entries(patient), QStringList({"a.jpg"}));
}

TEST(ThumbnailRebuild, DeletesThumbnailsOfTheFolderAndItsFaceFolderOnly)
{
    test::Sandbox box;
    const QString patient = box.mkdir("p");
    for (const char *name : {"a.jpg", "asn.cmp", "X SN.CMP", "bSn.Cmp", "krname.txt", "asn.cmp.bak",
                             "FACE/f.jpg", "FACE/fsn.cmp", "FACE/GSN.CMP", "old/xsn.cmp", "FACE/sub/ysn.cmp"})
        box.write(QStringLiteral("p/") + name, "x");
    test::MessageRecorder messages;
    int refreshed = 0;
    rebuildThumbnails(patient, [&] { ++refreshed; });

    EXPECT_EQ(refreshed, 1);
    EXPECT_TRUE(messages.messages().empty());
    EXPECT_EQ(entries(patient), QStringList({"FACE", "a.jpg", "asn.cmp.bak", "krname.txt", "old"}));
    EXPECT_EQ(entries(patient + "/FACE"), QStringList({"f.jpg", "sub"}));
    EXPECT_TRUE(QFileInfo::exists(patient + "/old/xsn.cmp"));
    EXPECT_TRUE(QFileInfo::exists(patient + "/FACE/sub/ysn.cmp"));
}

TEST(ThumbnailRebuild, ReadOnlyThumbnailStopsItWithTheMessageAndNoListing)
{
    test::Sandbox box;
    const QString patient = box.mkdir("p");
    box.write("p/asn.cmp", "x");
    const QString locked = box.write("p/bsn.cmp", "x");
    box.write("p/csn.cmp", "x");
    box.write("p/face/fsn.cmp", "x");
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ReadGroup));

    test::MessageRecorder messages;
    int refreshed = 0;
    rebuildThumbnails(patient, [&] { ++refreshed; });

    EXPECT_EQ(refreshed, 0);
    ASSERT_EQ(messages.messages().size(), 1u);
    const MessageRequest &m = messages.messages()[0];
    EXPECT_EQ(m.title, "サムネイル");
    EXPECT_EQ(m.buttons, MessageButtons::Ok);
    EXPECT_TRUE(m.text.startsWith("VB ｴﾗｰ: '13' - ")) << m.text.toStdString();
    EXPECT_TRUE(m.text.endsWith("."));
    // deleted before stay deleted; the rest is kept
    EXPECT_EQ(entries(patient), QStringList({"bsn.cmp", "csn.cmp", "face"}));
    EXPECT_EQ(entries(patient + "/face"), QStringList({"fsn.cmp"}));
}

TEST(ThumbnailRebuild, TheDeletionNamesTheFileAndItsError)
{
    test::Sandbox box;
    const QString patient = box.mkdir("p");
    const QString locked = box.write("p/face/fsn.cmp", "x");
    box.write("p/asn.cmp", "x");
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::ReadOwner));

    const Outcome failure = deleteThumbnails(patient);
    ASSERT_FALSE(failure);
    EXPECT_EQ(failure.status, Status::ReadOnly);
    EXPECT_EQ(failure.error, 13);
    EXPECT_EQ(failure.detail, locked);
    EXPECT_FALSE(QFileInfo::exists(patient + "/asn.cmp"));
    EXPECT_TRUE(QFileInfo::exists(locked));
    EXPECT_TRUE(deleteThumbnails(box.file("nothere")));
    EXPECT_TRUE(deleteThumbnails(QString()));
}

} // namespace
