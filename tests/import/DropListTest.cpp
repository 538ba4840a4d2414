#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include "import/DropArea.h"
#include "import/DropImport.h"
#include "import/DropList.h"
#include "support/TestSupport.h"

using namespace tolvarine;

namespace {

constexpr Qt::DropActions kFromFileBrowser = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;

std::unique_ptr<QMimeData> fileData(const QStringList &paths)
{
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls << QUrl::fromLocalFile(path);
    data->setUrls(urls);
    return data;
}

std::unique_ptr<QMimeData> textData()
{
    auto data = std::make_unique<QMimeData>();
    data->setText("/card/a.jpg");
    return data;
}

bool enterAccepted(DropList &list, const QMimeData *data, Qt::DropActions actions = kFromFileBrowser)
{
    QDragEnterEvent event(QPoint(5, 5), actions, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list.viewport(), &event);
    return event.isAccepted() && event.dropAction() == Qt::CopyAction;
}

bool moveAccepted(DropList &list, const QMimeData *data)
{
    QDragMoveEvent event(QPoint(6, 6), kFromFileBrowser, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list.viewport(), &event);
    return event.isAccepted() && event.dropAction() == Qt::CopyAction;
}

// As the window system delivers it: the drag enters, then drops.
void sendDrop(DropList &list, const QMimeData *data)
{
    enterAccepted(list, data);
    QDropEvent event(QPointF(6, 6), kFromFileBrowser, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list.viewport(), &event);
}

TEST(DropList, DragOverTakesFileListsAsCopyAndRefusesText)
{
    DropList list;
    list.resize(200, 100);
    EXPECT_TRUE(list.viewport()->acceptDrops());
    const auto files = fileData({"/card/a.jpg"});
    const auto text = textData();

    EXPECT_TRUE(enterAccepted(list, files.get()));
    EXPECT_TRUE(moveAccepted(list, files.get()));
    EXPECT_FALSE(enterAccepted(list, text.get()));
    EXPECT_FALSE(moveAccepted(list, text.get()));
    // a source that only lets its files be moved is not copied from
    EXPECT_FALSE(enterAccepted(list, files.get(), Qt::MoveAction));
}

TEST(DropList, ShutGateRefusesEvenFileLists)
{
    DropList list;
    bool open = false;
    list.setDropGate([&] { return open; });
    const auto files = fileData({"/card/a.jpg"});
    EXPECT_FALSE(enterAccepted(list, files.get()));
    open = true;
    EXPECT_TRUE(enterAccepted(list, files.get()));
}

TEST(DropList, DropHandsOverThePathsInTheSourcesOrderAfterTheDropEnded)
{
    DropList list;
    QSignalSpy spy(&list, &DropList::filesDropped);
    const auto files = fileData({"/card/b.jpg", "/card/A.jpg", "/card/c d.jpg"});
    sendDrop(list, files.get());
    EXPECT_EQ(spy.count(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return spy.count() == 1; }, 5000));
    EXPECT_EQ(spy.at(0).at(0).toStringList(), QStringList({"/card/b.jpg", "/card/A.jpg", "/card/c d.jpg"}));

    const auto text = textData();
    sendDrop(list, text.get());
    QCoreApplication::processEvents();
    EXPECT_EQ(spy.count(), 1);
}

TEST(DropList, DroppedFilesAreImportedThroughTheEventPath)
{
    test::Sandbox box;
    const QString pict = box.mkdir("pict");
    const QStringList paths{box.write("card/IMG_0002.jpg", "two"), box.write("card/IMG_0001.jpg", "one")};
    DropImport importer;
    DropList list;
    QStringList order;
    QObject::connect(&list, &DropList::filesDropped, [&](const QStringList &dropped) {
        order = dropped;
        importer.run({dropped, "12", true, pict});
    });
    const auto files = fileData(paths);
    sendDrop(list, files.get());

    const QString patient = pict + "/000/00012";
    ASSERT_TRUE(QTest::qWaitFor([&] { return QDir(patient).entryList(QDir::Files).size() == 2; }, 5000));
    EXPECT_EQ(order, paths);
}

TEST(DropList, ShowsATargetsTexts)
{
    QListWidget list;
    QLabel label;
    list.addItems({"ここに画像ファイルを", "ドロップして下さい"});
    showDropAreaTexts(&list, &label, dropAreaTexts(false, 1));
    EXPECT_EQ(label.text(), "顔面");
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.item(0)->text(), "ここに顔面画像ファイルを");
    EXPECT_EQ(list.item(1)->text(), "ドロップして下さい");

    showDropAreaTexts(&list, &label, dropAreaTexts(true, 0));
    EXPECT_EQ(label.text(), "口腔");
    EXPECT_EQ(list.count(), 0);
}

} // namespace
