#include <QDir>
#include <QListWidgetItem>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "support/TestSupport.h"
#include "widgets/FolderList.h"

namespace tolvarine {
namespace {

struct Entry {
    QString text;
    int level;
    QString path;
};

std::vector<Entry> entries(const FolderList &list)
{
    std::vector<Entry> out;
    for (int i = 0; i < list.count(); ++i) {
        const QListWidgetItem *item = list.item(i);
        out.push_back({item->text(), item->data(FolderList::LevelRole).toInt(), FolderList::entryPath(item)});
    }
    return out;
}

class FolderListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = QDir::cleanPath(box.path());
        box.mkdir(QStringLiteral("store/b"));
        box.mkdir(QStringLiteral("store/A"));
        box.mkdir(QStringLiteral("store/c"));
        box.mkdir(QStringLiteral("store/.hidden"));
        box.write(QStringLiteral("store/file.jpg"), "x");
        box.mkdir(QStringLiteral("other"));
    }

    int rowOf(const QString &path) const
    {
        for (int i = 0; i < list.count(); ++i)
            if (FolderList::entryPath(list.item(i)) == path)
                return i;
        return -1;
    }

    test::Sandbox box;
    QString root;
    FolderList list;
};

TEST_F(FolderListTest, ShowsTheChainThenTheSubfoldersSortedWithoutRegardToCase)
{
    const QString store = root + QStringLiteral("/store");
    ASSERT_TRUE(list.setPath(store));
    EXPECT_EQ(list.path(), store);

    const std::vector<Entry> shown = entries(list);
    const int depth = static_cast<int>(store.split(QLatin1Char('/'), Qt::SkipEmptyParts).size());
    ASSERT_EQ(static_cast<int>(shown.size()), depth + 1 + 3); // root, ancestors, open folder, subfolders
    EXPECT_EQ(shown.front().path, QStringLiteral("/"));
    EXPECT_EQ(shown.front().level, 0);
    for (int i = 1; i <= depth; ++i) {
        EXPECT_EQ(shown[i].level, i);
        EXPECT_TRUE(store.startsWith(shown[i].path));
    }
    EXPECT_EQ(shown[depth].path, store);
    EXPECT_EQ(shown[depth].text, QStringLiteral("store"));

    const QStringList children{shown[depth + 1].text, shown[depth + 2].text, shown[depth + 3].text};
    EXPECT_EQ(children, (QStringList{"A", "b", "c"})); // no files, no hidden folders
    for (int i = depth + 1; i < static_cast<int>(shown.size()); ++i)
        EXPECT_EQ(shown[i].level, depth + 1);
    EXPECT_EQ(FolderList::entryPath(list.currentItem()), store); // the open folder is highlighted
}

TEST_F(FolderListTest, ChangedOnlyWhenTheOpenFolderChanges)
{
    QSignalSpy spy(&list, &FolderList::changed);
    ASSERT_TRUE(list.setPath(root + QStringLiteral("/store")));
    EXPECT_EQ(spy.count(), 1);

    EXPECT_TRUE(list.setPath(root + QStringLiteral("/store")));
    EXPECT_TRUE(list.setPath(root + QStringLiteral("/store/")));
    EXPECT_TRUE(list.setPath(root + QStringLiteral("/other/../store")));
    EXPECT_EQ(spy.count(), 1);

    ASSERT_TRUE(list.setPath(root + QStringLiteral("/other")));
    EXPECT_EQ(spy.count(), 2);
    EXPECT_EQ(list.path(), root + QStringLiteral("/other"));
}

TEST_F(FolderListTest, RefusesWhatIsNoFolderAndKeepsThePath)
{
    ASSERT_TRUE(list.setPath(root + QStringLiteral("/store")));
    QSignalSpy spy(&list, &FolderList::changed);
    EXPECT_FALSE(list.setPath(root + QStringLiteral("/missing")));
    EXPECT_FALSE(list.setPath(root + QStringLiteral("/store/file.jpg")));
    EXPECT_FALSE(list.setPath(QString()));
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(list.path(), root + QStringLiteral("/store"));
}

TEST_F(FolderListTest, AClickHighlightsADoubleClickOpens)
{
    ASSERT_TRUE(list.setPath(root + QStringLiteral("/store")));
    list.resize(300, 600);
    list.show();
    QSignalSpy spy(&list, &FolderList::changed);
    const QString target = root + QStringLiteral("/store/b");
    QListWidgetItem *item = list.item(rowOf(target));
    ASSERT_NE(item, nullptr);
    const QPoint centre = list.visualItemRect(item).center();

    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, centre);
    EXPECT_EQ(list.currentItem(), item);
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(list.path(), root + QStringLiteral("/store"));

    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, centre);
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(list.path(), target);
}

TEST_F(FolderListTest, EnterOpensTheHighlightedFolder)
{
    ASSERT_TRUE(list.setPath(root + QStringLiteral("/store")));
    QSignalSpy spy(&list, &FolderList::changed);
    list.setCurrentRow(rowOf(root + QStringLiteral("/store/c")));
    EXPECT_EQ(spy.count(), 0);
    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(list.path(), root + QStringLiteral("/store/c"));

    // An ancestor opens the same way.
    list.setCurrentRow(rowOf(root));
    QTest::keyClick(&list, Qt::Key_Enter);
    EXPECT_EQ(spy.count(), 2);
    EXPECT_EQ(list.path(), root);
}

TEST_F(FolderListTest, RefreshReadsTheSubfoldersAgainWithoutAChange)
{
    ASSERT_TRUE(list.setPath(root + QStringLiteral("/store")));
    QSignalSpy spy(&list, &FolderList::changed);
    box.mkdir(QStringLiteral("store/B2"));
    EXPECT_EQ(rowOf(root + QStringLiteral("/store/B2")), -1);
    list.refresh();
    EXPECT_GE(rowOf(root + QStringLiteral("/store/B2")), 0);
    EXPECT_EQ(spy.count(), 0);
}

TEST_F(FolderListTest, OpeningAFolderThatVanishedKeepsThePath)
{
    ASSERT_TRUE(list.setPath(root + QStringLiteral("/store")));
    QSignalSpy spy(&list, &FolderList::changed);
    list.setCurrentRow(rowOf(root + QStringLiteral("/store/A")));
    ASSERT_TRUE(QDir(root + QStringLiteral("/store/A")).removeRecursively());
    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(list.path(), root + QStringLiteral("/store"));
    EXPECT_EQ(rowOf(root + QStringLiteral("/store/A")), -1);
}

TEST_F(FolderListTest, TheRootItselfCanBeOpened)
{
    ASSERT_TRUE(list.setPath(QStringLiteral("/")));
    ASSERT_GE(list.count(), 1);
    EXPECT_EQ(FolderList::entryPath(list.item(0)), QStringLiteral("/"));
    for (int i = 1; i < list.count(); ++i)
        EXPECT_EQ(list.item(i)->data(FolderList::LevelRole).toInt(), 1);
}

} // namespace
} // namespace tolvarine
