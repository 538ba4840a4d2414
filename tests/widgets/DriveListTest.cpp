#include <QDir>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include "support/TestSupport.h"
#include "widgets/DriveList.h"

namespace tolvarine {
namespace {

struct HoldingCase {
    const char *path;
    const char *root;
};

class RootHolding : public ::testing::TestWithParam<HoldingCase> {};

TEST_P(RootHolding, IsTheLongestRootThatIsAnAncestor)
{
    const QStringList roots{"/", "/media/usb", "/media/usb2", "/mnt/a/b"};
    EXPECT_EQ(DriveList::rootHolding(roots, QLatin1String(GetParam().path)), QLatin1String(GetParam().root));
}

INSTANTIATE_TEST_SUITE_P(Paths, RootHolding,
                         ::testing::Values(HoldingCase{"/home/user", "/"}, HoldingCase{"/", "/"},
                                           HoldingCase{"/media/usb", "/media/usb"},
                                           HoldingCase{"/media/usb/001/00123", "/media/usb"},
                                           HoldingCase{"/media/usb2/x", "/media/usb2"},
                                           HoldingCase{"/media/usbx", "/"}, HoldingCase{"/mnt/a/b/../c", "/"},
                                           HoldingCase{"/mnt/a/b/", "/mnt/a/b"}, HoldingCase{"", ""}),
                         test::namedBy([](const HoldingCase &c) { return c.path; }));

TEST(RootHoldingWithoutRoot, NothingHoldsAPathOutsideEveryRoot)
{
    EXPECT_EQ(DriveList::rootHolding({"/media/usb"}, QStringLiteral("/home")), QString());
}

TEST(ReadyVolumes, TheRootComesFirstAndEveryEntryIsAFolder)
{
    const QStringList roots = DriveList::readyVolumeRoots();
    ASSERT_FALSE(roots.isEmpty());
    EXPECT_EQ(roots.front(), QStringLiteral("/"));
    EXPECT_EQ(QStringList(roots).removeDuplicates(), 0);
    for (const QString &root : roots)
        EXPECT_TRUE(QDir(root).exists()) << root.toStdString();
}

class DriveListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        usb = box.mkdir(QStringLiteral("usb"));
        list.setVolumeSource([this] { return QStringList{"/", usb}; });
    }
    test::Sandbox box;
    QString usb;
    DriveList list;
};

TEST_F(DriveListTest, ListsTheVolumesByRootPath)
{
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.itemText(0), QStringLiteral("/"));
    EXPECT_EQ(list.itemText(1), usb);
    EXPECT_EQ(list.drive(), QStringLiteral("/"));
}

TEST_F(DriveListTest, SetDriveSelectsTheVolumeHoldingThePathAndReportsEachChangeOnce)
{
    QSignalSpy spy(&list, &DriveList::changed);
    EXPECT_TRUE(list.setDrive(usb + QStringLiteral("/001/00123")));
    EXPECT_EQ(list.drive(), usb);
    EXPECT_EQ(spy.count(), 1);

    EXPECT_TRUE(list.setDrive(usb));
    EXPECT_EQ(spy.count(), 1);

    EXPECT_TRUE(list.setDrive(QStringLiteral("/etc")));
    EXPECT_EQ(list.drive(), QStringLiteral("/"));
    EXPECT_EQ(spy.count(), 2);
}

TEST_F(DriveListTest, TheUsersChoiceIsReportedOnce)
{
    QSignalSpy spy(&list, &DriveList::changed);
    list.setCurrentIndex(1);
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(list.drive(), usb);
}

TEST_F(DriveListTest, APathNoVolumeHoldsChangesNothing)
{
    list.setVolumeSource([this] { return QStringList{usb}; });
    ASSERT_EQ(list.drive(), usb);
    QSignalSpy spy(&list, &DriveList::changed);
    EXPECT_FALSE(list.setDrive(QStringLiteral("/etc")));
    EXPECT_FALSE(list.setDrive(QString()));
    EXPECT_EQ(list.drive(), usb);
    EXPECT_EQ(spy.count(), 0);
}

TEST_F(DriveListTest, AVolumeThatWentAwayLeavesTheFirstSelected)
{
    list.setDrive(usb);
    QSignalSpy spy(&list, &DriveList::changed);
    list.setVolumeSource([] { return QStringList{"/"}; });
    EXPECT_EQ(list.drive(), QStringLiteral("/"));
    EXPECT_EQ(spy.count(), 1);
}

} // namespace
} // namespace tolvarine
