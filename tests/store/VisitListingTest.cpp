#include <gtest/gtest.h>

#include <QDir>

#include "store/StoreFiles.h"
#include "store/VisitListing.h"
#include "support/StoreTestData.h"
#include "support/TestSupport.h"

namespace tolvarine {
namespace {

using test::Sandbox;

QDateTime day(int y, int m, int d, int hour = 10) { return QDateTime(QDate(y, m, d), QTime(hour, 0)); }

TEST(OralScan, TakesPicturesOfADayInStoreOrder)
{
    const QStringList paths{"/p/b.jpg", "/p/A.jpg", "/p/c.jpg"};
    const std::vector<QDateTime> dates{day(2009, 1, 1), day(2009, 1, 1), day(2009, 1, 2)};
    EXPECT_EQ(visitPictures(paths, dates, 3, "2009/01/01"), (QStringList{"/p/A.jpg", "/p/b.jpg"}));
    // Only filled slots count.
    EXPECT_EQ(visitPictures(paths, dates, 1, "2009/01/01"), (QStringList{"/p/b.jpg"}));
    EXPECT_TRUE(visitPictures(paths, dates, 3, "2009/01/03").isEmpty());
}

TEST(FaceVisit, TakesTheFirstFiveOfTheDateAndDatesNoFurther)
{
    Sandbox box;
    for (int i = 0; i < 300; ++i)
        test::touchPicture(box.file(QStringLiteral("f/p%1.jpg").arg(i, 3, 10, QChar('0'))),
                           i % 2 ? day(2009, 1, 1) : day(2009, 1, 2));
    DatedPictures pictures(listPictures(box.file("f")), 1);
    const QStringList taken = faceVisitPictures(pictures, "2009/01/01");
    EXPECT_EQ(taken, (QStringList{box.file("f/p001.jpg"), box.file("f/p003.jpg"), box.file("f/p005.jpg"),
                                  box.file("f/p007.jpg"), box.file("f/p009.jpg")}));
    EXPECT_LT(pictures.datedCount(), 300);
    EXPECT_TRUE(faceVisitPictures(pictures, "2010/01/01").isEmpty());
    EXPECT_EQ(pictures.datedCount(), 300);
}

TEST(Dating, FollowsTheExifDateWhenFileHizukeIsZero)
{
    Sandbox box;
    const QString exif = test::writeExifPicture(box.file("p/a.jpg"), "2009:05:12 14:03:27", day(2011, 1, 1));
    const QString zeros =
        test::writeExifPicture(box.file("p/b.jpg"), "0000:00:00 00:00:00", day(2011, 2, 2, 15));
    const QString none = test::writePicture(box.file("p/c.jpg"), QDate(2011, 3, 3));
    const QString empty = test::touchPicture(box.file("p/d.jpg"), day(2011, 4, 4));
    DatedPictures byExif(QStringList{exif, zeros, none, empty}, 0);
    EXPECT_EQ(byExif.take(0, 4), day(2009, 5, 12, 0));
    EXPECT_EQ(byExif.take(1, 4), day(2011, 2, 2, 15));
    EXPECT_EQ(byExif.take(2, 4), day(2011, 3, 3));
    EXPECT_EQ(byExif.take(3, 4), day(2011, 4, 4));
    DatedPictures byFile(QStringList{exif}, 1);
    EXPECT_EQ(byFile.take(0, 1), day(2011, 1, 1));
    EXPECT_TRUE(byExif.takeFailures().empty());
    EXPECT_TRUE(byFile.takeFailures().empty());
}

TEST(Dating, TakingAgainOwesTheMessageAgainAsADatingWould)
{
    Sandbox box;
    DatedPictures pictures(QStringList{box.file("gone.jpg")}, 1);
    EXPECT_EQ(pictures.take(0, 1), zeroDate());
    EXPECT_EQ(pictures.take(0, 1), zeroDate());
    EXPECT_EQ(pictures.takeFailures().size(), 2u);
    EXPECT_TRUE(pictures.takeFailures().empty());
}

TEST(LatestDate, IsTheGreatestText)
{
    EXPECT_EQ(latestDate({"2008/12/01", "2009/03/15", "2009/01/20"}), QStringLiteral("2009/03/15"));
    EXPECT_EQ(latestDate({"1899/12/30"}), QStringLiteral("1899/12/30"));
    EXPECT_TRUE(latestDate({}).isEmpty());
}

} // namespace
} // namespace tolvarine
