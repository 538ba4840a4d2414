#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>

#include "imaging/ImagingControl.h"
#include "store/CaptureDate.h"
#include "support/TestSupport.h"

using namespace tolvarine;
using test::Sandbox;

namespace {

const QDateTime kFileTime(QDate(2010, 6, 7), QTime(9, 41, 5));

QString pictureWithExif(const Sandbox &box, const QString &name, const QString &dateTime,
                        const QString &original = QString())
{
    const QString path =
        box.write(name, test::encodeJpegWithExif(test::makeGradientImage(64, 48), dateTime, original));
    test::setModified(path, kFileTime);
    return path;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

} // namespace

struct ExifTextCase {
    const char *text;
    int year, month, day; // 0: not a date
};

class ExifTextDate : public ::testing::TestWithParam<ExifTextCase> {};

TEST_P(ExifTextDate, ReadsOnlyTheDatePositions)
{
    const auto c = GetParam();
    const auto date = exifTextDate(QString::fromLatin1(c.text));
    if (c.year == 0) {
        EXPECT_FALSE(date.has_value()) << c.text;
    } else {
        ASSERT_TRUE(date.has_value()) << c.text;
        EXPECT_EQ(*date, QDate(c.year, c.month, c.day));
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, ExifTextDate,
                         ::testing::Values(ExifTextCase{"2009:05:12 14:03:27", 2009, 5, 12},
                                           ExifTextCase{"2009-05-12 14:03:27", 2009, 5, 12},
                                           ExifTextCase{"2009x05y12", 2009, 5, 12},
                                           ExifTextCase{"0000:00:00 00:00:00", 0, 0, 0},
                                           ExifTextCase{"2009:02:30 00:00:00", 0, 0, 0},
                                           ExifTextCase{"", 0, 0, 0}, ExifTextCase{"2009:05", 0, 0, 0},
                                           ExifTextCase{"    :  :   ", 0, 0, 0}),
                         test::namedBy([](const ExifTextCase &c) {
                             return test::labelled(c.text, {{"    :  :   ", "blanksAndColons"}});
                         }));

TEST(CaptureDate, ExifDateIsMidnightOfTheTaggedDay)
{
    Sandbox box;
    ImagingControl img;
    const QString path = pictureWithExif(box, "a.jpg", "2009:05:12 14:03:27");
    EXPECT_EQ(exifOrFileDate(img, path), QDateTime(QDate(2009, 5, 12), QTime(0, 0)));
    // Dating by file date never consults Exif.
    EXPECT_EQ(pictureDate(path, 1).date, kFileTime);
    EXPECT_EQ(pictureDate(path, 0).date, QDateTime(QDate(2009, 5, 12), QTime(0, 0)));
}

TEST(CaptureDate, UnusableExifFallsBackToFileTimeWithTimeOfDay)
{
    Sandbox box;
    ImagingControl img;
    const QString zeros = pictureWithExif(box, "zeros.jpg", "0000:00:00 00:00:00");
    const QString none = box.write("none.jpg", test::encodeJpeg(test::makeGradientImage(32, 32)));
    test::setModified(none, kFileTime);
    for (const QString &path : {zeros, none}) {
        Outcome failure;
        EXPECT_EQ(exifOrFileDate(img, path, &failure), kFileTime);
        EXPECT_TRUE(failure.ok());
    }
}

TEST(CaptureDate, OriginalDateUsedWhenImageDateMissing)
{
    Sandbox box;
    ImagingControl img;
    const QString path = pictureWithExif(box, "orig.jpg", QString(), "2007:11:30 08:00:00");
    EXPECT_EQ(exifOrFileDate(img, path), QDateTime(QDate(2007, 11, 30), QTime(0, 0)));
}

TEST(CaptureDate, MissingFileGivesItsErrorAndTheZeroDate)
{
    Sandbox box;
    ImagingControl img;
    Outcome failure;
    EXPECT_FALSE(readFileDate(box.file("gone.jpg"), &failure).has_value());
    EXPECT_EQ(failure.status, Status::Missing);
    EXPECT_EQ(failure.error, ENOENT);
    Outcome exifFailure;
    EXPECT_EQ(exifOrFileDate(img, box.file("gone.jpg"), &exifFailure), zeroDate());
    EXPECT_EQ(exifFailure.error, ENOENT);
    const PictureDate dated = pictureDate(box.file("gone.jpg"), 0);
    EXPECT_EQ(dated.date, zeroDate());
    EXPECT_EQ(dated.failure.error, ENOENT);
    EXPECT_EQ(zeroDate(), QDateTime(QDate(1899, 12, 30), QTime(0, 0)));
}

TEST(DateChange, RoundTripListsUnderTheNewDateBothWays)
{
    Sandbox box;
    ImagingControl img;
    const QString path = pictureWithExif(box, "p.jpg", "2009:05:12 14:03:27", "2009:05:12 14:03:27");
    const QByteArray scanBefore = test::jpegScanData(readAll(path));
    const QDateTime newDate(QDate(2008, 3, 3), QTime(12, 0, 0));

    ASSERT_TRUE(writeExifDate(img, path, newDate));
    ASSERT_TRUE(setFileTime(path, newDate));

    EXPECT_EQ(exifOrFileDate(img, path), QDateTime(QDate(2008, 3, 3), QTime(0, 0)));
    EXPECT_EQ(readFileDate(path).value_or(QDateTime()), newDate);
    EXPECT_EQ(img.opReadComment(path, 0, kCommentDateTime), QStringLiteral("2008:03:03 12:00:00"));

    // The photograph itself is untouched and the other metadata survives.
    const QByteArray after = readAll(path);
    EXPECT_EQ(test::jpegScanData(after), scanBefore);
    EXPECT_TRUE(after.contains("TolvarineTest"));
    EXPECT_TRUE(after.contains("Dr. Test"));
    EXPECT_TRUE(after.contains("2009:05:12 14:03:27")); // DateTimeOriginal kept
}

TEST(DateChange, ReadOnlyFileKeepsContentsAndTimes)
{
    Sandbox box;
    ImagingControl img;
    const QString path = pictureWithExif(box, "ro.jpg", "2009:05:12 14:03:27");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    const QByteArray before = readAll(path);
    const QDateTime newDate(QDate(2008, 3, 3), QTime(12, 0, 0));

    EXPECT_FALSE(writeExifDate(img, path, newDate));
    EXPECT_EQ(setFileTime(path, newDate).status, Status::ReadOnly);
    EXPECT_EQ(readAll(path), before);
    EXPECT_EQ(QFileInfo(path).lastModified(), kFileTime);
}

TEST(DateChange, DamagedPictureIsNeverOverwritten)
{
    Sandbox box;
    ImagingControl img;
    // The control holds another picture first: a failed load must not save it over the target.
    const QString other = pictureWithExif(box, "other.jpg", "2001:01:01 00:00:00");
    ASSERT_TRUE(img.opLoadFile(other, 0, 0, 1));
    const QString damaged = box.write("damaged.jpg", QByteArray("\xFF\xD8\xFF\xE0") + " not really a jpeg");
    const QByteArray before = readAll(damaged);
    EXPECT_FALSE(writeExifDate(img, damaged, QDateTime(QDate(2008, 3, 3), QTime(12, 0))));
    EXPECT_EQ(readAll(damaged), before);
}
