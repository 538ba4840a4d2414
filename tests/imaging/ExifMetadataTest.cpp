#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include <QtConcurrent/QtConcurrentMap>

#include "imaging/ExifMetadata.h"
#include "imaging/ImagingTestData.h"
#include "imaging/JpegStructure.h"
#include "support/TestSupport.h"

using namespace tolvarine;

namespace {

const QString kDate = QStringLiteral("2009:05:12 14:03:27");
const QString kOriginal = QStringLiteral("2001:01:01 09:00:00");

QByteArray exifJpeg(const QString &dateTime, const QString &original = QString())
{
    return test::encodeJpegWithExif(test::makeGradientImage(64, 48), dateTime, original);
}

// An Exif block whose TIFF structure is nonsense.
QByteArray corruptExifJpeg()
{
    return test::withSegment(test::encodeJpeg(test::makeGradientImage(32, 32)), 0xE1,
                             QByteArray("Exif\0\0", 6) + QByteArray("MM\0\x2A\xFF\xFF\xFF\xF0junkjunk", 16));
}

struct DateRow {
    const char *name;
    QByteArray jpeg;
    std::optional<QString> expected;
};

} // namespace

TEST(ExifMetadata, DateTimeFallsBackInKeyOrder)
{
    const QByteArray both = exifJpeg(kDate, kOriginal);
    const std::vector<DateRow> rows{
        {"DateTime first", both, kDate},
        {"DateTimeOriginal when DateTime is missing", exifJpeg(QString(), kOriginal), kOriginal},
        {"no date tags", exifJpeg(QString()), std::nullopt},
        {"no Exif at all", test::encodeJpeg(test::makeGradientImage(16, 16)), std::nullopt},
        {"picture data cut short, header intact", test::cutInScan(both), kDate},
        {"PNG", test::encodePng(test::makeGradientImage(16, 16)), std::nullopt},
        {"garbage after a JPEG signature", QByteArray("\xFF\xD8\xFF\xE1\xFF\xFF garbage", 14), std::nullopt},
        {"corrupt Exif block", corruptExifJpeg(), std::nullopt},
        {"empty", QByteArray(), std::nullopt},
    };
    test::Sandbox box;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = box.write(QStringLiteral("%1.jpg").arg(QLatin1String(row.name)), row.jpeg);
        EXPECT_EQ(readExifDateTime(path), row.expected);
        EXPECT_EQ(exifDateTime(row.jpeg), row.expected);
    }
    EXPECT_EQ(readExifDateTime(box.file("missing.jpg")), std::nullopt);
}

TEST(ExifMetadata, CommentTextsOfTheMappedTags)
{
    CommentTexts texts;
    ASSERT_TRUE(readCommentTexts(exifJpeg(kDate), texts));
    EXPECT_EQ(texts.at(0), "Dr. Test");
    EXPECT_EQ(texts.at(2), kDate);
    EXPECT_EQ(texts.at(5), "TolvarineTest");
    EXPECT_EQ(texts.count(3), 0u);
    EXPECT_STREQ(exifKeyForSlot(2), "Exif.Image.DateTime");
    EXPECT_EQ(exifKeyForSlot(100), nullptr);
    EXPECT_EQ(readCommentTexts(test::encodePng(test::makeGradientImage(4, 4)), texts).status,
              Status::NotJpeg);
    EXPECT_TRUE(texts.empty());
}

TEST(ExifMetadata, DatesReadFromManyThreadsAtOnce)
{
    test::Sandbox box;
    QStringList paths;
    for (int i = 0; i < 48; ++i) {
        const QString date = QStringLiteral("2010:01:%1 10:00:00").arg(i % 28 + 1, 2, 10, QChar('0'));
        QByteArray jpeg = exifJpeg(date, kOriginal);
        if (i % 3 == 0)
            jpeg = test::withXmp(jpeg, test::sampleXmpPacket());
        paths << box.write(QStringLiteral("p%1.jpg").arg(i), jpeg);
    }
    const QList<std::optional<QString>> dates =
        QtConcurrent::blockingMapped(paths, [](const QString &path) { return readExifDateTime(path); });
    ASSERT_EQ(dates.size(), paths.size());
    for (int i = 0; i < dates.size(); ++i)
        EXPECT_EQ(dates[i], QStringLiteral("2010:01:%1 10:00:00").arg(i % 28 + 1, 2, 10, QChar('0')));
}

TEST(ExifMetadata, RewriteKeepsPictureAndEveryOtherItem)
{
    const QByteArray packet = test::sampleXmpPacket();
    const QByteArray original =
        test::withComment(test::withXmp(exifJpeg(kDate, kOriginal), packet), "clinic note");
    QByteArray result;
    const Outcome outcome = rewriteMetadata(original, {{2, "2008:03:03 12:00:00"}}, result);
    ASSERT_EQ(outcome.status, Status::Done) << outcome.detail.toStdString();
    EXPECT_TRUE(samePictureData(original, result));
    EXPECT_EQ(test::jpegScanData(result), test::jpegScanData(original));
    EXPECT_EQ(exifDateTime(result), "2008:03:03 12:00:00");
    EXPECT_TRUE(result.contains(packet));
    EXPECT_TRUE(result.contains("clinic note"));
    EXPECT_TRUE(result.contains(kOriginal.toLatin1()));
    CommentTexts texts;
    ASSERT_TRUE(readCommentTexts(result, texts));
    EXPECT_EQ(texts.at(0), "Dr. Test");
    EXPECT_EQ(texts.at(5), "TolvarineTest");
}

TEST(ExifMetadata, RewriteWithTheSameTextsChangesNothing)
{
    const QByteArray original = exifJpeg(kDate);
    QByteArray result;
    EXPECT_EQ(rewriteMetadata(original, {{0, "Dr. Test"}, {2, kDate}, {7, "kept in memory"}}, result).status,
              Status::Unchanged);
    EXPECT_TRUE(result.isEmpty());
}

TEST(ExifMetadata, RewriteRefusesWhatItCannotKeep)
{
    const std::map<int, QString> date{{2, "2008:03:03 12:00:00"}};
    for (const QByteArray &bad : {test::encodePng(test::makeGradientImage(8, 8)), corruptExifJpeg(),
                                  QByteArray("\xFF\xD8\xFF", 3), QByteArray()}) {
        QByteArray result;
        const Outcome outcome = rewriteMetadata(bad, date, result);
        EXPECT_FALSE(outcome.ok());
        EXPECT_TRUE(result.isEmpty());
    }
}

TEST(ExifMetadata, CarryMovesMetadataIntoANewEncoding)
{
    const QByteArray source = exifJpeg(kDate, kOriginal);
    const QByteArray encoded = test::encodeJpeg(test::makeGradientImage(48, 64), 95);
    QByteArray result;
    const Outcome outcome =
        carryMetadata(source, encoded, QSize(48, 64), {{2, "2008:03:03 12:00:00"}}, result);
    ASSERT_TRUE(outcome) << outcome.detail.toStdString();
    EXPECT_TRUE(samePictureData(encoded, result));
    EXPECT_EQ(exifDateTime(result), "2008:03:03 12:00:00");
    EXPECT_TRUE(result.contains(kOriginal.toLatin1()));
    CommentTexts texts;
    ASSERT_TRUE(readCommentTexts(result, texts));
    EXPECT_EQ(texts.at(5), "TolvarineTest");

    QByteArray fresh;
    const Outcome freshOutcome = carryMetadata(QByteArray(), encoded, QSize(48, 64), {{2, kDate}}, fresh);
    ASSERT_TRUE(freshOutcome) << freshOutcome.detail.toStdString();
    EXPECT_EQ(exifDateTime(fresh), kDate);
    QByteArray refused;
    EXPECT_FALSE(carryMetadata(corruptExifJpeg(), encoded, QSize(48, 64), {}, refused));
    EXPECT_TRUE(refused.isEmpty());
}
