#include <chrono>
#include <mutex>
#include <thread>

#include <gtest/gtest.h>

#include <QFile>
#include <QHash>

#include "imaging/ImagingControl.h"
#include "imaging/JpegStructure.h"
#include "platform/FileFaults.h"
#include "platform/ReadPool.h"
#include "store/PanelFill.h"
#include "store/StoreNames.h"
#include "store/StorePaths.h"
#include "store/VisitListing.h"
#include "support/StoreTestData.h"
#include "support/TestSupport.h"

namespace tolvarine {
namespace {

using test::Sandbox;

// A file server slow in its own way: each read waits, some files longer than
// others, so that reads started together end in another order than they began.
void slowServer(const QStringList &files)
{
    QHash<QString, int> rank;
    for (int i = 0; i < files.size(); ++i)
        rank.insert(files.at(i), i);
    delayFileReads([rank](const QString &path, qint64) {
        std::this_thread::sleep_for(std::chrono::microseconds(400 * (3 - rank.value(path) % 4)));
    });
}

struct Flight {
    const char *name;
    int reads;
};

class ReadsInFlight : public ::testing::TestWithParam<Flight> {
protected:
    void TearDown() override
    {
        delayFileReads({});
        setReadsInFlight(0);
    }
    Sandbox box;
};

QDateTime at(int y, int m, int d, int hour = 0) { return QDateTime(QDate(y, m, d), QTime(hour, 0)); }

TEST_P(ReadsInFlight, TheListingDatesAndReportsInStoreOrder)
{
    // Exif-dated pictures, pictures dated by their file time, and files gone
    // between the folder's listing and their dating.
    QStringList paths;
    std::vector<QDateTime> expected;
    QStringList gone;
    for (int i = 0; i < 40; ++i) {
        const QString path = box.file(QStringLiteral("p/P%1.jpg").arg(i, 2, 10, QChar('0')));
        paths << path;
        if (i % 7 == 3) {
            gone << path;
            expected.push_back(zeroDate());
        } else if (i % 5 == 0) {
            test::writePicture(path, QDate(2008, 12, 1 + i / 5));
            expected.push_back(at(2008, 12, 1 + i / 5, 10));
        } else {
            const QDate day(2009, 1 + i % 3, 10 + i % 4);
            test::writeExifPicture(path, day.toString("yyyy:MM:dd 14:03:27"), at(2011, 1, 1));
            expected.push_back(at(day.year(), day.month(), day.day()));
        }
    }
    QStringList expectedDates;
    for (const QDateTime &date : expected) {
        if (!expectedDates.contains(visitDateText(date)))
            expectedDates << visitDateText(date);
    }
    const QString faceDate = visitDateText(expected[1]);
    QStringList expectedFace;
    for (int i = 0; i < paths.size() && expectedFace.size() < 5; ++i) {
        if (visitDateText(expected[size_t(i)]) == faceDate)
            expectedFace << paths[i];
    }

    slowServer(paths);
    setReadsInFlight(GetParam().reads);
    DatedPictures pictures(paths, 0);
    const OralListing listing = scanOralPictures(pictures);
    EXPECT_EQ(listing.strOralFile, paths);
    EXPECT_EQ(listing.datOralFile, expected);
    EXPECT_EQ(listing.dates, expectedDates);
    QStringList reported;
    for (const Outcome &failure : pictures.takeFailures())
        reported << failure.detail;
    EXPECT_EQ(reported, gone);

    DatedPictures face(paths, 0);
    EXPECT_EQ(faceVisitPictures(face, faceDate), expectedFace);
    EXPECT_EQ(scanFaceDates(face).dates, expectedDates);
}

void expectSamePictures(const std::vector<PanelPicture> &got, const std::vector<PanelPicture> &want)
{
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(want[i].picture.toStdString());
        EXPECT_EQ(got[i].placement.index, want[i].placement.index);
        EXPECT_EQ(got[i].placement.position, want[i].placement.position);
        EXPECT_EQ(got[i].picture, want[i].picture);
        EXPECT_EQ(got[i].thumbnail, want[i].thumbnail);
        EXPECT_EQ(got[i].fromThumbnail, want[i].fromThumbnail);
        EXPECT_EQ(got[i].keepThumbnail, want[i].keepThumbnail);
        EXPECT_EQ(got[i].replaceThumbnail, want[i].replaceThumbnail);
        EXPECT_EQ(got[i].image, want[i].image);
    }
}

TEST_P(ReadsInFlight, TheFillGivesEachPictureItsPlaceInEntryOrder)
{
    QStringList entries;
    for (int i = 0; i < 7; ++i)
        entries << box.file(QStringLiteral("v/IMG_%1.jpg").arg(i));
    for (int i = 0; i < 7; ++i) {
        if (i != 6) // gone
            test::writePicture(entries[i], QDate(2009, 3, 15), i, 80 + 8 * i, 60);
    }
    PanelSetup setup{PanelKind::Oral, QStringLiteral("6054213"), std::vector<int16_t>(7, 0)};
    setup.codes[1] = 1;
    // A thumbnail made earlier, one that does not decode, a picture that does not.
    saveMissingThumbnails(preparePanel({entries[2]}, setup), setup);
    QFile undecodable(thumbnailPath(entries[5]));
    ASSERT_TRUE(undecodable.open(QIODevice::WriteOnly) && undecodable.write("not a thumbnail") > 0);
    undecodable.close();
    QFile spoilt(entries[4]);
    ASSERT_TRUE(spoilt.open(QIODevice::WriteOnly | QIODevice::Truncate) && spoilt.write("not a picture") > 0);
    spoilt.close();

    setReadsInFlight(1);
    const std::vector<PanelPicture> oneByOne = preparePanel(entries, setup);
    ASSERT_EQ(oneByOne.size(), 7u);
    EXPECT_TRUE(oneByOne[2].fromThumbnail);
    EXPECT_TRUE(oneByOne[5].replaceThumbnail);
    EXPECT_TRUE(oneByOne[4].image.isNull());
    EXPECT_TRUE(oneByOne[6].image.isNull());

    slowServer(entries + QStringList{thumbnailPath(entries[2]), thumbnailPath(entries[5])});
    setReadsInFlight(GetParam().reads);
    PanelPreparation preparation(entries, setup);
    std::vector<PanelPicture> taken;
    for (int i = 0; i < preparation.count(); ++i)
        taken.push_back(preparation.take(i));
    expectSamePictures(taken, oneByOne);
}

INSTANTIATE_TEST_SUITE_P(Reads, ReadsInFlight,
                         ::testing::Values(Flight{"one at a time", 1}, Flight{"two at once", 2},
                                           Flight{"sixteen at once", 16}),
                         test::namedBy([](const Flight &f) { return f.name; }));

// The JPEG with its Exif segment grown by bytes after its TIFF structure, which
// readers pass over, as a camera's maker notes and preview grow it.
QByteArray withGrownExif(const QByteArray &jpeg, int extra)
{
    const std::optional<JpegSegment> exif = exifSegmentOf(jpeg);
    if (!exif || extra <= 0)
        return jpeg;
    QByteArray grown = jpeg;
    grown.insert(exif->offset + exif->size, QByteArray(extra, '\0'));
    const int length = int(exif->size - 2 + extra);
    grown[exif->offset + 2] = char(length >> 8);
    grown[exif->offset + 3] = char(length & 0xFF);
    return grown;
}

struct HeaderCase {
    const char *name;
    const char *exifDate; // nullptr: no Exif block
    int grownBy;          // bytes added to the Exif block
    int reads;            // the reads the dating may take
};

class HeaderReads : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(HeaderReads, ADatingReadsNoFurtherThanTheExifBlock)
{
    const HeaderCase &c = GetParam();
    Sandbox box;
    const QImage image = test::makeGradientImage(2000, 1500);
    const QByteArray jpeg = c.exifDate ? withGrownExif(test::encodeJpegWithExif(image, c.exifDate), c.grownBy)
                                       : test::encodeJpeg(image);
    const QString path = box.write("a.jpg", jpeg);
    ASSERT_TRUE(test::setModified(path, at(2011, 4, 4, 9)));
    // At most the leading segments and what one first read takes: far from the whole file.
    const qsizetype enough = jpegScanOffset(jpeg) + 16 * 1024 + 4;
    ASSERT_GT(jpeg.size(), 2 * enough);

    std::mutex mutex;
    int reads = 0;
    qint64 asked = 0;
    delayFileReads([&](const QString &, qint64 bytes) {
        const std::lock_guard<std::mutex> lock(mutex);
        ++reads;
        asked += bytes;
    });
    const PictureDate dated = pictureDate(path, 0);
    delayFileReads({});
    const bool valid = c.exifDate && QByteArray(c.exifDate).startsWith("2009");
    EXPECT_EQ(dated.date, valid ? at(2009, 5, 12) : at(2011, 4, 4, 9));
    EXPECT_EQ(reads, c.reads);
    EXPECT_LE(asked, enough);
}

INSTANTIATE_TEST_SUITE_P(Exif, HeaderReads,
                         ::testing::Values(
                             HeaderCase{"a small Exif block", "2009:05:12 14:03:27", 0, 1},
                             // A camera's block: its date comes first, its maker notes and preview after.
                             HeaderCase{"a long Exif block", "2009:05:12 14:03:27", 40000, 1},
                             // No usable date up front: the whole block is read for the other dates.
                             HeaderCase{"a long Exif block with a zero date", "0000:00:00 00:00:00", 40000, 2},
                             HeaderCase{"no Exif block", nullptr, 0, 1}),
                         test::namedBy([](const HeaderCase &c) { return c.name; }));

} // namespace
} // namespace tolvarine
