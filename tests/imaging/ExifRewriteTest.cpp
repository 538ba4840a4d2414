#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include <QDir>

#include "imaging/ExifMetadata.h"
#include "imaging/ImagingControl.h"
#include "imaging/ImagingTestData.h"
#include "imaging/JpegStructure.h"
#include "imaging/TiffStructure.h"
#include "sampledata/SamplePictures.h"
#include "store/CaptureDate.h"
#include "support/TestSupport.h"

using namespace tolvarine;

namespace {

const QString kNewDate = QStringLiteral("2008:03:03 12:00:00");

// Offset and size of the first Exif segment, found by walking the markers here.
std::pair<qsizetype, qsizetype> exifRange(const QByteArray &jpeg)
{
    qsizetype pos = 2;
    while (pos + 4 <= jpeg.size() && uchar(jpeg[pos]) == 0xFF && uchar(jpeg[pos + 1]) != 0xDA) {
        const qsizetype size = 2 + ((uchar(jpeg[pos + 2]) << 8) | uchar(jpeg[pos + 3]));
        if (uchar(jpeg[pos + 1]) == 0xE1 && jpeg.mid(pos + 4, 6) == QByteArray("Exif\0\0", 6))
            return {pos, size};
        pos += size;
    }
    return {-1, 0};
}

struct Rewrite {
    const char *name;
    QByteArray jpeg;
};

std::ostream &operator<<(std::ostream &os, const Rewrite &r) { return os << r.name; }

class InPlaceDate : public ::testing::TestWithParam<Rewrite> {};
class SplicedExif : public ::testing::TestWithParam<Rewrite> {};

} // namespace

TEST_P(InPlaceDate, ChangesOnlyTheOldDatesCharacters)
{
    const QByteArray original = GetParam().jpeg;
    const qsizetype dateAt = original.indexOf(test::kCameraDateTime.toLatin1());
    ASSERT_GT(dateAt, 0);
    QByteArray rewritten;
    const Outcome outcome = rewriteMetadata(original, {{0, "Dr. Test"}, {2, kNewDate}}, rewritten);
    ASSERT_EQ(outcome.status, Status::Done) << outcome.detail.toStdString();
    ASSERT_EQ(rewritten.size(), original.size());
    int differing = 0;
    for (qsizetype i = 0; i < original.size(); ++i) {
        if (original[i] != rewritten[i]) {
            ++differing;
            EXPECT_TRUE(i >= dateAt && i < dateAt + 19) << "byte " << i << " changed";
        }
    }
    EXPECT_GT(differing, 0);
    EXPECT_LE(differing, 19);
    EXPECT_EQ(exifDateTime(rewritten), kNewDate);
}

INSTANTIATE_TEST_SUITE_P(
    ExifRewrite, InPlaceDate,
    ::testing::Values(
        Rewrite{"big_endian_with_second_picture", test::cameraFile({false, true, true, false, true})},
        Rewrite{"little_endian_with_second_picture", test::cameraFile({true, true, true, false, true})},
        Rewrite{"value_beyond_the_block_elsewhere", test::cameraFile({false, true, true, true, true})},
        Rewrite{"maker_note_of_unknown_make", test::cameraFile({true, true, true, false, false, "Acme"})}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_P(SplicedExif, OnlyTheExifSegmentDiffers)
{
    const QByteArray original = GetParam().jpeg;
    const auto [oldAt, oldSize] = exifRange(original);
    QByteArray rewritten;
    const Outcome outcome = rewriteMetadata(original, {{2, kNewDate}}, rewritten);
    ASSERT_EQ(outcome.status, Status::Done) << outcome.detail.toStdString();
    const auto [newAt, newSize] = exifRange(rewritten);
    ASSERT_GT(newAt, 0);
    const qsizetype at = oldAt < 0 ? newAt : oldAt;
    EXPECT_EQ(newAt, at);
    EXPECT_EQ(rewritten.left(at), original.left(at));
    EXPECT_EQ(rewritten.mid(newAt + newSize), original.mid(at + oldSize));
    EXPECT_EQ(exifDateTime(rewritten), kNewDate);
    CommentTexts before, after;
    ASSERT_TRUE(readCommentTexts(original, before));
    ASSERT_TRUE(readCommentTexts(rewritten, after));
    before[2] = kNewDate;
    EXPECT_EQ(after, before);

    // From now on the date has its usual form, and the next change is done in place.
    QByteArray again;
    ASSERT_EQ(rewriteMetadata(rewritten, {{2, "2007:01:02 03:04:05"}}, again).status, Status::Done);
    ASSERT_EQ(again.size(), rewritten.size());
    int differing = 0;
    for (qsizetype i = 0; i < again.size(); ++i)
        differing += again[i] != rewritten[i];
    EXPECT_LE(differing, 19);
}

INSTANTIATE_TEST_SUITE_P(
    ExifRewrite, SplicedExif,
    ::testing::Values(Rewrite{"original_date_only", test::cameraFile({false, true, false})},
                      Rewrite{"original_date_only_little_endian", test::cameraFile({true, true, false})},
                      Rewrite{"no_exif", test::cameraFile({false, false})},
                      Rewrite{"no_exif_after_jfif", test::encodeJpeg(test::makeGradientImage(40, 30))},
                      Rewrite{
                          "date_padded_to_24_bytes",
                          sample::withSegment(test::encodeJpeg(test::makeGradientImage(40, 30)),
                                              sample::exifSegment({{0x0132, "2009:05:12 14:03:27    "}}))}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ExifRewrite, NewExifGoesAfterTheJfifSegment)
{
    const QByteArray plain = test::encodeJpeg(test::makeGradientImage(40, 30));
    ASSERT_EQ(uchar(plain[3]), 0xE0);
    QByteArray rewritten;
    ASSERT_TRUE(rewriteMetadata(plain, {{2, kNewDate}}, rewritten));
    EXPECT_EQ(exifRange(rewritten).first, 4 + ((uchar(plain[4]) << 8) | uchar(plain[5])));
}

TEST(ExifRewrite, RefusedRewritesLeaveNothing)
{
    struct Row {
        const char *name;
        QByteArray jpeg;
        Status status;
    };
    const std::vector<Row> rows{
        {"second picture, no date tag", test::cameraFile({false, true, false, false, true}), Status::Refused},
        {"second picture, no Exif", test::cameraFile({false, false, false, false, true}), Status::Refused},
        {"value beyond the block, no date tag", test::cameraFile({false, true, false, true}),
         Status::Refused},
        // Its inner offsets may count from the TIFF header: it must not move.
        {"maker note of unknown make, no date tag",
         test::cameraFile({true, true, false, false, false, "Acme"}), Status::Unverified},
        {"unreadable Exif block",
         test::withSegment(test::encodeJpeg(test::makeGradientImage(16, 16)), 0xE1,
                           QByteArray("Exif\0\0MM\0\x2A\xFF\xFF\xFF\xF0", 14)),
         Status::Damaged},
        {"no picture after the header", QByteArray("\xFF\xD8\xFF\xFE\0\x04hi", 8), Status::Damaged},
    };
    test::Sandbox box;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        QByteArray rewritten("left over");
        const Outcome outcome = rewriteMetadata(row.jpeg, {{2, kNewDate}}, rewritten);
        EXPECT_EQ(outcome.status, row.status) << outcome.detail.toStdString();
        EXPECT_TRUE(rewritten.isEmpty());

        // The date writer's save over the file leaves it as it was, and no temporary file.
        const QString path = box.write("p.jpg", row.jpeg);
        ImagingControl control;
        control.opLoadFile(path, 0, 0, 1);
        control.opComment(kCommentDateTime, kNewDate);
        EXPECT_FALSE(control.opSaveFile(path, kFormatJpegExif));
        EXPECT_FALSE(control.lastFailure().ok());
        EXPECT_EQ(test::fileBytes(path), row.jpeg);
        EXPECT_EQ(QDir(box.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"p.jpg"});
    }
}

TEST(ExifRewrite, DateIsReadFromAWholeExifBlockWithoutPicture)
{
    const QByteArray camera = test::cameraFile({});
    const QByteArray originalOnly = test::cameraFile({true, true, false});
    const auto exifEnd = [](const QByteArray &jpeg) {
        return exifRange(jpeg).first + exifRange(jpeg).second;
    };
    struct Row {
        const char *name;
        QByteArray bytes;
        std::optional<QString> date;
    };
    const std::vector<Row> rows{
        {"cut right after the Exif block", camera.left(exifEnd(camera)), test::kCameraDateTime},
        {"cut after the next segment", camera.left(exifEnd(camera) + 100), test::kCameraDateTime},
        {"end marker right after the Exif block", camera.left(exifEnd(camera)) + "\xFF\xD9",
         test::kCameraDateTime},
        {"garbage after the Exif block", camera.left(exifEnd(camera)) + QByteArray(40, '\x01'),
         test::kCameraDateTime},
        {"original date only, cut", originalOnly.left(exifEnd(originalOnly)), test::kCameraOriginal},
        // The date is whole in what is there: a file cut short keeps it.
        {"cut inside the Exif block", camera.left(exifEnd(camera) - 1), test::kCameraDateTime},
        {"cut inside the date", camera.left(camera.indexOf(test::kCameraDateTime.toLatin1()) + 10),
         std::nullopt},
        {"no Exif, cut after the first segment", test::cameraFile({false, false}).left(200), std::nullopt},
    };
    test::Sandbox box;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(readExifDateTime(box.write("p.jpg", row.bytes)), row.date);
        EXPECT_EQ(exifDateTime(row.bytes), row.date);
    }
}

// Damaged Exif blocks of every kind: each read is bounded, and a rewrite is either
// refused or keeps every byte outside the Exif segment.
TEST(ExifRewrite, DamagedExifBlocksAreReadSafely)
{
    const QByteArray camera = test::cameraFile({true, true, false, false, false});
    const auto [at, size] = exifRange(camera);
    ASSERT_GT(at, 0);
    const QByteArray tiff = camera.mid(at + 10, size - 10);
    std::vector<QByteArray> damaged;
    for (qsizetype cut = 0; cut < tiff.size(); cut += 5)
        damaged.push_back(tiff.left(cut));
    for (qsizetype i = 0; i < tiff.size(); i += 3) {
        QByteArray flipped = tiff;
        flipped[i] = char(flipped[i] ^ (i % 2 ? 0xFF : 0x80));
        damaged.push_back(flipped);
    }
    int done = 0;
    for (const QByteArray &block : damaged) {
        const QByteArray jpeg = camera.left(at) + sample::exifApp1(block) + camera.mid(at + size);
        (void)exifDateTime(jpeg);
        (void)readTiffLayout(block);
        QByteArray rewritten;
        const Outcome outcome = rewriteMetadata(jpeg, {{2, kNewDate}}, rewritten);
        if (outcome.status != Status::Done) {
            EXPECT_TRUE(rewritten.isEmpty());
            continue;
        }
        ++done;
        const auto [newAt, newSize] = exifRange(rewritten);
        ASSERT_EQ(newAt, at);
        EXPECT_EQ(rewritten.mid(newAt + newSize), jpeg.mid(at + 10 + block.size()));
        EXPECT_EQ(exifDateTime(rewritten), kNewDate);
    }
    EXPECT_GT(done, 0);
}

namespace {

// A file the date writer must leave alone, or a date it must not write.
struct Refusal {
    const char *name;
    QByteArray jpeg;
    QDateTime date = QDateTime(QDate(2008, 3, 3), QTime(12, 0));
    QString text = {}; // when set, put into the date slot and saved instead
    Status status = Status::Refused;
};

std::ostream &operator<<(std::ostream &os, const Refusal &r) { return os << r.name; }

class DateWriter : public ::testing::TestWithParam<Refusal> {};

// Rebuilt rather than written in place: these carry no IFD0 date.
test::CameraFileParts withoutDate(test::MakerNoteFault fault = test::MakerNoteFault::None,
                                  bool secondPicture = false)
{
    test::CameraFileParts parts{false, true, false, false, secondPicture};
    parts.makerNote = fault;
    return parts;
}

} // namespace

TEST_P(DateWriter, RefusesAndLeavesTheFileAsItWas)
{
    const Refusal &row = GetParam();
    test::Sandbox box;
    const QString path = box.write("p.jpg", row.jpeg);
    ImagingControl control;
    Outcome outcome;
    if (row.text.isEmpty()) {
        outcome = writeExifDate(control, path, row.date);
    } else {
        ASSERT_TRUE(control.opLoadFile(path, 0, 0, 1));
        control.opComment(kCommentDateTime, row.text);
        EXPECT_FALSE(control.opSaveFile(path, kFormatJpegExif));
        outcome = control.lastFailure();
    }
    EXPECT_EQ(outcome.status, row.status) << outcome.detail.toStdString();
    EXPECT_EQ(test::fileBytes(path), row.jpeg);
    EXPECT_EQ(QDir(box.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"p.jpg"});
}

INSTANTIATE_TEST_SUITE_P(
    ExifRewrite, DateWriter,
    ::testing::Values(
        Refusal{"Canon note Exiv2 skips",
                test::cameraFile(withoutDate(test::MakerNoteFault::TooManyEntries))},
        Refusal{"maker note value beyond the block",
                test::cameraFile(withoutDate(test::MakerNoteFault::ValueBeyondBlock))},
        Refusal{"stray marker before a trailer",
                test::withStrayMarker(test::cameraFile(withoutDate(test::MakerNoteFault::None, true)))},
        Refusal{"lost end marker", test::cameraFile(withoutDate()).chopped(2)},
        Refusal{"invalid date",
                test::cameraFile({}),
                QDateTime(QDate(2009, 2, 30), QTime(12, 0)),
                {},
                Status::Invalid},
        Refusal{"no date", test::cameraFile({}), QDateTime(), {}, Status::Invalid},
        Refusal{"year 12345",
                test::cameraFile({}),
                QDateTime(QDate(12345, 5, 12), QTime(12, 0)),
                {},
                Status::Invalid},
        Refusal{"garbage text", test::cameraFile({}), {}, "garbage text 123456", Status::Invalid},
        Refusal{"year 99 text", test::cameraFile({}), {}, "0099:05:12 12:00:00", Status::Invalid}),
    test::namedBy([](const Refusal &r) { return r.name; }));
