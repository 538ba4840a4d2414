#include <gtest/gtest.h>

#include <QStringList>

#include "store/StoreFiles.h"
#include "support/TestSupport.h"

using namespace tolvarine;

namespace {

QStringList names(const QString &folder, const QStringList &paths)
{
    QStringList result;
    for (const QString &path : paths) {
        EXPECT_TRUE(path.startsWith(folder + "/")) << path.toStdString();
        result << path.mid(folder.size() + 1);
    }
    return result;
}

TEST(StoreFiles, PicturesAreMatchedIgnoringCaseAndSortedByPath)
{
    test::Sandbox box;
    const QString folder = box.mkdir("001/00123");
    for (const char *name : {"b.jpg", "A.jpg", "X.JPG", "c.Jpg", "x.png", "y.jpg.bak", "._b.jpg", "xsn.cmp",
                             "face/f.jpg", "old/o.jpg"})
        box.write(QStringLiteral("001/00123/") + name, "x");
    box.mkdir("001/00123/d.jpg");

    EXPECT_EQ(names(folder, listPictures(folder)), QStringList({"A.jpg", "b.jpg", "c.Jpg", "X.JPG"}));
    // a trailing separator gives the same paths, without a doubled "/"
    EXPECT_EQ(listPictures(folder + "/"), listPictures(folder));
}

TEST(StoreFiles, NamesEqualIgnoringCaseHaveAFixedOrder)
{
    test::Sandbox box;
    const QString folder = box.mkdir("p");
    for (const char *name : {"a.jpg", "A.JPG", "A.jpg", "B.jpg", "a0.jpg"})
        box.write(QStringLiteral("p/") + name, "x");
    EXPECT_EQ(names(folder, listPictures(folder)),
              QStringList({"A.JPG", "A.jpg", "a.jpg", "a0.jpg", "B.jpg"}));
}

TEST(StoreFiles, ThumbnailsAreMatchedIgnoringCaseOnlyInTheFolder)
{
    test::Sandbox box;
    const QString folder = box.mkdir("p");
    for (const char *name : {"xsn.cmp", "YSN.CMP", "x.jpg", "zsn.cmp.old", "face/fsn.cmp"})
        box.write(QStringLiteral("p/") + name, "x");
    EXPECT_EQ(names(folder, listThumbnails(folder)), QStringList({"xsn.cmp", "YSN.CMP"}));
}

TEST(StoreFiles, MissingFolderListsNothing)
{
    test::Sandbox box;
    EXPECT_TRUE(listPictures(box.file("nothere")).isEmpty());
    EXPECT_TRUE(listThumbnails(box.file("nothere")).isEmpty());
    EXPECT_TRUE(listPictures(QString()).isEmpty());
}

TEST(StoreFiles, FaceFolderIsFoundWhateverItsCase)
{
    test::Sandbox box;
    const QString patient = box.mkdir("001/00123");
    box.write("001/00123/FACE/f.jpg", "x");
    EXPECT_EQ(existingFaceFolder(patient), patient + "/FACE");
    EXPECT_EQ(faceFolderForReading(patient), patient + "/FACE");
    EXPECT_EQ(faceFolderForCreating(patient + "/"), patient + "/FACE");
    EXPECT_EQ(listPictures(faceFolderForReading(patient)).size(), 1);
}

TEST(StoreFiles, FaceFolderDefaultsWhenMissing)
{
    test::Sandbox box;
    const QString patient = box.mkdir("001/00123");
    box.write("001/00123/face.jpg", "x");
    box.write("001/00123/other/face", "not a folder either");
    EXPECT_EQ(existingFaceFolder(patient), "");
    EXPECT_EQ(faceFolderForReading(patient), patient + "/face");
    EXPECT_EQ(faceFolderForCreating(patient), patient + "/Face");
    EXPECT_EQ(existingFaceFolder(box.file("nothere")), "");
}

TEST(StoreFiles, FileNamedFaceIsNotTheFaceFolder)
{
    test::Sandbox box;
    const QString patient = box.mkdir("p");
    box.write("p/face", "file");
    EXPECT_EQ(existingFaceFolder(patient), "");
    EXPECT_EQ(faceFolderForCreating(patient), patient + "/Face");
}

TEST(StoreFiles, ProgramSpellingWinsWhenSeveralExist)
{
    test::Sandbox box;
    const QString patient = box.mkdir("p");
    box.mkdir("p/FACE");
    box.mkdir("p/Face");
    EXPECT_EQ(existingFaceFolder(patient), patient + "/Face");
    box.mkdir("p/face");
    EXPECT_EQ(existingFaceFolder(patient), patient + "/face");
}

TEST(StoreFiles, StoreOrderIsCaseInsensitiveWithExactTieBreak)
{
    QStringList paths{"/p/b.jpg", "/p/A.jpg", "/p/a.jpg", "/P/c.jpg", "/p/IMG_10.jpg", "/p/img_9.jpg"};
    sortStorePaths(paths);
    EXPECT_EQ(paths,
              QStringList({"/p/A.jpg", "/p/a.jpg", "/p/b.jpg", "/P/c.jpg", "/p/IMG_10.jpg", "/p/img_9.jpg"}));
    for (int i = 0; i + 1 < paths.size(); ++i) {
        EXPECT_TRUE(storePathLess(paths[i], paths[i + 1]));
        EXPECT_FALSE(storePathLess(paths[i + 1], paths[i]));
    }
    EXPECT_FALSE(storePathLess("/p/a.jpg", "/p/a.jpg"));
}

} // namespace
