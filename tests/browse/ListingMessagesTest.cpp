#include <gtest/gtest.h>

#include <QDir>

#include "browse/BrowseMessages.h"
#include "store/StoreFiles.h"
#include "store/StoreNames.h"
#include "store/VisitListing.h"
#include "support/StoreTestData.h"
#include "support/TestSupport.h"

namespace tolvarine {
namespace {

using test::MessageRecorder;
using test::Sandbox;

QDateTime day(int y, int m, int d, int hour = 10) { return QDateTime(QDate(y, m, d), QTime(hour, 0)); }

// Empty pictures, one a day from a start date, or all on one day.
QStringList touchPictures(const Sandbox &box, const QString &folder, int count, bool oneDay)
{
    for (int i = 0; i < count; ++i) {
        const QDateTime when = oneDay ? day(2009, 3, 15).addSecs(i) : day(2000, 1, 1).addDays(i);
        test::touchPicture(box.file(QStringLiteral("%1/p%2.jpg").arg(folder).arg(i, 4, 10, QChar('0'))),
                           when);
    }
    return listPictures(box.file(folder));
}

// The scans as the window runs them: what they owe the user is told right after.
OralListing scanOral(DatedPictures &pictures)
{
    const OralListing listing = scanOralPictures(pictures);
    tellDatingFailures(pictures, listing.limitReached, oralLimitMessage());
    return listing;
}

FaceDateListing scanFace(DatedPictures &pictures)
{
    const FaceDateListing listing = scanFaceDates(pictures);
    tellDatingFailures(pictures, listing.limitReached, faceLimitMessage());
    return listing;
}

TEST(OralScan, ListsEachVisitDateOnceInTheOrderMet)
{
    Sandbox box;
    test::writePicture(box.file("p/a.jpg"), QDate(2009, 3, 15));
    test::writePicture(box.file("p/b.jpg"), QDate(2008, 12, 1));
    test::writePicture(box.file("p/c.jpg"), QDate(2009, 3, 15), 30);
    test::writePicture(box.file("p/d.jpg"), QDate(2009, 1, 20));
    MessageRecorder messages;
    DatedPictures pictures(listPictures(box.file("p")), 1);
    const OralListing listing = scanOral(pictures);
    EXPECT_EQ(listing.intOralCount, 4);
    EXPECT_EQ(listing.dates, (QStringList{"2009/03/15", "2008/12/01", "2009/01/20"}));
    EXPECT_EQ(latestDate(listing.dates), QStringLiteral("2009/03/15"));
    EXPECT_EQ(listing.datOralFile[1], day(2008, 12, 1));
    EXPECT_TRUE(messages.texts().isEmpty());
    EXPECT_EQ(visitPictures(listing.strOralFile, listing.datOralFile, listing.intOralCount, "2009/03/15"),
              (QStringList{box.file("p/a.jpg"), box.file("p/c.jpg")}));
}

struct LimitCase {
    int pictures;
    int taken;
    int messages;
};

class OralLimit : public ::testing::TestWithParam<LimitCase> {};

TEST_P(OralLimit, TakesAtMost1201PicturesAndSaysSoAfterTheLast)
{
    const LimitCase &c = GetParam();
    Sandbox box;
    DatedPictures pictures(touchPictures(box, "p", c.pictures, true), 1);
    MessageRecorder messages;
    const OralListing listing = scanOral(pictures);
    EXPECT_EQ(listing.intOralCount, c.taken);
    EXPECT_EQ(listing.strOralFile.size(), c.taken);
    ASSERT_EQ(int(messages.messages().size()), c.messages);
    if (c.messages) {
        EXPECT_EQ(
            messages.texts().first(),
            QStringLiteral("画像が規定枚数を超えました、\r\nサブフォルダを作って古い画像を移動して下さい"));
        EXPECT_EQ(messages.messages()[0].buttons, MessageButtons::Ok);
        EXPECT_EQ(messages.messages()[0].icon, MessageIcon::None);
        EXPECT_EQ(messages.messages()[0].title, QStringLiteral("Tolvarine"));
    }
    // Dating reads no further than the scan can take.
    EXPECT_LE(pictures.datedCount(), kOralSlots);
}

INSTANTIATE_TEST_SUITE_P(
    Counts, OralLimit,
    ::testing::Values(LimitCase{1200, 1200, 0}, LimitCase{1201, 1201, 1}, LimitCase{1300, 1201, 1}),
    test::namedBy([](const LimitCase &c) { return QStringLiteral("%1pictures").arg(c.pictures); }));

TEST(OralScan, ListsEveryVisitDateHoweverMany)
{
    Sandbox box;
    // Camera names count up: the newest visit comes last in name order.
    touchPictures(box, "p", 200, false);
    DatedPictures pictures(listPictures(box.file("p")), 1);
    MessageRecorder messages;
    const OralListing listing = scanOral(pictures);
    EXPECT_EQ(listing.intOralCount, 200);
    EXPECT_EQ(listing.dates.size(), 200);
    EXPECT_EQ(listing.strOralFile.last(), box.file("p/p0199.jpg"));
    EXPECT_EQ(latestDate(listing.dates), visitDateText(pictures.take(199, 200)));
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST(FaceScan, StopsAfterThe751stWithItsMessage)
{
    Sandbox box;
    for (int count : {750, 751, 760}) {
        const QString folder = QStringLiteral("f%1").arg(count);
        DatedPictures pictures(touchPictures(box, folder, count, true), 1);
        MessageRecorder messages;
        const FaceDateListing listing = scanFace(pictures);
        EXPECT_EQ(listing.intFaceCount, std::min(count, 751)) << count;
        EXPECT_EQ(listing.dates, QStringList{"2009/03/15"});
        EXPECT_EQ(messages.texts(), count > 750 ? QStringList{"画像が規定枚数を超えました"} : QStringList{})
            << count;
        EXPECT_LE(pictures.datedCount(), kFaceScanLimit);
    }
}

TEST(FaceScan, ListsEveryVisitDateToo)
{
    Sandbox box;
    DatedPictures pictures(touchPictures(box, "f", 200, false), 1);
    MessageRecorder messages;
    const FaceDateListing listing = scanFace(pictures);
    EXPECT_EQ(listing.dates.size(), 200);
    EXPECT_EQ(listing.intFaceCount, 200);
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST(Dating, ReportsEachFailedFileWhereTheSequentialScanMeetsIt)
{
    Sandbox box;
    QStringList paths;
    for (int i = 0; i < 40; ++i)
        paths << test::touchPicture(box.file(QStringLiteral("p/p%1.jpg").arg(i, 2, 10, QChar('0'))),
                                    day(2009, 1, 1));
    // Pictures that went away after the folder was read.
    paths.insert(3, box.file("p/gone1.jpg"));
    paths.insert(30, box.file("p/gone2.jpg"));
    for (int fileHizuke : {1, 0}) {
        DatedPictures pictures(paths, int16_t(fileHizuke));
        MessageRecorder messages;
        const OralListing listing = scanOral(pictures);
        EXPECT_EQ(listing.intOralCount, 42);
        ASSERT_EQ(messages.messages().size(), 2u);
        for (const MessageRequest &m : messages.messages()) {
            EXPECT_TRUE(m.text.startsWith(QStringLiteral("VB ｴﾗｰ: '2' - "))) << m.text.toStdString();
            EXPECT_EQ(m.title, QStringLiteral("IE5.0以降をｲﾝｽﾄｰﾙ"));
        }
        EXPECT_EQ(listing.dates, (QStringList{"2009/01/01", "1899/12/30"}));
        EXPECT_EQ(listing.datOralFile[3], zeroDate());
    }
}

} // namespace
} // namespace tolvarine
