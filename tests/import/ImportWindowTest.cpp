#include <gtest/gtest.h>

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include "browse/BrowseWindowFixture.h"
#include "import/DropList.h"
#include "widgets/FolderList.h"

namespace tolvarine::test {
namespace {

class ImportWindow : public BrowseWindow {
protected:
    // A drop as the window system delivers it: the drag enters, then drops.
    static void dropFiles(frmMain &w, const QStringList &paths)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString &p : paths)
            urls << QUrl::fromLocalFile(p);
        data.setUrls(urls);
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
        QDragEnterEvent enter(QPoint(5, 5), actions, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w.List3->viewport(), &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), actions, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w.List3->viewport(), &drop);
    }

    QStringList cameraFiles(int count)
    {
        QStringList files;
        for (int i = 1; i <= count; ++i)
            files << writePicture(box.file(QStringLiteral("card/IMG_%1.jpg").arg(i)), QDate(2009, 3, 15), i);
        return files;
    }
};

TEST_F(ImportWindow, ADropOnTheDropAreaFilesThePicturesAndListsThePatient)
{
    const auto w = loadWindow();
    w->show();
    w->txtKrNo->setText(QStringLiteral("12"));
    dropFiles(*w, cameraFiles(2));

    const QString folder = pictures + QStringLiteral("/000/00012");
    // QTest's own checks do not fail a gtest test: wait, then assert.
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(folder + QStringLiteral("/IMG_2.jpg")); }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->Dir1->path() == folder; })) << w->Dir1->path().toStdString();
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("/IMG_1.jpg")));
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/Face")).isDir());
    // Listed under the day the pictures were taken, not the day they were filed.
    EXPECT_EQ(entries(w->List1), QStringList{QStringLiteral("2009/03/15")});
    EXPECT_EQ(shownOral(*w), (std::vector<int>{0, 1}));
    EXPECT_EQ(w->List3->count(), 0);
    EXPECT_TRUE(w->List3->isVisible());
    EXPECT_TRUE(w->mnuFile->isEnabled());
    EXPECT_TRUE(w->txtKrNo->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(ImportWindow, TheFacialTargetFilesIntoTheFaceFolderAndListsThePatientFolder)
{
    const auto w = loadWindow();
    w->show();
    QTest::mouseClick(w->cmdDrop, Qt::LeftButton);
    EXPECT_FALSE(w->shell().DropIsOral);
    EXPECT_EQ(w->lblDrop->text(), QStringLiteral("顔面"));
    ASSERT_EQ(w->List3->count(), 2);
    EXPECT_EQ(w->List3->item(0)->text(), QStringLiteral("ここに顔面画像ファイルを"));
    EXPECT_EQ(w->List3->item(1)->text(), QStringLiteral("ドロップして下さい"));

    // The facial dates are listed beside intraoral pictures of the patient.
    const QString folder = patient(QStringLiteral("00012"));
    picture(folder, QStringLiteral("oral.jpg"), QDate(2009, 3, 15));
    w->txtKrNo->setText(QStringLiteral("12"));
    dropFiles(*w, cameraFiles(1));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return QFileInfo::exists(folder + QStringLiteral("/Face/IMG_1.jpg")); }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->Dir1->path() == folder; })) << w->Dir1->path().toStdString();
    EXPECT_EQ(entries(w->ListFaDate), QStringList{QStringLiteral("2009/03/15")});
    EXPECT_EQ(shownFace(*w), (std::vector<int>{0}));
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/IMG_1.jpg")));

    QTest::mouseClick(w->cmdDrop, Qt::LeftButton);
    EXPECT_TRUE(w->shell().DropIsOral);
    EXPECT_EQ(w->lblDrop->text(), QStringLiteral("口腔"));
    EXPECT_EQ(w->List3->item(0)->text(), QStringLiteral("ここに口腔画像ファイルを"));
}

TEST_F(ImportWindow, RebuildMakesThumbnailsWithThePresentOrientation)
{
    const QString folder = patient(QStringLiteral("00123"));
    const QString shot = picture(folder, QStringLiteral("a.jpg"), QDate(2009, 3, 15));
    const QString other = box.mkdir(QStringLiteral("pictures/001/00123/old"));
    const QByteArray keep("kept");
    box.write(QStringLiteral("pictures/001/00123/old/xsn.cmp"), keep);

    const auto w = loadWindow();
    commit(*w, QStringLiteral("123"));
    const QString thumb = folder + QStringLiteral("/asn.cmp");
    ASSERT_EQ(cornerColours(decoded(thumb)), QStringLiteral("rgbw"));

    // A thumbnail follows a new orientation at the next showing.
    w->appSettings().PictSyori[0] = 1;
    commit(*w, QStringLiteral("123"));
    EXPECT_EQ(cornerColours(decoded(thumb)), QStringLiteral("wbgr"));

    w->mnuEditSamnail->trigger();
    EXPECT_EQ(cornerColours(decoded(thumb)), QStringLiteral("wbgr"));
    QFile kept(other + QStringLiteral("/xsn.cmp"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), keep);
    EXPECT_TRUE(QFileInfo::exists(shot));
}

TEST_F(ImportWindow, AThumbnailThatCannotBeDeletedStopsTheRebuildWithItsMessage)
{
    const QString folder = patient(QStringLiteral("00123"));
    picture(folder, QStringLiteral("a.jpg"), QDate(2009, 3, 15));
    const auto w = loadWindow();
    commit(*w, QStringLiteral("123"));
    const QString thumb = folder + QStringLiteral("/asn.cmp");
    ASSERT_TRUE(QFileInfo::exists(thumb));
    QFile::setPermissions(thumb, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);

    MessageRecorder messages;
    w->mnuEditSamnail->trigger();
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_TRUE(messages.messages()[0].text.startsWith(QStringLiteral("VB ｴﾗｰ: '")));
    EXPECT_EQ(messages.messages()[0].title, QStringLiteral("サムネイル"));
    EXPECT_TRUE(QFileInfo::exists(thumb));
}

} // namespace
} // namespace tolvarine::test
