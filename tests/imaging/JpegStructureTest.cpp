#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "imaging/ImagingTestData.h"
#include "imaging/JpegStructure.h"
#include "imaging/TiffStructure.h"
#include "support/TestSupport.h"

using namespace tolvarine;

namespace {

QByteArray sampleJpeg()
{
    return test::encodeJpegWithExif(test::makeGradientImage(64, 48), "2009:05:12 14:03:27");
}

} // namespace

TEST(JpegStructure, RecognisesJpegByItsFirstBytes)
{
    EXPECT_TRUE(looksLikeJpeg(sampleJpeg()));
    EXPECT_FALSE(looksLikeJpeg(QByteArray()));
    EXPECT_FALSE(looksLikeJpeg(QByteArray("\xFF\xD8", 2)));
    EXPECT_FALSE(looksLikeJpeg(test::encodePng(test::makeGradientImage(4, 4))));
    EXPECT_FALSE(looksLikeJpeg(QByteArray("II*\0", 4)));
}

TEST(JpegStructure, CompletenessFollowsTheScansToTheEnd)
{
    const QByteArray baseline = sampleJpeg();
    const QByteArray progressive = test::encodeProgressiveJpeg(test::makeGradientImage(64, 48));
    ASSERT_NE(jpegScanOffset(progressive), -1);
    EXPECT_TRUE(jpegIsComplete(baseline));
    EXPECT_TRUE(jpegIsComplete(progressive));
    // Data after the end of the first picture (as multi-picture files carry) changes nothing.
    const QByteArray trailer = test::encodeJpeg(test::makeGradientImage(8, 8)).left(40);
    EXPECT_TRUE(jpegIsComplete(baseline + trailer));
    EXPECT_EQ(jpegEndOfImage(baseline + trailer), baseline.size());
    EXPECT_EQ(jpegEndOfImage(progressive), progressive.size());
    for (const QByteArray &jpeg : {baseline, progressive}) {
        EXPECT_FALSE(jpegIsComplete(jpeg.left(jpeg.size() / 2)));
        EXPECT_FALSE(jpegIsComplete(jpeg.left(jpeg.size() - 2)));
        EXPECT_FALSE(jpegIsComplete(jpeg.left(jpegScanOffset(jpeg) + 1)));
    }
    EXPECT_FALSE(jpegIsComplete(QByteArray("\xFF\xD8\xFF\xD9", 4)));
}

TEST(JpegStructure, HeaderIsTheFilePrefixUpToTheFirstScan)
{
    test::Sandbox box;
    const QByteArray jpeg = test::withXmp(sampleJpeg(), test::sampleXmpPacket());
    const QString path = box.write("p.jpg", jpeg);
    QByteArray head;
    ASSERT_TRUE(readJpegHeader(path, head));
    EXPECT_LT(head.size(), jpeg.size());
    EXPECT_TRUE(jpeg.startsWith(head));
    EXPECT_TRUE(head.endsWith(QByteArray("\xFF\xDA", 2)));
    EXPECT_EQ(head.size(), jpegScanOffset(jpeg) + 2);

    struct Row {
        const char *name;
        QString path;
        Status status;
    };
    const std::vector<Row> failing{
        {"PNG", box.write("png.jpg", test::encodePng(test::makeGradientImage(4, 4))), Status::NotJpeg},
        {"cut in its first segment", box.write("cut.jpg", jpeg.left(30)), Status::Damaged},
        {"empty", box.write("empty.jpg", {}), Status::NotJpeg},
        {"missing", box.file("missing.jpg"), Status::Missing},
    };
    for (const Row &row : failing) {
        SCOPED_TRACE(row.name);
        QByteArray failed("left over");
        EXPECT_EQ(readJpegHeader(row.path, failed).status, row.status);
        EXPECT_TRUE(failed.isEmpty());
    }
}

TEST(JpegStructure, SamePictureDataIgnoresMetadataOnly)
{
    const QImage image = test::makeGradientImage(64, 48);
    const QByteArray plain = test::encodeJpeg(image, 90);
    const QByteArray withExif = test::encodeJpegWithExif(image, "2009:05:12 14:03:27");
    EXPECT_TRUE(samePictureData(plain, withExif));
    EXPECT_TRUE(samePictureData(plain, test::withComment(plain, "note")));
    EXPECT_FALSE(samePictureData(plain, test::encodeJpeg(image, 70)));

    QByteArray scanChanged = plain;
    scanChanged[scanChanged.size() - 10] = char(scanChanged[scanChanged.size() - 10] ^ 0x01);
    EXPECT_FALSE(samePictureData(plain, scanChanged));
    EXPECT_FALSE(samePictureData(plain, test::withClaimedSize(plain, 65, 48)));
    EXPECT_FALSE(samePictureData(plain, plain.left(plain.size() - 1)));
}

TEST(JpegStructure, ReadsClaimedSizeAndExifPresence)
{
    const QByteArray plain = test::encodeJpeg(test::makeGradientImage(64, 48));
    EXPECT_EQ(jpegClaimedSize(plain), QSize(64, 48));
    EXPECT_EQ(jpegClaimedSize(test::withClaimedSize(plain, 60000, 60000)), QSize(60000, 60000));
    EXPECT_FALSE(jpegClaimedSize(QByteArray("garbage")).isValid());
    EXPECT_FALSE(hasExifSegment(plain));
    EXPECT_TRUE(hasExifSegment(sampleJpeg()));
    EXPECT_FALSE(hasExifSegment(test::withXmp(plain, test::sampleXmpPacket())));
}

TEST(JpegStructure, TiffWalkStaysInsideTheBlock)
{
    // IFD0 at 8 with one entry: an Exif pointer back at IFD0 itself, and IFD1 at IFD0 too.
    const QByteArray loop("MM\0*\0\0\0\x08"
                          "\0\x01"
                          "\x87\x69\0\x04\0\0\0\x01\0\0\0\x08"
                          "\0\0\0\x08",
                          26);
    struct Row {
        const char *name;
        QByteArray tiff;
        std::optional<size_t> entries; // nullopt: unreadable
    };
    const std::vector<Row> rows{
        {"pointers back at IFD0", loop, 1},
        {"entry table beyond the block", QByteArray("II*\0\x08\0\0\0\xFF\xFF", 10), std::nullopt},
        {"IFD0 beyond the block", QByteArray("MM\0*\xFF\xFF\xFF\xF0", 8), std::nullopt},
        {"no TIFF header", QByteArray("XX\0*\0\0\0\x08\0\0", 10), std::nullopt},
        {"header only", QByteArray("MM\0*", 4), std::nullopt},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const auto layout = readTiffLayout(row.tiff);
        ASSERT_EQ(layout.has_value(), row.entries.has_value());
        if (layout) {
            EXPECT_EQ(layout->entries.size(), *row.entries);
        }
    }
    // A value that claims more bytes than the block holds is reported as outside it.
    QByteArray tooLong = loop;
    tooLong.replace(10, 12, QByteArray("\x01\x0E\0\x02\xFF\xFF\xFF\xFF\0\0\0\x10", 12));
    const auto layout = readTiffLayout(tooLong);
    ASSERT_TRUE(layout.has_value());
    EXPECT_EQ(layout->entries.at(0).valueOffset, -1);
}
